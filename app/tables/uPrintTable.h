// The free table of a page (kind 279): a printable string table placed
// anywhere, usually in the head; its size is the table's.
#pragma once

#include "uDataObject.h"
#include "uStringTableEx.h"

class QJsonObject;

// Commands of the table's menu.
enum TPrintTableCommand : int { tcImport = 0, tcProperties = 1, tcFont = 2 };

class TPrintTable : public TDataObject {
 public:
  TPrintTable();

  TStringTableEx& Table() { return FTable; }
  const TStringTableEx& Table() const { return FTable; }

  int GetKind() const override { return kindTable; }
  double GetWidth() const override { return FTable.TotalWidth(); }
  double GetHeight() const override { return FTable.TotalHeight(); }
  void* GetFont() override { return &FTable.Font; }
  bool LoadFromQS(ICompoundStream* stream) override;
  // Base values, then the table's geometry and font under prefix + "TABLE.".
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  // The cells live beside "index" in the stream "table".
  bool LoadFromStorage(TStorage* storage) override;
  bool SaveToStorage(TStorage* storage) override;
  void Draw(TDrawContext& context) override;
  bool EditProperties() override;
  // The size follows the table; the parent re-fits.
  void Changed() override;
  void Assign(TPrintObject* source) override;
  void ClearData() override;
  int GetMenuCommandCount() override { return 3; }
  void GetMenuCommandCaption(int index, QString* text) override;
  bool ExecuteMenuCommand(int index) override;
  void DumpProperties(QJsonObject* json) const override;

 private:
  TStringTableEx FTable;
};

// The stream of a table object's cells inside its storage.
inline constexpr char kTableStreamName[] = "table";
bool LoadTableStream(TStorage* storage, TStringTableEx* table);
bool SaveTableStream(TStorage* storage, const TStringTableEx& table);
// "table" values of --dump: sizes, geometry, font and the cells.
QJsonObject TableJson(const TStringTableEx& table);
