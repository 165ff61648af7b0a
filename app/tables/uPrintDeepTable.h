// The depth table (kind 3): a column of the body whose rows each belong to a
// depth interval, read from two of its cells, and are drawn at its height.
#pragma once

#include <memory>
#include <vector>

#include "uDataObject.h"
#include "uStringTableEx.h"

// A row's depth interval (metres), built from its cells.
class TInterval {
 public:
  double Top = 0;
  double Bottom = 0;
};

// Commands of the depth table's menu.
enum TDeepTableCommand : int { dtcImport = 0, dtcEdit = 1, dtcExport = 2, dtcFont = 4 };

class TPrintDeepTable : public TDataObject {
 public:
  TPrintDeepTable();

  TStringTableEx& Table() { return FTable; }
  const TStringTableEx& Table() const { return FTable; }
  int StartColumn = 0;  // column of each row's top depth
  int EndColumn = 1;    // column of each row's bottom depth
  int SizeColumn = 2;   // kept with the others

  // Recreates the rows' intervals from their cells, sets the depth extent to
  // the deepest bottom and re-fits.
  void RebuildIntervals();
  // The largest bottom depth of the rows (0 without rows).
  double DeepestBottom() const { return FDeepest; }
  // Fills the table from an interval table (From, To, values...): From and To
  // go to StartColumn and EndColumn, the values to the columns after them.
  void FillFromIntervals(const TStringTable& intervals);
  // Command 0: imports a table file with the table's own dialog and keeps
  // only rows whose interval cells hold numbers. S_OK, R_CANCELLED or E_FAIL
  // (the reason in Table().LastError()).
  HRESULT ImportWithIntervals();

  int GetKind() const override { return kindDeepTable; }
  void* GetFont() override { return &FTable.Font; }
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // Base values, the table keys without prefix, INT.START, INT.END, INT.SIZE.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  // The width follows the table; a parent narrower than the table is widened.
  void Changed() override;
  void Assign(TPrintObject* source) override;
  void ContentChanged() override { RebuildIntervals(); }
  // Pictures and texts put into the table stand on the page; status lines follow the rows.
  bool ChildStandsOnPage(const TPrintObject* child) const override;
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override;
  // The shallowest top of its rows' intervals.
  double DataTopDepth() const override;
  void ClearData() override;
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override;
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  // From the top to the deepest row's bottom; 0 without rows.
  double GetChildrenHeight() const override;
  int GetMenuCommandCount() override { return 5; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  TStringTableEx FTable;
  std::vector<std::unique_ptr<TInterval>> FIntervals;
  double FDeepest = 0;
};
