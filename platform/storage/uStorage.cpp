#include "uStorage.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>
#include <mutex>

#include "uComPtr.h"
#include "uMemoryStream.h"

namespace {

const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // Damaged files are reported through result codes; the reader's own
    // warnings would only clutter standard error.
    const auto quiet = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
    for (const char* domain : {"libgsf", "libgsf:msole"})
      g_log_set_handler(domain,
                        static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE |
                                                    G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
                        quiet, nullptr);
  });
}

// Owns one GObject reference.
template <class T>
struct TGRef {
  T* P = nullptr;
  explicit TGRef(T* p = nullptr) : P(p) {}
  ~TGRef() {
    if (P) g_object_unref(P);
  }
  TGRef(const TGRef&) = delete;
  TGRef& operator=(const TGRef&) = delete;
};

}  // namespace

// The bytes of an opened file, alive as long as any storage of it.
struct TStorage::TReadState {
  std::vector<uint8_t> Bytes;
  GsfInput* Input = nullptr;
  GsfInfile* Root = nullptr;
  ~TReadState() {
    if (Root) g_object_unref(Root);
    if (Input) g_object_unref(Input);
  }
};

// An element of a storage being written.
struct TStorage::TNode {
  QString Name;
  std::unique_ptr<TStorage> Storage;  // set for a sub-storage
  TComPtr<IStream> Stream;            // set for a stream
  TMemoryStream* Memory = nullptr;    // the same stream, for its bytes
};

TStorage::TStorage() = default;

TStorage::~TStorage() {
  if (FInfile) g_object_unref(static_cast<GsfInfile*>(FInfile));
}

std::unique_ptr<TStorage> TStorage::CreateNew() {
  std::unique_ptr<TStorage> s(new TStorage());
  s->FWritable = true;
  return s;
}

std::unique_ptr<TStorage> TStorage::CreateFile(const QString& path, HRESULT* result) {
  if (result) *result = S_OK;
  QFileInfo info(path);
  if (path.isEmpty() || !info.absoluteDir().exists()) {
    if (result) *result = STG_E_PATHNOTFOUND;
    return nullptr;
  }
  auto s = CreateNew();
  s->FTarget = info.absoluteFilePath();
  return s;
}

bool TStorage::IsStorageFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(8);
  return head.size() == 8 && std::memcmp(head.constData(), kSignature, 8) == 0;
}

std::unique_ptr<TStorage> TStorage::OpenFile(const QString& path, HRESULT* result) {
  QFile f(path);
  if (!f.exists()) {
    if (result) *result = STG_E_FILENOTFOUND;
    return nullptr;
  }
  if (!f.open(QIODevice::ReadOnly)) {
    if (result) *result = STG_E_ACCESSDENIED;
    return nullptr;
  }
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    if (result) *result = STG_E_READFAULT;
    return nullptr;
  }
  std::vector<uint8_t> bytes(data.begin(), data.end());
  return OpenBytes(std::move(bytes), result);
}

std::unique_ptr<TStorage> TStorage::OpenBytes(std::vector<uint8_t> bytes, HRESULT* result) {
  if (result) *result = S_OK;
  // The reader is only trusted with files that at least claim to be Compound Files.
  if (bytes.size() < 512 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
    if (result) *result = STG_E_INVALIDHEADER;
    return nullptr;
  }
  InitGsf();
  auto state = std::make_shared<TReadState>();
  state->Bytes = std::move(bytes);
  state->Input = gsf_input_memory_new(state->Bytes.data(), static_cast<gsf_off_t>(state->Bytes.size()), FALSE);
  GError* err = nullptr;
  if (state->Input) state->Root = gsf_infile_msole_new(state->Input, &err);
  if (err) g_error_free(err);
  if (!state->Root) {
    if (result) *result = STG_E_INVALIDHEADER;
    return nullptr;
  }
  std::unique_ptr<TStorage> s(new TStorage());
  s->FRead = state;
  s->FInfile = g_object_ref(state->Root);
  return s;
}

bool TStorage::IsValidName(const QString& name) {
  if (name.isEmpty() || name.size() > MaxNameLength) return false;
  for (QChar c : name)
    if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c.unicode() < 32) return false;
  return true;
}

bool TStorage::ElementExists(const QString& name) const {
  if (FWritable) return FNodeKeys.contains(name.toCaseFolded());
  return FindReadChild(name) >= 0;
}

HRESULT TStorage::CheckNewName(const QString& name) const {
  if (!FWritable) return STG_E_ACCESSDENIED;
  if (!IsValidName(name)) return STG_E_INVALIDNAME;
  if (ElementExists(name)) return STG_E_FILEALREADYEXISTS;
  return S_OK;
}

HRESULT TStorage::CreateStream(const QString& name, IStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  const HRESULT hr = CheckNewName(name);
  if (hr != S_OK) return hr;
  auto node = std::make_unique<TNode>();
  node->Name = name;
  node->Memory = new TMemoryStream();
  node->Stream = TComPtr<IStream>(node->Memory);
  *stream = node->Stream.Get();
  (*stream)->AddRef();
  FNodeKeys.insert(name.toCaseFolded());
  FNodes.push_back(std::move(node));
  return S_OK;
}

HRESULT TStorage::CreateStorage(const QString& name, TStorage** storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  const HRESULT hr = CheckNewName(name);
  if (hr != S_OK) return hr;
  auto node = std::make_unique<TNode>();
  node->Name = name;
  node->Storage = CreateNew();
  node->Storage->FName = name;
  *storage = node->Storage.get();
  FNodeKeys.insert(name.toCaseFolded());
  FNodes.push_back(std::move(node));
  return S_OK;
}

HRESULT TStorage::WriteStream(const QString& name, IStream* source) {
  if (!source) return E_INVALIDARG;
  std::vector<uint8_t> bytes;
  if (source->Seek(0, 0, nullptr) != S_OK || !ReadWholeStream(source, &bytes)) return STG_E_READFAULT;
  TComPtr<IStream> target;
  const HRESULT hr = CreateStream(name, target.Put());
  if (hr != S_OK) return hr;
  uint32_t done = 0;
  if (!bytes.empty() && target->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done) != S_OK)
    return STG_E_WRITEFAULT;
  return S_OK;
}

int TStorage::FindReadChild(const QString& name) const {
  auto* dir = static_cast<GsfInfile*>(FInfile);
  if (!dir) return -1;
  if (!FReadIndexed) {
    const int n = gsf_infile_num_children(dir);
    for (int i = 0; i < n; ++i) {
      const char* childName = gsf_infile_name_by_index(dir, i);
      // The first of two names equal without case wins, as a linear search would.
      if (!childName) continue;
      const QString key = QString::fromUtf8(childName).toCaseFolded();
      if (!FReadIndex.contains(key)) FReadIndex.insert(key, i);
    }
    FReadIndexed = true;
  }
  return FReadIndex.value(name.toCaseFolded(), -1);
}

HRESULT TStorage::ReadStream(const QString& name, std::vector<uint8_t>* bytes) {
  if (!bytes) return E_INVALIDARG;
  bytes->clear();
  if (FWritable) return STG_E_INVALIDFUNCTION;
  const int index = FindReadChild(name);
  if (index < 0) return STG_E_FILENOTFOUND;
  TGRef<GsfInput> child(gsf_infile_child_by_index(static_cast<GsfInfile*>(FInfile), index));
  if (!child.P) return STG_E_READFAULT;
  if (GSF_IS_INFILE(child.P) && gsf_infile_num_children(GSF_INFILE(child.P)) >= 0) return STG_E_FILENOTFOUND;
  const gsf_off_t size = gsf_input_size(child.P);
  if (size < 0 || static_cast<uint64_t>(size) > FRead->Bytes.size() * 2 + 4096) return STG_E_READFAULT;
  bytes->resize(static_cast<size_t>(size));
  if (size > 0 && !gsf_input_read(child.P, static_cast<size_t>(size), bytes->data())) {
    bytes->clear();
    return STG_E_READFAULT;
  }
  return S_OK;
}

HRESULT TStorage::OpenStream(const QString& name, IStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  std::vector<uint8_t> bytes;
  const HRESULT hr = ReadStream(name, &bytes);
  if (hr != S_OK) return hr;
  auto* memory = new TMemoryStream(std::move(bytes));
  memory->AddRef();
  *stream = memory;
  return S_OK;
}

HRESULT TStorage::OpenStorage(const QString& name, TStorage** storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  if (FWritable) return STG_E_INVALIDFUNCTION;
  const int index = FindReadChild(name);
  if (index < 0) return STG_E_FILENOTFOUND;
  if (auto it = FOpened.find(index); it != FOpened.end()) {
    *storage = it->second.get();
    return S_OK;
  }
  GsfInput* child = gsf_infile_child_by_index(static_cast<GsfInfile*>(FInfile), index);
  if (!child) return STG_E_READFAULT;
  if (!GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
    g_object_unref(child);
    return STG_E_FILENOTFOUND;  // a stream of that name, not a storage
  }
  std::unique_ptr<TStorage> sub(new TStorage());
  sub->FRead = FRead;
  sub->FInfile = child;  // adopts the reference
  sub->FName = QString::fromUtf8(gsf_infile_name_by_index(static_cast<GsfInfile*>(FInfile), index));
  *storage = sub.get();
  FOpened[index] = std::move(sub);
  return S_OK;
}

std::vector<TStorageElement> TStorage::Elements() const {
  std::vector<TStorageElement> result;
  if (FWritable) {
    for (const auto& n : FNodes) {
      TStorageElement e;
      e.Name = n->Name;
      e.IsStorage = n->Storage != nullptr;
      if (n->Memory) e.Size = n->Memory->Bytes().size();
      result.push_back(e);
    }
    return result;
  }
  auto* dir = static_cast<GsfInfile*>(FInfile);
  const int n = dir ? gsf_infile_num_children(dir) : 0;
  for (int i = 0; i < n; ++i) {
    TStorageElement e;
    e.Name = QString::fromUtf8(gsf_infile_name_by_index(dir, i));
    TGRef<GsfInput> child(gsf_infile_child_by_index(dir, i));
    if (child.P) {
      e.IsStorage = GSF_IS_INFILE(child.P) && gsf_infile_num_children(GSF_INFILE(child.P)) >= 0;
      if (!e.IsStorage) e.Size = static_cast<uint64_t>(std::max<gsf_off_t>(0, gsf_input_size(child.P)));
    }
    result.push_back(e);
  }
  return result;
}

HRESULT TStorage::SaveToBytes(std::vector<uint8_t>* bytes) const {
  if (!bytes) return E_INVALIDARG;
  bytes->clear();
  if (!FWritable) return STG_E_INVALIDFUNCTION;
  InitGsf();
  TGRef<GsfOutput> sink(gsf_output_memory_new());
  TGRef<GsfOutfile> root(gsf_outfile_msole_new(sink.P));
  if (!sink.P || !root.P) return E_OUTOFMEMORY;

  // Depth first; each stream is written and closed before the next is created.
  struct TWriter {
    static bool Write(const TStorage& storage, GsfOutfile* dir) {
      for (const auto& node : storage.FNodes) {
        const QByteArray name = node->Name.toUtf8();
        TGRef<GsfOutput> child(gsf_outfile_new_child(dir, name.constData(), node->Storage != nullptr));
        if (!child.P) return false;
        bool ok = true;
        if (node->Storage) {
          ok = Write(*node->Storage, GSF_OUTFILE(child.P));
        } else {
          const auto& data = node->Memory->Bytes();
          if (!data.empty()) ok = gsf_output_write(child.P, data.size(), data.data());
        }
        if (!gsf_output_close(child.P)) ok = false;
        if (!ok) return false;
      }
      return true;
    }
  };
  bool ok = TWriter::Write(*this, root.P);
  if (!gsf_output_close(GSF_OUTPUT(root.P))) ok = false;
  if (!ok) return STG_E_WRITEFAULT;
  const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.P));
  const gsf_off_t size = gsf_output_size(sink.P);
  if (!data || size <= 0) return STG_E_WRITEFAULT;
  bytes->assign(data, data + size);
  return S_OK;
}

HRESULT TStorage::SaveToFile(const QString& path) const {
  std::vector<uint8_t> bytes;
  const HRESULT hr = SaveToBytes(&bytes);
  if (hr != S_OK) return hr;
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return STG_E_ACCESSDENIED;
  if (file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    file.cancelWriting();
    return STG_E_WRITEFAULT;
  }
  if (!file.commit()) return STG_E_WRITEFAULT;
  return S_OK;
}

HRESULT TStorage::Commit() const {
  if (FTarget.isEmpty()) return STG_E_INVALIDFUNCTION;
  return SaveToFile(FTarget);
}
