#include "uFColorLine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uUiServices.h"

namespace {

QLineEdit* NumberEdit(const char* name, double value, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(FormatGeneral(value)), parent);
  edit->setObjectName(QLatin1String(name));
  return edit;
}

double Parse(const QLineEdit* edit, double def) {
  const QByteArray text = edit->text().trimmed().toUtf8();
  return ReadNumber(std::string_view(text.constData(), static_cast<size_t>(text.size())), def);
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

// A square of the category's colour as high as the line, less 2 pixels.
QIcon ColorSquare(uint32_t color, int height) {
  const int side = std::max(1, height - 2);
  QPixmap pixmap(side, side);
  pixmap.fill(ColorRefToQColor(color));
  return QIcon(pixmap);
}

}  // namespace

TFColorLineCategory::TFColorLineCategory(TColorCategory* category, QWidget* parent)
    : QDialog(parent), FCategory(category) {
  setObjectName(QStringLiteral("TFColorLineCategory"));
  setWindowTitle(TranslateWord(QStringLiteral("Category")));
  FTable.Assign(category->Table);
  sName = new QLineEdit(category->Name, this);
  sName->setObjectName(QStringLiteral("sName"));
  iStyle = new QComboBox(this);
  iStyle->setObjectName(QStringLiteral("iStyle"));
  iStyle->addItems({TranslateWord(QStringLiteral("Simple")), TranslateWord(QStringLiteral("Histogramm"))});
  iStyle->setCurrentIndex(category->CategoryType >= 0 && category->CategoryType < 2 ? category->CategoryType : -1);
  clColor = new TColorPanel(this);
  clColor->setObjectName(QStringLiteral("clColor"));
  clColor->SetColor(category->Color);

  gRange = new QGroupBox(TranslateWord(QStringLiteral("Range")), this);
  gRange->setObjectName(QStringLiteral("gRange"));
  sMin = NumberEdit("sMin", category->RangeMin, gRange);
  sMax = NumberEdit("sMax", category->RangeMax, gRange);
  auto* range = new QFormLayout(gRange);
  range->addRow(TranslateWord(QStringLiteral("From")), sMin);
  range->addRow(TranslateWord(QStringLiteral("To")), sMax);

  gSize = new QGroupBox(TranslateWord(QStringLiteral("Position")), this);
  gSize->setObjectName(QStringLiteral("gSize"));
  sLeft = NumberEdit("sLeft", category->BarLeft, gSize);
  sRight = NumberEdit("sRight", category->BarRight, gSize);
  auto* size = new QFormLayout(gSize);
  size->addRow(TranslateWord(QStringLiteral("From")), sLeft);
  size->addRow(TranslateWord(QStringLiteral("To")), sRight);
  bGlue = new QCheckBox(TranslateGeneral(QStringLiteral("GlueClosers"), QStringLiteral("Glue closer sections")), this);
  bGlue->setObjectName(QStringLiteral("bGlue"));
  bGlue->setChecked(category->GlueClosers);
  btnLoad = Button(TranslateWord(QStringLiteral("Load")), "btnLoad", this);
  connect(btnLoad, &QPushButton::clicked, this, &TFColorLineCategory::LoadTable);

  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Name")), sName);
  form->addRow(TranslateWord(QStringLiteral("Type")), iStyle);
  form->addRow(TranslateWord(QStringLiteral("Color")), clColor);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/colorline"));
  FOk = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(gRange);
  root->addWidget(gSize);
  root->addWidget(bGlue);
  root->addWidget(btnLoad);
  root->addWidget(buttons);
  for (QLineEdit* e : {sName, sMin, sMax}) connect(e, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
  connect(iStyle, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
  UpdateControls();
}

bool TFColorLineCategory::CanAccept() const {
  // The range is inclusive: From = To selects one code (oil = 1), as the
  // sample's and most users' categories do.
  const double from = Parse(sMin, std::numeric_limits<double>::quiet_NaN());
  const double to = Parse(sMax, std::numeric_limits<double>::quiet_NaN());
  return !sName->text().isEmpty() && iStyle->currentIndex() >= 0 && std::isfinite(from) && std::isfinite(to) &&
         to >= from;
}

void TFColorLineCategory::UpdateControls() {
  const bool simple = iStyle->currentIndex() == ccSimple;
  gSize->setEnabled(simple);
  bGlue->setEnabled(simple);
  if (FOk) FOk->setEnabled(CanAccept());
}

void TFColorLineCategory::LoadTable() {
  const HRESULT hr = FTable.ImportWithDialog();
  if (hr == S_OK || hr == R_CANCELLED) return;
  Ui().Message(TMsgKind::Error, windowTitle(),
               TranslateError(QStringLiteral("CantLoadFile"), QStringLiteral("Can't load file")), mbOK);
}

void TFColorLineCategory::Apply() {
  FCategory->Name = sName->text();
  FCategory->CategoryType = std::max(0, iStyle->currentIndex());
  FCategory->Color = clColor->Color();
  FCategory->RangeMin = Parse(sMin, 0);
  FCategory->RangeMax = Parse(sMax, 0);
  FCategory->BarLeft = Parse(sLeft, 0);
  FCategory->BarRight = Parse(sRight, 0);
  FCategory->GlueClosers = bGlue->isChecked();
  FCategory->Table.Assign(FTable);
  FCategory->BuildBars();
}

bool TFColorLineCategory::Execute(TColorCategory* category, QWidget* parent) {
  TFColorLineCategory dialog(category, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}

TFColorLine::TFColorLine(TPrintColorLine* line, QWidget* parent) : QDialog(parent), FLine(line) {
  setObjectName(QStringLiteral("TFColorLine"));
  setWindowTitle(line->Caption());
  for (const auto& c : line->Categories()) FWorking.push_back(c->Clone());
  auto* gCategory = new QGroupBox(TranslateWord(QStringLiteral("Category")), this);
  gCategory->setObjectName(QStringLiteral("gCategory"));
  lCategoryList = new QListWidget(gCategory);
  lCategoryList->setObjectName(QStringLiteral("lCategoryList"));
  btnCategoryAdd = Button(TranslateWord(QStringLiteral("Add")), "btnCategoryAdd", gCategory);
  btnCategoryDelete = Button(TranslateWord(QStringLiteral("Delete")), "btnCategoryDelete", gCategory);
  btnCategoryUp = Button(TranslateWord(QStringLiteral("Up")), "btnCategoryUp", gCategory);
  btnCategoryDown = Button(TranslateWord(QStringLiteral("Down")), "btnCategoryDown", gCategory);
  connect(btnCategoryAdd, &QPushButton::clicked, this, &TFColorLine::AddCategory);
  connect(btnCategoryDelete, &QPushButton::clicked, this, &TFColorLine::DeleteCategory);
  connect(btnCategoryUp, &QPushButton::clicked, this, [this] { MoveCategory(-1); });
  connect(btnCategoryDown, &QPushButton::clicked, this, [this] { MoveCategory(1); });
  connect(lCategoryList, &QListWidget::itemDoubleClicked, this, &TFColorLine::EditCategory);
  connect(lCategoryList, &QListWidget::currentRowChanged, this, &TFColorLine::UpdateButtons);
  auto* side = new QVBoxLayout;
  for (QPushButton* b : {btnCategoryAdd, btnCategoryDelete, btnCategoryUp, btnCategoryDown}) side->addWidget(b);
  side->addStretch();
  auto* group = new QHBoxLayout(gCategory);
  group->addWidget(lCategoryList);
  group->addLayout(side);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/colorline"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(gCategory);
  root->addWidget(buttons);
  Refill(FWorking.empty() ? -1 : 0);
}

void TFColorLine::Refill(int current) {
  lCategoryList->clear();
  const int height = lCategoryList->fontMetrics().height();
  lCategoryList->setIconSize(QSize(height - 2, height - 2));
  for (const auto& c : FWorking) lCategoryList->addItem(new QListWidgetItem(ColorSquare(c->Color, height), c->Name));
  lCategoryList->setCurrentRow(current);
  UpdateButtons();
}

void TFColorLine::UpdateButtons() {
  const int row = lCategoryList->currentRow();
  const int count = static_cast<int>(FWorking.size());
  btnCategoryDelete->setEnabled(row >= 0 && row < count);
  btnCategoryUp->setEnabled(row > 0 && row < count);
  btnCategoryDown->setEnabled(row >= 0 && row + 1 < count);
}

void TFColorLine::AddCategory() {
  auto category = std::make_unique<TColorCategory>();
  if (!TFColorLineCategory::Execute(category.get(), this)) return;
  FWorking.push_back(std::move(category));
  Refill(static_cast<int>(FWorking.size()) - 1);
}

void TFColorLine::DeleteCategory() {
  const int row = lCategoryList->currentRow();
  if (row < 0 || row >= static_cast<int>(FWorking.size())) return;
  FWorking.erase(FWorking.begin() + row);
  Refill(std::min(row, static_cast<int>(FWorking.size()) - 1));
}

void TFColorLine::MoveCategory(int step) {
  const int row = lCategoryList->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= static_cast<int>(FWorking.size())) return;
  std::swap(FWorking[static_cast<size_t>(row)], FWorking[static_cast<size_t>(to)]);
  Refill(to);
}

void TFColorLine::EditCategory() {
  const int row = lCategoryList->currentRow();
  if (row < 0 || row >= static_cast<int>(FWorking.size())) return;
  if (TFColorLineCategory::Execute(FWorking[static_cast<size_t>(row)].get(), this)) Refill(row);
}

void TFColorLine::Apply() {
  FLine->Notify(ncBeforeChange);
  FLine->SetCategories(std::move(FWorking));
  FWorking.clear();
  FLine->Invalidate(nullptr);
}

bool TFColorLine::Execute(TPrintObject* object) {
  auto* line = dynamic_cast<TPrintColorLine*>(object);
  if (!line) return false;
  TFColorLine dialog(line);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}
