// The rectangle record of the library's drawing exports, for the library
// itself and programs that do not include the program's drawing context
// (which defines the same record with helpers of its own; never include both).
#pragma once

#include <cstdint>

struct TRect {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};
static_assert(sizeof(TRect) == 16);
