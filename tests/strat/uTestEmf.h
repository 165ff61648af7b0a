// Hand-written enhanced metafiles for the tests: a header record, an optional
// rectangle covering the whole frame, and the end record. 100 device units per
// millimetre, so the frame and the picture's own coordinates agree.
#pragma once

#include <cstdint>
#include <vector>

namespace teststrat {

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// widthMM, heightMM: the frame in whole hundredths of a millimetre.
inline std::vector<uint8_t> MakeEmf(int32_t width001mm, int32_t height001mm, bool withRectangle = true) {
  constexpr uint32_t kHeaderSize = 88;
  constexpr uint32_t kRectangleSize = 24;
  constexpr uint32_t kEofSize = 20;
  const uint32_t records = withRectangle ? 3 : 2;
  const uint32_t total = kHeaderSize + (withRectangle ? kRectangleSize : 0) + kEofSize;
  const uint32_t right = static_cast<uint32_t>(width001mm), bottom = static_cast<uint32_t>(height001mm);
  std::vector<uint8_t> out;
  Put32(out, 1);                                                     // EMR_HEADER
  Put32(out, kHeaderSize);                                           // record size
  for (uint32_t v : {0u, 0u, right - 1, bottom - 1}) Put32(out, v);  // rclBounds, device units (inclusive)
  for (uint32_t v : {0u, 0u, right, bottom}) Put32(out, v);          // rclFrame, 0.01 mm
  Put32(out, 0x464D4520);                                            // " EMF"
  Put32(out, 0x00010000);                                            // version
  Put32(out, total);                                                 // nBytes
  Put32(out, records);                                               // nRecords
  Put32(out, 1);                                                     // nHandles (16-bit) + reserved (16-bit)
  Put32(out, 0);                                                     // nDescription
  Put32(out, 0);                                                     // offDescription
  Put32(out, 0);                                                     // nPalEntries
  Put32(out, 100000);                                                // szlDevice: 100 units per mm over 1000 mm
  Put32(out, 100000);
  Put32(out, 1000);  // szlMillimeters
  Put32(out, 1000);
  if (withRectangle) {
    Put32(out, 43);  // EMR_RECTANGLE
    Put32(out, kRectangleSize);
    for (uint32_t v : {0u, 0u, right, bottom}) Put32(out, v);
  }
  Put32(out, 14);  // EMR_EOF
  Put32(out, kEofSize);
  Put32(out, 0);
  Put32(out, 16);
  Put32(out, kEofSize);
  return out;
}

// The rectangle picture with a raster operation before its rectangle: it inverts what lies
// beneath, which no image drawn on its own ground can stand for.
inline std::vector<uint8_t> MakeInvertingEmf() {
  std::vector<uint8_t> bytes = MakeEmf(400, 300);
  std::vector<uint8_t> rop;
  Put32(rop, 20);  // EMR_SETROP2
  Put32(rop, 12);
  Put32(rop, 6);  // R2_NOT
  bytes.insert(bytes.begin() + 88, rop.begin(), rop.end());
  const uint32_t total = static_cast<uint32_t>(bytes.size()), records = 4;
  for (int i = 0; i < 4; ++i) {
    bytes[48 + i] = static_cast<uint8_t>(total >> (8 * i));
    bytes[52 + i] = static_cast<uint8_t>(records >> (8 * i));
  }
  return bytes;
}

}  // namespace teststrat
