// Test environment of the table objects: settings, program folder and a
// scripted user on a temporary folder; the text and table kinds; a body that
// owns the depth mapping (1:1000 from depth 0 by default, so one metre is
// one page millimetre) and holds tables and description columns.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "uPrintDeepObject.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"
#include "uScriptedUi.h"
#include "uSettings.h"
#include "uTableKinds.h"

class TTableBody : public TPrintDeepObject {
 public:
  explicit TTableBody(uint16_t scale = 1000) : FScale(scale) {}
  uint16_t GetVertScale() const override { return FScale; }
  double GetStartDepth() const override { return 0; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override {
    return CreateKindObject(kind, {kindTable, kindDeepTable, kindTextDesc});
  }
  template <class T>
  T* Add(double left, double top, double width, double height) {
    auto made = std::make_unique<T>();
    T* t = made.get();
    AddChild(std::move(made));
    t->SetBoundsRect({left, top, left + width, top + height});
    return t;
  }

 private:
  uint16_t FScale;
};

class TTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    SetProgramDir(FDir.path());
    FSettings = std::make_unique<TSettings>(FDir.filePath("Kerno.ini"));
    SetSettings(FSettings.get());
    SetUiServices(&FUi);
    RegisterTextKinds();
    RegisterTableKinds();
  }
  void TearDown() override {
    for (const QString& name : FDialogs) RegisterPropertiesDialog(name, {});
    SetUiServices(nullptr);
    SetSettings(nullptr);
    SetProgramDir(QString());
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }
  void WriteText(const QString& name, const QByteArray& text) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  // A dialog stand-in for the test's length.
  void Dialog(const QString& name, TPropertiesDialog dialog) {
    RegisterPropertiesDialog(name, std::move(dialog));
    FDialogs << name;
  }

  QTemporaryDir FDir;
  std::unique_ptr<TSettings> FSettings;
  TScriptedUi FUi;
  QStringList FDialogs;
};
