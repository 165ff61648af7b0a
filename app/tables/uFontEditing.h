// The font dialog as model code reaches it: the dialog layer installs the
// editor, model objects ask for it by purpose ("Font" commands of tables and
// description columns). Headless runs have none and change nothing.
#pragma once

#include <QString>
#include <functional>

class TFontEx;

// Edits *font in place (the editor works on a copy and assigns it on OK);
// true when OK was pressed.
using TFontEditor = std::function<bool(TFontEx* font, const QString& caption)>;
void SetFontEditor(TFontEditor editor);
bool EditFontWithDialog(TFontEx* font, const QString& caption);
