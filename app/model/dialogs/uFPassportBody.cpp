#include "uFPassportBody.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uNumberFields.h"
#include "uPassportBody.h"
#include "uPrintDeepObject.h"
#include "uPropertiesDialogs.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

QLineEdit* Edit(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  return e;
}

QString Word(const char* key, const char* def) {
  return TranslateGeneral(QString::fromLatin1(key), QString::fromLatin1(def));
}

}  // namespace

TFPassportBody::TFPassportBody(TPassportBody* body, QWidget* parent) : QDialog(parent), FBody(body) {
  setObjectName(QStringLiteral("TFPassportBody"));
  setWindowTitle(body->Caption());
  lColumns = new QListWidget(this);
  lColumns->setObjectName(QStringLiteral("lColumns"));
  sName = Edit("sName", this);
  sLeft = Edit("sLeft", this);
  sRight = Edit("sRight", this);
  auto* form = new QFormLayout();
  form->addRow(Word("Name", "Name"), sName);
  form->addRow(Word("LeftSide", "Left side"), sLeft);
  form->addRow(Word("RightSide", "Right side"), sRight);

  btnAdd = Button("btnAdd", Word("Add", "Add"), this);
  btnDelete = Button("btnDelete", Word("Delete", "Delete"), this);
  btnScale = Button("btnScale", Word("Scale", "Scale"), this);
  lScale = new QLabel(ScaleText(body->GetVertScale()), this);
  lScale->setObjectName(QStringLiteral("lScale"));
  btnInterval = Button("btnInterval", Word("DepthInterval", "Depth interval"), this);
  lInterval = new QLabel(IntervalText(), this);
  lInterval->setObjectName(QStringLiteral("lInterval"));
  auto* side = new QVBoxLayout();
  side->addWidget(btnAdd);
  side->addWidget(btnDelete);
  side->addSpacing(12);
  side->addWidget(btnScale);
  side->addWidget(lScale);
  side->addSpacing(12);
  side->addWidget(btnInterval);
  side->addWidget(lInterval);
  side->addStretch();

  auto* top = new QHBoxLayout();
  auto* left = new QVBoxLayout();
  left->addWidget(lColumns, 1);
  left->addLayout(form);
  top->addLayout(left, 1);
  top->addLayout(side);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  TranslateButtonBox(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(false);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(buttons);

  connect(lColumns, &QListWidget::currentRowChanged, this, [this](int row) { lColumnsRowChanged(row); });
  connect(lColumns, &QListWidget::itemDoubleClicked, this, [this] { lColumnsDblClick(); });
  connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
  connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
  connect(btnScale, &QPushButton::clicked, this, [this] { btnScaleClick(); });
  connect(btnInterval, &QPushButton::clicked, this, [this] { btnIntervalClick(); });
  FillList(nullptr);
}

QString TFPassportBody::LineText(TPrintObject* column) const {
  return column->Caption() + QLatin1Char(' ') + MillimetreText(column->Left()) + QLatin1Char('-') +
         MillimetreText(column->Left() + column->GetWidth()) + Word("mm", "mm");
}

void TFPassportBody::FillList(const TPrintObject* select) {
  FShown = -1;
  FColumns.clear();
  const QSignalBlocker block(lColumns);
  lColumns->clear();
  int selected = -1;
  for (int i = 0; i < FBody->Count(); ++i) {
    TPrintObject* c = FBody->GetChild(i);
    if (!c) continue;
    if (c == select) selected = static_cast<int>(FColumns.size());
    FColumns.push_back(c);
    lColumns->addItem(new QListWidgetItem(KindIcon(c->GetKind()), LineText(c)));
  }
  lColumns->setCurrentRow(selected);
  ShowColumn(selected);
}

TPrintObject* TFPassportBody::Current() const {
  const int row = lColumns->currentRow();
  return row >= 0 && row < static_cast<int>(FColumns.size()) ? FColumns[static_cast<size_t>(row)] : nullptr;
}

void TFPassportBody::ShowColumn(int row) {
  TPrintObject* c = row >= 0 && row < static_cast<int>(FColumns.size()) ? FColumns[static_cast<size_t>(row)] : nullptr;
  FShown = c ? row : -1;
  auto* data = dynamic_cast<TDataObject*>(c);
  sName->setText(data ? data->Name() : QString());
  sName->setEnabled(data != nullptr);
  sLeft->setText(c ? MillimetreText(c->Left()) : QString());
  sRight->setText(c ? MillimetreText(c->Left() + c->GetWidth()) : QString());
  sLeft->setEnabled(c != nullptr);
  sRight->setEnabled(c != nullptr);
  btnDelete->setEnabled(c != nullptr);
}

void TFPassportBody::ApplyPending() {
  if (FShown < 0 || FShown >= static_cast<int>(FColumns.size())) return;
  TPrintObject* c = FColumns[static_cast<size_t>(FShown)];
  auto* data = dynamic_cast<TDataObject*>(c);
  const bool differs = sLeft->text() != MillimetreText(c->Left()) ||
                       sRight->text() != MillimetreText(c->Left() + c->GetWidth()) ||
                       (data && sName->text() != data->Name());
  if (!differs || !Confirm(QStringLiteral("ApplyObject"), c->Caption())) return;
  // Text that is no number keeps the old edge.
  const double left = MillimetreField(sLeft, c->Left());
  const double right = MillimetreField(sRight, c->Left() + c->GetWidth());
  // A right side at or left of the left side would make a column of no or
  // negative width, which nothing can draw or click: the column stays.
  if (!(right > left)) {
    Ui().Message(TMsgKind::Error, windowTitle(),
                 SubstituteArgs(TranslateError(QStringLiteral("ColumnEdges"),
                                               QStringLiteral("%s: the right side (%s mm) must lie right of the left "
                                                              "side (%s mm); the column keeps its place")),
                                {c->Caption(), MillimetreText(right), MillimetreText(left)}),
                 mbOK);
    return;
  }
  c->SetLeft(left);
  c->SetWidth(right - left);
  if (data && !sName->text().trimmed().isEmpty()) data->SetName(sName->text().trimmed());
  if (QListWidgetItem* item = lColumns->item(FShown)) item->setText(LineText(c));
  c->Changed();
  c->Invalidate(nullptr);
  FChanged = true;
}

void TFPassportBody::lColumnsRowChanged(int row) {
  ApplyPending();
  ShowColumn(row);
}

void TFPassportBody::btnAddClick() {
  ApplyPending();
  // At the body's right end: after the last column.
  double right = FBody->Left();
  for (int i = 0; i < FBody->Count(); ++i)
    if (const TPrintObject* c = FBody->GetChild(i)) right = std::max(right, c->Left() + c->GetWidth());
  const double bottom = FBody->Top() + FBody->GetHeight();
  if (!FBody->InsertNewChildAt(right, bottom, right + TPassportBody::kNewColumnWidth, bottom)) return;
  FChanged = true;
  // The new column is the one not listed yet.
  const TPrintObject* added = nullptr;
  for (int i = 0; i < FBody->Count() && !added; ++i)
    if (std::find(FColumns.begin(), FColumns.end(), FBody->GetChild(i)) == FColumns.end()) added = FBody->GetChild(i);
  FillList(added);
}

void TFPassportBody::btnDeleteClick() {
  TPrintObject* c = Current();
  if (!c) return;
  FShown = -1;  // pending edits of a column going away are dropped
  if (!c->DeleteWithConfirm()) {
    ShowColumn(lColumns->currentRow());
    return;
  }
  FChanged = true;
  FillList(nullptr);
}

void TFPassportBody::btnScaleClick() {
  const uint16_t scale = FBody->ChooseScale();
  if (scale == 0) return;
  FScale = scale;
  lScale->setText(ScaleText(scale));
}

QString TFPassportBody::IntervalText() const {
  return DepthText(FBody->GetStartDepth()) + QStringLiteral(" – ") + DepthText(FBody->BottomDepth()) +
         QLatin1Char(' ') + Word("MetresShort", "m");
}

void TFPassportBody::btnIntervalClick() {
  ApplyPending();
  if (!RunPropertiesDialog(QStringLiteral("TPassportBody.Interval"), FBody)) return;
  FChanged = true;
  lInterval->setText(IntervalText());
  FBody->Invalidate(FBody);
}

void TFPassportBody::lColumnsDblClick() {
  TPrintObject* c = Current();
  if (!c) return;
  ApplyPending();
  if (!c->EditProperties()) return;
  FChanged = true;
  FillList(c);
}

void TFPassportBody::done(int result) {
  if (!FClosing) {
    FClosing = true;
    ApplyPending();
    if (FScale != 0 && FScale != FBody->GetVertScale()) {
      FBody->SetVertScale(FScale);
      FChanged = true;
    }
    FBody->NameChanged();
    FBody->Invalidate(FBody);
  }
  QDialog::done(result);
}

bool TFPassportBody::Execute(TPrintObject* object) {
  auto* body = dynamic_cast<TPassportBody*>(object);
  if (!body) return false;
  TFPassportBody dialog(body);
  dialog.exec();
  return dialog.ChangedBody();
}
