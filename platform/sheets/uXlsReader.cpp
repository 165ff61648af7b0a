// Excel 97-2003 workbooks (.xls): cell values through FreeXL; number formats
// and font colours from the workbook stream's FORMAT, FONT, XF and PALETTE
// records and each cell record's XF index, and the results of formula cells
// (FORMULA and STRING records), none of which FreeXL exposes.
#include <freexl.h>

#include <QDate>
#include <QHash>
#include <QTemporaryDir>
#include <cstring>

#include "uMemoryStream.h"
#include "uNumberFormat.h"
#include "uOleStreamReader.h"
#include "uSheetReaders.h"
#include "uStorage.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

// What the workbook stream tells about formatting.
struct TBiffStyles {
  std::vector<uint16_t> FontColorIndex;            // per FONT record
  std::vector<std::pair<uint16_t, uint16_t>> Xfs;  // font index, format index
  QHash<int, QString> Formats;
  uint32_t Palette[64] = {};
  bool Date1904 = false;
  std::vector<uint32_t> SheetOffsets;  // BOF of each worksheet, in BOUNDSHEET order
};

// An XLUnicodeString: count, flags byte, then 8- or 16-bit characters.
QString ReadBiffString(const uint8_t* p, size_t size, bool wideCount) {
  size_t pos = 0;
  const size_t countBytes = wideCount ? 2 : 1;
  if (size < countBytes + 1) return {};
  const size_t count = wideCount ? U16(p) : p[0];
  pos = countBytes;
  const uint8_t flags = p[pos++];
  if (flags & 0x08) pos += 2;  // rich text runs count
  if (flags & 0x04) pos += 4;  // extended data size
  QString text;
  if (flags & 0x01) {
    for (size_t i = 0; i < count && pos + 1 < size; ++i, pos += 2) text += QChar(U16(p + pos));
  } else {
    for (size_t i = 0; i < count && pos < size; ++i, ++pos) text += QChar(p[pos]);  // Latin-1 compressed form
  }
  return text;
}

void ReadGlobals(const std::vector<uint8_t>& s, TBiffStyles* styles) {
  for (int i = 0; i < 64; ++i) styles->Palette[i] = Biff8PaletteColor(i);
  size_t pos = 0;
  bool first = true;
  while (pos + 4 <= s.size()) {
    const uint16_t type = U16(&s[pos]);
    const uint16_t length = U16(&s[pos + 2]);
    const uint8_t* d = &s[pos + 4];
    if (pos + 4 + length > s.size()) break;
    if (!first && type == 0x000A) break;  // EOF of the globals
    first = false;
    switch (type) {
      case 0x0031:  // FONT
        if (length >= 6) styles->FontColorIndex.push_back(U16(d + 4));
        break;
      case 0x00E0:  // XF
        if (length >= 4) styles->Xfs.push_back({U16(d), U16(d + 2)});
        break;
      case 0x041E:  // FORMAT
        if (length >= 5) styles->Formats.insert(U16(d), ReadBiffString(d + 2, length - 2, true));
        break;
      case 0x0092:  // PALETTE
        if (length >= 2) {
          const int count = U16(d);
          for (int k = 0; k < count && 8 + k < 64 && 2u + 4u * k + 3 < length; ++k) {
            const uint8_t* c = d + 2 + 4 * k;
            styles->Palette[8 + k] = c[0] | (c[1] << 8) | (static_cast<uint32_t>(c[2]) << 16);
          }
        }
        break;
      case 0x0022:  // DATEMODE
        if (length >= 2) styles->Date1904 = U16(d) != 0;
        break;
      case 0x0085:  // BOUNDSHEET
        if (length >= 6 && d[5] == 0) styles->SheetOffsets.push_back(U32(d));
        break;
      default:
        break;
    }
    pos += 4 + length;
  }
}

// The last result a formula cell keeps in the file, which FreeXL does not read.
struct TFormulaResult {
  enum TKind { Number, String, Boolean, Error } Kind = Number;
  double Value = 0;  // the number; for a boolean 0 or 1; for an error its code
  QString Text;
};

// An error code as the cell shows it.
QString ErrorText(int code) {
  switch (code) {
    case 0x00:
      return QStringLiteral("#NULL!");
    case 0x07:
      return QStringLiteral("#DIV/0!");
    case 0x0F:
      return QStringLiteral("#VALUE!");
    case 0x17:
      return QStringLiteral("#REF!");
    case 0x1D:
      return QStringLiteral("#NAME?");
    case 0x24:
      return QStringLiteral("#NUM!");
    default:  // 0x2A
      return QStringLiteral("#N/A");
  }
}

// What the sheet substream at `offset` tells beyond FreeXL: the XF index of
// every cell with a value, and the results of formula cells.
struct TSheetCells {
  QHash<quint64, uint16_t> Xfs;
  QHash<quint64, TFormulaResult> Formulas;
};

quint64 CellKey(uint32_t row, uint32_t col) { return (static_cast<quint64>(row) << 16) | col; }

void ReadSheetCells(const std::vector<uint8_t>& s, uint32_t offset, TSheetCells* cells) {
  size_t pos = offset;
  bool first = true;
  // A formula with a text result is followed by a STRING record holding it
  // (after any SHRFMLA, ARRAY or TABLE record); a long text goes on in
  // CONTINUE records, each opening with its own flags byte.
  TFormulaResult* pendingText = nullptr;
  TFormulaResult* continued = nullptr;
  size_t remaining = 0;
  while (pos + 4 <= s.size()) {
    const uint16_t type = U16(&s[pos]);
    const uint16_t length = U16(&s[pos + 2]);
    const uint8_t* d = &s[pos + 4];
    if (pos + 4 + length > s.size()) break;
    if (!first && type == 0x000A) break;
    first = false;
    if (type != 0x003C) continued = nullptr;
    switch (type) {
      case 0x0203:  // NUMBER
      case 0x027E:  // RK
      case 0x00FD:  // LABELSST
      case 0x0204:  // LABEL
      case 0x0205:  // BOOLERR
      case 0x00D6:  // RSTRING
        if (length >= 6) cells->Xfs.insert(CellKey(U16(d), U16(d + 2)), U16(d + 4));
        pendingText = nullptr;
        break;
      case 0x0006:  // FORMULA: row, column, XF, the result's 8 bytes, ...
        pendingText = nullptr;
        if (length >= 14) {
          const quint64 key = CellKey(U16(d), U16(d + 2));
          cells->Xfs.insert(key, U16(d + 4));
          const uint8_t* r = d + 6;
          TFormulaResult result;
          if (U16(r + 6) != 0xFFFF) {
            std::memcpy(&result.Value, r, sizeof result.Value);  // little-endian IEEE double
          } else if (r[0] == 0 || r[0] == 3) {
            result.Kind = TFormulaResult::String;  // 3: an empty text, with no STRING record
          } else if (r[0] == 1) {
            result.Kind = TFormulaResult::Boolean;
            result.Value = r[2] != 0;
          } else if (r[0] == 2) {
            result.Kind = TFormulaResult::Error;
            result.Value = r[2];
          } else {
            break;
          }
          TFormulaResult& stored = cells->Formulas[key];
          stored = result;
          if (r[0] == 0 && U16(r + 6) == 0xFFFF) pendingText = &stored;
        }
        break;
      case 0x0207:  // STRING: count (2 bytes), flags, characters
        if (pendingText && length >= 3) {
          const size_t count = U16(d);
          pendingText->Text = ReadBiffString(d, length, true);
          remaining = count - std::min<size_t>(count, static_cast<size_t>(pendingText->Text.size()));
          continued = remaining ? pendingText : nullptr;
        }
        pendingText = nullptr;
        break;
      case 0x003C:  // CONTINUE of a STRING: flags, then characters
        if (continued && length >= 1) {
          const bool wide = d[0] & 0x01;
          const size_t chars = std::min(remaining, static_cast<size_t>(length - 1) / (wide ? 2 : 1));
          for (size_t k = 0; k < chars; ++k) continued->Text += QChar(wide ? U16(d + 1 + 2 * k) : d[1 + k]);
          remaining -= chars;
          if (!remaining) continued = nullptr;
        }
        break;
      case 0x04BC:  // SHRFMLA
      case 0x0221:  // ARRAY
      case 0x0236:  // TABLE
        break;
      case 0x00BD:  // MULRK: row, first column, (xf, rk)..., last column
        pendingText = nullptr;
        if (length >= 6) {
          const uint16_t row = U16(d);
          const uint16_t firstCol = U16(d + 2);
          const size_t count = (length - 6) / 6;
          for (size_t k = 0; k < count; ++k) cells->Xfs.insert(CellKey(row, firstCol + k), U16(d + 4 + 6 * k));
        }
        break;
      default:
        pendingText = nullptr;
        break;
    }
    pos += 4 + length;
  }
}

// FreeXL hands dates and times as text; back to the day serial for formatting.
double SerialFromText(const char* text, bool date1904, bool* ok) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  double serial = 0;
  *ok = false;
  if (std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &sec) >= 3) {
    const QDate date(y, mo, d);
    if (!date.isValid()) return 0;
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    serial = static_cast<double>(base.daysTo(date));
    if (!date1904 && serial < 61) serial -= 1;  // before the nonexistent 1900-02-29
  } else if (std::sscanf(text, "%d:%d:%d", &h, &mi, &sec) < 2) {
    return 0;
  }
  *ok = true;
  return serial + (h * 3600 + mi * 60 + sec) / 86400.0;
}

// The workbook stream must be a chain of whole BIFF records starting with a
// BOF, and every sheet offset must point at a BOF: FreeXL trusts both and
// overruns its buffers on damaged files. A formula record of the older BIFF
// versions (0x0206) is refused too: FreeXL gives up such a file with a
// success and no handle, leaking the handle (it does so for some other
// damaged record sequences as well; Open treats that answer as a failure).
bool ValidBiffStream(const std::vector<uint8_t>& s, const std::vector<uint32_t>& sheetOffsets) {
  if (s.size() < 8 || U16(&s[0]) != 0x0809) return false;
  std::vector<bool> starts(s.size(), false);
  size_t pos = 0;
  while (pos + 4 <= s.size()) {
    const uint16_t length = U16(&s[pos + 2]);
    if (length > 8224 || pos + 4 + length > s.size() || U16(&s[pos]) == 0x0206) return false;
    starts[pos] = true;
    pos += 4 + length;
  }
  for (const uint32_t offset : sheetOffsets)
    if (static_cast<size_t>(offset) + 4 > s.size() || !starts[offset] || U16(&s[offset]) != 0x0809) return false;
  return true;
}

class TXlsReader final : public ISheetReader {
 public:
  ~TXlsReader() override {
    if (FHandle) freexl_close(FHandle);
  }
  bool Open(const QString& fileName, QString* error);
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override;

 private:
  QString FormatOf(uint16_t xf) const;
  uint32_t ColorOf(uint16_t xf) const;
  QString FormulaText(const TFormulaResult& result, uint16_t xf) const;

  QString FFileName;
  const void* FHandle = nullptr;
  QStringList FNames;
  TBiffStyles FStyles;
  std::vector<uint8_t> FStream;
  QTemporaryDir FTemp;  // holds the clean copy FreeXL reads
};

QString Corrupt(const QString& fileName) {
  return QStringLiteral("The workbook %1 is damaged or not an .xls file").arg(fileName);
}

bool TXlsReader::Open(const QString& fileName, QString* error) {
  FFileName = fileName;
  // The workbook stream is read through our own structured storage reader and
  // checked; FreeXL then reads a clean copy of it in a container we wrote, so
  // damage to the original container never reaches FreeXL's reader.
  if (!ReadOleStream(fileName, "Workbook", &FStream) && !ReadOleStream(fileName, "Book", &FStream))
    return *error = Corrupt(fileName), false;
  ReadGlobals(FStream, &FStyles);
  if (!ValidBiffStream(FStream, FStyles.SheetOffsets) || !FTemp.isValid()) return *error = Corrupt(fileName), false;
  const QString copy = FTemp.filePath(QStringLiteral("workbook.xls"));
  std::unique_ptr<TStorage> storage = TStorage::CreateFile(copy);
  TComPtr<IStream> stream = MemoryStreamFrom(FStream.data(), FStream.size());
  if (!storage || storage->WriteStream(QStringLiteral("Workbook"), stream.Get()) != S_OK || storage->Commit() != S_OK)
    return *error = Corrupt(fileName), false;
  const QByteArray path = copy.toLocal8Bit();
  // FreeXL may report success without a handle.
  if (freexl_open(path.constData(), &FHandle) != FREEXL_OK || !FHandle) {
    if (FHandle) freexl_close(FHandle);
    FHandle = nullptr;
    return *error = Corrupt(fileName), false;
  }
  unsigned int count = 0;
  if (freexl_get_info(FHandle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return *error = Corrupt(fileName), false;
  for (unsigned int i = 0; i < count && i < 65535; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(FHandle, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
      return *error = Corrupt(fileName), false;
    FNames.push_back(QString::fromUtf8(name));
  }
  return true;
}

QString TXlsReader::FormatOf(uint16_t xf) const {
  if (xf >= FStyles.Xfs.size()) return {};
  const int id = FStyles.Xfs[xf].second;
  return FStyles.Formats.contains(id) ? FStyles.Formats.value(id) : BuiltinNumberFormat(id);
}

QString TXlsReader::FormulaText(const TFormulaResult& result, uint16_t xf) const {
  switch (result.Kind) {
    case TFormulaResult::Number:
      return FormatCellNumber(result.Value, FormatOf(xf), FStyles.Date1904);
    case TFormulaResult::String:
      return result.Text;
    case TFormulaResult::Boolean:
      return result.Value != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case TFormulaResult::Error:
      return ErrorText(static_cast<int>(result.Value));
  }
  return {};
}

uint32_t TXlsReader::ColorOf(uint16_t xf) const {
  if (xf >= FStyles.Xfs.size()) return 0;
  int font = FStyles.Xfs[xf].first;
  if (font >= 4) --font;  // font index 4 is never written
  if (font < 0 || static_cast<size_t>(font) >= FStyles.FontColorIndex.size()) return 0;
  const int index = FStyles.FontColorIndex[static_cast<size_t>(font)];
  return index >= 0 && index < 64 ? FStyles.Palette[index] : 0;  // 0x7FFF: automatic (black)
}

bool TXlsReader::Read(int index, TSheetGrid* grid, QString* error) {
  grid->Rows.clear();
  grid->ColCount = 0;
  if (index < 0 || index >= FNames.size() ||
      freexl_select_active_worksheet(FHandle, static_cast<unsigned short>(index)) != FREEXL_OK)
    return *error = Corrupt(FFileName), false;
  unsigned int rows = 0;
  unsigned short cols = 0;
  if (freexl_worksheet_dimensions(FHandle, &rows, &cols) != FREEXL_OK) return *error = Corrupt(FFileName), false;
  TSheetCells sheet;
  if (static_cast<size_t>(index) < FStyles.SheetOffsets.size())
    ReadSheetCells(FStream, FStyles.SheetOffsets[static_cast<size_t>(index)], &sheet);
  for (unsigned int r = 0; r < rows; ++r) {
    for (unsigned short c = 0; c < cols; ++c) {
      FreeXL_CellValue value;
      if (freexl_get_cell_value(FHandle, r, c, &value) != FREEXL_OK) continue;
      const quint64 key = CellKey(r, c);
      const uint16_t xf = sheet.Xfs.value(key, 0xFFFF);
      // A formula cell: the result it was last calculated to, shown in its
      // format (FreeXL reads text results as the number 0).
      const auto formula = sheet.Formulas.constFind(key);
      QString text;
      if (formula != sheet.Formulas.constEnd()) value.type = FREEXL_CELL_NULL;
      switch (value.type) {
        case FREEXL_CELL_INT:
          text = FormatCellNumber(value.value.int_value, FormatOf(xf), FStyles.Date1904);
          break;
        case FREEXL_CELL_DOUBLE:
          text = FormatCellNumber(value.value.double_value, FormatOf(xf), FStyles.Date1904);
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
          text = QString::fromUtf8(value.value.text_value);
          break;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
          bool ok = false;
          const double serial = SerialFromText(value.value.text_value, FStyles.Date1904, &ok);
          const QString code = FormatOf(xf);
          text = ok && IsDateFormat(code) ? FormatCellNumber(serial, code, FStyles.Date1904)
                                          : QString::fromUtf8(value.value.text_value);
          break;
        }
        default:
          break;
      }
      if (formula != sheet.Formulas.constEnd()) text = FormulaText(*formula, xf);
      if (text.isEmpty()) continue;
      TSheetCell& cell = grid->At(static_cast<int>(r), c);
      cell.Text = text;
      cell.Color = ColorOf(xf);
    }
  }
  grid->TrimToUsedRange();
  return true;
}

}  // namespace

std::unique_ptr<ISheetReader> OpenXls(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TXlsReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
