// Structured storage: Compound Files holding named streams and sub-storages.
//
// A storage is either being written (made by CreateNew/CreateFile) or read
// (OpenFile/OpenBytes); elements are created in the one and opened in the
// other. A storage being written keeps its whole tree in memory and lays the
// file out in one buffer on Commit (TCfbWriter); a save that fails half-way
// must not touch the file it would replace, so Commit writes a temporary file
// beside the target and renames it over the target only when complete.
// Reading loads the whole file once and reads streams straight from that
// image (TCfbReader).
//
// Names are at most 31 characters, without "/", "\", ":" or "!", and are
// compared without regard to case, as the format does.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "uCfbFormat.h"
#include "uComBase.h"

class TCfbReader;

// One element of a storage as Elements() lists it.
struct TStorageElement {
  QString Name;
  bool IsStorage = false;
  uint64_t Size = 0;  // bytes of a stream; 0 for a storage
};

class TStorage {
 public:
  static constexpr int MaxNameLength = 31;

  ~TStorage();
  TStorage(const TStorage&) = delete;
  TStorage& operator=(const TStorage&) = delete;

  // An empty storage to be written, kept in memory (SaveToBytes, SaveToFile).
  static std::unique_ptr<TStorage> CreateNew();
  // An empty storage to be written to `path` by Commit. Fails (null, *result
  // set) only when the target's folder does not exist; nothing is written yet.
  static std::unique_ptr<TStorage> CreateFile(const QString& path, HRESULT* result = nullptr);
  // Opens a Compound File for reading; null and *result on failure
  // (STG_E_FILENOTFOUND, STG_E_INVALIDHEADER for anything not a Compound File).
  static std::unique_ptr<TStorage> OpenFile(const QString& path, HRESULT* result = nullptr);
  static std::unique_ptr<TStorage> OpenBytes(std::vector<uint8_t> bytes, HRESULT* result = nullptr);
  // Whether the file starts with the Compound File signature.
  static bool IsStorageFile(const QString& path);
  // Whether `name` may name an element.
  static bool IsValidName(const QString& name);
  static bool IsValidName(std::u16string_view name);

  bool IsWritable() const { return FWritable; }
  QString Name() const;

  // Writing. A created stream is an empty memory stream whose content at
  // Commit time is what the file receives. The storage keeps a reference.
  HRESULT CreateStream(const QString& name, IStream** stream);
  // The sub-storage stays owned by this storage. Storages nest at most
  // cfb::kMaxDepth deep (STG_E_INVALIDFUNCTION beyond): deeper files are
  // refused by the reader.
  HRESULT CreateStorage(const QString& name, TStorage** storage);
  // Creates stream `name` holding every byte of `source` (from its start).
  HRESULT WriteStream(const QString& name, IStream* source);
  // Creates stream `name` holding `bytes`, kept shared instead of copied:
  // for content that many elements repeat (every list's "version"). The
  // bytes must not change until the file is written.
  HRESULT CreateSharedStream(const QString& name, const std::shared_ptr<const std::vector<uint8_t>>& bytes);

  // Creates stream `name` of `size` bytes held in memory the root storage
  // keeps for its tree, and sets *data to them: the caller fills them before
  // the file is written. For the many small streams of a save (an object's
  // values), which need no memory stream or block of their own.
  HRESULT CreateStreamBytes(const QString& name, size_t size, uint8_t** data);

  // Reading. A stream is read whole into a new memory stream at position 0.
  HRESULT OpenStream(const QString& name, IStream** stream);
  // The sub-storage stays owned by this storage; opening it again gives the same one.
  HRESULT OpenStorage(const QString& name, TStorage** storage);
  // The element named by a position in decimal ("0", "1", ...), as lists
  // name their children: found by number, without a name to build or hash.
  HRESULT OpenStorageAt(uint32_t position, TStorage** storage);
  // Every byte of stream `name`.
  HRESULT ReadStream(const QString& name, std::vector<uint8_t>* bytes);
  // The bytes of stream `name` without a copy where the file holds them in
  // one piece, else gathered into *scratch: for loops that read many streams
  // and keep none. The view lasts while this storage lives and *scratch is
  // left alone.
  HRESULT ViewStream(std::u16string_view name, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view);
  HRESULT ViewStreamAt(uint32_t position, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view);

  bool ElementExists(const QString& name) const;
  // The elements: when reading in the format's order (shorter names first,
  // then without case), when writing in creation order.
  std::vector<TStorageElement> Elements() const;

  // Root of a storage being written: the whole Compound File.
  HRESULT SaveToBytes(std::vector<uint8_t>* bytes) const;
  // Writes the file through a temporary file in the target's folder, renamed
  // over the target only when complete; on failure the target is untouched.
  HRESULT SaveToFile(const QString& path) const;
  // SaveToFile to the path given to CreateFile.
  HRESULT Commit() const;

 private:
  struct TNode;
  TStorage();
  // The root storage of an opened file; null for a null reader.
  static std::unique_ptr<TStorage> FromReader(std::shared_ptr<TCfbReader> file);
  HRESULT CheckNewName(std::u16string_view name) const;
  bool NodeExists(std::u16string_view name) const;
  // The name copied into the root's arena, or an empty view without the memory.
  std::u16string_view KeepName(std::u16string_view name);
  int FindReadChild(std::u16string_view name) const;
  int FindReadChildAt(uint32_t position) const;
  HRESULT ViewStreamOf(int id, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view);
  HRESULT OpenStorageOf(int id, TStorage** storage);

  bool FWritable = false;
  // A storage being written: its name, kept in the root's arena; one read
  // takes its name from its entry.
  std::u16string_view FName;
  QString FTarget;  // CreateFile's path
  int FDepth = 0;   // storages above this one
  // Writing: the children in creation order, indexed once there are more
  // than kLinearNames of them: names written as a plain decimal (a list's
  // positions) by number in FNodeNumbered, the others by name without case
  // (a hash per name cost a list's save more than its children's names took
  // to make). Held by value: a save
  // makes a node for every object, and one allocation each would cost more
  // than the node (a sub-storage and a stream stay where they are). A
  // sub-storage's first few nodes lie in the root's arena, the nodes of one
  // storage after another's (a block each from the heap cost a save more
  // than its nodes, and laying the file out walks them all).
  struct TWriteArena;
  template <class T>
  struct TNodeAllocator {
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;
    using is_always_equal = std::false_type;
    TWriteArena* Arena = nullptr;  // null: the heap only
    TNodeAllocator() = default;
    explicit TNodeAllocator(TWriteArena* arena) : Arena(arena) {}
    template <class U>
    TNodeAllocator(const TNodeAllocator<U>& other) : Arena(other.Arena) {}
    T* allocate(size_t n);
    void deallocate(T* p, size_t n);
    friend bool operator==(const TNodeAllocator& a, const TNodeAllocator& b) { return a.Arena == b.Arena; }
  };
  std::vector<TNode, TNodeAllocator<TNode>> FNodes;
  cfb::TNameIndex FNodeIndex;
  std::vector<int> FNodeNumbered;  // node by number, -1 where none
  size_t FNodeDecimalsHashed = 0;  // plain decimals beyond the table's reach, in FNodeIndex
  // The bytes of CreateStreamBytes and the names of all elements, in chunks
  // the root owns and every storage of its tree appends to (freed at once
  // with the tree).
  std::unique_ptr<TWriteArena> FArena;  // the root's
  TWriteArena* FRootArena = nullptr;    // the root's arena, in every storage written
  TWriteArena* WriteArena();
  void AddNode(TNode node);
  void IndexNewNode();
  void IndexNode(size_t i);
  // Reading: the file and this storage's directory entry.
  // The root owns the file; its sub-storages, which go with it, point at it
  // (a shared reference each cost two locked counts for every list of a load).
  std::shared_ptr<TCfbReader> FFile;
  TCfbReader* FRead = nullptr;
  int FEntry = 0;
  // The sub-storages opened so far, by directory entry in ascending order
  // (lists open their children in that order, so each is appended). They,
  // and the sub-storages of a tree being written, are made in blocks kept by
  // the root until it goes (a load opens one for every list and a save makes
  // one: a heap block each cost more than the storage's own work).
  struct TReadPool;
  std::unique_ptr<TReadPool> FPool;  // the root's
  TReadPool* FRootPool = nullptr;    // the root's pool, in every storage of its tree
  std::vector<std::pair<int, TStorage*>> FOpened;
  // Child names -> directory entries, built on first lookup: children named
  // by a position below their count in FNumbered, the others in FReadIndex,
  // or, with at most kLinearNames children, found by comparing their names
  // and numbers (FNextChild: the child after the last one found so).
  static constexpr size_t kLinearNames = 8;
  void IndexReadChildren() const;
  mutable cfb::TNameIndex FReadIndex;
  mutable std::vector<int> FNumbered;
  mutable bool FReadIndexed = false;
  mutable bool FLinearNames = false;
  mutable size_t FNextChild = 0;
};
