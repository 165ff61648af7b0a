// The Compound File reader and writer: the written directory trees keep the
// format's order and colouring, large files get DIFAT sectors, files of other
// writers and of version 4 read, and damaged files (loops, sectors and sizes
// beyond the file, directory cycles, hostile counts) fail cleanly.
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "uCfbFormat.h"
#include "uCfbReader.h"
#include "uComPtr.h"
#include "uStorage.h"

using namespace cfb;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void Put(TStorage* s, const QString& name, const std::vector<uint8_t>& bytes) {
  TComPtr<IStream> stream;
  ASSERT_EQ(s->CreateStream(name, stream.Put()), S_OK);
  uint32_t done = 0;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done);
}

std::vector<uint8_t> Pattern(size_t size, int seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 9));
  return bytes;
}

std::vector<uint8_t> Save(const TStorage& s) {
  std::vector<uint8_t> file;
  EXPECT_EQ(s.SaveToBytes(&file), S_OK);
  return file;
}

uint32_t At32(const std::vector<uint8_t>& f, size_t offset) { return GetLE32(f.data() + offset); }
void Set32(std::vector<uint8_t>* f, size_t offset, uint32_t v) { PutLE32(f->data() + offset, v); }
size_t SectorOffset(uint32_t s) { return (static_cast<size_t>(s) + 1) * 512; }
// Our writer keeps the directory in one run of sectors.
size_t EntryOffset(const std::vector<uint8_t>& f, int id) {
  return SectorOffset(At32(f, kHdrDirStart)) + static_cast<size_t>(id) * kDirEntrySize;
}

// Entries, breadth first: 0 root; 1 a (small), 2 big (20 000 bytes), 3 sub, 4 small2; 5 b (in sub).
std::unique_ptr<TStorage> Sample() {
  auto root = TStorage::CreateNew();
  Put(root.get(), "a", Bytes("alpha"));
  Put(root.get(), "big", Pattern(20000, 1));
  TStorage* sub = nullptr;
  EXPECT_EQ(root->CreateStorage("sub", &sub), S_OK);
  Put(root.get(), "small2", Pattern(300, 2));
  Put(sub, "b", Bytes("beta"));
  return root;
}

// Everything a caller can reach: every element of every storage, every stream read.
int WalkAll(TStorage* s, int depth = 0) {
  int seen = 0;
  for (const TStorageElement& e : s->Elements()) {
    ++seen;
    if (e.IsStorage) {
      TStorage* sub = nullptr;
      if (s->OpenStorage(e.Name, &sub) == S_OK && depth < 1000) seen += WalkAll(sub, depth + 1);
    } else {
      std::vector<uint8_t> bytes;
      s->ReadStream(e.Name, &bytes);
    }
  }
  return seen;
}

// Every stream under `s`: "path" -> bytes.
std::map<QString, std::vector<uint8_t>> Contents(TStorage* s, const QString& prefix = {}) {
  std::map<QString, std::vector<uint8_t>> result;
  for (const TStorageElement& e : s->Elements()) {
    if (e.IsStorage) {
      TStorage* sub = nullptr;
      if (s->OpenStorage(e.Name, &sub) == S_OK) result.merge(Contents(sub, prefix + e.Name + "/"));
    } else {
      s->ReadStream(e.Name, &result[prefix + e.Name]);
    }
  }
  return result;
}

// Checks a storage's sibling tree in a file: in order, properly coloured.
void CheckTree(const TCfbReader& file, int storage, size_t expected) {
  std::vector<std::u16string> inOrder;
  int blackHeight = -1;
  bool colouredWell = true;
  std::function<void(uint32_t, int, bool)> walk = [&](uint32_t id, int blacks, bool parentRed) {
    if (id == kNoStream) {
      if (blackHeight < 0) blackHeight = blacks;
      colouredWell = colouredWell && blacks == blackHeight;
      return;
    }
    const TCfbEntry& e = file.Entry(static_cast<int>(id));
    const bool red = e.Color == kRed;
    colouredWell = colouredWell && !(red && parentRed);
    walk(e.Left, blacks + (red ? 0 : 1), red);
    inOrder.emplace_back(file.Name(static_cast<int>(id)));
    walk(e.Right, blacks + (red ? 0 : 1), red);
  };
  const uint32_t top = file.Entry(storage).Child;
  if (top != kNoStream) {
    EXPECT_EQ(file.Entry(static_cast<int>(top)).Color, kBlack) << "the root of a tree is black";
  }
  walk(top, 0, false);
  EXPECT_TRUE(colouredWell) << expected << " children: a red node with a red child, or unequal black heights";
  ASSERT_EQ(inOrder.size(), expected);
  for (size_t i = 1; i < inOrder.size(); ++i)
    EXPECT_LT(CompareNames(inOrder[i - 1], inOrder[i]), 0) << expected << " children: out of order at " << i;
}

}  // namespace

TEST(CompoundFile, SiblingTreesAreOrderedAndColouredForEveryCount) {
  // Readers search the sibling tree by the format's order (length first,
  // then upper case): a tree out of that order hides elements from them.
  for (size_t n : {size_t(1), size_t(2), size_t(3), size_t(4), size_t(5), size_t(6), size_t(7), size_t(8), size_t(15),
                   size_t(16), size_t(17), size_t(100), size_t(1000)}) {
    auto root = TStorage::CreateNew();
    for (size_t i = 0; i < n; ++i) {
      // Lengths and cases mixed: "Zz7" sorts before "aaaa".
      const QString name = (i % 3 ? QString("Item") : QString("z")) + QString::number(n - i);
      Put(root.get(), i % 2 ? name.toUpper() : name, Bytes("x"));
    }
    HRESULT hr = E_FAIL;
    auto file = TCfbReader::Open(Save(*root), &hr);
    ASSERT_TRUE(file) << n;
    CheckTree(*file, TCfbReader::RootId, n);
  }
}

// Names mostly come in ascending runs (a list's "index" and "version", then
// its children "0", "1", ...), which are merged rather than sorted; any
// number of runs gives the same ordered tree.
TEST(CompoundFile, SiblingTreesOfNamesInRunsAreOrdered) {
  for (size_t n : {size_t(10), size_t(1000)}) {
    auto root = TStorage::CreateNew();
    for (const char* name : {"index", "version"}) Put(root.get(), name, Bytes("x"));
    for (size_t i = 0; i < n; ++i) Put(root.get(), QString::number(i), Bytes("x"));
    for (const char* name : {"default.lsd", "Lsd2"}) Put(root.get(), name, Bytes("x"));
    HRESULT hr = E_FAIL;
    auto file = TCfbReader::Open(Save(*root), &hr);
    ASSERT_TRUE(file) << n;
    CheckTree(*file, TCfbReader::RootId, n + 4);
  }
  // Run r holds names starting with a letter below run r - 1's: r runs exactly.
  for (int runs = 1; runs <= 12; ++runs) {
    auto root = TStorage::CreateNew();
    for (int r = 0; r < runs; ++r)
      for (int i = 0; i < 30; ++i)
        Put(root.get(), QString(QChar(u'z' - r)) + QString("%1").arg(i, 3, 10, QChar(u'0')), Bytes("x"));
    HRESULT hr = E_FAIL;
    auto file = TCfbReader::Open(Save(*root), &hr);
    ASSERT_TRUE(file) << runs;
    CheckTree(*file, TCfbReader::RootId, static_cast<size_t>(runs) * 30);
  }
}

TEST(CompoundFile, CaseInsensitiveNamesBeyondAscii) {
  auto root = TStorage::CreateNew();
  Put(root.get(), QString::fromUtf8("Скважина"), Bytes("1"));
  TComPtr<IStream> stream;
  EXPECT_EQ(root->CreateStream(QString::fromUtf8("СКВАЖИНА"), stream.Put()), STG_E_FILEALREADYEXISTS);
  auto r = TStorage::OpenBytes(Save(*root));
  ASSERT_TRUE(r);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(r->ReadStream(QString::fromUtf8("сКВАЖИНА"), &bytes), S_OK);
  EXPECT_EQ(bytes, Bytes("1"));
  ASSERT_EQ(r->Elements().size(), 1u);
  EXPECT_EQ(r->Elements()[0].Name, QString::fromUtf8("Скважина")) << "the stored case is kept";
}

TEST(CompoundFile, LargeFilesListTheirTableInDifatSectors) {
  // Beyond 109 table sectors (about 7 MB) the table's sectors are listed in
  // chained DIFAT sectors; a writer that skips them loses everything after.
  auto root = TStorage::CreateNew();
  const auto big = Pattern(9 * 1024 * 1024, 5);
  Put(root.get(), "huge", big);
  Put(root.get(), "tail", Pattern(5000, 6));
  Put(root.get(), "small", Pattern(100, 7));
  const std::vector<uint8_t> file = Save(*root);
  EXPECT_GT(At32(file, kHdrFatSectors), 109u);
  EXPECT_GE(At32(file, kHdrDifatSectors), 1u);
  auto r = TStorage::OpenBytes(file);
  ASSERT_TRUE(r);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(r->ReadStream("huge", &bytes), S_OK);
  EXPECT_TRUE(bytes == big);
  ASSERT_EQ(r->ReadStream("tail", &bytes), S_OK);
  EXPECT_EQ(bytes, Pattern(5000, 6));
  ASSERT_EQ(r->ReadStream("small", &bytes), S_OK);
  EXPECT_EQ(bytes, Pattern(100, 7));
}

TEST(CompoundFile, DeepTreesUpToTheNestingLimit) {
  auto root = TStorage::CreateNew();
  TStorage* s = root.get();
  for (int depth = 1; depth <= kMaxDepth; ++depth) {
    TStorage* sub = nullptr;
    ASSERT_EQ(s->CreateStorage(QString("level%1").arg(depth), &sub), S_OK) << depth;
    Put(sub, "here", Bytes(std::to_string(depth)));
    s = sub;
  }
  TStorage* tooDeep = nullptr;
  EXPECT_EQ(s->CreateStorage("deeper", &tooDeep), STG_E_INVALIDFUNCTION) << "a file the reader would refuse";
  auto r = TStorage::OpenBytes(Save(*root));
  ASSERT_TRUE(r);
  TStorage* at = r.get();
  for (int depth = 1; depth <= kMaxDepth; ++depth) ASSERT_EQ(at->OpenStorage(QString("level%1").arg(depth), &at), S_OK);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(at->ReadStream("HERE", &bytes), S_OK);
  EXPECT_EQ(bytes, Bytes(std::to_string(kMaxDepth)));
}

TEST(CompoundFile, FilesOfOtherWritersRead) {
  // Written by the earlier storage layer (libgsf): one list with two objects.
  auto doc = TStorage::OpenFile(KERNO_TEST_DATA "/storage/libgsf-sample.knd");
  ASSERT_TRUE(doc);
  EXPECT_GT(WalkAll(doc.get()), 5);
  // The same document from our writer: every stream reads the same.
  auto copy = TStorage::CreateNew();
  const std::function<void(TStorage*, TStorage*)> copyTree = [&](TStorage* from, TStorage* to) {
    for (const TStorageElement& e : from->Elements()) {
      if (e.IsStorage) {
        TStorage* sub = nullptr;
        TStorage* made = nullptr;
        ASSERT_EQ(from->OpenStorage(e.Name, &sub), S_OK);
        ASSERT_EQ(to->CreateStorage(e.Name, &made), S_OK);
        copyTree(sub, made);
      } else {
        std::vector<uint8_t> bytes;
        ASSERT_EQ(from->ReadStream(e.Name, &bytes), S_OK);
        Put(to, e.Name, bytes);
      }
    }
  };
  copyTree(doc.get(), copy.get());
  auto ours = TStorage::OpenBytes(Save(*copy));
  ASSERT_TRUE(ours);
  EXPECT_EQ(Contents(doc.get()), Contents(ours.get()));
  std::vector<uint8_t> bytes;
  EXPECT_EQ(doc->ReadStream("index", &bytes), S_OK);
  EXPECT_FALSE(bytes.empty());
  // A spreadsheet saved by a spreadsheet program.
  auto xls = TStorage::OpenFile(KERNO_TEST_DATA "/tables/sample.xls");
  ASSERT_TRUE(xls);
  ASSERT_EQ(xls->ReadStream("workbook", &bytes), S_OK);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0x09) << "a BIFF record starts the workbook";
}

TEST(CompoundFile, VersionFourWith4096ByteSectors) {
  // Header sector, table (sector 0), directory (1), a stream of two sectors (2, 3).
  const uint32_t ss = 4096;
  std::vector<uint8_t> f(5 * ss, 0);
  std::memcpy(f.data(), kSignature, 8);
  PutLE16(f.data() + kHdrMinorVersion, 0x3E);
  PutLE16(f.data() + kHdrMajorVersion, 4);
  PutLE16(f.data() + kHdrByteOrder, 0xFFFE);
  PutLE16(f.data() + kHdrSectorShift, 12);
  PutLE16(f.data() + kHdrMiniSectorShift, 6);
  Set32(&f, kHdrDirSectors, 1);
  Set32(&f, kHdrFatSectors, 1);
  Set32(&f, kHdrDirStart, 1);
  Set32(&f, kHdrMiniCutoff, 4096);
  Set32(&f, kHdrMiniFatStart, kEndOfChain);
  Set32(&f, kHdrDifatStart, kEndOfChain);
  for (int i = 0; i < kHeaderDifatCount; ++i) Set32(&f, kHdrDifat + 4 * i, i == 0 ? 0 : kFreeSect);
  uint8_t* fat = f.data() + ss;
  std::memset(fat, 0xFF, ss);
  PutLE32(fat, kFatSect);
  PutLE32(fat + 4, kEndOfChain);
  PutLE32(fat + 8, 3);
  PutLE32(fat + 12, kEndOfChain);
  uint8_t* dir = f.data() + 2 * ss;
  for (int i = 0; i < 32; ++i) std::memset(dir + i * 128 + kDeLeft, 0xFF, 12);
  auto entry = [&](int id, const std::u16string& name, uint8_t type, uint32_t child, uint32_t start, uint64_t size) {
    uint8_t* p = dir + id * 128;
    for (size_t c = 0; c < name.size(); ++c) PutLE16(p + 2 * c, name[c]);
    PutLE16(p + kDeNameLength, static_cast<uint16_t>((name.size() + 1) * 2));
    p[kDeType] = type;
    p[kDeColor] = kBlack;
    PutLE32(p + kDeChild, child);
    PutLE32(p + kDeStart, start);
    PutLE32(p + kDeSize, static_cast<uint32_t>(size));
  };
  entry(0, u"Root Entry", kTypeRoot, 1, kEndOfChain, 0);
  entry(1, u"data", kTypeStream, kNoStream, 2, 5000);
  const auto content = Pattern(5000, 9);
  std::memcpy(f.data() + 3 * ss, content.data(), content.size());
  auto r = TStorage::OpenBytes(f);
  ASSERT_TRUE(r);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(r->ReadStream("data", &bytes), S_OK);
  EXPECT_EQ(bytes, content);
  // Version 4 sizes are 64 bits: one near the top must not wrap into a small
  // sector count (and a huge allocation).
  Set32(&f, 2 * ss + 128 + kDeSize + 4, 0xFFFFFFFF);
  Set32(&f, 2 * ss + 128 + kDeSize, 0xFFFFFFFF);
  r = TStorage::OpenBytes(f);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->ReadStream("data", &bytes), STG_E_READFAULT);
  std::vector<uint8_t> scratch;
  std::span<const uint8_t> view;
  EXPECT_EQ(r->ViewStream(u"data", &scratch, &view), STG_E_READFAULT);
  EXPECT_TRUE(view.empty());
}

TEST(CompoundFile, VersionThreeIgnoresTheSizesUpperHalf) {
  // Some writers leave junk there; the format says to ignore it.
  std::vector<uint8_t> f = Save(*Sample());
  Set32(&f, EntryOffset(f, 1) + kDeSize + 4, 0x12345678);
  auto r = TStorage::OpenBytes(f);
  ASSERT_TRUE(r);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(r->ReadStream("a", &bytes), S_OK);
  EXPECT_EQ(bytes, Bytes("alpha"));
}

TEST(CompoundFile, DamagedHeadersAreRefused) {
  auto sample = Sample();
  Put(sample.get(), "pad", Pattern(1 << 20, 3));  // about 2 000 sectors
  const std::vector<uint8_t> good = Save(*sample);
  ASSERT_TRUE(TStorage::OpenBytes(good));
  struct TCase {
    const char* What;
    std::function<void(std::vector<uint8_t>*)> Damage;
  };
  const std::vector<TCase> cases = {
      {"truncated header", [](std::vector<uint8_t>* f) { f->resize(300); }},
      {"byte order", [](std::vector<uint8_t>* f) { PutLE16(f->data() + kHdrByteOrder, 0xFEFF); }},
      {"sector shift", [](std::vector<uint8_t>* f) { PutLE16(f->data() + kHdrSectorShift, 10); }},
      {"version 4 with small sectors", [](std::vector<uint8_t>* f) { PutLE16(f->data() + kHdrMajorVersion, 4); }},
      {"mini sector shift", [](std::vector<uint8_t>* f) { PutLE16(f->data() + kHdrMiniSectorShift, 7); }},
      {"mini stream cutoff", [](std::vector<uint8_t>* f) { Set32(f, kHdrMiniCutoff, 8192); }},
      // Counts that would allocate gigabytes if believed.
      {"table sector count", [](std::vector<uint8_t>* f) { Set32(f, kHdrFatSectors, 0xFFFFFFF0); }},
      {"table sector beyond the file", [](std::vector<uint8_t>* f) { Set32(f, kHdrDifat, 0x00FFFFFF); }},
      {"DIFAT chain looping on itself",
       [](std::vector<uint8_t>* f) {
         // More table sectors than the header lists: the rest would come from DIFAT sectors.
         Set32(f, kHdrFatSectors, 1500);
         Set32(f, kHdrDifatStart, 0);
         Set32(f, kHdrDifatSectors, 1);
         Set32(f, SectorOffset(0) + 4 * 127, 0);
       }},
      {"directory beyond the file", [](std::vector<uint8_t>* f) { Set32(f, kHdrDirStart, 0x10000); }},
      {"directory chain loop",
       [](std::vector<uint8_t>* f) {
         const uint32_t dirStart = At32(*f, kHdrDirStart);
         Set32(f, SectorOffset(0) + 4 * dirStart, dirStart);
       }},
      {"no root entry", [](std::vector<uint8_t>* f) { (*f)[EntryOffset(*f, 0) + kDeType] = kTypeStorage; }},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> f = good;
    c.Damage(&f);
    HRESULT hr = S_OK;
    EXPECT_EQ(TStorage::OpenBytes(f, &hr), nullptr) << c.What;
    EXPECT_EQ(hr, STG_E_INVALIDHEADER) << c.What;
  }
}

TEST(CompoundFile, DamagedStreamsFailWithoutHangingOrHugeAllocations) {
  const std::vector<uint8_t> good = Save(*Sample());
  struct TCase {
    const char* What;
    const char* Stream;
    std::function<void(std::vector<uint8_t>*)> Damage;
  };
  // Entry 2 is "big" (regular sectors), entry 1 "a" and entry 4 "small2" (mini stream).
  auto fatEntry = [](uint32_t s) { return SectorOffset(0) + 4 * s; };
  const std::vector<TCase> cases = {
      {"table chain looping back", "big",
       [&](std::vector<uint8_t>* f) {
         const uint32_t start = At32(*f, EntryOffset(*f, 2) + kDeStart);
         Set32(f, fatEntry(start + 3), start + 1);
       }},
      {"table chain ending early", "big",
       [&](std::vector<uint8_t>* f) {
         const uint32_t start = At32(*f, EntryOffset(*f, 2) + kDeStart);
         Set32(f, fatEntry(start + 3), kEndOfChain);
       }},
      {"start sector beyond the file", "big",
       [&](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 2) + kDeStart, 0x7FFFFFF0); }},
      {"size beyond the file", "big",
       [&](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 2) + kDeSize, 0x7FFFFFFF); }},
      {"mini chain looping on itself", "small2",
       [&](std::vector<uint8_t>* f) {
         const uint32_t start = At32(*f, EntryOffset(*f, 4) + kDeStart);
         Set32(f, SectorOffset(At32(*f, kHdrMiniFatStart)) + 4 * start, start);
       }},
      {"mini sector beyond the mini stream", "small2",
       [&](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 4) + kDeStart, 5000); }},
      {"mini stream chain cut", "small2",
       [&](std::vector<uint8_t>* f) {
         // The mini stream is one sector long here: the whole stream is lost.
         Set32(f, EntryOffset(*f, 0) + kDeStart, 0x00FFFFFF);
       }},
      {"mini table missing", "a", [&](std::vector<uint8_t>* f) { Set32(f, kHdrMiniFatStart, kEndOfChain); }},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> f = good;
    c.Damage(&f);
    auto r = TStorage::OpenBytes(f);
    ASSERT_TRUE(r) << c.What << ": the directory is sound, the file opens";
    std::vector<uint8_t> bytes = Bytes("stale");
    EXPECT_EQ(r->ReadStream(c.Stream, &bytes), STG_E_READFAULT) << c.What;
    EXPECT_TRUE(bytes.empty()) << c.What;
    TComPtr<IStream> stream;
    EXPECT_EQ(r->OpenStream(c.Stream, stream.Put()), STG_E_READFAULT) << c.What;
    std::vector<uint8_t> scratch;
    std::span<const uint8_t> view;
    const std::u16string name(c.Stream, c.Stream + std::strlen(c.Stream));
    EXPECT_EQ(r->ViewStream(name, &scratch, &view), STG_E_READFAULT) << c.What;
    EXPECT_TRUE(view.empty() && scratch.empty()) << c.What;
    // The streams the damage does not touch still read.
    TStorage* sub = nullptr;
    ASSERT_EQ(r->OpenStorage("sub", &sub), S_OK) << c.What;
    if (std::string(c.What).find("mini") == std::string::npos) {
      ASSERT_EQ(sub->ReadStream("b", &bytes), S_OK) << c.What;
      EXPECT_EQ(bytes, Bytes("beta")) << c.What;
    }
  }
}

TEST(CompoundFile, EveryListedElementOpensByItsListedName) {
  // Names another writer (or damage) left behind: an unpaired surrogate must
  // survive the trip to a QString and back, and of two names equal without
  // case only the one that lookups find is listed.
  std::vector<uint8_t> f = Save(*Sample());
  PutLE16(f.data() + EntryOffset(f, 1), 0xD800);  // "a" becomes an unpaired high surrogate
  PutLE16(f.data() + EntryOffset(f, 4), u'B');    // "small2" becomes "BiG", equal to "big" without case
  PutLE16(f.data() + EntryOffset(f, 4) + 2, u'i');
  PutLE16(f.data() + EntryOffset(f, 4) + 4, u'G');
  PutLE16(f.data() + EntryOffset(f, 4) + 6, 0);
  PutLE16(f.data() + EntryOffset(f, 4) + kDeNameLength, 8);
  auto r = TStorage::OpenBytes(f);
  ASSERT_TRUE(r);
  const std::vector<TStorageElement> elements = r->Elements();
  EXPECT_EQ(elements.size(), 3u) << "one of \"big\" and \"BiG\"";
  for (const TStorageElement& e : elements) {
    EXPECT_TRUE(r->ElementExists(e.Name));
    if (e.IsStorage) continue;
    std::vector<uint8_t> bytes;
    ASSERT_EQ(r->ReadStream(e.Name, &bytes), S_OK);
    EXPECT_EQ(bytes.size(), e.Size) << "the listed element is the one its name reads";
  }
  EXPECT_TRUE(r->ElementExists(QString(QChar(0xD800))));
}

TEST(CompoundFile, DirectoryCyclesEndTheWalk) {
  // A tree walk over a damaged directory must end: an entry belongs to the
  // first storage that reaches it, and each is listed once.
  const std::vector<uint8_t> good = Save(*Sample());
  struct TCase {
    const char* What;
    std::function<void(std::vector<uint8_t>*)> Damage;
  };
  const std::vector<TCase> cases = {
      {"storage containing itself", [](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 3) + kDeChild, 3); }},
      {"storage containing the root's tree",
       [](std::vector<uint8_t>* f) {
         Set32(f, EntryOffset(*f, 3) + kDeChild, At32(*f, EntryOffset(*f, 0) + kDeChild));
       }},
      {"root as its own child", [](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 0) + kDeChild, 0); }},
      {"siblings pointing at each other",
       [](std::vector<uint8_t>* f) {
         for (int id = 1; id <= 4; ++id) {
           Set32(f, EntryOffset(*f, id) + kDeLeft, static_cast<uint32_t>(id % 4 + 1));
           Set32(f, EntryOffset(*f, id) + kDeRight, static_cast<uint32_t>((id + 2) % 4 + 1));
         }
       }},
      {"links beyond the directory",
       [](std::vector<uint8_t>* f) { Set32(f, EntryOffset(*f, 3) + kDeChild, 0x7FFFFFFF); }},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> f = good;
    c.Damage(&f);
    auto r = TStorage::OpenBytes(f);
    if (!r) continue;
    EXPECT_LE(WalkAll(r.get()), 5) << c.What << ": no entry is listed twice";
  }
  // A chain of storages deeper than the limit is refused rather than handed
  // to callers that walk the tree recursively.
  auto deep = TStorage::CreateNew();
  TStorage* s = deep.get();
  for (int i = 0; i < kMaxDepth; ++i) ASSERT_EQ(s->CreateStorage(QString("s%1").arg(i), &s), S_OK);
  Put(s, "leaf", Bytes("x"));
  std::vector<uint8_t> f = Save(*deep);
  ASSERT_TRUE(TStorage::OpenBytes(f));
  // Turn the stream under the deepest storage into a storage holding another: one level too deep.
  const int leaf = kMaxDepth + 1;
  ASSERT_EQ(GetLE16(f.data() + EntryOffset(f, leaf) + kDeNameLength), 10u) << "the entry of \"leaf\"";
  f[EntryOffset(f, leaf) + kDeType] = kTypeStorage;
  Set32(&f, EntryOffset(f, leaf) + kDeChild, static_cast<uint32_t>(leaf + 1));
  Set32(&f, EntryOffset(f, leaf + 1) + kDeLeft, kNoStream);
  Set32(&f, EntryOffset(f, leaf + 1) + kDeRight, kNoStream);
  Set32(&f, EntryOffset(f, leaf + 1) + kDeChild, kNoStream);
  f[EntryOffset(f, leaf + 1) + kDeType] = kTypeStream;
  HRESULT hr = S_OK;
  EXPECT_EQ(TStorage::OpenBytes(f, &hr), nullptr);
  EXPECT_EQ(hr, STG_E_INVALIDHEADER);
}

// A view shows the file's own bytes where a stream's sectors lie together and
// gathers them where they do not; either way it reads what ReadStream reads.
TEST(CompoundFile, ViewsMatchReadsWhetherSectorsLieTogetherOrApart) {
  std::vector<uint8_t> f = Save(*Sample());
  auto views = [](std::vector<uint8_t> file, bool expectScattered) {
    auto r = TStorage::OpenBytes(std::move(file));
    ASSERT_TRUE(r);
    for (const char* name : {"a", "big", "small2"}) {
      std::vector<uint8_t> read, scratch;
      ASSERT_EQ(r->ReadStream(name, &read), S_OK) << name;
      std::span<const uint8_t> view;
      const std::u16string wide(name, name + std::strlen(name));
      ASSERT_EQ(r->ViewStream(wide, &scratch, &view), S_OK) << name;
      EXPECT_TRUE(std::equal(view.begin(), view.end(), read.begin(), read.end())) << name;
      // Only the reordered streams need the scratch buffer.
      const bool reordered = expectScattered && std::strcmp(name, "a") != 0;
      EXPECT_EQ(!scratch.empty() && view.data() == scratch.data(), reordered) << name;
    }
  };
  views(f, false);

  // "big": sectors start+1 and start+2 trade places and the chain follows them.
  auto fatEntry = [](uint32_t s) { return SectorOffset(0) + 4 * s; };
  const uint32_t start = At32(f, EntryOffset(f, 2) + kDeStart);
  std::swap_ranges(f.begin() + static_cast<ptrdiff_t>(SectorOffset(start + 1)),
                   f.begin() + static_cast<ptrdiff_t>(SectorOffset(start + 2)),
                   f.begin() + static_cast<ptrdiff_t>(SectorOffset(start + 2)));
  Set32(&f, fatEntry(start), start + 2);
  Set32(&f, fatEntry(start + 2), start + 1);
  Set32(&f, fatEntry(start + 1), start + 3);
  // "small2" (five mini sectors): its first two trade places the same way.
  const uint32_t mini = At32(f, EntryOffset(f, 4) + kDeStart);
  const size_t miniBase = SectorOffset(At32(f, EntryOffset(f, 0) + kDeStart));
  std::swap_ranges(f.begin() + static_cast<ptrdiff_t>(miniBase + 64 * mini),
                   f.begin() + static_cast<ptrdiff_t>(miniBase + 64 * (mini + 1)),
                   f.begin() + static_cast<ptrdiff_t>(miniBase + 64 * (mini + 1)));
  const size_t miniFat = SectorOffset(At32(f, kHdrMiniFatStart));
  const uint32_t after = At32(f, miniFat + 4 * (mini + 1));
  Set32(&f, EntryOffset(f, 4) + kDeStart, mini + 1);
  Set32(&f, miniFat + 4 * (mini + 1), mini);
  Set32(&f, miniFat + 4 * mini, after);
  views(f, true);
  auto r = TStorage::OpenBytes(f);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(r->ReadStream("big", &bytes), S_OK);
  EXPECT_EQ(bytes, Pattern(20000, 1));
  ASSERT_EQ(r->ReadStream("small2", &bytes), S_OK);
  EXPECT_EQ(bytes, Pattern(300, 2));
}

// Children named by position are found by number, every other name through
// the name index; both kinds of name must find exactly their own element.
// A storage of a few elements (an object's "index", "version" and its own
// streams) is searched name by name, a larger one through its name index:
// both find names without case and the numbered ones by number, asked in
// any order (the small one tries the child after the last one found first).
TEST(CompoundFile, SmallAndLargeStoragesFindTheSameNames) {
  for (const int extra : {0, 12}) {
    auto root = TStorage::CreateNew();
    std::vector<QString> names = {"index", "ruller0", "ruller1", "0", QString::fromUtf8("Скважина"), "4294967295"};
    for (int i = 0; i < extra; ++i) names.push_back(QStringLiteral("extra%1").arg(i));
    for (const QString& n : names) Put(root.get(), n, Bytes(n.toStdString()));
    auto r = TStorage::OpenBytes(Save(*root));
    ASSERT_TRUE(r);
    SCOPED_TRACE(names.size());
    std::vector<uint8_t> scratch;
    std::span<const uint8_t> view;
    for (const QString& n : names) {
      for (const QString& asked : {n, n.toUpper(), n.toLower()}) {
        const std::u16string name = asked.toStdU16String();
        ASSERT_EQ(r->ViewStream(name, &scratch, &view), S_OK) << asked.toStdString();
        EXPECT_EQ(std::string(view.begin(), view.end()), n.toStdString());
      }
    }
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
      ASSERT_EQ(r->ViewStream(n->toStdU16String(), &scratch, &view), S_OK) << n->toStdString();
      EXPECT_EQ(std::string(view.begin(), view.end()), n->toStdString());
    }
    for (const char16_t* absent : {u"ruller2", u"indexx", u"inde", u"", u"1"})
      EXPECT_EQ(r->ViewStream(absent, &scratch, &view), STG_E_FILENOTFOUND);
    ASSERT_EQ(r->ViewStreamAt(0, &scratch, &view), S_OK);
    EXPECT_EQ(std::string(view.begin(), view.end()), "0");
    // A position beyond nine digits is found by its name.
    ASSERT_EQ(r->ViewStreamAt(4294967295u, &scratch, &view), S_OK);
    EXPECT_EQ(std::string(view.begin(), view.end()), "4294967295");
    for (uint32_t absent : {1u, 5u, 429496729u})
      EXPECT_EQ(r->ViewStreamAt(absent, &scratch, &view), STG_E_FILENOTFOUND) << absent;
  }
}

TEST(CompoundFile, NumberedAndOtherNamesFindTheirOwnElements) {
  auto root = TStorage::CreateNew();
  const std::vector<QString> names = {"0", "1", "3", "12", "007", "00", "index", "2x", "4294967296", "\u0663"};
  for (const QString& n : names) Put(root.get(), n, Bytes(n.toStdString()));
  auto r = TStorage::OpenBytes(Save(*root));
  ASSERT_TRUE(r);
  for (const QString& n : names) {
    std::vector<uint8_t> bytes;
    ASSERT_EQ(r->ReadStream(n, &bytes), S_OK) << n.toStdString();
    EXPECT_EQ(bytes, Bytes(n.toStdString())) << n.toStdString();
  }
  for (const char* absent : {"2", "7", "10", "012", "-1", "+1", ""}) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(r->ReadStream(absent, &bytes), STG_E_FILENOTFOUND) << absent;
  }
  // By position: below the child count through the table, beyond it by name.
  std::vector<uint8_t> scratch;
  std::span<const uint8_t> view;
  for (uint32_t position : {0u, 1u, 3u, 12u}) {
    ASSERT_EQ(r->ViewStreamAt(position, &scratch, &view), S_OK) << position;
    const std::string name = std::to_string(position);
    EXPECT_EQ(std::string(view.begin(), view.end()), name);
  }
  for (uint32_t position : {2u, 7u, 10u, 4294967295u})
    EXPECT_EQ(r->ViewStreamAt(position, &scratch, &view), STG_E_FILENOTFOUND) << position;
  TStorage* sub = nullptr;
  EXPECT_EQ(r->OpenStorageAt(0, &sub), STG_E_FILENOTFOUND) << "a stream is no storage";

  // Listed in the format's order (decimal names compare as their numbers do),
  // also when damage leaves the sibling tree out of order: "1" (entry 2, as
  // our writer stores the elements in the order they came) becomes "99".
  auto expectOrdered = [](const std::vector<TStorageElement>& elements) {
    for (size_t i = 1; i < elements.size(); ++i) {
      const QString& a = elements[i - 1].Name;
      const QString& b = elements[i].Name;
      EXPECT_LT(CompareNames(std::u16string_view(reinterpret_cast<const char16_t*>(a.utf16()), a.size()),
                             std::u16string_view(reinterpret_cast<const char16_t*>(b.utf16()), b.size())),
                0)
          << a.toStdString() << " before " << b.toStdString();
    }
  };
  expectOrdered(r->Elements());
  std::vector<uint8_t> f = Save(*root);
  PutLE16(f.data() + EntryOffset(f, 2), u'9');
  PutLE16(f.data() + EntryOffset(f, 2) + 2, u'9');
  PutLE16(f.data() + EntryOffset(f, 2) + kDeNameLength, 6);
  auto damaged = TStorage::OpenBytes(f);
  ASSERT_TRUE(damaged);
  expectOrdered(damaged->Elements());
  EXPECT_EQ(damaged->Elements().size(), names.size());
  std::vector<uint8_t> bytes;
  ASSERT_EQ(damaged->ReadStream("99", &bytes), S_OK);
  EXPECT_EQ(bytes, Bytes("1"));
  EXPECT_EQ(damaged->ReadStream("1", &bytes), STG_E_FILENOTFOUND);
}
