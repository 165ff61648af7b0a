// Lays out a whole Compound File (version 3, 512-byte sectors) in one buffer.
//
// Streams below 4096 bytes go to the mini stream, the others to regular
// sectors; each storage's children form a balanced red-black tree in the
// format's name order; the allocation table gets DIFAT sectors once it needs
// more than the header's 109 sectors. Times and class ids are left zero.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "uComBase.h"

struct TCfbWriteEntry {
  std::u16string_view Name;  // ignored for the root
  bool IsStorage = false;
  const uint8_t* Data = nullptr;  // a stream's bytes
  uint64_t Size = 0;
  // A storage's children are the entries [FirstChild, FirstChild + ChildCount).
  int FirstChild = 0;
  int ChildCount = 0;
};

// `entries[0]` is the root storage; every other entry is the child of exactly
// one storage, and siblings' names differ without regard to case.
// STG_E_WRITEFAULT when the content cannot fit the format's limits.
HRESULT WriteCompoundFile(const std::vector<TCfbWriteEntry>& entries, std::vector<uint8_t>* out);
