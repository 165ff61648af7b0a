#include "uDefaultSigns.h"

#include <QPainter>
#include <cmath>

#include "uCodePage.h"
#include "uEmfRecorder.h"

using namespace signtile;

namespace {

// Base rocks with admixture marks.
void SandWith(TTile& t, const TMark& mark) { DotsWith(t, 1.25, 0.15, MarkSpots(), 0.95, mark); }

void BricksWith(TTile& t, double lean, const TMark& mark) {
  Bricks(t, lean);
  for (const QPointF& p : BrickSpots()) mark(t, p.x(), p.y());
}

// Silt: rows of short dashes and dots; `odd` marks the gaps of every second row.
void SiltWith(TTile& t, const TMark& odd) {
  for (int row = 0; row < 4; ++row) {
    const double y = 1.25 + 2.5 * row;
    const double shift = (row % 2) ? 2.5 : 0.0;
    for (double slot : {0.0, 5.0}) {
      const double centre = 1.25 + slot + shift;
      t.Line(centre - 0.8, y, centre + 0.8, y);
      const double gap = std::fmod(centre + 2.5, kTile);
      if (row % 2)
        odd(t, gap, y);
      else
        t.Dot(gap, y, 0.15);
    }
  }
}

// Marl: a course of bricks between rows of clay dashes; `lean` slants its joints.
void Marl(TTile& t, double lean) {
  t.Line(0, 3.0, kTile, 3.0);
  t.Line(0, 6.0, kTile, 6.0);
  t.Line(2.5 + lean / 2, 3.0, 2.5 - lean / 2, 6.0);
  t.Line(7.5 + lean / 2, 3.0, 7.5 - lean / 2, 6.0);
  t.Line(1.0, 1.5, 4.0, 1.5);
  t.Line(6.0, 1.5, 9.0, 1.5);
  WrappedLine(t, 3.5, 6.5, 8.0);
  WrappedLine(t, 8.5, 11.5, 8.0);
}

// Pebbles (circles) with sand between them.
void Pebbles(TTile& t, unsigned seed, int count, double radius, double spacing, bool sand) {
  const std::vector<QPointF> pebbles = Scatter(seed, count, radius + 0.6, spacing);
  int k = 0;
  for (const QPointF& c : pebbles) {
    const double r = radius + 0.25 * radius * (k++ % 3);
    t.Circle(c.x(), c.y(), r, r * 0.75);
  }
  if (!sand) return;
  for (const QPointF& c : Scatter(seed + 1, 18, 0.3, 0.9)) {
    bool inside = false;
    for (const QPointF& p : pebbles)
      if (WrappedDistance(p, c) < radius * 1.6 + 0.4) inside = true;
    if (!inside) t.Dot(c.x(), c.y(), 0.13);
  }
}

void HaliteSquares(TTile& t, const std::function<void(double x, double y)>& inside) {
  for (double y : {0.0, 5.0})
    for (double x : {0.0, 5.0}) {
      t.Poly(
          {QPointF(x + 0.7, y + 0.7), QPointF(x + 4.3, y + 0.7), QPointF(x + 4.3, y + 4.3), QPointF(x + 0.7, y + 4.3)},
          true);
      inside(x, y);
    }
}

}  // namespace

const std::vector<TSignRecipe>& DefaultSignRecipes() {
  static const std::vector<TSignRecipe> recipes = {
      // Sands and sandstones: dots, the coarser the grain the larger and sparser.
      {"SST", "Sandstone", "Песчаник", [](TTile& t) { DotsGrid(t, 1.25, 0.17); }},
      {"SSTVF", "Sandstone, very fine-grained", "Песчаник тонкозернистый", [](TTile& t) { DotsGrid(t, 0.625, 0.075); }},
      {"SSTF", "Sandstone, fine-grained", "Песчаник мелкозернистый", [](TTile& t) { DotsGrid(t, 0.8333, 0.1); }},
      {"SSTM", "Sandstone, medium-grained", "Песчаник среднезернистый", [](TTile& t) { DotsGrid(t, 1.0, 0.2); }},
      {"SSTC", "Sandstone, coarse-grained", "Песчаник крупнозернистый", [](TTile& t) { DotsGrid(t, 1.6667, 0.3); }},
      {"SSTA", "Sandstone, argillaceous", "Песчаник глинистый", [](TTile& t) { SandWith(t, ClayMark); }},
      {"SSTCA", "Sandstone, calcareous (calcite-cemented)", "Песчаник известковистый",
       [](TTile& t) { SandWith(t, CalcareousMark); }},
      {"SSTSI", "Sandstone, siliceous (quartz-cemented)", "Песчаник окремнелый",
       [](TTile& t) { SandWith(t, SiliceousMark); }},
      {"SSTD", "Sandstone, dolomitic", "Песчаник доломитистый", [](TTile& t) { SandWith(t, DolomiticMark); }},
      {"SSTG", "Sandstone, glauconitic", "Песчаник глауконитовый", [](TTile& t) { SandWith(t, GlauconiteMark); }},
      {"SSTTF", "Sandstone, tuffaceous", "Песчаник туфогенный", [](TTile& t) { SandWith(t, TuffMark); }},
      // Silts and clays: dashes.
      {"SLT", "Siltstone", "Алевролит",
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
      {"SLTCA", "Siltstone, calcareous", "Алевролит известковистый", [](TTile& t) { SiltWith(t, CalcareousMark); }},
      {"SLTA", "Siltstone, argillaceous", "Алевролит глинистый",
       [](TTile& t) { SiltWith(t, [](TTile& tt, double x, double y) { tt.Line(x - 0.9, y, x + 0.9, y, kThin); }); }},
      {"MDST", "Mudstone", "Алевроаргиллит", [](TTile& t) { Dashes(t, 6, 1.5); }},
      {"ARG", "Argillite", "Аргиллит",
       [](TTile& t) {
         for (int row = 0; row < 8; ++row) {
           const double y = 0.625 + 1.25 * row;
           if (row % 2 == 0) {
             const double shift = (row % 4) ? 2.5 : 0.0;
             WrappedLine(t, 0.5 + shift, 4.5 + shift, y);
             WrappedLine(t, 5.5 + shift, 9.5 + shift, y);
           } else {
             for (double x : {1.0, 3.5, 6.0, 8.5}) t.Line(x - 0.5, y, x + 0.5, y);
           }
         }
       }},
      {"SH", "Shale", "Сланец глинистый", [](TTile& t) { Dashes(t, 8, 3.5); }},
      {"SHC", "Shale, carbonaceous", "Сланец углистый",
       [](TTile& t) {
         Dashes(t, 4, 3.5);
         // Coaly lenses between the rows of dashes.
         for (int row = 0; row < 2; ++row) t.Fill(row ? 5.75 : 0.75, 2.25 + row * 5.0, 3.5, 0.5);
       }},
      {"SHF", "Shale, fossiliferous", "Сланец глинистый с фауной",
       [](TTile& t) {
         Dashes(t, 4, 3.5);
         Shell(t, 2.5, 2.6);
         Shell(t, 7.5, 7.6);
       }},
      {"SHSI", "Shale, siliceous", "Сланец кремнистый",
       [](TTile& t) {
         Dashes(t, 4, 3.5);
         for (const QPointF& p : {QPointF(2.5, 2.5), QPointF(7.5, 2.5), QPointF(5.0, 7.5), QPointF(0.8, 7.5)})
           SiliceousMark(t, p.x(), p.y());
       }},
      {"SHB", "Oil shale", "Сланец горючий",
       [](TTile& t) {
         for (int row = 0; row < 8; ++row) {
           const double y = 0.625 + 1.25 * row;
           const double shift = (row % 2) ? 2.5 : 0.0;
           const double width = (row % 2) ? 0.4 : kThin;
           WrappedLine(t, 0.75 + shift, 4.25 + shift, y, width);
           WrappedLine(t, 5.75 + shift, 9.25 + shift, y, width);
         }
       }},
      {"CLST", "Claystone", "Глина аргиллитоподобная",
       [](TTile& t) {
         t.Line(0, 1.25, kTile, 1.25);
         t.Line(0, 6.25, kTile, 6.25);
         t.Line(1.0, 3.75, 4.0, 3.75);
         t.Line(6.0, 3.75, 9.0, 3.75);
         WrappedLine(t, 3.5, 6.5, 8.75);
         WrappedLine(t, 8.5, 11.5, 8.75);
       }},
      {"CLY", "Clay", "Глина", [](TTile& t) { Dashes(t, 4, 4.0, kThin); }},
      {"CLYS", "Clay, sandy", "Глина песчанистая",
       [](TTile& t) {
         Dashes(t, 4, 4.0, kThin);
         // Rows of sand grains between the rows of dashes.
         for (double y : {2.5, 7.5})
           for (int k = 0; k < 8; ++k) t.Dot(0.625 + 1.25 * k, y, 0.14);
       }},
      {"CLYCA", "Clay, calcareous", "Глина известковистая",
       [](TTile& t) { DashesWith(t, 2.4, CalcareousMark, kThin); }},
      {"MRL", "Marl", "Мергель", [](TTile& t) { Marl(t, 0.0); }},
      {"MRLD", "Marl, dolomitic", "Мергель доломитовый", [](TTile& t) { Marl(t, 1.2); }},
      // Carbonates: bricks, slanted for dolomite.
      {"LST", "Limestone", "Известняк", [](TTile& t) { Bricks(t); }},
      {"LSTA", "Limestone, argillaceous", "Известняк глинистый",
       [](TTile& t) {
         Bricks(t);
         // Clay dashes inside the bricks, clear of the joints.
         t.Line(3.75, 5.0, 6.25, 5.0);
         WrappedLine(t, 8.75, 11.25, 5.0);
         t.Line(3.75, 1.25, 6.25, 1.25);
         t.Line(1.25, 8.75, 3.75, 8.75);
       }},
      {"LSTS", "Limestone, sandy", "Известняк песчанистый",
       [](TTile& t) {
         Bricks(t);
         for (const QPointF& c : {QPointF(5.0, 4.3), QPointF(6.2, 5.8), QPointF(1.0, 1.2), QPointF(3.8, 8.8),
                                  QPointF(5.3, 9.2), QPointF(9.0, 1.3), QPointF(1.0, 5.0)})
           t.Dot(c.x(), c.y(), 0.2);
       }},
      {"OOL", "Limestone, oolitic", "Известняк оолитовый",
       [](TTile& t) {
         Bricks(t);
         for (const QPointF& c : {QPointF(5.0, 5.0), QPointF(1.0, 5.0), QPointF(4.0, 8.8), QPointF(9.0, 1.2),
                                  QPointF(1.5, 1.2), QPointF(9.0, 8.8)})
           t.Circle(c.x(), c.y(), 0.45, 0.45, kThin);
       }},
      {"LSTB", "Limestone, bioclastic", "Известняк органогенно-обломочный",
       [](TTile& t) {
         int k = 0;
         BricksWith(t, 0.0, [&k](TTile& tt, double x, double y) {
           ShellFragment(tt, x - 0.5, y - 0.1, k++);
           ShellFragment(tt, x + 0.6, y + 0.2, k++);
         });
       }},
      {"LSTF", "Limestone, fossiliferous", "Известняк с фауной", [](TTile& t) { BricksWith(t, 0.0, Shell); }},
      {"LSTD", "Limestone, dolomitic", "Известняк доломитистый", [](TTile& t) { BricksWith(t, 0.0, DolomiticMark); }},
      {"LSTCH", "Limestone, cherty", "Известняк кремнистый", [](TTile& t) { BricksWith(t, 0.0, SiliceousMark); }},
      {"DOL", "Dolomite", "Доломит", [](TTile& t) { Bricks(t, 2.0); }},
      {"DOLC", "Dolomite, calcareous", "Доломит известковистый", [](TTile& t) { BricksWith(t, 2.0, CalcareousMark); }},
      {"DOLS", "Dolomite, sandy", "Доломит песчанистый",
       [](TTile& t) {
         BricksWith(t, 2.0, [](TTile& tt, double x, double y) {
           tt.Dot(x - 0.4, y, 0.17);
           tt.Dot(x + 0.4, y + 0.2, 0.17);
         });
       }},
      {"DOLA", "Dolomite, argillaceous", "Доломит глинистый", [](TTile& t) { BricksWith(t, 2.0, ClayMark); }},
      {"CHK", "Chalk", "Мел",
       [](TTile& t) {
         Bricks(t, 0.0, kThin);
         for (const QPointF& c : {QPointF(5.0, 4.2), QPointF(6.0, 5.8), QPointF(0.8, 4.6), QPointF(4.4, 9.0),
                                  QPointF(9.2, 1.0), QPointF(1.8, 1.2), QPointF(8.8, 8.8)})
           t.Dot(c.x(), c.y(), 0.12);
       }},
      {"CHT", "Chert", "Кремень",
       [](TTile& t) { Lattice([&](double x, double y, int, int) { Triangle(t, x, y, 1.7, -M_PI / 2); }); }},
      // Evaporites.
      {"ANH", "Anhydrite", "Ангидрит",
       [](TTile& t) {
         for (double y : {0.0, 5.0})
           for (double x : {0.0, 5.0}) {
             t.Poly({QPointF(x + 1, y + 1), QPointF(x + 4, y + 1), QPointF(x + 4, y + 4), QPointF(x + 1, y + 4)}, true);
             t.Line(x + 1, y + 4, x + 4, y + 1);
           }
       }},
      {"GYP", "Gypsum", "Гипс",
       [](TTile& t) { Lattice([&](double x, double y, int, int) { Vee(t, x, y, 1.6, true); }); }},
      {"HAL", "Salt (halite)", "Соль каменная",
       [](TTile& t) { HaliteSquares(t, [&](double x, double y) { Cross(t, x + 2.5, y + 2.5, 1.6, true); }); }},
      {"KSLT", "Potash salt", "Соль калийная",
       [](TTile& t) {
         // Halite squares hatched across.
         HaliteSquares(t, [&](double x, double y) {
           t.Line(x + 0.7, y + 4.3, x + 4.3, y + 0.7, kThin);
           t.Line(x + 0.7, y + 3.1, x + 3.1, y + 0.7, kThin);
           t.Line(x + 1.9, y + 4.3, x + 4.3, y + 1.9, kThin);
         });
       }},
      // Coal and organic rocks.
      {"COAL", "Coal", "Уголь каменный", [](TTile& t) { t.Fill(0, 0, kTile, kTile); }},
      {"LIG", "Lignite (brown coal)", "Уголь бурый",
       [](TTile& t) {
         for (int band = 0; band < 4; ++band) t.Fill(0, 2.5 * band, kTile, 1.25);
       }},
      {"PEAT", "Peat", "Торф",
       [](TTile& t) {
         for (double y : {2.5, 7.5}) t.Line(0, y, kTile, y);
         for (const QPointF& c : {QPointF(2.5, 2.5), QPointF(7.5, 7.5)})
           for (double dx : {-0.8, 0.0, 0.8}) t.Line(c.x() + dx, c.y() - 0.05, c.x() + dx * 1.6, c.y() - 1.6);
       }},
      // Coarse clastics: pebbles, granules and angular pieces.
      {"CGL", "Conglomerate", "Конгломерат", [](TTile& t) { Pebbles(t, 11, 5, 0.9, 3.4, true); }},
      {"GRVS", "Gravelstone (granule conglomerate)", "Гравелит", [](TTile& t) { Pebbles(t, 61, 9, 0.5, 2.4, true); }},
      {"GRV", "Gravel", "Гравий",
       [](TTile& t) {
         int k = 0;
         for (const QPointF& c : Scatter(41, 9, 1.0, 2.6)) {
           const double r = 0.55 + 0.15 * (k++ % 3);
           t.Circle(c.x(), c.y(), r, r * 0.8);
         }
       }},
      {"BRC", "Breccia", "Брекчия",
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
      // Volcanic rocks: "V" signs.
      {"TUF", "Tuff", "Туф",
       [](TTile& t) {
         for (const QPointF& c : {QPointF(1.25, 2.5), QPointF(6.25, 2.5), QPointF(3.75, 7.5), QPointF(8.75, 7.5)})
           Vee(t, c.x(), c.y(), 1.8);
         for (const QPointF& c : {QPointF(3.75, 2.5), QPointF(8.75, 2.5), QPointF(1.25, 7.5), QPointF(6.25, 7.5),
                                  QPointF(2.5, 5.0), QPointF(7.5, 5.0), QPointF(5.0, 0.6), QPointF(0.6, 9.4)})
           t.Dot(c.x(), c.y(), 0.15);
       }},
      {"VOL", "Volcanic rock", "Эффузивная порода",
       [](TTile& t) { Lattice([&](double x, double y, int, int) { Vee(t, x, y, 1.6); }); }},
      {"BAS", "Basalt", "Базальт",
       [](TTile& t) { Lattice([&](double x, double y, int row, int) { Vee(t, x, y, 1.6, row % 2 == 1); }); }},
      {"AND", "Andesite", "Андезит",
       [](TTile& t) {
         Lattice([&](double x, double y, int row, int) {
           if (row % 2)
             t.Line(x - 0.8, y, x + 0.8, y);
           else
             Vee(t, x, y, 1.6);
         });
       }},
      {"RHY", "Rhyolite", "Риолит",
       [](TTile& t) {
         t.Wave(2.5, 0.35, 2, kThin);
         t.Wave(7.5, 0.35, 2, kThin);
         for (int k = 0; k < 4; ++k) Vee(t, 1.25 + 2.5 * k, 5.0, 1.4, k % 2 == 1);
       }},
      {"DIAB", "Diabase (dolerite)", "Диабаз",
       [](TTile& t) {
         Lattice([&](double x, double y, int row, int) {
           if (row % 2)
             Triangle(t, x, y, 1.3, -M_PI / 2, kThin);
           else
             Vee(t, x, y, 1.6);
         });
       }},
      // Intrusive rocks: crosses.
      {"GRN", "Granite", "Гранит",
       [](TTile& t) {
         Lattice([&](double x, double y, int row, int col) { Cross(t, x, y, 1.5, (row + col) % 2 == 1); });
       }},
      {"DIO", "Diorite", "Диорит",
       [](TTile& t) { Lattice([&](double x, double y, int, int) { Cross(t, x, y, 1.6, true); }); }},
      {"GAB", "Gabbro", "Габбро",
       [](TTile& t) {
         Lattice([&](double x, double y, int row, int) {
           if (row % 2)
             t.Dot(x, y, 0.3);
           else
             Cross(t, x, y, 1.5);
         });
       }},
      // Metamorphic rocks: waves and slants.
      {"GNS", "Gneiss", "Гнейс",
       [](TTile& t) {
         t.Wave(1.25, 0.5, 1);
         t.Wave(6.25, 0.5, 1);
         t.Line(1.0, 3.75, 4.0, 3.75);
         t.Line(6.0, 3.75, 9.0, 3.75);
         WrappedLine(t, 3.5, 6.5, 8.75);
         WrappedLine(t, 8.5, 11.5, 8.75);
       }},
      {"SCH", "Schist", "Сланец кристаллический",
       [](TTile& t) {
         for (int k = 0; k < 4; ++k) t.Wave(1.25 + k * 2.5, 0.45, 2);
       }},
      {"PHY", "Phyllite", "Филлит",
       [](TTile& t) {
         for (int k = 0; k < 6; ++k) t.Wave(kTile / 12 + k * kTile / 6, 0.25, 3, kThin);
       }},
      {"SLA", "Slate", "Сланец аспидный", [](TTile& t) { SlantedLines(t, 0.5, 1.25, kThin); }},
      {"AMPH", "Amphibolite", "Амфиболит",
       [](TTile& t) {
         t.Wave(1.25, 0.4, 2);
         t.Wave(6.25, 0.4, 2);
         for (int row = 0; row < 2; ++row)
           for (double x : {1.25, 3.75, 6.25, 8.75}) {
             const double y = 3.75 + 5.0 * row;
             t.Line(x - 0.45, y + 0.5, x + 0.45, y - 0.5);
           }
       }},
      {"QTZ", "Quartzite", "Кварцит",
       [](TTile& t) {
         Bricks(t, 0.0, kThin);
         for (const QPointF& c : {QPointF(4.0, 4.0), QPointF(6.0, 6.0), QPointF(4.5, 6.2), QPointF(0.9, 4.2),
                                  QPointF(1.2, 6.0), QPointF(9.0, 5.0), QPointF(3.0, 8.8), QPointF(6.0, 1.0),
                                  QPointF(4.5, 1.3), QPointF(9.2, 9.0), QPointF(1.0, 0.9), QPointF(6.2, 9.1)})
           t.Dot(c.x(), c.y(), 0.16);
       }},
      {"MRB", "Marble", "Мрамор",
       [](TTile& t) {
         constexpr double kAmplitude = 0.35;
         auto wave = [](double x, double y) { return y + kAmplitude * std::sin(2 * M_PI * x / kTile); };
         t.Wave(2.5, kAmplitude, 1);
         t.Wave(7.5, kAmplitude, 1);
         t.Line(2.5, wave(2.5, 2.5), 2.5, wave(2.5, 7.5));
         t.Line(7.5, wave(7.5, 7.5), 7.5, kTile);
         t.Line(7.5, 0, 7.5, wave(7.5, 2.5));
       }},
      // The upper section: soils and loose ground.
      {"SOIL", "Soil", "Почвенно-растительный слой",
       [](TTile& t) {
         // Tufts of grass on short stretches of ground.
         for (const QPointF& c : {QPointF(1.25, 2.5), QPointF(6.25, 2.5), QPointF(3.75, 7.5), QPointF(8.75, 7.5)}) {
           t.Line(c.x() - 1.0, c.y() + 0.8, c.x() + 1.0, c.y() + 0.8);
           for (double dx : {-0.45, 0.0, 0.45}) t.Line(c.x() + dx, c.y() + 0.8, c.x() + dx * 2.0, c.y() - 0.8, kThin);
         }
       }},
      {"FILL", "Made ground (fill)", "Насыпной грунт",
       [](TTile& t) {
         int k = 0;
         for (const QPointF& c : Scatter(71, 8, 1.1, 2.6)) {
           switch (k++ % 3) {
             case 0:
               t.Poly({QPointF(c.x() - 0.6, c.y() - 0.45), QPointF(c.x() + 0.6, c.y() - 0.45),
                       QPointF(c.x() + 0.6, c.y() + 0.45), QPointF(c.x() - 0.6, c.y() + 0.45)},
                      true);
               break;
             case 1:
               Triangle(t, c.x(), c.y(), 1.3, 0.4 * k);
               break;
             default:
               t.Line(c.x() - 0.7, c.y() + 0.3, c.x() + 0.7, c.y() - 0.3);
               break;
           }
         }
       }},
      {"LOAM", "Loam", "Суглинок",
       [](TTile& t) {
         DashesWith(
             t, 2.4,
             [](TTile& tt, double x, double y) {
               tt.Dot(x - 0.35, y, 0.13);
               tt.Dot(x + 0.35, y, 0.13);
             },
             kThin);
       }},
      {"SLOAM", "Sandy loam", "Супесь",
       [](TTile& t) {
         const std::vector<QPointF> dashes = {QPointF(2.5, 2.5), QPointF(7.5, 7.5)};
         for (const QPointF& d : dashes) t.Line(d.x() - 1.1, d.y(), d.x() + 1.1, d.y(), kThin);
         for (const QPointF& c : Scatter(81, 22, 0.3, 1.3)) {
           bool clear = true;
           for (const QPointF& d : dashes)
             if (std::fabs(c.x() - d.x()) < 1.5 && std::fabs(c.y() - d.y()) < 0.5) clear = false;
           if (clear) t.Dot(c.x(), c.y(), 0.15);
         }
       }},
      {"SND", "Sand", "Песок", [](TTile& t) { ScatterDots(t, 31, 26, 0.17, 1.4); }},
  };
  return recipes;
}

std::unique_ptr<TEmfDocument> DrawSignTile(const TSignRecipe& recipe) {
  TEmfRecorder recorder(QSizeF(kTile, kTile), kDpi);
  {
    QPainter painter(&recorder);
    TTile tile(painter);
    recipe.Draw(tile);
  }
  return recorder.Finish();
}

TComPtr<IStratDataBase> BuildDefaultDataBase(QString* error) {
  auto fail = [error](const QString& why) {
    if (error) *error = why;
    return TComPtr<IStratDataBase>();
  };
  TComPtr<IStratDataBase> database;
  if (stratCreateDataBase(database.Put()) != S_OK) return fail(QStringLiteral("no database"));
  for (const TSignRecipe& recipe : DefaultSignRecipes()) {
    std::unique_ptr<TEmfDocument> picture = DrawSignTile(recipe);
    if (!picture) return fail(QStringLiteral("the picture of %1 could not be recorded").arg(recipe.Code));
    TComPtr<IStratSign> sign;
    if (stratCreateSign(sign.Put()) != S_OK) return fail(QStringLiteral("no sign"));
    sign->SetName(MakeShortString(recipe.Code));
    sign->SetMetafile(picture.release());
    TComPtr<IStratSignCaptions> captions = sign.As<IStratSignCaptions>(IID_IStratSignCaptions);
    if (!captions || captions->SetCaption("en", MakeShortString(Utf8ToCp1251(recipe.English))) != S_OK ||
        captions->SetCaption("ru", MakeShortString(Utf8ToCp1251(recipe.Russian))) != S_OK)
      return fail(QStringLiteral("the captions of %1 could not be set").arg(recipe.Code));
    // A seamless tile: blocks touch, cover the rectangle and are cut by the caller.
    TComPtr<IStratField> templates;
    sign->GetFields(templates.Put());
    TStratPlacement tile = DefaultPlacement(recipe.Code);
    tile.OffsetX = tile.OffsetY = 0.0;
    tile.SpaceX = tile.SpaceY = 0.0;
    templates->SetItem(0, tile);
    if (database->AddSign(sign.As<IStratStream>(IID_IStratStream).Get(), false) != S_OK)
      return fail(QStringLiteral("the sign %1 could not be added").arg(recipe.Code));
  }
  return database;
}

QImage RenderSignSheet(IStratDataBase* database, int dpi) {
  const double mm = dpi / 25.4;
  constexpr int kColumns = 5;
  const int count = database ? database->SignCount() : 0;
  const int rows = std::max(1, (count + kColumns - 1) / kColumns);
  const QSize cell(static_cast<int>(std::lround(50 * mm)), static_cast<int>(std::lround(34 * mm)));
  QImage image(cell.width() * kColumns, cell.height() * rows, QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(8, static_cast<int>(std::lround(2.4 * mm))));
  painter.setFont(font);
  for (int i = 0; i < count; ++i) {
    TComPtr<IStratSign> sign;
    if (database->GetSign(i, sign.Put()) != S_OK) continue;
    TShortString name{}, english{};
    sign->GetName(&name);
    if (auto captions = sign.As<IStratSignCaptions>(IID_IStratSignCaptions)) captions->GetCaption("en", &english);
    const int left = (i % kColumns) * cell.width();
    const int top = (i / kColumns) * cell.height();
    const int x0 = left + static_cast<int>(std::lround(5 * mm));
    const int y0 = top + static_cast<int>(std::lround(2 * mm));
    const QRect area(x0, y0, static_cast<int>(std::lround(40 * mm)), static_cast<int>(std::lround(20 * mm)));
    TComPtr<IStratField> field;
    stratCreateField(field.Put());
    field->Add(name);
    stratAdjuctField(database, field.Get(), 40, 20);
    painter.save();
    painter.setClipRect(area);
    field->Draw(&painter, x0, y0, 1, 1.0, database);
    painter.restore();
    field->Draw(&painter, x0, y0, 0, 1.0, database);
    painter.setPen(QPen(Qt::gray, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    const QRect label(left, area.bottom() + 2, cell.width(), cell.height() - area.height() - 4);
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromLatin1(name.Chars, name.Length) + QStringLiteral(": ") +
                         QString::fromStdString(Cp1251ToUtf8(ShortStringView(english))));
  }
  return image;
}

QByteArray DefaultCodeList() {
  QByteArray list;
  for (const TSignRecipe& recipe : DefaultSignRecipes())
    list += QByteArray(recipe.Code) + '\t' + recipe.English + '\t' + recipe.Russian + '\n';
  return list;
}
