// The sign library's header alone gives its callers every result code its
// exports document.
#include <gtest/gtest.h>

#include "strat.h"

TEST(StratHeaders, CompileAloneWithTheCodesTheExportsReport) {
  EXPECT_EQ(STG_E_WRITEFAULT, static_cast<HRESULT>(0x8003001D));
  EXPECT_EQ(E_UNEXPECTED, static_cast<HRESULT>(0x8000FFFF));
  EXPECT_EQ(E_INVALIDARG, static_cast<HRESULT>(0x80070057));
}
