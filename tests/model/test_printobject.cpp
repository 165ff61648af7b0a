// The print object base: geometry persistence, the modified chain, hit tests,
// dragging with snapping and clamps, INI values, deletion with confirmation.
#include <QJsonObject>

#include "qsID.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uModelTestEnv.h"
#include "uPrintObject.h"
#include "uPrintObjectList.h"

namespace {

std::unique_ptr<TPrintObject> Box(double l, double t, double w, double h, uint32_t flags) {
  auto o = std::make_unique<TPrintObject>();
  o->SetBoundsRect({l, t, l + w, t + h});
  o->SetFlags(flags);
  return o;
}

}  // namespace

using PrintObjectTest = TModelTest;

TEST_F(PrintObjectTest, OlderIntegerOnlyGeometryLoadsWholeMillimetres) {
  auto qs = NewQS();
  qsWriteInteger(qs.Get(), 1, 12);
  qsWriteInteger(qs.Get(), 2, 34);
  qsWriteInteger(qs.Get(), 3, 56);
  qsWriteInteger(qs.Get(), 4, 78);
  qsWriteInteger(qs.Get(), 7, 256);
  // Doubles without the marker must be ignored.
  qsWriteDouble(qs.Get(), 8, 99.5);
  TPrintObject o;
  ASSERT_TRUE(o.LoadFromQS(qs.Get()));
  EXPECT_EQ(o.GetBoundsRect(), (TBoundsRect{12, 34, 68, 112}));
  EXPECT_FALSE(o.GetModified());
}

TEST_F(PrintObjectTest, GeometryRoundTripKeepsDoublesAndWritesRoundedIntegers) {
  TPrintObject a;
  a.SetBoundsRect({2.5, 3.5, 2.5 + 12.3, 3.5 + 0.1});
  a.SetFlags(0x12345);
  a.SetBorder(false);
  auto qs = NewQS();
  ASSERT_TRUE(a.SaveToQS(qs.Get()));
  EXPECT_FALSE(a.GetModified());
  EXPECT_TRUE(qsReadBool(qs.Get(), 18, false));
  // Whole millimetres for older readers, ties to even.
  EXPECT_EQ(qsReadInteger(qs.Get(), 1, -1), 2);
  EXPECT_EQ(qsReadInteger(qs.Get(), 2, -1), 4);
  EXPECT_EQ(qsReadInteger(qs.Get(), 3, -1), 12);
  EXPECT_EQ(qsReadInteger(qs.Get(), 7, -1), 256);
  TPrintObject b;
  ASSERT_TRUE(b.LoadFromQS(qs.Get()));
  // The width must not pass through single precision (an undo would shift it).
  EXPECT_EQ(b.GetWidth(), a.GetWidth());
  EXPECT_EQ(b.GetBoundsRect(), a.GetBoundsRect());
  EXPECT_EQ(b.Flags(), 0x12345u);
  EXPECT_FALSE(b.Border());
}

TEST_F(PrintObjectTest, KindMismatchOrMissingStreamLeavesObjectUntouched) {
  auto qs = NewQS();
  TPrintObjectList list;
  list.SetBoundsRect({1, 2, 3, 4});
  ASSERT_TRUE(list.SaveToQS(qs.Get()));
  TPrintObject o;
  o.SetBoundsRect({5, 6, 7, 8});
  o.SetFlags(3);
  EXPECT_FALSE(o.LoadFromQS(qs.Get()));
  EXPECT_FALSE(o.LoadFromQS(nullptr));
  EXPECT_EQ(o.GetBoundsRect(), (TBoundsRect{5, 6, 7, 8}));
  EXPECT_EQ(o.Flags(), 3u);
  EXPECT_TRUE(o.GetModified());
}

TEST_F(PrintObjectTest, ModifiedClimbsButClearingNeverDoes) {
  TPrintObjectList root;
  auto* inner = new TPrintObjectList();
  root.AddChild(std::unique_ptr<TPrintObject>(inner));
  auto* leaf = new TPrintObject();
  inner->AddChild(std::unique_ptr<TPrintObject>(leaf));
  root.SetModified(false);
  inner->SetModified(false);
  leaf->SetModified(false);
  leaf->SetLeft(3);
  EXPECT_TRUE(root.GetModified());
  EXPECT_TRUE(inner->GetModified());
  leaf->SetModified(false);
  EXPECT_TRUE(root.GetModified()) << "clearing a child's mark must not clear the document's";
  // An unchanged value is no change.
  root.SetModified(false);
  leaf->SetLeft(3);
  EXPECT_FALSE(root.GetModified());
}

TEST_F(PrintObjectTest, HitCodesAndTheirPrecedence) {
  auto o = Box(10, 10, 20, 20, pfSizeX | pfSizeY | pfHitBody | pfMoveX);
  TPrintObject* target = nullptr;
  EXPECT_EQ(o->HitTest(15, 15, &target), static_cast<uint32_t>(pfHitBody | pfMoveX));
  EXPECT_EQ(target, o.get());
  // Exactly 2 mm below the bottom edge.
  target = nullptr;
  EXPECT_EQ(o->HitTest(15, 32, &target), static_cast<uint32_t>(pfSizeY));
  EXPECT_EQ(target, o.get());
  EXPECT_EQ(o->HitTest(15, 32.01, nullptr), 0u);
  // Inside and within 2 mm of the right edge: the edge code replaces the inside code.
  EXPECT_EQ(o->HitTest(28.5, 15, nullptr), static_cast<uint32_t>(pfSizeX));
  // The corner zone answers both edges.
  EXPECT_EQ(o->HitTest(30, 30, nullptr), static_cast<uint32_t>(pfSizeX | pfSizeY));
  // Without resize flags the edge zone outside the body is no hit.
  auto plain = Box(10, 10, 20, 20, pfDefault);
  EXPECT_EQ(plain->HitTest(31, 15, nullptr), 0u);
  EXPECT_EQ(plain->HitTest(29, 15, nullptr), static_cast<uint32_t>(pfHitBody));
}

TEST_F(PrintObjectTest, ListHitTestAsksChildrenLastFirst) {
  TPrintObjectList list;
  list.SetFlags(pfHitBody);
  auto* a = new TPrintObject();
  auto* b = new TPrintObject();
  list.SetChildFlags(0);
  list.AddChild(std::unique_ptr<TPrintObject>(a));
  list.AddChild(std::unique_ptr<TPrintObject>(b));
  a->SetBoundsRect({0, 0, 10, 10});
  b->SetBoundsRect({5, 5, 15, 15});
  a->SetFlags(pfHitBody);
  b->SetFlags(pfHitBody);
  list.Changed();
  TPrintObject* target = nullptr;
  EXPECT_EQ(list.HitTest(7, 7, &target), static_cast<uint32_t>(pfHitBody));
  EXPECT_EQ(target, b) << "the child drawn last lies on top";
  EXPECT_EQ(list.HitTest(2, 2, &target), static_cast<uint32_t>(pfHitBody));
  EXPECT_EQ(target, a);
  b->SetFlags(0);  // a child answering 0 does not decide
  EXPECT_EQ(list.HitTest(7, 7, &target), static_cast<uint32_t>(pfHitBody));
  EXPECT_EQ(target, a);
}

class DragTest : public TModelTest {
 protected:
  void SetUp() override {
    TModelTest::SetUp();
    FParent.SetBoundsRect({0, 0, 100, 100});
    FParent.SetChildFlags(pfHitBody | pfMoveX | pfMoveY | pfSizeX | pfSizeY);
    FChild = new TPrintObject();
    FParent.AddChild(std::unique_ptr<TPrintObject>(FChild));
    FChild->SetBoundsRect({10, 10, 30, 30});
  }
  TPrintObjectList FParent;
  TPrintObject* FChild = nullptr;
};

TEST_F(DragTest, MoveSnapsToTheStepTiesToEven) {
  FSettings->SetSnap(0.5);
  EXPECT_TRUE(FChild->DragBy(15, 15, 15.3, 15));
  EXPECT_DOUBLE_EQ(FChild->Left(), 10.5);
  EXPECT_DOUBLE_EQ(FChild->GetWidth(), 20);
  FSettings->SetSnap(0);
  EXPECT_TRUE(FChild->DragBy(15, 15, 15.3, 15.2));
  EXPECT_DOUBLE_EQ(FChild->Left(), 10.8);
  EXPECT_DOUBLE_EQ(FChild->Top(), 10.2);
}

TEST_F(DragTest, ParentClampsAndTheOneMillimetreMinimum) {
  FSettings->SetSnap(0);
  EXPECT_TRUE(FChild->DragBy(15, 15, -50, 15));
  EXPECT_DOUBLE_EQ(FChild->Left(), 0) << "stops at the parent's left edge";
  EXPECT_TRUE(FChild->DragBy(5, 15, 500, 15));
  EXPECT_DOUBLE_EQ(FChild->Left(), 80) << "stops at the parent's right edge";
  // Width resize past the parent's right edge is cut there.
  FChild->SetBoundsRect({10, 10, 30, 30});
  EXPECT_TRUE(FChild->DragBy(30, 20, 200, 20));
  EXPECT_DOUBLE_EQ(FChild->GetWidth(), 90);
  // Below zero: 0, then the parent's adjustment makes it 1 mm.
  EXPECT_TRUE(FChild->DragBy(100, 20, -500, 20));
  EXPECT_DOUBLE_EQ(FChild->GetWidth(), 1);
  EXPECT_DOUBLE_EQ(FParent.GetWidth(), 100) << "the parent did not grow";
}

TEST_F(DragTest, NothingMovesWithoutHitOrParent) {
  EXPECT_FALSE(FChild->DragBy(50, 50, 60, 60));  // the start point misses the child
  EXPECT_EQ(FChild->GetBoundsRect(), (TBoundsRect{10, 10, 30, 30}));
  TPrintObject orphan;
  orphan.SetBoundsRect({0, 0, 10, 10});
  orphan.SetFlags(pfHitBody | pfMoveX);
  EXPECT_FALSE(orphan.DragBy(5, 5, 8, 5));
  EXPECT_DOUBLE_EQ(orphan.Left(), 0);
}

TEST_F(PrintObjectTest, IniValuesRoundTripAndBadNumbersKeepTheCurrentValue) {
  TIniFile ini(Path("obj.ini"));
  auto o = Box(1.25, 2.5, 3.75, 5, 0x63);
  EXPECT_FALSE(o->SaveToIni(nullptr, "S", ""));
  EXPECT_FALSE(o->SaveToIni(&ini, "", ""));
  ASSERT_TRUE(o->SaveToIni(&ini, "S", "P."));
  EXPECT_FALSE(ini.ValueExists("S", "P.FLAGS")) << "FLAGS is read but never written";
  ini.WriteString("S", "P.FLAGS", "7");
  ini.WriteString("S", "P.HEIGHT", "12x");
  TPrintObject p;
  p.SetHeight(9);
  ASSERT_TRUE(p.LoadFromIni(&ini, "S", "P."));
  EXPECT_DOUBLE_EQ(p.Left(), 1.25);
  EXPECT_DOUBLE_EQ(p.Top(), 2.5);
  EXPECT_DOUBLE_EQ(p.GetWidth(), 3.75);
  EXPECT_DOUBLE_EQ(p.GetHeight(), 9) << "an unparsable number keeps the current value";
  EXPECT_EQ(p.Flags(), 7u);
}

TEST_F(PrintObjectTest, DeleteWithConfirmAsksAndOnlyYesDeletes) {
  TPrintObjectList list;
  auto* o = new TPrintObject();
  list.AddChild(std::unique_ptr<TPrintObject>(o));
  FUi.MessageAnswers = {TMsgResult::No};
  EXPECT_FALSE(o->DeleteWithConfirm());
  EXPECT_EQ(list.Count(), 1);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_EQ(FUi.Messages[0].Title, "DeleteObject");
  EXPECT_EQ(FUi.Messages[0].Buttons, mbYes | mbNo);
  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(o->DeleteWithConfirm());
  EXPECT_EQ(list.Count(), 0);
  // Not deletable: no question at all.
  auto* fixed = new TPrintObject();
  list.AddChild(std::unique_ptr<TPrintObject>(fixed));
  fixed->SetFlags(pfHitBody);
  FUi.Messages.clear();
  EXPECT_FALSE(fixed->DeleteWithConfirm());
  EXPECT_TRUE(FUi.Messages.empty());
}

// A description text's caption is its whole text: the question shows its
// first words on one line.
TEST_F(PrintObjectTest, DeleteQuestionShowsALongCaptionShortened) {
  struct TCaptioned : TPrintObject {
    QString Text;
    void GetCaption(QString* text) override { *text = Text; }
  };
  TPrintObjectList list;
  auto* o = new TCaptioned();
  list.AddChild(std::unique_ptr<TPrintObject>(o));
  const auto asked = [&](const QString& caption) {
    o->Text = caption;
    FUi.Messages.clear();
    FUi.MessageAnswers = {TMsgResult::No};
    EXPECT_FALSE(o->DeleteWithConfirm());
    return FUi.Messages.empty() ? QString() : FUi.Messages[0].Text;
  };
  ASSERT_TRUE(LoadLanguage(QStringLiteral(KERNO_SOURCE_DIR "/resources/english.vox")));
  const QString kind = "Delete " + TranslateKindName(o->GetKind());
  EXPECT_EQ(asked("Sandstone, porous."), kind + " Sandstone, porous?") << "no full stop before the question mark";
  const QString shortened = asked(
      "Siltstone, grey, laminated,\ninterbedded with argillite (5-20 cm), lenses of fine sand. Fractures closed.");
  EXPECT_FALSE(shortened.contains('\n'));
  EXPECT_TRUE(shortened.startsWith(kind + " Siltstone, grey, laminated, interbedded with")) << shortened.toStdString();
  EXPECT_TRUE(shortened.endsWith(QString(QChar(0x2026)) + "?")) << "cut at a word, marked as cut";
  EXPECT_LE(shortened.size(), kind.size() + 63);
  EXPECT_EQ(list.Count(), 1);
  UnloadLanguage();
}

TEST_F(PrintObjectTest, NotifyWithoutHandlerFailsAndHandlersReachChildren) {
  TPrintObject o;
  EXPECT_EQ(o.Notify(1), E_FAIL);
  TPrintObjectList list;
  int seen = 0;
  list.SetOnNotify([&](TPrintObject*, int code, int) {
    seen = code;
    return S_OK;
  });
  auto* child = new TPrintObject();
  list.AddChild(std::unique_ptr<TPrintObject>(child));
  EXPECT_EQ(child->Notify(ncChangeCancelled), S_OK);
  EXPECT_EQ(seen, 2);
  // A handler set later (the window opening a loaded document) reaches the children too.
  list.SetOnNotify([&](TPrintObject*, int code, int) {
    seen = 10 + code;
    return S_OK;
  });
  child->Notify(ncBeforeChange);
  EXPECT_EQ(seen, 11);
}

TEST_F(PrintObjectTest, DumpNamesKindAndGeometry) {
  auto o = Box(1, 2, 3, 4, 0x60);
  QJsonObject json;
  o->DumpProperties(&json);
  EXPECT_EQ(json["kind"].toInt(), 256);
  EXPECT_EQ(json["kindName"].toString(), "Object");
  EXPECT_EQ(json["caption"].toString(), "Object");
  EXPECT_EQ(json["width"].toDouble(), 3);
  EXPECT_EQ(json["flags"].toInt(), 0x60);
}
