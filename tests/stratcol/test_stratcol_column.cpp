// The lithology column: its database stored inside the document in both
// forms (and loaded from either, or from neither), the menu commands, adding
// layers by a double-click and from layer tables, merging interval data into
// the layers, fitting, rescaling and boundary floating.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "qs.h"
#include "uImageCompare.h"
#include "uMemoryStream.h"
#include "uSignNameTally.h"
#include "uStorage.h"
#include "uStratColTestEnv.h"
#include "uStringTable.h"

namespace {

std::vector<uint8_t> SaveBytes(TPrintStratCol* col) {
  std::unique_ptr<TStorage> storage = TStorage::CreateNew();
  EXPECT_TRUE(col->SaveToStorage(storage.get()));
  std::vector<uint8_t> bytes;
  EXPECT_EQ(storage->SaveToBytes(&bytes), S_OK);
  return bytes;
}

// Loads into a new column inside a new body.
TPrintStratCol* LoadInto(TTestBody* body, std::vector<uint8_t> bytes, bool* loaded = nullptr) {
  std::unique_ptr<TStorage> storage = TStorage::OpenBytes(std::move(bytes));
  EXPECT_NE(storage, nullptr);
  TPrintStratCol* col = body->AddColumn();
  const bool ok = storage && col->LoadFromStorage(storage.get());
  if (loaded) *loaded = ok;
  return col;
}

std::vector<uint8_t> StreamBytes(const std::vector<uint8_t>& file, const QString& name) {
  std::unique_ptr<TStorage> storage = TStorage::OpenBytes(file);
  std::vector<uint8_t> data;
  if (storage) storage->ReadStream(name, &data);
  return data;
}

// The file's bytes with stream `name` of the top storage holding `data` instead
// (the storages one level down copied as they are).
std::vector<uint8_t> WithStream(const std::vector<uint8_t>& file, const QString& name,
                                const std::vector<uint8_t>& data) {
  std::unique_ptr<TStorage> source = TStorage::OpenBytes(file);
  std::unique_ptr<TStorage> target = TStorage::CreateNew();
  const auto copy = [](TStorage* to, const QString& stream, const std::vector<uint8_t>& bytes) {
    TComPtr<IStream> out;
    EXPECT_EQ(to->CreateStream(stream, out.Put()), S_OK);
    uint32_t done = 0;
    if (out && !bytes.empty()) out->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done);
  };
  for (const TStorageElement& e : source->Elements()) {
    std::vector<uint8_t> bytes;
    if (e.IsStorage) {
      TStorage *from = nullptr, *to = nullptr;
      EXPECT_EQ(source->OpenStorage(e.Name, &from), S_OK);
      EXPECT_EQ(target->CreateStorage(e.Name, &to), S_OK);
      if (!from || !to) continue;
      for (const TStorageElement& sub : from->Elements()) {
        EXPECT_EQ(from->ReadStream(sub.Name, &bytes), S_OK);
        copy(to, sub.Name, bytes);
      }
      continue;
    }
    if (e.Name == name)
      bytes = data;
    else
      EXPECT_EQ(source->ReadStream(e.Name, &bytes), S_OK);
    copy(target.get(), e.Name, bytes);
  }
  std::vector<uint8_t> bytes;
  EXPECT_EQ(target->SaveToBytes(&bytes), S_OK);
  return bytes;
}

std::unique_ptr<TStringTable> Table(const std::vector<QStringList>& rows) {
  auto table = std::make_unique<TStringTable>();
  TStringTable& t = *table;
  t.AutoColumns = false;
  qsizetype cols = 0;
  for (const QStringList& r : rows) cols = std::max(cols, r.size());
  t.SetColCount(static_cast<int>(cols));
  t.SetRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (qsizetype c = 0; c < rows[r].size(); ++c) t.SetCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
  return table;
}

QStringList Describe(const TPrintStratCol& col) {
  QStringList out;
  for (const TStratColEntry* e : col.Layers())
    out << QStringLiteral("%1-%2:%3").arg(e->TopDepth()).arg(e->BottomDepth()).arg(e->SignNames().join(','));
  return out;
}

// A database of the public pattern tiles, through a rock-code list.
bool BuildFgdcDataBase(const QString& listPath, IStratDataBase* db) {
  const QString folder = QStringLiteral(KERNO_SHARED_DATA "/patterns-fgdc");
  QFile list(listPath);
  if (!QFile::exists(folder + QStringLiteral("/601.svg")) || !list.open(QIODevice::WriteOnly)) return false;
  QDirIterator it(folder, {QStringLiteral("*.svg")});
  int n = 0;
  while (it.hasNext() && n < 12) {
    it.next();
    list.write((it.fileInfo().baseName() + QLatin1Char('\t') + it.filePath() + QLatin1Char('\n')).toUtf8());
    ++n;
  }
  list.close();
  return stratLoad(QFile::encodeName(listPath).constData(), db) == S_OK;
}

}  // namespace

using StratColumnTest = TStratColTest;

TEST_F(StratColumnTest, ANewColumnStoresItsDatabaseUnderTheDefaultName) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  EXPECT_NE(col->Flags() & 0x10, 0u);
  const std::vector<uint8_t> bytes = SaveBytes(col);
  EXPECT_TRUE(col->DataBaseFile().isEmpty());
  std::unique_ptr<TStorage> storage = TStorage::OpenBytes(bytes);
  ASSERT_NE(storage, nullptr);
  EXPECT_TRUE(storage->ElementExists(QStringLiteral("default.lsd")));
  EXPECT_TRUE(storage->ElementExists(QStringLiteral("lsd2")));
  TTestBody other;
  bool loaded = false;
  TPrintStratCol* back = LoadInto(&other, bytes, &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(back->DataBaseFile().isEmpty());
  EXPECT_EQ(back->DataBase()->SignCount(), 0);
  // Saved twice, the same bytes: a save does not name the database.
  EXPECT_EQ(SaveBytes(back), SaveBytes(col));
}

TEST_F(StratColumnTest, DatabasesRoundTripInBothStoredForms) {
  TTestBody body;
  TPrintStratCol* shipped = body.AddColumn();
  ASSERT_TRUE(shipped->LoadDataBase(DefaultLsd()));
  TPrintStratCol* fgdc = body.AddColumn();
  TComPtr<IStratDataBase> patterns;
  ASSERT_EQ(stratCreateDataBase(patterns.Put()), S_OK);
  const bool haveFgdc = BuildFgdcDataBase(Path("fgdc.txt"), patterns.Get());
  if (haveFgdc) {
    ASSERT_EQ(stratCopy(patterns.Get(), fgdc->DataBase()), S_OK);
  }

  for (TPrintStratCol* col : {shipped, fgdc}) {
    if (col == fgdc && !haveFgdc) continue;
    TStratColEntry* layer = col->AddLayer(1, 5);
    TComPtr<IStratSign> sign;
    ASSERT_EQ(col->DataBase()->GetSign(1, sign.Put()), S_OK);
    TShortString name{};
    sign->GetName(&name);
    layer->AddSignName(SignNameText(name));
    const int signs = col->DataBase()->SignCount();
    const std::vector<uint8_t> bytes = SaveBytes(col);

    // The compound stream form.
    TTestBody b1;
    bool loaded = false;
    TPrintStratCol* back = LoadInto(&b1, bytes, &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(back->DataBase()->SignCount(), signs);
    EXPECT_EQ(back->UnknownSignLayers(), 0);
    EXPECT_EQ(SaveBytes(back), bytes);

    // Without "lsd2" the old raw form is read: an older document.
    std::unique_ptr<TStorage> source = TStorage::OpenBytes(bytes);
    std::unique_ptr<TStorage> older = TStorage::CreateNew();
    for (const TStorageElement& e : source->Elements()) {
      if (e.Name == QStringLiteral("lsd2")) continue;
      if (e.IsStorage) {
        TStorage *from = nullptr, *to = nullptr;
        ASSERT_EQ(source->OpenStorage(e.Name, &from), S_OK);
        ASSERT_EQ(older->CreateStorage(e.Name, &to), S_OK);
        for (const TStorageElement& sub : from->Elements()) {
          std::vector<uint8_t> data;
          ASSERT_EQ(from->ReadStream(sub.Name, &data), S_OK);
          TComPtr<IStream> out;
          ASSERT_EQ(to->CreateStream(sub.Name, out.Put()), S_OK);
          uint32_t done = 0;
          out->Write(data.data(), static_cast<uint32_t>(data.size()), &done);
        }
        continue;
      }
      std::vector<uint8_t> data;
      ASSERT_EQ(source->ReadStream(e.Name, &data), S_OK);
      TComPtr<IStream> out;
      ASSERT_EQ(older->CreateStream(e.Name, out.Put()), S_OK);
      uint32_t done = 0;
      out->Write(data.data(), static_cast<uint32_t>(data.size()), &done);
    }
    std::vector<uint8_t> olderBytes;
    ASSERT_EQ(older->SaveToBytes(&olderBytes), S_OK);
    TTestBody b2;
    TPrintStratCol* old = LoadInto(&b2, olderBytes, &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(old->DataBase()->SignCount(), signs);
    EXPECT_EQ(old->UnknownSignLayers(), 0);
    // Saved again, the raw form is the same byte for byte (the compound form
    // differs only for signs with captions, which the raw form cannot hold).
    const std::vector<uint8_t> again = SaveBytes(old);
    const QString raw = col->DataBaseStreamName();
    EXPECT_EQ(StreamBytes(again, raw), StreamBytes(bytes, raw));
    if (col == fgdc) {
      EXPECT_EQ(again, bytes);
    }
  }
}

// A stored database is loaded into a fresh one and copied into the column's
// (saved and loaded again); one that a save writes back byte for byte has its
// signs handed over instead. Stored bytes that a save does not give back go
// through the copy and load as before.
TEST_F(StratColumnTest, StoredDatabasesNotAsSavedLoadThroughTheCopy) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(0, 2, {QStringLiteral("SST"), QStringLiteral("LST")});
  const int signs = col->DataBase()->SignCount();
  ASSERT_GT(signs, 1);
  const std::vector<uint8_t> bytes = SaveBytes(col);
  const std::vector<uint8_t> lsd2 = StreamBytes(bytes, QStringLiteral("lsd2"));
  ASSERT_FALSE(lsd2.empty());

  // The compound stream with one more value, which no save writes.
  TComPtr<ICompoundStream> qs;
  ASSERT_EQ(qsCreateFromStream(TComPtr<IStream>(new TMemoryStream(lsd2)).Get(), qs.Put()), S_OK);
  ASSERT_EQ(qs->WriteInteger(1 << 20, 7), S_OK);
  TComPtr<IStream> extended(new TMemoryStream());
  ASSERT_EQ(qsSaveToStream(qs.Get(), extended.Get()), S_OK);
  std::vector<uint8_t> longer;
  ASSERT_EQ(extended->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_TRUE(ReadWholeStream(extended.Get(), &longer));
  ASSERT_NE(longer, lsd2);
  // The raw form under the compound form's name.
  const std::vector<uint8_t> raw = StreamBytes(bytes, col->DataBaseStreamName());
  ASSERT_FALSE(raw.empty());

  for (const std::vector<uint8_t>* stored : {&lsd2, &std::as_const(longer), &raw}) {
    TTestBody other;
    bool loaded = false;
    TPrintStratCol* back = LoadInto(&other, WithStream(bytes, QStringLiteral("lsd2"), *stored), &loaded);
    EXPECT_TRUE(loaded);
    ASSERT_EQ(back->DataBase()->SignCount(), signs);
    EXPECT_EQ(back->UnknownSignLayers(), 0);
    EXPECT_EQ(back->DataBase()->GetOptions(), col->DataBase()->GetOptions());
    for (int i = 0; i < signs; ++i) {
      TComPtr<IStratSign> a, b;
      ASSERT_EQ(col->DataBase()->GetSign(i, a.Put()), S_OK);
      ASSERT_EQ(back->DataBase()->GetSign(i, b.Put()), S_OK);
      TShortString x{}, y{};
      a->GetName(&x);
      b->GetName(&y);
      EXPECT_EQ(SignNameText(x), SignNameText(y)) << i;
    }
    // Both the saved and the extended stream give the column's database back
    // as saved (the raw form holds no captions).
    if (stored != &raw) {
      EXPECT_EQ(SaveBytes(back), bytes);
    }
  }
}

TEST_F(StratColumnTest, DamagedDatabaseStreamsLeaveAnEmptyDatabaseAndSaySo) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(0, 2, {QStringLiteral("SST")});
  std::unique_ptr<TStorage> source = TStorage::OpenBytes(SaveBytes(col));
  std::unique_ptr<TStorage> damaged = TStorage::CreateNew();
  for (const TStorageElement& e : source->Elements()) {
    if (e.IsStorage) continue;  // the layer itself is not needed here
    std::vector<uint8_t> data;
    ASSERT_EQ(source->ReadStream(e.Name, &data), S_OK);
    // Both database forms cut short, with the raw form's size field left claiming the whole.
    if (e.Name != QStringLiteral("index") && e.Name != QStringLiteral("version")) data.resize(data.size() / 3);
    TComPtr<IStream> out;
    ASSERT_EQ(damaged->CreateStream(e.Name, out.Put()), S_OK);
    uint32_t done = 0;
    out->Write(data.data(), static_cast<uint32_t>(data.size()), &done);
  }
  std::vector<uint8_t> bytes;
  ASSERT_EQ(damaged->SaveToBytes(&bytes), S_OK);
  FSettings->SetLdbMsgError(true);
  TTestBody other;
  bool loaded = true;
  TPrintStratCol* back = LoadInto(&other, bytes, &loaded);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(back->DataBase()->SignCount(), 0);
  EXPECT_TRUE(FUi.Messages.empty());  // no layers: nothing to report

  // A layer naming a sign the (empty) database lacks is reported.
  back->AddLayer(0, 1, {QStringLiteral("SST")});
  back->CheckSigns();
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("has errors\n")));
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral(": SST."))) << FUi.Messages[0].Text.toStdString();
  FSettings->SetLdbMsgError(false);
  back->CheckSigns();
  EXPECT_EQ(FUi.Messages.size(), 1u);
}

// A loaded column checks its layers' signs through the distinct names they loaded: any
// spelling the database knows (case aside) passes, one unknown name is reported, and more
// distinct spellings than the tally keeps fall back to a walk over every layer.
TEST_F(StratColumnTest, LoadedLayersAreCheckedForUnknownSigns) {
  FSettings->SetLdbMsgError(true);
  const auto loadedMessages = [&](const std::vector<QStringList>& layers) {
    TTestBody body;
    TPrintStratCol* col = body.AddColumn();
    EXPECT_TRUE(col->LoadDataBase(DefaultLsd()));
    for (size_t i = 0; i < layers.size(); ++i) col->AddLayer(static_cast<double>(i), i + 1.0, layers[i]);
    const std::vector<uint8_t> bytes = SaveBytes(col);
    FUi.Messages.clear();
    TTestBody other;
    bool loaded = false;
    TPrintStratCol* back = LoadInto(&other, bytes, &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(back->Count(), static_cast<int>(layers.size()));
    return std::make_pair(FUi.Messages.size(), back->UnknownSignLayers());
  };
  const QStringList known = {QStringLiteral("SST"), QStringLiteral("lst"), QStringLiteral("Cly")};
  EXPECT_EQ(loadedMessages({known, known, {}}), std::make_pair(size_t{0}, 0));
  EXPECT_EQ(loadedMessages({known, {QStringLiteral("SST"), QStringLiteral("ZZZ")}, known}),
            std::make_pair(size_t{1}, 1));
  // The message names what the database lacks.
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral(": ZZZ."))) << FUi.Messages[0].Text.toStdString();
  // Every spelling of nine known names, 76 in all: beyond what the tally keeps, still all
  // known; then one unknown name among them.
  std::vector<QStringList> spellings;
  for (const char* name : {"sst", "lst", "cly", "slt", "dol", "anh", "mrl", "coal", "sh"}) {
    const QString lower = QString::fromLatin1(name);
    for (int bits = 0; bits < (1 << lower.size()); ++bits) {
      QString s = lower;
      for (qsizetype c = 0; c < s.size(); ++c)
        if (bits & (1 << c)) s[c] = s[c].toUpper();
      spellings.push_back({s});
    }
  }
  ASSERT_EQ(spellings.size(), 76u);
  EXPECT_EQ(loadedMessages(spellings), std::make_pair(size_t{0}, 0));
  spellings.push_back({QStringLiteral("QQQ")});
  EXPECT_EQ(loadedMessages(spellings), std::make_pair(size_t{1}, 1));
  FSettings->SetLdbMsgError(false);
}

TEST_F(StratColumnTest, LoadedLayersAreFittedToTheColumn) {
  FSettings->SetLdbMsgError(false);
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  TStratColEntry* a = col->AddLayer(0, 1, {QStringLiteral("SST")});
  TStratColEntry* b = col->AddLayer(1, 2, {});
  const auto load = [&](TTestBody* into) {
    bool loaded = false;
    TPrintStratCol* back = LoadInto(into, SaveBytes(col), &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(back->Count(), 2);
    for (int i = 0; i < back->Count(); ++i) {
      // Attached to the column's database, and marked modified as that does.
      auto* layer = dynamic_cast<TStratColEntry*>(back->GetChild(i));
      EXPECT_TRUE(layer && layer->DataBase() == back->DataBase() && layer->GetModified()) << "layer " << i;
      EXPECT_EQ(back->GetChild(i)->Left(), back->Left()) << "layer " << i;
      EXPECT_EQ(back->GetChild(i)->GetWidth(), back->GetWidth()) << "layer " << i;
      EXPECT_GE(back->GetChild(i)->Top(), back->Top()) << "layer " << i;
    }
    return back;
  };
  // Layers stored as the column fits them leave it as it was stored.
  {
    TTestBody other;
    TPrintStratCol* back = load(&other);
    EXPECT_FALSE(back->GetModified());
    EXPECT_EQ(back->BottomEdge(), col->BottomEdge());
  }
  // Layers stored beside the column and above its top are moved into it,
  // which marks it modified; one reaching below its bottom makes it grow.
  a->SetLeft(col->Left() + 7);
  a->SetWidth(3);
  {
    TTestBody other;
    TPrintStratCol* back = load(&other);
    EXPECT_TRUE(back->GetModified());
    EXPECT_EQ(back->BottomEdge(), col->BottomEdge());
  }
  a->SetLeft(col->Left());
  a->SetWidth(col->GetWidth());
  a->SetTop(col->Top() - 4);
  {
    TTestBody other;
    TPrintStratCol* back = load(&other);
    EXPECT_TRUE(back->GetModified());
    EXPECT_EQ(back->GetChild(0)->Top(), back->Top());
  }
  a->SetTop(col->Top());
  b->SetHeight(col->BottomEdge() + 30 - b->Top());
  {
    TTestBody other;
    TPrintStratCol* back = load(&other);
    EXPECT_TRUE(back->GetModified());
    EXPECT_EQ(back->BottomEdge(), b->BottomEdge());
    EXPECT_EQ(back->GetChild(1)->BottomEdge(), b->BottomEdge());
  }
}

TEST(SignNameTally, KeepsEachDistinctNameOnceUpToItsLimit) {
  TSignNameTally tally;
  for (int round = 0; round < 3; ++round)
    for (const char* name : {"SST", "sst", "LST", "SST", "", "S"}) tally.Add(name);
  EXPECT_TRUE(tally.Complete());
  EXPECT_EQ(tally.Names(), (std::vector<std::string>{"SST", "sst", "LST", "", "S"}));
  std::vector<std::string> more;
  for (size_t k = tally.Names().size(); k < TSignNameTally::kMaxNames; ++k) more.push_back("N" + std::to_string(k));
  for (const std::string& name : more) tally.Add(name);
  tally.Add("LST");  // held already: still complete
  EXPECT_TRUE(tally.Complete());
  EXPECT_EQ(tally.Names().size(), TSignNameTally::kMaxNames);
  tally.Add("one too many");
  EXPECT_FALSE(tally.Complete());
  tally.Clear();
  tally.Add("SST");
  EXPECT_TRUE(tally.Complete());
  EXPECT_EQ(tally.Names().size(), 1u);
}

TEST_F(StratColumnTest, UnreadableDatabaseFilesChangeNothing) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  const int signs = col->DataBase()->SignCount();
  EXPECT_GE(signs, 60);
  QFile junk(Path("junk.lsd"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not a database at all");
  junk.close();
  EXPECT_FALSE(col->LoadDataBase(Path("junk.lsd")));
  EXPECT_FALSE(col->LoadDataBase(QStringLiteral("absent.lsd")));
  EXPECT_EQ(col->DataBase()->SignCount(), signs);
  EXPECT_EQ(col->DataBaseFile(), DefaultLsd());
  // A bare name is looked for in "lsd/" of the program folder.
  ASSERT_TRUE(QDir(FDir.path()).mkpath(QStringLiteral("lsd")));
  ASSERT_TRUE(QFile::copy(DefaultLsd(), Path("lsd/mine.lsd")));
  TPrintStratCol* other = body.AddColumn();
  ASSERT_TRUE(other->LoadDataBase(QStringLiteral("mine.lsd")));
  EXPECT_EQ(other->DataBaseStreamName(), QStringLiteral("mine.lsd"));
}

// Watchers hear of every change of the database's signs, and only of those.
TEST_F(StratColumnTest, DatabaseWatchersHearOfChanges) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  int heard = 0, once = 0;
  const int id = col->WatchDataBase([&] { ++heard; });
  int onceId = 0;
  onceId = col->WatchDataBase([&] {
    ++once;
    col->UnwatchDataBase(onceId);  // a watcher may leave while being told
  });
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(once, 1);
  EXPECT_FALSE(col->LoadDataBase(QStringLiteral("absent.lsd")));
  TPrintStratCol::DBChanged(col, col->DataBase(), 1);  // the editor closing
  EXPECT_EQ(heard, 1);
  TPrintStratCol::DBChanged(col, col->DataBase(), 0);
  EXPECT_EQ(heard, 2);
  TPrintStratCol other;
  col->Assign(&other);  // Cancel of the column dialog
  EXPECT_EQ(heard, 3);
  EXPECT_EQ(col->DataBase()->SignCount(), 0);
  col->UnwatchDataBase(id);
  TPrintStratCol::DBChanged(col, col->DataBase(), 0);
  EXPECT_EQ(heard, 3);
  EXPECT_EQ(once, 1);
}

TEST_F(StratColumnTest, MenuCommandsAndFloating) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  QStringList captions;
  for (int i = 0; i < col->GetMenuCommandCount(); ++i) {
    QString text;
    col->GetMenuCommandCaption(i, &text);
    captions << text;
  }
  EXPECT_EQ(captions, (QStringList{"Import", "Add data", "Export", "Rock codes", "-", "Edit", "Auto layout",
                                   "Enable boundary floating", "Top boundary"}));
  const uint32_t flags = col->ChildFlags();
  EXPECT_TRUE(col->ExecuteMenuCommand(scFloating));
  EXPECT_EQ(col->ChildFlags(), flags | 0x08);
  QString text;
  col->GetMenuCommandCaption(scFloating, &text);
  EXPECT_EQ(text, QStringLiteral("Disable boundary floating"));
  EXPECT_TRUE(col->ExecuteMenuCommand(scFloating));
  EXPECT_EQ(col->ChildFlags(), flags);
  EXPECT_FALSE(col->ExecuteMenuCommand(4));
  EXPECT_FALSE(col->ExecuteMenuCommand(42));
  // Without a widget application the editor cannot open.
  EXPECT_FALSE(col->ExecuteMenuCommand(scDataBase));
}

TEST_F(StratColumnTest, HitsFindLayersInTheirOrder) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  TStratColEntry* first = col->AddLayer(0, 2);   // page 0..10
  TStratColEntry* second = col->AddLayer(1, 3);  // page 5..15, over the first's lower half
  TPrintObject* hit = nullptr;
  EXPECT_GT(col->HitTest(20, 7, &hit), 0u);
  EXPECT_EQ(hit, first);
  EXPECT_GT(col->HitTest(20, 12, &hit), 0u);
  EXPECT_EQ(hit, second);
  EXPECT_GT(col->HitTest(20, 50, &hit), 0u);
  EXPECT_EQ(hit, col);
  hit = nullptr;
  EXPECT_EQ(col->HitTest(5, 50, &hit), 0u);
  EXPECT_EQ(hit, nullptr);
}

TEST_F(StratColumnTest, DoubleClicksAddLayersBelowTheLastOne) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();  // page 0..100
  EXPECT_FALSE(col->ClickAt(1, 20, 30));
  EXPECT_FALSE(col->ClickAt(2, 20, 100));
  ASSERT_TRUE(col->ClickAt(2, 20, 30));
  ASSERT_TRUE(col->ClickAt(2, 20, 55));
  EXPECT_EQ(Describe(*col), (QStringList{"0-6:", "6-11:"}));
  EXPECT_EQ(col->Layers()[1]->DataBase(), col->DataBase());
  // Every layer spans the column.
  EXPECT_DOUBLE_EQ(col->Layers()[1]->Left(), 10);
  EXPECT_DOUBLE_EQ(col->Layers()[1]->GetWidth(), 30);
}

TEST_F(StratColumnTest, LayerTablesImportWhatIsSound) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(0, 1, {QStringLiteral("old")});
  EXPECT_FALSE(col->ImportLayersFrom(*Table({{"1", "2"}})));  // too few columns
  EXPECT_EQ(col->Layers().size(), 1u);

  TLayerImportReport report;
  ASSERT_TRUE(col->ImportLayersFrom(*Table({{"0", "2", "SST", "", "LST"},
                                            {"5", "4", "SH"},       // reversed
                                            {"x", "9", "SH"},       // no depth
                                            {"-1", "1", "SH"},      // negative
                                            {"3", "6", "CLY"},      // overlaps the next
                                            {"5", "8", "DOL", ""},  // starts inside the one above
                                            {"5.5", "7", "MRL"},    // wholly inside
                                            {"2", "3", "qqq"}}),    // unknown sign
                                    &report));
  EXPECT_EQ(Describe(*col), (QStringList{"0-2:SST,,LST", "2-3:qqq", "3-6:CLY", "6-8:DOL"}));
  EXPECT_EQ(report.Rows, 8);
  EXPECT_EQ(report.Skipped, 4);
  EXPECT_EQ(report.Shortened, 1);
  EXPECT_EQ(col->UnknownSignLayers(), 1);
  // Names are known without regard to case; a layer counts once however many of its signs are unknown.
  col->AddLayer(8.2, 8.4, {QStringLiteral("sst"), QStringLiteral("Lst")});
  col->AddLayer(8.4, 8.6, {QStringLiteral("SST"), QStringLiteral("zzz"), QStringLiteral("yyy")});
  EXPECT_EQ(col->UnknownSignLayers(), 2);
  col->DeleteChild(col->Count() - 1);
  col->DeleteChild(col->Count() - 1);
  // The column grew to the last layer's bottom (8 m = 40 mm stays inside its 100 mm).
  EXPECT_DOUBLE_EQ(col->GetHeight(), 100);
  ASSERT_TRUE(col->ImportLayersFrom(*Table({{"10", "30", "SST"}})));
  EXPECT_DOUBLE_EQ(col->BottomEdge(), 150);
}

// Tables kept by hand name the rocks in either language; the column stores
// the codes. A code wins over a rock name, and a name two signs share
// stays as typed (and is reported as unknown).
TEST_F(StratColumnTest, RockNamesInLayerTablesAreReadAsTheirCodes) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  const auto add = [&](const char* code, const char* caption) {
    TComPtr<IStratSign> sign;
    ASSERT_EQ(stratCreateSign(sign.Put()), S_OK);
    sign->SetName(MakeShortString(code));
    sign.As<IStratSignCaptions>(IID_IStratSignCaptions)->SetCaption("en", MakeShortString(caption));
    ASSERT_EQ(col->DataBase()->AddSign(sign.As<IStratStream>(IID_IStratStream).Get(), false), S_OK);
  };
  add("Clay", "Clay bed");  // a code that is also the shipped CLY's name
  add("SND2", "Sand");      // a second sign named as the shipped SND

  TLayerImportReport report;
  ASSERT_TRUE(col->ImportLayersFrom(*Table({{"0", "1", "Sandstone", QStringLiteral("песчаник  мелкозернистый")},
                                            {"1", "2", "LIMESTONE,DOLOMITIC", "sandstone fine grained"},
                                            {"2", "3", "Clay", "clay bed"},
                                            {"3", "4", "Sand"},
                                            {"4", "5", QStringLiteral("Уголь каменный"), "sandstone"},
                                            {"5", "6", "granite rock", "lst"}}),
                                    &report));
  EXPECT_EQ(Describe(*col), (QStringList{"0-1:SST,SSTF", "1-2:LSTD,SSTF", "2-3:Clay,Clay", "3-4:Sand", "4-5:COAL,SST",
                                         "5-6:granite rock,LST"}));
  EXPECT_EQ(report.RockNames,
            (QStringList{"Sandstone = SST", QStringLiteral("песчаник  мелкозернистый = SSTF"),
                         "LIMESTONE,DOLOMITIC = LSTD", "sandstone fine grained = SSTF", "clay bed = Clay",
                         QStringLiteral("Уголь каменный = COAL"), "sandstone = SST"}));
  EXPECT_EQ(col->UnknownSignLayers(), 2);
  EXPECT_EQ(col->UnknownSignNames(), (QStringList{"Sand", "granite rock"}));

  TLayerImportReport added;
  ASSERT_TRUE(col->AddLayerDataFrom(*Table({{"0", "1", QStringLiteral("Известняк")}}), &added));
  EXPECT_EQ(Describe(*col).front(), QStringLiteral("0-1:SST,SSTF,LST"));
  EXPECT_EQ(added.RockNames, QStringList{QStringLiteral("Известняк = LST")});
}

TEST_F(StratColumnTest, AddedDataSplitsAndFillsLayers) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  col->AddLayer(5, 30, {QStringLiteral("A")});
  ASSERT_TRUE(col->AddLayerDataFrom(*Table({{"10", "20", "B", "", "C"}})));
  EXPECT_EQ(Describe(*col), (QStringList{"5-10:A", "10-20:A,B,C", "20-30:A"}));

  // Gaps between, above and below the layers an interval meets are filled.
  TTestBody other;
  TPrintStratCol* gaps = other.AddColumn();
  gaps->AddLayer(2, 3, {QStringLiteral("X")});
  gaps->AddLayer(4, 5, {QStringLiteral("Y")});
  ASSERT_TRUE(gaps->AddLayerDataFrom(*Table({{"1", "6", "Z"}, {"7", "6.5", "bad"}, {"8", "9", "W"}})));
  EXPECT_EQ(Describe(*gaps), (QStringList{"1-2:Z", "2-3:X,Z", "3-4:Z", "4-5:Y,Z", "5-6:Z", "8-9:W"}));
  EXPECT_FALSE(gaps->AddLayerDataFrom(*Table({{"1", "2"}})));
}

TEST_F(StratColumnTest, BoundaryFloatingKeepsTheNeighbourInPlace) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  TStratColEntry* upper = col->AddLayer(0, 2);  // 0..10
  TStratColEntry* lower = col->AddLayer(2, 4);  // 10..20
  col->AddLayer(4, 8);                          // 20..40
  const TBoundsRect start = upper->GetBoundsRect();
  // The upper layer's bottom dragged to 14.3: the next layer starts there and keeps its bottom.
  TBoundsRect b{10, 0, 40, 14.3};
  upper->SetBoundsRect(b);
  col->AdjustChildBounds(upper, start, &b);
  EXPECT_DOUBLE_EQ(b.Bottom, 14.3);
  EXPECT_DOUBLE_EQ(lower->Top(), 14.3);
  EXPECT_DOUBLE_EQ(lower->BottomEdge(), 20);
  // Dragged past a whole layer: it stops at that layer's top.
  const TBoundsRect start2 = upper->GetBoundsRect();
  TBoundsRect far{10, 0, 40, 45};
  upper->SetBoundsRect(far);
  col->AdjustChildBounds(upper, start2, &far);
  EXPECT_DOUBLE_EQ(far.Bottom, 14);
}

TEST_F(StratColumnTest, RescalingMovesTheLayersWithTheirDepths) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(2, 6, {QStringLiteral("SST")});
  body.SetVertScale(100);
  TStratColEntry* e = col->Layers()[0];
  EXPECT_NEAR(e->TopDepth(), 2, 1e-9);
  EXPECT_NEAR(e->BottomDepth(), 6, 1e-9);
  EXPECT_NEAR(e->GetHeight(), 40, 1e-9);
}

TEST_F(StratColumnTest, CopiesCarryTheDatabaseAndTheTopLine) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(0, 1, {QStringLiteral("SST")});
  col->AddLayer(1, 2, {QStringLiteral("LST")});
  col->Layers()[0]->SetTopLine({2, 0x10, -1.0});
  col->ApplyTopLine({1, 0xFF, 0.4}, true);
  // The layer at depth 0 keeps its own line.
  EXPECT_EQ(col->Layers()[0]->GetTopLine().Style, 2);
  EXPECT_EQ(col->Layers()[1]->GetTopLine().LineWidth, 0.4);
  TTestBody other;
  TPrintStratCol* copy = other.AddColumn();
  copy->Assign(col);
  EXPECT_EQ(copy->DataBase()->SignCount(), col->DataBase()->SignCount());
  EXPECT_NE(copy->DataBase(), col->DataBase());
  ASSERT_EQ(copy->Layers().size(), 2u);
  EXPECT_EQ(copy->Layers()[1]->DataBase(), copy->DataBase());
  EXPECT_EQ(copy->Layers()[1]->GetTopLine().Style, 1);
  EXPECT_EQ(copy->TopLine().Color, 0xFF);
  EXPECT_EQ(copy->UnknownSignLayers(), 0);
}

// On screen the layers' signs are cut to their layers without a clip and their lines go in
// batches; recorded as vectors (a picture, drawn the way printers get it) and played onto the
// same kind of image, the column must look the same: thin lines of several colours and
// styles, a line drawing nothing, dashed and wide lines, layers a few pixels tall and a view
// scrolled so that layers run past its top and bottom.
TEST_F(StratColumnTest, OnScreenTheColumnLooksAsItsVectorDrawing) {
  TTestBody body;
  TPrintStratCol* column = body.AddColumn();
  ASSERT_TRUE(column->LoadDataBase(DefaultLsd()));
  // Mostly thin solid lines, which batch, in runs; now and then one drawn alone.
  const TBoundaryLine lines[] = {{0, 0x0000FF, -1.0}, {0, 0x0000FF, -1.0}, {5, 0, -1.0},       {0, 0x00A000, 0.2},
                                 {0, 0x00A000, 0.2},  {0, 0x000000, -1.0}, {2, 0, -1.0},       {7, 0x123456, -1.0},
                                 {0, 0x0000FF, -1.0}, {1, 0xFF0000, 0.3},  {0, 0x00A000, 0.2}, {0, 0x804000, 0.6}};
  const QStringList signs[] = {{"SST", "LST"}, {"CLY"}, {"SLT", "DOL", "ANH"}, {"COAL", "SH"}};
  double top = 0;
  for (int i = 0; i < 40; ++i) {
    const double height = i % 5 == 0 ? 1.0 : 0.2 + 0.1 * (i % 3);  // metres: 1 to 5 mm
    TStratColEntry* e = column->AddLayer(top, top + height, signs[i % 4]);
    ASSERT_NE(e, nullptr);
    e->SetTopLine(lines[i % 12]);
    top += height;
  }
  column->AutoPlaceAll();
  const QSize size(200, 260);
  // At origin 0 six dots of a sign a pixel apart show already without batches or cuts
  // (a picture keeps its coordinates less exactly than the screen): not compared here.
  for (int originY : {37, 80, 150}) {
    auto draw = [&](QPaintDevice* device) {
      QPainter painter(device);
      TDrawContext c;
      c.DC = &painter;
      c.Options = doBorders;
      c.OriginX = 5;
      c.OriginY = originY;
      c.ClipRect = {0, 0, size.width(), size.height()};
      column->Draw(c);
    };
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(Qt::white);
    draw(&screen);
    const QImage played = PlayedVectorDrawing(size, draw);
    // Signs played straight and drawn from images differ by rounding only.
    const int differing = CountDifferingPixels(screen, played, 4);
    EXPECT_EQ(differing, 0) << "origin " << originY;
    if (differing) {
      screen.save(Path(QStringLiteral("column-screen-%1.png").arg(originY)));
      played.save(Path(QStringLiteral("column-vectors-%1.png").arg(originY)));
    }
  }
}

// The stored form of layers is fixed: `stratcol/layers.knd` was written by the
// column's save before its layers wrote and read their values the way they do
// now (layers of no, one, a few and many signs, an unnamed sign, a top line).
// The same column must save to those bytes, and they must load back to it.
TEST_F(StratColumnTest, LayersSaveToTheStoredBytesAndLoadBackFromThem) {
  FSettings->SetLdbMsgError(false);  // the column has no database: every name is unknown to it
  const auto build = [](TPrintStratCol* col) {
    col->AddLayer(0, 1, {});
    col->AddLayer(1, 2, {QStringLiteral("SST")});
    TStratColEntry* few = col->AddLayer(2, 4, {QStringLiteral("SST"), QStringLiteral("Глина"), QStringLiteral("LST")});
    TStratPlacement p{};
    few->GetPlacement(1, &p);
    p.OffsetX = 2.5, p.OffsetY = 0.25, p.SpaceX = 7, p.SpaceY = 3.5, p.CountX = 4, p.CountY = 9, p.Flags = 0;
    few->SetPlacement(1, p);
    few->SetTopLine({3, 0x0000FF, 0.6});
    TStratColEntry* gap = col->AddLayer(4, 5, {QString(), QStringLiteral("DOL")});
    gap->GetPlacement(0, &p);
    p.CountX = 7;
    gap->SetPlacement(0, p);
    // Five signs are the most a layer stores in 64 values, six are more.
    for (int signs : {5, 6}) {
      QStringList names;
      for (int k = 0; k < signs; ++k) names << QStringLiteral("S%1").arg(k);
      TStratColEntry* many = col->AddLayer(5 + signs, 6 + signs, names);
      for (int k = 0; k < signs; ++k) {
        many->GetPlacement(k, &p);
        p.OffsetY = k + 0.5;
        p.CountY = k + 2;
        many->SetPlacement(k, p);
      }
    }
  };
  QFile file(QStringLiteral(KERNO_TEST_DATA "/stratcol/layers.knd"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray stored = file.readAll();
  const std::vector<uint8_t> expected(stored.begin(), stored.end());

  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  build(col);
  EXPECT_EQ(SaveBytes(col), expected);

  TTestBody other;
  bool loaded = false;
  TPrintStratCol* back = LoadInto(&other, expected, &loaded);
  EXPECT_TRUE(loaded);
  ASSERT_EQ(back->Count(), col->Count());
  for (int i = 0; i < col->Count(); ++i) {
    auto* a = dynamic_cast<TStratColEntry*>(col->GetChild(i));
    auto* b = dynamic_cast<TStratColEntry*>(back->GetChild(i));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(b->SignCount(), a->SignCount()) << "layer " << i;
    EXPECT_EQ(b->SignNames(), a->SignNames()) << "layer " << i;
    for (int k = 0; k < a->SignCount(); ++k) {
      TStratPlacement x{}, y{};
      a->GetPlacement(k, &x);
      b->GetPlacement(k, &y);
      // An unnamed sign is not stored: it loads with the defaults.
      if (x.SignName.Length == 0) x = DefaultPlacement();
      const auto fields = [](const TStratPlacement& t) {
        return std::make_tuple(ShortStringText(t.SignName), t.OffsetX, t.OffsetY, t.SpaceX, t.SpaceY, t.CountX,
                               t.CountY, t.Flags);
      };
      EXPECT_EQ(fields(y), fields(x)) << "layer " << i << ", sign " << k;
    }
    EXPECT_EQ(b->GetTopLine().Style, a->GetTopLine().Style);
    EXPECT_EQ(b->GetTopLine().Color, a->GetTopLine().Color);
    EXPECT_EQ(b->GetTopLine().LineWidth, a->GetTopLine().LineWidth);
  }
  EXPECT_EQ(SaveBytes(back), expected);
}
