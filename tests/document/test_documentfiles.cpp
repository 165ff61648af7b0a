// Document and template files: what is accepted, the byte-identical round
// trip with the spare blocks, saves that fail without touching the previous
// file, templates made from documents, damaged files of every kind, and the
// messages a load shows when nobody can answer them.
#include <QDir>
#include <QImage>
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDocumentTestEnv.h"
#include "uExtraBlocks.h"
#include "uFixedRuller.h"
#include "uNewQS.h"
#include "uObjectFile.h"
#include "uPdfPrintTarget.h"
#include "uPrintDeepScale.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uStorage.h"
#include "uTemplateInfo.h"
#include "uTemplatePicture.h"

namespace {

class DocumentFiles : public TDocumentTest {};

// A head whose save fails: the save must not pass for complete.
class TFailingHead : public TTestHead {
 public:
  bool SaveToQS(ICompoundStream*) override { return false; }
};

// A body, a head with a box, a guide and a spare body.
void BuildDocument(TPrintDocument* document) {
  AddHead(document, 40)->SetName(QStringLiteral("Well"));
  TPassportBody* body = AddBody(document, 300, 100);
  body->SetName(QStringLiteral("Logs"));
  body->SetStartDepth(1500);
  AddColumn(body, 100, 190, 120);
  document->AddFixedRuller(roHorizontal, 150, 20);
  auto spare = std::make_unique<TPassportBody>();
  spare->SetName(QStringLiteral("Spare"));
  document->ExtraBlocks()->AddChild(std::move(spare));
  document->SetTemplateName(QStringLiteral("standard.knt"));
}

// A compound stream written into a storage as stream `name`.
void WriteQS(TStorage* storage, const QString& name, ICompoundStream* qs) {
  TComPtr<IStream> stream;
  ASSERT_EQ(storage->CreateStream(name, stream.Put()), S_OK);
  ASSERT_EQ(qsSaveToStream(qs, stream.Get()), S_OK);
}

}  // namespace

TEST_F(DocumentFiles, OpensDocumentsAndTemplatesByExtensionInAnyCase) {
  TPrintDocument document;
  BuildDocument(&document);
  ASSERT_TRUE(document.SaveToFile(Path("a.knd")));
  QFile::copy(Path("a.knd"), Path("a.txt"));
  QFile::copy(Path("a.knd"), Path("B.KND"));

  TPrintDocument target;
  AddHead(&target, 25);
  QString error;
  EXPECT_FALSE(target.LoadFromFile(Path("a.txt"), &error));
  EXPECT_TRUE(error.contains("a.txt")) << error.toStdString();
  EXPECT_EQ(target.Count(), 1) << "a refused file leaves the document alone";
  EXPECT_DOUBLE_EQ(target.GetHeight(), 25);

  ASSERT_TRUE(target.LoadFromFile(Path("a.knd")));
  EXPECT_EQ(target.Count(), 3);
  EXPECT_EQ(target.TemplateName(), "standard.knt");
  ASSERT_EQ(target.ExtraBlocks()->Count(), 1);
  EXPECT_EQ(target.ExtraBlocks()->GetChild(0)->Caption(), "Spare");
  TPrintDocument upper;
  EXPECT_TRUE(upper.LoadFromFile(Path("B.KND")));

  // A document file that holds something else is refused, and so is a body.
  auto body = std::make_unique<TPassportBody>();
  ASSERT_EQ(SaveObjectFile(body.get(), Path("body.knd")), S_OK);
  EXPECT_FALSE(target.LoadFromFile(Path("body.knd"), &error));
  EXPECT_EQ(target.Count(), 3);
  EXPECT_FALSE(target.LoadFromFile(Path("none.knd"), &error));
  EXPECT_FALSE(target.LoadFromFile(Path("none.knt"), &error));
}

TEST_F(DocumentFiles, SaveLoadSaveIsByteIdenticalAndKeepsTheSpareBlocksInExtra) {
  TPrintDocument document;
  BuildDocument(&document);
  ASSERT_TRUE(document.SaveToFile(Path("1.knd")));
  EXPECT_FALSE(document.GetModified());
  auto storage = TStorage::OpenFile(Path("1.knd"));
  ASSERT_NE(storage, nullptr);
  TStorage* extra = nullptr;
  ASSERT_EQ(storage->OpenStorage("extra", &extra), S_OK);
  EXPECT_EQ(ReadStorageKind(extra), kindExtraBlocks);
  EXPECT_EQ(ReadStorageKind(storage.get()), kindDocument);

  TPrintDocument loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Path("1.knd")));
  ASSERT_TRUE(loaded.SaveToFile(Path("2.knd")));
  EXPECT_EQ(FileBytes(Path("1.knd")), FileBytes(Path("2.knd")));

  // The generic object file load reads documents whole, spare blocks included.
  QString error;
  auto generic = LoadObjectFile(Path("1.knd"), &error);
  auto* asDocument = dynamic_cast<TPrintDocument*>(generic.get());
  ASSERT_NE(asDocument, nullptr) << error.toStdString();
  EXPECT_EQ(asDocument->ExtraBlocks()->Count(), 1);
  ASSERT_EQ(SaveObjectFile(asDocument, Path("3.knd")), S_OK);
  EXPECT_EQ(FileBytes(Path("1.knd")), FileBytes(Path("3.knd")));
}

TEST_F(DocumentFiles, AFailedSaveLeavesThePreviousFileByteForByte) {
  TPrintDocument document;
  BuildDocument(&document);
  ASSERT_TRUE(document.SaveToFile(Path("keep.knd")));
  const QByteArray before = FileBytes(Path("keep.knd"));
  ASSERT_FALSE(before.isEmpty());

  document.AddChild(std::make_unique<TFailingHead>());
  const QStringList files = QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden);
  QString error;
  EXPECT_FALSE(document.SaveToFile(Path("keep.knd"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(document.GetModified());
  EXPECT_EQ(FileBytes(Path("keep.knd")), before);
  EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden), files) << "no temporary file left behind";

  EXPECT_FALSE(document.SaveToFile(Path("no/such/folder/x.knd")));
}

TEST_F(DocumentFiles, TemplatesFromDocumentsKeepTheStructureWithoutDataOrGuides) {
  TPrintDocument document;
  BuildDocument(&document);
  ASSERT_EQ(document.Count(), 3);
  ASSERT_TRUE(document.SaveAsTemplate(Path("t.knd")));
  EXPECT_EQ(document.Count(), 3) << "the document itself keeps its guide";

  TPrintDocument made;
  ASSERT_TRUE(made.LoadFromFile(Path("t.knd")));
  ASSERT_EQ(made.Count(), 2);
  for (int i = 0; i < made.Count(); ++i) EXPECT_EQ(dynamic_cast<TFixedRuller*>(made.GetChild(i)), nullptr);
  EXPECT_EQ(made.TemplateName(), "standard.knt");
  EXPECT_EQ(made.ExtraBlocks()->Count(), 1);

  // The selection shows the saved template by a picture of its top.
  const QImage picture(Path("t.bmp"));
  ASSERT_EQ(picture.size(), QSize(kTemplatePictureSize, kTemplatePictureSize));
  int dark = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) dark += qGray(picture.pixel(x, y)) < 128;
  EXPECT_GT(dark, 20) << "the frames of the head and the body";

  // And by what it holds: the head, the body's scale, interval and columns.
  TTemplateInfo info;
  ASSERT_TRUE(ReadTemplateInfo(Path("t.knd"), &info));
  EXPECT_EQ(InstalledUiServices(), &FUi) << "the program's own dialogs again after the quiet read";
  EXPECT_EQ(info.Name, "t");
  EXPECT_TRUE(info.Description.contains("Well")) << info.Description.toStdString();
  EXPECT_TRUE(info.Description.contains(QString::fromUtf8("Logs at 1:200, 1500 – "))) << info.Description.toStdString();
  EXPECT_TRUE(info.Description.contains(made.GetChild(1)->AsObjectList()->GetChild(0)->Caption()))
      << info.Description.toStdString();
}

TEST_F(DocumentFiles, TemplatesOfTheIniFormNeedTheirPassportSection) {
  WriteText("t.knt",
            "[PASSPORT]\nOBJECT1=Head_1 273\nOBJECT2=Body_1 274\nOBJECT3=Lost 274\n"
            "[Head_1]\nNAME=Well\nHEIGHT=40\nWIDTH=190\n"
            "[Body_1]\nNAME=Logs\nVERTSCALE=500\nHEIGHT=200\nOBJECT1=Col_1 4\n"
            "[Col_1]\nNAME=Curves\nWIDTH=120\n");
  TPrintDocument document;
  QString error;
  ASSERT_TRUE(document.LoadFromFile(Path("t.knt"), &error)) << error.toStdString();
  ASSERT_EQ(document.Count(), 3) << "a block whose section is missing keeps its defaults";
  EXPECT_EQ(document.GetChild(0)->Caption(), "Well");
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(1));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->GetVertScale(), 500);
  EXPECT_DOUBLE_EQ(body->Top(), 40);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 200);
  EXPECT_EQ(document.TemplateName(), "t.knt");

  WriteText("bad.knt", "[TEMPLATE]\nNAME=no passport\n");
  EXPECT_FALSE(document.LoadFromFile(Path("bad.knt"), &error));
  EXPECT_TRUE(error.contains("PASSPORT")) << error.toStdString();
  EXPECT_EQ(document.Count(), 3) << "a template without its section changes nothing";
}

TEST_F(DocumentFiles, DamagedTemplatesLoadWhatTheyCanAndEnd) {
  // Sections naming themselves or their ancestors, a body in a body, a
  // column on the document, an absurd size.
  WriteText("loop.knt",
            "[PASSPORT]\nOBJECT1=PASSPORT 274\nOBJECT2=Body_1 274\nOBJECT3=Col_1 4\nOBJECT4=Ruler 280\n"
            "[Body_1]\nOBJECT1=Body_1 274\nOBJECT2=Col_1 4\nHEIGHT=1e308\n"
            "[Col_1]\nOBJECT1=Col_1 4\nWIDTH=30\n[Ruler]\nTOP=10\n");
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(Path("loop.knt")));
  for (int i = 0; i < document.Count(); ++i) {
    const int kind = document.GetChild(i)->GetKind();
    EXPECT_TRUE(kind == kindBody || kind == kindFixedRuller) << kind;
    if (auto* body = dynamic_cast<TPassportBody*>(document.GetChild(i))) {
      for (int j = 0; j < body->Count(); ++j) EXPECT_NE(body->GetChild(j)->GetKind(), kindBody);
    }
  }
  const TPageTiling tiling{200, 287, 0, 0, 0};
  EXPECT_LE(document.PagesDown(tiling), kMaxPagesPerAxis) << "an absurd height asks for a bounded page count";
}

TEST_F(DocumentFiles, DamagedDocumentsLoadWhatTheyCanOrFailWithoutChange) {
  // A body holding a body and a column standing on the document, as a file
  // made elsewhere might have them: both are skipped on loading.
  {
    TPrintDocument document;
    TPassportBody* body = AddBody(&document, 100);
    body->AddChild(std::make_unique<TPassportBody>());
    document.AddChild(std::make_unique<TTestColumn>());
    document.ExtraBlocks()->AddChild(std::make_unique<TFixedRuller>());
    ASSERT_TRUE(document.SaveToFile(Path("mixed.knd")));
    TPrintDocument loaded;
    ASSERT_TRUE(loaded.LoadFromFile(Path("mixed.knd")));
    ASSERT_EQ(loaded.Count(), 1);
    auto* back = dynamic_cast<TPassportBody*>(loaded.GetChild(0));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Count(), 1);
    EXPECT_EQ(back->GetChild(0)->GetKind(), kindDiagrams);
    EXPECT_EQ(loaded.ExtraBlocks()->Count(), 0);
  }
  // A child count of two thousand million with one kind stored; "extra" a stream.
  {
    auto storage = TStorage::CreateNew();
    auto index = NewQS();
    qsWriteInteger(index.Get(), 7, kindDocument);
    qsWriteInteger(index.Get(), 80, 2000000000);
    qsWriteInteger(index.Get(), static_cast<int32_t>(0x80000001u), kindBody);
    WriteQS(storage.get(), "index", index.Get());
    TStorage* body = nullptr;
    ASSERT_EQ(storage->CreateStorage("0", &body), S_OK);
    TPassportBody stored;
    ASSERT_TRUE(stored.SaveToStorage(body));
    auto junk = NewQS();
    qsWriteInteger(junk.Get(), 7, kindExtraBlocks);
    WriteQS(storage.get(), "extra", junk.Get());
    ASSERT_EQ(storage->SaveToFile(Path("huge.knd")), S_OK);
    TPrintDocument loaded;
    loaded.ExtraBlocks()->AddChild(std::make_unique<TPassportBody>());
    ASSERT_TRUE(loaded.LoadFromFile(Path("huge.knd")));
    EXPECT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.ExtraBlocks()->Count(), 0) << "the spare blocks of the file replace the old ones";
  }
  // No "index": refused, nothing changed.
  {
    auto storage = TStorage::CreateNew();
    TStorage* sub = nullptr;
    ASSERT_EQ(storage->CreateStorage("0", &sub), S_OK);
    ASSERT_EQ(storage->SaveToFile(Path("noindex.knd")), S_OK);
    TPrintDocument loaded;
    AddHead(&loaded, 10);
    EXPECT_FALSE(loaded.LoadFromFile(Path("noindex.knd")));
    EXPECT_EQ(loaded.Count(), 1);
  }
  // Not a Compound File at all.
  WriteText("text.knd", "[PASSPORT]\n");
  TPrintDocument loaded;
  QString error;
  EXPECT_FALSE(loaded.LoadFromFile(Path("text.knd"), &error));
  EXPECT_TRUE(error.contains("Compound File")) << error.toStdString();
}

// A file from a newer program: the note is shown (headless runs print it,
// see the command line tests) and the load goes on.
TEST_F(DocumentFiles, AFileFromANewerProgramIsNotedAndLoaded) {
  {
    auto storage = TStorage::CreateNew();
    TPrintDocument document;
    TComPtr<IStream> index;
    ASSERT_EQ(storage->CreateStream("index", index.Put()), S_OK);
    ASSERT_TRUE(document.SaveToStream(index.Get()));
    auto version = NewQS();
    qsWriteInteger(version.Get(), 768, 99);
    qsWriteShortStr(version.Get(), 770, "9.99");
    WriteQS(storage.get(), "version", version.Get());
    ASSERT_EQ(storage->SaveToFile(Path("new.knd")), S_OK);
  }
  TPrintDocument document;
  EXPECT_TRUE(document.LoadFromFile(Path("new.knd")));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("9.99")) << FUi.Messages[0].Text.toStdString();
}

// The real head and depth scale: a well log sheet made from its template
// keeps every byte through a save and a load, prints, and loses its head
// like any block.
TEST_F(DocumentFiles, AWellLogSheetWithItsHeadFileAndDepthScaleRoundTripsAndPrints) {
  RegisterTextKinds();
  RegisterHeadKinds();
  RegisterDepthScaleKinds();
  SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR "/resources"));  // the shipped head files
  WriteText("log.knt",
            "[PASSPORT]\nOBJECT1=Head_1 273\nOBJECT2=Body_1 274\n[Head_1]\nFILE=well_log.hdr\nNAME=Well\n"
            "[Body_1]\nNAME=Logs\nHEIGHT=400\nOBJECT1=Scale_1 2\n"
            "[Scale_1]\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1\n");
  {
    TPrintDocument document;
    ASSERT_TRUE(document.LoadFromFile(Path("log.knt")));
    EXPECT_TRUE(FUi.Messages.empty()) << FUi.Messages[0].Text.toStdString();
    ASSERT_EQ(document.Count(), 2);
    auto* head = dynamic_cast<TPrintHeader*>(document.GetChild(0));
    ASSERT_NE(head, nullptr);
    EXPECT_GT(head->Count(), 0) << "the head file's texts";
    const double headHeight = head->GetHeight();
    EXPECT_GT(headHeight, 0);
    EXPECT_DOUBLE_EQ(document.GetChild(1)->Top(), headHeight);
    EXPECT_TRUE(std::isnan(document.DepthAt(headHeight / 2)));
    EXPECT_DOUBLE_EQ(document.DepthAt(headHeight + 100), 20);
    ASSERT_TRUE(document.SaveToFile(Path("1.knd")));

    TPdfPrintTarget pdf(Path("log.pdf"), QPageSize(QPageSize::A4));
    ASSERT_TRUE(document.Print(&pdf, 1, 99)) << pdf.ErrorText().toStdString();
    EXPECT_EQ(pdf.PagesWritten(), document.PageCount(TPageTiling::FromSettings(pdf.PageSizeMM())));
    EXPECT_EQ(pdf.PagesWritten(), 2);

    ASSERT_TRUE(document.RemoveChild(head));
    EXPECT_DOUBLE_EQ(document.GetChild(0)->Top(), 0);
  }
  TPrintDocument loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Path("1.knd")));
  ASSERT_TRUE(loaded.SaveToFile(Path("2.knd")));
  EXPECT_EQ(FileBytes(Path("1.knd")), FileBytes(Path("2.knd")));

  // A head file that cannot be found is reported; the rest loads.
  WriteText("lost.knt", "[PASSPORT]\nOBJECT1=Head_1 273\n[Head_1]\nFILE=lost.hdr\n");
  TPrintDocument lost;
  EXPECT_TRUE(lost.LoadFromFile(Path("lost.knt")));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("lost.hdr")) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(lost.Count(), 1);
  RegisterKind(kindText, nullptr);
  RegisterKind(kindDeepScale, nullptr);
}
