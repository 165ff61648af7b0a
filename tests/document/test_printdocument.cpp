// The document as a stack of blocks: stacking, depth look-up, inserting
// blocks (by hand, from the template, from the spare blocks), block menus,
// the window's events and the area's repaints, and undo through copies.
#include <cmath>

#include "uDocumentTestEnv.h"
#include "uExtraBlocks.h"
#include "uFixedRuller.h"
#include "uStorage.h"
#include "uUndoStack.h"

namespace {

class PrintDocument : public TDocumentTest {};

class TCountingArea : public TAbstractDocumentArea {
 public:
  void Repaint() override { Repaints += Locked == 0; }
  void Present(TPrintObject*) override {}
  void BeginUpdate() override { ++Locked; }
  void EndUpdate() override { --Locked; }
  int Repaints = 0;
  int Locked = 0;
};

std::vector<uint8_t> DocumentBytes(TPrintDocument* document) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (document->SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}

}  // namespace

TEST_F(PrintDocument, StacksBlocksFlushFromTheTopAndRestacksWhenOneGoes) {
  TPrintDocument document;
  int resizes = 0;
  document.SetOnResize([&](TPrintDocument*) { ++resizes; });
  TTestHead* head = AddHead(&document, 40, 150);
  TPassportBody* body = AddBody(&document, 300, 190);
  EXPECT_DOUBLE_EQ(head->Top(), 0);
  EXPECT_DOUBLE_EQ(body->Top(), 40);
  EXPECT_DOUBLE_EQ(document.GetHeight(), 340);
  EXPECT_DOUBLE_EQ(document.GetWidth(), 190) << "as wide as the widest block";
  EXPECT_GT(resizes, 0);

  const int before = resizes;
  ASSERT_TRUE(document.RemoveChild(head));
  EXPECT_DOUBLE_EQ(body->Top(), 0);
  EXPECT_DOUBLE_EQ(body->GetChild(0)->Top(), 0) << "the columns move with their body";
  EXPECT_DOUBLE_EQ(document.GetHeight(), 300);
  EXPECT_GT(resizes, before);
}

TEST_F(PrintDocument, GuidesNeitherDisturbTheStackNorHoldTheDocumentsSize) {
  TPrintDocument document;
  TTestHead* head = AddHead(&document, 40);
  TPassportBody* body = AddBody(&document, 300);
  ASSERT_NE(document.AddFixedRuller(roHorizontal, 100, 10), nullptr);
  TFixedRuller* vertical = document.AddFixedRuller(roVertical, 10, 100);
  ASSERT_NE(vertical, nullptr);
  EXPECT_DOUBLE_EQ(vertical->GetHeight(), 340);
  // A block after the guides still stacks below the previous block.
  TPassportBody* second = AddBody(&document, 50);
  EXPECT_DOUBLE_EQ(second->Top(), 340);
  EXPECT_DOUBLE_EQ(document.GetHeight(), 390);
  EXPECT_DOUBLE_EQ(vertical->GetHeight(), 390);

  document.RemoveChild(second);
  document.RemoveChild(head);
  EXPECT_DOUBLE_EQ(body->Top(), 0);
  EXPECT_DOUBLE_EQ(document.GetHeight(), 300) << "a guide as tall as the old document must not keep it so";
  EXPECT_DOUBLE_EQ(vertical->GetHeight(), 300);
}

TEST_F(PrintDocument, DepthAtAnswersInBodiesOnly) {
  TPrintDocument document;
  AddHead(&document, 40);
  TPassportBody* body = AddBody(&document, 300);
  body->SetStartDepth(1000);
  EXPECT_TRUE(std::isnan(document.DepthAt(20))) << "inside the head";
  EXPECT_DOUBLE_EQ(document.DepthAt(140), 1020);
  EXPECT_DOUBLE_EQ(document.DepthAt(40), 1000);
  EXPECT_TRUE(std::isnan(document.DepthAt(341))) << "below every block";
}

// Go to depth finds the page position in the first body showing the depth,
// its bottom edge included, and nothing between or beyond the bodies.
TEST_F(PrintDocument, PageYAtFindsADepthInTheBodyShowingIt) {
  TPrintDocument document;
  AddHead(&document, 40);
  AddBody(&document, 300)->SetStartDepth(1000);
  TPassportBody* repeat = AddBody(&document, 50);
  repeat->SetStartDepth(2000);
  EXPECT_EQ(document.DepthRanges(), QStringLiteral("1000 – 1060, 2000 – 2010"));
  EXPECT_DOUBLE_EQ(document.PageYAt(1020), 140);
  EXPECT_NEAR(document.PageYAt(1060), 340, 1e-9) << "the bottom edge";
  EXPECT_NEAR(document.PageYAt(2005), 365, 1e-9);
  for (const double outside : {999.99, 1500.0, 2010.01, std::nan("")})
    EXPECT_TRUE(std::isnan(document.PageYAt(outside))) << outside;
  // A body laid out across the sheet shows no depths down it.
  repeat->SetDirection(bdHorizontal);
  EXPECT_EQ(document.DepthRanges(), QStringLiteral("1000 – 1060"));
  EXPECT_TRUE(std::isnan(document.PageYAt(2005)));
}

TEST_F(PrintDocument, InsertsABlockOfTheChosenKindAndNameAtTheBottom) {
  TPrintDocument document;
  AddHead(&document, 40);
  int structure = 0;
  document.SetOnStructureChanged([&](TPrintDocument*) { ++structure; });
  FUi.ListAnswers = {1};
  FUi.TextAnswers = {QStringLiteral("  Logs ")};
  ASSERT_TRUE(document.InsertNewChildAt(0, 0, 0, 0));
  EXPECT_EQ(FUi.Lists[0], (QStringList{"Head", "Body"}));
  ASSERT_EQ(document.Count(), 2);
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(1));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->Name(), "Logs");
  EXPECT_DOUBLE_EQ(body->Top(), 40);
  EXPECT_GT(structure, 0);

  FUi.ListAnswers = {0};
  FUi.TextAnswers = {QStringLiteral("  ")};
  EXPECT_FALSE(document.InsertNewChildAt(0, 0, 0, 0)) << "an empty name cancels";
  EXPECT_EQ(document.Count(), 2);
}

TEST_F(PrintDocument, InsertsCopiesOfSpareBlocks) {
  TPrintDocument document;
  AddHead(&document, 40);
  EXPECT_FALSE(document.InsertExtraBlock()) << "no spare blocks";
  auto spare = std::make_unique<TPassportBody>();
  spare->SetName(QStringLiteral("Spare"));
  spare->SetVertScale(500);
  document.ExtraBlocks()->AddChild(std::move(spare));
  int structure = 0;
  document.SetOnStructureChanged([&](TPrintDocument*) { ++structure; });
  FUi.ListAnswers = {0};
  ASSERT_TRUE(document.InsertExtraBlock());
  ASSERT_EQ(document.Count(), 2);
  auto* copy = dynamic_cast<TPassportBody*>(document.GetChild(1));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Name(), "Spare");
  EXPECT_EQ(copy->GetVertScale(), 500);
  EXPECT_NE(copy, document.ExtraBlocks()->GetChild(0)) << "a copy; the spare block stays";
  EXPECT_EQ(document.ExtraBlocks()->Count(), 1);
  EXPECT_EQ(structure, 1);
  EXPECT_FALSE(document.InsertExtraBlock()) << "choice cancelled";
}

TEST_F(PrintDocument, AddsBlocksTheTemplateOffers) {
  QDir(FDir.path()).mkdir("template");
  WriteText("template/log.knt",
            "[PASSPORT]\nOBJECT1=Head_1 273\n[Head_1]\nNAME=Head\nHEIGHT=30\n"
            "[ADDBLOCK]\nOBJECT1=Extra_1 274\nOBJECT2=broken\nOBJECT3=Extra_2 274\n"
            "[Extra_1]\nNAME=Lithology\nVERTSCALE=500\n[Extra_2]\nNAME=Curves\n");
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(QStringLiteral("template/log.knt"))) << "found under the program folder";
  EXPECT_EQ(document.TemplateName(), "log.knt");
  ASSERT_TRUE(document.HasAddBlocks());
  FUi.ListAnswers = {0};
  FUi.TextAnswers = {QStringLiteral("Second sheet")};
  ASSERT_TRUE(document.AddBlockFromTemplate());
  EXPECT_EQ(FUi.Lists[0], (QStringList{"Lithology", "Curves"}));
  ASSERT_EQ(document.Count(), 2);
  auto* body = dynamic_cast<TPassportBody*>(document.GetChild(1));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->Name(), "Second sheet");
  EXPECT_EQ(body->GetVertScale(), 500);
  EXPECT_DOUBLE_EQ(body->Top(), 30);

  document.SetTemplateName(QStringLiteral("../template/log.knt"));
  EXPECT_EQ(document.TemplatePath(), TemplateDir() + "log.knt") << "a stored name cannot point elsewhere";
  document.SetTemplateName(QStringLiteral("missing.knt"));
  EXPECT_FALSE(document.HasAddBlocks());
  EXPECT_FALSE(document.AddBlockFromTemplate());
}

TEST_F(PrintDocument, BlockMenusGoIntoTheMainMenuAndRouteCommandsToTheirBlock) {
  TPrintDocument document;
  AddHead(&document, 40)->SetName(QStringLiteral("Well"));
  TPassportBody* body = AddBody(&document, 100);
  body->SetName(QStringLiteral("Logs"));
  document.AddFixedRuller(roHorizontal, 50, 10);
  TMenuEntry main;
  for (const char* c : {"File", "Edit", "Window"}) main.Add(QString::fromLatin1(c));
  document.AddBlockMenus(&main);
  ASSERT_EQ(main.Items.size(), 5u) << "guides have no menu";
  EXPECT_EQ(main.Items[2].Caption, "Well");
  EXPECT_EQ(main.Items[3].Caption, "Logs");
  EXPECT_EQ(main.Items[3].IconKind, kindBody);
  EXPECT_EQ(main.Items[4].Caption, "Window");
  document.AddBlockMenus(&main);
  EXPECT_EQ(main.Items.size(), 5u) << "added again: replaced, not doubled";

  auto* column = static_cast<TTestColumn*>(body->GetChild(0));
  const TMenuEntry& logs = main.Items[3];
  const TMenuEntry& columnMenu = logs.Items.back();
  ASSERT_EQ(columnMenu.Items.size(), 1u);
  EXPECT_TRUE(document.ExecuteBlockCommand(logs.Tag, columnMenu.Items[0].Tag));
  EXPECT_EQ(column->FRan, 1);
  FUi.ListAnswers = {0};
  EXPECT_TRUE(document.ExecuteBlockCommand(logs.Tag, kOwnCommandTag + bcScale));
  EXPECT_EQ(body->GetVertScale(), 50);
  EXPECT_FALSE(document.ExecuteBlockCommand(kBlockMenuTag | 2, 0)) << "the guide has no commands";

  document.RemoveBlockMenus(&main);
  ASSERT_EQ(main.Items.size(), 3u);
  EXPECT_EQ(main.Items[2].Caption, "Window");
}

TEST_F(PrintDocument, ReportsStructureChangesOnceForALoadAndAtEachEdit) {
  TPrintDocument document;
  AddHead(&document, 40);
  TPassportBody* body = AddBody(&document, 100);
  AddColumn(body, 190, 200, 50);
  ASSERT_TRUE(document.SaveToFile(Path("s.knd")));

  TPrintDocument loaded;
  int structure = 0;
  loaded.SetOnStructureChanged([&](TPrintDocument*) { ++structure; });
  ASSERT_TRUE(loaded.LoadFromFile(Path("s.knd")));
  EXPECT_EQ(structure, 1);
  EXPECT_FALSE(loaded.GetModified()) << "a document just loaded has no unsaved changes";

  structure = 0;
  static_cast<TDataObject*>(loaded.GetChild(1))->SetName(QStringLiteral("renamed"));
  EXPECT_EQ(structure, 1);
  loaded.DeleteChild(0);
  EXPECT_EQ(structure, 2);

  TPrintDocument copy;
  int copied = 0;
  copy.SetOnStructureChanged([&](TPrintDocument*) { ++copied; });
  copy.Assign(&document);
  EXPECT_EQ(copied, 1);
}

TEST_F(PrintDocument, RepaintsItsAreaAndHoldsItBackWhileACopyIsMade) {
  TPrintDocument document;
  TCountingArea area;
  document.SetArea(&area);
  AddHead(&document, 40);
  const int before = area.Repaints;
  document.GetChild(0)->Invalidate(nullptr);
  EXPECT_EQ(area.Repaints, before + 1);

  TPrintDocument other;
  AddHead(&other, 10);
  AddBody(&other, 100);
  area.Repaints = 0;
  document.Assign(&other);
  EXPECT_EQ(area.Locked, 0);
  EXPECT_EQ(area.Repaints, 1) << "one repaint for the whole copy";
  document.SetArea(nullptr);
  document.Invalidate(nullptr);
}

TEST_F(PrintDocument, UndoBringsBackBlocksAndSpareBlocks) {
  TPrintDocument document;
  AddHead(&document, 40)->SetName(QStringLiteral("Well"));
  AddBody(&document, 100);
  auto spare = std::make_unique<TPassportBody>();
  spare->SetName(QStringLiteral("Spare"));
  document.ExtraBlocks()->AddChild(std::move(spare));
  document.SetTemplateName(QStringLiteral("log.knt"));
  const std::vector<uint8_t> original = DocumentBytes(&document);

  TUndoStack undo;
  ASSERT_TRUE(undo.Push(&document));
  document.DeleteChild(0);
  document.ExtraBlocks()->Clear();
  document.SetTemplateName(QString());
  ASSERT_TRUE(undo.Restore(&document));
  EXPECT_TRUE(document.GetModified());
  EXPECT_EQ(DocumentBytes(&document), original);
}
