// The vector graphic (kind 1): a drawing of simple commands (rectangles,
// lines, arrows, texts, dash-dot lines) whose vertical coordinates are depths
// and horizontal ones millimetres from the object's left edge. The commands
// are entered and imported as a table of five columns.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "uDataObject.h"

class TStringTable;

enum TVGCommandType : int32_t { vgNone = 0, vgRect = 1, vgLine = 2, vgArrow = 3, vgText = 4, vgLineP = 5 };

struct TVGCommandEx {
  int32_t CommandType = vgNone;
  int32_t X1 = 0;  // mm from Left
  double Y1 = 0;   // depth
  int32_t X2 = 0;  // mm from Left; TEXT: the font size in points
  double Y2 = 0;   // depth (TEXT: unused)
  QString Text;    // TEXT only
  int32_t Angle = 0;
  bool operator==(const TVGCommandEx&) const = default;
};

// "RECT", "LINE", "ARROW", "TEXT", "LINEP" (any case) -> 1-5; anything else 0.
int32_t VGCommandTypeOf(const QString& name);
// The upper-case name of a type; empty for 0 and unknown types.
QString VGCommandName(int32_t type);
// The 32-byte stored record (the text is stored apart).
using TVGRecord = std::array<uint8_t, 32>;
TVGRecord PackVGCommand(const TVGCommandEx& command);
TVGCommandEx UnpackVGCommand(const TVGRecord& record);

class TPrintVectorGraphic : public TDataObject {
 public:
  int GetKind() const override { return kindVectorGraphic; }
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  double GetChildrenHeight() const override;
  double GetChildrenWidth() const override;
  void ClearData() override;
  int GetMenuCommandCount() override { return 1; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

  const std::vector<TVGCommandEx>& Commands() const { return FCommands; }
  void SetCommands(std::vector<TVGCommandEx> commands);
  int Highlighted() const { return FHighlighted; }
  void SetHighlighted(int index) { FHighlighted = index; }

  // The command table: name, X1, Y1, X2, and Y2 (TEXT: the text).
  void CommandsToTable(TStringTable* table) const;
  // One command per row; the height then reaches the deepest depth used.
  // The caller marks the change (the dialog previews without one).
  void CommandsFromTable(const TStringTable& table);
  // Command 0: a table file through the table's open dialog replaces the
  // commands; true when one loaded.
  bool Import();

 private:
  std::vector<TVGCommandEx> FCommands;
  int FHighlighted = -1;
};
