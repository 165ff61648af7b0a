// Curve plots: a logging curve drawn against depth inside a curve column.
// Depth runs down the page through the deep-object mapping; the value runs
// across through a linear axis (value units per centimetre) or a decimal
// logarithmic one (centimetres per decade). A curve plot owns its name
// caption (a text), its scale header and markers.
#pragma once

#include <QPen>
#include <QString>
#include <cstdint>

#include "uPrintDeepObject.h"

class TPrintText;
class TPrintDiagrammScale;

// The value axis of a curve plot.
class IPrintDiagramm : public TPrintDeepObject {
 public:
  // Page x (mm) of a value and the value at a page x.
  virtual double ValueToX(double value) const = 0;
  virtual double XToValue(double x) const = 0;
};

// Curves are never refitted narrower than this (mm).
inline constexpr double kMinCurveWidth = 10;
inline constexpr double kDefaultNullValue = -9999.9;
// The line width (mm) the shipped sheets give their curves: a width of 0 is
// one device pixel, a hairline of 0.02 mm on a 1200 dpi page, and a dashed
// curve at that width prints as a grey dotted trace. On screen at 100% it is
// still one pixel.
inline constexpr double kPrintedCurveWidth = 0.25;

// The user's curve defaults: "kerno.ini" of the program folder (or of the
// user's configuration folder for an installed copy), one section per curve name.
QString CurveDefaultsFileName();

class TPrintDiagrammBase : public IPrintDiagramm {
 public:
  TPrintDiagrammBase();

  // Linear: Left + v * 10 / Measure. Logarithmic: Left + log10(v) * Measure * 10
  // for v > 0, Left for any other value.
  double ValueToX(double value) const override;
  // The inverse; on the logarithmic axis 0 from 13 decades right of Left on
  // (where 10^e would overflow what a label can show).
  double XToValue(double x) const override;

  // Draws the curve's data with its pen selected.
  virtual void DrawData(TDrawContext& context) = 0;
  // The largest value the data reaches, never below 0.
  virtual double MaxValue() const = 0;

  void GetCaption(QString* text) override {
    if (text) *text = FName;
  }
  // Name captions (272), scale headers (277) and markers (282).
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  // The curve with its pen, then the children; nothing while the curve has
  // no width or height.
  void Draw(TDrawContext& context) override;
  // The curve dialog.
  bool EditProperties() override;
  // Loading keeps the stored geometry (the layout update refits it once the
  // samples are in).
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // The user defaults of one curve name (section) under a key prefix. Loading
  // from a file without that section changes nothing and gives false.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // Also writes the name caption under "NAME." and the scale header under "SCALE.".
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // In cursor mode 2 a double-click puts a marker (3 x 2 mm, the curve's
  // colour) with its top-left corner at the point.
  bool ClickAt(int code, double x, double y) override;
  void DumpProperties(QJsonObject* json) const override;

  QString Name() const { return FName; }
  void SetName(const QString& value);
  // 0x00BBGGRR; also the colour of the name caption's font and of the scale header.
  uint32_t Color() const { return FColor; }
  void SetColor(uint32_t value);
  // Pen width in page mm (0: one device pixel).
  double LineWidth() const { return FLineWidth; }
  void SetLineWidth(double value);
  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot; others draw solid.
  int32_t LineStyle() const { return FLineStyle; }
  void SetLineStyle(int32_t value);
  // Value units per centimetre, or centimetres per decade. Zero and values
  // that are not finite are refused: the axis divides by it.
  double Measure() const { return FMeasure; }
  void SetMeasure(double value);
  bool Logarithmic() const { return FLogarithmic; }
  void SetLogarithmic(bool value);

  // Width = ValueToX(MaxValue()) - Left, at least kMinCurveWidth.
  void RefitWidth();

  // The value at page position `x` on an axis of that kind (see XToValue).
  static double AxisValueAt(bool logarithmic, double measure, double left, double x);
  // The zero (left edge) of an axis of that kind and measure that puts `value`
  // at page position `x`; the value must be above 0 on a logarithmic axis.
  static double AxisZeroFor(bool logarithmic, double measure, double value, double x);
  // The measure and left edge that put `from` at x0 and `to` at x1; false
  // when an axis of that kind cannot show the range (`from` not below `to`, a
  // logarithmic value not above 0, x1 not right of x0, the zero more than a
  // kilometre of paper from x0).
  static bool AxisForRange(bool logarithmic, double from, double to, double x0, double x1, double* measure,
                           double* left);
  // A new measure and the axis's zero at `left`: the scale headers and the
  // name caption move with the zero, the markers to their values on the line.
  void SetAxis(double measure, double left);
  // The marks of the scale headers set to those between x0 and x1 (a track's
  // edges), counted from the axis's zero as the headers draw them.
  void FitScaleMarks(double x0, double x1);
  // Lays the axis so that `from` lies at x0 and `to` at x1 (a track's edges)
  // and fits the scale headers' marks to them. False, with nothing changed,
  // for a range the axis cannot show.
  bool SetValueRange(double from, double to, double x0, double x1);
  // The pen the curve is drawn with in `context` (see Draw).
  QPen CurvePen(const TDrawContext& context) const;

  // The defaults of the curve's name from / into the defaults file.
  bool LoadDefaults();
  bool SaveDefaults();
  // The children an import adds: the name caption above the curve (5 mm
  // high, the curve's width, text Name in 12 pt, the curve's colour) and the
  // scale header at the curve's top (5 mm high), each with its keys of
  // `defaults` ("NAME.", "SCALE.") in the curve's section; `defaults` may be null.
  TPrintText* AddNameCaption(TIniFile* defaults);
  TPrintDiagrammScale* AddScaleHeader(TIniFile* defaults);

 protected:
  // Stores a measure read from a file without refitting the width.
  void StoreMeasure(double value);

  QString FName;
  uint32_t FColor = 0;
  double FLineWidth = 0;
  int32_t FLineStyle = 0;
  double FMeasure = 1;
  bool FLogarithmic = false;
};

// Registers kinds 276 (curve plot), 277 (scale header), 282 (marker), 11
// (object ruler), 4 (curve column) and 12 (histogram) with the kind registry.
void RegisterCurvePlotKinds();
