// The editor's exports: opening the database editor window and closing the
// windows of an opener that goes away.
#include <QApplication>
#include <QFile>

#include "strat.h"
#include "uFStrat.h"
#include "uStratTexts.h"

using namespace stratedit;

KERNO_EXPORT bool stratCreateEditor(void* /*owner*/, IStratDataBase* database, const char* path, const char* caption,
                                    TStratNotifyProc notify, void* notifyData, IUnknown* language) {
  // Windows need a widget application; a headless caller gets a refusal, not an abort.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  SetLanguage(language);
  auto* window = new TFStrat();
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (database) window->SetDataBase(database, true);
  if (path && *path) window->LoadFile(QFile::decodeName(path));
  if (caption && *caption) window->setWindowTitle(FromAnsi(caption));
  window->SetNotify(notify, notifyData);
  window->show();
  return true;
}

KERNO_EXPORT int32_t stratCloseEditors(void* notifyData) {
  if (!notifyData || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  int32_t closed = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* editor = qobject_cast<TFStrat*>(widget);
    if (!editor || editor->NotifyData() != notifyData) continue;
    editor->DetachNotify();
    editor->close();
    ++closed;
  }
  return closed;
}
