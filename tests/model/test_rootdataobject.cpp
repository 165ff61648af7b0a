// Block menus: the tags that route a chosen item back to its command, and the
// undo bracketing of every menu command.
#include <vector>

#include "uModelTestEnv.h"
#include "uRootDataObject.h"

namespace {

// A data object whose commands record what ran and report `FResult`.
class TCommandColumn : public TDataObject {
 public:
  int GetMenuCommandCount() override { return FCount; }
  void GetMenuCommandCaption(int index, QString* text) override { *text = QStringLiteral("cmd%1").arg(index); }
  bool ExecuteMenuCommand(int index) override {
    FRan.push_back(index);
    return FResult;
  }
  int FCount = 2;
  bool FResult = true;
  std::vector<int> FRan;
};

class TTestBlock : public TRootDataObject {
 public:
  int GetMenuCommandCount() override { return 3; }
  void GetMenuCommandCaption(int index, QString* text) override { *text = QStringLiteral("own%1").arg(index); }
  bool ExecuteMenuCommand(int index) override {
    FRan.push_back(index);
    return index != 2;  // command 2 changes nothing
  }
  std::vector<int> FRan;
};

// The parent a block reports structure changes to.
class TTestDocument : public TPrintObjectList {
 public:
  void BlockStructureChanged(TPrintObject*) override { ++FChanges; }
  int FChanges = 0;
};

class RootDataObject : public TModelTest {};

}  // namespace

TEST_F(RootDataObject, MenuHoldsOwnCommandsSeparatorAndChildCommandsWithTheirTags) {
  TTestBlock block;
  block.SetName(QStringLiteral("Body"));
  block.AddChild(std::make_unique<TPrintObject>());  // not a data object: no entry
  auto column = std::make_unique<TCommandColumn>();
  column->SetName(QStringLiteral("Curves"));
  block.AddChild(std::move(column));
  auto silent = std::make_unique<TCommandColumn>();
  silent->FCount = 0;
  block.AddChild(std::move(silent));

  const TMenuEntry& menu = block.MenuItem();
  EXPECT_EQ(menu.Caption, QStringLiteral("Body"));
  ASSERT_EQ(menu.Items.size(), 6u);
  EXPECT_EQ(menu.Items[0].Tag, 0xFF0000u);
  EXPECT_EQ(menu.Items[2].Caption, QStringLiteral("own2"));
  EXPECT_EQ(menu.Items[2].Tag, 0xFF0002u);
  EXPECT_TRUE(menu.Items[3].IsSeparator());
  const TMenuEntry& curves = menu.Items[4];
  EXPECT_EQ(curves.Caption, QStringLiteral("Curves"));
  EXPECT_EQ(curves.IconKind, kindDataObject);
  ASSERT_EQ(curves.Items.size(), 2u);
  // Child 1 of the block (the plain object is child 0).
  EXPECT_EQ(curves.Items[1].Tag, 65536u + 1u);
  EXPECT_FALSE(menu.Items[5].Enabled) << "a child without commands offers nothing";
}

TEST_F(RootDataObject, VerbExecuteRoutesByTagAndDropsTheSnapshotOfACommandThatChangedNothing) {
  TTestBlock block;
  auto column = std::make_unique<TCommandColumn>();
  TCommandColumn* c = column.get();
  block.AddChild(std::move(column));
  std::vector<int> codes;
  block.SetOnNotify([&](TPrintObject*, int code, int) {
    codes.push_back(code);
    return S_OK;
  });

  EXPECT_TRUE(block.VerbExecute(0xFF0001));
  EXPECT_EQ(block.FRan, std::vector<int>{1});
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange}));

  codes.clear();
  EXPECT_FALSE(block.VerbExecute(0xFF0002));
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncChangeCancelled}));

  codes.clear();
  EXPECT_TRUE(block.VerbExecute(0 * 65536 + 1));
  EXPECT_EQ(c->FRan, std::vector<int>{1});
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange}));

  codes.clear();
  c->FResult = false;
  EXPECT_FALSE(block.VerbExecute(0));
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncChangeCancelled}));

  codes.clear();
  EXPECT_FALSE(block.VerbExecute(7 * 65536)) << "no child 7";
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncChangeCancelled}));
}

TEST_F(RootDataObject, WidthIsTheRightmostChildEdgeAndChangesReachTheDocument) {
  TTestDocument document;
  auto owned = std::make_unique<TTestBlock>();
  TTestBlock* block = owned.get();
  document.AddChild(std::move(owned));
  EXPECT_EQ(block->GetWidth(), 0);

  const int before = document.FChanges;
  auto a = std::make_unique<TCommandColumn>();
  a->SetLeft(10);
  a->SetWidth(30);
  block->AddChild(std::move(a));
  auto b = std::make_unique<TCommandColumn>();
  b->SetLeft(50);
  b->SetWidth(20);
  block->AddChild(std::move(b));
  EXPECT_DOUBLE_EQ(block->GetWidth(), 70);
  EXPECT_GT(document.FChanges, before);

  const int afterAdd = document.FChanges;
  block->DeleteChild(1);
  EXPECT_DOUBLE_EQ(block->GetWidth(), 40);
  EXPECT_GT(document.FChanges, afterAdd);

  const int afterDelete = document.FChanges;
  static_cast<TDataObject*>(block->GetChild(0))->SetName(QStringLiteral("renamed"));
  EXPECT_GT(document.FChanges, afterDelete) << "a column's new name reaches the block menus";
  EXPECT_EQ(block->MenuItem().Items.back().Caption, QStringLiteral("renamed"));
}
