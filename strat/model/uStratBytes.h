// Little-endian 32-bit fields of the old raw forms, read through a
// bounds-checked view so a length that points past the buffer fails cleanly.
#pragma once

#include <cstdint>
#include <cstring>

#include "uLittleEndian.h"

// A read-only byte range; Has() guards every access.
struct TByteView {
  const uint8_t* Data;
  uint64_t Size;

  bool Has(uint64_t offset, uint64_t count) const { return offset <= Size && count <= Size - offset; }
  // The field at `offset`, or 0 when it lies outside (callers check Has first where it matters).
  uint32_t LE32(uint64_t offset) const { return Has(offset, 4) ? GetLE32(Data + offset) : 0; }
};
