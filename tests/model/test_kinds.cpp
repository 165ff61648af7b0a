// Kinds and their registry, data objects and single-object files.
#include <QFile>
#include <cstring>

#include "qsID.h"
#include "uDataObject.h"
#include "uKinds.h"
#include "uMemoryStream.h"
#include "uModelTestEnv.h"

using KindsTest = TModelTest;

TEST_F(KindsTest, NamesOutsideTheTableAreUnknownAndCreateNothing) {
  EXPECT_EQ(KindName(2), "DeepScale");
  EXPECT_EQ(KindName(284), "Image");
  for (int kind : {0, 9, 10, 283, 285, -1}) {
    EXPECT_EQ(KindName(kind), "Unknown") << kind;
    EXPECT_EQ(CreateKindObject(kind), nullptr) << kind;
  }
  EXPECT_EQ(TranslateKindName(275), "Document");
}

TEST_F(KindsTest, ImagesOfTheKinds) {
  const int low[][2] = {{1, 4}, {2, 5}, {3, 6}, {4, 9}, {5, 7}, {6, 13}, {7, 0}, {8, 8}, {11, 18}, {12, 20}};
  for (const auto& p : low) EXPECT_EQ(KindIconIndex(p[0]), p[1]) << p[0];
  const int high[] = {12, 2, 3, 1, 10, 11, 14, 6, 15, 16, 19};
  for (int k = 272; k <= 282; ++k) EXPECT_EQ(KindIconIndex(k), high[k - 272]) << k;
  for (int k : {0, -5, 256, 257, 283, 100000}) EXPECT_EQ(KindIconIndex(k), 0) << k;
  EXPECT_EQ(KindIconIndex(284), 21);
}

TEST_F(KindsTest, RegistryMakesTheModelKindsAndListsFilterThem) {
  for (int kind : {256, 257, 258, 259}) {
    auto o = CreateKindObject(kind);
    ASSERT_NE(o, nullptr) << kind;
    EXPECT_EQ(o->GetKind(), kind);
  }
  EXPECT_EQ(CreateKindObject(kindPicture, {kindObject}), nullptr);
  EXPECT_EQ(CreateKindObject(kindObject, {kindObject})->GetKind(), 256);
  // A later subsystem registers its class; an empty maker takes it back.
  EXPECT_FALSE(IsKindRegistered(kindDeepScale));
  RegisterKind(kindDeepScale, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TDataObject>()); });
  EXPECT_TRUE(IsKindRegistered(kindDeepScale));
  RegisterKind(kindDeepScale, nullptr);
  EXPECT_FALSE(IsKindRegistered(kindDeepScale));
  // Kinds beyond the table's numbers (and negative ones) register alike.
  for (int kind : {511, 512, 70000, -5}) {
    EXPECT_FALSE(IsKindRegistered(kind)) << kind;
    EXPECT_EQ(CreateKindObject(kind), nullptr) << kind;
    RegisterKind(kind, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TDataObject>()); });
    ASSERT_NE(CreateKindObject(kind), nullptr) << kind;
    EXPECT_EQ(CreateKindObject(kind)->GetKind(), kindDataObject);
    RegisterKind(kind, nullptr);
    EXPECT_FALSE(IsKindRegistered(kind)) << kind;
  }
}

// Kind 7 has no drawing of its own yet: it must still report its kind and
// carry every stored value through a load, a save and a copy.
TEST_F(KindsTest, APictureKeepsItsKindAndEveryStoredValue) {
  auto made = CreateKindObject(kindPicture);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetKind(), kindPicture);
  // A picture's stream as a later program writes it: base values and its own.
  TPrintObject base;
  base.SetBoundsRect({10, 20, 40, 60});
  auto stored = NewQS();
  ASSERT_TRUE(base.SaveToQS(stored.Get()));
  qsWriteInteger(stored.Get(), 7, kindPicture);
  qsWriteInteger(stored.Get(), 5, 77);  // an ID the base leaves free
  qsWriteDouble(stored.Get(), 300, 2.5);
  const std::string longText(1000, 'x');
  qsWriteString(stored.Get(), 301, longText);
  const uint8_t image[5] = {0, 1, 2, 0xFF, 0};
  ASSERT_EQ(stored->WriteBuffer(302, image, sizeof image), S_OK);
  ASSERT_EQ(stored->WriteBuffer(303, image, 0), S_OK);  // an empty Binary
  TTestList list;
  list.AddChild(std::move(made));
  TPrintObject* picture = list.GetChild(0);
  ASSERT_TRUE(picture->LoadFromQS(stored.Get()));
  EXPECT_EQ(picture->GetBoundsRect(), (TBoundsRect{10, 20, 40, 60}));
  picture->SetLeft(12);  // a change of a base value is saved as changed
  auto check = [&](TPrintObject* p) {
    auto out = NewQS();
    ASSERT_TRUE(p->SaveToQS(out.Get()));
    EXPECT_EQ(qsReadInteger(out.Get(), 7, 0), kindPicture);
    EXPECT_DOUBLE_EQ(qsReadDouble(out.Get(), 8, 0), 12);
    EXPECT_EQ(qsReadInteger(out.Get(), 5, 0), 77);
    EXPECT_DOUBLE_EQ(qsReadDouble(out.Get(), 300, 0), 2.5);
    EXPECT_EQ(qsReadString(out.Get(), 301, ""), longText);
    uint8_t back[8] = {};
    uint32_t size = sizeof back;
    ASSERT_EQ(out->ReadData(302, 0, back, &size), S_OK);
    EXPECT_EQ(size, sizeof image);
    EXPECT_EQ(std::memcmp(back, image, sizeof image), 0);
    TCompoundEntry empty{};
    ASSERT_EQ(out->GetEntry(303, &empty), S_OK);
    EXPECT_EQ(empty.Tag, qsBinary);
  };
  check(picture);
  list.Changed();  // as a load leaves it
  // Through a document's storage and through an undo snapshot's copy.
  auto storage = TStorage::CreateNew();
  ASSERT_TRUE(list.SaveToStorage(storage.get()));
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);
  TTestList back;
  ASSERT_TRUE(back.LoadFromStorage(TStorage::OpenBytes(bytes).get()));
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.GetChild(0)->GetKind(), kindPicture);
  check(back.GetChild(0));
  EXPECT_EQ(StorageBytes(&back), bytes) << "a load and a save reproduce the file";
  TTestList copy;
  copy.Assign(&back);
  ASSERT_EQ(copy.Count(), 1);
  check(copy.GetChild(0));
}

TEST_F(KindsTest, StreamAndStorageKinds) {
  TDataObject data;
  TComPtr<IStream> stream;
  ASSERT_EQ(CreateMemoryStream(stream.Put()), S_OK);
  ASSERT_TRUE(data.SaveToStream(stream.Get()));
  EXPECT_EQ(ReadStreamKind(stream.Get()), 258);
  auto junk = MemoryStreamFrom("not a compound stream", 21);
  EXPECT_EQ(ReadStreamKind(junk.Get()), 0);
  EXPECT_EQ(ReadStreamKind(nullptr), 0);
  auto storage = TStorage::CreateNew();
  ASSERT_TRUE(data.SaveToStorage(storage.get()));
  std::vector<uint8_t> bytes;
  ASSERT_EQ(storage->SaveToBytes(&bytes), S_OK);
  EXPECT_EQ(ReadStorageKind(TStorage::OpenBytes(bytes).get()), 258);
  EXPECT_EQ(ReadStorageKind(nullptr), 0);
  EXPECT_EQ(ReadStorageKind(TStorage::CreateNew().get()), 0);
}

TEST_F(KindsTest, DataObjectNameDefaultsAndPersists) {
  TDataObject data;
  EXPECT_EQ(data.Caption(), "DataObject");
  auto qs = NewQS();
  ASSERT_TRUE(data.SaveToQS(qs.Get()));
  qs->DeleteValue(5);
  TDataObject named;
  named.SetName("Old");
  ASSERT_TRUE(named.LoadFromQS(qs.Get()));
  EXPECT_EQ(named.Name(), "DataObject") << "a stream without ID 5 names the kind";
  int changes = 0;
  named.SetOnNameChange([&](TPrintObject*) { ++changes; });
  named.SetName(QString::fromUtf8("Скважина 1"));
  EXPECT_EQ(changes, 1);
  auto qs2 = NewQS();
  ASSERT_TRUE(named.SaveToQS(qs2.Get()));
  EXPECT_EQ(qsReadShortStr(qs2.Get(), 5, ""), std::string("\xD1\xEA\xE2\xE0\xE6\xE8\xED\xE0 1"))
      << "names are stored in Windows-1251";
  TDataObject back;
  ASSERT_TRUE(back.LoadFromQS(qs2.Get()));
  EXPECT_EQ(back.Name(), QString::fromUtf8("Скважина 1"));
}

class ObjectFileTest : public TModelTest {
 protected:
  void SetUp() override {
    TModelTest::SetUp();
    FSource.SetName("Source");
    FSource.SetBoundsRect({10, 20, 60, 120});
    auto child = std::make_unique<TPrintObject>();
    child->SetBoundsRect({15, 25, 25, 35});
    FSource.AddChild(std::move(child));
  }
  TTestData FSource;
};

TEST_F(ObjectFileTest, SaveReplacesTheExtensionAndCancelSavesNothing) {
  EXPECT_EQ(TDataObject::ObjectFileName("/a/b"), "/a/b.kno");
  EXPECT_EQ(TDataObject::ObjectFileName("/a/b.txt"), "/a/b.kno");
  EXPECT_EQ(TDataObject::ObjectFileName("/a/b.c.KNO"), "/a/b.c.kno");
  EXPECT_EQ(FSource.SaveObjectToFile(), R_CANCELLED);
  FUi.FileAnswers = {Path("obj.txt")};
  EXPECT_EQ(FSource.SaveObjectToFile(), S_OK);
  EXPECT_TRUE(QFile::exists(Path("obj.kno")));
  EXPECT_FALSE(QFile::exists(Path("obj.txt")));
  ASSERT_EQ(FUi.FileDialogs.size(), 2u);
  EXPECT_EQ(FUi.FileDialogs[1].Filter, "Kerno object (KNO)|*.kno");
}

TEST_F(ObjectFileTest, LoadKeepsNameAndPositionAndTakesTheRest) {
  ASSERT_EQ(FSource.SaveObjectToPath(Path("obj")), S_OK);
  TTestData target;
  target.SetName("Target");
  target.SetBoundsRect({100, 200, 101, 201});
  FUi.FileAnswers = {Path("obj.kno")};
  ASSERT_EQ(target.LoadObjectFromFile(), S_OK);
  EXPECT_EQ(target.Name(), "Target");
  EXPECT_DOUBLE_EQ(target.Left(), 100);
  EXPECT_DOUBLE_EQ(target.Top(), 200);
  EXPECT_DOUBLE_EQ(target.GetWidth(), 50);
  EXPECT_DOUBLE_EQ(target.GetHeight(), 100);
  ASSERT_EQ(target.Count(), 1);
  // The child moved with its parent to the kept position.
  EXPECT_DOUBLE_EQ(target.GetChild(0)->Left(), 105);
  EXPECT_DOUBLE_EQ(target.GetChild(0)->Top(), 205);
  EXPECT_TRUE(FUi.Messages.empty());
}

TEST_F(ObjectFileTest, AnotherKindIsRefusedWithTheMessageAndChangesNothing) {
  TPrintDeepObject other;  // kind 259
  auto storage = TStorage::CreateFile(Path("deep.kno"));
  ASSERT_TRUE(other.SaveToStorage(storage.get()));
  ASSERT_EQ(storage->Commit(), S_OK);
  TDataObject target;
  target.SetName("Target");
  target.SetBoundsRect({1, 2, 3, 4});
  target.SetModified(false);
  EXPECT_EQ(target.LoadObjectFromPath(Path("deep.kno")), R_CANCELLED);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_EQ(FUi.Messages[0].Text, "File has obect \"DeepObject\" and can't be load to object \"Target\"");
  EXPECT_EQ(target.GetBoundsRect(), (TBoundsRect{1, 2, 3, 4}));
  EXPECT_FALSE(target.GetModified());
  // Not a storage at all, or missing: the storage's code, no message.
  QFile text(Path("x.kno"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("hello");
  text.close();
  FUi.Messages.clear();
  EXPECT_EQ(target.LoadObjectFromPath(Path("x.kno")), STG_E_INVALIDHEADER);
  EXPECT_EQ(target.LoadObjectFromPath(Path("none.kno")), STG_E_FILENOTFOUND);
  EXPECT_TRUE(FUi.Messages.empty());
  EXPECT_EQ(target.LoadObjectFromFile(), R_CANCELLED) << "a cancelled dialog";
}

namespace {

// A child whose values cannot be written (a full disk, a broken subclass).
class TFailingObject : public TPrintObject {
 public:
  bool SaveToQS(ICompoundStream*) override { return false; }
};

}  // namespace

TEST_F(ObjectFileTest, AChildThatFailsToSaveKeepsTheEarlierFile) {
  ASSERT_EQ(FSource.SaveObjectToPath(Path("obj.kno")), S_OK);
  QFile file(Path("obj.kno"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  FSource.SetName("Changed");
  FSource.AddChild(std::make_unique<TFailingObject>());
  FSource.AddChild(std::make_unique<TPrintObject>());
  EXPECT_EQ(FSource.SaveObjectToPath(Path("obj.kno")), E_FAIL);
  EXPECT_TRUE(FSource.GetModified()) << "a failed save leaves the object unsaved";
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before) << "the earlier file is kept byte for byte";
}
