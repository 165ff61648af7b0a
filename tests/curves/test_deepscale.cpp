// The depth scale: its first ruler, marks and labels on their depths through
// the parent's mapping, rescaling, the stream, storage and INI forms with
// damaged input, and the program's --dump and --resave of a scale file.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <chrono>
#include <cmath>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uObjectFile.h"

namespace {

TComPtr<ICompoundStream> NewQS() {
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  return qs;
}

TRuller Ruller(double step, double modulus, double mark, bool right, bool font) {
  TRuller r;
  r.SetModulus(modulus);
  r.SetStep(step);
  r.SetMarkSize(mark);
  r.SetRight(right);
  if (!font) r.RemoveFont();
  return r;
}

QStringList TextForms(const TRullerList& rulers) {
  QStringList out;
  for (const TRuller& r : rulers) out << r.ToText();
  return out;
}

// Rows (device y) of the horizontal lines of the recording.
std::vector<int> MarkRows(const TRecordingPage& page) {
  std::vector<int> rows;
  for (const auto& l : page.HorizontalLines()) rows.push_back(l[0]);
  return rows;
}

}  // namespace

using DepthScaleTest = TCurvesTest;

TEST_F(DepthScaleTest, NewScaleHoldsOneRulerFittedToTheDefaultScale) {
  TPrintDeepScale scale;
  EXPECT_EQ(scale.GetKind(), 2);
  EXPECT_EQ(KindName(scale.GetKind()), "DeepScale");
  EXPECT_TRUE(scale.Border());
  ASSERT_EQ(scale.Rullers().size(), 1u);
  EXPECT_EQ(scale.Rullers()[0].ToText(), "STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1");
  EXPECT_EQ(scale.GetFont(), scale.Rullers()[0].Font());
  // The font is the last ruler's that has one.
  scale.Rullers().push_back(Ruller(1, 5, 1, true, true));
  scale.Rullers().push_back(Ruller(1, 5, 1, true, false));
  EXPECT_EQ(scale.GetFont(), scale.Rullers()[1].Font());
  for (TRuller& r : scale.Rullers()) r.RemoveFont();
  EXPECT_EQ(scale.GetFont(), nullptr);
}

TEST_F(DepthScaleTest, MarksAt0_10_20MetresAtOneTo200) {
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 140);
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  // 10 m is 50 mm at 1:200; 10 px per mm; marks 2 mm (20 px) from the right edge (300).
  const auto lines = page.HorizontalLines();
  ASSERT_EQ(lines.size(), 3u) << page.Device.Dump();
  EXPECT_EQ(lines[0], (std::array<int, 3>{400, 280, 299}));
  EXPECT_EQ(lines[1], (std::array<int, 3>{900, 280, 299}));
  EXPECT_EQ(lines[2], (std::array<int, 3>{1400, 280, 299}));
  EXPECT_EQ(page.Texts(), (QStringList{"0", "10", "20"}));
  // Labels stand left of the marks, right-aligned 2 px before them, centred on the mark.
  const TRecordedItem* ten = page.Device.FindText("10");
  EXPECT_LE(ten->Rect.right(), 278.5);
  EXPECT_GE(ten->Rect.right(), 270);
  EXPECT_NEAR(ten->Rect.center().y(), 900, 4);
  EXPECT_NEAR(ten->FontDevicePixels, 35, 1) << "10 pt at 254 dpi";
  // The border is drawn after the marks, by the list's own drawing.
  EXPECT_EQ(page.Device.Items().back().Kind, TRecordKind::Polygon);
}

TEST_F(DepthScaleTest, ModulusTwoAtOneTo500MarksTheSameDepths) {
  TTestBody body(500);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 140);
  scale->Rullers()[0].SetModulus(2);
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  // 10 m is 20 mm at 1:500.
  EXPECT_EQ(MarkRows(page), (std::vector<int>{400, 600, 800, 1000, 1200, 1400}));
  EXPECT_EQ(page.Texts(), (QStringList{"0", "10", "20", "30", "40", "50"}));
}

TEST_F(DepthScaleTest, MarksStartAtTheFirstStepInsideTheColumn) {
  // The scale's top lies at 12 m: with a 5 m step the first mark is 15 m.
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 100, 30, 150);
  scale->Rullers()[0].SetStep(5);
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  EXPECT_EQ(page.Texts(), (QStringList{"15", "20"}));
  EXPECT_EQ(MarkRows(page), (std::vector<int>{1150, 1400}));

  // The body's start depth moves the labels, not the marks' spacing.
  TTestBody deep(200, 1000);
  deep.SetTop(40);
  TPrintDeepScale* s2 = deep.AddScale(10, 40, 30, 90);
  page.Device.Clear();
  s2->Draw(c);
  EXPECT_EQ(page.Texts(), (QStringList{"1000", "1010"}));
}

TEST_F(DepthScaleTest, LeftRulersAndLabelsOfFiveSignificantDigits) {
  TTestBody body(200);
  TPrintDeepScale* scale = body.AddScale(10, 0, 30, 20);
  // A mark every 0.1 m, 5 mm apart; 0.3 must not read 0.30000000000000004.
  scale->Rullers()[0] = Ruller(0.1, 50, 1, false, true);
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  const auto lines = page.HorizontalLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], (std::array<int, 3>{150, 100, 109})) << "from the left edge, 1 mm long";
  EXPECT_EQ(page.Texts(), (QStringList{"0", "0.1", "0.2", "0.3", "0.4"}));
  EXPECT_GE(page.Device.FindText("0.3")->Rect.left(), 112) << "the label box starts 2 px after the mark";
  EXPECT_LE(page.Device.FindText("0.3")->Rect.right(), 300.5);

  page.Device.Clear();
  scale->Rullers()[0] = Ruller(1234.56, 0.001, 1, true, true);  // 1.23456 mm apart
  scale->Draw(c);
  EXPECT_TRUE(page.Texts().contains("12346")) << page.Texts().join(",").toStdString();
}

TEST_F(DepthScaleTest, DrawsNothingWithoutBordersOptionSizeOrClip) {
  TTestBody body(200);
  TPrintDeepScale* scale = body.AddScale(10, 0, 30, 100);
  TRecordingPage page;
  TDrawContext frames = page.Context(doFrames);
  scale->Draw(frames);
  EXPECT_TRUE(page.HorizontalLines().empty()) << "marks are drawn with the printable borders only";
  EXPECT_FALSE(page.Device.Items().empty()) << "the editor frame is drawn";

  page.Device.Clear();
  TDrawContext away = page.Context(doBorders | doFrames);
  away.ClipRect = {2000, 2000, 2100, 2100};
  scale->Draw(away);
  EXPECT_TRUE(page.Device.Items().empty()) << "outside the clip nothing is drawn, not even the frame";

  page.Device.Clear();
  scale->SetWidth(0);
  TDrawContext all = page.Context(doBorders | doFrames);
  scale->Draw(all);
  EXPECT_TRUE(page.Device.Items().empty());
}

TEST_F(DepthScaleTest, ChangingTheVerticalScaleKeepsMarksOnTheirDepths) {
  TTestBody body(200);
  body.SetTop(40);
  TPrintDeepScale* scale = body.AddScale(10, 40, 30, 240);
  scale->Rullers().push_back(Ruller(1, 5, 1, true, false));
  scale->SetModified(false);
  body.SetVertScale(100);
  EXPECT_EQ(scale->Rullers()[0].Modulus(), 10);
  EXPECT_EQ(scale->Rullers()[1].Modulus(), 10);
  EXPECT_TRUE(scale->GetModified());
  TRecordingPage page;
  TDrawContext c = page.Context();
  scale->Draw(c);
  // 10 m is now 100 mm below the top: row 1400.
  const QStringList texts = page.Texts();
  EXPECT_EQ(texts, (QStringList{"0", "10", "20"}));
  EXPECT_NE(page.Device.FindHorizontalLine(280, 299, 1400), nullptr) << page.Device.Dump();
}

// Damaged values come straight from a file: drawing must end promptly and
// draw nothing sensible-looking in their place.
TEST_F(DepthScaleTest, DamagedRulersNeitherHangNorDraw) {
  TTestBody body(200, 1e300);
  TPrintDeepScale* scale = body.AddScale(10, 0, 30, 2000);
  auto qs = NewQS();
  for (double step : {1e-300, -10.0, 0.0, std::nan("")}) {
    qsWriteDouble(qs.Get(), 512, step);
    TRuller r;
    r.LoadFromQS(qs.Get());
    scale->Rullers().push_back(r);
  }
  scale->Rullers().erase(scale->Rullers().begin());
  TRecordingPage page;
  TDrawContext c = page.Context();
  const auto start = std::chrono::steady_clock::now();
  scale->Draw(c);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(page.HorizontalLines().empty()) << page.Device.Dump();
  EXPECT_TRUE(page.Texts().isEmpty());
  // A start depth far beyond the representable marks draws nothing either.
  scale->Rullers().assign(1, TRuller());
  scale->Draw(c);
  EXPECT_TRUE(page.HorizontalLines().empty());
}

TEST_F(DepthScaleTest, StorageRoundTripIsByteIdentical) {
  TPrintDeepScale a;
  a.SetBoundsRect({10, 40, 30, 240});
  a.Rullers().push_back(Ruller(1, 5, 1, false, false));
  a.Rullers().push_back(Ruller(50, 5, 4, true, true));
  a.Rullers()[2].Font()->SetName("Times New Roman");
  a.SetBorder(false);
  const std::vector<uint8_t> first = StorageBytes(&a);
  ASSERT_FALSE(first.empty());

  auto storage = TStorage::OpenBytes(first);
  ASSERT_NE(storage, nullptr);
  for (const char* name : {"index", "version", "ruller0", "ruller1", "ruller2"})
    EXPECT_TRUE(storage->ElementExists(name)) << name;
  TPrintDeepScale b;
  ASSERT_TRUE(b.LoadFromStorage(storage.get()));
  EXPECT_EQ(TextForms(b.Rullers()), TextForms(a.Rullers()));
  EXPECT_EQ(b.Rullers()[2].Font()->Name(), "Times New Roman");
  EXPECT_FALSE(b.Border());
  EXPECT_FALSE(b.GetModified());
  EXPECT_EQ(StorageBytes(&b), first);
}

TEST_F(DepthScaleTest, MissingRulerStreamsAndCountsLoadDefaults) {
  // Count 3 but only "ruller0" stored.
  TPrintDeepScale three;
  three.Rullers().assign(3, Ruller(25, 2, 3, false, false));
  auto storage = TStorage::CreateNew();
  {
    TComPtr<IStream> index;
    ASSERT_EQ(storage->CreateStream("index", index.Put()), S_OK);
    ASSERT_TRUE(three.SaveToStream(index.Get()));
    TComPtr<IStream> r0;
    ASSERT_EQ(storage->CreateStream("ruller0", r0.Put()), S_OK);
    ASSERT_TRUE(three.Rullers()[0].SaveToStream(r0.Get()));
  }
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);
  auto read = TStorage::OpenBytes(bytes);
  TPrintDeepScale loaded;
  ASSERT_TRUE(loaded.LoadFromStorage(read.get()));
  ASSERT_EQ(loaded.Rullers().size(), 3u);
  EXPECT_EQ(loaded.Rullers()[0].ToText(), "STEP=25 KOEF=2 MARKSIZE=3 RIGHT=0 FONT=0");
  EXPECT_EQ(loaded.Rullers()[1].ToText(), TRuller().ToText());
  EXPECT_EQ(loaded.Rullers()[2].ToText(), TRuller().ToText());

  // No count at all: one default ruler.
  auto bare = NewQS();
  qsWriteInteger(bare.Get(), 7, kindDeepScale);
  ASSERT_TRUE(loaded.LoadFromQS(bare.Get()));
  EXPECT_EQ(loaded.Rullers().size(), 1u);
}

TEST_F(DepthScaleTest, HostileCountsAreBounded) {
  TPrintDeepScale scale;
  auto qs = NewQS();
  qsWriteInteger(qs.Get(), 7, kindDeepScale);
  qsWriteInteger(qs.Get(), 6144, 2000000000);
  ASSERT_TRUE(scale.LoadFromQS(qs.Get()));
  EXPECT_EQ(scale.Rullers().size(), static_cast<size_t>(kMaxRullers));
  qsWriteInteger(qs.Get(), 6144, -5);
  ASSERT_TRUE(scale.LoadFromQS(qs.Get()));
  EXPECT_TRUE(scale.Rullers().empty());

  // A stream of another kind changes nothing.
  scale.Rullers().assign(2, TRuller());
  qsWriteInteger(qs.Get(), 7, kindText);
  EXPECT_FALSE(scale.LoadFromQS(qs.Get()));
  EXPECT_EQ(scale.Rullers().size(), 2u);
}

TEST_F(DepthScaleTest, AFailedRulerStreamFailsTheSave) {
  TPrintDeepScale scale;
  auto storage = TStorage::CreateNew();
  TComPtr<IStream> taken;
  ASSERT_EQ(storage->CreateStream("ruller0", taken.Put()), S_OK);
  EXPECT_FALSE(scale.SaveToStorage(storage.get()));
  EXPECT_TRUE(scale.GetModified()) << "an incomplete save leaves the scale unsaved";
}

TEST_F(DepthScaleTest, AssignCopiesTheRulersIndependently) {
  TTestBody body(200);
  TPrintDeepScale* a = body.AddScale(10, 0, 30, 100);
  a->Rullers().push_back(Ruller(1, 5, 1, false, false));
  TPrintDeepScale b;
  b.Assign(a);
  EXPECT_EQ(TextForms(b.Rullers()), TextForms(a->Rullers()));
  EXPECT_EQ(b.Left(), 10);
  b.Rullers()[0].SetStep(99);
  b.Rullers()[0].Font()->SetSize(20);
  EXPECT_EQ(a->Rullers()[0].Step(), 10);
  EXPECT_EQ(a->Rullers()[0].Font()->Size(), 10);

  // A whole body copied (as an undo snapshot is) keeps its scale's rulers.
  RegisterDepthScaleKinds();
  struct TFactoryBody : TTestBody {
    std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindDeepScale}); }
  } snapshot;
  snapshot.Assign(&body);
  ASSERT_EQ(snapshot.Count(), 1);
  auto* copied = dynamic_cast<TPrintDeepScale*>(snapshot.GetChild(0));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(TextForms(copied->Rullers()), TextForms(a->Rullers()));
}

TEST_F(DepthScaleTest, IniFormReadsRulersUpToTheFirstGapAndDropsStaleOnes) {
  TIniFile ini(Path("template.knt"));
  ini.WriteString("DeepScale_auto1", "S.WIDTH", "15");
  ini.WriteString("DeepScale_auto1", "S.RULLER1", "STEP=10 KOEF=2 MARKSIZE=3 RIGHT=1 FONT=1");
  ini.WriteString("DeepScale_auto1", "S.RULLER1.FONT.SIZE", "12");
  ini.WriteString("DeepScale_auto1", "S.RULLER2", "STEP=1 KOEF=2 MARKSIZE=1 RIGHT=1 FONT=0");
  ini.WriteString("DeepScale_auto1", "S.RULLER4", "STEP=100");
  TPrintDeepScale scale;
  ASSERT_TRUE(scale.LoadFromIni(&ini, "DeepScale_auto1", "S."));
  EXPECT_EQ(scale.GetWidth(), 15);
  ASSERT_EQ(scale.Rullers().size(), 2u);
  EXPECT_EQ(scale.Rullers()[0].Font()->Size(), 12);
  EXPECT_FALSE(scale.Rullers()[1].HasFont());

  // Saved and read back; a shorter list leaves no entries of the longer one.
  TIniFile out(Path("out.ini"));
  scale.Rullers().push_back(Ruller(5, 2, 2, true, true));
  ASSERT_TRUE(scale.SaveToIni(&out, "S", ""));
  TPrintDeepScale back;
  back.LoadFromIni(&out, "S", "");
  EXPECT_EQ(TextForms(back.Rullers()), TextForms(scale.Rullers()));
  scale.Rullers().resize(1);
  ASSERT_TRUE(scale.SaveToIni(&out, "S", ""));
  EXPECT_FALSE(out.ValueExists("S", "RULLER2"));
  EXPECT_FALSE(out.ValueExists("S", "RULLER3"));
  EXPECT_FALSE(out.ValueExists("S", "RULLER3.FONT.SIZE"));
  EXPECT_TRUE(out.ValueExists("S", "RULLER1.FONT.SIZE"));
}

TEST_F(DepthScaleTest, DumpNamesTheRulerFields) {
  TPrintDeepScale scale;
  scale.Rullers().push_back(Ruller(1, 5, 1, false, false));
  QJsonObject json;
  scale.DumpProperties(&json);
  EXPECT_EQ(json["kindName"].toString(), "DeepScale");
  EXPECT_TRUE(json["border"].toBool());
  const QJsonArray rulers = json["rulers"].toArray();
  ASSERT_EQ(rulers.size(), 2);
  const QJsonObject first = rulers[0].toObject();
  EXPECT_EQ(first["step"].toDouble(), 10);
  EXPECT_EQ(first["modulus"].toDouble(), 5);
  EXPECT_EQ(first["markSize"].toDouble(), 2);
  EXPECT_TRUE(first["right"].toBool());
  EXPECT_EQ(first["font"].toObject()["size"].toInt(), 10);
  EXPECT_TRUE(rulers[1].toObject()["font"].isNull());
}

// The program's own commands read and rewrite a scale's file unchanged.
TEST_F(DepthScaleTest, CommandLineDumpsAndResavesAScaleFile) {
  TPrintDeepScale scale;
  scale.SetBoundsRect({5, 0, 25, 300});
  scale.Rullers().push_back(Ruller(1, 5, 1, true, false));
  const QString in = Path("scale.kno");
  ASSERT_EQ(SaveObjectFile(&scale, in), S_OK);

  QProcess dump;
  dump.start(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), {"--dump", in});
  ASSERT_TRUE(dump.waitForFinished(60000));
  ASSERT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
  const QJsonObject object = QJsonDocument::fromJson(dump.readAllStandardOutput()).object()["object"].toObject();
  EXPECT_EQ(object["kind"].toInt(), 2);
  ASSERT_EQ(object["rulers"].toArray().size(), 2);
  EXPECT_EQ(object["rulers"].toArray()[1].toObject()["step"].toDouble(), 1);

  const QString out = Path("again.kno");
  QProcess resave;
  resave.start(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), {"--resave", in, out});
  ASSERT_TRUE(resave.waitForFinished(60000));
  ASSERT_EQ(resave.exitCode(), 0) << resave.readAllStandardError().toStdString();
  QFile a(in), b(out);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
}
