#include "uScreenRuller.h"

#include <QMouseEvent>
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
  if (FArea) connect(FArea, &TDocumentArea::ViewChanged, this, &TScreenRuller::Follow);
  Follow();
}

void TScreenRuller::Follow() {
  if (!FArea) return;
  const QPointF origin = FArea->VisibleOrigin();
  FOriginMM = FOrientation == Qt::Horizontal ? origin.x() : origin.y();
  FZoom = FArea->Zoom();
  update();
}

void TScreenRuller::SetMousePosition(int pixel) {
  if (pixel == FMouse) return;
  FMouse = pixel;
  update();
}

void TScreenRuller::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect strip = rect();
  painter.fillRect(strip, palette().color(QPalette::Window).lighter(104));
  painter.setPen(palette().color(QPalette::Mid));
  if (FOrientation == Qt::Horizontal)
    painter.drawLine(strip.bottomLeft(), strip.bottomRight());
  else
    painter.drawLine(strip.topRight(), strip.bottomRight());
  painter.setPen(palette().color(QPalette::WindowText));
  DrawScreenRuller(&painter, strip, FOrientation, FOriginMM, FZoom);
  if (FMouse >= 0) {
    painter.setPen(QColor(0, 0, 192));
    if (FOrientation == Qt::Horizontal)
      painter.drawLine(FMouse, 0, FMouse, strip.bottom());
    else
      painter.drawLine(0, FMouse, strip.right(), FMouse);
  }
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
