#include "uFStructure.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uNumberFields.h"
#include "uPrintDocument.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {
QString Word(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromLatin1(def));
}
QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}
QLabel* Label(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}
}  // namespace

QString GeometryText(TPrintObject* o) {
  return QStringLiteral("XxY=") + MillimetreText(o->Left()) + QLatin1Char('x') + MillimetreText(o->Top()) +
         QStringLiteral("  WxH=") + MillimetreText(o->GetWidth()) + QLatin1Char('x') + MillimetreText(o->GetHeight());
}

TfStructure::TfStructure(TPrintDocument* document, QWidget* parent) : QDialog(parent), FDocument(document) {
  setObjectName(QStringLiteral("TfStructure"));
  setWindowTitle(Word("Structure", "Structure"));
  tvObjects = new QTreeWidget(this);
  tvObjects->setObjectName(QStringLiteral("tvObjects"));
  tvObjects->setHeaderHidden(true);
  tvObjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A document holds dozens of objects: room for a screenful of them and their captions.
  tvObjects->setMinimumSize(360, 420);
  lCaption = Label("lCaption", this);
  lGeometry = Label("lGeometry", this);
  lKind = Label("lKind", this);
  btnProperties = Button("btnProperties", Word("Properties", "Properties"), this);
  btnAdd = Button("btnAdd", Word("Add", "Add"), this);
  btnDelete = Button("btnDelete", Word("Delete", "Delete"), this);
  auto* side = new QVBoxLayout();
  side->addWidget(btnProperties);
  side->addWidget(btnAdd);
  side->addWidget(btnDelete);
  side->addStretch();
  auto* top = new QHBoxLayout();
  top->addWidget(tvObjects, 1);
  top->addLayout(side);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close | QDialogButtonBox::Help, this);
  TranslateButtonBox(buttons);
  buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("btnClose"));
  buttons->button(QDialogButtonBox::Help)->setObjectName(QStringLiteral("btnHelp"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [] { Ui().ShowHelp(QStringLiteral("common/structure")); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(lCaption);
  layout->addWidget(lGeometry);
  layout->addWidget(lKind);
  layout->addWidget(buttons);

  connect(tvObjects, &QTreeWidget::currentItemChanged, this, [this] { UpdateSelection(); });
  connect(btnProperties, &QPushButton::clicked, this, [this] { btnPropertiesClick(); });
  connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
  connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
  FillTree(nullptr);
}

TPrintObject* TfStructure::ObjectOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<TPrintObject*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

void TfStructure::AddNode(QTreeWidgetItem* parent, TPrintObject* object, const TPrintObject* select) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvObjects);
  item->setText(0, object->Caption());
  item->setIcon(0, KindIcon(object->GetKind()));
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(object)));
  if (object == select) tvObjects->setCurrentItem(item);
  if (TPrintObjectList* list = object->AsObjectList())
    for (int i = 0; i < list->Count(); ++i)
      if (TPrintObject* c = list->GetChild(i)) AddNode(item, c, select);
}

void TfStructure::FillTree(const TPrintObject* select) {
  {
    const QSignalBlocker block(tvObjects);
    tvObjects->clear();
    AddNode(nullptr, FDocument, select);
    tvObjects->expandAll();
  }
  UpdateSelection();
}

TPrintObject* TfStructure::Current() const { return ObjectOf(tvObjects->currentItem()); }

void TfStructure::UpdateSelection() {
  TPrintObject* o = Current();
  lCaption->setText(o ? o->Caption() : QString());
  lGeometry->setText(o ? GeometryText(o) : QString());
  lKind->setText(o ? TranslateKindName(o->GetKind()) : QString());
  btnProperties->setEnabled(o && o != FDocument);
  btnAdd->setEnabled(o && (o->Flags() & pfInsert));
  btnDelete->setEnabled(o && (o->Flags() & pfDeletable));
}

void TfStructure::btnPropertiesClick() {
  TPrintObject* o = Current();
  if (!o || o == FDocument) return;
  if (!o->EditProperties()) return;
  FChanged = true;
  // A block's dialog may add or delete its columns: the tree is built again.
  FillTree(o);
}

void TfStructure::btnAddClick() {
  TPrintObject* o = Current();
  TPrintObjectList* list = o && (o->Flags() & pfInsert) ? o->AsObjectList() : nullptr;
  if (!list) return;
  if (list->InsertNewChildAt(o->Left(), o->Top(), o->Left(), o->Top())) {
    FChanged = true;
    accept();
  }
}

void TfStructure::btnDeleteClick() {
  QTreeWidgetItem* item = tvObjects->currentItem();
  TPrintObject* o = ObjectOf(item);
  if (!o || !(o->Flags() & pfDeletable)) return;
  // The parent's node; the object itself is gone after a delete.
  const TPrintObject* parent = ObjectOf(item->parent());
  if (!o->DeleteWithConfirm()) return;
  FChanged = true;
  FillTree(parent);
}

bool TfStructure::Execute(TPrintObject* object) {
  auto* document = dynamic_cast<TPrintDocument*>(object);
  if (!document) return false;
  TfStructure dialog(document);
  dialog.exec();
  return dialog.ChangedDocument();
}
