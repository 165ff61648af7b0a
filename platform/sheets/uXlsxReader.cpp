// Office Open XML workbooks (.xlsx): a zip of XML parts. QuaZip's headers
// shadow libzip's zip.h, so only this unit and the ODS reader include them.
#include <quazip.h>
#include <quazipfile.h>

#include <QHash>
#include <QXmlStreamReader>

#include "uNumberFormat.h"
#include "uSheetReaders.h"

namespace {

// Parts larger than this are refused: a damaged or hostile archive must not
// exhaust memory.
constexpr qint64 kMaxPartSize = 512LL * 1024 * 1024;

bool ReadZipPart(QuaZip* zip, const QString& name, QByteArray* bytes) {
  if (!zip->setCurrentFile(name, QuaZip::csInsensitive)) return false;
  QuaZipFileInfo64 info;
  if (!zip->getCurrentFileInfo(&info) || static_cast<qint64>(info.uncompressedSize) > kMaxPartSize) return false;
  QuaZipFile file(zip);
  if (!file.open(QIODevice::ReadOnly)) return false;
  *bytes = file.readAll();
  const bool ok = file.getZipError() == UNZ_OK;
  file.close();
  return ok && file.getZipError() == UNZ_OK;
}

struct TXf {
  int NumFmt = 0;
  int Font = 0;
};

class TXlsxReader final : public ISheetReader {
 public:
  bool Open(const QString& fileName, QString* error);
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override;

 private:
  void ReadWorkbook(const QByteArray& xml, QHash<QString, QString>* relIds);
  void ReadRelations(const QByteArray& xml, QHash<QString, QString>* targets);
  void ReadSharedStrings(const QByteArray& xml);
  void ReadStyles(const QByteArray& xml);
  void ReadTheme(const QByteArray& xml);
  uint32_t ColorOf(const QXmlStreamAttributes& a) const;
  QString Display(const QString& type, const QString& value, int style) const;

  QString FFileName;
  QStringList FNames;
  QStringList FParts;  // zip part of each sheet
  QStringList FShared;
  QHash<int, QString> FNumFmts;
  std::vector<uint32_t> FFontColors;
  std::vector<TXf> FXfs;
  std::vector<uint32_t> FTheme;  // dk1 lt1 dk2 lt2 accent1-6 hlink folHlink
  bool FDate1904 = false;
};

QString Corrupt(const QString& fileName) {
  return QStringLiteral("The workbook %1 is damaged or not an .xlsx file").arg(fileName);
}

bool TXlsxReader::Open(const QString& fileName, QString* error) {
  FFileName = fileName;
  QuaZip zip(fileName);
  if (!zip.open(QuaZip::mdUnzip)) return *error = Corrupt(fileName), false;
  QByteArray workbook, rels, part;
  if (!ReadZipPart(&zip, QStringLiteral("xl/workbook.xml"), &workbook)) return *error = Corrupt(fileName), false;
  QHash<QString, QString> relIds, targets;
  ReadWorkbook(workbook, &relIds);
  if (ReadZipPart(&zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &rels)) ReadRelations(rels, &targets);
  if (ReadZipPart(&zip, QStringLiteral("xl/theme/theme1.xml"), &part)) ReadTheme(part);
  if (ReadZipPart(&zip, QStringLiteral("xl/styles.xml"), &part)) ReadStyles(part);
  if (ReadZipPart(&zip, QStringLiteral("xl/sharedStrings.xml"), &part)) ReadSharedStrings(part);
  for (qsizetype i = 0; i < FNames.size(); ++i) {
    QString target = targets.value(relIds.value(FNames[i]), QStringLiteral("worksheets/sheet%1.xml").arg(i + 1));
    if (target.startsWith(u'/'))
      target = target.mid(1);
    else
      target = QStringLiteral("xl/") + target;
    FParts.push_back(target);
  }
  return true;
}

void TXlsxReader::ReadWorkbook(const QByteArray& xml, QHash<QString, QString>* relIds) {
  QXmlStreamReader r(xml);
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() == QLatin1String("workbookPr")) {
      const QStringView v = r.attributes().value(QLatin1String("date1904"));
      FDate1904 = v == QLatin1String("1") || v == QLatin1String("true");
    } else if (r.name() == QLatin1String("sheet")) {
      const QXmlStreamAttributes a = r.attributes();
      const QString name = a.value(QLatin1String("name")).toString();
      QString id;
      for (const QXmlStreamAttribute& attr : a)
        if (attr.name() == QLatin1String("id")) id = attr.value().toString();
      FNames.push_back(name);
      relIds->insert(name, id);
    }
  }
}

void TXlsxReader::ReadRelations(const QByteArray& xml, QHash<QString, QString>* targets) {
  QXmlStreamReader r(xml);
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement || r.name() != QLatin1String("Relationship")) continue;
    targets->insert(r.attributes().value(QLatin1String("Id")).toString(),
                    r.attributes().value(QLatin1String("Target")).toString());
  }
}

void TXlsxReader::ReadSharedStrings(const QByteArray& xml) {
  QXmlStreamReader r(xml);
  QString current;
  bool inItem = false;
  int phonetic = 0;
  while (!r.atEnd()) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::StartElement) {
      if (r.name() == QLatin1String("si")) {
        inItem = true;
        current.clear();
      } else if (r.name() == QLatin1String("rPh")) {
        ++phonetic;
      } else if (r.name() == QLatin1String("t") && inItem && phonetic == 0) {
        current += r.readElementText(QXmlStreamReader::IncludeChildElements);
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (r.name() == QLatin1String("si")) {
        FShared.push_back(current);
        inItem = false;
      } else if (r.name() == QLatin1String("rPh")) {
        --phonetic;
      }
    }
  }
}

void TXlsxReader::ReadTheme(const QByteArray& xml) {
  QXmlStreamReader r(xml);
  bool inScheme = false;
  while (!r.atEnd()) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::StartElement) {
      if (r.name() == QLatin1String("clrScheme")) inScheme = true;
      if (!inScheme) continue;
      if (r.name() == QLatin1String("sysClr"))
        FTheme.push_back(ColorRefFromHex(r.attributes().value(QLatin1String("lastClr")).toString()));
      else if (r.name() == QLatin1String("srgbClr"))
        FTheme.push_back(ColorRefFromHex(r.attributes().value(QLatin1String("val")).toString()));
    } else if (token == QXmlStreamReader::EndElement && r.name() == QLatin1String("clrScheme")) {
      break;
    }
  }
}

uint32_t TXlsxReader::ColorOf(const QXmlStreamAttributes& a) const {
  if (a.hasAttribute(QLatin1String("rgb"))) return ColorRefFromHex(a.value(QLatin1String("rgb")).toString());
  if (a.hasAttribute(QLatin1String("theme"))) {
    // Theme indexes name the light/dark pairs in swapped order.
    static const int kOrder[] = {1, 0, 3, 2};
    int i = a.value(QLatin1String("theme")).toInt();
    if (i >= 0 && i < 4) i = kOrder[i];
    return i >= 0 && static_cast<size_t>(i) < FTheme.size() ? FTheme[static_cast<size_t>(i)] : 0;
  }
  if (a.hasAttribute(QLatin1String("indexed"))) return Biff8PaletteColor(a.value(QLatin1String("indexed")).toInt());
  return 0;
}

void TXlsxReader::ReadStyles(const QByteArray& xml) {
  QXmlStreamReader r(xml);
  enum { None, Fonts, CellXfs } where = None;
  while (!r.atEnd()) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::StartElement) {
      const QStringView n = r.name();
      const QXmlStreamAttributes a = r.attributes();
      if (n == QLatin1String("numFmt")) {
        FNumFmts.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
      } else if (n == QLatin1String("fonts")) {
        where = Fonts;
      } else if (n == QLatin1String("cellXfs")) {
        where = CellXfs;
      } else if (n == QLatin1String("font") && where == Fonts) {
        FFontColors.push_back(0);
      } else if (n == QLatin1String("color") && where == Fonts && !FFontColors.empty()) {
        FFontColors.back() = ColorOf(a);
      } else if (n == QLatin1String("xf") && where == CellXfs) {
        FXfs.push_back({a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("fontId")).toInt()});
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (r.name() == QLatin1String("fonts") || r.name() == QLatin1String("cellXfs")) where = None;
    }
  }
}

QString TXlsxReader::Display(const QString& type, const QString& value, int style) const {
  if (type == QLatin1String("s")) {
    bool ok = false;
    const int i = value.toInt(&ok);
    return ok && i >= 0 && i < FShared.size() ? FShared[i] : QString();
  }
  if (type == QLatin1String("b")) return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
  if (type == QLatin1String("str") || type == QLatin1String("inlineStr") || type == QLatin1String("e")) return value;
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok) return value;
  QString code;
  if (style >= 0 && static_cast<size_t>(style) < FXfs.size()) {
    const int id = FXfs[static_cast<size_t>(style)].NumFmt;
    code = FNumFmts.contains(id) ? FNumFmts.value(id) : BuiltinNumberFormat(id);
  }
  return FormatCellNumber(number, code, FDate1904);
}

bool TXlsxReader::Read(int index, TSheetGrid* grid, QString* error) {
  grid->Rows.clear();
  grid->ColCount = 0;
  if (index < 0 || index >= FParts.size()) return *error = Corrupt(FFileName), false;
  QuaZip zip(FFileName);
  QByteArray xml;
  if (!zip.open(QuaZip::mdUnzip) || !ReadZipPart(&zip, FParts[index], &xml)) return *error = Corrupt(FFileName), false;
  QXmlStreamReader r(xml);
  int row = -1, col = -1;
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() == QLatin1String("row")) {
      bool ok = false;
      const int n = r.attributes().value(QLatin1String("r")).toInt(&ok);
      row = ok && n >= 1 ? n - 1 : row + 1;
      col = -1;
      continue;
    }
    if (r.name() != QLatin1String("c")) continue;
    const QXmlStreamAttributes a = r.attributes();
    int cellRow = row, cellCol = col + 1;
    if (a.hasAttribute(QLatin1String("r")) &&
        !ParseCellReference(a.value(QLatin1String("r")).toString(), &cellRow, &cellCol)) {
      cellRow = row;
      cellCol = col + 1;
    }
    col = cellCol;
    row = std::max(row, cellRow);
    const QString type = a.value(QLatin1String("t")).toString();
    const int style = a.hasAttribute(QLatin1String("s")) ? a.value(QLatin1String("s")).toInt() : 0;
    QString value;
    // The cell's children: <v>, <f>, <is><t>...
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("v")) {
        value = r.readElementText();
      } else if (r.name() == QLatin1String("is")) {
        value = r.readElementText(QXmlStreamReader::IncludeChildElements);
      } else {
        r.skipCurrentElement();
      }
    }
    if (cellRow < 0 || cellRow >= 1048576 || cellCol < 0 || cellCol >= 16384) continue;
    const QString text = Display(type, value, style);
    if (text.isEmpty()) continue;
    TSheetCell& cell = grid->At(cellRow, cellCol);
    cell.Text = text;
    if (style >= 0 && static_cast<size_t>(style) < FXfs.size()) {
      const int font = FXfs[static_cast<size_t>(style)].Font;
      if (font >= 0 && static_cast<size_t>(font) < FFontColors.size())
        cell.Color = FFontColors[static_cast<size_t>(font)];
    }
  }
  if (r.hasError()) return *error = Corrupt(FFileName), false;
  grid->TrimToUsedRange();
  return true;
}

}  // namespace

uint32_t ColorRefFromHex(const QString& hex) {
  QString h = hex.trimmed();
  if (h.startsWith(u'#')) h = h.mid(1);
  if (h.size() == 8) h = h.mid(2);  // ARGB: alpha first
  if (h.size() != 6) return 0;
  bool ok = false;
  const uint32_t rgb = h.toUInt(&ok, 16);
  if (!ok) return 0;
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
}

bool ParseCellReference(const QString& ref, int* row, int* col) {
  qsizetype i = 0;
  int64_t c = 0, r = 0;
  while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128) {
    c = c * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
    if (c > 100000) return false;
    ++i;
  }
  if (i == 0 || i == ref.size()) return false;
  for (; i < ref.size(); ++i) {
    if (!ref[i].isDigit()) return false;
    r = r * 10 + (ref[i].unicode() - u'0');
    if (r > 100000000) return false;
  }
  if (r < 1) return false;
  *row = static_cast<int>(r - 1);
  *col = static_cast<int>(c - 1);
  return true;
}

std::unique_ptr<ISheetReader> OpenXlsx(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TXlsxReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
