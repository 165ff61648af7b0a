#include "uPrintDeepScale.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uPreferences.h"
#include "uPropertiesDialogs.h"
#include "uStorage.h"
#include "uStreamViewReader.h"

namespace {

constexpr int32_t idRullerCount = 6144;
constexpr size_t kTypicalRullers = 4;

const QString kRullerKey = QStringLiteral("RULLER");
const QString kFontKeys = QStringLiteral(".FONT.");
const QString kBorderKey = QStringLiteral("BORDER");

QString StreamName(int index) { return QStringLiteral("ruller") + QString::number(index); }

// The same name for reading, built without a QString: a document reads
// thousands of them.
std::u16string_view StreamNameView(size_t index, char16_t (&buffer)[32]) {
  constexpr std::u16string_view kPrefix = u"ruller";
  std::copy(kPrefix.begin(), kPrefix.end(), buffer);
  char16_t digits[20];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + index % 10);
    index /= 10;
  } while (index > 0);
  for (size_t i = 0; i < n; ++i) buffer[kPrefix.size() + i] = digits[n - 1 - i];
  return {buffer, kPrefix.size() + n};
}

// Removes the keys of `section` that start with `prefix` (names compare without case).
bool DeleteKeysStartingWith(TIniFile* ini, const QString& section, const QString& prefix) {
  bool ok = true;
  for (const QString& key : ini->ReadSection(section))
    if (key.startsWith(prefix, Qt::CaseInsensitive)) ok = ini->DeleteKey(section, key) && ok;
  return ok;
}

}  // namespace

TPrintDeepScale::TPrintDeepScale() {
  // Room for the few rulers a scale has (a load replaces the default one),
  // so that loading them takes no second block.
  FRullers.reserve(kTypicalRullers);
  FRullers.emplace_back().SetModulus(1000.0 / ValidScale(GetVertScale(), kDefaultVertScale));
}

void TPrintDeepScale::SetRullers(const TRullerList& rulers) {
  FRullers = rulers;
  SetModified(true);
}

void TPrintDeepScale::Assign(TPrintObject* source) {
  TPrintDeepObject::Assign(source);
  if (auto* scale = dynamic_cast<TPrintDeepScale*>(source)) FRullers = scale->FRullers;
}

void* TPrintDeepScale::GetFont() {
  for (auto it = FRullers.rbegin(); it != FRullers.rend(); ++it)
    if (it->HasFont()) return it->Font();
  return nullptr;
}

bool TPrintDeepScale::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::LoadFromQS(stream)) return false;
  // The rulers' values come from their own streams (LoadFromStorage); until
  // then, and for a stream that has none, they are default rulers.
  const int32_t count = std::clamp(qsReadInteger(stream, idRullerCount, 1), 0, kMaxRullers);
  FRullers.clear();
  FRullers.resize(static_cast<size_t>(count));
  return true;
}

bool TPrintDeepScale::SaveToQS(ICompoundStream* stream) {
  if (!TPrintDeepObject::SaveToQS(stream)) return false;
  return qsWriteInteger(stream, idRullerCount, static_cast<int32_t>(FRullers.size()));
}

bool TPrintDeepScale::LoadFromStorage(TStorage* storage) {
  if (!TPrintDeepObject::LoadFromStorage(storage)) return false;
  // A ruler whose stream is missing or unreadable keeps its default values.
  // The streams are read in place, through one container for all of them.
  // Reading a ruler's values never fails half-way: each value read gives its
  // default when missing.
  TStreamViewReader reader;
  char16_t name[32];
  for (size_t i = 0; i < FRullers.size(); ++i)
    if (ICompoundStream* qs = reader.Read(storage, StreamNameView(i, name))) FRullers[i].LoadFromQS(qs);
  return true;
}

bool TPrintDeepScale::SaveToStorage(TStorage* storage) {
  if (!TPrintDeepObject::SaveToStorage(storage)) return false;
  for (size_t i = 0; i < FRullers.size(); ++i) {
    TComPtr<IStream> stream;
    if (storage->CreateStream(StreamName(static_cast<int>(i)), stream.Put()) != S_OK ||
        !FRullers[i].SaveToStream(stream.Get())) {
      FModified = true;  // the save is not complete
      return false;
    }
  }
  return true;
}

bool TPrintDeepScale::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::LoadFromIni(ini, section, prefix)) return false;
  FRullers = LoadRullersFromIni(ini, section, prefix);
  return true;
}

bool TPrintDeepScale::SaveToIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!TPrintDeepObject::SaveToIni(ini, section, prefix)) return false;
  return SaveRullersToIni(ini, section, prefix, FRullers);
}

void TPrintDeepScale::Draw(TDrawContext& context) {
  if (GetWidth() <= 0 || GetHeight() <= 0) return;
  if (context.Has(doBorders)) {
    if (!GetPixelRect(context).Intersects(context.ClipRect)) return;
    for (const TRuller& r : FRullers) r.DrawDepthMarks(context, *this);
  }
  TPrintDeepObject::Draw(context);
}

bool TPrintDeepScale::EditProperties() {
  if (!RunPropertiesDialog(QStringLiteral("TPrintDeepScale"), this)) return false;
  SetModified(true);
  Invalidate(this);
  return true;
}

void TPrintDeepScale::ScaleChanged(uint16_t oldScale, uint16_t newScale) {
  if (oldScale > 0 && newScale > 0 && oldScale != newScale) {
    for (TRuller& r : FRullers) r.SetModulus(r.Modulus() * oldScale / newScale);
    SetModified(true);
  }
  TPrintDeepObject::ScaleChanged(oldScale, newScale);
}

void TPrintDeepScale::DumpProperties(QJsonObject* json) const {
  TPrintDeepObject::DumpProperties(json);
  if (!json) return;
  QJsonArray rulers;
  for (const TRuller& r : FRullers) {
    QJsonObject item;
    item[QStringLiteral("step")] = r.Step();
    item[QStringLiteral("modulus")] = r.Modulus();
    item[QStringLiteral("markSize")] = r.MarkSize();
    item[QStringLiteral("right")] = r.Right();
    item[QStringLiteral("font")] = r.HasFont() ? QJsonValue(FontToJson(*r.Font())) : QJsonValue();
    rulers.append(item);
  }
  (*json)[QStringLiteral("rulers")] = rulers;
}

TRullerList LoadRullersFromIni(const TIniFile* ini, const QString& section, const QString& prefix) {
  TRullerList rulers;
  if (!ini) return rulers;
  for (int n = 1; n <= kMaxRullers; ++n) {
    const QString key = prefix + kRullerKey + QString::number(n);
    if (ini->ReadString(section, key, QString()).isEmpty()) break;
    TRuller r;
    r.LoadFromIni(ini, section, key);
    rulers.push_back(r);
  }
  return rulers;
}

bool SaveRullersToIni(TIniFile* ini, const QString& section, const QString& prefix, const TRullerList& rulers) {
  if (!ini || section.isEmpty()) return false;
  bool ok = true;
  int n = 1;
  for (const TRuller& r : rulers) {
    const QString key = prefix + kRullerKey + QString::number(n++);
    // Font keys of an earlier save must not outlive the font.
    if (!r.HasFont()) ok = DeleteKeysStartingWith(ini, section, key + kFontKeys) && ok;
    ok = r.SaveToIni(ini, section, key) && ok;
  }
  // Entries beyond the list, left from a longer one, would be read back.
  for (;; ++n) {
    const QString key = prefix + kRullerKey + QString::number(n);
    if (!ini->ValueExists(section, key)) break;
    ok = ini->DeleteKey(section, key) && ok;
    ok = DeleteKeysStartingWith(ini, section, key + kFontKeys) && ok;
  }
  return ok;
}

bool LoadDepthScaleProfile(const TPreferences& store, int index, bool* border, TRullerList* rulers) {
  const QString section = store.SectionName(kindDeepScale, index);
  if (section.isEmpty() || !store.Ini().SectionExists(section)) return false;
  if (border) *border = store.Ini().ReadBool(section, kBorderKey, false);
  if (rulers) *rulers = LoadRullersFromIni(&store.Ini(), section, QString());
  return true;
}

bool SaveDepthScaleProfile(TPreferences& store, const QString& name, bool border, const TRullerList& rulers) {
  const QString section = store.FindOrAdd(kindDeepScale, name);
  if (section.isEmpty()) return false;
  bool ok = store.Ini().WriteBool(section, kBorderKey, border);
  ok = SaveRullersToIni(&store.Ini(), section, QString(), rulers) && ok;
  return ok;
}

void RegisterDepthScaleKinds() {
  RegisterKind(kindDeepScale, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintDeepScale>(); });
}
