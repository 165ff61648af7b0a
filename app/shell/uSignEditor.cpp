#include "uSignEditor.h"

#include <QApplication>
#include <QFile>

#include "strat.h"
#include "uCodePage.h"
#include "uLanguage.h"
#include "uLanguageObject.h"
#include "uLanguageUi.h"

int RunSignEditor(const QString& path) {
  // Without its pack the editor speaks English; that is no reason to refuse.
  LoadLanguage(LanguagePackPath());
  InstallQtTranslation();
  TComPtr<ILanguage> language = CreateLanguageObject();
  const QByteArray file = QFile::encodeName(path);
  const std::string caption = Utf8ToCp1251(TranslateGeneral("LDBEdit", "Database").toStdString());
  if (!stratCreateEditor(nullptr, nullptr, path.isEmpty() ? nullptr : file.constData(), caption.c_str(), nullptr,
                         nullptr, language.Get()))
    return 1;
  return QApplication::exec();
}
