// Microsoft Access databases (.mdb, .accdb) through mdbtools' libmdb.
// libmdb can loop forever or crash on a damaged file, so every call into it
// runs in a child process that the program abandons when it crashes or falls
// silent.
// glib first: mdbtools.h uses its types without including it.
#include <fcntl.h>
#include <glib.h>
#include <mdbtools.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDataStream>
#include <QFileInfo>
#include <cerrno>
#include <functional>

#include "uSheetReaders.h"

namespace {

// How long a child may go without sending a byte before it counts as hung.
constexpr int kSilenceMs = 20000;

// The in-process session with libmdb; used only inside the child process.
class TMdbSession final : public ISheetReader {
 public:
  ~TMdbSession() override {
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

bool TMdbSession::Open(const QString& fileName, QString* error) {
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

bool KnownColumnType(int type) {
  switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_BINARY:
    case MDB_TEXT:
    case MDB_OLE:
    case MDB_MEMO:
    case MDB_REPID:
    case MDB_NUMERIC:
    case MDB_COMPLEX:
      return true;
    default:
      return false;
  }
}

bool TMdbSession::Read(int index, TSheetGrid* grid, QString* error) {
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
    // A damaged column type is left unbound (its cells empty): libmdb would
    // print a warning for every one of its cells.
    if (KnownColumnType(column->col_type))
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

// Runs work in a child process; *out receives what it produced. False when the
// child crashed, failed or fell silent.
bool RunIsolated(const std::function<QByteArray()>& work, QByteArray* out) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (pid == 0) {
    ::close(fds[0]);
    // libmdb warns on standard error about every damaged value it meets:
    // millions of lines for one damaged file.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    const QByteArray bytes = work();
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
      const ssize_t n = ::write(fds[1], p, static_cast<size_t>(left));
      if (n <= 0) ::_exit(2);
      p += n;
      left -= n;
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  out->clear();
  bool hung = false;
  char buffer[65536];
  for (;;) {
    pollfd pfd{fds[0], POLLIN, 0};
    const int ready = ::poll(&pfd, 1, kSilenceMs);
    if (ready == 0) {
      hung = true;
      break;
    }
    if (ready < 0) {
      if (errno == EINTR) continue;
      hung = true;
      break;
    }
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out->append(buffer, static_cast<qsizetype>(n));
  }
  ::close(fds[0]);
  if (hung) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return !hung && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The reader the program holds: each operation asks a fresh child.
class TAccessReader final : public ISheetReader {
 public:
  bool Open(const QString& fileName, QString* error) {
    FFileName = fileName;
    if (!QFileInfo(fileName).isFile()) return *error = Unreadable(fileName), false;
    QByteArray reply;
    const bool ok = RunIsolated(
        [&] {
          QByteArray bytes;
          QDataStream out(&bytes, QIODevice::WriteOnly);
          TMdbSession session;
          QString message;
          const bool opened = session.Open(fileName, &message);
          out << opened << message << session.Names();
          return bytes;
        },
        &reply);
    if (!ok) return *error = Unreadable(fileName), false;
    QDataStream in(reply);
    bool opened = false;
    QString message;
    in >> opened >> message >> FNames;
    if (in.status() != QDataStream::Ok || !opened)
      return *error = message.isEmpty() ? Unreadable(fileName) : message, false;
    return true;
  }
  QStringList Names() const override { return FNames; }
  bool Read(int index, TSheetGrid* grid, QString* error) override {
    grid->Rows.clear();
    grid->ColCount = 0;
    QByteArray reply;
    const bool ok = RunIsolated(
        [&] {
          QByteArray bytes;
          QDataStream out(&bytes, QIODevice::WriteOnly);
          TMdbSession session;
          TSheetGrid result;
          QString message;
          const bool read = session.Open(FFileName, &message) && session.Read(index, &result, &message);
          out << read << message << qint32(result.ColCount) << qint64(result.Rows.size());
          for (const auto& row : result.Rows) {
            out << qint32(row.size());
            for (const TSheetCell& cell : row) out << cell.Text;
          }
          return bytes;
        },
        &reply);
    if (!ok) return *error = Unreadable(FFileName), false;
    QDataStream in(reply);
    bool read = false;
    QString message;
    qint32 colCount = 0;
    qint64 rowCount = 0;
    in >> read >> message >> colCount >> rowCount;
    if (in.status() != QDataStream::Ok || !read || rowCount < 0) {
      *error = message.isEmpty() ? Unreadable(FFileName) : message;
      return false;
    }
    TSheetGrid result;
    result.ColCount = colCount;
    for (qint64 r = 0; r < rowCount && in.status() == QDataStream::Ok; ++r) {
      qint32 cells = 0;
      in >> cells;
      if (cells < 0 || cells > colCount) break;
      std::vector<TSheetCell> row(static_cast<size_t>(cells));
      for (TSheetCell& cell : row) in >> cell.Text;
      result.Rows.push_back(std::move(row));
    }
    if (in.status() != QDataStream::Ok || result.RowCount() != rowCount) return *error = Unreadable(FFileName), false;
    *grid = std::move(result);
    return true;
  }

 private:
  QString FFileName;
  QStringList FNames;
};

}  // namespace

std::unique_ptr<ISheetReader> OpenAccess(const QString& fileName, QString* error) {
  auto reader = std::make_unique<TAccessReader>();
  if (!reader->Open(fileName, error)) return nullptr;
  return reader;
}
