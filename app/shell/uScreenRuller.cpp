#include "uScreenRuller.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "uDocumentArea.h"
#include "uLanguage.h"
#include "uRuller.h"

TScreenRuller::TScreenRuller(Qt::Orientation orientation, TDocumentArea* area, QWidget* parent)
    : QWidget(parent), FOrientation(orientation), FArea(area) {
  if (orientation == Qt::Horizontal) {
    setObjectName(QStringLiteral("RullerTop"));
    setFixedHeight(kScreenRullerThickness);
    setToolTip(TranslateGeneral(QStringLiteral("RullerTopHint"),
                                QStringLiteral("Drag ruller down to put horizontal line on document")));
    setCursor(Qt::SplitVCursor);
  } else {
    setObjectName(QStringLiteral("RullerLeft"));
    setFixedWidth(kScreenRullerThickness);
    setToolTip(TranslateGeneral(QStringLiteral("RullerLeftHint"),
                                QStringLiteral("Drag ruller right to put vertical line on document")));
    setCursor(Qt::SplitHCursor);
  }
  // The bar paints every pixel of itself: nothing under it needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (FArea) connect(FArea, &TDocumentArea::ViewChanged, this, &TScreenRuller::Follow);
  Follow();
}

void TScreenRuller::Follow() {
  if (!FArea) return;
  const QPointF origin = FArea->VisibleOrigin();
  const double originMM = FOrientation == Qt::Horizontal ? origin.x() : origin.y();
  const double zoom = FArea->Zoom();
  if (FBarValid && originMM == FOriginMM && zoom == FZoom) return;
  FOriginMM = originMM;
  FZoom = zoom;
  FBarValid = false;
  update();
}

QRect TScreenRuller::MarkRect(int pixel) const {
  if (pixel < 0) return {};
  return FOrientation == Qt::Horizontal ? QRect(pixel, 0, 1, height()) : QRect(0, pixel, width(), 1);
}

void TScreenRuller::SetMousePosition(int pixel) {
  if (pixel == FMouse) return;
  update(MarkRect(FMouse));
  FMouse = pixel;
  update(MarkRect(FMouse));
}

void TScreenRuller::DrawBar() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (FBar.size() != pixels) FBar = QImage(pixels, QImage::Format_RGB32);
  FBar.setDevicePixelRatio(ratio);
  QPainter painter(&FBar);
  painter.setFont(font());
  const QRect strip = rect();
  painter.fillRect(strip, palette().color(QPalette::Window).lighter(104));
  painter.setPen(palette().color(QPalette::Mid));
  if (FOrientation == Qt::Horizontal)
    painter.drawLine(strip.bottomLeft(), strip.bottomRight());
  else
    painter.drawLine(strip.topRight(), strip.bottomRight());
  painter.setPen(palette().color(QPalette::WindowText));
  DrawScreenRuller(&painter, strip, FOrientation, FOriginMM, FZoom);
  FBarValid = true;
}

void TScreenRuller::paintEvent(QPaintEvent* event) {
  const qreal ratio = devicePixelRatioF();
  if (!FBarValid || FBar.size() != (QSizeF(size()) * ratio).toSize() || FBar.devicePixelRatio() != ratio) DrawBar();
  QPainter painter(this);
  for (const QRect& r : event->region())
    painter.drawImage(QPointF(r.topLeft()), FBar, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
  const QRect mark = MarkRect(FMouse);
  if (mark.intersects(event->rect())) painter.fillRect(mark, QColor(0, 0, 192));
}

void TScreenRuller::changeEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::PaletteChange || type == QEvent::FontChange || type == QEvent::StyleChange) FBarValid = false;
  QWidget::changeEvent(event);
}

QPoint TScreenRuller::AreaPoint(const QMouseEvent* event) const {
  return FArea ? FArea->mapFromGlobal(event->globalPosition().toPoint()) : QPoint(-1, -1);
}

void TScreenRuller::mousePressEvent(QMouseEvent* event) {
  FDragging = event->button() == Qt::LeftButton && FArea && FArea->Document();
}

void TScreenRuller::mouseMoveEvent(QMouseEvent* event) {
  if (!FDragging) return;
  const QPoint p = AreaPoint(event);
  const bool inside = FArea->rect().contains(p);
  if (FOrientation == Qt::Horizontal)
    FArea->SetCrossY(inside ? p.y() : -1);
  else
    FArea->SetCrossX(inside ? p.x() : -1);
}

void TScreenRuller::mouseReleaseEvent(QMouseEvent* event) {
  if (!FDragging) return;
  FDragging = false;
  const QPoint p = AreaPoint(event);
  if (FOrientation == Qt::Horizontal)
    FArea->SetCrossY(-1);
  else
    FArea->SetCrossX(-1);
  if (FArea->rect().contains(p)) emit GuideDropped(FOrientation == Qt::Horizontal ? 0 : 1, p);
}
