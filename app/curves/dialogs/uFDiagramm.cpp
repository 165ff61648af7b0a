#include "uFDiagramm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uFDiagrammScale.h"
#include "uFMarker.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uLineStyleDialog.h"
#include "uNumberFields.h"
#include "uNumbers.h"
#include "uPrintDiagrammBase.h"
#include "uPrintDiagrams.h"
#include "uPrintObjectRuller.h"
#include "uPropertiesDialogs.h"
#include "uSettings.h"

TfDiagramm::TfDiagramm(TPrintDiagrammBase* curve, QWidget* parent) : QDialog(parent), FCurve(curve) {
  setObjectName(QStringLiteral("TfDiagramm"));
  setWindowTitle(TranslateKindName(kindDiagramm) + u' ' + curve->Name());

  cColor = new TColorPanel(this);
  cColor->setObjectName(QStringLiteral("cColor"));
  cColor->SetColor(curve->Color());
  sLineWidth = new QLineEdit(NumberText(curve->LineWidth()), this);
  sLineWidth->setObjectName(QStringLiteral("sLineWidth"));
  iLineStyle = new TLineStyleCombo(this);
  iLineStyle->setObjectName(QStringLiteral("iLineStyle"));
  iLineStyle->SetStyle(curve->LineStyle());
  FShownMeasure = NumberText(curve->Measure());
  sMeasurement = new QLineEdit(FShownMeasure, this);
  sMeasurement->setObjectName(QStringLiteral("sMeasurement"));
  lMeasurement = new QLabel(this);
  lMeasurement->setObjectName(QStringLiteral("lMeasurement"));
  bLogariphmic = new QCheckBox(TranslateWord(QStringLiteral("Logariphmic")), this);
  bLogariphmic->setObjectName(QStringLiteral("bLogariphmic"));
  bLogariphmic->setChecked(curve->Logarithmic());
  bSaveAsDefault = new QCheckBox(
      TranslateGeneral(QStringLiteral("SaveAsDefault"), QStringLiteral("Save as default")) + u' ' + curve->Name(),
      this);
  bSaveAsDefault->setObjectName(QStringLiteral("bSaveAsDefault"));
  // Defaults are kept per curve name: a curve without one has nowhere to keep them.
  bSaveAsDefault->setEnabled(!curve->Name().isEmpty());

  // A curve in a column is read against its track: the values at the track's
  // edges are what a log analyst sets (GR 0-150, RHOB 1.95-2.95).
  FLeft = curve->Left();
  const auto* track = dynamic_cast<const TPrintDiagrams*>(curve->Parent());
  QWidget* range = nullptr;
  if (track && track->GetWidth() > 0) {
    FX0 = track->Left();
    FX1 = track->Left() + track->GetWidth();
    sRangeFrom = new QLineEdit(this);
    sRangeFrom->setObjectName(QStringLiteral("sRangeFrom"));
    sRangeTo = new QLineEdit(this);
    sRangeTo->setObjectName(QStringLiteral("sRangeTo"));
    range = new QWidget(this);
    auto* row = new QHBoxLayout(range);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(sRangeFrom);
    row->addWidget(new QLabel(QStringLiteral("–"), range));
    row->addWidget(sRangeTo);
    connect(sRangeFrom, &QLineEdit::textEdited, this, &TfDiagramm::RangeEdited);
    connect(sRangeTo, &QLineEdit::textEdited, this, &TfDiagramm::RangeEdited);
  }

  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Color")), cColor);
  form->addRow(TranslateGeneral(QStringLiteral("LineWidth"), QStringLiteral("Line width")) + u' ' +
                   TranslateWord(QStringLiteral("mm")),
               sLineWidth);
  form->addRow(TranslateWord(QStringLiteral("Style")), iLineStyle);
  form->addRow(lMeasurement, sMeasurement);
  form->addRow(QString(), bLogariphmic);
  if (range)
    form->addRow(TranslateGeneral(QStringLiteral("TrackRange"), QStringLiteral("Values at the track's edges")), range);

  auto* gChildren =
      new QGroupBox(TranslateGeneral(QStringLiteral("ChildObjects"), QStringLiteral("Child objects")), this);
  ChildList = new QListWidget(gChildren);
  ChildList->setObjectName(QStringLiteral("ChildList"));
  auto* childLayout = new QVBoxLayout(gChildren);
  childLayout->addWidget(ChildList);

  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/diagramm"));
  btnOK = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(bLogariphmic, &QCheckBox::toggled, this, [this] {
    AxisEdited();
    UpdateControls();
  });
  connect(sMeasurement, &QLineEdit::textChanged, this, &TfDiagramm::UpdateControls);
  connect(sMeasurement, &QLineEdit::textEdited, this, &TfDiagramm::AxisEdited);
  connect(ChildList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ChildClicked(ChildList->row(item)); });

  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(gChildren, 1);
  root->addWidget(bSaveAsDefault);
  root->addWidget(buttons);
  FillChildren();
  ShowRange();
  UpdateControls();
}

void TfDiagramm::ShowRange() {
  if (!sRangeFrom) return;
  const double measure = FieldNumber(sMeasurement->text(), std::nan(""));
  if (!std::isfinite(measure) || measure == 0) {
    sRangeFrom->clear();
    sRangeTo->clear();
    return;
  }
  const bool log = bLogariphmic->isChecked();
  const auto text = [](double v) { return QString::fromStdString(FormatSignificant(v, 6)); };
  sRangeFrom->setText(text(TPrintDiagrammBase::AxisValueAt(log, measure, FLeft, FX0)));
  sRangeTo->setText(text(TPrintDiagrammBase::AxisValueAt(log, measure, FLeft, FX1)));
}

void TfDiagramm::AxisEdited() {
  FRangeTyped = false;
  if (!sRangeFrom) return;
  const double measure = FieldNumber(sMeasurement->text(), std::nan(""));
  const double from = FieldNumber(sRangeFrom->text(), std::nan(""));
  const bool log = bLogariphmic->isChecked();
  if (FEdgesTyped && std::isfinite(measure) && measure != 0 && std::isfinite(from) && (!log || from > 0))
    FLeft = TPrintDiagrammBase::AxisZeroFor(log, measure, from, FX0);
  ShowRange();
}

bool TfDiagramm::ReadRange(double* from, double* to, double* measure, double* left) const {
  if (!sRangeFrom) return false;
  *from = FieldNumber(sRangeFrom->text(), std::nan(""));
  *to = FieldNumber(sRangeTo->text(), std::nan(""));
  double m = 0;
  double l = 0;
  if (!TPrintDiagrammBase::AxisForRange(bLogariphmic->isChecked(), *from, *to, FX0, FX1, &m, &l)) return false;
  if (measure) *measure = m;
  if (left) *left = l;
  return true;
}

void TfDiagramm::RangeEdited() {
  FRangeTyped = true;
  FEdgesTyped = true;
  double from = 0;
  double to = 0;
  double measure = 0;
  if (ReadRange(&from, &to, &measure, &FLeft))
    sMeasurement->setText(QString::fromStdString(FormatSignificant(measure, 6)));
  UpdateControls();
}

void TfDiagramm::FillChildren() {
  ChildList->clear();
  for (int i = 0; i < FCurve->Count(); ++i) {
    TPrintObject* child = FCurve->GetChild(i);
    if (!child) continue;
    const int kind = child->GetKind();
    auto* item =
        new QListWidgetItem(KindIcon(kind), child->Caption() + QStringLiteral(" (") + TranslateKindName(kind) + u')');
    item->setData(Qt::UserRole, i);
    ChildList->addItem(item);
  }
}

void TfDiagramm::UpdateControls() {
  lMeasurement->setText(bLogariphmic->isChecked()
                            ? TranslateGeneral(QStringLiteral("MeasurementLog"), QStringLiteral("cm per order"))
                            : TranslateGeneral(QStringLiteral("Measurement"), QStringLiteral("Value at cm")));
  // The axis divides by the measure: zero is no measure. Edges typed last
  // must be a range the axis can show (the left value below the right one,
  // above 0 on a logarithmic axis).
  const double measure = FieldNumber(sMeasurement->text(), std::nan(""));
  double from = 0;
  double to = 0;
  btnOK->setEnabled(FRangeTyped ? ReadRange(&from, &to) : std::isnan(measure) || measure != 0);
}

void TfDiagramm::ChildClicked(int row) {
  QListWidgetItem* item = ChildList->item(row);
  if (!item) return;
  TPrintObject* child = FCurve->GetChild(item->data(Qt::UserRole).toInt());
  if (!child) return;
  // The child's own dialog applies at once, whatever this dialog ends with.
  if (child->EditProperties()) FillChildren();
}

void TfDiagramm::Apply() {
  FCurve->SetColor(cColor->Color());
  // A width that is no number keeps the curve's own.
  FCurve->SetLineWidth(FieldNumber(sLineWidth->text(), FCurve->LineWidth()));
  FCurve->SetLineStyle(iLineStyle->Style());
  FCurve->SetLogarithmic(bLogariphmic->isChecked());
  double from = 0;
  double to = 0;
  if (FRangeTyped && ReadRange(&from, &to)) {
    FCurve->SetValueRange(from, to, FX0, FX1);
  } else {
    // Edges typed before the measure was changed keep their zero.
    const bool moved = FLeft != FCurve->Left();
    FCurve->SetAxis(FieldNumber(sMeasurement->text(), FieldNumber(FShownMeasure, FCurve->Measure())), FLeft);
    if (moved) FCurve->FitScaleMarks(FX0, FX1);
  }
  if (bSaveAsDefault->isChecked()) FCurve->SaveDefaults();
  FCurve->Changed();
  FCurve->Invalidate(nullptr);
}

bool TfDiagramm::Execute(TPrintObject* object) {
  auto* curve = dynamic_cast<TPrintDiagrammBase*>(object);
  if (!curve) return false;
  TfDiagramm dialog(curve);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}

namespace {

bool EditObjectRuller(TPrintObject* object) {
  auto* ruler = dynamic_cast<TPrintObjectRuller*>(object);
  if (!ruler) return false;
  TBoundaryLine line = ruler->LineStyle();
  if (!EditLineStyle(nullptr, &line)) return false;
  ruler->SetLineStyle(line);
  return true;
}

}  // namespace

void RegisterCurvePlotDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintDiagrammBase"), &TfDiagramm::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintDiagrammScale"), &TFDiagrammScale::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintMarker"), &TFMarker::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintObjectRuller"), &EditObjectRuller);
}
