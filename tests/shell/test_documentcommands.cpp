// The document commands of the command line: --export to PDF and pictures, --new from a
// template, --dump and --resave of documents, and the one-line reports of
// failures and of what the model would have shown in a dialog.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uKernoRun.h"
#include "uPrintDocument.h"
#include "uStorage.h"

namespace {

// No display: the commands must not need one.
TKernoRun Kerno(const QStringList& args) { return RunKerno(args, true); }

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// A body 500 mm high holding an empty depth scale 190 mm wide: two A4 pages.
const QByteArray kTemplate =
    "[PASSPORT]\nOBJECT1=Body_1 274\n"
    "[Body_1]\nNAME=Logs\nHEIGHT=500\nVERTSCALE=500\nOBJECT1=Scale_1 2\n"
    "[Scale_1]\nWIDTH=190\nHEIGHT=10\n";

int PdfPages(const QString& path) {
  const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
  if (pdfinfo.isEmpty()) return -1;
  QProcess p;
  p.start(pdfinfo, {path});
  p.waitForFinished(60000);
  const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromUtf8(p.readAllStandardOutput()));
  return m.hasMatch() ? m.captured(1).toInt() : 0;
}

class DocumentCommands : public ::testing::Test {
 protected:
  // The program records what it meets (a newer version of a loaded file) in
  // the settings of its folder; a person starting the built program after the
  // tests must not inherit that.
  void SetUp() override {
    FSettingsExisted = QFile::exists(kSettings);
    FSettings = FileBytes(kSettings);
    Write(Path("t.knt"), kTemplate);
  }
  void TearDown() override {
    if (FSettingsExisted)
      Write(kSettings, FSettings);
    else
      QFile::remove(kSettings);
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }
  const QString kSettings = QStringLiteral(KERNO_PROGRAM_DIR "/Kerno.ini");
  bool FSettingsExisted = false;
  QByteArray FSettings;
  QTemporaryDir FDir;
};

}  // namespace

TEST_F(DocumentCommands, ExportPrintsEveryPageOrTheChosenOnesToPdf) {
  TKernoRun r = Kerno({"--export", Path("t.knt"), Path("all.pdf")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Err.isEmpty()) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains("2 page(s)")) << r.Out.toStdString();
  EXPECT_TRUE(FileBytes(Path("all.pdf")).startsWith("%PDF-"));

  // A document made from the template prints the same.
  ASSERT_EQ(Kerno({"--new", Path("t.knt"), Path("t.knd")}).Status, 0);
  r = Kerno({"--export", Path("t.knd"), Path("two.pdf"), "--pages", "2-2"});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains("1 page(s)")) << r.Out.toStdString();
  if (PdfPages(Path("all.pdf")) < 0) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  EXPECT_EQ(PdfPages(Path("all.pdf")), 2);
  EXPECT_EQ(PdfPages(Path("two.pdf")), 1);
}

TEST_F(DocumentCommands, ExportFailuresSayWhyInOneLineAndLeaveTheOutputAlone) {
  Write(Path("old.pdf"), "old");
  Write(Path("notes.txt"), "text");
  Write(Path("empty.knt"), "[PASSPORT]\nOBJECT1=Body_1 274\n[Body_1]\nHEIGHT=100\n");
  const QStringList cases[] = {
      {"--export", Path("notes.txt"), Path("old.pdf")},
      {"--export", Path("missing.knd"), Path("old.pdf")},
      {"--export", Path("t.knt"), Path("old.pdf"), "--pages", "3-3"},
      {"--export", Path("t.knt"), Path("old.pdf"), "--pages", "2-1"},
      {"--export", Path("t.knt"), Path("old.pdf"), "--pages", "x"},
      {"--export", Path("t.knt"), Path("old.pdf"), "--from", "1"},
      {"--export", Path("empty.knt"), Path("old.pdf")},
      {"--export", Path("t.knt"), Path("no/folder/x.pdf")},
  };
  for (const QStringList& args : cases) {
    const TKernoRun r = Kerno(args);
    EXPECT_EQ(r.Status, 1) << args.join(' ').toStdString();
    EXPECT_EQ(r.Err.count('\n'), 1) << args.join(' ').toStdString() << ": " << r.Err.toStdString();
    EXPECT_EQ(FileBytes(Path("old.pdf")), "old") << args.join(' ').toStdString();
  }
  const TKernoRun wrongName = Kerno({"--export", Path("t.knt"), Path("out.knd")});
  EXPECT_EQ(wrongName.Status, 1);
  EXPECT_FALSE(QFile::exists(Path("out.knd"))) << "a PDF is never written under another name";
  EXPECT_EQ(Kerno({"--export", Path("t.knt")}).Status, 2) << "a wrong argument count";
}

// Any other output than a PDF of a document is one picture of the whole
// document (or of the object of a ".kno" file), its format by extension.
TEST_F(DocumentCommands, ExportWritesAPictureByTheOutputsExtension) {
  TKernoRun r = Kerno({"--export", Path("t.knt"), Path("at100.png")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QImage at100(Path("at100.png"));
  ASSERT_FALSE(at100.isNull());
  r = Kerno({"--export", Path("t.knt"), Path("at50.PNG"), "--scale", "50"});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QImage at50(Path("at50.PNG"));
  EXPECT_NEAR(at50.width() * 2, at100.width(), 2);
  EXPECT_NEAR(at50.height() * 2, at100.height(), 2);
  EXPECT_GT(at100.height(), at100.width()) << "the 500 mm body stands upright";

  ASSERT_EQ(Kerno({"--export", Path("t.knt"), Path("q10.jpg"), "--quality", "10", "--scale", "50"}).Status, 0);
  ASSERT_EQ(Kerno({"--export", Path("t.knt"), Path("q95.jpeg"), "--scale", "50", "--quality", "95"}).Status, 0);
  EXPECT_EQ(QImage(Path("q10.jpg")).size(), at50.size());
  EXPECT_LT(FileBytes(Path("q10.jpg")).size(), FileBytes(Path("q95.jpeg")).size());

  ASSERT_EQ(Kerno({"--export", Path("t.knt"), Path("t.bmp")}).Status, 0);
  EXPECT_TRUE(FileBytes(Path("t.bmp")).startsWith("BM"));
  ASSERT_EQ(Kerno({"--export", Path("t.knt"), Path("t.svg")}).Status, 0);
  EXPECT_TRUE(FileBytes(Path("t.svg")).contains("<svg"));
  ASSERT_EQ(Kerno({"--export", Path("t.knt"), Path("t.emf")}).Status, 0);
  EXPECT_EQ(FileBytes(Path("t.emf")).mid(40, 4), QByteArray(" EMF"));

  // The object of an object file; its PDF is one page, not tiled.
  ASSERT_EQ(Kerno({"--make-sample", Path("sample.kno")}).Status, 0);
  r = Kerno({"--export", Path("sample.kno"), Path("sample.pdf")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  if (PdfPages(Path("sample.pdf")) >= 0) {
    EXPECT_EQ(PdfPages(Path("sample.pdf")), 1);
  }
}

TEST_F(DocumentCommands, ExportOptionsThatDoNotFitThePictureAreRefused) {
  Write(Path("old.png"), "old");
  const QStringList cases[] = {
      {"--export", Path("t.knt"), Path("old.png"), "--scale", "1001"},
      {"--export", Path("t.knt"), Path("old.png"), "--scale", "0.5"},
      {"--export", Path("t.knt"), Path("old.png"), "--scale", "big"},
      {"--export", Path("t.knt"), Path("old.png"), "--scale", "50", "--scale", "60"},
      {"--export", Path("t.knt"), Path("old.png"), "--scale"},
      {"--export", Path("t.knt"), Path("old.png"), "--quality", "80"},
      {"--export", Path("t.knt"), Path("old.png"), "--pages", "1-1"},
      {"--export", Path("t.knt"), Path("x.svg"), "--scale", "200"},
      {"--export", Path("t.knt"), Path("x.jpg"), "--quality", "0"},
      {"--export", Path("t.knt"), Path("x.jpg"), "--quality", "101"},
      {"--export", Path("t.knt"), Path("x.gif")},
  };
  for (const QStringList& args : cases) {
    const TKernoRun r = Kerno(args);
    EXPECT_EQ(r.Status, 1) << args.join(' ').toStdString();
    EXPECT_EQ(r.Err.count('\n'), 1) << args.join(' ').toStdString() << ": " << r.Err.toStdString();
  }
  EXPECT_EQ(FileBytes(Path("old.png")), "old");
  for (const char* never : {"x.svg", "x.jpg", "x.gif"}) EXPECT_FALSE(QFile::exists(Path(never))) << never;
}

TEST_F(DocumentCommands, NewMakesADocumentThatDumpAndResaveRead) {
  TKernoRun r = Kerno({"--new", Path("t.knt"), Path("new.knd")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  r = Kerno({"--dump", Path("new.knd")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QJsonObject object = QJsonDocument::fromJson(r.Out).object()["object"].toObject();
  EXPECT_EQ(object["kindName"].toString(), "Document");
  EXPECT_EQ(object["templateName"].toString(), "t.knt");
  EXPECT_EQ(object["extraBlocks"].toObject()["kind"].toInt(), 283);
  const QJsonObject body = object["children"].toArray()[0].toObject();
  EXPECT_EQ(body["name"].toString(), "Logs");
  EXPECT_EQ(body["vertScale"].toInt(), 500);
  EXPECT_EQ(body["direction"].toInt(), 1);
  EXPECT_EQ(body["height"].toDouble(), 500) << "an empty depth scale keeps the template's height";
  EXPECT_EQ(body["children"].toArray()[0].toObject()["kind"].toInt(), 2);
  QStringList names;
  for (const auto& e : QJsonDocument::fromJson(r.Out).object()["storage"].toObject()["children"].toArray())
    names << e.toObject()["name"].toString();
  EXPECT_TRUE(names.contains("extra")) << names.join(' ').toStdString();

  r = Kerno({"--resave", Path("new.knd"), Path("again.knd")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_EQ(FileBytes(Path("new.knd")), FileBytes(Path("again.knd")));

  Write(Path("keep.knd"), "previous");
  for (const QString& bad : {Path("missing.knt"), Path("notes.txt")}) {
    r = Kerno({"--new", bad, Path("keep.knd")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
    EXPECT_EQ(FileBytes(Path("keep.knd")), "previous");
  }
}

TEST_F(DocumentCommands, WhatTheModelWouldShowInADialogGoesToStandardError) {
  // A document from a newer program: the load goes on with a note.
  {
    auto storage = TStorage::CreateNew();
    TPrintDocument document;
    TComPtr<IStream> index;
    ASSERT_EQ(storage->CreateStream("index", index.Put()), S_OK);
    ASSERT_TRUE(document.SaveToStream(index.Get()));
    TComPtr<ICompoundStream> version;
    qsCreateCompoundStream(version.Put());
    qsWriteInteger(version.Get(), 768, 99);
    qsWriteShortStr(version.Get(), 770, "9.99");
    TComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream("version", stream.Put()), S_OK);
    ASSERT_EQ(qsSaveToStream(version.Get(), stream.Get()), S_OK);
    ASSERT_EQ(storage->SaveToFile(Path("newer.knd")), S_OK);
  }
  TKernoRun r;
  {
    const TProgramSettingsKept kept;
    r = Kerno({"--dump", Path("newer.knd")});
  }
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
  EXPECT_TRUE(r.Err.contains("9.99")) << r.Err.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(r.Out).object()["object"].toObject()["kind"].toInt(), 275);

  // A template whose head file is missing: reported, and the document made.
  Write(Path("lost.knt"), "[PASSPORT]\nOBJECT1=Head_1 273\n[Head_1]\nFILE=lost.hdr\nHEIGHT=30\n");
  r = Kerno({"--new", Path("lost.knt"), Path("lost.knd")});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err.count('\n'), 1) << r.Err.toStdString();
  EXPECT_TRUE(r.Err.contains("lost.hdr")) << r.Err.toStdString();
  EXPECT_TRUE(QFile::exists(Path("lost.knd")));
}

// The shipped lithology log: its column dumps its database's size and every
// layer its depths and sign names.
TEST_F(DocumentCommands, DumpShowsTheLithologyColumnAndItsLayers) {
  const TKernoRun r = Kerno({"--dump", QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd")});
  ASSERT_EQ(r.Status, 0) << r.Err.toStdString();
  const QJsonObject object = QJsonDocument::fromJson(r.Out).object()["object"].toObject();
  QJsonObject column;
  for (const QJsonValue block : object["children"].toArray())
    for (const QJsonValue child : block.toObject()["children"].toArray())
      if (child.toObject()["kindName"].toString() == "StratCol") column = child.toObject();
  ASSERT_FALSE(column.isEmpty());
  EXPECT_EQ(column["dataBaseSigns"].toInt(), 73);
  EXPECT_EQ(column["unknownSignLayers"].toInt(), 0);
  const QJsonArray layers = column["children"].toArray();
  ASSERT_EQ(layers.size(), column["layerCount"].toInt());
  ASSERT_GE(layers.size(), 2);
  const QJsonObject two = layers[1].toObject();
  EXPECT_EQ(two["kindName"].toString(), "LCEntry");
  EXPECT_DOUBLE_EQ(two["topDepth"].toDouble(), 1455);
  EXPECT_DOUBLE_EQ(two["bottomDepth"].toDouble(), 1462);
  EXPECT_EQ(two["signCount"].toInt(), 2);
  EXPECT_EQ(two["signs"].toArray()[0].toString(), "SLT");
}
