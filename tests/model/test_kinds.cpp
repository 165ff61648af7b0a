// Kinds and their registry, data objects and single-object files.
#include <QFile>

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
  EXPECT_EQ(KindIconIndex(12), 20);
  EXPECT_EQ(KindIconIndex(257), 0);
}

TEST_F(KindsTest, RegistryMakesTheModelKindsAndListsFilterThem) {
  for (int kind : {256, 257, 258, 259}) {
    auto o = CreateKindObject(kind);
    ASSERT_NE(o, nullptr) << kind;
    EXPECT_EQ(o->GetKind(), kind);
  }
  // "Picture" stands as a plain object.
  ASSERT_NE(CreateKindObject(kindPicture), nullptr);
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
  TDataObject FSource;
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
  TDataObject target;
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
