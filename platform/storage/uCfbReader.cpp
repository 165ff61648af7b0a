#include "uCfbReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "uCfbFormat.h"
#include "uStorage.h"

using namespace cfb;

// The per-sector steps of a walk are a few instructions each: a call apiece
// would cost more than the step.
#define KERNO_INLINE __attribute__((always_inline))

namespace {

// `count` little-endian 32-bit values from `p` (the allocation tables, in
// one copy where the machine's order is the file's).
void ReadLE32s(const uint8_t* p, uint32_t* out, size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, p, count * sizeof(uint32_t));
  } else {
    for (size_t i = 0; i < count; ++i) out[i] = GetLE32(p + 4 * i);
  }
}

}  // namespace

std::shared_ptr<TCfbReader> TCfbReader::Open(std::vector<uint8_t> bytes, HRESULT* result) {
  std::shared_ptr<TCfbReader> file(new TCfbReader());
  file->FVector = std::move(bytes);
  file->FData = file->FVector.data();
  file->FSize = file->FVector.size();
  return Opened(std::move(file), result);
}

std::shared_ptr<TCfbReader> TCfbReader::Open(std::unique_ptr<uint8_t[]> bytes, size_t size, HRESULT* result) {
  std::shared_ptr<TCfbReader> file(new TCfbReader());
  file->FBlock = std::move(bytes);
  file->FData = file->FBlock.get();
  file->FSize = file->FBlock ? size : 0;
  return Opened(std::move(file), result);
}

std::shared_ptr<TCfbReader> TCfbReader::Opened(std::shared_ptr<TCfbReader> file, HRESULT* result) {
  if (result) *result = S_OK;
  if (!file->Load()) {
    if (result) *result = STG_E_INVALIDHEADER;
    return nullptr;
  }
  return file;
}

bool TCfbReader::IsStorage(int id) const {
  const uint8_t type = Entry(id).Type;
  return type == kTypeStorage || type == kTypeRoot;
}

uint64_t TCfbReader::SectorBytes(uint32_t s) const {
  const uint64_t offset = (static_cast<uint64_t>(s) + 1) * FSectorSize;
  if (offset >= FSize) return 0;
  return std::min<uint64_t>(FSectorSize, FSize - offset);
}

bool TCfbReader::Load() {
  const uint8_t* h = FData;
  if (FSize < kHeaderSize || std::memcmp(h, kSignature, 8) != 0) return false;
  if (GetLE16(h + kHdrByteOrder) != 0xFFFE) return false;
  const uint16_t major = GetLE16(h + kHdrMajorVersion);
  const uint16_t shift = GetLE16(h + kHdrSectorShift);
  if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) return false;
  if (GetLE16(h + kHdrMiniSectorShift) != 6 || GetLE32(h + kHdrMiniCutoff) != kMiniStreamCutoff) return false;
  FVersion4 = major == 4;
  FSectorShift = shift;
  FSectorSize = 1u << shift;
  // The header takes the whole first sector.
  if (FSize < FSectorSize) return false;
  const uint64_t sectors = (FSize - FSectorSize + FSectorSize - 1) / FSectorSize;
  FSectorCount = static_cast<uint32_t>(std::min<uint64_t>(sectors, kMaxRegSect + 1ull));
  if (!LoadFat() || !LoadDirectory()) return false;
  LoadMiniStream();
  return BuildTree();
}

bool TCfbReader::LoadFat() {
  const uint8_t* h = FData;
  const uint32_t fatSectors = GetLE32(h + kHdrFatSectors);
  // Each table sector is a sector of the file: a larger count is damage.
  if (fatSectors > FSectorCount) return false;
  std::vector<uint32_t> where;
  where.reserve(fatSectors);
  for (int i = 0; i < kHeaderDifatCount && where.size() < fatSectors; ++i)
    where.push_back(GetLE32(h + kHdrDifat + 4 * i));
  // The rest of the table's sectors are listed in the chained DIFAT sectors.
  const uint32_t perDifat = FSectorSize / 4 - 1;
  uint32_t next = GetLE32(h + kHdrDifatStart);
  std::vector<bool> passed;
  while (where.size() < fatSectors) {
    if (next >= FSectorCount || SectorBytes(next) < FSectorSize) return false;
    if (passed.empty()) passed.resize(FSectorCount);
    if (passed[next]) return false;  // the DIFAT chain loops
    passed[next] = true;
    const uint8_t* d = Sector(next);
    for (uint32_t i = 0; i < perDifat && where.size() < fatSectors; ++i) where.push_back(GetLE32(d + 4 * i));
    next = GetLE32(d + 4 * perDifat);
  }
  const uint32_t perSector = FSectorSize / 4;
  FFat.resize(static_cast<size_t>(fatSectors) * perSector);
  for (size_t k = 0; k < where.size(); ++k) {
    const uint32_t s = where[k];
    if (s >= FSectorCount || SectorBytes(s) < FSectorSize) return false;
    const uint8_t* p = Sector(s);
    ReadLE32s(p, FFat.data() + k * perSector, perSector);
  }
  return true;
}

bool TCfbReader::Chain(uint32_t start, uint64_t limit, std::vector<uint32_t>* sectors) const {
  sectors->clear();
  // Room for the chain as far as the file allows, so that it grows without copies.
  sectors->reserve(static_cast<size_t>(std::min<uint64_t>(limit, FSectorCount)));
  std::vector<bool> passed(FSectorCount);
  uint32_t s = start;
  while (s != kEndOfChain && sectors->size() < limit) {
    if (!ValidSector(s) || passed[s]) return false;
    passed[s] = true;
    sectors->push_back(s);
    s = FFat[s];
  }
  return true;
}

bool TCfbReader::LoadDirectory() {
  std::vector<uint32_t> sectors;
  if (!Chain(GetLE32(FData + kHdrDirStart), FSectorCount, &sectors) || sectors.empty()) return false;
  const uint32_t perSector = FSectorSize / kDirEntrySize;
  // Each entry is written once, as it is read: a directory holds thousands.
  FEntries.reserve(sectors.size() * perSector);
  FNames.reserve(sectors.size() * perSector * 8);
  for (size_t k = 0; k < sectors.size(); ++k) {
    if (SectorBytes(sectors[k]) < FSectorSize) return false;
    const uint8_t* base = Sector(sectors[k]);
    for (uint32_t i = 0; i < perSector; ++i) {
      const uint8_t* p = base + i * kDirEntrySize;
      TCfbEntry& e = FEntries.emplace_back();
      e.Type = p[kDeType];
      if (e.Type != kTypeStorage && e.Type != kTypeStream && e.Type != kTypeRoot) {
        e.Type = kTypeUnused;
        e.Left = e.Right = e.Child = kNoStream;
        continue;
      }
      // The length counts the terminating zero in bytes; a damaged length
      // falls back to the characters up to the first zero.
      const uint16_t length = GetLE16(p + kDeNameLength);
      size_t units = (length >= 2 && length <= 64 && length % 2 == 0) ? length / 2 - 1 : 31;
      units = std::min<size_t>(units, 31);
      // Gathered on the stack and appended at once: growing the pool unit
      // by unit cost a check per unit.
      char16_t name[31];
      size_t n = 0;
      for (; n < units; ++n) {
        const char16_t c = GetLE16(p + 2 * n);
        if (c == 0) break;
        name[n] = c;
      }
      e.NameAt = static_cast<uint32_t>(FNames.size());
      FNames.insert(FNames.end(), name, name + n);
      e.NameLength = static_cast<uint8_t>(n);
      // Only a name starting with a digit can be a plain decimal.
      e.Number = n > 0 && name[0] >= u'0' && name[0] <= u'9' ? DecimalName(std::u16string_view(name, n)) : -1;
      e.Color = p[kDeColor];
      e.Left = GetLE32(p + kDeLeft);
      e.Right = GetLE32(p + kDeRight);
      e.Child = GetLE32(p + kDeChild);
      e.Start = GetLE32(p + kDeStart);
      // Version 3 files may leave junk in the size's upper half.
      e.Size = GetLE32(p + kDeSize);
      if (FVersion4) e.Size |= static_cast<uint64_t>(GetLE32(p + kDeSize + 4)) << 32;
    }
  }
  return FEntries[0].Type == kTypeRoot;
}

void TCfbReader::LoadMiniStream() {
  // Damage here only makes the small streams unreadable: what the chains
  // reach is kept, and a stream reaching beyond it fails when read.
  const TCfbEntry& root = FEntries[0];
  if (root.Size > 0 && root.Size <= static_cast<uint64_t>(FSectorCount) * FSectorSize) {
    const uint64_t wanted = (root.Size + FSectorSize - 1) / FSectorSize;
    Chain(root.Start, wanted, &FMiniSectors);
    FMiniStreamSize = std::min<uint64_t>(root.Size, static_cast<uint64_t>(FMiniSectors.size()) * FSectorSize);
  }
  std::vector<uint32_t> sectors;
  Chain(GetLE32(FData + kHdrMiniFatStart), FSectorCount, &sectors);
  const uint32_t perSector = FSectorSize / 4;
  size_t whole = 0;  // the table's sectors up to the first that the file cuts short
  while (whole < sectors.size() && SectorBytes(sectors[whole]) >= FSectorSize) ++whole;
  FMiniFat.resize(whole * perSector);
  for (size_t k = 0; k < whole; ++k) {
    const uint8_t* p = Sector(sectors[k]);
    ReadLE32s(p, FMiniFat.data() + k * perSector, perSector);
  }
}

bool TCfbReader::BuildTree() {
  const size_t count = FEntries.size();
  FChildRange.assign(count, {0, 0});
  FChildIds.clear();
  // An entry joins the first storage that reaches it: cycles and entries
  // shared between storages cannot make a walk of the tree endless.
  std::vector<uint8_t> claimed(count, 0);
  claimed[0] = 1;
  struct TQueued {
    int Id;
    int Depth;
  };
  std::vector<TQueued> queue{{0, 0}};
  std::vector<uint32_t> stack;
  std::vector<int> found;  // one storage's children, gathered before they get a vector of their own
  for (size_t q = 0; q < queue.size(); ++q) {
    const TQueued storage = queue[q];
    // In order through the sibling tree, without recursion.
    uint32_t cur = FEntries[static_cast<size_t>(storage.Id)].Child;
    stack.clear();
    found.clear();
    for (;;) {
      while (cur < count && !claimed[cur]) {
        claimed[cur] = 1;
        stack.push_back(cur);
        cur = FEntries[cur].Left;
      }
      if (stack.empty()) break;
      const uint32_t id = stack.back();
      stack.pop_back();
      const uint8_t type = FEntries[id].Type;
      if (type == kTypeStorage || type == kTypeStream) found.push_back(static_cast<int>(id));
      cur = FEntries[id].Right;
    }
    std::vector<int>& children = found;
    // A sound tree gives them in strictly ascending order already.
    bool ascending = true;
    for (size_t i = 1; i < children.size() && ascending; ++i) ascending = NameBefore(children[i - 1], children[i]);
    if (!ascending) {
      const auto before = [&](int a, int b) { return NameBefore(a, b); };
      std::stable_sort(children.begin(), children.end(), before);
      // Of names equal without case (damage: the format forbids them) the
      // first is kept, so that every listed element is the one its name opens.
      children.erase(std::unique(children.begin(), children.end(),
                                 [&](int a, int b) { return CompareNames(Name(a), Name(b)) == 0; }),
                     children.end());
    }
    FChildRange[static_cast<size_t>(storage.Id)] = {static_cast<uint32_t>(FChildIds.size()),
                                                    static_cast<uint32_t>(children.size())};
    FChildIds.insert(FChildIds.end(), children.begin(), children.end());
    for (int child : children) {
      if (FEntries[static_cast<size_t>(child)].Type != kTypeStorage) continue;
      if (storage.Depth + 1 > kMaxDepth) return false;
      queue.push_back({child, storage.Depth + 1});
    }
  }
  return true;
}

bool TCfbReader::NameBefore(int a, int b) const {
  // Plain decimals (no leading zero) order by length, then digit by digit:
  // as their numbers do.
  const TCfbEntry& ea = Entry(a);
  const TCfbEntry& eb = Entry(b);
  if (ea.Number >= 0 && eb.Number >= 0) return ea.Number < eb.Number;
  if (ea.NameLength != eb.NameLength) return ea.NameLength < eb.NameLength;
  return CompareNames(Name(a), Name(b)) < 0;
}

bool TCfbReader::Seen(std::vector<uint32_t>& table, uint32_t index) const {
  if (table[index] == FStamp) return true;
  table[index] = FStamp;
  return false;
}

template <class Locate, class OnPiece>
HRESULT TCfbReader::WalkChain(uint32_t start, uint64_t size, uint32_t pieceSize, const std::vector<uint32_t>& table,
                              std::vector<uint32_t>& seen, Locate locate, OnPiece onPiece) const {
  // While the chain only climbs it cannot come back to a sector it passed;
  // from its first step down every sector is stamped as it is passed.
  bool climbing = true;
  uint32_t s = start;
  for (uint64_t done = 0; done < size;) {
    if (s >= table.size()) return STG_E_READFAULT;
    if (!climbing && Seen(seen, s)) return STG_E_READFAULT;
    const uint64_t chunk = std::min<uint64_t>(pieceSize, size - done);
    const uint8_t* piece = locate(s, chunk);
    if (!piece) return STG_E_READFAULT;
    onPiece(piece, chunk);
    done += chunk;
    const uint32_t next = table[s];
    if (climbing && next <= s && done < size) {
      climbing = false;
      if (seen.empty()) seen.assign(table.size(), 0);
      for (uint32_t t = start;; t = table[t]) {
        Seen(seen, t);
        if (t == s) break;
      }
    }
    s = next;
  }
  return S_OK;
}

template <class OnPiece>
HRESULT TCfbReader::WalkStream(int id, OnPiece onPiece) const {
  const TCfbEntry& e = Entry(id);
  if (e.Type != kTypeStream) return STG_E_READFAULT;
  const uint64_t size = e.Size;
  if (size == 0) return S_OK;
  if (++FStamp == 0) {  // after four billion reads the stamps start again
    std::fill(FSeen.begin(), FSeen.end(), 0);
    std::fill(FMiniSeen.begin(), FMiniSeen.end(), 0);
    FStamp = 1;
  }
  if (size < kMiniStreamCutoff) {
    const uint64_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
    if (needed > FMiniFat.size()) return STG_E_READFAULT;
    return WalkChain(
        e.Start, size, kMiniSectorSize, FMiniFat, FMiniSeen,
        [&](uint32_t s, uint64_t chunk) KERNO_INLINE -> const uint8_t* {
          const uint64_t offset = static_cast<uint64_t>(s) * kMiniSectorSize;
          if (offset + chunk > FMiniStreamSize) return nullptr;
          const uint32_t sector = FMiniSectors[offset >> FSectorShift];
          const uint64_t within = offset & (FSectorSize - 1);
          if (SectorBytes(sector) < within + chunk) return nullptr;
          return Sector(sector) + within;
        },
        onPiece);
  }
  // A stream needs as many sectors as its size says: more than the file has is damage.
  if (size > static_cast<uint64_t>(FSectorCount) * FSectorSize) return STG_E_READFAULT;
  return WalkChain(
      e.Start, size, FSectorSize, FFat, FSeen,
      [&](uint32_t s, uint64_t chunk) KERNO_INLINE -> const uint8_t* {
        if (!ValidSector(s) || SectorBytes(s) < chunk) return nullptr;
        return Sector(s);
      },
      onPiece);
}

HRESULT TCfbReader::ReadStream(int id, std::vector<uint8_t>* bytes) const {
  // A view gathers scattered sectors into `bytes` already; one in place is copied.
  std::span<const uint8_t> view;
  const HRESULT hr = ViewStream(id, bytes, &view);
  if (hr == S_OK && view.data() != bytes->data()) bytes->assign(view.begin(), view.end());
  return hr;
}

const uint8_t* TCfbReader::RunOfSectors(uint32_t start, uint64_t size) const {
  // More than the file holds is damage (and would wrap the count below).
  if (size > static_cast<uint64_t>(FSectorCount) * FSectorSize) return nullptr;
  const uint64_t count = (size + FSectorSize - 1) >> FSectorShift;
  if (start >= FSectorCount || count > FSectorCount - start || start + count > FFat.size()) return nullptr;
  for (uint64_t k = 0; k + 1 < count; ++k)
    if (FFat[start + k] != start + k + 1) return nullptr;
  const uint32_t last = static_cast<uint32_t>(start + count - 1);
  if (SectorBytes(last) < size - (count - 1) * FSectorSize) return nullptr;
  return Sector(start);
}

const uint8_t* TCfbReader::RunOfMiniSectors(uint32_t start, uint64_t size) const {
  const uint64_t count = (size + kMiniSectorSize - 1) / kMiniSectorSize;
  if (start >= FMiniFat.size() || count > FMiniFat.size() - start) return nullptr;
  for (uint64_t k = 0; k + 1 < count; ++k)
    if (FMiniFat[start + k] != start + k + 1) return nullptr;
  // The mini sectors must lie in regular sectors that follow one another.
  const uint64_t begin = static_cast<uint64_t>(start) * kMiniSectorSize;
  const uint64_t end = begin + size;
  if (end > FMiniStreamSize) return nullptr;
  const uint64_t first = begin >> FSectorShift;
  const uint64_t last = (end - 1) >> FSectorShift;
  for (uint64_t k = first; k < last; ++k)
    if (FMiniSectors[k + 1] != FMiniSectors[k] + 1) return nullptr;
  if (SectorBytes(FMiniSectors[last]) < ((end - 1) & (FSectorSize - 1)) + 1) return nullptr;
  return Sector(FMiniSectors[first]) + (begin & (FSectorSize - 1));
}

HRESULT TCfbReader::ViewStream(int id, std::vector<uint8_t>* scratch, std::span<const uint8_t>* view) const {
  *view = {};
  scratch->clear();
  // Streams our writer lays out lie in sectors that follow one another: a
  // check of their chain and the bytes' bounds is the whole read.
  const TCfbEntry& e = Entry(id);
  if (e.Type == kTypeStream && e.Size > 0) {
    const uint8_t* together =
        e.Size < kMiniStreamCutoff ? RunOfMiniSectors(e.Start, e.Size) : RunOfSectors(e.Start, e.Size);
    if (together) {
      *view = std::span<const uint8_t>(together, static_cast<size_t>(e.Size));
      return S_OK;
    }
  }
  const uint8_t* first = nullptr;
  uint64_t length = 0;
  bool copying = false;
  const HRESULT hr = WalkStream(id, [&](const uint8_t* piece, uint64_t n) KERNO_INLINE {
    if (!copying) {
      if (!first || piece == first + length) {
        if (!first) first = piece;
        length += n;
        return;
      }
      // Scattered sectors: gathered into the scratch buffer from here on.
      copying = true;
      scratch->reserve(Entry(id).Size);
      scratch->assign(first, first + length);
    }
    scratch->insert(scratch->end(), piece, piece + n);
  });
  if (hr != S_OK) {
    scratch->clear();
    return hr;
  }
  if (copying)
    *view = std::span<const uint8_t>(scratch->data(), scratch->size());
  else if (first)
    *view = std::span<const uint8_t>(first, static_cast<size_t>(length));
  return S_OK;
}
