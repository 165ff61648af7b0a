// Record numbers, constants and a bounds-checked little-endian reader for EMF records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "uLittleEndian.h"

namespace emf {

// Record types (the subset the player and the recorder name).
enum : uint32_t {
  EMR_HEADER = 1,
  EMR_POLYBEZIER = 2,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_POLYBEZIERTO = 5,
  EMR_POLYLINETO = 6,
  EMR_POLYPOLYLINE = 7,
  EMR_POLYPOLYGON = 8,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_SETBRUSHORGEX = 13,
  EMR_EOF = 14,
  EMR_SETPIXELV = 15,
  EMR_SETMAPPERFLAGS = 16,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETROP2 = 20,
  EMR_SETSTRETCHBLTMODE = 21,
  EMR_SETTEXTALIGN = 22,
  EMR_SETCOLORADJUSTMENT = 23,
  EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25,
  EMR_OFFSETCLIPRGN = 26,
  EMR_MOVETOEX = 27,
  EMR_SETMETARGN = 28,
  EMR_EXCLUDECLIPRECT = 29,
  EMR_INTERSECTCLIPRECT = 30,
  EMR_SCALEVIEWPORTEXTEX = 31,
  EMR_SCALEWINDOWEXTEX = 32,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_SETWORLDTRANSFORM = 35,
  EMR_MODIFYWORLDTRANSFORM = 36,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ANGLEARC = 41,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_CHORD = 46,
  EMR_PIE = 47,
  EMR_SELECTPALETTE = 48,
  EMR_CREATEPALETTE = 49,
  EMR_LINETO = 54,
  EMR_ARCTO = 55,
  EMR_POLYDRAW = 56,
  EMR_SETARCDIRECTION = 57,
  EMR_SETMITERLIMIT = 58,
  EMR_BEGINPATH = 59,
  EMR_ENDPATH = 60,
  EMR_CLOSEFIGURE = 61,
  EMR_FILLPATH = 62,
  EMR_STROKEANDFILLPATH = 63,
  EMR_STROKEPATH = 64,
  EMR_FLATTENPATH = 65,
  EMR_WIDENPATH = 66,
  EMR_SELECTCLIPPATH = 67,
  EMR_ABORTPATH = 68,
  EMR_GDICOMMENT = 70,
  EMR_FILLRGN = 71,
  EMR_FRAMERGN = 72,
  EMR_INVERTRGN = 73,
  EMR_PAINTRGN = 74,
  EMR_EXTSELECTCLIPRGN = 75,
  EMR_BITBLT = 76,
  EMR_STRETCHBLT = 77,
  EMR_MASKBLT = 78,
  EMR_PLGBLT = 79,
  EMR_SETDIBITSTODEVICE = 80,
  EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTA = 83,
  EMR_EXTTEXTOUTW = 84,
  EMR_POLYBEZIER16 = 85,
  EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87,
  EMR_POLYBEZIERTO16 = 88,
  EMR_POLYLINETO16 = 89,
  EMR_POLYPOLYLINE16 = 90,
  EMR_POLYPOLYGON16 = 91,
  EMR_POLYDRAW16 = 92,
  EMR_CREATEMONOBRUSH = 93,
  EMR_CREATEDIBPATTERNBRUSHPT = 94,
  EMR_EXTCREATEPEN = 95,
  EMR_SETICMMODE = 98,
  EMR_ALPHABLEND = 114,
  EMR_SETLAYOUT = 115,
  EMR_TRANSPARENTBLT = 116,
  EMR_GRADIENTFILL = 118,
};

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kMinHeaderSize = 88;

// Map modes.
enum : uint32_t {
  MM_TEXT = 1,
  MM_LOMETRIC = 2,
  MM_HIMETRIC = 3,
  MM_LOENGLISH = 4,
  MM_HIENGLISH = 5,
  MM_TWIPS = 6,
  MM_ISOTROPIC = 7,
  MM_ANISOTROPIC = 8,
};

// Pen styles.
enum : uint32_t {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_INSIDEFRAME = 6,
  PS_USERSTYLE = 7,
  PS_ALTERNATE = 8,
  PS_STYLE_MASK = 0xF,
  PS_ENDCAP_ROUND = 0,
  PS_ENDCAP_SQUARE = 0x100,
  PS_ENDCAP_FLAT = 0x200,
  PS_ENDCAP_MASK = 0xF00,
  PS_JOIN_ROUND = 0,
  PS_JOIN_BEVEL = 0x1000,
  PS_JOIN_MITER = 0x2000,
  PS_JOIN_MASK = 0xF000,
  PS_COSMETIC = 0,
  PS_GEOMETRIC = 0x10000,
  PS_TYPE_MASK = 0xF0000,
};

// Brush styles and hatches.
enum : uint32_t {
  BS_SOLID = 0,
  BS_NULL = 1,
  BS_HATCHED = 2,
  BS_PATTERN = 3,
  BS_DIBPATTERN = 5,
  BS_DIBPATTERNPT = 6,
};
enum : uint32_t {
  HS_HORIZONTAL = 0,
  HS_VERTICAL = 1,
  HS_FDIAGONAL = 2,
  HS_BDIAGONAL = 3,
  HS_CROSS = 4,
  HS_DIAGCROSS = 5,
};

// Stock objects (index with the high bit set).
constexpr uint32_t kStockFlag = 0x80000000u;
enum : uint32_t {
  WHITE_BRUSH = 0,
  LTGRAY_BRUSH = 1,
  GRAY_BRUSH = 2,
  DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  OEM_FIXED_FONT = 10,
  ANSI_FIXED_FONT = 11,
  ANSI_VAR_FONT = 12,
  SYSTEM_FONT = 13,
  DEVICE_DEFAULT_FONT = 14,
  DEFAULT_PALETTE = 15,
  SYSTEM_FIXED_FONT = 16,
  DEFAULT_GUI_FONT = 17,
  DC_BRUSH = 18,
  DC_PEN = 19,
};

// Background modes, fill modes, text alignment.
enum : uint32_t { TRANSPARENT = 1, OPAQUE = 2 };
enum : uint32_t { ALTERNATE = 1, WINDING = 2 };
enum : uint32_t {
  TA_UPDATECP = 1,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_HORZ_MASK = 6,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
  TA_VERT_MASK = 24,
};
enum : uint32_t {
  ETO_OPAQUE = 0x2,
  ETO_CLIPPED = 0x4,
  ETO_GLYPH_INDEX = 0x10,
  ETO_NO_RECT = 0x100,
  ETO_PDY = 0x2000,
};

// Binary raster operations (SETROP2).
enum : uint32_t {
  R2_BLACK = 1,
  R2_NOTMERGEPEN = 2,
  R2_MASKNOTPEN = 3,
  R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTMASKPEN = 8,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_MERGENOTPEN = 12,
  R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14,
  R2_MERGEPEN = 15,
  R2_WHITE = 16,
};

// Ternary raster operations (blits).
enum : uint32_t {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328,
  NOTSRCCOPY = 0x00330008,
  NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
};

// Clip combination modes, world transform modes.
enum : uint32_t { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };

// Reads little-endian fields of one record. Reads outside the record set a failure flag that
// stays set and return zero, so a caller checks Ok() once after reading a group of fields.
class TEmfCursor {
 public:
  TEmfCursor(const uint8_t* data, size_t size) : Data_(data), Size_(size) {}

  bool Ok() const { return Ok_; }
  void Fail() { Ok_ = false; }
  size_t Size() const { return Size_; }
  const uint8_t* Data() const { return Data_; }

  // True when [offset, offset + count * unit) lies inside the record (no overflow).
  bool Has(size_t offset, size_t count, size_t unit = 1) const {
    if (offset > Size_) return false;
    if (unit != 0 && count > (Size_ - offset) / unit) return false;
    return true;
  }
  // As Has, and marks failure when the range does not fit.
  bool Need(size_t offset, size_t count, size_t unit = 1) {
    if (!Has(offset, count, unit)) Ok_ = false;
    return Ok_;
  }

  uint8_t U8(size_t off) {
    if (!Need(off, 1)) return 0;
    return Data_[off];
  }
  uint16_t U16(size_t off) {
    if (!Need(off, 2)) return 0;
    return GetLE16(Data_ + off);
  }
  int16_t I16(size_t off) { return int16_t(U16(off)); }
  uint32_t U32(size_t off) {
    if (!Need(off, 4)) return 0;
    return GetLE32(Data_ + off);
  }
  int32_t I32(size_t off) { return int32_t(U32(off)); }
  float F32(size_t off) {
    uint32_t bits = U32(off);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }

 private:
  const uint8_t* Data_;
  size_t Size_;
  bool Ok_ = true;
};

}  // namespace emf
