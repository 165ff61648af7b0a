// Writes the shipped head files:  mkheads FOLDER  (normally resources/hdr).
#include <QCoreApplication>
#include <cstdio>

#include "uHeadSheets.h"

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkheads FOLDER\n");
    return 2;
  }
  QString error;
  if (!WriteHeadSheets(QString::fromLocal8Bit(argv[1]), &error)) {
    std::fprintf(stderr, "mkheads: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}
