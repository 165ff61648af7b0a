// The colour line (kind 281): coloured bars along depth from tables of depth
// intervals with values. Each category selects the rows whose value lies in
// its range and paints a bar for each (or for each run of adjacent rows)
// between two offsets in its own colour; later categories paint over earlier.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "uDataObject.h"
#include "uStringTable.h"

enum TColorCategoryType : int32_t { ccSimple = 0, ccHistogramm = 1 };

// One bar, in memory only.
struct TColorLineBufer {
  double X1 = 0;  // mm from the colour line's Left
  double TopDepth = 0;
  double X2 = 0;
  double BottomDepth = 0;
  uint32_t BarColor = 0;
};

class TColorCategory {
 public:
  QString Name;
  uint32_t Color = 0;  // 0x00BBGGRR
  double BarLeft = 0;
  double BarRight = 0;
  double RangeMin = 0;
  double RangeMax = 0;
  int32_t CategoryType = ccSimple;
  bool GlueClosers = false;
  // Column 0 top depth, column 1 bottom depth, column 2 value.
  TStringTable Table;
  std::vector<TColorLineBufer> Bars;
  bool BarsBuilt = false;

  // The bars of the table's selected rows (none for a histogram category).
  void BuildBars();
  bool LoadFromQS(ICompoundStream* stream);
  bool SaveToQS(ICompoundStream* stream) const;
  // A copy made through a fresh compound stream.
  std::unique_ptr<TColorCategory> Clone() const;
};

class TPrintColorLine : public TDataObject {
 public:
  using TCategories = std::vector<std::unique_ptr<TColorCategory>>;

  int GetKind() const override { return kindColorLine; }
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // Empties every category's table (the categories stay).
  void ClearData() override;
  int GetMenuCommandCount() override { return 3; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

  TCategories& Categories() { return FCategories; }
  const TCategories& Categories() const { return FCategories; }
  void SetCategories(TCategories categories);
  // Command 0: the first category's table through the table's open dialog,
  // then a copy of it into every other category. False (nothing changes)
  // without categories or when nothing was loaded.
  bool Import();

 private:
  TCategories FCategories;
};
