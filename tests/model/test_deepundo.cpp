// The depth mapping of deep objects, and undo by whole-document snapshots.
#include <QJsonDocument>
#include <QJsonObject>

#include "qsID.h"
#include "uDataObject.h"
#include "uModelTestEnv.h"
#include "uPrintDeepObject.h"
#include "uUndoStack.h"

namespace {

std::string DumpText(const TPrintObject& o) {
  QJsonObject json;
  o.DumpProperties(&json);
  return QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString();
}

// A mapping root holding its own parameters, loaded from a stream the way
// the body does (ID 300 vertical, 301 horizontal scale, 302 start depth).
class TTestBody : public TPrintDeepObject {
 public:
  uint16_t GetVertScale() const override { return FVert; }
  void SetVertScale(uint16_t v) override { FVert = v; }
  uint16_t GetHorzScale() const override { return FHorz; }
  double GetStartDepth() const override { return FStart; }
  bool LoadFromQS(ICompoundStream* s) override {
    if (!TPrintDeepObject::LoadFromQS(s)) return false;
    FVert = ValidScale(qsReadInteger(s, 300, FVert), kDefaultVertScale);
    FHorz = ValidScale(qsReadInteger(s, 301, FHorz), kDefaultHorzScale);
    FStart = qsReadDouble(s, 302, FStart);
    return true;
  }
  uint16_t FVert = 200;
  uint16_t FHorz = 10;
  double FStart = 0;
};

}  // namespace

using DeepTest = TModelTest;

TEST_F(DeepTest, MappingIsComputedAtTheTopmostDeepAncestor) {
  TTestBody body;
  body.SetTop(40);
  body.SetLeft(10);
  body.FStart = 100;
  auto column = std::make_unique<TPrintDeepObject>();
  TPrintDeepObject* c = column.get();
  body.AddChild(std::move(column));
  c->SetTop(77);
  EXPECT_DOUBLE_EQ(body.DepthToPage(110), 90);
  EXPECT_DOUBLE_EQ(body.PageToDepth(90), 110);
  EXPECT_DOUBLE_EQ(c->DepthToPage(110), 90) << "a column maps like its body, whatever its own top";
  EXPECT_DOUBLE_EQ(c->PageToDepth(90), 110);
  EXPECT_DOUBLE_EQ(c->HorzToPage(1), 110);
  EXPECT_DOUBLE_EQ(c->PageToHorz(110), 1);
  EXPECT_EQ(c->GetVertScale(), 200);
  c->SetVertScale(500);
  EXPECT_EQ(body.GetVertScale(), 500) << "set on a column, kept by the root";
  c->SetTopDepth(120);
  EXPECT_DOUBLE_EQ(c->Top(), 40 + 20 * 2);
  c->SetBottomDepth(130);
  EXPECT_DOUBLE_EQ(c->BottomDepth(), 130);

  // Without a deep parent: its own root with the defaults.
  TPrintObjectList plain;
  auto lone = std::make_unique<TPrintDeepObject>();
  TPrintDeepObject* l = lone.get();
  plain.AddChild(std::move(lone));
  l->SetTop(33);
  EXPECT_DOUBLE_EQ(l->DepthToPage(0), 33);
  EXPECT_DOUBLE_EQ(l->DepthToPage(1), 38);
  EXPECT_EQ(l->GetDirection(), 0);
}

TEST_F(DeepTest, StoredZeroScaleBecomesTheDefault) {
  TTestBody saved;
  auto qs = NewQS();
  ASSERT_TRUE(saved.SaveToQS(qs.Get()));
  qsWriteInteger(qs.Get(), 300, 0);
  qsWriteInteger(qs.Get(), 301, 0);
  TTestBody body;
  body.FVert = 500;
  ASSERT_TRUE(body.LoadFromQS(qs.Get()));
  EXPECT_EQ(body.GetVertScale(), 200);
  EXPECT_EQ(body.GetHorzScale(), 10);
  // Even a root reporting 0 never divides by it.
  body.FVert = 0;
  body.FHorz = 0;
  EXPECT_DOUBLE_EQ(body.DepthToPage(1), 5);
  EXPECT_DOUBLE_EQ(body.PageToHorz(100), 1);
}

TEST_F(DeepTest, RescaleChildrenScalesDistancesFromTheTop) {
  TPrintDeepObject column;
  column.SetTop(50);
  auto child = std::make_unique<TPrintObject>();
  TPrintObject* c = child.get();
  column.AddChild(std::move(child));
  c->SetTop(60);
  c->SetHeight(10);
  column.RescaleChildren(2);
  EXPECT_DOUBLE_EQ(c->Top(), 70);
  EXPECT_DOUBLE_EQ(c->BottomEdge(), 90);
}

class UndoTest : public TModelTest {
 protected:
  void SetUp() override {
    TModelTest::SetUp();
    FDoc.SetName("Doc");
    FDoc.SetBoundsRect({0, 0, 100, 100});
    for (int i = 0; i < 3; ++i) {
      auto d = std::make_unique<TDataObject>();
      d->SetName(QString("Block %1").arg(i));
      d->SetBoundsRect({0, i * 30.0, 100, i * 30.0 + 25});
      auto leaf = std::make_unique<TPrintObject>();
      leaf->SetBoundsRect({10, i * 30.0 + 5, 20, i * 30.0 + 15});
      d->AddChild(std::move(leaf));
      FDoc.AddChild(std::move(d));
    }
  }
  TTestData FDoc;
};

TEST_F(UndoTest, TheLimitKeepsTheNewestSnapshots) {
  FSettings->SetMaxSteps(5);
  TUndoStack undo;
  for (int i = 0; i < 6; ++i) {
    FDoc.SetLeft(i);
    ASSERT_TRUE(undo.Push(&FDoc));
  }
  EXPECT_EQ(undo.Count(), 5);
  // The newest first: 5 ... 1; the first push's snapshot (Left 0) is gone.
  for (int i = 5; i >= 1; --i) {
    ASSERT_TRUE(undo.Restore(&FDoc));
    EXPECT_DOUBLE_EQ(FDoc.Left(), i);
  }
  EXPECT_EQ(undo.Count(), 0);
  EXPECT_FALSE(undo.Restore(&FDoc));
  EXPECT_DOUBLE_EQ(FDoc.Left(), 1) << "an empty stack leaves the document alone";
  // A lowered limit drops one snapshot per push.
  for (int i = 0; i < 5; ++i) undo.Push(&FDoc);
  FSettings->SetMaxSteps(2);
  undo.Push(&FDoc);
  EXPECT_EQ(undo.Count(), 5);
  undo.Clear();
  EXPECT_EQ(undo.Count(), 0);
}

TEST_F(UndoTest, ZeroStepsNeverOffersUndo) {
  FSettings->SetMaxSteps(0);
  TUndoStack undo;
  EXPECT_FALSE(undo.Push(&FDoc));
  EXPECT_EQ(undo.Count(), 0);
}

TEST_F(UndoTest, RestoreBringsBackDeletedObjectsMarkedModified) {
  FSettings->SetMaxSteps(5);
  const std::string beforeText = DumpText(FDoc);
  const std::vector<uint8_t> before = StorageBytes(&FDoc);
  ASSERT_FALSE(before.empty());
  FDoc.SetModified(false);
  TUndoStack undo;
  ASSERT_TRUE(undo.Push(&FDoc));
  EXPECT_FALSE(FDoc.GetModified()) << "taking a snapshot is no change";
  FDoc.DeleteChild(1);
  static_cast<TDataObject*>(FDoc.GetChild(0))->SetName("Renamed");
  FDoc.SetModified(false);  // as after a save
  ASSERT_TRUE(undo.Restore(&FDoc));
  EXPECT_TRUE(FDoc.GetModified());
  EXPECT_EQ(StorageBytes(&FDoc), before) << DumpText(FDoc) << "\n" << beforeText;
  EXPECT_EQ(FDoc.Count(), 3);
  EXPECT_EQ(FDoc.GetChild(1)->Caption(), "Block 1");
}

TEST_F(UndoTest, PushOfAnUnsavedDocumentKeepsItUnsaved) {
  FSettings->SetMaxSteps(5);
  FDoc.SetModified(true);
  TUndoStack undo;
  ASSERT_TRUE(undo.Push(&FDoc));
  EXPECT_TRUE(FDoc.GetModified());
  undo.DropLast();
  EXPECT_EQ(undo.Count(), 0);
  undo.DropLast();  // empty: nothing
  EXPECT_EQ(undo.Count(), 0);
}

TEST_F(UndoTest, RedoTakesBackUndoesInTurnUntilTheNextEdit) {
  FSettings->SetMaxSteps(5);
  TUndoStack undo;
  std::vector<std::vector<uint8_t>> states{StorageBytes(&FDoc)};
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(undo.Push(&FDoc));
    FDoc.SetLeft(i);
    static_cast<TDataObject*>(FDoc.GetChild(0))->SetName(QString("Step %1").arg(i));
    states.push_back(StorageBytes(&FDoc));
  }
  EXPECT_EQ(undo.RedoCount(), 0);
  EXPECT_FALSE(undo.Redo(&FDoc)) << "nothing undone yet";
  ASSERT_TRUE(undo.Restore(&FDoc));
  ASSERT_TRUE(undo.Restore(&FDoc));
  EXPECT_EQ(StorageBytes(&FDoc), states[1]);
  EXPECT_EQ(undo.RedoCount(), 2);
  FDoc.SetModified(false);
  ASSERT_TRUE(undo.Redo(&FDoc));
  EXPECT_TRUE(FDoc.GetModified());
  EXPECT_EQ(StorageBytes(&FDoc), states[2]);
  EXPECT_EQ(undo.Count(), 2) << "what was redone can be undone again";
  ASSERT_TRUE(undo.Redo(&FDoc));
  EXPECT_EQ(StorageBytes(&FDoc), states[3]);
  EXPECT_FALSE(undo.Redo(&FDoc));
  ASSERT_TRUE(undo.Restore(&FDoc));
  EXPECT_EQ(StorageBytes(&FDoc), states[2]);

  // An edit that was announced and did not happen leaves redo as it was;
  // one that happened ends it.
  ASSERT_TRUE(undo.Push(&FDoc));
  undo.DropLast();
  EXPECT_EQ(undo.RedoCount(), 1);
  ASSERT_TRUE(undo.Push(&FDoc));
  FDoc.SetLeft(40);
  EXPECT_EQ(undo.RedoCount(), 0);
  EXPECT_FALSE(undo.Redo(&FDoc));
  EXPECT_DOUBLE_EQ(FDoc.Left(), 40);
  ASSERT_TRUE(undo.Restore(&FDoc));
  undo.Clear();
  EXPECT_EQ(undo.RedoCount(), 0);
}

TEST_F(UndoTest, RedoKeepsNoMoreStepsThanUndo) {
  FSettings->SetMaxSteps(2);
  TUndoStack undo;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(undo.Push(&FDoc));
    FDoc.SetLeft(i + 1);
  }
  ASSERT_TRUE(undo.Restore(&FDoc));
  ASSERT_TRUE(undo.Restore(&FDoc));
  EXPECT_EQ(undo.RedoCount(), 2);
  // Redone steps go back on a stack that holds two.
  ASSERT_TRUE(undo.Redo(&FDoc));
  ASSERT_TRUE(undo.Redo(&FDoc));
  EXPECT_DOUBLE_EQ(FDoc.Left(), 2);
  EXPECT_EQ(undo.Count(), 2);
}
