// The options of a sign database: the switches of automatic placement. The
// library only stores them; which of them may be set depends on the others.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;

namespace stratedit {

class TFDBProp : public QDialog {
  Q_OBJECT
 public:
  explicit TFDBProp(QWidget* parent = nullptr);

  // Bits 0-5 are shown; the others are carried through unchanged.
  void SetOptions(int32_t options);
  int32_t Options() const;

  enum : int32_t {
    kExtended = 1,
    kFill = 2,
    kFillEx = 4,
    kFlow = 8,
    kFlowEx = 16,
    kDeleteEmpty = 32,
  };

 private:
  void UpdateEnabled();

  // In bit order: Extended, Fill, FillEx, Flow, FlowEx, DeleteEmpty.
  std::array<QCheckBox*, 6> FBoxes{};
  int32_t FOther = 0;
};

}  // namespace stratedit
