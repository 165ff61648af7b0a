#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "uIniFile.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class IniTest : public ::testing::Test {
 protected:
  QTemporaryDir FDir;
  QString Path(const char* name = "a.ini") const { return FDir.filePath(QString::fromLatin1(name)); }
};

}  // namespace

// Settings written by older builds use other letter cases; a case-sensitive
// lookup would silently fall back to defaults.
TEST_F(IniTest, SectionsAndKeysMatchWithoutCase) {
  WriteAll(Path(), "[Screen]\nquickmode = 1\nSnap=0,25\n[Проба]\nКлюч=да\n");
  TIniFile ini(Path());
  EXPECT_TRUE(ini.ReadBool("SCREEN", "QuickMode", false));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("screen", "SNAP", 0.5), 0.25);
  EXPECT_EQ(ini.ReadString("пРОБА", "ключ", "нет"), "да");
  EXPECT_TRUE(ini.ValueExists("sCrEeN", "QUICKMODE"));
  // Writing under another case updates the existing line instead of adding a second one.
  ASSERT_TRUE(ini.WriteInteger("SCREEN", "QUICKMODE", 0));
  EXPECT_EQ(ReadAll(Path()), QByteArray("[Screen]\nquickmode =0\nSnap=0,25\n[Проба]\nКлюч=да\n"));
}

TEST_F(IniTest, MissingFileSectionOrKeyGivesDefault) {
  TIniFile ini(Path("missing.ini"));
  EXPECT_EQ(ini.ReadString("A", "b", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
  EXPECT_TRUE(ini.ReadBool("A", "b", true));
  EXPECT_TRUE(ini.ReadSections().isEmpty());
  EXPECT_FALSE(QFile::exists(Path("missing.ini")));  // reading never creates the file
  WriteAll(Path(), "[A]\nempty=\nnum=12abc\nhex=0x1F\nbad=abc\nbig=99999999999\n");
  TIniFile a(Path());
  EXPECT_EQ(a.ReadString("A", "empty", "def"), "");  // present but empty is not missing
  EXPECT_EQ(a.ReadInteger("A", "empty", 3), 3);
  EXPECT_EQ(a.ReadInteger("A", "num", 0), 12);
  EXPECT_EQ(a.ReadInteger("A", "hex", 0), 31);
  EXPECT_EQ(a.ReadInteger("A", "bad", -1), -1);
  EXPECT_EQ(a.ReadInteger("A", "big", -1), -1);  // overflow is not a number, not a wrapped one
  EXPECT_DOUBLE_EQ(a.ReadFloat("A", "bad", 1.5), 1.5);
}

// A write must touch only its own line: comments, blank lines, lines the reader
// does not understand and foreign keys all survive, in their order.
TEST_F(IniTest, WriteKeepsEveryOtherLine) {
  const QByteArray before =
      "; settings of the program\n"
      "[COMMON]\n"
      "  Language = english  \n"
      "foreign=kept\n"
      "\n"
      "; a comment inside\n"
      "not a value line\n"
      "[UNDO]\n"
      "MAXSTEPS=5\n"
      "; trailing comment\n";
  WriteAll(Path(), before);
  TIniFile ini(Path());
  ASSERT_TRUE(ini.WriteString("COMMON", "Language", "russian"));
  ASSERT_TRUE(ini.WriteString("COMMON", "New", "1"));
  ASSERT_TRUE(ini.WriteString("SCREEN", "Grid", "0"));
  EXPECT_EQ(ReadAll(Path()), QByteArray("; settings of the program\n"
                                        "[COMMON]\n"
                                        "  Language =russian\n"
                                        "foreign=kept\n"
                                        "New=1\n"
                                        "\n"
                                        "; a comment inside\n"
                                        "not a value line\n"
                                        "[UNDO]\n"
                                        "MAXSTEPS=5\n"
                                        "; trailing comment\n"
                                        "\n"
                                        "[SCREEN]\n"
                                        "Grid=0\n"));
  EXPECT_EQ(ini.ReadString("common", "language", ""), "russian");
  // No temporary file is left beside the target.
  EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files), QStringList{"a.ini"});
}

TEST_F(IniTest, WriteCreatesFileAndFolder) {
  const QString path = FDir.filePath("sub/dir/new.ini");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteFloat("EXPORT", "EMFScaleX", 1.25));
  ASSERT_TRUE(ini.WriteBool("EXPORT", "On", true));
  EXPECT_EQ(ReadAll(path), QByteArray("[EXPORT]\nEMFScaleX=1.25\nOn=1\n"));
}

// Values are read at each access: a second object (or another window) on the
// same file must see a change at once, never an old cached copy.
TEST_F(IniTest, TwoObjectsOnOneFileAgree) {
  TIniFile a(Path());
  TIniFile b(Path());
  ASSERT_TRUE(a.WriteInteger("S", "k", 1));
  EXPECT_EQ(b.ReadInteger("S", "k", 0), 1);
  ASSERT_TRUE(b.WriteInteger("S", "k", 2));
  ASSERT_TRUE(b.WriteInteger("S", "other", 3));
  EXPECT_EQ(a.ReadInteger("S", "k", 0), 2);
  ASSERT_TRUE(a.WriteInteger("S", "k", 4));  // a's write must not drop b's key
  EXPECT_EQ(b.ReadInteger("S", "other", 0), 3);
  // The same size and a change within one clock tick are still seen.
  WriteAll(Path(), "[S]\nk=5\nother=3\n");
  EXPECT_EQ(a.ReadInteger("S", "k", 0), 5);
}

TEST_F(IniTest, LegacyWindows1251AndBom) {
  // "[ЗАГОЛОВОК]\nИмя=Скважина 1\n" in Windows-1251.
  WriteAll(Path(), "[\xC7\xC0\xC3\xCE\xCB\xCE\xC2\xCE\xCA]\n\xC8\xEC\xFF=\xD1\xEA\xE2\xE0\xE6\xE8\xED\xE0 1\n");
  TIniFile legacy(Path());
  EXPECT_EQ(legacy.ReadString("заголовок", "имя", ""), "Скважина 1");
  // Changing a legacy file rewrites it as UTF-8 without losing the old text.
  ASSERT_TRUE(legacy.WriteString("ЗАГОЛОВОК", "Номер", "2"));
  EXPECT_EQ(ReadAll(Path()), QString("[ЗАГОЛОВОК]\nИмя=Скважина 1\nНомер=2\n").toUtf8());

  WriteAll(Path("bom.ini"), "\xEF\xBB\xBF[A]\r\nx=1\r\n");
  TIniFile bom(Path("bom.ini"));
  EXPECT_EQ(bom.ReadSections(), QStringList{"A"});  // the BOM is not part of the first name
  ASSERT_TRUE(bom.WriteString("a", "y", "2"));
  EXPECT_EQ(ReadAll(Path("bom.ini")), QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\ny=2\r\n"));
}

TEST_F(IniTest, ListEraseAndDelete) {
  WriteAll(Path(), "[A]\nx=1\ny=2\nX=dup\n[B]\nz=3\n[a]\nw=4\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadSections(), (QStringList{"A", "B"}));
  EXPECT_EQ(ini.ReadSection("a"), (QStringList{"x", "y"}));
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");  // the first of duplicates wins
  EXPECT_TRUE(ini.ReadSection("none").isEmpty());
  ASSERT_TRUE(ini.DeleteKey("A", "X"));
  EXPECT_FALSE(ini.ValueExists("A", "x"));  // no duplicate resurfaces after a delete
  EXPECT_TRUE(ini.ValueExists("A", "y"));
  ASSERT_TRUE(ini.EraseSection("a"));  // every section of that name goes
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_EQ(ReadAll(Path()), QByteArray("[B]\nz=3\n"));
  EXPECT_TRUE(ini.DeleteKey("none", "k"));
}

// A value or name that cannot live on one line would corrupt the file; it is refused.
TEST_F(IniTest, UnstorableTextIsRefused) {
  WriteAll(Path(), "[A]\nx=1\n");
  TIniFile ini(Path());
  EXPECT_FALSE(ini.WriteString("A", "x", "two\nlines"));
  EXPECT_FALSE(ini.WriteString("A", "k=v", "1"));
  EXPECT_FALSE(ini.WriteString("A]", "k", "1"));
  EXPECT_FALSE(ini.WriteString("", "k", "1"));
  EXPECT_EQ(ReadAll(Path()), QByteArray("[A]\nx=1\n"));
}

TEST_F(IniTest, UnwritableTargetReportsFailure) {
  // A folder that cannot be created (a file stands in its place) fails even for root.
  WriteAll(Path("plain"), "x");
  TIniFile ini(FDir.filePath("plain/a.ini"));
  EXPECT_FALSE(ini.WriteString("A", "x", "1"));
  EXPECT_EQ(ini.ReadString("A", "x", "def"), "def");
  EXPECT_EQ(ReadAll(Path("plain")), QByteArray("x"));
}

// A settings file we cannot read must not be replaced by one holding only the new key.
TEST_F(IniTest, UnreadableFileIsNeverOverwritten) {
  WriteAll(Path(), "[A]\nprecious=1\n");
  QFile::setPermissions(Path(), QFileDevice::WriteOwner);
  QFile probe(Path());
  if (probe.open(QIODevice::ReadOnly)) GTEST_SKIP() << "running with rights that ignore permissions";
  TIniFile ini(Path());
  EXPECT_FALSE(ini.WriteString("A", "new", "2"));
  EXPECT_FALSE(ini.DeleteKey("A", "precious"));
  EXPECT_FALSE(ini.EraseSection("A"));
  QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(ReadAll(Path()), QByteArray("[A]\nprecious=1\n"));
}

// Bulk work holds the content in memory: reads do not see the file change
// underneath, writes reach the file only on commit, and a cancel drops them.
TEST_F(IniTest, BulkWorkReadsOnceAndWritesOnce) {
  WriteAll(Path(), "; kept\n[A]\nx=1\n");
  TIniFile ini(Path());
  ini.BeginBulk();
  EXPECT_TRUE(ini.InBulk());
  WriteAll(Path(), "[A]\nx=2\n");
  EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1) << "the content read at the start";
  ASSERT_TRUE(ini.WriteInteger("A", "y", 5));
  ASSERT_TRUE(ini.WriteString("B", "z", "w"));
  EXPECT_EQ(ini.ReadInteger("A", "y", 0), 5);
  EXPECT_TRUE(ini.SectionExists("b"));
  EXPECT_EQ(ReadAll(Path()), QByteArray("[A]\nx=2\n")) << "nothing written before the commit";
  ASSERT_TRUE(ini.CommitBulk());
  EXPECT_FALSE(ini.InBulk());
  EXPECT_EQ(ReadAll(Path()), QByteArray("; kept\n[A]\nx=1\ny=5\n\n[B]\nz=w\n"));

  ini.BeginBulk();
  ASSERT_TRUE(ini.WriteInteger("A", "x", 9));
  ini.CancelBulk();
  EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
  EXPECT_EQ(ReadAll(Path()), QByteArray("; kept\n[A]\nx=1\ny=5\n\n[B]\nz=w\n"));

  // A fresh start ignores what the file held; an unchanged bulk writes nothing.
  ini.BeginBulk(true);
  EXPECT_FALSE(ini.SectionExists("A"));
  ASSERT_TRUE(ini.WriteInteger("N", "k", 1));
  ASSERT_TRUE(ini.CommitBulk());
  EXPECT_EQ(ReadAll(Path()), QByteArray("[N]\nk=1\n"));
  ini.BeginBulk();
  WriteAll(Path(), "[other]\n");
  EXPECT_TRUE(ini.CommitBulk());
  EXPECT_EQ(ReadAll(Path()), QByteArray("[other]\n"));

  // A target that cannot be written reports the failure.
  WriteAll(Path("file"), "x");
  TIniFile blocked(Path("file") + "/sub.ini");
  blocked.BeginBulk(true);
  ASSERT_TRUE(blocked.WriteInteger("A", "b", 1));
  EXPECT_FALSE(blocked.CommitBulk());
}

// Look-ups go through an index of the content: the first section and the
// first key of a name win, and changes are seen at once.
TEST_F(IniTest, RepeatedSectionsAndKeysAnswerWithTheFirst) {
  WriteAll(Path(), "[S]\nk=1\nk=2\n[T]\nk=3\n[s]\nk=4\nonly=5\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
  EXPECT_EQ(ini.ReadInteger("T", "k", 0), 3);
  EXPECT_EQ(ini.ReadInteger("S", "only", 0), 0) << "keys of a later section of the same name are not looked at";
  EXPECT_EQ(ini.ReadSection("S"), QStringList({"k"}));
  ASSERT_TRUE(ini.WriteInteger("T", "new", 6));
  EXPECT_EQ(ini.ReadInteger("T", "new", 0), 6);
  EXPECT_EQ(ini.ReadInteger("T", "k", 0), 3);
  ASSERT_TRUE(ini.EraseSection("S"));
  EXPECT_EQ(ini.ReadInteger("S", "k", 0), 0);
  EXPECT_EQ(ini.ReadInteger("T", "k", 0), 3);
  WriteAll(Path(), "[T]\nk=7\n");
  EXPECT_EQ(ini.ReadInteger("T", "k", 0), 7) << "a file changed outside is read again";
}
