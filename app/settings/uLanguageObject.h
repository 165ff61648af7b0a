// The program's language pack as a language object (ILanguage): what the
// program hands to the sign library's editor, so that its texts follow the
// pack the program shows.
#pragma once

#include "uComPtr.h"
#include "uLanguageIntf.h"

// A new object over the process-wide pack (see uLanguage.h): lookups answer
// as Translate does, loading replaces the pack for the whole program.
TComPtr<ILanguage> CreateLanguageObject();
