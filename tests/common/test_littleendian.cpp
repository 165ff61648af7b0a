#include <gtest/gtest.h>

#include "uLittleEndian.h"

// Fields lie at any address and their top bits must come back unsigned,
// whatever the machine's own byte order.
TEST(LittleEndian, FieldsReadAndWriteAtAnyAddressWithoutSignExtension) {
  uint8_t bytes[7] = {0xAA, 0x78, 0x56, 0x34, 0x12, 0xFF, 0x80};
  EXPECT_EQ(GetLE32(bytes + 1), 0x12345678u);
  EXPECT_EQ(GetLE16(bytes + 1), 0x5678u);
  EXPECT_EQ(GetLE16(bytes + 5), 0x80FFu);
  const uint8_t high[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(GetLE32(high), 0xFFFFFFFFu);

  PutLE32(bytes + 1, 0xCAFEF00Du);
  PutLE16(bytes + 5, 0xBEEF);
  const uint8_t expect[7] = {0xAA, 0x0D, 0xF0, 0xFE, 0xCA, 0xEF, 0xBE};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(bytes[i], expect[i]) << "byte " << i;
}
