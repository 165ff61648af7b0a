#include "uFStatusDDLine.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uStatusDDLine.h"

namespace {

QLineEdit* Edit(const char* name, const QString& text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

}  // namespace

TFStatusDDLine::TFStatusDDLine(TStatusDDLine* line, QWidget* parent) : QDialog(parent), FLine(line) {
  setObjectName(QStringLiteral("TFStatusDDLine"));
  setWindowTitle(TranslateWord(QStringLiteral("Options")));
  auto* gFill = new QGroupBox(TranslateWord(QStringLiteral("Fill")), this);
  gFill->setObjectName(QStringLiteral("gFill"));
  sICFill = Edit("sICFill", line->FillCondition, gFill);
  sICPoint = Edit("sICPoint", line->PointCondition, gFill);
  // Both rows carry the same label; the hints say which is which (as
  // paragraphs, which tool tips wrap, instead of one line across the screen).
  const auto hint = [](const char* key, const char* def) {
    return QStringLiteral("<p>%1</p>").arg(TranslateGeneral(QLatin1String(key), QLatin1String(def)).toHtmlEscaped());
  };
  sICFill->setToolTip(hint("StatusFillHint",
                           "Rows meeting this condition are drawn as boxes, filled and empty in turn (for example "
                           "C1RNS1=C: the first letter of the row's first cell is C)"));
  sICPoint->setToolTip(hint("StatusPointHint", "Rows meeting this condition are drawn as a dotted line"));
  auto* fill = new QFormLayout(gFill);
  fill->addRow(TranslateWord(QStringLiteral("Condition")), sICFill);
  fill->addRow(TranslateWord(QStringLiteral("Condition")), sICPoint);
  auto* gPosition = new QGroupBox(TranslateWord(QStringLiteral("Position")), this);
  gPosition->setObjectName(QStringLiteral("gPosition"));
  sLeft = NewMillimetreEdit(QStringLiteral("sLeft"), line->Left(), gPosition);
  sWidth = NewMillimetreEdit(QStringLiteral("sWidth"), line->GetWidth(), gPosition);
  sPointInterval = NewNumberEdit(QStringLiteral("sPointInterval"), line->PointInterval, gPosition);
  auto* position = new QFormLayout(gPosition);
  position->addRow(TranslateWord(QStringLiteral("Left")), sLeft);
  position->addRow(TranslateWord(QStringLiteral("Width")), sWidth);
  position->addRow(TranslateGeneral(QStringLiteral("PointInterval"), QStringLiteral("Point interval")), sPointInterval);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/ddline"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(gFill);
  root->addWidget(gPosition);
  root->addWidget(buttons);
}

void TFStatusDDLine::Apply() {
  FLine->Notify(ncBeforeChange);
  FLine->FillCondition = sICFill->text();
  FLine->PointCondition = sICPoint->text();
  FLine->PointInterval = FieldNumber(sPointInterval->text(), FLine->PointInterval);
  FLine->SetLeft(MillimetreField(sLeft, FLine->Left()));
  FLine->SetWidth(MillimetreField(sWidth, FLine->GetWidth()));
  FLine->SetModified(true);
  if (TAbstractPrintObjectList* parent = FLine->Parent()) parent->ContentChanged();
  FLine->Invalidate(nullptr);
}

bool TFStatusDDLine::Execute(TPrintObject* object) {
  auto* line = dynamic_cast<TStatusDDLine*>(object);
  if (!line) return false;
  TFStatusDDLine dialog(line);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}
