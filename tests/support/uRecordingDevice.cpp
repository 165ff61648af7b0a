#include "uRecordingDevice.h"

#include <QDir>
#include <QMetaEnum>
#include <QPixmap>
#include <QTextItem>
#include <climits>
#include <cmath>
#include <numbers>

namespace {
// Area scale of a transform: how much a length grows, for pens and fonts.
double ScaleOf(const QTransform& t) { return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21())); }

QPolygonF Corners(const QTransform& t, const QRectF& r) {
  return QPolygonF({t.map(r.topLeft()), t.map(r.topRight()), t.map(r.bottomRight()), t.map(r.bottomLeft())});
}

QString Num(double v) {
  if (std::abs(v) < 1e-9) v = 0;  // no "-0" in messages
  return QString::number(v, 'g', 10);
}

QString Pt(QPointF p) { return QStringLiteral("(%1, %2)").arg(Num(p.x()), Num(p.y())); }

QString Rc(const QRectF& r) {
  return QStringLiteral("[%1, %2 %3x%4]").arg(Num(r.x()), Num(r.y()), Num(r.width()), Num(r.height()));
}

template <typename E>
QString EnumName(E value) {
  const char* key = QMetaEnum::fromType<E>().valueToKey(static_cast<int>(value));
  return key ? QString::fromLatin1(key) : QString::number(static_cast<int>(value));
}

QString Colour(const QColor& c) {
  if (!c.isValid()) return QStringLiteral("invalid");
  return c.alpha() == 255 ? c.name(QColor::HexRgb) : c.name(QColor::HexArgb);
}
}  // namespace

// The engine records instead of rendering. It claims every feature, so
// QPainter hands it untransformed geometry with the transform in force and
// never substitutes its own emulation; the transform is applied here.
class TRecordingEngine final : public QPaintEngine {
 public:
  explicit TRecordingEngine(TRecordingDevice* device) : QPaintEngine(QPaintEngine::AllFeatures), FDevice(device) {}

  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  // State is read from the painter at each primitive, where it is certain to be current.
  void updateState(const QPaintEngineState&) override {}
  Type type() const override { return QPaintEngine::User; }

  using QPaintEngine::drawEllipse;
  using QPaintEngine::drawLines;
  using QPaintEngine::drawPoints;
  using QPaintEngine::drawPolygon;
  using QPaintEngine::drawRects;

  void drawLines(const QLineF* lines, int count) override {
    for (int i = 0; i < count; ++i) {
      TRecordedItem item = Make(TRecordKind::Line);
      const QTransform& t = item.State.Transform;
      item.Line = QLineF(t.map(lines[i].p1()), t.map(lines[i].p2()));
      item.Rect = QRectF(item.Line.p1(), item.Line.p2()).normalized();
      Add(std::move(item));
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    for (int i = 0; i < count; ++i) AddBox(TRecordKind::Rect, rects[i]);
  }

  void drawEllipse(const QRectF& r) override { AddBox(TRecordKind::Ellipse, r); }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    TRecordedItem item = Make(TRecordKind::Polygon);
    const QTransform& t = item.State.Transform;
    item.Polygon.reserve(count);
    for (int i = 0; i < count; ++i) item.Polygon.append(t.map(points[i]));
    item.Rect = item.Polygon.boundingRect();
    item.PolygonMode = mode;
    item.Closed = mode != PolylineMode;
    item.FillRule = mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    Add(std::move(item));
  }

  void drawPath(const QPainterPath& path) override {
    TRecordedItem item = Make(TRecordKind::Path);
    const QPainterPath mapped = item.State.Transform.map(path);
    item.Polygons = mapped.toSubpathPolygons();
    item.PathElements.reserve(mapped.elementCount());
    for (int i = 0; i < mapped.elementCount(); ++i) {
      const QPainterPath::Element e = mapped.elementAt(i);
      item.PathElements.push_back({e.type, QPointF(e.x, e.y)});
    }
    item.Rect = mapped.boundingRect();
    item.FillRule = path.fillRule();
    item.Closed = !item.Polygons.isEmpty() && item.Polygons.last().isClosed();
    Add(std::move(item));
  }

  void drawPoints(const QPointF* points, int count) override {
    for (int i = 0; i < count; ++i) {
      TRecordedItem item = Make(TRecordKind::Point);
      item.Point = item.State.Transform.map(points[i]);
      item.Rect = QRectF(item.Point, QSizeF(0, 0));
      Add(std::move(item));
    }
  }

  void drawTextItem(const QPointF& p, const QTextItem& ti) override {
    TRecordedItem item = Make(TRecordKind::Text);
    const QTransform& t = item.State.Transform;
    const double scale = ScaleOf(t);
    item.Text = ti.text();
    item.TextPos = p;
    item.Baseline = t.map(p);
    const QFont font = ti.font();
    item.FontFamily = font.family();
    item.FontPixelSize = font.pixelSize();
    item.FontPointSize = font.pointSizeF();
    const double em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * FDevice->FDpi / 72.0;
    item.FontDevicePixels = em * scale;
    item.FontWeight = font.weight();
    item.Italic = font.italic();
    item.Underline = font.underline();
    item.StrikeOut = font.strikeOut();
    double angle = std::atan2(t.m12(), t.m11()) * 180.0 / std::numbers::pi;
    if (std::abs(angle) < 1e-9) angle = 0;
    item.Angle = angle;
    item.TextWidth = QLineF(t.map(p), t.map(p + QPointF(ti.width(), 0))).length();
    item.Ascent = ti.ascent() * scale;
    item.Descent = ti.descent() * scale;
    item.Rect = t.mapRect(QRectF(p.x(), p.y() - ti.ascent(), ti.width(), ti.ascent() + ti.descent()));
    Add(std::move(item));
  }

  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    TRecordedItem item = MakeImage(r, sr.size(), pm.size());
    item.Pixmap = true;
    Add(std::move(item));
  }

  void drawTiledPixmap(const QRectF& r, const QPixmap& pm, const QPointF&) override {
    TRecordedItem item = MakeImage(r, pm.size(), pm.size());
    item.Pixmap = true;
    item.Tiled = true;
    Add(std::move(item));
  }

  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override {
    Add(MakeImage(r, sr.size(), image.size()));
  }

 private:
  TRecordedItem Make(TRecordKind kind) const {
    TRecordedItem item;
    item.Kind = kind;
    item.State = CaptureState();
    return item;
  }

  TRecordedItem MakeImage(const QRectF& r, QSizeF source, QSize whole) const {
    TRecordedItem item = Make(TRecordKind::Image);
    item.Rect = item.State.Transform.mapRect(r);
    item.Polygon = Corners(item.State.Transform, r);
    item.SourceSize = source;
    item.ImageSize = whole;
    return item;
  }

  void AddBox(TRecordKind kind, const QRectF& r) {
    TRecordedItem item = Make(kind);
    item.Rect = item.State.Transform.mapRect(r);
    item.Polygon = Corners(item.State.Transform, r);
    item.Closed = true;
    Add(std::move(item));
  }

  void Add(TRecordedItem&& item) { FDevice->FItems.push_back(std::move(item)); }

  TRecordedState CaptureState() const {
    TRecordedState s;
    const QPainter* p = painter();
    if (!p) return s;
    const QTransform t = p->combinedTransform();
    s.Transform = t;
    const QPen pen = p->pen();
    s.PenColor = pen.color();
    s.PenWidth = pen.widthF();
    s.Cosmetic = pen.isCosmetic();
    const double width = pen.widthF() > 0 ? pen.widthF() : 1.0;
    s.PenDeviceWidth = s.Cosmetic ? width : width * ScaleOf(t);
    s.PenStyle = pen.style();
    if (pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen) s.DashPattern = pen.dashPattern();
    s.Cap = pen.capStyle();
    s.Join = pen.joinStyle();
    const QBrush brush = p->brush();
    s.BrushStyle = brush.style();
    s.BrushColor = brush.color();
    s.BackgroundMode = p->backgroundMode();
    s.BackgroundColor = p->background().color();
    if (p->hasClipping()) {
      s.Clipped = true;
      s.ClipPath = t.map(p->clipPath());
      s.ClipRect = s.ClipPath.boundingRect();
      s.ClipRegion = t.map(p->clipRegion());
    }
    s.Composition = p->compositionMode();
    s.Opacity = p->opacity();
    return s;
  }

  TRecordingDevice* FDevice;
};

TRecordingDevice::TRecordingDevice(QSize size, int dpi, int physicalDpi)
    : FSize(size),
      FDpi(dpi),
      FPhysicalDpi(physicalDpi > 0 ? physicalDpi : dpi),
      FEngine(std::make_unique<TRecordingEngine>(this)) {}

TRecordingDevice::~TRecordingDevice() = default;

void TRecordingDevice::SetDpi(int logical, int physical) {
  FDpi = logical;
  FPhysicalDpi = physical > 0 ? physical : logical;
}

QPaintEngine* TRecordingDevice::paintEngine() const { return FEngine.get(); }

int TRecordingDevice::metric(PaintDeviceMetric metric) const {
  switch (metric) {
    case PdmWidth:
      return FSize.width();
    case PdmHeight:
      return FSize.height();
    case PdmWidthMM:
      return qRound(FSize.width() * 25.4 / FPhysicalDpi);
    case PdmHeightMM:
      return qRound(FSize.height() * 25.4 / FPhysicalDpi);
    case PdmNumColors:
      return INT_MAX;
    case PdmDepth:
      return 32;
    case PdmDpiX:
    case PdmDpiY:
      return FDpi;
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return FPhysicalDpi;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default:
      return QPaintDevice::metric(metric);
  }
}

std::vector<const TRecordedItem*> TRecordingDevice::OfKind(TRecordKind kind) const {
  std::vector<const TRecordedItem*> result;
  for (const TRecordedItem& item : FItems)
    if (item.Kind == kind) result.push_back(&item);
  return result;
}

const TRecordedItem* TRecordingDevice::FindLine(QPointF a, QPointF b, double tolerance) const {
  auto near = [tolerance](QPointF p, QPointF q) {
    return std::abs(p.x() - q.x()) <= tolerance && std::abs(p.y() - q.y()) <= tolerance;
  };
  for (const TRecordedItem& item : FItems) {
    if (item.Kind != TRecordKind::Line) continue;
    const QPointF p1 = item.Line.p1(), p2 = item.Line.p2();
    if ((near(p1, a) && near(p2, b)) || (near(p1, b) && near(p2, a))) return &item;
  }
  return nullptr;
}

const TRecordedItem* TRecordingDevice::FindHorizontalLine(double x1, double x2, double y, double tolerance) const {
  return FindLine(QPointF(x1, y), QPointF(x2, y), tolerance);
}

const TRecordedItem* TRecordingDevice::FindRect(const QRectF& rect, double tolerance, TRecordKind kind) const {
  for (const TRecordedItem& item : FItems) {
    if (item.Kind != kind) continue;
    const QRectF& r = item.Rect;
    if (std::abs(r.left() - rect.left()) <= tolerance && std::abs(r.top() - rect.top()) <= tolerance &&
        std::abs(r.right() - rect.right()) <= tolerance && std::abs(r.bottom() - rect.bottom()) <= tolerance)
      return &item;
  }
  return nullptr;
}

const TRecordedItem* TRecordingDevice::FindText(const QString& text) const {
  for (const TRecordedItem& item : FItems)
    if (item.Kind == TRecordKind::Text && item.Text == text) return &item;
  return nullptr;
}

std::vector<const TRecordedItem*> TRecordingDevice::TextsContaining(const QString& part) const {
  std::vector<const TRecordedItem*> result;
  for (const TRecordedItem& item : FItems)
    if (item.Kind == TRecordKind::Text && item.Text.contains(part)) result.push_back(&item);
  return result;
}

std::string TRecordingDevice::Dump() const {
  std::string out;
  for (size_t i = 0; i < FItems.size(); ++i) {
    out += '#' + std::to_string(i) + ' ' + FItems[i].Describe() + '\n';
  }
  if (FItems.empty()) out = "(nothing drawn)\n";
  return out;
}

const char* RecordKindName(TRecordKind kind) {
  switch (kind) {
    case TRecordKind::Line:
      return "Line";
    case TRecordKind::Rect:
      return "Rect";
    case TRecordKind::Ellipse:
      return "Ellipse";
    case TRecordKind::Polygon:
      return "Polygon";
    case TRecordKind::Path:
      return "Path";
    case TRecordKind::Point:
      return "Point";
    case TRecordKind::Text:
      return "Text";
    case TRecordKind::Image:
      return "Image";
  }
  return "?";
}

std::string TRecordedItem::Describe() const {
  QString s = QString::fromLatin1(RecordKindName(Kind)) + QLatin1Char(' ');
  switch (Kind) {
    case TRecordKind::Line:
      s += Pt(Line.p1()) + QStringLiteral("-") + Pt(Line.p2());
      break;
    case TRecordKind::Rect:
    case TRecordKind::Ellipse:
      s += Rc(Rect);
      break;
    case TRecordKind::Polygon: {
      s += Closed ? QStringLiteral("closed ") : QStringLiteral("open ");
      s += EnumName(FillRule) + QLatin1Char(' ');
      QStringList pts;
      for (QPointF p : Polygon) pts << Pt(p);
      s += pts.join(QLatin1Char(' '));
      break;
    }
    case TRecordKind::Path: {
      s += QStringLiteral("%1 subpaths, %2 elements, bounds %3")
               .arg(Polygons.size())
               .arg(PathElements.size())
               .arg(Rc(Rect));
      break;
    }
    case TRecordKind::Point:
      s += Pt(Point);
      break;
    case TRecordKind::Text:
      s +=
          QStringLiteral("\"%1\" at %2 font \"%3\" %4 (%5 device px) weight %6%7%8%9 angle %10 width %11")
              .arg(Text, Pt(Baseline), FontFamily,
                   FontPixelSize > 0 ? QStringLiteral("%1px").arg(FontPixelSize)
                                     : QStringLiteral("%1pt").arg(Num(FontPointSize)),
                   Num(FontDevicePixels))
              .arg(FontWeight)
              .arg(Italic ? QStringLiteral(" italic") : QString(), Underline ? QStringLiteral(" underline") : QString(),
                   StrikeOut ? QStringLiteral(" strikeout") : QString(), Num(Angle), Num(TextWidth));
      break;
    case TRecordKind::Image:
      s += QStringLiteral("%1%2 -> %3 source %4x%5 of %6x%7")
               .arg(Pixmap ? QStringLiteral("pixmap") : QStringLiteral("image"),
                    Tiled ? QStringLiteral(" tiled") : QString(), Rc(Rect), Num(SourceSize.width()),
                    Num(SourceSize.height()))
               .arg(ImageSize.width())
               .arg(ImageSize.height());
      break;
  }
  const TRecordedState& st = State;
  s += QStringLiteral(" | pen %1 %2 w %3 (%4 device)%5")
           .arg(EnumName(st.PenStyle), Colour(st.PenColor), Num(st.PenWidth), Num(st.PenDeviceWidth),
                st.Cosmetic ? QStringLiteral(" cosmetic") : QString());
  if (!st.DashPattern.isEmpty()) {
    QStringList dashes;
    for (qreal d : st.DashPattern) dashes << Num(d);
    s += QStringLiteral(" dashes [%1]").arg(dashes.join(QLatin1Char(' ')));
  }
  s += QStringLiteral(" %1 %2").arg(EnumName(st.Cap), EnumName(st.Join));
  s += QStringLiteral(" | brush %1").arg(EnumName(st.BrushStyle));
  if (st.BrushStyle != Qt::NoBrush) s += QLatin1Char(' ') + Colour(st.BrushColor);
  if (st.BackgroundMode == Qt::OpaqueMode)
    s += QStringLiteral(" | opaque background %1").arg(Colour(st.BackgroundColor));
  if (st.Clipped) s += QStringLiteral(" | clip %1").arg(Rc(st.ClipRect));
  if (st.Composition != QPainter::CompositionMode_SourceOver)
    s += QStringLiteral(" | composition %1").arg(static_cast<int>(st.Composition));
  if (st.Opacity != 1) s += QStringLiteral(" | opacity %1").arg(Num(st.Opacity));
  return s.toStdString();
}

QString SaveDebugPng(const QImage& image, const QString& name) {
  QString file = name;
  if (!file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) file += QStringLiteral(".png");
  const QString path = QDir::current().filePath(file);
  return image.save(path, "PNG") ? path : QString();
}
