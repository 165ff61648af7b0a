#include "uFRullers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uDialogButtons.h"
#include "uFRuller.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPreferences.h"
#include "uPrintDeepScale.h"
#include "uPropertiesDialogs.h"
#include "uUiServices.h"

namespace {

// Invalid text gives `def`.
double Parse(const QLineEdit* edit, double def) { return FieldNumber(edit->text(), def); }

QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

const QString kGap = QStringLiteral("       ");  // seven spaces between the parts of a line

}  // namespace

QString TFRullers::LineText(const TRuller& ruller) {
  QString line = TranslateWord(QStringLiteral("Step")) + u'=' + NumberText(ruller.Step());
  if (ruller.Modulus() != 1) line += kGap + QStringLiteral("K =") + NumberText(ruller.Modulus());
  if (ruller.HasFont()) line += kGap + TranslateWord(QStringLiteral("Text"));
  return line;
}

TFRullers::TFRullers(TPrintDeepScale* scale, QWidget* parent) : QDialog(parent), FScale(scale) {
  setObjectName(QStringLiteral("TFRullers"));
  setWindowTitle(scale->Caption());
  FRullers = scale->Rullers();
  FEditor = [](TRuller* ruller, QWidget* owner, const QRect& line) {
    return TFRuller::Edit(ruller, owner, line.topRight() + QPoint(8, 0));
  };

  FList = new QListWidget(this);
  FList->setObjectName(QStringLiteral("FList"));
  QPushButton* btnAdd = NewButton("btnAdd", TranslateWord(QStringLiteral("Add")), this);
  QPushButton* btnDelete = NewButton("btnDelete", TranslateWord(QStringLiteral("Delete")), this);
  auto* listButtons = new QVBoxLayout;
  listButtons->addWidget(btnAdd);
  listButtons->addWidget(btnDelete);
  listButtons->addStretch(1);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(FList, 1);
  listRow->addLayout(listButtons);

  sLeft = NewMillimetreEdit(QStringLiteral("sLeft"), scale->Left(), this);
  sWidth = NewMillimetreEdit(QStringLiteral("sWidth"), scale->GetWidth(), this);
  bBorder = new QCheckBox(TranslateWord(QStringLiteral("Border")), this);
  bBorder->setObjectName(QStringLiteral("bBorder"));
  bBorder->setChecked(scale->Border());
  auto* place = new QFormLayout;
  place->addRow(TranslateWord(QStringLiteral("Position")), sLeft);
  place->addRow(TranslateWord(QStringLiteral("Width")), sWidth);
  place->addRow(QString(), bBorder);

  lDefault = new QComboBox(this);
  lDefault->setObjectName(QStringLiteral("lDefault"));
  lDefault->setMinimumContentsLength(16);
  QPushButton* btnSaveProfile = NewButton(
      "btnSaveProfile", TranslateGeneral(QStringLiteral("SaveProfile"), QStringLiteral("Save profile")), this);
  QPushButton* btnDeleteProfile = NewButton(
      "btnDeleteProfile", TranslateGeneral(QStringLiteral("DeleteProfile"), QStringLiteral("Delete profile")), this);
  auto* profiles = new QGridLayout;
  profiles->addWidget(new QLabel(TranslateWord(QStringLiteral("Profile")), this), 0, 0);
  profiles->addWidget(lDefault, 0, 1, 1, 2);
  profiles->addWidget(btnSaveProfile, 1, 1);
  profiles->addWidget(btnDeleteProfile, 1, 2);

  QDialogButtonBox* box = NewOkCancelButtons(this, QStringLiteral("data/rullers"));
  btnOK = box->button(QDialogButtonBox::Ok);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnAdd, &QPushButton::clicked, this, &TFRullers::btnAddClick);
  connect(btnDelete, &QPushButton::clicked, this, &TFRullers::btnDeleteClick);
  connect(btnSaveProfile, &QPushButton::clicked, this, &TFRullers::btnSaveProfileClick);
  connect(btnDeleteProfile, &QPushButton::clicked, this, &TFRullers::btnDeleteProfileClick);
  connect(FList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (EditLine(FList->row(item))) ListChanged();
  });
  connect(bBorder, &QCheckBox::clicked, this, &TFRullers::ListChanged);
  connect(lDefault, &QComboBox::activated, this, &TFRullers::lDefaultActivated);
  connect(sLeft, &QLineEdit::textChanged, this, &TFRullers::UpdateOk);
  connect(sWidth, &QLineEdit::textChanged, this, &TFRullers::UpdateOk);

  auto* root = new QVBoxLayout(this);
  root->addLayout(listRow, 1);
  root->addLayout(place);
  root->addLayout(profiles);
  root->addWidget(box);
  resize(420, 360);

  FillList();
  FillProfiles();
  UpdateOk();
}

void TFRullers::FillList() {
  FList->clear();
  for (const TRuller& r : FRullers) FList->addItem(LineText(r));
}

void TFRullers::FillProfiles() {
  lDefault->clear();
  lDefault->addItems(TPreferences().ProfileNames(kindDeepScale));
  lDefault->setCurrentIndex(-1);
}

void TFRullers::ListChanged() { lDefault->setCurrentIndex(-1); }

void TFRullers::UpdateOk() {
  // Positions may be fractions of a millimetre (snapping works in halves),
  // so any number is taken; a column needs a width.
  const double left = Parse(sLeft, std::nan(""));
  const double width = Parse(sWidth, std::nan(""));
  btnOK->setEnabled(left >= 0 && width > 0);
}

bool TFRullers::EditLine(int row) {
  if (row < 0 || row >= static_cast<int>(FRullers.size())) return false;
  QListWidgetItem* item = FList->item(row);
  const QRect local = FList->visualItemRect(item);
  const QRect global(FList->viewport()->mapToGlobal(local.topLeft()), local.size());
  if (!FEditor || !FEditor(&FRullers[static_cast<size_t>(row)], this, global)) return false;
  item->setText(LineText(FRullers[static_cast<size_t>(row)]));
  return true;
}

void TFRullers::lDefaultActivated(int index) {
  bool border = false;
  TRullerList rulers;
  if (!LoadDepthScaleProfile(TPreferences(), index, &border, &rulers)) return;
  FRullers = std::move(rulers);
  bBorder->setChecked(border);
  FillList();
}

void TFRullers::btnAddClick() {
  // A new ruler marks whole depth steps at the document's own scale.
  TRuller ruller;
  ruller.SetModulus(1000.0 / TPrintDeepObject::ValidScale(FScale->GetVertScale(), kDefaultVertScale));
  FRullers.push_back(ruller);
  FList->addItem(TranslateGeneral(QStringLiteral("NewRuller"), QStringLiteral("New")));
  const int row = FList->count() - 1;
  FList->setCurrentRow(row);
  if (!EditLine(row)) {
    FRullers.pop_back();
    delete FList->takeItem(row);
    return;
  }
  ListChanged();
}

void TFRullers::btnDeleteClick() {
  const int row = FList->currentRow();
  if (row < 0 || row >= static_cast<int>(FRullers.size())) return;
  FRullers.erase(FRullers.begin() + row);
  delete FList->takeItem(row);
  ListChanged();
}

void TFRullers::btnSaveProfileClick() {
  QStringList names;
  for (int i = 0; i < lDefault->count(); ++i) names << lDefault->itemText(i);
  QString name = lDefault->currentText();
  if (!Ui().PromptTextOffering(
          windowTitle(), TranslateGeneral(QStringLiteral("EnterProfilename"), QStringLiteral("Enter profile name")),
          names, &name) ||
      name.isEmpty())
    return;
  TPreferences store;
  if (!SaveDepthScaleProfile(store, name, bBorder->isChecked(), FRullers)) {
    Ui().Message(
        TMsgKind::Error, windowTitle(),
        SubstituteArgs(TranslateError(QStringLiteral("CantSaveProfile"), QStringLiteral("Can't save profile %s to %s")),
                       {name, store.FileName()}),
        mbOK);
    return;
  }
  FillProfiles();
  lDefault->setCurrentIndex(static_cast<int>(TPreferences().ProfileNames(kindDeepScale).lastIndexOf(name)));
}

void TFRullers::btnDeleteProfileClick() {
  const int index = lDefault->currentIndex();
  if (index < 0) return;
  TPreferences().Delete(kindDeepScale, index);
  FillProfiles();
}

void TFRullers::Apply() {
  FScale->SetRullers(FRullers);
  FScale->SetLeft(MillimetreField(sLeft, FScale->Left()));
  FScale->SetWidth(MillimetreField(sWidth, FScale->GetWidth()));
  FScale->SetBorder(bBorder->isChecked());
  FScale->Changed();
}

bool TFRullers::Execute(TPrintObject* object) {
  auto* scale = dynamic_cast<TPrintDeepScale*>(object);
  if (!scale) return false;
  TFRullers dialog(scale, QApplication::activeWindow());
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}

void RegisterDepthScaleDialogs() { RegisterPropertiesDialog(QStringLiteral("TPrintDeepScale"), &TFRullers::Execute); }
