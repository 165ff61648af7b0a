#include "uLithologyEditor.h"

#include "uLanguage.h"

// The one place the editor joins the program: stratCreateEditor of the sign
// library, with the language object and the notify procedure.
bool LithologyEditorAvailable() { return false; }

QString LithologyEditorUnavailableText() {
  return TranslateGeneral(QStringLiteral("LDBEditUnavailable"),
                          QStringLiteral("The lithology sign database editor is not part of this build yet"));
}

void OpenLithologyEditor(QWidget* parent) { (void)parent; }
