#include "uEmfRecorder.h"

#include <QFontMetricsF>
#include <QGradient>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <uemf.h>
}

#include "uEmfDib.h"
#include "uEmfRecords.h"

namespace {

// Logical units per device pixel: coordinates are stored as integers, so the recording keeps
// 1/64 pixel through an anisotropic window/viewport mapping (thin pen widths need it).
constexpr int kSub = 64;
// Object table slots: two alternating slots each for pens, brushes and fonts.
constexpr uint32_t kPenSlot = 1, kBrushSlot = 3, kFontSlot = 5, kHandles = 7;
constexpr double kMaxCoord = 2.0e9;

U_COLORREF ToColorRef(const QColor& c) {
  return colorref3_set(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

int32_t Clamp32(double v) {
  if (!std::isfinite(v)) return 0;
  return int32_t(std::lround(std::clamp(v, -kMaxCoord, kMaxCoord)));
}

// The colour a gradient or pattern brush stands for when only solid fills can be written.
QColor MeanColor(const QBrush& b) {
  if (const QGradient* g = b.gradient()) {
    const QGradientStops& stops = g->stops();
    if (stops.isEmpty()) return Qt::black;
    double r = 0, gr = 0, bl = 0, a = 0;
    for (const QGradientStop& s : stops) {
      r += s.second.redF();
      gr += s.second.greenF();
      bl += s.second.blueF();
      a += s.second.alphaF();
    }
    double n = stops.size();
    return QColor::fromRgbF(float(r / n), float(gr / n), float(bl / n), float(a / n));
  }
  return b.color();
}

}  // namespace

class TEmfPaintEngine : public QPaintEngine {
 public:
  explicit TEmfPaintEngine(TEmfRecorder* device) : QPaintEngine(QPaintEngine::AllFeatures), Device_(device) {}

  bool begin(QPaintDevice*) override {
    Bytes_.clear();
    Records_ = 0;
    Failed_ = false;
    Bounds_ = QRectF();
    PenSlot_ = BrushSlot_ = FontSlot_ = 0;
    FillMode_ = 0;
    TextColor_ = QColor();
    WriteHeader();
    Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    Add(U_EMRSETWINDOWEXTEX_set(sizel_set(Device_->WidthPx() * kSub, Device_->HeightPx() * kSub)));
    Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(Device_->WidthPx(), Device_->HeightPx())));
    Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
    Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    Add(U_EMRSETMITERLIMIT_set(10));
    Add(U_EMRSELECTOBJECT_set(U_NULL_PEN | U_STOCK_OBJECT));
    Add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH | U_STOCK_OBJECT));
    Done_.reset();
    return true;
  }

  bool end() override {
    // EOF without palette entries: type, size, nPalEntries, offPalEntries, nSizeLast.
    uint32_t eof[5] = {U_EMR_EOF, 20, 0, 16, 20};
    Append(reinterpret_cast<const uint8_t*>(eof), 20);
    if (Failed_) return false;
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&Bytes_[at], &v, 4); };
    QRect b =
        Bounds_.isValid() ? Bounds_.toAlignedRect().intersected(QRect(-1000000, -1000000, 2000000, 2000000)) : QRect();
    if (b.isValid()) {
      put32(8, uint32_t(b.left()));
      put32(12, uint32_t(b.top()));
      put32(16, uint32_t(b.right()));
      put32(20, uint32_t(b.bottom()));
    } else {
      put32(8, 0);
      put32(12, 0);
      put32(16, uint32_t(-1));
      put32(20, uint32_t(-1));
    }
    put32(48, uint32_t(Bytes_.size()));
    put32(52, Records_);
    uint16_t handles = kHandles;
    std::memcpy(&Bytes_[56], &handles, 2);
    std::string error;
    Done_ = TEmfDocument::FromBytes(Bytes_.data(), Bytes_.size(), &error);
    return Done_ != nullptr;
  }

  std::unique_ptr<TEmfDocument> TakeDocument() { return std::move(Done_); }

  Type type() const override { return QPaintEngine::User; }

  void updateState(const QPaintEngineState& state) override {
    QPaintEngine::DirtyFlags f = state.state();
    if (f & DirtyPen) Pen_ = state.pen();
    if (f & DirtyBrush) Brush_ = state.brush();
    if (f & DirtyTransform) Xf_ = state.transform();
    if (f & DirtyFont) Font_ = state.font();
    if (f & DirtyOpacity) Opacity_ = state.opacity();
    if (f & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled)) {
      if (f & DirtyClipEnabled && !state.isClipEnabled()) {
        ResetClip();
      } else if (f & DirtyClipPath) {
        SetClip(state.clipPath(), state.clipOperation());
      } else if (f & DirtyClipRegion) {
        QPainterPath p;
        p.addRegion(state.clipRegion());
        SetClip(p, state.clipOperation());
      }
    }
  }

  void drawPath(const QPainterPath& path) override {
    if (path.isEmpty()) return;
    bool fill = SelectBrush(), stroke = SelectPen();
    if (!fill && !stroke) return;
    SetFillMode(path.fillRule());
    QPainterPath dev = Xf_.map(path);
    Add(U_EMRBEGINPATH_set());
    EmitPathFigures(dev);
    Add(U_EMRENDPATH_set());
    U_RECTL bounds = Bounds(dev.boundingRect());
    if (fill && stroke)
      Add(U_EMRSTROKEANDFILLPATH_set(bounds));
    else if (fill)
      Add(U_EMRFILLPATH_set(bounds));
    else
      Add(U_EMRSTROKEPATH_set(bounds));
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (count <= 0) return;
    bool polyline = mode == PolylineMode;
    bool fill = !polyline && SelectBrush(), stroke = SelectPen();
    if (!fill && !stroke) return;
    if (!polyline) SetFillMode(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    std::vector<U_POINTL> pts(static_cast<size_t>(count));
    QPolygonF dev;
    for (int i = 0; i < count; ++i) {
      QPointF p = Xf_.map(points[i]);
      dev << p;
      pts[size_t(i)] = Pt(p);
    }
    U_RECTL b = Bounds(dev.boundingRect());
    if (polyline) {
      Add(U_EMRPOLYLINE_set(b, uint32_t(count), pts.data()));
    } else {
      // Without an outline SelectPen has selected the null pen.
      Add(U_EMRPOLYGON_set(b, uint32_t(count), pts.data()));
    }
  }
  void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
    std::vector<QPointF> f(points, points + count);
    drawPolygon(f.data(), count, mode);
  }

  void drawLines(const QLineF* lines, int count) override {
    if (!SelectPen()) return;
    for (int i = 0; i < count; ++i) {
      QPointF a = Xf_.map(lines[i].p1()), b = Xf_.map(lines[i].p2());
      U_POINTL pts[2] = {Pt(a), Pt(b)};
      Add(U_EMRPOLYLINE_set(Bounds(QRectF(a, b).normalized()), 2, pts));
    }
  }
  void drawLines(const QLine* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      QLineF l(lines[i]);
      drawLines(&l, 1);
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      QPolygonF poly(rects[i]);
      poly.removeLast();  // QPolygonF(QRectF) repeats the first corner
      drawPolygon(poly.constData(), int(poly.size()), OddEvenMode);
    }
  }
  void drawRects(const QRect* rects, int count) override {
    for (int i = 0; i < count; ++i) {
      QRectF r(rects[i]);
      drawRects(&r, 1);
    }
  }

  void drawEllipse(const QRectF& r) override {
    QPainterPath p;
    p.addEllipse(r);
    if (Xf_.type() <= QTransform::TxScale) {
      bool fill = SelectBrush(), stroke = SelectPen();
      if (!fill && !stroke) return;
      QRectF d = Xf_.mapRect(r);
      Add(U_EMRELLIPSE_set(Rect(d)));
      Grow(d);
      return;
    }
    drawPath(p);
  }
  void drawEllipse(const QRect& r) override { drawEllipse(QRectF(r)); }

  void drawPoints(const QPointF* points, int count) override {
    // Points are squares (or dots) of the pen's width: zero-length lines with the pen's cap.
    if (!SelectPen()) return;
    for (int i = 0; i < count; ++i) {
      QPointF a = Xf_.map(points[i]);
      U_POINTL pts[2] = {Pt(a), Pt(a)};
      Add(U_EMRPOLYLINE_set(Bounds(QRectF(a, a)), 2, pts));
    }
  }
  void drawPoints(const QPoint* points, int count) override {
    for (int i = 0; i < count; ++i) {
      QPointF p(points[i]);
      drawPoints(&p, 1);
    }
  }

  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
  }

  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
    QRect src = sr.toAlignedRect().intersected(image.rect());
    if (src.isEmpty() || image.isNull()) return;
    // Beyond what a reader takes, the bitmap is stored at a lower resolution over the same rectangle.
    QImage part = emf::FitDibPixels(image.copy(src));
    bool alpha = part.hasAlphaChannel() || Opacity_ < 1;
    if (Opacity_ < 1) {
      part = part.convertToFormat(QImage::Format_ARGB32_Premultiplied);
      QImage faded(part.size(), QImage::Format_ARGB32_Premultiplied);
      faded.fill(Qt::transparent);
      QPainter fp(&faded);
      fp.setOpacity(Opacity_);
      fp.drawImage(0, 0, part);
      fp.end();
      part = faded;
    }
    std::vector<uint8_t> header, bits;
    if (!emf::EncodeDib32(part, alpha, &header, &bits)) return;
    U_BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    std::memcpy(&bmi.bmiHeader, header.data(), std::min(header.size(), sizeof bmi.bmiHeader));
    // Scaled images map their rectangle; rotated or sheared ones go through a world transform
    // around the blit, in the painter's logical units.
    bool linear = Xf_.type() <= QTransform::TxScale && Xf_.m11() > 0 && Xf_.m22() > 0;
    QRectF d = linear ? Xf_.mapRect(r) : r;
    U_RECTL b = Bounds(Xf_.mapRect(r));
    if (!linear) {
      Add(U_EMRSAVEDC_set());
      Add(U_EMRSETWORLDTRANSFORM_set(xform_set(float(Xf_.m11()), float(Xf_.m12()), float(Xf_.m21()), float(Xf_.m22()),
                                               float(Xf_.dx() * kSub), float(Xf_.dy() * kSub))));
    }
    U_POINTL dest = Pt(d.topLeft()), cDest = point32_set(Clamp32(d.width() * kSub), Clamp32(d.height() * kSub));
    U_POINTL srcAt = point32_set(0, 0), cSrc = point32_set(part.width(), part.height());
    if (alpha) {
      U_BLEND blend{0, 0, 255, 1};  // AC_SRC_OVER, whole alpha, AC_SRC_ALPHA
      Add(U_EMRALPHABLEND_set(b, dest, cDest, srcAt, cSrc, xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0),
                              U_DIB_RGB_COLORS, blend, &bmi, uint32_t(bits.size()),
                              reinterpret_cast<char*>(bits.data())));
    } else {
      Add(U_EMRSTRETCHDIBITS_set(b, dest, cDest, srcAt, cSrc, U_DIB_RGB_COLORS, U_SRCCOPY, &bmi, uint32_t(bits.size()),
                                 reinterpret_cast<char*>(bits.data())));
    }
    if (!linear) Add(U_EMRRESTOREDC_set(-1));
  }

  void drawTextItem(const QPointF& p, const QTextItem& ti) override {
    QString text = ti.text();
    if (text.isEmpty()) return;
    QColor color = Pen_.color();
    if (Pen_.style() == Qt::NoPen && Pen_.brush().style() == Qt::NoBrush) return;
    QFont font = ti.font();
    QFontMetricsF fm(font, Device_);
    double scale = std::sqrt(std::fabs(Xf_.determinant()));
    if (!(scale > 0)) return;
    double em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * Device_->Dpi() / 72.0;
    double angle = std::atan2(Xf_.m12(), Xf_.m11()) * 180 / M_PI;
    SelectFont(font, em * scale * kSub, Clamp32(-angle * 10));
    if (TextColor_ != color) {
      Add(U_EMRSETTEXTCOLOR_set(ToColorRef(color)));
      TextColor_ = color;
    }
    // Advances per UTF-16 unit, measured cumulatively so kerning stays in.
    std::vector<uint32_t> dx(size_t(text.size()));
    double prev = 0, acc = 0;
    int32_t placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
      double upto = fm.horizontalAdvance(text.left(i + 1));
      acc += (upto - prev) * scale * kSub;
      prev = upto;
      int32_t next = Clamp32(acc);
      dx[size_t(i)] = uint32_t(next - placed);
      placed = next;
    }
    QPointF ref = Xf_.map(p);
    std::vector<uint16_t> utf16(text.utf16(), text.utf16() + text.size());
    QRectF box = Xf_.mapRect(QRectF(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(text), fm.height()));
    char* emrtext = emrtext_set(Pt(ref), uint32_t(utf16.size()), 2, utf16.data(), 0, Rect(QRectF()), dx.data());
    if (!emrtext) {
      Failed_ = true;
      return;
    }
    Add(U_EMREXTTEXTOUTW_set(Bounds(box), U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrtext)));
    std::free(emrtext);
  }

 private:
  TEmfRecorder* Device_;
  std::vector<uint8_t> Bytes_;
  uint32_t Records_ = 0;
  bool Failed_ = false;
  QRectF Bounds_;
  std::unique_ptr<TEmfDocument> Done_;

  QPen Pen_;
  QBrush Brush_;
  QFont Font_;
  QTransform Xf_;
  double Opacity_ = 1;

  // What is selected, to write objects only when they change.
  uint32_t PenSlot_ = 0, BrushSlot_ = 0, FontSlot_ = 0;
  bool HavePen_ = false, HaveBrush_ = false, HaveFont_ = false;
  std::vector<uint32_t> PenKey_, BrushKey_, FontKey_;
  uint32_t FillMode_ = 0;
  QColor TextColor_;

  void Append(const uint8_t* rec, size_t size) {
    Bytes_.insert(Bytes_.end(), rec, rec + size);
    ++Records_;
  }

  // Takes ownership of a record made by libUEMF.
  void Add(char* rec) {
    if (!rec) {
      Failed_ = true;
      return;
    }
    uint32_t size;
    std::memcpy(&size, rec + 4, 4);
    Append(reinterpret_cast<const uint8_t*>(rec), size);
    std::free(rec);
  }

  void WriteHeader() {
    QSizeF mm = Device_->SizeMM();
    U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(Clamp32(mm.width() * 100), Clamp32(mm.height() * 100)));
    // A reference device of 254 mm at the recording's dpi gives exact device units.
    int dpi = Device_->Dpi();
    char* h = U_EMRHEADER_set(rectl_set(point32_set(0, 0), point32_set(-1, -1)), frame, nullptr, 0, nullptr,
                              sizel_set(dpi * 10, dpi * 10), sizel_set(254, 254), 0);
    Add(h);
  }

  void Grow(const QRectF& r) { Bounds_ = Bounds_.isValid() ? Bounds_.united(r) : r; }

  U_POINTL Pt(QPointF p) const { return point32_set(Clamp32(p.x() * kSub), Clamp32(p.y() * kSub)); }
  U_RECTL Rect(const QRectF& r) const { return rectl_set(Pt(r.topLeft()), Pt(r.bottomRight())); }
  // rclBounds are in device pixels.
  U_RECTL Bounds(const QRectF& r) {
    double w = Pen_.style() == Qt::NoPen ? 0 : std::max(1.0, Pen_.widthF());
    QRectF g = r.adjusted(-w, -w, w, w);
    Grow(g);
    return rectl_set(point32_set(Clamp32(std::floor(g.left())), Clamp32(std::floor(g.top()))),
                     point32_set(Clamp32(std::ceil(g.right())), Clamp32(std::ceil(g.bottom()))));
  }

  void SetFillMode(Qt::FillRule rule) {
    uint32_t mode = rule == Qt::WindingFill ? U_WINDING : U_ALTERNATE;
    if (mode == FillMode_) return;
    Add(U_EMRSETPOLYFILLMODE_set(mode));
    FillMode_ = mode;
  }

  // Writes the figures of a device-space path between BEGINPATH and ENDPATH.
  void EmitPathFigures(const QPainterPath& dev) {
    int n = dev.elementCount();
    QPointF start;
    std::vector<U_POINTL> run;
    bool bezierRun = false;
    auto flush = [&]() {
      if (run.empty()) return;
      U_RECTL b = rectl_set(point32_set(0, 0), point32_set(-1, -1));
      if (bezierRun)
        Add(U_EMRPOLYBEZIERTO_set(b, uint32_t(run.size()), run.data()));
      else
        Add(U_EMRPOLYLINETO_set(b, uint32_t(run.size()), run.data()));
      run.clear();
    };
    QPointF last;
    for (int i = 0; i < n; ++i) {
      QPainterPath::Element e = dev.elementAt(i);
      if (e.isMoveTo()) {
        flush();
        Add(U_EMRMOVETOEX_set(Pt(e)));
        start = last = e;
      } else if (e.isLineTo()) {
        if (bezierRun) flush();
        bezierRun = false;
        run.push_back(Pt(e));
        last = e;
        // A line back to the start that ends the subpath closes the figure.
        bool endsFigure = i + 1 >= n || dev.elementAt(i + 1).isMoveTo();
        if (endsFigure && QPointF(e) == start && i > 0) {
          flush();
          Add(U_EMRCLOSEFIGURE_set());
        }
      } else if (e.type == QPainterPath::CurveToElement && i + 2 < n) {
        if (!bezierRun) flush();
        bezierRun = true;
        run.push_back(Pt(e));
        run.push_back(Pt(dev.elementAt(i + 1)));
        run.push_back(Pt(dev.elementAt(i + 2)));
        last = dev.elementAt(i + 2);
        i += 2;
        bool endsFigure = i + 1 >= n || dev.elementAt(i + 1).isMoveTo();
        if (endsFigure && last == start) {
          flush();
          Add(U_EMRCLOSEFIGURE_set());
        }
      }
    }
    flush();
  }

  // Selects an object into slot base or base+1, deleting the one it replaces.
  void SwapObject(uint32_t base, uint32_t* slot, char* create) {
    uint32_t next = *slot == base ? base + 1 : base;
    if (*slot == next) next = base;
    // create was made for index `next` by the caller.
    Add(create);
    Add(U_EMRSELECTOBJECT_set(next));
    if (*slot) Add(U_EMRDELETEOBJECT_set(*slot));
    *slot = next;
  }
  uint32_t NextSlot(uint32_t base, uint32_t slot) const { return slot == base ? base + 1 : base; }

  // Selects the pen; false when nothing is to be stroked.
  bool SelectPen() {
    QColor c = Pen_.brush().style() == Qt::SolidPattern ? Pen_.color() : MeanColor(Pen_.brush());
    bool none = Pen_.style() == Qt::NoPen || Pen_.brush().style() == Qt::NoBrush || c.alpha() == 0 || Opacity_ <= 0;
    double scale = Pen_.isCosmetic() ? 1.0 : std::sqrt(std::fabs(Xf_.determinant()));
    double width = Pen_.widthF() * scale;  // device pixels
    bool hairline = Pen_.widthF() <= 0;
    std::vector<uint32_t> key;
    if (none) {
      key = {0};
    } else {
      uint32_t style = hairline ? U_PS_COSMETIC : U_PS_GEOMETRIC;
      switch (Pen_.capStyle()) {
        case Qt::FlatCap:
          style |= U_PS_ENDCAP_FLAT;
          break;
        case Qt::SquareCap:
          style |= U_PS_ENDCAP_SQUARE;
          break;
        default:
          style |= U_PS_ENDCAP_ROUND;
          break;
      }
      switch (Pen_.joinStyle()) {
        case Qt::BevelJoin:
          style |= U_PS_JOIN_BEVEL;
          break;
        case Qt::RoundJoin:
          style |= U_PS_JOIN_ROUND;
          break;
        default:
          style |= U_PS_JOIN_MITER;
          break;
      }
      std::vector<uint32_t> dashes;
      if (Pen_.style() != Qt::SolidLine) {
        // Qt counts dashes in pen widths; the pen style list counts logical units (pixels
        // for hairlines).
        double unit = hairline ? 1.0 : width * kSub;
        for (qreal d : Pen_.dashPattern()) dashes.push_back(uint32_t(std::max<long>(1, std::lround(d * unit))));
        if (dashes.size() > 16) dashes.resize(16);
      }
      style |= dashes.empty() ? U_PS_SOLID : U_PS_USERSTYLE;
      key = {1, style, uint32_t(hairline ? 1 : std::max<long>(1, std::lround(width * kSub))), c.rgb()};
      key.insert(key.end(), dashes.begin(), dashes.end());
      if (Pen_.joinStyle() == Qt::MiterJoin || Pen_.joinStyle() == Qt::SvgMiterJoin)
        key.push_back(uint32_t(Pen_.miterLimit() * 100));
    }
    if (HavePen_ && key == PenKey_) return !none;
    PenKey_ = key;
    HavePen_ = true;
    if (none) {
      Add(U_EMRSELECTOBJECT_set(U_NULL_PEN | U_STOCK_OBJECT));
      if (PenSlot_) Add(U_EMRDELETEOBJECT_set(PenSlot_));
      PenSlot_ = 0;
      return false;
    }
    if (Pen_.joinStyle() == Qt::MiterJoin || Pen_.joinStyle() == Qt::SvgMiterJoin)
      Add(U_EMRSETMITERLIMIT_set(uint32_t(std::max(1.0, std::round(Pen_.miterLimit())))));
    std::vector<U_STYLEENTRY> entries(
        key.begin() + 4, key.begin() + 4 + long(key.size() > 4 ? std::min<size_t>(key.size() - 4, 16) : 0));
    if ((key[1] & U_PS_STYLE_MASK) != U_PS_USERSTYLE) entries.clear();
    PU_EXTLOGPEN elp = extlogpen_set(key[1], key[2], U_BS_SOLID, ToColorRef(c), 0, uint32_t(entries.size()),
                                     entries.empty() ? nullptr : entries.data());
    if (!elp) {
      Failed_ = true;
      return false;
    }
    uint32_t next = NextSlot(kPenSlot, PenSlot_);
    SwapObject(kPenSlot, &PenSlot_, U_EMREXTCREATEPEN_set(next, nullptr, 0, nullptr, elp));
    std::free(elp);
    return true;
  }

  // Selects the brush; false when nothing is to be filled.
  bool SelectBrush() {
    Qt::BrushStyle s = Brush_.style();
    QColor c = (s == Qt::SolidPattern || (s >= Qt::HorPattern && s <= Qt::DiagCrossPattern)) ? Brush_.color()
                                                                                             : MeanColor(Brush_);
    if (s >= Qt::Dense1Pattern && s <= Qt::Dense7Pattern) {
      // Dithered densities become the colour they approximate over white.
      static const double density[] = {0.94, 0.88, 0.63, 0.5, 0.37, 0.12, 0.06};
      double d = density[s - Qt::Dense1Pattern];
      c = QColor::fromRgbF(float(1 - d * (1 - c.redF())), float(1 - d * (1 - c.greenF())),
                           float(1 - d * (1 - c.blueF())), c.alphaF());
    }
    bool none = s == Qt::NoBrush || c.alpha() == 0 || Opacity_ <= 0;
    uint32_t style = U_BS_SOLID, hatch = 0;
    switch (s) {
      case Qt::HorPattern:
        style = U_BS_HATCHED, hatch = U_HS_HORIZONTAL;
        break;
      case Qt::VerPattern:
        style = U_BS_HATCHED, hatch = U_HS_VERTICAL;
        break;
      case Qt::FDiagPattern:
        style = U_BS_HATCHED, hatch = U_HS_FDIAGONAL;
        break;
      case Qt::BDiagPattern:
        style = U_BS_HATCHED, hatch = U_HS_BDIAGONAL;
        break;
      case Qt::CrossPattern:
        style = U_BS_HATCHED, hatch = U_HS_CROSS;
        break;
      case Qt::DiagCrossPattern:
        style = U_BS_HATCHED, hatch = U_HS_DIAGCROSS;
        break;
      default:
        break;
    }
    bool texture = s == Qt::TexturePattern && !Brush_.textureImage().isNull();
    std::vector<uint32_t> key = none ? std::vector<uint32_t>{0}
                                     : std::vector<uint32_t>{1, style, hatch, c.rgb(),
                                                             texture ? uint32_t(Brush_.textureImage().cacheKey()) : 0u};
    if (HaveBrush_ && key == BrushKey_) return !none;
    BrushKey_ = key;
    HaveBrush_ = true;
    if (none) {
      Add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH | U_STOCK_OBJECT));
      if (BrushSlot_) Add(U_EMRDELETEOBJECT_set(BrushSlot_));
      BrushSlot_ = 0;
      return false;
    }
    uint32_t next = NextSlot(kBrushSlot, BrushSlot_);
    if (texture) {
      std::vector<uint8_t> header, bits;
      emf::EncodeDib32(emf::FitDibPixels(Brush_.textureImage()), false, &header, &bits);
      U_BITMAPINFO bmi;
      std::memset(&bmi, 0, sizeof bmi);
      std::memcpy(&bmi.bmiHeader, header.data(), std::min(header.size(), sizeof bmi.bmiHeader));
      SwapObject(kBrushSlot, &BrushSlot_,
                 U_EMRCREATEDIBPATTERNBRUSHPT_set(next, U_DIB_RGB_COLORS, &bmi, uint32_t(bits.size()),
                                                  reinterpret_cast<const char*>(bits.data())));
    } else {
      SwapObject(kBrushSlot, &BrushSlot_,
                 U_EMRCREATEBRUSHINDIRECT_set(next, logbrush_set(style, ToColorRef(c), int32_t(hatch))));
    }
    return true;
  }

  void SelectFont(const QFont& font, double emLogical, int32_t escapement) {
    int32_t height = -std::max<int32_t>(1, Clamp32(emLogical));
    int32_t weight = std::clamp(int(font.weight()), 1, 1000);
    QString family = font.family();
    std::vector<uint32_t> key = {uint32_t(height), uint32_t(weight), uint32_t(escapement), font.italic()};
    for (QChar ch : family) key.push_back(ch.unicode());
    if (HaveFont_ && key == FontKey_) return;
    FontKey_ = key;
    HaveFont_ = true;
    uint16_t face[U_LF_FACESIZE] = {};
    for (qsizetype i = 0; i < family.size() && i < U_LF_FACESIZE - 1; ++i) face[i] = family[i].unicode();
    // Underline and strike-out stay off: QPainter draws those decorations itself as lines,
    // which the recording already holds.
    U_LOGFONT lf = logfont_set(height, 0, escapement, escapement, weight, font.italic(), 0, 0, U_DEFAULT_CHARSET,
                               U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                               U_DEFAULT_PITCH | U_FF_DONTCARE, face);
    uint32_t next = NextSlot(kFontSlot, FontSlot_);
    SwapObject(kFontSlot, &FontSlot_,
               U_EMREXTCREATEFONTINDIRECTW_set(next, reinterpret_cast<const char*>(&lf), nullptr));
  }

  void ResetClip() {
    // EXTSELECTCLIPRGN without region data and RGN_COPY: back to no clipping.
    uint32_t rec[4] = {U_EMR_EXTSELECTCLIPRGN, 16, 0, U_RGN_COPY};
    Append(reinterpret_cast<const uint8_t*>(rec), sizeof rec);
  }

  void SetClip(const QPainterPath& logical, Qt::ClipOperation op) {
    if (op == Qt::NoClip) {
      ResetClip();
      return;
    }
    QPainterPath dev = Xf_.map(logical);
    SetFillMode(dev.fillRule());
    Add(U_EMRBEGINPATH_set());
    EmitPathFigures(dev);
    Add(U_EMRENDPATH_set());
    Add(U_EMRSELECTCLIPPATH_set(op == Qt::IntersectClip ? U_RGN_AND : U_RGN_COPY));
  }
};

TEmfRecorder::TEmfRecorder(QSizeF sizeMM, int dpi)
    : SizeMM_(QSizeF(std::max(0.01, sizeMM.width()), std::max(0.01, sizeMM.height()))),
      Dpi_(std::clamp(dpi, 1, 4800)),
      Engine_(std::make_unique<TEmfPaintEngine>(this)) {}

TEmfRecorder::~TEmfRecorder() = default;

QPaintEngine* TEmfRecorder::paintEngine() const { return Engine_.get(); }

int TEmfRecorder::WidthPx() const { return std::max(1, int(std::lround(SizeMM_.width() * Dpi_ / 25.4))); }
int TEmfRecorder::HeightPx() const { return std::max(1, int(std::lround(SizeMM_.height() * Dpi_ / 25.4))); }

std::unique_ptr<TEmfDocument> TEmfRecorder::Finish() {
  if (Engine_->isActive()) return nullptr;
  return Engine_->TakeDocument();
}

int TEmfRecorder::metric(PaintDeviceMetric m) const {
  switch (m) {
    case PdmWidth:
      return WidthPx();
    case PdmHeight:
      return HeightPx();
    case PdmWidthMM:
      return std::max(1, int(std::lround(SizeMM_.width())));
    case PdmHeightMM:
      return std::max(1, int(std::lround(SizeMM_.height())));
    case PdmNumColors:
      return INT_MAX;
    case PdmDepth:
      return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return Dpi_;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return int(devicePixelRatioFScale());
    default:
      return 0;
  }
}
