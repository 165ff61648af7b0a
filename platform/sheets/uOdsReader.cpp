// OpenDocument spreadsheets (.ods): content.xml in a zip. Cells carry their
// displayed text in <text:p>, so no number formatting is needed here.
#include <quazip.h>
#include <quazipfile.h>

#include <QHash>
#include <QXmlStreamReader>

#include "uNumberFormat.h"
#include "uSheetReaders.h"

namespace {

constexpr qint64 kMaxPartSize = 512LL * 1024 * 1024;
// Repeated rows and cells with content are expanded up to the sheet limits.
constexpr int kMaxRows = 1048576;
constexpr int kMaxCols = 16384;

bool ReadPart(const QString& fileName, const QString& name, QByteArray* bytes) {
  QuaZip zip(fileName);
  if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(name)) return false;
  QuaZipFileInfo64 info;
  if (!zip.getCurrentFileInfo(&info) || static_cast<qint64>(info.uncompressedSize) > kMaxPartSize) return false;
  QuaZipFile file(&zip);
  if (!file.open(QIODevice::ReadOnly)) return false;
  *bytes = file.readAll();
  file.close();
  return file.getZipError() == UNZ_OK;
}

// An attribute by its local name, whatever its prefix.
QStringView Attr(const QXmlStreamAttributes& attributes, const char* localName) {
  for (const QXmlStreamAttribute& a : attributes)
    if (a.name() == QLatin1String(localName)) return a.value();
  return {};
}

struct TCellStyle {
  QString Parent;
  uint32_t Color = 0;
  bool HasColor = false;
};

class TOdsReader final : public ISheetReader {
 public:
  bool Open(const QString& fileName, QString* error);
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override;

 private:
  void ReadStyles(QXmlStreamReader& r);
  uint32_t ColorOf(const QString& style) const;
  // The text of a <table:table-cell>: its paragraphs joined by line breaks.
  static QString CellText(QXmlStreamReader& r);

  QString FFileName;
  QByteArray FContent;
  QStringList FNames;
  QHash<QString, TCellStyle> FStyles;
  uint32_t FDefaultColor = 0;
};

QString Corrupt(const QString& fileName) {
  return QStringLiteral("The spreadsheet %1 is damaged or not an .ods file").arg(fileName);
}

void TOdsReader::ReadStyles(QXmlStreamReader& r) {
  // Called at any element; collects style:style and style:default-style of cells.
  QString current;
  bool isDefault = false;
  if (r.name() == QLatin1String("style") || r.name() == QLatin1String("default-style")) {
    const QXmlStreamAttributes a = r.attributes();
    if (Attr(a, "family") != QLatin1String("table-cell")) return;
    isDefault = r.name() == QLatin1String("default-style");
    current = Attr(a, "name").toString();
    TCellStyle style;
    style.Parent = Attr(a, "parent-style-name").toString();
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("text-properties") && !Attr(r.attributes(), "color").isEmpty()) {
        style.Color = ColorRefFromHex(Attr(r.attributes(), "color").toString());
        style.HasColor = true;
      }
      r.skipCurrentElement();
    }
    if (isDefault)
      FDefaultColor = style.Color;
    else
      FStyles.insert(current, style);
  }
}

uint32_t TOdsReader::ColorOf(const QString& name) const {
  QString style = name;
  for (int depth = 0; depth < 16 && !style.isEmpty(); ++depth) {
    const auto it = FStyles.constFind(style);
    if (it == FStyles.constEnd()) break;
    if (it->HasColor) return it->Color;
    style = it->Parent;
  }
  return FDefaultColor;
}

bool TOdsReader::Open(const QString& fileName, QString* error) {
  FFileName = fileName;
  if (!ReadPart(fileName, QStringLiteral("content.xml"), &FContent)) return *error = Corrupt(fileName), false;
  QByteArray styles;
  if (ReadPart(fileName, QStringLiteral("styles.xml"), &styles)) {
    QXmlStreamReader r(styles);
    while (!r.atEnd())
      if (r.readNext() == QXmlStreamReader::StartElement) ReadStyles(r);
  }
  QXmlStreamReader r(FContent);
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() == QLatin1String("table") && r.namespaceUri().endsWith(QLatin1String(":table:1.0"))) {
      FNames.push_back(Attr(r.attributes(), "name").toString());
      r.skipCurrentElement();
    } else {
      ReadStyles(r);
    }
  }
  if (r.hasError()) return *error = Corrupt(fileName), false;
  return true;
}

QString TOdsReader::CellText(QXmlStreamReader& r) {
  QString text;
  bool firstParagraph = true;
  int depth = 0;
  int skipDepth = -1;  // inside an annotation
  bool inParagraph = false;
  while (!r.atEnd()) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::StartElement) {
      ++depth;
      if (skipDepth >= 0) continue;
      const QStringView n = r.name();
      if (n == QLatin1String("annotation")) {
        skipDepth = depth;
      } else if (n == QLatin1String("p") || n == QLatin1String("h")) {
        if (!firstParagraph) text += u'\n';
        firstParagraph = false;
        inParagraph = true;
      } else if (n == QLatin1String("s")) {
        const int count = Attr(r.attributes(), "c").isEmpty() ? 1 : Attr(r.attributes(), "c").toInt();
        text += QString(std::clamp(count, 1, 1000), u' ');
      } else if (n == QLatin1String("tab")) {
        text += u'\t';
      } else if (n == QLatin1String("line-break")) {
        text += u'\n';
      }
    } else if (token == QXmlStreamReader::EndElement) {
      if (depth == 0) break;  // the cell's own end
      if (skipDepth == depth) skipDepth = -1;
      if (r.name() == QLatin1String("p") || r.name() == QLatin1String("h")) inParagraph = false;
      --depth;
    } else if (token == QXmlStreamReader::Characters && skipDepth < 0 && inParagraph) {
      text += r.text();
    }
  }
  return text;
}

bool TOdsReader::Read(int index, TSheetGrid* grid, QString* error) {
  grid->Rows.clear();
  grid->ColCount = 0;
  if (index < 0 || index >= FNames.size()) return *error = Corrupt(FFileName), false;
  QXmlStreamReader r(FContent);
  int tableIndex = -1;
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (r.name() != QLatin1String("table") || !r.namespaceUri().endsWith(QLatin1String(":table:1.0"))) continue;
    if (++tableIndex != index) {
      r.skipCurrentElement();
      continue;
    }
    std::vector<QString> columnStyles;  // default cell style of each column
    int row = 0;
    int depth = 0;
    while (!r.atEnd()) {
      const auto token = r.readNext();
      if (token == QXmlStreamReader::EndElement) {
        if (depth == 0) break;
        --depth;
        continue;
      }
      if (token != QXmlStreamReader::StartElement) continue;
      ++depth;
      const QStringView n = r.name();
      const QXmlStreamAttributes a = r.attributes();
      if (n == QLatin1String("table-column")) {
        const int repeat = std::clamp(Attr(a, "number-columns-repeated").toInt(), 1, kMaxCols);
        const QString style = Attr(a, "default-cell-style-name").toString();
        for (int k = 0; k < repeat && static_cast<int>(columnStyles.size()) < kMaxCols; ++k)
          columnStyles.push_back(style);
      } else if (n == QLatin1String("table-row")) {
        const int repeat = std::clamp(Attr(a, "number-rows-repeated").toInt(), 1, kMaxRows);
        std::vector<TSheetCell> cells;
        int col = 0;
        while (r.readNextStartElement()) {
          if (r.name() != QLatin1String("table-cell") && r.name() != QLatin1String("covered-table-cell")) {
            r.skipCurrentElement();
            continue;
          }
          const QXmlStreamAttributes ca = r.attributes();
          const int colRepeat = std::clamp(Attr(ca, "number-columns-repeated").toInt(), 1, kMaxCols);
          QString text = CellText(r);
          if (text.isEmpty()) {
            // Cells without paragraphs: the stored value.
            for (const char* key : {"string-value", "value", "date-value", "time-value", "boolean-value"}) {
              const QStringView v = Attr(ca, key);
              if (!v.isEmpty()) {
                text = v.toString();
                break;
              }
            }
          }
          if (!text.isEmpty()) {
            QString style = Attr(ca, "style-name").toString();
            if (style.isEmpty() && static_cast<size_t>(col) < columnStyles.size())
              style = columnStyles[static_cast<size_t>(col)];
            const uint32_t color = ColorOf(style);
            for (int k = 0; k < colRepeat && col + k < kMaxCols; ++k) {
              if (static_cast<int>(cells.size()) <= col + k) cells.resize(static_cast<size_t>(col + k + 1));
              cells[static_cast<size_t>(col + k)] = {text, color};
            }
          }
          col = std::min(col + colRepeat, kMaxCols);
        }
        --depth;  // readNextStartElement consumed the row's end
        if (!cells.empty()) {
          for (int k = 0; k < repeat && row + k < kMaxRows; ++k) {
            const int target = row + k;
            if (static_cast<int>(grid->Rows.size()) <= target) grid->Rows.resize(static_cast<size_t>(target + 1));
            grid->Rows[static_cast<size_t>(target)] = cells;
            grid->ColCount = std::max(grid->ColCount, static_cast<int>(cells.size()));
          }
        }
        row = std::min(row + repeat, kMaxRows);
      }
    }
    break;
  }
  if (r.hasError()) return *error = Corrupt(FFileName), false;
  grid->TrimToUsedRange();
  return true;
}

}  // namespace

std::unique_ptr<ISheetReader> OpenOds(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TOdsReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
