#include "uStratFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>
#include <new>

namespace {
QString PathOf(const char* path) { return QFile::decodeName(path); }
}  // namespace

bool FileExists(const char* path) { return path && *path && QFileInfo(PathOf(path)).isFile(); }

TFileRead ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (!FileExists(path)) return TFileRead::CannotOpen;
  QFile file(PathOf(path));
  if (!file.open(QIODevice::ReadOnly)) return TFileRead::CannotOpen;
  const qint64 size = file.size();
  if (size <= 0) return TFileRead::Empty;
  // The library's buffers carry 32-bit lengths.
  if (size > std::numeric_limits<int32_t>::max()) return TFileRead::NoMemory;
  try {
    bytes->resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return TFileRead::NoMemory;
  }
  qint64 done = 0;
  while (done < size) {
    const qint64 n = file.read(reinterpret_cast<char*>(bytes->data()) + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  if (done != size) {
    bytes->clear();
    return TFileRead::ShortRead;
  }
  return TFileRead::Ok;
}

TFileWrite WriteWholeFile(const char* path, const void* data, size_t size) {
  if (!path || !*path) return TFileWrite::CannotCreate;
  QSaveFile file(PathOf(path));
  if (!file.open(QIODevice::WriteOnly)) return TFileWrite::CannotCreate;
  const auto* p = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const qint64 n = file.write(p + done, static_cast<qint64>(size - done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (done != size) {
    file.cancelWriting();
    return TFileWrite::ShortWrite;
  }
  return file.commit() ? TFileWrite::Ok : TFileWrite::ShortWrite;
}
