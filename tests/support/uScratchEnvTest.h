// A test fixture with a scratch folder of its own: settings on Kerno.ini in
// it and a scripted user installed for each test, the program folder when the
// fixture asks for one, and properties dialogs registered for the test's
// length. Fixtures derive from it and add their kinds and extras in their own
// SetUp (after this one's) and TearDown (before this one's).
// Header only, over kernocore.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "uPropertiesDialogs.h"
#include "uScriptedUi.h"
#include "uSettings.h"

class TScratchEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    if (!FProgramDir.isEmpty()) SetProgramDir(FProgramDir);
    FSettings = std::make_unique<TSettings>(FDir.filePath(QStringLiteral("Kerno.ini")));
    SetSettings(FSettings.get());
    SetUiServices(&FUi);
  }
  void TearDown() override {
    for (const QString& name : FDialogs) RegisterPropertiesDialog(name, {});
    SetUiServices(nullptr);
    SetSettings(nullptr);
    if (!FProgramDir.isEmpty()) SetProgramDir(QString());
  }

  // The program folder for each test (set before the settings, cleared after
  // them); call from the derived fixture's constructor. Unset by default.
  void UseProgramDir(const QString& dir) { FProgramDir = dir; }
  void UseScratchAsProgramDir() { UseProgramDir(FDir.path()); }

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
  // Dialog names registered for the test, removed again in TearDown.
  QStringList FDialogs;

 private:
  QString FProgramDir;
};
