// SQLite database files, opened read-only.
#include <sqlite3.h>

#include <QFileInfo>

#include "uSheetReaders.h"

namespace {

class TSqliteReader final : public ISheetReader {
 public:
  ~TSqliteReader() override {
    if (FDb) sqlite3_close(FDb);
  }
  bool Open(const QString& fileName, QString* error);
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override;

 private:
  QString FFileName;
  sqlite3* FDb = nullptr;
  QStringList FNames;
};

QString Unreadable(const QString& fileName) { return QStringLiteral("The database %1 cannot be read").arg(fileName); }

bool TSqliteReader::Open(const QString& fileName, QString* error) {
  FFileName = fileName;
  if (!QFileInfo(fileName).isFile()) return *error = Unreadable(fileName), false;
  const QByteArray path = fileName.toUtf8();
  if (sqlite3_open_v2(path.constData(), &FDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    return *error = Unreadable(fileName), false;
  sqlite3_stmt* statement = nullptr;
  // Reading the schema is the first access that checks the file's header.
  if (sqlite3_prepare_v2(
          FDb,
          "SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE 'sqlite_%' ORDER BY rowid",
          -1, &statement, nullptr) != SQLITE_OK)
    return *error = Unreadable(fileName), false;
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
    FNames.push_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) return *error = Unreadable(fileName), false;
  return true;
}

bool TSqliteReader::Read(int index, TSheetGrid* grid, QString* error) {
  grid->Rows.clear();
  grid->ColCount = 0;
  if (index < 0 || index >= FNames.size()) return *error = Unreadable(FFileName), false;
  QString quoted = FNames[index];
  quoted.replace(u'"', QLatin1String("\"\""));
  const QByteArray sql = (QStringLiteral("SELECT * FROM \"") + quoted + QStringLiteral("\"")).toUtf8();
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(FDb, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
    return *error = Unreadable(FFileName), false;
  const int cols = sqlite3_column_count(statement);
  std::vector<TSheetCell> header;
  for (int c = 0; c < cols; ++c) header.push_back({QString::fromUtf8(sqlite3_column_name(statement, c)), 0});
  grid->Rows.push_back(std::move(header));
  grid->ColCount = cols;
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    std::vector<TSheetCell> row(static_cast<size_t>(cols));
    for (int c = 0; c < cols; ++c) {
      switch (sqlite3_column_type(statement, c)) {
        case SQLITE_INTEGER:
          row[static_cast<size_t>(c)].Text = QString::number(sqlite3_column_int64(statement, c));
          break;
        case SQLITE_FLOAT:
          row[static_cast<size_t>(c)].Text = QString::number(sqlite3_column_double(statement, c), 'g', 15);
          break;
        case SQLITE_TEXT:
          row[static_cast<size_t>(c)].Text = QString::fromUtf8(
              reinterpret_cast<const char*>(sqlite3_column_text(statement, c)), sqlite3_column_bytes(statement, c));
          break;
        default:  // NULL and BLOB: no text
          break;
      }
    }
    grid->Rows.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  if (rc != SQLITE_DONE) {
    grid->Rows.clear();
    return *error = Unreadable(FFileName), false;
  }
  return true;
}

}  // namespace

std::unique_ptr<ISheetReader> OpenSqlite(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TSqliteReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
