#include "uStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "uCfbReader.h"
#include "uCfbWriter.h"
#include "uComPtr.h"
#include "uMemoryStream.h"

namespace {

std::u16string_view View(const QString& s) {
  // constData, not utf16: that one is a call, and a save asks for every name several times.
  return {reinterpret_cast<const char16_t*>(s.constData()), static_cast<size_t>(s.size())};
}

// The stored units as they are (a decoder would replace unpaired surrogates,
// and the name would no longer find its element).
QString StoredName(std::u16string_view name) {
  return QString(reinterpret_cast<const QChar*>(name.data()), static_cast<qsizetype>(name.size()));
}

}  // namespace

// An element of a storage being written.
struct TStorage::TNode {
  std::u16string_view Name;         // in the root's arena
  TStorage* Storage = nullptr;      // set for a sub-storage (the root's pool owns it)
  TComPtr<IStream> Stream;          // set for a stream
  TMemoryStream* Memory = nullptr;  // the same stream, for its bytes
  // Or, for a stream made by CreateStreamBytes, its bytes in the root's
  // arena; for one made by CreateSharedStream, the bytes given (the root
  // keeps them).
  std::span<const uint8_t> Arena;
  std::span<const uint8_t> Bytes() const {
    if (Memory) return Memory->Bytes();
    return Arena;
  }
};

// Chunks of stream bytes and element names for a tree being written; a
// stream larger than a chunk's share gets a block of its own. The names lie
// together, apart from the bytes: laying the file out reads each name twice
// (its sort key, its directory entry), and names scattered among megabytes of
// streams would be a cache miss each.
struct TStorage::TWriteArena {
  struct TRegion {
    size_t Chunk;  // bytes of each chunk; larger requests than an eighth get their own block
    uint8_t* Pos = nullptr;
    size_t Left = 0;
  };
  std::vector<std::unique_ptr<uint8_t[]>> Blocks;
  TRegion Bytes{256 * 1024};
  TRegion Names{16 * 1024};
  TRegion NodeBlocks{64 * 1024};
  // Elements and storages of the whole tree, so that laying the file out
  // sizes its lists at once (a save of thousands of objects grew them
  // step by step, copying each).
  size_t Nodes = 0;
  size_t Storages = 0;
  // The bytes of CreateSharedStream, each kept once however many streams
  // repeat them (a reference per stream cost two locked counts per object).
  std::vector<std::shared_ptr<const std::vector<uint8_t>>> Shared;
  bool Keep(const std::shared_ptr<const std::vector<uint8_t>>& bytes) {
    if (!Shared.empty() && Shared.back() == bytes) return true;
    try {
      Shared.push_back(bytes);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  // `size` bytes (at least one) of a region, aligned to `align` (a power of
  // two up to 16), or null without the memory.
  uint8_t* Allocate(TRegion& region, size_t size, size_t align = 1) {
    if (size == 0) size = 1;
    const size_t skip = (align - reinterpret_cast<uintptr_t>(region.Pos) % align) % align;
    if (skip + size <= region.Left) {
      uint8_t* p = region.Pos + skip;
      region.Pos = p + size;
      region.Left -= skip + size;
      return p;
    }
    const bool own = size > region.Chunk / 8;
    try {
      Blocks.reserve(Blocks.size() + 1);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[own ? size : region.Chunk]);
    if (!block) return nullptr;
    uint8_t* p = block.get();
    Blocks.push_back(std::move(block));
    if (!own) {
      region.Pos = p + size;
      region.Left = region.Chunk - size;
    }
    return p;
  }
};

// The sub-storages of a tree being read or written, in blocks that grow up to
// kMaxBlock. Each storage is made where it is handed out: a block made whole
// at once wrote every storage's lines (67 KB of them) long before their use,
// and they were written again, from beyond the first-level cache, when used.
struct TStorage::TReadPool {
  static constexpr size_t kFirstBlock = 8;
  static constexpr size_t kMaxBlock = 256;
  struct TFree {
    void operator()(TStorage* block) const { ::operator delete(static_cast<void*>(block)); }
  };
  struct TBlock {
    std::unique_ptr<TStorage, TFree> Storages;
    size_t Made = 0;
  };
  std::vector<TBlock> Blocks;
  size_t BlockSize = 0;
  TReadPool() = default;
  TReadPool(const TReadPool&) = delete;
  TReadPool& operator=(const TReadPool&) = delete;
  ~TReadPool() {
    for (TBlock& block : Blocks)
      for (size_t i = 0; i < block.Made; ++i) block.Storages.get()[i].~TStorage();
  }
  TStorage* Make() {
    if (Blocks.empty() || Blocks.back().Made == BlockSize) {
      const size_t size = BlockSize ? std::min(BlockSize * 2, kMaxBlock) : kFirstBlock;
      Blocks.reserve(Blocks.size() + 1);
      Blocks.push_back(
          {std::unique_ptr<TStorage, TFree>(static_cast<TStorage*>(::operator new(size * sizeof(TStorage)))), 0});
      BlockSize = size;
    }
    TBlock& block = Blocks.back();
    TStorage* made = new (block.Storages.get() + block.Made) TStorage();
    ++block.Made;
    return made;
  }
};

// The most nodes a block in the arena holds: what an object's storage takes.
constexpr size_t kArenaNodes = 4;
// How much of the memory after a stream's bytes CreateStreamBytes asks for:
// about an object's stored form.
constexpr size_t kBytesAheadLines = 16;

template <class T>
T* TStorage::TNodeAllocator<T>::allocate(size_t n) {
  if (!Arena || n > kArenaNodes) return std::allocator<T>().allocate(n);
  void* p = Arena->Allocate(Arena->NodeBlocks, n * sizeof(T), alignof(T));
  if (!p) throw std::bad_alloc();
  return static_cast<T*>(p);
}

template <class T>
void TStorage::TNodeAllocator<T>::deallocate(T* p, size_t n) {
  // A block of the arena goes with the arena.
  if (!Arena || n > kArenaNodes) std::allocator<T>().deallocate(p, n);
}

TStorage::TStorage() = default;
TStorage::~TStorage() = default;

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
  return head.size() == 8 && std::memcmp(head.constData(), cfb::kSignature, 8) == 0;
}

std::unique_ptr<TStorage> TStorage::OpenFile(const QString& path, HRESULT* result) {
  QFile f(path);
  // Whether the file is there is asked only when it does not open: a load
  // opens thousands of files in a session, each a system call saved.
  if (!f.open(QIODevice::ReadOnly)) {
    if (result) *result = f.exists() ? STG_E_ACCESSDENIED : STG_E_FILENOTFOUND;
    return nullptr;
  }
  // The whole file in one read, straight into the image the reader keeps
  // (not zeroed first: the read fills it).
  const qint64 size = f.size();
  std::unique_ptr<uint8_t[]> bytes;
  if (size > 0) {
    if (static_cast<uint64_t>(size) > SIZE_MAX) {
      if (result) *result = E_OUTOFMEMORY;
      return nullptr;
    }
    bytes.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!bytes) {
      if (result) *result = E_OUTOFMEMORY;
      return nullptr;
    }
    if (f.read(reinterpret_cast<char*>(bytes.get()), size) != size) {
      if (result) *result = STG_E_READFAULT;
      return nullptr;
    }
  }
  return FromReader(TCfbReader::Open(std::move(bytes), static_cast<size_t>(std::max<qint64>(size, 0)), result));
}

std::unique_ptr<TStorage> TStorage::OpenBytes(std::vector<uint8_t> bytes, HRESULT* result) {
  return FromReader(TCfbReader::Open(std::move(bytes), result));
}

std::unique_ptr<TStorage> TStorage::FromReader(std::shared_ptr<TCfbReader> file) {
  if (!file) return nullptr;
  std::unique_ptr<TStorage> s(new TStorage());
  s->FFile = std::move(file);
  s->FRead = s->FFile.get();
  s->FEntry = TCfbReader::RootId;
  return s;
}

bool TStorage::IsValidName(const QString& name) { return IsValidName(View(name)); }

bool TStorage::IsValidName(std::u16string_view name) {
  if (name.empty() || name.size() > MaxNameLength) return false;
  for (char16_t c : name)
    if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c < 32) return false;
  return true;
}

bool TStorage::ElementExists(const QString& name) const {
  return FWritable ? NodeExists(View(name)) : FindReadChild(View(name)) >= 0;
}

bool TStorage::NodeExists(std::u16string_view name) const {
  if (FNodes.size() <= kLinearNames)
    return std::any_of(FNodes.begin(), FNodes.end(), [&](const TNode& n) { return cfb::SameName(n.Name, name); });
  // A plain decimal equals no other spelling, with or without case: only the
  // node of its number can hold it.
  const int32_t number = cfb::DecimalName(name);
  if (number >= 0) {
    const auto at = static_cast<size_t>(number);
    if (at < FNodeNumbered.size() && FNodeNumbered[at] >= 0) return true;
    if (FNodeDecimalsHashed == 0) return false;
  }
  return FNodeIndex.Find(name, [this](int i) { return FNodes[static_cast<size_t>(i)].Name; }) >= 0;
}

HRESULT TStorage::CheckNewName(std::u16string_view name) const {
  if (!FWritable) return STG_E_ACCESSDENIED;
  if (!IsValidName(name)) return STG_E_INVALIDNAME;
  if (NodeExists(name)) return STG_E_FILEALREADYEXISTS;
  return S_OK;
}

std::u16string_view TStorage::KeepName(std::u16string_view name) {
  TWriteArena* arena = WriteArena();
  auto* kept = arena ? reinterpret_cast<char16_t*>(
                           arena->Allocate(arena->Names, name.size() * sizeof(char16_t), alignof(char16_t)))
                     : nullptr;
  if (!kept) return {};
  std::memcpy(kept, name.data(), name.size() * sizeof(char16_t));
  return {kept, name.size()};
}

HRESULT TStorage::CreateStream(const QString& name, IStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  const HRESULT hr = CheckNewName(View(name));
  if (hr != S_OK) return hr;
  TNode node;
  node.Name = KeepName(View(name));
  if (node.Name.empty()) return E_OUTOFMEMORY;
  node.Memory = new TMemoryStream();
  node.Stream = TComPtr<IStream>(node.Memory);
  *stream = node.Stream.Get();
  (*stream)->AddRef();
  AddNode(std::move(node));
  return S_OK;
}

HRESULT TStorage::CreateSharedStream(const QString& name, const std::shared_ptr<const std::vector<uint8_t>>& bytes) {
  if (!bytes) return E_INVALIDARG;
  const HRESULT hr = CheckNewName(View(name));
  if (hr != S_OK) return hr;
  TNode node;
  node.Name = KeepName(View(name));
  TWriteArena* arena = WriteArena();
  if (node.Name.empty() || !arena || !arena->Keep(bytes)) return E_OUTOFMEMORY;
  node.Arena = std::span<const uint8_t>(bytes->data(), bytes->size());
  AddNode(std::move(node));
  return S_OK;
}

TStorage::TWriteArena* TStorage::WriteArena() {
  // Only the root comes here without one: sub-storages get the root's.
  if (!FRootArena) {
    FArena.reset(new (std::nothrow) TWriteArena());
    FRootArena = FArena.get();
  }
  return FRootArena;
}

HRESULT TStorage::CreateStreamBytes(const QString& name, size_t size, uint8_t** data) {
  if (!data) return E_INVALIDARG;
  *data = nullptr;
  const HRESULT hr = CheckNewName(View(name));
  if (hr != S_OK) return hr;
  TNode node;
  node.Name = KeepName(View(name));
  TWriteArena* arena = WriteArena();
  uint8_t* bytes = arena && !node.Name.empty() ? arena->Allocate(arena->Bytes, size) : nullptr;
  if (!bytes) return E_OUTOFMEMORY;
  node.Arena = std::span<const uint8_t>(bytes, size);
  AddNode(std::move(node));
  *data = bytes;
  // The next stream's bytes go right after these, into memory no save has
  // touched yet: their lines are asked for, to be written, while the caller
  // fills these (prefetches past the chunk's end are harmless).
  for (size_t line = 0; line < kBytesAheadLines; ++line) __builtin_prefetch(bytes + size + 64 * line, 1);
  return S_OK;
}

HRESULT TStorage::CreateStorage(const QString& name, TStorage** storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  const HRESULT hr = CheckNewName(View(name));
  if (hr != S_OK) return hr;
  if (FDepth + 1 > cfb::kMaxDepth) return STG_E_INVALIDFUNCTION;
  TNode node;
  node.Name = KeepName(View(name));
  if (node.Name.empty()) return E_OUTOFMEMORY;
  if (!FRootPool) {
    FPool = std::make_unique<TReadPool>();
    FRootPool = FPool.get();
  }
  TStorage* sub = FRootPool->Make();
  sub->FNodes = decltype(FNodes)(TNodeAllocator<TNode>(FRootArena));
  sub->FWritable = true;
  sub->FName = node.Name;
  sub->FDepth = FDepth + 1;
  sub->FRootArena = FRootArena;
  sub->FRootPool = FRootPool;
  node.Storage = sub;
  *storage = sub;
  AddNode(std::move(node));
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

void TStorage::AddNode(TNode node) {
  // An object's storage holds a few elements: room for them at once.
  if (FNodes.empty()) FNodes.reserve(kArenaNodes);
  const bool storage = node.Storage != nullptr;
  FNodes.push_back(std::move(node));
  if (FRootArena) {
    ++FRootArena->Nodes;
    if (storage) ++FRootArena->Storages;
  }
  IndexNewNode();
}

void TStorage::IndexNewNode() {
  // A storage of a few elements (an object's "index", "version" and its own
  // streams) is searched in place: an index would cost more than it saves.
  const size_t count = FNodes.size();
  if (count <= kLinearNames) return;
  for (size_t i = count == kLinearNames + 1 ? 0 : count - 1; i < count; ++i) IndexNode(i);
}

void TStorage::IndexNode(size_t i) {
  const std::u16string_view name = FNodes[i].Name;
  const int32_t number = cfb::DecimalName(name);
  // The table covers numbers up to a few times the node count: a list's
  // children "0", "1", ... fill it, a stray large number goes to the hash.
  if (number >= 0 && static_cast<size_t>(number) < std::max<size_t>(64, 4 * FNodes.size())) {
    const auto at = static_cast<size_t>(number);
    if (at >= FNodeNumbered.size()) FNodeNumbered.resize(std::max({at + 1, 2 * FNodeNumbered.size(), size_t{64}}), -1);
    FNodeNumbered[at] = static_cast<int>(i);
    return;
  }
  if (number >= 0) ++FNodeDecimalsHashed;
  FNodeIndex.Insert(name, static_cast<int>(i), [this](int k) { return FNodes[static_cast<size_t>(k)].Name; });
}

void TStorage::IndexReadChildren() const {
  const std::span<const int> children = FRead->Children(FEntry);
  FReadIndexed = true;
  // A storage of a few elements (an object's "index", "version" and its own
  // streams, a body's columns) is searched in place, by name or by number:
  // building an index would cost more than it saves.
  FLinearNames = children.size() <= kLinearNames;
  if (FLinearNames) return;
  auto nameOf = [&](int id) { return FRead->Name(id); };
  // Lists name their children by position: those names are looked up by
  // number, the others through the name index.
  bool numbered = false;
  for (int id : children) {
    const int32_t n = FRead->Entry(id).Number;
    numbered = numbered || (n >= 0 && static_cast<size_t>(n) < children.size());
  }
  if (numbered) FNumbered.assign(children.size(), -1);
  for (int id : children) {
    const int32_t n = FRead->Entry(id).Number;
    if (n >= 0 && static_cast<size_t>(n) < children.size())
      FNumbered[static_cast<size_t>(n)] = id;
    else
      FReadIndex.Insert(FRead->Name(id), id, nameOf);
  }
}

int TStorage::FindReadChildAt(uint32_t position) const {
  if (!FRead) return -1;
  if (!FReadIndexed) IndexReadChildren();
  if (FLinearNames && position <= cfb::kMaxDecimalName) {
    // Names are unique without case, so one plain decimal names one child.
    for (int id : FRead->Children(FEntry))
      if (FRead->Entry(id).Number == static_cast<int64_t>(position)) return id;
    return -1;
  }
  if (position < FNumbered.size()) return FNumbered[position];
  // Beyond the child count a position's name can only be in the name index.
  char16_t digits[10];
  size_t n = sizeof digits / sizeof digits[0];
  do {
    digits[--n] = static_cast<char16_t>(u'0' + position % 10);
    position /= 10;
  } while (position);
  return FindReadChild(std::u16string_view(digits + n, sizeof digits / sizeof digits[0] - n));
}

int TStorage::FindReadChild(std::u16string_view name) const {
  if (!FRead) return -1;
  if (!FReadIndexed) IndexReadChildren();
  if (FLinearNames) {
    // Readers mostly ask for the children in their stored order ("index",
    // "ruller0", "ruller1", ...), and by their stored spelling: the child
    // after the last one found is tried first, then every child as spelt.
    // The reader keeps one child of names equal without case, so a match as
    // spelt is the only match.
    const std::span<const int> children = FRead->Children(FEntry);
    const auto spelt = [&](int id) {
      const std::u16string_view stored = FRead->Name(id);
      return stored.size() == name.size() &&
             std::memcmp(stored.data(), name.data(), name.size() * sizeof(char16_t)) == 0;
    };
    if (FNextChild < children.size() && spelt(children[FNextChild])) return children[FNextChild++];
    for (size_t i = 0; i < children.size(); ++i)
      if (spelt(children[i])) {
        FNextChild = i + 1;
        return children[i];
      }
    for (int id : children)
      if (cfb::SameName(FRead->Name(id), name)) return id;
    return -1;
  }
  const int32_t n = cfb::DecimalName(name);
  if (n >= 0 && static_cast<size_t>(n) < FNumbered.size()) return FNumbered[static_cast<size_t>(n)];
  return FReadIndex.Find(name, [&](int id) { return FRead->Name(id); });
}

HRESULT TStorage::ReadStream(const QString& name, std::vector<uint8_t>* bytes) {
  if (!bytes) return E_INVALIDARG;
  bytes->clear();
  if (FWritable) return STG_E_INVALIDFUNCTION;
  const int id = FindReadChild(View(name));
  if (id < 0 || FRead->IsStorage(id)) return STG_E_FILENOTFOUND;
  return FRead->ReadStream(id, bytes);
}

HRESULT TStorage::ViewStream(std::u16string_view name, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view) {
  return ViewStreamOf(FWritable ? -1 : FindReadChild(name), scratch, view);
}

HRESULT TStorage::ViewStreamAt(uint32_t position, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view) {
  return ViewStreamOf(FWritable ? -1 : FindReadChildAt(position), scratch, view);
}

HRESULT TStorage::ViewStreamOf(int id, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view) {
  if (!scratch || !view) return E_INVALIDARG;
  *view = {};
  if (FWritable) return STG_E_INVALIDFUNCTION;
  if (id < 0 || FRead->IsStorage(id)) return STG_E_FILENOTFOUND;
  return FRead->ViewStream(id, scratch, view);
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
  return OpenStorageOf(FWritable ? -1 : FindReadChild(View(name)), storage);
}

HRESULT TStorage::OpenStorageAt(uint32_t position, TStorage** storage) {
  return OpenStorageOf(FWritable ? -1 : FindReadChildAt(position), storage);
}

HRESULT TStorage::OpenStorageOf(int id, TStorage** storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  if (FWritable) return STG_E_INVALIDFUNCTION;
  if (id < 0 || !FRead->IsStorage(id)) return STG_E_FILENOTFOUND;
  // A list opens all its children: room for each at once.
  if (FOpened.empty()) FOpened.reserve(FRead->Children(FEntry).size());
  auto at = FOpened.end();
  if (!FOpened.empty() && FOpened.back().first >= id) {
    at = std::lower_bound(FOpened.begin(), FOpened.end(), id,
                          [](const auto& opened, int key) { return opened.first < key; });
    if (at != FOpened.end() && at->first == id) {
      *storage = at->second;
      return S_OK;
    }
  }
  if (!FRootPool) {
    FPool = std::make_unique<TReadPool>();
    FRootPool = FPool.get();
  }
  TStorage* sub = FRootPool->Make();
  sub->FRead = FRead;
  sub->FEntry = id;
  sub->FDepth = FDepth + 1;
  sub->FRootPool = FRootPool;
  *storage = sub;
  FOpened.emplace(at, id, sub);
  return S_OK;
}

QString TStorage::Name() const {
  if (FRead && FEntry != TCfbReader::RootId) return StoredName(FRead->Name(FEntry));
  return FName.empty() ? QString() : StoredName(FName);
}

std::vector<TStorageElement> TStorage::Elements() const {
  std::vector<TStorageElement> result;
  if (FWritable) {
    result.reserve(FNodes.size());
    for (const auto& n : FNodes) {
      TStorageElement e;
      e.Name = StoredName(n.Name);
      e.IsStorage = n.Storage != nullptr;
      if (!e.IsStorage) e.Size = n.Bytes().size();
      result.push_back(e);
    }
    return result;
  }
  if (!FRead) return result;
  const std::span<const int> children = FRead->Children(FEntry);
  result.reserve(children.size());
  for (int id : children) {
    TStorageElement e;
    e.Name = StoredName(FRead->Name(id));
    e.IsStorage = FRead->IsStorage(id);
    if (!e.IsStorage) e.Size = FRead->Entry(id).Size;
    result.push_back(e);
  }
  return result;
}

HRESULT TStorage::SaveToBytes(std::vector<uint8_t>* bytes) const {
  if (!bytes) return E_INVALIDARG;
  bytes->clear();
  if (!FWritable) return STG_E_INVALIDFUNCTION;
  // The tree breadth first, so that each storage's children are one run of entries.
  std::vector<TCfbWriteEntry> entries(1);
  entries[0].IsStorage = true;
  std::vector<std::pair<const TStorage*, size_t>> queue{{this, 0}};
  if (FRootArena) {
    entries.reserve(FRootArena->Nodes + 1);
    queue.reserve(FRootArena->Storages + 1);
  }
  for (size_t q = 0; q < queue.size(); ++q) {
    const TStorage* storage = queue[q].first;
    const size_t at = queue[q].second;
    entries[at].FirstChild = static_cast<int>(entries.size());
    entries[at].ChildCount = static_cast<int>(storage->FNodes.size());
    for (const auto& node : storage->FNodes) {
      TCfbWriteEntry e;
      e.Name = node.Name;
      e.IsStorage = node.Storage != nullptr;
      if (e.IsStorage) {
        queue.emplace_back(node.Storage, entries.size());
      } else {
        const std::span<const uint8_t> data = node.Bytes();
        e.Data = data.data();
        e.Size = data.size();
      }
      entries.push_back(e);
    }
  }
  try {
    return WriteCompoundFile(entries, bytes);
  } catch (const std::bad_alloc&) {
    bytes->clear();
    return E_OUTOFMEMORY;
  }
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
