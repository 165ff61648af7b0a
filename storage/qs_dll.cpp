// The library's exported functions.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <typeinfo>

#include "qs.h"
#include "uComPtr.h"
#include "uCompoundStream.h"
#include "uMemoryStream.h"

namespace {
TComPtr<IPersistStream> PersistOf(ICompoundStream* stream) {
  TComPtr<IPersistStream> persist;
  stream->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.Put()));
  return persist;
}

// Writes all bytes to fd, retrying short writes.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

KERNO_EXPORT void qsCreateCompoundStream(ICompoundStream** stream) {
  if (!stream) return;
  if (*stream) (*stream)->Release();
  *stream = nullptr;
  auto* container = new (std::nothrow) TCompoundStream();
  if (container) container->QueryInterface(IID_ICompoundStream, reinterpret_cast<void**>(stream));
}

KERNO_EXPORT HRESULT qsEmptyCompoundStream(ICompoundStream* stream) {
  // The class is final: its exact type tells it, cheaper than a
  // dynamic_cast (a save empties a container for every object).
  if (!stream || typeid(*stream) != typeid(TCompoundStream)) return E_INVALIDARG;
  static_cast<TCompoundStream*>(stream)->Empty();
  return S_OK;
}

KERNO_EXPORT HRESULT qsCreateFromStream(IStream* source, ICompoundStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  if (!source) return E_INVALIDARG;
  TComPtr<ICompoundStream> container;
  qsCreateCompoundStream(container.Put());
  if (!container) return E_OUTOFMEMORY;
  TComPtr<IPersistStream> persist = PersistOf(container.Get());
  if (!persist) return E_FAIL;
  const HRESULT hr = persist->Load(source);
  if (Failed(hr)) return hr;
  *stream = container.Detach();
  return S_OK;
}

KERNO_EXPORT HRESULT qsSaveToStream(ICompoundStream* stream, IStream* target) {
  if (!stream || !target) return E_INVALIDARG;
  TComPtr<IPersistStream> persist = PersistOf(stream);
  if (!persist) return E_FAIL;
  return persist->Save(target, 1);
}

KERNO_EXPORT HRESULT qsGetSize(ICompoundStream* stream, uint64_t* size) {
  if (!stream || !size) return E_INVALIDARG;
  TComPtr<IPersistStream> persist;
  const HRESULT hr = stream->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.Put()));
  if (Failed(hr)) return hr;
  return persist->GetSizeMax(size);
}

KERNO_EXPORT HRESULT qsWriteCompoundStream(ICompoundStream* parent, int32_t id, ICompoundStream* child) {
  if (!parent || !child) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (Failed(hr)) return hr;
  hr = qsSaveToStream(child, memory.Get());
  if (Failed(hr)) return hr;
  return parent->WriteStream(id, memory.Get(), -1);
}

KERNO_EXPORT HRESULT qsReadCompoundStream(ICompoundStream* parent, int32_t id, ICompoundStream** child) {
  if (!child) return E_INVALIDARG;
  *child = nullptr;
  if (!parent) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (Failed(hr)) return hr;
  hr = parent->ReadStream(id, 0, memory.Get());
  if (Failed(hr)) return hr;
  return qsCreateFromStream(memory.Get(), child);
}

KERNO_EXPORT HRESULT qsReadStream(ICompoundStream* parent, int32_t id, IStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  if (!parent) return E_INVALIDARG;
  const HRESULT hr = CreateMemoryStream(stream);
  if (Failed(hr)) return hr;
  return parent->ReadStream(id, 0, *stream);
}

KERNO_EXPORT HRESULT qsIsCompoundStream(ICompoundStream* parent, int32_t id) {
  TComPtr<IStream> temp;
  HRESULT hr = qsReadStream(parent, id, temp.Put());
  if (Failed(hr)) return hr;
  TComPtr<ICompoundStream> probe;
  return qsCreateFromStream(temp.Get(), probe.Put());
}

KERNO_EXPORT HRESULT qsCopy(ICompoundStream* source, ICompoundStream** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = nullptr;
  if (!source) return E_INVALIDARG;
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (Failed(hr)) return hr;
  hr = qsSaveToStream(source, memory.Get());
  if (Failed(hr)) return hr;
  return qsCreateFromStream(memory.Get(), copy);
}

KERNO_EXPORT HRESULT qsCreateFromFile(const char* fileName, ICompoundStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  TComPtr<IStream> memory;
  const HRESULT hr = CreateStreamFromFile(fileName, memory.Put());
  if (Failed(hr)) return hr;
  return qsCreateFromStream(memory.Get(), stream);
}

KERNO_EXPORT HRESULT qsSaveToFile(const char* fileName, ICompoundStream* stream) {
  TComPtr<IStream> memory;
  HRESULT hr = CreateMemoryStream(memory.Put());
  if (Failed(hr)) return hr;
  hr = qsSaveToStream(stream, memory.Get());
  if (Failed(hr)) return hr;
  return SaveStreamToFile(fileName, memory.Get());
}

KERNO_EXPORT HRESULT CreateStreamFromFile(const char* fileName, IStream** stream) {
  if (!stream) return E_FAIL;
  *stream = nullptr;
  if (Failed(CreateMemoryStream(stream))) return E_FAIL;
  return LoadStreamFromFile(fileName, *stream);
}

KERNO_EXPORT HRESULT LoadStreamFromFile(const char* fileName, IStream* target) {
  if (!fileName || !target) return E_FAIL;
  const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return E_FAIL;
  HRESULT result = E_FAIL;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= 0xFFFFFFFFull) {
    const auto size = static_cast<uint32_t>(st.st_size);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size ? size : 1]());
    if (block) {
      // A file that shrinks while it is read leaves zeros, never stale memory.
      size_t got = 0;
      while (got < size) {
        const ssize_t n = ::read(fd, block.get() + got, size - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
      }
      target->SetSize(size);
      target->Seek(0, STREAM_SEEK_SET, nullptr);
      uint32_t done = 0;
      result = target->Write(block.get(), size, &done);
    }
  }
  ::close(fd);
  return result;
}

KERNO_EXPORT HRESULT SaveStreamToFile(const char* fileName, IStream* source) {
  if (!fileName || !source) return E_FAIL;
  uint64_t length = 0;
  if (Failed(source->Seek(0, STREAM_SEEK_END, &length)) || length > 0xFFFFFFFFull) return E_FAIL;
  source->Seek(0, STREAM_SEEK_SET, nullptr);
  const auto size = static_cast<uint32_t>(length);
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size ? size : 1]());
  if (!block) return E_FAIL;
  uint32_t done = 0;
  if (Failed(source->Read(block.get(), size, &done)) || done != size) return E_FAIL;

  // Write beside the target and rename over it only when every byte is down,
  // so a failed save never destroys the previous file.
  const std::string target(fileName);
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return E_FAIL;
  struct stat st {};
  ::fchmod(fd, ::stat(fileName, &st) == 0 ? (st.st_mode & 07777) : 0644);
  const bool ok = WriteAll(fd, block.get(), size) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), fileName) != 0) {
    ::unlink(temp.c_str());
    return E_FAIL;
  }
  return S_OK;
}
