// Kerno: with a command ("--dump", "--resave", ...) it runs headless and
// exits; otherwise it opens the viewer on the file named, if any.
#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "uCommandLine.h"
#include "uFConfirmListIndex.h"
#include "uPrintDeepScale.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uScriptedUi.h"
#include "uViewer.h"

namespace {

// Every subsystem's object kinds, one line each.
void RegisterKinds() {
  RegisterTextKinds();
  RegisterDepthScaleKinds();
  RegisterHeadKinds();
}

}  // namespace

int main(int argc, char* argv[]) {
  RegisterKinds();
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  if (const TCommandLineCommand* command = FindCommand(args)) {
    QCoreApplication app(argc, argv);
    // Nothing may wait for a user: questions get their silent answers.
    TScriptedUi ui;
    ui.EchoMessages = true;
    TScopedUi scoped(&ui);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCommand(*command, args, out, err);
  }
  if (!args.isEmpty() && args[0].startsWith(QStringLiteral("--"))) {
    std::fprintf(stderr, "Kerno: unknown option %s\n", qPrintable(args[0]));
    return 2;
  }
  QApplication app(argc, argv);
  RegisterTableDialogs();
  return RunViewer(args.value(0));
}
