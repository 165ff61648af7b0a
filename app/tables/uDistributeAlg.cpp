#include "uDistributeAlg.h"

#include <algorithm>
#include <bit>

bool TDistributeAlg::FindCluster(int* first, int* last) const {
  const int n = static_cast<int>(Entries.size());
  int open = -1;
  for (int i = std::max(FCursor, 0); i < n; ++i) {
    const TDistributeEntry& e = Entries[static_cast<size_t>(i)];
    if (e.Need > e.Length() + kEpsilon) {
      open = i;
      break;
    }
  }
  if (open < 0) return false;
  const TDistributeEntry& opener = Entries[static_cast<size_t>(open)];
  const double reach = opener.Middle() + opener.Need / 2;
  int end = open;
  for (int j = open + 1; j < n; ++j) {
    const TDistributeEntry& e = Entries[static_cast<size_t>(j)];
    // An entry beyond the block's reach is not touched by it.
    if (e.Top > reach + kEpsilon) break;
    end = j;
    // An entry with room to spare takes up what the cluster pushes into it.
    if (e.Need < e.Length() - kEpsilon) break;
  }
  *first = open;
  *last = end;
  return true;
}

// Each push walks along its chain of neighbours in a loop: a column of many
// thousand texts would overflow the stack if each step were a call.
bool TDistributeAlg::PushUp(int i, double y) {
  for (;;) {
    if (--FBudget < 0) return false;
    TDistributeEntry& e = Entries[static_cast<size_t>(i)];
    if (e.Top < y) return true;
    e.Top = y;
    FCursor = i;
    if (i == 0) return true;
    TDistributeEntry& prev = Entries[static_cast<size_t>(i - 1)];
    if (y > prev.Bottom) return true;
    prev.Bottom = y;
    if (prev.Need <= prev.Length() + kEpsilon) return true;
    --i;
    y = prev.Bottom - prev.Need;
  }
}

bool TDistributeAlg::PushDown(int i, double y) {
  const int n = static_cast<int>(Entries.size());
  for (;;) {
    if (--FBudget < 0) return false;
    TDistributeEntry& e = Entries[static_cast<size_t>(i)];
    if (e.Bottom > y) return true;
    e.Bottom = y;
    FCursor = i;
    if (i == n - 1) return true;
    TDistributeEntry& next = Entries[static_cast<size_t>(i + 1)];
    if (y < next.Top) return true;
    next.Top = y;
    if (next.Need <= next.Length() + kEpsilon) return true;
    ++i;
    y = next.Top + next.Need;
  }
}

bool TDistributeAlg::Clamp() {
  const size_t n = Entries.size();
  TDistributeEntry& last = Entries[n - 1];
  if (last.Bottom > MaxBottom) {
    last.Bottom = MaxBottom;
    if (!PushUp(static_cast<int>(n - 1), MaxBottom - last.Need)) return false;
  }
  TDistributeEntry& first = Entries[0];
  if (first.Top < MinTop) {
    first.Top = MinTop;
    if (!PushDown(0, MinTop + first.Need)) return false;
  }
  return true;
}

bool TDistributeAlg::Distribute() {
  FFailed = false;
  FCursor = 0;
  const int n = static_cast<int>(Entries.size());
  if (n <= 1) return false;
  // Pushes along chains of neighbours: ordinary columns need a few passes over
  // their entries; the bound keeps a pathological one from running on.
  const int64_t logN = std::bit_width(static_cast<uint64_t>(n));
  FBudget = 64 * static_cast<int64_t>(n) * (logN + 1) + 4096;

  for (int i = 1; i < n; ++i) {
    TDistributeEntry& prev = Entries[static_cast<size_t>(i - 1)];
    TDistributeEntry& e = Entries[static_cast<size_t>(i)];
    if (e.Top < prev.Bottom) {
      const double middle = prev.Bottom + (e.Top - prev.Bottom) / 2;
      e.Top = middle;
      prev.Bottom = middle;
    }
  }

  for (int round = 0; round < n; ++round) {
    int first = 0;
    int last = 0;
    if (!FindCluster(&first, &last)) {
      if (Clamp()) return true;
      FFailed = true;
      return false;
    }
    const int m = first + (last - first) / 2;
    const TDistributeEntry& e = Entries[static_cast<size_t>(m)];
    const double middle = e.Middle();
    const double need = e.Need;
    if (!PushUp(m, middle - need / 2 - kMargin) || !PushDown(m, middle + need / 2 + kMargin)) {
      FFailed = true;
      return false;
    }
    FCursor = std::max(FCursor, m);
  }
  FFailed = true;
  return false;
}

std::vector<int> TDistributeAlg::Misfits() const {
  std::vector<int> out;
  for (size_t i = 0; i < Entries.size(); ++i) {
    const TDistributeEntry& e = Entries[i];
    const bool outside = e.Top < MinTop - kEpsilon || e.Bottom > MaxBottom + kEpsilon;
    const bool overlaps = i > 0 && e.Top < Entries[i - 1].Bottom - kEpsilon;
    const bool cramped = e.Length() < e.Need - kEpsilon;
    if (outside || overlaps || cramped) out.push_back(static_cast<int>(i));
  }
  return out;
}
