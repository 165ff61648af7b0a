#include "uNamedValueList.h"

#include <QVarLengthArray>
#include <algorithm>

#include "qs.h"
#include "qsID.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uImportColumns.h"
#include "uStoredText.h"

namespace {

constexpr int32_t idDefaultValue = 1;
constexpr int32_t idDelimiter = 2;
constexpr int32_t idCount = 10;
constexpr int32_t idFirstName = 1000;
constexpr int32_t idFirstValue = 2000;
// Names and values longer than a short string keep their full text here as
// well (short strings stop at 255 characters); readers that know only the
// short form still get the first 255.
constexpr int32_t idFirstLongName = 3000;
constexpr int32_t idFirstLongValue = 4000;
constexpr size_t kShortLimit = 255;

std::string ToBytes(const QString& s) { return Utf8ToCp1251(s.toStdString()); }
QString FromBytes(const std::string& s) { return QString::fromStdString(Cp1251ToUtf8(s)); }

bool WriteText(ICompoundStream* stream, int32_t shortId, int32_t longId, const QString& text) {
  const std::string bytes = ToBytes(text);
  if (!qsWriteShortStr(stream, shortId, bytes)) return false;
  return bytes.size() <= kShortLimit || qsWriteString(stream, longId, bytes);
}

TNamedValuesEditor& Editor() {
  static TNamedValuesEditor editor;
  return editor;
}

}  // namespace

int TNamedValueList::IndexOf(const QString& name) const {
  const auto it = FIndex.constFind(name);
  return it == FIndex.constEnd() ? -1 : *it;
}

QString TNamedValueList::ValueOf(const QString& name) const {
  const int i = IndexOf(name);
  return i < 0 ? DefaultValue : FItems[static_cast<size_t>(i)].Value;
}

bool TNamedValueList::SetValue(const QString& name, const QString& value) {
  // One look-up of the name whether it is there or not (a load sets every value).
  const qsizetype before = FIndex.size();
  int& slot = FIndex[name];
  if (FIndex.size() == before) {
    FItems[static_cast<size_t>(slot)].Value = value;
    return true;
  }
  if (Count() >= kMaxCount) {
    FIndex.remove(name);
    return false;
  }
  slot = Count();
  FItems.push_back({name, value});
  return true;
}

void TNamedValueList::SetValueAt(int index, const QString& value) {
  if (index >= 0 && index < Count()) FItems[static_cast<size_t>(index)].Value = value;
}

void TNamedValueList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
  Reindex();
}

void TNamedValueList::Clear() {
  FItems.clear();
  FIndex.clear();
}

void TNamedValueList::Assign(const TNamedValueList& source) {
  if (&source == this) return;
  Delimiter = source.Delimiter;
  DefaultValue = source.DefaultValue;
  FItems = source.FItems;
  FIndex = source.FIndex;
}

bool TNamedValueList::operator==(const TNamedValueList& other) const {
  return Delimiter == other.Delimiter && DefaultValue == other.DefaultValue && FItems == other.FItems;
}

void TNamedValueList::Reindex() {
  FIndex.clear();
  FIndex.reserve(Count());
  for (int i = 0; i < Count(); ++i) FIndex.insert(FItems[static_cast<size_t>(i)].Name, i);
}

void TNamedValueList::Scan(const QString& text, const std::function<void(QStringView)>& literal,
                           const std::function<void(QStringView)>& name) const {
  const QStringView view(text);
  const qsizetype n = view.size();
  qsizetype i = 0;
  while (i < n) {
    if (view[i] != Delimiter) {
      qsizetype j = view.indexOf(Delimiter, i);
      if (j < 0) j = n;
      literal(view.mid(i, j - i));
      i = j;
      continue;
    }
    if (i + 1 == n) break;  // a lone delimiter at the very end
    if (view[i + 1] == Delimiter) {
      literal(view.mid(i, 1));
      i += 2;
      continue;
    }
    const qsizetype close = view.indexOf(Delimiter, i + 1);
    if (close < 0) {
      literal(view.mid(i));  // never closed: kept as written
      break;
    }
    name(view.mid(i + 1, close - i - 1));
    i = close + 1;
  }
}

QString TNamedValueList::Expand(const QString& text) const {
  // The pieces are gathered on the stack and the result made in one block
  // (growing a string piece by piece took two or three: a head's texts are
  // expanded on every load and repaint).
  QVarLengthArray<QChar, 256> out;
  const auto append = [&out](QStringView part) {
    const qsizetype room = kMaxExpandedLength - out.size();
    if (room > 0) out.append(part.constData(), std::min(room, part.size()));
  };
  // The name is looked up where the text holds it, without a copy.
  Scan(text, append, [&](QStringView name) {
    const int i = IndexOf(QString::fromRawData(name.constData(), name.size()));
    append(i < 0 ? DefaultValue : FItems[static_cast<size_t>(i)].Value);
  });
  if (out.isEmpty()) {
    QString empty;
    empty.reserve(text.size());
    return empty;
  }
  return QString(out.constData(), out.size());
}

QStringList TNamedValueList::NamesIn(const QString& text) const {
  QStringList names;
  Scan(
      text, [](QStringView) {}, [&](QStringView name) { names << name.toString(); });
  return names;
}

int TNamedValueList::AddNamesFrom(const QString& text) {
  int added = 0;
  Scan(
      text, [](QStringView) {},
      [&](QStringView view) {
        const QString name = view.toString();
        if (!Contains(name) && SetValue(name, QString())) ++added;
      });
  return added;
}

bool TNamedValueList::LoadFromQS(ICompoundStream* stream) {
  if (!stream) return false;
  DefaultValue = FromBytes(qsReadShortStr(stream, idDefaultValue, ToBytes(DefaultValue)));
  uint8_t byte = 0;
  uint32_t size = 1;
  if (stream->ReadData(idDelimiter, 0, &byte, &size) == S_OK && size == 1) {
    const QString d = QString::fromStdString(Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1)));
    if (d.size() == 1) Delimiter = d[0];
  }
  // A damaged count cannot ask for more entries than the form can hold.
  const int count = std::clamp(qsReadInteger(stream, idCount, 0), 0, kMaxCount);
  FItems.reserve(FItems.size() + static_cast<size_t>(count));
  FIndex.reserve(FIndex.size() + count);
  for (int i = 0; i < count; ++i) {
    const QString name = qsReadFullText(stream, idFirstName + i, idFirstLongName + i);
    if (name.isEmpty()) continue;  // a missing entry
    SetValue(name, qsReadFullText(stream, idFirstValue + i, idFirstLongValue + i));
  }
  return true;
}

bool TNamedValueList::SaveToQS(ICompoundStream* stream) const {
  if (!stream) return false;
  if (!qsWriteShortStr(stream, idDefaultValue, ToBytes(DefaultValue))) return false;
  const std::string bytes = ToBytes(QString(Delimiter));
  const char delimiter = bytes.size() == 1 ? bytes[0] : '%';  // '%' for a character the code page lacks
  if (stream->WriteBuffer(idDelimiter, &delimiter, 1) != S_OK) return false;
  if (!qsWriteInteger(stream, idCount, Count())) return false;
  for (int i = 0; i < Count(); ++i) {
    const TNamedValue& item = FItems[static_cast<size_t>(i)];
    if (!WriteText(stream, idFirstName + i, idFirstLongName + i, item.Name)) return false;
    if (!WriteText(stream, idFirstValue + i, idFirstLongValue + i, item.Value)) return false;
  }
  return true;
}

bool TNamedValueList::LoadFromStream(IStream* stream) {
  if (!stream) return false;
  TComPtr<ICompoundStream> qs;
  if (qsCreateFromStream(stream, qs.Put()) != S_OK || !qs) return false;
  return LoadFromQS(qs.Get());
}

bool TNamedValueList::SaveToStream(IStream* stream) const {
  if (!stream) return false;
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  if (!qs || !SaveToQS(qs.Get())) return false;
  return qsSaveToStream(qs.Get(), stream) == S_OK;
}

HRESULT TNamedValueList::ImportWithDialog(QString* error) {
  TColumnImport import(QStringLiteral("Table.Values"), 2);
  const HRESULT hr = RunColumnImport(&import);
  if (error) *error = import.Table.LastError();
  if (hr != S_OK) return hr;
  for (int i = 0; i < import.ValueCount(); ++i) {
    const QString name = import.Value(1, i).trimmed();
    if (name.isEmpty()) continue;  // a blank row names nothing a text could show
    if (!SetValue(name, import.Value(2, i))) break;
  }
  return S_OK;
}

bool TNamedValueList::EditWithDialog() {
  if (!Editor()) return false;
  TNamedValueList copy;
  copy.Assign(*this);
  if (!Editor()(&copy)) return false;
  Assign(copy);
  return true;
}

void SetNamedValuesEditor(TNamedValuesEditor editor) { Editor() = std::move(editor); }
