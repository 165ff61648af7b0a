// Layers of the lithology column: their signs as stored (names, placements,
// the 100-sign limit, damaged counts), sign insertion, splitting, and the two
// drawing passes (cut signs stay inside the layer, open ones may leave it).
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <limits>

#include "qs.h"
#include "qsID.h"
#include "uMemoryStream.h"
#include "uNewQS.h"
#include "uStratColTestEnv.h"

namespace {

TStratPlacement Placement(const TStratColEntry& e, int i) {
  TStratPlacement item{};
  EXPECT_EQ(e.GetPlacement(i, &item), S_OK);
  return item;
}

int Painted(const QImage& image, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) != qRgb(255, 255, 255);
  return n;
}

}  // namespace

using StratColEntryTest = TStratColTest;

TEST_F(StratColEntryTest, SignsKeepTheirPlacementsThroughTheStream) {
  TStratColEntry layer;
  layer.AddSignName(QStringLiteral("sand"));
  layer.AddSignName(QStringLiteral("Глина"));
  TStratPlacement p = Placement(layer, 1);
  p.OffsetX = 2.5, p.OffsetY = 0.4, p.SpaceX = 7, p.SpaceY = 3.2, p.CountX = 4, p.CountY = 9, p.Flags = 0;
  ASSERT_EQ(layer.SetPlacement(1, p), S_OK);
  layer.SetTopLine({3, 0x0000FF, 0.6});
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(layer.SaveToQS(s.Get()));

  TStratColEntry back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  ASSERT_EQ(back.SignCount(), 2);
  EXPECT_EQ(back.SignNames(), (QStringList{"sand", "Глина"}));
  const TStratPlacement q = Placement(back, 1);
  EXPECT_EQ(q.OffsetX, 2.5);
  EXPECT_EQ(q.OffsetY, 0.4);
  EXPECT_EQ(q.SpaceX, 7);
  EXPECT_EQ(q.SpaceY, 3.2);
  EXPECT_EQ(q.CountX, 4);
  EXPECT_EQ(q.CountY, 9);
  EXPECT_EQ(q.Flags, 0);
  EXPECT_EQ(back.GetTopLine().Style, 3);
  EXPECT_EQ(back.GetTopLine().Color, 0x0000FF);
  EXPECT_EQ(back.GetTopLine().LineWidth, 0.6);

  // A sign without a name is counted but not written: it comes back empty with the defaults.
  TStratColEntry gap;
  gap.AddSignName(QString());
  gap.AddSignName(QStringLiteral("lime"));
  TStratPlacement moved = Placement(gap, 0);
  moved.CountX = 7;
  gap.SetPlacement(0, moved);
  TComPtr<ICompoundStream> g = NewQS();
  ASSERT_TRUE(gap.SaveToQS(g.Get()));
  TCompoundEntry entry{};
  EXPECT_NE(g->GetEntry(-40000, &entry), S_OK);
  EXPECT_EQ(g->GetEntry(-39999, &entry), S_OK);
  TStratColEntry gapBack;
  ASSERT_TRUE(gapBack.LoadFromQS(g.Get()));
  ASSERT_EQ(gapBack.SignCount(), 2);
  EXPECT_EQ(gapBack.GetSignName(0), QString());
  EXPECT_EQ(Placement(gapBack, 0).CountX, 1);
  EXPECT_EQ(Placement(gapBack, 0).Flags, 1);
  EXPECT_EQ(gapBack.GetSignName(1), QStringLiteral("lime"));
}

TEST_F(StratColEntryTest, DamagedStreamsLoadWithTheDefaults) {
  // No line width stored: a one-pixel top line.
  TStratColEntry plain;
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(plain.SaveToQS(s.Get()));
  s->DeleteValue(5634);
  TStratColEntry back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  EXPECT_EQ(back.GetTopLine().LineWidth, -1.0);

  // A hostile sign count reads at most the 100 signs the IDs can hold, and a negative one none.
  for (const int32_t count : {2000000000, -5, 101}) {
    TComPtr<ICompoundStream> h = NewQS();
    ASSERT_TRUE(plain.SaveToQS(h.Get()));
    qsWriteInteger(h.Get(), -40001, count);
    TStratColEntry hostile;
    ASSERT_TRUE(hostile.LoadFromQS(h.Get()));
    EXPECT_EQ(hostile.SignCount(), count < 0 ? 0 : kMaxLayerSigns) << count;
  }
}

// A stored layer may carry repeated IDs, values of another type, values
// shorter than their type and numbers that are not finite: every sign value
// loads as reading its ID alone would give it (the first entry, and only when
// its type matches), whatever the order the values were stored in.
TEST_F(StratColEntryTest, DamagedSignValuesLoadAsTheirFirstEntries) {
  std::vector<uint8_t> bytes = {'M', 'T', 'S', 'Q', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> data;
  int32_t count = 0;
  const auto put32 = [](std::vector<uint8_t>& b, uint32_t v) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  const auto add = [&](int32_t id, int32_t tag, const std::vector<uint8_t>& value) {
    put32(bytes, static_cast<uint32_t>(id));
    put32(bytes, static_cast<uint32_t>(tag));
    put32(bytes, static_cast<uint32_t>(value.size()));
    put32(bytes, 0);
    data.insert(data.end(), value.begin(), value.end());
    ++count;
  };
  const auto f64 = [](double v) {
    std::vector<uint8_t> b(8);
    std::memcpy(b.data(), &v, 8);
    return b;
  };
  const auto i32 = [](int32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
  };
  add(-40001, qsInteger, i32(3));
  // Sign 2 first, then sign 0 with repeats, sign 1 with wrong types and short values.
  add(-39998, qsString, {'C', 'L', 'Y'});
  add(-36998, qsDouble, f64(4.5));
  add(-40000, qsString, {'S', 'S', 'T'});
  add(-40000, qsString, {'L', 'S', 'T'});  // a later repeat: not read
  add(-37000, qsDouble, f64(2.25));
  add(-37000, qsDouble, f64(9.0));
  add(-36600, qsInteger, i32(6));
  add(-36400, qsInteger, i32(0));
  add(-39999, qsInteger, i32(7));       // a name stored as a number: no name
  add(-36999, qsInteger, i32(8));       // a number of another type: the default
  add(-36899, qsDouble, {0x00, 0x00});  // shorter than a double
  add(-36799, qsDouble, f64(std::numeric_limits<double>::quiet_NaN()));
  add(-36699, qsDouble, f64(std::numeric_limits<double>::infinity()));
  add(-36599, qsInteger, {0x05});  // one byte of an integer
  add(-36499, qsDouble, f64(3.0));
  add(-36399, qsString, {'x'});
  add(-36398, qsInteger, i32(0));
  add(5633, qsInteger, i32(2));
  bytes[4] = static_cast<uint8_t>(count);
  bytes.insert(bytes.end(), data.begin(), data.end());
  TComPtr<ICompoundStream> s;
  ASSERT_EQ(qsCreateFromStream(MemoryStreamFrom(bytes.data(), bytes.size()).Get(), s.Put()), S_OK);

  TStratColEntry back;
  ASSERT_TRUE(back.LoadFromQS(s.Get()));
  ASSERT_EQ(back.SignCount(), 3);
  EXPECT_EQ(back.SignNames(), (QStringList{"SST", "", "CLY"}));
  const auto finite = [](double v, double def) { return std::isfinite(v) ? v : def; };
  for (int i = 0; i < 3; ++i) {
    const TStratPlacement p = Placement(back, i);
    EXPECT_EQ(p.OffsetX, finite(qsReadDouble(s.Get(), -37000 + i, 1.0), 1.0)) << i;
    EXPECT_EQ(p.OffsetY, finite(qsReadDouble(s.Get(), -36900 + i, 1.0), 1.0)) << i;
    EXPECT_EQ(p.SpaceX, finite(qsReadDouble(s.Get(), -36800 + i, 5.0), 5.0)) << i;
    EXPECT_EQ(p.SpaceY, finite(qsReadDouble(s.Get(), -36700 + i, 5.0), 5.0)) << i;
    EXPECT_EQ(p.CountX, qsReadInteger(s.Get(), -36600 + i, 1)) << i;
    EXPECT_EQ(p.CountY, qsReadInteger(s.Get(), -36500 + i, 1)) << i;
    EXPECT_EQ(p.Flags, qsReadInteger(s.Get(), -36400 + i, 1)) << i;
  }
  // Spelled out where the reads above could share a fault with the load.
  EXPECT_EQ(Placement(back, 0).OffsetX, 2.25);
  EXPECT_EQ(Placement(back, 0).CountX, 6);
  EXPECT_EQ(Placement(back, 0).Flags, 0);
  EXPECT_EQ(Placement(back, 1).OffsetX, 1.0);
  EXPECT_EQ(Placement(back, 1).SpaceX, 5.0);
  EXPECT_EQ(Placement(back, 1).SpaceY, 5.0);
  EXPECT_EQ(Placement(back, 1).CountX, 5);  // the one byte over the default 1
  EXPECT_EQ(Placement(back, 1).CountY, 1);
  EXPECT_EQ(Placement(back, 1).Flags, 1);
  EXPECT_EQ(Placement(back, 2).OffsetX, 4.5);
  EXPECT_EQ(Placement(back, 2).Flags, 0);
  EXPECT_EQ(back.GetTopLine().Style, 2);
}

TEST_F(StratColEntryTest, SignsAreInsertedAndLimited) {
  TStratColEntry layer;
  layer.AddSignName(QStringLiteral("a"));
  layer.AddSignName(QStringLiteral("b"));
  EXPECT_TRUE(layer.InsertSignName(0, QStringLiteral("first")));
  EXPECT_TRUE(layer.InsertSignName(3, QStringLiteral("last")));
  EXPECT_TRUE(layer.InsertSignName(5, QStringLiteral("beyond")));  // count + 1 appends
  EXPECT_FALSE(layer.InsertSignName(7, QStringLiteral("far")));
  EXPECT_FALSE(layer.InsertSignName(-1, QStringLiteral("x")));
  EXPECT_EQ(layer.SignNames(), (QStringList{"first", "a", "b", "last", "beyond"}));
  EXPECT_TRUE(layer.DeleteSign(1));
  EXPECT_FALSE(layer.DeleteSign(9));
  while (layer.SignCount() < kMaxLayerSigns) ASSERT_EQ(layer.AddSignName(QStringLiteral("s")), 1);
  // Sign 100 would share its IDs with another value group.
  EXPECT_EQ(layer.AddSignName(QStringLiteral("one too many")), 0);
  EXPECT_FALSE(layer.InsertSignName(0, QStringLiteral("one too many")));
  EXPECT_EQ(layer.SignCount(), kMaxLayerSigns);
  EXPECT_EQ(layer.GetSignName(kMaxLayerSigns), QString());
}

TEST_F(StratColEntryTest, AddedSignsTakeTheDatabaseTemplate) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  TComPtr<IStratSign> sign;
  ASSERT_EQ(col->DataBase()->GetSign(0, sign.Put()), S_OK);
  TShortString name{};
  sign->GetName(&name);
  TComPtr<IStratField> templates;
  ASSERT_EQ(sign->GetFields(templates.Put()), S_OK);
  TStratPlacement expected{};
  ASSERT_EQ(templates->GetItem(0, &expected), S_OK);

  TStratColEntry* layer = col->AddLayer(1, 3);
  ASSERT_NE(layer, nullptr);
  // Found without regard to case; the database's spelling is kept.
  layer->AddSignName(SignNameText(name).toLower());
  layer->AddSignName(QStringLiteral("no such rock"));
  const TStratPlacement got = Placement(*layer, 0);
  EXPECT_EQ(SignNameText(got.SignName), SignNameText(name));
  EXPECT_EQ(got.SpaceX, expected.SpaceX);
  EXPECT_EQ(got.CountX, expected.CountX);
  EXPECT_EQ(Placement(*layer, 1).SpaceX, 5.0);
  EXPECT_FALSE(layer->SignsKnown());
  EXPECT_EQ(col->UnknownSignLayers(), 1);
  // The caption is the first named sign.
  EXPECT_EQ(layer->Caption(), SignNameText(name));
}

TEST_F(StratColEntryTest, SplittingKeepsTheSignsInBothParts) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  TStratColEntry* layer = col->AddLayer(2, 4);  // page 10..20
  ASSERT_NE(layer, nullptr);
  layer->AddSignName(QStringLiteral("SST"));
  layer->AddSignName(QStringLiteral("LST"));
  EXPECT_FALSE(layer->ClickAt(1, 20, 14));  // another editing mode
  EXPECT_FALSE(layer->ClickAt(2, 20, 10));  // on the edge
  EXPECT_FALSE(layer->ClickAt(2, 20, 25));  // outside
  ASSERT_TRUE(layer->ClickAt(2, 20, 14));
  const std::vector<TStratColEntry*> layers = col->Layers();
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_DOUBLE_EQ(layers[0]->Top(), 10);
  EXPECT_DOUBLE_EQ(layers[0]->GetHeight(), 4);
  EXPECT_DOUBLE_EQ(layers[1]->Top(), 14);
  EXPECT_DOUBLE_EQ(layers[1]->GetHeight(), 6);
  EXPECT_EQ(layers[0]->SignNames(), layers[1]->SignNames());
  EXPECT_EQ(layers[1]->DataBase(), col->DataBase());
  // Both were placed anew for their own heights.
  for (TStratColEntry* part : layers) {
    TStratColEntry fresh;
    fresh.SetDataBase(col->DataBase());
    fresh.AddSignName(QStringLiteral("SST"));
    fresh.AddSignName(QStringLiteral("LST"));
    fresh.SetWidth(part->GetWidth());
    fresh.SetHeight(part->GetHeight());
    ASSERT_TRUE(fresh.AutoPlace());
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(Placement(*part, i).CountY, Placement(fresh, i).CountY);
      EXPECT_EQ(Placement(*part, i).OffsetY, Placement(fresh, i).OffsetY);
    }
  }
}

TEST_F(StratColEntryTest, CutSignsStayInsideTheirLayer) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  TStratColEntry* layer = col->AddLayer(4, 6);  // page 20..30
  layer->AddSignName(QStringLiteral("SST"));
  // One block much larger than the layer, reaching far above and below it.
  TStratPlacement p = Placement(*layer, 0);
  p.OffsetX = 0, p.OffsetY = -30, p.CountX = 3, p.CountY = 9, p.SpaceX = 0, p.SpaceY = 0;
  const auto render = [&](int flags) {
    p.Flags = flags;
    layer->SetPlacement(0, p);
    QImage image(600, 1200, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(10000);  // 10 pixels per mm
    image.setDotsPerMeterY(10000);
    QPainter painter(&image);
    TDrawContext c;
    c.DC = &painter;
    c.Options = doBorders;
    c.ClipRect = {0, 0, 600, 1200};
    col->Draw(c);
    painter.end();
    return image;
  };
  const QImage cut = render(kStratCutOutside);
  const int dpm = 10000;
  ASSERT_EQ(cut.dotsPerMeterY(), dpm);
  TDrawContext probe;
  QImage scratch(1, 1, QImage::Format_RGB32);
  scratch.setDotsPerMeterX(dpm);
  scratch.setDotsPerMeterY(dpm);
  QPainter sp(&scratch);
  probe.DC = &sp;
  const int top = probe.PixelY(20), bottom = probe.PixelY(30), left = probe.PixelX(10), right = probe.PixelX(40);
  sp.end();
  EXPECT_GT(Painted(cut, QRect(left + 2, top + 2, right - left - 4, bottom - top - 4)), 0);
  // Above and below the layer only the column's white and its outline.
  EXPECT_EQ(Painted(cut, QRect(left + 2, 5, right - left - 4, top - 8)), 0);
  EXPECT_EQ(Painted(cut, QRect(left + 2, bottom + 3, right - left - 4, 200)), 0);
  const QImage open = render(0);
  EXPECT_GT(Painted(open, QRect(left + 2, bottom + 3, right - left - 4, 200)), 0);
}

// A repaint of a band draws there what a repaint of everything draws: the layers cut by
// the band's edges with their signs (from images) and selection marks.
TEST_F(StratColEntryTest, RepaintOfABandMatchesTheWholeDrawing) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  const QStringList signs[] = {{"SST", "CLY"}, {"LST"}, {"COAL", "SLT", "DOL"}};
  for (int i = 0; i < 40; ++i) col->AddLayer(1 + i * 0.35, 1 + (i + 1) * 0.35, signs[i % 3]);
  col->AutoPlaceAll();
  const auto render = [&](const TRect& clip) {
    QImage image(300, 900, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(ToQRect(clip));
    TDrawContext c;
    c.DC = &painter;
    c.Options = doBorders | doSelection;
    c.ClipRect = clip;
    col->Draw(c);
    return image;
  };
  const QImage whole = render({0, 0, 300, 900});
  TDrawContext probe;
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter sp(&scratch);
  probe.DC = &sp;
  // A band from inside one layer to two pixels into another, the selected one.
  const int bandTop = probe.PixelY(col->Layers()[10]->Top()) + 3;
  const int bandBottom = probe.PixelY(col->Layers()[20]->Top()) + 2;
  col->Layers()[20]->SetSelected(true);
  const QImage selected = render({0, 0, 300, 900});
  const QImage band = render({0, bandTop, 300, bandBottom});
  sp.end();
  ASSERT_LT(bandTop + 10, bandBottom);
  const QRect area(0, bandTop, 300, bandBottom - bandTop);
  EXPECT_GT(Painted(band, area), 1000);
  EXPECT_EQ(band.copy(area), selected.copy(area));
  EXPECT_NE(selected.copy(area), whole.copy(area));  // the marks show in the band
  EXPECT_EQ(Painted(band, QRect(0, 0, 300, bandTop)), 0);
}

// On a raster device a layer's signs are cut to the layer without the painter's clip: the
// pixels must be those of the field drawn under a clip, for repeating fills (spaced and
// touching blocks) and images drawn one by one (overlapping blocks), with an outer clip of
// the painter's and without one, and the painter's clip left as it was.
TEST(StratColLayers, SignsCutToTheLayerMatchClippedSigns) {
  TComPtr<IStratDataBase> database;
  ASSERT_EQ(stratCreateDataBase(database.Put()), S_OK);
  ASSERT_EQ(stratLoad(KERNO_SOURCE_DIR "/resources/lsd/default.lsd", database.Get()), S_OK);
  TComPtr<IStratField> field;
  ASSERT_EQ(stratCreateField(field.Put()), S_OK);
  struct TItem {
    const char* Name;
    double Offset, Space;
    int Count;
  };
  for (const TItem& it : {TItem{"SST", 0.7, 1.3, 12}, TItem{"LST", 1, -2, 9}, TItem{"CLY", 0, 0, 40}}) {
    ASSERT_EQ(field->Add(MakeShortString(it.Name)), S_OK);
    TStratPlacement item{};
    field->GetItem(field->Count() - 1, &item);
    item.OffsetX = item.OffsetY = it.Offset;
    item.SpaceX = item.SpaceY = it.Space;
    item.CountX = item.CountY = it.Count;
    item.Flags = 1;
    field->SetItem(field->Count() - 1, item);
  }
  QImage blank(230, 150, QImage::Format_RGB32);
  blank.fill(Qt::white);
  for (bool outerClip : {false, true}) {
    const auto draw = [&](bool cut) {
      QImage image = blank;
      QPainter p(&image);
      EXPECT_TRUE(stratRasterPainter(&p));
      if (outerClip) p.setClipRect(QRect(20, 0, 150, 120));
      for (int layer = 0; layer < 3; ++layer) {
        const TRect r{7, 5 + layer * 37, 260, 5 + (layer + 1) * 37};  // past the right edge
        if (cut) {
          stratDrawFieldInside(field.Get(), &p, r, r.Left, r.Top, 1, 1.0, database.Get());
          continue;
        }
        p.save();
        p.setClipRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), Qt::IntersectClip);
        field->Draw(&p, r.Left, r.Top, 1, 1.0, database.Get());
        p.restore();
      }
      EXPECT_EQ(p.hasClipping(), outerClip);
      return image;
    };
    const QImage cut = draw(true);
    EXPECT_EQ(cut, draw(false)) << outerClip;
    EXPECT_NE(cut, blank);
  }
}
