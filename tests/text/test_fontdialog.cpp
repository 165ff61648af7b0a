// The font and line style dialogs: what reaches the working copy, and what OK keeps.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "uColorPanel.h"
#include "uFontDialog.h"
#include "uLineStyleDialog.h"
#include "uScriptedUi.h"
#include "uWidgetLookup.h"

namespace {

void Edit(QLineEdit* e, const QString& text) {
  e->setText(text);
  emit e->textEdited(text);
}

}  // namespace

// Every control must write its part of the working font at once, and nothing else.
TEST(TextFontDialog, ControlsUpdateTheWorkingFont) {
  TFontEx font;
  font.SetResolution(96);
  TfFont d(font, "x");
  Edit(Find<QLineEdit>(&d, "sSize"), "14");
  Edit(Find<QLineEdit>(&d, "sAngle"), "90");
  Find<QComboBox>(&d, "cbAlign")->setCurrentIndex(2);
  Find<QComboBox>(&d, "cbVAlign")->setCurrentIndex(1);
  Find<QCheckBox>(&d, "cbBold")->setChecked(true);
  Find<QCheckBox>(&d, "cbWordBreak")->setChecked(true);
  Find<QCheckBox>(&d, "cbTransparent")->setChecked(false);
  Find<QComboBox>(&d, "cbCharset")->setCurrentIndex(0);
  const TFontEx& w = d.WorkFont();
  EXPECT_EQ(w.Size(), 14);
  EXPECT_EQ(w.Height(), -19);
  EXPECT_EQ(w.Angle(), 90);
  EXPECT_EQ(w.Format, DT_RIGHT | DT_VCENTER | DT_WORDBREAK);
  EXPECT_EQ(w.Style(), fsBold);
  EXPECT_FALSE(w.Transparent);
  EXPECT_EQ(w.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(font.Size(), 10);  // the original is untouched until OK
}

// A size or angle that is not a number keeps the previous value.
TEST(TextFontDialog, NonNumericSizeOrAngleKeepsOldValue) {
  TFontEx font;
  font.SetSize(12);
  font.SetAngle(45);
  TfFont d(font, "");
  Edit(Find<QLineEdit>(&d, "sSize"), "big");
  Edit(Find<QLineEdit>(&d, "sAngle"), "");
  EXPECT_EQ(d.WorkFont().Size(), 12);
  EXPECT_EQ(d.WorkFont().Angle(), 45);
  Edit(Find<QLineEdit>(&d, "sSize"), "9,6");  // the tolerant reader takes a comma
  EXPECT_EQ(d.WorkFont().Size(), 10);
}

// A face this machine lacks, and an unusual charset, must survive an unchanged OK.
TEST(TextFontDialog, UninstalledFaceAndSymbolCharsetAreKept) {
  TFontEx font;
  font.SetName("Arial");
  font.SetCharset(SYMBOL_CHARSET);
  TfFont d(font, "");
  Find<QCheckBox>(&d, "cbItalic")->setChecked(true);  // any change rewrites every field
  EXPECT_EQ(d.WorkFont().Name(), "Arial");
  EXPECT_EQ(d.WorkFont().Charset(), SYMBOL_CHARSET);
  EXPECT_EQ(d.WorkFont().Style(), fsItalic);
}

// Colour panels go through the UI services' colour dialog.
TEST(TextFontDialog, ColourPanelsTakeTheChosenColour) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  ui.ColorAnswers = {QColor(255, 0, 0)};
  TFontEx font;
  TfFont d(font, "");
  Find<TColorPanel>(&d, "pColor")->click();
  EXPECT_EQ(d.WorkFont().Color, 0x0000FFu);
  Find<TColorPanel>(&d, "pBkgColor")->click();  // cancelled: unchanged
  EXPECT_EQ(d.WorkFont().BkgColor, 0xFFFFFFu);
}

// The width list: thread = one pixel, none = 0, steps of 0.2 mm; other widths keep an entry.
TEST(TextLineStyleDialog, WidthListMapsAndKeepsUnlistedWidths) {
  TBoundaryLine line;
  line.Style = 3;
  line.Color = 0x00FF00;
  line.LineWidth = 0.6;
  TfLineStyle d(line);
  auto* width = Find<QComboBox>(&d, "cbWidth");
  EXPECT_EQ(width->currentIndex(), 4);
  TBoundaryLine out = d.Line();
  EXPECT_EQ(out.Style, 3);
  EXPECT_EQ(out.Color, 0x00FF00);
  EXPECT_DOUBLE_EQ(out.LineWidth, 0.6);
  width->setCurrentIndex(0);
  EXPECT_DOUBLE_EQ(d.Line().LineWidth, -1);
  width->setCurrentIndex(1);
  EXPECT_DOUBLE_EQ(d.Line().LineWidth, 0);

  line.LineWidth = 0.3;  // between two entries
  line.Style = 9;        // out of range shows as solid
  TfLineStyle e(line);
  EXPECT_DOUBLE_EQ(e.Line().LineWidth, 0.3);
  EXPECT_EQ(e.Line().Style, 0);
  line.LineWidth = -3;
  TfLineStyle f(line);
  EXPECT_DOUBLE_EQ(f.Line().LineWidth, -3);
}
