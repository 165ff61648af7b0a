#include "uOleStreamReader.h"

#include "uStorage.h"

bool ReadOleStream(const QString& fileName, const char* name, std::vector<uint8_t>* bytes) {
  bytes->clear();
  HRESULT hr = S_OK;
  std::unique_ptr<TStorage> storage = TStorage::OpenFile(fileName, &hr);
  if (!storage) return false;
  return storage->ReadStream(QString::fromLatin1(name), bytes) == S_OK;
}
