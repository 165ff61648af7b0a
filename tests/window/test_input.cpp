// Editing with the mouse and the keyboard in a document window: dragging with
// an outline that never renders nor changes the document, undo back to the
// saved bytes, cursor shapes, the wheel by modifier, Space and the arrows,
// the status text, guides dragged from a ruler, the pop-up menu, printing.
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include "uDocumentArea.h"
#include "uDocumentInput.h"
#include "uDocumentPopup.h"
#include "uDrawContext.h"
#include "uFixedRuller.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDeepTable.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uPrinting.h"
#include "uPropertiesDialogs.h"
#include "uScreenRuller.h"
#include "uWindowTestEnv.h"

namespace {

class Input : public TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    FFrame = NewFrame({MakeDocument(QStringLiteral("a.knd"))});
    FChild = FFrame->ActiveChild();
    ASSERT_TRUE(FChild);
    FArea = FChild->Area();
    ASSERT_GT(FArea->width(), 300) << "the window has no size";
  }
  TPassportBody* Body() const { return static_cast<TPassportBody*>(FChild->Document()->GetChild(0)); }
  TPrintObject* Column(int i) const { return Body()->GetChild(i); }
  // A head `height` mm tall below the body, filled by one text.
  TPrintHeader* AddHeadBelowBody(double height) const {
    auto head = std::make_unique<TPrintHeader>();
    const double below = Body()->Top() + Body()->GetHeight();
    head->SetBoundsRect({0, below, 190, below + height});
    auto title = std::make_unique<TPrintText>();
    title->SetBoundsRect({0, below, 190, below + height});
    head->AddChild(std::move(title));
    TPrintHeader* added = head.get();
    FChild->Document()->AddChild(std::move(head));
    return added;
  }
  QPoint At(double x, double y) const { return FArea->PageToScreen(QPointF(x, y)); }
  void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(FArea, QEvent::MouseButtonPress, p, button, button);
    Mouse(FArea, QEvent::MouseButtonRelease, p, button, Qt::NoButton);
  }
  void Wheel(int delta, Qt::KeyboardModifiers modifiers) {
    const QPoint p = At(50, 50);
    QWheelEvent event(QPointF(p), QPointF(FArea->mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(FArea, &event);
  }
  // The window's own pixels over the area, as what was painted so far left them.
  QImage Shown() const {
    const QPoint corner = FArea->mapTo(FArea->window(), QPoint(0, 0));
    return FArea->screen()
        ->grabWindow(FArea->window()->winId(), corner.x(), corner.y(), FArea->width(), FArea->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }

  TkrKernoMainForm* FFrame = nullptr;
  TKernoChild* FChild = nullptr;
  TDocumentArea* FArea = nullptr;
};

// Where each widget was asked to paint.
class TPaintRecorder final : public QObject {
 public:
  TPaintRecorder() { QCoreApplication::instance()->installEventFilter(this); }
  ~TPaintRecorder() override { QCoreApplication::instance()->removeEventFilter(this); }
  QRegion Painted(const QObject* widget) const { return FPainted.value(widget); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) FPainted[watched] += static_cast<QPaintEvent*>(event)->region();
    return false;
  }

 private:
  QHash<const QObject*, QRegion> FPainted;
};

// Paints what is pending, as the event loop does after an input event.
void PaintPending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

qint64 Pixels(const QRegion& region) {
  qint64 n = 0;
  for (const QRect& r : region) n += static_cast<qint64>(r.width()) * r.height();
  return n;
}

}  // namespace

TEST_F(Input, DraggingAColumnMovesItOnceAndUndoRestoresTheSavedBytes) {
  TPrintDocument* document = FChild->Document();
  const QByteArray before = StoredForm(document, QStringLiteral("before.knd"));
  const QPoint from = At(10, 100);
  const QPoint to = At(40, 100);
  Mouse(FArea, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(Column(0)->Selected());
  const int rendered = FArea->RenderCount();

  // While the button is held only the outline moves.
  Mouse(FArea, QEvent::MouseMove, At(25, 100), Qt::NoButton, Qt::LeftButton);
  Mouse(FArea, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(FArea->RenderCount(), rendered) << "a mouse move rendered the document";
  const QPoint outline = At(30, 150);
  EXPECT_EQ(FArea->Buffer().pixel(outline) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(FArea->Screen().pixel(outline) & 0xFFFFFF, 0u) << "no outline where the column goes";
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 0);
  EXPECT_FALSE(document->GetModified()) << "the outline changed the document";
  EXPECT_EQ(StoredForm(document, QStringLiteral("during.knd")), before);
  EXPECT_EQ(FChild->Undo().Count(), 0);

  Mouse(FArea, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 30);
  EXPECT_DOUBLE_EQ(Column(0)->GetWidth(), 20);
  EXPECT_TRUE(document->GetModified());
  EXPECT_EQ(FChild->Undo().Count(), 1);
  EXPECT_TRUE(FFrame->Actions().FileUndo->isEnabled());

  FFrame->Actions().FileUndo->trigger();
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 0);
  EXPECT_EQ(StoredForm(document, QStringLiteral("undone.knd")), before);

  // A click without a move changes nothing and keeps no undo step.
  Click(At(10, 100));
  EXPECT_EQ(FChild->Undo().Count(), 0);
}

TEST_F(Input, EscapeCallsOffADragAndThenClearsTheSelection) {
  TPrintDocument* document = FChild->Document();
  const QByteArray before = StoredForm(document, QStringLiteral("before.knd"));
  Mouse(FArea, QEvent::MouseButtonPress, At(10, 100), Qt::LeftButton, Qt::LeftButton);
  Mouse(FArea, QEvent::MouseMove, At(40, 100), Qt::NoButton, Qt::LeftButton);
  const QPoint outline = At(30, 150);
  ASSERT_EQ(FArea->Screen().pixel(outline) & 0xFFFFFF, 0u) << "the outline shows";
  QTest::keyClick(FArea, Qt::Key_Escape);
  EXPECT_EQ(FArea->Screen().pixel(outline) & 0xFFFFFF, 0xFFFFFFu) << "the outline is gone";
  Mouse(FArea, QEvent::MouseButtonRelease, At(40, 100), Qt::LeftButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 0) << "the release after Escape moved the column";
  EXPECT_EQ(FChild->Undo().Count(), 0);
  EXPECT_EQ(StoredForm(document, QStringLiteral("after.knd")), before);
  ASSERT_TRUE(Column(0)->Selected()) << "calling off the drag keeps the selection";
  ASSERT_TRUE(FFrame->Actions().EditCopy->isEnabled());
  QTest::keyClick(FArea, Qt::Key_Escape);
  EXPECT_EQ(FChild->Selected(), nullptr);
  EXPECT_FALSE(FFrame->Actions().EditCopy->isEnabled());
}

TEST_F(Input, TabWalksTheObjectsAndEnterOpensTheSelectedOnesProperties) {
  // The document holds the body, the body its two columns.
  std::vector<TPrintObject*> order{Body(), Column(0), Column(1)};
  for (TPrintObject* o : order) {
    QTest::keyClick(FArea, Qt::Key_Tab);
    EXPECT_EQ(FChild->Selected(), o);
  }
  QTest::keyClick(FArea, Qt::Key_Tab);
  EXPECT_EQ(FChild->Selected(), Body()) << "after the last comes the first";
  QTest::keyClick(FArea, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(FChild->Selected(), Column(1)) << "and before the first the last";
  EXPECT_TRUE(FFrame->Actions().EditCopy->isEnabled()) << "the commands follow the selection";

  // An object out of view is scrolled to; one in view stays where it is.
  FArea->SetZoom(5);
  FArea->SetOrigin(FArea->MaxOriginX(), FArea->MaxOriginY());
  ASSERT_LT(FArea->PageToScreen(QPointF(Column(0)->Left() + Column(0)->GetWidth(), 0)).x(), 0) << "out of view";
  QTest::keyClick(FArea, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_EQ(FChild->Selected(), Column(0));
  const QPoint corner = FArea->PageToScreen(QPointF(Column(0)->Left(), Column(0)->Top()));
  EXPECT_TRUE(FArea->ViewRect().contains(corner)) << corner.x() << ", " << corner.y();
  QTest::keyClick(FArea, Qt::Key_Tab);
  const QPoint origin(FArea->OriginX(), FArea->OriginY());
  QTest::keyClick(FArea, Qt::Key_Tab);
  ASSERT_EQ(FChild->Selected(), Body());
  EXPECT_EQ(QPoint(FArea->OriginX(), FArea->OriginY()), origin) << "the body was in view";
  QTest::keyClick(FArea, Qt::Key_Tab);

  int opened = 0;
  RegisterPropertiesDialog(QStringLiteral("TPrintDeepScale"), [&](TPrintObject* object) {
    EXPECT_EQ(object, Column(0));
    ++opened;
    return false;
  });
  ASSERT_EQ(FChild->Selected(), Column(0));
  QTest::keyClick(FArea, Qt::Key_Return);
  ASSERT_TRUE(FFrame->Actions().EditProperties->isEnabled());
  FFrame->Actions().EditProperties->trigger();
  RegisterDialogs();
  EXPECT_EQ(opened, 2) << "Enter and Edit > Properties open the same dialog";
  EXPECT_EQ(FChild->Undo().Count(), 0) << "a cancelled dialog keeps no step";
  QTest::keyClick(FArea, Qt::Key_Escape);
  EXPECT_FALSE(FFrame->Actions().EditProperties->isEnabled()) << "nothing selected";
}

// A mouse move of a drag renders nothing and asks the window to paint only
// the strips along the outline's edges, where it was and where it goes; the
// ruler paints its old and new mouse marks and nothing under them paints at
// all. What the window then shows (its own pixels, painted piece by piece)
// has the frame at the new place and the document alone at the old one.
TEST_F(Input, ADragMovePaintsOnlyTheOutlinesEdges) {
  const TPrintObject* column = Column(0);
  ASSERT_GT(At(0, column->Top() + column->GetHeight()).y(), FArea->height())
      << "the column must be taller than the view";
  Mouse(FArea, QEvent::MouseButtonPress, At(10, 100), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(column->Selected());
  Mouse(FArea, QEvent::MouseMove, At(30, 100), Qt::NoButton, Qt::LeftButton);  // the outline over 20-40 mm
  PaintPending();
  const int rendered = FArea->RenderCount();

  TPaintRecorder recorder;
  Mouse(FArea, QEvent::MouseMove, At(60, 100), Qt::NoButton, Qt::LeftButton);  // now over 50-70 mm
  PaintPending();
  EXPECT_EQ(FArea->RenderCount(), rendered) << "a mouse move rendered the document";
  const QRegion painted = recorder.Painted(FArea);
  ASSERT_FALSE(painted.isEmpty()) << "the move painted nothing";
  // Strips a few pixels wide along the four vertical edges (the horizontal
  // ones, with the column's top, may show too).
  QRegion edges;
  for (const double mm : {20.0, 40.0, 50.0, 70.0}) edges += QRect(At(mm, 0).x() - 4, 0, 9, FArea->height());
  edges += QRect(0, At(0, column->Top()).y() - 4, FArea->width(), 9);
  EXPECT_TRUE(painted.subtracted(edges).isEmpty())
      << "painted away from the outline: " << Pixels(painted.subtracted(edges)) << " pixels";
  EXPECT_LT(Pixels(painted), static_cast<qint64>(FArea->width()) * FArea->height() / 20);
  const QRegion ruler = recorder.Painted(FChild->TopRuller());
  EXPECT_EQ(ruler, QRegion(QRect(At(30, 100).x(), 0, 1, FChild->TopRuller()->height())) +
                       QRect(At(60, 100).x(), 0, 1, FChild->TopRuller()->height()));
  EXPECT_TRUE(recorder.Painted(FChild->LeftRuller()).isEmpty()) << "the mouse did not move up or down";
  EXPECT_TRUE(recorder.Painted(FChild).isEmpty()) << "the window under the ruler painted";

  // The window's own pixels, as the pieces painted so far left them.
  const QImage shown = Shown();
  ASSERT_EQ(shown.size(), FArea->size());
  const QImage& buffer = FArea->Buffer();
  const auto column_of = [&](const QImage& image, int x) {
    QList<QRgb> pixels;
    for (int y = 0; y < FArea->height(); ++y) pixels.append(image.pixel(x, y) & 0xFFFFFF);
    return pixels;
  };
  for (const double mm : {20.0, 40.0}) {
    const int x = At(mm, 0).x() - (mm == 40.0 ? 1 : 0);
    EXPECT_EQ(column_of(shown, x), column_of(buffer, x)) << "the outline left pixels at " << mm << " mm";
  }
  const int left = At(50, 0).x();
  int dark = 0;
  for (int y = 0; y < FArea->height(); ++y)
    dark += qGray(shown.pixel(left, y)) < 64 && qGray(buffer.pixel(left, y)) > 192;
  EXPECT_GT(dark, FArea->height() / 2) << "no frame where the column goes";
  Mouse(FArea, QEvent::MouseButtonRelease, At(60, 100), Qt::LeftButton, Qt::NoButton);
}

// After a drag's outline has gone back and forth, over and beside where it
// was, the window's own pixels (painted piece by piece, the outline played
// over the kept picture) must be the rendered document with one outline, at
// the last place, drawn straight onto it: no trace of an earlier place, and
// the same pixels as drawing the outline directly. The cross lines follow.
TEST_F(Input, ADragOutlineMovedBackAndForthLeavesNoTrace) {
  TPrintObject* column = Column(0);
  Mouse(FArea, QEvent::MouseButtonPress, At(10, 100), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(column->Selected());
  FArea->SetCrossX(At(33, 0).x());  // under some outlines, beside others
  QPoint last;
  for (const double mm : {30.0, 31.0, 60.0, 12.0, 33.0, 34.0, 24.0}) {
    last = At(mm, 100 + mm / 4);
    Mouse(FArea, QEvent::MouseMove, last, Qt::NoButton, Qt::LeftButton);
    PaintPending();
  }
  const QImage shown = Shown();
  ASSERT_EQ(shown.size(), FArea->size());

  // The rendered document, the column's marks and frame where the last move
  // tried it, then the cross line.
  QImage expected = FArea->Buffer().copy(FArea->rect());
  {
    const QPointF from = FArea->ScreenToPage(At(10, 100));
    const QPointF to = FArea->ScreenToPage(last);
    const TBoundsRect start = column->GetBoundsRect();
    column->DragBy(from.x(), from.y(), to.x(), to.y());
    QPainter painter(&expected);
    TDrawContext context;
    context.DC = &painter;
    context.OriginX = RoundEven(FArea->VisibleOrigin().x());
    context.OriginY = RoundEven(FArea->VisibleOrigin().y());
    context.Zoom = static_cast<float>(FArea->Zoom());
    context.ClipRect = TRect{0, 0, FArea->width(), FArea->height()};
    painter.setPen(CosmeticPen(Qt::black));
    context.Options = doSelection;
    column->Draw(context);
    context.Options = doFrames;
    column->Draw(context);
    painter.setPen(CosmeticPen(QColor(0, 0, 192)));
    painter.drawLine(FArea->CrossX(), 0, FArea->CrossX(), FArea->height() - 1);
    column->SetBoundsRect(start);
  }
  int differing = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      differing += (shown.pixel(x, y) & 0xFFFFFF) != (expected.pixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(differing, 0) << "the window differs from one outline drawn over the document";
  EXPECT_EQ(FArea->Screen().copy(FArea->rect()), expected) << "the area's own picture lags behind the window";
  Mouse(FArea, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
  FArea->SetCrossX(-1);
}

// The ruler keeps its picture between mouse moves, yet follows a scroll and
// a zoom at once, and shows the mouse mark over the kept picture.
TEST_F(Input, TheRulerFollowsTheViewAndTheMouse) {
  TScreenRuller* ruler = FChild->TopRuller();
  const auto picture = [&] { return ruler->grab().toImage().convertToFormat(QImage::Format_RGB32); };
  ruler->SetMousePosition(-1);
  const QImage plain = picture();
  ruler->SetMousePosition(40);
  const QImage marked = picture();
  EXPECT_EQ(marked.pixel(40, ruler->height() / 2) & 0xFFFFFF, 0x0000C0u) << "no mouse mark";
  for (int x = 0; x < plain.width(); ++x) {
    if (x == 40) continue;
    ASSERT_EQ(marked.pixel(x, 5), plain.pixel(x, 5)) << "the mark spread to " << x;
  }
  ruler->SetMousePosition(-1);
  const int origin = FArea->OriginX();
  FArea->SetOrigin(origin - 7, FArea->OriginY());
  ASSERT_EQ(FArea->OriginX(), origin - 7);
  EXPECT_NE(picture(), plain) << "the ruler did not follow the scroll";
  FArea->SetOrigin(origin, FArea->OriginY());
  EXPECT_EQ(picture(), plain);
  FArea->SetZoom(2);
  EXPECT_NE(picture(), plain) << "the ruler did not follow the zoom";
}

TEST_F(Input, CursorShapesFollowHitCodesAndModes) {
  EXPECT_EQ(CursorForHit(pfMoveX | pfHitBody, cmSelect).shape(), Qt::SizeHorCursor);
  EXPECT_EQ(CursorForHit(pfSizeX, cmSize).shape(), Qt::SizeHorCursor);
  EXPECT_EQ(CursorForHit(pfMoveY, cmSelect).shape(), Qt::SizeVerCursor);
  EXPECT_EQ(CursorForHit(pfSizeY, cmSelect).shape(), Qt::SizeVerCursor);
  EXPECT_EQ(CursorForHit(pfMoveX | pfMoveY | pfHitBody, cmSelect).shape(), Qt::SizeAllCursor);
  EXPECT_EQ(CursorForHit(pfSizeX | pfSizeY, cmSelect).shape(), Qt::SizeFDiagCursor);
  EXPECT_EQ(CursorForHit(pfHitBody, cmSelect).shape(), Qt::ArrowCursor);
  EXPECT_EQ(CursorForHit(pfHitBody, cmSize).shape(), Qt::CrossCursor);
  EXPECT_EQ(CursorForHit(pfMoveX, cmHand).shape(), Qt::OpenHandCursor) << "the hand ignores the objects";
  EXPECT_EQ(CursorForHit(0, cmScale).shape(), Qt::BitmapCursor);

  // Over a column's right edge (its width may be dragged) and inside it.
  Mouse(FArea, QEvent::MouseMove, At(20, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(FArea->cursor().shape(), Qt::SizeHorCursor);
  FChild->SetCursorMode(cmSize);
  Mouse(FArea, QEvent::MouseMove, At(60, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(FArea->cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(FArea->CrossY(), At(60, 100).y()) << "the cross mode draws a line at the mouse";
}

TEST_F(Input, TheWheelScrollsOrZoomsByItsModifier) {
  // Defaults: alone it zooms out, with Ctrl it scrolls down the page, with Shift across.
  Wheel(120, Qt::NoModifier);
  EXPECT_NEAR(FArea->Zoom(), 0.9, 1e-9);
  Wheel(-240, Qt::NoModifier);
  EXPECT_NEAR(FArea->Zoom(), 1.1, 1e-9);
  // (A zoom keeps the origin within the new limits: read it afterwards.)
  const int y = FArea->OriginY();
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(FArea->OriginY(), y + 10);
  EXPECT_EQ(FChild->VertScrollBar()->value(), y + 10) << "the scroll bar follows";
  const int x = FArea->OriginX();
  Wheel(-120, Qt::ShiftModifier);
  EXPECT_EQ(FArea->OriginX(), x + 10);
  FSettings->SetWheelCtrl(4);
  Wheel(120, Qt::ControlModifier);
  EXPECT_NEAR(FArea->Zoom(), 1.2, 1e-9);
  FSettings->SetWheel(0);
  Wheel(120, Qt::NoModifier);
  EXPECT_NEAR(FArea->Zoom(), 1.2, 1e-9);
  EXPECT_TRUE(FFrame->StatusLabel()->text().endsWith(QStringLiteral("(120%)")) ||
              FFrame->StatusLabel()->text().contains(QStringLiteral("(120%)")))
      << FFrame->StatusLabel()->text().toStdString();
}

TEST_F(Input, SpaceTogglesTheHandAndArrowsMoveTheSelectionBySnapSteps) {
  QTest::keyClick(FArea, Qt::Key_Space);
  EXPECT_EQ(FChild->CursorMode(), cmHand);
  EXPECT_TRUE(FFrame->Actions().CursorHand->isChecked());
  QTest::keyClick(FArea, Qt::Key_Space);
  EXPECT_EQ(FChild->CursorMode(), cmSelect);
  FChild->SetCursorMode(cmScale);
  QTest::keyClick(FArea, Qt::Key_Space);
  EXPECT_EQ(FChild->CursorMode(), cmHand);
  QTest::keyClick(FArea, Qt::Key_Space);
  EXPECT_EQ(FChild->CursorMode(), cmSelect);

  Click(At(10, 100));
  ASSERT_TRUE(Column(0)->Selected());
  QTest::keyClick(FArea, Qt::Key_Right);
  QTest::keyClick(FArea, Qt::Key_Right);
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 1.0);
  EXPECT_EQ(FChild->Undo().Count(), 2);
  QTest::keyClick(FArea, Qt::Key_Up);
  EXPECT_DOUBLE_EQ(Column(0)->Top(), 0) << "columns do not move along the depth";
  EXPECT_EQ(FChild->Undo().Count(), 2) << "a move that did not happen kept its snapshot";
  FSettings->SetSnap(2);
  QTest::keyClick(FArea, Qt::Key_Left);
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 0) << "snapped to the new step and kept inside the body";
}

TEST_F(Input, TheStatusTextShowsTheSnappedPositionZoomAndDepth) {
  // The body is at 1:200 from 0 m: 100 mm down is 20 m.
  EXPECT_EQ(FChild->Input()->StatusText(At(10, 100)), QStringLiteral("10 x 100 (100%)   20 m"));
  // The unit in the program's language.
  ASSERT_TRUE(LoadLanguage(QStringLiteral(KERNO_SOURCE_DIR "/resources/russian.vox")));
  const QString russian = FChild->Input()->StatusText(At(10, 100));
  UnloadLanguage();
  EXPECT_EQ(russian, QStringLiteral("10 x 100 (100%)   20 м"));
  FSettings->SetSnap(0);
  const QString text = FChild->Input()->StatusText(At(10, 50));
  EXPECT_TRUE(text.endsWith(QStringLiteral(" m"))) << text.toStdString();
  Mouse(FArea, QEvent::MouseMove, At(10, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(FFrame->StatusLabel()->text().contains(QStringLiteral("(100%)")));
  // A column's note beyond the body's edge (a curve's scale header stacked in
  // the head of column titles) belongs to the body but stands at no depth of it.
  auto* column = Column(0)->AsObjectList();
  ASSERT_TRUE(column);
  const double bottom = Body()->Top() + Body()->GetHeight();
  auto note = std::make_unique<TPrintText>();
  note->SetBoundsRect({Column(0)->Left(), bottom + 2, Column(0)->Left() + 10, bottom + 8});
  TPrintText* beyond = note.get();
  column->AddChild(std::move(note));
  TPrintObject* hit = nullptr;
  FChild->Document()->HitTest(Column(0)->Left() + 5, bottom + 5, &hit);
  ASSERT_EQ(hit, beyond);
  const QString overNote = FChild->Input()->StatusText(At(Column(0)->Left() + 5, bottom + 5));
  EXPECT_TRUE(overNote.endsWith(QStringLiteral("(100%)"))) << overNote.toStdString();
  column->DeleteChild(column->IndexOf(beyond));
  // A head maps page positions as well, but to no depth of the well.
  const TPrintHeader* added = AddHeadBelowBody(20);
  const double inHead = added->Top() + 10;
  hit = nullptr;
  FChild->Document()->HitTest(10, inHead, &hit);
  ASSERT_TRUE(hit && (hit == added || hit->Parent() == added));
  const QString overHead = FChild->Input()->StatusText(At(10, inHead));
  EXPECT_TRUE(overHead.endsWith(QStringLiteral("(100%)"))) << overHead.toStdString();

  // Within one snapping step the text is not made again; across a step, after
  // a zoom, and after another window showed its text, it is.
  FSettings->SetSnap(5);
  QSignalSpy spy(FChild, &TKernoChild::StatusChanged);
  Mouse(FArea, QEvent::MouseMove, At(20, 100), Qt::NoButton, Qt::NoButton);
  Mouse(FArea, QEvent::MouseMove, At(21, 100), Qt::NoButton, Qt::NoButton);
  Mouse(FArea, QEvent::MouseMove, At(19, 101), Qt::NoButton, Qt::NoButton);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("20 x 100 (100%)   20 m"));
  Mouse(FArea, QEvent::MouseMove, At(24, 100), Qt::NoButton, Qt::NoButton);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(1).at(0).toString(), QStringLiteral("25 x 100 (100%)   20 m"));
  // A zoom tells at once what lies under the mouse now, and at which zoom.
  FArea->SetZoom(2);
  ASSERT_EQ(spy.count(), 3);
  EXPECT_TRUE(spy.at(2).at(0).toString().contains(QStringLiteral("(200%)")))
      << spy.at(2).at(0).toString().toStdString();
  Mouse(FArea, QEvent::MouseMove, At(24, 100), Qt::NoButton, Qt::NoButton);
  ASSERT_EQ(spy.count(), 4);
  EXPECT_EQ(spy.at(3).at(0).toString(), QStringLiteral("25 x 100 (200%)   20 m"));
  QEvent leave(QEvent::Leave), enter(QEvent::Enter);
  QCoreApplication::sendEvent(FArea, &leave);
  QCoreApplication::sendEvent(FArea, &enter);
  Mouse(FArea, QEvent::MouseMove, At(24, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(spy.count(), 5);
}

// A drag's mouse moves come far faster than the status bar is read: it is
// told at most about thirty times a second, always ends at the latest point,
// and the release shows its own point at once.
TEST_F(Input, ADragTellsTheStatusBarAtMostThirtyTimesASecond) {
  FSettings->SetSnap(0.5);
  QSignalSpy spy(FChild, &TKernoChild::StatusChanged);
  Mouse(FArea, QEvent::MouseButtonPress, At(10, 100), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(Column(0)->Selected());
  QElapsedTimer clock;
  clock.start();
  constexpr int kMoves = 60;
  for (int i = 1; i <= kMoves; ++i) Mouse(FArea, QEvent::MouseMove, At(10 + i, 100), Qt::NoButton, Qt::LeftButton);
  const qint64 elapsed = clock.elapsed();
  // One at the first move, then one per interval begun (however slow the machine).
  EXPECT_LE(spy.count(), 2 + elapsed / 33) << "of " << kMoves << " moves in " << elapsed << " ms";
  // The latest point comes when the interval is over.
  const QString last = QStringLiteral("%1 x 100 (100%)   20 m").arg(10 + kMoves);
  EXPECT_TRUE(QTest::qWaitFor([&] { return spy.last().at(0).toString() == last; }, 2000))
      << spy.last().at(0).toString().toStdString();
  Mouse(FArea, QEvent::MouseMove, At(80, 100), Qt::NoButton, Qt::LeftButton);
  Mouse(FArea, QEvent::MouseButtonRelease, At(80, 100), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(spy.last().at(0).toString(), QStringLiteral("80 x 100 (100%)   20 m")) << "the release waited";
  EXPECT_DOUBLE_EQ(Column(0)->Left(), 70);
  // Without a button held every move is told at once.
  const int before = static_cast<int>(spy.count());
  Mouse(FArea, QEvent::MouseMove, At(90, 100), Qt::NoButton, Qt::NoButton);
  Mouse(FArea, QEvent::MouseMove, At(95, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(spy.count(), before + 2);
  EXPECT_EQ(spy.last().at(0).toString(), QStringLiteral("95 x 100 (100%)   20 m"));
}

TEST_F(Input, DraggingFromARulerPlacesAGuide) {
  TScreenRuller* ruler = FChild->TopRuller();
  const QPoint start(100, 10);
  Mouse(ruler, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  const QPoint target = At(50, 80);
  const QPoint inRuler = ruler->mapFromGlobal(FArea->mapToGlobal(target));
  Mouse(ruler, QEvent::MouseMove, inRuler, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(FArea->CrossY(), target.y());
  Mouse(ruler, QEvent::MouseButtonRelease, inRuler, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(FArea->CrossY(), -1);
  TPrintDocument* document = FChild->Document();
  ASSERT_EQ(document->Count(), 2);
  auto* guide = dynamic_cast<TFixedRuller*>(document->GetChild(1));
  ASSERT_NE(guide, nullptr);
  EXPECT_FALSE(guide->IsVertical());
  EXPECT_NEAR(guide->Top(), 80, 0.5);
  EXPECT_EQ(FChild->Undo().Count(), 1);
  EXPECT_FALSE(ruler->toolTip().isEmpty());
}

TEST_F(Input, ThePopupMenuOffersWhatTheSelectionAllows) {
  const auto item = [](QMenu* menu, const char* name) {
    QAction* action = menu->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
  };
  Click(At(10, 100));
  std::unique_ptr<QMenu> menu(BuildDocumentPopup(FChild, QPointF(10, 100)));
  // A depth scale takes no children: Add puts a column into its body, and says so.
  EXPECT_TRUE(item(menu.get(), "PopupAdd")->isEnabled());
  EXPECT_EQ(item(menu.get(), "PopupAdd")->text(), QStringLiteral("Add to \"Logs\""));
  EXPECT_TRUE(item(menu.get(), "PopupDelete")->isEnabled());
  EXPECT_TRUE(item(menu.get(), "PopupFont")->isEnabled());
  EXPECT_TRUE(item(menu.get(), "PopupBorder")->isChecked());
  EXPECT_NE(menu->findChild<QMenu*>(QStringLiteral("PopupExpand")), nullptr);
  EXPECT_EQ(item(menu.get(), "PopupSaveObject")->text(), QStringLiteral("Save object Logs"))
      << "the body holds the data";
  item(menu.get(), "PopupBorder")->trigger();
  EXPECT_FALSE(Column(0)->Border());
  EXPECT_EQ(FChild->Undo().Count(), 1);

  // The body takes new columns.
  Click(At(60, 100));
  ASSERT_TRUE(Body()->Selected());
  menu.reset(BuildDocumentPopup(FChild, QPointF(60, 100)));
  EXPECT_TRUE(item(menu.get(), "PopupAdd")->isEnabled());
  EXPECT_EQ(item(menu.get(), "PopupAdd")->text(), QStringLiteral("Add"));
  EXPECT_FALSE(item(menu.get(), "PopupFont")->isEnabled());
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), [](TPrintObject*) { return true; });
  RegisterPropertiesDialog(QStringLiteral("TPrintDeepScale"), [](TPrintObject*) { return false; });
  // The depth scale's place among the kinds the body offers: those registered.
  int scaleChoice = 0;
  for (int i = 0; Body()->GetInsertableKind(i) != kindDeepScale; ++i)
    if (IsKindRegistered(Body()->GetInsertableKind(i))) ++scaleChoice;
  FUi.ListAnswers = {scaleChoice};
  item(menu.get(), "PopupAdd")->trigger();
  RegisterDialogs();
  ASSERT_EQ(Body()->Count(), 3);
  EXPECT_DOUBLE_EQ(Body()->GetChild(1)->Left(), 60);
  EXPECT_EQ(FChild->Undo().Count(), 2);
  FFrame->Actions().FileUndo->trigger();
  EXPECT_EQ(Body()->Count(), 2);
}

TEST_F(Input, PageKeysScrollByAWindowAndHomeAndEndToTheEdges) {
  FFrame->ViewScaleClick(200);  // the 300 mm document is taller than the window
  const auto top = [this] { return FArea->ScreenToPage(QPointF(0, 0)).y(); };
  const auto bottom = [this] { return FArea->ScreenToPage(QPointF(0, FArea->ViewRect().height())).y(); };
  QTest::keyClick(FArea, Qt::Key_Home);
  EXPECT_EQ(FArea->OriginY(), -5) << "as a document opens";
  const double window = bottom() - top();
  ASSERT_LT(window, 250);
  const double before = top();
  QTest::keyClick(FArea, Qt::Key_PageDown);
  EXPECT_NEAR(top() - before, window * 0.9, 1) << "a tenth of the last view stays in sight";
  QTest::keyClick(FArea, Qt::Key_PageUp);
  EXPECT_NEAR(top(), before, 1);
  QTest::keyClick(FArea, Qt::Key_End);
  const double end = FChild->Document()->Top() + FChild->Document()->GetHeight();
  EXPECT_GT(bottom(), end) << "the bottom edge in view";
  EXPECT_LT(bottom() - end, 10) << "with a little margin";
  EXPECT_EQ(FChild->Undo().Count(), 0);
}

TEST_F(Input, GoToDepthScrollsTheDepthToTheMiddleOfTheWindow) {
  Body()->SetStartDepth(1000);
  TPrintDocument* document = FChild->Document();
  const auto middle = [this, document] {
    return document->DepthAt(FArea->ScreenToPage(QPointF(0, FArea->ViewRect().height() / 2.0)).y());
  };
  const double bottom = Body()->BottomDepth();
  const double target = 1000 + (bottom - 1000) * 0.8;
  FUi.TextAnswers = {QString::number(target).replace('.', ',')};  // the decimal comma reads too
  FFrame->Actions().ViewGoToDepth->trigger();
  ASSERT_TRUE(FUi.Messages.empty()) << FUi.Messages[0].Text.toStdString();
  const double mmPerMetre = (document->PageYAt(bottom) - document->PageYAt(1000)) / (bottom - 1000);
  EXPECT_NEAR(middle(), target, 1 / mmPerMetre) << "within a millimetre of the sheet";

  // The prompt offers the depth shown; a depth outside the body or a word is reported.
  FUi.TextAnswers = {QStringLiteral("999")};
  FFrame->Actions().ViewGoToDepth->trigger();
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.startsWith("No body of the document shows the depth 999 m; it shows 1000 – "));
  FUi.TextAnswers = {QStringLiteral("deep")};
  FFrame->Actions().ViewGoToDepth->trigger();
  ASSERT_EQ(FUi.Messages.size(), 2u);
  EXPECT_EQ(FUi.Messages[1].Text, "\"deep\" is not a depth in metres");
  EXPECT_NEAR(middle(), target, 1 / mmPerMetre) << "nothing scrolled";
  EXPECT_EQ(FChild->Undo().Count(), 0) << "going to a depth is no edit";
}

TEST_F(Input, WithoutAPrinterPrintingWritesAPdfFile) {
  FFrame->Printing().SetHasPrinter(false);
  EXPECT_EQ(FFrame->Printing().PageCount(FChild->Document()), 2) << "300 mm on A4";
  FUi.FileAnswers = {Path(QStringLiteral("out.pdf"))};
  FFrame->Actions().FilePrint->trigger();
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  EXPECT_TRUE(FUi.FileDialogs[0].Filter.contains(QStringLiteral("*.pdf")));
  EXPECT_TRUE(Bytes(Path(QStringLiteral("out.pdf"))).startsWith("%PDF"));
  EXPECT_TRUE(FUi.Messages.empty());
}

// Data put into a fresh sheet at the well's depths, below its planned
// interval, would print empty pages down to them: the window offers to start
// the sheet there, inside the same undo step. A sheet that held data is never asked about.
TEST_F(Input, DataBelowAFreshSheetOffersToStartTheSheetAtThem) {
  TPassportBody* body = Body();
  ASSERT_DOUBLE_EQ(body->GetStartDepth(), 0);
  ASSERT_DOUBLE_EQ(body->IntervalLength(), 60);  // 300 mm at 1:200
  const auto addCore = [&](double top, double bottom) {
    return FChild->RunEdit([&] {
      auto table = std::make_unique<TPrintDeepTable>();
      table->SetBoundsRect({130, body->Top(), 160, body->Top() + 10});
      table->Table().SetColCount(2);
      table->Table().SetRowCount(1);
      table->Table().SetCell(0, 0, DepthText(top));
      table->Table().SetCell(1, 0, DepthText(bottom));
      table->RebuildIntervals();
      body->AddChild(std::move(table));
      body->Changed();
      return true;
    });
  };
  FUi.MessageAnswers = {TMsgResult::Yes};
  ASSERT_TRUE(addCore(1450, 1460));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("1450")) << FUi.Messages[0].Text.toStdString();
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1450);
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 1510) << "the planned 60 m from the data";
  EXPECT_DOUBLE_EQ(body->DataTopDepth(), 1450);

  // Another core run: the sheet held data, nothing is asked.
  ASSERT_TRUE(addCore(1600, 1610));
  EXPECT_EQ(FUi.Messages.size(), 1u);

  // One undo step took the table and the move: the first undo keeps the
  // second run out, the next one brings the empty sheet back at 0 m.
  ASSERT_TRUE(FChild->UndoLast());
  ASSERT_TRUE(FChild->UndoLast());
  body = Body();
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 0);
  EXPECT_TRUE(std::isnan(body->DataTopDepth()));

  // No keeps the sheet where it was.
  FUi.MessageAnswers = {TMsgResult::No};
  ASSERT_TRUE(addCore(1450, 1460));
  EXPECT_EQ(FUi.Messages.size(), 2u);
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 0);
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 1460);
}

// A picture file dropped on a head joins it at the drop, fitted inside; one
// dropped where nothing takes pictures is opened as a document would be (and
// refused as one).
TEST_F(Input, APictureDroppedOnAHeadJoinsItThere) {
  TPrintHeader* added = AddHeadBelowBody(30);
  const double below = added->Top();
  FArea->SetZoom(0.2);  // the whole sheet in view
  QImage photo(600, 300, QImage::Format_RGB32);
  photo.fill(qRgb(120, 90, 60));
  const QString path = Path(QStringLiteral("logo.png"));
  ASSERT_TRUE(photo.save(path));

  const auto drop = [&](double x, double y) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = FArea->mapTo(FFrame, At(x, y));
    // A drop goes where the drag entered.
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FFrame, &enter);
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FFrame, &event);
  };
  const int undo = FChild->Undo().Count();
  drop(150, below + 10);
  ASSERT_EQ(added->Count(), 2);
  const TPrintObject* picture = added->GetChild(1);
  EXPECT_EQ(picture->GetKind(), kindImage);
  EXPECT_NEAR(picture->Left() + picture->GetWidth(), 190, 1e-9) << "200 mm cut to the head's width";
  EXPECT_NEAR(picture->GetHeight(), picture->GetWidth() / 2, 1e-9) << "its proportions kept";
  EXPECT_EQ(FChild->Undo().Count(), undo + 1) << "one step to take it back";
  ASSERT_TRUE(FChild->UndoLast());
  EXPECT_EQ(static_cast<TPrintHeader*>(FChild->Document()->GetChild(1))->Count(), 1);

  // On the depth scale nothing takes pictures: the file is opened as a document, and refused.
  FUi.Messages.clear();
  drop(10, 50);
  EXPECT_EQ(FFrame->Children().size(), 1);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("logo.png"))) << FUi.Messages[0].Text.toStdString();
}
