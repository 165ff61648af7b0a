// The default sign database shipped in resources/lsd: it loads, lists every
// code in its text file, and every sign plays as a seamless tile.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cstdlib>
#include <set>

#include "uEmfPlayer.h"
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

int Ink(const QImage& image, const QRect& area) {
  int dark = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
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

}  // namespace

TEST(StratDefaultDataBase, LoadsWithEveryCodeListed) {
  TComPtr<IStratDataBase> database = LoadDefault();
  ASSERT_GE(database->SignCount(), 30);
  QFile list(QString::fromStdString(std::string(KERNO_SOURCE_DIR) + "/resources/lsd/default.txt"));
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  std::set<std::string> listed;
  for (const QString& line : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QStringList parts = line.split(QLatin1Char('\t'));
    ASSERT_EQ(parts.size(), 2) << line.toStdString();
    EXPECT_FALSE(parts[1].trimmed().isEmpty());
    listed.insert(parts[0].toStdString());
  }
  std::set<std::string> names;
  for (const std::string& name : SignNames(database.Get())) {
    EXPECT_TRUE(names.insert(name).second) << "duplicate code " << name;
    EXPECT_TRUE(listed.count(name)) << name << " is not in default.txt";
  }
  EXPECT_EQ(names.size(), listed.size());
  for (const char* code : {"SST", "SSTF", "SSTM", "SSTC", "SLT", "SH", "LST", "DOL", "COAL", "HAL", "CGL", "GRN"})
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
    const QImage tiles = TwoTiles(database.Get(), sign.Get());
    EXPECT_LE(Differences(tiles), 20) << name;
  }
}
