// The view of one document inside its window. The document is rendered into
// an off-screen buffer once per change; what the mouse needs (selection
// marks, drag outlines, cross lines) is drawn over a copy of that buffer, so
// moving the mouse never renders the document again.
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QWidget>
#include <functional>
#include <vector>

#include "uAbstractDocumentArea.h"
#include "uPrintTarget.h"

class TPrintDocument;
class TPrintObject;
struct TDrawContext;

// View modes (drawing options of the area).
inline constexpr uint32_t kViewEdit = 14;  // borders, selection marks, page background
inline constexpr uint32_t kViewPage = 30;  // the same with the printed pages' boundaries

inline constexpr double kMinZoom = 0.1;
inline constexpr double kMaxZoom = 5.0;

class TDocumentArea : public QWidget, public TAbstractDocumentArea {
  Q_OBJECT

 public:
  explicit TDocumentArea(QWidget* parent = nullptr);
  ~TDocumentArea() override;

  // Links the document both ways (the document repaints this area); null unlinks.
  void SetDocument(TPrintDocument* document);
  TPrintDocument* Document() const { return FDocument; }

  // --- TAbstractDocumentArea ---
  void Repaint() override;
  void Present(TPrintObject* object) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  int UpdateLock() const { return FUpdateLock; }

  // --- view ---
  double Zoom() const { return FZoom; }
  // Clamped to 0.1 .. 5; renders only when the zoom changes.
  void SetZoom(double zoom);
  // The zoom at which the document's width and a margin on both sides fill
  // the window, scrolled to its left edge (a log read down its length).
  void FitWidth();
  int OriginX() const { return FOriginX; }
  int OriginY() const { return FOriginY; }
  // Clamped to the scroll limits; renders only on a change. Before the
  // window has a size the origin asked for is kept and applied (clamped)
  // when it gets one.
  void SetOriginX(int x);
  void SetOriginY(int y);
  void SetOrigin(int x, int y);
  // The origins the document may scroll to: until its edge reaches the
  // middle of the window, in whole mm.
  int MinOriginX() const;
  int MaxOriginX() const;
  int MinOriginY() const;
  int MaxOriginY() const;
  uint32_t ViewOptions() const { return FViewOptions; }
  void SetViewOptions(uint32_t options);
  // The printable page (whole mm) the page boundaries are tiled by; an empty
  // size shows none.
  void SetPageSize(QSize pageMM);
  QSize PageSize() const { return FPageSize; }
  // The visible client rectangle; the buffer grows with it (never shrinks).
  QRect ViewRect() const { return FViewRect; }
  void SetViewRect(const QRect& rect);

  // Window pixels to page mm and back.
  QPointF ScreenToPage(QPointF pixel) const;
  QPoint PageToScreen(QPointF mm) const;
  // The page mm at the window's top-left corner (document Left + OriginX, ...).
  QPointF VisibleOrigin() const;
  double PixelsPerMM() const;

  // --- overlays ---
  // The document's selection marks and `object`'s frames over the rendered
  // document (the whole document's frames when `object` is null).
  void ShowDragOutline(TPrintObject* object);
  // Cross lines (window pixels; -1 hides them): erased by copying their strip
  // back from the buffer, the frames overlay drawn there again unless the
  // "Quick mode" setting is on.
  void SetCrossX(int x);
  void SetCrossY(int y);
  int CrossX() const { return FCrossX; }
  int CrossY() const { return FCrossY; }

  // How many times the document was rendered into the buffer.
  int RenderCount() const { return FRenderCount; }
  const QImage& Buffer() const { return FBuffer; }
  // What the window shows: the buffer with the overlays.
  const QImage& Screen() const { return FScreen; }

 signals:
  // The origin or the zoom changed: rulers and scroll bars follow.
  void ViewChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TDrawContext Context(QPainter* painter, const QRect& clip) const;
  void EnsureBuffers();
  void Render();
  void CopyBufferToScreen(const QRect& rect);
  // `object`'s overlays (the document's when null), leaving out `skip`.
  void DrawOverlays(QPainter* painter, const QRect& clip, TPrintObject* object, uint32_t options,
                    const TPrintObject* skip = nullptr);
  void DrawCross(QPainter* painter);
  // What stays put while `object` is dragged (every mark but its own, the
  // page boundaries), and what moves with it (its marks and frames; every
  // frame when `object` is null).
  void DrawDragBase(QPainter* painter, const QRect& clip, TPrintObject* object);
  void DrawOutline(QPainter* painter, const QRect& clip, TPrintObject* object);
  // Draws the window again as the buffer with the drag base of `object` and
  // keeps that picture for the moves to come.
  void TakeDragBase(TPrintObject* object);
  // Keeps the window's pixels within `region` (where the outline goes) for the
  // next move, when the region is small; puts them back.
  void KeepUnderOutline(const QRegion& region);
  void RestoreUnderOutline();
  // Copies `rect` of `from` (the buffer or the drag base) to the window.
  void CopyToScreen(const QImage& from, const QRect& rect);
  // Where the overlays drawn by `draw` land, in window pixels.
  std::vector<QRect> OverlayPixels(const std::function<void(QPainter*)>& draw) const;
  void ClampOrigin();
  QRect DocumentPixels(const TDrawContext& context) const;
  int WindowMM(int pixels, int dpi) const;

  TPrintDocument* FDocument = nullptr;
  QImage FBuffer;
  QImage FScreen;
  double FZoom = 1.0;
  int FOriginX = 0;
  int FOriginY = 0;
  QRect FViewRect;
  uint32_t FViewOptions = kViewEdit;
  int FUpdateLock = 0;
  int FCrossX = -1;
  int FCrossY = -1;
  int FRenderCount = 0;
  bool FQuickMode = false;
  QSize FPageSize;
  // During a drag: the buffer with the drag base drawn over it, taken at the
  // first move, so that a move draws the dragged object alone instead of
  // walking the document; and where the last outline was drawn.
  QImage FDragBase;
  bool FDragBaseValid = false;
  const TPrintObject* FDragObject = nullptr;
  std::vector<QRect> FOutlineDirty;
  // The base under the last outline, row after row of FUnderRects.
  std::vector<QRect> FUnderRects;
  std::vector<uint32_t> FUnderPixels;
  bool FUnderValid = false;
  bool FOriginPending = false;
  QPoint FPendingOrigin;
};
