// Curve plots stored and restored: the storage round trip byte for byte,
// packed samples read through the codec and written back plain, damaged
// sample streams loading as empty curves with a message, the user defaults
// in INI sections, and the program's --dump and --resave of a curve file.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

#include "curvpress.h"
#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uCurvesTestEnv.h"
#include "uIniFile.h"
#include "uKernoRun.h"
#include "uObjectFile.h"
#include "uPrintDiagrammScale.h"
#include "uPrintMarker.h"
#include "uPrintText.h"
#include "uStorage.h"

namespace {

constexpr double N = kDefaultNullValue;

std::vector<uint8_t> StorageBytes(TPrintObjectList* list) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (list->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}

std::vector<double> Wave(int n) {
  std::vector<double> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = 50 + 20 * std::sin(i * 0.05) + (i % 7) * 0.25;
  return v;
}

// The stream a curve saves, to be damaged by a test.
TComPtr<ICompoundStream> SavedStream(TPrintDiagramm* curve) {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  EXPECT_TRUE(curve->SaveToQS(s.Get()));
  return s;
}

// Replaces the plain samples of `s` by `values` packed with `type`; `damage`
// may change the packed stream before it is nested.
void PutPacked(ICompoundStream* s, const std::vector<double>& values, int32_t type,
               const std::function<void(ICompoundStream*)>& damage = {}) {
  s->DeleteValue(5377);
  s->DeleteValue(5378);
  TComPtr<ICompoundStream> packed;
  ASSERT_EQ(cpEncode(values.data(), static_cast<int32_t>(values.size()), type, packed.Put()), S_OK);
  if (damage) damage(packed.Get());
  ASSERT_EQ(qsWriteCompoundStream(s, 5392, packed.Get()), S_OK);
}

}  // namespace

using CurveStoreTest = TCurvesTest;

TEST_F(CurveStoreTest, StorageRoundTripIsByteIdenticalWithChildren) {
  RegisterTextKinds();
  RegisterCurvePlotKinds();
  TTestBody body(200);
  TPrintDiagramm* c = body.AddCurve(15, 1000, 0.1, Wave(3000));
  c->SetName("Гамма");  // Cyrillic survives the single-byte stream form
  c->SetColor(0x336699);
  c->SetLineWidth(0.4);
  c->SetLineStyle(3);
  c->SetLogarithmic(true);
  c->SetMeasure(2.5);
  c->SetNullValue(-999.25);
  c->AddNameCaption(nullptr);
  c->AddScaleHeader(nullptr)->SetMarkIndex2(3);
  c->ClickAt(2, 20, 5030);
  c->Changed();
  const std::vector<uint8_t> first = StorageBytes(c);
  ASSERT_FALSE(first.empty());

  TTestBody again(200);
  TPrintDiagramm* d = again.AddCurve(15, 0, 1, {});
  ASSERT_TRUE(d->LoadFromStorage(TStorage::OpenBytes(first).get()));
  EXPECT_EQ(d->Name(), "Гамма");
  EXPECT_EQ(d->Samples(), c->Samples());
  EXPECT_EQ(d->StartDepth(), 1000);
  EXPECT_EQ(d->DepthStep(), 0.1);
  EXPECT_EQ(d->NullValue(), -999.25);
  EXPECT_EQ(d->LineStyle(), 3);
  EXPECT_TRUE(d->Logarithmic());
  ASSERT_EQ(d->Count(), 3);
  EXPECT_EQ(d->GetChild(2)->GetKind(), kindMarker);
  EXPECT_EQ(StorageBytes(d), first);
  EXPECT_TRUE(FUi.Messages.empty());
}

TEST_F(CurveStoreTest, PackedSamplesLoadThroughTheCodecAndSaveBackPlain) {
  const std::vector<double> values = Wave(5000);
  for (const int32_t type : {cpDelta8, cpDelta12, cpDelta16, cpFloat32, cpFloat64}) {
    TPrintDiagramm c;
    c.SetName("RHOB");
    c.SetSamples(0, 0.2, {});
    TComPtr<ICompoundStream> s = SavedStream(&c);
    PutPacked(s.Get(), values, type);
    TPrintDiagramm d;
    ASSERT_TRUE(d.LoadFromQS(s.Get()));
    // Exactly what the codec decodes (delta types drift within their step).
    TComPtr<ICompoundStream> packed;
    ASSERT_EQ(qsReadCompoundStream(s.Get(), 5392, packed.Put()), S_OK);
    std::vector<double> decoded(values.size());
    ASSERT_EQ(cpDecode(packed.Get(), decoded.data(), static_cast<int32_t>(decoded.size())), S_OK);
    EXPECT_EQ(d.Samples(), decoded) << type;
    if (type == cpFloat64) {
      EXPECT_EQ(d.Samples(), values);
    }

    TComPtr<ICompoundStream> out = SavedStream(&d);
    TCompoundEntry entry{};
    EXPECT_NE(out->GetEntry(5392, &entry), S_OK) << "the packed form is never written";
    EXPECT_EQ(qsReadInteger(out.Get(), 5378, -1), 5000);
    ASSERT_EQ(out->GetEntry(5377, &entry), S_OK);
    EXPECT_EQ(entry.Size, 5000u * 8);
  }
  EXPECT_TRUE(FUi.Messages.empty());
}

// Every damaged form loads an empty curve with one message naming it; the
// rest of the curve loads as stored, and nothing is allocated for counts
// the stored bytes cannot hold.
TEST_F(CurveStoreTest, DamagedSampleStreamsLoadEmptyWithAMessage) {
  const std::vector<double> values = Wave(100);
  const struct {
    const char* Name;
    std::function<void(ICompoundStream*)> Damage;
  } cases[] = {
      {"packed count beyond its buffer",
       [&](ICompoundStream* s) {
         PutPacked(s, values, cpDelta8, [](ICompoundStream* p) { p->WriteInteger(cpIdCount, 1000); });
       }},
      {"packed count of two thousand million",
       [&](ICompoundStream* s) {
         PutPacked(s, values, cpFloat64,
                   [](ICompoundStream* p) { p->WriteInteger(cpIdCount, std::numeric_limits<int32_t>::max()); });
       }},
      {"packed zero quantisation step",
       [&](ICompoundStream* s) {
         PutPacked(s, values, cpDelta16, [](ICompoundStream* p) { p->WriteDouble(cpIdStep, 0); });
       }},
      {"packed buffer truncated",
       [&](ICompoundStream* s) {
         PutPacked(s, values, cpFloat32, [](ICompoundStream* p) {
           std::vector<uint8_t> half(200);
           p->WriteBuffer(cpIdBuffer, half.data(), 200);
         });
       }},
      {"nested stream that is no packed curve",
       [&](ICompoundStream* s) {
         TComPtr<ICompoundStream> other;
         qsCreateCompoundStream(other.Put());
         other->WriteInteger(2, 100);
         qsWriteCompoundStream(s, 5392, other.Get());
       }},
      {"negative count", [](ICompoundStream* s) { s->WriteInteger(5378, -1); }},
      {"count beyond the values", [](ICompoundStream* s) { s->WriteInteger(5378, 101); }},
      {"values beyond the count", [](ICompoundStream* s) { s->WriteInteger(5378, 99); }},
      {"count of two thousand million",
       [](ICompoundStream* s) { s->WriteInteger(5378, std::numeric_limits<int32_t>::max()); }},
      {"values missing", [](ICompoundStream* s) { s->DeleteValue(5377); }},
      {"zero depth step", [](ICompoundStream* s) { s->WriteDouble(5379, 0); }},
      {"depth step not a number", [](ICompoundStream* s) { s->WriteDouble(5379, std::nan("")); }},
      {"start depth infinite", [](ICompoundStream* s) { s->WriteDouble(5391, INFINITY); }},
  };
  for (const auto& k : cases) {
    TPrintDiagramm c;
    c.SetName("CALI");
    c.SetColor(0x0000FF);
    c.SetSamples(50, 0.5, values);
    TComPtr<ICompoundStream> s = SavedStream(&c);
    k.Damage(s.Get());
    FUi.Messages.clear();
    TPrintDiagramm d;
    EXPECT_TRUE(d.LoadFromQS(s.Get())) << k.Name;
    EXPECT_EQ(d.SampleCount(), 0) << k.Name;
    EXPECT_GT(d.DepthStep(), 0) << k.Name;
    EXPECT_EQ(d.Name(), "CALI");
    EXPECT_EQ(d.Color(), 0x0000FFu);
    ASSERT_EQ(FUi.Messages.size(), 1u) << k.Name;
    EXPECT_TRUE(FUi.Messages[0].Text.contains("CALI")) << FUi.Messages[0].Text.toStdString();
    // The empty curve saves and loads again without complaint.
    TComPtr<ICompoundStream> again = SavedStream(&d);
    FUi.Messages.clear();
    TPrintDiagramm e;
    EXPECT_TRUE(e.LoadFromQS(again.Get()));
    EXPECT_TRUE(FUi.Messages.empty()) << k.Name << " "
                                      << (FUi.Messages.empty() ? "" : FUi.Messages[0].Text.toStdString());
  }

  // No samples at all is no damage; neither is a zero step on an empty curve.
  TPrintDiagramm empty;
  TComPtr<ICompoundStream> s = SavedStream(&empty);
  s->DeleteValue(5377);
  s->DeleteValue(5378);
  s->WriteDouble(5379, 0);
  FUi.Messages.clear();
  TPrintDiagramm d;
  ASSERT_TRUE(d.LoadFromQS(s.Get()));
  EXPECT_EQ(d.SampleCount(), 0);
  EXPECT_EQ(d.DepthStep(), 1);
  EXPECT_TRUE(FUi.Messages.empty());
}

TEST_F(CurveStoreTest, UserDefaultsInIniSectionsWithCaptionAndScale) {
  TTestBody body;
  body.SetLeft(50);
  TPrintDiagramm* c = body.AddCurve(60, 0, 1, {1, 2, 3});
  c->SetName("DT");
  c->SetColor(255);
  c->SetMeasure(40);
  c->SetLineWidth(0.3);
  c->SetLineStyle(2);
  c->AddNameCaption(nullptr)->Font().SetSize(14);
  TPrintDiagrammScale* scale = c->AddScaleHeader(nullptr);
  scale->SetMeasureName("us/ft");
  scale->SetMarkStep(30);
  TIniFile ini(Path("params.ini"));
  ASSERT_TRUE(c->SaveToIni(&ini, "DT", ""));
  EXPECT_EQ(ini.ReadString("DT", "XPOSITION", ""), "10") << "offset inside the column";
  EXPECT_EQ(ini.ReadString("DT", "SCALE.MEASUREMENT", ""), "40");
  EXPECT_EQ(ini.ReadString("DT", "LINE.STYLE", ""), "2");
  EXPECT_EQ(ini.ReadString("DT", "NAME.FONT.SIZE", ""), "14");
  EXPECT_EQ(ini.ReadString("DT", "SCALE.NAME", ""), "us/ft");
  EXPECT_EQ(ini.ReadString("DT", "SCALE.MARKSTEP", ""), "30");

  // Another column, elsewhere on the page: the offset is kept, not the page position.
  TTestBody other;
  other.SetLeft(100);
  TPrintDiagramm* d = other.AddCurve(100, 0, 1, {1, 2, 3});
  ASSERT_TRUE(d->LoadFromIni(&ini, "DT", ""));
  EXPECT_EQ(d->Left(), 110);
  EXPECT_EQ(d->Color(), 255u);
  EXPECT_EQ(d->Measure(), 40);
  EXPECT_EQ(d->LineWidth(), 0.3);
  EXPECT_EQ(d->LineStyle(), 2);

  // A name the file does not know leaves the curve alone; unreadable values keep theirs.
  EXPECT_FALSE(d->LoadFromIni(&ini, "GR", ""));
  EXPECT_EQ(d->Left(), 110);
  ini.WriteString("DT", "XPOSITION", "left");
  ini.WriteString("DT", "LINE.STYLE", "dots");
  ini.WriteString("DT", "SCALE.MEASUREMENT", "many");
  d->SetLineStyle(4);
  ASSERT_TRUE(d->LoadFromIni(&ini, "DT", ""));
  EXPECT_EQ(d->Left(), 110);
  EXPECT_EQ(d->LineStyle(), 4);
  EXPECT_EQ(d->Measure(), 40);
  ini.DeleteKey("DT", "SCALE.MEASUREMENT");
  ASSERT_TRUE(d->LoadFromIni(&ini, "DT", ""));
  EXPECT_EQ(d->Measure(), 1) << "a missing measure is 1";

  // The scale writes step and size only when they differ from 20 and 2, and
  // takes back a value an earlier save left.
  scale->SetMarkStep(20);
  ASSERT_TRUE(scale->SaveToIni(&ini, "DT", "SCALE."));
  EXPECT_FALSE(ini.ValueExists("DT", "SCALE.MARKSTEP"));
  EXPECT_FALSE(ini.ValueExists("DT", "SCALE.MARKSIZE"));
  EXPECT_EQ(ini.ReadString("DT", "SCALE.MARKINDEX1", "x"), "");
  TPrintDiagrammScale back;
  back.SetMarkIndex1(4);
  back.SetMarkStep(50);
  ASSERT_TRUE(back.LoadFromIni(&ini, "DT", "SCALE."));
  EXPECT_EQ(back.MarkIndex1(), 4) << "an empty index keeps the current one";
  EXPECT_EQ(back.MarkStep(), 50);
  EXPECT_EQ(back.MeasureName(), "us/ft");

  // The defaults file lives in the program folder, or with the user's settings
  // when the program folder cannot take it.
  EXPECT_EQ(CurveDefaultsFileName(), Path("kerno.ini"));
  QFile plain(Path("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  SetProgramDir(Path("plain"));
  qputenv("XDG_CONFIG_HOME", Path("config").toUtf8());
  EXPECT_EQ(CurveDefaultsFileName(), Path("config/Kerno/kerno.ini"));
  qunsetenv("XDG_CONFIG_HOME");
}

// The program knows kind 276: --dump names the curve's fields, --resave
// writes the file back unchanged.
TEST_F(CurveStoreTest, CommandLineDumpsAndResavesACurveFile) {
  RegisterTextKinds();
  RegisterCurvePlotKinds();
  TPrintDiagramm curve;
  curve.SetName("GR");
  curve.SetLogarithmic(true);
  curve.SetMeasure(4);
  ASSERT_TRUE(curve.SetSamples(1200, 0.25, {N, 8, 80, 12.5}));
  curve.SetLeft(5);
  curve.Changed();
  curve.AddScaleHeader(nullptr)->SetMeasureName("API");
  curve.ClickAt(2, 7, 3);
  const QString in = Path("curve.kno"), out = Path("again.kno");
  ASSERT_EQ(SaveObjectFile(&curve, in), S_OK);
  const QJsonObject object = QJsonDocument::fromJson(KernoOutput({"--dump", in})).object()["object"].toObject();
  EXPECT_EQ(object["name"].toString(), "GR");
  EXPECT_EQ(object["sampleCount"].toInt(), 4);
  EXPECT_EQ(object["startDepth"].toDouble(), 1200);
  EXPECT_EQ(object["depthStep"].toDouble(), 0.25);
  EXPECT_EQ(object["endDepth"].toDouble(), 1200.75);
  EXPECT_EQ(object["firstValue"].toDouble(), N);
  EXPECT_EQ(object["lastValue"].toDouble(), 12.5);
  EXPECT_EQ(object["maxValue"].toDouble(), 80);
  EXPECT_EQ(object["scaleType"].toString(), "logarithmic");
  const QJsonArray range = object["valueRange"].toArray();
  ASSERT_EQ(range.size(), 2);
  EXPECT_EQ(range[0].toDouble(), 1);
  EXPECT_NEAR(range[1].toDouble(), 80, 1e-9);
  const QJsonArray children = object["children"].toArray();
  ASSERT_EQ(children.size(), 2);
  EXPECT_EQ(children[0].toObject()["measureName"].toString(), "API");
  EXPECT_TRUE(children[0].toObject()["markIndex1"].isNull());
  EXPECT_EQ(children[1].toObject()["shape"].toInt(), 0);
  KernoOutput({"--resave", in, out});
  QFile a(in), b(out);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
}
