// Mouse and keyboard editing in a document window: selecting, dragging and
// resizing objects with their outlines, panning, zooming, double clicks,
// the wheel, Space and the arrow keys, guides dropped from the rulers, and
// the status text.
#pragma once

#include <QCursor>
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointF>

class QKeyEvent;
class QMouseEvent;
class QTimer;
class QWheelEvent;
class TKernoChild;
class TPrintObject;

// The cursor over an object with hit code `code` in cursor mode `mode`: sizing
// arrows for the ways the object may be dragged, else the mode's own cursor.
QCursor CursorForHit(uint32_t code, int mode);

// The zoom after one wheel turn of `delta` (a notch is 120) by wheel action
// `action` (4 zooms in, 5 out), or `zoom` for other actions.
double WheelZoom(int action, int delta, double zoom);

class TDocumentInput : public QObject {
  Q_OBJECT

 public:
  explicit TDocumentInput(TKernoChild* child);

  // The cursor for the last mouse position (after a mode change).
  void UpdateCursor();
  // The page point under window pixel `pixel`, snapped.
  QPointF SnappedPage(QPoint pixel) const;
  // "x x y (zoom%)" and, over a deep object, its depth.
  QString StatusText(QPoint pixel) const;
  // A guide of `orientation` (1 vertical, 0 horizontal) at window pixel `pixel`.
  void DropGuide(int orientation, QPoint pixel);
  // Selects the object under `pixel` (nothing but the document when nothing
  // else is hit); the selected object or null.
  TPrintObject* SelectAt(QPoint pixel);
  // `object` alone selected (none for null), shown and the commands told.
  void Select(TPrintObject* object);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Press(QMouseEvent* event);
  void Move(QMouseEvent* event);
  void Release(QMouseEvent* event);
  void DoubleClick(QMouseEvent* event);
  void Wheel(QWheelEvent* event);
  bool Key(QKeyEvent* event);
  void ShowOutline(QPoint current);
  // Tab and Shift+Tab: the next or previous object of the document (in the
  // order of the structure dialog's tree), brought into view.
  void SelectNext(int direction);
  // The status text of the snapped page point `page`.
  QString StatusTextAt(QPointF page) const;
  // The status text for `pixel`, unless the text shown is for the same point.
  void ShowStatus(QPoint pixel);
  // The same while a button is held: at most once per kDragStatusMs, the
  // latest point when the interval is over (a drag's mouse moves come far
  // faster than anyone reads the status bar).
  void ShowDragStatus(QPoint pixel);
  void Pan(QPoint current);
  void ZoomAt(QPoint pixel, double zoom);
  bool Panning() const;

  TKernoChild* FChild;
  QPoint FDown{-1, -1};
  QPoint FLast{-1, -1};
  Qt::KeyboardModifiers FShiftAtPress;
  Qt::MouseButton FButton = Qt::NoButton;
  bool FCaptured = false;
  double FPressSnap = 0;
  int FPanOriginX = 0;
  int FPanOriginY = 0;
  // What the status text shown was made from.
  struct TStatusKey {
    QPointF Page;
    double Zoom = 0;
    int Renders = -1;
  };
  TStatusKey FStatusKey;
  bool FStatusShown = false;
  QElapsedTimer FDragStatusClock;
  QTimer* FDragStatusTimer = nullptr;
  QPoint FDragStatusPixel;
};
