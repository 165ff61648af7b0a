// Typed access to compound streams for object code. Every function tolerates
// a null container: reads yield the default, writes report false. Reads never
// fail: a missing value, or one stored under another kind, gives the default.
// Strings are single-byte (Windows-1251) text.
#pragma once

#include <cstdint>
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
