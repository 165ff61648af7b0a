// The root of one document window's tree: a vertical stack of blocks (heads
// and bodies) with the guides placed on it, and a store of spare blocks. It
// is what is saved (".knd"), made from templates (".knt" or a document saved
// as a template), printed page by page and copied for undo.
#pragma once

#include <functional>
#include <memory>

#include "uAbstractDocumentArea.h"
#include "uMenuEntry.h"
#include "uPrintObjectList.h"
#include "uPrintTarget.h"

class TExtraBlocks;
class TFixedRuller;
class TPassportBody;

// The block entries the document puts into a main menu carry this tag plus
// the block's index (the window passes it back to ExecuteBlockCommand).
inline constexpr uint32_t kBlockMenuTag = 0xFE000000u;
inline bool IsBlockMenuTag(uint32_t tag) { return (tag & 0xFFFF0000u) == kBlockMenuTag; }

class TPrintDocument : public TPrintObjectList {
 public:
  using TDocumentEvent = std::function<void(TPrintDocument* sender)>;

  TPrintDocument();
  ~TPrintDocument() override;

  // --- the window's links ---
  // After every fitting (the window recomputes its scroll range).
  void SetOnResize(TDocumentEvent handler) { FOnResize = std::move(handler); }
  // Blocks were added, removed, reordered or renamed (the window rebuilds the
  // block menus). Loads and copies report once, at their end.
  void SetOnStructureChanged(TDocumentEvent handler) { FOnStructureChanged = std::move(handler); }
  // The view repainted on Invalidate (not owned; null for none).
  TAbstractDocumentArea* Area() const { return FArea; }
  void SetArea(TAbstractDocumentArea* area) { FArea = area; }

  // File name (without folder) of the template the document came from.
  QString TemplateName() const { return FTemplateName; }
  void SetTemplateName(const QString& name);
  TExtraBlocks* ExtraBlocks() const { return FExtraBlocks.get(); }

  // --- files ---
  // By extension, in any case: ".knd" a document, ".knt" a template; any
  // other name fails and leaves the document alone. *error receives one line.
  bool LoadFromFile(const QString& path, QString* error = nullptr);
  bool LoadDocumentFile(const QString& path, QString* error = nullptr);
  // The path as given, else under the program folder; the section "PASSPORT".
  bool LoadTemplateFile(const QString& path, QString* error = nullptr);
  // Writes a temporary file and renames it over `path` only when the whole
  // document was written; on failure the previous file stays byte for byte.
  bool SaveToFile(const QString& path, QString* error = nullptr);
  // A copy without data and guides, saved as a document file, with the
  // picture the template selection shows beside it ("name.bmp").
  bool SaveAsTemplate(const QString& path, QString* error = nullptr);
  // Keeps the structure, drops the data (ClearData) and the guides.
  void ClearTemplateData();

  // --- blocks ---
  // "template/<TemplateName>" under the program folder.
  QString TemplatePath() const;
  // The template offers blocks to add (its "ADDBLOCK" section).
  bool HasAddBlocks() const;
  bool AddBlockFromTemplate();
  // A copy of one of the spare blocks, chosen by the user, added at the bottom.
  bool InsertExtraBlock();
  // The extra blocks dialog on the spare blocks.
  bool EditExtraBlocks();
  // A guide at page (x, y) when that point lies on the document; it becomes
  // the only selected object. Null outside the document.
  TFixedRuller* AddFixedRuller(int orientation, double y, double x);
  // Depth at page Y in the first body whose extent holds it; NaN elsewhere.
  double DepthAt(double y) const;
  // Page Y of `depth` in the first body laid out down the sheet whose depths
  // include it; NaN when none does (View > Go to depth).
  double PageYAt(double depth) const;
  // The depth ranges in metres such bodies show ("1450 – 1533, 1490 – 1500"),
  // for messages; empty when there is none.
  QString DepthRanges() const;
  // The sheet's main body: the first; its scale and interval are the ones the
  // heads state. Null when the document has no body.
  TPassportBody* MainBody() const;
  // The scale of `body` went from `old` to `now`: when it is the sheet's main
  // body (the first), the heads that name the old scale name the new one, so
  // that a printed sheet never states a scale it is not drawn at.
  void BodyScaleChanged(const TPassportBody* body, uint16_t old, uint16_t now);
  // The user moved the main body's interval from [oldTop, oldBottom] to
  // [top, bottom]: the heads' interval values follow it the same way.
  void BodyIntervalChanged(const TPassportBody* body, double oldTop, double oldBottom, double top, double bottom);

  // --- pages ---
  int PagesAcross(const TPageTiling& tiling) const;
  int PagesDown(const TPageTiling& tiling) const;
  int PageCount(const TPageTiling& tiling) const;
  // Prints pages fromPage..toPage (numbered from 1, column by column, top to
  // bottom within a column) through `target`, borders only. False without a
  // target, when the job cannot start, or when it was cancelled or failed.
  bool Print(TPrintTarget* target, int fromPage, int toPage);

  // --- block menus (model data the window turns into menus) ---
  // Inserts every block's menu entry into `menu` from position 2 on, in
  // block order (entries of an earlier call are replaced).
  void AddBlockMenus(TMenuEntry* menu);
  void RemoveBlockMenus(TMenuEntry* menu);
  // Runs the command `tag` of the block whose menu entry carries `blockTag`.
  bool ExecuteBlockCommand(uint32_t blockTag, uint32_t tag);

  // --- overrides ---
  int GetKind() const override { return kindDocument; }
  void GetCaption(QString* text) override;
  bool GetModified() const override;
  void SetModified(bool value) override;
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override;
  // Stacking: blocks flush one below the other from page Y 0, all as wide as
  // the widest; guides follow the new size.
  void Changed() override;
  void Invalidate(TPrintObject* sender) override;
  bool DeleteChild(int index) override;
  void SortByTop() override;
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  // The structure dialog.
  bool EditProperties() override;
  void Assign(TPrintObject* source) override;
  void Draw(TDrawContext& context) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // The children, then the spare blocks in the sub-storage "extra".
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  void BlockStructureChanged(TPrintObject* block) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  // Holds structure reports back while a load or copy fills the document.
  class TStructureBatch {
   public:
    explicit TStructureBatch(TPrintDocument* document);
    ~TStructureBatch();
    TStructureBatch(const TStructureBatch&) = delete;
    TStructureBatch& operator=(const TStructureBatch&) = delete;

   private:
    TPrintDocument* FDocument;
  };

  void StructureChanged();

  TDocumentEvent FOnResize;
  TDocumentEvent FOnStructureChanged;
  TAbstractDocumentArea* FArea = nullptr;
  QString FTemplateName;
  std::unique_ptr<TExtraBlocks> FExtraBlocks;
  int FStructureBatch = 0;
  bool FStructurePending = false;
};

// The program's template folder ("template/" under the program folder).
QString TemplateDir();
// The pen every object of a document draws its lines with unless it selects
// its own: the "LINEWIDTH" setting at the context's zoom, at least one pixel.
QPen DocumentLinePen(const TDrawContext& context);
