// Every benchmark program links this unit. It fixes glibc's heap thresholds
// before main: by default the allocator returns large freed blocks to the
// system and adjusts its thresholds as it goes, so whether an iteration pays
// page faults depends on what earlier iterations freed. Page faults cost
// about 11 us per 4 KiB page on the virtual machines these figures come from,
// enough to swamp the code under test on one side of a comparison and not
// the other. With fixed thresholds freed memory is reused by the next
// iteration, on both sides of every comparison alike.
#include <malloc.h>

namespace {

struct TFixedHeapThresholds {
  TFixedHeapThresholds() {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
};

const TFixedHeapThresholds kFixedHeapThresholds;

}  // namespace
