// Test environment of the table objects: settings, program folder and a
// scripted user on a temporary folder; the text and table kinds; a body that
// owns the depth mapping (1:1000 from depth 0 by default, so one metre is
// one page millimetre) and holds tables and description columns.
#pragma once

#include <gtest/gtest.h>

#include "uPrintText.h"
#include "uScratchEnvTest.h"
#include "uTableKinds.h"
#include "uTestDeepBody.h"

class TTableBody : public TTestDeepBody {
 public:
  explicit TTableBody(uint16_t scale = 1000) : TTestDeepBody({kindTable, kindDeepTable, kindTextDesc}, scale) {}
};

class TTablesTest : public TScratchEnvTest {
 protected:
  TTablesTest() { UseScratchAsProgramDir(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterTextKinds();
    RegisterTableKinds();
  }
};
