// The made-up well of the sample document: 412-R of the Ozernoye field,
// described over 1450-1533 m. Its rocks follow the beds of the shipped sample
// LAS file (resources/samples/curve_log_sample.las), so
// that the curves the sample shows agree with its lithology column: low gamma
// ray in the sandstones, high in the argillites, the limestone and the coal
// seam dense and resistive.
#pragma once

#include <span>

// The body's interval: 83 m, so that at 1:200 the sheet with its closing
// head fills two A4 pages within their margins.
inline constexpr double kSampleTopDepth = 1450;
inline constexpr double kSampleBottomDepth = 1533;

// A text of the sample in English and in Russian (the sample is made in
// either language: "Kerno --make-sample OUT russian").
struct TSampleText {
  const char* En;
  const char* Ru;
  const char* In(bool russian) const { return russian ? Ru : En; }
};

// A layer of the lithology column: its rock codes of default.lsd and the
// geologist's description of it.
struct TSampleLayer {
  double Top;
  double Bottom;
  const char* Signs;  // separated by spaces
  TSampleText Description;
};

// A stratigraphic unit (stage and its index).
struct TSampleUnit {
  double Top;
  double Bottom;
  TSampleText Name;
};

// A core run: the cored interval and the metres recovered.
struct TSampleCoreRun {
  double Top;
  double Bottom;
  double Recovered;
};

// What a reservoir holds, as the colour line shows it.
enum class TSampleFluid { Oil = 1, Water = 2 };
struct TSampleSaturation {
  double Top;
  double Bottom;
  TSampleFluid Fluid;
};

// Each list runs from the top down; layers and units cover the interval
// without gaps.
std::span<const TSampleLayer> SampleLayers();
std::span<const TSampleUnit> SampleUnits();
std::span<const TSampleCoreRun> SampleCoreRuns();
std::span<const TSampleSaturation> SampleSaturation();
