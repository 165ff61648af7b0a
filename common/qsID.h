// Typed access to compound streams for object code. Every function tolerates
// a null container: reads yield the default, writes report false. Reads never
// fail: a missing value, or one stored under another kind, gives the default.
// Strings are single-byte (Windows-1251) text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "uCompoundStreamIntf.h"

bool qsReadBool(ICompoundStream* s, int32_t id, bool def);
bool qsWriteBool(ICompoundStream* s, int32_t id, bool value);
int32_t qsReadInteger(ICompoundStream* s, int32_t id, int32_t def);
bool qsWriteInteger(ICompoundStream* s, int32_t id, int32_t value);
float qsReadSingle(ICompoundStream* s, int32_t id, float def);
double qsReadFloat(ICompoundStream* s, int32_t id, float def);
std::string qsReadShortStr(ICompoundStream* s, int32_t id, std::string_view def);
bool qsWriteShortStr(ICompoundStream* s, int32_t id, std::string_view value);
// A stored empty String reads back as `def`.
std::string qsReadString(ICompoundStream* s, int32_t id, std::string_view def);
bool qsWriteString(ICompoundStream* s, int32_t id, std::string_view value);
// Doubles with a double default (the interface's own ReadDouble/WriteDouble).
double qsReadDouble(ICompoundStream* s, int32_t id, double def);
bool qsWriteDouble(ICompoundStream* s, int32_t id, double value);
