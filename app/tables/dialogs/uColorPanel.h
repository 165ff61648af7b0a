// A colour panel: a button filled with its colour that opens the colour dialog
// (through the UI services, so tests can answer it) and reports the change.
#pragma once

#include <QPushButton>
#include <cstdint>

class TColorPanel : public QPushButton {
  Q_OBJECT
 public:
  explicit TColorPanel(QWidget* parent = nullptr);
  uint32_t Color() const { return FColor; }  // 0x00BBGGRR
  void SetColor(uint32_t color);

 signals:
  void ColorChanged(uint32_t color);

 private:
  void Choose();
  uint32_t FColor = 0;
};
