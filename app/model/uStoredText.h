// Stored text as QString. Documents keep text in Windows-1251; these decode
// the bytes where the compound stream container keeps them, with one
// allocation for the QString and no UTF-8 step in between (a head's
// parameters and texts are hundreds of strings per load).
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

struct ICompoundStream;

QString Cp1251Text(std::string_view bytes);
// The short string under `id` (its first 255 bytes); empty when the ID holds no String.
QString qsReadText(ICompoundStream* s, int32_t id);
// The text a value kept in both forms stands for: the full String under
// `longId` when it holds one that is not empty, else the short string under `shortId`.
QString qsReadFullText(ICompoundStream* s, int32_t shortId, int32_t longId);
