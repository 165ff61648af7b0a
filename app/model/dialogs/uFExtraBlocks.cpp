#include "uFExtraBlocks.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDataObject.h"
#include "uDialogButtons.h"
#include "uExtraBlocks.h"
#include "uLanguage.h"
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
}  // namespace

TFExtraBlocks::TFExtraBlocks(TExtraBlocks* blocks, QWidget* parent)
    : QDialog(parent), FBlocks(blocks), FCopy(std::make_unique<TExtraBlocks>()) {
  setObjectName(QStringLiteral("TFExtraBlocks"));
  setWindowTitle(Word("ExtraBlocks", "Extra blocks"));
  // Each block copied through its kind: Cancel leaves the store untouched.
  FCopy->Assign(blocks);
  lBlocks = new QListWidget(this);
  lBlocks->setObjectName(QStringLiteral("lBlocks"));
  btnAddHead = Button("btnAddHead", Word("AddHead", "Add head"), this);
  btnAddData = Button("btnAddData", Word("AddData", "Add Data"), this);
  btnDelete = Button("btnDelete", Word("Delete", "Delete"), this);
  btnRename = Button("btnRename", Word("Rename", "Rename"), this);
  btnProperties = Button("btnProperties", Word("Properties", "Properties"), this);
  btnLoad = Button("btnLoad", Word("Load", "Load"), this);
  btnSave = Button("btnSave", Word("Save", "Save"), this);
  auto* side = new QVBoxLayout();
  for (QPushButton* b : {btnAddHead, btnAddData, btnDelete, btnRename, btnProperties, btnLoad, btnSave})
    side->addWidget(b);
  side->addStretch();
  auto* top = new QHBoxLayout();
  top->addWidget(lBlocks, 1);
  top->addLayout(side);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("common/extrablock"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(buttons);

  // Heads arrive with their own subsystem: no button for what cannot be made.
  btnAddHead->setVisible(IsKindRegistered(kindHead));
  btnAddData->setVisible(IsKindRegistered(kindBody));
  connect(btnAddHead, &QPushButton::clicked, this, [this] { AddBlock(kindHead); });
  connect(btnAddData, &QPushButton::clicked, this, [this] { AddBlock(kindBody); });
  connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
  connect(btnRename, &QPushButton::clicked, this, [this] { btnRenameClick(); });
  connect(btnProperties, &QPushButton::clicked, this, [this] { btnPropertiesClick(); });
  connect(lBlocks, &QListWidget::itemDoubleClicked, this, [this] { btnPropertiesClick(); });
  connect(btnLoad, &QPushButton::clicked, this, [this] { btnLoadClick(); });
  connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
  connect(lBlocks, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
  connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &QDialog::reject);
  FillList(FCopy->Count() > 0 ? 0 : -1);
}

TFExtraBlocks::~TFExtraBlocks() = default;

void TFExtraBlocks::FillList(int selected) {
  lBlocks->clear();
  for (int i = 0; i < FCopy->Count(); ++i) {
    TPrintObject* b = FCopy->GetChild(i);
    lBlocks->addItem(new QListWidgetItem(KindIcon(b->GetKind()), b->Caption()));
  }
  lBlocks->setCurrentRow(selected);
  UpdateButtons();
}

TPrintObject* TFExtraBlocks::Current() const { return FCopy->GetChild(lBlocks->currentRow()); }

void TFExtraBlocks::UpdateButtons() {
  TPrintObject* b = Current();
  const bool data = dynamic_cast<TDataObject*>(b) != nullptr;
  btnDelete->setEnabled(b != nullptr);
  btnRename->setEnabled(data);
  btnProperties->setEnabled(b != nullptr);
  btnLoad->setEnabled(data);
  btnSave->setEnabled(data);
}

void TFExtraBlocks::AddBlock(int kind) {
  std::unique_ptr<TPrintObject> block = FCopy->CreateChild(kind);
  if (!block) return;
  FillList(FCopy->AddChild(std::move(block)));
}

void TFExtraBlocks::btnDeleteClick() {
  const int row = lBlocks->currentRow();
  if (!FCopy->DeleteChild(row)) return;
  FillList(std::min(row, FCopy->Count() - 1));
}

void TFExtraBlocks::btnRenameClick() {
  auto* data = dynamic_cast<TDataObject*>(Current());
  if (!data) return;
  QString name = data->Name();
  if (!Ui().PromptText(Word("Rename", "Rename"), Word("EnterObjectName", "Enter object name"), &name)) return;
  name = name.trimmed();
  if (name.isEmpty()) return;
  data->SetName(name);
  FillList(lBlocks->currentRow());
}

void TFExtraBlocks::btnPropertiesClick() {
  TPrintObject* b = Current();
  if (b && b->EditProperties()) FillList(lBlocks->currentRow());
}

void TFExtraBlocks::btnLoadClick() {
  auto* data = dynamic_cast<TDataObject*>(Current());
  if (!data) return;
  const HRESULT hr = data->LoadObjectFromFile();
  if (hr == S_OK)
    FillList(lBlocks->currentRow());
  else if (hr != R_CANCELLED)
    Ui().Message(TMsgKind::Error, windowTitle(), TranslateFileError(QStringLiteral("kno"), false), mbOK);
}

void TFExtraBlocks::btnSaveClick() {
  auto* data = dynamic_cast<TDataObject*>(Current());
  if (!data) return;
  const HRESULT hr = data->SaveObjectToFile();
  if (hr != S_OK && hr != R_CANCELLED)
    Ui().Message(TMsgKind::Error, windowTitle(),
                 TranslateError(QStringLiteral("CantSaveFile"), QStringLiteral("Can't save file")), mbOK);
}

void TFExtraBlocks::btnOKClick() {
  FBlocks->Assign(FCopy.get());
  accept();
}

bool TFExtraBlocks::Execute(TPrintObject* object) {
  auto* blocks = dynamic_cast<TExtraBlocks*>(object);
  if (!blocks) return false;
  TFExtraBlocks dialog(blocks);
  return dialog.exec() == QDialog::Accepted;
}
