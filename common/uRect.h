// A rectangle of device pixels; Right and Bottom are exclusive, as in GDI.
// Its layout (four int32 in this order) is part of the lithology library's
// drawing exports, shared by the program and the library.
#pragma once

#include <cstdint>

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Intersects(const TRect& r) const { return Left < r.Right && r.Left < Right && Top < r.Bottom && r.Top < Bottom; }
  bool operator==(const TRect&) const = default;
};
static_assert(sizeof(TRect) == 16);
