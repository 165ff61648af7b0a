// The default sign database shipped in resources/lsd: it is what the recipes
// build, names every sign in English and Russian, lists every code in its
// text file, and every sign plays as a seamless tile.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cstdlib>
#include <set>

#include "uCodePage.h"
#include "uDefaultSigns.h"
#include "uEmfPlayer.h"
#include "uImageCompare.h"
#include "uTestStrat.h"

using namespace teststrat;

namespace {

const std::string kDefaultLsd = std::string(KERNO_SOURCE_DIR) + "/resources/lsd/default.lsd";

TComPtr<IStratDataBase> LoadDefault() {
  TComPtr<IStratDataBase> database;
  stratCreateDataBase(database.Put());
  EXPECT_EQ(stratLoad(kDefaultLsd.c_str(), database.Get()), S_OK);
  return database;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Caption(IStratSign* sign, const char* language) {
  TShortString text{};
  if (auto captions = QueryAs<IStratSignCaptions>(sign, IID_IStratSignCaptions)) captions->GetCaption(language, &text);
  return QString::fromStdString(Cp1251ToUtf8(ShortStringView(text)));
}

// Renders `sign` as a 2 x 1 field of tiles at 254 dpi (10 px per mm) onto white.
QImage TwoTiles(IStratDataBase* database, IStratSign* sign) {
  QImage image(200, 100, QImage::Format_RGB32);
  image.setDotsPerMeterX(10000);
  image.setDotsPerMeterY(10000);
  image.fill(Qt::white);
  TShortString name{};
  sign->GetName(&name);
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  field->Add(name);
  EXPECT_EQ(stratAdjuctField(database, field.Get(), 20, 10), S_OK);
  QPainter painter(&image);
  painter.setClipRect(0, 0, 200, 100);
  field->Draw(&painter, 0, 0, 1, 1.0, database);
  painter.setClipping(false);
  field->Draw(&painter, 0, 0, 0, 1.0, database);
  return image;
}

int Ink(const QImage& image, const QRect& area, int below = 128) {
  int dark = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < below;
  return dark;
}

// Pixels of the left tile that differ from the same place in the right tile. A
// pattern element that reaches past the tile's right edge spills into the
// right tile only, so it shows up here.
int Differences(const QImage& image) {
  int differ = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) differ += std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 100, y))) > 64;
  return differ;
}

// Dark pixels outside a single tile drawn in the middle of a larger picture:
// an element that crosses any edge of the tile shows up here.
int InkOutsideTheTile(IStratSign* sign) {
  QImage image(300, 300, QImage::Format_RGB32);
  image.setDotsPerMeterX(10000);
  image.setDotsPerMeterY(10000);
  image.fill(Qt::white);
  TStratPlacement item = DefaultPlacement();
  item.OffsetX = item.OffsetY = item.SpaceX = item.SpaceY = 0;
  item.CountX = item.CountY = 1;
  {
    QPainter painter(&image);
    sign->Draw(&painter, item, 100, 100, 1.0);
  }
  return Ink(image, QRect(0, 0, 300, 100)) + Ink(image, QRect(0, 200, 300, 100)) + Ink(image, QRect(0, 100, 100, 100)) +
         Ink(image, QRect(200, 100, 100, 100));
}

}  // namespace

TEST(StratDefaultDataBase, IsWhatTheRecipesBuild) {
  // The shipped file must be rebuilt (mkdefaultlsd) whenever a recipe changes.
  QString error;
  TComPtr<IStratDataBase> built = BuildDefaultDataBase(&error);
  ASSERT_TRUE(built) << error.toStdString();
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "built.lsd");
  ASSERT_EQ(stratSave(path.c_str(), built.Get()), S_OK);
  EXPECT_TRUE(Bytes(QString::fromStdString(path)) == Bytes(QString::fromStdString(kDefaultLsd)))
      << "resources/lsd/default.lsd is not the recipes' output: run mkdefaultlsd resources/lsd/default.lsd";
  EXPECT_TRUE(DefaultCodeList() ==
              Bytes(QString::fromStdString(std::string(KERNO_SOURCE_DIR) + "/resources/lsd/default.txt")))
      << "resources/lsd/default.txt is not the recipes' code list";
}

TEST(StratDefaultDataBase, EverySignHasACodeAndBothCaptions) {
  TComPtr<IStratDataBase> database = LoadDefault();
  ASSERT_GE(database->SignCount(), 60);
  std::set<std::string> names;
  for (int32_t i = 0; i < database->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    ASSERT_EQ(database->GetSign(i, sign.Put()), S_OK);
    const std::string name = NameOf(sign.Get());
    EXPECT_TRUE(names.insert(name).second) << "duplicate code " << name;
    const QString english = Caption(sign.Get(), "en");
    const QString russian = Caption(sign.Get(), "ru");
    EXPECT_FALSE(english.isEmpty()) << name;
    // The Russian caption is Russian (Cyrillic letters survived the Windows-1251 round trip).
    EXPECT_TRUE(
        std::any_of(russian.begin(), russian.end(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; }))
        << name << ": " << russian.toStdString();
    EXPECT_NE(english, russian) << name;
  }
  // The rocks a well geologist meets.
  for (const char* code :
       {"SST",  "SSTVF", "SSTF", "SSTM", "SSTC", "SLT", "MDST",  "ARG",   "SH",   "CLY",  "MRL",  "LST", "LSTA",
        "LSTS", "OOL",   "LSTB", "DOL",  "CHK",  "ANH", "GYP",   "HAL",   "COAL", "LIG",  "CGL",  "GRV", "BRC",
        "TUF",  "GRN",   "BAS",  "GNS",  "SCH",  "QTZ", "SSTCA", "SSTSI", "LSTF", "SOIL", "LOAM", "SND"})
    EXPECT_TRUE(names.count(code)) << code;
}

TEST(StratDefaultDataBase, EverySignPlaysAndRepeatsWithoutSeams) {
  TComPtr<IStratDataBase> database = LoadDefault();
  for (int32_t i = 0; i < database->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    ASSERT_EQ(database->GetSign(i, sign.Put()), S_OK);
    const std::string name = NameOf(sign.Get());
    ASSERT_NE(sign->GetMetafile(), nullptr) << name;
    EXPECT_DOUBLE_EQ(sign->Width(), 10.0) << name;
    EXPECT_DOUBLE_EQ(sign->Height(), 10.0) << name;
    QImage probe(50, 50, QImage::Format_RGB32);
    probe.fill(Qt::white);
    {
      QPainter painter(&probe);
      EXPECT_TRUE(PlayEmf(&painter, *sign->GetMetafile(), QRectF(0, 0, 50, 50))) << name;
    }
    EXPECT_GT(Ink(probe, QRect(0, 0, 50, 50)), 0) << name << " draws nothing";
    // Two neighbouring tiles are the same picture: nothing spills over the shared edge.
    EXPECT_LE(Differences(TwoTiles(database.Get(), sign.Get())), 20) << name;
    EXPECT_LE(InkOutsideTheTile(sign.Get()), 4) << name;
  }
}

// A sheet of every sign, written beside the test output to be looked over;
// every cell of it carries ink.
TEST(StratDefaultDataBase, ContactSheet) {
  TComPtr<IStratDataBase> database = LoadDefault();
  const QImage sheet = RenderSignSheet(database.Get(), 100);
  ASSERT_FALSE(sheet.isNull());
  ASSERT_TRUE(sheet.save(QDir::current().filePath(QStringLiteral("default-signs.png"))));
  const int cellWidth = sheet.width() / 5;
  const int cellHeight = static_cast<int>(std::lround(34 * 100 / 25.4));
  for (int32_t i = 0; i < database->SignCount(); ++i) {
    // The pattern area of the cell, inside its grey frame.
    const QRect area((i % 5) * cellWidth + 22, (i / 5) * cellHeight + 10, 150, 70);
    // Fine patterns come out grey at this resolution.
    EXPECT_GT(Ink(sheet, area, 224), 20) << "cell " << i;
  }
}

// A few signs against a reference picture: catches a change of the patterns
// or of their playback that the geometric checks above would let through.
TEST(StratDefaultDataBase, AFewSignsMatchTheirReference) {
  TComPtr<IStratDataBase> database = LoadDefault();
  const char* const codes[] = {"SST", "SH", "LST", "DOL", "CGL", "HAL", "GRN", "SCH"};
  QImage actual(8 * 60, 60, QImage::Format_RGB32);
  actual.setDotsPerMeterX(static_cast<int>(std::lround(150 / 0.0254)));
  actual.setDotsPerMeterY(static_cast<int>(std::lround(150 / 0.0254)));
  actual.fill(Qt::white);
  {
    QPainter painter(&actual);
    for (int k = 0; k < 8; ++k) {
      TComPtr<IStratSign> sign;
      ASSERT_EQ(database->FindByName(MakeShortString(codes[k]), sign.Put()), S_OK) << codes[k];
      TStratPlacement item = DefaultPlacement(codes[k]);
      item.OffsetX = item.OffsetY = item.SpaceX = item.SpaceY = 0;
      item.CountX = item.CountY = 1;
      sign->Draw(&painter, item, k * 60 + 1, 1, 1.0);
    }
  }
  // Antialiasing may move single edge pixels between Qt versions; a pattern change moves many.
  const TImageComparison result =
      CompareWithReference(actual, QStringLiteral(KERNO_TEST_DATA "/strat/default-signs-reference.png"),
                           QDir::currentPath(), 48, actual.width() * actual.height() / 200);
  EXPECT_TRUE(result.Matches) << result.Message.toStdString();
}
