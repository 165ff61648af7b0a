#include "uDocumentInput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "uCurveReadout.h"
#include "uDocumentArea.h"
#include "uDocumentPopup.h"
#include "uKernoChild.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uScreenRuller.h"
#include "uSettings.h"

namespace {

// How often a drag updates the status text: about 30 times a second.
constexpr qint64 kDragStatusMs = 33;

// A magnifying glass: the zoom mode has no cursor of the platform's own.
QCursor ZoomCursor() {
  static const QCursor cursor = [] {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QRectF(2, 2, 13, 13));
    p.drawLine(QPointF(13, 13), QPointF(21, 21));
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QRectF(2, 2, 13, 13));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(QPointF(13, 13), QPointF(21, 21));
    p.end();
    return QCursor(pixmap, 8, 8);
  }();
  return cursor;
}

QString Number(double value) { return QString::fromStdString(FormatGeneral(value)); }

// The modified marks of `object` and its ancestors, to be put back after a
// move that was only tried.
std::vector<std::pair<TPrintObject*, bool>> ModifiedChain(TPrintObject* object) {
  std::vector<std::pair<TPrintObject*, bool>> chain;
  for (TPrintObject* o = object; o; o = o->Parent()) chain.emplace_back(o, o->GetModified());
  return chain;
}

}  // namespace

QCursor CursorForHit(uint32_t code, int mode) {
  if (mode != cmHand) {
    switch (code & ~static_cast<uint32_t>(pfHitBody)) {
      case pfMoveX:
      case pfSizeX:
        return QCursor(Qt::SizeHorCursor);
      case pfMoveY:
      case pfSizeY:
        return QCursor(Qt::SizeVerCursor);
      case pfMoveX | pfMoveY:
        return QCursor(Qt::SizeAllCursor);
      case pfSizeX | pfSizeY:
        return QCursor(Qt::SizeFDiagCursor);
      default:
        break;
    }
  }
  switch (mode) {
    case cmHand:
      return QCursor(Qt::OpenHandCursor);
    case cmSize:
      return QCursor(Qt::CrossCursor);
    case cmScale:
      return ZoomCursor();
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

double WheelZoom(int action, int delta, double zoom) {
  const double step = delta * 0.1 / 120;
  if (action == 4) return zoom + step;
  if (action == 5) return zoom - step;
  return zoom;
}

TDocumentInput::TDocumentInput(TKernoChild* child) : QObject(child), FChild(child) {
  child->Area()->installEventFilter(this);
  // A zoom or a scroll puts another page point under the mouse, and the zoom is in the text.
  connect(child->Area(), &TDocumentArea::ViewChanged, this, [this] {
    if (FLast.x() >= 0) ShowStatus(FLast);
  });
}

bool TDocumentInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched != FChild->Area()) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      Press(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::MouseMove:
      Move(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::MouseButtonRelease:
      Release(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::MouseButtonDblClick:
      DoubleClick(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::Wheel:
      Wheel(static_cast<QWheelEvent*>(event));
      return true;
    case QEvent::KeyPress:
      return Key(static_cast<QKeyEvent*>(event));
    case QEvent::Enter:
      // Another window may have shown its text meanwhile.
      FStatusShown = false;
      return false;
    case QEvent::Leave:
      FStatusShown = false;
      if (FChild->CursorMode() == cmSize) FChild->Area()->SetCrossY(-1);
      FChild->TopRuller()->SetMousePosition(-1);
      FChild->LeftRuller()->SetMousePosition(-1);
      return false;
    default:
      return false;
  }
}

QPointF TDocumentInput::SnappedPage(QPoint pixel) const {
  const QPointF page = FChild->Area()->ScreenToPage(pixel);
  const double step = Settings().Snap();
  return {TSettings::SnapTo(page.x(), step), TSettings::SnapTo(page.y(), step)};
}

QString TDocumentInput::StatusText(QPoint pixel) const { return StatusTextAt(SnappedPage(pixel)); }

QString TDocumentInput::StatusTextAt(QPointF page) const {
  QString text = Number(page.x()) + QStringLiteral(" x ") + Number(page.y()) + QStringLiteral(" (") +
                 QString::number(RoundEven(FChild->Area()->Zoom() * 100)) + QStringLiteral("%)");
  TPrintObject* target = nullptr;
  FChild->Document()->HitTest(page.x(), page.y(), &target);
  // Depths are a body's: heads map page positions too, but to no depth of the well.
  // Scale headers stacked above a track belong to its body but stand in the
  // head over it, above the body's first depth.
  for (TPrintObject* o = target; o; o = o->Parent()) {
    if (const auto* body = dynamic_cast<const TPassportBody*>(o)) {
      if (page.y() < body->Top() || page.y() > body->Top() + body->GetHeight()) break;
      const double depth = body->PageToDepth(page.y());
      if (std::isfinite(depth)) {
        text += QStringLiteral("   ") + QString::fromStdString(FormatSignificant(depth, 6)) + QLatin1Char(' ') +
                TranslateGeneral(QStringLiteral("MetresShort"), QStringLiteral("m"));
        // Over a curve column, its curves' values at that depth.
        const QString values = CurveReadout(target, depth);
        if (!values.isEmpty()) text += QStringLiteral("   ") + values;
      }
      break;
    }
  }
  return text;
}

TPrintObject* TDocumentInput::SelectAt(QPoint pixel) {
  TPrintDocument* document = FChild->Document();
  const QPointF page = FChild->Area()->ScreenToPage(pixel);
  TPrintObject* target = nullptr;
  document->HitTest(page.x(), page.y(), &target);
  Select(target);
  return target;
}

void TDocumentInput::Select(TPrintObject* object) {
  FChild->Document()->SetSelected(false);
  if (object) object->SetSelected(true);
  FChild->Area()->Present(nullptr);
  emit FChild->CommandsChanged();
}

void TDocumentInput::UpdateCursor() {
  const int mode = FChild->CursorMode();
  uint32_t code = 0;
  if (FLast.x() >= 0 && mode != cmHand) {
    const QPointF page = FChild->Area()->ScreenToPage(FLast);
    code = FChild->Document()->HitTest(page.x(), page.y(), nullptr);
  }
  FChild->Area()->setCursor(CursorForHit(code, mode));
}

bool TDocumentInput::Panning() const { return FButton == Qt::MiddleButton || FChild->CursorMode() == cmHand; }

void TDocumentInput::Press(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  FDown = FLast = pos;
  FShiftAtPress = event->modifiers() & Qt::ShiftModifier;
  FButton = event->button();
  FCaptured = true;
  FPressSnap = Settings().Snap();
  FPanOriginX = FChild->Area()->OriginX();
  FPanOriginY = FChild->Area()->OriginY();
  FChild->Area()->setFocus(Qt::MouseFocusReason);
  const int mode = FChild->CursorMode();
  if (Panning()) {
    FChild->Area()->setCursor(Qt::ClosedHandCursor);
    return;
  }
  if (mode == cmScale) {
    FCaptured = false;
    const double zoom = FChild->Area()->Zoom();
    if (FButton == Qt::LeftButton) ZoomAt(pos, zoom * 1.25);
    if (FButton == Qt::RightButton) ZoomAt(pos, zoom / 1.25);
    return;
  }
  if (FButton != Qt::LeftButton && FButton != Qt::RightButton) return;
  TPrintObject* selected = SelectAt(pos);
  if (FButton == Qt::RightButton) {
    FCaptured = false;
    FButton = Qt::NoButton;
    ShowDocumentPopup(FChild, event->globalPosition().toPoint(), FChild->Area()->ScreenToPage(pos));
    (void)selected;
  }
}

void TDocumentInput::ShowStatus(QPoint pixel) {
  // A mouse move within one snapping step shows the same text: neither the
  // hit test for the depth nor the number formatting is done again. Any
  // render (an edit, a scroll, a zoom) may change the text for the same point.
  const TDocumentArea* area = FChild->Area();
  // While a button is held the snapping step read at the press serves: the
  // settings file is not looked at again at every move.
  const QPointF exact = area->ScreenToPage(pixel);
  const double step = FCaptured ? FPressSnap : Settings().Snap();
  const TStatusKey key{QPointF(TSettings::SnapTo(exact.x(), step), TSettings::SnapTo(exact.y(), step)), area->Zoom(),
                       area->RenderCount()};
  if (FStatusShown && key.Page == FStatusKey.Page && key.Zoom == FStatusKey.Zoom && key.Renders == FStatusKey.Renders)
    return;
  FStatusKey = key;
  FStatusShown = true;
  emit FChild->StatusChanged(StatusTextAt(key.Page));
}

void TDocumentInput::ShowDragStatus(QPoint pixel) {
  FDragStatusPixel = pixel;
  if (!FDragStatusClock.isValid() || FDragStatusClock.elapsed() >= kDragStatusMs) {
    FDragStatusClock.start();
    ShowStatus(pixel);
    return;
  }
  if (!FDragStatusTimer) {
    FDragStatusTimer = new QTimer(this);
    FDragStatusTimer->setSingleShot(true);
    connect(FDragStatusTimer, &QTimer::timeout, this, [this] {
      // A release shows its own point; a drag called off leaves it to the next move.
      if (!FCaptured) return;
      FDragStatusClock.start();
      ShowStatus(FDragStatusPixel);
    });
  }
  if (!FDragStatusTimer->isActive())
    FDragStatusTimer->start(static_cast<int>(std::max<qint64>(1, kDragStatusMs - FDragStatusClock.elapsed())));
}

void TDocumentInput::Move(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (FCaptured && (event->buttons() & FButton))
    ShowDragStatus(pos);
  else
    ShowStatus(pos);
  FChild->TopRuller()->SetMousePosition(pos.x());
  FChild->LeftRuller()->SetMousePosition(pos.y());
  const int mode = FChild->CursorMode();
  if (FCaptured && (event->buttons() & FButton)) {
    if (Panning())
      Pan(pos);
    else if ((mode == cmSelect || mode == cmSize) && FButton == Qt::LeftButton)
      ShowOutline(pos);
    FLast = pos;
    return;
  }
  FLast = pos;
  UpdateCursor();
  if (mode == cmSize) FChild->Area()->SetCrossY(pos.y());
}

void TDocumentInput::Release(QMouseEvent* event) {
  if (!FCaptured || event->button() != FButton) return;
  FCaptured = false;
  const QPoint pos = event->position().toPoint();
  const int mode = FChild->CursorMode();
  if (Panning()) {
    Pan(pos);
  } else if ((mode == cmSelect || mode == cmSize) && FButton == Qt::LeftButton) {
    TPrintObject* selected = FChild->Selected();
    if (pos != FDown && selected) {
      const QPointF from = FChild->Area()->ScreenToPage(FDown);
      const QPointF to = FChild->Area()->ScreenToPage(pos);
      FChild->RunEdit([&] { return selected->DragBy(from.x(), from.y(), to.x(), to.y()); });
    } else {
      FChild->Area()->Present(nullptr);
    }
  }
  FButton = Qt::NoButton;
  FLast = pos;
  if (FDragStatusTimer) FDragStatusTimer->stop();
  ShowStatus(pos);
  UpdateCursor();
}

void TDocumentInput::DoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  FCaptured = false;
  FButton = Qt::NoButton;
  const QPointF page = SnappedPage(event->position().toPoint());
  TPrintObject* target = nullptr;
  FChild->Document()->HitTest(page.x(), page.y(), &target);
  if (!target) return;
  const int mode = FChild->CursorMode();
  if (FChild->RunEdit([&] { return target->ClickAt(mode, page.x(), page.y()); })) return;
  // What a desktop user expects of a double click on an object that has
  // nothing of its own to do there: its properties.
  if (mode == cmSelect) FChild->RunEdit([&] { return target->EditProperties(); });
}

void TDocumentInput::Wheel(QWheelEvent* event) {
  const TSettings& settings = Settings();
  const Qt::KeyboardModifiers m = event->modifiers();
  const int action = (m & Qt::ControlModifier) ? settings.WheelCtrl()
                     : (m & Qt::ShiftModifier) ? settings.WheelShift()
                                               : settings.Wheel();
  // Some platforms turn a shifted wheel sideways.
  const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  QScrollBar* horz = FChild->HorzScrollBar();
  QScrollBar* vert = FChild->VertScrollBar();
  switch (action) {
    case 1:
      horz->setValue(horz->value() - delta / 12);
      break;
    case 2:
      horz->setValue(horz->value() + delta / 12);
      break;
    case 3:
      vert->setValue(vert->value() - delta / 12);
      break;
    case 4:
    case 5:
      FChild->Area()->SetZoom(WheelZoom(action, delta, FChild->Area()->Zoom()));
      break;
    default:
      break;
  }
  event->accept();
  const QPoint pos = event->position().toPoint();
  FStatusShown = false;
  ShowStatus(pos);
  FLast = pos;
  UpdateCursor();
}

namespace {

// Every object of the document below it, each list before its children, in drawing order.
void CollectObjects(TPrintObject* object, std::vector<TPrintObject*>* out) {
  TPrintObjectList* list = object->AsObjectList();
  if (!list) return;
  for (int i = 0; i < list->Count(); ++i) {
    TPrintObject* child = list->GetChild(i);
    if (!child) continue;
    out->push_back(child);
    CollectObjects(child, out);
  }
}

}  // namespace

void TDocumentInput::SelectNext(int direction) {
  TPrintDocument* document = FChild->Document();
  std::vector<TPrintObject*> objects;
  CollectObjects(document, &objects);
  if (objects.empty()) return;
  const auto at = std::find(objects.begin(), objects.end(), FChild->Selected());
  const int n = static_cast<int>(objects.size());
  const int index =
      at == objects.end() ? (direction > 0 ? 0 : n - 1) : (static_cast<int>(at - objects.begin()) + direction + n) % n;
  TPrintObject* next = objects[static_cast<size_t>(index)];
  // Brought into view when it lies outside the window: its top-left corner a little inside.
  TDocumentArea* area = FChild->Area();
  const QPointF topLeft = area->ScreenToPage(QPointF(0, 0));
  const QPointF bottomRight = area->ScreenToPage(QPointF(area->ViewRect().width(), area->ViewRect().height()));
  const QRectF view(topLeft, bottomRight);
  const QRectF bounds(next->Left(), next->Top(), std::max(next->GetWidth(), 0.1), std::max(next->GetHeight(), 0.1));
  if (!view.intersects(bounds)) {
    constexpr double kInsideMM = 5;
    area->SetOrigin(static_cast<int>(std::floor(next->Left() - document->Left() - kInsideMM)),
                    static_cast<int>(std::floor(next->Top() - document->Top() - kInsideMM)));
  }
  Select(next);
}

bool TDocumentInput::Key(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
    FChild->SetCursorMode(FChild->CursorMode() == cmHand ? cmSelect : cmHand);
    return true;
  }
  // Ctrl+Tab belongs to the windows.
  if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    SelectNext(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier) ? 1 : -1);
    return true;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !FCaptured) {
    TPrintObject* selected = FChild->Selected();
    if (!selected) return false;
    FChild->RunEdit([selected] { return selected->EditProperties(); });
    return true;
  }
  if (event->key() == Qt::Key_Escape) {
    if (FCaptured && FButton == Qt::LeftButton && !Panning()) {
      // The drag is called off: the outline goes and the release moves nothing.
      FCaptured = false;
      FButton = Qt::NoButton;
      FChild->Area()->Present(nullptr);
      UpdateCursor();
      return true;
    }
    if (!FChild->Selected()) return false;
    Select(nullptr);
    return true;
  }
  // Through a long log by the page, as in any reader.
  switch (event->key()) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
      FChild->ScrollPages(event->key() == Qt::Key_PageDown ? 1 : -1);
      return true;
    case Qt::Key_Home:
    case Qt::Key_End:
      FChild->ScrollToEdge(event->key() == Qt::Key_End);
      return true;
    default:
      break;
  }
  double dx = 0;
  double dy = 0;
  switch (event->key()) {
    case Qt::Key_Left:
      dx = -1;
      break;
    case Qt::Key_Right:
      dx = 1;
      break;
    case Qt::Key_Up:
      dy = -1;
      break;
    case Qt::Key_Down:
      dy = 1;
      break;
    default:
      return false;
  }
  TPrintObject* selected = FChild->Selected();
  if (!selected) return true;
  // One snapping step; a millimetre while snapping is off.
  const double snap = Settings().Snap();
  const double step = snap > 0 ? snap : 1.0;
  FChild->RunEdit([&] { return selected->MoveBy(dx * step, dy * step); });
  return true;
}

void TDocumentInput::ShowOutline(QPoint current) {
  TPrintObject* selected = FChild->Selected();
  TDocumentArea* area = FChild->Area();
  if (!selected) return;
  const QPointF from = area->ScreenToPage(FDown);
  const QPointF to = area->ScreenToPage(current);
  // The move is tried for the outline only and taken back: nothing is
  // rendered, and the document keeps its geometry and modified marks.
  const TBoundsRect start = selected->GetBoundsRect();
  const auto chain = ModifiedChain(selected);
  FChild->BeginTrial();
  area->BeginUpdate();
  const bool moved = selected->DragBy(from.x(), from.y(), to.x(), to.y());
  area->ShowDragOutline(selected);
  if (moved) {
    selected->SetBoundsRect(start);
    selected->Changed();
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (!it->second) it->first->SetModified(false);
  area->EndUpdate();
  FChild->EndTrial();
}

void TDocumentInput::Pan(QPoint current) {
  TDocumentArea* area = FChild->Area();
  const double k = area->PixelsPerMM() * area->Zoom();
  const QPoint d = current - FDown;
  area->SetOrigin(FPanOriginX - RoundEven(d.x() / k), FPanOriginY - RoundEven(d.y() / k));
}

void TDocumentInput::ZoomAt(QPoint pixel, double zoom) {
  // The page point under the mouse stays there.
  TDocumentArea* area = FChild->Area();
  const QPointF before = area->ScreenToPage(pixel);
  area->BeginUpdate();
  area->SetZoom(zoom);
  const QPointF after = area->ScreenToPage(pixel);
  area->SetOrigin(area->OriginX() + RoundEven(before.x() - after.x()),
                  area->OriginY() + RoundEven(before.y() - after.y()));
  area->EndUpdate();
  area->Repaint();
}

void TDocumentInput::DropGuide(int orientation, QPoint pixel) {
  const QPointF page = SnappedPage(pixel);
  FChild->RunEdit([&] { return FChild->Document()->AddFixedRuller(orientation, page.y(), page.x()) != nullptr; });
}
