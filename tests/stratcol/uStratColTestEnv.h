// Test environment of the lithology column: program folder, settings and a
// scripted user on a temporary folder; a deep parent owning the depth mapping
// as a body does (1:200, 5 mm per metre); the shipped sign database.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "uPrintStratCol.h"
#include "uScriptedUi.h"
#include "uSettings.h"
#include "uStratColEntry.h"

class TStratColTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    SetProgramDir(FDir.path());
    FSettings = std::make_unique<TSettings>(FDir.filePath("Kerno.ini"));
    SetSettings(FSettings.get());
    SetUiServices(&FUi);
    RegisterStratColKinds();
  }
  void TearDown() override {
    SetUiServices(nullptr);
    SetSettings(nullptr);
    SetProgramDir(QString());
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }
  static QString DefaultLsd() { return QStringLiteral(KERNO_SOURCE_DIR "/resources/lsd/default.lsd"); }

  QTemporaryDir FDir;
  std::unique_ptr<TSettings> FSettings;
  TScriptedUi FUi;
};

// The body: owns the depth mapping and holds columns.
class TTestBody : public TPrintDeepObject {
 public:
  explicit TTestBody(uint16_t scale = 200) : FScale(scale) {}
  uint16_t GetVertScale() const override { return FScale; }
  void SetVertScale(uint16_t value) override {
    const uint16_t old = std::exchange(FScale, value);
    for (int i = 0; i < Count(); ++i)
      if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->ScaleChanged(old, value);
  }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindStratCol}); }
  // A column at x 10..40 from page y 0 to 100 (depth 0 to 20 m).
  TPrintStratCol* AddColumn() {
    auto made = std::make_unique<TPrintStratCol>();
    TPrintStratCol* c = made.get();
    AddChild(std::move(made));
    c->SetBoundsRect({10, 0, 40, 100});
    return c;
  }

 private:
  uint16_t FScale;
};
