// The ruler bars along the top and left edges of a document window. They
// follow the area's origin and zoom, and a drag from a bar onto the document
// places a guide line there.
#pragma once

#include <QImage>
#include <QWidget>

class TDocumentArea;

inline constexpr int kScreenRullerThickness = 20;

class TScreenRuller : public QWidget {
  Q_OBJECT

 public:
  // Qt::Horizontal: the bar along the top edge (dragged down, it places a
  // horizontal guide); Qt::Vertical: the bar along the left edge.
  TScreenRuller(Qt::Orientation orientation, TDocumentArea* area, QWidget* parent = nullptr);

  Qt::Orientation Orientation() const { return FOrientation; }
  // The page mm shown at the bar's start and the zoom, as drawn last.
  double OriginMM() const { return FOriginMM; }
  double Zoom() const { return FZoom; }
  // Shows the mouse position on the bar (window pixels of the area; -1 hides it).
  // Only the old and the new mark are painted again.
  void SetMousePosition(int pixel);
  int MousePosition() const { return FMouse; }

 signals:
  // A drag from the bar was released over the document at window pixel
  // `point` of the area: a guide of `orientation` (1 vertical, 0 horizontal)
  // belongs there.
  void GuideDropped(int orientation, QPoint point);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Follow();
  QPoint AreaPoint(const QMouseEvent* event) const;
  // The bar without the mouse mark, drawn into FBar.
  void DrawBar();
  QRect MarkRect(int pixel) const;

  Qt::Orientation FOrientation;
  TDocumentArea* FArea;
  double FOriginMM = 0;
  double FZoom = 1;
  bool FDragging = false;
  int FMouse = -1;
  // The bar as last drawn: the mouse moves every few milliseconds, the
  // graduations and their labels change only with the view.
  QImage FBar;
  bool FBarValid = false;
};
