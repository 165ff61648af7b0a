#include "uFontEditing.h"

namespace {

TFontEditor& Editor() {
  static TFontEditor editor;
  return editor;
}

}  // namespace

void SetFontEditor(TFontEditor editor) { Editor() = std::move(editor); }

bool EditFontWithDialog(TFontEx* font, const QString& caption) { return font && Editor() && Editor()(font, caption); }
