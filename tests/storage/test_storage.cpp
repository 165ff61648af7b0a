// Structured storage: names and modes, round trips of nested storages,
// saves that fail half-way, damaged files, and other Compound File readers.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <map>
#include <random>

#include "uComPtr.h"
#include "uMemoryStream.h"
#include "uStorage.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

HRESULT Put(TStorage* s, const QString& name, const std::vector<uint8_t>& bytes) {
  TComPtr<IStream> stream;
  const HRESULT hr = s->CreateStream(name, stream.Put());
  if (hr != S_OK) return hr;
  uint32_t done = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done);
  return S_OK;
}

std::vector<uint8_t> Get(TStorage* s, const QString& name) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(s->ReadStream(name, &bytes), S_OK) << name.toStdString();
  return bytes;
}

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A tree: root{ a, big (70 000 bytes, beyond the small-stream limit), sub{ b, deeper{ c } }, empty{} }.
std::unique_ptr<TStorage> Tree() {
  auto root = TStorage::CreateNew();
  Put(root.get(), "a", Bytes("alpha"));
  std::vector<uint8_t> big(70000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  Put(root.get(), "big", big);
  TStorage* sub = nullptr;
  root->CreateStorage("sub", &sub);
  Put(sub, "b", Bytes("beta"));
  TStorage* deeper = nullptr;
  sub->CreateStorage("deeper", &deeper);
  Put(deeper, "c", {});
  TStorage* empty = nullptr;
  root->CreateStorage("empty", &empty);
  return root;
}

}  // namespace

TEST(Storage, NamesFollowTheFormatsRules) {
  auto s = TStorage::CreateNew();
  TComPtr<IStream> stream;
  EXPECT_EQ(s->CreateStream(QString(31, 'x'), stream.Put()), S_OK);
  EXPECT_EQ(s->CreateStream(QString(32, 'y'), stream.Put()), STG_E_INVALIDNAME) << "at most 31 characters";
  EXPECT_EQ(s->CreateStream("", stream.Put()), STG_E_INVALIDNAME);
  for (const char* bad : {"a/b", "a\\b", "a:b", "a!b"})
    EXPECT_EQ(s->CreateStream(bad, stream.Put()), STG_E_INVALIDNAME) << bad;
  EXPECT_EQ(s->CreateStream("Index", stream.Put()), S_OK);
  // An element that exists cannot be created again, whatever the case.
  EXPECT_EQ(s->CreateStream("INDEX", stream.Put()), STG_E_FILEALREADYEXISTS);
  TStorage* sub = nullptr;
  EXPECT_EQ(s->CreateStorage("index", &sub), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(sub, nullptr);
  // A storage being written opens nothing.
  EXPECT_EQ(s->OpenStream("Index", stream.Put()), STG_E_INVALIDFUNCTION);
}

// A storage being written finds its elements by name without case while
// it grows from a few elements (searched in place) to thousands (indexed):
// every name created before or after the switch is refused a second time.
TEST(Storage, NewNamesAreCheckedAgainstEveryEarlierOneAsTheStorageGrows) {
  auto s = TStorage::CreateNew();
  const auto nameOf = [](int i) { return QStringLiteral("Stream%1").arg(i); };
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(Put(s.get(), nameOf(i), Bytes("v")), S_OK) << i;
    // The newest, the first and one in between, in another case.
    for (const int j : {i, 0, i / 2}) {
      TComPtr<IStream> again;
      ASSERT_EQ(s->CreateStream(nameOf(j).toUpper(), again.Put()), STG_E_FILEALREADYEXISTS) << i << " " << j;
    }
    ASSERT_FALSE(s->ElementExists(nameOf(i + 1))) << i;
  }
  TStorage* sub = nullptr;
  EXPECT_EQ(s->CreateStorage(QStringLiteral("stream7"), &sub), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(s->Elements().size(), 2000u);
}

TEST(Storage, NestedRoundTripAndCaseInsensitiveLookup) {
  auto root = Tree();
  std::vector<uint8_t> file;
  ASSERT_EQ(root->SaveToBytes(&file), S_OK);
  HRESULT hr = E_FAIL;
  auto r = TStorage::OpenBytes(file, &hr);
  ASSERT_TRUE(r);
  EXPECT_EQ(hr, S_OK);
  EXPECT_FALSE(r->IsWritable());
  EXPECT_EQ(Get(r.get(), "A"), Bytes("alpha"));
  EXPECT_EQ(Get(r.get(), "big").size(), 70000u);
  EXPECT_EQ(Get(r.get(), "big")[69999], static_cast<uint8_t>(69999 * 7));
  TStorage* sub = nullptr;
  ASSERT_EQ(r->OpenStorage("SUB", &sub), S_OK);
  EXPECT_EQ(Get(sub, "b"), Bytes("beta"));
  TStorage* deeper = nullptr;
  ASSERT_EQ(sub->OpenStorage("Deeper", &deeper), S_OK);
  EXPECT_TRUE(Get(deeper, "c").empty());
  TStorage* again = nullptr;
  EXPECT_EQ(r->OpenStorage("sub", &again), S_OK);
  EXPECT_EQ(again, sub);
  TStorage* empty = nullptr;
  ASSERT_EQ(r->OpenStorage("empty", &empty), S_OK);
  EXPECT_TRUE(empty->Elements().empty());
  // A stream is not a storage and the other way round; missing is missing.
  EXPECT_EQ(r->OpenStorage("a", &empty), STG_E_FILENOTFOUND);
  TComPtr<IStream> stream;
  EXPECT_EQ(r->OpenStream("sub", stream.Put()), STG_E_FILENOTFOUND);
  EXPECT_EQ(r->OpenStream("nothing", stream.Put()), STG_E_FILENOTFOUND);
  // A read storage creates nothing.
  EXPECT_EQ(r->CreateStream("new", stream.Put()), STG_E_ACCESSDENIED);
  // An opened stream is a memory stream at position 0.
  ASSERT_EQ(r->OpenStream("a", stream.Put()), S_OK);
  std::vector<uint8_t> read;
  ASSERT_TRUE(ReadWholeStream(stream.Get(), &read));
  EXPECT_EQ(read, Bytes("alpha"));
  int storages = 0;
  for (const auto& e : r->Elements()) storages += e.IsStorage ? 1 : 0;
  EXPECT_EQ(storages, 2);
}

// A reader keeps each opened sub-storage once, whatever order they are
// opened in (lists open theirs in order, other code by name), and each
// keeps the name its entry stores, in the stored case.
TEST(Storage, SubStoragesOpenOnceInAnyOrderWithTheirStoredNames) {
  auto root = TStorage::CreateNew();
  constexpr int kCount = 3000;
  for (int i = 0; i < kCount; ++i) {
    TStorage* sub = nullptr;
    ASSERT_EQ(root->CreateStorage(i % 2 ? QString::number(i) : QStringLiteral("Layer%1").arg(i), &sub), S_OK);
    Put(sub, "x", Bytes(std::to_string(i)));
  }
  std::vector<uint8_t> file;
  ASSERT_EQ(root->SaveToBytes(&file), S_OK);
  auto r = TStorage::OpenBytes(file);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Name(), QString());
  std::vector<TStorage*> opened(kCount, nullptr);
  // Descending, then every third, then all ascending: the same storage each time.
  const auto nameOf = [](int i) { return i % 2 ? QString::number(i) : QStringLiteral("LAYER%1").arg(i); };
  for (int i = kCount - 1; i >= 0; i -= 7) {
    ASSERT_EQ(r->OpenStorage(nameOf(i), &opened[static_cast<size_t>(i)]), S_OK) << i;
    EXPECT_EQ(Get(opened[static_cast<size_t>(i)], "x"), Bytes(std::to_string(i)));
  }
  for (int i = 0; i < kCount; i += 3) {
    TStorage* sub = nullptr;
    ASSERT_EQ(i % 2 ? r->OpenStorageAt(static_cast<uint32_t>(i), &sub) : r->OpenStorage(nameOf(i), &sub), S_OK);
    if (opened[static_cast<size_t>(i)]) {
      EXPECT_EQ(sub, opened[static_cast<size_t>(i)]) << i;
    }
    opened[static_cast<size_t>(i)] = sub;
  }
  for (int i = 0; i < kCount; ++i) {
    TStorage* sub = nullptr;
    ASSERT_EQ(r->OpenStorage(nameOf(i), &sub), S_OK) << i;
    if (opened[static_cast<size_t>(i)]) {
      EXPECT_EQ(sub, opened[static_cast<size_t>(i)]) << i;
    }
    EXPECT_EQ(sub->Name(), i % 2 ? QString::number(i) : QStringLiteral("Layer%1").arg(i));
    EXPECT_EQ(Get(sub, "x"), Bytes(std::to_string(i)));
  }
  TStorage* missing = nullptr;
  EXPECT_EQ(r->OpenStorage("Layer1", &missing), STG_E_FILENOTFOUND);
  EXPECT_EQ(r->OpenStorageAt(kCount * 2, &missing), STG_E_FILENOTFOUND);
  // A storage being written keeps the name it was created with.
  TStorage* made = nullptr;
  ASSERT_EQ(root->CreateStorage("Made", &made), S_OK);
  EXPECT_EQ(made->Name(), QStringLiteral("Made"));
}

TEST(StorageFile, MissingFilesAndFoldersAreToldApart) {
  QTemporaryDir dir;
  HRESULT hr = S_OK;
  EXPECT_FALSE(TStorage::OpenFile(dir.filePath("none.knd"), &hr));
  EXPECT_EQ(hr, STG_E_FILENOTFOUND);
  hr = S_OK;
  EXPECT_FALSE(TStorage::OpenFile(dir.path(), &hr));
  EXPECT_NE(hr, S_OK);
  EXPECT_NE(hr, STG_E_FILENOTFOUND) << "a folder is there, but no storage";
}

TEST(Storage, WriteStreamCopiesAWholeSourceFromItsStart) {
  auto s = TStorage::CreateNew();
  auto source = MemoryStreamFrom("0123456789", 10);
  source->Seek(4, 0, nullptr);
  ASSERT_EQ(s->WriteStream("copy", source.Get()), S_OK);
  std::vector<uint8_t> file;
  ASSERT_EQ(s->SaveToBytes(&file), S_OK);
  EXPECT_EQ(Get(TStorage::OpenBytes(file).get(), "copy"), Bytes("0123456789"));
}

// Shared bytes are written into every storage that holds them, as a stream
// written with them would be, and obey the same name rules.
TEST(Storage, SharedStreamsWriteAsCopiedOnesAndKeepTheNameRules) {
  const auto shared = std::make_shared<const std::vector<uint8_t>>(Bytes("shared version"));
  auto copied = TStorage::CreateNew();
  auto withShared = TStorage::CreateNew();
  for (TStorage* root : {copied.get(), withShared.get()}) {
    for (const QString& name : {QStringLiteral("0"), QStringLiteral("1")}) {
      TStorage* sub = nullptr;
      ASSERT_EQ(root->CreateStorage(name, &sub), S_OK);
      ASSERT_EQ(root == copied.get() ? Put(sub, "version", *shared) : sub->CreateSharedStream("version", shared), S_OK);
      ASSERT_EQ(Put(sub, "index", Bytes(name.toStdString())), S_OK);
    }
  }
  TStorage* sub = nullptr;
  ASSERT_EQ(withShared->CreateStorage("2", &sub), S_OK);
  EXPECT_EQ(sub->CreateSharedStream("x", nullptr), E_INVALIDARG);
  ASSERT_EQ(sub->CreateSharedStream("x", shared), S_OK);
  EXPECT_EQ(sub->CreateSharedStream("X", shared), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(sub->CreateSharedStream("a/b", shared), STG_E_INVALIDNAME);
  ASSERT_EQ(sub->Elements().size(), 1u);
  EXPECT_EQ(sub->Elements()[0].Size, shared->size());
  EXPECT_FALSE(sub->Elements()[0].IsStorage);
  ASSERT_EQ(copied->CreateStorage("2", &sub), S_OK);
  ASSERT_EQ(Put(sub, "x", *shared), S_OK);

  std::vector<uint8_t> a;
  std::vector<uint8_t> b;
  ASSERT_EQ(copied->SaveToBytes(&a), S_OK);
  ASSERT_EQ(withShared->SaveToBytes(&b), S_OK);
  EXPECT_EQ(a, b);
  auto read = TStorage::OpenBytes(b);
  ASSERT_EQ(read->OpenStorage("1", &sub), S_OK);
  EXPECT_EQ(Get(sub, "version"), *shared);
}

// Streams laid out in the storage's own memory write as streams written
// through CreateStream: small and empty ones, ones beyond a chunk's share and
// beyond a chunk, enough of them to fill several chunks, in nested storages.
TEST(Storage, StreamBytesWriteAsWrittenStreamsAndKeepTheNameRules) {
  std::vector<std::vector<uint8_t>> contents;
  for (size_t size : {size_t(0), size_t(1), size_t(300), size_t(5000), size_t(40000), size_t(300000)})
    contents.emplace_back(size, static_cast<uint8_t>(size % 251));
  for (int i = 0; i < 2000; ++i) contents.emplace_back(100 + i % 200, static_cast<uint8_t>(i));
  const auto fill = [&](TStorage* root, bool inPlace) {
    TStorage* sub = nullptr;
    ASSERT_EQ(root->CreateStorage("sub", &sub), S_OK);
    for (size_t i = 0; i < contents.size(); ++i) {
      TStorage* target = i % 2 ? sub : root;
      const QString name = QString::number(i);
      if (!inPlace) {
        ASSERT_EQ(Put(target, name, contents[i]), S_OK);
        continue;
      }
      uint8_t* data = nullptr;
      ASSERT_EQ(target->CreateStreamBytes(name, contents[i].size(), &data), S_OK);
      ASSERT_NE(data, nullptr);
      if (!contents[i].empty()) std::memcpy(data, contents[i].data(), contents[i].size());
    }
  };
  auto written = TStorage::CreateNew();
  auto inPlace = TStorage::CreateNew();
  fill(written.get(), false);
  fill(inPlace.get(), true);
  std::vector<uint8_t> a;
  std::vector<uint8_t> b;
  ASSERT_EQ(written->SaveToBytes(&a), S_OK);
  ASSERT_EQ(inPlace->SaveToBytes(&b), S_OK);
  EXPECT_EQ(a, b);
  auto read = TStorage::OpenBytes(b);
  TStorage* sub = nullptr;
  ASSERT_EQ(read->OpenStorage("sub", &sub), S_OK);
  EXPECT_EQ(Get(sub, "5"), contents[5]);
  EXPECT_EQ(Get(read.get(), "4"), contents[4]);

  uint8_t* data = nullptr;
  EXPECT_EQ(inPlace->CreateStreamBytes("0", 4, &data), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(inPlace->CreateStreamBytes("SUB", 4, &data), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(inPlace->CreateStreamBytes("a:b", 4, &data), STG_E_INVALIDNAME);
  EXPECT_EQ(inPlace->CreateStreamBytes("x", 4, nullptr), E_INVALIDARG);
  EXPECT_EQ(read->CreateStreamBytes("x", 4, &data), STG_E_ACCESSDENIED);
  ASSERT_EQ(inPlace->CreateStreamBytes("x", 4, &data), S_OK);
  EXPECT_EQ(inPlace->Elements().back().Size, 4u);
}

// A tree being written keeps its sub-storages in blocks and the names of its
// elements in memory of its own: hundreds of sub-storages (several blocks),
// each named as created, list, name and save as made.
TEST(Storage, ManyWrittenSubStoragesKeepTheirNamesAndContent) {
  auto root = TStorage::CreateNew();
  std::vector<TStorage*> subs;
  for (int i = 0; i < 600; ++i) {
    TStorage* sub = nullptr;
    const QString name = i % 3 ? QString::number(i) : QStringLiteral("Layer%1").arg(i);
    ASSERT_EQ(root->CreateStorage(name, &sub), S_OK);
    ASSERT_EQ(Put(sub, "index", Bytes(name.toStdString())), S_OK);
    subs.push_back(sub);
  }
  TStorage* deeper = nullptr;
  ASSERT_EQ(subs[5]->CreateStorage("deeper", &deeper), S_OK);
  ASSERT_EQ(Put(deeper, "c", Bytes("see")), S_OK);
  EXPECT_EQ(root->Name(), QString());
  EXPECT_EQ(subs[3]->Name(), QStringLiteral("Layer3"));
  EXPECT_EQ(subs[599]->Name(), QStringLiteral("599"));
  EXPECT_EQ(deeper->Name(), QStringLiteral("deeper"));
  const std::vector<TStorageElement> elements = root->Elements();
  ASSERT_EQ(elements.size(), 600u);
  EXPECT_EQ(elements[300].Name, QStringLiteral("Layer300"));
  EXPECT_TRUE(elements[300].IsStorage);
  EXPECT_TRUE(root->ElementExists("LAYER297"));
  EXPECT_EQ(root->CreateStorage("layer0", &deeper), STG_E_FILEALREADYEXISTS);

  std::vector<uint8_t> file;
  ASSERT_EQ(root->SaveToBytes(&file), S_OK);
  auto read = TStorage::OpenBytes(file);
  ASSERT_TRUE(read);
  for (int i : {0, 1, 299, 599}) {
    TStorage* sub = nullptr;
    const QString name = subs[static_cast<size_t>(i)]->Name();
    ASSERT_EQ(read->OpenStorage(name, &sub), S_OK) << i;
    EXPECT_EQ(Get(sub, "index"), Bytes(name.toStdString()));
  }
  TStorage* sub = nullptr;
  ASSERT_EQ(read->OpenStorage("5", &sub), S_OK);
  ASSERT_EQ(sub->OpenStorage("deeper", &deeper), S_OK);
  EXPECT_EQ(Get(deeper, "c"), Bytes("see"));
}

TEST(Storage, DamagedFilesAreRefusedCleanly) {
  HRESULT hr = S_OK;
  EXPECT_EQ(TStorage::OpenBytes(Bytes("plain text, not a compound file"), &hr), nullptr);
  EXPECT_EQ(hr, STG_E_INVALIDHEADER);
  std::vector<uint8_t> file;
  ASSERT_EQ(Tree()->SaveToBytes(&file), S_OK);
  // Every truncation: refused or readable, never a crash; what is read is a
  // prefix of the truth or an error.
  for (size_t cut : {size_t(8), size_t(511), size_t(512), size_t(1024), file.size() / 2, file.size() - 1}) {
    std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<long>(cut));
    auto r = TStorage::OpenBytes(part, &hr);
    if (!r) {
      EXPECT_NE(hr, S_OK);
      continue;
    }
    std::vector<uint8_t> bytes;
    r->ReadStream("big", &bytes);
    TStorage* sub = nullptr;
    if (r->OpenStorage("sub", &sub) == S_OK) sub->ReadStream("b", &bytes);
  }
  // Random bytes behind a valid signature, and random flips in a real file.
  std::mt19937 random(1234);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> junk = file;
    for (int k = 0; k < 16; ++k) junk[random() % junk.size()] = static_cast<uint8_t>(random());
    if (round % 2) std::copy(file.begin(), file.begin() + 8, junk.begin());
    auto r = TStorage::OpenBytes(junk, &hr);
    if (!r) continue;
    for (const auto& e : r->Elements()) {
      std::vector<uint8_t> bytes;
      if (!e.IsStorage) r->ReadStream(e.Name, &bytes);
    }
  }
}

TEST(StorageFile, CommitReplacesTheTargetOnlyWhenComplete) {
  QTemporaryDir dir;
  const QString path = dir.filePath("doc.knd");
  auto first = TStorage::CreateFile(path);
  ASSERT_TRUE(first);
  Put(first.get(), "index", Bytes("first"));
  ASSERT_EQ(first->Commit(), S_OK);
  EXPECT_TRUE(TStorage::IsStorageFile(path));
  const QByteArray before = FileBytes(path);

  // A second save that runs out of room half-way: the file size limit makes
  // the write fail after a few blocks.
  auto second = Tree();
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 8192;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const HRESULT hr = second->SaveToFile(path);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_NE(hr, S_OK);
  EXPECT_EQ(FileBytes(path), before) << "the earlier file is kept byte for byte";
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"doc.knd"}) << "no temporary left behind";

  // A missing folder fails at creation; a missing file opens as not found.
  HRESULT created = S_OK;
  EXPECT_EQ(TStorage::CreateFile(dir.filePath("no/such/doc.knd"), &created), nullptr);
  EXPECT_EQ(created, STG_E_PATHNOTFOUND);
  HRESULT opened = S_OK;
  EXPECT_EQ(TStorage::OpenFile(dir.filePath("none.knd"), &opened), nullptr);
  EXPECT_EQ(opened, STG_E_FILENOTFOUND);
  EXPECT_FALSE(TStorage::IsStorageFile(dir.filePath("none.knd")));
}

// A file for other readers: nested, wide (a storage of 300 elements), deep
// (40 levels) and large (9 MB: its table is listed in DIFAT sectors).
// `expected` receives "path<TAB>size<TAB>sum of bytes" for every stream.
std::unique_ptr<TStorage> ReaderCheckTree(std::map<QString, QString>* expected) {
  auto put = [&](TStorage* s, const QString& path, const std::vector<uint8_t>& bytes) {
    Put(s, path.section('/', -1), bytes);
    uint32_t sum = 0;
    for (uint8_t b : bytes) sum += b;
    (*expected)[path] = QString("%1\t%2").arg(bytes.size()).arg(sum);
  };
  auto root = TStorage::CreateNew();
  put(root.get(), "a", Bytes("alpha"));
  TStorage* sub = nullptr;
  root->CreateStorage("sub", &sub);
  put(sub, "sub/b", Bytes("beta"));
  TStorage* wide = nullptr;
  root->CreateStorage("Wide", &wide);
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> bytes(static_cast<size_t>(i * 37 % 5000), static_cast<uint8_t>(i));
    put(wide, QString("Wide/%1item%2").arg(i % 2 ? "" : "x").arg(i), bytes);
  }
  TStorage* deep = root.get();
  QString path;
  for (int i = 0; i < 40; ++i) {
    deep->CreateStorage(QString("d%1").arg(i), &deep);
    path += QString("d%1/").arg(i);
  }
  put(deep, path + "leaf", Bytes("deep leaf"));
  std::vector<uint8_t> huge(9 * 1024 * 1024);
  for (size_t i = 0; i < huge.size(); ++i) huge[i] = static_cast<uint8_t>(i * 13 + (i >> 12));
  put(root.get(), "huge", huge);
  return root;
}

TEST(StorageFile, OtherCompoundFileReadersOpenOurFiles) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tree.knd");
  std::map<QString, QString> expected;
  ASSERT_EQ(ReaderCheckTree(&expected)->SaveToFile(path), S_OK);
  int readers = 0;

  const QString gsf = QStandardPaths::findExecutable("gsf");
  if (!gsf.isEmpty()) {
    ++readers;
    QProcess list;
    list.start(gsf, {"list", path});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_EQ(list.exitCode(), 0);
    // "f <size> <path>" for every stream.
    std::map<QString, QString> listed;
    for (const QString& line : QString::fromUtf8(list.readAllStandardOutput()).split('\n')) {
      const QStringList parts = line.simplified().split(' ');
      if (parts.size() == 3 && parts[0] == "f") listed[parts[2]] = parts[1];
    }
    EXPECT_EQ(listed.size(), expected.size());
    for (const auto& [name, info] : expected) EXPECT_EQ(listed[name], info.section('\t', 0, 0)) << name.toStdString();
    for (const char* stream : {"sub/b", "huge", "Wide/item299"}) {
      QProcess cat;
      cat.start(gsf, {"cat", path, stream});
      ASSERT_TRUE(cat.waitForFinished(60000));
      const QByteArray bytes = cat.readAllStandardOutput();
      uint32_t sum = 0;
      for (char b : bytes) sum += static_cast<uint8_t>(b);
      EXPECT_EQ(QString("%1\t%2").arg(bytes.size()).arg(sum), expected[stream]) << stream;
    }
  }

  // python3-olefile (Debian's, beside the system python) checks every stream.
  for (const QString& python : {QString("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
    if (python.isEmpty() || !QFile::exists(python)) continue;
    QProcess ole;
    ole.start(python, {"-c",
                       "import sys\n"
                       "try:\n import olefile\nexcept ImportError:\n sys.exit(77)\n"
                       "f=olefile.OleFileIO(sys.argv[1])\n"
                       "for p in f.listdir(streams=True, storages=False):\n"
                       " d=f.openstream(p).read()\n"
                       " print('/'.join(p)+'\\t'+str(len(d))+'\\t'+str(sum(d)&0xFFFFFFFF))\n",
                       path});
    ASSERT_TRUE(ole.waitForFinished(60000));
    if (ole.exitCode() == 77) continue;
    ++readers;
    EXPECT_EQ(ole.exitCode(), 0) << ole.readAllStandardError().toStdString();
    std::map<QString, QString> read;
    for (const QString& line : QString::fromUtf8(ole.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
      read[line.section('\t', 0, 0)] = line.section('\t', 1);
    EXPECT_TRUE(read == expected) << "olefile read " << read.size() << " of " << expected.size() << " streams";
    break;
  }
  if (readers == 0) GTEST_SKIP() << "neither the gsf tool (libgsf-bin) nor python3-olefile is installed";
}

// A storage being written finds names that are plain decimals (a list's
// children) by number and the others by name: each kind is refused again
// in every spelling that is the same name, and only then, wherever in the
// order it came and however far the numbers go.
TEST(Storage, DecimalAndOtherNamesAreRefusedAgainWhileWriting) {
  auto s = TStorage::CreateNew();
  // Far numbers first, while the storage is small, then many near ones.
  const QStringList early = {"index", "version", "100000", "007", "1234567890", "999999999", "0x1", "5"};
  for (const QString& name : early) ASSERT_EQ(Put(s.get(), name, Bytes("v")), S_OK) << name.toStdString();
  for (int i = 0; i < 30000; ++i) {
    if (i == 5) continue;
    ASSERT_EQ(Put(s.get(), QString::number(i), Bytes("v")), S_OK) << i;
  }
  for (const QString& name : early + QStringList{"INDEX", "Version", "0X1", "0", "29999", "17"})
    EXPECT_EQ(Put(s.get(), name, Bytes("w")), STG_E_FILEALREADYEXISTS) << name.toStdString();
  TStorage* sub = nullptr;
  EXPECT_EQ(s->CreateStorage("100000", &sub), STG_E_FILEALREADYEXISTS);
  // Other spellings of the same numbers are other names.
  for (const QString& name : QStringList{"30007", "0007", "100001", "30000", "123456789", "00", "index2"})
    EXPECT_EQ(Put(s.get(), name, Bytes("w")), S_OK) << name.toStdString();
  EXPECT_TRUE(s->ElementExists("30007"));
  EXPECT_FALSE(s->ElementExists("30001"));
  EXPECT_FALSE(s->ElementExists("08"));

  std::vector<uint8_t> file;
  ASSERT_EQ(s->SaveToBytes(&file), S_OK);
  auto read = TStorage::OpenBytes(file);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Elements().size(), s->Elements().size());
  EXPECT_EQ(Get(read.get(), "100000"), Bytes("v"));
  EXPECT_EQ(Get(read.get(), "0007"), Bytes("w"));
}

// The writer's layout, byte for byte, as files written before it were: a
// tree of many small streams (a mini table and a directory of many sectors,
// empty streams among them), sub-storages and large streams.
TEST(Storage, LayoutOfManyElementsIsTheOneWrittenBefore) {
  auto root = TStorage::CreateNew();
  const auto pattern = [](size_t size, int seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + static_cast<size_t>(seed) * 7);
    return bytes;
  };
  ASSERT_EQ(Put(root.get(), "index", pattern(700, 1)), S_OK);
  for (int i = 0; i < 700; ++i) {
    TStorage* sub = nullptr;
    ASSERT_EQ(root->CreateStorage(QString::number(i), &sub), S_OK);
    ASSERT_EQ(Put(sub, "index", pattern(static_cast<size_t>(i * 37 % 1500), i)), S_OK);
    ASSERT_EQ(Put(sub, "version", pattern(i % 5 ? 90 : 0, 3)), S_OK);
    if (i % 100 == 7) {
      ASSERT_EQ(Put(sub, "Large", pattern(4096 + static_cast<size_t>(i), i)), S_OK);
    }
  }
  ASSERT_EQ(Put(root.get(), "Data", pattern(150000, 9)), S_OK);
  ASSERT_EQ(Put(root.get(), "DataLsd2", pattern(4095, 8)), S_OK);
  std::vector<uint8_t> file;
  ASSERT_EQ(root->SaveToBytes(&file), S_OK);
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (uint8_t b : file) hash = (hash ^ b) * 1099511628211ull;
  EXPECT_EQ(file.size(), 1120768u);
  EXPECT_EQ(hash, 9260517894206062750ull);
}
