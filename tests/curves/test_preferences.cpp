// The profile store: finding and adding by name, deleting with the later
// profiles moved down, damaged counts, and the depth scale's profiles with
// the ones shipped with the program.
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
    ini.WriteString("DeepScale" + QString::number(i + 1), "PROFILE.NAME", names[i]);
    ini.WriteString("DeepScale" + QString::number(i + 1), "MARK", names[i] + "-data");
  }
}

}  // namespace

using PreferencesTest = TCurvesTest;

TEST_F(PreferencesTest, ProfilesAreFoundByExactNameOrAdded) {
  TPreferences empty;
  EXPECT_EQ(empty.FileName(), Path("preferences.ini"));
  EXPECT_EQ(empty.Count(kindDeepScale), 0);
  EXPECT_EQ(empty.SectionName(kindDeepScale, 0), "");
  EXPECT_EQ(empty.FindOrAdd(kindDeepScale, ""), "");
  EXPECT_FALSE(empty.Exists());
  // Saving the first profile makes the file: dropping it would lose the user's work.
  EXPECT_EQ(empty.FindOrAdd(kindDeepScale, "Standard"), "DeepScale1");
  EXPECT_EQ(empty.ProfileName(kindDeepScale, 0), "Standard");
  EXPECT_EQ(empty.Count(kindStratCol), 0) << "each kind counts its own";

  WriteProfiles(Path("p.ini"), {"A", "B", "A"});
  TPreferences store(Path("p.ini"));
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "A"), "DeepScale3") << "the last of equal names wins";
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "a"), "DeepScale4") << "names compare case-sensitively";
  EXPECT_EQ(store.Count(kindDeepScale), 4);
  // A damaged count is trusted only as far as there are sections.
  store.Ini().WriteInteger("PROFILE", "DeepScale", 2000000000);
  EXPECT_LE(store.Count(kindDeepScale), 5);
  store.Ini().WriteInteger("PROFILE", "DeepScale", -4);
  EXPECT_EQ(store.Count(kindDeepScale), 0);
}

TEST_F(PreferencesTest, DeletingTheFirstOfThreeMovesTheOthersDown) {
  WriteProfiles(Path("p.ini"), {"first", "second", "third"});
  TPreferences store(Path("p.ini"));
  ASSERT_TRUE(store.Delete(kindDeepScale, 0));
  EXPECT_EQ(store.ProfileNames(kindDeepScale), (QStringList{"second", "third"}));
  EXPECT_EQ(store.Ini().ReadString("DeepScale1", "MARK", ""), "second-data");
  EXPECT_EQ(store.Ini().ReadString("DeepScale2", "MARK", ""), "third-data");
  EXPECT_FALSE(store.Ini().SectionExists("DeepScale3"));
  EXPECT_FALSE(store.Delete(kindDeepScale, 2));
  // A section left from a longer list lends nothing to a new profile.
  store.Ini().WriteString("DeepScale3", "MARK", "stale");
  EXPECT_EQ(store.FindOrAdd(kindDeepScale, "new"), "DeepScale3");
  EXPECT_FALSE(store.Ini().ValueExists("DeepScale3", "MARK"));
}

// Every shipped profile is a usable scale: named by its vertical scale, with
// a labelled ruler and every Modulus fitting that scale.
TEST_F(PreferencesTest, ShippedProfilesFitTheScalesTheyAreNamedFor) {
  TPreferences store(QStringLiteral(KERNO_SOURCE_DIR "/resources/preferences.ini"));
  const QStringList names = store.ProfileNames(kindDeepScale);
  ASSERT_GE(names.size(), 3);
  for (int i = 0; i < names.size(); ++i) {
    const auto match = QRegularExpression(QStringLiteral("^1:(\\d+)\\b")).match(names[i]);
    ASSERT_TRUE(match.hasMatch()) << names[i].toStdString();
    bool border = false;
    TRullerList rulers;
    ASSERT_TRUE(LoadDepthScaleProfile(store, i, &border, &rulers));
    ASSERT_FALSE(rulers.empty());
    EXPECT_TRUE(rulers[0].HasFont());
    for (const TRuller& r : rulers) EXPECT_DOUBLE_EQ(r.Modulus(), 1000.0 / match.captured(1).toDouble());
  }
}
