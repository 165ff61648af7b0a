#include "uDataObject.h"

#include <QFileInfo>
#include <QJsonObject>

#include "qsID.h"
#include "uCodePage.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uObjectFile.h"
#include "uStorage.h"
#include "uStoredText.h"
#include "uUiServices.h"

namespace {

constexpr int32_t idName = 5;
const QString kObjectFilter = QStringLiteral("Kerno object (KNO)|*.kno");

}  // namespace

void TDataObject::GetMenuCommandCaption(int, QString* text) {
  if (text) *text = QStringLiteral("<none>");
}

bool TDataObject::ExecuteMenuCommand(int) { return false; }

void TDataObject::NameChanged() {
  if (auto* p = dynamic_cast<TDataObject*>(FParent)) p->NameChanged();
}

void TDataObject::ClearData() {
  for (int i = 0; i < Count(); ++i)
    if (auto* d = dynamic_cast<TDataObject*>(GetChild(i))) d->ClearData();
}

QString TDataObject::Name() const { return FHasName ? FName : TranslateKindName(GetKind()); }

void TDataObject::SetName(const QString& text) {
  FName = text;
  FHasName = true;
  NameChanged();
  SetModified(true);
  if (FOnNameChange) FOnNameChange(this);
}

void TDataObject::GetCaption(QString* text) {
  if (text) *text = Name();
}

bool TDataObject::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::LoadFromQS(stream)) return false;
  TCompoundEntry entry{};
  if (stream->GetEntry(idName, &entry) == S_OK && entry.Tag == qsString) {
    FName = qsReadText(stream, idName);
    FHasName = true;
  } else {
    FName = TranslateKindName(GetKind());
    FHasName = true;
  }
  return true;
}

bool TDataObject::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::SaveToQS(stream)) return false;
  return qsWriteShortStr(stream, idName, Utf8ToCp1251(Name().toStdString()));
}

bool TDataObject::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::LoadFromIni(ini, section, prefix)) return false;
  // A template may name its blocks and columns in each language.
  FName = ReadTranslatedIni(*ini, section, prefix + QStringLiteral("NAME"), Name());
  FHasName = true;
  return true;
}

bool TDataObject::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  ini->WriteString(section, prefix + QStringLiteral("NAME"), Name());
  return TPrintDeepObject::SaveToIni(ini, section, prefix);
}

void TDataObject::DumpProperties(QJsonObject* json) const {
  TPrintDeepObject::DumpProperties(json);
  if (json) (*json)[QStringLiteral("name")] = Name();
}

QString TDataObject::ObjectFileName(const QString& path) {
  const QFileInfo info(path);
  const QString suffix = info.suffix();
  QString base = path;
  if (!suffix.isEmpty() && !info.fileName().startsWith(QLatin1Char('.'))) base.chop(suffix.size() + 1);
  return base + QStringLiteral(".kno");
}

namespace {
// Open and save dialogs of single-object files.
TFileDialogOptions ObjectFileDialogOptions() {
  TFileDialogOptions options;
  options.Filter = kObjectFilter;
  options.DefaultSuffix = QStringLiteral("kno");
  return options;
}
}  // namespace

HRESULT TDataObject::SaveObjectToFile() {
  const TFileDialogOptions options = ObjectFileDialogOptions();
  QString fileName;
  int filterIndex = 1;
  if (!Ui().SaveFileName(options, &fileName, &filterIndex)) return R_CANCELLED;
  return SaveObjectToPath(fileName);
}

HRESULT TDataObject::SaveObjectToPath(const QString& path) { return SaveObjectFile(this, ObjectFileName(path)); }

HRESULT TDataObject::LoadObjectFromFile() {
  const TFileDialogOptions options = ObjectFileDialogOptions();
  QString fileName;
  int filterIndex = 1;
  if (!Ui().OpenFileName(options, &fileName, &filterIndex)) return R_CANCELLED;
  return LoadObjectFromPath(fileName);
}

HRESULT TDataObject::LoadObjectFromPath(const QString& path) {
  HRESULT hr = S_OK;
  auto storage = TStorage::OpenFile(path, &hr);
  if (!storage) return hr;
  CheckFileVersion(storage.get());
  const int kind = ReadStorageKind(storage.get());
  if (kind != GetKind()) {
    const QString text = Translate(QStringLiteral("CONFIRM"), QStringLiteral("Error.AnotherObject"),
                                   QStringLiteral("File has obect \"%s\" and can't be load to object \"%s\""));
    Ui().Message(TMsgKind::Error, QString(), SubstituteArgs(text, {TranslateKindName(kind), Name()}), mbOK);
    return R_CANCELLED;
  }
  const QString name = Name();
  const double left = FLeft;
  const double top = FTop;
  if (!LoadFromStorage(storage.get())) return E_FAIL;
  SetName(name);
  SetLeft(left);
  SetTop(top);
  Changed();
  return S_OK;
}
