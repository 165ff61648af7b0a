// The free text object of a page: a text and its extended font in a box,
// optionally bound to a vertical interval of the page that it joins with
// bracket lines and leader ticks.
#pragma once

#include <QString>

#include "uFontEx.h"
#include "uPrintObject.h"

class TPrintText : public TPrintObject {
 public:
  TPrintText();

  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  void* GetFont() override { return &FFont; }
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  void GetCaption(QString* text) override;
  int GetKind() const override { return kindText; }
  void DumpProperties(QJsonObject* json) const override;
  // A depth column rescaling its children moves the bound interval with the box.
  void RescaleInterval(double factor, double top) override;
  void ShiftInterval(double dy) override;

  virtual QString GetText() const { return FText; }
  // Sets both the edited and the printed text.
  virtual void SetText(const QString& text);
  // A box too small for its text grows to hold it (a text that wraps only
  // grows down); a larger box and a turned text stay as they are.
  void GrowToText();

  TFontEx& Font() { return FFont; }
  const TFontEx& Font() const { return FFont; }
  QString PrintedText() const { return FPrintedText; }
  void SetPrintedText(const QString& text) { FPrintedText = text; }

  // Which text is drawn: true the edited Text, false PrintedText.
  bool UseEditText = false;
  // The bound interval in page mm, and whether the object is bound to it.
  double IntervalTop = 0;
  double IntervalBottom = 0;
  bool Bound = false;
  // Leader lines at the box sides and insets of the box (mm); owners set them,
  // they are not stored.
  double LeftTick = 0;
  double RightTick = 0;
  double LeftIndent = 1;
  double RightIndent = 1;

 private:
  TFontEx FFont;
  QString FText;
  QString FPrintedText;
};

// INI form of a text: CR LF pairs become the two characters "\n"; an empty
// text is written as a quoted space. Decoding turns "\n" not preceded by a
// backslash back into CR LF.
QString EncodeIniText(const QString& text);
QString DecodeIniText(const QString& value);

// Registers kind 272 with the kind registry.
void RegisterTextKinds();
