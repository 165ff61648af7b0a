#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "uCodePage.h"
#include "uLanguage.h"
#include "uLanguageObject.h"

namespace {

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class LanguageTest : public ::testing::Test {
 protected:
  void TearDown() override { UnloadLanguage(); }
  QTemporaryDir FDir;
};

}  // namespace

TEST_F(LanguageTest, WithoutPackEveryLookupGivesItsDefault) {
  EXPECT_FALSE(LanguageLoaded());
  EXPECT_EQ(Translate("MENU", "File", "File"), "File");
  EXPECT_EQ(TranslateGeneral("LineWidth", "Line width"), "Line width");
  EXPECT_EQ(TranslateWord("Cancel"), "Cancel");
  EXPECT_EQ(TranslateError("CantLoadFile", "Can't Load File"), "Can't Load File");
  EXPECT_EQ(TranslateFileTitle("hdr"), "Open");
  EXPECT_EQ(TranslateFileMask("hdr"), "All Files|*.*");
  EXPECT_EQ(TranslateFileError("hdr", false), "Can't Load File");
  EXPECT_EQ(TranslateFileError("hdr", true), "Can't save file");
  EXPECT_EQ(DataMenuCaption(), "Data");
  EXPECT_EQ(DataMenuHint(), "Data operations");
}

TEST_F(LanguageTest, TextsAreCutAt255Characters) {
  const QString longText(300, u'x');
  EXPECT_EQ(Translate("S", "K", longText), QString(255, u'x'));
  // A key longer than 255 is looked up by its first 255 characters.
  const QString key = QString(255, u'k');
  WriteAll(FDir.filePath("p.vox"), "[S]\n" + key.toUtf8() + "=found\nlong=" + QByteArray(400, 'y') + "\n");
  ASSERT_TRUE(LoadLanguage(FDir.filePath("p.vox")));
  EXPECT_EQ(Translate("S", key + "tail", "def"), "found");
  EXPECT_EQ(Translate("S", "long", "def"), QString(255, u'y'));
  // The cut never splits a character made of two UTF-16 units.
  const QString emoji = QString(254, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80");
  EXPECT_EQ(Translate("S", "none", emoji), QString(254, u'a'));
}

TEST_F(LanguageTest, PackLookupsBySectionKeyWithoutCase) {
  WriteAll(FDir.filePath("ru.vox"),
           "\xEF\xBB\xBF; test pack\n"
           "[MENU]\nData=Данные\nDataHint=Операции с данными\nFile=Файл\n"
           "[VOX]\nCancel=Отмена\nOldVersion=Версия %s от %s\nTwoLines=a\\nb\n"
           "[ERROR]\nCantLoadFile=Не удалось загрузить файл\n"
           "[FILE]\nhdrTitle=Заголовок\n");
  ASSERT_TRUE(LoadLanguage(FDir.filePath("ru.vox")));
  EXPECT_EQ(Translate("menu", "FILE", "File"), "Файл");
  EXPECT_EQ(TranslateWord("Cancel"), "Отмена");
  EXPECT_EQ(TranslateWord("Help"), "Help");
  EXPECT_EQ(TranslateGeneral("TwoLines", ""), "a\nb");
  EXPECT_EQ(TranslateFileTitle("hdr"), "Заголовок");
  EXPECT_EQ(TranslateFileError("hdr", false), "Не удалось загрузить файл");
  EXPECT_EQ(DataMenuCaption(), "Данные");
  EXPECT_EQ(DataMenuHint(), "Операции с данными");
  EXPECT_EQ(SubstituteArgs(TranslateGeneral("OldVersion", ""), {"3.5", "2027"}), "Версия 3.5 от 2027");
}

// A missing or broken pack is reported, and the pack in use stays in use.
TEST_F(LanguageTest, BadPacksFailToLoad) {
  WriteAll(FDir.filePath("good.vox"), "[VOX]\nCancel=Abbrechen\n");
  ASSERT_TRUE(LoadLanguage(FDir.filePath("good.vox")));
  EXPECT_FALSE(LoadLanguage(FDir.filePath("missing.vox")));
  EXPECT_FALSE(LoadLanguage(FDir.path()));  // a folder
  WriteAll(FDir.filePath("empty.vox"), "");
  EXPECT_FALSE(LoadLanguage(FDir.filePath("empty.vox")));
  WriteAll(FDir.filePath("binary.vox"), QByteArray("\x00\x01\x02garbage\xFF\n", 13));
  EXPECT_FALSE(LoadLanguage(FDir.filePath("binary.vox")));
  WriteAll(FDir.filePath("nosection.vox"), "Cancel=x\n");
  EXPECT_FALSE(LoadLanguage(FDir.filePath("nosection.vox")));
  EXPECT_EQ(TranslateWord("Cancel"), "Abbrechen");
  EXPECT_EQ(LanguageLoadFailureText("/p/x.vox"), "Can't Load Language Pack /p/x.vox");
}

// The object handed to the sign library's editor answers as the program's own
// lookups do, in Windows-1251 short strings.
TEST_F(LanguageTest, LanguageObjectAnswersLikeTheProgram) {
  TComPtr<ILanguage> language = CreateLanguageObject();
  ASSERT_TRUE(language);
  TShortString text{};
  ASSERT_EQ(language->Lookup("DBEDIT", "Menu.FileSave", "Save it", &text), S_OK);
  EXPECT_EQ(ShortStringText(text), "Save it") << "no pack: the default";
  const std::string longDefault(300, 'x');
  language->Lookup("S", "K", longDefault.c_str(), &text);
  EXPECT_EQ(ShortStringText(text), std::string(255, 'x'));
  EXPECT_EQ(language->Lookup("S", "K", "d", nullptr), E_INVALIDARG);

  WriteAll(FDir.filePath("ru.vox"), "[DBEDIT]\nMenu.FileSave=Сохранить\n[VOX]\nLDBEdit=База\n");
  ASSERT_EQ(language->Load(QFile::encodeName(FDir.filePath("ru.vox")).constData()), S_OK);
  EXPECT_TRUE(LanguageLoaded()) << "loading through the object loads the program's pack";
  language->Lookup("DBEDIT", "Menu.FileSave", "Save", &text);
  EXPECT_EQ(ShortStringText(text), Utf8ToCp1251("Сохранить"));
  // Keys and defaults arrive in Windows-1251 too.
  language->Lookup("VOX", "LDBEdit", Utf8ToCp1251("Жила").c_str(), &text);
  EXPECT_EQ(ShortStringText(text), Utf8ToCp1251("База"));
  language->Lookup("VOX", Utf8ToCp1251("Нет").c_str(), Utf8ToCp1251("Жила").c_str(), &text);
  EXPECT_EQ(ShortStringText(text), Utf8ToCp1251("Жила"));
  EXPECT_EQ(language->Load(QFile::encodeName(FDir.filePath("missing.vox")).constData()), E_FAIL);

  TComPtr<IUnknown> unknown;
  EXPECT_EQ(language->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Put())), S_OK);
}

TEST(SubstituteArgs, PlaceholdersInOrder) {
  EXPECT_EQ(SubstituteArgs("a %s b %s c", {"1", "2"}), "a 1 b 2 c");
  EXPECT_EQ(SubstituteArgs("%s%s%s", {"x"}), "x");
  EXPECT_EQ(SubstituteArgs("100%", {"x"}), "100%");
  EXPECT_EQ(SubstituteArgs("%d %s", {"%s"}), "%d %s");  // an argument is not scanned again
}
