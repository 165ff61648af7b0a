// A marker: a small symbol the user puts on a curve plot (a cross, an
// ellipse, a rectangle, a horizontal or a vertical bar). A double-click on it
// turns it into the next shape.
#pragma once

#include "uPrintObject.h"

enum TMarkerShape : int32_t { msCross = 0, msEllipse = 1, msRectangle = 2, msHorzBar = 3, msVertBar = 4 };
inline constexpr int32_t kMarkerShapeCount = 5;

class TPrintMarker : public TPrintObject {
 public:
  TPrintMarker();

  int GetKind() const override { return kindMarker; }
  void Draw(TDrawContext& context) override;
  // Any click turns the marker into its next shape.
  bool ClickAt(int code, double x, double y) override;
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;

  // Shapes outside 0-4 draw as a cross.
  int32_t Shape() const { return FShape; }
  void SetShape(int32_t value) { FShape = value; }
  uint32_t MarkerColor() const { return FMarkerColor; }
  void SetMarkerColor(uint32_t value) { FMarkerColor = value; }

 private:
  int32_t FShape = msCross;
  uint32_t FMarkerColor = 0;
};
