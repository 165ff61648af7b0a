#include "qsID.h"

#include <limits>

#include "uComPtr.h"

bool qsWriteBool(ICompoundStream* s, int32_t id, bool value) { return s && s->WriteInteger(id, value ? 1 : 0) == S_OK; }

bool qsWriteInteger(ICompoundStream* s, int32_t id, int32_t value) { return s && s->WriteInteger(id, value) == S_OK; }

float qsReadSingle(ICompoundStream* s, int32_t id, float def) {
  if (!s) return def;
  double v = def;
  if (s->ReadDouble(id, 0, def, &v) != S_OK) return def;
  return static_cast<float>(v);
}

double qsReadFloat(ICompoundStream* s, int32_t id, float def) {
  if (!s) return def;
  double v = def;
  if (s->ReadDouble(id, 0, def, &v) != S_OK) return def;
  return v;
}

bool qsWriteDouble(ICompoundStream* s, int32_t id, double value) { return s && s->WriteDouble(id, value) == S_OK; }

std::string qsReadShortStr(ICompoundStream* s, int32_t id, std::string_view def) {
  if (!s) return std::string(def);
  TShortString result{};
  if (s->ReadShortString(id, 0, MakeShortString(def), &result) != S_OK) return std::string(def);
  return ShortStringText(result);
}

bool qsWriteShortStr(ICompoundStream* s, int32_t id, std::string_view value) {
  return s && s->WriteShortString(id, MakeShortString(value)) == S_OK;
}

bool qsViewString(ICompoundStream* s, int32_t id, std::string_view* bytes) {
  *bytes = {};
  TCompoundEntry entry{};
  if (!s || s->GetEntry(id, &entry) != S_OK || entry.Tag != qsString) return false;
  if (entry.Size) *bytes = std::string_view(static_cast<const char*>(entry.Data), entry.Size);
  return true;
}

std::string qsReadString(ICompoundStream* s, int32_t id, std::string_view def) {
  if (!s) return std::string(def);
  TComPtr<ICompoundStream2> s2 = TComPtr<ICompoundStream>(s).As<ICompoundStream2>(IID_ICompoundStream2);
  if (!s2) return qsReadShortStr(s, id, def);
  uint32_t length = 0;
  if (s2->ReadString(id, nullptr, &length) != S_OK || length == 0) return std::string(def);
  std::string text(length, '\0');
  uint32_t got = length;
  if (s2->ReadString(id, text.data(), &got) != S_OK || got != length) return std::string(def);
  return text;
}

bool qsWriteString(ICompoundStream* s, int32_t id, std::string_view value) {
  if (!s) return false;
  TComPtr<ICompoundStream2> s2 = TComPtr<ICompoundStream>(s).As<ICompoundStream2>(IID_ICompoundStream2);
  if (!s2) return qsWriteShortStr(s, id, value);
  if (value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  return s2->WriteString(id, value.data(), static_cast<int32_t>(value.size())) == S_OK;
}

bool qsWriteEntries(ICompoundStream* s, const TCompoundEntry* values, int32_t count) {
  if (!s) return false;
  ICompoundStream2* s2 = nullptr;
  if (s->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(&s2)) != S_OK || !s2) return false;
  const HRESULT hr = s2->WriteEntries(values, count);
  s2->Release();
  return hr == S_OK;
}

void qsGetEntries(ICompoundStream* s, const int32_t* ids, int32_t count, TCompoundEntry* entries) {
  if (count <= 0 || !ids || !entries) return;
  ICompoundStream2* s2 = nullptr;
  if (s && s->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(&s2)) == S_OK && s2) {
    const HRESULT hr = s2->GetEntries(ids, count, entries);
    s2->Release();
    if (Succeeded(hr)) return;
  }
  for (int32_t i = 0; i < count; ++i)
    if (!s || s->GetEntry(ids[i], &entries[i]) != S_OK) entries[i] = TCompoundEntry{ids[i], qsEmpty, nullptr, 0};
}
