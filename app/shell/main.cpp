// Kerno: with a command ("--dump", "--resave", ...) it runs headless and
// exits; "--edit-lsd [FILE]" opens the sign database editor; otherwise the
// program opens with the files named, if any.
#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "uCommandLine.h"
#include "uProgram.h"
#include "uRegistration.h"
#include "uScriptedUi.h"
#include "uSignEditor.h"

namespace {

// A headless command reports in one line: Qt's own notes about the
// environment (no runtime folder, no display) are not the command's.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "Kerno: %s\n", qUtf8Printable(text));
}

}  // namespace

int main(int argc, char* argv[]) {
  RegisterKinds();
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  if (const TCommandLineCommand* command = FindCommand(args)) {
    // Fonts and PDF pages need a GUI application, never a display: commands
    // run on the offscreen platform whatever the environment says.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(&QuietQtMessages);
    QGuiApplication app(argc, argv);
    // Nothing may wait for a user: questions get their silent answers, and
    // what the model would show in a box goes to standard error.
    TScriptedUi ui;
    ui.EchoMessages = true;
    TScopedUi scoped(&ui);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCommand(*command, args, out, err);
  }
  if (!args.isEmpty() && args[0] == QStringLiteral("--edit-lsd")) {
    QApplication app(argc, argv);
    return RunSignEditor(args.value(1));
  }
  if (!args.isEmpty() && args[0].startsWith(QStringLiteral("--"))) {
    std::fprintf(stderr, "Kerno: unknown option %s\n", qPrintable(args[0]));
    return 2;
  }
  return RunProgram(argc, argv, args);
}
