#include "uSampleWell.h"

namespace {

// The sample LAS file's beds in this interval: shale to 1462 m, sand
// 1462-1470, shale 1470-1485, limestone 1485-1491, sand 1491-1511, shale
// 1511-1529, coal 1529-1533, sand below (the sheet ends at the seam's floor).
// The column splits them as a geologist describing the cuttings and the core
// would.
constexpr TSampleLayer kLayers[] = {
    {1450,
     1455,
     "ARG",
     {"Argillite, dark grey, massive, micaceous, with carbonised plant detritus.",
      "Аргиллит тёмно-серый, массивный, слюдистый, с обугленным растительным детритом."}},
    {1455,
     1462,
     "SLT ARG",
     {"Siltstone, grey, laminated, interbedded with argillite (5-20 cm), lenses of fine sand.",
      "Алевролит серый, слоистый, с прослоями аргиллита (5-20 см), линзами мелкозернистого песка."}},
    {1462,
     1470,
     "SSTF",
     {"Sandstone, light grey, fine-grained, well sorted, weakly cemented, porous; water-bearing.",
      "Песчаник светло-серый, мелкозернистый, хорошо отсортированный, слабо сцементированный, пористый; "
      "водонасыщенный."}},
    {1470,
     1485,
     "MDST",
     {"Mudstone, dark grey, silty, with siderite nodules and rare fragments of bivalve shells.",
      "Алевроаргиллит тёмно-серый, с конкрециями сидерита и редкими обломками раковин двустворок."}},
    {1485,
     1491,
     "LST",
     {"Limestone, light grey, microcrystalline, hard, fractured; fractures healed with calcite.",
      "Известняк светло-серый, микрокристаллический, крепкий, трещиноватый; трещины залечены кальцитом."}},
    {1491,
     1500,
     "SSTM",
     {"Sandstone, brownish grey, medium-grained, cross-bedded, porous, oil-stained, oil odour.",
      "Песчаник буровато-серый, среднезернистый, косослоистый, пористый, с пятнами нефти, запах "
      "нефти."}},
    {1500,
     1507,
     "SSTF",
     {"Sandstone, brownish grey, fine-grained, oil-saturated, with thin mudstone partings.",
      "Песчаник буровато-серый, мелкозернистый, нефтенасыщенный, с тонкими глинистыми прослоями."}},
    {1507,
     1511,
     "SSTA",
     {"Sandstone, grey, fine-grained, argillaceous, calcite-cemented; no shows.",
      "Песчаник серый, мелкозернистый, глинистый, на кальцитовом цементе; без признаков УВ."}},
    {1511,
     1524,
     "ARG",
     {"Argillite, dark grey to black, platy, with pyrite and plant remains.",
      "Аргиллит тёмно-серый до чёрного, плитчатый, с пиритом и растительными остатками."}},
    {1524,
     1529,
     "SHC",
     {"Shale, carbonaceous, black, with coal lenses: the roof of the seam.",
      "Сланец углистый, чёрный, с линзами угля: кровля пласта."}},
    {1529,
     1533,
     "COAL",
     {"Coal, black, bright, blocky, with films of pyrite on the cleats.",
      "Уголь чёрный, блестящий, глыбовый, с плёнками пирита по кливажу."}},
};

constexpr TSampleUnit kUnits[] = {
    {1450, 1485, {"Aptian\nK1a", "Апт\nK1a"}},
    {1485, 1529, {"Barre-\nmian\nK1br", "Бар-\nрем\nK1br"}},
    {1529, 1533, {"Hauteri-\nvian\nK1h", "Готе-\nрив\nK1h"}},
};

// Cored 1488-1512 m: 24 m, 20.6 m recovered (86 %).
constexpr TSampleCoreRun kCoreRuns[] = {
    {1488, 1494, 5.4},
    {1494, 1503, 8.1},
    {1503, 1512, 7.1},
};

constexpr TSampleSaturation kSaturation[] = {
    {1462, 1470, TSampleFluid::Water},
    {1492.5, 1507, TSampleFluid::Oil},
};

}  // namespace

std::span<const TSampleLayer> SampleLayers() { return kLayers; }
std::span<const TSampleUnit> SampleUnits() { return kUnits; }
std::span<const TSampleCoreRun> SampleCoreRuns() { return kCoreRuns; }
std::span<const TSampleSaturation> SampleSaturation() { return kSaturation; }
