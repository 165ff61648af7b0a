// Builds the default lithology database: every sign is a seamless 10 mm x
// 10 mm tile drawn here with QPainter into an enhanced metafile, named by its
// rock code. Writes the database, the code list beside it and, on request, a
// sheet of every sign drawn through the library (to look the patterns over).
//
//   mkdefaultlsd OUT.lsd [--sheet SHEET.png]
//
// Patterns never cross the tile's edges except for lines that run from edge
// to edge, so neighbouring tiles join without seams.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "strat.h"
#include "uComPtr.h"
#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uEmfRecorder.h"

namespace {

constexpr double kTile = 10.0;  // mm
constexpr int kDpi = 2540;      // 100 device units per millimetre
constexpr double kUnits = kDpi / 25.4;
constexpr double kLine = 0.18;  // mm, the usual stroke
constexpr double kThin = 0.12;

// Drawing in millimetres onto the recorder's device units.
class TTile {
 public:
  explicit TTile(QPainter& p) : P(p) {}

  static double U(double mm) { return mm * kUnits; }

  void Pen(double widthMM) {
    QPen pen(Qt::black, U(widthMM), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    P.setPen(pen);
    P.setBrush(Qt::NoBrush);
  }
  void Line(double x1, double y1, double x2, double y2, double width = kLine) {
    Pen(width);
    P.drawLine(QPointF(U(x1), U(y1)), QPointF(U(x2), U(y2)));
  }
  void Dot(double x, double y, double r) {
    P.setPen(Qt::NoPen);
    P.setBrush(Qt::black);
    P.drawEllipse(QPointF(U(x), U(y)), U(r), U(r));
  }
  void Circle(double x, double y, double rx, double ry, double width = kLine) {
    Pen(width);
    P.drawEllipse(QPointF(U(x), U(y)), U(rx), U(ry));
  }
  void Poly(const std::vector<QPointF>& mm, bool closed, double width = kLine, bool filled = false) {
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
  void Fill(double x, double y, double w, double h) { P.fillRect(QRectF(U(x), U(y), U(w), U(h)), Qt::black); }
  // A wave across the whole tile: `periods` whole periods, so it joins its neighbours.
  void Wave(double y, double amplitude, int periods, double width = kLine) {
    std::vector<QPointF> pts;
    for (int i = 0; i <= 80; ++i) {
      const double x = kTile * i / 80.0;
      pts.emplace_back(x, y + amplitude * std::sin(2 * M_PI * periods * x / kTile));
    }
    Poly(pts, false, width);
  }

  QPainter& P;
};

// Deterministic scatter with wrap-around spacing, so the tile repeats without visible seams.
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
      double dx = std::fabs(q.x() - c.x()), dy = std::fabs(q.y() - c.y());
      dx = std::min(dx, kTile - dx);
      dy = std::min(dy, kTile - dy);
      if (dx * dx + dy * dy < minDistance * minDistance) {
        clear = false;
        break;
      }
    }
    if (clear) points.push_back(c);
  }
  return points;
}

// Pattern pieces shared by several signs.

// A horizontal stroke that may run past the right edge: the part beyond it
// re-enters on the left, so the tile repeats without a break.
void WrappedLine(TTile& t, double x1, double x2, double y, double width = kLine) {
  if (x2 <= kTile) {
    t.Line(x1, y, x2, y, width);
    return;
  }
  t.Line(x1, y, kTile, y, width);
  t.Line(0, y, x2 - kTile, y, width);
}

// Limestone bricks: courses 5 mm high from 2.5 and 7.5 mm, joints staggered by
// half a brick; `lean` slants the joints (dolomite).
void Bricks(TTile& t, double lean = 0.0, double width = kLine) {
  t.Line(0, 2.5, kTile, 2.5, width);
  t.Line(0, 7.5, kTile, 7.5, width);
  t.Line(2.5 + lean / 2, 2.5, 2.5 - lean / 2, 7.5, width);
  // The course from 7.5 mm wraps round the tile's bottom edge.
  t.Line(7.5 + lean / 2, 7.5, 7.5, kTile, width);
  t.Line(7.5, 0, 7.5 - lean / 2, 2.5, width);
}

// Staggered rows of dots; kTile / step must be a whole even number.
void DotsGrid(TTile& t, double step, double r) {
  const int n = static_cast<int>(std::lround(kTile / step));
  for (int row = 0; row < n; ++row)
    for (int col = 0; col < n; ++col)
      t.Dot(step / 4 + col * step + ((row % 2) ? step / 2 : 0.0), step / 2 + row * step, r);
}

void ScatterDots(TTile& t, unsigned seed, int count, double r, double minDistance) {
  for (const QPointF& c : Scatter(seed, count, r + 0.1, minDistance)) t.Dot(c.x(), c.y(), r);
}

// Horizontal dashes in staggered rows: `rows` rows (an even number), two dashes of `length` per row.
void Dashes(TTile& t, int rows, double length, double width = kLine) {
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

// Symbols on a staggered lattice of 4 rows x 2 columns (positions 1.25 mm from the edges).
void Lattice(const std::function<void(double x, double y, int row, int col)>& draw) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 2; ++col) draw(1.25 + col * 5.0 + ((row % 2) ? 2.5 : 0.0), 1.25 + row * 2.5, row, col);
}

void Vee(TTile& t, double x, double y, double size, bool inverted = false) {
  const double h = inverted ? -size * 0.8 : size * 0.8;
  t.Poly({QPointF(x - size / 2, y - h / 2), QPointF(x, y + h / 2), QPointF(x + size / 2, y - h / 2)}, false);
}

void Cross(TTile& t, double x, double y, double size, bool diagonal = false) {
  const double s = size / 2;
  if (diagonal) {
    t.Line(x - s * 0.7, y - s * 0.7, x + s * 0.7, y + s * 0.7);
    t.Line(x - s * 0.7, y + s * 0.7, x + s * 0.7, y - s * 0.7);
  } else {
    t.Line(x - s, y, x + s, y);
    t.Line(x, y - s, x, y + s);
  }
}

void Triangle(TTile& t, double x, double y, double size, double turn, double width = kLine) {
  std::vector<QPointF> pts;
  for (int k = 0; k < 3; ++k) {
    const double a = turn + k * 2 * M_PI / 3;
    pts.emplace_back(x + size / 2 * std::cos(a), y + size / 2 * std::sin(a));
  }
  t.Poly(pts, true, width);
}

struct TSignRecipe {
  const char* Code;
  const char* Description;
  std::function<void(TTile&)> Draw;
};

std::vector<TSignRecipe> Signs() {
  return {
      {"SST", "Sandstone", [](TTile& t) { DotsGrid(t, 1.25, 0.17); }},
      {"SSTF", "Sandstone, fine-grained", [](TTile& t) { DotsGrid(t, 0.8333, 0.1); }},
      {"SSTM", "Sandstone, medium-grained", [](TTile& t) { DotsGrid(t, 1.0, 0.2); }},
      {"SSTC", "Sandstone, coarse-grained", [](TTile& t) { DotsGrid(t, 1.6667, 0.3); }},
      {"SLT", "Siltstone",
       [](TTile& t) {
         for (int row = 0; row < 4; ++row) {
           const double y = 1.25 + row * 2.5;
           if (row % 2 == 0) {
             t.Line(0.5, y, 3.5, y);
             t.Line(5.5, y, 8.5, y);
             t.Dot(4.5, y, 0.15);
             t.Dot(9.5, y, 0.15);
           } else {
             for (double x : {1.25, 3.75, 6.25, 8.75}) t.Dot(x, y, 0.15);
           }
         }
       }},
      {"MDST", "Mudstone", [](TTile& t) { Dashes(t, 6, 1.5); }},
      {"SH", "Shale", [](TTile& t) { Dashes(t, 8, 3.5); }},
      {"SHC", "Shale, carbonaceous",
       [](TTile& t) {
         Dashes(t, 4, 3.5);
         // Coaly lenses between the rows of dashes.
         for (int row = 0; row < 2; ++row) t.Fill(row ? 5.75 : 0.75, 2.25 + row * 5.0, 3.5, 0.5);
       }},
      {"CLST", "Claystone",
       [](TTile& t) {
         t.Line(0, 1.25, kTile, 1.25);
         t.Line(0, 6.25, kTile, 6.25);
         t.Line(1.0, 3.75, 4.0, 3.75);
         t.Line(6.0, 3.75, 9.0, 3.75);
         WrappedLine(t, 3.5, 6.5, 8.75);
         WrappedLine(t, 8.5, 11.5, 8.75);
       }},
      {"CLY", "Clay", [](TTile& t) { Dashes(t, 4, 4.0, kThin); }},
      {"MRL", "Marl",
       [](TTile& t) {
         // A course of limestone bricks between rows of shale dashes.
         t.Line(0, 3.0, kTile, 3.0);
         t.Line(0, 6.0, kTile, 6.0);
         t.Line(2.5, 3.0, 2.5, 6.0);
         t.Line(7.5, 3.0, 7.5, 6.0);
         t.Line(1.0, 1.5, 4.0, 1.5);
         t.Line(6.0, 1.5, 9.0, 1.5);
         WrappedLine(t, 3.5, 6.5, 8.0);
         WrappedLine(t, 8.5, 11.5, 8.0);
       }},
      {"LST", "Limestone", [](TTile& t) { Bricks(t); }},
      {"LSTS", "Limestone, sandy",
       [](TTile& t) {
         Bricks(t);
         for (const QPointF& c : {QPointF(5.0, 4.3), QPointF(6.2, 5.8), QPointF(1.0, 1.2), QPointF(3.8, 8.8),
                                  QPointF(5.3, 9.2), QPointF(9.0, 1.3), QPointF(1.0, 5.0)})
           t.Dot(c.x(), c.y(), 0.2);
       }},
      {"LSTA", "Limestone, argillaceous",
       [](TTile& t) {
         Bricks(t);
         // Clay dashes inside the bricks, clear of the joints.
         t.Line(3.75, 5.0, 6.25, 5.0);
         WrappedLine(t, 8.75, 11.25, 5.0);
         t.Line(3.75, 1.25, 6.25, 1.25);
         t.Line(1.25, 8.75, 3.75, 8.75);
       }},
      {"OOL", "Limestone, oolitic",
       [](TTile& t) {
         Bricks(t);
         for (const QPointF& c : {QPointF(5.0, 5.0), QPointF(1.0, 5.0), QPointF(4.0, 8.8), QPointF(9.0, 1.2),
                                  QPointF(1.5, 1.2), QPointF(9.0, 8.8)})
           t.Circle(c.x(), c.y(), 0.45, 0.45, kThin);
       }},
      {"DOL", "Dolomite", [](TTile& t) { Bricks(t, 2.0); }},
      {"CHK", "Chalk",
       [](TTile& t) {
         Bricks(t, 0.0, kThin);
         for (const QPointF& c : {QPointF(5.0, 4.2), QPointF(6.0, 5.8), QPointF(0.8, 4.6), QPointF(4.4, 9.0),
                                  QPointF(9.2, 1.0), QPointF(1.8, 1.2), QPointF(8.8, 8.8)})
           t.Dot(c.x(), c.y(), 0.12);
       }},
      {"CHT", "Chert",
       [](TTile& t) { Lattice([&](double x, double y, int, int) { Triangle(t, x, y, 1.7, -M_PI / 2); }); }},
      {"COAL", "Coal", [](TTile& t) { t.Fill(0, 0, kTile, kTile); }},
      {"PEAT", "Peat",
       [](TTile& t) {
         for (double y : {2.5, 7.5}) t.Line(0, y, kTile, y);
         for (const QPointF& c : {QPointF(2.5, 2.5), QPointF(7.5, 7.5)})
           for (double dx : {-0.8, 0.0, 0.8}) t.Line(c.x() + dx, c.y() - 0.05, c.x() + dx * 1.6, c.y() - 1.6);
       }},
      {"ANH", "Anhydrite",
       [](TTile& t) {
         for (double y : {0.0, 5.0})
           for (double x : {0.0, 5.0}) {
             t.Poly({QPointF(x + 1, y + 1), QPointF(x + 4, y + 1), QPointF(x + 4, y + 4), QPointF(x + 1, y + 4)}, true);
             t.Line(x + 1, y + 4, x + 4, y + 1);
           }
       }},
      {"GYP", "Gypsum", [](TTile& t) { Lattice([&](double x, double y, int, int) { Vee(t, x, y, 1.6, true); }); }},
      {"HAL", "Salt (halite)",
       [](TTile& t) {
         for (double y : {0.0, 5.0})
           for (double x : {0.0, 5.0}) {
             t.Poly({QPointF(x + 0.7, y + 0.7), QPointF(x + 4.3, y + 0.7), QPointF(x + 4.3, y + 4.3),
                     QPointF(x + 0.7, y + 4.3)},
                    true);
             Cross(t, x + 2.5, y + 2.5, 1.6, true);
           }
       }},
      {"CGL", "Conglomerate",
       [](TTile& t) {
         const std::vector<QPointF> pebbles = Scatter(11, 5, 1.5, 3.4);
         int k = 0;
         for (const QPointF& c : pebbles) {
           const double r = 0.9 + 0.25 * (k++ % 3);
           t.Circle(c.x(), c.y(), r, r * 0.75);
         }
         for (const QPointF& c : Scatter(12, 16, 0.3, 1.0)) {
           bool inside = false;
           for (const QPointF& p : pebbles)
             if (std::hypot(p.x() - c.x(), p.y() - c.y()) < 1.7) inside = true;
           if (!inside) t.Dot(c.x(), c.y(), 0.13);
         }
       }},
      {"BRC", "Breccia",
       [](TTile& t) {
         const std::vector<QPointF> pieces = Scatter(21, 5, 1.5, 3.4);
         int k = 0;
         for (const QPointF& c : pieces) {
           Triangle(t, c.x(), c.y(), 2.2 + 0.3 * (k % 3), 0.7 * k);
           ++k;
         }
         for (const QPointF& c : Scatter(22, 16, 0.3, 1.0)) {
           bool inside = false;
           for (const QPointF& p : pieces)
             if (std::hypot(p.x() - c.x(), p.y() - c.y()) < 1.6) inside = true;
           if (!inside) t.Dot(c.x(), c.y(), 0.13);
         }
       }},
      {"TUF", "Tuff",
       [](TTile& t) {
         for (const QPointF& c : {QPointF(1.25, 2.5), QPointF(6.25, 2.5), QPointF(3.75, 7.5), QPointF(8.75, 7.5)})
           Vee(t, c.x(), c.y(), 1.8);
         for (const QPointF& c : {QPointF(3.75, 2.5), QPointF(8.75, 2.5), QPointF(1.25, 7.5), QPointF(6.25, 7.5),
                                  QPointF(2.5, 5.0), QPointF(7.5, 5.0), QPointF(5.0, 0.6), QPointF(0.6, 9.4)})
           t.Dot(c.x(), c.y(), 0.15);
       }},
      {"BAS", "Basalt",
       [](TTile& t) { Lattice([&](double x, double y, int row, int) { Vee(t, x, y, 1.6, row % 2 == 1); }); }},
      {"GRN", "Granite",
       [](TTile& t) {
         Lattice([&](double x, double y, int row, int col) { Cross(t, x, y, 1.5, (row + col) % 2 == 1); });
       }},
      {"GNS", "Gneiss",
       [](TTile& t) {
         t.Wave(1.25, 0.5, 1);
         t.Wave(6.25, 0.5, 1);
         t.Line(1.0, 3.75, 4.0, 3.75);
         t.Line(6.0, 3.75, 9.0, 3.75);
         WrappedLine(t, 3.5, 6.5, 8.75);
         WrappedLine(t, 8.5, 11.5, 8.75);
       }},
      {"SCH", "Schist",
       [](TTile& t) {
         for (int k = 0; k < 4; ++k) t.Wave(1.25 + k * 2.5, 0.45, 2);
       }},
      {"QTZ", "Quartzite",
       [](TTile& t) {
         Bricks(t, 0.0, kThin);
         for (const QPointF& c : {QPointF(4.0, 4.0), QPointF(6.0, 6.0), QPointF(4.5, 6.2), QPointF(0.9, 4.2),
                                  QPointF(1.2, 6.0), QPointF(9.0, 5.0), QPointF(3.0, 8.8), QPointF(6.0, 1.0),
                                  QPointF(4.5, 1.3), QPointF(9.2, 9.0), QPointF(1.0, 0.9), QPointF(6.2, 9.1)})
           t.Dot(c.x(), c.y(), 0.16);
       }},
      {"SOIL", "Soil",
       [](TTile& t) {
         for (const QPointF& c : {QPointF(1.25, 2.0), QPointF(6.25, 2.0), QPointF(3.75, 7.0), QPointF(8.75, 7.0)}) {
           t.Line(c.x() - 1.0, c.y(), c.x() + 1.0, c.y());
           for (double dx : {-0.7, 0.0, 0.7}) t.Line(c.x() + dx, c.y(), c.x() + dx * 1.3, c.y() + 1.3, kThin);
         }
       }},
      {"SND", "Sand", [](TTile& t) { ScatterDots(t, 31, 26, 0.17, 1.4); }},
      {"GRV", "Gravel",
       [](TTile& t) {
         int k = 0;
         for (const QPointF& c : Scatter(41, 9, 1.0, 2.6)) {
           const double r = 0.55 + 0.15 * (k++ % 3);
           t.Circle(c.x(), c.y(), r, r * 0.8);
         }
       }},
  };
}

std::unique_ptr<TEmfDocument> DrawTile(const TSignRecipe& recipe) {
  TEmfRecorder recorder(QSizeF(kTile, kTile), kDpi);
  {
    QPainter painter(&recorder);
    TTile tile(painter);
    recipe.Draw(tile);
  }
  return recorder.Finish();
}

// Every sign of the saved database, reloaded through the library and drawn as
// a 3 x 2 tile field beside its code: a sheet to look the patterns over.
bool RenderSheet(const std::string& lsdPath, const QString& pngPath) {
  TComPtr<IStratDataBase> database;
  if (stratCreateDataBase(database.Put()) != S_OK || stratLoad(lsdPath.c_str(), database.Get()) != S_OK) return false;
  constexpr int kDpiSheet = 150;
  constexpr double kMm = kDpiSheet / 25.4;
  constexpr int kColumns = 4;
  const int rows = (database->SignCount() + kColumns - 1) / kColumns;
  const QSize cell(static_cast<int>(60 * kMm), static_cast<int>(28 * kMm));
  QImage image(cell.width() * kColumns, cell.height() * rows, QImage::Format_RGB32);
  image.setDotsPerMeterX(static_cast<int>(std::lround(kDpiSheet / 0.0254)));
  image.setDotsPerMeterY(static_cast<int>(std::lround(kDpiSheet / 0.0254)));
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < database->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    database->GetSign(i, sign.Put());
    TShortString name{};
    sign->GetName(&name);
    const int x0 = (i % kColumns) * cell.width() + static_cast<int>(16 * kMm);
    const int y0 = (i / kColumns) * cell.height() + static_cast<int>(3 * kMm);
    const QRect area(x0, y0, static_cast<int>(std::lround(30 * kMm)), static_cast<int>(std::lround(20 * kMm)));
    TComPtr<IStratField> field;
    stratCreateField(field.Put());
    field->Add(name);
    stratAdjuctField(database.Get(), field.Get(), 30, 20);
    painter.save();
    painter.setClipRect(area);
    field->Draw(&painter, x0, y0, 1, 1.0, database.Get());
    painter.restore();
    field->Draw(&painter, x0, y0, 0, 1.0, database.Get());
    painter.setPen(QPen(Qt::gray, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawText(QRect(x0 - static_cast<int>(15 * kMm), y0, static_cast<int>(14 * kMm), area.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(name.Chars, name.Length));
  }
  painter.end();
  return image.save(pngPath);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: mkdefaultlsd OUT.lsd [--sheet SHEET.png]\n");
    return 2;
  }
  const std::string out = argv[1];
  QString sheet;
  for (int i = 2; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--sheet") sheet = QString::fromLocal8Bit(argv[i + 1]);

  TComPtr<IStratDataBase> database;
  if (stratCreateDataBase(database.Put()) != S_OK) return 1;
  QString listing;
  for (const TSignRecipe& recipe : Signs()) {
    std::unique_ptr<TEmfDocument> picture = DrawTile(recipe);
    if (!picture) {
      std::fprintf(stderr, "mkdefaultlsd: the picture of %s could not be recorded\n", recipe.Code);
      return 1;
    }
    TComPtr<IStratSign> sign;
    if (stratCreateSign(sign.Put()) != S_OK) return 1;
    sign->SetName(MakeShortString(recipe.Code));
    sign->SetMetafile(picture.release());
    // A seamless tile: blocks touch, cover the rectangle and are clipped by the caller.
    TComPtr<IStratField> templates;
    sign->GetFields(templates.Put());
    TStratPlacement tile = DefaultPlacement(recipe.Code);
    tile.OffsetX = tile.OffsetY = 0.0;
    tile.SpaceX = tile.SpaceY = 0.0;
    templates->SetItem(0, tile);
    TComPtr<IStratStream> stream;
    sign->QueryInterface(IID_IStratStream, reinterpret_cast<void**>(stream.Put()));
    if (database->AddSign(stream.Get(), false) != S_OK) return 1;
    listing +=
        QString::fromLatin1(recipe.Code) + QLatin1Char('\t') + QString::fromUtf8(recipe.Description) + QLatin1Char('\n');
  }
  const HRESULT hr = stratSave(out.c_str(), database.Get());
  if (hr != S_OK) {
    std::fprintf(stderr, "mkdefaultlsd: cannot write %s (0x%08X)\n", out.c_str(), static_cast<unsigned>(hr));
    return 1;
  }
  const QFileInfo info(QFile::decodeName(out.c_str()));
  QFile text(info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt")));
  if (!text.open(QIODevice::WriteOnly | QIODevice::Truncate) || text.write(listing.toUtf8()) < 0) {
    std::fprintf(stderr, "mkdefaultlsd: cannot write the code list\n");
    return 1;
  }
  if (!sheet.isEmpty() && !RenderSheet(out, sheet)) {
    std::fprintf(stderr, "mkdefaultlsd: cannot render the sheet\n");
    return 1;
  }
  std::printf("%d signs written to %s\n", database->SignCount(), out.c_str());
  return 0;
}
