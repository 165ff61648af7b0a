// Lists: ownership and flags, fitting around children, stream and storage
// persistence with the child kinds, INI sections, reordering, the version check.
#include <QJsonArray>
#include <QJsonObject>
#include <functional>
#include <initializer_list>

#include "qsID.h"
#include "uDataObject.h"
#include "uIniFile.h"
#include "uModelTestEnv.h"
#include "uPrintObjectList.h"

namespace {

TPrintObject* AddBox(TPrintObjectList* list, double l, double t, double w, double h) {
  auto o = std::make_unique<TPrintObject>();
  TPrintObject* p = o.get();
  list->AddChild(std::move(o));
  p->SetBoundsRect({l, t, l + w, t + h});
  return p;
}

TPrintObjectList* AddList(TPrintObjectList* list) {
  auto o = std::make_unique<TTestList>();
  TPrintObjectList* p = o.get();
  list->AddChild(std::move(o));
  return p;
}

// A nested tree: root(0,0) > [box, list > [box, data "Inner"], data "Leaf"].
void BuildTree(TPrintObjectList* root) {
  root->SetBoundsRect({5, 5, 200, 300});
  AddBox(root, 10, 10, 20, 30);
  TPrintObjectList* inner = AddList(root);
  inner->SetBoundsRect({50, 50, 150, 150});
  AddBox(inner, 60, 60, 10, 10.25);
  auto data = std::make_unique<TTestData>();
  data->SetName("Inner");
  data->SetBoundsRect({70, 70, 80, 80});
  inner->AddChild(std::move(data));
  auto leaf = std::make_unique<TTestData>();
  leaf->SetName("Leaf");
  leaf->SetBoundsRect({5, 200, 25, 220});
  root->AddChild(std::move(leaf));
}

// The list saved and opened again as a file: the start of a damaged copy.
std::unique_ptr<TStorage> SavedAndOpened(TPrintObjectList* list) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (!list->SaveToStorage(storage.get()) || storage->SaveToBytes(&bytes) != S_OK) return nullptr;
  return TStorage::OpenBytes(bytes);
}

// Copies the named streams of `from` into `to` as they are.
void CopyStreams(TStorage* from, TStorage* to, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    std::vector<uint8_t> stream;
    ASSERT_EQ(from->ReadStream(name, &stream), S_OK) << name;
    TComPtr<IStream> out;
    ASSERT_EQ(to->CreateStream(name, out.Put()), S_OK);
    uint32_t done = 0;
    out->Write(stream.data(), static_cast<uint32_t>(stream.size()), &done);
  }
}

QJsonObject Dump(const TPrintObject& o) {
  QJsonObject json;
  o.DumpProperties(&json);
  return json;
}

}  // namespace

using ObjectListTest = TModelTest;

TEST_F(ObjectListTest, AddAndInsertGiveParentFlagsAndNotify) {
  TPrintObjectList list;
  list.SetChildFlags(0x0F);
  list.SetModified(false);
  EXPECT_EQ(list.AddChild(nullptr), -1);
  TPrintObject* a = AddBox(&list, 0, 0, 1, 1);
  EXPECT_EQ(a->Parent(), &list);
  EXPECT_EQ(a->Flags(), 0x6Fu) << "child flags are or-ed into the child's own";
  EXPECT_TRUE(list.GetModified());
  EXPECT_EQ(list.InsertChild(std::make_unique<TPrintObject>(), 2), -1);
  EXPECT_EQ(list.InsertChild(std::make_unique<TPrintObject>(), -1), -1);
  auto b = std::make_unique<TPrintObject>();
  TPrintObject* pb = b.get();
  EXPECT_EQ(list.InsertChild(std::move(b), 0), 0);
  EXPECT_EQ(list.GetChild(0), pb);
  EXPECT_EQ(list.GetChild(1), a);
  EXPECT_EQ(list.GetChild(2), nullptr);
  // SetChildFlags replaces the children's flags.
  list.SetChildFlags(0x21);
  EXPECT_EQ(a->Flags(), 0x21u);
  EXPECT_EQ(pb->Flags(), 0x21u);
}

TEST_F(ObjectListTest, MovingAListMovesItsChildren) {
  TPrintObjectList list;
  TPrintObject* a = AddBox(&list, 10, 20, 5, 5);
  TPrintObjectList* inner = AddList(&list);
  TPrintObject* deep = AddBox(inner, 30, 40, 5, 5);
  list.Changed();
  list.SetLeft(list.Left() + 5);
  list.SetTop(list.Top() - 2);
  EXPECT_DOUBLE_EQ(a->Left(), 15);
  EXPECT_DOUBLE_EQ(a->Top(), 18);
  EXPECT_DOUBLE_EQ(deep->Left(), 35);
  EXPECT_DOUBLE_EQ(deep->Top(), 38);
}

TEST_F(ObjectListTest, ChangedFitsAroundChildrenAndNeverShrinks) {
  TPrintObjectList list;
  list.SetBoundsRect({20, 20, 40, 40});
  TPrintObject* a = AddBox(&list, 25, 25, 5, 5);
  list.Changed();
  EXPECT_EQ(list.GetBoundsRect(), (TBoundsRect{20, 20, 40, 40})) << "never made smaller";
  a->SetBoundsRect({10, 30, 60, 70});
  list.Changed();
  // Growing to the left must not carry the child along (it would stay outside).
  EXPECT_DOUBLE_EQ(a->Left(), 10);
  EXPECT_DOUBLE_EQ(list.Left(), 10);
  EXPECT_DOUBLE_EQ(list.Left() + list.GetWidth(), 60);
  EXPECT_GE(list.Left() + list.GetWidth(), a->Left() + a->GetWidth());
  EXPECT_GE(list.Top() + list.GetHeight(), a->Top() + a->GetHeight());
  EXPECT_DOUBLE_EQ(list.GetChildrenWidth(), a->Left() + a->GetWidth() - list.Left());
}

TEST_F(ObjectListTest, StreamHoldsChildKindsInOrderAndNoCountWithoutChildren) {
  TPrintObjectList empty;
  auto qs = NewQS();
  ASSERT_TRUE(empty.SaveToQS(qs.Get()));
  TCompoundEntry entry{};
  EXPECT_NE(qs->GetEntry(80, &entry), S_OK) << "no ID 80 without children";
  TTestList back;
  ASSERT_TRUE(back.LoadFromQS(qs.Get()));
  EXPECT_EQ(back.Count(), 0);

  TPrintObjectList list;
  AddBox(&list, 0, 0, 1, 1);
  AddList(&list);
  list.AddChild(std::make_unique<TDataObject>());
  auto full = NewQS();
  ASSERT_TRUE(list.SaveToQS(full.Get()));
  EXPECT_EQ(qsReadInteger(full.Get(), 80, 0), 3);
  EXPECT_EQ(qsReadInteger(full.Get(), static_cast<int32_t>(0x80000001u), 0), 256);
  EXPECT_EQ(qsReadInteger(full.Get(), -2147483647 + 1, 0), 257);
  EXPECT_EQ(qsReadInteger(full.Get(), -2147483647 + 2, 0), 258);
}

// A kind that is missing, unknown or not an integer makes no child; the
// children after it still load, and a count far beyond the stored kinds
// costs no more than the kinds that are there.
TEST_F(ObjectListTest, MissingAndUnknownKindsAreSkippedAndLaterChildrenLoad) {
  TPrintObjectList list;
  auto qs = NewQS();
  ASSERT_TRUE(list.SaveToQS(qs.Get()));
  qsWriteInteger(qs.Get(), 80, 2000000000);
  qsWriteInteger(qs.Get(), -2147483647, 9);            // no such kind
  qsWriteInteger(qs.Get(), -2147483647 + 1, 2);        // no class yet
  qsWriteShortStr(qs.Get(), -2147483647 + 3, "256");   // not an integer
  qsWriteInteger(qs.Get(), -2147483647 + 4, 256);      // after a missing one (3 is absent)
  qsWriteInteger(qs.Get(), -2147483647 + 1000000, 7);  // far out, within the count
  qsWriteInteger(qs.Get(), -2147483647 + 2, 258);      // stored out of order
  TTestList back;
  ASSERT_TRUE(back.LoadFromQS(qs.Get()));
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.GetChild(0)->GetKind(), 258) << "children come in position order";
  EXPECT_EQ(back.GetChild(1)->GetKind(), 256);
  EXPECT_EQ(back.GetChild(2)->GetKind(), kindPicture);
  // A count below a stored kind leaves that kind out.
  qsWriteInteger(qs.Get(), 80, 5);
  TTestList shorter;
  ASSERT_TRUE(shorter.LoadFromQS(qs.Get()));
  EXPECT_EQ(shorter.Count(), 2);
}

// Each child's storage element is the one of its stored position: after a
// skipped kind the later children still get their own values.
TEST_F(ObjectListTest, ChildrenAfterASkippedKindLoadTheirOwnElements) {
  TTestList list;
  AddBox(&list, 1, 2, 3, 4);
  AddBox(&list, 5, 6, 7, 8);
  AddBox(&list, 9, 10, 11, 12);
  auto saved = SavedAndOpened(&list);
  ASSERT_TRUE(saved);
  // The same file whose "index" holds no kind for child 1.
  auto edited = TStorage::CreateNew();
  CopyStreams(saved.get(), edited.get(), {"version", "0", "1", "2"});
  std::vector<uint8_t> bytes;
  {
    auto index = NewQS();
    ASSERT_TRUE(list.SaveToQS(index.Get()));
    index->DeleteValue(-2147483647 + 1);
    TComPtr<IStream> out;
    ASSERT_EQ(edited->CreateStream("index", out.Put()), S_OK);
    ASSERT_EQ(qsSaveToStream(index.Get(), out.Get()), S_OK);
  }
  ASSERT_EQ(edited->SaveToBytes(&bytes), S_OK);
  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(TStorage::OpenBytes(bytes).get()));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetChild(0)->GetBoundsRect(), (TBoundsRect{1, 2, 4, 6}));
  EXPECT_EQ(back.GetChild(1)->GetBoundsRect(), (TBoundsRect{9, 10, 20, 22})) << "element 2, not element 1";
}

// A plain list makes none of the kinds (its factory is empty), so what it
// stored comes back without children, and an INI section that names itself
// loads as one list.
TEST_F(ObjectListTest, APlainListMakesNoChildren) {
  RegisterOpenLists(false);
  TPrintObjectList plain;
  for (int kind : {kindPicture, kindObject, kindObjectList, kindDataObject, kindDeepObject, kindText})
    EXPECT_EQ(plain.CreateChild(kind), nullptr) << kind;
  TTestList list;
  AddBox(&list, 1, 2, 3, 4);
  AddList(&list);
  auto qs = NewQS();
  ASSERT_TRUE(list.SaveToQS(qs.Get()));
  ASSERT_TRUE(plain.LoadFromQS(qs.Get()));
  EXPECT_EQ(plain.Count(), 0);
  TIniFile ini(Path("self.ini"));
  ini.WriteString("Self", "OBJECT1", "Self 257");
  ASSERT_TRUE(plain.LoadFromIni(&ini, "Self", ""));
  EXPECT_EQ(plain.Count(), 0);
}

// Templates and head files are the user's: a list section that names itself
// or an ancestor, however the lists' factories allow it, loads once; fan-out
// and depth are bounded.
TEST_F(ObjectListTest, IniSectionsNamingThemselvesOrAnAncestorEndTheRecursion) {
  TIniFile ini(Path("loop.ini"));
  ini.WriteString("Self", "OBJECT1", "Self 257");
  ini.WriteString("Self", "OBJECT2", "Leaf 256");
  ini.WriteString("Leaf", "WIDTH", "5");
  ini.WriteString("A", "OBJECT1", "B 257");
  ini.WriteString("B", "OBJECT1", "a 257");  // the ancestor, in other case
  ini.WriteString("B", "OBJECT2", "Leaf 256");
  TTestList self;
  ASSERT_TRUE(self.LoadFromIni(&ini, "Self", ""));
  ASSERT_EQ(self.Count(), 1);
  EXPECT_EQ(self.GetChild(0)->GetKind(), kindObject);
  TTestList a;
  ASSERT_TRUE(a.LoadFromIni(&ini, "A", ""));
  ASSERT_EQ(a.Count(), 1);
  auto* b = a.GetChild(0)->AsObjectList();
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->Count(), 1);
  EXPECT_EQ(b->GetChild(0)->GetKind(), kindObject);
  // A chain of distinct sections deeper than any document: cut in depth.
  for (int i = 0; i < 100; ++i) ini.WriteString(QString("D%1").arg(i), "OBJECT1", QString("D%1 257").arg(i + 1));
  TTestList deep;
  ASSERT_TRUE(deep.LoadFromIni(&ini, "D0", ""));
  int depth = 0;
  for (TPrintObjectList* l = &deep; l && l->Count() > 0; l = l->GetChild(0)->AsObjectList()) ++depth;
  EXPECT_GT(depth, 6);
  EXPECT_LT(depth, 100);
  // Sections naming the next one twice: a million objects, cut in number.
  for (int i = 0; i < 20; ++i)
    for (int k = 1; k <= 2; ++k)
      ini.WriteString(QString("F%1").arg(i), QString("OBJECT%1").arg(k), QString("F%1 257").arg(i + 1));
  TTestList wide;
  ASSERT_TRUE(wide.LoadFromIni(&ini, "F0", ""));
  const std::function<int(TPrintObjectList*)> countAll = [&](TPrintObjectList* l) {
    int n = l->Count();
    for (int i = 0; i < l->Count(); ++i)
      if (auto* sub = l->GetChild(i)->AsObjectList()) n += countAll(sub);
    return n;
  };
  const int objects = countAll(&wide);
  EXPECT_GT(objects, 1000);
  EXPECT_LT(objects, 100000);
  // The next load starts with a full budget.
  TTestList again;
  ASSERT_TRUE(again.LoadFromIni(&ini, "A", ""));
  EXPECT_EQ(again.Count(), 1);
}

TEST_F(ObjectListTest, StorageRoundTripOfNestedLists) {
  TTestList root;
  BuildTree(&root);
  const QJsonObject before = Dump(root);
  auto storage = TStorage::CreateNew();
  ASSERT_TRUE(root.SaveToStorage(storage.get()));
  EXPECT_FALSE(root.GetModified());
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);

  auto opened = TStorage::OpenBytes(bytes);
  ASSERT_TRUE(opened);
  // One element per child: a storage for a list, a stream for a leaf.
  const auto elements = opened->Elements();
  QStringList names;
  for (const auto& e : elements) names << e.Name + (e.IsStorage ? "/" : "");
  names.sort();
  EXPECT_EQ(names, (QStringList{"0", "1/", "2/", "index", "version"}));
  TFileVersion v;
  ASSERT_TRUE(ReadVersionStream(opened.get(), &v));
  EXPECT_EQ(v.Internal, 22);
  EXPECT_DOUBLE_EQ(v.Version, 1.56);
  EXPECT_EQ(v.VersionText, "1.56");
  EXPECT_EQ(v.Date, "19.06.2021");

  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(opened.get()));
  EXPECT_EQ(Dump(back), before);
  EXPECT_FALSE(back.GetModified());
  EXPECT_EQ(StorageBytes(&back), StorageBytes(&root)) << "a load and a save reproduce the file";
}

TEST_F(ObjectListTest, StorageLoadRefusesAnotherKindAndKeepsChildren) {
  TDataObject data;
  auto storage = TStorage::CreateNew();
  ASSERT_TRUE(data.SaveToStorage(storage.get()));
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);
  auto opened = TStorage::OpenBytes(bytes);
  TPrintObjectList list;
  AddBox(&list, 1, 1, 1, 1);
  EXPECT_FALSE(list.LoadFromStorage(opened.get()));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(list.LoadFromStorage(nullptr));
}

TEST_F(ObjectListTest, MissingChildElementLeavesDefaultsAndLoadGoesOn) {
  // A list whose "index" names two children but whose storage holds only the second.
  TPrintObjectList list;
  TPrintObject* a = AddBox(&list, 1, 2, 3, 4);
  TPrintObject* b = AddBox(&list, 5, 6, 7, 8);
  auto full = TStorage::CreateNew();
  {
    TComPtr<IStream> index;
    ASSERT_EQ(full->CreateStream("index", index.Put()), S_OK);
    ASSERT_TRUE(list.SaveToStream(index.Get()));
    TComPtr<IStream> second;
    ASSERT_EQ(full->CreateStream("1", second.Put()), S_OK);
    ASSERT_TRUE(b->SaveToStream(second.Get()));
  }
  (void)a;
  std::vector<uint8_t> bytes;
  ASSERT_EQ(full->SaveToBytes(&bytes), S_OK);
  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(TStorage::OpenBytes(bytes).get()));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetChild(0)->GetWidth(), 0) << "defaults for the missing element";
  EXPECT_EQ(back.GetChild(1)->GetBoundsRect(), b->GetBoundsRect());
}

TEST_F(ObjectListTest, NewerFileVersionWarnsRecordsAndStillLoads) {
  TPrintObjectList list;
  AddBox(&list, 1, 2, 3, 4);
  auto storage = TStorage::CreateNew();
  {
    TComPtr<IStream> index;
    ASSERT_EQ(storage->CreateStream("index", index.Put()), S_OK);
    ASSERT_TRUE(list.SaveToStream(index.Get()));
    auto qs = NewQS();
    qsWriteInteger(qs.Get(), 768, 23);
    qsWriteDouble(qs.Get(), 769, 1.7);
    qsWriteShortStr(qs.Get(), 770, "1.70");
    qsWriteShortStr(qs.Get(), 771, "01.01.2030");
    TComPtr<IStream> version;
    ASSERT_EQ(storage->CreateStream("version", version.Put()), S_OK);
    ASSERT_EQ(qsSaveToStream(qs.Get(), version.Get()), S_OK);
    TComPtr<IStream> child;
    ASSERT_EQ(storage->CreateStream("0", child.Put()), S_OK);
    ASSERT_TRUE(list.GetChild(0)->SaveToStream(child.Get()));
  }
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);
  auto opened = TStorage::OpenBytes(bytes);
  EXPECT_TRUE(CheckFileVersion(opened.get()));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("1.70")) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(FSettings->NewVersionInternal(), 23);
  EXPECT_EQ(FSettings->NewVersionString(), "1.70");
  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(opened.get()));
  EXPECT_EQ(back.Count(), 1);

  // Our own version and a file without "version" pass silently.
  FUi.Messages.clear();
  auto own = TStorage::CreateNew();
  ASSERT_TRUE(list.SaveToStorage(own.get()));
  ASSERT_EQ(own->SaveToBytes(&bytes), S_OK);
  EXPECT_FALSE(CheckFileVersion(TStorage::OpenBytes(bytes).get()));
  EXPECT_FALSE(CheckFileVersion(TStorage::CreateNew().get()));
  EXPECT_TRUE(FUi.Messages.empty());
}

TEST_F(ObjectListTest, IniChildrenGetUniqueAutoSectionsAndLoadBack) {
  TIniFile ini(Path("list.ini"));
  ini.WriteString("Object_auto1", "TOP", "1");  // taken already
  TPrintObjectList list;
  list.SetChildFlags(0x61);
  AddBox(&list, 1, 2, 3, 4);
  AddBox(&list, 5, 6, 7, 8);
  AddList(&list)->SetBoundsRect({9, 9, 10, 10});
  ASSERT_TRUE(list.SaveToIni(&ini, "L", ""));
  EXPECT_EQ(ini.ReadString("L", "OBJECT1", ""), "Object_auto2 256");
  EXPECT_EQ(ini.ReadString("L", "OBJECT2", ""), "Object_auto3 256");
  EXPECT_EQ(ini.ReadString("L", "OBJECT3", ""), "ObjectList_auto1 257");
  EXPECT_EQ(ini.ReadInteger("L", "CHILDFLAGS", 0), 0x61);
  // Broken entries: too few words, an unknown kind; both skipped.
  ini.WriteString("L", "OBJECT4", "Lonely");
  ini.WriteString("L", "OBJECT5", "X_auto1 9");
  TTestList back;
  ASSERT_TRUE(back.LoadFromIni(&ini, "L", ""));
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.ChildFlags(), 0x61u);
  EXPECT_EQ(back.GetChild(1)->GetBoundsRect(), (TBoundsRect{5, 6, 12, 14}));
  EXPECT_FALSE(back.LoadFromIni(&ini, "", ""));
}

TEST_F(ObjectListTest, ReorderingKeepsOwnershipAndDeletesOnlyTheDropped) {
  TPrintObjectList list;
  TPrintObject* a = AddBox(&list, 0, 30, 1, 1);
  TPrintObject* b = AddBox(&list, 0, 10, 1, 1);
  TPrintObject* c = AddBox(&list, 0, 20, 1, 1);
  list.SortByTop();
  EXPECT_EQ(list.GetChild(0), b);
  EXPECT_EQ(list.GetChild(2), a);
  EXPECT_TRUE(list.ExchangeChildren(0, 2));
  EXPECT_EQ(list.GetChild(0), a);
  EXPECT_FALSE(list.ExchangeChildren(0, 3));
  EXPECT_TRUE(list.MoveChild(0, 2));
  EXPECT_EQ(list.GetChild(2), a);
  EXPECT_FALSE(list.ReorderChildren({a, a}));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_TRUE(list.ReorderChildren({a, b}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetChild(0), a);
  EXPECT_EQ(list.GetChild(1), b);
  (void)c;
  auto taken = list.ExtractChild(0);
  EXPECT_EQ(taken.get(), a);
  EXPECT_EQ(a->Parent(), nullptr);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.RemoveChild(b));
  EXPECT_FALSE(list.RemoveChild(b));
  EXPECT_FALSE(list.DeleteChild(0));
}

TEST_F(ObjectListTest, SelectionSearchAndDeselectionReachDeepChildren) {
  TPrintObjectList root;
  AddBox(&root, 0, 0, 1, 1);
  TPrintObjectList* inner = AddList(&root);
  TPrintObject* deep = AddBox(inner, 0, 0, 1, 1);
  TPrintObject* later = AddBox(&root, 0, 0, 1, 1);
  EXPECT_EQ(root.FindSelected(), nullptr);
  later->SetSelected(true);
  deep->SetSelected(true);
  EXPECT_EQ(root.FindSelected(), deep) << "depth first, first found wins";
  root.SetSelected(false);
  EXPECT_FALSE(deep->Selected());
  EXPECT_FALSE(later->Selected());
}

TEST_F(ObjectListTest, AssignCopiesTheTreeAndLeavesTheSourceModifiedMark) {
  TTestList root;
  BuildTree(&root);
  root.SetModified(true);
  TTestList copy;
  copy.Assign(&root);
  EXPECT_EQ(Dump(copy), Dump(root));
  EXPECT_TRUE(copy.GetModified());
  EXPECT_TRUE(root.GetModified()) << "copying must not make unsaved changes look saved";
  copy.Assign(nullptr);
  EXPECT_EQ(Dump(copy), Dump(root));
}

// Stream children are loaded one after another through one container: no
// value of one child may reach the next, whose own stream lacks it or is
// damaged.
TEST_F(ObjectListTest, ChildrenLoadedInTurnKeepTheirOwnValuesOnly) {
  TPrintObjectList list;
  TPrintObject* first = AddBox(&list, 1, 2, 3, 4);
  first->SetBorder(false);
  first->SetFlags(pfMoveX | pfSizeY);
  AddBox(&list, 5, 6, 7, 8);
  AddBox(&list, 9, 10, 11, 12);
  auto saved = SavedAndOpened(&list);
  ASSERT_TRUE(saved);

  // The same file with child 1 holding only its kind and child 2 damaged.
  auto edited = TStorage::CreateNew();
  CopyStreams(saved.get(), edited.get(), {"index", "version", "0"});
  std::vector<uint8_t> bytes;
  {
    TComPtr<ICompoundStream> qs;
    qsCreateCompoundStream(qs.Put());
    qsWriteInteger(qs.Get(), 7, kindObject);
    TComPtr<IStream> out;
    ASSERT_EQ(edited->CreateStream("1", out.Put()), S_OK);
    ASSERT_EQ(qsSaveToStream(qs.Get(), out.Get()), S_OK);
    TComPtr<IStream> junk;
    ASSERT_EQ(edited->CreateStream("2", junk.Put()), S_OK);
    uint32_t done = 0;
    junk->Write("MTSQ\x05", 5, &done);
  }
  ASSERT_EQ(edited->SaveToBytes(&bytes), S_OK);

  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(TStorage::OpenBytes(bytes).get()));
  ASSERT_EQ(back.Count(), 3);
  const TPrintObject* a = back.GetChild(0);
  EXPECT_FALSE(a->Border());
  EXPECT_EQ(a->Flags(), static_cast<uint32_t>(pfMoveX | pfSizeY));
  EXPECT_EQ(a->GetBoundsRect(), (TBoundsRect{1, 2, 4, 6}));
  const TPrintObject fresh;
  for (int i : {1, 2}) {
    const TPrintObject* c = back.GetChild(i);
    EXPECT_TRUE(c->Border()) << i;
    EXPECT_EQ(c->Flags(), fresh.Flags()) << i;
    EXPECT_EQ(c->GetBoundsRect(), TBoundsRect{}) << i;
  }
}
