#include "uStringTable.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <limits>

#include "qsID.h"
#include "uCodePage.h"
#include "uShortString.h"
#include "uTableImport.h"
#include "uTableText.h"
#include "uUiServices.h"

namespace {

// Text IDs run from qsTableCellText upwards; a table whose cell count would
// overflow the ID range cannot be stored. Loading also refuses counts that
// would need absurd memory (a damaged stream), the same limit for both.
constexpr int64_t kMaxStoredCells = std::min<int64_t>(std::numeric_limits<int32_t>::max() - qsTableCellText, 1 << 26);

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// A cell's stored form: Windows-1251, at most 255 bytes. ASCII needs no conversion.
void ToStored(std::string_view utf8, TShortString* stored) {
  if (IsAscii(utf8)) {
    SetShortString(stored, utf8);
    return;
  }
  SetShortString(stored, Utf8ToCp1251(utf8));
}

}  // namespace

TStringTable::TStringTable() = default;

void TStringTable::SetColCount(int n) {
  n = std::max(0, n);
  if (n != FCells.ColCount()) FCells.Resize(n, FCells.RowCount());
  FHeader.resize(static_cast<size_t>(n));
}

void TStringTable::SetRowCount(int n) {
  n = std::max(0, n);
  if (n != FCells.RowCount()) FCells.Resize(FCells.ColCount(), n);
  FIntervals.resize(static_cast<size_t>(n), nullptr);
}

void TStringTable::SetCell(int col, int row, const QString& text) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  FCells.SetText(col, row, text);
}

QString TStringTable::GetCell(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return {};
  return FCells.Text(col, row);
}

int32_t TStringTable::GetCellData(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return 0;
  return FCells.Data(col, row);
}

void TStringTable::SetCellData(int col, int row, int32_t value) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  FCells.SetData(col, row, value);
}

QString TStringTable::GetHeader(int col) const {
  if (col < 0 || col >= ColCount()) return {};
  return FHeader[static_cast<size_t>(col)];
}

void TStringTable::SetHeader(int col, const QString& text) {
  if (col < 0 || col >= ColCount()) return;
  FHeader[static_cast<size_t>(col)] = text;
}

TInterval* TStringTable::GetRowInterval(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  return FIntervals[static_cast<size_t>(row)];
}

void TStringTable::SetRowInterval(int row, TInterval* interval) {
  if (row < 0 || row >= RowCount()) return;
  FIntervals[static_cast<size_t>(row)] = interval;
}

TStringTableRow TStringTable::Header() const {
  TStringTableRow header;
  header.Cells.reserve(FHeader.size());
  for (const QString& text : FHeader) header.Cells.push_back({text, 0});
  return header;
}

TStringTableRow TStringTable::Row(int row) const {
  TStringTableRow copy;
  if (row < 0 || row >= RowCount()) return copy;
  copy.Cells.reserve(static_cast<size_t>(ColCount()));
  for (int c = 0; c < ColCount(); ++c) copy.Cells.push_back({FCells.Text(c, row), FCells.Data(c, row)});
  copy.Interval = FIntervals[static_cast<size_t>(row)];
  return copy;
}

bool TStringTable::DeleteRow(int row) {
  if (row < 0 || row >= RowCount()) return false;
  FCells.EraseRow(row);
  FIntervals.erase(FIntervals.begin() + row);
  return true;
}

bool TStringTable::SizeAllowed(int64_t cols, int64_t rows) {
  return cols >= 0 && rows >= 0 && std::max<int64_t>(cols, 1) * std::max<int64_t>(rows, 1) <= kMaxStoredCells;
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
  FCells = source.FCells;
  FHeader = source.FHeader;
  FIntervals.assign(static_cast<size_t>(RowCount()), nullptr);  // intervals belong to the source's owner
  SetColCount(ColCount());
  SetRowCount(RowCount());
  return true;
}

bool TStringTable::SaveToQS(ICompoundStream* stream) const {
  if (!stream) return false;
  const int cols = ColCount();
  const int rows = RowCount();
  const int64_t cells = static_cast<int64_t>(cols) * rows;
  if (cells > kMaxStoredCells) return false;
  if (!qsWriteInteger(stream, qsTableColCount, cols)) return false;
  if (!qsWriteInteger(stream, qsTableRowCount, rows)) return false;
  const bool perCellData = cells <= kTableCellDataIdLimit;
  const bool hasData = FCells.HasData();
  bool anyData = false;
  TShortString stored;
  int32_t index = 0;
  // Texts and values cell by cell, in this order: the container keeps the order of writing.
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c, ++index) {
      const std::string_view text = FCells.Utf8(c, r);
      if (!text.empty()) {
        ToStored(text, &stored);
        if (stream->WriteShortString(qsTableCellText + index, stored) != S_OK) return false;
      }
      if (!hasData) continue;
      const int32_t value = FCells.Data(c, r);
      if (value != 0) {
        anyData = true;
        if (perCellData && stream->WriteInteger(qsTableCellData + index, value) != S_OK) return false;
      }
    }
  }
  if (!perCellData && anyData) {
    std::vector<int32_t> block;
    block.reserve(static_cast<size_t>(cells));
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) block.push_back(FCells.Data(c, r));
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
  if (!SizeAllowed(cols, rows)) {
    // Damaged counts: an empty table rather than a huge allocation.
    Clear();
    return false;
  }
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
  const bool perCellData = cells <= kTableCellDataIdLimit;
  TCellStoreBuilder builder;
  builder.Reserve(static_cast<size_t>(cells));
  std::vector<std::pair<int32_t, int32_t>> values;  // (cell index, value) of the few non-zero values
  const TShortString none{};
  TShortString stored;
  int32_t index = 0;
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < cols; ++c, ++index) {
      if (stream->ReadShortString(qsTableCellText + index, 0, none, &stored) != S_OK) stored.Length = 0;
      const std::string_view text = ShortStringView(stored);
      if (text.empty())
        builder.AddEmpty();
      else if (IsAscii(text))
        builder.AddText(text);
      else
        builder.AddText(std::string_view(Cp1251ToUtf8(text)));
      if (perCellData) {
        const int32_t value = qsReadInteger(stream, qsTableCellData + index, 0);
        if (value != 0) values.emplace_back(index, value);
      }
    }
    builder.EndRow();
  }
  FCells = builder.Finish(cols);
  for (const auto& [i, value] : values) FCells.SetData(i % cols, i / cols, value);
  for (size_t i = 0; i < block.size(); ++i)
    if (block[i] != 0)
      FCells.SetData(static_cast<int>(i % static_cast<size_t>(cols)), static_cast<int>(i / static_cast<size_t>(cols)),
                     block[i]);
  FIntervals.assign(static_cast<size_t>(rows), nullptr);
  // Through the virtual setters so that subclasses size what they keep per row and column.
  SetColCount(cols);
  SetRowCount(rows);
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
  if (numbers[0] < 1 || numbers[0] > RowCount() || numbers[1] < 1 || numbers[1] > ColCount()) return {};
  const QString text = GetCell(static_cast<int>(numbers[1] - 1), static_cast<int>(numbers[0] - 1));
  if (given[2] && numbers[2] > 0) {
    if (numbers[2] > text.size()) return {};
    return QString(text.at(static_cast<qsizetype>(numbers[2] - 1)));
  }
  return text;
}

void TStringTable::FillFromGrid(TSheetGrid&& grid, bool growColumns) {
  FillFromCells(CellsFromGrid(std::move(grid)), growColumns);
}

void TStringTable::FillFromCells(TCellStore&& cells, bool growColumns) {
  int cols = ColCount();
  if (AutoColumns)
    cols = cells.ColCount();
  else if (growColumns)
    cols = std::max(cols, cells.ColCount());
  if (cells.ColCount() != cols) cells.Resize(cols, cells.RowCount());
  FCells = std::move(cells);
  FIntervals.assign(static_cast<size_t>(FCells.RowCount()), nullptr);
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
    return E_FAIL;
  }
  FillFromCells(std::move(result.Cells), result.GrowColumns);
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
  if (hr == S_OK) FileName = name;
  return hr;
}

HRESULT TStringTable::ExportText(const QString& fileName, QChar delimiter) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly)) {
    FLastError = TableError("CannotWrite", "Cannot write the file %s").replace("%s", fileName);
    return E_FAIL;
  }
  const QByteArray delimiterUtf8 = QString(delimiter).toUtf8();
  const std::string_view delimiterBytes(delimiterUtf8.constData(), static_cast<size_t>(delimiterUtf8.size()));
  QByteArray line;
  for (int r = 0; r < RowCount(); ++r) {
    line.clear();
    for (int c = 0; c < ColCount(); ++c) {
      if (c > 0) line.append(delimiterUtf8);
      AppendDelimitedCell(&line, FCells.Utf8(c, r), delimiterBytes, r == 0, ColCount() == 1);
    }
    line.append('\n');
    if (file.write(line) != line.size()) break;
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
