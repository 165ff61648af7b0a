#include "uFAddDiagramm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDiagrams.h"
#include "uUiServices.h"

namespace {

QString Caption() { return TranslateGeneral(QStringLiteral("AddingCurve"), QStringLiteral("Adding curve")); }

QString Num(double v) { return QString::fromStdString(FormatGeneral(v)); }

}  // namespace

TFAddDiagramm::TFAddDiagramm(TPrintDiagrams* column, std::unique_ptr<TStringTable> table, QWidget* parent)
    : QDialog(parent), FColumn(column), FTable(std::move(table)) {
  setObjectName(QStringLiteral("TFAddDiagramm"));
  setWindowTitle(Caption());
  iColList = new QListWidget(this);
  iColList->setObjectName(QStringLiteral("iColList"));
  iColList->addItems(CurveColumnCaptions(*FTable));
  sName = new QLineEdit(this);
  sName->setObjectName(QStringLiteral("sName"));
  sStepDepth = new QLineEdit(this);
  sStepDepth->setObjectName(QStringLiteral("sStepDepth"));
  sMeasurement = new QLineEdit(FChoice.MeasureText, this);
  sMeasurement->setObjectName(QStringLiteral("sMeasurement"));
  clColor = new TColorPanel(this);
  clColor->setObjectName(QStringLiteral("clColor"));
  bInterpolate = new QCheckBox(
      TranslateGeneral(QStringLiteral("InterpolateUnknownPoints"), QStringLiteral("Interpolate unknown points")), this);
  bInterpolate->setObjectName(QStringLiteral("bInterpolate"));
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Column")), iColList);
  form->addRow(TranslateWord(QStringLiteral("Name")), sName);
  form->addRow(TranslateWord(QStringLiteral("DepthStep")), sStepDepth);
  form->addRow(TranslateGeneral(QStringLiteral("Measurement"), QStringLiteral("Value at sm")), sMeasurement);
  form->addRow(TranslateWord(QStringLiteral("Color")), clColor);
  form->addRow(bInterpolate);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  BuildCommon();
  connect(iColList, &QListWidget::currentRowChanged, this, &TFAddDiagramm::ColumnChosen);
  connect(sName, &QLineEdit::textChanged, this, &TFAddDiagramm::NameChanged);
  connect(sStepDepth, &QLineEdit::textChanged, this, &TFAddDiagramm::UpdateOk);
  connect(sMeasurement, &QLineEdit::textChanged, this, &TFAddDiagramm::UpdateOk);
  if (FTable->ColCount() > 1) iColList->setCurrentRow(1);
  UpdateOk();
}

TFAddDiagramm::TFAddDiagramm(TPrintDiagrams* column, TLasData las, const QString& fileName, QWidget* parent)
    : QDialog(parent), FColumn(column), FLas(std::make_unique<TLasData>(std::move(las))) {
  setObjectName(QStringLiteral("TFAddDiagramm"));
  setWindowTitle(Caption() + QStringLiteral(" - ") + QFileInfo(fileName).fileName());
  auto* list = new QListWidget(this);
  list->setObjectName(QStringLiteral("iCurveList"));
  for (const TLasData::TCurve& c : FLas->Curves)
    list->addItem(c.Unit.isEmpty() ? c.Mnemonic : QStringLiteral("%1 (%2)").arg(c.Mnemonic, c.Unit));
  const int64_t count = FLas->Curves.empty() ? 0 : static_cast<int64_t>(FLas->Curves.front().Samples.size());
  const double stop = FLas->Start + static_cast<double>(count - 1) * FLas->Step;
  QString text = SubstituteArgs(TranslateGeneral(QStringLiteral("LasAllCurves"),
                                                 QStringLiteral("Every curve of the file is added under its mnemonic, "
                                                                "its unit becomes the scale's measure name, the file's "
                                                                "NULL value marks missing samples. Grid: %s to %s, "
                                                                "step %s.")),
                                {Num(FLas->Start), Num(stop), Num(FLas->Step)});
  if (FColumn && !FColumn->Curves().empty())
    text +=
        QLatin1Char(' ') + TranslateGeneral(QStringLiteral("LasColumnCurves"),
                                            QStringLiteral("A curve the column has takes the file's curve of its "
                                                           "name or another name of its log, in its scale's unit."));
  text += QLatin1Char(' ');
  text +=
      FLas->Resampled
          ? TranslateGeneral(QStringLiteral("LasResampled"),
                             QStringLiteral("The file's depths are not evenly spaced: they are resampled to a grid "
                                            "whose step is the median distance between them; each grid depth takes the "
                                            "value on the straight line between the two file depths around it."))
          : TranslateGeneral(QStringLiteral("LasRegular"),
                             QStringLiteral("The file's depths are evenly spaced: the samples are taken as they are."));
  if (!FLas->Warnings.isEmpty()) text += QLatin1Char('\n') + FLas->Warnings.join(QLatin1Char('\n'));
  lResample = new QLabel(text, this);
  lResample->setObjectName(QStringLiteral("lResample"));
  lResample->setWordWrap(true);
  auto* root = new QVBoxLayout(this);
  root->addWidget(new QLabel(TranslateWord(QStringLiteral("Curves")), this));
  root->addWidget(list, 1);
  root->addWidget(lResample);
  BuildCommon();
  UpdateOk();
}

void TFAddDiagramm::BuildCommon() {
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/adddiagramm"));
  FOk = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout()->addWidget(buttons);
}

void TFAddDiagramm::ColumnChosen(int column) {
  ChooseCurveColumn(*FTable, column, &FChoice);
  FFilling = true;
  sStepDepth->setText(FChoice.StepText);
  // A measure that keeps the column's values within the track; a name
  // remembered with a measure of its own gets that one (NameChanged).
  const auto [low, high] = ColumnValueRange(*FTable, column, FChoice.FirstRow);
  if (const double fit = FittingMeasureForRange(low, high, FColumn->GetWidth()); fit > 0)
    sMeasurement->setText(Num(fit));
  FFilling = false;
  sName->setText(FChoice.Name);
  NameChanged(sName->text());
}

void TFAddDiagramm::NameChanged(const QString& name) {
  FChoice.Color = clColor->Color();
  FChoice.MeasureText = sMeasurement->text();
  LoadRememberedCurve(name, &FChoice);
  sMeasurement->setText(FChoice.MeasureText);
  clColor->SetColor(FChoice.Color);
  bInterpolate->setChecked(FChoice.Interpolate);
  UpdateOk();
}

void TFAddDiagramm::UpdateOk() {
  if (FFilling || !FOk) return;
  if (FLas) {
    FOk->setEnabled(!FLas->Curves.empty());
    return;
  }
  FChoice.Name = sName->text();
  FChoice.StepText = sStepDepth->text();
  FChoice.MeasureText = sMeasurement->text();
  FOk->setEnabled(CurveChoiceComplete(FChoice));
}

bool TFAddDiagramm::Apply() {
  if (FLas) {
    QString error;
    QStringList notes;
    const bool added = FColumn->ImportLas(*FLas, &error, &notes) > 0;
    if (!added && !error.isEmpty()) Ui().Message(TMsgKind::Error, Caption(), error, mbOK);
    if (added && !notes.isEmpty()) Ui().Message(TMsgKind::Information, Caption(), notes.join(QLatin1Char('\n')), mbOK);
    FColumn->Invalidate(FColumn);
    return added;
  }
  UpdateOk();
  FChoice.Color = clColor->Color();
  FChoice.Interpolate = bInterpolate->isChecked();
  const bool added = AddCurveFromChoice(FColumn, *FTable, FChoice) != nullptr;
  FColumn->Invalidate(FColumn);
  return added;
}

bool TFAddDiagramm::Execute(TPrintObject* object) {
  auto* column = dynamic_cast<TPrintDiagrams*>(object);
  if (!column) return false;
  TFileDialogOptions options;
  options.Title = Caption();
  options.Filter = TableImportFilter();
  QString name;
  int filterIndex = 1;
  if (!Ui().OpenFileName(options, &name, &filterIndex)) return false;
  std::unique_ptr<TFAddDiagramm> dialog;
  QString error;
  if (QFileInfo(name).suffix().compare(QLatin1String("las"), Qt::CaseInsensitive) == 0) {
    TLasData las;
    if (ReadLasCurves(name, &las, &error)) dialog = std::make_unique<TFAddDiagramm>(column, std::move(las), name);
  } else {
    auto table = std::make_unique<TStringTable>();
    if (table->ImportFile(name) == S_OK)
      dialog = std::make_unique<TFAddDiagramm>(column, std::move(table));
    else
      error = table->LastError();
  }
  if (!dialog) {
    if (!error.isEmpty()) Ui().Message(TMsgKind::Error, Caption(), error, mbOK);
    return false;
  }
  if (dialog->exec() != QDialog::Accepted) return false;
  return dialog->Apply();
}
