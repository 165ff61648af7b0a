// The scale header of a curve plot: a strip above the curve with a mark every
// MarkStep millimetres, the curve's value under each mark and the unit text.
// It lives only under a curve plot, whose value axis gives the labels.
#pragma once

#include <QString>

#include "uFontEx.h"
#include "uPrintObject.h"

// Mark indexes hold this value while they are not set.
inline constexpr int32_t kMarkIndexUnset = -999999;
inline constexpr int32_t kDefaultMarkStep = 20;
inline constexpr int32_t kDefaultMarkSize = 2;

class TPrintDiagrammScale : public TPrintObject {
 public:
  TPrintDiagrammScale();

  int GetKind() const override { return kindDiagrammScale; }
  void GetCaption(QString* text) override;
  void* GetFont() override { return &FScaleFont; }
  // Stores at least two mark steps.
  void SetWidth(double value) override;
  // The header has no outline of its own; Border draws its base line.
  void DrawBorder(TDrawContext& context) override { (void)context; }
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void DumpProperties(QJsonObject* json) const override;

  // The colour of marks, labels and unit text: the font's text colour.
  uint32_t Color() const { return FScaleFont.Color; }
  void SetColor(uint32_t value) { FScaleFont.Color = value; }
  TFontEx& ScaleFont() { return FScaleFont; }
  const TFontEx& ScaleFont() const { return FScaleFont; }

  QString MeasureName() const { return FMeasureName; }
  void SetMeasureName(const QString& value) { FMeasureName = value; }
  // Millimetres between marks; steps below 1 are refused (marks would pile up).
  int32_t MarkStep() const { return FMarkStep; }
  void SetMarkStep(int32_t value);
  int32_t MarkSize() const { return FMarkSize; }
  void SetMarkSize(int32_t value) { FMarkSize = value; }
  int32_t MarkIndex1() const { return FMarkIndex1; }
  void SetMarkIndex1(int32_t value) { FMarkIndex1 = value; }
  int32_t MarkIndex2() const { return FMarkIndex2; }
  void SetMarkIndex2(int32_t value) { FMarkIndex2 = value; }
  bool ShowName() const { return FShowName; }
  void SetShowName(bool value) { FShowName = value; }

  // The marks drawn: from MarkIndex1 (0 when unset) to MarkIndex2 (when
  // unset, as many as the width holds); never fewer than one.
  int64_t FirstMark() const;
  int64_t LastMark() const;
  // The label of mark i: the parent curve's value at the mark, 5 significant
  // digits; empty when the parent is no curve plot.
  QString MarkLabel(int64_t i) const;
  // The unit text, preceded by the curve's name when ShowName.
  QString UnitText() const;

 private:
  TFontEx FScaleFont;
  QString FMeasureName;
  int32_t FMarkStep = kDefaultMarkStep;
  int32_t FMarkSize = kDefaultMarkSize;
  int32_t FMarkIndex1 = kMarkIndexUnset;
  int32_t FMarkIndex2 = kMarkIndexUnset;
  bool FShowName = false;
  bool FLoading = false;  // SetWidth stores the width as read
};
