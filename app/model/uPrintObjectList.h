// A print object that owns children: their order (drawing and file order),
// the flags they receive, the list's fitting around them, and persistence of
// the whole subtree in compound streams, structured storage and INI files.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "uPrintObject.h"
#include "uProgramVersion.h"

class TStorage;

class TPrintObjectList : public TAbstractPrintObjectList {
 public:
  TPrintObjectList();
  ~TPrintObjectList() override;

  // --- added virtual operations ---
  virtual double GetChildrenHeight() const;
  virtual double GetChildrenWidth() const;
  // Takes ownership; -1 for none. The child receives the list's OnNotify and
  // ChildFlags (or-ed into its Flags).
  virtual int AddChild(std::unique_ptr<TPrintObject> child);
  // -1 (and the child destroyed) when index is outside 0..Count().
  virtual int InsertChild(std::unique_ptr<TPrintObject> child, int index);
  virtual bool DeleteChild(int index);
  virtual void SortByTop();
  virtual bool InsertNewChildAt(double x0, double y0, double x, double y);
  // The list's kind factory: null for kinds it does not hold. A plain list
  // holds none; each list class names its own kinds.
  virtual std::unique_ptr<TPrintObject> CreateChild(int kind);
  // Kinds offered for insertion, index 0, 1, ...; 0 ends the enumeration.
  virtual int GetInsertableKind(int index);
  // Asks the user which of the registered insertable kinds to add: the kind,
  // or 0 when there is none to offer or the user cancels.
  int ChooseInsertableKind();
  // Keeps a new child inside this object's width (and, for blocks of a fixed
  // height, inside that height): one larger is scaled down, its proportions
  // kept (a picture takes its file's size), and its edges move inside. A
  // width or height of 0 limits nothing.
  void FitChildInside(TPrintObject* child, bool withinHeight = false) const;
  // The same inside any rectangle of the page (a cell); a side of 0 limits nothing.
  static void FitInside(TPrintObject* child, const TBoundsRect& room, bool withinHeight);
  virtual bool LoadFromStorage(TStorage* storage);
  // False when the list's own elements could not be written or a child's
  // element failed: a save with a missing child must not pass for complete.
  virtual bool SaveToStorage(TStorage* storage);

  // --- overrides ---
  void SetLeft(double value) override;
  void SetTop(double value) override;
  void SetSelected(bool value) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  uint32_t HitTest(double x, double y, TPrintObject** target) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void Changed() override;
  TPrintObjectList* AsObjectList() override { return this; }
  void Assign(TPrintObject* source) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  int GetKind() const override { return kindObjectList; }
  bool RemoveChild(TPrintObject* child) override;
  void DumpProperties(QJsonObject* json) const override;
  void SetOnNotify(const TNotifyEvent& handler) override;

  // --- non-virtual operations ---
  int Count() const { return static_cast<int>(FChildren.size()); }
  TPrintObject* GetChild(int index) const;
  int IndexOf(const TPrintObject* child) const;
  // Destroys every child (marks the list modified when there were any).
  void Clear();
  void SetCapacity(int capacity);
  uint32_t ChildFlags() const { return FChildFlags; }
  // When different: stores it and gives every child exactly these flags.
  void SetChildFlags(uint32_t value);
  // Depth first: this list when selected, else the first selected descendant.
  TPrintObject* FindSelected();

  // Reordering; ownership stays with the list throughout.
  bool ExchangeChildren(int a, int b);
  bool MoveChild(int from, int to);
  // Puts the children in `order` (each a child of this list, once); children
  // left out are destroyed. False, and nothing changed, for any other list.
  bool ReorderChildren(const std::vector<TPrintObject*>& order);
  // Removes child `index` without destroying it; its Parent is cleared.
  std::unique_ptr<TPrintObject> ExtractChild(int index);

 protected:
  // The children named by prefix + "OBJECTn" = "SECTION KIND" of `section`,
  // each loaded from its own section (positions relative to this list);
  // true when any was named.
  bool LoadIniChildren(TIniFile* ini, const QString& section, const QString& prefix);

  // Sorts the children with `less` (stable: equal keys keep their order).
  void SortChildren(const std::function<bool(const TPrintObject*, const TPrintObject*)>& less);

  std::vector<std::unique_ptr<TPrintObject>> FChildren;
  uint32_t FChildFlags = pfDefault;
  // Set while children are loaded or copied one by one: a child finishing
  // early must not fit the list around siblings still at their defaults.
  bool FFilling = false;
  // While LoadFromStorage loads "index": receives the stored position of each
  // child that LoadFromQS creates.
  std::vector<int32_t>* FStoredPositions = nullptr;
};

// Writes the "version" stream (IDs 768-771) into a storage being written.
bool WriteVersionStream(TStorage* storage);
// The version stored in a storage's "version" stream; false when there is
// none or it cannot be read.
struct TFileVersion {
  int Internal = 0;
  double Version = 0;
  QString VersionText;
  QString Date;
};
bool ReadVersionStream(TStorage* storage, TFileVersion* version);
// The version check of an opened file: a file of a newer format shows the
// "FileNewVersion" information and is recorded in the settings; loading goes
// on either way. Returns true when the file came from a newer program.
bool CheckFileVersion(TStorage* storage);
