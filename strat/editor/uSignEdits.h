// Small edits of a sign that keep its parts consistent: its name lives in
// every one of its placement templates, its captions per language.
#pragma once

#include <QString>

#include "strat.h"

namespace stratedit {

QString SignName(IStratSign* sign);
// Renames the sign and every template of its own (templates find their
// picture by name); the name is cut to 255 Windows-1251 bytes.
HRESULT RenameSign(IStratSign* sign, const QString& name);
// The caption in `language`; with `fallback`, the English one, then the name.
QString SignCaption(IStratSign* sign, const QString& language, bool fallback);
// Sets (or, empty, removes) the caption in `language`.
HRESULT SetSignCaption(IStratSign* sign, const QString& language, const QString& caption);

}  // namespace stratedit
