// The body block: its layout rule (and the one case where a body keeps its
// own height), scale changes, inserting and removing columns, its stored
// values and its menu commands.
#include <QTemporaryDir>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDocumentTestEnv.h"
#include "uIniFile.h"
#include "uNewQS.h"
#include "uPrintDeepScale.h"
#include "uRecordingDevice.h"

namespace {

class PassportBody : public TDocumentTest {};

// A new-column dialog that accepts what the body proposes.
void AcceptNewColumns() {
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), [](TPrintObject*) { return true; });
}

}  // namespace

TEST_F(PassportBody, TakesTheTallestColumnContentAndEveryColumnSpansIt) {
  TPrintDocument document;
  AddHead(&document, 40);
  TPassportBody* body = AddBody(&document, 120, 50);
  AddColumn(body, 50, 100, 80);
  AddColumn(body, 100, 160, 95);
  EXPECT_DOUBLE_EQ(body->Top(), 40);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 120);
  EXPECT_DOUBLE_EQ(body->GetWidth(), 160);
  for (int i = 0; i < body->Count(); ++i) {
    EXPECT_DOUBLE_EQ(body->GetChild(i)->Top(), 40) << i;
    EXPECT_DOUBLE_EQ(body->GetChild(i)->GetHeight(), 120) << i;
  }
  // The rule holds both ways: less content makes a shorter body.
  auto* tallest = static_cast<TTestColumn*>(body->GetChild(0));
  tallest->GetChild(0)->SetHeight(30);
  body->Changed();
  EXPECT_DOUBLE_EQ(body->GetHeight(), 95);
  EXPECT_DOUBLE_EQ(document.GetHeight(), 40 + 95);
}

// A sheet keeps the interval it was planned for while it is filled: a
// template's height plans it, content beyond it lengthens the body, and the
// planned depth survives scale changes, saving and loading. Without a plan
// (0) the body takes its content's extent exactly, and an empty one keeps
// the height its file gave it (never 0 mm: nothing to click into).
TEST_F(PassportBody, KeepsThePlannedIntervalAndGrowsWithContentBeyondIt) {
  WriteText("t.knt",
            "[PASSPORT]\nOBJECT1=Body_1 274\n"
            "[Body_1]\nNAME=Logs\nHEIGHT=250\nWIDTH=100\nOBJECT1=Col_1 4\n"
            "[Col_1]\nLEFT=0\nWIDTH=40\nHEIGHT=10\n");
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(Path("t.knt")));
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(0));
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->Count(), 1);
  EXPECT_DOUBLE_EQ(body->IntervalLength(), 50) << "250 mm at 1:200";
  EXPECT_DOUBLE_EQ(body->GetHeight(), 250);
  EXPECT_DOUBLE_EQ(body->GetChild(0)->GetHeight(), 250) << "the empty column spans the planned height";
  EXPECT_DOUBLE_EQ(document.GetHeight(), 250);

  // The first entry does not shrink the sheet to itself.
  auto* column = static_cast<TTestColumn*>(body->GetChild(0));
  auto box = std::make_unique<TPrintObject>();
  box->SetBoundsRect({0, body->Top(), 10, body->Top() + 30});
  TPrintObject* entry = box.get();
  column->AddChild(std::move(box));
  body->Changed();
  EXPECT_DOUBLE_EQ(body->GetHeight(), 250);
  entry->SetHeight(300);
  body->Changed();
  EXPECT_DOUBLE_EQ(body->GetHeight(), 300) << "content beyond the plan lengthens the body";
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 60);
  entry->SetHeight(30);
  body->Changed();

  // The plan is a depth: at 1:100 the same 50 m take 500 mm.
  body->SetVertScale(100);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 500);
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 50);

  // Saved and loaded, and written into a template as its own key.
  ASSERT_TRUE(document.SaveToFile(Path("t.knd")));
  TPrintDocument loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Path("t.knd")));
  auto* again = dynamic_cast<TPassportBody*>(loaded.GetChild(0));
  ASSERT_NE(again, nullptr);
  EXPECT_DOUBLE_EQ(again->IntervalLength(), 50);
  EXPECT_DOUBLE_EQ(again->GetHeight(), 500);
  {
    TIniFile ini(Path("b.ini"));
    ASSERT_TRUE(body->SaveToIni(&ini, QStringLiteral("B"), QString()));
    EXPECT_DOUBLE_EQ(ini.ReadFloat(QStringLiteral("B"), QStringLiteral("LENGTH"), 0), 50);
  }

  // No plan: the content's extent exactly, both ways.
  body->SetIntervalLength(0);
  body->Changed();
  EXPECT_DOUBLE_EQ(body->GetHeight(), 60);
  column->DeleteChild(0);
  body->Changed();
  EXPECT_DOUBLE_EQ(body->GetHeight(), 60) << "an empty body keeps its height";
}

// Files written before the plan existed hold no value for it: they plan the
// interval they were saved with, whatever the body held before the load.
TEST_F(PassportBody, AFileWithoutAPlannedIntervalPlansTheOneItWasSavedWith) {
  TPassportBody saved;
  saved.SetStartDepth(1000);
  saved.SetBoundsRect({0, 0, 100, 150});
  saved.SetIntervalLength(0);
  TComPtr<ICompoundStream> stream = NewQS();
  ASSERT_TRUE(saved.SaveToQS(stream.Get()));
  ASSERT_EQ(stream->DeleteValue(22), S_OK);

  TPassportBody body;
  body.SetIntervalLength(500);
  ASSERT_TRUE(body.LoadFromQS(stream.Get()));
  EXPECT_DOUBLE_EQ(body.IntervalLength(), 30) << "150 mm at 1:200";
  EXPECT_DOUBLE_EQ(body.GetHeight(), 150);
  EXPECT_DOUBLE_EQ(body.BottomDepth(), 1030);

  // A damaged value plans no endless sheet.
  ASSERT_EQ(stream->WriteDouble(22, 1e300), S_OK);
  ASSERT_TRUE(body.LoadFromQS(stream.Get()));
  EXPECT_DOUBLE_EQ(body.IntervalLength(), kMaxIntervalLength);
  ASSERT_EQ(stream->WriteDouble(22, -5), S_OK);
  ASSERT_TRUE(body.LoadFromQS(stream.Get()));
  EXPECT_DOUBLE_EQ(body.IntervalLength(), 0);
}

// The case the kept height is for: a sheet fresh from its template prints
// its depth scale down the whole body.
TEST_F(PassportBody, AnEmptyDepthScaleFromATemplateDrawsItsMarksDownTheKeptHeight) {
  RegisterDepthScaleKinds();
  WriteText("s.knt",
            "[PASSPORT]\nOBJECT1=Body_1 274\n[Body_1]\nHEIGHT=300\nOBJECT1=Scale_1 2\n"
            "[Scale_1]\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=2 RIGHT=1 FONT=1\n");
  TPrintDocument document;
  const bool loaded = document.LoadFromFile(Path("s.knt"));
  RegisterKind(kindDeepScale, nullptr);
  ASSERT_TRUE(loaded);
  ASSERT_DOUBLE_EQ(document.GetHeight(), 300);
  TRecordingDevice device(QSize(400, 1200), 96);
  QPainter painter(&device);
  TDrawContext context;
  context.DC = &painter;
  context.ClipRect = TRect{0, 0, 400, 1200};
  context.Options = doBorders;
  document.Draw(context);
  painter.end();
  for (const char* label : {"0", "10", "50"}) EXPECT_NE(device.FindText(QString::fromLatin1(label)), nullptr) << label;
}

TEST_F(PassportBody, HorizontalLayoutStacksColumnsAsRowsOfTheBodyWidth) {
  TPassportBody body;
  body.SetDirection(bdHorizontal);
  auto a = std::make_unique<TTestColumn>();
  a->SetBoundsRect({5, 0, 105, 30});
  body.AddChild(std::move(a));
  auto b = std::make_unique<TTestColumn>();
  b->SetBoundsRect({0, 30, 150, 70});
  body.AddChild(std::move(b));
  body.Changed();
  EXPECT_DOUBLE_EQ(body.GetHeight(), 70);
  for (int i = 0; i < 2; ++i) {
    EXPECT_DOUBLE_EQ(body.GetChild(i)->Left(), 0) << i;
    EXPECT_DOUBLE_EQ(body.GetChild(i)->GetWidth(), body.GetWidth()) << i;
  }
  EXPECT_DOUBLE_EQ(body.GetChild(1)->Top(), 30) << "rows keep their places down the page";
}

TEST_F(PassportBody, NewScaleMovesDepthPlacedEntriesAndRelaysTheBody) {
  TPrintDocument document;
  AddHead(&document, 40);
  TPassportBody* body = AddBody(&document, 10);
  auto* column = static_cast<TTestColumn*>(body->GetChild(0));
  auto entry = std::make_unique<TPrintObject>();
  entry->SetBoundsRect({0, 60, 10, 70});  // 20..30 mm below the column top at 40
  TPrintObject* e = entry.get();
  column->AddChild(std::move(entry));
  body->Changed();
  ASSERT_EQ(body->GetVertScale(), 200);
  body->SetVertScale(100);
  EXPECT_EQ(column->GetVertScale(), 100) << "columns map through the body";
  EXPECT_DOUBLE_EQ(e->Top(), 80);
  EXPECT_DOUBLE_EQ(e->BottomEdge(), 100);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 60);
  EXPECT_DOUBLE_EQ(body->DepthToPage(10), 40 + 100) << "1 m is 10 mm at 1:100";
  body->SetVertScale(0);
  EXPECT_EQ(body->GetVertScale(), 100) << "a scale of 0 has no mapping";
}

TEST_F(PassportBody, InsertedColumnPushesTheColumnsAtOrRightOfItsLeftEdge) {
  AcceptNewColumns();
  TPassportBody body;
  AddColumn(&body, 0, 50, 100);
  AddColumn(&body, 50, 100, 100);
  AddColumn(&body, 100, 150, 100);
  FUi.ListAnswers = {0};
  ASSERT_TRUE(body.InsertNewChildAt(50, 10, 70, 10));
  ASSERT_EQ(FUi.Lists.size(), 1u);
  EXPECT_EQ(FUi.Lists[0], QStringList{TranslateKindName(kindDiagrams)}) << "only kinds this program can make";
  ASSERT_EQ(body.Count(), 4);
  const double lefts[] = {0, 50, 70, 120};
  const double widths[] = {50, 20, 50, 50};
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(body.GetChild(i)->Left(), lefts[i]) << i;
    EXPECT_DOUBLE_EQ(body.GetChild(i)->GetWidth(), widths[i]) << i;
    EXPECT_DOUBLE_EQ(body.GetChild(i)->GetHeight(), 100) << i;
  }

  // Removing a column closes the gap.
  FUi.MessageAnswers = {TMsgResult::Yes};
  body.GetChild(1)->SetFlags(body.GetChild(1)->Flags() | pfDeletable);
  ASSERT_TRUE(body.GetChild(1)->DeleteWithConfirm());
  ASSERT_EQ(body.Count(), 3);
  EXPECT_DOUBLE_EQ(body.GetChild(1)->Left(), 50);
  EXPECT_DOUBLE_EQ(body.GetChild(2)->Left(), 100);
}

TEST_F(PassportBody, InsertionThatIsCancelledOrImpossibleAddsNothing) {
  TPassportBody body;
  AddColumn(&body, 0, 50, 100);
  FUi.ListAnswers = {0};
  EXPECT_FALSE(body.InsertNewChildAt(50, 0, 70, 0)) << "no new-column dialog: cancelled";
  EXPECT_EQ(body.Count(), 1);
  EXPECT_DOUBLE_EQ(body.GetChild(0)->Left(), 0);

  AcceptNewColumns();
  EXPECT_FALSE(body.InsertNewChildAt(50, 0, 70, 0)) << "kind choice cancelled";
  RegisterKind(kindDiagrams, nullptr);
  FUi.Lists.clear();
  EXPECT_FALSE(body.InsertNewChildAt(50, 0, 70, 0));
  EXPECT_TRUE(FUi.Lists.empty()) << "no column kind to offer, nothing asked";
  EXPECT_EQ(body.Count(), 1);
}

TEST_F(PassportBody, KeepsItsValuesThroughStreamsAndReadsIniKeys) {
  TPassportBody body;
  body.SetVertScale(500);
  body.SetHorzScale(20);
  body.SetDirection(bdHorizontal);
  body.SetStartDepth(1234.5);
  auto qs = NewQS();
  ASSERT_TRUE(body.SaveToQS(qs.Get()));
  EXPECT_EQ(qsReadInteger(qs.Get(), 6, 0), 500);
  EXPECT_EQ(qsReadInteger(qs.Get(), 13, 0), 20);
  EXPECT_EQ(qsReadInteger(qs.Get(), 14, 0), 2);
  EXPECT_EQ(qsReadDouble(qs.Get(), 21, 0), 1234.5);
  TPassportBody back;
  ASSERT_TRUE(back.LoadFromQS(qs.Get()));
  EXPECT_EQ(back.GetVertScale(), 500);
  EXPECT_EQ(back.GetHorzScale(), 20);
  EXPECT_EQ(back.GetDirection(), 2);
  EXPECT_EQ(back.GetStartDepth(), 1234.5);
  EXPECT_FALSE(back.Flags() & pfDeletable);
  EXPECT_TRUE(back.Flags() & pfInsert);

  // Damaged values: no scale 0, no direction 7.
  qsWriteInteger(qs.Get(), 6, 0);
  qsWriteInteger(qs.Get(), 14, 7);
  TPassportBody damaged;
  ASSERT_TRUE(damaged.LoadFromQS(qs.Get()));
  EXPECT_EQ(damaged.GetVertScale(), 200);
  EXPECT_EQ(damaged.GetDirection(), 1);

  WriteText("b.ini", "[B]\nDIRECTION=horz\nVERTSCALE=1000\nNAME=Curves\n[C]\nDIRECTION=VERT\nVERTSCALE=-5\n");
  TIniFile ini(Path("b.ini"));
  TPassportBody fromIni;
  ASSERT_TRUE(fromIni.LoadFromIni(&ini, "B", QString()));
  EXPECT_EQ(fromIni.GetDirection(), 2);
  EXPECT_EQ(fromIni.GetVertScale(), 1000);
  EXPECT_EQ(fromIni.GetHorzScale(), 10);
  EXPECT_EQ(fromIni.Name(), "Curves");
  ASSERT_TRUE(fromIni.LoadFromIni(&ini, "C", QString()));
  EXPECT_EQ(fromIni.GetDirection(), 1);
  EXPECT_EQ(fromIni.GetVertScale(), 200);
}

TEST_F(PassportBody, MenuCommandsAskThroughTheUserServicesAndReportWhetherTheyRan) {
  TPassportBody body;
  std::vector<int> codes;
  body.SetOnNotify([&](TPrintObject*, int code, int) {
    codes.push_back(code);
    return S_OK;
  });
  const TMenuEntry& menu = body.MenuItem();
  ASSERT_GE(menu.Items.size(), 6u);
  EXPECT_EQ(menu.Items[1].Caption, "Zoom 1:200");
  EXPECT_EQ(menu.Items[2].Caption, "Start depth");

  FUi.ListAnswers = {1};
  EXPECT_TRUE(body.VerbExecute(kOwnCommandTag + bcScale));
  ASSERT_EQ(FUi.Lists.size(), 1u);
  EXPECT_EQ(FUi.Lists[0].size(), 10);
  EXPECT_EQ(FUi.Lists[0][3], "1:200");
  EXPECT_EQ(body.GetVertScale(), 100);
  EXPECT_EQ(body.MenuItem().Items[1].Caption, "Zoom 1:100");
  EXPECT_EQ(codes, std::vector<int>{ncBeforeChange});

  FUi.TextAnswers = {QStringLiteral(" 12,5")};
  EXPECT_TRUE(body.VerbExecute(kOwnCommandTag + bcStartDepth));
  EXPECT_EQ(body.GetStartDepth(), 12.5);
  FUi.TextAnswers = {QStringLiteral("deep")};
  EXPECT_FALSE(body.VerbExecute(kOwnCommandTag + bcStartDepth)) << "no edit to undo";
  EXPECT_EQ(body.GetStartDepth(), 12.5) << "text that is no number keeps the depth";
  ASSERT_FALSE(FUi.Messages.empty()) << "and says so";
  EXPECT_EQ(FUi.Messages.back().Text, "\"deep\" is not a depth in metres");

  // Depth interval: its dialog, an undo step only when it applied.
  int shown = 0;
  bool apply = true;
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.Interval"), [&](TPrintObject* o) {
    ++shown;
    return apply && static_cast<TPassportBody*>(o)->SetDepthInterval(100, 150);
  });
  EXPECT_EQ(body.MenuItem().Items[3].Caption, "Depth interval");
  codes.clear();
  EXPECT_TRUE(body.VerbExecute(kOwnCommandTag + bcInterval));
  EXPECT_EQ(body.GetStartDepth(), 100);
  EXPECT_EQ(body.IntervalLength(), 50);
  apply = false;
  EXPECT_FALSE(body.VerbExecute(kOwnCommandTag + bcInterval));
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncBeforeChange, ncChangeCancelled}));
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.Interval"), {});

  codes.clear();
  EXPECT_FALSE(body.VerbExecute(kOwnCommandTag + bcStartDepth)) << "the prompt was cancelled";
  EXPECT_FALSE(body.VerbExecute(kOwnCommandTag + bcScale));
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncChangeCancelled, ncBeforeChange, ncChangeCancelled}));
}
