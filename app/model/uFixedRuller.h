// A guide line on the document: vertical or horizontal, dragged out of the
// window's screen rulers. Guides are drawn only on screen (frames or
// selection marks), never printed; a horizontal one shows the depth it
// crosses.
#pragma once

#include "uPrintObject.h"

enum TRullerOrientation : int { roHorizontal = 0, roVertical = 1 };

class TFixedRuller : public TPrintObject {
 public:
  // Pure blue, as 0x00BBGGRR.
  static constexpr uint32_t kDefaultColor = 0x00FF0000;

  int Orientation() const { return FOrientation; }
  bool IsVertical() const { return FOrientation == roVertical; }
  // Stores the orientation, makes the guide movable across its line only and
  // lays it out over its parent.
  void SetOrientation(int value);
  uint32_t Color() const { return FColor; }
  void SetColor(uint32_t value);
  // Locked guides cannot be dragged.
  bool IsLocked() const { return (FFlags & (pfMoveX | pfMoveY)) == 0; }
  // The 2 mm strip across the whole parent: vertical guides take the
  // parent's top and height, horizontal ones its left and width.
  void FitToParent();

  // --- overrides ---
  int GetKind() const override { return kindFixedRuller; }
  void Changed() override;
  void Draw(TDrawContext& context) override;
  void GetCaption(QString* text) override;
  // "Lock" while movable, "UnLock" while locked.
  void GetCommandCaption(QString* text) override;
  bool ExecuteCommand() override;
  // The colour dialog.
  bool EditProperties() override;
  // Guides go without a question.
  bool DeleteWithConfirm() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  int FOrientation = roHorizontal;
  uint32_t FColor = kDefaultColor;
};
