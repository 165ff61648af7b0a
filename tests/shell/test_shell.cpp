// The headless command line of the program: --dump, --resave, --make-sample,
// their exit codes and one-line errors, and the kinds the program knows.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "uKernoRun.h"
#include "uObjectFile.h"
#include "uPrintHeader.h"
#include "uPrintText.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kSample = QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd");

}  // namespace

// The sample is a real-looking well log sheet: the shipped template with a
// well's values, a head of column titles, the body on the described interval
// with a column of every data kind, the closing head below.
TEST(CommandLine, DumpShowsTheStorageAndObjectTreesOfTheSample) {
  const TKernoRun r = RunKerno({"--dump", kSample});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QJsonObject json = QJsonDocument::fromJson(r.Out).object();
  const QJsonObject object = json["object"].toObject();
  EXPECT_EQ(object["kindName"].toString(), "Document");
  EXPECT_EQ(object["templateName"].toString(), "well_log.knt");
  const QJsonArray children = object["children"].toArray();
  ASSERT_EQ(children.size(), 4);
  const QJsonObject head = children[0].toObject();
  const QJsonObject captions = children[1].toObject();
  const QJsonObject body = children[2].toObject();
  const QJsonObject closing = children[3].toObject();
  EXPECT_EQ(head["kindName"].toString(), "Head");
  EXPECT_EQ(captions["kindName"].toString(), "Head");
  EXPECT_EQ(body["kindName"].toString(), "Body");
  EXPECT_EQ(closing["kindName"].toString(), "Head");
  // Every parameter of the heads has a value, and the title shows the well.
  for (const QJsonObject& h : {head, closing})
    for (const auto& v : h["parameters"].toObject()["values"].toArray())
      EXPECT_FALSE(v.toObject()["value"].toString().isEmpty()) << v.toObject()["name"].toString().toStdString();
  bool titled = false;
  for (const auto& t : head["children"].toArray())
    titled = titled || t.toObject()["printedText"].toString().contains("Well 412-R");
  EXPECT_TRUE(titled);
  EXPECT_EQ(body["startDepth"].toDouble(), 1450);
  EXPECT_EQ(captions["top"].toDouble(), head["height"].toDouble());
  EXPECT_EQ(body["top"].toDouble(), captions["top"].toDouble() + captions["height"].toDouble());
  // One column of each kind the program draws along depth (the description
  // column twice: stages and rocks), each holding data.
  const QJsonArray columns = body["children"].toArray();
  QStringList kinds;
  for (const auto& c : columns) kinds << c.toObject()["kindName"].toString();
  EXPECT_EQ(kinds, (QStringList{"TextDesc", "DeepScale", "StratCol", "ColorLine", "Diagrams", "Diagrams", "DeepTable",
                                "TextDesc"}));
  for (const auto& value : columns) {
    const QJsonObject c = value.toObject();
    const QString kind = c["kindName"].toString();
    const std::string what = (kind + " " + c["name"].toString()).toStdString();
    if (kind == "TextDesc") {
      EXPECT_GE(c["children"].toArray().size(), 3) << what;
    } else if (kind == "DeepScale") {
      EXPECT_GE(c["rulers"].toArray().size(), 1) << what;
    } else if (kind == "StratCol") {
      EXPECT_GE(c["layerCount"].toInt(), 10) << what;
      EXPECT_EQ(c["unknownSignLayers"].toInt(), 0) << what << ": every sign is in default.lsd";
    } else if (kind == "ColorLine") {
      int rows = 0;
      for (const auto& category : c["categories"].toArray()) rows += category.toObject()["rows"].toInt();
      EXPECT_GE(rows, 2) << what;
    } else if (kind == "Diagrams") {
      ASSERT_GE(c["children"].toArray().size(), 1) << what;
      for (const auto& curve : c["children"].toArray()) {
        EXPECT_EQ(curve.toObject()["startDepth"].toDouble(), 1450) << what;
        EXPECT_NEAR(curve.toObject()["endDepth"].toDouble(), 1533, 1e-6) << what;
      }
    } else if (kind == "DeepTable") {
      EXPECT_GE(c["table"].toObject()["rowCount"].toInt(), 3) << what;
    }
  }
  const QJsonObject storage = json["storage"].toObject();
  QStringList names;
  for (const auto& e : storage["children"].toArray()) names << e.toObject()["name"].toString();
  names.sort();
  EXPECT_EQ(names, (QStringList{"0", "1", "2", "3", "extra", "index", "version"}));
  EXPECT_TRUE(r.Err.isEmpty()) << r.Err.toStdString();
}

TEST(CommandLine, FilesThatCannotBeLoadedGiveOneLineAndStatusOne) {
  QTemporaryDir dir;
  const QString text = dir.filePath("notes.knd");
  QFile f(text);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("just some text\n");
  f.close();
  for (const QString& path : {text, dir.filePath("missing.knd")}) {
    const TKernoRun r = RunKerno({"--dump", path});
    EXPECT_EQ(r.Status, 1) << path.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(path.toUtf8())) << r.Err.toStdString();
  }
  EXPECT_EQ(RunKerno({"--dump"}).Status, 2) << "a wrong argument count";
  EXPECT_EQ(RunKerno({"--no-such-option"}).Status, 2);
}

TEST(CommandLine, ResaveReproducesTheFileAndAFailureKeepsTheTarget) {
  QTemporaryDir dir;
  const QString out = dir.filePath("copy.knd");
  TKernoRun r = RunKerno({"--resave", kSample, out});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_EQ(FileBytes(out), FileBytes(kSample)) << "a load and a save change nothing";
  // A source that does not load: the target stays as it was.
  const QByteArray before = FileBytes(out);
  r = RunKerno({"--resave", dir.filePath("missing.knd"), out});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(FileBytes(out), before);
  r = RunKerno({"--resave", kSample, dir.filePath("no/folder/x.knd")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
}

TEST(CommandLine, MakeSampleWritesTheShippedSample) {
  QTemporaryDir dir;
  const QString out = dir.filePath("sample.knd");
  const TKernoRun r = RunKerno({"--make-sample", out});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_EQ(FileBytes(out), FileBytes(kSample)) << "resources/samples/sample.knd is regenerated by this command";
  // The Russian sample: the template's Russian heads, the sample's Russian texts.
  const QString russian = dir.filePath("sample_ru.knd");
  const TKernoRun ru = RunKerno({"--make-sample", russian, "russian"});
  ASSERT_EQ(ru.Status, 0) << ru.Err.toStdString();
  EXPECT_EQ(FileBytes(russian), FileBytes(QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample_ru.knd")))
      << "resources/samples/sample_ru.knd is regenerated by \"--make-sample OUT russian\"";
  const TKernoRun klingon = RunKerno({"--make-sample", dir.filePath("x.knd"), "klingon"});
  EXPECT_EQ(klingon.Status, 1);
  EXPECT_TRUE(klingon.Err.contains("klingon.vox")) << klingon.Err.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("x.knd")));
  // The sample fills two A4 pages: the sheet, then its end with the closing head.
  const TKernoRun printed = RunKerno({"--export", kSample, dir.filePath("sample.pdf")});
  ASSERT_EQ(printed.Status, 0) << printed.Err.toStdString();
  EXPECT_EQ(printed.Out.trimmed(), (dir.filePath("sample.pdf") + ": 2 page(s)").toUtf8());

  // Without its template (a program folder missing "template") it says so.
  QTemporaryDir bare;
  ASSERT_TRUE(QFile::copy(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), bare.filePath("Kerno")));
  for (const char* lib : {"libqs.so", "libcurvpress.so", "libstrat.so"})
    QFile::copy(QStringLiteral(KERNO_PROGRAM_DIR "/") + lib, bare.filePath(lib));
  QProcess p;
  p.start(bare.filePath("Kerno"), {"--make-sample", dir.filePath("none.knd")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(p.readAllStandardError().contains("well_log.knt"));
  EXPECT_FALSE(QFile::exists(dir.filePath("none.knd")));
  // With the template but without the logs the curves come from: the same.
  for (const char* folder : {"template", "hdr", "lsd"}) {
    QDir().mkpath(bare.filePath(folder));
    const QDir from(QStringLiteral(KERNO_PROGRAM_DIR "/") + folder);
    for (const QString& name : from.entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(from.filePath(name), bare.filePath(QString(folder) + "/" + name)));
  }
  p.start(bare.filePath("Kerno"), {"--make-sample", dir.filePath("none.knd")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(p.readAllStandardError().contains("curve_log_sample.las"));
  EXPECT_FALSE(QFile::exists(dir.filePath("none.knd")));
}

// A head stored alone: the program knows the kind, and its parameters (the
// "values" stream) come through a load and a save unchanged.
TEST(CommandLine, HeadObjectFilesKeepTheirParameters) {
  RegisterTextKinds();
  QTemporaryDir dir;
  const QString in = dir.filePath("head.kno");
  TPrintHeader head;
  head.SetHeight(20);
  auto text = std::make_unique<TPrintText>();
  text->SetBoundsRect({0, 0, 100, 10});
  text->SetText("Well %WELL%");
  head.AddChild(std::move(text));
  head.CollectParameters();
  head.Parameters().SetValue("WELL", "12-bis");
  ASSERT_EQ(SaveObjectFile(&head, in), S_OK);

  const QString out = dir.filePath("copy.kno");
  TKernoRun r = RunKerno({"--resave", in, out});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_EQ(FileBytes(out), FileBytes(in));
  r = RunKerno({"--dump", in});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QJsonObject object = QJsonDocument::fromJson(r.Out).object()["object"].toObject();
  EXPECT_EQ(object["kind"].toInt(), 273);
  const QJsonArray values = object["parameters"].toObject()["values"].toArray();
  ASSERT_EQ(values.size(), 1);
  EXPECT_EQ(values[0].toObject()["name"].toString(), "WELL");
  EXPECT_EQ(values[0].toObject()["value"].toString(), "12-bis");
  EXPECT_EQ(object["children"].toArray()[0].toObject()["printedText"].toString(), "Well 12-bis");
}

// scripts/run starts the program that scripts/build made: in $BUILD_DIR when
// that is set, on the sample in the program's language. Run on a copy whose install and build steps do nothing and
// whose program only says how it was started.
TEST(Scripts, RunStartsTheProgramOfBuildDir) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir().mkpath(dir.filePath("scripts")));
  ASSERT_TRUE(QDir().mkpath(dir.filePath("elsewhere/bin")));
  ASSERT_TRUE(QFile::copy(KERNO_SOURCE_DIR "/scripts/run", dir.filePath("scripts/run")));
  const auto script = [&](const QString& path, const QByteArray& text) {
    QFile f(dir.filePath(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/usr/bin/env bash\n" + text);
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  };
  script("scripts/install-deps", "exit 0\n");
  script("scripts/build", "exit 0\n");
  script("elsewhere/bin/Kerno", "echo \"started $*\"\n");
  QProcess p;
  p.setWorkingDirectory(dir.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("BUILD_DIR", "elsewhere");
  p.setProcessEnvironment(env);
  p.start("bash", {dir.filePath("scripts/run"), "--extra"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(p.readAllStandardOutput(), "started elsewhere/bin/samples/sample_ru.knd --extra\n")
      << "the program starts in Russian: the Russian sample";
  // Once the options chose English, the English sample.
  QFile ini(dir.filePath("elsewhere/bin/Kerno.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[COMMON]\nLanguage=english\n");
  ini.close();
  p.start("bash", {dir.filePath("scripts/run"), "--extra"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.readAllStandardOutput(), "started elsewhere/bin/samples/sample.knd --extra\n");
}
