// What a record's count or size may make the player hold: saved states, object slots, path
// growth and bitmap sizes stay bounded whatever a damaged file claims.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QRegion>
#include <cstring>

#include "emfTestUtil.h"
#include "uEmfDib.h"
#include "uEmfPlayer.h"
#include "uEmfPlayerState.h"

namespace {

enum : uint32_t {
  kRectangle = 43,
  kSelect = 37,
  kCreateBrush = 39,
  kSaveDC = 33,
  kRestoreDC = 34,
  kBeginPath = 59,
  kEndPath = 60,
  kFillPath = 62,
  kWidenPath = 66,
  kCreatePen = 38,
  kExtSelectClipRgn = 75,
  kStock = 0x80000000u,
};

// A header claiming `handles` object slots (the count sits in the low half of word 14).
std::vector<uint8_t> WithHandles(std::vector<uint8_t> bytes, uint16_t handles) {
  std::memcpy(&bytes[56], &handles, 2);
  return bytes;
}

}  // namespace

// A file of bare SAVEDC records must not copy the DC without end: playback stops at the bound
// and what came before stays drawn; nesting up to the bound plays through.
TEST(EmfPlayerLimits, SavedStatesAreBounded) {
  const size_t bound = emf::TEmfPlayerState::kMaxSavedStates;
  TEmfBytes flood(100, 100);
  flood.Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
  flood.Rec(kRectangle, {0, 0, 50, 100});
  for (size_t i = 0; i < bound + 1; ++i) flood.Rec(kSaveDC, {});
  flood.Rec(kRectangle, {50, 0, 100, 100});  // beyond the bound: not played
  auto doc = flood.Document();
  ASSERT_TRUE(doc);
  bool ok = true;
  QImage img = Render(*doc, 100, 100, false, &ok);
  EXPECT_FALSE(ok);
  EXPECT_GT(Coverage(img, QRect(2, 2, 46, 96), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(52, 2, 46, 96), Qt::white), 0.99);

  TEmfBytes deep(100, 100);
  deep.Rec(kCreateBrush, {1, 0, Rgb(0, 0, 255), 0}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
  for (size_t i = 0; i < bound; ++i) deep.Rec(kSaveDC, {});
  deep.Rec(kSelect, {kStock | 4});                              // BLACK_BRUSH inside the nesting
  deep.Rec(kRestoreDC, {1}).Rec(kRectangle, {0, 0, 100, 100});  // the outermost state: blue
  doc = deep.Document();
  ASSERT_TRUE(doc);
  img = Render(*doc, 100, 100, false, &ok);
  EXPECT_TRUE(ok);
  EXPECT_GT(Coverage(img, QRect(2, 2, 96, 96), Qt::blue), 0.99);

  // The same flood kept as a file (it seeds the fuzzer too).
  auto file = TEmfDocument::FromFile(QString(KERNO_TEST_DATA) + "/emf/savedc-flood.emf");
  ASSERT_TRUE(file);
  Render(*file, 64, 64, false, &ok);
  EXPECT_FALSE(ok);
}

// The header may claim 65535 object slots; the last of them works, the next is ignored.
TEST(EmfPlayerLimits, ObjectTableKeepsTheHeadersBounds) {
  TEmfBytes b(100, 100);
  b.Rec(kCreateBrush, {65534, 0, Rgb(0, 160, 0), 0})
      .Rec(kCreateBrush, {65535, 0, Rgb(255, 0, 0), 0})
      .Rec(kSelect, {kStock | 8})
      .Rec(kSelect, {65534})
      .Rec(kSelect, {65535})
      .Rec(kRectangle, {0, 0, 100, 100});
  std::vector<uint8_t> bytes = WithHandles(b.Finish(), 65535);
  auto doc = TEmfDocument::FromBytes(bytes.data(), bytes.size());
  ASSERT_TRUE(doc);
  bool ok = false;
  QImage img = Render(*doc, 100, 100, false, &ok);
  EXPECT_TRUE(ok);
  EXPECT_GT(Coverage(img, QRect(2, 2, 96, 96), QColor(0, 160, 0)), 0.99);
}

// Each WIDENPATH replaces the path by its outline; a run of them must not multiply it without end.
TEST(EmfPlayerLimits, RepeatedWideningStaysBounded) {
  TEmfBytes b(100, 100);
  b.Rec(kCreatePen, {1, 0, 4, 0, Rgb(0, 0, 0)})
      .Rec(kSelect, {1})
      .Rec(kSelect, {kStock | 4})  // BLACK_BRUSH
      .Rec(kBeginPath, {})
      .Rec(kRectangle, {20, 20, 80, 80})
      .Rec(kEndPath, {});
  for (int i = 0; i < 40; ++i) b.Rec(kWidenPath, {});
  b.Rec(kFillPath, {0, 0, 100, 100});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  bool ok = false;
  QImage img = Render(*doc, 100, 100, false, &ok);
  EXPECT_TRUE(ok);
  EXPECT_GT(Coverage(img, img.rect(), Qt::black), 0.2);  // the rings of the widened outline
}

// Clip arithmetic costs about the product of the operands' sizes: two regions of 1,000 stripes
// each (16 KB a record) once took hours. The larger operand now gives way to its bounds, so
// the horizontal stripes still clip exactly.
TEST(EmfPlayerLimits, ClipArithmeticStaysBounded) {
  auto stripes = [](bool vertical, uint32_t mode) {
    const uint32_t n = 1000;
    std::vector<uint8_t> body;
    for (uint32_t v : {32 + 16 * n, mode, 32u, 1u, n, 16 * n, 0u, 0u, 0u, 0u}) Put32(&body, v);
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t a = i * 2, b = i * 2 + 1;  // one pixel in two
      const uint32_t rect[4] = {vertical ? a : 0, vertical ? 0 : a, vertical ? b : 100000, vertical ? 100000 : b};
      for (uint32_t v : rect) Put32(&body, v);
    }
    return body;
  };
  for (uint32_t mode : {1u, 3u}) {  // RGN_AND, RGN_XOR
    TEmfBytes b(100, 100);
    b.Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
    b.RecBytes(kExtSelectClipRgn, stripes(true, 5)).RecBytes(kExtSelectClipRgn, stripes(false, mode));
    b.Rec(kRectangle, {0, 0, 100, 100});
    auto doc = b.Document();
    ASSERT_TRUE(doc);
    bool ok = false;
    QImage img = Render(*doc, 100, 100, false, &ok);
    EXPECT_TRUE(ok) << mode;
    if (mode == 1) {
      EXPECT_GT(Coverage(img, QRect(0, 10, 100, 1), Qt::red), 0.99);
      EXPECT_GT(Coverage(img, QRect(0, 11, 100, 1), Qt::white), 0.99);
    }
  }

  // The painter's own clip of 300 stripes against the picture's 1,000: the painter's is kept
  // exactly, the picture's gives way.
  TEmfBytes b(100, 100);
  b.Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
  b.RecBytes(kExtSelectClipRgn, stripes(false, 5)).Rec(kRectangle, {0, 0, 100, 100});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QRegion columns;
  for (int x = 0; x < 600; x += 2) columns += QRect(x, 0, 1, 2000);  // across every row stripe
  QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setClipRegion(columns);
  EXPECT_TRUE(PlayEmf(&p, *doc, QRectF(0, 0, 100, 100)));
  p.end();
  EXPECT_GT(Coverage(img, QRect(10, 0, 1, 100), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(11, 0, 1, 100), Qt::white), 0.99);
}

// Pixel counts are worked out in 64 bits before anything is converted: an image past what
// readers take is not written (its byte count once overflowed int), and the recorder's fitting
// brings any image under that bound with its proportions.
TEST(EmfPlayerLimits, DibSizesAreCheckedIn64Bits) {
  std::vector<uint8_t> header(1, 1), bits(1, 1);
  QImage big(8192, 4097, QImage::Format_Mono);  // 33.6 M pixels in 4 MB
  EXPECT_FALSE(emf::EncodeDib32(big, false, &header, &bits));
  EXPECT_TRUE(header.empty() && bits.empty());
  QImage fitted = emf::FitDibPixels(big);
  EXPECT_LE(int64_t(fitted.width()) * fitted.height(), emf::kMaxDibPixels);
  EXPECT_GT(int64_t(fitted.width()) * fitted.height(), emf::kMaxDibPixels * 99 / 100);
  EXPECT_NEAR(double(fitted.width()) / fitted.height(), 8192.0 / 4097, 0.01);
  QImage strip(40000000, 1, QImage::Format_Mono);
  fitted = emf::FitDibPixels(strip);
  EXPECT_EQ(fitted.height(), 1);
  EXPECT_EQ(fitted.width(), emf::kMaxDibPixels);

  QImage small(3, 2, QImage::Format_RGB32);
  small.fill(QColor(10, 20, 30));
  ASSERT_TRUE(emf::EncodeDib32(small, false, &header, &bits));
  ASSERT_EQ(header.size(), 40u);
  uint32_t sizeField = 0;
  std::memcpy(&sizeField, &header[20], 4);
  EXPECT_EQ(sizeField, 24u);
  EXPECT_EQ(bits.size(), 24u);
  EXPECT_EQ(bits[0], 30);  // blue first
}
