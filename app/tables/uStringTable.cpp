#include "uStringTable.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#include "qsID.h"
#include "uCodePage.h"
#include "uTableImport.h"
#include "uTableText.h"
#include "uUiServices.h"

namespace {

// Text IDs run from qsTableCellText upwards; a table whose cell count would
// overflow the ID range cannot be stored. Loading also refuses counts that
// would need absurd memory (a damaged stream), the same limit for both.
constexpr int64_t kMaxStoredCells = std::min<int64_t>(std::numeric_limits<int32_t>::max() - qsTableCellText, 1 << 26);

std::string ToStored(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

QString FromStored(const std::string& bytes) { return QString::fromStdString(Cp1251ToUtf8(bytes)); }

}  // namespace

TStringTable::TStringTable() = default;

void TStringTable::SetColCount(int n) {
  n = std::max(0, n);
  FColCount = n;
  FHeader.Cells.resize(static_cast<size_t>(n));
  for (TStringTableRow& row : FRows) row.Cells.resize(static_cast<size_t>(n));
}

void TStringTable::SetRowCount(int n) {
  n = std::max(0, n);
  const size_t old = FRows.size();
  FRows.resize(static_cast<size_t>(n));
  for (size_t i = old; i < FRows.size(); ++i) FRows[i].Cells.resize(static_cast<size_t>(FColCount));
}

void TStringTable::SetCell(int col, int row, const QString& text) {
  if (col < 0 || col >= FColCount || row < 0 || row >= RowCount()) return;
  FRows[static_cast<size_t>(row)].Cells[static_cast<size_t>(col)].Text = text;
}

QString TStringTable::GetCell(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= RowCount()) return {};
  return FRows[static_cast<size_t>(row)].Cells[static_cast<size_t>(col)].Text;
}

int32_t TStringTable::GetCellData(int col, int row) const {
  if (col < 0 || col >= FColCount || row < 0 || row >= RowCount()) return 0;
  return FRows[static_cast<size_t>(row)].Cells[static_cast<size_t>(col)].Data;
}

void TStringTable::SetCellData(int col, int row, int32_t value) {
  if (col < 0 || col >= FColCount || row < 0 || row >= RowCount()) return;
  FRows[static_cast<size_t>(row)].Cells[static_cast<size_t>(col)].Data = value;
}

QString TStringTable::GetHeader(int col) const {
  if (col < 0 || col >= FColCount) return {};
  return FHeader.Cells[static_cast<size_t>(col)].Text;
}

void TStringTable::SetHeader(int col, const QString& text) {
  if (col < 0 || col >= FColCount) return;
  FHeader.Cells[static_cast<size_t>(col)].Text = text;
}

TInterval* TStringTable::GetRowInterval(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  return FRows[static_cast<size_t>(row)].Interval;
}

void TStringTable::SetRowInterval(int row, TInterval* interval) {
  if (row < 0 || row >= RowCount()) return;
  FRows[static_cast<size_t>(row)].Interval = interval;
}

const TStringTableRow* TStringTable::Row(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  return &FRows[static_cast<size_t>(row)];
}

bool TStringTable::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) return false;
  FRows.erase(FRows.begin() + row);
  return true;
}

void TStringTable::Clear() {
  SetRowCount(0);
  SetColCount(0);
}

bool TStringTable::Assign(const TStringTable& source) {
  if (&source == this) return true;
  // A direct copy: going through the stored form would cut long cells to 255
  // characters and drop the header.
  AutoColumns = source.AutoColumns;
  FileName = source.FileName;
  FColCount = source.FColCount;
  FHeader.Cells = source.FHeader.Cells;
  FHeader.Interval = nullptr;
  FRows.clear();
  FRows.resize(source.FRows.size());
  for (size_t i = 0; i < FRows.size(); ++i)
    FRows[i].Cells = source.FRows[i].Cells;  // intervals belong to the source's owner
  SetColCount(FColCount);
  SetRowCount(RowCount());
  return true;
}

bool TStringTable::SaveToQS(ICompoundStream* stream) const {
  const int64_t n = FColCount;
  const int64_t cells = n * RowCount();
  if (cells > kMaxStoredCells) return false;
  if (!qsWriteInteger(stream, qsTableColCount, FColCount)) return false;
  if (!qsWriteInteger(stream, qsTableRowCount, RowCount())) return false;
  const bool perCellData = cells <= kTableCellDataIdLimit;
  bool anyData = false;
  int32_t index = 0;
  for (const TStringTableRow& row : FRows) {
    for (const TStringTableCell& cell : row.Cells) {
      if (!cell.Text.isEmpty() && !qsWriteShortStr(stream, qsTableCellText + index, ToStored(cell.Text))) return false;
      if (cell.Data != 0) {
        anyData = true;
        if (perCellData && !qsWriteInteger(stream, qsTableCellData + index, cell.Data)) return false;
      }
      ++index;
    }
  }
  if (!perCellData && anyData) {
    std::vector<int32_t> block;
    block.reserve(static_cast<size_t>(cells));
    for (const TStringTableRow& row : FRows)
      for (const TStringTableCell& cell : row.Cells) block.push_back(cell.Data);
    if (stream->WriteBuffer(qsTableCellDataBlock, block.data(), static_cast<int32_t>(block.size() * sizeof(int32_t))) !=
        S_OK)
      return false;
  }
  return true;
}

bool TStringTable::LoadFromQS(ICompoundStream* stream) {
  if (!stream) return false;
  const int32_t cols = qsReadInteger(stream, qsTableColCount, 0);
  const int32_t rows = qsReadInteger(stream, qsTableRowCount, 0);
  if (cols < 0 || rows < 0 || static_cast<int64_t>(cols) * rows > kMaxStoredCells) {
    // Damaged counts: an empty table rather than a huge allocation.
    Clear();
    return false;
  }
  FRows.clear();
  SetColCount(cols);
  SetRowCount(rows);
  const int64_t cells = static_cast<int64_t>(cols) * rows;
  std::vector<int32_t> block;
  if (cells > kTableCellDataIdLimit) {
    TCompoundEntry entry{};
    if (stream->GetEntry(qsTableCellDataBlock, &entry) == S_OK && entry.Tag == qsBinary &&
        entry.Size == static_cast<uint64_t>(cells) * sizeof(int32_t)) {
      block.resize(static_cast<size_t>(cells));
      uint32_t size = entry.Size;
      if (stream->ReadData(qsTableCellDataBlock, 0, block.data(), &size) != S_OK) block.clear();
    }
  }
  int32_t index = 0;
  for (TStringTableRow& row : FRows) {
    for (TStringTableCell& cell : row.Cells) {
      cell.Text = FromStored(qsReadShortStr(stream, qsTableCellText + index, ""));
      if (cells <= kTableCellDataIdLimit)
        cell.Data = qsReadInteger(stream, qsTableCellData + index, 0);
      else if (!block.empty())
        cell.Data = block[static_cast<size_t>(index)];
      ++index;
    }
  }
  return true;
}

QString TStringTable::ResolveReference(const QString& reference) const {
  int64_t numbers[3] = {0, 0, 0};  // R, C, S
  bool given[3] = {false, false, false};
  int current = -1;
  for (const QChar ch : reference) {
    const QChar up = ch.toUpper();
    if (up == u'R') {
      current = 0;
    } else if (up == u'C') {
      current = 1;
    } else if (up == u'S') {
      current = 2;
    } else if (ch >= u'0' && ch <= u'9' && current >= 0) {
      numbers[current] = std::min<int64_t>(numbers[current] * 10 + (ch.unicode() - u'0'), 1LL << 40);
    } else {
      return {};
    }
    if (current >= 0) given[current] = true;
  }
  if (!given[0] || !given[1]) return {};
  if (numbers[0] < 1 || numbers[0] > RowCount() || numbers[1] < 1 || numbers[1] > FColCount) return {};
  const QString text = GetCell(static_cast<int>(numbers[1] - 1), static_cast<int>(numbers[0] - 1));
  if (given[2] && numbers[2] > 0) {
    if (numbers[2] > text.size()) return {};
    return QString(text.at(static_cast<qsizetype>(numbers[2] - 1)));
  }
  return text;
}

void TStringTable::FillFromGrid(TSheetGrid&& grid, bool growColumns) {
  int cols = FColCount;
  if (AutoColumns)
    cols = grid.ColCount;
  else if (growColumns)
    cols = std::max(cols, grid.ColCount);
  std::vector<TStringTableRow> rows(grid.Rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    std::vector<TSheetCell>& source = grid.Rows[r];
    rows[r].Cells.resize(static_cast<size_t>(cols));
    const size_t count = std::min(source.size(), static_cast<size_t>(cols));
    for (size_t c = 0; c < count; ++c) {
      rows[r].Cells[c].Text = std::move(source[c].Text);
      rows[r].Cells[c].Data = static_cast<int32_t>(source[c].Color);
    }
  }
  grid.Rows.clear();
  FRows = std::move(rows);
  // Through the virtual setters so that subclasses size what they keep per row and column.
  SetColCount(cols);
  SetRowCount(RowCount());
}

HRESULT TStringTable::ImportFile(const QString& fileName) { return ImportFile(fileName, ImportChooser()); }

HRESULT TStringTable::ImportFile(const QString& fileName, const TListChooser& chooser) {
  FLastError.clear();
  TTableImportResult result = ImportTableFile(fileName, chooser);
  if (result.Status == TTableImportStatus::Cancelled) return R_CANCELLED;
  if (result.Status == TTableImportStatus::Failed) {
    FLastError = result.Error;
    Ui().Message(TMsgKind::Error, TableText("Import", "Import"), FLastError, mbOK);
    return E_FAIL;
  }
  FillFromGrid(std::move(result.Grid), result.GrowColumns);
  return S_OK;
}

HRESULT TStringTable::ImportWithDialog() {
  TFileDialogOptions options;
  options.Title = TableText("Import", "Import");
  options.Filter = TableImportFilter();
  options.FileName = FileName;
  QString name;
  int filterIndex = 1;
  if (!Ui().OpenFileName(options, &name, &filterIndex)) return R_CANCELLED;
  const HRESULT hr = ImportFile(name);
  if (hr == S_OK) FileName = name;
  return hr;
}

HRESULT TStringTable::ExportWithDialog() {
  TFileDialogOptions options;
  options.Title = TableText("Export", "Export");
  options.Filter = TableExportFilter();
  options.FileName = FileName;
  options.DefaultSuffix = QStringLiteral("txt");
  QString name;
  int filterIndex = 1;
  if (!Ui().SaveFileName(options, &name, &filterIndex)) return R_CANCELLED;
  static const char* const kExt[] = {".txt", ".csv", ".prn"};
  static const QChar kDelim[] = {u'\t', u';', u' '};
  // A typed known extension wins over the filter; otherwise the filter's is added.
  int k = std::clamp(filterIndex, 1, 3) - 1;
  const QString suffix = QLatin1Char('.') + QFileInfo(name).suffix().toLower();
  bool known = false;
  for (int i = 0; i < 3; ++i)
    if (suffix == QLatin1String(kExt[i])) k = i, known = true;
  if (!known) name += QLatin1String(kExt[k]);
  const HRESULT hr = ExportText(name, kDelim[k]);
  if (hr == S_OK) {
    FileName = name;
  } else {
    Ui().Message(TMsgKind::Error, options.Title, FLastError, mbOK);
  }
  return hr;
}

HRESULT TStringTable::ExportText(const QString& fileName, QChar delimiter) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    FLastError = TableError("CannotWrite", "Cannot write the file %s").replace("%s", fileName);
    return E_FAIL;
  }
  QString line;
  for (const TStringTableRow& row : FRows) {
    line.clear();
    for (size_t c = 0; c < row.Cells.size(); ++c) {
      if (c > 0) line += delimiter;
      QString text = row.Cells[c].Text;
      text.replace(u'\r', u' ').replace(u'\n', u' ');
      line += text;
    }
    line += u'\n';
    const QByteArray bytes = line.toUtf8();
    if (file.write(bytes) != bytes.size()) break;
  }
  if (!file.commit()) {
    FLastError = TableError("CannotWrite", "Cannot write the file %s").replace("%s", fileName);
    return E_FAIL;
  }
  return S_OK;
}

QString TableImportFilter() {
  return TableText(
      "ImportFilter",
      "All supported "
      "formats|*.xls;*.xlsx;*.ods;*.mdb;*.accdb;*.sqlite;*.sqlite3;*.db;*.las;*.txt;*.csv;*.tab;*.asc;*.prn"
      "|Excel files (XLS XLSX)|*.xls;*.xlsx|OpenDocument spreadsheets (ODS)|*.ods"
      "|Access database (MDB ACCDB)|*.mdb;*.accdb|SQLite database (SQLITE DB)|*.sqlite;*.sqlite3;*.db"
      "|LAS well logs (LAS)|*.las|Text files tabulated (TXT TAB)|*.txt;*.tab|CSV files (CSV)|*.csv"
      "|All types|*.*");
}

QString TableExportFilter() { return QStringLiteral("TXT(TAB)|*.txt|CSV|*.csv|PRN|*.prn"); }
