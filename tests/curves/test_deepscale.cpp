// The depth scale: marks and labels on their depths through the parent's
// mapping, rescaling, damaged input, the storage and INI forms, and the
// program's --dump and --resave of a scale file.
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uKernoRun.h"
#include "uObjectFile.h"
#include "uPdfPrintTarget.h"
#include "uStorage.h"

namespace {

std::vector<uint8_t> StorageBytes(TPrintDeepScale* scale) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (scale->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}

}  // namespace

using DepthScaleTest = TCurvesTest;

TEST_F(DepthScaleTest, NewScaleMarks0_10_20MetresEvery50MmAtOneTo200) {
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 140);
  ASSERT_EQ(scale->Rullers().size(), 1u);
  EXPECT_EQ(scale->Rullers()[0].ToText(), "STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1");
  EXPECT_EQ(scale->GetFont(), scale->Rullers()[0].Font());
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  // Marks 2 mm (20 px) long ending at the right edge (pixel 300, exclusive).
  EXPECT_EQ(page.MarkRows(), (std::vector<int>{400, 900, 1400}));
  EXPECT_NE(page.Device.FindHorizontalLine(280, 299, 900), nullptr) << page.Device.Dump();
  EXPECT_EQ(page.Texts(), (QStringList{"0", "10", "20"}));
  // Labels right-aligned 2 px left of the marks, centred on them, 10 pt.
  const TRecordedItem* ten = page.Device.FindText("10");
  EXPECT_LE(ten->Rect.right(), 278.5);
  EXPECT_GE(ten->Rect.right(), 270);
  EXPECT_NEAR(ten->Rect.center().y(), 900, 4);
  EXPECT_NEAR(ten->FontDevicePixels, 35, 1);

  // From the left edge the label box starts 2 px after the mark.
  page.Device.Clear();
  scale->Rullers()[0].SetRight(false);
  scale->Draw(c);
  EXPECT_NE(page.Device.FindHorizontalLine(100, 119, 900), nullptr);
  EXPECT_GE(page.Device.FindText("10")->Rect.left(), 122);
  // Marks belong to the printable drawing (option 2); outside the clip not even the frame is drawn.
  page.Device.Clear();
  TDrawContext frames = page.Context(doFrames);
  scale->Draw(frames);
  EXPECT_TRUE(page.MarkRows().empty());
  frames.Options |= doBorders;
  frames.ClipRect = {2000, 2000, 2100, 2100};
  page.Device.Clear();
  scale->Draw(frames);
  EXPECT_TRUE(page.Device.Items().empty());
}

// A label is centred on its mark unless that would carry it over the
// column's top or bottom edge, onto the block above or below.
TEST_F(DepthScaleTest, LabelsOfMarksOnTheColumnsEdgesStayInsideIt) {
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 140);
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  ASSERT_EQ(page.MarkRows(), (std::vector<int>{400, 900, 1400}));
  const TRecordedItem* top = page.Device.FindText("0");
  const TRecordedItem* middle = page.Device.FindText("10");
  const TRecordedItem* bottom = page.Device.FindText("20");
  ASSERT_TRUE(top && middle && bottom) << page.Device.Dump();
  // The text's line box is a little taller than the font's em, which is what
  // the label box holds; the digits themselves lie within the em.
  const double overhang = 0.1 * top->FontDevicePixels;
  EXPECT_GE(top->Rect.top(), 400 - overhang);
  EXPECT_LT(top->Rect.center().y(), 430) << "as close to its mark as the column allows";
  EXPECT_NEAR(middle->Rect.center().y(), 900, 4);
  EXPECT_LE(bottom->Rect.bottom(), 1400 + overhang);
  EXPECT_GT(bottom->Rect.center().y(), 1370);

  // A column lower than a label: the label stays on its mark.
  TPrintDeepScale* flat = body.AddScale(40, 40, 60, 42);
  page.Device.Clear();
  flat->Draw(c);
  ASSERT_NE(page.Device.FindText("0"), nullptr) << page.Device.Dump();
  EXPECT_NEAR(page.Device.FindText("0")->Rect.center().y(), 400, 4);
}

// A printed sheet ends at its page: the label of a mark on a page break is
// printed whole on the page holding the mark, not half on each sheet.
TEST_F(DepthScaleTest, PrintedLabelsAreNotCutByThePageBreak) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: pages not compared";
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 140);  // marks at 40, 90 and 140 mm
  QTemporaryDir dir;
  const QString path = dir.filePath("pages.pdf");
  // Two 40 mm sheets, the second starting at the mark of 10 m (90 mm).
  TPdfPrintTarget target(path, QPageSize(QSizeF(40, 40), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  ASSERT_TRUE(target.BeginJob(QStringLiteral("scale")));
  for (const int originMM : {50, 90}) {
    if (originMM > 50) {
      ASSERT_TRUE(target.NewPage());
    }
    TDrawContext context;
    context.DC = target.Painter();
    context.OriginY = originMM;
    context.Options = doBorders;
    context.ClipRect = {0, 0, context.DC->device()->width(), context.DC->device()->height()};
    scale->Draw(context);
  }
  ASSERT_TRUE(target.EndJob()) << target.ErrorText().toStdString();
  QProcess p;
  p.start(pdftoppm, {"-r", "254", "-gray", "-png", path, dir.filePath("page")});  // 10 pixels a millimetre
  ASSERT_TRUE(p.waitForFinished(60000));
  const QImage first(dir.filePath("page-1.png")), second(dir.filePath("page-2.png"));
  ASSERT_FALSE(first.isNull());
  ASSERT_FALSE(second.isNull());
  // Rows holding ink where labels stand: right of the frame at 10 mm, left of the marks.
  const auto inkRows = [](const QImage& page, int fromRow, int toRow) {
    std::vector<int> rows;
    for (int y = fromRow; y < toRow; ++y)
      for (int x = 104; x < 270; ++x)
        if (qGray(page.pixel(x, y)) < 128) {
          rows.push_back(y);
          break;
        }
    return rows;
  };
  // (The reader shades the sheet's last, partial row: it is left out.)
  EXPECT_TRUE(inkRows(first, 330, first.height() - 1).empty())
      << "a part of the next sheet's label: " << SaveDebugPng(first, "break-page1").toStdString();
  const std::vector<int> top = inkRows(second, 1, 60);
  ASSERT_FALSE(top.empty()) << SaveDebugPng(second, "break-page2").toStdString();
  EXPECT_GT(top.front(), 1) << "the label starts on the sheet";
  EXPECT_GE(top.back() - top.front(), 20) << "the whole height of its digits (10 pt), not the lower half";
}

TEST_F(DepthScaleTest, MarksFallOnTheirDepthsWhateverTheMapping) {
  struct TCase {
    uint16_t Scale;
    double StartDepth, Top, Bottom, Step, Modulus;
    std::vector<int> Rows;
    QStringList Labels;
  } cases[] = {
      // Step 10 with Modulus 2 at 1:500 marks the same depths as the default at 1:200.
      {500, 0, 40, 100, 10, 2, {400, 600, 800, 1000}, {"0", "10", "20", "30"}},
      // A scale whose top lies at 12 m starts with the mark for 15 m.
      {200, 0, 100, 150, 5, 5, {1150, 1400}, {"15", "20"}},
      {200, 1000, 40, 90, 10, 5, {400, 900}, {"1000", "1010"}},
      // Labels carry 5 significant digits: 0.3, not 0.30000000000000004.
      {200, 0, 40, 60, 0.1, 50, {400, 450, 500, 550, 600}, {"0", "0.1", "0.2", "0.3", "0.4"}},
      {200, 0, 40, 43, 1234.56, 0.001, {400, 412, 425}, {"0", "1234.6", "2469.1"}},
  };
  for (const TCase& k : cases) {
    TTestBody body(k.Scale, k.StartDepth);
    body.SetTop(40);
    TPrintDeepScale* scale = body.AddScale(10, k.Top, 30, k.Bottom);
    scale->Rullers()[0] = MakeRuller(k.Step, k.Modulus, 2, true, true);
    TRecordingPage page;
    TDrawContext c = page.Context();
    scale->Draw(c);
    EXPECT_EQ(page.MarkRows(), k.Rows) << "1:" << k.Scale << " step " << k.Step;
    EXPECT_EQ(page.Texts(), k.Labels) << page.Texts().join(' ').toStdString();
  }
}

TEST_F(DepthScaleTest, AScaleChangeKeepsTheMarksOnTheirDepths) {
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 240);
  scale->Rullers().push_back(MakeRuller(1, 5, 1, true, false));
  scale->SetModified(false);
  body.SetVertScale(100);
  EXPECT_EQ(scale->Rullers()[0].Modulus(), 10);
  EXPECT_EQ(scale->Rullers()[1].Modulus(), 10);
  EXPECT_TRUE(scale->GetModified());
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  EXPECT_EQ(page.Texts(), (QStringList{"0", "10", "20"}));
  EXPECT_NE(page.Device.FindHorizontalLine(280, 299, 1400), nullptr) << "10 m is 100 mm down at 1:100";
}

// Values straight from a damaged file: loading stays bounded, drawing ends
// at once and draws nothing.
TEST_F(DepthScaleTest, DamagedInputIsBounded) {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  qsWriteInteger(qs.Get(), 7, kindDeepScale);
  TPrintDeepScale loaded;
  ASSERT_TRUE(loaded.LoadFromQS(qs.Get()));
  EXPECT_EQ(loaded.Rullers().size(), 1u) << "a missing count is one ruler";
  qsWriteInteger(qs.Get(), 6144, 2000000000);
  ASSERT_TRUE(loaded.LoadFromQS(qs.Get()));
  EXPECT_EQ(loaded.Rullers().size(), size_t(kMaxRullers));
  qsWriteInteger(qs.Get(), 6144, -5);
  ASSERT_TRUE(loaded.LoadFromQS(qs.Get()));
  EXPECT_TRUE(loaded.Rullers().empty());

  TTestBody body(200);
  TPrintDeepScale* scale = body.AddScale(10, 0, 30, 2000);
  scale->Rullers().clear();
  for (double step : {1e-300, -10.0, 0.0, std::nan("")}) {
    TComPtr<ICompoundStream> r;
    qsCreateCompoundStream(r.Put());
    qsWriteDouble(r.Get(), 512, step);
    scale->Rullers().emplace_back().LoadFromQS(r.Get());
  }
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  // A start depth beyond the marks a double can count draws nothing either.
  TTestBody far(200, 1e300);
  TPrintDeepScale* deep = far.AddScale(10, 0, 30, 2000);
  deep->Draw(c);
  EXPECT_TRUE(page.MarkRows().empty()) << page.Device.Dump();
  EXPECT_TRUE(page.Texts().isEmpty());
}

TEST_F(DepthScaleTest, StorageRoundTripIsByteIdenticalAndMissingStreamsLoadDefaults) {
  TPrintDeepScale a;
  a.SetBoundsRect({10, 40, 30, 240});
  a.Rullers().push_back(MakeRuller(1, 5, 1, false, false));
  a.Rullers().push_back(MakeRuller(50, 5, 4, true, true));
  a.Rullers()[2].Font()->SetName("Times New Roman");
  const std::vector<uint8_t> first = StorageBytes(&a);
  auto storage = TStorage::OpenBytes(first);
  ASSERT_NE(storage, nullptr);
  EXPECT_TRUE(storage->ElementExists("ruller2"));
  TPrintDeepScale b;
  ASSERT_TRUE(b.LoadFromStorage(storage.get()));
  EXPECT_EQ(TextForms(b.Rullers()), TextForms(a.Rullers()));
  EXPECT_EQ(b.Rullers()[2].Font()->Name(), "Times New Roman");
  EXPECT_EQ(StorageBytes(&b), first);

  // A count of 3 with only "ruller0" stored: the other two are default rulers.
  TPrintDeepScale three;
  three.Rullers().assign(3, MakeRuller(25, 2, 3, false, false));
  auto partial = TStorage::CreateNew();
  TComPtr<IStream> index, r0;
  ASSERT_EQ(partial->CreateStream("index", index.Put()), S_OK);
  ASSERT_TRUE(three.SaveToStream(index.Get()));
  ASSERT_EQ(partial->CreateStream("ruller0", r0.Put()), S_OK);
  ASSERT_TRUE(three.Rullers()[0].SaveToStream(r0.Get()));
  std::vector<uint8_t> bytes;
  ASSERT_EQ(partial->SaveToBytes(&bytes), S_OK);
  ASSERT_TRUE(b.LoadFromStorage(TStorage::OpenBytes(bytes).get()));
  EXPECT_EQ(TextForms(b.Rullers()), (QStringList{three.Rullers()[0].ToText(), TRuller().ToText(), TRuller().ToText()}));

  // A ruler stream that cannot be written fails the save and leaves the scale unsaved.
  auto taken = TStorage::CreateNew();
  TComPtr<IStream> in;
  ASSERT_EQ(taken->CreateStream("ruller0", in.Put()), S_OK);
  EXPECT_FALSE(b.SaveToStorage(taken.get()));
  EXPECT_TRUE(b.GetModified());
}

TEST_F(DepthScaleTest, AssignAndIniFormKeepTheRulers) {
  RegisterDepthScaleKinds();
  TTestBody body(200);
  TPrintDeepScale* a = body.AddScale(10, 0, 30, 100);
  a->Rullers().push_back(MakeRuller(1, 5, 1, false, false));
  // A body copied (as an undo snapshot is) copies its scale's rulers, not shares them.
  TTestBody snapshot;
  snapshot.Assign(&body);
  auto* copied = dynamic_cast<TPrintDeepScale*>(snapshot.GetChild(0));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(TextForms(copied->Rullers()), TextForms(a->Rullers()));
  copied->Rullers()[0].Font()->SetSize(20);
  EXPECT_EQ(a->Rullers()[0].Font()->Size(), 10);

  // Keys with a prefix, read up to the first gap.
  TIniFile ini(Path("template.knt"));
  ini.WriteString("D", "S.WIDTH", "15");
  ini.WriteString("D", "S.RULLER1", "STEP=10 KOEF=2 MARKSIZE=3 RIGHT=1 FONT=1");
  ini.WriteString("D", "S.RULLER1.FONT.SIZE", "12");
  ini.WriteString("D", "S.RULLER2", "STEP=1 KOEF=2 MARKSIZE=1 RIGHT=1 FONT=0");
  ini.WriteString("D", "S.RULLER4", "STEP=100");
  TPrintDeepScale s;
  ASSERT_TRUE(s.LoadFromIni(&ini, "D", "S."));
  EXPECT_EQ(s.GetWidth(), 15);
  ASSERT_EQ(s.Rullers().size(), 2u);
  EXPECT_EQ(s.Rullers()[0].Font()->Size(), 12);
  // A shorter list leaves no entries of a longer one behind.
  TIniFile out(Path("out.ini"));
  s.Rullers().push_back(MakeRuller(5, 2, 2, true, true));
  ASSERT_TRUE(s.SaveToIni(&out, "S", ""));
  s.Rullers().resize(1);
  ASSERT_TRUE(s.SaveToIni(&out, "S", ""));
  TPrintDeepScale back;
  back.LoadFromIni(&out, "S", "");
  EXPECT_EQ(TextForms(back.Rullers()), TextForms(s.Rullers()));
  EXPECT_FALSE(out.ValueExists("S", "RULLER2"));
  EXPECT_FALSE(out.ValueExists("S", "RULLER3.FONT.SIZE"));
}

// The program itself knows kind 2: --dump names the ruler fields, --resave
// writes the file back unchanged.
TEST_F(DepthScaleTest, CommandLineDumpsAndResavesAScaleFile) {
  TPrintDeepScale scale;
  scale.SetBoundsRect({5, 0, 25, 300});
  scale.Rullers().push_back(MakeRuller(1, 5, 1, true, false));
  const QString in = Path("scale.kno"), out = Path("again.kno");
  ASSERT_EQ(SaveObjectFile(&scale, in), S_OK);
  const QJsonObject object = QJsonDocument::fromJson(KernoOutput({"--dump", in})).object()["object"].toObject();
  const QJsonArray rulers = object["rulers"].toArray();
  ASSERT_EQ(rulers.size(), 2);
  EXPECT_EQ(rulers[0].toObject()["font"].toObject()["size"].toInt(), 10);
  EXPECT_EQ(rulers[1].toObject()["markSize"].toDouble(), 1);
  EXPECT_TRUE(rulers[1].toObject()["font"].isNull());
  KernoOutput({"--resave", in, out});
  QFile a(in), b(out);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
}
