// Test environment of the lithology column: program folder, settings and a
// scripted user on a temporary folder; a deep parent owning the depth mapping
// as a body does (1:200, 5 mm per metre); the shipped sign database.
#pragma once

#include <gtest/gtest.h>

#include <QDir>

#include "uPrintStratCol.h"
#include "uScratchEnvTest.h"
#include "uStratColEntry.h"
#include "uTestDeepBody.h"

class TStratColTest : public TScratchEnvTest {
 protected:
  TStratColTest() { UseScratchAsProgramDir(); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterStratColKinds();
  }
  static QString DefaultLsd() { return QStringLiteral(KERNO_SOURCE_DIR "/resources/lsd/default.lsd"); }
};

// The body: owns the depth mapping and holds columns.
class TTestBody : public TTestDeepBody {
 public:
  explicit TTestBody(uint16_t scale = 200) : TTestDeepBody({kindStratCol}, scale) {}
  // A column at x 10..40 from page y 0 to 100 (depth 0 to 20 m).
  TPrintStratCol* AddColumn() { return Add<TPrintStratCol>(TBoundsRect{10, 0, 40, 100}); }
};
