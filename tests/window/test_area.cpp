// The document area: zoom and scroll limits, the pixel-to-page mapping, the
// grid, the page background and boundaries, and the overlays (guides,
// selection marks, drag outlines, cross lines) that never re-render the
// document and never reach the printed pages.
#include <QPainter>
#include <cstring>

#include "uAreaPainting.h"
#include "uDocumentArea.h"
#include "uDrawContext.h"
#include "uFixedRuller.h"
#include "uHugePageImage.h"
#include "uRecordingDevice.h"
#include "uWindowTestEnv.h"

namespace {

class DocumentArea : public TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    ASSERT_TRUE(FDocument.LoadFromFile(TemplatePath()));
    FArea.SetDocument(&FDocument);
  }
  void TearDown() override {
    FArea.SetDocument(nullptr);
    TWindowTest::TearDown();
  }
  // A view `mm` wide and high at the area's resolution.
  void ViewMM(double width, double height) {
    FArea.SetViewRect(
        QRect(0, 0, qRound(width * FArea.logicalDpiX() / 25.4), qRound(height * FArea.logicalDpiY() / 25.4)));
  }
  TPrintObject* Column(int i) { return static_cast<TPassportBody*>(FDocument.GetChild(0))->GetChild(i); }

  TPrintDocument FDocument;
  TDocumentArea FArea;
};

// A print target that records the drawing of its one page.
class TRecordingTarget final : public TPrintTarget {
 public:
  TRecordingDevice Device{QSize(800, 1200), 96};
  QSize PageSizeMM() const override { return QSize(210, 320); }
  bool BeginJob(const QString&) override { return FPainter.begin(&Device); }
  bool NewPage() override { return true; }
  bool EndJob() override { return FPainter.end(); }
  void AbortJob() override { FPainter.end(); }
  QPainter* Painter() override { return &FPainter; }

 private:
  QPainter FPainter;
};

bool RowHasColor(const QImage& image, int y, QRgb color) {
  for (int x = 0; x < image.width(); ++x)
    if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) return true;
  return false;
}

}  // namespace

TEST_F(DocumentArea, ZoomIsClampedAndOnlyAChangeRenders) {
  ViewMM(100, 100);
  const int rendered = FArea.RenderCount();
  FArea.SetZoom(0.05);
  EXPECT_DOUBLE_EQ(FArea.Zoom(), 0.1);
  FArea.SetZoom(7);
  EXPECT_DOUBLE_EQ(FArea.Zoom(), 5);
  EXPECT_EQ(FArea.RenderCount(), rendered + 2);
  FArea.SetZoom(5);
  FArea.SetZoom(9);  // clamps to the zoom it already has
  EXPECT_EQ(FArea.RenderCount(), rendered + 2) << "the same zoom rendered again";
  FArea.SetOrigin(FArea.OriginX(), FArea.OriginY());
  EXPECT_EQ(FArea.RenderCount(), rendered + 2) << "the same origin rendered again";
}

// The document scrolls until its edge reaches the middle of the window.
TEST_F(DocumentArea, OriginStaysWithinHalfAWindowOfTheDocument) {
  ViewMM(100, 100);
  const double width = FDocument.GetWidth();
  const double height = FDocument.GetHeight();
  ASSERT_EQ(width, 120);
  ASSERT_EQ(height, 300);
  EXPECT_EQ(FArea.MinOriginX(), -50);
  EXPECT_EQ(FArea.MaxOriginX(), 70);
  EXPECT_EQ(FArea.MinOriginY(), -50);
  EXPECT_EQ(FArea.MaxOriginY(), 250);
  FArea.SetOrigin(-500, 1000);
  EXPECT_EQ(FArea.OriginX(), -50);
  EXPECT_EQ(FArea.OriginY(), 250);
  // At zoom 2 the window shows half as many mm.
  FArea.SetZoom(2);
  EXPECT_EQ(FArea.MinOriginX(), -25);
  EXPECT_EQ(FArea.MaxOriginY(), 275);
  FArea.SetOriginX(-40);
  EXPECT_EQ(FArea.OriginX(), -25);
}

TEST_F(DocumentArea, WindowPixelsMapToPageMillimetres) {
  FDocument.SetLeft(7);
  FDocument.Changed();
  ViewMM(100, 100);
  FArea.SetOrigin(3, 4);
  const QPointF corner = FArea.ScreenToPage(QPointF(0, 0));
  EXPECT_DOUBLE_EQ(corner.x(), 7 + 3);
  EXPECT_DOUBLE_EQ(corner.y(), FDocument.Top() + 4);
  FArea.SetZoom(2);
  const double kx = static_cast<float>(FArea.logicalDpiX() / 25.4);
  const QPointF p = FArea.ScreenToPage(QPointF(100, 50));
  EXPECT_NEAR(p.x(), 100 / 2.0 / kx + 10, 1e-9);
  EXPECT_EQ(FArea.PageToScreen(p), QPoint(100, 50));
}

TEST_F(DocumentArea, GridStepsAreSnapStepsDoubledToThreeMillimetresOnScreen) {
  EXPECT_DOUBLE_EQ(GridStep(0.5, 1), 4);
  EXPECT_DOUBLE_EQ(GridStep(0.5, 0.1), 32);
  EXPECT_DOUBLE_EQ(GridStep(2, 5), 2);
  EXPECT_DOUBLE_EQ(GridStep(0, 1), 4) << "snapping off starts from 1 mm";

  TRecordingDevice device(QSize(500, 500), 254);  // 10 px per mm
  {
    QPainter painter(&device);
    TDrawContext context;
    context.DC = &painter;
    context.OriginX = -2;
    DrawGrid(context, QRect(0, 0, 400, 300), GridStep(0.5, 1));
  }
  std::vector<int> fine;
  std::vector<int> coarse;
  for (const TRecordedItem* line : device.Lines()) {
    if (line->Line.x1() != line->Line.x2()) continue;
    const int x = qRound(line->Line.x1());
    (line->State.PenColor == QColor::fromRgb(kGridCoarseRgb) ? coarse : fine).push_back(x);
  }
  // Page mm 0, 4, 8, ... at pixel (mm + 2) * 10, the fifth ones darker.
  EXPECT_EQ(fine, (std::vector<int>{20, 60, 100, 140, 180, 220, 260, 300, 340, 380})) << device.Dump();
  EXPECT_EQ(coarse, (std::vector<int>{20, 220})) << device.Dump();
}

TEST_F(DocumentArea, PageBackgroundIsWhiteOnGreyWithAShadow) {
  ViewMM(200, 100);
  FArea.SetOrigin(-10, -10);
  const QImage& buffer = FArea.Buffer();
  const QPoint topLeft = FArea.PageToScreen(QPointF(0, 0));
  const QPoint right = FArea.PageToScreen(QPointF(FDocument.GetWidth(), 20));
  EXPECT_EQ(buffer.pixel(topLeft.x() - 6, topLeft.y() + 20) & 0xFFFFFF, 0xC8C8C8u) << "grey around the page";
  EXPECT_EQ(buffer.pixel(topLeft.x() + 30, topLeft.y() + 60) & 0xFFFFFF, 0xFFFFFFu) << "a white page";
  EXPECT_EQ(buffer.pixel(right.x() + 5, right.y()) & 0xFFFFFF, 0x606060u) << "the shadow on the right";
  EXPECT_EQ(buffer.pixel(right.x() + 9, right.y()) & 0xFFFFFF, 0xC8C8C8u) << "the shadow is 4 pixels wide";
}

// Guides are drawn over the rendered document on screen only.
TEST_F(DocumentArea, GuidesAreOverlaysThatNeverPrint) {
  ViewMM(150, 150);
  FArea.SetOrigin(-5, -5);
  TFixedRuller* guide = FDocument.AddFixedRuller(0, 50, 10);
  ASSERT_NE(guide, nullptr);
  guide->SetSelected(false);
  FArea.Repaint();
  const int y = FArea.PageToScreen(QPointF(0, guide->Top() + guide->GetHeight() / 2)).y();
  const QRgb blue = qRgb(0, 0, 255);
  EXPECT_FALSE(RowHasColor(FArea.Buffer(), y, blue)) << "the guide was rendered into the buffer";
  EXPECT_TRUE(RowHasColor(FArea.Screen(), y, blue) || RowHasColor(FArea.Screen(), y - 1, blue))
      << "the guide is not shown";

  TRecordingTarget target;
  ASSERT_TRUE(FDocument.Print(&target, 1, 1));
  for (const TRecordedItem* line : target.Device.Lines())
    EXPECT_NE(line->State.PenColor, QColor(blue)) << "a guide was printed: " << line->Describe();
}

TEST_F(DocumentArea, DragOutlinesAndCrossLinesNeverRender) {
  ViewMM(150, 150);
  FArea.SetOrigin(-5, -5);
  Column(1)->SetSelected(true);
  FArea.Repaint();
  const int rendered = FArea.RenderCount();
  // The window tries a move for the outline: the frame stands where the
  // column would go, over the document as rendered before.
  Column(1)->SetLeft(60);
  FArea.ShowDragOutline(Column(1));
  Column(1)->SetLeft(100);
  const QPoint outline = FArea.PageToScreen(QPointF(60, Column(1)->Top() + 40));
  EXPECT_EQ(FArea.Buffer().pixel(outline) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(FArea.Screen().pixel(outline) & 0xFFFFFF, 0u) << "no outline where the column would go";
  EXPECT_EQ(FArea.RenderCount(), rendered);

  // A cross line over a row of the selection marks, then taken away again:
  // the marks under it come back, unless quick mode skips that.
  FArea.Present(nullptr);
  int y = -1;
  for (int row = 0; row < FArea.ViewRect().height() && y < 0; ++row)
    if (FArea.Screen().constScanLine(row) &&
        std::memcmp(FArea.Screen().constScanLine(row), FArea.Buffer().constScanLine(row),
                    static_cast<size_t>(FArea.ViewRect().width()) * 4) != 0)
      y = row;
  ASSERT_GE(y, 0) << "no selection marks over the rendered document";
  const auto sameRow = [&] {
    return std::memcmp(FArea.Screen().constScanLine(y), FArea.Buffer().constScanLine(y),
                       static_cast<size_t>(FArea.ViewRect().width()) * 4) == 0;
  };
  FArea.SetCrossY(y);
  EXPECT_TRUE(RowHasColor(FArea.Screen(), y, qRgb(0, 0, 192)));
  FArea.SetCrossY(-1);
  EXPECT_FALSE(RowHasColor(FArea.Screen(), y, qRgb(0, 0, 192)));
  EXPECT_FALSE(sameRow()) << "the selection marks under the cross line were lost";

  FSettings->SetQuickMode(true);
  FArea.Repaint();  // settings are read at each render
  const int quickRendered = FArea.RenderCount();
  FArea.SetCrossY(y);
  FArea.SetCrossY(-1);
  EXPECT_TRUE(sameRow()) << "quick mode drew the overlay again";
  EXPECT_EQ(FArea.RenderCount(), quickRendered);
  EXPECT_EQ(quickRendered, rendered + 1);
}

// An outline restores only the pixels the last overlays covered, and puts
// back the marks that stay put (here a guide the outlines cross) from what
// it kept at the first move: after a series of moves, of two objects and of
// every frame, the window must show exactly what one outline drawn over the
// plain document shows, with nothing left behind by the earlier ones.
TEST_F(DocumentArea, ASeriesOfDragOutlinesLeavesOnlyTheLast) {
  ViewMM(150, 150);
  FArea.SetOrigin(-5, -5);
  FArea.SetPageSize(QSize(100, 120));
  FArea.SetViewOptions(kViewPage);
  TPrintObject* first = Column(1);
  TPrintObject* second = Column(0);
  ASSERT_TRUE(first && second);
  TFixedRuller* guide = FDocument.AddFixedRuller(0, first->Top() + 30, 10);
  ASSERT_NE(guide, nullptr);
  guide->SetSelected(false);
  first->SetSelected(true);
  FArea.SetCrossX(FArea.PageToScreen(QPointF(70, 0)).x());
  FArea.Repaint();
  const double left = first->Left();
  const double left2 = second->Left();
  const int rendered = FArea.RenderCount();
  for (double x : {left + 30, left - 20, left + 7, left + 25, left + 3}) {
    first->SetLeft(x);
    FArea.ShowDragOutline(first);
  }
  first->SetLeft(left);
  second->SetLeft(left2 - 15);
  FArea.ShowDragOutline(second);
  second->SetLeft(left2);
  FArea.ShowDragOutline(nullptr);  // every frame, as a drag of the body shows
  for (double x : {left - 9, left + 12}) {
    first->SetLeft(x);
    FArea.ShowDragOutline(first);
  }
  const QImage series = FArea.Screen().copy(FArea.ViewRect());
  EXPECT_EQ(FArea.RenderCount(), rendered);

  FArea.Present(nullptr);
  FArea.ShowDragOutline(first);
  const QImage once = FArea.Screen().copy(FArea.ViewRect());
  first->SetLeft(left);
  int differing = 0;
  for (int y = 0; y < once.height(); ++y)
    for (int x = 0; x < once.width(); ++x) differing += once.pixel(x, y) != series.pixel(x, y);
  EXPECT_EQ(differing, 0) << "pixels of earlier outlines left in the window";
  EXPECT_NE(once, FArea.Buffer().copy(FArea.ViewRect())) << "no outline drawn at all";
}

// The print line width is kept between renders, yet a change, by this
// program's settings or by another object on the same file, shows at the
// next render.
TEST_F(DocumentArea, AChangedLineWidthShowsAtTheNextRender) {
  ViewMM(150, 150);
  FArea.SetOrigin(-5, -5);
  const auto dark = [&] {
    int n = 0;
    const QImage& buffer = FArea.Buffer();
    for (int y = 0; y < FArea.ViewRect().height(); ++y)
      for (int x = 0; x < FArea.ViewRect().width(); ++x) n += qGray(buffer.pixel(x, y)) < 100;
    return n;
  };
  FSettings->SetPrintLineWidth(0);
  FArea.Repaint();
  const int thin = dark();
  FArea.Repaint();
  EXPECT_EQ(dark(), thin);
  FSettings->SetPrintLineWidth(1);
  FArea.Repaint();
  const int wide = dark();
  EXPECT_GT(wide, thin * 3 / 2) << "the wider line width did not show";

  TSettings other(FSettings->FileName());
  other.SetPrintLineWidth(0);
  FArea.Repaint();
  EXPECT_EQ(dark(), thin) << "a width written by another settings object did not show";
  EXPECT_EQ(FSettings->PrintLineWidth(), 0.0);
  FSettings->WriteText(QStringLiteral("PRINT"), QStringLiteral("LINEWIDTH"), QStringLiteral("1"));
  EXPECT_EQ(FSettings->PrintLineWidth(), 1.0);
}

TEST_F(DocumentArea, PageViewShowsTheBoundariesWithoutRendering) {
  ViewMM(200, 250);
  FArea.SetOrigin(-5, -5);
  FArea.SetPageSize(QSize(100, 200));
  const int rendered = FArea.RenderCount();
  FArea.SetViewOptions(kViewPage);
  EXPECT_EQ(FArea.RenderCount(), rendered);
  const int y = FArea.PageToScreen(QPointF(0, 200)).y();
  EXPECT_TRUE(RowHasColor(FArea.Screen(), y, QColor::fromRgb(kPageBoundaryRgb).rgb())) << "no boundary at 200 mm";
  EXPECT_FALSE(RowHasColor(FArea.Buffer(), y, QColor::fromRgb(kPageBoundaryRgb).rgb()));

  // Pages are numbered down each column of pages first, as they print.
  TRecordingDevice device(QSize(600, 1200), 254);
  {
    QPainter painter(&device);
    TDrawContext context;
    context.DC = &painter;
    context.ClipRect = TRect{0, 0, 600, 1200};
    context.Zoom = 0.2f;
    TPageTiling tiling;
    tiling.PageWidth = 100;
    tiling.PageHeight = 200;
    DrawPageBoundaries(context, FDocument, tiling);
  }
  const TRecordedItem* one = device.FindText(QStringLiteral("page 1"));
  const TRecordedItem* two = device.FindText(QStringLiteral("page 2"));
  const TRecordedItem* three = device.FindText(QStringLiteral("page 3"));
  ASSERT_TRUE(one && two && three) << device.Dump();
  EXPECT_EQ(device.FindText(QStringLiteral("page 5")), nullptr) << "the document is two pages wide and high";
  EXPECT_NEAR(one->Rect.center().x(), two->Rect.center().x(), 1);
  EXPECT_GT(two->Rect.center().y(), one->Rect.center().y());
  EXPECT_GT(three->Rect.center().x(), one->Rect.center().x());
  EXPECT_NE(device.FindHorizontalLine(0, 400, 400, 1), nullptr) << "the edge at 200 mm:\n" << device.Dump();
}

TEST_F(DocumentArea, FitWidthShowsTheWholeWidthWithAMargin) {
  for (const double viewWidth : {60.0, 200.0, 700.0}) {
    SCOPED_TRACE(viewWidth);
    ViewMM(viewWidth, 100);
    FArea.SetOrigin(30, 40);
    FArea.FitWidth();
    const QPoint left = FArea.PageToScreen({FDocument.Left(), FDocument.Top()});
    const QPoint right = FArea.PageToScreen({FDocument.Left() + FDocument.GetWidth(), FDocument.Top()});
    const int view = FArea.ViewRect().width();
    EXPECT_GT(left.x(), 0) << "a margin before the left edge";
    EXPECT_LT(right.x(), view) << "and after the right edge";
    EXPECT_GT(right.x() - left.x(), view * 0.85) << "the width fills the window";
    EXPECT_EQ(FArea.OriginY(), 40) << "the depth in view stays";
  }
  // A window too narrow for the smallest zoom shows what it can from the left.
  ViewMM(5, 100);
  FArea.FitWidth();
  EXPECT_DOUBLE_EQ(FArea.Zoom(), kMinZoom);
}

// The window image of a large window lives in memory of its own: it must
// still be an ordinary image to paint on, copy and read back.
TEST(HugePageImage, IsAnOrdinaryImageOfItsSizeAndFormat) {
  for (const QSize size : {QSize(1920, 1200), QSize(1001, 999), QSize(3, 3), QSize(0, 0)}) {
    SCOPED_TRACE(size.width());
    QImage image = HugePageImage(size, QImage::Format_RGB32);
    ASSERT_EQ(image.size(), size);
    if (size.isEmpty()) continue;
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.bytesPerLine(), size.width() * 4);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.fillRect(QRect(1, 1, 1, size.height() - 1), Qt::red);
    }
    const QImage copy = image.copy();
    image.fill(Qt::black);  // the copy is a copy, not a view of the same memory
    EXPECT_EQ(copy.pixel(1, size.height() - 1), qRgb(255, 0, 0));
    EXPECT_EQ(copy.pixel(0, size.height() - 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
  }
  // A format of less than a byte per pixel is made the ordinary way.
  const QImage mono = HugePageImage(QSize(4000, 4000), QImage::Format_Mono);
  EXPECT_EQ(mono.size(), QSize(4000, 4000));
  EXPECT_EQ(mono.format(), QImage::Format_Mono);
}
