// A layer of the lithology column (kind 8): one depth interval of rock filled
// with signs of the column's database. The signs are the placement items of a
// field of the lithology library; the database is the column's, shared.
#pragma once

#include <QString>
#include <QStringList>

#include "strat.h"
#include "uBoundaryLine.h"
#include "uComPtr.h"
#include "uLayerImages.h"
#include "uPrintDeepObject.h"

// IDs of sign i are 100 apart per value group, so a layer holds at most 100 signs.
inline constexpr int kMaxLayerSigns = 100;

// What a layer offers to its column and dialogs.
class TLineBatch;
class TSignNameTally;

class TabstractLCEntry : public TPrintDeepObject {
 public:
  virtual int SignCount() const = 0;
  virtual HRESULT GetPlacement(int index, TStratPlacement* item) const = 0;
  virtual HRESULT SetPlacement(int index, const TStratPlacement& item) = 0;
  virtual QString GetSignName(int index) const = 0;
  virtual HRESULT SetSignName(int index, const QString& name) = 0;
  virtual TBoundaryLine GetTopLine() const = 0;
  virtual void SetTopLine(const TBoundaryLine& line) = 0;
  virtual bool DeleteSign(int index) = 0;
  virtual int AddSignName(const QString& name) = 0;
  virtual bool InsertSignName(int index, const QString& name) = 0;
  virtual TComPtr<IStratField> GetField() const = 0;
  virtual bool AutoPlace() = 0;
};

class TStratColEntry : public TabstractLCEntry {
 public:
  TStratColEntry();

  int SignCount() const override;
  HRESULT GetPlacement(int index, TStratPlacement* item) const override;
  HRESULT SetPlacement(int index, const TStratPlacement& item) override;
  // Names cross the library boundary as Windows-1251.
  QString GetSignName(int index) const override;
  HRESULT SetSignName(int index, const QString& name) override;
  TBoundaryLine GetTopLine() const override { return FTopLine; }
  void SetTopLine(const TBoundaryLine& line) override;
  bool DeleteSign(int index) override;
  // Appends a sign, with the database sign's own template when it has one.
  // 0 (and nothing added) when the layer already holds kMaxLayerSigns.
  int AddSignName(const QString& name) override;
  // Inserts a sign with the default placement at `index` (0..count+1; beyond
  // the end appends). False outside that range or at kMaxLayerSigns.
  bool InsertSignName(int index, const QString& name) override;
  TComPtr<IStratField> GetField() const override { return FField; }
  // The same without a reference taken, for loops over thousands of layers.
  IStratField* Field() const { return FField.Get(); }
  // The library's block layout of every sign for the layer's size.
  bool AutoPlace() override;

  // The column's database (shared); null detaches.
  void SetDataBase(IStratDataBase* database);
  IStratDataBase* DataBase() const { return FDataBase.Get(); }
  QStringList SignNames() const;
  // Whether every named sign is in the database (true without names; false without a database).
  bool SignsKnown() const;

  // The two drawing passes the column runs over all its layers: the signs cut
  // at the layer's edges, then the boundary lines and the signs that may
  // extend beyond it. With a batch (raster devices), thin lines join it and
  // whatever else DrawOpen draws goes after the lines batched so far.
  void DrawClipped(TDrawContext& context);
  void DrawOpen(TDrawContext& context, TLineBatch* batch = nullptr);

  int GetKind() const override { return kindLCEntry; }
  // In a loading column the layer is attached to the column's database as
  // soon as it has loaded (TPrintStratCol::AttachLoadedLayer).
  bool LoadFromStorage(TStorage* storage) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  // The field's count and items, read by the save.
  void PrefetchForSave() const override;
  // Templates name the signs (keys "SIGN1", "SIGN2", ...); the column lays them out.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void GetCommandCaption(QString* text) override;
  bool ExecuteCommand() override;
  // Splits the layer at page y (editing mode 2).
  bool ClickAt(int code, double x, double y) override;
  // A copy: the signs are replaced, not appended.
  void Assign(TPrintObject* source) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  void GetCaption(QString* text) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  // Whether an item of the field draws in the open pass (Flags bit 0 clear). FField set.
  bool HasOpenItems() const;
  // The image of the layer's white and cut signs at r's size for the context's raster
  // device; null when the layer is drawn sign by sign (not a 32-bit image, signs played from
  // their pictures, too large, or mostly out of view and not made yet). *capture is set when
  // no image is kept yet and the layer lies wholly on the device and inside its clip: its
  // drawing there is then taken as its image (KeepCutImage), cheaper than drawing it twice.
  std::shared_ptr<TLayerImage> CutImage(const TDrawContext& context, const TRect& r, bool* capture);
  void KeepCutImage(const QPainter* dc, const QRect& rect);
  // The `count` signs stored in the stream and the top line, their names
  // added to `names` when given; false when the field refused a sign.
  bool LoadSigns(ICompoundStream* stream, int count, TSignNameTally* names);

  TComPtr<IStratField> FField;
  TComPtr<IStratDataBase> FDataBase;
  TBoundaryLine FTopLine{0, 0, -1.0};
  // Kept between paints until stratDrawingChanges() moves: a column repaints thousands of
  // layers whose signs rarely change.
  TLayerLook FLook;
  mutable uint64_t FOpenChanges = 0;
  mutable bool FHasOpen = false;
};

// Windows-1251 <-> QString for sign names.
QString SignNameText(const TShortString& name);
TShortString SignNameBytes(const QString& name);
