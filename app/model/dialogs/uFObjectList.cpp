#include "uFObjectList.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uPrintObjectList.h"

namespace {

QString Word(const char* key) { return TranslateGeneral(QString::fromLatin1(key), QString::fromLatin1(key)); }

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

// Invalid text keeps the old value.
double Parse(const QLineEdit* edit, double old) { return FieldNumber(edit->text(), old); }

}  // namespace

TFObjectList::TFObjectList(TPrintObjectList* list, QWidget* parent) : QDialog(parent), FList(list) {
  setObjectName(QStringLiteral("TFObjectList"));
  setWindowTitle(list->Caption());
  auto* gObject = new QGroupBox(TranslateKindName(list->GetKind()), this);
  gObject->setObjectName(QStringLiteral("gObject"));
  sX = NewNumberEdit(QStringLiteral("sX"), list->Left(), gObject);
  sY = NewNumberEdit(QStringLiteral("sY"), list->Top(), gObject);
  sWidth = NewNumberEdit(QStringLiteral("sWidth"), list->GetWidth(), gObject);
  sHeight = NewNumberEdit(QStringLiteral("sHeight"), list->GetHeight(), gObject);
  auto* form = new QFormLayout(gObject);
  form->addRow(QStringLiteral("X"), sX);
  form->addRow(QStringLiteral("Y"), sY);
  form->addRow(Word("Width"), sWidth);
  form->addRow(Word("Height"), sHeight);

  auto* gChildren =
      new QGroupBox(TranslateGeneral(QStringLiteral("ChildObjects"), QStringLiteral("Child objects")), this);
  lList = new QListWidget(gChildren);
  lList->setObjectName(QStringLiteral("lList"));
  btnAdd = Button("btnAdd", Word("Add"), gChildren);
  btnDelete = Button("btnDelete", Word("Delete"), gChildren);
  btnUp = Button("btnUp", Word("Up"), gChildren);
  btnDown = Button("btnDown", Word("Down"), gChildren);
  btnProperties = Button("btnProperties", Word("Properties"), gChildren);
  auto* side = new QVBoxLayout();
  for (QPushButton* b : {btnAdd, btnDelete, btnUp, btnDown, btnProperties}) side->addWidget(b);
  side->addStretch();
  auto* childrenLayout = new QHBoxLayout(gChildren);
  childrenLayout->addWidget(lList, 1);
  childrenLayout->addLayout(side);

  QDialogButtonBox* buttons = NewOkCancelButtons(this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gObject);
  layout->addWidget(gChildren, 1);
  layout->addWidget(buttons);

  connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
  connect(btnUp, &QPushButton::clicked, this, [this] { btnUpClick(); });
  connect(btnDown, &QPushButton::clicked, this, [this] { btnDownClick(); });
  connect(btnProperties, &QPushButton::clicked, this, [this] { btnPropertiesClick(); });
  connect(lList, &QListWidget::itemDoubleClicked, this, [this] { btnPropertiesClick(); });
  connect(lList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
  connect(ok, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  for (int i = 0; i < list->Count(); ++i) FEntries.push_back(list->GetChild(i));
  FillList(-1);
}

void TFObjectList::FillList(int selected) {
  lList->clear();
  for (TPrintObject* o : FEntries) lList->addItem(o ? o->Caption() : Word("Empty"));
  lList->setCurrentRow(selected);
  UpdateButtons();
}

void TFObjectList::UpdateButtons() {
  const int row = lList->currentRow();
  const int count = static_cast<int>(FEntries.size());
  const bool any = row >= 0 && row < count;
  btnDelete->setEnabled(any);
  btnUp->setEnabled(any && row > 0);
  btnDown->setEnabled(any && row < count - 1);
  btnProperties->setEnabled(any && FEntries[row] != nullptr);
}

void TFObjectList::btnDeleteClick() {
  const int row = lList->currentRow();
  if (row < 0 || row >= static_cast<int>(FEntries.size())) return;
  FEntries.erase(FEntries.begin() + row);
  FillList(std::min(row, static_cast<int>(FEntries.size()) - 1));
}

void TFObjectList::btnUpClick() {
  const int row = lList->currentRow();
  if (row <= 0 || row >= static_cast<int>(FEntries.size())) return;
  std::swap(FEntries[row], FEntries[row - 1]);
  FillList(row - 1);
}

void TFObjectList::btnDownClick() {
  const int row = lList->currentRow();
  if (row < 0 || row + 1 >= static_cast<int>(FEntries.size())) return;
  std::swap(FEntries[row], FEntries[row + 1]);
  FillList(row + 1);
}

void TFObjectList::btnPropertiesClick() {
  const int row = lList->currentRow();
  if (row < 0 || row >= static_cast<int>(FEntries.size()) || !FEntries[row]) return;
  TPrintObject* child = FEntries[row];
  if (child->EditProperties()) {
    child->Changed();
    child->Invalidate(nullptr);
    lList->item(row)->setText(child->Caption());
  }
}

void TFObjectList::btnOKClick() {
  FList->SetLeft(Parse(sX, FList->Left()));
  FList->SetTop(Parse(sY, FList->Top()));
  FList->SetWidth(Parse(sWidth, FList->GetWidth()));
  FList->SetHeight(Parse(sHeight, FList->GetHeight()));
  std::vector<TPrintObject*> order;
  for (TPrintObject* o : FEntries)
    if (o) order.push_back(o);
  // Children whose lines were deleted are destroyed here.
  FList->ReorderChildren(order);
  FList->Changed();
  FList->Invalidate(nullptr);
  accept();
}

bool TFObjectList::Execute(TPrintObject* object) {
  auto* list = object ? object->AsObjectList() : nullptr;
  if (!list) return false;
  TFObjectList dialog(list);
  return dialog.exec() == QDialog::Accepted;
}
