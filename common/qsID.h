// Typed access to compound streams for object code. Every function tolerates
// a null container: reads yield the default, writes report false. Reads never
// fail: a missing value, or one stored under another kind, gives the default.
// Strings are single-byte (Windows-1251) text.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "uCompoundStreamIntf.h"

// The reads every object makes of its base values, inline: a load makes
// several per object.
inline bool qsReadBool(ICompoundStream* s, int32_t id, bool def) {
  if (!s) return def;
  int32_t v = def ? 1 : 0;
  if (s->ReadInteger(id, 0, def ? 1 : 0, &v) != S_OK) return def;
  return (v & 0xFF) != 0;
}
inline int32_t qsReadInteger(ICompoundStream* s, int32_t id, int32_t def) {
  if (!s) return def;
  int32_t v = def;
  if (s->ReadInteger(id, 0, def, &v) != S_OK) return def;
  return v;
}
bool qsWriteBool(ICompoundStream* s, int32_t id, bool value);
bool qsWriteInteger(ICompoundStream* s, int32_t id, int32_t value);
float qsReadSingle(ICompoundStream* s, int32_t id, float def);
double qsReadFloat(ICompoundStream* s, int32_t id, float def);
std::string qsReadShortStr(ICompoundStream* s, int32_t id, std::string_view def);
bool qsWriteShortStr(ICompoundStream* s, int32_t id, std::string_view value);
// The bytes of the String under `id` where the container keeps them (until
// it is next written, loaded or released): no copy. False, and no bytes, when
// the ID holds no String. A short string read is the first 255 of them.
bool qsViewString(ICompoundStream* s, int32_t id, std::string_view* bytes);
// A stored empty String reads back as `def`.
std::string qsReadString(ICompoundStream* s, int32_t id, std::string_view def);
bool qsWriteString(ICompoundStream* s, int32_t id, std::string_view value);
// Doubles with a double default (the interface's own ReadDouble/WriteDouble).
inline double qsReadDouble(ICompoundStream* s, int32_t id, double def) {
  if (!s) return def;
  double v = def;
  if (s->ReadDouble(id, 0, def, &v) != S_OK) return def;
  return v;
}
bool qsWriteDouble(ICompoundStream* s, int32_t id, double value);

// An object's values in one call each way (ICompoundStream2's WriteEntries and
// GetEntries; an object's save or load makes a few dozen value calls). Writes
// report false on a container without them (every container of the qs library
// has them); reads go ID by ID there. An absent ID's entry is {id, qsEmpty,
// nullptr, 0}.
bool qsWriteEntries(ICompoundStream* s, const TCompoundEntry* values, int32_t count);
void qsGetEntries(ICompoundStream* s, const int32_t* ids, int32_t count, TCompoundEntry* entries);
// The entry of a plain value to write: its bytes stay the caller's until written.
inline TCompoundEntry qsIntegerEntry(int32_t id, const int32_t& value) {
  return TCompoundEntry{id, qsInteger, const_cast<int32_t*>(&value), 4};
}
inline TCompoundEntry qsDoubleEntry(int32_t id, const double& value) {
  return TCompoundEntry{id, qsDouble, const_cast<double*>(&value), 8};
}
// Never of a temporary, whose bytes would be gone before the write.
TCompoundEntry qsIntegerEntry(int32_t id, const int32_t&& value) = delete;
TCompoundEntry qsDoubleEntry(int32_t id, const double&& value) = delete;
// What the typed reads give for an entry: the default unless it holds a value
// of the kind, of which a shorter one replaces only its own bytes.
template <class T>
T qsEntryValue(const TCompoundEntry& e, int32_t tag, T def) {
  if (e.Tag != tag || !e.Data) return def;
  // A whole value, the usual case, copies without a library call.
  if (e.Size >= sizeof def)
    std::memcpy(&def, e.Data, sizeof def);
  else
    std::memcpy(&def, e.Data, e.Size);
  return def;
}
inline int32_t qsEntryInteger(const TCompoundEntry& e, int32_t def) { return qsEntryValue(e, qsInteger, def); }
inline double qsEntryDouble(const TCompoundEntry& e, double def) { return qsEntryValue(e, qsDouble, def); }
inline bool qsEntryBool(const TCompoundEntry& e, bool def) { return (qsEntryInteger(e, def ? 1 : 0) & 0xFF) != 0; }
