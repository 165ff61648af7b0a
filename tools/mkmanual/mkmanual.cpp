// mkmanual HELPDIR OUT.pdf: the printable manual of one language's help pages.
#include <QGuiApplication>
#include <cstdio>

#include "uManual.h"

int main(int argc, char** argv) {
  // Fonts need a platform; no display is needed to lay out text.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkmanual HELPDIR OUT.pdf\n");
    return 2;
  }
  QString error;
  if (!WriteManual(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), &error)) {
    std::fprintf(stderr, "mkmanual: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}
