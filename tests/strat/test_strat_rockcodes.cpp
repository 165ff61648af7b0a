// stratLoad of a rock-code list (".csv"): one sign per sound row, its picture
// from the EMF or SVG file the row names; without a widget application the
// usual column choice is taken without asking. Damaged lists change nothing.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>

#include "uEmfPlayer.h"
#include "uTestStrat.h"

using namespace teststrat;

namespace {

const char* const kSvg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20mm\" height=\"10mm\" viewBox=\"0 0 20 10\">"
    "<rect x=\"0\" y=\"0\" width=\"20\" height=\"10\" fill=\"none\" stroke=\"black\" stroke-width=\"0.4\"/>"
    "<circle cx=\"10\" cy=\"5\" r=\"3\" fill=\"black\"/></svg>";

class RockCodeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("sst.emf", MakeEmf(1000, 1000));
    Write("LST.EMF", MakeEmf(500, 500));
    Write("dol.emf", MakeEmf(700, 700));
    WriteText("tile.svg", kSvg);
    WriteText("broken.emf", "not a metafile");
    stratCreateDataBase(FDataBase.Put());
    TComPtr<IStratSign> old = MakeSign("OLD");
    FDataBase->AddSign(QueryAs<IStratStream>(old.Get(), IID_IStratStream).Get(), false);
    FDataBase->SetOptions(5);
    stratSetFileName(FDataBase.Get(), MakeShortString("before.lsd"));
  }

  template <class Bytes>
  std::string Write(const char* name, const Bytes& bytes) {
    QFile file(QString::fromStdString(PathIn(FDir, name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(std::data(bytes)), static_cast<qint64>(std::size(bytes)));
    return PathIn(FDir, name);
  }
  std::string WriteText(const char* name, const std::string& text) { return Write(name, text); }

  std::string FileName() {
    TShortString name{};
    stratGetCurrentFileName(&name, FDataBase.Get());
    return ShortStringText(name);
  }

  void ExpectUnchanged() {
    EXPECT_EQ(SignNames(FDataBase.Get()), std::vector<std::string>{"OLD"});
    EXPECT_EQ(FileName(), "before.lsd");
  }

  QTemporaryDir FDir;
  TComPtr<IStratDataBase> FDataBase;
};

TComPtr<IStratSign> Find(IStratDataBase* database, const char* name) {
  TComPtr<IStratSign> sign;
  database->FindByName(MakeShortString(name), sign.Put());
  return sign;
}

}  // namespace

TEST_F(RockCodeListTest, SoundRowsBecomeSignsWithTheirPictures) {
  const std::string list = WriteText("codes.csv",
                                     "code;pattern\n"
                                     "SST;sst.emf\n"
                                     "\"LST\";lst\n"  // quoted, no extension, other case
                                     "\xD0\x9F\xD0\x95\xD0\xA1\xD0\x9E\xD0\x9A;tile\n"  // UTF-8 "ПЕСОК", SVG
                                     "\n"
                                     "DOL;dol.emf\n");
  ASSERT_EQ(stratLoad(list.c_str(), FDataBase.Get()), S_OK);
  EXPECT_EQ(SignNames(FDataBase.Get()), (std::vector<std::string>{"SST", "LST", "\xCF\xC5\xD1\xCE\xCA", "DOL"}))
      << "the header row is recognised, names are Windows-1251";
  EXPECT_EQ(FileName(), "") << "saving must ask for a name instead of writing over the list";
  EXPECT_EQ(FDataBase->GetOptions(), 5);
  EXPECT_DOUBLE_EQ(Find(FDataBase.Get(), "lst")->Width(), 5.0);

  // The SVG sign is stored as EMF of the size the drawing declares and shows its drawing.
  TComPtr<IStratSign> svg = Find(FDataBase.Get(), "\xCF\xC5\xD1\xCE\xCA");
  ASSERT_TRUE(svg && svg->GetMetafile());
  EXPECT_NEAR(svg->Width(), 20.0, 0.01);
  EXPECT_NEAR(svg->Height(), 10.0, 0.01);
  QImage image(200, 100, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    ASSERT_TRUE(PlayEmf(&painter, *svg->GetMetafile(), QRectF(0, 0, 200, 100)));
  }
  EXPECT_LT(qGray(image.pixel(100, 50)), 64) << "the circle";
  EXPECT_GT(qGray(image.pixel(50, 50)), 192) << "inside the frame, outside the circle";
}

TEST_F(RockCodeListTest, UnusableRowsAreSkippedAndTheRestKept) {
  const std::string list = WriteText("codes.csv",
                                     "SST,sst.emf\n"
                                     ",dol.emf\n"          // no code
                                     "GONE,missing.emf\n"  // no such picture
                                     "BAD,broken.emf\n"    // not a picture
                                     "SST,dol.emf\n"       // listed twice: the later picture
                                     "ONLYCODE\n");
  ASSERT_EQ(stratLoad(list.c_str(), FDataBase.Get()), S_OK);
  EXPECT_EQ(SignNames(FDataBase.Get()), std::vector<std::string>{"SST"});
  EXPECT_DOUBLE_EQ(Find(FDataBase.Get(), "SST")->Width(), 7.0);
}

TEST_F(RockCodeListTest, DamagedListsChangeNothing) {
  const std::vector<uint8_t> binary = MakeEmf(1000, 1000);
  for (const std::string& list :
       {Write("binary.csv", binary), WriteText("empty.csv", ""), WriteText("blank.csv", "\n\n  \n"),
        WriteText("nothing.csv", "GONE;missing.emf\nBAD;broken.emf\n"), PathIn(FDir, "absent.csv")}) {
    EXPECT_EQ(stratLoad(list.c_str(), FDataBase.Get()), E_FAIL) << list;
    ExpectUnchanged();
  }
}

TEST_F(RockCodeListTest, PublicPatternTilesImport) {
  const QString folder = QStringLiteral(KERNO_SHARED_DATA "/patterns-fgdc");
  if (!QFile::exists(folder + QStringLiteral("/601.svg"))) GTEST_SKIP() << "no public pattern files";
  const std::string list =
      WriteText("fgdc.txt.csv", "601\t" + folder.toStdString() + "/601.svg\n627\t" + folder.toStdString() + "/627\n");
  ASSERT_EQ(stratLoad(list.c_str(), FDataBase.Get()), S_OK);
  ASSERT_EQ(SignNames(FDataBase.Get()), (std::vector<std::string>{"601", "627"}));
  // 54.125 px tiles at 96 px per inch.
  EXPECT_NEAR(Find(FDataBase.Get(), "601")->Width(), 54.125 * 25.4 / 96, 0.02);
}
