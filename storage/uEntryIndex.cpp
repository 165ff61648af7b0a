#include "uEntryIndex.h"

#include <algorithm>
#include <new>

namespace {
uint32_t HashOf(int32_t id, uint32_t shift) { return (static_cast<uint32_t>(id) * 0x9E3779B1u) >> shift; }
}  // namespace

void TEntryIndex::Clear() {
  std::fill(std::begin(FSmall), std::end(FSmall), kSmallAbsent);
  std::fill(std::begin(FFilter), std::end(FFilter), 0);
  FFiltered = true;
  // The runs wait for the first look-up the small table and the filter
  // cannot answer: an object's save never asks one, and its appends then
  // cost no run upkeep.
  FBuilt = false;
  FRunCount = 0;
  FHashed = false;
  FHashDuplicates = false;
  FHash.reset();
  FHashSize = 0;
  FHighest = INT32_MIN;
  FNext = 0;
  TrustNext();
}

void TEntryIndex::TrustNext() {
  if (!FBuilt)
    FNextTrustedBelow = 0;
  else if (FHashed)
    FNextTrustedBelow = FHashDuplicates ? 0 : SIZE_MAX;
  else
    FNextTrustedBelow = FRunCount > 1 ? FRuns[1].Start : SIZE_MAX;
}

int64_t TEntryIndex::SearchRun(const TStoredEntries& entries, int r, int32_t id) const {
  const TRun& run = FRuns[r];
  if (id < run.First || id > run.Last) return -1;
  const size_t begin = run.Start;
  const size_t end = r + 1 < FRunCount ? FRuns[r + 1].Start : entries.size();
  if (FNext >= begin && FNext < end && entries[FNext].ID == id) return static_cast<int64_t>(FNext);
  // Dense IDs sit at their distance from the first one.
  const size_t guess = begin + static_cast<size_t>(static_cast<int64_t>(id) - run.First);
  if (guess < end && entries[guess].ID == id) return static_cast<int64_t>(guess);
  const auto first = entries.begin() + static_cast<ptrdiff_t>(begin);
  const auto last = entries.begin() + static_cast<ptrdiff_t>(end);
  const auto it = std::lower_bound(first, last, id, [](const TStoredEntry& e, int32_t key) { return e.ID < key; });
  if (it == last || it->ID != id) return -1;
  return it - entries.begin();
}

int64_t TEntryIndex::FindBeyondSmall(const TStoredEntries& entries, int32_t id) {
  if (!FBuilt && !Build(entries)) {
    // No memory for the hash table: slow, but still the first entry.
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].ID == id) return static_cast<int64_t>(i);
    return -1;
  }
  if (FHashed) {
    const size_t mask = FHashSize - 1;
    for (size_t h = HashOf(id, FHashShift);; h = (h + 1) & mask) {
      const TSlot& slot = FHash[h];
      if (slot.Pos == kNoSlot) return -1;
      if (slot.ID == id) return Found(entries, slot.Pos);
    }
  }
  for (int r = 0; r < FRunCount; ++r) {
    const int64_t pos = SearchRun(entries, r, id);
    if (pos >= 0) return Found(entries, static_cast<size_t>(pos));
  }
  return -1;
}

bool TEntryIndex::Build(const TStoredEntries& entries) {
  // The runs are built in locals, which the compiler keeps in registers.
  FNext = 0;
  TRun runs[kMaxRuns];
  int runCount = 0;
  int32_t last = 0;  // the last ID of the last run
  for (size_t i = 0; i < entries.size(); ++i) {
    const int32_t id = entries[i].ID;
    if (runCount && id > last) {
      last = id;
      continue;
    }
    if (runCount == kMaxRuns) return BuildHash(entries);
    if (runCount) runs[runCount - 1].Last = last;
    runs[runCount++] = TRun{static_cast<uint32_t>(i), id, id};
    last = id;
  }
  if (runCount) runs[runCount - 1].Last = last;
  std::copy(runs, runs + runCount, FRuns);
  FRunCount = runCount;
  FHighest = INT32_MIN;
  for (int r = 0; r < runCount; ++r) FHighest = std::max(FHighest, runs[r].Last);
  FHashed = false;
  FBuilt = true;
  TrustNext();
  return true;
}

void TEntryIndex::AppendedElsewhere(const TStoredEntries& entries) {
  const size_t pos = entries.size() - 1;
  const int32_t id = entries[pos].ID;
  FHighest = std::max(FHighest, id);
  if (FHashed) {
    if (entries.size() * 2 > FHashSize)
      BuildHash(entries);
    else
      HashInsert(id, static_cast<uint32_t>(pos));
  } else if (FRunCount < kMaxRuns) {
    FRuns[FRunCount++] = TRun{static_cast<uint32_t>(pos), id, id};
    TrustNext();
  } else {
    BuildHash(entries);
  }
}

bool TEntryIndex::HashInsert(int32_t id, uint32_t pos) {
  const size_t mask = FHashSize - 1;
  for (size_t h = HashOf(id, FHashShift);; h = (h + 1) & mask) {
    TSlot& slot = FHash[h];
    if (slot.Pos == kNoSlot) {
      slot = TSlot{id, pos};
      return true;
    }
    if (slot.ID == id) return false;  // the first entry of a duplicated ID wins
  }
}

bool TEntryIndex::BuildHash(const TStoredEntries& entries) {
  FRunCount = 0;
  FHashed = false;
  FBuilt = false;
  FHash.reset();
  FHashSize = 0;
  // At most a quarter full after a build, half full before the next.
  size_t capacity = 16;
  uint32_t bits = 4;
  while (capacity < 4 * entries.size()) {
    capacity *= 2;
    ++bits;
  }
  // Without the memory the index stays unbuilt and lookups scan.
  FHash.reset(new (std::nothrow) TSlot[capacity]);
  if (!FHash) {
    TrustNext();
    return false;
  }
  std::fill(FHash.get(), FHash.get() + capacity, TSlot{0, kNoSlot});
  FHashSize = capacity;
  FHashShift = 32 - bits;
  FHashDuplicates = false;
  FHighest = INT32_MIN;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!HashInsert(entries[i].ID, static_cast<uint32_t>(i))) FHashDuplicates = true;
    FHighest = std::max(FHighest, entries[i].ID);
  }
  FHashed = true;
  FBuilt = true;
  TrustNext();
  return true;
}
