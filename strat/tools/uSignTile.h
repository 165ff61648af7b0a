// Drawing seamless 10 mm x 10 mm pattern tiles in millimetres onto a
// recording of 100 device units per millimetre. Nothing crosses the tile's
// edges except lines that run from edge to edge or wrap round to the other
// side, so neighbouring tiles join without seams.
#pragma once

#include <QPainter>
#include <QPointF>
#include <functional>
#include <vector>

namespace signtile {

constexpr double kTile = 10.0;  // mm
constexpr int kDpi = 2540;      // 100 device units per millimetre
constexpr double kLine = 0.18;  // mm, the usual stroke
constexpr double kThin = 0.12;

class TTile {
 public:
  explicit TTile(QPainter& p) : P(p) {}

  static double U(double mm) { return mm * kDpi / 25.4; }

  void Pen(double widthMM);
  void Line(double x1, double y1, double x2, double y2, double width = kLine);
  void Dot(double x, double y, double r);
  void Circle(double x, double y, double rx, double ry, double width = kLine);
  void Poly(const std::vector<QPointF>& mm, bool closed, double width = kLine, bool filled = false);
  void Fill(double x, double y, double w, double h);
  // An arc of the ellipse round (x, y); angles in degrees, counter-clockwise from 3 o'clock.
  void Arc(double x, double y, double rx, double ry, double startDeg, double spanDeg, double width = kLine);
  // A wave across the whole tile: `periods` whole periods, so it joins its neighbours.
  void Wave(double y, double amplitude, int periods, double width = kLine);

  QPainter& P;
};

using TMark = std::function<void(TTile&, double x, double y)>;

// Deterministic scatter with wrap-around spacing.
std::vector<QPointF> Scatter(unsigned seed, int count, double margin, double minDistance);
// Distance between two points of the repeated tile (the shorter way round).
double WrappedDistance(const QPointF& a, const QPointF& b);

// A horizontal stroke that may run past the right edge: the part beyond it re-enters on the left.
void WrappedLine(TTile& t, double x1, double x2, double y, double width = kLine);
// Parallel lines y = slope * x + c with c every `spacing` mm, cut to the tile;
// slope * 10 must be a whole multiple of `spacing`.
void SlantedLines(TTile& t, double slope, double spacing, double width = kLine);

// Limestone bricks: courses 5 mm high from 2.5 and 7.5 mm, joints staggered
// by half a brick; `lean` slants the joints (dolomite).
void Bricks(TTile& t, double lean = 0.0, double width = kLine);
// Places inside the bricks, clear of courses and joints, for admixture marks.
const std::vector<QPointF>& BrickSpots();

// Staggered rows of dots; kTile / step must be a whole even number.
void DotsGrid(TTile& t, double step, double r);
// The same rows of dots kept `clearance` mm away from `marks`, each drawn by `mark`.
void DotsWith(TTile& t, double step, double r, const std::vector<QPointF>& marks, double clearance, const TMark& mark);
// Four marks on a staggered lattice (5 mm apart in a row, rows 5 mm apart).
const std::vector<QPointF>& MarkSpots();
void ScatterDots(TTile& t, unsigned seed, int count, double r, double minDistance);
// Horizontal dashes in staggered rows: `rows` rows (an even number), two dashes of `length` per row.
void Dashes(TTile& t, int rows, double length, double width = kLine);
// Four rows of staggered dashes with a mark in every gap between them.
void DashesWith(TTile& t, double length, const TMark& mark, double width = kLine);
// Symbols on a staggered lattice of 4 rows x 2 columns (positions 1.25 mm from the edges).
void Lattice(const std::function<void(double x, double y, int row, int col)>& draw);

// Small symbols: the rocks' own elements and the marks of admixtures.
void Vee(TTile& t, double x, double y, double size, bool inverted = false);
void Cross(TTile& t, double x, double y, double size, bool diagonal = false);
void Triangle(TTile& t, double x, double y, double size, double turn, double width = kLine);
void CalcareousMark(TTile& t, double x, double y);  // a small brick joint, "T" upside down
void DolomiticMark(TTile& t, double x, double y);   // a small slanted brick
void SiliceousMark(TTile& t, double x, double y);   // a small triangle
void ClayMark(TTile& t, double x, double y);        // a short dash
void SandMark(TTile& t, double x, double y);        // a dot
void GlauconiteMark(TTile& t, double x, double y);  // a ring round a dot
void TuffMark(TTile& t, double x, double y);        // a small "V"
void Shell(TTile& t, double x, double y);           // a bivalve: a bowl under its hinge line
void ShellFragment(TTile& t, double x, double y, int turn);

}  // namespace signtile
