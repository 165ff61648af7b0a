// Writes the shipped templates and their pictures:  mktemplates FOLDER
// (normally resources/template; the head files are taken from FOLDER/../hdr).
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "uDocumentKinds.h"
#include "uPictureKinds.h"
#include "uPrintDeepScale.h"
#include "uPrintDiagrammBase.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uPrintText.h"
#include "uSettings.h"
#include "uTableKinds.h"
#include "uTemplateSheets.h"

namespace {

// Only failures are worth a line: Qt's notes about the environment are not.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "mktemplates: %s\n", qUtf8Printable(text));
}

}  // namespace

int main(int argc, char* argv[]) {
  // Pictures are drawn with the program's fonts, never on a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(&QuietQtMessages);
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: mktemplates FOLDER\n");
    return 2;
  }
  // Whatever a settings file beside this program says plays no part.
  QTemporaryDir scratch;
  TSettings settings(scratch.filePath(QStringLiteral("Kerno.ini")));
  SetSettings(&settings);
  RegisterTextKinds();
  RegisterDepthScaleKinds();
  RegisterHeadKinds();
  RegisterDocumentKinds();
  RegisterTableKinds();
  RegisterCurvePlotKinds();
  RegisterStratColKinds();
  RegisterPictureKinds();
  QString error;
  if (!WriteTemplateSheets(QString::fromLocal8Bit(argv[1]), &error)) {
    std::fprintf(stderr, "mktemplates: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}
