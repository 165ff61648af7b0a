// Streams, categories, fields, signs and databases of the lithology library,
// called through the exports and interface tables as the program calls them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>

#include "qsID.h"
#include "uCodePage.h"
#include "uMemoryStream.h"
#include "uStratCategories.h"
#include "uTestStrat.h"

using namespace teststrat;

namespace {

std::vector<uint8_t> LE32s(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t v : values) Put32(out, v);
  return out;
}

std::vector<uint8_t> SaveOldSign(IStratSign* sign) {
  auto old = QueryAs<IStratSignOld>(sign, IID_IStratSignOld);
  std::vector<uint8_t> bytes(static_cast<size_t>(old->SaveToOldBuffer(nullptr, 0)));
  EXPECT_EQ(old->SaveToOldBuffer(bytes.data(), static_cast<int32_t>(bytes.size())), static_cast<int32_t>(bytes.size()));
  return bytes;
}

}  // namespace

// The program binds these by name at load time; a missing export is a program that will not start.
TEST(StratExports, EveryExportIsReachableByName) {
  for (const char* name : {"stratCreateSign", "stratCreateField", "stratCreateDataBase", "stratCreateDataBaseold",
                           "stratCreate", "stratCopy", "stratSaveToQS", "stratLoadFromQS", "stratLoad", "stratSave",
                           "stratGetCurrentFileName", "stratSetFileName", "stratSetMetaFile", "stratSaveMetafile",
                           "stratDrawIcon", "stratDrawListItem", "stratAdjuctField"})
    EXPECT_NE(dlsym(RTLD_DEFAULT, name), nullptr) << name;
}

// Callers walk the interface tables by slot; a reordered declaration would call the wrong operation.
TEST(StratExports, InterfaceSlotsKeepTheirOrder) {
  TComPtr<IStratField> field;
  ASSERT_EQ(stratCreateField(field.Put()), S_OK);
  void** table = *reinterpret_cast<void***>(field.Get());
  using AddFn = HRESULT (*)(void*, const TShortString&);
  using CountFn = int32_t (*)(void*);
  using GetNameFn = void (*)(void*, int32_t, TShortString*);
  EXPECT_EQ(reinterpret_cast<AddFn>(table[4])(field.Get(), MakeShortString("SST")), S_OK);
  EXPECT_EQ(reinterpret_cast<CountFn>(table[3])(field.Get()), 1);
  TShortString name{};
  reinterpret_cast<GetNameFn>(table[10])(field.Get(), 0, &name);
  EXPECT_EQ(ShortStringText(name), "SST");

  auto database = MakeDataBase({"LST", "DOL"});
  void** dbTable = *reinterpret_cast<void***>(database.Get());
  EXPECT_EQ(reinterpret_cast<CountFn>(dbTable[6])(database.Get()), 2);
  using SetOptionsFn = void (*)(void*, int32_t);
  reinterpret_cast<SetOptionsFn>(dbTable[10])(database.Get(), 5);
  EXPECT_EQ(reinterpret_cast<CountFn>(dbTable[9])(database.Get()), 5);

  auto stream = QueryAs<IStratStream>(database.Get(), IID_IStratStream);
  void** streamTable = *reinterpret_cast<void***>(stream.Get());
  using ClassIdFn = HRESULT (*)(void*, GUID*);
  GUID id{};
  EXPECT_EQ(reinterpret_cast<ClassIdFn>(streamTable[8])(stream.Get(), &id), S_OK);
  EXPECT_EQ(id, CLSID_StratDataBase);
  EXPECT_EQ(reinterpret_cast<CountFn>(streamTable[3])(stream.Get()), stream->GetSize());
}

TEST(StratExports, CreateByClassIdentifier) {
  void* object = reinterpret_cast<void*>(0x1);  // must be cleared, not released
  EXPECT_EQ(stratCreate(&GUID_NULL, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);

  ASSERT_EQ(stratCreate(&CLSID_StratField, &object), S_OK);
  auto field = TComPtr<IStratField>::Attach(static_cast<IStratField*>(object));
  EXPECT_EQ(field->Count(), 0);
  ASSERT_EQ(stratCreate(&CLSID_StratSign, &object), S_OK);
  auto sign = TComPtr<IStratSign>::Attach(static_cast<IStratSign*>(object));
  EXPECT_EQ(sign->Width(), 0.0);
  ASSERT_EQ(stratCreate(&CLSID_StratDataBase, &object), S_OK);
  auto database = TComPtr<IStratDataBase>::Attach(static_cast<IStratDataBase*>(object));
  EXPECT_EQ(database->GetOptions(), 31);

  EXPECT_EQ(stratCreateSign(nullptr), E_INVALIDARG);
  EXPECT_EQ(stratCreate(nullptr, &object), E_INVALIDARG);
  EXPECT_EQ(object, nullptr);
}

// A sign loaded into a field (or a database copied into a sign) must not leave half-read values behind.
TEST(StratStream, ClassCheckLeavesTheTargetUnchanged) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  field->Add(MakeShortString("A"));
  field->Add(MakeShortString("B"));
  auto sign = MakeSign("SST");

  TComPtr<ICompoundStream> signForm = SavedForm(sign.Get());
  ASSERT_TRUE(signForm);
  EXPECT_EQ(LoadForm(field.Get(), signForm.Get()), E_PENDING);
  EXPECT_EQ(field->Count(), 2);
  EXPECT_EQ(ItemName(field.Get(), 1), "B");

  auto database = MakeDataBase({"LST"});
  EXPECT_EQ(stratCopy(database.Get(), sign.Get()), E_PENDING);
  EXPECT_EQ(NameOf(sign.Get()), "SST");
  EXPECT_EQ(stratCopy(sign.Get(), database.Get()), E_PENDING);
  EXPECT_EQ(SignNames(database.Get()), std::vector<std::string>{"LST"});

  // No class identifier at all is the same refusal.
  TComPtr<ICompoundStream> empty;
  qsCreateCompoundStream(empty.Put());
  EXPECT_EQ(LoadForm(field.Get(), empty.Get()), E_PENDING);
  EXPECT_EQ(field->Count(), 2);
}

TEST(StratStream, SizeAndBufferOfAFreshObject) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  auto stream = QueryAs<IStratStream>(field.Get(), IID_IStratStream);
  // Header, two directory records, the 16-byte class identifier and the item count.
  EXPECT_EQ(stream->GetSize(), 16 + 2 * 16 + 16 + 4);

  std::vector<uint8_t> whole(static_cast<size_t>(stream->GetSize()));
  ASSERT_EQ(stream->SaveToBuffer(whole.data(), static_cast<int32_t>(whole.size())), S_OK);
  EXPECT_EQ(std::memcmp(whole.data(), "MTSQ", 4), 0);
  GUID stored{};
  std::memcpy(&stored, whole.data() + 48, 16);
  EXPECT_EQ(stored, CLSID_StratField);

  // A short buffer receives the first bytes only, and nothing past its end.
  std::vector<uint8_t> part(20, 0xEE);
  EXPECT_EQ(stream->SaveToBuffer(part.data(), 10), S_OK);
  EXPECT_TRUE(std::equal(part.begin(), part.begin() + 10, whole.begin()));
  EXPECT_EQ(part[10], 0xEE);
  EXPECT_EQ(stream->SaveToBuffer(nullptr, 10), E_INVALIDARG);
  EXPECT_EQ(stream->LoadFromBuffer(whole.data(), 0), E_INVALIDARG);

  // Every class measures exactly what it writes.
  for (TComPtr<IUnknown> object :
       {TComPtr<IUnknown>(MakeSign("X").Get()), TComPtr<IUnknown>(MakeDataBase({"A", "B"}).Get())}) {
    auto s = QueryAs<IStratStream>(object.Get(), IID_IStratStream);
    TComPtr<IStream> memory;
    CreateMemoryStream(memory.Put());
    ASSERT_EQ(s->SaveToStream(memory.Get()), S_OK);
    uint64_t end = 0;
    memory->Seek(0, STREAM_SEEK_END, &end);
    EXPECT_EQ(static_cast<uint64_t>(s->GetSize()), end);
  }
}

TEST(StratCategories, BufferLayoutAndRejection) {
  TComPtr<IStratCategories> list;
  ASSERT_EQ(CreateStratCategories(list.Put()), S_OK);
  std::vector<uint8_t> buffer(64, 0xCC);
  EXPECT_EQ(list->SaveToBuffer(nullptr, 0), 16);
  EXPECT_EQ(list->SaveToBuffer(buffer.data(), 64), 16);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 16), LE32s({16, 0, 0, 0}));

  EXPECT_EQ(list->Add("ab"), 0);
  EXPECT_EQ(list->Add("c"), 1);
  EXPECT_EQ(list->SaveToBuffer(nullptr, 0), 27);
  EXPECT_EQ(list->SaveToBuffer(buffer.data(), 26), 0);  // too small: nothing written
  EXPECT_EQ(buffer[0], 16);
  ASSERT_EQ(list->SaveToBuffer(buffer.data(), 64), 27);
  std::vector<uint8_t> expected = LE32s({27, 2, 0, 0, 2, 1});
  expected.insert(expected.end(), {'a', 'b', 'c'});
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 27), expected);

  TComPtr<IStratCategories> copy;
  CreateStratCategories(copy.Put());
  copy->Add("kept");
  EXPECT_EQ(copy->LoadFromBuffer(expected.data(), 26), 0);  // shorter than it claims
  EXPECT_EQ(copy->Count(), 1);
  // A name length that runs past the stored total is refused, not read.
  std::vector<uint8_t> lying = LE32s({27, 2, 0, 0, 2, 100});
  lying.insert(lying.end(), {'a', 'b', 'c'});
  EXPECT_EQ(copy->LoadFromBuffer(lying.data(), 27), 0);
  std::vector<uint8_t> hugeCount = LE32s({20, 0x40000000, 0, 0, 0});
  EXPECT_EQ(copy->LoadFromBuffer(hugeCount.data(), 20), 0);
  EXPECT_EQ(copy->Count(), 1);

  EXPECT_EQ(copy->LoadFromBuffer(expected.data(), 27), 27);
  ASSERT_EQ(copy->Count(), 2);
  TShortString name{};
  copy->GetName(1, &name);
  EXPECT_EQ(ShortStringText(name), "c");
  copy->GetName(-1, &name);
  EXPECT_EQ(name.Length, 0);
  copy->GetName(2, &name);
  EXPECT_EQ(name.Length, 0);
  EXPECT_TRUE(copy->SetName(0, std::string(300, 'x').c_str()));
  copy->GetName(0, &name);
  EXPECT_EQ(name.Length, 255);
  EXPECT_FALSE(copy->SetName(2, "y"));
  EXPECT_FALSE(copy->Delete(2));
  EXPECT_TRUE(copy->Delete(0));
  EXPECT_EQ(copy->Count(), 1);
}

TEST(StratField, ItemsAddDeleteExchange) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  for (const char* n : {"A", "B", "C"}) field->Add(MakeShortString(n));
  TStratPlacement item{};
  ASSERT_EQ(field->GetItem(0, &item), S_OK);
  EXPECT_EQ(item.OffsetX, 1.0);
  EXPECT_EQ(item.OffsetY, 1.0);
  EXPECT_EQ(item.SpaceX, 5.0);
  EXPECT_EQ(item.SpaceY, 5.0);
  EXPECT_EQ(item.CountX, 1);
  EXPECT_EQ(item.CountY, 1);
  EXPECT_EQ(item.Flags, 1);

  ASSERT_EQ(field->Delete(0), S_OK);
  EXPECT_EQ(field->Count(), 2);
  EXPECT_EQ(ItemName(field.Get(), 0), "B");
  EXPECT_EQ(ItemName(field.Get(), 1), "C");
  EXPECT_EQ(field->Delete(2), E_INVALIDARG);
  EXPECT_EQ(field->Exchange(0, 2), E_INVALIDARG);
  EXPECT_EQ(field->Exchange(0, 1), S_OK);
  EXPECT_EQ(ItemName(field.Get(), 0), "C");
  EXPECT_EQ(field->GetItem(-1, &item), E_INVALIDARG);
  EXPECT_EQ(field->SetItem(5, item), E_INVALIDARG);
  EXPECT_EQ(ItemName(field.Get(), 7), "");

  // All 304 bytes travel, the bits of Flags beyond bit 0 included.
  TStratPlacement custom = DefaultPlacement("Z");
  custom.Flags = 0x70000002;
  custom.CountX = -3;
  ASSERT_EQ(field->SetItem(1, custom), S_OK);
  TStratPlacement back{};
  field->GetItem(1, &back);
  EXPECT_EQ(std::memcmp(&back, &custom, sizeof custom), 0);
  // Whole items added at once, as an Add and a SetItem of each would leave them.
  const uint64_t changes = stratDrawingChanges();
  const TStratPlacement added[2] = {custom, DefaultPlacement("Y")};
  ASSERT_EQ(field->AddItems(added, 2), S_OK);
  EXPECT_NE(stratDrawingChanges(), changes);
  ASSERT_EQ(field->Count(), 4);
  for (int i = 0; i < 2; ++i) {
    field->GetItem(2 + i, &back);
    EXPECT_EQ(std::memcmp(&back, &added[i], sizeof back), 0) << i;
  }
  EXPECT_EQ(field->AddItems(added, 0), S_OK);
  EXPECT_EQ(field->AddItems(nullptr, 1), E_INVALIDARG);
  EXPECT_EQ(field->AddItems(added, -1), E_INVALIDARG);
  EXPECT_EQ(field->Count(), 4);
  const TStratPlacement* kept = nullptr;
  int32_t count = 0;
  ASSERT_EQ(field->GetItems(&kept, &count), S_OK);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(std::memcmp(&kept[2], &added[0], sizeof custom), 0);
  EXPECT_EQ(field->GetItems(nullptr, &count), E_INVALIDARG);
  EXPECT_EQ(field->Clear(), S_OK);
  EXPECT_EQ(field->Count(), 0);
}

// A field keeps its first three items inside itself and moves them to a block of their own
// beyond that: every call sees the same items in the same order either way.
TEST(StratField, ItemsBeyondTheFieldsOwnRoomKeepTheirOrder) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  for (const char* n : {"A", "B", "C"}) field->Add(MakeShortString(n));
  // The field's own items added again: read before they move.
  const TStratPlacement* kept = nullptr;
  int32_t count = 0;
  ASSERT_EQ(field->GetItems(&kept, &count), S_OK);
  ASSERT_EQ(field->AddItems(kept, count), S_OK);
  ASSERT_EQ(field->Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ItemName(field.Get(), i), std::string(1, static_cast<char>('A' + i % 3))) << i;
  field->Add(MakeShortString("D"));
  ASSERT_EQ(field->Delete(1), S_OK);
  ASSERT_EQ(field->Exchange(0, 5), S_OK);
  std::string names;
  for (int i = 0; i < field->Count(); ++i) names += ItemName(field.Get(), i);
  EXPECT_EQ(names, "DCABCA");

  // Through the stored form into a field holding other items, and back within its own room.
  TComPtr<ICompoundStream> form = SavedForm(field.Get());
  ASSERT_TRUE(form);
  TComPtr<IStratField> copy;
  stratCreateField(copy.Put());
  copy->Add(MakeShortString("X"));
  ASSERT_EQ(LoadForm(copy.Get(), form.Get()), S_OK);
  ASSERT_EQ(copy->Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ItemName(copy.Get(), i), ItemName(field.Get(), i)) << i;
  EXPECT_EQ(copy->Clear(), S_OK);
  for (const char* n : {"P", "Q"}) copy->Add(MakeShortString(n));
  EXPECT_EQ(ItemName(copy.Get(), 0) + ItemName(copy.Get(), 1), "PQ");
}

TEST(StratField, SavedFormRoundTripAndDefaults) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  field->Add(MakeShortString("SST"));
  field->Add(MakeShortString("LST"));
  TStratPlacement item = DefaultPlacement("LST");
  item.OffsetX = 2.5;
  item.SpaceY = 0.25;
  item.CountX = 7;
  item.Flags = 6;
  field->SetItem(1, item);

  TComPtr<ICompoundStream> form = SavedForm(field.Get());
  ASSERT_TRUE(form);
  EXPECT_EQ(qsReadInteger(form.Get(), 17, -1), 2);
  EXPECT_EQ(qsReadDouble(form.Get(), 65536 + 1, 0), 2.5);
  EXPECT_EQ(qsReadShortStr(form.Get(), 65536 + 16, ""), "LST");
  EXPECT_EQ(qsReadInteger(form.Get(), 65536 + 7, 0), 6);

  TComPtr<IStratField> copy;
  stratCreateField(copy.Put());
  ASSERT_EQ(stratCopy(field.Get(), copy.Get()), S_OK);
  ASSERT_EQ(copy->Count(), 2);
  TStratPlacement back{};
  copy->GetItem(1, &back);
  EXPECT_EQ(std::memcmp(&back, &item, sizeof item), 0);

  // Missing values of a stored item read as zero offsets and gaps, one block, no flags.
  TComPtr<ICompoundStream> sparse;
  qsCreateCompoundStream(sparse.Put());
  sparse->WriteBuffer(-1, &CLSID_StratField, 16);
  qsWriteInteger(sparse.Get(), 17, 1);
  ASSERT_EQ(LoadForm(copy.Get(), sparse.Get()), S_OK);
  ASSERT_EQ(copy->Count(), 1);
  copy->GetItem(0, &back);
  EXPECT_EQ(back.OffsetX, 0.0);
  EXPECT_EQ(back.SpaceY, 0.0);
  EXPECT_EQ(back.CountX, 1);
  EXPECT_EQ(back.CountY, 1);
  EXPECT_EQ(back.Flags, 0);
  EXPECT_EQ(back.SignName.Length, 0);

  // A count no save could write is refused instead of allocated.
  qsWriteInteger(sparse.Get(), 17, 0x7FFFFFFF);
  EXPECT_EQ(LoadForm(copy.Get(), sparse.Get()), E_FAIL);
  qsWriteInteger(sparse.Get(), 17, -5);
  EXPECT_EQ(LoadForm(copy.Get(), sparse.Get()), E_FAIL);
  EXPECT_EQ(copy->Count(), 1);
}

// Item i's values live under the 32-bit IDs i * 65536 + n: IDs first collide at item 65536, so
// a field of 65536 items saves and loads whole, and one item more is refused either way.
TEST(StratField, HoldsAsManyItemsAsItsIdsTell) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  for (int32_t i = 0; i < 65536; ++i) ASSERT_EQ(field->Add(TShortString{}), S_OK);
  const int32_t marked[] = {0, 32767, 32768, 65535};  // either side of the sign bit, and the last
  for (int32_t i : marked) {
    TStratPlacement item = DefaultPlacement("N" + std::to_string(i));
    item.CountX = i + 1;
    item.OffsetY = i / 8.0;
    field->SetItem(i, item);
  }
  TComPtr<ICompoundStream> form = SavedForm(field.Get());
  ASSERT_TRUE(form);
  EXPECT_EQ(qsReadInteger(form.Get(), 17, -1), 65536);
  EXPECT_EQ(qsReadInteger(form.Get(), static_cast<int32_t>(0xFFFF0000u) + 5, -1), 65536);  // item 65535's CountX

  TComPtr<IStratField> back;
  stratCreateField(back.Put());
  ASSERT_EQ(LoadForm(back.Get(), form.Get()), S_OK);
  ASSERT_EQ(back->Count(), 65536);
  for (int32_t i : marked) {
    TStratPlacement item{};
    back->GetItem(i, &item);
    EXPECT_EQ(ShortStringText(item.SignName), "N" + std::to_string(i));
    EXPECT_EQ(item.CountX, i + 1);
    EXPECT_EQ(item.OffsetY, i / 8.0);
  }

  field->Add(TShortString{});
  TComPtr<ICompoundStream> parent;
  qsCreateCompoundStream(parent.Put());
  EXPECT_NE(stratSaveToQS(0, field.Get(), parent.Get()), S_OK);
  qsWriteInteger(form.Get(), 17, 65537);
  EXPECT_EQ(LoadForm(back.Get(), form.Get()), E_FAIL);
  EXPECT_EQ(back->Count(), 65536);
}

TEST(StratSign, FreshSignNameAndMetafileOwnership) {
  TComPtr<IStratSign> sign;
  ASSERT_EQ(stratCreateSign(sign.Put()), S_OK);
  EXPECT_EQ(NameOf(sign.Get()), "");
  EXPECT_EQ(sign->Width(), 0.0);
  EXPECT_EQ(sign->Height(), 0.0);
  EXPECT_EQ(sign->GetMetafile(), nullptr);
  TComPtr<IStratField> templates;
  ASSERT_EQ(sign->GetFields(templates.Put()), S_OK);
  ASSERT_EQ(templates->Count(), 1);
  TStratPlacement item{};
  templates->GetItem(0, &item);
  const TStratPlacement unnamed = DefaultPlacement();
  EXPECT_EQ(std::memcmp(&item, &unnamed, sizeof item), 0);

  ASSERT_EQ(sign->SetName(MakeShortString("SST")), S_OK);
  EXPECT_EQ(ItemName(templates.Get(), 0), "SST");
  templates->Clear();
  ASSERT_EQ(sign->SetName(MakeShortString("LST")), S_OK);
  ASSERT_EQ(templates->Count(), 1);
  templates->GetItem(0, &item);
  const TStratPlacement named = DefaultPlacement("LST");
  EXPECT_EQ(std::memcmp(&item, &named, sizeof item), 0);

  TEmfDocument* picture = Picture(1000, 500).release();
  EXPECT_EQ(sign->SetMetafile(picture), S_OK);
  EXPECT_DOUBLE_EQ(sign->Width(), 10.0);
  EXPECT_DOUBLE_EQ(sign->Height(), 5.0);
  // Handing the held picture in again must not free it (the sanitizer build catches a use after free).
  EXPECT_EQ(sign->SetMetafile(picture), S_OK);
  EXPECT_EQ(sign->GetMetafile(), picture);
  EXPECT_GT(picture->Size(), 0u);
  sign->SetMetafile(Picture(2000, 300).release());
  EXPECT_DOUBLE_EQ(sign->Width(), 20.0);
  EXPECT_DOUBLE_EQ(sign->Height(), 3.0);
}

TEST(StratSign, SavedFormRoundTripAndOlderForms) {
  auto sign = MakeSign("SSTF", 1000, 500);
  TComPtr<IStratField> templates;
  sign->GetFields(templates.Put());
  templates->Add(MakeShortString("SSTF"));
  TStratPlacement second = DefaultPlacement("SSTF");
  second.OffsetX = 6;
  templates->SetItem(1, second);

  TComPtr<ICompoundStream> form = SavedForm(sign.Get());
  ASSERT_TRUE(form);
  EXPECT_EQ(qsReadShortStr(form.Get(), 1, ""), "SSTF");
  EXPECT_EQ(qsIsCompoundStream(form.Get(), 3), S_OK);

  TComPtr<IStratSign> copy;
  stratCreateSign(copy.Put());
  ASSERT_EQ(LoadForm(copy.Get(), form.Get()), S_OK);
  EXPECT_EQ(NameOf(copy.Get()), "SSTF");
  ASSERT_NE(copy->GetMetafile(), nullptr);
  EXPECT_EQ(copy->GetMetafile()->Bytes(), sign->GetMetafile()->Bytes());
  EXPECT_DOUBLE_EQ(copy->Width(), 10.0);
  TComPtr<IStratField> copied;
  copy->GetFields(copied.Put());
  ASSERT_EQ(copied->Count(), 2);
  TStratPlacement back{};
  copied->GetItem(1, &back);
  EXPECT_EQ(back.OffsetX, 6.0);

  // An older sign without its field: the name comes from ID 1 under the default template.
  form->DeleteValue(3);
  TComPtr<IStratSign> older;
  stratCreateSign(older.Put());
  ASSERT_EQ(LoadForm(older.Get(), form.Get()), S_OK);
  EXPECT_EQ(NameOf(older.Get()), "SSTF");
  TComPtr<IStratField> olderTemplates;
  older->GetFields(olderTemplates.Put());
  EXPECT_EQ(olderTemplates->Count(), 1);

  // A sign saved without a picture loads as one (refusing it would make its database unloadable).
  auto bare = MakeSign("BARE", 0);
  TComPtr<ICompoundStream> bareForm = SavedForm(bare.Get());
  uint32_t pictureSize = 0;
  EXPECT_EQ(bareForm->ReadData(2, 0, nullptr, &pictureSize), E_INVALIDARG);
  ASSERT_EQ(LoadForm(copy.Get(), bareForm.Get()), S_OK);
  EXPECT_EQ(copy->GetMetafile(), nullptr);
  EXPECT_EQ(NameOf(copy.Get()), "BARE");
  EXPECT_EQ(copy->Width(), 0.0);

  // Picture bytes that are no metafile stop the load with E_FAIL.
  const char junk[] = "not a metafile at all";
  form->WriteBuffer(2, junk, sizeof junk);
  EXPECT_EQ(LoadForm(copy.Get(), form.Get()), E_FAIL);
}

TEST(StratSign, OldRawRecordHandWritten) {
  const std::vector<uint8_t> emf = MakeEmf(1000, 500);
  const std::string name = "SLT";
  const uint32_t extra = 3;
  const uint32_t total = 32 + static_cast<uint32_t>(emf.size()) + extra + static_cast<uint32_t>(name.size());
  std::vector<uint8_t> record =
      LE32s({total, 0, 0, static_cast<uint32_t>(emf.size()), extra, static_cast<uint32_t>(name.size()), 0, 0});
  record.insert(record.end(), emf.begin(), emf.end());
  record.insert(record.end(), {9, 9, 9});
  record.insert(record.end(), name.begin(), name.end());
  record.push_back(0x55);  // a following record's byte: not consumed

  TComPtr<IStratSign> sign;
  stratCreateSign(sign.Put());
  auto old = QueryAs<IStratSignOld>(sign.Get(), IID_IStratSignOld);
  ASSERT_EQ(old->LoadFromOldBuffer(record.data(), static_cast<int32_t>(record.size())), static_cast<int32_t>(total));
  EXPECT_EQ(NameOf(sign.Get()), "SLT");
  ASSERT_NE(sign->GetMetafile(), nullptr);
  EXPECT_EQ(sign->GetMetafile()->Bytes(), emf);
  EXPECT_DOUBLE_EQ(sign->Height(), 5.0);

  // Written back without the extra block, in the same layout.
  const std::vector<uint8_t> saved = SaveOldSign(sign.Get());
  ASSERT_EQ(saved.size(), total - extra);
  EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.begin() + 32),
            LE32s({total - extra, 0, 0, static_cast<uint32_t>(emf.size()), 0, 3, 0, 0}));
  EXPECT_EQ(old->SaveToOldBuffer(std::vector<uint8_t>(10).data(), 10), 0);

  // Lengths that point past the record are refused and change nothing.
  auto damaged = record;
  damaged[20] = 200;  // name length
  EXPECT_EQ(old->LoadFromOldBuffer(damaged.data(), static_cast<int32_t>(damaged.size())), 0);
  damaged = record;
  damaged[14] = 0x7F;  // metafile size
  EXPECT_EQ(old->LoadFromOldBuffer(damaged.data(), static_cast<int32_t>(damaged.size())), 0);
  damaged = record;
  damaged[16] = 0xFF;  // extra size
  damaged[17] = 0xFF;
  damaged[18] = 0xFF;
  damaged[19] = 0xFF;
  EXPECT_EQ(old->LoadFromOldBuffer(damaged.data(), static_cast<int32_t>(damaged.size())), 0);
  EXPECT_EQ(old->LoadFromOldBuffer(record.data(), static_cast<int32_t>(total - 1)), 0);
  EXPECT_EQ(old->LoadFromOldBuffer(record.data(), 31), 0);
  EXPECT_EQ(NameOf(sign.Get()), "SLT");
  EXPECT_NE(sign->GetMetafile(), nullptr);

  // An empty name, and a record without picture bytes (a sign saved without one).
  std::vector<uint8_t> bare = LE32s({32, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(old->LoadFromOldBuffer(bare.data(), 32), 32);
  EXPECT_EQ(NameOf(sign.Get()), "");
  EXPECT_EQ(sign->GetMetafile(), nullptr);
}

TEST(StratDataBase, FindByNameIgnoresCaseIncludingCyrillic) {
  const std::string sandstoneUpper = Utf8ToCp1251("ПЕСЧАНИК");
  const std::string sandstoneLower = Utf8ToCp1251("песчаник");
  auto database = MakeDataBase({"sst", "SST", sandstoneUpper, Utf8ToCp1251("Ёлка"), "LST"});

  TComPtr<IStratSign> found;
  ASSERT_EQ(database->FindByName(MakeShortString("Sst"), found.Put()), S_OK);
  TComPtr<IStratSign> first;
  database->GetSign(0, first.Put());
  EXPECT_EQ(found.Get(), first.Get());  // of two names equal but for case, the lower index

  ASSERT_EQ(database->FindByName(MakeShortString(sandstoneLower), found.Put()), S_OK);
  EXPECT_EQ(NameOf(found.Get()), sandstoneUpper);
  ASSERT_EQ(database->FindByName(MakeShortString(Utf8ToCp1251("ёЛКА")), found.Put()), S_OK);
  ASSERT_EQ(database->FindByName(MakeShortString("lst"), found.Put()), S_OK);

  found = MakeSign("placeholder");
  EXPECT_EQ(database->FindByName(MakeShortString("LS"), found.Put()), E_FAIL);
  EXPECT_FALSE(found);
  // Letters only: a digit or sign is not the same as any other byte.
  EXPECT_EQ(database->FindByName(MakeShortString("SS"), found.Put()), E_FAIL);
}

// The names are looked up through an index: every way a name or the list can change
// must show in the very next search.
TEST(StratDataBase, FindByNameFollowsEveryChange) {
  auto database = MakeDataBase({"A", "B", "C"});
  // "name@index" of the sign found, by identity; "none" when none is.
  auto found = [&](const char* name) {
    TComPtr<IStratSign> sign;
    if (database->FindByName(MakeShortString(name), sign.Put()) != S_OK) return std::string("none");
    for (int32_t i = 0; i < database->SignCount(); ++i) {
      TComPtr<IStratSign> at;
      database->GetSign(i, at.Put());
      if (at.Get() == sign.Get()) return NameOf(sign.Get()) + "@" + std::to_string(i);
    }
    return std::string("stray");
  };
  ASSERT_EQ(found("b"), "B@1");

  TComPtr<IStratSign> b;
  database->GetSign(1, b.Put());
  b->SetName(MakeShortString("D"));  // renamed through the sign
  EXPECT_EQ(found("B"), "none");
  EXPECT_EQ(found("d"), "D@1");

  TComPtr<IStratField> templates;  // renamed through the sign's own field: item 0 is its name
  ASSERT_EQ(b->GetFields(templates.Put()), S_OK);
  TStratPlacement item{};
  templates->GetItem(0, &item);
  item.SignName = MakeShortString("A");
  templates->SetItem(0, item);
  EXPECT_EQ(found("D"), "none");
  EXPECT_EQ(found("A"), "A@0");  // two signs named A: the lower index
  ASSERT_EQ(database->ExchangeSigns(0, 1), S_OK);
  EXPECT_EQ(found("A"), "A@0");
  TComPtr<IStratSign> first;
  database->GetSign(0, first.Put());
  EXPECT_EQ(first.Get(), b.Get());

  EXPECT_TRUE(database->DeleteSign(0));
  EXPECT_EQ(found("a"), "A@0");
  EXPECT_TRUE(database->DeleteSign(0));
  EXPECT_EQ(found("A"), "none");
  auto added = MakeSign("E");
  ASSERT_EQ(database->AddSign(QueryAs<IStratStream>(added.Get(), IID_IStratStream).Get(), false), S_OK);
  EXPECT_EQ(found("e"), "E@1");

  // Loaded over: the saved form of another database.
  auto other = MakeDataBase({"X", "C"});
  TComPtr<ICompoundStream> saved = SavedForm(other.Get());
  ASSERT_TRUE(saved);
  ASSERT_EQ(LoadForm(database.Get(), saved.Get()), S_OK);
  EXPECT_EQ(found("E"), "none");
  EXPECT_EQ(found("x"), "X@0");
  EXPECT_EQ(found("c"), "C@1");
  // A sign before another of the name it takes wins at once.
  TComPtr<IStratSign> x;
  database->GetSign(0, x.Put());
  x->SetName(MakeShortString("c"));
  EXPECT_EQ(found("C"), "c@0");
}

TEST(StratDataBase, SignListOperations) {
  auto database = MakeDataBase({"A", "B"});
  auto shared = MakeSign("C");
  ASSERT_EQ(database->AddSign(QueryAs<IStratStream>(shared.Get(), IID_IStratStream).Get(), false), S_OK);
  ASSERT_EQ(database->AddSign(QueryAs<IStratStream>(shared.Get(), IID_IStratStream).Get(), true), S_OK);
  EXPECT_EQ(database->AddSign(nullptr, true), E_INVALIDARG);
  TComPtr<IStratSign> atTwo, atThree;
  database->GetSign(2, atTwo.Put());
  database->GetSign(3, atThree.Put());
  EXPECT_EQ(atTwo.Get(), shared.Get());
  EXPECT_NE(atThree.Get(), shared.Get());
  EXPECT_EQ(NameOf(atThree.Get()), "C");
  ASSERT_NE(atThree->GetMetafile(), nullptr);
  EXPECT_NE(atThree->GetMetafile(), shared->GetMetafile());

  // Adding a field (not a sign) fails and appends nothing.
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  EXPECT_NE(database->AddSign(QueryAs<IStratStream>(field.Get(), IID_IStratStream).Get(), false), S_OK);
  EXPECT_NE(database->AddSign(QueryAs<IStratStream>(field.Get(), IID_IStratStream).Get(), true), S_OK);
  EXPECT_EQ(database->SignCount(), 4);

  IStratSign* out = reinterpret_cast<IStratSign*>(0x1);
  EXPECT_EQ(database->GetSign(4, &out), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(database->ExchangeSigns(0, 4), E_INVALIDARG);
  EXPECT_EQ(database->ExchangeSigns(0, 1), S_OK);
  EXPECT_FALSE(database->DeleteSign(-1));
  EXPECT_TRUE(database->DeleteSign(3));
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"B", "A", "C"}));
}

TEST(StratDataBase, SaveAndLoadBothForms) {
  QTemporaryDir dir;
  auto database = MakeDataBase({"SST", "LST", "DOL"});
  database->SetOptions(9);
  const std::string path = PathIn(dir, "a.lsd");
  ASSERT_EQ(stratSave(path.c_str(), database.Get()), S_OK);
  TShortString name{};
  stratGetCurrentFileName(&name, database.Get());
  EXPECT_EQ(ShortStringText(name), path);

  TComPtr<IStratDataBase> loaded;
  stratCreateDataBase(loaded.Put());
  ASSERT_EQ(stratLoad(path.c_str(), loaded.Get()), S_OK);
  EXPECT_EQ(SignNames(loaded.Get()), (std::vector<std::string>{"SST", "LST", "DOL"}));
  EXPECT_EQ(loaded->GetOptions(), 9);
  stratGetCurrentFileName(&name, loaded.Get());
  EXPECT_EQ(ShortStringText(name), path);
  TComPtr<IStratSign> sign;
  loaded->GetSign(2, sign.Put());
  ASSERT_NE(sign->GetMetafile(), nullptr);
  EXPECT_DOUBLE_EQ(sign->Width(), 10.0);

  // The old raw form loads through the same stratLoad.
  auto old = QueryAs<IStratDataBaseOld>(database.Get(), IID_IStratDataBaseOld);
  const std::string oldPath = PathIn(dir, "old.lsd");
  ASSERT_EQ(old->SaveToOldFile(oldPath.c_str()), S_OK);
  QFile oldFile(QString::fromStdString(oldPath));
  ASSERT_TRUE(oldFile.open(QIODevice::ReadOnly));
  const QByteArray oldBytes = oldFile.readAll();
  EXPECT_EQ(oldBytes.size(), old->SaveToOldBuffer(nullptr, 0));
  EXPECT_NE(oldBytes.left(4), QByteArray("MTSQ"));

  TComPtr<IStratDataBase> fromOld;
  stratCreateDataBase(fromOld.Put());
  ASSERT_EQ(stratLoad(oldPath.c_str(), fromOld.Get()), S_OK);
  EXPECT_EQ(SignNames(fromOld.Get()), (std::vector<std::string>{"SST", "LST", "DOL"}));
  fromOld->GetSign(0, sign.Put());
  ASSERT_NE(sign->GetMetafile(), nullptr);
  EXPECT_DOUBLE_EQ(sign->Height(), 5.0);
  TComPtr<IStratDataBaseOld> viaOld;
  ASSERT_EQ(stratCreateDataBaseold(viaOld.Put()), S_OK);
  ASSERT_EQ(viaOld->LoadFromOldFile(oldPath.c_str()), S_OK);
  EXPECT_EQ(SignNames(QueryAs<IStratDataBase>(viaOld.Get(), IID_IStratDataBase).Get()),
            (std::vector<std::string>{"SST", "LST", "DOL"}));

  // A stored database without its Options value reads them as 0.
  TComPtr<ICompoundStream> form = SavedForm(database.Get());
  form->DeleteValue(65537);
  ASSERT_EQ(LoadForm(loaded.Get(), form.Get()), S_OK);
  EXPECT_EQ(loaded->GetOptions(), 0);

  // A sign saved (and loaded) through its own file keeps no file name: only databases have one.
  auto single = MakeSign("ONE");
  const std::string signPath = PathIn(dir, "one.sgn");
  ASSERT_EQ(stratSave(signPath.c_str(), single.Get()), S_OK);
  TComPtr<IStratSign> singleBack;
  stratCreateSign(singleBack.Put());
  ASSERT_EQ(stratLoad(signPath.c_str(), singleBack.Get()), S_OK);
  EXPECT_EQ(NameOf(singleBack.Get()), "ONE");
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  stratGetCurrentFileName(&name, field.Get());
  EXPECT_EQ(name.Length, 0);
  EXPECT_EQ(stratSetFileName(field.Get(), MakeShortString("x")), E_NOINTERFACE);
}

TEST(StratDataBase, DamagedFilesAreRefused) {
  QTemporaryDir dir;
  auto database = MakeDataBase({"SST", "LST"});
  const std::string good = PathIn(dir, "good.lsd");
  ASSERT_EQ(stratSave(good.c_str(), database.Get()), S_OK);
  QFile goodFile(QString::fromStdString(good));
  ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
  const QByteArray bytes = goodFile.readAll();

  auto oldDb = QueryAs<IStratDataBaseOld>(database.Get(), IID_IStratDataBaseOld);
  std::vector<uint8_t> raw(static_cast<size_t>(oldDb->SaveToOldBuffer(nullptr, 0)));
  oldDb->SaveToOldBuffer(raw.data(), static_cast<int32_t>(raw.size()));

  auto write = [&](const char* name, const QByteArray& content) {
    const std::string path = PathIn(dir, name);
    QFile f(QString::fromStdString(path));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return path;
  };
  QByteArray lyingRaw(reinterpret_cast<const char*>(raw.data()), static_cast<int>(raw.size()));
  lyingRaw[16 + 13] = '\x7F';  // the first sign's picture claims far more bytes than there are
  QByteArray lyingTotal(reinterpret_cast<const char*>(raw.data()), static_cast<int>(raw.size()));
  lyingTotal[3] = '\x7F';
  const std::vector<std::pair<std::string, HRESULT>> cases = {
      {write("empty.lsd", QByteArray()), E_FAIL},
      {write("truncated.lsd", bytes.left(bytes.size() - 7)), E_FAIL},
      {write("garbage.lsd", QByteArray(300, '\x5A')), E_FAIL},
      {write("lyingraw.lsd", lyingRaw), E_FAIL},
      {write("lyingtotal.lsd", lyingTotal), E_FAIL},
      {PathIn(dir, "missing.lsd"), E_FAIL},
      {dir.path().toStdString(), E_FAIL},
  };
  for (const auto& [path, code] : cases) {
    TComPtr<IStratDataBase> target;
    stratCreateDataBase(target.Put());
    EXPECT_EQ(stratLoad(path.c_str(), target.Get()), code) << path;
    TShortString name{};
    stratGetCurrentFileName(&name, target.Get());
    EXPECT_EQ(name.Length, 0) << path;
  }

  // A file of another class keeps the database as it was.
  auto sign = MakeSign("SIGN");
  const std::string signPath = PathIn(dir, "sign.lsd");
  ASSERT_EQ(stratSave(signPath.c_str(), sign.Get()), S_OK);
  EXPECT_EQ(stratLoad(signPath.c_str(), database.Get()), E_PENDING);
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"SST", "LST"}));

  // The old-file reader reports a file that holds no database instead of taking it as loaded.
  TComPtr<IStratDataBaseOld> old;
  stratCreateDataBaseold(old.Put());
  EXPECT_EQ(old->LoadFromOldFile(write("short.lsd", QByteArray(10, 'x')).c_str()), E_INVALIDARG);
  EXPECT_EQ(old->LoadFromOldFile(PathIn(dir, "missing.lsd").c_str()), E_INVALIDARG);
  EXPECT_EQ(old->LoadFromOldFile(write("lying2.lsd", lyingRaw).c_str()), E_FAIL);
  TShortString name{};
  stratGetCurrentFileName(&name, old.Get());
  EXPECT_EQ(name.Length, 0);

  // A sign that fails inside a compound-stream load empties the list rather than keeping a half.
  TComPtr<ICompoundStream> form = SavedForm(database.Get());
  const char junk[] = "junk";
  form->WriteBuffer(1, junk, sizeof junk);
  TComPtr<IStratDataBase> target = MakeDataBase({"KEEP"});
  EXPECT_NE(LoadForm(target.Get(), form.Get()), S_OK);
  EXPECT_EQ(target->SignCount(), 0);
}

// An empty database saves in the old raw form as its header and an empty category block; the
// file and stream readers take that back, while what only looks like it is still refused.
TEST(StratDataBase, EmptyDatabaseRoundTripsThroughTheOldForm) {
  QTemporaryDir dir;
  TComPtr<IStratDataBaseOld> empty;
  ASSERT_EQ(stratCreateDataBaseold(empty.Put()), S_OK);
  const std::string path = PathIn(dir, "empty.lsd");
  ASSERT_EQ(empty->SaveToOldFile(path.c_str()), S_OK);

  auto loadOld = [](const std::string& file) {
    TComPtr<IStratDataBaseOld> target;
    stratCreateDataBaseold(target.Put());
    return target->LoadFromOldFile(file.c_str());
  };
  EXPECT_EQ(loadOld(path), S_OK);
  TComPtr<IStratDataBase> viaLoad = MakeDataBase({"KEEP"});
  ASSERT_EQ(stratLoad(path.c_str(), viaLoad.Get()), S_OK);  // not a compound stream: the raw form
  EXPECT_EQ(viaLoad->SignCount(), 0);

  auto write = [&](const char* name, const std::vector<uint8_t>& content) {
    const std::string file = PathIn(dir, name);
    QFile f(QString::fromStdString(file));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(content.data()), static_cast<qint64>(content.size()));
    return file;
  };
  EXPECT_EQ(loadOld(write("bare.lsd", LE32s({32, 0, 0, 0, 16, 0, 0, 0}))), S_OK);
  // No category block, one that ends short of or past the total, a negative count, text.
  EXPECT_EQ(loadOld(write("headeronly.lsd", LE32s({16, 0, 0, 0, 16, 0, 0, 0}))), E_FAIL);
  EXPECT_EQ(loadOld(write("short.lsd", LE32s({36, 0, 0, 0, 16, 0, 0, 0, 0}))), E_FAIL);
  EXPECT_EQ(loadOld(write("long.lsd", LE32s({32, 0, 0, 0, 20, 0, 0, 0, 0}))), E_FAIL);
  EXPECT_EQ(loadOld(write("negative.lsd", LE32s({32, 0xFFFFFFFF, 0, 0, 16, 0, 0, 0}))), E_FAIL);
  EXPECT_EQ(loadOld(write("text.lsd", std::vector<uint8_t>(40, 'A'))), E_FAIL);
  // The buffer reader itself keeps refusing a buffer that declares no signs.
  std::vector<uint8_t> bare = LE32s({32, 0, 0, 0, 16, 0, 0, 0});
  EXPECT_EQ(empty->LoadFromOldBuffer(bare.data(), 32), 0);
}

TEST(StratDataBase, OldRawBufferLayout) {
  auto database = MakeDataBase({"SST", "LST"});
  auto old = QueryAs<IStratDataBaseOld>(database.Get(), IID_IStratDataBaseOld);
  const int32_t size = old->SaveToOldBuffer(nullptr, 0);
  TComPtr<IStratSign> first;
  database->GetSign(0, first.Put());
  const size_t signRecord = SaveOldSign(first.Get()).size();
  EXPECT_EQ(static_cast<size_t>(size), 16 + 2 * signRecord + 16);
  std::vector<uint8_t> raw(static_cast<size_t>(size));
  EXPECT_EQ(old->SaveToOldBuffer(raw.data(), size - 1), 0);
  ASSERT_EQ(old->SaveToOldBuffer(raw.data(), size), size);
  EXPECT_EQ(std::vector<uint8_t>(raw.begin(), raw.begin() + 16), LE32s({static_cast<uint32_t>(size), 2, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(raw.end() - 16, raw.end()), LE32s({16, 0, 0, 0}));

  // A failing second record keeps the first sign; a buffer without signs is refused.
  TComPtr<IStratDataBaseOld> target;
  stratCreateDataBaseold(target.Put());
  auto broken = raw;
  broken[16 + signRecord] = 0xFF;  // the second record's total: past the end
  broken[16 + signRecord + 1] = 0xFF;
  EXPECT_EQ(target->LoadFromOldBuffer(broken.data(), size), 0);
  EXPECT_EQ(SignNames(QueryAs<IStratDataBase>(target.Get(), IID_IStratDataBase).Get()),
            std::vector<std::string>{"SST"});
  std::vector<uint8_t> none = LE32s({32, 0, 0, 0, 16, 0, 0, 0});
  EXPECT_EQ(target->LoadFromOldBuffer(none.data(), 32), 0);
  EXPECT_EQ(target->LoadFromOldBuffer(raw.data(), size), size);
}

TEST(StratExports, FileNamesAndMetafileFiles) {
  QTemporaryDir dir;
  auto database = MakeDataBase({"SST"});
  EXPECT_EQ(stratSetFileName(database.Get(), MakeShortString("x.lsd")), S_OK);
  TShortString name{};
  stratGetCurrentFileName(&name, database.Get());
  EXPECT_EQ(ShortStringText(name), "x.lsd");

  // A rock-code list that is not there: refused, nothing changed.
  const std::string csv = PathIn(dir, "codes.csv");
  EXPECT_EQ(stratLoad(csv.c_str(), database.Get()), E_FAIL);
  EXPECT_EQ(SignNames(database.Get()), std::vector<std::string>{"SST"});
  stratGetCurrentFileName(&name, database.Get());
  EXPECT_EQ(ShortStringText(name), "x.lsd");
  auto sign = MakeSign("S");
  EXPECT_EQ(stratLoad(csv.c_str(), sign.Get()), E_INVALIDARG);

  TComPtr<IStratSign> fresh;
  stratCreateSign(fresh.Put());
  const std::string emfPath = PathIn(dir, "fresh.emf");
  EXPECT_EQ(stratSaveMetafile(fresh.Get(), emfPath.c_str()), E_PENDING);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(emfPath)));

  ASSERT_EQ(stratSaveMetafile(sign.Get(), emfPath.c_str()), S_OK);
  EXPECT_EQ(stratSetMetaFile(fresh.Get(), PathIn(dir, "none.emf").c_str()), E_INVALIDARG);
  ASSERT_EQ(stratSetMetaFile(fresh.Get(), emfPath.c_str()), S_OK);
  ASSERT_NE(fresh->GetMetafile(), nullptr);
  EXPECT_EQ(fresh->GetMetafile()->Bytes(), sign->GetMetafile()->Bytes());
  const std::string notEmf = PathIn(dir, "bad.emf");
  {
    QFile f(QString::fromStdString(notEmf));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a metafile");
  }
  EXPECT_EQ(stratSetMetaFile(fresh.Get(), notEmf.c_str()), E_FAIL);
  EXPECT_NE(fresh->GetMetafile(), nullptr);

  EXPECT_EQ(stratSave(nullptr, database.Get()), E_INVALIDARG);
  EXPECT_EQ(stratSave(PathIn(dir, "no/such/dir.lsd").c_str(), database.Get()), E_FAIL);
  EXPECT_EQ(stratCopy(nullptr, database.Get()), E_INVALIDARG);
  EXPECT_EQ(stratSaveToQS(0, database.Get(), nullptr), E_INVALIDARG);
  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  EXPECT_EQ(stratLoadFromQS(3, database.Get(), qs.Get()), E_PENDING);
}
