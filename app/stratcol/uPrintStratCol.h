// The lithology column (kind 5): a stack of layers by depth filled with the
// signs of one lithology database that the column owns and stores inside the
// document (as the compound stream "lsd2" and in the old raw form), with its
// commands: layer tables in and out, automatic fitting of the signs, the
// database editor, boundary lines and boundary floating.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "strat.h"
#include "uBoundaryLine.h"
#include "uComPtr.h"
#include "uDataObject.h"

class TSignNameTally;
class TStratColEntry;
class TStringTable;

// The column's menu.
enum TStratColCommand : int {
  scImport = 0,
  scAddData = 1,
  scExport = 2,
  scDataBase = 3,
  scEdit = 5,
  scAutoPlace = 6,
  scFloating = 7,
  scTopBoundary = 8,
  scCommandCount = 9
};

// Child flag of the column: the layers' bottom edges may be dragged.
inline constexpr uint32_t kStratFloating = pfSizeY;

// One layer as the column's grid shows it: depths in metres and sign names.
struct TLayerRow {
  double TopDepth = 0;
  double BottomDepth = 0;
  QStringList Signs;
};

// What an import of layer rows left out, for the message after it.
struct TLayerImportReport {
  int Rows = 0;
  int Skipped = 0;        // depths missing, negative or reversed
  int Shortened = 0;      // started above the layer before
  int SignsCut = 0;       // names beyond the signs a layer holds
  QStringList RockNames;  // rock names read as sign codes, "Sandstone = SST", each once
};

class TPrintStratCol : public TDataObject {
 public:
  TPrintStratCol();
  ~TPrintStratCol() override;

  IStratDataBase* DataBase() const { return FDataBase.Get(); }
  QString DataBaseFile() const { return FDataBaseFile; }
  TBoundaryLine TopLine() const { return FTopLine; }
  void SetTopLine(const TBoundaryLine& line) { FTopLine = line; }
  // The name of the raw database stream: the file name part of DataBaseFile,
  // "default.lsd" without one.
  QString DataBaseStreamName() const;

  // The layer children in index order.
  std::vector<TStratColEntry*> Layers() const;
  bool Floating() const { return (ChildFlags() & kStratFloating) != 0; }
  void SetFloating(bool on);

  // Looks for `name` as given, in "lsd/" of the program folder and in the
  // program folder, and loads it (a file that cannot be read changes nothing).
  bool LoadDataBase(const QString& name);
  // Every layer gets the column's database again.
  void AttachDataBase();
  // Layers naming signs that the database lacks.
  int UnknownSignLayers() const;
  // The distinct names of the layers' signs that the database lacks, in layer order.
  QStringList UnknownSignNames() const;
  // While the column's storage loads: where its layers note their sign names.
  TSignNameTally* LoadingNames() const { return FLoadingNames; }
  // While the column's storage loads: a layer whose own values have just
  // loaded is fitted to the column at once, while its values are at hand,
  // instead of in a walk of every layer after the load.
  void FitLoadedLayer(TPrintObject* layer);
  // While the column's storage loads: a layer that has loaded gets the
  // column's database and is marked modified, as AttachDataBase does after
  // the load, while it is at hand (a layer that does not come through here
  // makes the load attach every layer again).
  void AttachLoadedLayer(TStratColEntry* layer);
  // With "LDB.MSG.ERROR" on and unknown signs: the error, then the column dialog.
  void CheckSigns();
  // Every layer's signs laid out anew for its size.
  void AutoPlaceAll();

  // Layers from an interval table (From, To, sign names...): the column's
  // layers are replaced by the sound rows. False (nothing changed) without
  // rows or with fewer than three columns.
  bool ImportLayersFrom(const TStringTable& table, TLayerImportReport* report = nullptr);
  // The rows' names merged into the layers over their intervals (layers are
  // split and gaps filled). False for a table without rows or data columns.
  bool AddLayerDataFrom(const TStringTable& table, TLayerImportReport* report = nullptr);
  // The commands through the interval import dialog.
  bool ImportLayers();
  bool AddLayerData();

  // A new layer from `topDepth` to `bottomDepth` with the column's line; null
  // when the depths are not an interval.
  TStratColEntry* AddLayer(double topDepth, double bottomDepth, const QStringList& signs = {});
  // The grid's view and its write-back.
  std::vector<TLayerRow> LayerRows() const;
  void SetLayerRow(int index, const TLayerRow& row);
  // The column's line, given to every layer below depth 0 as well with `all`.
  void ApplyTopLine(const TBoundaryLine& line, bool all);

  // Opens the database editor on the column's database; false without a
  // widget application.
  bool OpenDataBaseEditor();
  // The editor's report: the database may have changed.
  static void DBChanged(void* data, IStratDataBase* database, int32_t code);
  // Watchers are told whenever the database's signs may have changed (the
  // editor's report, a database loaded or copied in), e.g. to redraw sign
  // pictures they keep. The id returned removes the watcher again.
  int WatchDataBase(std::function<void()> watcher);
  void UnwatchDataBase(int id);

  // Proposed depths of the new-layer dialog (set before it opens).
  double ProposedFrom = -1;
  double ProposedTo = -1;

  int GetKind() const override { return kindStratCol; }
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // Also names the database file ("Lsd") so that a template made from the
  // document finds it again.
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void Changed() override;
  // Layers are asked in order, the first hit wins (a layer below one that
  // reaches into it stays reachable by its own area first).
  uint32_t HitTest(double x, double y, TPrintObject** target) override;
  void GetCommandCaption(QString* text) override;
  bool ExecuteCommand() override;
  bool ClickAt(int code, double x, double y) override;
  void AdjustChildBounds(TPrintObject* child, const TBoundsRect& start, TBoundsRect* bounds) override;
  void Assign(TPrintObject* source) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  int AddChild(std::unique_ptr<TPrintObject> child) override;
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override { return index == 0 ? kindLCEntry : 0; }
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override;
  bool PlacesChildrenOnPage() const override { return true; }
  int GetMenuCommandCount() override { return scCommandCount; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void ClearData() override;
  void DumpProperties(QJsonObject* json) const override;

 protected:
  // A layer of another height lays its signs out again.
  void RescaleChild(TPrintObject* child, double factor, double top) override;

 private:
  void FitChild(TPrintObject* child);
  void ReportImport(const TLayerImportReport& report);
  void DataBaseChanged();
  // With `loaded`, the names of every layer as they loaded: when the database
  // knows each of them, the layers need no walk.
  int UnknownSignLayers(const TSignNameTally* loaded) const;
  void CheckSigns(const TSignNameTally* loaded);

  TComPtr<IStratDataBase> FDataBase;
  std::vector<std::pair<int, std::function<void()>>> FWatchers;
  int FLastWatch = 0;
  QString FDataBaseFile;
  TBoundaryLine FTopLine;
  TSignNameTally* FLoadingNames = nullptr;
  // What FitLoadedLayer saw during the load: how many layers it fitted,
  // whether a fit moved one and the lowest bottom edge after the fits; the
  // layers added and those AttachLoadedLayer attached.
  struct TLoadFits {
    int Count = 0;
    int Layers = 0;
    int Attached = 0;
    bool Moved = false;
    double Lowest = -std::numeric_limits<double>::infinity();
  };
  TLoadFits FLoadFits;
};

// Registers kinds 5 and 8.
void RegisterStratColKinds();
