#include "uLithologyEditor.h"

#include <string>

#include "strat.h"
#include "uCodePage.h"
#include "uLanguage.h"
#include "uLanguageObject.h"

// The one place the editor joins the program: stratCreateEditor of the sign
// library with the language object; the frame is the editors' notify data, so
// that it can close them when it goes.
bool OpenLithologyEditor(QWidget* frame) {
  TComPtr<ILanguage> language = CreateLanguageObject();
  const std::string caption =
      Utf8ToCp1251(TranslateGeneral(QStringLiteral("LDBEdit"), QStringLiteral("Database")).toStdString());
  return stratCreateEditor(frame, nullptr, nullptr, caption.c_str(), nullptr, frame, language.Get());
}

int CloseLithologyEditors(QWidget* frame) { return stratCloseEditors(frame); }
