#include "uFDiagrammScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uFontDialog.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPrintDiagrammScale.h"

namespace {

constexpr int kSteps[] = {5, 10, 15, 20, 25, 30, 50, 100};

QLineEdit* Edit(const char* name, const QString& text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

// A whole number, or `def` for any other text.
int ParseInt(const QString& text, int def) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  return ok ? v : def;
}

QString Index(int32_t v) { return v == kMarkIndexUnset ? QString() : QString::number(v); }

QString Mm(const char* word) { return TranslateWord(QLatin1String(word)) + QStringLiteral(", ") + TranslateWord("mm"); }

}  // namespace

TFDiagrammScale::TFDiagrammScale(TPrintDiagrammScale* scale, QWidget* parent)
    : QDialog(parent), FScale(scale), FShownMarkSize(scale->MarkSize()) {
  setObjectName(QStringLiteral("TFDiagrammScale"));
  setWindowTitle(TranslateKindName(kindDiagrammScale) + u' ' + scale->MeasureName());
  FFont.Assign(scale->ScaleFont());

  sMeasureName = Edit("sMeasureName", scale->MeasureName(), this);
  btnFont = new QPushButton(TranslateWord(QStringLiteral("Font")), this);
  btnFont->setObjectName(QStringLiteral("btnFont"));
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(sMeasureName, 1);
  nameRow->addWidget(btnFont);
  auto* top = new QFormLayout;
  top->addRow(TranslateGeneral(QStringLiteral("MeasureName"), QStringLiteral("Measure name")), nameRow);

  auto* gSize = new QGroupBox(TranslateWord(QStringLiteral("Size")), this);
  gSize->setObjectName(QStringLiteral("gSize"));
  sPosition = NewMillimetreEdit(QStringLiteral("sPosition"), scale->Top(), gSize);
  sWidth = NewMillimetreEdit(QStringLiteral("sWidth"), scale->GetWidth(), gSize);
  sHeight = NewMillimetreEdit(QStringLiteral("sHeight"), scale->GetHeight(), gSize);
  auto* sizeForm = new QFormLayout(gSize);
  sizeForm->addRow(TranslateWord(QStringLiteral("Position")), sPosition);
  sizeForm->addRow(Mm("Width"), sWidth);
  sizeForm->addRow(Mm("Height"), sHeight);

  auto* gMarks = new QGroupBox(TranslateWord(QStringLiteral("Markers")), this);
  gMarks->setObjectName(QStringLiteral("gMarks"));
  sMarkIndex1 = Edit("sMarkIndex1", Index(scale->MarkIndex1()), gMarks);
  sMarkIndex2 = Edit("sMarkIndex2", Index(scale->MarkIndex2()), gMarks);
  sMarkStep = new QComboBox(gMarks);
  sMarkStep->setObjectName(QStringLiteral("sMarkStep"));
  sMarkStep->setEditable(true);
  for (int step : kSteps) sMarkStep->addItem(QString::number(step));
  // A step that is not in the list shows as typed (an empty box would turn
  // the sample's 8 mm into 20 mm on OK).
  sMarkStep->setCurrentIndex(sMarkStep->findText(QString::number(scale->MarkStep())));
  if (sMarkStep->currentIndex() < 0) sMarkStep->setEditText(QString::number(scale->MarkStep()));
  sMarkSize = Edit("sMarkSize", QString::number(scale->MarkSize()), gMarks);
  auto* marksForm = new QFormLayout(gMarks);
  marksForm->addRow(TranslateWord(QStringLiteral("From")), sMarkIndex1);
  marksForm->addRow(TranslateWord(QStringLiteral("To")), sMarkIndex2);
  marksForm->addRow(TranslateGeneral(QStringLiteral("MarkStep"), QStringLiteral("Mark step")), sMarkStep);
  marksForm->addRow(TranslateGeneral(QStringLiteral("MarkSize"), QStringLiteral("Mark size")) + QStringLiteral(", ") +
                        TranslateWord(QStringLiteral("mm")),
                    sMarkSize);

  bShowName = new QCheckBox(TranslateGeneral(QStringLiteral("ShowCurveName"), QStringLiteral("Show curve name")), this);
  bShowName->setObjectName(QStringLiteral("bShowName"));
  bShowName->setChecked(scale->ShowName());
  bBorder = new QCheckBox(TranslateWord(QStringLiteral("Border")), this);
  bBorder->setObjectName(QStringLiteral("bBorder"));
  bBorder->setChecked(scale->Border());

  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/diagrammscale"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnFont, &QPushButton::clicked, this, &TFDiagrammScale::btnFontClick);

  auto* groups = new QHBoxLayout;
  groups->addWidget(gSize);
  groups->addWidget(gMarks);
  auto* root = new QVBoxLayout(this);
  root->addLayout(top);
  root->addLayout(groups);
  root->addWidget(bShowName);
  root->addWidget(bBorder);
  root->addWidget(buttons);
}

void TFDiagrammScale::btnFontClick() {
  TfFont dialog(FFont, sMeasureName->text(), this);
  if (dialog.exec() == QDialog::Accepted) FFont.Assign(dialog.WorkFont());
}

void TFDiagrammScale::Apply() {
  // The step first: the width keeps room for two of the new steps.
  FScale->SetMarkStep(ParseInt(sMarkStep->currentText(), kDefaultMarkStep));
  FScale->SetTop(MillimetreField(sPosition, FScale->Top()));
  FScale->SetWidth(MillimetreField(sWidth, FScale->GetWidth()));
  FScale->SetHeight(MillimetreField(sHeight, FScale->GetHeight()));
  FScale->SetMeasureName(sMeasureName->text());
  FScale->SetMarkSize(ParseInt(sMarkSize->text(), FShownMarkSize));
  FScale->SetMarkIndex1(ParseInt(sMarkIndex1->text(), kMarkIndexUnset));
  FScale->SetMarkIndex2(ParseInt(sMarkIndex2->text(), kMarkIndexUnset));
  FScale->SetShowName(bShowName->isChecked());
  FScale->SetBorder(bBorder->isChecked());
  FScale->ScaleFont().Assign(FFont);
  FScale->SetModified(true);
  FScale->Changed();
  FScale->Invalidate(nullptr);
}

bool TFDiagrammScale::Execute(TPrintObject* object) {
  auto* scale = dynamic_cast<TPrintDiagrammScale*>(object);
  if (!scale) return false;
  TFDiagrammScale dialog(scale);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}
