// A named deep object that can be saved alone into an object file (".kno")
// and loaded back into an object of the same kind.
#pragma once

#include <functional>

#include "uPrintDeepObject.h"

class TDataObject : public TPrintDeepObject {
 public:
  using TNameChangeEvent = std::function<void(TPrintObject* sender)>;

  // --- added virtual operations ---
  virtual int GetMenuCommandCount() { return 0; }
  virtual void GetMenuCommandCaption(int index, QString* text);
  virtual bool ExecuteMenuCommand(int index);
  virtual void NameChanged();
  // Removes the data but keeps the structure (documents turned into templates).
  virtual void ClearData();

  // --- overrides ---
  int GetKind() const override { return kindDataObject; }
  void GetCaption(QString* text) override;
  bool LoadFromQS(ICompoundStream* stream) override;
  bool SaveToQS(ICompoundStream* stream) override;
  bool LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  bool SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) override;
  void DumpProperties(QJsonObject* json) const override;

  // The user-visible name; the language text of the kind until one is set.
  QString Name() const;
  void SetName(const QString& text);
  void SetOnNameChange(TNameChangeEvent handler) { FOnNameChange = std::move(handler); }

  // Object files. Through the file dialogs: 0 done, 1 cancelled (or, on
  // loading, a file of another kind: "Error.AnotherObject" was shown), else
  // the storage's failure code or E_FAIL.
  HRESULT SaveObjectToFile();
  HRESULT LoadObjectFromFile();
  // The same without dialogs. Saving replaces the extension by ".kno" and
  // leaves an existing file untouched unless the whole object was written.
  HRESULT SaveObjectToPath(const QString& path);
  HRESULT LoadObjectFromPath(const QString& path);
  // ".kno" in place of the name's extension.
  static QString ObjectFileName(const QString& path);

 private:
  QString FName;
  bool FHasName = false;
  TNameChangeEvent FOnNameChange;
};
