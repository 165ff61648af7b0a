#include "uCommandLine.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "uComPtr.h"
#include "uDocumentCommands.h"
#include "uKinds.h"
#include "uLanguage.h"
#include "uObjectFile.h"
#include "uPrintDocument.h"
#include "uPrintObjectList.h"
#include "uSample.h"
#include "uSettings.h"
#include "uStorage.h"
#include "uTableToText.h"

namespace {

QJsonObject StorageTree(TStorage* storage, const QString& name) {
  QJsonObject node;
  node[QStringLiteral("name")] = name;
  node[QStringLiteral("type")] = QStringLiteral("storage");
  QJsonArray children;
  for (const TStorageElement& e : storage->Elements()) {
    if (e.IsStorage) {
      TStorage* sub = nullptr;
      if (storage->OpenStorage(e.Name, &sub) == S_OK) children.append(StorageTree(sub, e.Name));
      continue;
    }
    QJsonObject stream;
    stream[QStringLiteral("name")] = e.Name;
    stream[QStringLiteral("type")] = QStringLiteral("stream");
    stream[QStringLiteral("size")] = static_cast<qint64>(e.Size);
    TComPtr<IStream> s;
    if (storage->OpenStream(e.Name, s.Put()) == S_OK) {
      if (const int kind = ReadStreamKind(s.Get())) stream[QStringLiteral("kind")] = kind;
    }
    children.append(stream);
  }
  node[QStringLiteral("children")] = children;
  return node;
}

int Dump(const QStringList& args, QTextStream& out, QTextStream& err) {
  QString error;
  const QByteArray json = DumpFile(args[0], &error);
  if (json.isEmpty()) {
    err << "Kerno: " << error << "\n";
    return 1;
  }
  out << json;
  return 0;
}

int Resave(const QStringList& args, QTextStream&, QTextStream& err) {
  QString error;
  auto object = LoadObjectFile(args[0], &error);
  if (!object || SaveObjectFile(object.get(), args[1], &error) != S_OK) {
    err << "Kerno: " << error << "\n";
    return 1;
  }
  return 0;
}

int MakeSample(const QStringList& args, QTextStream&, QTextStream& err) {
  QString error;
  // The sample in another language: that language's pack gives the
  // template's heads and names, the sample its own texts.
  if (args.size() > 1) {
    const QString pack = ProgramDir() + u'/' + QFileInfo(args[1]).fileName() + QStringLiteral(".vox");
    if (!LoadLanguage(pack)) {
      err << "Kerno: " << LanguageLoadFailureText(pack) << "\n";
      return 1;
    }
  }
  auto sample = MakeSampleDocument(&error);
  if (!sample || !sample->SaveToFile(args[0], &error)) {
    err << "Kerno: " << error << "\n";
    return 1;
  }
  return 0;
}

const TCommandLineCommand kCommands[] = {
    {"--dump", 1, "--dump FILE", &Dump},
    {"--resave", 2, "--resave IN OUT", &Resave},
    {"--make-sample", 1, "--make-sample OUT [LANGUAGE]", &MakeSample, 2},
    {"--table-to-text", 2, "--table-to-text IN OUT", &RunTableToText},
    {"--export", 2, kExportUsage, &RunExport, 8},
    {"--new", 2, "--new TEMPLATE OUT.knd", &RunNew},
    {"--fill", 4, "--fill TEMPLATE.knt --las FILE.las OUT.knd|OUT.pdf|OUT.las", &RunFill},
};

}  // namespace

const TCommandLineCommand* FindCommand(const QStringList& args) {
  if (args.isEmpty()) return nullptr;
  for (const auto& c : kCommands)
    if (args[0] == QLatin1String(c.Name)) return &c;
  return nullptr;
}

int RunCommand(const TCommandLineCommand& command, const QStringList& args, QTextStream& out, QTextStream& err) {
  const qsizetype given = args.size() - 1;
  const int most = command.MaxArgCount < 0 ? command.ArgCount : command.MaxArgCount;
  if (given < command.ArgCount || given > most) {
    err << "Kerno: usage: Kerno " << command.Usage << "\n";
    return 2;
  }
  return command.Run(args.mid(1), out, err);
}

QByteArray DumpFile(const QString& path, QString* error) {
  auto object = LoadObjectFile(path, error);
  if (!object) return {};
  auto storage = TStorage::OpenFile(path);
  if (!storage) return {};
  QJsonObject objectJson;
  object->DumpProperties(&objectJson);
  QJsonObject root;
  root[QStringLiteral("file")] = path;
  root[QStringLiteral("storage")] = StorageTree(storage.get(), QStringLiteral("/"));
  root[QStringLiteral("object")] = objectJson;
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
