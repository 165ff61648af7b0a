#include "uColorPanel.h"

#include "uDrawContext.h"
#include "uUiServices.h"

TColorPanel::TColorPanel(QWidget* parent) : QPushButton(parent) {
  setMinimumWidth(48);
  connect(this, &QPushButton::clicked, this, &TColorPanel::Choose);
  SetColor(0);
}

void TColorPanel::SetColor(uint32_t color) {
  FColor = color & 0xFFFFFF;
  setStyleSheet(QStringLiteral("background-color: %1").arg(ColorRefToQColor(FColor).name()));
}

void TColorPanel::Choose() {
  QColor chosen;
  if (!Ui().ChooseColor(ColorRefToQColor(FColor), &chosen) || !chosen.isValid()) return;
  SetColor(QColorToColorRef(chosen));
  emit ColorChanged(FColor);
}
