// Microsoft Access databases (.mdb, .accdb) through mdbtools' libmdb.
// glib first: mdbtools.h uses its types without including it.
#include <glib.h>
#include <mdbtools.h>

#include <QFileInfo>

#include "uSheetReaders.h"

namespace {

class TAccessReader final : public ISheetReader {
 public:
  ~TAccessReader() override {
    if (FMdb) mdb_close(FMdb);
  }
  bool Open(const QString& fileName, QString* error);
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override;

 private:
  QString FFileName;
  MdbHandle* FMdb = nullptr;
  QStringList FNames;
  std::vector<MdbCatalogEntry*> FEntries;
};

QString Unreadable(const QString& fileName) { return QStringLiteral("The database %1 cannot be read").arg(fileName); }

bool TAccessReader::Open(const QString& fileName, QString* error) {
  FFileName = fileName;
  if (!QFileInfo(fileName).isFile()) return *error = Unreadable(fileName), false;
  const QByteArray path = fileName.toLocal8Bit();
  FMdb = mdb_open(path.constData(), MDB_NOFLAGS);
  if (!FMdb) return *error = Unreadable(fileName), false;
  // Dates as ISO text, booleans as 0/1, in every locale.
  mdb_set_date_fmt(FMdb, "%Y-%m-%d %H:%M:%S");
  mdb_set_shortdate_fmt(FMdb, "%Y-%m-%d");
  mdb_set_boolean_fmt_numbers(FMdb);
  if (!mdb_read_catalog(FMdb, MDB_TABLE)) return *error = Unreadable(fileName), false;
  for (unsigned int i = 0; i < FMdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(FMdb->catalog, i));
    if (!entry || entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
    // Some versions keep system tables without the system flag.
    if (QString::fromUtf8(entry->object_name).startsWith(QLatin1String("MSys"), Qt::CaseInsensitive)) continue;
    FEntries.push_back(entry);
    FNames.push_back(QString::fromUtf8(entry->object_name));
  }
  return true;
}

bool TAccessReader::Read(int index, TSheetGrid* grid, QString* error) {
  grid->Rows.clear();
  grid->ColCount = 0;
  if (index < 0 || index >= FNames.size()) return *error = Unreadable(FFileName), false;
  MdbTableDef* table = mdb_read_table(FEntries[static_cast<size_t>(index)]);
  if (!table) return *error = Unreadable(FFileName), false;
  if (!mdb_read_columns(table) || table->num_cols == 0) {
    mdb_free_tabledef(table);
    return *error = Unreadable(FFileName), false;
  }
  const unsigned int cols = table->num_cols;
  std::vector<std::vector<char>> buffers(cols, std::vector<char>(MDB_BIND_SIZE + 1, '\0'));
  std::vector<int> lengths(cols, 0);
  std::vector<TSheetCell> header;
  for (unsigned int c = 0; c < cols; ++c) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
    header.push_back({QString::fromUtf8(column->name), 0});
    mdb_bind_column(table, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
  }
  grid->Rows.push_back(std::move(header));
  grid->ColCount = static_cast<int>(cols);
  mdb_rewind_table(table);
  // A damaged page chain can make libmdb return rows forever: no table holds
  // more rows than a quarter of the file's bytes.
  const qint64 maxRows = QFileInfo(FFileName).size() / 4 + 16;
  while (mdb_fetch_row(table)) {
    if (grid->RowCount() > maxRows) {
      mdb_free_tabledef(table);
      grid->Rows.clear();
      return *error = Unreadable(FFileName), false;
    }
    std::vector<TSheetCell> row(cols);
    for (unsigned int c = 0; c < cols; ++c) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      // OLE objects are binary: no displayable text.
      if (column->col_type == MDB_OLE) continue;
      const int length = std::clamp(lengths[c], 0, static_cast<int>(MDB_BIND_SIZE));
      row[c].Text = QString::fromUtf8(buffers[c].data(),
                                      static_cast<qsizetype>(strnlen(buffers[c].data(), static_cast<size_t>(length))));
    }
    grid->Rows.push_back(std::move(row));
  }
  mdb_free_tabledef(table);
  return true;
}

}  // namespace

std::unique_ptr<ISheetReader> OpenAccess(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TAccessReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
