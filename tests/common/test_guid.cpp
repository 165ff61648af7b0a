#include <gtest/gtest.h>

#include "uComBase.h"
#include "uCompoundStreamIntf.h"

TEST(Guid, ParseAndFormatRoundTrip) {
  GUID g{};
  ASSERT_TRUE(ParseGuid("{43755B40-FC2E-11D9-9E0F-B89292F6ED11}", &g));
  EXPECT_EQ(g, IID_ICompoundStream);
  EXPECT_EQ(FormatGuid(g), "{43755B40-FC2E-11D9-9E0F-B89292F6ED11}");
  ASSERT_TRUE(ParseGuid("853567e2-e45d-4b54-998e-8d22df5a482e", &g));
  EXPECT_EQ(g, IID_ICompoundStream2);
  // Memory layout: first field little-endian, last eight bytes in order.
  const auto* bytes = reinterpret_cast<const uint8_t*>(&IID_ICompoundStream);
  EXPECT_EQ(bytes[0], 0x40);
  EXPECT_EQ(bytes[3], 0x43);
  EXPECT_EQ(bytes[4], 0x2E);
  EXPECT_EQ(bytes[8], 0x9E);
  EXPECT_EQ(bytes[15], 0x11);
}

TEST(Guid, MalformedTextIsRefused) {
  GUID g = IID_IStream;
  EXPECT_FALSE(ParseGuid("", &g));
  EXPECT_FALSE(ParseGuid("{43755B40-FC2E-11D9-9E0F-B89292F6ED1}", &g));
  EXPECT_FALSE(ParseGuid("{43755B40-FC2E-11D9-9E0F-B89292F6ED1G}", &g));
  EXPECT_FALSE(ParseGuid("{43755B40FC2E-11D9-9E0F-B89292F6ED11-}", &g));
  EXPECT_EQ(g, IID_IStream);  // untouched on failure
}
