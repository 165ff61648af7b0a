// Builds the default lithology database: every sign a seamless 10 mm x 10 mm
// tile drawn with QPainter into an enhanced metafile, named by its rock code,
// with English and Russian captions. Writes the database, the code list beside
// it and, on request, a sheet of every sign drawn through the library.
//
//   mkdefaultlsd OUT.lsd [--sheet SHEET.png]
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "uDefaultSigns.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: mkdefaultlsd OUT.lsd [--sheet SHEET.png]\n");
    return 2;
  }
  const std::string out = argv[1];
  QString sheet;
  for (int i = 2; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--sheet") sheet = QString::fromLocal8Bit(argv[i + 1]);

  QString error;
  TComPtr<IStratDataBase> database = BuildDefaultDataBase(&error);
  if (!database) {
    std::fprintf(stderr, "mkdefaultlsd: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  const HRESULT hr = stratSave(out.c_str(), database.Get());
  if (hr != S_OK) {
    std::fprintf(stderr, "mkdefaultlsd: cannot write %s (0x%08X)\n", out.c_str(), static_cast<unsigned>(hr));
    return 1;
  }
  const QFileInfo info(QFile::decodeName(out.c_str()));
  QFile text(info.dir().filePath(info.completeBaseName() + QStringLiteral(".txt")));
  const QByteArray list = DefaultCodeList();
  if (!text.open(QIODevice::WriteOnly | QIODevice::Truncate) || text.write(list) != list.size()) {
    std::fprintf(stderr, "mkdefaultlsd: cannot write the code list\n");
    return 1;
  }
  if (!sheet.isEmpty()) {
    TComPtr<IStratDataBase> reloaded;
    stratCreateDataBase(reloaded.Put());
    if (stratLoad(out.c_str(), reloaded.Get()) != S_OK || !RenderSignSheet(reloaded.Get(), 150).save(sheet)) {
      std::fprintf(stderr, "mkdefaultlsd: cannot render the sheet\n");
      return 1;
    }
  }
  std::printf("%d signs written to %s\n", database->SignCount(), out.c_str());
  return 0;
}
