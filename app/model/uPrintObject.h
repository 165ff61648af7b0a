// The root of everything that stands on a document page: a rectangle in page
// millimetres, behaviour flags, selection and modified marks, the link to the
// owning list, drawing, hit testing, dragging with snapping, and persistence
// in compound streams and INI sections.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "uComBase.h"
#include "uDrawContext.h"
#include "uKinds.h"

class QJsonObject;
class TIniFile;
class TPrintObject;
class TAbstractPrintObjectList;
class TPrintObjectList;
class TPrintDeepObject;
class TStorage;
struct ICompoundStream;
struct IStream;

// Behaviour flags of a print object.
enum TPrintObjectFlag : uint32_t {
  pfMoveX = 0x01,      // may be dragged horizontally
  pfMoveY = 0x02,      // may be dragged vertically
  pfSizeX = 0x04,      // right edge may be dragged
  pfSizeY = 0x08,      // bottom edge may be dragged
  pfInsert = 0x10,     // accepts new children from the structure dialog
  pfHitBody = 0x20,    // the body answers a hit test
  pfDeletable = 0x40,  // the user may delete it
  pfDefault = 0x60,
};

// Notification codes an object sends its host (the document window).
enum TNotifyCode : int { ncBeforeChange = 1, ncChangeCancelled = 2 };

// Bounds of an object in page mm.
struct TBoundsRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
  bool operator==(const TBoundsRect&) const = default;
};

// Host notification: sender, code, parameter -> result code.
using TNotifyEvent = std::function<HRESULT(TPrintObject* sender, int code, int param)>;

class TPrintObject {
 public:
  TPrintObject();
  virtual ~TPrintObject();
  TPrintObject(const TPrintObject&) = delete;
  TPrintObject& operator=(const TPrintObject&) = delete;
  // Objects come and go by the thousand with each document: their memory is
  // kept for reuse (uBlockCache.h; print object classes are not over-aligned).
  static void* operator new(size_t size);
  static void operator delete(void* block, size_t size) noexcept;

  // --- virtual operations ---
  virtual bool GetModified() const { return FModified; }
  // True climbs to every ancestor; false never does.
  virtual void SetModified(bool value);
  virtual void SetHeight(double value);
  virtual void SetLeft(double value);
  virtual void SetTop(double value);
  virtual void SetWidth(double value);
  virtual double GetWidth() const { return FWidth; }
  virtual double GetHeight() const { return FHeight; }
  virtual void SetSelected(bool value) { FSelected = value; }
  virtual void DrawSelection(TDrawContext& context);
  virtual void DrawFrame(TDrawContext& context);
  virtual void DrawBorder(TDrawContext& context);
  // Reads the object's values; keeps no reference to the stream (a list
  // loads all its stream children through one container).
  virtual bool LoadFromQS(ICompoundStream* stream);
  virtual bool SaveToQS(ICompoundStream* stream);
  // The object's extended font, when it has one (text-bearing objects).
  virtual void* GetFont() { return nullptr; }
  // Hit code (0 = no hit; pfMoveX|pfMoveY|pfHitBody bits inside, pfSizeX/pfSizeY
  // near the right/bottom edge) and the object hit.
  virtual uint32_t HitTest(double x, double y, TPrintObject** target);
  virtual bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix);
  virtual bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix);
  // Lets the parent re-fit itself around its children.
  virtual void Changed();
  virtual void GetCommandCaption(QString* text);
  virtual bool ExecuteCommand();
  // A double-click at page point x, y in the window's cursor mode `code`.
  virtual bool ClickAt(int code, double x, double y);
  // The bounds a dragged child may take.
  virtual void AdjustChildBounds(TPrintObject* child, const TBoundsRect& start, TBoundsRect* bounds);
  virtual void Invalidate(TPrintObject* sender);
  // Copies Source's values through a compound stream and marks this modified.
  virtual void Assign(TPrintObject* source);
  virtual void ContentChanged() {}
  virtual void Draw(TDrawContext& context);
  // Opens the class's properties dialog (through the dialog registry).
  virtual bool EditProperties();
  virtual void GetCaption(QString* text);
  virtual int GetKind() const { return kindObject; }
  virtual bool DeleteWithConfirm();
  // Values for "Kerno --dump"; subclasses add theirs after the base's.
  virtual void DumpProperties(QJsonObject* json) const;
  // A deep parent rescales its children's distances from its top `top` by
  // `factor`; objects holding further page Y positions of their own (a text's
  // annotated interval) move them here the same way: y -> top + factor * (y - top).
  virtual void RescaleInterval(double factor, double top) { (void)factor, (void)top; }
  // The same moved by `dy` page mm.
  virtual void ShiftInterval(double dy) { (void)dy; }
  // The object as a list of children, or null: a load and a save ask it of
  // every child, where a dynamic_cast would cost more than the question.
  virtual TPrintObjectList* AsObjectList() { return nullptr; }
  // The same for a deep object (a block, a column), asked by the fitting of
  // a document and by every depth mapping.
  virtual TPrintDeepObject* AsDeepObject() { return nullptr; }
  // Asks for memory of its own that its save will read (a block it points
  // to), without waiting for it: a list's save calls it on a child ahead.
  virtual void PrefetchForSave() const {}

  // --- non-virtual operations ---
  bool LoadFromStream(IStream* stream);
  bool SaveToStream(IStream* stream);
  // Saves into a new stream `name` of a storage being written, laid out
  // straight in the storage's memory (TStorage::CreateStreamBytes); the same
  // bytes as SaveToStream into a stream made by CreateStream.
  bool SaveToNewStream(TStorage* storage, const QString& name);
  TRect GetPixelRect(const TDrawContext& context) const;
  TBoundsRect GetBoundsRect() const;
  void SetBoundsRect(const TBoundsRect& bounds);
  // Drags from (x0, y0) to (x1, y1) by what the hit at (x0, y0) allows.
  bool DragBy(double x0, double y0, double x1, double y1);
  // Moves by (dx, dy) mm as far as the flags allow, snapped and kept inside
  // the parent as a drag would be (the window's arrow keys); true when the
  // object moved.
  bool MoveBy(double dx, double dy);
  HRESULT Notify(int code, int param = 0);
  double BottomEdge() const { return FTop + GetHeight(); }
  QString Caption() {
    QString s;
    GetCaption(&s);
    return s;
  }

  bool Selected() const { return FSelected; }
  TAbstractPrintObjectList* Parent() const { return FParent; }
  uint32_t Flags() const { return FFlags; }
  void SetFlags(uint32_t value) { FFlags = value; }
  bool NoInvalidate() const { return FNoInvalidate; }
  void SetNoInvalidate(bool value) { FNoInvalidate = value; }
  double Left() const { return FLeft; }
  double Top() const { return FTop; }
  bool Border() const { return FBorder; }
  void SetBorder(bool value) { FBorder = value; }
  const TNotifyEvent& OnNotify() const { return FOnNotify; }
  virtual void SetOnNotify(const TNotifyEvent& handler) {
    if (handler || FOnNotify) FOnNotify = handler;  // nothing to copy between empty handlers
  }

 protected:
  bool MoveLeftBy(double d);
  bool MoveTopBy(double d);
  bool ResizeWidthBy(double d);
  bool ResizeHeightBy(double d);
  void SetParentLink(TAbstractPrintObjectList* parent) { FParent = parent; }

  bool FSelected = false;
  TAbstractPrintObjectList* FParent = nullptr;
  bool FModified = true;
  uint32_t FFlags = pfDefault;
  bool FNoInvalidate = false;
  double FLeft = 0;
  double FTop = 0;
  double FWidth = 0;
  double FHeight = 0;
  bool FBorder = true;
  TNotifyEvent FOnNotify;

  friend class TPrintObjectList;
};

// A print object that owns children.
class TAbstractPrintObjectList : public TPrintObject {
 public:
  // Removes and destroys `child`; false when it is not a child.
  virtual bool RemoveChild(TPrintObject* child) = 0;
  // A block of this list was added, removed, reordered or renamed (the
  // document rebuilds its block menus); nothing for other lists.
  virtual void BlockStructureChanged(TPrintObject* block) { (void)block; }
};

// The shared yes/no question of section "CONFIRM" (key + ".Caption",
// key + ".Text" with `arg` for its "%s"); true on Yes.
bool Confirm(const QString& key, const QString& arg);
