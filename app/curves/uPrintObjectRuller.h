// A horizontal line across a curve column at a depth the user chooses: a
// styled line (style, colour, width in millimetres) through the middle of
// the object's strip.
#pragma once

#include "uBoundaryLine.h"
#include "uPrintObject.h"

class TPrintObjectRuller : public TPrintObject {
 public:
  TPrintObjectRuller();

  int GetKind() const override { return kindObjectRuller; }
  void Draw(TDrawContext& context) override;
  // The line style dialog; on OK the parent is repainted.
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;

  const TBoundaryLine& LineStyle() const { return FLineStyle; }
  void SetLineStyle(const TBoundaryLine& value) { FLineStyle = value; }

 private:
  TBoundaryLine FLineStyle{1, 0, 0.2};
};
