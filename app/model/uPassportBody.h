// The body block of a document: the depth-bound columns side by side (or
// stacked as rows), and the owner of the depth mapping every column uses.
#pragma once

#include <array>

#include "uRootDataObject.h"

// Scales the body offers (1:S).
inline constexpr std::array<uint16_t, 10> kBodyScales = {50, 100, 150, 200, 250, 500, 750, 1000, 2000, 5000};

// The longest depth interval a body plans (m): deeper than any well, and
// short enough that a damaged value cannot make a sheet of endless pages.
inline constexpr double kMaxIntervalLength = 100000;

// Body layout directions.
enum TBodyDirection : int { bdVertical = 1, bdHorizontal = 2 };

// Commands of the body's menu.
enum TBodyCommand : int {
  bcProperties = 0,
  bcScale = 1,
  bcStartDepth = 2,
  bcInterval = 3,
  bcLoadObject = 4,
  bcSaveObject = 5
};

class TPassportBody : public TRootDataObject {
 public:
  // The width a new column is proposed with (mm).
  static constexpr double kNewColumnWidth = 20;

  TPassportBody();

  // --- mapping parameters (every column asks the body) ---
  uint16_t GetVertScale() const override { return FVertScale; }
  // Rescales every deep column (ScaleChanged), then lays the body out again.
  void SetVertScale(uint16_t value) override;
  uint16_t GetHorzScale() const override { return FHorzScale; }
  void SetHorzScale(uint16_t value) override;
  int GetDirection() const override { return FDirection; }
  double GetStartDepth() const override { return FStartDepth; }
  // Every column's content keeps its depth: layers, texts and notes move on the page.
  void SetStartDepth(double value);
  // The depth of the highest layer, text or note of the columns; NaN without any.
  double PlacedContentDepth() const;
  // The shallowest depth any column holds data at; NaN when none holds any.
  double DataTopDepth() const override;
  // After an edit: the depth data newly put into this body begin at, when
  // they all lie at or below the bottom of its planned interval (the sheet
  // would print empty pages down to them) and the body held none before
  // (`dataTopBefore` NaN); NaN otherwise.
  double DataBelowPlan(double dataTopBefore) const;
  // Why the sheet cannot start at `depth` (layers, texts or notes above it would
  // stand over the blocks above the body); empty when it can.
  QString StartDepthRefusal(double depth) const;
  // Direction 2 stacks the columns as rows; anything else lays them side by side.
  void SetDirection(int value);
  // The depth (m) the body shows at least from its start depth, whatever its
  // columns hold: a sheet keeps the interval it was planned for while it is
  // being filled; data reaching further lengthen it. 0 for none.
  double IntervalLength() const { return FLength; }
  void SetIntervalLength(double metres);
  // Start depth and planned length at once (bottom > top), laid out again.
  bool SetDepthInterval(double top, double bottom);

  // --- overrides ---
  int GetKind() const override { return kindBody; }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override;
  // The layout: the body takes the extent of its columns' content and every
  // column spans the whole body across the depth axis.
  void Changed() override;
  // Columns in order of their left edges (to 0.1 mm).
  void SortByTop() override;
  // Column-kind choice, then the new-column dialog; the columns at or right of
  // the new one make room for it. True when a column was added.
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  // The columns right of the removed one close the gap.
  bool RemoveChild(TPrintObject* child) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool EditProperties() override;
  void DumpProperties(QJsonObject* json) const override;

  int GetMenuCommandCount() override { return 6; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;

  // The scale list (through Ui()) with the current scale chosen; 0 when cancelled.
  uint16_t ChooseScale() const;
  // Columns whose left edge is at or right of `left` (within 0.1 mm) move by `dx`.
  void ShiftColumnsFrom(double left, double dx, const TPrintObject* except = nullptr);

 private:
  // The shallowest data top of the columns (of their children standing on
  // the page when `placedOnly`); NaN when none holds data.
  double ShallowestData(bool placedOnly) const;
  // The user's new interval, laid out; the document's heads may state it.
  void MoveInterval(double top, double length);
  double PlannedHeight() const { return FLength * 1000.0 / FVertScale; }
  double MetresOf(double mm) const { return mm * FVertScale / 1000.0; }

  uint16_t FVertScale = kDefaultVertScale;
  uint16_t FHorzScale = kDefaultHorzScale;
  int FDirection = bdVertical;
  double FStartDepth = 0;
  double FLength = 0;
};

// The scale's text as the menus show it ("1:200").
QString ScaleText(uint16_t scale);
