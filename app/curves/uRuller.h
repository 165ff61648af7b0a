// One family of depth marks: every Step depth units a mark of MarkSize mm,
// optionally labelled with its depth. Several rulers overlay in a depth scale
// (long labelled marks every 10 m over short ones every 1 m); the same record
// draws the graduated bars along the edges of a document window.
#pragma once

#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "uFontEx.h"

class QPainter;
class TIniFile;
class TPrintDeepObject;
struct ICompoundStream;
struct IStream;
struct TDrawContext;

class TRuller {
 public:
  TRuller();
  TRuller(const TRuller& source);
  TRuller& operator=(const TRuller& source);
  ~TRuller();

  // All five fields; the font is copied when the source has one, removed otherwise.
  void Assign(const TRuller& source);

  // Label step in depth units (metres): one mark per step. Zero, a value equal
  // to the current one and non-finite values are ignored; negatives are kept.
  double Step() const { return FStep; }
  void SetStep(double value);
  // Page millimetres per depth unit (marks stand Step * Modulus mm apart);
  // the same rules as Step.
  double Modulus() const { return FModulus; }
  void SetModulus(double value);
  // Length of a mark in page millimetres; any value.
  double MarkSize() const { return FMarkSize; }
  void SetMarkSize(double value) { FMarkSize = value; }
  // Marks hang from the right edge (labels to their left), else from the left.
  bool Right() const { return FRight; }
  void SetRight(bool value) { FRight = value; }

  // The labels' font; none means marks without labels.
  bool HasFont() const { return FFont.has_value(); }
  TFontEx* Font() { return FFont ? &*FFont : nullptr; }
  const TFontEx* Font() const { return FFont ? &*FFont : nullptr; }
  // Gives the ruler the default label font (10 pt, right-aligned, vertically
  // centred, single line) unless it has one already.
  TFontEx* CreateFont();
  void RemoveFont() { FFont.reset(); }
  static TFontEx DefaultFont();

  // Text form, as profiles and templates keep it:
  // "STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1".
  QString ToText() const;
  // Pairs KEY=value separated by spaces; keys are case-sensitive, unknown keys
  // and pieces with more or fewer than one "=" are ignored, later pairs win,
  // unreadable numbers keep the current value.
  void LoadFromText(const QString& text);

  // The text form under `key`, the font's keys under key + ".FONT.". Loading
  // reads the font only when the text asked for one; true when a file was given.
  bool LoadFromIni(const TIniFile* ini, const QString& section, const QString& key);
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& key) const;

  // The ruler's own compound stream (IDs 512-516, the font's 256-261).
  // Loaded values go into the fields as stored, without the setters' rules.
  bool LoadFromQS(ICompoundStream* stream);
  bool SaveToQS(ICompoundStream* stream) const;
  // The same compound stream serialised in a byte stream.
  bool LoadFromStream(IStream* stream);
  bool SaveToStream(IStream* stream) const;

  // Draws the ruler inside `scale`, a depth column: a mark at every multiple
  // of Step whose page position (through the column's depth mapping) lies
  // within the column, labelled with its depth (5 significant digits) when the
  // ruler has a font. Marks are drawn with the painter's current pen.
  void DrawDepthMarks(const TDrawContext& context, const TPrintDeepObject& scale) const;

  // Window-edge rulers. `strip` is the bar's rectangle in device pixels;
  // `offset` the page millimetre shown at its left (top) edge; `zoom` the
  // view's zoom; the label font is prepared at `fontZoom`. Mark i stands at
  // strip.left + nint(px * zoom * (i * Step * Modulus - offset)) (px = device
  // pixels per mm). Mark lengths do not follow the zoom. With Right the marks
  // hang from the bottom (right) edge of the strip, else from its top (left)
  // edge; labels (i * Step) are written beside the marks.
  void DrawHorizontal(QPainter* dc, const QRect& strip, double fontZoom, double zoom, double offset) const;
  void DrawVertical(QPainter* dc, const QRect& strip, double fontZoom, double zoom, double offset) const;

 private:
  double FStep = 10;
  double FModulus = 5;
  double FMarkSize = 2;
  bool FRight = true;
  // Kept in place: a document load makes hundreds of rulers.
  std::optional<TFontEx> FFont;
};

using TRullerList = std::vector<TRuller>;

// The rulers of a document window's screen bars at a view zoom: three levels
// with steps S, S / 2 and S / 10 centimetres (S = 1 / zoom rounded, at least 1),
// marks 3, 2 and 1 mm long, the first level labelled in an 8 pt font (turned
// 90 degrees for the vertical bar).
TRullerList ScreenRullers(Qt::Orientation orientation, double zoom);

// Draws a document window's screen ruler bar: `strip` in device pixels of
// `dc`, `orientation` Qt::Horizontal for the bar along the top edge and
// Qt::Vertical for the bar along the left edge, `originMm` the page
// millimetre shown at the strip's left (top) edge, `zoom` the view's zoom.
// Marks hang from the bar's edge toward the document (its bottom or right
// edge); labels are in centimetres. The shell's screen rulers call this.
void DrawScreenRuller(QPainter* dc, const QRect& strip, Qt::Orientation orientation, double originMm, double zoom);
