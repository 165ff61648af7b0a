#include "uFImportTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uUiServices.h"

namespace {

const QColor kHeader(208, 208, 208);
const QColor kOdd(234, 234, 255);
const QColor kEven(255, 255, 224);
const QColor kBad(255, 160, 160);

// Selected cells keep their colour, darkened to 0.8.
class TPreviewDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QColor bg = index.data(Qt::BackgroundRole).value<QColor>();
    if (option.state & QStyle::State_Selected)
      bg = QColor::fromRgbF(bg.redF() * 0.8f, bg.greenF() * 0.8f, bg.blueF() * 0.8f);
    painter->fillRect(option.rect, bg);
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_Selected;
    plain.backgroundBrush = Qt::NoBrush;
    QStyledItemDelegate::paint(painter, plain, index);
  }
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->backgroundBrush = Qt::NoBrush;
  }
};

}  // namespace

void TIntervalPreviewModel::SetData(TTableData&& data, const QStringList& valueNames) {
  beginResetModel();
  FData = std::move(data);
  FValues = FData.MaxValueCount();
  FNames = valueNames;
  endResetModel();
}

int TIntervalPreviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FData.Count() + 1;
}

int TIntervalPreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2 + FValues; }

QVariant TIntervalPreviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const int col = index.column();
  if (row == 0) {
    if (role == Qt::BackgroundRole) return kHeader;
    if (role == Qt::FontRole) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    if (role != Qt::DisplayRole) return {};
    if (col == 0) return TranslateWord(QStringLiteral("From"));
    if (col == 1) return TranslateWord(QStringLiteral("To"));
    return FNames.value(col - 2, TranslateWord(QStringLiteral("Value")) + QString::number(col - 1));
  }
  const TRowData& r = FData[row - 1];
  if (role == Qt::BackgroundRole) {
    if (col < 2 && IntervalEndsBad(r.From, r.To)) return kBad;
    return row % 2 == 1 ? kOdd : kEven;
  }
  // A long text shows whole under the mouse.
  if (role == Qt::ToolTipRole && col >= 2) return r.Values().value(col - 2);
  if (role != Qt::DisplayRole) return {};
  if (col == 0) return r.From;
  if (col == 1) return r.To;
  return r.Values().value(col - 2);
}

TFImportTable::TFImportTable(TIntervalImport* import, QWidget* parent) : QDialog(parent), FImport(import) {
  btnOpen = new QPushButton(TranslateGeneral(QStringLiteral("OtherFile"), QStringLiteral("Another file")), this);
  btnOpen->setObjectName(QStringLiteral("btnOpen"));
  bID = new QCheckBox(TranslateWord(QStringLiteral("IDs")), this);
  bID->setObjectName(QStringLiteral("bID"));
  bFilter = new QCheckBox(TranslateWord(QStringLiteral("Filter")), this);
  bFilter->setObjectName(QStringLiteral("bFilter"));
  iFilter = new QComboBox(this);
  iFilter->setObjectName(QStringLiteral("iFilter"));
  iFrom = new QComboBox(this);
  iFrom->setObjectName(QStringLiteral("iFrom"));
  iTo = new QComboBox(this);
  iTo->setObjectName(QStringLiteral("iTo"));
  iData = new QListWidget(this);
  iData->setObjectName(QStringLiteral("iData"));
  iData->setSelectionMode(QAbstractItemView::MultiSelection);
  bUnite = new QCheckBox(TranslateGeneral(QStringLiteral("UniteBy"), QStringLiteral("Unite By")), this);
  bUnite->setObjectName(QStringLiteral("bUnite"));
  iUnite = new QComboBox(this);
  iUnite->setObjectName(QStringLiteral("iUnite"));
  sDelimiter = new QLineEdit(this);
  sDelimiter->setObjectName(QStringLiteral("sDelimiter"));
  sDelimiter->setMaximumWidth(60);
  // Numbers taken column by column are not split.
  sDelimiter->setEnabled(!import->ValuesByColumn);
  bUseEmpty = new QCheckBox(TranslateGeneral(QStringLiteral("UseEmpty"), QStringLiteral("Use empty data")), this);
  bUseEmpty->setObjectName(QStringLiteral("bUseEmpty"));
  FPreview = new TIntervalPreviewModel(this);
  tbOutput = new QTableView(this);
  tbOutput->setObjectName(QStringLiteral("tbOutput"));
  tbOutput->setModel(FPreview);
  tbOutput->setItemDelegate(new TPreviewDelegate(tbOutput));
  tbOutput->horizontalHeader()->setVisible(false);
  // The last value (a description, often) takes the room the preview has.
  tbOutput->horizontalHeader()->setStretchLastSection(true);
  tbOutput->verticalHeader()->setVisible(false);
  tbOutput->setEditTriggers(QAbstractItemView::NoEditTriggers);

  auto* options = new QGroupBox(TranslateWord(QStringLiteral("Options")), this);
  auto* form = new QFormLayout(options);
  form->addRow(btnOpen);
  form->addRow(bID);
  form->addRow(bFilter, iFilter);
  form->addRow(TranslateWord(QStringLiteral("From")), iFrom);
  form->addRow(TranslateWord(QStringLiteral("To")), iTo);
  form->addRow(TranslateWord(QStringLiteral("Data")), iData);
  form->addRow(bUnite, iUnite);
  form->addRow(TranslateGeneral(QStringLiteral("DelimiterChar"), QStringLiteral("Delimiter char")), sDelimiter);
  form->addRow(bUseEmpty);

  btnBox = NewOkCancelButtons(this, QStringLiteral("common/import"));
  connect(btnBox, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* top = new QHBoxLayout;
  top->addWidget(options);
  top->addWidget(tbOutput, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(btnBox);

  connect(btnOpen, &QPushButton::clicked, this, [this] { OpenOtherFile(); });
  connect(bID, &QCheckBox::toggled, this, [this] {
    if (FFilling) return;
    FImport->HasIds = bID->isChecked();
    // The filter's texts start below the name row when there is one.
    FillControls();
  });
  connect(bFilter, &QCheckBox::toggled, this, [this] {
    if (FFilling) return;
    FImport->Filter = bFilter->isChecked();
    ColumnsToDefaults();
  });
  for (QComboBox* c : {iFilter, iFrom, iTo, iUnite})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { Rebuild(); });
  connect(iData, &QListWidget::itemSelectionChanged, this, [this] { Rebuild(); });
  connect(bUnite, &QCheckBox::toggled, this, [this] { Rebuild(); });
  connect(bUseEmpty, &QCheckBox::toggled, this, [this] { Rebuild(); });
  connect(sDelimiter, &QLineEdit::textChanged, this, [this] { Rebuild(); });
  FillControls();
  resize(820, 520);
}

void TFImportTable::FillControls() {
  FFilling = true;
  setWindowTitle(TranslateWord(QStringLiteral("Import")) + QLatin1Char(' ') +
                 QFileInfo(FImport->Source.FileName).fileName());
  bID->setChecked(FImport->HasIds);
  bFilter->setChecked(FImport->Filter);
  const QString filterText = FImport->FilterText;
  iFilter->clear();
  iFilter->addItems(FImport->FilterValues());
  const int found = iFilter->findText(filterText, Qt::MatchExactly);
  iFilter->setCurrentIndex(found >= 0 ? found : (iFilter->count() > 0 ? 0 : -1));
  const QStringList captions = FImport->ColumnCaptions();
  for (QComboBox* c : {iFrom, iTo, iUnite}) {
    c->clear();
    c->addItems(captions);
  }
  iData->clear();
  iData->addItems(captions);
  FFilling = false;
  ColumnsToDefaults();
}

void TFImportTable::ColumnsToDefaults() {
  FFilling = true;
  FImport->SetDefaultColumns();
  iFilter->setEnabled(FImport->Filter);
  iFrom->setCurrentIndex(FImport->FromColumn < iFrom->count() ? FImport->FromColumn : -1);
  iTo->setCurrentIndex(FImport->ToColumn < iTo->count() ? FImport->ToColumn : -1);
  iUnite->setCurrentIndex(FImport->UniteColumn < iUnite->count() ? FImport->UniteColumn : -1);
  iData->clearSelection();
  for (int c : FImport->DataColumns)
    if (QListWidgetItem* item = iData->item(c)) item->setSelected(true);
  FFilling = false;
  Rebuild();
}

void TFImportTable::Store() {
  FImport->HasIds = bID->isChecked();
  FImport->Filter = bFilter->isChecked();
  FImport->FilterText = iFilter->currentText();
  FImport->FromColumn = std::max(iFrom->currentIndex(), 0);
  FImport->ToColumn = std::max(iTo->currentIndex(), 0);
  FImport->DataColumns.clear();
  for (int i = 0; i < iData->count(); ++i)
    if (iData->item(i)->isSelected()) FImport->DataColumns.push_back(i);
  FImport->Unite = bUnite->isChecked();
  FImport->UniteColumn = std::max(iUnite->currentIndex(), 0);
  FImport->Delimiter = sDelimiter->text();
  FImport->UseEmpty = bUseEmpty->isChecked();
}

void TFImportTable::Rebuild() {
  if (FFilling) return;
  Store();
  iFilter->setEnabled(bFilter->isChecked());
  iUnite->setEnabled(bUnite->isChecked());
  TTableData data = FImport->Build();
  const QStringList names = FImport->ValueNames(data.MaxValueCount());
  FPreview->SetData(std::move(data), names);
  const bool any = FPreview->Data().AnyValue();
  // Nothing to import: no preview, and OK yields nothing.
  tbOutput->setVisible(any);
}

bool TFImportTable::OpenOtherFile() {
  const HRESULT hr = FImport->LoadFile(QString());
  if (hr == E_FAIL && !FImport->LastError().isEmpty())
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Import")), FImport->LastError(), mbOK);
  if (hr != S_OK) return false;
  FillControls();
  return true;
}

bool TFImportTable::Edit(TIntervalImport* import, QWidget* parent) {
  TFImportTable dialog(import, parent);
  return dialog.exec() == QDialog::Accepted;
}

void RegisterIntervalImportDialog() {
  SetIntervalImportEditor([](TIntervalImport* import) { return TFImportTable::Edit(import); });
}
