#include "uFDescRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uFPrintDesc.h"
#include "uFontEditing.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPropertiesDialogs.h"

namespace {

QString DescText(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromUtf8(def));
}

QString Caption(TPrintDesc* desc, int command) {
  QString text;
  desc->GetMenuCommandCaption(command, &text);
  return text;
}

bool EditRange(TPrintObject* object, int command, double TPrintDesc::*left, double TPrintDesc::*right) {
  auto* desc = dynamic_cast<TPrintDesc*>(object);
  if (!desc) return false;
  TFRange dialog(Caption(desc, command), desc->*left, desc->*right);
  if (dialog.exec() != QDialog::Accepted) return false;
  desc->*left = dialog.Left();
  desc->*right = dialog.Right();
  return true;
}

}  // namespace

TFRange::TFRange(const QString& caption, double left, double right, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  sLeft = NewNumberEdit(QStringLiteral("sLeft"), left, this);
  sRight = NewNumberEdit(QStringLiteral("sRight"), right, this);
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Left")) + QStringLiteral(", ") + TranslateWord(QStringLiteral("mm")),
               sLeft);
  form->addRow(TranslateWord(QStringLiteral("Right")) + QStringLiteral(", ") + TranslateWord(QStringLiteral("mm")),
               sRight);
  btnBox = NewOkCancelButtons(this, QStringLiteral("data/desc"));
  connect(btnBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(sLeft, &QLineEdit::textChanged, this, &TFRange::UpdateOk);
  connect(sRight, &QLineEdit::textChanged, this, &TFRange::UpdateOk);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(btnBox);
  UpdateOk();
}

void TFRange::UpdateOk() {
  double a = 0;
  double b = 0;
  const bool ok = ReadNumberField(sLeft, &a) && ReadNumberField(sRight, &b) && a >= 0 && b >= 0;
  btnBox->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

double TFRange::Left() const { return FieldNumber(sLeft->text(), 0); }
double TFRange::Right() const { return FieldNumber(sRight->text(), 0); }

TTextMatchBox::TTextMatchBox(const TTextMatch& match, QWidget* parent) : QWidget(parent) {
  cbMode = new QComboBox(this);
  cbMode->setObjectName(QStringLiteral("cbMode"));
  cbMode->addItems({DescText("MatchContains", "Text contains"), DescText("MatchEquals", "Text equals"),
                    DescText("MatchStartsWith", "Text starts with"), DescText("MatchNumberBetween", "Number between")});
  cbMode->setCurrentIndex(std::clamp(match.Mode, 0, 3));
  sText = new QLineEdit(match.Pattern, this);
  sText->setObjectName(QStringLiteral("sText"));
  sFrom = NewNumberEdit(QStringLiteral("sFrom"), match.From, this);
  sTo = NewNumberEdit(QStringLiteral("sTo"), match.To, this);
  cbCase = new QCheckBox(DescText("MatchCase", "Match case"), this);
  cbCase->setObjectName(QStringLiteral("cbCase"));
  cbCase->setChecked(match.CaseSensitive);
  auto* form = new QFormLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  form->addRow(DescText("Condition", "Condition"), cbMode);
  form->addRow(TranslateWord(QStringLiteral("Text")), sText);
  form->addRow(TranslateWord(QStringLiteral("From")), sFrom);
  form->addRow(TranslateWord(QStringLiteral("To")), sTo);
  form->addRow(cbCase);
  connect(cbMode, &QComboBox::currentIndexChanged, this, [this] {
    UpdateEnabled();
    emit Changed();
  });
  for (QLineEdit* e : {sText, sFrom, sTo}) connect(e, &QLineEdit::textChanged, this, &TTextMatchBox::Changed);
  UpdateEnabled();
}

void TTextMatchBox::UpdateEnabled() {
  const bool number = cbMode->currentIndex() == TTextMatch::NumberBetween;
  sText->setEnabled(!number);
  cbCase->setEnabled(!number);
  sFrom->setEnabled(number);
  sTo->setEnabled(number);
}

TTextMatch TTextMatchBox::Match() const {
  TTextMatch m;
  m.Mode = cbMode->currentIndex();
  m.Pattern = sText->text();
  m.CaseSensitive = cbCase->isChecked();
  m.From = FieldNumber(sFrom->text(), 0);
  m.To = FieldNumber(sTo->text(), 0);
  return m;
}

bool TTextMatchBox::Complete() const {
  if (cbMode->currentIndex() != TTextMatch::NumberBetween) return !sText->text().isEmpty();
  double v = 0;
  return ReadNumberField(sFrom, &v) && ReadNumberField(sTo, &v);
}

TFFindAndSelect::TFFindAndSelect(TPrintDesc* desc, QWidget* parent) : QDialog(parent), FDesc(desc) {
  setWindowTitle(Caption(desc, dcFindAndSelect));
  gMatch = new TTextMatchBox(desc->FindRule, this);
  cbAdd = new QCheckBox(DescText("AddToSelection", "Add to the selection"), this);
  cbAdd->setObjectName(QStringLiteral("cbAdd"));
  cbAdd->setChecked(desc->FindAddsToSelection);
  btnBox = NewOkCancelButtons(this, QStringLiteral("data/desc"));
  connect(btnBox, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  const auto update = [this] { btnBox->button(QDialogButtonBox::Ok)->setEnabled(gMatch->Complete()); };
  connect(gMatch, &TTextMatchBox::Changed, this, update);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gMatch);
  layout->addWidget(cbAdd);
  layout->addWidget(btnBox);
  update();
}

void TFFindAndSelect::Store() {
  FDesc->FindRule = gMatch->Match();
  FDesc->FindAddsToSelection = cbAdd->isChecked();
}

bool TFFindAndSelect::Execute(TPrintObject* object) {
  auto* desc = dynamic_cast<TPrintDesc*>(object);
  if (!desc) return false;
  TFFindAndSelect dialog(desc);
  return dialog.exec() == QDialog::Accepted;
}

TFFontByValue::TFFontByValue(TPrintDesc* desc, QWidget* parent) : QDialog(parent), FDesc(desc) {
  setWindowTitle(Caption(desc, dcFontByValue));
  FFont.Assign(desc->RuleFont);
  gMatch = new TTextMatchBox(desc->FontRule, this);
  lFont = new QLabel(this);
  lFont->setObjectName(QStringLiteral("lFont"));
  auto* font = new QPushButton(TranslateWord(QStringLiteral("Font")) + QStringLiteral("..."), this);
  font->setObjectName(QStringLiteral("btnFont"));
  connect(font, &QPushButton::clicked, this, [this] {
    if (EditFontWithDialog(&FFont, TranslateWord(QStringLiteral("Font")))) ShowFont();
  });
  btnBox = NewOkCancelButtons(this, QStringLiteral("data/desc"));
  connect(btnBox, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  const auto update = [this] { btnBox->button(QDialogButtonBox::Ok)->setEnabled(gMatch->Complete()); };
  connect(gMatch, &TTextMatchBox::Changed, this, update);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(lFont, 1);
  fontRow->addWidget(font);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gMatch);
  layout->addLayout(fontRow);
  layout->addWidget(btnBox);
  ShowFont();
  update();
}

void TFFontByValue::ShowFont() {
  lFont->setText(QStringLiteral("%1, %2").arg(FFont.Name()).arg(FFont.Size()));
  QPalette p = lFont->palette();
  p.setColor(QPalette::WindowText, ColorRefToQColor(FFont.Color));
  lFont->setPalette(p);
}

void TFFontByValue::Store() {
  FDesc->FontRule = gMatch->Match();
  FDesc->RuleFont.Assign(FFont);
}

bool TFFontByValue::Execute(TPrintObject* object) {
  auto* desc = dynamic_cast<TPrintDesc*>(object);
  if (!desc) return false;
  TFFontByValue dialog(desc);
  return dialog.exec() == QDialog::Accepted;
}

void RegisterDescDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintDesc"), &TFPrintDesc::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintDesc.MarkSize"), [](TPrintObject* o) {
    return EditRange(o, dcMarkSize, &TPrintDesc::LeftTick, &TPrintDesc::RightTick);
  });
  RegisterPropertiesDialog(QStringLiteral("TPrintDesc.MarginSizes"), [](TPrintObject* o) {
    return EditRange(o, dcMarginSizes, &TPrintDesc::LeftIndent, &TPrintDesc::RightIndent);
  });
  RegisterPropertiesDialog(QStringLiteral("TPrintDesc.FindAndSelect"), &TFFindAndSelect::Execute);
  RegisterPropertiesDialog(QStringLiteral("TPrintDesc.FontByValue"), &TFFontByValue::Execute);
}
