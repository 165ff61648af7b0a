// The curve column (kind 4): holds curve plots, histograms, captions, object
// rulers and pictures, draws a grid of depth and value lines behind them, and
// offers the commands that fill it from tables and LAS files and write its
// curves out again.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "uDataObject.h"

class TIniFile;
class TPrintDiagramm;
class TPrintDiagrammBase;
class TStringTable;
struct TLasData;

// One set of grid lines.
struct TGridLines {
  int32_t LineStyle = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
  uint32_t LineColor = 0;
  // > 0: page mm; < 0: pixels (-1 is one pixel); 0: not drawn.
  double LineWidth = -1;
  // Depth units (horizontal sets) or page mm (vertical sets); <= 0: not drawn.
  double Step = 0;
  bool operator==(const TGridLines&) const = default;
};

// Commands of the column's menu.
enum TDiagramsCommand : int {
  ccImport = 0,
  ccAdd = 1,
  ccExport = 3,
  ccLoadParams = 5,
  ccSaveParams = 6,
  ccLoadDefaultParams = 7,
  ccSaveDefaultParams = 8,
  ccProperties = 10,
  ccCount = 11,
};

class TPrintDiagrams : public TDataObject {
 public:
  TPrintDiagrams();

  TGridLines HorzLines1, VertLines1, HorzLines2, VertLines2;

  int GetKind() const override { return kindDiagrams; }
  // Curve plots, texts, object rulers, histograms and pictures.
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override;
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  // The column does not refit itself: its body lays the columns out.
  void Changed() override;
  void ClearData() override;
  // The depth the data reach (curve samples, histogram intervals) below the
  // top; captions and scale headers alone give 0, so that a body fresh from
  // a template keeps its height.
  double GetChildrenHeight() const override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // The grid under "GRID.*" keys besides the base values (templates).
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void Assign(TPrintObject* source) override;
  int GetMenuCommandCount() override { return ccCount; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

  // The curve plots among the children, in list order.
  std::vector<TPrintDiagramm*> Curves() const;
  // The shallowest start of a curve with samples or interval of a histogram.
  double DataTopDepth() const override;
  // Texts, pictures and rulers stand on the page; curves and histograms keep their depths.
  bool ChildStandsOnPage(const TPrintObject* child) const override;
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override;
  // The first curve plot or histogram whose name equals `name` without regard to case.
  TPrintDiagrammBase* FindCurve(const QString& name) const;

  // Curve parameters of every curve plot and histogram, one section per name
  // (their caption under "NAME.", their scale header under "SCALE.").
  // Applying a file that does not exist changes nothing.
  void ApplyParameters(const QString& iniFile);
  bool SaveParameters(const QString& iniFile);

  // Every column j >= 1 of `table` as a curve named by row 0, depths in
  // column 0 from row 1 on, the step from rows 1 and 2, in place of the
  // children; false, and the column unchanged, when the first two depths do
  // not increase.
  bool ImportAllFromTable(const TStringTable& table, const QString& fileName);
  // Every curve of a LAS file on its regular grid (see uLasCurves.h); the
  // number of curves added, -1 with *error when nothing could be read. Curves
  // the column has take the file's curve of their name or of another name of
  // their log, in the unit their scale names; `notes` gets a line for each.
  int ImportLas(const TLasData& las, QString* error, QStringList* notes = nullptr);
  // The table of the export: "Depth" and one column per curve plot, rows
  // from depth 0 down to the column's bottom (included) at the smallest curve step;
  // null when that would be more than `maxCells` cells (the LAS export has no
  // such limit: it writes row by row).
  static constexpr double kMaxExportCells = double(1 << 25);
  std::unique_ptr<TStringTable> ExportTable(double maxCells = kMaxExportCells) const;

  // One histogram per value column (2 on) of an interval table ("From",
  // "To", values...); the number added.
  int AddHistograms(const TStringTable& intervals);
  // Where StackHeaders puts the headers: inside the column from its top
  // down, above it ending at its top (in a head over the body, so that no
  // header hides the top of a log), or on the side they are on now.
  enum class THeaderSide { Keep, Inside, Above };
  // Stacks the name captions and scale headers of the curves, one 10 mm
  // band per curve in list order, each as wide as its curve.
  void StackHeaders(THeaderSide side = THeaderSide::Keep);
  // StackHeaders after curves were added: headers above the column that
  // would reach past the room the head over the body leaves them make that
  // head taller (MakeRoomAboveBlock), so they cover none of its titles.
  void StackAddedHeaders();
  // Whether the curves' headers lie above the column, judged by the first
  // scale header (a new curve's name caption starts just above its curve).
  bool HeadersAbove() const;

  // A curve plot placed as the column places new ones: across the column,
  // its top at the column's top (its headers then lie inside the column,
  // whatever depth the body starts at), with `step`; not yet filled.
  TPrintDiagramm* AddEmptyCurve(const QString& name, double step);

 private:
  bool ImportWithDialog();
  bool ExportWithDialog();
  bool AddHistogramsWithDialog();
  // Curves and histograms, the children whose headers are stacked.
  int CurveCount() const;
  void DrawGrid(TDrawContext& context, const TGridLines& lines, bool vertical);
};

// The measure name of a curve's scale header (its unit); empty without one.
QString CurveUnit(const TPrintDiagrammBase* curve);

// The properties-dialog name of the add-curve dialog (the dialog loads its own table).
inline constexpr const char* kAddCurveDialog = "TPrintDiagrams.AddCurve";
