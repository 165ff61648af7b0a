#include "uCfbWriter.h"

#include <algorithm>
#include <cstring>

#include "uCfbFormat.h"
#include "uStorage.h"

using namespace cfb;

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kPerSector = kSectorSize / 4;  // table entries in a sector
constexpr uint32_t kPerDifat = kPerSector - 1;    // the last entry links the next DIFAT sector
// Version 3 stream sizes are 32 bits, and its readers expect less than 2 GB.
constexpr uint64_t kMaxStreamSize = 0x7FFFFFFF;

uint64_t Ceil(uint64_t value, uint64_t unit) { return (value + unit - 1) / unit; }

struct TDir {
  uint32_t Left = kNoStream;
  uint32_t Right = kNoStream;
  uint32_t Child = kNoStream;
  uint32_t Start = 0;
  uint8_t Color = kBlack;
};

// A balanced tree over sorted ids: the middle of each range is its root.
// Levels 0..full-1 are complete and black; the nodes below (leaves only, as
// subtree sizes differ by at most one) are red, so every path from the root
// to a missing child passes the same number of black nodes.
struct TTreeBuilder {
  const std::vector<int>& Sorted;
  std::vector<TDir>& Dir;
  int Full;
  uint32_t Build(size_t lo, size_t hi, int depth) {
    if (lo >= hi) return kNoStream;
    const size_t mid = lo + (hi - lo) / 2;
    TDir& node = Dir[static_cast<size_t>(Sorted[mid])];
    node.Left = Build(lo, mid, depth + 1);
    node.Right = Build(mid + 1, hi, depth + 1);
    node.Color = depth >= Full ? kRed : kBlack;
    return static_cast<uint32_t>(Sorted[mid]);
  }
};

// 128 bytes zeroed by plain 16-byte stores: a memset of that fixed size is
// inlined as a string store, whose start-up cost more than the entry's writes.
void ZeroEntry(uint8_t* p) {
  using TChunk = uint64_t __attribute__((vector_size(16)));
  const TChunk zero = {0, 0};
#pragma GCC unroll 8
  for (size_t at = 0; at < kDirEntrySize; at += sizeof zero) std::memcpy(p + at, &zero, sizeof zero);
}

// Directory entry `i` into its zeroed 128 bytes at `p`.
void WriteDirEntry(uint8_t* p, size_t i, const TCfbWriteEntry& e, const TDir& dir, uint64_t miniSectors,
                   uint32_t miniStreamStart) {
  constexpr std::u16string_view kRootName = u"Root Entry";
  const std::u16string_view name = i == 0 ? kRootName : e.Name.substr(0, 31);
  for (size_t c = 0; c < name.size(); ++c) PutLE16(p + 2 * c, name[c]);
  PutLE16(p + kDeNameLength, static_cast<uint16_t>((name.size() + 1) * 2));
  p[kDeType] = i == 0 ? kTypeRoot : e.IsStorage ? kTypeStorage : kTypeStream;
  p[kDeColor] = dir.Color;
  PutLE32(p + kDeLeft, dir.Left);
  PutLE32(p + kDeRight, dir.Right);
  PutLE32(p + kDeChild, dir.Child);
  if (i == 0) {
    PutLE32(p + kDeStart, miniSectors ? miniStreamStart : kEndOfChain);
    PutLE32(p + kDeSize, static_cast<uint32_t>(miniSectors * kMiniSectorSize));
  } else if (!e.IsStorage) {
    PutLE32(p + kDeStart, dir.Start);
    PutLE32(p + kDeSize, static_cast<uint32_t>(e.Size));
  }
}

void Chain(uint8_t* table, uint32_t first, uint64_t count) {
  for (uint64_t i = 0; i < count; ++i)
    PutLE32(table + 4 * (first + i), i + 1 < count ? static_cast<uint32_t>(first + i + 1) : kEndOfChain);
}

}  // namespace

HRESULT WriteCompoundFile(const std::vector<TCfbWriteEntry>& entries, std::vector<uint8_t>* out) {
  out->clear();
  if (entries.empty() || !entries[0].IsStorage) return E_INVALIDARG;
  const size_t count = entries.size();
  if (count >= kMaxRegSect) return STG_E_WRITEFAULT;
  std::vector<TDir> dir(count);

  // The sibling trees.
  struct TKeyed {
    uint64_t Key;
    int Id;
  };
  std::vector<TKeyed> keyed;
  std::vector<int> sorted;
  constexpr size_t kMaxMergedRuns = 8;
  std::vector<size_t> runStarts;
  for (size_t i = 0; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (!e.IsStorage || e.ChildCount <= 0) continue;
    if (e.FirstChild < 1 || static_cast<size_t>(e.FirstChild) + static_cast<size_t>(e.ChildCount) > count)
      return E_INVALIDARG;
    // Sorted on a key of the length and the first three upper-cased units,
    // which decides most comparisons; the full names decide the rest.
    keyed.resize(static_cast<size_t>(e.ChildCount));
    for (int k = 0; k < e.ChildCount; ++k) {
      const std::u16string_view name = entries[static_cast<size_t>(e.FirstChild + k)].Name;
      uint64_t key = static_cast<uint64_t>(std::min<size_t>(name.size(), 0xFFFF)) << 48;
      for (size_t c = 0; c < 3 && c < name.size(); ++c)
        key |= static_cast<uint64_t>(UpperUnit(name[c])) << (32 - 16 * c);
      keyed[static_cast<size_t>(k)] = {key, e.FirstChild + k};
    }
    const auto less = [&](const TKeyed& a, const TKeyed& b) {
      if (a.Key != b.Key) return a.Key < b.Key;
      return CompareNames(entries[static_cast<size_t>(a.Id)].Name, entries[static_cast<size_t>(b.Id)].Name) < 0;
    };
    // Lists name their children "0", "1", ... in order, after their "index"
    // and "version": the names come in a few ascending runs, merged in
    // linear time (a sort's pivots fare badly on such input).
    runStarts.clear();
    for (size_t k = 1; k < keyed.size() && runStarts.size() <= kMaxMergedRuns; ++k)
      if (less(keyed[k], keyed[k - 1])) runStarts.push_back(k);
    if (runStarts.size() > kMaxMergedRuns) {
      std::sort(keyed.begin(), keyed.end(), less);
    } else {
      // Each run joins the sorted ones before it.
      const auto at = [&](size_t k) { return keyed.begin() + static_cast<ptrdiff_t>(k); };
      for (size_t r = 0; r < runStarts.size(); ++r)
        std::inplace_merge(keyed.begin(), at(runStarts[r]),
                           at(r + 1 < runStarts.size() ? runStarts[r + 1] : keyed.size()), less);
    }
    sorted.resize(keyed.size());
    for (size_t k = 0; k < keyed.size(); ++k) sorted[k] = keyed[k].Id;
    int full = 0;
    while ((size_t{2} << full) - 1 <= sorted.size()) ++full;  // complete levels: floor(log2(n + 1))
    TTreeBuilder builder{sorted, dir, full};
    dir[i].Child = builder.Build(0, sorted.size(), 0);
  }

  // Small streams in the mini stream, the others in sectors of their own.
  uint64_t miniSectors = 0;
  uint64_t bigSectors = 0;
  for (size_t i = 1; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (e.IsStorage) continue;
    if (e.Size > kMaxStreamSize) return STG_E_WRITEFAULT;
    if (e.Size == 0) {
      dir[i].Start = kEndOfChain;
    } else if (e.Size < kMiniStreamCutoff) {
      dir[i].Start = static_cast<uint32_t>(miniSectors);
      miniSectors += Ceil(e.Size, kMiniSectorSize);
    } else {
      dir[i].Start = static_cast<uint32_t>(bigSectors);  // relative until the layout is known
      bigSectors += Ceil(e.Size, kSectorSize);
    }
  }
  const uint64_t dirSectors = Ceil(count * kDirEntrySize, kSectorSize);
  const uint64_t miniFatSectors = Ceil(miniSectors * 4, kSectorSize);
  const uint64_t miniStreamSectors = Ceil(miniSectors * kMiniSectorSize, kSectorSize);
  const uint64_t data = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
  // The allocation table covers itself and the DIFAT sectors listing it.
  uint64_t fatSectors = 0;
  uint64_t difatSectors = 0;
  for (;;) {
    const uint64_t needFat = Ceil(data + fatSectors + difatSectors, kPerSector);
    const uint64_t needDifat = needFat > kHeaderDifatCount ? Ceil(needFat - kHeaderDifatCount, kPerDifat) : 0;
    if (needFat == fatSectors && needDifat == difatSectors) break;
    fatSectors = needFat;
    difatSectors = needDifat;
  }
  const uint64_t total = data + fatSectors + difatSectors;
  if (total > kMaxRegSect || miniSectors * kMiniSectorSize > 0xFFFFFFFFull ||
      (total + 1) * kSectorSize > out->max_size())
    return STG_E_WRITEFAULT;

  // Sectors: the table, the DIFAT, the mini table, the directory, the mini stream, the large streams.
  const auto difatStart = static_cast<uint32_t>(fatSectors);
  const auto miniFatStart = static_cast<uint32_t>(difatStart + difatSectors);
  const auto dirStart = static_cast<uint32_t>(miniFatStart + miniFatSectors);
  const auto miniStreamStart = static_cast<uint32_t>(dirStart + dirSectors);
  const auto bigStart = static_cast<uint32_t>(miniStreamStart + miniStreamSectors);

  // The file is appended in its own order, each byte once: only padding and
  // the directory (mostly zero fields) are zero-filled, not the whole file first.
  out->reserve((total + 1) * kSectorSize);
  const auto append = [out](const uint8_t* bytes, uint64_t size) {
    if (size) out->insert(out->end(), bytes, bytes + size);
  };
  // Zeros up to the next multiple of `unit` bytes counted from `from`.
  const auto padTo = [out](size_t from, uint64_t unit) {
    const uint64_t used = (out->size() - from) % unit;
    if (used) out->resize(out->size() + (unit - used), 0);
  };
  // A region of `sectors` sectors filled with `fill`, returned for its entries.
  const auto region = [out](uint64_t sectors, uint8_t fill) {
    const size_t at = out->size();
    out->resize(at + sectors * kSectorSize, fill);
    return out->data() + at;
  };
  for (size_t i = 1; i < count; ++i)
    if (!entries[i].IsStorage && entries[i].Size >= kMiniStreamCutoff) dir[i].Start += bigStart;

  // The header and its DIFAT.
  uint8_t* h = region(1, 0);
  std::memcpy(h, kSignature, 8);
  PutLE16(h + kHdrMinorVersion, 0x003E);
  PutLE16(h + kHdrMajorVersion, 3);
  PutLE16(h + kHdrByteOrder, 0xFFFE);
  PutLE16(h + kHdrSectorShift, 9);
  PutLE16(h + kHdrMiniSectorShift, 6);
  PutLE32(h + kHdrFatSectors, static_cast<uint32_t>(fatSectors));
  PutLE32(h + kHdrDirStart, dirStart);
  PutLE32(h + kHdrMiniCutoff, kMiniStreamCutoff);
  PutLE32(h + kHdrMiniFatStart, miniFatSectors ? miniFatStart : kEndOfChain);
  PutLE32(h + kHdrMiniFatSectors, static_cast<uint32_t>(miniFatSectors));
  PutLE32(h + kHdrDifatStart, difatSectors ? difatStart : kEndOfChain);
  PutLE32(h + kHdrDifatSectors, static_cast<uint32_t>(difatSectors));
  for (int i = 0; i < kHeaderDifatCount; ++i)
    PutLE32(h + kHdrDifat + 4 * i, static_cast<uint64_t>(i) < fatSectors ? static_cast<uint32_t>(i) : kFreeSect);

  // The allocation table, one run of sectors from sector 0.
  uint8_t* fat = region(fatSectors, 0xFF);
  for (uint64_t s = 0; s < fatSectors; ++s) PutLE32(fat + 4 * s, kFatSect);
  for (uint64_t s = 0; s < difatSectors; ++s) PutLE32(fat + 4 * (difatStart + s), kDifSect);
  Chain(fat, miniFatStart, miniFatSectors);
  Chain(fat, dirStart, dirSectors);
  Chain(fat, miniStreamStart, miniStreamSectors);
  for (size_t i = 1; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (!e.IsStorage && e.Size >= kMiniStreamCutoff) Chain(fat, dir[i].Start, Ceil(e.Size, kSectorSize));
  }

  // The DIFAT sectors.
  for (uint64_t d = 0; d < difatSectors; ++d) {
    uint8_t* p = region(1, 0);
    for (uint32_t i = 0; i < kPerDifat; ++i) {
      const uint64_t listed = kHeaderDifatCount + d * kPerDifat + i;
      PutLE32(p + 4 * i, listed < fatSectors ? static_cast<uint32_t>(listed) : kFreeSect);
    }
    PutLE32(p + 4 * kPerDifat, d + 1 < difatSectors ? static_cast<uint32_t>(difatStart + d + 1) : kEndOfChain);
  }

  // Sectors made in a local buffer and appended, each byte written once.
  alignas(16) uint8_t sector[kSectorSize];

  // The mini table: the small streams' mini sectors follow one another in
  // entry order, so their chains are written in turn.
  size_t used = 0;  // entries in `sector`
  for (size_t i = 1; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (e.IsStorage || e.Size == 0 || e.Size >= kMiniStreamCutoff) continue;
    const uint64_t n = Ceil(e.Size, kMiniSectorSize);
    for (uint64_t k = 0; k < n; ++k) {
      PutLE32(sector + 4 * used, k + 1 < n ? static_cast<uint32_t>(dir[i].Start + k + 1) : kEndOfChain);
      if (++used == kPerSector) {
        append(sector, kSectorSize);
        used = 0;
      }
    }
  }
  if (used) {
    std::memset(sector + 4 * used, 0xFF, kSectorSize - 4 * used);
    append(sector, kSectorSize);
  }

  // The directory; unused entries at its end link nowhere. Each sector is
  // made in a local buffer and appended: zero-filling megabytes of entries
  // first and then writing them went over them twice.
  constexpr size_t kEntriesPerSector = kSectorSize / kDirEntrySize;
  for (size_t i = 0; i < dirSectors * kEntriesPerSector; ++i) {
    uint8_t* p = sector + (i % kEntriesPerSector) * kDirEntrySize;
    ZeroEntry(p);
    if (i >= count) {
      std::memset(p + kDeLeft, 0xFF, 12);
    } else {
      WriteDirEntry(p, i, entries[i], dir[i], miniSectors, miniStreamStart);
    }
    if (i % kEntriesPerSector == kEntriesPerSector - 1) append(sector, kSectorSize);
  }

  // The mini stream: the small streams in entry order, each from a mini sector of its own.
  const size_t miniBegin = out->size();
  for (size_t i = 1; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (e.IsStorage || e.Size == 0 || e.Size >= kMiniStreamCutoff) continue;
    append(e.Data, e.Size);
    padTo(miniBegin, kMiniSectorSize);
  }
  padTo(miniBegin, kSectorSize);

  // The large streams in entry order, each from a sector of its own.
  for (size_t i = 1; i < count; ++i) {
    const TCfbWriteEntry& e = entries[i];
    if (e.IsStorage || e.Size < kMiniStreamCutoff) continue;
    append(e.Data, e.Size);
    padTo(0, kSectorSize);
  }
  if (out->size() != (total + 1) * kSectorSize) {
    out->clear();
    return E_FAIL;  // the layout above and the bytes written disagree: never expected
  }
  return S_OK;
}
