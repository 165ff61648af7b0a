// Signs drawn on raster devices from images of their blocks: the pixels must be
// those of playing the metafile into every block, across layer clips and the
// device's edges, and a sign given another picture must show it at once.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <functional>

#include "uEmfPlayer.h"
#include "uSignTileCache.h"
#include "uStratDraw.h"
#include "uTestStrat.h"

using namespace teststrat;

namespace {

const std::string kDefaultLsd = std::string(KERNO_SOURCE_DIR) + "/resources/lsd/default.lsd";

TComPtr<IStratDataBase> DefaultDataBase() {
  TComPtr<IStratDataBase> database;
  stratCreateDataBase(database.Put());
  if (stratLoad(kDefaultLsd.c_str(), database.Get()) != S_OK) return {};
  return database;
}

TComPtr<IStratSign> Find(IStratDataBase* database, const char* name) {
  TComPtr<IStratSign> sign;
  database->FindByName(MakeShortString(name), sign.Put());
  return sign;
}

QImage Blank(QSize size, int dpi) {
  QImage image(size, QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
  image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
  image.fill(Qt::white);
  return image;
}

int Px(double mm, double k) { return static_cast<int>(std::nearbyint(mm * k)); }

// The drawing without images: the picture played into every block, rows outer.
void PlayBlocks(QPainter* p, const TEmfDocument& picture, double widthMM, double heightMM, const TStratPlacement& item,
                int x0, int y0, double scale) {
  const double kx = p->device()->logicalDpiX() / 25.4 * scale, ky = p->device()->logicalDpiY() / 25.4 * scale;
  const int w = Px(widthMM, kx), h = Px(heightMM, ky);
  const int stepX = w + Px(item.SpaceX, kx), stepY = h + Px(item.SpaceY, ky);
  for (int r = 0; r < item.CountY; ++r)
    for (int c = 0; c < item.CountX; ++c)
      PlayEmf(p, picture, QRectF(x0 + Px(item.OffsetX, kx) + stepX * c, y0 + Px(item.OffsetY, ky) + stepY * r, w, h));
}

using TDraw = std::function<void(QPainter*, const TStratPlacement&, int, int)>;

// Two layers one above the other, each clipped to its rectangle and filled white first,
// as the column draws them; the second starts where the first ends, inside a block.
QImage Layers(const QImage& blank, int hints, const TStratPlacement& item, int layerHeight, const TDraw& draw) {
  QImage image = blank;
  QPainter p(&image);
  p.setRenderHints(QPainter::RenderHints(hints));
  for (int layer = 0; layer < 2; ++layer) {
    const QRect rect(7, 5 + layer * layerHeight, image.width() + 40, layerHeight);  // past the right edge
    p.save();
    p.setClipRect(rect, Qt::IntersectClip);
    p.fillRect(rect, Qt::white);
    draw(&p, item, rect.left(), rect.top());
    p.restore();
  }
  return image;
}

// Every channel of every pixel within `tolerance`; on a mismatch both images are written
// beside the test's output.
::testing::AssertionResult SamePixels(const QImage& got, const QImage& want, const QString& name, int tolerance = 4) {
  if (got.size() != want.size()) return ::testing::AssertionFailure() << "sizes differ";
  int worst = 0, count = 0;
  QImage diff(got.size(), QImage::Format_RGB32);
  diff.fill(Qt::white);
  for (int y = 0; y < got.height(); ++y)
    for (int x = 0; x < got.width(); ++x) {
      const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
      const int d =
          std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
      if (d > tolerance) {
        ++count;
        diff.setPixel(x, y, qRgb(255, 0, 0));
      }
      worst = std::max(worst, d);
    }
  if (count == 0) return ::testing::AssertionSuccess();
  got.save(name + QStringLiteral("-actual.png"));
  want.save(name + QStringLiteral("-expected.png"));
  diff.save(name + QStringLiteral("-diff.png"));
  return ::testing::AssertionFailure() << count << " pixels differ (worst " << worst << ") in " << name.toStdString();
}

TStratPlacement Placement(const char* name, double offset, double space, int cx, int cy) {
  TStratPlacement item = DefaultPlacement(name);
  item.OffsetX = offset;
  item.OffsetY = offset / 2;
  item.SpaceX = space;
  item.SpaceY = space / 2;
  item.CountX = cx;
  item.CountY = cy;
  return item;
}

// The hand-written picture with a raster operation before its rectangle: it inverts what
// lies beneath, which no image drawn on transparency can do.
std::unique_ptr<TEmfDocument> InvertingPicture() {
  const std::vector<uint8_t> bytes = MakeInvertingEmf();
  return TEmfDocument::FromBytes(bytes.data(), bytes.size());
}

}  // namespace

// Real signs of the shipped database at two scales, with and without antialiasing, in
// spaced, touching and overlapping blocks: layer clips cut blocks, the device's right and
// bottom edges cut the grid.
TEST(SignTiles, ImagesMatchPlayedBlocks) {
  TComPtr<IStratDataBase> database = DefaultDataBase();
  ASSERT_TRUE(database);
  TSignTileCache::Shared().Clear();
  const QImage blank = Blank(QSize(230, 150), 96);
  struct TCase {
    double Scale;
    int Hints;
  };
  for (const char* name : {"SST", "LST", "CLY", "COAL", "ANH"}) {
    TComPtr<IStratSign> sign = Find(database.Get(), name);
    ASSERT_TRUE(sign && sign->GetMetafile()) << name;
    const TEmfDocument& picture = *sign->GetMetafile();
    for (const TCase& c : {TCase{1.0, 0}, TCase{2.5, int(QPainter::Antialiasing)}})
      for (const TStratPlacement& item :
           {Placement(name, 0.7, 1.3, 12, 9), Placement(name, 0, 0, 10, 8), Placement(name, 1, -2, 9, 6)}) {
        const int layerHeight = 61;  // not a multiple of any block period
        const QImage cached = Layers(blank, c.Hints, item, layerHeight, [&](QPainter* p, auto& it, int x, int y) {
          DrawSignBlocks(p, picture, sign->Width(), sign->Height(), it, x, y, c.Scale);
        });
        // Played on a larger device and cut: the raster engine steps aliased lines that it
        // cuts at the device's edge a pixel aside, which the images do not repeat.
        const QImage played = Layers(Blank(blank.size() + QSize(64, 64), 96), c.Hints, item, layerHeight,
                                     [&](QPainter* p, auto& it, int x, int y) {
                                       PlayBlocks(p, picture, sign->Width(), sign->Height(), it, x, y, c.Scale);
                                     })
                                  .copy(blank.rect());
        const QString label = QStringLiteral("tiles-%1-%2-%3").arg(name).arg(c.Scale).arg(item.SpaceX);
        EXPECT_TRUE(SamePixels(cached, played, label));
        EXPECT_NE(cached, blank) << label.toStdString();  // the sign shows at all
      }
  }
  // The drawing did come from images: each size left its block image behind.
  EXPECT_GE(TSignTileCache::Shared().Count(), 10u);
}

TEST(SignTiles, PicturesReadingTheBackgroundArePlayed) {
  const std::unique_ptr<TEmfDocument> picture = InvertingPicture();
  ASSERT_TRUE(picture);
  EXPECT_FALSE(RenderSignBlock(*picture, 40, 30, 0, 254, 254).Usable);
  // Over a dark half, inverted: the same as playing it.
  QImage blank = Blank(QSize(200, 120), 254);
  {
    QPainter p(&blank);
    p.fillRect(0, 0, 200, 60, Qt::darkBlue);
  }
  const TStratPlacement item = Placement("ROP", 0.5, 1, 4, 3);
  QImage drawn = blank, played = blank;
  {
    QPainter p(&drawn);
    DrawSignBlocks(&p, *picture, 4, 3, item, 3, 2, 1.0);
  }
  {
    QPainter p(&played);
    PlayBlocks(&p, *picture, 4, 3, item, 3, 2, 1.0);
  }
  EXPECT_TRUE(SamePixels(drawn, played, QStringLiteral("tiles-rop")));
  EXPECT_NE(drawn, blank);
}

// The library's own drawing: a sign given another picture, and a database loaded over the
// one drawn from, show the new pictures at once.
TEST(SignTiles, EditedAndReloadedSignsShowTheirNewPictures) {
  TComPtr<IStratDataBase> database = DefaultDataBase();
  ASSERT_TRUE(database);
  TComPtr<IStratSign> sst = Find(database.Get(), "SST");
  TComPtr<IStratSign> coal = Find(database.Get(), "COAL");
  ASSERT_TRUE(sst && coal);
  const TStratPlacement item = Placement("SST", 0.5, 0.5, 8, 6);
  const QImage blank = Blank(QSize(160, 120), 96);
  auto drawn = [&](IStratSign* sign) {
    QImage image = blank;
    QPainter p(&image);
    sign->Draw(&p, item, 4, 4, 1.5);
    return image;
  };
  auto played = [&](const TEmfDocument& picture, double w, double h) {
    QImage image = blank;
    QPainter p(&image);
    PlayBlocks(&p, picture, w, h, item, 4, 4, 1.5);
    return image;
  };
  const QImage before = drawn(sst.Get());
  EXPECT_TRUE(SamePixels(drawn(sst.Get()), before, QStringLiteral("tiles-again")));

  // Edited: the sign takes the coal picture.
  sst->SetMetafile(coal->GetMetafile()->Copy().release());
  const QImage edited = drawn(sst.Get());
  EXPECT_NE(edited, before);
  EXPECT_TRUE(
      SamePixels(edited, played(*coal->GetMetafile(), coal->Width(), coal->Height()), QStringLiteral("tiles-edited")));

  // Reloaded: the database is read back from its saved form, where SST has its own picture again.
  TComPtr<IStratDataBase> fresh = DefaultDataBase();
  ASSERT_TRUE(fresh);
  const auto stream = QueryAs<IStratStream>(fresh.Get(), IID_IStratStream);
  std::vector<uint8_t> bytes(static_cast<size_t>(stream->GetSize()));
  ASSERT_EQ(stream->SaveToBuffer(bytes.data(), static_cast<int32_t>(bytes.size())), S_OK);
  ASSERT_EQ(QueryAs<IStratStream>(database.Get(), IID_IStratStream)
                ->LoadFromBuffer(bytes.data(), static_cast<int32_t>(bytes.size())),
            S_OK);
  TComPtr<IStratSign> reloaded = Find(database.Get(), "SST");
  ASSERT_TRUE(reloaded);
  EXPECT_TRUE(SamePixels(drawn(reloaded.Get()), before, QStringLiteral("tiles-reloaded")));
}

TEST(SignTiles, PrintedFilesKeepVectors) {
  TComPtr<IStratDataBase> database = DefaultDataBase();
  ASSERT_TRUE(database);
  TComPtr<IStratSign> sign = Find(database.Get(), "LST");
  ASSERT_TRUE(sign);
  auto printed = [&](const std::function<void(QPainter*)>& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
      QPdfWriter pdf(&buffer);
      pdf.setResolution(300);
      QPainter p(&pdf);
      draw(&p);
    }
    return buffer.data();
  };
  // Dictionaries are not compressed: an image, or a pattern made of one, names itself.
  const QByteArray signs = printed([&](QPainter* p) { sign->Draw(p, Placement("LST", 1, 1, 6, 6), 100, 100, 1.0); });
  EXPECT_FALSE(signs.contains("/Subtype /Image"));
  EXPECT_GT(signs.size(), 1000);
  // The probe itself: an image drawn on the page does show.
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  EXPECT_TRUE(printed([&](QPainter* p) { p->drawImage(0, 0, image); }).contains("/Subtype /Image"));
}

TEST(SignTiles, CacheKeepsToItsBudgetAndForgetsPictures) {
  TComPtr<IStratDataBase> database = DefaultDataBase();
  ASSERT_TRUE(database);
  TComPtr<IStratSign> lst = Find(database.Get(), "LST"), cly = Find(database.Get(), "CLY");
  ASSERT_TRUE(lst && cly);
  const TEmfDocument* a = lst->GetMetafile();
  const TEmfDocument* b = cly->GetMetafile();
  ASSERT_TRUE(a && b);
  QImage target = Blank(QSize(10, 10), 96);
  QPainter p(&target);
  TSignTileCache cache(size_t(1) << 20);
  // A block of 100 x 50 keeps an image of its painted pixels; the same request finds it.
  const TSignBlockImage first = cache.Block(*a, 100, 50, &p);
  ASSERT_TRUE(first.Usable && first.InsideBlock);
  EXPECT_FALSE(first.Image.isNull());
  EXPECT_EQ(cache.Count(), 1u);
  EXPECT_EQ(cache.Block(*a, 100, 50, &p).Image.cacheKey(), first.Image.cacheKey());
  EXPECT_EQ(cache.Tiles(*a, 100, 50, 90, 50, &p).Brush.style(), Qt::NoBrush);  // blocks would overlap
  EXPECT_EQ(cache.Tiles(*a, 100, 50, 120, 60, &p).Brush.textureImage().size(), QSize(120, 60));

  // Many sizes of both pictures: the oldest go, the bytes stay within the budget.
  for (int size = 20; size < 300; size += 10) {
    cache.Block(*a, size, size, &p);
    cache.Block(*b, size, size / 2, &p);
  }
  EXPECT_LE(cache.Bytes(), size_t(1) << 20);
  EXPECT_LT(cache.Count(), 59u);
  EXPECT_GT(cache.Count(), 2u);

  const size_t before = cache.Count();
  cache.Forget(a->Serial());
  EXPECT_LT(cache.Count(), before);
  EXPECT_GT(cache.Count(), 0u);
  cache.Forget(b->Serial());
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Bytes(), 0u);

  // A smaller budget drops entries at once; what is made again is the same image.
  cache.Block(*a, 100, 50, &p);
  cache.SetCapacity(0);
  EXPECT_EQ(cache.Count(), 1u);  // the newest stays: a caller may be drawing from it
  EXPECT_EQ(cache.Block(*a, 100, 50, &p).Image, first.Image);
}
