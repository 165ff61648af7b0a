// The lithology column includes the sign library's header beside the
// structured storage's: both must compile in one unit and agree on the
// result codes they share.
#include <gtest/gtest.h>

#include "strat.h"
#include "uStorage.h"

TEST(StratHeaders, CompileBesideTheStorageHeaderWithTheSharedCodes) {
  EXPECT_EQ(STG_E_WRITEFAULT, static_cast<HRESULT>(0x8003001D));
  EXPECT_EQ(STG_E_FILENOTFOUND, static_cast<HRESULT>(0x80030002));
  EXPECT_EQ(E_UNEXPECTED, static_cast<HRESULT>(0x8000FFFF));
}
