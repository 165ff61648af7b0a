// The head block of a document: a free-form area of texts, tables and images
// above the depth-bound body. Its texts may carry named parameters (%WELL%)
// whose values the head keeps and substitutes into them for display; its
// layout can be loaded from and saved to head files (".hdr").
#pragma once

#include <utility>

#include "uNamedValueList.h"
#include "uRootDataObject.h"

class TPrintHeader : public TRootDataObject {
 public:
  // The head's own commands (menu command indexes).
  enum TCommand : int { cmdLoad, cmdSave, cmdFreeEdit, cmdSeparator, cmdValues, cmdFillFromFile, cmdCount };
  // A head file gives at most this many "TEXTn" sections.
  static constexpr int kMaxFileTexts = 10000;

  TPrintHeader();

  // --- overrides ---
  int GetKind() const override { return kindHead; }
  int GetMenuCommandCount() override { return cmdCount; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  // The free edit toggle.
  void GetCommandCaption(QString* text) override;
  bool ExecuteCommand() override;
  // Texts (272), tables (279) and images (284).
  std::unique_ptr<TPrintObject> CreateChild(int kind) override;
  int GetInsertableKind(int index) override;
  // Asks for a kind (among those the program has), places the new object in
  // the dragged rectangle, asks a data object for its name and opens its
  // properties; Cancel there removes it again. True when it stayed.
  bool InsertNewChildAt(double x0, double y0, double x, double y) override;
  // Clamps every child into the head; a head never grows to fit them.
  void Changed() override;
  void Invalidate(TPrintObject* sender) override;
  void Draw(TDrawContext& context) override;
  // The list's elements, then the stream "values" with the parameters.
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  void Assign(TPrintObject* source) override;
  // Clears the parameters and collects the names the texts use again.
  void ClearData() override;
  // A head in a template: "FILE" names the head file to load (looked up by
  // FindHeaderFile; a missing one is reported), then "TOP" and "NAME". True
  // either way.
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void DumpProperties(QJsonObject* json) const override;

  // --- parameters ---
  TNamedValueList& Parameters() { return FParameters; }
  const TNamedValueList& Parameters() const { return FParameters; }
  // Adds every placeholder name of the texts that is not yet a parameter.
  void CollectParameters();
  // Gives every text its template with the parameters substituted, for display.
  void SubstituteParameters();
  // Gives the head's "SCALE" parameter, when its texts use it and it has no
  // value yet, the scale of the body the sheet is drawn at (200 for 1:200);
  // true when it did.
  bool FillScaleParameter(uint16_t scale);
  // The body's scale went from `old` to `now`: a "SCALE" value naming the old
  // scale follows it (one the user wrote otherwise stays); true when it did.
  bool FollowScale(uint16_t old, uint16_t now);
  // The sheet's interval went from [oldTop, oldBottom] to [top, bottom]:
  // "TOP_DEPTH" and "BOTTOM_DEPTH" values that are empty or name the old
  // depths follow it; true when one did.
  bool FollowInterval(double oldTop, double oldBottom, double top, double bottom);
  // The interval the head's values state: the texts of "TOP_DEPTH" and
  // "BOTTOM_DEPTH" (empty when the head has none).
  std::pair<QString, QString> StatedInterval() const;
  // The values dialog on a copy of the parameters (names collected first);
  // on OK the values are taken, shown and the head is modified. False on Cancel.
  bool EditValues();
  // Fills the parameters from a table file (names and values in two columns).
  bool FillValuesFromFile();

  // Keeps at least `height` mm above the head's bottom edge free of its texts
  // and pictures over [left, right], where a curve column below stacks its
  // scale headers: when the room is smaller, every text ending on the
  // bottom edge and the head grow by the difference (the head of column
  // titles gets taller at its bottom row). Returns the growth.
  double MakeRoomAtBottom(double left, double right, double height);

  // --- free edit: children may be moved and resized with the mouse ---
  bool FreeEdit() const;
  void SetFreeEdit(bool on);

  // --- head files ---
  // Replaces the head's content by the file's: section "MAIN" (own values and
  // "OBJECTn" children, placed relative to the head), then the texts of the
  // sections "TEXT1", "TEXT2", ... up to the first without "WIDTH". False
  // (nothing changed) when the file does not exist.
  bool LoadHeaderFile(const QString& path);
  // Moves the head to page (0, 0), where it stays, and writes it into section
  // "MAIN" of a new file. The target is replaced only by a complete file.
  bool SaveHeaderFile(const QString& path);
  // The dialog forms of the two (commands "Load" and "Save"): false when
  // cancelled or failed (a failure is reported).
  bool LoadHeaderWithDialog();
  bool SaveHeaderWithDialog();
  // A head file named in a template: the name as given, else in the program
  // folder's "hdr" subfolder, else in the program folder; empty when none exists.
  static QString FindHeaderFile(const QString& name);
  // `path` with the extension ".hdr" in place of any other.
  static QString HeaderFileName(const QString& path);

 private:
  void CollectInto(TNamedValueList* list);

  TNamedValueList FParameters;
};

// The value of the head parameter `name` (any case) in the document `object`
// belongs to: the first head, in tree order, that gives it a value; empty
// when none does. What a command proposes for the well's name ("WELL").
QString DocumentHeadValue(TPrintObject* object, const QString& name);

// Gives `value` to the head parameter `name` (any case) of the document
// `object` belongs to where no head has a value for it yet: in the first head,
// in tree order, whose texts use it. True when a head took it.
bool FillEmptyDocumentHeadValue(TPrintObject* object, const QString& name, const QString& value);

// The head right above the block that holds `object` keeps `height` mm free
// over [left, right] (MakeRoomAtBottom); the document lays its blocks out
// again when it grew. True when it did.
bool MakeRoomAboveBlock(TPrintObject* object, double left, double right, double height);

// Registers kind 273 with the kind registry.
void RegisterHeadKinds();
