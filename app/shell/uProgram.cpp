#include "uProgram.h"

#include <QApplication>

#include "uKernoMainForm.h"
#include "uQtUiServices.h"
#include "uRegistration.h"
#include "uSingleInstance.h"
#include "uUiServices.h"

int RunProgram(int& argc, char** argv, const QStringList& args) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kerno"));
  // Ties the windows to the installed menu entry ("kerno.desktop"): its icon
  // and name in the task bar, on Wayland too.
  QGuiApplication::setDesktopFileName(QStringLiteral("kerno"));
  if (HandArgumentsOver(args)) return 0;
  RegisterDialogs();
  TQtUiServices ui;
  SetUiServices(&ui);
  int status = 0;
  {
    TkrKernoMainForm frame;
    // Another instance started with "/multi" keeps the name; this one then
    // simply does not answer.
    frame.ListenForInstances();
    frame.SetStartArguments(args);
    frame.showMaximized();
    status = QApplication::exec();
  }
  SetUiServices(nullptr);
  return status;
}
