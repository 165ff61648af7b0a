// A deep parent standing in for a body: it owns the depth mapping (a vertical
// scale and start depth of its own), tells its deep children when the scale
// changes as the body does, and makes children of the given kinds only.
// Header only, over kernocore.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "uKinds.h"
#include "uPrintDeepObject.h"

class TTestDeepBody : public TPrintDeepObject {
 public:
  TTestDeepBody(std::initializer_list<int> kinds, uint16_t scale = kDefaultVertScale, double startDepth = 0)
      : FKinds(kinds), FScale(scale), FStart(startDepth) {}

  uint16_t GetVertScale() const override { return FScale; }
  double GetStartDepth() const override { return FStart; }
  void SetVertScale(uint16_t value) override {
    const uint16_t old = std::exchange(FScale, value);
    for (int i = 0; i < Count(); ++i)
      if (auto* deep = dynamic_cast<TPrintDeepObject*>(GetChild(i))) deep->ScaleChanged(old, value);
  }
  std::unique_ptr<TPrintObject> CreateChild(int kind) override {
    if (std::find(FKinds.begin(), FKinds.end(), kind) == FKinds.end()) return nullptr;
    return CreateKindObject(kind);
  }

  // A new child of class T, added before it is placed.
  template <class T>
  T* Add() {
    auto made = std::make_unique<T>();
    T* child = made.get();
    AddChild(std::move(made));
    return child;
  }
  template <class T>
  T* Add(const TBoundsRect& bounds) {
    T* child = Add<T>();
    child->SetBoundsRect(bounds);
    return child;
  }
  template <class T>
  T* Add(double left, double top, double width, double height) {
    return Add<T>(TBoundsRect{left, top, left + width, top + height});
  }

 private:
  std::vector<int> FKinds;
  uint16_t FScale;
  double FStart;
};
