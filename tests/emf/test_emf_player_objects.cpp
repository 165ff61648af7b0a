// Playback of brushes, clipping, paths, transforms, text and bitmaps: each case names the
// GDI behaviour a wrong player would lose.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstring>

#include "emfTestUtil.h"
#include "uEmfPlayer.h"
#include "uRecordingDevice.h"

namespace {

enum : uint32_t {
  kRectangle = 43,
  kSelect = 37,
  kCreateBrush = 39,
  kSetBkMode = 18,
  kSetBkColor = 25,
  kIntersectClip = 30,
  kExcludeClip = 29,
  kSaveDC = 33,
  kRestoreDC = 34,
  kExtSelectClipRgn = 75,
  kBeginPath = 59,
  kEndPath = 60,
  kFillPath = 62,
  kSelectClipPath = 67,
  kPolygon16 = 86,
  kSetWorldTransform = 35,
  kModifyWorldTransform = 36,
  kSetRop2 = 20,
  kCreateFont = 82,
  kTextOutW = 84,
  kSetTextAlign = 22,
  kSetTextColor = 24,
  kStretchDibits = 81,
  kStock = 0x80000000u,
};

uint32_t P16(int x, int y) { return uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16); }

TEmfBytes& RedBrushNoPen(TEmfBytes& b) {
  return b.Rec(kCreateBrush, {1, 0, Rgb(255, 0, 0), 0}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
}

// EXTCREATEFONTINDIRECTW with a LOGFONTW only.
std::vector<uint8_t> FontBody(uint32_t index, int32_t height, int32_t escapement, int32_t weight,
                              const char16_t* face) {
  std::vector<uint8_t> b;
  Put32(&b, index);
  Put32(&b, uint32_t(height));
  Put32(&b, 0);
  Put32(&b, uint32_t(escapement));
  Put32(&b, uint32_t(escapement));
  Put32(&b, uint32_t(weight));
  Put32(&b, 0);  // italic, underline, strikeout, charset
  Put32(&b, 0);  // precisions, quality, pitch
  for (int i = 0; i < 32; ++i) {
    char16_t c = face[0] ? *face++ : 0;
    b.push_back(uint8_t(c & 0xFF));
    b.push_back(uint8_t(c >> 8));
  }
  return b;
}

// EXTTEXTOUTW at (x, y) without a dx array; nChars may lie about the string's length.
std::vector<uint8_t> TextBody(int x, int y, const std::u16string& text, uint32_t nChars, uint32_t options = 0) {
  std::vector<uint8_t> b;
  for (int i = 0; i < 4; ++i) Put32(&b, 0);  // bounds
  Put32(&b, 1);                              // GM_COMPATIBLE
  Put32(&b, F2U(1));
  Put32(&b, F2U(1));
  Put32(&b, uint32_t(x));
  Put32(&b, uint32_t(y));
  Put32(&b, nChars);
  Put32(&b, 76);  // offString from the record start
  Put32(&b, options);
  for (int i = 0; i < 4; ++i) Put32(&b, 0);  // rcl
  Put32(&b, 0);                              // offDx
  for (char16_t c : text) {
    b.push_back(uint8_t(c & 0xFF));
    b.push_back(uint8_t(c >> 8));
  }
  return b;
}

// STRETCHDIBITS of a DIB (header + palette + bits) onto dest.
std::vector<uint8_t> DibBody(QRect dest, int w, int h, int bpp, uint32_t compression,
                             const std::vector<uint32_t>& table, const std::vector<uint8_t>& bits) {
  std::vector<uint8_t> bmi;
  Put32(&bmi, 40);
  Put32(&bmi, uint32_t(w));
  Put32(&bmi, uint32_t(h));
  bmi.push_back(1);
  bmi.push_back(0);
  bmi.push_back(uint8_t(bpp));
  bmi.push_back(0);
  Put32(&bmi, compression);
  Put32(&bmi, uint32_t(bits.size()));
  Put32(&bmi, 0);
  Put32(&bmi, 0);
  Put32(&bmi, compression == 3 ? 0 : uint32_t(table.size()));
  Put32(&bmi, 0);
  for (uint32_t v : table) Put32(&bmi, v);
  std::vector<uint8_t> b;
  const uint32_t offBmi = 80, offBits = offBmi + uint32_t(bmi.size());
  for (int i = 0; i < 4; ++i) Put32(&b, 0);
  Put32(&b, uint32_t(dest.x()));
  Put32(&b, uint32_t(dest.y()));
  Put32(&b, 0);
  Put32(&b, 0);
  Put32(&b, uint32_t(w));
  Put32(&b, uint32_t(std::abs(h)));
  Put32(&b, offBmi);
  Put32(&b, uint32_t(bmi.size()));
  Put32(&b, offBits);
  Put32(&b, uint32_t(bits.size()));
  Put32(&b, 0);           // DIB_RGB_COLORS
  Put32(&b, 0x00CC0020);  // SRCCOPY
  Put32(&b, uint32_t(dest.width()));
  Put32(&b, uint32_t(dest.height()));
  b.insert(b.end(), bmi.begin(), bmi.end());
  b.insert(b.end(), bits.begin(), bits.end());
  return b;
}

}  // namespace

// Hatched brushes paint their background only in OPAQUE mode, in the background colour.
TEST(EmfPlayerObjects, HatchBackgroundFollowsBkMode) {
  TEmfBytes b(100, 50);
  b.Rec(kCreateBrush, {1, 2, Rgb(0, 0, 0), 4})  // HS_CROSS
      .Rec(kSelect, {1})
      .Rec(kSelect, {kStock | 8})
      .Rec(kSetBkColor, {Rgb(0, 255, 0)})
      .Rec(kSetBkMode, {2})
      .Rec(kRectangle, {0, 0, 50, 50})
      .Rec(kSetBkMode, {1})
      .Rec(kRectangle, {50, 0, 100, 50});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 50);
  img.save(OutputDir() + "/hatch-bk.png");
  double green = Coverage(img, QRect(2, 2, 46, 46), Qt::green, 10);
  double black = Coverage(img, QRect(2, 2, 46, 46), Qt::black, 10);
  EXPECT_GT(green, 0.5);
  EXPECT_GT(black, 0.1);
  EXPECT_NEAR(green + black, 1.0, 0.02);
  EXPECT_EQ(Coverage(img, QRect(52, 2, 46, 46), Qt::green, 10), 0);
  EXPECT_GT(Coverage(img, QRect(52, 2, 46, 46), Qt::white, 10), 0.5);
  EXPECT_GT(Coverage(img, QRect(52, 2, 46, 46), Qt::black, 10), 0.1);
}

// Clip rectangles intersect and exclude; RESTOREDC brings the earlier clip back and a
// region reset removes it.
TEST(EmfPlayerObjects, ClippingRecords) {
  TEmfBytes b(100, 100);
  RedBrushNoPen(b)
      .Rec(kSaveDC, {})
      .Rec(kIntersectClip, {10, 10, 60, 60})
      .Rec(kExcludeClip, {20, 20, 40, 40})
      .Rec(kRectangle, {0, 0, 100, 100})
      .Rec(kRestoreDC, {uint32_t(-1)})
      .Rec(kIntersectClip, {70, 70, 90, 90})
      .Rec(kSelect, {kStock | 4})
      .Rec(kRectangle, {60, 60, 100, 100})
      .Rec(kExtSelectClipRgn, {0, 5})  // RGN_COPY without data: no clip
      .Rec(kRectangle, {0, 90, 10, 100});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  img.save(OutputDir() + "/clip.png");
  EXPECT_GT(Coverage(img, QRect(11, 11, 8, 48), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(21, 21, 18, 18), Qt::white), 0.99) << "excluded rectangle painted";
  EXPECT_GT(Coverage(img, QRect(0, 0, 100, 9), Qt::white), 0.99) << "outside the clip painted";
  EXPECT_GT(Coverage(img, QRect(71, 71, 18, 18), Qt::black), 0.99);
  EXPECT_GT(Coverage(img, QRect(61, 61, 8, 8), Qt::white), 0.99) << "restored clip lost";
  EXPECT_GT(Coverage(img, QRect(1, 91, 8, 8), Qt::black), 0.99) << "clip reset ignored";
}

// A path filled, and a path made the clip.
TEST(EmfPlayerObjects, PathsFillAndClip) {
  TEmfBytes b(100, 100);
  RedBrushNoPen(b)
      .Rec(kBeginPath, {})
      .Rec(kPolygon16, {0, 0, 0, 0, 3, P16(10, 10), P16(40, 10), P16(10, 40)})
      .Rec(kEndPath, {})
      .Rec(kFillPath, {0, 0, 0, 0})
      .Rec(kBeginPath, {})
      .Rec(kPolygon16, {0, 0, 0, 0, 4, P16(50, 50), P16(90, 50), P16(90, 90), P16(50, 90)})
      .Rec(kEndPath, {})
      .Rec(kSelectClipPath, {5})
      .Rec(kSelect, {kStock | 4})
      .Rec(kRectangle, {0, 0, 100, 100});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  EXPECT_GT(Coverage(img, QRect(12, 12, 10, 10), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(30, 30, 8, 8), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(52, 52, 36, 36), Qt::black), 0.99);
  EXPECT_GT(Coverage(img, QRect(0, 60, 45, 40), Qt::white), 0.99);
}

// World transforms: set, then multiplied on the left (applied first).
TEST(EmfPlayerObjects, WorldTransforms) {
  TEmfBytes b(100, 100);
  RedBrushNoPen(b)
      .Rec(kSetWorldTransform, {F2U(2), 0, 0, F2U(2), F2U(0), F2U(0)})
      .Rec(kModifyWorldTransform, {F2U(1), 0, 0, F2U(1), F2U(10), F2U(5), 2})  // translate first
      .Rec(kRectangle, {0, 0, 10, 10});                                        // -> (20,10)-(40,30)
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 100, 100);
  EXPECT_GT(Coverage(img, QRect(22, 12, 16, 16), Qt::red), 0.99);
  EXPECT_GT(Coverage(img, QRect(0, 0, 18, 100), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(42, 0, 58, 100), Qt::white), 0.99);
}

// R2_NOT inverts what is below instead of painting the brush.
TEST(EmfPlayerObjects, Rop2Inverts) {
  TEmfBytes b(40, 40);
  b.Rec(kSelect, {kStock | 4}).Rec(kSelect, {kStock | 8}).Rec(kRectangle, {0, 0, 20, 40});
  b.Rec(kSetRop2, {6}).Rec(kSelect, {kStock | 0}).Rec(kRectangle, {10, 0, 30, 40});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  QImage img = Render(*doc, 40, 40);
  EXPECT_GT(Coverage(img, QRect(1, 1, 8, 38), Qt::black), 0.99);
  EXPECT_GT(Coverage(img, QRect(11, 1, 8, 38), Qt::white), 0.99);
  EXPECT_GT(Coverage(img, QRect(21, 1, 8, 38), Qt::black), 0.99);
  EXPECT_GT(Coverage(img, QRect(31, 1, 8, 8), Qt::white), 0.99);
}

// Fonts map to installed metric-compatible faces; height, escapement, weight, alignment and
// colour reach the painter. Seen through the recording paint device.
TEST(EmfPlayerObjects, TextFontAndAlignment) {
  TEmfBytes b(400, 400);
  b.RecBytes(kCreateFont, FontBody(1, -40, 900, 700, u"Arial"))
      .Rec(kSelect, {1})
      .Rec(kSetTextColor, {Rgb(0, 0, 255)})
      .Rec(kSetBkMode, {1})
      .Rec(kSetTextAlign, {24})  // TA_BASELINE
      .RecBytes(kTextOutW, TextBody(100, 300, u"Clay", 4))
      .RecBytes(kCreateFont, FontBody(2, -30, 0, 400, u"Times New Roman"))
      .Rec(kSelect, {2})
      .Rec(kSetTextAlign, {6})  // TA_CENTER | TA_TOP
      .RecBytes(kTextOutW, TextBody(200, 50, u"Marl", 4))
      .RecBytes(kCreateFont, FontBody(3, -30, 0, 400, u"No Such Face 123"))
      .Rec(kSelect, {3})
      .Rec(kSetTextAlign, {24})
      .RecBytes(kTextOutW, TextBody(200, 200, u"Silt", 4));
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  TRecordingDevice dev(QSize(400, 400), 96);
  {
    QPainter p(&dev);
    EXPECT_TRUE(PlayEmf(&p, *doc, QRectF(0, 0, 400, 400)));
  }
  const TRecordedItem* clay = dev.FindText("Clay");
  ASSERT_NE(clay, nullptr) << dev.Dump();
  EXPECT_EQ(clay->FontFamily, "Liberation Sans");
  EXPECT_NEAR(clay->FontDevicePixels, 40, 1);
  EXPECT_NEAR(clay->Angle, -90, 0.5);  // escapement 90 degrees: reads upwards
  EXPECT_GE(clay->FontWeight, 700);
  EXPECT_EQ(clay->State.PenColor, QColor(0, 0, 255));
  EXPECT_NEAR(clay->Baseline.x(), 100, 1);
  EXPECT_NEAR(clay->Baseline.y(), 300, 1);

  const TRecordedItem* marl = dev.FindText("Marl");
  ASSERT_NE(marl, nullptr) << dev.Dump();
  EXPECT_EQ(marl->FontFamily, "Liberation Serif");
  EXPECT_NEAR(marl->Baseline.x() + marl->TextWidth / 2, 200, 1.5);  // centred
  EXPECT_NEAR(marl->Baseline.y() - marl->Ascent, 50, 1.5);          // top-aligned

  const TRecordedItem* silt = dev.FindText("Silt");
  ASSERT_NE(silt, nullptr) << dev.Dump();
  EXPECT_EQ(silt->FontFamily, "DejaVu Sans");
}

// A string count beyond the record stops playback rather than reading past it.
TEST(EmfPlayerObjects, TextLengthBeyondRecordStops) {
  TEmfBytes b(100, 100);
  b.RecBytes(kTextOutW, TextBody(10, 50, u"ab", 100000)).Rec(kSelect, {kStock | 4}).Rec(kRectangle, {0, 0, 100, 100});
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  bool ok = true;
  QImage img = Render(*doc, 100, 100, false, &ok);
  EXPECT_FALSE(ok);
  EXPECT_GT(Coverage(img, img.rect(), Qt::white), 0.99);
}

// Bitmaps of each depth decode with their palette, masks and row order.
TEST(EmfPlayerObjects, DibDepthsAndOrientation) {
  // 2 x 2 images: top row red/green, bottom row blue/white (as displayed).
  TEmfBytes b(80, 40);
  // 1 bpp bottom-up, palette black/white: displayed top row black, white; bottom white, black.
  b.RecBytes(kStretchDibits,
             DibBody(QRect(0, 0, 20, 20), 2, 2, 1, 0, {0x000000, 0xFFFFFF}, {0x80, 0, 0, 0, 0x40, 0, 0, 0}));
  // 8 bpp top-down with a palette.
  b.RecBytes(kStretchDibits, DibBody(QRect(20, 0, 20, 20), 2, -2, 8, 0, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                                     {0, 1, 0, 0, 2, 3, 0, 0}));
  // 24 bpp bottom-up: rows stored bottom first, BGR.
  b.RecBytes(kStretchDibits, DibBody(QRect(40, 0, 20, 20), 2, 2, 24, 0, {},
                                     {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}));
  // 16 bpp 5-6-5 bit fields, top-down.
  auto px = [](int r, int g, int bl) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (bl >> 3)); };
  std::vector<uint8_t> bits16;
  for (uint16_t v : {px(255, 0, 0), px(0, 255, 0), px(0, 0, 255), px(255, 255, 255)}) {
    bits16.push_back(uint8_t(v));
    bits16.push_back(uint8_t(v >> 8));
  }
  b.RecBytes(kStretchDibits, DibBody(QRect(60, 0, 20, 20), 2, -2, 16, 3, {0xF800, 0x07E0, 0x001F}, bits16));
  // Damaged: bits claimed beyond the record, and absurd dimensions: skipped.
  std::vector<uint8_t> bad = DibBody(QRect(0, 20, 80, 20), 2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0));
  uint32_t huge = 0x7FFFFFF0;
  std::memcpy(&bad[60 - 8], &huge, 4);  // cbBitsSrc
  b.RecBytes(kStretchDibits, bad);
  std::vector<uint8_t> wide = DibBody(QRect(0, 20, 80, 20), 1000000, 1000000, 1, 0, {0, 0xFFFFFF}, {0, 0, 0, 0});
  b.RecBytes(kStretchDibits, wide);
  auto doc = b.Document();
  ASSERT_TRUE(doc);
  bool ok = false;
  QImage img = Render(*doc, 80, 40, false, &ok);
  EXPECT_TRUE(ok);
  img.save(OutputDir() + "/dibs.png");
  auto at = [&](int x, int y) { return img.pixelColor(x, y); };
  EXPECT_EQ(at(5, 5), QColor(Qt::black));
  EXPECT_EQ(at(15, 5), QColor(Qt::white));
  EXPECT_EQ(at(5, 15), QColor(Qt::white));
  EXPECT_EQ(at(15, 15), QColor(Qt::black));
  for (int x0 : {20, 40, 60}) {
    EXPECT_GT(Coverage(img, QRect(x0 + 2, 2, 6, 6), Qt::red, 10), 0.99) << x0;
    EXPECT_GT(Coverage(img, QRect(x0 + 12, 2, 6, 6), Qt::green, 10), 0.99) << x0;
    EXPECT_GT(Coverage(img, QRect(x0 + 2, 12, 6, 6), Qt::blue, 10), 0.99) << x0;
    EXPECT_GT(Coverage(img, QRect(x0 + 12, 12, 6, 6), Qt::white, 10), 0.99) << x0;
  }
  EXPECT_GT(Coverage(img, QRect(0, 21, 80, 19), Qt::white), 0.99);
}

// HS_FDIAGONAL runs downwards left to right ("\"), HS_BDIAGONAL upwards ("/").
TEST(EmfPlayerObjects, DiagonalHatchDirections) {
  for (uint32_t hatch : {2u, 3u}) {
    TEmfBytes b(40, 40);
    b.Rec(kCreateBrush, {1, 2, Rgb(0, 0, 0), hatch}).Rec(kSelect, {1}).Rec(kSelect, {kStock | 8});
    b.Rec(kSetBkMode, {1}).Rec(kRectangle, {0, 0, 40, 40});
    auto doc = b.Document();
    ASSERT_TRUE(doc);
    QImage img = Render(*doc, 40, 40);
    int set = 0, along = 0;
    int dx = hatch == 2 ? 1 : -1;
    for (int y = 5; y < 30; ++y)
      for (int x = 5; x < 30; ++x)
        if (qGray(img.pixel(x, y)) < 128) {
          ++set;
          if (qGray(img.pixel(x + dx, y + 1)) < 128) ++along;
        }
    ASSERT_GT(set, 20) << hatch;
    EXPECT_GT(double(along) / set, 0.9) << "hatch " << hatch << " runs the wrong way";
  }
}
