#include "uFLCEntry.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uLineStyleDialog.h"
#include "uNumbers.h"
#include "uSettings.h"
#include "uStratColEntry.h"

namespace {

QString Mm(double v) { return QString::fromStdString(FormatGeneral(v)); }

// The width a sign list needs to show its codes with their rock names whole:
// its widest entry, a scroll bar and its frame.
int ListContentWidth(const QAbstractItemView* view) {
  return view->sizeHintForColumn(0) + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * view->frameWidth() +
         4;
}

// Completions shown as code and rock name, written as the code alone.
class TSignCompleter : public QCompleter {
 public:
  using QCompleter::QCompleter;
  QString pathFromIndex(const QModelIndex& index) const override { return index.data(Qt::UserRole).toString(); }
};

}  // namespace

TSignItemDelegate::TSignItemDelegate(IStratDataBase* database, QObject* parent)
    : QStyledItemDelegate(parent), FDataBase(database), FSize(std::clamp(Settings().LdbIconSize(), 12, 128)) {}

void TSignItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QString name = index.data(Qt::DisplayRole).toString();
  if (!FDataBase || name.isEmpty()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  painter->save();
  if (option.state & QStyle::State_Selected) painter->fillRect(option.rect, option.palette.highlight());
  const QRect r = option.rect.adjusted(1, 1, -1, -1);
  stratDrawListItem(painter, FDataBase, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, SignNameBytes(name),
                    false);
  const QString caption = SignCaption(FDataBase, name);
  if (!caption.isEmpty()) {
    // After the icon (as wide as the row is high) and the name, as the library lays them out.
    const int left = r.left() + r.height() + 2 + painter->fontMetrics().horizontalAdvance(name) + 10;
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                               : QPalette::PlaceholderText));
    painter->drawText(QRect(left, r.top(), std::max(0, r.right() - left), r.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
  }
  painter->restore();
}

QString SignCaption(IStratDataBase* database, const QString& name) {
  TComPtr<IStratSign> sign;
  if (!database || name.isEmpty() || database->FindByName(SignNameBytes(name), sign.Put()) != S_OK || !sign) return {};
  TComPtr<IStratSignCaptions> captions = sign.As<IStratSignCaptions>(IID_IStratSignCaptions);
  if (!captions) return {};
  const std::string language =
      TranslateGeneral(QStringLiteral("LanguageCode"), QStringLiteral("en")).trimmed().toLower().toStdString();
  TShortString caption{};
  captions->GetCaption(language.c_str(), &caption);
  return SignNameText(caption);
}

QSize TSignItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize s = QStyledItemDelegate::sizeHint(option, index);
  s.setHeight(std::max(s.height(), FSize));
  const QString name = index.data(Qt::DisplayRole).toString();
  if (FDataBase && !name.isEmpty()) {
    // Icon, name and caption laid out as paint draws them.
    const QString caption = SignCaption(FDataBase, name);
    const QFontMetrics metrics = option.fontMetrics;
    int width = 2 + s.height() + 2 + metrics.horizontalAdvance(name) + 2;
    if (!caption.isEmpty()) width += 8 + metrics.horizontalAdvance(caption) + 4;
    s.setWidth(std::max(s.width(), width));
  }
  return s;
}

QStringList DataBaseSignNames(IStratDataBase* database) {
  QStringList names;
  if (!database) return names;
  for (int i = 0; i < database->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    if (database->GetSign(i, sign.Put()) != S_OK || !sign) continue;
    TShortString name{};
    sign->GetName(&name);
    names << SignNameText(name);
  }
  if (Settings().LdbSort()) names.sort(Qt::CaseInsensitive);
  return names;
}

void UseSignIcons(QAbstractItemView* view, IStratDataBase* database) {
  if (Settings().LdbIcon()) view->setItemDelegate(new TSignItemDelegate(database, view));
}

void UseSignIcons(QComboBox* combo, IStratDataBase* database) {
  if (!Settings().LdbIcon()) return;
  combo->setItemDelegate(new TSignItemDelegate(database, combo));
  // The list opens as wide as its captions even from a narrow grid cell.
  combo->view()->setMinimumWidth(std::min(ListContentWidth(combo->view()), 600));
}

void UseSignCompleter(QComboBox* combo, IStratDataBase* database) {
  if (!combo || !combo->isEditable()) return;
  auto* model = new QStandardItemModel(combo);
  for (const QString& code : DataBaseSignNames(database)) {
    const QString caption = SignCaption(database, code);
    auto* item = new QStandardItem(caption.isEmpty() ? code : code + QStringLiteral("  ") + caption);
    item->setData(code, Qt::UserRole);
    model->appendRow(item);
  }
  auto* completer = new TSignCompleter(model, combo);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);
  combo->setCompleter(completer);
  // As wide as its codes with their names, even under a narrow grid cell.
  completer->popup()->setMinimumWidth(std::min(ListContentWidth(completer->popup()), 600));
}

TMmField::TMmField(QWidget* parent) : QObject(parent) {
  Edit = new QLineEdit(parent);
  Slider = new QSlider(Qt::Horizontal, parent);
  Slider->setRange(0, 100);
  connect(Slider, &QSlider::valueChanged, this, [this](int pos) {
    if (FUpdating) return;
    FUpdating = true;
    Edit->setText(Mm(pos / 5.0));
    FUpdating = false;
    emit Changed();
  });
  connect(Edit, &QLineEdit::textEdited, this, [this] {
    if (FUpdating) return;
    FUpdating = true;
    const int pos = static_cast<int>(std::lround(Value() * 5));
    Slider->setRange(std::min(Slider->minimum(), pos - 1), std::max(Slider->maximum(), pos + 1));
    Slider->setValue(pos);
    FUpdating = false;
    emit Changed();
  });
}

double TMmField::Value() const {
  const double v = ReadNumber(Edit->text().trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
  return std::isfinite(v) ? v : Slider->value() / 5.0;
}

void TMmField::SetValue(double value) {
  FUpdating = true;
  const int pos = static_cast<int>(std::lround(value * 5));
  Slider->setRange(std::min(Slider->minimum(), pos - 1), std::max(Slider->maximum(), pos + 1));
  Slider->setValue(pos);
  // A text that already reads as the value (a trailing separator aside) stays as typed.
  QString text = Edit->text();
  if (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char(','))) text.chop(1);
  if (ReadNumber(text.toStdString(), std::numeric_limits<double>::quiet_NaN()) != value) Edit->setText(Mm(value));
  FUpdating = false;
}

void TMmField::SetEnabled(bool on) {
  Edit->setEnabled(on);
  Slider->setEnabled(on);
}

TfLDBList::TfLDBList(IStratDataBase* database, QWidget* parent) : QDialog(parent), FDataBase(database) {
  setObjectName(QStringLiteral("TfLDBList"));
  setWindowTitle(TranslateGeneral(QStringLiteral("SelectSign"), QStringLiteral("Select sign from database")));
  // Seventy signs are found faster by typing part of the rock's name.
  eFind = new QLineEdit(this);
  eFind->setObjectName(QStringLiteral("eFind"));
  eFind->setPlaceholderText(TranslateGeneral(QStringLiteral("FindSign"), QStringLiteral("Code or rock name")));
  eFind->setClearButtonEnabled(true);
  lbSigns = new QListWidget(this);
  lbSigns->setObjectName(QStringLiteral("lbSigns"));
  lbSigns->addItems(DataBaseSignNames(database));
  UseSignIcons(lbSigns, database);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/stratcol"));
  btnOK = buttons->button(QDialogButtonBox::Ok);
  btnOK->setEnabled(false);
  connect(eFind, &QLineEdit::textChanged, this, &TfLDBList::Filter);
  eFind->installEventFilter(this);
  connect(lbSigns, &QListWidget::currentRowChanged, this,
          [this](int row) { btnOK->setEnabled(row >= 0 && !lbSigns->item(row)->isHidden()); });
  connect(lbSigns, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (btnOK->isEnabled()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(eFind);
  root->addWidget(lbSigns);
  root->addWidget(buttons);
  // As wide as the codes with their rock names.
  resize(std::clamp(ListContentWidth(lbSigns) + 36, 320, 640), 460);
}

void TfLDBList::Filter(const QString& text) {
  const QString wanted = text.trimmed();
  // The current one: the code typed, else a code that begins so, else a rock
  // name that begins so, else the first sign shown ("LST" is limestone, not
  // claystone's CLST; "sand" is sand or sandstone before "Clay, sandy").
  int exact = -1, begins = -1, named = -1, first = -1;
  for (int i = 0; i < lbSigns->count(); ++i) {
    QListWidgetItem* item = lbSigns->item(i);
    const QString code = item->text();
    const QString caption = SignCaption(FDataBase, code);
    const bool shown =
        wanted.isEmpty() || code.contains(wanted, Qt::CaseInsensitive) || caption.contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!shown);
    if (!shown) continue;
    if (first < 0) first = i;
    if (named < 0 && caption.startsWith(wanted, Qt::CaseInsensitive)) named = i;
    if (begins < 0 && code.startsWith(wanted, Qt::CaseInsensitive)) begins = i;
    if (exact < 0 && code.compare(wanted, Qt::CaseInsensitive) == 0) exact = i;
  }
  const int current = exact >= 0 ? exact : begins >= 0 ? begins : named >= 0 ? named : first;
  lbSigns->setCurrentRow(current);
  btnOK->setEnabled(current >= 0);
}

bool TfLDBList::eventFilter(QObject* watched, QEvent* event) {
  // The arrow keys walk the list while the typing stays in the field.
  if (watched == eFind && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(lbSigns, event);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QString TfLDBList::Chosen() const {
  const QListWidgetItem* item = lbSigns->currentItem();
  return item && !item->isHidden() ? item->text() : QString();
}

bool ChooseSign(IStratDataBase* database, QString* name, QWidget* parent) {
  if (!database || !name) return false;
  TfLDBList dialog(database, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  TComPtr<IStratSign> sign;
  if (database->FindByName(SignNameBytes(dialog.Chosen()), sign.Put()) != S_OK || !sign) return false;
  TShortString found{};
  sign->GetName(&found);
  *name = SignNameText(found);
  return true;
}

TFLCEntry::TFLCEntry(TStratColEntry* layer, QWidget* parent) : QDialog(parent), FLayer(layer) {
  setObjectName(QStringLiteral("TFLCEntry"));
  setWindowTitle(TranslateKindName(layer->GetKind()) + QLatin1Char(' ') + Mm(layer->TopDepth()) +
                 QStringLiteral(" - ") + Mm(layer->BottomDepth()));
  // The dialog edits the layer itself; these bring it back on Cancel.
  stratCreateField(FKeptField.Put());
  if (FKeptField && layer->GetField()) stratCopy(layer->GetField().Get(), FKeptField.Get());
  FKeptLine = layer->GetTopLine();
  IStratDataBase* db = layer->DataBase();

  lbSigns = new QListWidget(this);
  lbSigns->setObjectName(QStringLiteral("lbSigns"));
  UseSignIcons(lbSigns, db);
  cbSign = new QComboBox(this);
  cbSign->setObjectName(QStringLiteral("cbSign"));
  cbSign->addItems(DataBaseSignNames(db));
  UseSignIcons(cbSign, db);
  fOffsetX = new TMmField(this);
  fOffsetY = new TMmField(this);
  fSpaceX = new TMmField(this);
  fSpaceY = new TMmField(this);
  seCountX = new QSpinBox(this);
  seCountY = new QSpinBox(this);
  for (QSpinBox* s : {seCountX, seCountY}) s->setRange(1, 10000);
  cbCut = new QCheckBox(TranslateGeneral(QStringLiteral("CutBorder"), QStringLiteral("Cut outside borders")), this);
  btnUp = new QPushButton(TranslateWord(QStringLiteral("Up")), this);
  btnDown = new QPushButton(TranslateWord(QStringLiteral("Down")), this);
  btnAdd = new QPushButton(TranslateWord(QStringLiteral("Add")), this);
  btnDelete = new QPushButton(TranslateWord(QStringLiteral("Delete")), this);
  btnPlace = new QPushButton(
      TranslateGeneral(QStringLiteral("PlaceAutomatically"), QStringLiteral("Place Automatically")), this);
  pColor = new TColorPanel(this);
  cbWidth = new TLineWidthCombo(this);
  cbStyle = new TLineStyleCombo(this);
  cbPreview = new QCheckBox(TranslateWord(QStringLiteral("Preview")), this);
  for (auto [w, n] : std::initializer_list<std::pair<QWidget*, const char*>>{{fOffsetX->Edit, "edOffsetX"},
                                                                             {fOffsetY->Edit, "edOffsetY"},
                                                                             {fSpaceX->Edit, "edSpaceX"},
                                                                             {fSpaceY->Edit, "edSpaceY"},
                                                                             {seCountX, "seCountX"},
                                                                             {seCountY, "seCountY"},
                                                                             {cbCut, "cbCut"},
                                                                             {btnUp, "btnUp"},
                                                                             {btnDown, "btnDown"},
                                                                             {btnAdd, "btnAdd"},
                                                                             {btnDelete, "btnDelete"},
                                                                             {btnPlace, "btnPlace"},
                                                                             {pColor, "pColor"},
                                                                             {cbWidth, "cbWidth"},
                                                                             {cbStyle, "cbStyle"},
                                                                             {cbPreview, "cbPreview"}})
    w->setObjectName(QString::fromLatin1(n));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(TranslateWord(QStringLiteral("Layer")), this), 0, 0);
  grid->addWidget(cbSign, 0, 1, 1, 4);
  grid->addWidget(new QLabel(TranslateWord(QStringLiteral("Position")), this), 1, 0);
  grid->addWidget(fOffsetX->Edit, 1, 1);
  grid->addWidget(fOffsetX->Slider, 1, 2);
  grid->addWidget(fOffsetY->Edit, 1, 3);
  grid->addWidget(fOffsetY->Slider, 1, 4);
  grid->addWidget(new QLabel(TranslateWord(QStringLiteral("Space")), this), 2, 0);
  grid->addWidget(fSpaceX->Edit, 2, 1);
  grid->addWidget(fSpaceX->Slider, 2, 2);
  grid->addWidget(fSpaceY->Edit, 2, 3);
  grid->addWidget(fSpaceY->Slider, 2, 4);
  grid->addWidget(new QLabel(TranslateGeneral(QStringLiteral("BlockCount"), QStringLiteral("Block count")), this), 3,
                  0);
  grid->addWidget(seCountX, 3, 1);
  grid->addWidget(seCountY, 3, 3);
  grid->addWidget(cbCut, 4, 1, 1, 4);
  auto* side = new QVBoxLayout;
  for (QPushButton* b : {btnUp, btnDown, btnAdd, btnDelete, btnPlace}) side->addWidget(b);
  side->addStretch();
  auto* signsRow = new QHBoxLayout;
  signsRow->addWidget(lbSigns, 1);
  signsRow->addLayout(side);
  auto* signsBox =
      new QGroupBox(TranslateGeneral(QStringLiteral("LCSigns"), QStringLiteral("Stratological signs")), this);
  auto* signsLayout = new QVBoxLayout(signsBox);
  signsLayout->addLayout(signsRow);
  signsLayout->addLayout(grid);
  auto* lineBox = new QGroupBox(TranslateGeneral(QStringLiteral("TopBoundary"), QStringLiteral("Top boundary")), this);
  auto* lineForm = new QFormLayout(lineBox);
  lineForm->addRow(TranslateWord(QStringLiteral("Color")), pColor);
  lineForm->addRow(TranslateGeneral(QStringLiteral("LineWidth"), QStringLiteral("Width")), cbWidth);
  lineForm->addRow(TranslateWord(QStringLiteral("Style")), cbStyle);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/stratcol"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cbPreview);
  bottom->addStretch();
  bottom->addWidget(buttons);
  auto* root = new QVBoxLayout(this);
  root->addWidget(signsBox);
  root->addWidget(lineBox);
  root->addLayout(bottom);

  pColor->SetColor(static_cast<uint32_t>(FKeptLine.Color));
  cbWidth->SetWidth(FKeptLine.LineWidth);
  cbStyle->SetStyle(FKeptLine.Style);
  FillList(layer->SignCount() > 0 ? 0 : -1);

  connect(lbSigns, &QListWidget::currentRowChanged, this, [this] { ShowSelected(); });
  for (TMmField* f : {fOffsetX, fOffsetY, fSpaceX, fSpaceY})
    connect(f, &TMmField::Changed, this, [this] { WriteSelected(); });
  for (QSpinBox* s : {seCountX, seCountY}) connect(s, &QSpinBox::valueChanged, this, [this] { WriteSelected(); });
  connect(cbCut, &QCheckBox::toggled, this, [this] { WriteSelected(); });
  connect(cbSign, &QComboBox::currentIndexChanged, this, [this, db] {
    // The closed box shows the code alone; the rock's name is a tip away.
    cbSign->setToolTip(SignCaption(db, cbSign->currentText()));
    WriteSelected();
  });
  connect(pColor, &TColorPanel::ColorChanged, this, [this] { WriteLine(); });
  connect(cbWidth, &QComboBox::currentIndexChanged, this, [this] { WriteLine(); });
  connect(cbStyle, &QComboBox::currentIndexChanged, this, [this] { WriteLine(); });
  connect(btnAdd, &QPushButton::clicked, this, [this] { Add(); });
  connect(btnDelete, &QPushButton::clicked, this, [this] {
    const int row = lbSigns->currentRow();
    if (row < 0 || !FLayer->DeleteSign(row)) return;
    FillList(std::min(row, FLayer->SignCount() - 1));
    Changed();
  });
  connect(btnUp, &QPushButton::clicked, this, [this] { Move(-1); });
  connect(btnDown, &QPushButton::clicked, this, [this] { Move(1); });
  connect(btnPlace, &QPushButton::clicked, this, [this] {
    FLayer->AutoPlace();
    ShowSelected();
    Changed();
  });
}

void TFLCEntry::FillList(int select) {
  FFilling = true;
  lbSigns->clear();
  lbSigns->addItems(FLayer->SignNames());
  FFilling = false;
  lbSigns->setCurrentRow(select);
  ShowSelected();
}

void TFLCEntry::SelectSign(int row) { lbSigns->setCurrentRow(row); }

void TFLCEntry::ShowSelected() {
  const int row = lbSigns->currentRow();
  TStratPlacement item{};
  const bool have = row >= 0 && FLayer->GetPlacement(row, &item) == S_OK;
  FFilling = true;
  for (TMmField* f : {fOffsetX, fOffsetY, fSpaceX, fSpaceY}) f->SetEnabled(have);
  for (QWidget* w : std::initializer_list<QWidget*>{seCountX, seCountY, cbCut, cbSign}) w->setEnabled(have);
  btnUp->setEnabled(have && row > 0);
  btnDown->setEnabled(have && row < lbSigns->count() - 1);
  btnDelete->setEnabled(have);
  if (have) {
    fOffsetX->SetValue(item.OffsetX);
    fOffsetY->SetValue(item.OffsetY);
    fSpaceX->SetValue(item.SpaceX);
    fSpaceY->SetValue(item.SpaceY);
    seCountX->setValue(item.CountX);
    seCountY->setValue(item.CountY);
    cbCut->setChecked((item.Flags & kStratCutOutside) != 0);
    const QString name = SignNameText(item.SignName);
    int index = cbSign->findText(name, Qt::MatchFixedString);
    if (index < 0 && !name.isEmpty()) {
      cbSign->addItem(name);  // a sign the database lacks still shows its name
      index = cbSign->count() - 1;
    }
    cbSign->setCurrentIndex(index);
  } else {
    cbSign->setCurrentIndex(-1);
  }
  cbSign->setToolTip(SignCaption(FLayer->DataBase(), cbSign->currentText()));
  FFilling = false;
}

void TFLCEntry::WriteSelected() {
  const int row = lbSigns->currentRow();
  TStratPlacement item{};
  if (FFilling || row < 0 || FLayer->GetPlacement(row, &item) != S_OK) return;
  item.OffsetX = fOffsetX->Value();
  item.OffsetY = fOffsetY->Value();
  item.SpaceX = fSpaceX->Value();
  item.SpaceY = fSpaceY->Value();
  item.CountX = seCountX->value();
  item.CountY = seCountY->value();
  item.Flags = cbCut->isChecked() ? item.Flags | kStratCutOutside : item.Flags & ~kStratCutOutside;
  if (cbSign->currentIndex() >= 0) item.SignName = SignNameBytes(cbSign->currentText());
  FLayer->SetPlacement(row, item);
  if (QListWidgetItem* it = lbSigns->item(row)) it->setText(SignNameText(item.SignName));
  Changed();
}

void TFLCEntry::WriteLine() {
  if (FFilling) return;
  FLayer->SetTopLine({cbStyle->Style(), static_cast<int32_t>(pColor->Color()), cbWidth->Width()});
  Changed();
}

void TFLCEntry::Changed() {
  if (cbPreview->isChecked() && FLayer->Parent()) FLayer->Parent()->Invalidate(FLayer);
}

void TFLCEntry::Add() {
  QString name;
  if (!ChooseSign(FLayer->DataBase(), &name, this)) return;
  const int at = lbSigns->currentRow() + 1;
  if (!FLayer->InsertSignName(at, name)) return;
  // A layer's first sign fills the layer, as a rock pattern is expected to;
  // with several signs the user arranges them (or asks for placement).
  if (FLayer->SignCount() == 1) FLayer->AutoPlace();
  FillList(std::min(at, FLayer->SignCount() - 1));
  Changed();
}

void TFLCEntry::Move(int by) {
  const int row = lbSigns->currentRow();
  const int other = row + by;
  TComPtr<IStratField> field = FLayer->GetField();
  if (row < 0 || other < 0 || other >= FLayer->SignCount() || !field || field->Exchange(row, other) != S_OK) return;
  FLayer->SetModified(true);
  FillList(other);
  Changed();
}

void TFLCEntry::reject() {
  TComPtr<IStratField> field = FLayer->GetField();
  if (field && FKeptField) stratCopy(FKeptField.Get(), field.Get());
  FLayer->SetTopLine(FKeptLine);
  QDialog::reject();
}

bool RunLayerDialog(TStratColEntry* layer, QWidget* parent) {
  if (!layer) return false;
  TFLCEntry dialog(layer, parent);
  return dialog.exec() == QDialog::Accepted;
}
