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
#include "uPrintDiagrammBase.h"
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

  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Color")), cColor);
  form->addRow(TranslateGeneral(QStringLiteral("LineWidth"), QStringLiteral("Line width")) + u' ' +
                   TranslateWord(QStringLiteral("mm")),
               sLineWidth);
  form->addRow(TranslateWord(QStringLiteral("Style")), iLineStyle);
  form->addRow(lMeasurement, sMeasurement);
  form->addRow(QString(), bLogariphmic);

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
  connect(bLogariphmic, &QCheckBox::toggled, this, &TfDiagramm::UpdateControls);
  connect(sMeasurement, &QLineEdit::textChanged, this, &TfDiagramm::UpdateControls);
  connect(ChildList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ChildClicked(ChildList->row(item)); });

  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(gChildren, 1);
  root->addWidget(bSaveAsDefault);
  root->addWidget(buttons);
  FillChildren();
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
  // The axis divides by the measure: zero is no measure.
  const double measure = FieldNumber(sMeasurement->text(), std::nan(""));
  btnOK->setEnabled(std::isnan(measure) || measure != 0);
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
  FCurve->SetMeasure(FieldNumber(sMeasurement->text(), FieldNumber(FShownMeasure, FCurve->Measure())));
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
