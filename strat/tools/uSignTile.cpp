#include "uSignTile.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace signtile {

void TTile::Pen(double widthMM) {
  QPen pen(Qt::black, U(widthMM), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  P.setPen(pen);
  P.setBrush(Qt::NoBrush);
}

void TTile::Line(double x1, double y1, double x2, double y2, double width) {
  Pen(width);
  P.drawLine(QPointF(U(x1), U(y1)), QPointF(U(x2), U(y2)));
}

void TTile::Dot(double x, double y, double r) {
  P.setPen(Qt::NoPen);
  P.setBrush(Qt::black);
  P.drawEllipse(QPointF(U(x), U(y)), U(r), U(r));
}

void TTile::Circle(double x, double y, double rx, double ry, double width) {
  Pen(width);
  P.drawEllipse(QPointF(U(x), U(y)), U(rx), U(ry));
}

void TTile::Poly(const std::vector<QPointF>& mm, bool closed, double width, bool filled) {
  QPolygonF poly;
  for (const QPointF& q : mm) poly << QPointF(U(q.x()), U(q.y()));
  if (filled) {
    P.setPen(Qt::NoPen);
    P.setBrush(Qt::black);
    P.drawPolygon(poly);
    return;
  }
  Pen(width);
  if (closed)
    P.drawPolygon(poly);
  else
    P.drawPolyline(poly);
}

void TTile::Fill(double x, double y, double w, double h) { P.fillRect(QRectF(U(x), U(y), U(w), U(h)), Qt::black); }

void TTile::Arc(double x, double y, double rx, double ry, double startDeg, double spanDeg, double width) {
  std::vector<QPointF> pts;
  const int steps = std::max(4, static_cast<int>(std::fabs(spanDeg) / 10));
  for (int i = 0; i <= steps; ++i) {
    const double a = (startDeg + spanDeg * i / steps) * M_PI / 180.0;
    pts.emplace_back(x + rx * std::cos(a), y - ry * std::sin(a));
  }
  Poly(pts, false, width);
}

void TTile::Wave(double y, double amplitude, int periods, double width) {
  std::vector<QPointF> pts;
  for (int i = 0; i <= 80; ++i) {
    const double x = kTile * i / 80.0;
    pts.emplace_back(x, y + amplitude * std::sin(2 * M_PI * periods * x / kTile));
  }
  Poly(pts, false, width);
}

std::vector<QPointF> Scatter(unsigned seed, int count, double margin, double minDistance) {
  std::vector<QPointF> points;
  unsigned state = seed * 2654435761u + 12345u;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return ((state >> 8) & 0xFFFF) / 65536.0;
  };
  for (int attempt = 0; attempt < count * 400 && static_cast<int>(points.size()) < count; ++attempt) {
    const QPointF c(margin + next() * (kTile - 2 * margin), margin + next() * (kTile - 2 * margin));
    bool clear = true;
    for (const QPointF& q : points) {
      if (WrappedDistance(q, c) < minDistance) {
        clear = false;
        break;
      }
    }
    if (clear) points.push_back(c);
  }
  return points;
}

double WrappedDistance(const QPointF& a, const QPointF& b) {
  double dx = std::fabs(a.x() - b.x()), dy = std::fabs(a.y() - b.y());
  dx = std::min(dx, kTile - dx);
  dy = std::min(dy, kTile - dy);
  return std::hypot(dx, dy);
}

void WrappedLine(TTile& t, double x1, double x2, double y, double width) {
  if (x2 <= kTile) {
    t.Line(x1, y, x2, y, width);
    return;
  }
  t.Line(x1, y, kTile, y, width);
  t.Line(0, y, x2 - kTile, y, width);
}

void SlantedLines(TTile& t, double slope, double spacing, double width) {
  // Every line of the family that meets the tile, cut to the tile's edges.
  const double rise = slope * kTile;
  const double low = std::min(0.0, -rise), high = std::max(kTile, kTile - rise);
  for (double c = std::ceil(low / spacing) * spacing; c < high; c += spacing) {
    double x1 = 0, x2 = kTile;
    if (slope != 0) {
      const double xa = (0 - c) / slope, xb = (kTile - c) / slope;
      x1 = std::max(x1, std::min(xa, xb));
      x2 = std::min(x2, std::max(xa, xb));
    }
    if (x2 - x1 < 1e-6) continue;
    t.Line(x1, slope * x1 + c, x2, slope * x2 + c, width);
  }
}

void Bricks(TTile& t, double lean, double width) {
  t.Line(0, 2.5, kTile, 2.5, width);
  t.Line(0, 7.5, kTile, 7.5, width);
  t.Line(2.5 + lean / 2, 2.5, 2.5 - lean / 2, 7.5, width);
  // The course from 7.5 mm wraps round the tile's bottom edge.
  t.Line(7.5 + lean / 2, 7.5, 7.5, kTile, width);
  t.Line(7.5, 0, 7.5 - lean / 2, 2.5, width);
}

const std::vector<QPointF>& BrickSpots() {
  static const std::vector<QPointF> spots = {QPointF(6.0, 4.3), QPointF(9.0, 5.7), QPointF(1.2, 8.8),
                                             QPointF(4.2, 1.2)};
  return spots;
}

void DotsGrid(TTile& t, double step, double r) {
  const int n = static_cast<int>(std::lround(kTile / step));
  for (int row = 0; row < n; ++row)
    for (int col = 0; col < n; ++col)
      t.Dot(step / 4 + col * step + ((row % 2) ? step / 2 : 0.0), step / 2 + row * step, r);
}

void DotsWith(TTile& t, double step, double r, const std::vector<QPointF>& marks, double clearance, const TMark& mark) {
  const int n = static_cast<int>(std::lround(kTile / step));
  for (int row = 0; row < n; ++row)
    for (int col = 0; col < n; ++col) {
      const QPointF p(step / 4 + col * step + ((row % 2) ? step / 2 : 0.0), step / 2 + row * step);
      const bool near =
          std::any_of(marks.begin(), marks.end(), [&](const QPointF& m) { return WrappedDistance(m, p) < clearance; });
      if (!near) t.Dot(p.x(), p.y(), r);
    }
  for (const QPointF& m : marks) mark(t, m.x(), m.y());
}

const std::vector<QPointF>& MarkSpots() {
  static const std::vector<QPointF> spots = {QPointF(1.25, 1.25), QPointF(6.25, 1.25), QPointF(3.75, 6.25),
                                             QPointF(8.75, 6.25)};
  return spots;
}

void ScatterDots(TTile& t, unsigned seed, int count, double r, double minDistance) {
  for (const QPointF& c : Scatter(seed, count, r + 0.1, minDistance)) t.Dot(c.x(), c.y(), r);
}

void Dashes(TTile& t, int rows, double length, double width) {
  const double step = kTile / rows;
  for (int row = 0; row < rows; ++row) {
    const double y = step / 2 + row * step;
    const double shift = (row % 2) ? 2.5 : 0.0;
    for (double slot : {0.0, 5.0}) {
      const double a = slot + shift + (5.0 - length) / 2;
      WrappedLine(t, a, a + length, y, width);
    }
  }
}

void DashesWith(TTile& t, double length, const TMark& mark, double width) {
  for (int row = 0; row < 4; ++row) {
    const double y = 1.25 + 2.5 * row;
    const double shift = (row % 2) ? 2.5 : 0.0;
    for (double slot : {0.0, 5.0}) {
      const double centre = 1.25 + slot + shift;
      t.Line(centre - length / 2, y, centre + length / 2, y, width);
      mark(t, std::fmod(centre + 2.5, kTile), y);
    }
  }
}

void Lattice(const std::function<void(double x, double y, int row, int col)>& draw) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 2; ++col) draw(1.25 + col * 5.0 + ((row % 2) ? 2.5 : 0.0), 1.25 + row * 2.5, row, col);
}

void Vee(TTile& t, double x, double y, double size, bool inverted) {
  const double h = inverted ? -size * 0.8 : size * 0.8;
  t.Poly({QPointF(x - size / 2, y - h / 2), QPointF(x, y + h / 2), QPointF(x + size / 2, y - h / 2)}, false);
}

void Cross(TTile& t, double x, double y, double size, bool diagonal) {
  const double s = size / 2;
  if (diagonal) {
    t.Line(x - s * 0.7, y - s * 0.7, x + s * 0.7, y + s * 0.7);
    t.Line(x - s * 0.7, y + s * 0.7, x + s * 0.7, y - s * 0.7);
  } else {
    t.Line(x - s, y, x + s, y);
    t.Line(x, y - s, x, y + s);
  }
}

void Triangle(TTile& t, double x, double y, double size, double turn, double width) {
  std::vector<QPointF> pts;
  for (int k = 0; k < 3; ++k) {
    const double a = turn + k * 2 * M_PI / 3;
    pts.emplace_back(x + size / 2 * std::cos(a), y + size / 2 * std::sin(a));
  }
  t.Poly(pts, true, width);
}

void CalcareousMark(TTile& t, double x, double y) {
  t.Line(x - 0.6, y + 0.35, x + 0.6, y + 0.35, kThin);
  t.Line(x, y + 0.35, x, y - 0.45, kThin);
}

void DolomiticMark(TTile& t, double x, double y) {
  t.Poly({QPointF(x - 0.45, y - 0.35), QPointF(x + 0.75, y - 0.35), QPointF(x + 0.45, y + 0.35),
          QPointF(x - 0.75, y + 0.35)},
         true, kThin);
}

void SiliceousMark(TTile& t, double x, double y) { Triangle(t, x, y + 0.1, 1.0, -M_PI / 2, kThin); }

void ClayMark(TTile& t, double x, double y) { t.Line(x - 0.7, y, x + 0.7, y, kThin); }

void SandMark(TTile& t, double x, double y) { t.Dot(x, y, 0.17); }

void GlauconiteMark(TTile& t, double x, double y) {
  t.Circle(x, y, 0.4, 0.4, kThin);
  t.Dot(x, y, 0.12);
}

void TuffMark(TTile& t, double x, double y) { Vee(t, x, y, 1.0); }

void Shell(TTile& t, double x, double y) {
  t.Arc(x, y - 0.25, 0.65, 0.6, 180, 180, kThin);
  t.Line(x - 0.65, y - 0.25, x + 0.65, y - 0.25, kThin);
}

void ShellFragment(TTile& t, double x, double y, int turn) { t.Arc(x, y, 0.6, 0.45, 200 + 60 * turn, 110, kThin); }

}  // namespace signtile
