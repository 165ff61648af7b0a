// The automatic layout of a description column: texts bound to depth
// intervals are given at least the height they need (one line of their font)
// without overlapping their neighbours. Blocks that need more room than their
// interval are centred on it and push their neighbours apart.
#pragma once

#include <cstdint>
#include <vector>

struct TDistributeEntry {
  double Top = 0;     // page mm
  double Bottom = 0;  // page mm
  double Need = 0;    // height the entry needs, mm
  double Length() const { return Bottom - Top; }
  double Middle() const { return Top + Length() / 2; }
};

class TDistributeAlg {
 public:
  // Heights closer than this count as equal: a block pushed to exactly its
  // need must not look a hair too short and be pushed again.
  static constexpr double kEpsilon = 1e-9;
  // The gap kept on each side of a centred block.
  static constexpr double kMargin = 0.1;

  std::vector<TDistributeEntry> Entries;
  double MinTop = 0;
  double MaxBottom = 0;

  // Lays the entries out in place (they must be in order of their tops).
  // False, with the entries in an unspecified state, when there is nothing to
  // lay out (at most one entry) or the work ran past its bound; the caller
  // keeps its own positions then. The work is bounded by the number of
  // entries: every push moves along a chain of neighbours without recursion.
  bool Distribute();
  // True when the last Distribute stopped because its repetitions or its push
  // budget ran out (the layout error), not because there was nothing to do.
  bool Failed() const { return FFailed; }

  // Entries that stand outside MinTop..MaxBottom or overlap their
  // predecessor after a layout: the texts that did not fit.
  std::vector<int> Misfits() const;

 private:
  // Cursor: the entry the cluster search continues from.
  int FCursor = 0;
  bool FFailed = false;
  int64_t FBudget = 0;

  bool FindCluster(int* first, int* last) const;
  bool PushUp(int i, double y);
  bool PushDown(int i, double y);
  bool Clamp();
};
