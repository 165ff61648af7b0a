// Test environment of the depth scale: program folder, settings and a
// scripted user on a temporary folder; a deep parent owning the depth mapping
// as a body does; a recording page of exactly 10 pixels per millimetre.
#pragma once

#include <gtest/gtest.h>

#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "uPrintDeepScale.h"
#include "uPrintDiagramm.h"
#include "uRecordingDevice.h"
#include "uScriptedUi.h"
#include "uSettings.h"

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

class TTestBody : public TPrintDeepObject {
 public:
  explicit TTestBody(uint16_t scale = 200, double startDepth = 0) : FScale(scale), FStart(startDepth) {}
  uint16_t GetVertScale() const override { return FScale; }
  double GetStartDepth() const override { return FStart; }
  void SetVertScale(uint16_t value) override {
    const uint16_t old = std::exchange(FScale, value);
    for (int i = 0; i < Count(); ++i)
      if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->ScaleChanged(old, value);
  }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override {
    return CreateKindObject(kind, {kindDeepScale, kindDiagramm, kindObjectRuller});
  }
  TPrintDeepScale* AddScale(double left, double top, double right, double bottom) {
    auto scale = std::make_unique<TPrintDeepScale>();
    TPrintDeepScale* s = scale.get();
    AddChild(std::move(scale));
    s->SetBoundsRect({left, top, right, bottom});
    return s;
  }
  // A curve at `left` with samples from `start` every `step` metres.
  TPrintDiagramm* AddCurve(double left, double start, double step, std::vector<double> values) {
    auto curve = std::make_unique<TPrintDiagramm>();
    TPrintDiagramm* c = curve.get();
    AddChild(std::move(curve));
    c->SetLeft(left);
    c->SetTop(DepthToPage(start));
    c->SetSamples(start, step, std::move(values));
    c->Changed();
    return c;
  }

 private:
  uint16_t FScale;
  double FStart;
};

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
  // Rows of the horizontal lines, in drawing order.
  std::vector<int> MarkRows() const {
    std::vector<int> rows;
    for (const TRecordedItem* l : Device.Lines())
      if (l->Line.y1() == l->Line.y2()) rows.push_back(int(l->Line.y1()));
    return rows;
  }
  QStringList Texts() const {
    QStringList out;
    for (const TRecordedItem* t : Device.Texts()) out << t->Text;
    return out;
  }
};

inline TRuller MakeRuller(double step, double modulus, double mark, bool right, bool font) {
  TRuller r;
  r.SetModulus(modulus);
  r.SetStep(step);
  r.SetMarkSize(mark);
  r.SetRight(right);
  if (!font) r.RemoveFont();
  return r;
}

inline QStringList TextForms(const TRullerList& rulers) {
  QStringList out;
  for (const TRuller& r : rulers) out << r.ToText();
  return out;
}
