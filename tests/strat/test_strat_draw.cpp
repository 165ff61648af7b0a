// Drawing of signs, fields and list rows, checked by geometry on a recording device.
#include <gtest/gtest.h>

#include <QFile>

#include "uEmfPlayer.h"
#include "uRecordingDevice.h"
#include "uTestStrat.h"

using namespace teststrat;

namespace {

// The test pictures are one rectangle over their whole frame, so each played
// block shows up as one filled shape (the player's fill pass) with the block's bounds.
std::vector<QRectF> Blocks(const TRecordingDevice& device) {
  std::vector<QRectF> blocks;
  for (const TRecordedItem& item : device.Items())
    if (item.Kind == TRecordKind::Path && item.State.BrushStyle != Qt::NoBrush) blocks.push_back(item.Rect);
  return blocks;
}

TStratPlacement Placement(const char* name, double offset, double space, int32_t cx, int32_t cy, int32_t flags = 1) {
  TStratPlacement item = DefaultPlacement(name);
  item.OffsetX = item.OffsetY = offset;
  item.SpaceX = item.SpaceY = space;
  item.CountX = cx;
  item.CountY = cy;
  item.Flags = flags;
  return item;
}

// Within half a pixel on each edge (the rectangle's pen straddles its outline).
::testing::AssertionResult Near(const QRectF& got, const QRectF& want) {
  const double tolerance = 1.0;
  if (std::abs(got.left() - want.left()) <= tolerance && std::abs(got.top() - want.top()) <= tolerance &&
      std::abs(got.right() - want.right()) <= tolerance && std::abs(got.bottom() - want.bottom()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.left() << ", " << got.top() << ", " << got.right() << ", "
                                       << got.bottom() << "), want (" << want.left() << ", " << want.top() << ", "
                                       << want.right() << ", " << want.bottom() << ")";
}

}  // namespace

TEST(StratDraw, BlockLayoutAt254Dpi) {
  auto sign = MakeSign("SST", 1000, 500);  // 10 mm x 5 mm
  TRecordingDevice device(QSize(1000, 1000), 254);
  {
    QPainter painter(&device);
    sign->Draw(&painter, Placement("SST", 1, 5, 2, 1), 0, 0, 1.0);
  }
  const std::vector<QRectF> blocks = Blocks(device);
  ASSERT_EQ(blocks.size(), 2u) << device.Dump();
  EXPECT_TRUE(Near(blocks[0], QRectF(QPointF(10, 10), QPointF(110, 60))));
  EXPECT_TRUE(Near(blocks[1], QRectF(QPointF(160, 10), QPointF(260, 60))));
}

// Every size is rounded on its own, halves to the even neighbour: 102.5 -> 102, 2.5 -> 2, 7.5 -> 8.
TEST(StratDraw, BlockSizesRoundHalvesToEven) {
  auto sign = MakeSign("SST", 1025, 500);
  TRecordingDevice device(QSize(1000, 1000), 254);
  {
    QPainter painter(&device);
    TStratPlacement item = Placement("SST", 0.25, 0.75, 2, 2);
    item.OffsetY = 0.0;
    sign->Draw(&painter, item, 3, 4, 1.0);
  }
  const std::vector<QRectF> blocks = Blocks(device);
  ASSERT_EQ(blocks.size(), 4u) << device.Dump();
  // Rows outer, columns inner.
  EXPECT_TRUE(Near(blocks[0], QRectF(3 + 2, 4, 102, 50)));
  EXPECT_TRUE(Near(blocks[1], QRectF(3 + 2 + 102 + 8, 4, 102, 50)));
  EXPECT_TRUE(Near(blocks[2], QRectF(3 + 2, 4 + 50 + 8, 102, 50)));
  // Scale multiplies the pixels per millimetre.
  device.Clear();
  {
    QPainter painter(&device);
    sign->Draw(&painter, Placement("SST", 0, 0, 1, 1), 0, 0, 2.0);
  }
  ASSERT_EQ(Blocks(device).size(), 1u);
  EXPECT_TRUE(Near(Blocks(device)[0], QRectF(0, 0, 205, 100)));
}

TEST(StratDraw, ImpossibleArgumentsDrawNothing) {
  auto sign = MakeSign("SST");
  TComPtr<IStratSign> bare;
  stratCreateSign(bare.Put());
  TRecordingDevice device(QSize(500, 500), 254);
  {
    QPainter painter(&device);
    sign->Draw(&painter, Placement("SST", 1, 5, 2, 1), 0, 0, 0.0);
    sign->Draw(&painter, Placement("SST", 1, 5, 2, 1), 0, 0, -1.0);
    sign->Draw(&painter, Placement("SST", 1, 5, 0, 3), 0, 0, 1.0);
    sign->Draw(&painter, Placement("SST", 1, 5, 3, -1), 0, 0, 1.0);
    bare->Draw(&painter, Placement("SST", 1, 5, 2, 1), 0, 0, 1.0);
    sign->Draw(nullptr, Placement("SST", 1, 5, 2, 1), 0, 0, 1.0);
  }
  EXPECT_TRUE(device.Items().empty()) << device.Dump();
}

// A damaged or careless count must not stall drawing: only blocks near the device are played.
TEST(StratDraw, HugeCountsDrawOnlyWhatTheDeviceShows) {
  auto sign = MakeSign("SST", 1000, 500);
  TRecordingDevice device(QSize(600, 300), 254);
  {
    QPainter painter(&device);
    sign->Draw(&painter, Placement("SST", 0, 0, 2000000000, 2000000000), -250, -75, 1.0);
  }
  const std::vector<QRectF> blocks = Blocks(device);
  ASSERT_FALSE(blocks.empty());
  EXPECT_LT(blocks.size(), 200u);
  // The block covering the device's origin is there, at its exact place.
  bool origin = false;
  for (const QRectF& b : blocks) origin |= Near(b, QRectF(-50, -25, 100, 50));
  EXPECT_TRUE(origin) << device.Dump();
}

// A device without a size (a picture being recorded, a generator given none) gives no area
// to cull by: the clip bounds the blocks, and without a clip a hard cap does. Damaged counts
// once looped here for some 2^62 blocks.
TEST(StratDraw, DeviceWithoutSizeIsBoundedByClipOrCap) {
  auto sign = MakeSign("SST", 1000, 500);  // 100 x 50 px at 254 dpi
  const TStratPlacement huge = Placement("SST", 0, 0, 2000000000, 2000000000);
  TRecordingDevice device(QSize(600, 300), 254);
  {
    QPainter painter(&device);
    device.SetSize(QSize(0, 0));
    painter.setClipRect(QRect(150, 100, 300, 100));
    sign->Draw(&painter, huge, 0, 0, 1.0);
  }
  std::vector<QRectF> blocks = Blocks(device);
  ASSERT_FALSE(blocks.empty());
  EXPECT_LT(blocks.size(), 60u);
  bool inside = false;
  for (const QRectF& b : blocks) inside |= Near(b, QRectF(200, 150, 100, 50));
  EXPECT_TRUE(inside) << device.Dump();

  device.Clear();
  {
    QPainter painter(&device);
    device.SetSize(QSize(0, 0));
    sign->Draw(&painter, huge, 0, 0, 1.0);
  }
  blocks = Blocks(device);
  EXPECT_EQ(blocks.size(), 65536u);
  // Rows outer, columns inner: the cap is reached within the first row.
  EXPECT_TRUE(Near(blocks.back(), QRectF(65535 * 100, 0, 100, 50)));
}

TEST(StratDraw, FieldDrawsLastItemFirstAndByPass) {
  // Three signs of different widths tell the items apart.
  TComPtr<IStratDataBase> database;
  stratCreateDataBase(database.Put());
  for (auto [name, width] : {std::pair{"A", 1000}, std::pair{"B", 2000}, std::pair{"C", 3000}})
    database->AddSign(QueryAs<IStratStream>(MakeSign(name, width, 500).Get(), IID_IStratStream).Get(), false);
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  for (const char* name : {"a", "B", "C", "MISSING"}) field->Add(MakeShortString(name));
  field->SetItem(0, Placement("a", 0, 0, 1, 1, 1));
  field->SetItem(1, Placement("B", 0, 0, 1, 1, 0));
  field->SetItem(2, Placement("C", 0, 0, 1, 1, 3));  // bits beyond bit 0 do not matter

  TRecordingDevice device(QSize(1000, 1000), 254);
  {
    QPainter painter(&device);
    EXPECT_EQ(field->Draw(&painter, 0, 0, 1, 1.0, database.Get()), S_OK);
  }
  std::vector<QRectF> blocks = Blocks(device);
  ASSERT_EQ(blocks.size(), 2u) << device.Dump();
  EXPECT_NEAR(blocks[0].width(), 300, 1);  // item 2 first
  EXPECT_NEAR(blocks[1].width(), 100, 1);  // item 0 last, on top

  device.Clear();
  {
    QPainter painter(&device);
    EXPECT_EQ(field->Draw(&painter, 0, 0, 0, 1.0, database.Get()), S_OK);
    EXPECT_EQ(field->Draw(&painter, 0, 0, 0, 0.0, database.Get()), E_INVALIDARG);
    EXPECT_EQ(field->Draw(&painter, 0, 0, 0, 1.0, nullptr), E_INVALIDARG);
  }
  blocks = Blocks(device);
  ASSERT_EQ(blocks.size(), 1u) << device.Dump();
  EXPECT_NEAR(blocks[0].width(), 200, 1);
}

TEST(StratDraw, ListItemIconAndName) {
  auto database = MakeDataBase({"SST"});
  TRecordingDevice device(QSize(200, 100), 96);
  {
    QPainter painter(&device);
    painter.setBrush(QColor(0, 0, 255));
    painter.setPen(QColor(0, 128, 0));
    EXPECT_EQ(stratDrawListItem(&painter, database.Get(), TRect{0, 0, 100, 20}, MakeShortString("sst"), false), S_OK);
  }
  // The row is filled with the current brush, then the icon square is filled and the picture played into it.
  ASSERT_NE(device.FindRect(QRectF(0, 0, 100, 20)), nullptr) << device.Dump();
  const TRecordedItem* square = device.FindRect(QRectF(0, 0, 20, 20));
  ASSERT_NE(square, nullptr) << device.Dump();
  EXPECT_EQ(square->State.BrushColor, QColor(0, 0, 255));
  const TRecordedItem* text = device.FindText("sst");
  ASSERT_NE(text, nullptr) << device.Dump();
  EXPECT_NEAR(text->Baseline.x(), 22, 1);  // label box (22, 0, 99, 20), left aligned
  EXPECT_GT(text->Baseline.y() - text->Ascent, -1);
  EXPECT_LT(text->Baseline.y() + text->Descent, 21);
  EXPECT_NEAR((text->Baseline.y() - text->Ascent + text->Baseline.y() + text->Descent) / 2, 10, 1.5);
  EXPECT_EQ(text->State.PenColor, QColor(0, 128, 0));  // the current text colour
  EXPECT_EQ(text->State.BackgroundMode, Qt::TransparentMode);
}

TEST(StratDraw, ListItemOfAnUnknownNameIsRedText) {
  auto database = MakeDataBase({"SST"});
  TRecordingDevice device(QSize(200, 100), 96);
  {
    QPainter painter(&device);
    painter.setPen(QColor(0, 128, 0));
    EXPECT_EQ(stratDrawListItem(&painter, database.Get(), TRect{0, 0, 100, 20}, MakeShortString("XYZ"), true), S_OK);
    EXPECT_EQ(painter.pen().color(), QColor(0, 128, 0));  // the text colour is restored
    EXPECT_EQ(stratDrawListItem(&painter, database.Get(), TRect{0, 0, 100, 20}, TShortString{}, true), S_OK);
    EXPECT_EQ(stratDrawListItem(&painter, nullptr, TRect{0, 0, 100, 20}, MakeShortString("SST"), false), E_INVALIDARG);
  }
  ASSERT_EQ(device.Items().size(), 1u) << device.Dump();
  const TRecordedItem* text = device.FindText("XYZ");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->State.PenColor, QColor(255, 0, 0));
  EXPECT_NEAR(text->Baseline.x(), 1, 1);  // inside the row shrunk by one pixel
}

TEST(StratDraw, IconFillsUnlessTransparent) {
  auto sign = MakeSign("SST");
  TRecordingDevice device(QSize(200, 100), 96);
  {
    QPainter painter(&device);
    EXPECT_FALSE(stratDrawIcon(&painter, TRect{0, 0, 30, 30}, nullptr, false));
    EXPECT_TRUE(stratDrawIcon(&painter, TRect{10, 10, 40, 25}, sign.Get(), true));
  }
  // Only the played picture, stretched to the rectangle: no fill of the icon first.
  EXPECT_EQ(device.Count(TRecordKind::Rect), 0u) << device.Dump();
  ASSERT_EQ(Blocks(device).size(), 1u) << device.Dump();
  EXPECT_TRUE(Near(Blocks(device)[0], QRectF(10, 10, 30, 15)));
}
