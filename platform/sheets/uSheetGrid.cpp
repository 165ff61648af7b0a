#include "uSheetGrid.h"

#include <QFileInfo>

#include "uSheetReaders.h"

TSheetCell& TSheetGrid::At(int row, int col) {
  if (static_cast<size_t>(row) >= Rows.size()) Rows.resize(static_cast<size_t>(row) + 1);
  std::vector<TSheetCell>& cells = Rows[static_cast<size_t>(row)];
  if (static_cast<size_t>(col) >= cells.size()) cells.resize(static_cast<size_t>(col) + 1);
  ColCount = std::max(ColCount, col + 1);
  return cells[static_cast<size_t>(col)];
}

void TSheetGrid::TrimToUsedRange() {
  int lastRow = -1, lastCol = -1;
  for (size_t r = 0; r < Rows.size(); ++r) {
    std::vector<TSheetCell>& cells = Rows[r];
    while (!cells.empty() && cells.back().Text.isEmpty()) cells.pop_back();
    if (!cells.empty()) {
      lastRow = static_cast<int>(r);
      lastCol = std::max(lastCol, static_cast<int>(cells.size()) - 1);
    }
  }
  Rows.resize(static_cast<size_t>(lastRow + 1));
  ColCount = lastCol + 1;
}

TSheetFileKind SheetFileKind(const QString& fileName) {
  const QString ext = QFileInfo(fileName).suffix().toUpper();
  if (ext == QLatin1String("XLSX")) return TSheetFileKind::Xlsx;
  if (ext == QLatin1String("ODS")) return TSheetFileKind::Ods;
  if (ext == QLatin1String("XLS")) return TSheetFileKind::Xls;
  if (ext == QLatin1String("MDB") || ext == QLatin1String("ACCDB")) return TSheetFileKind::Access;
  if (ext == QLatin1String("SQLITE") || ext == QLatin1String("SQLITE3") || ext == QLatin1String("DB"))
    return TSheetFileKind::Sqlite;
  return TSheetFileKind::None;
}

bool IsDatabaseKind(TSheetFileKind kind) { return kind == TSheetFileKind::Access || kind == TSheetFileKind::Sqlite; }

std::unique_ptr<ISheetReader> OpenSheetFile(const QString& fileName, TSheetFileKind kind, QString* error) {
  switch (kind) {
    case TSheetFileKind::Xlsx:
      return OpenXlsx(fileName, error);
    case TSheetFileKind::Ods:
      return OpenOds(fileName, error);
    case TSheetFileKind::Xls:
      return OpenXls(fileName, error);
    case TSheetFileKind::Access:
      return OpenAccess(fileName, error);
    case TSheetFileKind::Sqlite:
      return OpenSqlite(fileName, error);
    case TSheetFileKind::None:
      break;
  }
  *error = QStringLiteral("Unknown table file type: %1").arg(fileName);
  return nullptr;
}

uint32_t Biff8PaletteColor(int index) {
  // RGB of indexes 8-63 (0-7 repeat the first eight).
  static const uint32_t kRgb[56] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
                                    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
                                    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
                                    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
                                    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
                                    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
                                    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
  int i = index;
  if (i >= 0 && i < 8) i += 8;
  if (i < 8 || i > 63) return 0;
  const uint32_t rgb = kRgb[i - 8];
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
}
