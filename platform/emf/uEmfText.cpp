#include "uEmfText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cmath>
#include <vector>

#include "uCodePage.h"
#include "uEmfPlayback.h"
#include "uEmfSymbolFonts.h"

namespace emf {

namespace {

constexpr int kRefPixelSize = 64;  // fonts are laid out at this size and scaled into place
constexpr uint8_t kRussianCharset = 204;
constexpr qsizetype kMaxCachedFaces = 256;

double Length(QPointF v) { return std::hypot(v.x(), v.y()); }

QString DecodeAnsi(const uint8_t* p, size_t n, uint8_t charset) {
  std::string_view bytes(reinterpret_cast<const char*>(p), n);
  if (charset == kRussianCharset) return QString::fromStdString(Cp1251ToUtf8(bytes));
  return QString::fromLatin1(bytes.data(), qsizetype(n));
}

}  // namespace

bool ReadLogFont(TEmfCursor& rec, size_t off, TEmfFont* font) {
  if (!rec.Has(off, 92)) return false;
  font->Height = rec.I32(off);
  font->Width = rec.I32(off + 4);
  font->Escapement = rec.I32(off + 8);
  font->Orientation = rec.I32(off + 12);
  font->Weight = rec.I32(off + 16);
  font->Italic = rec.U8(off + 20) != 0;
  font->Underline = rec.U8(off + 21) != 0;
  font->StrikeOut = rec.U8(off + 22) != 0;
  font->CharSet = rec.U8(off + 23);
  QString face;
  for (size_t i = 0; i < 32; ++i) {
    uint16_t ch = rec.U16(off + 28 + i * 2);
    if (ch == 0) break;
    face.append(QChar(ch));
  }
  font->Face = face.trimmed();
  return rec.Ok();
}

QString ResolveFontFace(const QString& requested) {
  static QMutex mutex;
  static QHash<QString, QString> cache;
  QString key = requested.toLower();
  QMutexLocker lock(&mutex);
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return it.value();
  QString face;
  if (key == "arial" || key == "helvetica" || key == "ms sans serif" || key == "microsoft sans serif" ||
      key == "arial unicode ms" || key == "tahoma" || key == "verdana" || key == "segoe ui" || key == "calibri")
    face = "Liberation Sans";
  else if (key == "arial narrow")
    face = "Liberation Sans Narrow";
  else if (key == "times new roman" || key == "times" || key == "ms serif" || key == "cambria" || key == "georgia")
    face = "Liberation Serif";
  else if (key == "courier new" || key == "courier" || key == "lucida console" || key == "consolas" ||
           key == "fixedsys" || key == "terminal")
    face = "Liberation Mono";
  if (face.isEmpty() || !QFontDatabase::hasFamily(face)) {
    if (!requested.isEmpty() && QFontDatabase::hasFamily(requested))
      face = requested;
    else
      face = "DejaVu Sans";
  }
  // Pictures name a handful of faces; damaged ones may name any, so a full cache starts over
  // rather than growing with every name it is asked for.
  if (cache.size() >= kMaxCachedFaces) cache.clear();
  cache.insert(key, face);
  return face;
}

bool PlayExtTextOut(QPainter* painter, TEmfPlayerState& state, TEmfCursor& rec, bool wide, const QTransform& device) {
  if (!rec.Need(0, 76)) return false;
  uint32_t graphicsMode = rec.U32(24);
  QPointF ref(rec.I32(36), rec.I32(40));
  uint32_t n = rec.U32(44), offString = rec.U32(48), options = rec.U32(52);
  QRectF rcl;
  uint32_t offDx;
  if (options & ETO_NO_RECT) {
    offDx = rec.U32(56);
  } else {
    int32_t l = rec.I32(56), t = rec.I32(60), r = rec.I32(64), b = rec.I32(68);
    rcl = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
    offDx = rec.U32(72);
  }
  if (!rec.Ok()) return false;

  const TEmfDC& dc = state.Dc;
  QTransform m = state.LogicalToDevice() * device;
  bool updateCP = (dc.TextAlign & TA_UPDATECP) != 0;
  if (updateCP) ref = dc.CurPos;

  painter->save();
  if ((options & ETO_OPAQUE) && !rcl.isEmpty()) {
    painter->setWorldTransform(m);
    painter->fillRect(rcl, dc.BkColor);
  }
  if ((options & ETO_CLIPPED) && !rcl.isEmpty()) {
    painter->setWorldTransform(m);
    painter->setClipRect(rcl, Qt::IntersectClip);
  }

  QString text;
  if (n > 0) {
    if (!rec.Has(offString, n, wide ? 2 : 1)) {
      painter->restore();
      return false;
    }
    if (wide) {
      text.resize(qsizetype(n));
      for (uint32_t i = 0; i < n; ++i) text[qsizetype(i)] = QChar(rec.U16(offString + i * 2));
    } else {
      text = DecodeAnsi(rec.Data() + offString, n, dc.Font.CharSet);
    }
  }
  // Glyph indexes name glyphs of a font we do not have: nothing sensible to draw.
  if (text.isEmpty() || (options & ETO_GLYPH_INDEX)) {
    painter->restore();
    return true;
  }
  std::vector<double> dx;
  if (offDx != 0) {
    size_t step = (options & ETO_PDY) ? 8 : 4;
    if (rec.Has(offDx, n, step)) {
      dx.resize(n);
      for (uint32_t i = 0; i < n; ++i) dx[i] = rec.I32(offDx + i * step);
    }
  }

  // Symbol fonts: their codes are pictures. One code may become two UTF-16
  // units; its advance goes with the first.
  if (const TSymbolFont symbolFont = SymbolFontOf(dc.Font.Face); symbolFont != TSymbolFont::None) {
    const bool installed = QFontDatabase::hasFamily(dc.Font.Face.trimmed());
    QString mapped;
    std::vector<double> mappedDx;
    for (qsizetype i = 0; i < text.size(); ++i) {
      const QString one = SymbolText(symbolFont, text.mid(i, 1), installed);
      mapped += one;
      if (!dx.empty()) {
        mappedDx.push_back(size_t(i) < dx.size() ? dx[size_t(i)] : 0);
        for (qsizetype k = 1; k < one.size(); ++k) mappedDx.push_back(0);
      }
    }
    text = mapped;
    if (!dx.empty()) dx = std::move(mappedDx);
  }

  QPointF p = m.map(ref);
  double sx = Length(m.map(ref + QPointF(1, 0)) - p);
  double sy = Length(m.map(ref + QPointF(0, 1)) - p);
  if (!std::isfinite(sx) || !std::isfinite(sy) || sx <= 0 || sy <= 0) {
    painter->restore();
    return true;
  }

  const TEmfFont& lf = dc.Font;
  QFont font(ResolveFontFace(lf.Face));
  font.setPixelSize(kRefPixelSize);
  font.setWeight(QFont::Weight(std::clamp(lf.Weight == 0 ? 400 : lf.Weight, 1, 1000)));
  font.setItalic(lf.Italic);
  font.setUnderline(lf.Underline);
  font.setStrikeOut(lf.StrikeOut);
  font.setKerning(false);
  QFontMetricsF fm(font);
  double em;  // the font's em height in painter pixels
  if (lf.Height < 0)
    em = -double(lf.Height) * sy;
  else if (lf.Height > 0)
    em = double(lf.Height) * sy * kRefPixelSize / std::max(fm.height(), 1.0);
  else
    em = 16 * Length(device.map(QPointF(0, 1)) - device.map(QPointF(0, 0)));
  double k = em / kRefPixelSize;
  double kx = k;
  if (lf.Width != 0 && fm.averageCharWidth() > 0)
    kx = k * std::clamp(std::fabs(double(lf.Width)) * sx / (fm.averageCharWidth() * k), 0.1, 10.0);
  if (!(k > 1e-6) || !std::isfinite(k) || k > 1e4) {
    painter->restore();
    return true;
  }

  double angle = -double(lf.Escapement) / 10.0;
  if (graphicsMode == 2) {
    QPointF ex = m.map(ref + QPointF(1, 0)) - p;
    if (ex.x() > 0) angle += std::atan2(ex.y(), ex.x()) * 180 / M_PI;
  }

  // Layout in the font's own units (kRefPixelSize per em).
  double width = 0;
  std::vector<double> advance;
  if (!dx.empty()) {
    advance.resize(dx.size());
    for (size_t i = 0; i < dx.size(); ++i) {
      advance[i] = dx[i] * sx / kx;
      width += advance[i];
    }
  } else {
    width = fm.horizontalAdvance(text);
  }
  double x0 = 0, y0 = 0;
  switch (dc.TextAlign & TA_HORZ_MASK) {
    case TA_RIGHT:
      x0 = -width;
      break;
    case TA_CENTER:
      x0 = -width / 2;
      break;
    default:
      break;
  }
  switch (dc.TextAlign & TA_VERT_MASK) {
    case TA_BASELINE:
      break;
    case TA_BOTTOM:
      y0 = -fm.descent();
      break;
    default:
      y0 = fm.ascent();
      break;
  }

  QTransform local;
  local.scale(kx, k);
  QTransform placed = local * QTransform().rotate(angle) * QTransform::fromTranslate(p.x(), p.y());
  painter->setWorldTransform(placed);
  if (dc.BkMode == OPAQUE)
    painter->fillRect(QRectF(x0, y0 - fm.ascent(), width, fm.ascent() + fm.descent()), dc.BkColor);
  painter->setFont(font);
  painter->setPen(dc.TextColor);
  painter->setBrush(Qt::NoBrush);
  if (advance.empty()) {
    painter->drawText(QPointF(x0, y0), text);
  } else {
    double x = x0;
    for (qsizetype i = 0; i < text.size(); ++i) {
      qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
      painter->drawText(QPointF(x, y0), text.mid(i, len));
      for (qsizetype j = 0; j < len; ++j) x += advance[size_t(i + j)];
      i += len - 1;
    }
  }
  painter->restore();

  if (updateCP) {
    double logical = width * kx / sx;
    QPointF ex = m.map(ref + QPointF(1, 0)) - p;
    double dir = ex.x() < 0 ? -1 : 1;
    switch (dc.TextAlign & TA_HORZ_MASK) {
      case TA_RIGHT:
        state.Dc.CurPos.rx() -= dir * logical;
        break;
      case TA_CENTER:
        break;
      default:
        state.Dc.CurPos.rx() += dir * logical;
        break;
    }
  }
  return true;
}

// Text records: fonts and EXTTEXTOUTA/W.
TEmfPlayback::TPlayed TEmfPlayback::TextRecord(uint32_t type, TEmfCursor& c) {
  switch (type) {
    case EMR_EXTCREATEFONTINDIRECTW: {
      if (!c.Need(0, 104)) return false;
      TEmfFont f;
      if (!ReadLogFont(c, 12, &f)) return false;
      S_.Store(c.U32(8), f);
      return true;
    }
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
      bool ok = PlayExtTextOut(P_, S_, c, type == EMR_EXTTEXTOUTW, Device_);
      P_->setWorldTransform(Device_);
      return ok;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace emf
