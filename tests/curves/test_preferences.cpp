// The profile store: counting, finding and adding by name, deleting with the
// later profiles moved down, damaged counts, and the depth scale's profiles
// including the ones shipped with the program.
#include <QFile>
#include <QRegularExpression>

#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uPreferences.h"

namespace {

// Profiles named `names`, each with one key telling which it is.
void WriteProfiles(const QString& path, const QStringList& names) {
  TIniFile ini(path);
  ini.WriteInteger("PROFILE", "DeepScale", static_cast<int>(names.size()));
  for (int i = 0; i < names.size(); ++i) {
    const QString section = "DeepScale" + QString::number(i + 1);
    ini.WriteString(section, "PROFILE.NAME", names[i]);
    ini.WriteString(section, "MARK", names[i] + "-data");
  }
}

}  // namespace

using PreferencesTest = TCurvesTest;

TEST_F(PreferencesTest, WithoutTheFileTheStoreIsEmptyUntilAProfileIsSaved) {
  TPreferences store(Path("preferences.ini"));
  EXPECT_FALSE(store.Exists());
  EXPECT_EQ(store.Count(kindDeepScale), 0);
  EXPECT_EQ(store.SectionName(kindDeepScale, 0), "");
  EXPECT_EQ(store.ProfileName(kindDeepScale, 0), "");
  EXPECT_FALSE(store.Delete(kindDeepScale, 0));
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, ""), "");
  EXPECT_FALSE(store.Exists()) << "an empty name writes nothing";

  // Saving the first profile makes the file (silently dropping it would lose the user's work).
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "Standard"), "DeepScale1");
  EXPECT_TRUE(store.Exists());
  EXPECT_EQ(store.Count(kindDeepScale), 1);
  EXPECT_EQ(store.ProfileName(kindDeepScale, 0), "Standard");
  EXPECT_EQ(store.Count(kindStratCol), 0) << "each kind counts its own profiles";
  EXPECT_EQ(TPreferences::DefaultFileName(), FDir.filePath("preferences.ini"));
}

TEST_F(PreferencesTest, NamesMatchExactlyAndTheLastOfEqualNamesWins) {
  WriteProfiles(Path("p.ini"), {"A", "B", "A"});
  TPreferences store(Path("p.ini"));
  EXPECT_EQ(store.ProfileNames(kindDeepScale), (QStringList{"A", "B", "A"}));
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "A"), "DeepScale3");
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "B"), "DeepScale2");
  EXPECT_EQ(store.Count(kindDeepScale), 3);
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "a"), "DeepScale4");
  EXPECT_EQ(store.Count(kindDeepScale), 4);
}

TEST_F(PreferencesTest, DeletingMovesTheLaterProfilesDown) {
  WriteProfiles(Path("p.ini"), {"first", "second", "third"});
  TPreferences store(Path("p.ini"));
  ASSERT_TRUE(store.Delete(kindDeepScale, 0));
  EXPECT_EQ(store.Count(kindDeepScale), 2);
  EXPECT_EQ(store.ProfileNames(kindDeepScale), (QStringList{"second", "third"}));
  EXPECT_EQ(store.Ini().ReadString("DeepScale1", "MARK", ""), "second-data");
  EXPECT_EQ(store.Ini().ReadString("DeepScale2", "MARK", ""), "third-data");
  EXPECT_FALSE(store.Ini().SectionExists("DeepScale3"));

  ASSERT_TRUE(store.Delete(kindDeepScale, 1));
  EXPECT_EQ(store.ProfileNames(kindDeepScale), (QStringList{"second"}));
  EXPECT_FALSE(store.Delete(kindDeepScale, 1));
  EXPECT_FALSE(store.Delete(kindDeepScale, -1));

  // A section left from a longer list lends nothing to a new profile.
  ASSERT_TRUE(store.Ini().WriteString("DeepScale2", "MARK", "stale"));
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "new"), "DeepScale2");
  EXPECT_FALSE(store.Ini().ValueExists("DeepScale2", "MARK"));
}

TEST_F(PreferencesTest, ADamagedCountIsBoundedByTheFile) {
  WriteProfiles(Path("p.ini"), {"one", "two"});
  TIniFile(Path("p.ini")).WriteInteger("PROFILE", "DeepScale", 2000000000);
  TPreferences store(Path("p.ini"));
  EXPECT_LE(store.Count(kindDeepScale), 3);
  EXPECT_EQ(store.ProfileNames(kindDeepScale).mid(0, 2), (QStringList{"one", "two"}));
  TIniFile(Path("p.ini")).WriteInteger("PROFILE", "DeepScale", -4);
  EXPECT_EQ(store.Count(kindDeepScale), 0);
}

TEST_F(PreferencesTest, DepthScaleProfilesRoundTripAndShrinkCleanly) {
  TPreferences store(Path("preferences.ini"));
  TRullerList rulers(3);
  rulers[1].SetStep(1);
  rulers[1].RemoveFont();
  rulers[2].SetStep(50);
  rulers[2].Font()->SetSize(16);
  ASSERT_TRUE(SaveDepthScaleProfile(store, "Mine", true, rulers));
  bool border = false;
  TRullerList back;
  ASSERT_TRUE(LoadDepthScaleProfile(store, 0, &border, &back));
  EXPECT_TRUE(border);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[1].ToText(), rulers[1].ToText());
  EXPECT_EQ(back[2].Font()->Size(), 16);

  rulers.resize(1);
  ASSERT_TRUE(SaveDepthScaleProfile(store, "Mine", false, rulers));
  EXPECT_EQ(store.Count(kindDeepScale), 1) << "saved again under the same name";
  ASSERT_TRUE(LoadDepthScaleProfile(store, 0, &border, &back));
  EXPECT_FALSE(border);
  EXPECT_EQ(back.size(), 1u) << "entries of the longer list are gone";
  EXPECT_FALSE(store.Ini().ValueExists("DeepScale1", "RULLER3.FONT.SIZE"));
  EXPECT_FALSE(LoadDepthScaleProfile(store, 1, &border, &back));
  EXPECT_FALSE(SaveDepthScaleProfile(store, "", true, rulers));
}

// Every shipped profile is a usable scale: named by its vertical scale, with
// a labelled ruler whose marks fall on whole depth steps at that scale.
TEST_F(PreferencesTest, ShippedProfilesFitTheScalesTheyAreNamedFor) {
  TPreferences store(QStringLiteral(KERNO_SOURCE_DIR "/resources/preferences.ini"));
  ASSERT_TRUE(store.Exists());
  const QStringList names = store.ProfileNames(kindDeepScale);
  ASSERT_GE(names.size(), 3);
  const QRegularExpression scaleName(QStringLiteral("^1:(\\d+)\\b"));
  for (int i = 0; i < names.size(); ++i) {
    const auto match = scaleName.match(names[i]);
    ASSERT_TRUE(match.hasMatch()) << names[i].toStdString();
    const double modulus = 1000.0 / match.captured(1).toDouble();
    bool border = false;
    TRullerList rulers;
    ASSERT_TRUE(LoadDepthScaleProfile(store, i, &border, &rulers));
    ASSERT_FALSE(rulers.empty());
    EXPECT_TRUE(rulers[0].HasFont()) << names[i].toStdString();
    for (const TRuller& r : rulers) {
      EXPECT_DOUBLE_EQ(r.Modulus(), modulus) << names[i].toStdString();
      EXPECT_GT(r.Step(), 0);
    }
  }
}
