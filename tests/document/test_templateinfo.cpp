// What the template selection offers: a name, a description and a picture per
// template file, in the language of the loaded pack where the file has one.
#include <QDir>

#include "uDocumentTestEnv.h"
#include "uLanguage.h"
#include "uTemplateInfo.h"

namespace {

class TemplateInfo : public TDocumentTest {
 protected:
  void TearDown() override {
    UnloadLanguage();
    TDocumentTest::TearDown();
  }
};

QStringList Names(const std::vector<TTemplateInfo>& list) {
  QStringList names;
  for (const TTemplateInfo& t : list) names << t.Name;
  return names;
}

}  // namespace

TEST_F(TemplateInfo, ListsTheTemplatesThatYieldANameInTheProgramsLanguage) {
  ASSERT_TRUE(QDir().mkpath(Path("template")));
  WriteText("template/a.knt",
            "[TEMPLATE]\nNAME=Well sheet\nNAME.russian=Лист скважины\nDESCRIPTION=For any well\n[PASSPORT]\n");
  WriteText("template/b.knt", "[TEMPLATE]\nNAME.russian=Только по-русски\nNAME=\n[PASSPORT]\n");
  WriteText("template/c.knt", "[PASSPORT]\nOBJECT1=Body 274\n");
  WriteText("template/d.knt", "[TEMPLATE]\nNAME=Untranslated\nNAME.russian=\n");
  WriteText("template/Saved sheet.knd", "a document saved as a template");
  WriteText("template/part.kno", "an object file");
  WriteText("template/a.bmp", "BM");
  WriteText("template/default.template.bmp", "BM");

  std::vector<TTemplateInfo> list = ListTemplates(Path("template"));
  EXPECT_EQ(Names(list), (QStringList{"Well sheet", "Untranslated", "Saved sheet"}))
      << "without a name in the language there is no entry";
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Description, "For any well");
  EXPECT_EQ(list[0].Path, Path("template/a.knt"));
  EXPECT_EQ(list[0].Picture, Path("template/a.bmp")) << "its own picture";
  EXPECT_EQ(list[1].Picture, Path("template/default.template.bmp"));
  EXPECT_EQ(list[2].Picture, Path("template/default.template.bmp"));
  EXPECT_TRUE(list[2].Description.isEmpty());

  WriteText("russian.vox", "[VOX]\nKerno=Керно\n");
  ASSERT_TRUE(LoadLanguage(Path("russian.vox")));
  EXPECT_EQ(CurrentLanguage(), "russian");
  list = ListTemplates(Path("template"));
  EXPECT_EQ(Names(list), (QStringList{"Лист скважины", "Только по-русски", "Untranslated", "Saved sheet"}));
  EXPECT_EQ(list[0].Description, "For any well") << "the English text where the language has none";

  QFile::remove(Path("template/default.template.bmp"));
  TTemplateInfo info;
  ASSERT_TRUE(ReadTemplateInfo(Path("template/Saved sheet.knd"), &info));
  EXPECT_TRUE(info.Picture.isEmpty());
  EXPECT_FALSE(ReadTemplateInfo(Path("template/missing.knt"), &info));
  EXPECT_FALSE(ReadTemplateInfo(Path("template/part.kno"), &info));
}
