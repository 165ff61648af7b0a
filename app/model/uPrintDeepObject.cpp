#include "uPrintDeepObject.h"

#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

#include "uLanguage.h"
#include "uNumbers.h"

TPrintDeepObject* TPrintDeepObject::DeepParent() const { return FParent ? FParent->AsDeepObject() : nullptr; }

uint16_t TPrintDeepObject::GetVertScale() const {
  const TPrintDeepObject* p = DeepParent();
  return p ? p->GetVertScale() : kDefaultVertScale;
}

void TPrintDeepObject::SetVertScale(uint16_t value) {
  if (TPrintDeepObject* p = DeepParent()) p->SetVertScale(value);
}

uint16_t TPrintDeepObject::GetHorzScale() const {
  const TPrintDeepObject* p = DeepParent();
  return p ? p->GetHorzScale() : kDefaultHorzScale;
}

void TPrintDeepObject::SetHorzScale(uint16_t value) {
  if (TPrintDeepObject* p = DeepParent()) p->SetHorzScale(value);
}

int TPrintDeepObject::GetDirection() const {
  const TPrintDeepObject* p = DeepParent();
  return p ? p->GetDirection() : 0;
}

double TPrintDeepObject::GetStartDepth() const {
  const TPrintDeepObject* p = DeepParent();
  return p ? p->GetStartDepth() : 0;
}

void TPrintDeepObject::ScaleChanged(uint16_t, uint16_t) {
  ContentChanged();
  Changed();
}

void TPrintDeepObject::DumpProperties(QJsonObject* json) const {
  TPrintObjectList::DumpProperties(json);
  if (!json) return;
  (*json)[QStringLiteral("vertScale")] = GetVertScale();
  (*json)[QStringLiteral("horzScale")] = GetHorzScale();
  (*json)[QStringLiteral("startDepth")] = GetStartDepth();
}

// A scale of 0 would divide by zero: the mapping uses the default instead.
TDepthMapping TPrintDeepObject::DepthMapping() const {
  if (const TPrintDeepObject* p = DeepParent()) return p->DepthMapping();
  TDepthMapping m;
  m.StartDepth = GetStartDepth();
  m.Scale = ValidScale(GetVertScale(), kDefaultVertScale);
  m.Top = FTop;
  return m;
}

double TPrintDeepObject::HorzToPage(double metres) const {
  if (const TPrintDeepObject* p = DeepParent()) return p->HorzToPage(metres);
  const double h = ValidScale(GetHorzScale(), kDefaultHorzScale);
  return metres * 1000.0 / h + FLeft;
}

double TPrintDeepObject::PageToHorz(double x) const {
  if (const TPrintDeepObject* p = DeepParent()) return p->PageToHorz(x);
  const double h = ValidScale(GetHorzScale(), kDefaultHorzScale);
  return h * (x - FLeft) / 1000.0;
}

QString NotADepthText(const QString& typed) {
  return SubstituteArgs(
      TranslateError(QStringLiteral("DepthNotNumber"), QStringLiteral("\"%s\" is not a depth in metres")),
      {typed.trimmed()});
}

QString DepthText(double depth) { return QString::fromStdString(FormatSignificant(depth, 8)); }

std::pair<double, double> TPrintDeepObject::ClickDepths(double y) const {
  const auto decimetres = [](double depth) { return std::round(depth * 10) / 10; };
  const double top = decimetres(PageToDepth(y));
  return {top, std::max(decimetres(PageToDepth(y + 5)), top + 0.1)};
}

void TPrintDeepObject::RescaleChildren(double factor) {
  const double t = FTop;
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* c = GetChild(i)) RescaleChild(c, factor, t);
}

void TPrintDeepObject::KeepChildDepths(double oldStart, double newStart) {
  const double dy = (oldStart - newStart) * 1000.0 / GetVertScale();
  if (dy == 0 || !std::isfinite(dy)) return;
  bool moved = false;
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* c = GetChild(i); c && ChildStandsOnPage(c)) {
      c->SetTop(c->Top() + dy);
      c->ShiftInterval(dy);
      moved = true;
    }
  if (moved) SetModified(true);
}

void TPrintDeepObject::KeepNoteDepths(double factor) {
  if (!std::isfinite(factor) || !(factor > 0) || factor == 1) return;
  const double t = FTop;
  bool moved = false;
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* c = GetChild(i); c && ChildStandsOnPage(c)) {
      const double h = c->GetHeight();
      const double middle = c->Top() + h / 2;
      const double top = t + factor * (middle - t) - h / 2;
      c->ShiftInterval(top - c->Top());
      c->SetTop(top);
      moved = true;
    }
  if (moved) SetModified(true);
}

double TPrintDeepObject::PlacedTopDepth() const {
  double top = std::numeric_limits<double>::infinity();
  for (int i = 0; i < Count(); ++i)
    if (const TPrintObject* c = GetChild(i); c && ChildStandsOnPage(c)) top = std::min(top, c->Top());
  return std::isfinite(top) ? PageToDepth(top) : std::numeric_limits<double>::quiet_NaN();
}

double TPrintDeepObject::DataTopDepth() const {
  return PlacesChildrenOnPage() ? PlacedTopDepth() : std::numeric_limits<double>::quiet_NaN();
}

void TPrintDeepObject::PlaceChildAtDepth(TPrintObject* child, double topDepth, double factor) {
  const double top = DepthToPage(topDepth);
  if (!child || !std::isfinite(top) || !std::isfinite(factor) || !(factor > 0)) return;
  if (factor != 1) RescaleChild(child, factor, child->Top());
  const double dy = top - child->Top();
  if (dy == 0) return;
  child->SetTop(top);
  child->ShiftInterval(dy);
  SetModified(true);
}

void TPrintDeepObject::RescaleChild(TPrintObject* child, double factor, double t) {
  const double oldTop = child->Top();
  const double oldBottom = oldTop + child->GetHeight();
  const double newTop = t + factor * (oldTop - t);
  const double newHeight = t + factor * (oldBottom - t) - newTop;
  child->SetTop(newTop);
  child->SetHeight(newHeight);
  child->RescaleInterval(factor, t);
}
