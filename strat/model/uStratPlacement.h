// One placement item: how a sign's picture is repeated in blocks inside a
// rectangle. Fields copy whole items across the library boundary, so the
// record keeps one fixed little-endian layout of 304 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "uShortString.h"

struct TStratPlacement {
  double OffsetX;  // mm from the left edge of the target rectangle to the first block
  double OffsetY;  // mm from the top edge
  double SpaceX;   // mm between neighbouring blocks
  double SpaceY;
  int32_t CountX;  // block columns
  int32_t CountY;  // block rows
  TShortString SignName;
  int32_t Flags;  // bit 0: blocks cover the rectangle and the caller clips them
  uint8_t Reserved[4];
};

static_assert(sizeof(TStratPlacement) == 304);
static_assert(offsetof(TStratPlacement, OffsetX) == 0);
static_assert(offsetof(TStratPlacement, OffsetY) == 8);
static_assert(offsetof(TStratPlacement, SpaceX) == 16);
static_assert(offsetof(TStratPlacement, SpaceY) == 24);
static_assert(offsetof(TStratPlacement, CountX) == 32);
static_assert(offsetof(TStratPlacement, CountY) == 36);
static_assert(offsetof(TStratPlacement, SignName) == 40);
static_assert(offsetof(TStratPlacement, Flags) == 296);
static_assert(offsetof(TStratPlacement, Reserved) == 300);

// Bit 0 of Flags: "Cut outside borders".
constexpr int32_t kStratCutOutside = 1;

// A new item as Add makes it: offsets 1 mm, gaps 5 mm, one block, cut outside borders.
inline TStratPlacement DefaultPlacement(std::string_view name = {}) {
  TStratPlacement item{};
  item.OffsetX = 1.0;
  item.OffsetY = 1.0;
  item.SpaceX = 5.0;
  item.SpaceY = 5.0;
  item.CountX = 1;
  item.CountY = 1;
  SetShortString(&item.SignName, name);
  item.Flags = kStratCutOutside;
  return item;
}
