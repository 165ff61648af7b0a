// The description column (kind 6): texts bound to depth intervals (the rock
// description of each layer), with a common font and box settings, the
// automatic layout that gives every text room without overlaps, and the
// column's sixteen commands.
#pragma once

#include <vector>

#include "uDataObject.h"
#include "uFontEx.h"

class TPrintText;
class TStringTable;

// Child flag of the column: its texts are bound to their intervals ("smart
// border"); flag pfMoveY (2) is its opposite.
inline constexpr uint32_t kDescSmartBorder = pfSizeY;

// Commands of the column's menu.
enum TDescCommand : int {
  dcImport = 0,
  dcExport = 1,
  dcTextBorders = 3,
  dcMainBorder = 4,
  dcSmartBorder = 5,
  dcMarkSize = 7,
  dcMarginSizes = 8,
  dcPlace = 10,
  dcUnplace = 11,
  dcFindAndSelect = 13,
  dcFontByValue = 14,
  dcFont = 15,
  dcProperties = 16,
  dcCommandCount = 17
};

// Which texts a search or a font rule takes.
struct TTextMatch {
  enum TMode : int { Contains = 0, Equals = 1, StartsWith = 2, NumberBetween = 3 };
  int Mode = Contains;
  QString Pattern;
  bool CaseSensitive = false;
  // NumberBetween: the text read as a number lies in From..To (either order).
  double From = 0;
  double To = 0;
  bool Matches(const QString& text) const;
};

// One text of the column as the grid editor shows it: depths in metres.
struct TDescEntry {
  double TopDepth = 0;
  double BottomDepth = 0;
  QString Text;
  TPrintText* Source = nullptr;  // the text it came from; null for a new one
};

class TPrintDesc : public TDataObject {
 public:
  TPrintDesc();

  TFontEx Font;
  bool TextBorders = false;
  double LeftTick = 0;
  double RightTick = 0;
  double LeftIndent = 1;
  double RightIndent = 1;
  // The last search and font rule (what the dialogs edit; not stored).
  TTextMatch FindRule;
  bool FindAddsToSelection = false;
  TTextMatch FontRule;
  TFontEx RuleFont;

  bool SmartBorder() const { return (ChildFlags() & kDescSmartBorder) != 0; }
  // The text children in order of their tops.
  std::vector<TPrintText*> Texts() const;
  // A new text for the depth interval (top and bottom in metres; "\n" in the
  // text becomes a line break) with the column's settings; added as a child.
  TPrintText* CreateText(double topDepth, double bottomDepth, const QString& text);
  // Gives the column's ticks, indents, borders and binding to every text.
  void ApplyToTexts();
  // Font to every text.
  void ApplyFontToTexts();

  // Automatic layout (command 10). False when nothing changed: at most one
  // text, or the layout failed (then the error was shown). *misfits receives
  // the texts that do not fit the column, which are also selected.
  bool PlaceAutomatically(std::vector<TPrintText*>* misfits = nullptr);
  // Every text back onto its interval (command 11).
  void UnplaceAutomatically();
  // Selects the matching texts (others are deselected unless `add`); the count.
  int SelectMatching(const TTextMatch& match, bool add);
  // Gives `font` to the matching texts; the count.
  int ApplyFontWhere(const TTextMatch& match, const TFontEx& font);
  // Texts from an interval table (From, To, values...): one text per row with
  // a readable interval, its values joined by spaces. The number made.
  int CreateTextsFrom(const TStringTable& intervals);
  // The texts as a table: From, To (metres), Text (line breaks as "\n").
  void TextsToTable(TStringTable* table) const;
  // The grid editor's view and its write-back: texts updated, made and
  // removed to match `entries`.
  std::vector<TDescEntry> Entries() const;
  void SetEntries(const std::vector<TDescEntry>& entries);

  int GetKind() const override { return kindTextDesc; }
  void* GetFont() override { return &Font; }
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool LoadFromStorage(TStorage* storage) override;
  void Assign(TPrintObject* source) override;
  bool EditProperties() override;
  // With bound texts a dragged text stays between its neighbours and inside
  // the column.
  void AdjustChildBounds(TPrintObject* child, const TBoundsRect& start, TBoundsRect* bounds) override;
  void ClearData() override;
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override { return index == 0 ? kindText : 0; }
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  void ScaleChanged(uint16_t oldScale, uint16_t newScale) override;
  bool PlacesChildrenOnPage() const override { return true; }
  // The column moving (its body placed lower on the page) takes its texts'
  // intervals along with their boxes.
  void SetTop(double value) override;
  int GetMenuCommandCount() override { return dcCommandCount; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  bool ImportTexts();
  bool ExportTexts();
};

// A text as a table cell shows it (line breaks as the two characters "\n")
// and back.
QString DescTextToCell(const QString& text);
QString DescCellToText(const QString& cell);

// The height a text needs in the automatic layout: one line of its font and 0.8 mm.
double DescTextNeed(const TPrintText& text);
