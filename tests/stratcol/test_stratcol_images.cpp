// Layers drawn from images on raster devices: the pixels must be those of the layers drawn
// sign by sign wherever the layers land, and any edit of the drawing's inputs (a layer's
// signs, a sign's picture or name, the database, the zoom, the device) shows at once.
#include <QImage>
#include <QPainter>
#include <functional>

#include "../strat/uTestEmf.h"
#include "uEmfDocument.h"
#include "uLayerImages.h"
#include "uStratColTestEnv.h"

namespace {

struct TView {
  int OriginY = 0;
  float Zoom = 1.0f;
  int DotsPerMeter = 3780;  // 96 dpi
  TRect Clip{0, 0, 220, 480};
};

QImage Render(TPrintStratCol* column, const TView& view) {
  QImage image(220, 480, QImage::Format_RGB32);
  image.setDotsPerMeterX(view.DotsPerMeter);
  image.setDotsPerMeterY(view.DotsPerMeter);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setClipRect(ToQRect(view.Clip));
  TDrawContext c;
  c.DC = &painter;
  c.Options = doBorders;
  c.OriginX = 5;
  c.OriginY = view.OriginY;
  c.Zoom = view.Zoom;
  c.ClipRect = view.Clip;
  column->Draw(c);
  return image;
}

// The same view with no layer image kept or made: every layer drawn sign by sign.
QImage RenderSignBySign(TPrintStratCol* column, const TView& view) {
  TLayerImages& images = TLayerImages::Shared();
  const size_t capacity = images.Capacity();
  images.SetCapacity(0);
  QImage image = Render(column, view);
  images.SetCapacity(capacity);
  return image;
}

TComPtr<IStratSign> FindSign(IStratDataBase* database, const char* name) {
  TComPtr<IStratSign> sign;
  database->FindByName(MakeShortString(name), sign.Put());
  return sign;
}

// Layers of a few heights and sign sets, so that many share an image; one with overlapping
// blocks (drawn one image per block), one reaching into its neighbours, offsets that move
// the pattern off the layer's corner.
void FillColumn(TPrintStratCol* column) {
  const QStringList signs[] = {{"SST", "LST", "CLY"}, {"SLT"}, {"DOL", "ANH"}, {"SST", "LST", "CLY"}, {"COAL", "SH"}};
  const double heights[] = {0.2, 0.3, 0.45, 0.2, 1.3};
  double top = 0;
  for (int i = 0; i < 60; ++i) {
    const double height = heights[i % 5];
    ASSERT_NE(column->AddLayer(top, top + height, signs[i % 5]), nullptr);
    top += height;
  }
  column->AutoPlaceAll();
  const std::vector<TStratColEntry*> layers = column->Layers();
  TStratPlacement p{};
  layers[9]->GetPlacement(0, &p);  // overlapping blocks
  p.SpaceX = p.SpaceY = -1.5;
  p.CountX = p.CountY = 8;
  layers[9]->SetPlacement(0, p);
  layers[12]->GetPlacement(0, &p);  // reaching out of its layer
  p.Flags = 0;
  p.OffsetY = -2;
  layers[12]->SetPlacement(0, p);
  layers[20]->GetPlacement(0, &p);
  p.OffsetX = 1.7;
  p.OffsetY = 0.3;
  layers[20]->SetPlacement(0, p);
}

// A picture that inverts what lies under it: an image of it cannot stand for playing it.
std::unique_ptr<TEmfDocument> InvertingPicture() {
  const std::vector<uint8_t> bytes = teststrat::MakeInvertingEmf();
  return TEmfDocument::FromBytes(bytes.data(), bytes.size());
}

IStratStream* StreamOf(IStratSign* sign) {
  IStratStream* stream = nullptr;
  sign->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(&stream));
  if (stream) stream->Release();  // the sign holds it
  return stream;
}

QImage WhiteImage() {
  QImage image(120, 80, QImage::Format_RGB32);
  image.setDotsPerMeterX(3780);
  image.setDotsPerMeterY(3780);
  image.fill(Qt::white);
  return image;
}

TStratPlacement Placement(const char* name, double offset, double space, int cx, int cy) {
  TStratPlacement item = DefaultPlacement(name);
  item.OffsetX = item.OffsetY = offset;
  item.SpaceX = item.SpaceY = space;
  item.CountX = cx;
  item.CountY = cy;
  item.Flags = 1;
  return item;
}

}  // namespace

class StratColImagesTest : public TStratColTest {
 protected:
  // A column on the default database with the example layers, and no layer images kept;
  // null when the database does not load.
  TPrintStratCol* FilledColumn(TTestBody& body) {
    TPrintStratCol* column = body.AddColumn();
    column->SetBoundsRect({10, 0, 50, 200});
    if (!column->LoadDataBase(DefaultLsd())) return nullptr;
    FillColumn(column);
    TLayerImages::Shared().Clear();
    return column;
  }
};

// Layers of the same content share one image, copied to wherever each lands; the view is
// scrolled so that layers are cut by its edges, and a band repaint goes through a clip.
TEST_F(StratColImagesTest, LayersSharingAnImageMatchLayerByLayerDrawing) {
  TTestBody body;
  TPrintStratCol* column = FilledColumn(body);
  ASSERT_NE(column, nullptr);
  for (TView view : {TView{0}, TView{7}, TView{33}, TView{21, 1.0f, 3780, {0, 117, 220, 301}}}) {
    const QImage drawn = Render(column, view);
    const QImage again = Render(column, view);  // from the images kept by the first
    const QImage reference = RenderSignBySign(column, view);
    EXPECT_EQ(drawn, reference) << "origin " << view.OriginY;
    EXPECT_EQ(again, reference) << "origin " << view.OriginY;
    if (drawn != reference) {
      drawn.save(Path(QStringLiteral("images-%1.png").arg(view.OriginY)));
      reference.save(Path(QStringLiteral("signs-%1.png").arg(view.OriginY)));
    }
  }
  // Some 50 layers in view, drawn from a handful of images.
  TLayerImages::Shared().Clear();
  Render(column, TView{7});
  EXPECT_GT(TLayerImages::Shared().Count(), 2u);
  EXPECT_LT(TLayerImages::Shared().Count(), 15u);
}

// After a redraw, each change shows in the next one: layer edits, the database's signs
// edited (picture, name, deleted) as the editor does, a database loaded, zoom and dpi.
TEST_F(StratColImagesTest, EditsAfterARedrawShowAtOnce) {
  TTestBody body;
  TPrintStratCol* column = FilledColumn(body);
  ASSERT_NE(column, nullptr);
  const std::vector<TStratColEntry*> layers = column->Layers();
  TView view{7};
  IStratDataBase* database = column->DataBase();
  struct TEdit {
    const char* What;
    std::function<void()> Apply;
  };
  const TEdit edits[] = {
      {"placement",
       [&] {
         TStratPlacement p{};
         layers[10]->GetPlacement(1, &p);
         p.CountX = 1;
         layers[10]->SetPlacement(1, p);
       }},
      {"sign name", [&] { layers[15]->SetSignName(0, QStringLiteral("COAL")); }},
      {"sign deleted from a layer", [&] { layers[16]->DeleteSign(0); }},
      {"sign renamed",
       [&] {
         TComPtr<IStratSign> lst = FindSign(database, "LST");
         lst->SetName(MakeShortString("LST2"));
       }},
      {"picture",
       [&] {
         TComPtr<IStratSign> sst = FindSign(database, "SST"), coal = FindSign(database, "COAL");
         sst->SetMetafile(coal->GetMetafile()->Copy().release());
       }},
      {"sign deleted from the database",
       [&] {
         for (int32_t i = 0; i < database->SignCount(); ++i) {
           TComPtr<IStratSign> sign;
           TShortString name{};
           database->GetSign(i, sign.Put());
           sign->GetName(&name);
           if (ShortStringView(name) == "SLT") database->DeleteSign(i);
         }
       }},
      {"database loaded", [&] { ASSERT_TRUE(column->LoadDataBase(DefaultLsd())); }},
      {"zoom", [&] { view.Zoom = 1.5f; }},
      {"dpi", [&] { view.DotsPerMeter = 4724; }},  // 120 dpi
  };
  for (const TEdit& edit : edits) {
    const QImage before = Render(column, view);
    Render(column, view);  // every layer found its image
    edit.Apply();
    const QImage after = Render(column, view);
    EXPECT_NE(after, before) << edit.What;
    EXPECT_EQ(after, RenderSignBySign(column, view)) << edit.What;
  }
}

// A field drawn into an image says whether that image may stand for the field drawn
// elsewhere (every block from an image) or not (a block played from its picture), and the
// count of drawing changes moves with every edit that can change a field's drawing.
TEST(StratColImages, FieldImagesAndDrawingChanges) {
  TComPtr<IStratDataBase> database;
  ASSERT_EQ(stratCreateDataBase(database.Put()), S_OK);
  ASSERT_EQ(stratLoad(KERNO_SOURCE_DIR "/resources/lsd/default.lsd", database.Get()), S_OK);
  TComPtr<IStratSign> rop;
  ASSERT_EQ(stratCreateSign(rop.Put()), S_OK);
  rop->SetName(MakeShortString("ROP"));
  rop->SetMetafile(InvertingPicture().release());
  ASSERT_EQ(database->AddSign(StreamOf(rop.Get()), false), S_OK);
  TComPtr<IStratField> field;
  ASSERT_EQ(stratCreateField(field.Put()), S_OK);
  const auto image = [&](const char* name) {
    field->Clear();
    field->Add(MakeShortString(name));
    field->SetItem(0, Placement(name, 0.5, 0.5, 6, 4));
    QImage made = WhiteImage();
    const HRESULT hr = stratDrawFieldImage(field.Get(), &made, 1, 1.0, database.Get(), 0);
    EXPECT_NE(made, WhiteImage()) << name;
    return hr;
  };
  EXPECT_EQ(image("SST"), S_OK);
  EXPECT_EQ(image("ROP"), S_FALSE);
  EXPECT_EQ(stratDrawFieldImage(field.Get(), nullptr, 1, 1.0, database.Get(), 0), E_INVALIDARG);

  TComPtr<IStratSign> sst = FindSign(database.Get(), "SST");
  const std::function<void()> edits[] = {
      [&] { field->SetItem(0, Placement("SST", 1, 1, 2, 2)); },
      [&] { sst->SetMetafile(sst->GetMetafile()->Copy().release()); },
      [&] { sst->SetName(MakeShortString("SST2")); },
      [&] { database->ExchangeSigns(0, 1); },
      [&] { database->DeleteSign(0); },
  };
  for (size_t i = 0; i < std::size(edits); ++i) {
    const uint64_t before = stratDrawingChanges();
    edits[i]();
    EXPECT_NE(stratDrawingChanges(), before) << i;
  }
  // Looking and drawing change nothing.
  const uint64_t before = stratDrawingChanges();
  TStratPlacement item{};
  field->GetItem(0, &item);
  FindSign(database.Get(), "LST");
  QImage drawn = WhiteImage();
  stratDrawFieldImage(field.Get(), &drawn, 1, 1.0, database.Get(), 0);
  EXPECT_EQ(stratDrawingChanges(), before);
}
