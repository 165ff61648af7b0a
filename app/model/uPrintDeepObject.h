// A print object bound to the well's depth axis. The mapping between depth
// (metres) and page position (mm) lives at the topmost deep object of a chain
// (the body block); every deeper object asks its parent, so siblings always
// agree.
#pragma once

#include <QString>
#include <cstdint>
#include <utility>

#include "uPrintObjectList.h"

inline constexpr uint16_t kDefaultVertScale = 200;
inline constexpr uint16_t kDefaultHorzScale = 10;

// The depth mapping of a chain of deep objects, as its topmost one holds it.
struct TDepthMapping {
  double StartDepth = 0;
  double Scale = kDefaultVertScale;  // the vertical scale 1:Scale, never 0
  double Top = 0;                    // page Y of StartDepth
  double ToPage(double depth) const { return (depth - StartDepth) * 1000.0 / Scale + Top; }
  double ToDepth(double y) const { return Scale * (y - Top) / 1000.0 + StartDepth; }
};

// The message for typed text that is no depth ("\"1450 m\" is not a depth in metres").
QString NotADepthText(const QString& typed);
// A depth as fields and messages show it: to eight significant digits, so
// that a computed 1539.9999999998 reads 1540.
QString DepthText(double depth);

class TPrintDeepObject : public TPrintObjectList {
 public:
  TPrintDeepObject* AsDeepObject() override { return this; }
  // Mapping parameters: the parent's when it is a deep object, else the defaults.
  virtual uint16_t GetVertScale() const;
  virtual void SetVertScale(uint16_t value);
  virtual uint16_t GetHorzScale() const;
  virtual void SetHorzScale(uint16_t value);
  virtual int GetDirection() const;
  virtual double GetStartDepth() const;
  virtual void ScaleChanged(uint16_t oldScale, uint16_t newScale);

  int GetKind() const override { return kindDeepObject; }
  void DumpProperties(QJsonObject* json) const override;

  // Depth (m) to page Y (mm) and back, computed at the topmost deep ancestor.
  double DepthToPage(double depth) const { return DepthMapping().ToPage(depth); }
  double PageToDepth(double y) const { return DepthMapping().ToDepth(y); }
  // The mapping itself, for callers that map many depths at once: the same
  // numbers as DepthToPage and PageToDepth without asking up the chain each time.
  TDepthMapping DepthMapping() const;
  // Metres across to page X (mm) and back.
  double HorzToPage(double metres) const;
  double PageToHorz(double x) const;

  double TopDepth() const { return PageToDepth(FTop); }
  double BottomDepth() const { return PageToDepth(FTop + GetHeight()); }
  void SetTopDepth(double depth) { SetTop(DepthToPage(depth)); }
  void SetBottomDepth(double depth) { SetHeight(DepthToPage(depth) - FTop); }

  // The interval a click (no dragged range) proposes for a new entry at page
  // Y: from the clicked depth over 5 mm of the sheet, both to the decimetre
  // (depths one would type), at least 0.1 m long.
  std::pair<double, double> ClickDepths(double y) const;

  // Scales every child's distance from this object's top by `factor`.
  void RescaleChildren(double factor);
  // Columns whose children stand at page positions (layers, description
  // texts) rather than at depths the children keep themselves.
  virtual bool PlacesChildrenOnPage() const { return false; }
  // Whether `child` stands at a page position: every child of such columns,
  // and the notes (texts, pictures, depth lines) put into other columns.
  virtual bool ChildStandsOnPage(const TPrintObject* child) const {
    (void)child;
    return PlacesChildrenOnPage();
  }
  // The start depth went from `oldStart` to `newStart`: children standing on
  // the page move so that they keep their depths, as curves and tables do.
  void KeepChildDepths(double oldStart, double newStart);
  // The vertical scale changed by `factor` (old scale / new scale): notes
  // keep their size and the depth of their middle.
  void KeepNoteDepths(double factor);
  // A child standing on the page, brought from a place of another mapping
  // (pasted): its height scales by `factor` (that place's scale / this one's)
  // and its top goes to `topDepth`, so that it spans the depths it spanned.
  void PlaceChildAtDepth(TPrintObject* child, double topDepth, double factor);
  // The shallowest depth a child standing on the page is at; NaN when none.
  double PlacedTopDepth() const;
  // The shallowest depth the column holds data at; NaN when it holds none.
  // Columns that place children on the page answer with their highest child.
  virtual double DataTopDepth() const;

  // A scale read from a file: a stored 0 has no mapping and becomes the default.
  static uint16_t ValidScale(int32_t stored, uint16_t def) {
    return stored > 0 && stored <= 0xFFFF ? static_cast<uint16_t>(stored) : def;
  }

 protected:
  // The deep parent, when there is one.
  TPrintDeepObject* DeepParent() const;
  // Moves one child (top and bottom) and its own interval positions.
  virtual void RescaleChild(TPrintObject* child, double factor, double top);
};
