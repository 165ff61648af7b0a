#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "uIniFile.h"
#include "uLanguage.h"
#include "uSettings.h"

namespace {

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramDir(FDir.path()); }
  void TearDown() override {
    SetProgramDir(QString());
    SetSettings(nullptr);
    UnloadLanguage();
  }
  QString IniPath() const { return FDir.filePath("Kerno.ini"); }
  QTemporaryDir FDir;
};

}  // namespace

TEST_F(SettingsTest, MissingFileGivesEveryDefault) {
  const TSettings s(IniPath());
  EXPECT_EQ(s.Language(), "russian");
  EXPECT_TRUE(s.LdbIcon());
  EXPECT_EQ(s.LdbIconSize(), 25);
  EXPECT_TRUE(s.LdbSort());
  EXPECT_TRUE(s.LdbMsgError());
  EXPECT_TRUE(s.ShowOldVersionMessage());
  EXPECT_EQ(s.NewVersionInternal(), 0);
  EXPECT_EQ(s.NewVersion(), 0.0);
  EXPECT_EQ(s.NewVersionString(), "");
  EXPECT_EQ(s.NewVersionDate(), "Unknown date");
  EXPECT_FALSE(s.QuickMode());
  EXPECT_EQ(s.SnapText(), "0.5");
  EXPECT_EQ(s.Snap(), 0.5);
  EXPECT_FALSE(s.Grid());
  EXPECT_EQ(s.EmfScaleX(), 1.0);
  EXPECT_EQ(s.EmfScaleY(), 1.0);
  EXPECT_EQ(s.Tip(), 0);
  EXPECT_TRUE(s.TipStartUp());
  EXPECT_EQ(s.Wheel(), 5);
  EXPECT_EQ(s.WheelCtrl(), 3);
  EXPECT_EQ(s.WheelShift(), 1);
  EXPECT_TRUE(s.EmptyBlocks());
  EXPECT_FALSE(s.AutoSave());
  EXPECT_EQ(s.AutoSaveInterval(), 1);
  EXPECT_EQ(s.PageOverlay(), 0);
  EXPECT_EQ(s.PrintLineWidth(), 0.0);
  EXPECT_EQ(s.PrintShiftX(), 0);
  EXPECT_EQ(s.PrintShiftY(), 0);
  EXPECT_EQ(s.MaxSteps(), 5);
  EXPECT_EQ(s.OldVersionMessage(), "");
  EXPECT_FALSE(QFile::exists(IniPath()));  // reading defaults must not create the file
}

// Every setter must land under its own section and key: a typo would make the
// value vanish at the next start.
TEST_F(SettingsTest, SettersStoreUnderTheirKeys) {
  TSettings s(IniPath());
  s.SetLanguage("english");
  s.SetLdbIcon(false);
  s.SetLdbIconSize(32);
  s.SetLdbSort(false);
  s.SetLdbMsgError(false);
  s.SetShowOldVersionMessage(false);
  s.SetQuickMode(true);
  s.SetSnap(0.2);
  s.SetGrid(true);
  s.SetEmfScaleX(1.5);
  s.SetEmfScaleY(0.75);
  s.SetTip(7);
  s.SetTipStartUp(false);
  s.SetWheel(0);
  s.SetWheelCtrl(4);
  s.SetWheelShift(2);
  s.SetEmptyBlocks(false);
  s.SetAutoSave(true);
  s.SetAutoSaveInterval(10);
  s.SetPageOverlay(3);
  s.SetPrintLineWidth(0.3);
  s.SetPrintShiftX(-2);
  s.SetPrintShiftY(4);
  s.SetMaxSteps(8);
  const TIniFile ini(IniPath());
  EXPECT_EQ(ini.ReadString("COMMON", "Language", ""), "english");
  EXPECT_EQ(ini.ReadString("VIEW", "LDB.ICON", ""), "0");
  EXPECT_EQ(ini.ReadString("VIEW", "LDB.ICON.SIZE", ""), "32");
  EXPECT_EQ(ini.ReadString("VIEW", "LDB.SORT", ""), "0");
  EXPECT_EQ(ini.ReadString("VIEW", "LDB.MSG.ERROR", ""), "0");
  EXPECT_EQ(ini.ReadString("NEWVERSION", "ShowOldVersionMessage", ""), "0");
  EXPECT_EQ(ini.ReadString("SCREEN", "QuickMode", ""), "1");
  EXPECT_EQ(ini.ReadString("SCREEN", "Snap", ""), "0.2");
  EXPECT_EQ(ini.ReadString("SCREEN", "Grid", ""), "1");
  EXPECT_EQ(ini.ReadString("EXPORT", "EMFScaleX", ""), "1.5");
  EXPECT_EQ(ini.ReadString("EXPORT", "EMFScaleY", ""), "0.75");
  EXPECT_EQ(ini.ReadString("HELP", "Tip", ""), "7");
  EXPECT_EQ(ini.ReadString("HELP", "TipStartUp", ""), "0");
  EXPECT_EQ(ini.ReadString("MOUSE", "WHEEL", ""), "0");
  EXPECT_EQ(ini.ReadString("MOUSE", "WHEELCTRL", ""), "4");
  EXPECT_EQ(ini.ReadString("MOUSE", "WHEELSHIFT", ""), "2");
  EXPECT_EQ(ini.ReadString("IMPORT", "EMPTYBLOCKS", ""), "0");
  EXPECT_EQ(ini.ReadString("AUTOSAVE", "ENABLED", ""), "1");
  EXPECT_EQ(ini.ReadString("AUTOSAVE", "INTERVAL", ""), "10");
  EXPECT_EQ(ini.ReadString("PRINT", "PAGEOVERLAY", ""), "3");
  EXPECT_EQ(ini.ReadString("PRINT", "LINEWIDTH", ""), "0.3");
  EXPECT_EQ(ini.ReadString("PRINT", "SHIFTX", ""), "-2");
  EXPECT_EQ(ini.ReadString("PRINT", "SHIFTY", ""), "4");
  EXPECT_EQ(ini.ReadString("UNDO", "MAXSTEPS", ""), "8");
  // And they read back through the getters.
  EXPECT_EQ(s.Language(), "english");
  EXPECT_EQ(s.LdbIconSize(), 32);
  EXPECT_EQ(s.Snap(), 0.2);
  EXPECT_EQ(s.EmfScaleY(), 0.75);
  EXPECT_EQ(s.WheelCtrl(), 4);
  EXPECT_EQ(s.PrintLineWidth(), 0.3);
  EXPECT_EQ(s.PrintShiftX(), -2);
}

TEST_F(SettingsTest, MaxStepsClampedToZeroToTen) {
  TSettings s(IniPath());
  const TIniFile ini(IniPath());
  s.SetMaxSteps(25);
  EXPECT_EQ(ini.ReadInteger("UNDO", "MAXSTEPS", -1), 10);
  s.SetMaxSteps(-3);
  EXPECT_EQ(ini.ReadInteger("UNDO", "MAXSTEPS", -1), 0);
  // A hand-edited file cannot ask the undo stack for a thousand snapshots.
  WriteAll(IniPath(), "[UNDO]\nMAXSTEPS=1000\n");
  EXPECT_EQ(s.MaxSteps(), 10);
}

TEST_F(SettingsTest, SnapReadsTolerantlyAndRoundsTiesToEven) {
  TSettings s(IniPath());
  WriteAll(IniPath(), "[SCREEN]\nSnap=0,25\n");
  EXPECT_EQ(s.Snap(), 0.25);
  EXPECT_DOUBLE_EQ(s.SnapValue(1.13), 1.25);
  EXPECT_DOUBLE_EQ(s.SnapValue(1.125), 1.0);  // 4.5 steps: ties go to the even 4
  EXPECT_DOUBLE_EQ(s.SnapValue(1.375), 1.5);  // 5.5 steps go to 6
  EXPECT_DOUBLE_EQ(s.SnapValue(-1.13), -1.25);
  WriteAll(IniPath(), "[SCREEN]\nSnap=abc\n");
  EXPECT_EQ(s.Snap(), 0.5);
  EXPECT_DOUBLE_EQ(s.SnapValue(1.3), 1.5);
  WriteAll(IniPath(), "[SCREEN]\nSnap=0\n");
  EXPECT_EQ(s.SnapValue(1.13), 1.13);
  WriteAll(IniPath(), "[SCREEN]\nSnap=-1\n");
  EXPECT_EQ(s.SnapValue(1.13), 1.13);
  // A huge position must not wrap around through a 32-bit rounding.
  WriteAll(IniPath(), "[SCREEN]\nSnap=0.5\n");
  EXPECT_DOUBLE_EQ(s.SnapValue(3e9), 3e9);
}

TEST_F(SettingsTest, OutOfRangeStoredValuesGiveDefaults) {
  TSettings s(IniPath());
  WriteAll(IniPath(),
           "[MOUSE]\nWHEEL=9\nWHEELCTRL=-1\nWHEELSHIFT=x\n[AUTOSAVE]\nINTERVAL=0\n[PRINT]\nSHIFTX=abc\nSHIFTY=2,6\n");
  EXPECT_EQ(s.Wheel(), 5);  // an index outside the action list would pick no action at all
  EXPECT_EQ(s.WheelCtrl(), 3);
  EXPECT_EQ(s.WheelShift(), 1);
  EXPECT_EQ(s.AutoSaveInterval(), 1);  // a zero interval would save without pause
  EXPECT_EQ(s.PrintShiftX(), 0);
  EXPECT_EQ(s.PrintShiftY(), 3);
}

TEST_F(SettingsTest, NewerBuildBookkeeping) {
  TSettings s(IniPath());
  s.RecordNewerBuild(kVersionInternal, 9.0, "9.0", "1.1.2030");  // not newer than us: ignored
  EXPECT_EQ(s.NewVersionInternal(), 0);
  EXPECT_EQ(s.OldVersionMessage(), "");
  s.RecordNewerBuild(30, 3.5, "3.5 beta", "2027-05-01");
  EXPECT_EQ(s.NewVersionInternal(), 30);
  EXPECT_EQ(s.NewVersion(), 3.5);
  EXPECT_EQ(s.OldVersionMessage(), "You use an old version of programm. Install version 3.5 beta released 2027-05-01");
  s.RecordNewerBuild(25, 3.0, "3.0", "2026");  // lower than the recorded one: kept
  EXPECT_EQ(s.NewVersionString(), "3.5 beta");
  s.RecordNewerBuild(31, 3.6, "3.6", "");
  EXPECT_EQ(s.NewVersionDate(), "Unknown date");
  s.SetShowOldVersionMessage(false);
  EXPECT_EQ(s.OldVersionMessage(), "");
  EXPECT_NE(s.NewerBuildText(), "");  // the About box still shows it
}

TEST_F(SettingsTest, TempDirectoryAndFreeText) {
  TSettings s(IniPath());
  const QString temp = s.TempDirectory();
  EXPECT_EQ(temp, FDir.path() + "/temp/");
  EXPECT_TRUE(QFileInfo(temp).isDir());
  s.WriteText("TEMPLATES", "Last", "well.knt");
  EXPECT_EQ(s.ReadText("templates", "last"), "well.knt");
  EXPECT_EQ(s.ReadText("TEMPLATES", "none", "x"), "x");
}

// An installed program folder is read-only: temp files and settings must go elsewhere.
TEST_F(SettingsTest, ReadOnlyProgramFolderFallsBackToXdg) {
  WriteAll(FDir.filePath("plain"), "x");
  SetProgramDir(FDir.filePath("plain"));  // a file, so nothing can be created below it
  qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
  qputenv("XDG_CACHE_HOME", FDir.filePath("cache").toUtf8());
  EXPECT_EQ(WritableProgramFile("Kerno.ini"), FDir.filePath("config/Kerno/Kerno.ini"));
  const TSettings s(IniPath());
  EXPECT_EQ(s.TempDirectory(), FDir.filePath("cache/Kerno/temp/"));
  EXPECT_TRUE(QFileInfo(FDir.filePath("cache/Kerno/temp")).isDir());
  qunsetenv("XDG_CONFIG_HOME");
  qunsetenv("XDG_CACHE_HOME");
}

// An installed copy may sit in a folder its user (root, say) could write;
// its marker file still keeps settings and temporary files out of it.
TEST_F(SettingsTest, AnInstalledProgramFolderIsNeverWritten) {
  qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
  qputenv("XDG_CACHE_HOME", FDir.filePath("cache").toUtf8());
  EXPECT_TRUE(ProgramDirWritable());
  EXPECT_EQ(WritableLocation(TWritable::Settings), FDir.filePath("Kerno.ini"));
  EXPECT_EQ(WritableLocation(TWritable::Temp), FDir.path() + "/temp/");
  WriteAll(FDir.filePath(kInstalledMarker), "installed");
  EXPECT_FALSE(ProgramDirWritable());
  EXPECT_EQ(WritableLocation(TWritable::Settings), FDir.filePath("config/Kerno/Kerno.ini"));
  EXPECT_EQ(WritableProgramFile("preferences.ini"), FDir.filePath("config/Kerno/preferences.ini"));
  const TSettings s(IniPath());
  EXPECT_EQ(s.TempDirectory(), FDir.filePath("cache/Kerno/temp/"));
  EXPECT_FALSE(QFileInfo::exists(FDir.filePath("temp")));
  qunsetenv("XDG_CONFIG_HOME");
  qunsetenv("XDG_CACHE_HOME");
}

TEST_F(SettingsTest, GlobalSettingsCanBeReplaced) {
  TSettings mine(IniPath());
  mine.SetLanguage("english");
  SetSettings(&mine);
  EXPECT_EQ(&Settings(), &mine);
  EXPECT_EQ(LanguagePackPath(), FDir.path() + "/english.vox");
  mine.SetLanguage("../../etc/evil");
  EXPECT_EQ(LanguagePackPath(), FDir.path() + "/evil.vox");
}

TEST_F(SettingsTest, RecentFilesKeepTheNewestFirstOnceEachWithinTheLimit) {
  TSettings s(IniPath());
  EXPECT_TRUE(s.RecentFiles().isEmpty());
  for (int i = 1; i <= 10; ++i) s.AddRecentFile(QString("/wells/%1.knd").arg(i));
  QStringList expected;
  for (int i = 10; i > 10 - TSettings::kMaxRecentFiles; --i) expected << QString("/wells/%1.knd").arg(i);
  EXPECT_EQ(s.RecentFiles(), expected);
  // Opening one again brings it to the front without a second entry.
  s.AddRecentFile("/wells/5.knd");
  EXPECT_EQ(s.RecentFiles().first(), "/wells/5.knd");
  EXPECT_EQ(s.RecentFiles().count("/wells/5.knd"), 1);
  EXPECT_EQ(s.RecentFiles().size(), TSettings::kMaxRecentFiles);
  s.RemoveRecentFile("/wells/9.knd");
  EXPECT_FALSE(s.RecentFiles().contains("/wells/9.knd"));
  EXPECT_EQ(s.RecentFiles().size(), TSettings::kMaxRecentFiles - 1);
  // What the file holds is read the same by the next start; entries edited
  // by hand into blanks and repeats are passed over.
  TSettings again(IniPath());
  EXPECT_EQ(again.RecentFiles(), s.RecentFiles());
  TIniFile ini(IniPath());
  ini.WriteString("RECENT", "File1", "  ");
  ini.WriteString("RECENT", "File2", "/wells/5.knd");
  ini.WriteString("RECENT", "File3", "/wells/5.knd");
  const QStringList read = TSettings(IniPath()).RecentFiles();
  EXPECT_FALSE(read.contains(""));
  EXPECT_EQ(read.count("/wells/5.knd"), 1);
  s.SetRecentFiles({});
  EXPECT_TRUE(TSettings(IniPath()).RecentFiles().isEmpty());
  EXPECT_TRUE(TIniFile(IniPath()).ReadSection("RECENT").isEmpty());
}
