// Test environment of the depth scale: settings, program folder and a
// scripted user on a temporary folder, and a small deep parent that owns the
// depth mapping the way a body does.
#pragma once

#include <gtest/gtest.h>

#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "uPrintDeepObject.h"
#include "uPrintDeepScale.h"
#include "uRecordingDevice.h"
#include "uScriptedUi.h"
#include "uSettings.h"
#include "uStorage.h"

class TCurvesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    SetProgramDir(FDir.path());
    FSettings = std::make_unique<TSettings>(FDir.filePath("Kerno.ini"));
    SetSettings(FSettings.get());
    SetUiServices(&FUi);
  }
  void TearDown() override {
    SetUiServices(nullptr);
    SetSettings(nullptr);
    SetProgramDir(QString());
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }

  QTemporaryDir FDir;
  std::unique_ptr<TSettings> FSettings;
  TScriptedUi FUi;
};

// The mapping root of the tests: vertical scale and start depth of its own,
// and a scale change passed to its deep children as a body passes it.
class TTestBody : public TPrintDeepObject {
 public:
  explicit TTestBody(uint16_t scale = 200, double startDepth = 0) : FScale(scale), FStart(startDepth) {}
  uint16_t GetVertScale() const override { return FScale; }
  double GetStartDepth() const override { return FStart; }
  void SetVertScale(uint16_t value) override {
    const uint16_t old = FScale;
    if (value == old) return;
    FScale = value;
    for (int i = 0; i < Count(); ++i)
      if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->ScaleChanged(old, value);
  }
  // A scale as a column of the body: `top`..`bottom` page mm, `left`..`right`.
  TPrintDeepScale* AddScale(double left, double top, double right, double bottom) {
    auto scale = std::make_unique<TPrintDeepScale>();
    TPrintDeepScale* s = scale.get();
    AddChild(std::move(scale));
    s->SetBoundsRect({left, top, right, bottom});
    return s;
  }

 private:
  uint16_t FScale;
  double FStart;
};

// A painter on a recording device of 254 dpi: exactly 10 pixels per mm.
struct TRecordingPage {
  TRecordingDevice Device{QSize(3000, 3000), 254};
  QPainter Painter{&Device};
  TDrawContext Context(uint32_t options = doBorders) {
    TDrawContext c;
    c.DC = &Painter;
    c.Options = options;
    c.ClipRect = {0, 0, 3000, 3000};
    return c;
  }
  // The horizontal lines drawn, as (y, x1, x2) with x1 <= x2.
  std::vector<std::array<int, 3>> HorizontalLines() const {
    std::vector<std::array<int, 3>> out;
    for (const TRecordedItem* l : Device.Lines())
      if (l->Line.y1() == l->Line.y2())
        out.push_back(
            {int(l->Line.y1()), int(std::min(l->Line.x1(), l->Line.x2())), int(std::max(l->Line.x1(), l->Line.x2()))});
    return out;
  }
  QStringList Texts() const {
    QStringList out;
    for (const TRecordedItem* t : Device.Texts()) out << t->Text;
    return out;
  }
};

// The whole storage tree of a list as Compound File bytes.
template <class TList>
std::vector<uint8_t> StorageBytes(TList* list) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (list->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}
