// Test environment of the table objects: settings, program folder and a
// scripted user on a temporary folder; the text and table kinds; a body that
// owns the depth mapping (1:1000 from depth 0 by default, so one metre is
// one page millimetre) and holds tables and description columns; a table
// filled from rows of cells.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <vector>

#include "uPrintText.h"
#include "uScratchEnvTest.h"
#include "uStringTableEx.h"
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

// Replaces the cells of `t` with `rows`: as many columns as the longest row,
// shorter rows leaving their last cells empty; AutoColumns off, so the
// column count stays as set.
inline void Fill(TStringTableEx* t, const std::vector<QStringList>& rows) {
  t->AutoColumns = false;
  int cols = 0;
  for (const QStringList& r : rows) cols = std::max(cols, int(r.size()));
  t->SetColCount(cols);
  t->SetRowCount(int(rows.size()));
  for (int r = 0; r < int(rows.size()); ++r)
    for (int c = 0; c < rows[r].size(); ++c) t->SetCell(c, r, rows[r][c]);
}
