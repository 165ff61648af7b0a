#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uMemoryBytes.h"
#include "uMemoryStream.h"
#include "uNewQS.h"
#include "uPlainStream.h"

// The largest single allocation made anywhere in the process (the library's
// allocations included): a hostile header must not make the loader reserve
// memory for what it announces.
static std::atomic<size_t> gLargestAllocation{0};
// Allocations of this size or more fail, as when memory runs out.
static std::atomic<size_t> gRefuseFrom{SIZE_MAX};

static void* Allocate(size_t size) {
  size_t seen = gLargestAllocation.load();
  while (size > seen && !gLargestAllocation.compare_exchange_weak(seen, size)) {
  }
  if (size >= gRefuseFrom.load()) return nullptr;
  return std::malloc(size ? size : 1);
}
// Default visibility, so the library's allocations come here too. The replacements
// pair malloc with free on purpose, which GCC cannot see through inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#define KERNO_REPLACE __attribute__((visibility("default")))
KERNO_REPLACE void* operator new(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
KERNO_REPLACE void* operator new[](size_t size) { return operator new(size); }
KERNO_REPLACE void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
KERNO_REPLACE void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
KERNO_REPLACE void operator delete(void* p) noexcept { std::free(p); }
KERNO_REPLACE void operator delete[](void* p) noexcept { std::free(p); }
KERNO_REPLACE void operator delete(void* p, size_t) noexcept { std::free(p); }
KERNO_REPLACE void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {
using TBytes = std::vector<uint8_t>;

TBytes Saved(ICompoundStream* s) {
  TComPtr<IStream> memory;
  CreateMemoryStream(memory.Put());
  EXPECT_EQ(qsSaveToStream(s, memory.Get()), S_OK);
  TBytes bytes;
  ReadWholeStream(memory.Get(), &bytes);
  return bytes;
}

TComPtr<ICompoundStream> Loaded(const TBytes& bytes, HRESULT expect = S_OK) {
  TComPtr<ICompoundStream> s;
  EXPECT_EQ(qsCreateFromStream(MemoryStreamFrom(bytes.data(), bytes.size()).Get(), s.Put()), expect);
  if (expect != S_OK) {
    EXPECT_FALSE(s);  // no half-loaded container escapes
  }
  return s;
}

HRESULT Dirty(ICompoundStream* s) {
  return TComPtr<ICompoundStream>(s).As<IPersistStream>(IID_IPersistStream)->IsDirty();
}

void PutLE32(TBytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Header and directory records, the data area appended by the caller.
TBytes Header(int32_t count) {
  TBytes b = {'M', 'T', 'S', 'Q'};
  PutLE32(b, static_cast<uint32_t>(count));
  PutLE32(b, 0);
  PutLE32(b, 0);
  return b;
}
void Record(TBytes& b, int32_t id, int32_t tag, uint32_t size) {
  PutLE32(b, static_cast<uint32_t>(id));
  PutLE32(b, static_cast<uint32_t>(tag));
  PutLE32(b, size);
  PutLE32(b, 0);
}

std::filesystem::path TempDir() {
  auto dir = std::filesystem::temp_directory_path() / ("kerno_qs_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}
}  // namespace

TEST(QsSerialisation, EmptyContainerIsSixteenBytesAndLoadsUnmodified) {
  auto s = NewQS();
  EXPECT_EQ(Dirty(s.Get()), S_OK);  // new containers start modified
  const TBytes expect = {0x4D, 0x54, 0x53, 0x51, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Saved(s.Get()), expect);
  auto back = Loaded(expect);
  EXPECT_EQ(Dirty(back.Get()), S_FALSE);
  uint64_t size = 0;
  EXPECT_EQ(qsGetSize(back.Get(), &size), S_OK);
  EXPECT_EQ(size, 16u);
}

TEST(QsSerialisation, EveryTagIsWrittenByteForByte) {
  auto s = NewQS();
  s->WriteInteger(5, 7);
  s->WriteShortString(-2, MakeShortString("ab"));
  s->WriteDouble(3, 1.5);
  const uint8_t blob[] = {1, 2, 3};
  s->WriteBuffer(4, blob, 3);
  s->WriteInteger(9, 1);
  s->DeleteValue(9);  // keeps its record, tag 0 and size 0
  const TBytes expect = {0x4D, 0x54, 0x53, 0x51, 5,   0,   0, 0, 0, 0, 0, 0, 0,    0,    0, 0,      // header
                         5,    0,    0,    0,    1,   0,   0, 0, 4, 0, 0, 0, 0,    0,    0, 0,      // Integer
                         0xFE, 0xFF, 0xFF, 0xFF, 2,   0,   0, 0, 2, 0, 0, 0, 0,    0,    0, 0,      // String
                         3,    0,    0,    0,    3,   0,   0, 0, 8, 0, 0, 0, 0,    0,    0, 0,      // Double
                         4,    0,    0,    0,    4,   0,   0, 0, 3, 0, 0, 0, 0,    0,    0, 0,      // Binary
                         9,    0,    0,    0,    0,   0,   0, 0, 0, 0, 0, 0, 0,    0,    0, 0,      // deleted
                         7,    0,    0,    0,    'a', 'b', 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 1, 2, 3};  // data
  EXPECT_EQ(Saved(s.Get()), expect);
  uint64_t size = 0;
  qsGetSize(s.Get(), &size);
  EXPECT_EQ(size, expect.size());

  auto back = Loaded(expect);
  EXPECT_EQ(qsReadInteger(back.Get(), 5, 0), 7);
  EXPECT_EQ(qsReadShortStr(back.Get(), -2, ""), "ab");
  EXPECT_EQ(qsReadDouble(back.Get(), 3, 0), 1.5);
  int32_t v = 0;
  EXPECT_EQ(back->ReadInteger(9, 0, 9, &v), S_OK);
  EXPECT_EQ(v, 9);
  uint32_t n = 99;
  EXPECT_EQ(back->ReadData(9, 0, nullptr, &n), S_OK);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(Saved(back.Get()), expect);
}

TEST(QsSerialisation, RewritingAnIdKeepsItsPlace) {
  auto s = NewQS();
  s->WriteInteger(5, 7);
  s->WriteInteger(6, 8);
  s->WriteShortString(5, MakeShortString("ab"));
  TBytes expect = Header(2);
  Record(expect, 5, qsString, 2);
  Record(expect, 6, qsInteger, 4);
  expect.insert(expect.end(), {'a', 'b', 8, 0, 0, 0});
  EXPECT_EQ(Saved(s.Get()), expect);
}

// Stored files may carry duplicate IDs and tags this version does not know:
// both survive a load and a save, and reads see the first entry.
TEST(QsSerialisation, DuplicateIdsAndUnknownTagsAreKept) {
  TBytes bytes = Header(3);
  Record(bytes, 9, qsInteger, 4);
  Record(bytes, 9, qsInteger, 4);
  Record(bytes, 2, 77, 2);
  bytes.insert(bytes.end(), {1, 0, 0, 0, 2, 0, 0, 0, 0xAB, 0xCD});
  auto s = Loaded(bytes);
  EXPECT_EQ(qsReadInteger(s.Get(), 9, 0), 1);
  uint8_t raw[2] = {};
  uint32_t n = 2;
  EXPECT_EQ(s->ReadData(2, 0, raw, &n), S_OK);
  EXPECT_EQ(raw[1], 0xCD);
  EXPECT_EQ(qsReadInteger(s.Get(), 2, -1), -1);
  EXPECT_EQ(Saved(s.Get()), bytes);
  s->WriteInteger(9, 5);  // replaces the first, the second stays
  bytes[bytes.size() - 10] = 5;
  EXPECT_EQ(Saved(s.Get()), bytes);
}

TEST(QsSerialisation, SurplusBytesAreIgnoredAndNotTruncatedBySave) {
  TBytes bytes = Header(1);
  Record(bytes, 1, qsInteger, 4);
  bytes.insert(bytes.end(), {3, 0, 0, 0, 0xEE, 0xEE, 0xEE});
  auto s = Loaded(bytes);
  EXPECT_EQ(qsReadInteger(s.Get(), 1, 0), 3);

  const TBytes filler(100, 0xEE);
  TComPtr<IStream> target = MemoryStreamFrom(filler.data(), filler.size());
  ASSERT_EQ(qsSaveToStream(NewQS().Get(), target.Get()), S_OK);
  TBytes after;
  ReadWholeStream(target.Get(), &after);
  ASSERT_EQ(after.size(), 100u);
  EXPECT_EQ(TBytes(after.begin(), after.begin() + 16), Header(0));
  EXPECT_EQ(after[16], 0xEE);
  EXPECT_TRUE(Loaded(after));
}

// A stream that ends before what its header announces is refused; nothing
// with undefined contents is produced and nothing huge is allocated.
TEST(QsLoading, TruncatedAndCorruptStreamsFail) {
  TBytes good = Header(2);
  Record(good, 1, qsInteger, 4);
  Record(good, 2, qsBinary, 6);
  good.insert(good.end(), {1, 0, 0, 0, 1, 2, 3, 4, 5, 6});
  ASSERT_TRUE(Loaded(good));
  for (size_t cut : {0ul, 3ul, 15ul, 16ul, 40ul, 48ul, 50ul, good.size() - 1})
    Loaded(TBytes(good.begin(), good.begin() + cut), E_FAIL);

  TBytes wrongMagic = good;
  wrongMagic[3] = 'X';
  Loaded(wrongMagic, E_FAIL);

  gLargestAllocation = 0;
  TBytes hostileCount = Header(0x7FFFFFFF);
  Record(hostileCount, 1, qsInteger, 4);
  Loaded(hostileCount, E_FAIL);
  Loaded(Header(static_cast<int32_t>(0x80000000)), E_FAIL);
  TBytes hostileSize = Header(2);
  Record(hostileSize, 1, qsBinary, 0xFFFFFFF0u);
  Record(hostileSize, 2, qsBinary, 0xFFFFFFF0u);
  hostileSize.insert(hostileSize.end(), 64, 0);
  Loaded(hostileSize, E_FAIL);
  EXPECT_LT(gLargestAllocation.load(), 1u << 20);
  // The probe does see the library's own allocations.
  const TBytes big(4u << 20, 1);
  gLargestAllocation = 0;
  NewQS()->WriteBuffer(1, big.data(), static_cast<int32_t>(big.size()));
  EXPECT_GE(gLargestAllocation.load(), big.size());
}

TEST(QsLoading, FailedLoadDropsTheFormerContent) {
  auto s = NewQS();
  s->WriteInteger(1, 1);
  auto persist = s.As<IPersistStream>(IID_IPersistStream);
  const TBytes junk = {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(persist->Load(MemoryStreamFrom(junk.data(), junk.size()).Get()), E_FAIL);
  EXPECT_EQ(qsReadInteger(s.Get(), 1, -1), -1);
  EXPECT_EQ(persist->Load(nullptr), E_INVALIDARG);
}

TEST(QsValues, TypedReadsFallBackToTheirDefault) {
  auto s = NewQS();
  s->WriteDouble(1, 2.5);
  int32_t v = 123;
  EXPECT_EQ(s->ReadInteger(7, qsRequired, 9, &v), E_INVALIDARG);
  EXPECT_EQ(v, 123);  // untouched when required and absent
  EXPECT_EQ(s->ReadInteger(7, 0, 9, &v), S_OK);
  EXPECT_EQ(v, 9);
  EXPECT_EQ(s->ReadInteger(1, 0, 4, &v), S_OK);  // a Double is no Integer
  EXPECT_EQ(v, 4);

  // A 300-byte String is cut at 255 by the short read; ReadString gives it whole.
  TComPtr<ICompoundStream2> s2 = s.As<ICompoundStream2>(IID_ICompoundStream2);
  const std::string text(300, 'q');
  ASSERT_EQ(s2->WriteString(2, text.data(), 300), S_OK);
  TShortString out{};
  EXPECT_EQ(s->ReadShortString(2, 0, MakeShortString("d"), &out), S_OK);
  EXPECT_EQ(out.Length, 255);
  EXPECT_EQ(qsReadString(s.Get(), 2, ""), text);
  uint32_t length = 0;
  EXPECT_EQ(s2->ReadString(2, nullptr, &length), S_OK);
  EXPECT_EQ(length, 300u);

  // ReadData: null buffer gives the size, a smaller buffer gets what fits.
  uint8_t two[2];
  uint32_t size = 0;
  EXPECT_EQ(s->ReadData(1, 0, nullptr, &size), S_OK);
  EXPECT_EQ(size, 8u);
  size = 2;
  EXPECT_EQ(s->ReadData(1, 0, two, &size), S_OK);
  EXPECT_EQ(size, 2u);
}

TEST(QsValues, FailedWriteLeavesAnEmptyEntryAndMarksModified) {
  auto s = Loaded(Header(0));
  ASSERT_EQ(Dirty(s.Get()), S_FALSE);
  EXPECT_EQ(s->WriteBuffer(7, nullptr, 3), E_INVALIDARG);
  EXPECT_EQ(Dirty(s.Get()), S_OK);
  TBytes expect = Header(1);
  Record(expect, 7, qsEmpty, 0);
  EXPECT_EQ(Saved(s.Get()), expect);
  const char none = 0;
  EXPECT_EQ(s->WriteBuffer(8, &none, 0), S_OK);  // zero-byte values are legal
}

// Rewriting a value from its own borrowed block must copy before freeing.
TEST(QsValues, RewriteFromItsOwnBlockIsSafe) {
  auto s = NewQS();
  const std::string text = "self-referencing value";
  s->WriteBuffer(1, text.data(), static_cast<int32_t>(text.size()));
  TCompoundEntry e{};
  ASSERT_EQ(s->GetEntry(1, &e), S_OK);
  ASSERT_EQ(s->WriteBuffer(1, e.Data, static_cast<int32_t>(e.Size)), S_OK);
  ASSERT_EQ(s->GetEntry(1, &e), S_OK);
  EXPECT_EQ(std::string(static_cast<char*>(e.Data), e.Size), text);
}

TEST(QsValues, StreamsInAndOut) {
  auto s = NewQS();
  const uint8_t src[] = {9, 8, 7, 6, 5};
  TComPtr<IStream> source = MemoryStreamFrom(src, 5);
  source->Seek(0, STREAM_SEEK_END, nullptr);  // taken from offset 0 regardless
  ASSERT_EQ(s->WriteStream(1, source.Get(), -1), S_OK);
  ASSERT_EQ(s->WriteStream(2, source.Get(), 2), S_OK);
  EXPECT_EQ(s->WriteStream(3, source.Get(), 50), E_FAIL);  // the source ends early: nothing stored
  TCompoundEntry e{};
  ASSERT_EQ(s->GetEntry(1, &e), S_OK);
  EXPECT_EQ(e.Size, 5u);
  EXPECT_EQ(std::memcmp(e.Data, src, 5), 0);
  ASSERT_EQ(s->GetEntry(2, &e), S_OK);
  EXPECT_EQ(e.Size, 2u);
  // Large values too: a source that ends early changes nothing.
  const TBytes large(10000, 0x42);
  TComPtr<IStream> big = MemoryStreamFrom(large.data(), large.size());
  ASSERT_EQ(s->WriteStream(2, big.Get(), -1), S_OK);
  EXPECT_EQ(s->WriteStream(2, big.Get(), 20000), E_FAIL);
  EXPECT_EQ(s->WriteStream(3, big.Get(), 20000), E_FAIL);
  EXPECT_EQ(s->GetEntry(3, &e), E_INVALIDARG);
  ASSERT_EQ(s->GetEntry(2, &e), S_OK);
  ASSERT_EQ(e.Size, large.size());
  EXPECT_EQ(std::memcmp(e.Data, large.data(), large.size()), 0);
  ASSERT_EQ(s->WriteStream(2, source.Get(), 2), S_OK);

  TComPtr<IStream> out;
  ASSERT_EQ(qsReadStream(s.Get(), 1, out.Put()), S_OK);
  TBytes bytes;
  ReadWholeStream(out.Get(), &bytes);
  EXPECT_EQ(bytes, TBytes(src, src + 5));
  s->WriteInteger(4, 1);
  EXPECT_EQ(qsReadStream(s.Get(), 4, out.Put()), E_PENDING);
  EXPECT_TRUE(out);  // still holds the empty memory stream
}

// An empty Binary (written, or loaded) goes to the caller's stream through a
// valid pointer, and an empty memory stream copies out the same way: some
// callers' streams refuse a null buffer even for no bytes.
TEST(QsValues, EmptyValuesReachStreamsThatRefuseNullBuffers) {
  auto written = NewQS();
  const uint8_t none = 0;
  ASSERT_EQ(written->WriteBuffer(1, &none, 0), S_OK);
  for (const auto& s : {written, Loaded(Saved(written.Get()))}) {
    ASSERT_TRUE(s);
    TComPtr<TPlainStream> target(new TPlainStream("old", 3));
    target->RefuseNullBuffers();
    EXPECT_EQ(s->ReadStream(1, 0, target.Get()), S_OK);
    uint64_t at = 9;
    ASSERT_EQ(target->Seek(0, STREAM_SEEK_CUR, &at), S_OK);
    EXPECT_EQ(at, 0u) << "positioned at the start, nothing written";
  }
  TComPtr<IStream> empty;
  ASSERT_EQ(CreateMemoryStream(empty.Put()), S_OK);
  TComPtr<TPlainStream> target(new TPlainStream("", 0));
  target->RefuseNullBuffers();
  uint64_t read = 9, wrote = 9;
  EXPECT_EQ(empty->CopyTo(target.Get(), 100, &read, &wrote), S_OK);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(wrote, 0u);
}

TEST(QsLibrary, NestingAndIsCompoundStream) {
  auto parent = NewQS();
  auto child = NewQS();
  ASSERT_EQ(qsWriteCompoundStream(parent.Get(), 10, child.Get()), S_OK);
  EXPECT_EQ(Dirty(child.Get()), S_FALSE);  // saving the child cleared its flag
  TCompoundEntry e{};
  ASSERT_EQ(parent->GetEntry(10, &e), S_OK);
  EXPECT_EQ(e.Tag, qsBinary);
  EXPECT_EQ(TBytes(static_cast<uint8_t*>(e.Data), static_cast<uint8_t*>(e.Data) + e.Size), Header(0));

  child->WriteInteger(1, 77);
  auto grandchild = NewQS();
  grandchild->WriteShortString(2, MakeShortString("deep"));
  ASSERT_EQ(qsWriteCompoundStream(child.Get(), 3, grandchild.Get()), S_OK);
  ASSERT_EQ(qsWriteCompoundStream(parent.Get(), 11, child.Get()), S_OK);
  child->WriteInteger(1, 78);  // embedded as bytes: later changes do not reach the parent

  auto loaded = Loaded(Saved(parent.Get()));
  TComPtr<ICompoundStream> c, g;
  ASSERT_EQ(qsReadCompoundStream(loaded.Get(), 11, c.Put()), S_OK);
  EXPECT_EQ(qsReadInteger(c.Get(), 1, 0), 77);
  ASSERT_EQ(qsReadCompoundStream(c.Get(), 3, g.Put()), S_OK);
  EXPECT_EQ(qsReadShortStr(g.Get(), 2, ""), "deep");

  loaded->WriteInteger(20, 5);
  const char junk[] = "NOPE-not-a-stream";
  loaded->WriteBuffer(21, junk, sizeof junk);
  EXPECT_EQ(qsIsCompoundStream(loaded.Get(), 11), S_OK);
  EXPECT_EQ(qsIsCompoundStream(loaded.Get(), 20), E_PENDING);
  EXPECT_EQ(qsIsCompoundStream(loaded.Get(), 99), E_PENDING);
  EXPECT_EQ(qsIsCompoundStream(loaded.Get(), 21), E_FAIL);
  EXPECT_EQ(qsReadCompoundStream(loaded.Get(), 21, c.Put()), E_FAIL);
  EXPECT_FALSE(c);
  EXPECT_EQ(qsReadCompoundStream(loaded.Get(), 20, c.Put()), E_PENDING);
}

TEST(QsLibrary, CopyIsDeepAndClearsModifiedFlags) {
  auto s = NewQS();
  s->WriteInteger(1, 1);
  TComPtr<ICompoundStream> copy;
  ASSERT_EQ(qsCopy(s.Get(), copy.Put()), S_OK);
  EXPECT_EQ(Dirty(copy.Get()), S_FALSE);
  EXPECT_EQ(Dirty(s.Get()), S_FALSE);
  s->WriteInteger(1, 2);
  EXPECT_EQ(qsReadInteger(copy.Get(), 1, 0), 1);
}

// A save reuses one emptied container for object after object: whatever it
// held before (small values in several arena chunks, large values in blocks
// of their own, a loaded image, a hashed index), it then answers and saves
// as a new one would.
TEST(QsLibrary, EmptiedContainersAnswerAndSaveAsNewOnes) {
  const auto fill = [](ICompoundStream* s, int round) {
    for (int32_t id = 0; id < 40; ++id) s->WriteInteger(1000 - id * 3 + round, id * round);
    s->WriteDouble(7, 0.5 * round);
    s->WriteShortString(5, MakeShortString("sign" + std::to_string(round)));
  };
  auto reused = NewQS();
  for (int round = 0; round < 4; ++round) {
    // What it held before this round's values.
    if (round == 1) {
      for (int32_t id = 0; id < 5000; ++id) reused->WriteBuffer(id * 7919, TBytes(100, 1).data(), 100);
    } else if (round == 2) {
      reused->WriteBuffer(3, TBytes(100000, 2).data(), 100000);
    } else if (round == 3) {
      auto persist = reused.As<IPersistBlock>(IID_IPersistBlock);
      const TBytes image = Saved(Loaded(Saved(reused.Get())).Get());
      ASSERT_EQ(persist->Load(image.data(), image.size()), S_OK);
    }
    ASSERT_EQ(qsEmptyCompoundStream(reused.Get()), S_OK);
    uint64_t size = 0;
    EXPECT_EQ(qsGetSize(reused.Get(), &size), S_OK);
    EXPECT_EQ(size, 16u) << round;
    EXPECT_EQ(Dirty(reused.Get()), S_OK);
    TCompoundEntry entry{};
    EXPECT_NE(reused->GetEntry(3, &entry), S_OK);
    auto entries = reused.As<IEnumEntries>(IID_IEnumEntries);
    int32_t fetched = -1;
    EXPECT_EQ(entries->Next(1, &entry, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0);
    fill(reused.Get(), round);
    auto fresh = NewQS();
    fill(fresh.Get(), round);
    EXPECT_EQ(Saved(reused.Get()), Saved(fresh.Get())) << round;
    EXPECT_EQ(qsReadInteger(reused.Get(), 1000 + round, -1), 0);
  }
  EXPECT_EQ(qsEmptyCompoundStream(nullptr), E_INVALIDARG);
}

TEST(QsLibrary, FilesRoundTripAndFailCleanly) {
  const auto dir = TempDir();
  const std::string path = (dir / "a.qs").string();
  auto s = NewQS();
  s->WriteDouble(4, -0.25);
  ASSERT_EQ(qsSaveToFile(path.c_str(), s.Get()), S_OK);
  ASSERT_EQ(qsSaveToFile(path.c_str(), s.Get()), S_OK);  // over an existing file
  std::ifstream in(path, std::ios::binary);
  const TBytes fileBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(fileBytes, Saved(s.Get()));
  TComPtr<ICompoundStream> back;
  ASSERT_EQ(qsCreateFromFile(path.c_str(), back.Put()), S_OK);
  EXPECT_EQ(qsReadDouble(back.Get(), 4, 0), -0.25);

  const std::string missing = (dir / "missing.qs").string();
  EXPECT_EQ(qsCreateFromFile(missing.c_str(), back.Put()), E_FAIL);
  EXPECT_FALSE(back);
  EXPECT_EQ(qsCreateFromFile(dir.string().c_str(), back.Put()), E_FAIL);  // a folder

  TComPtr<IStream> empty;
  CreateMemoryStream(empty.Put());
  const std::string emptyPath = (dir / "empty.bin").string();
  EXPECT_EQ(SaveStreamToFile(emptyPath.c_str(), empty.Get()), S_OK);
  EXPECT_EQ(std::filesystem::file_size(emptyPath), 0u);
  EXPECT_EQ(qsCreateFromFile(emptyPath.c_str(), back.Put()), E_FAIL);
  EXPECT_EQ(SaveStreamToFile((dir / "no" / "such" / "x").string().c_str(), empty.Get()), E_FAIL);
  // Saves leave no temporary files behind.
  size_t files = 0;
  for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 2u);
  std::filesystem::remove_all(dir);
}

TEST(QsEnumerator, NextSkipResetAndCloneShareOneCursor) {
  auto s = NewQS();
  for (int32_t id : {10, 20, 30}) s->WriteInteger(id, id);
  auto e = s.As<IEnumEntries>(IID_IEnumEntries);
  TCompoundEntry buf[4] = {};
  int32_t fetched = -1;
  EXPECT_EQ(e->Next(2, buf, &fetched), S_OK);
  EXPECT_EQ(fetched, 2);
  EXPECT_EQ(buf[1].ID, 20);
  EXPECT_EQ(e->Next(2, buf, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1);
  EXPECT_EQ(buf[0].ID, 30);
  EXPECT_EQ(*static_cast<int32_t*>(buf[0].Data), 30);
  EXPECT_EQ(e->Next(2, buf, nullptr), E_INVALIDARG);
  EXPECT_EQ(e->Next(-1, buf, &fetched), E_INVALIDARG);

  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  EXPECT_EQ(e->Next(1, buf, nullptr), S_OK);
  EXPECT_EQ(buf[0].ID, 20);
  EXPECT_EQ(e->Skip(10), S_FALSE);  // clamps to the last entry
  EXPECT_EQ(e->Next(1, buf, nullptr), S_OK);
  EXPECT_EQ(buf[0].ID, 30);
  EXPECT_EQ(e->Skip(-10), S_FALSE);  // clamps to the first
  TComPtr<IEnumEntries> clone;
  ASSERT_EQ(e->Clone(clone.Put()), S_OK);
  EXPECT_EQ(clone->Next(1, buf, nullptr), S_OK);
  EXPECT_EQ(buf[0].ID, 10);
  EXPECT_EQ(e->Next(1, buf, nullptr), S_OK);  // the clone moved the shared cursor
  EXPECT_EQ(buf[0].ID, 20);
}

// All four interfaces count on one object; a leak or a double free shows up
// under AddressSanitizer.
TEST(QsLifetime, ReferencesOfEveryInterfaceCountOnOneObject) {
  ICompoundStream* s = nullptr;
  qsCreateCompoundStream(&s);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->AddRef(), 2u);
  EXPECT_EQ(s->Release(), 1u);
  ICompoundStream2* s2 = nullptr;
  IPersistStream* persist = nullptr;
  IEnumEntries* entries = nullptr;
  IUnknown* unknown = nullptr;
  ASSERT_EQ(s->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(&s2)), S_OK);
  ASSERT_EQ(s2->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist)), S_OK);
  ASSERT_EQ(persist->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(&entries)), S_OK);
  ASSERT_EQ(entries->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(s));  // one identity
  void* none = &none;
  EXPECT_EQ(s->QueryInterface(IID_IStream, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  s2->WriteInteger(1, 5);  // through one interface, seen through all
  EXPECT_EQ(persist->IsDirty(), S_OK);
  // Released in an order unrelated to how they were obtained.
  EXPECT_EQ(s->Release(), 4u);
  EXPECT_EQ(unknown->Release(), 3u);
  EXPECT_EQ(persist->Release(), 2u);
  EXPECT_EQ(s2->Release(), 1u);
  EXPECT_EQ(entries->Release(), 0u);

  // qsCreateCompoundStream releases what its out variable held.
  ICompoundStream* held = nullptr;
  qsCreateCompoundStream(&held);
  held->AddRef();
  ICompoundStream* keep = held;
  qsCreateCompoundStream(&held);
  EXPECT_NE(held, keep);
  EXPECT_EQ(keep->Release(), 0u);
  held->Release();
}

// The memory persistence interfaces are the system's own, with sizes and
// slots of their own: asked for the platform's IPersistMemory, the container
// must refuse rather than hand out a table a caller would misuse.
TEST(QsLifetime, MemoryPersistenceAnswersOnlyUnderItsOwnIdentifiers) {
  auto s = NewQS();
  s->WriteInteger(3, 33);
  const GUID platformPersistMemory = {0xBD1AE5E0, 0xA6AE, 0x11CE, {0xBD, 0x37, 0x50, 0x42, 0x00, 0xC1, 0x00, 0x00}};
  void* refused = &refused;
  EXPECT_EQ(s->QueryInterface(platformPersistMemory, &refused), E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);

  auto block = s.As<IPersistBlock>(IID_IPersistBlock);
  ASSERT_TRUE(block);
  uint64_t size = 0;
  ASSERT_EQ(block->GetSizeMax(&size), S_OK);
  TBytes saved(size);
  ASSERT_EQ(block->Save(saved.data(), 1, size), S_OK);
  EXPECT_EQ(saved, Saved(s.Get()));
  auto other = NewQS();
  auto view = other.As<IPersistMemoryView>(IID_IPersistMemoryView);
  ASSERT_TRUE(view);
  ASSERT_EQ(view->LoadView(saved.data(), saved.size()), S_OK);
  EXPECT_EQ(qsReadInteger(other.Get(), 3, 0), 33);
}

TEST(QsTypedHelpers, ReadsNeverFailAndWritesReport) {
  EXPECT_EQ(qsReadShortStr(nullptr, 1, "x"), "x");
  EXPECT_FALSE(qsWriteString(nullptr, 1, "x"));

  auto s = NewQS();
  s->WriteInteger(1, 0x100);  // only the low byte makes the Boolean
  EXPECT_FALSE(qsReadBool(s.Get(), 1, true));

  EXPECT_TRUE(qsWriteDouble(s.Get(), 4, 0.1));
  EXPECT_EQ(qsReadSingle(s.Get(), 4, 0), 0.1f);
  EXPECT_EQ(qsReadFloat(s.Get(), 4, 0), 0.1);
  EXPECT_EQ(qsReadFloat(s.Get(), 5, 0.1f), static_cast<double>(0.1f));

  // An empty String reads as the default through qsReadString, as "" through qsReadShortStr.
  EXPECT_TRUE(qsWriteString(s.Get(), 6, ""));
  EXPECT_EQ(qsReadString(s.Get(), 6, "dflt"), "dflt");
  EXPECT_EQ(qsReadShortStr(s.Get(), 6, "dflt"), "");

  const std::string longText(400, 'z');
  EXPECT_TRUE(qsWriteShortStr(s.Get(), 7, longText));
  EXPECT_EQ(qsReadString(s.Get(), 7, ""), std::string(255, 'z'));
  // A missing value succeeds with the default as the short read saw it: cut at 255.
  EXPECT_EQ(qsReadShortStr(s.Get(), 8, longText), std::string(255, 'z'));
  EXPECT_TRUE(qsWriteString(s.Get(), 9, longText));
  EXPECT_EQ(qsReadString(s.Get(), 9, ""), longText);
}

namespace {
// A plain model of the container: entries in order, reads see the first of an ID.
struct TModelEntry {
  int32_t ID;
  int32_t Tag;
  TBytes Data;
};
using TModel = std::vector<TModelEntry>;

TModelEntry* FirstOf(TModel& model, int32_t id) {
  for (auto& e : model)
    if (e.ID == id) return &e;
  return nullptr;
}

TModelEntry& ModelPut(TModel& model, int32_t id) {
  if (TModelEntry* e = FirstOf(model, id)) return *e;
  model.push_back(TModelEntry{id, qsEmpty, {}});
  return model.back();
}

TBytes ModelImage(const TModel& model) {
  TBytes b = Header(static_cast<int32_t>(model.size()));
  for (const auto& e : model) Record(b, e.ID, e.Tag, static_cast<uint32_t>(e.Data.size()));
  for (const auto& e : model) b.insert(b.end(), e.Data.begin(), e.Data.end());
  return b;
}

// The container agrees with the model on every ID in [from, to].
void ExpectSameAsModel(ICompoundStream* s, TModel& model, int32_t from, int32_t to) {
  for (int32_t id = from; id <= to; ++id) {
    TCompoundEntry e{};
    const TModelEntry* m = FirstOf(model, id);
    ASSERT_EQ(s->GetEntry(id, &e), m ? S_OK : E_INVALIDARG) << "id " << id;
    if (!m) continue;
    ASSERT_EQ(e.ID, id);
    ASSERT_EQ(e.Tag, m->Tag) << "id " << id;
    ASSERT_EQ(e.Size, m->Data.size()) << "id " << id;
    ASSERT_EQ(e.Data == nullptr, m->Data.empty()) << "id " << id;
    if (e.Size) {
      ASSERT_EQ(std::memcmp(e.Data, m->Data.data(), e.Size), 0) << "id " << id;
    }
  }
}
}  // namespace

// Any mix of ascending and scattered IDs, rewrites that grow and shrink,
// deletes and reloads must index the first entry of every ID and save the
// same bytes as the plain model; a pointer handed out for one value must stay
// valid while other values come and go.
TEST(QsStorage, RandomEditsMatchAPlainModel) {
  std::mt19937 random(12345);
  const uint32_t sizes[] = {0, 1, 4, 8, 17, 255, 300, 4095, 4096, 4097, 9000};
  auto s = NewQS();
  TModel model;
  auto put = [&](int32_t id, int32_t tag, const TBytes& data) {
    if (tag == qsInteger) {
      int32_t v = 0;
      std::memcpy(&v, data.data(), 4);
      ASSERT_EQ(s->WriteInteger(id, v), S_OK);
    } else if (tag == qsDouble) {
      double v = 0;
      std::memcpy(&v, data.data(), 8);
      ASSERT_EQ(s->WriteDouble(id, v), S_OK);
    } else {
      const uint8_t none = 0;  // an empty value still needs a buffer
      ASSERT_EQ(s->WriteBuffer(id, data.empty() ? &none : data.data(), static_cast<int32_t>(data.size())), S_OK);
    }
    TModelEntry& m = ModelPut(model, id);
    m.Tag = tag;
    m.Data = data;
  };
  auto bytes = [&](uint32_t n) {
    TBytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(random());
    return b;
  };
  // Ascending and dense first, the way objects write their values.
  for (int32_t id = 0; id < 1000; ++id) put(id, qsInteger, bytes(4));
  put(5000, qsBinary, TBytes{'p', 'i', 'n'});
  TCompoundEntry pinned{};
  ASSERT_EQ(s->GetEntry(5000, &pinned), S_OK);
  ExpectSameAsModel(s.Get(), model, -60, 1300);

  for (int round = 0; round < 6; ++round) {
    for (int op = 0; op < 600; ++op) {
      const auto id = static_cast<int32_t>(random() % 1260) - 50;
      switch (random() % 6) {
        case 0:
          put(id, qsInteger, bytes(4));
          break;
        case 1:
          put(id, qsDouble, bytes(8));
          break;
        case 2:
        case 3:
          put(id, qsBinary, bytes(sizes[random() % std::size(sizes)]));
          break;
        case 4: {
          const TBytes data = bytes(sizes[random() % std::size(sizes)]);
          TComPtr<IStream> source = MemoryStreamFrom(data.data(), data.size());
          ASSERT_EQ(s->WriteStream(id, source.Get(), -1), S_OK);
          TModelEntry& m = ModelPut(model, id);
          m.Tag = qsBinary;
          m.Data = data;
          break;
        }
        default: {
          TModelEntry* m = FirstOf(model, id);
          ASSERT_EQ(s->DeleteValue(id), m ? S_OK : E_INVALIDARG);
          if (m) {
            m->Tag = qsEmpty;
            m->Data.clear();
          }
        }
      }
      ASSERT_EQ(std::memcmp(pinned.Data, "pin", 3), 0);
    }
    ExpectSameAsModel(s.Get(), model, -60, 1300);
    const TBytes image = ModelImage(model);
    ASSERT_EQ(Saved(s.Get()), image);
    uint64_t size = 0;
    ASSERT_EQ(qsGetSize(s.Get(), &size), S_OK);
    EXPECT_EQ(size, image.size());
    // Every other round goes on with a loaded copy, whose values live in the load image.
    if (round % 2 == 0) {
      s = Loaded(image);
      ASSERT_TRUE(s);
      ASSERT_EQ(s->GetEntry(5000, &pinned), S_OK);
      ExpectSameAsModel(s.Get(), model, -60, 1300);
    }
  }
}

// Values written in interleaved groups (a layer's signs: name, offsets and
// counts of sign 0, then of sign 1, ...), read back, rewritten, deleted and
// carried through saves and loads, against a plain map of what was written.
// IDs are drawn so that many share a bit of the index's filter of held IDs:
// a new ID must never be taken for a held one, nor a held one missed.
TEST(QsStorage, InterleavedGroupsAgreeWithAMapThroughWritesDeletesAndLoads) {
  std::mt19937 random(20261209);
  for (const int groups : {3, 8, 15, 40}) {
    auto s = NewQS();
    std::map<int32_t, int32_t> written;  // ID -> value; deleted IDs map to INT32_MIN
    std::vector<int32_t> ids;
    for (int member = 0; member < 12; ++member)
      for (int g = 0; g < groups; ++g) ids.push_back(-40000 + 100 * g + member);
    for (int round = 0; round < 4; ++round) {
      for (size_t k = 0; k < ids.size(); ++k) {
        const int32_t id = ids[k];
        const int op = static_cast<int>(random() % 8);
        if (op < 5) {
          const auto value = static_cast<int32_t>(random());
          ASSERT_EQ(s->WriteInteger(id, value), S_OK);
          written[id] = value;
        } else if (op == 5) {
          const HRESULT hr = s->DeleteValue(id);
          const auto it = written.find(id);
          ASSERT_EQ(hr == S_OK, it != written.end()) << id;
          if (it != written.end()) it->second = INT32_MIN;
        }
        // Some other ID, written or not, reads as the map says.
        const int32_t probe = ids[random() % ids.size()] + (random() % 3 == 0 ? 50 : 0);
        const auto it = written.find(probe);
        TCompoundEntry entry{};
        const bool held = s->GetEntry(probe, &entry) == S_OK;
        ASSERT_EQ(held, it != written.end()) << groups << " " << probe;
        if (held && it->second != INT32_MIN) {
          ASSERT_EQ(qsReadInteger(s.Get(), probe, 0), it->second) << probe;
        }
      }
      if (round % 2 == 1) {
        // Through the stored form: the loaded container answers the same.
        TComPtr<IStream> memory;
        ASSERT_EQ(CreateMemoryStream(memory.Put()), S_OK);
        ASSERT_EQ(qsSaveToStream(s.Get(), memory.Get()), S_OK);
        memory->Seek(0, 0, nullptr);
        TComPtr<ICompoundStream> back;
        ASSERT_EQ(qsCreateFromStream(memory.Get(), back.Put()), S_OK);
        s = back;
      }
    }
    for (const auto& [id, value] : written) {
      TCompoundEntry entry{};
      ASSERT_EQ(s->GetEntry(id, &entry), S_OK) << id;
      if (value != INT32_MIN) {
        EXPECT_EQ(qsReadInteger(s.Get(), id, 0), value) << id;
      }
    }
    for (int32_t id = -40100; id < -40000 + 100 * groups + 100; id += 7) {
      TCompoundEntry entry{};
      EXPECT_EQ(s->GetEntry(id, &entry) == S_OK, written.count(id) == 1) << id;
    }
  }
}

// Loaded duplicates in scattered order: reads and rewrites take the first,
// new IDs go to the end, and the bytes come out as stored.
TEST(QsStorage, ScatteredDuplicatesLoadAndGrow) {
  TModel model;
  for (int32_t id : {30, -7, 30, 12, -7, 1000, 12, 130, 112, 130}) {
    model.push_back(TModelEntry{id, qsInteger, {static_cast<uint8_t>(model.size()), 0, 0, 0}});
  }
  auto s = Loaded(ModelImage(model));
  ASSERT_TRUE(s);
  EXPECT_EQ(Dirty(s.Get()), S_FALSE);
  // Looked up in stored order, each later duplicate still answers with the first.
  for (const auto& m : model) {
    TCompoundEntry e{};
    ASSERT_EQ(s->GetEntry(m.ID, &e), S_OK);
    EXPECT_EQ(static_cast<uint8_t*>(e.Data)[0], FirstOf(model, m.ID)->Data[0]) << "id " << m.ID;
  }
  ExpectSameAsModel(s.Get(), model, -10, 1001);
  ASSERT_EQ(Saved(s.Get()), ModelImage(model));
  for (int32_t id = 2000; id > 0; id -= 3) {
    s->WriteInteger(id, id);
    TModelEntry& m = ModelPut(model, id);
    m.Tag = qsInteger;
    m.Data = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), 0, 0};
  }
  ExpectSameAsModel(s.Get(), model, -10, 2001);
  EXPECT_EQ(Saved(s.Get()), ModelImage(model));
}

// Readers go through a loaded container in stored order, so the entry after
// the last one found is tried first; where it is a later duplicate of an ID
// (in a later run of ascending IDs, or with the IDs hashed beyond sixteen
// runs), the first entry must still win. Values written before anything
// asks beyond the smallest IDs join the index when it is built; values
// written above every ID, which need no search, are found again.
TEST(QsStorage, ReadsInStoredOrderFindTheFirstOfDuplicatedIds) {
  for (int32_t pairs : {5, 40}) {  // a few runs; more than sixteen
    TModel model;
    for (int32_t k = 0; k < pairs; ++k) {
      // Each pair steps down: a new run.
      model.push_back({200 + k, qsInteger, {static_cast<uint8_t>(k), 1, 0, 0}});
      model.push_back({100 + k, qsInteger, {static_cast<uint8_t>(k), 2, 0, 0}});
    }
    for (int32_t k = 0; k < pairs; ++k) {
      model.push_back({500 + k, qsInteger, {static_cast<uint8_t>(k), 3, 0, 0}});
      model.push_back({100 + k, qsInteger, {static_cast<uint8_t>(k), 4, 0, 0}});  // a later duplicate
    }
    const TBytes image = ModelImage(model);
    for (int pass = 0; pass < 2; ++pass) {
      auto s = Loaded(image);
      ASSERT_TRUE(s);
      if (pass == 1) {
        // Appended while the index is not built yet: the build takes it in.
        ASSERT_EQ(s->WriteInteger(7, 77), S_OK);
        ASSERT_EQ(s->WriteInteger(99, 99), S_OK);
      }
      for (int round = 0; round < 2; ++round)
        for (const TModelEntry& m : model) {
          TCompoundEntry e{};
          ASSERT_EQ(s->GetEntry(m.ID, &e), S_OK);
          ASSERT_EQ(static_cast<uint8_t*>(e.Data)[1], FirstOf(model, m.ID)->Data[1])
              << "id " << m.ID << ", " << pairs << " pairs, pass " << pass;
        }
      if (pass == 1) {
        // Above every ID, once indexed: found again, and written once.
        for (int32_t id : {100000, 100001, 100000}) ASSERT_EQ(s->WriteInteger(id, id - 99990), S_OK);
        EXPECT_EQ(qsReadInteger(s.Get(), 7, 0), 77);
        EXPECT_EQ(qsReadInteger(s.Get(), 99, 0), 99);
        EXPECT_EQ(qsReadInteger(s.Get(), 100000, 0), 10);
        EXPECT_EQ(qsReadInteger(s.Get(), 100001, 0), 11);
        TModel written = model;
        written.push_back({7, qsInteger, {77, 0, 0, 0}});
        written.push_back({99, qsInteger, {99, 0, 0, 0}});
        written.push_back({100000, qsInteger, {10, 0, 0, 0}});
        written.push_back({100001, qsInteger, {11, 0, 0, 0}});
        EXPECT_EQ(Saved(s.Get()), ModelImage(written));
      }
    }
  }
}

// Without memory for its index or for a new entry, a container still finds
// every first entry (more slowly) and a write reports E_OUTOFMEMORY: nothing
// is lost, wrong or thrown across the interface.
TEST(QsStorage, WithoutMemoryLookupsStillFindAndWritesReport) {
  TModel model;
  // IDs in about a hundred ascending runs, so the index would hash them.
  for (int32_t k = 0; k < 3000; ++k) model.push_back({k * 101 % 3001, qsInteger, {static_cast<uint8_t>(k), 0, 0, 0}});
  model.push_back({505, qsInteger, {0xEE, 0, 0, 0}});  // a later duplicate
  auto s = Loaded(ModelImage(model));
  ASSERT_TRUE(s);
  // The hash table of 3,000 entries takes 128 KiB, the entry table more
  // than 64 KiB to grow: neither can be had.
  gRefuseFrom = 64 * 1024;
  for (int32_t id : {505, 1010, 2999, 3000, 3001, -1}) {
    const TModelEntry* m = FirstOf(model, id);
    TCompoundEntry e{};
    EXPECT_EQ(s->GetEntry(id, &e), m ? S_OK : E_INVALIDARG) << "id " << id;
    if (m) {
      EXPECT_EQ(static_cast<uint8_t*>(e.Data)[0], m->Data[0]) << "id " << id;
    }
  }
  EXPECT_EQ(s->WriteInteger(5000, 1), E_OUTOFMEMORY);
  EXPECT_EQ(s->WriteBuffer(5001, "x", -1), E_OUTOFMEMORY);
  EXPECT_EQ(s->WriteInteger(505, 9), S_OK) << "a present ID needs no new entry";
  gRefuseFrom = SIZE_MAX;
  FirstOf(model, 505)->Data = {9, 0, 0, 0};
  ExpectSameAsModel(s.Get(), model, -2, 3002);
  EXPECT_EQ(Saved(s.Get()), ModelImage(model));
}

// A container larger than one save buffer is written in pieces that must
// join into exactly the stored layout.
TEST(QsStorage, LargeContainersSaveWhole) {
  auto s = NewQS();
  TModel model;
  const TBytes big(5u << 20, 0x3C);
  for (int32_t id = 0; id < 300000; ++id) {
    if (id == 1000) {
      s->WriteBuffer(id, big.data(), static_cast<int32_t>(big.size()));
      model.push_back(TModelEntry{id, qsBinary, big});
      continue;
    }
    s->WriteInteger(id, id);
    model.push_back(TModelEntry{
        id, qsInteger, {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id >> 16), 0}});
  }
  const TBytes image = ModelImage(model);
  ASSERT_EQ(Saved(s.Get()), image);
  auto back = Loaded(image);
  ASSERT_TRUE(back);
  EXPECT_EQ(qsReadInteger(back.Get(), 299999, 0), 299999);
  EXPECT_EQ(Saved(back.Get()), image);
}

namespace {

HRESULT LoadUnsized(const TBytes& bytes, TComPtr<ICompoundStream>* s) {
  TComPtr<IStream> source(new TPlainStream(bytes.data(), bytes.size(), false));
  return qsCreateFromStream(source.Get(), s->Put());
}

// A model with duplicates and a large value, and its image whole, with bytes
// to spare, cut short, and damaged in the ways loaders must refuse.
struct TLoadCases {
  TModel Model;
  TBytes Good;
  std::vector<TBytes> Images;
};

TLoadCases LoadCases() {
  TLoadCases c;
  c.Model.push_back(TModelEntry{7, qsInteger, {1, 2, 3, 4}});
  c.Model.push_back(TModelEntry{900, qsBinary, TBytes(5000, 0x5A)});
  c.Model.push_back(TModelEntry{3, qsDouble, TBytes(8, 1)});
  c.Model.push_back(TModelEntry{900, qsString, {'x'}});
  c.Good = ModelImage(c.Model);
  TBytes surplus = c.Good;
  surplus.insert(surplus.end(), 40, 0xEE);
  const TBytes cut(c.Good.begin(), c.Good.end() - 1);
  TBytes hugeValue = Header(1);
  Record(hugeValue, 1, qsBinary, 0xFFFFFFF0u);
  TBytes hugeValues = Header(2);
  Record(hugeValues, 1, qsBinary, 0xFFFFFFF0u);
  Record(hugeValues, 2, qsBinary, 0xFFFFFFF0u);
  hugeValues.insert(hugeValues.end(), 64, 0);
  const TBytes badMagic = {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  c.Images = {c.Good, surplus, cut, Header(0x7FFFFFFF), hugeValue, hugeValues, badMagic, TBytes{}};
  return c;
}
}  // namespace

// Bytes in memory are taken in place, other streams read piece by piece:
// both must load alike, fail alike and leave the stream at the same place.
TEST(QsLoading, BytesInMemoryAndOtherStreamsLoadAlike) {
  TLoadCases cases = LoadCases();
  TModel& model = cases.Model;
  const TBytes& good = cases.Good;
  for (const TBytes& image : cases.Images) {
    TComPtr<IStream> inMemory = MemoryStreamFrom(image.data(), image.size());
    TComPtr<IStream> plain(new TPlainStream(image.data(), image.size()));
    TComPtr<ICompoundStream> a, b;
    const HRESULT hrA = qsCreateFromStream(inMemory.Get(), a.Put());
    const HRESULT hrB = qsCreateFromStream(plain.Get(), b.Put());
    ASSERT_EQ(hrA, hrB) << image.size() << " bytes";
    if (hrA != S_OK) continue;
    EXPECT_EQ(Saved(a.Get()), Saved(b.Get()));
    ExpectSameAsModel(a.Get(), model, 0, 1000);
    uint64_t atA = 0, atB = 0;
    inMemory->Seek(0, STREAM_SEEK_CUR, &atA);
    plain->Seek(0, STREAM_SEEK_CUR, &atB);
    EXPECT_EQ(atA, good.size());
    EXPECT_EQ(atB, good.size());
  }
}

// A container loaded from its own bytes (a child stream held as one of its
// values) must copy them before it lets its own memory go; and what it saves
// into memory is what it saves into a stream.
TEST(QsLoading, MemoryLoadsAndSavesIncludingFromItsOwnBytes) {
  auto child = NewQS();
  child->WriteInteger(1, 11);
  child->WriteBuffer(2, "child", 5);
  const TBytes childBytes = Saved(child.Get());
  auto makeParent = [&] {
    auto parent = NewQS();
    parent->WriteInteger(1, 99);
    parent->WriteBuffer(5, childBytes.data(), static_cast<int32_t>(childBytes.size()));
    return parent;
  };
  for (int round = 0; round < 2; ++round) {
    // The second round loads from the load image rather than from arena memory.
    auto parent = round == 0 ? makeParent() : Loaded(Saved(makeParent().Get()));
    TCompoundEntry value{};
    ASSERT_EQ(parent->GetEntry(5, &value), S_OK);
    auto memory = parent.As<IPersistBlock>(IID_IPersistBlock);
    ASSERT_TRUE(memory);
    ASSERT_EQ(memory->Load(value.Data, value.Size), S_OK);
    EXPECT_EQ(qsReadInteger(parent.Get(), 1, 0), 11);
    EXPECT_EQ(Saved(parent.Get()), childBytes);
  }

  auto parent = makeParent();
  auto memory = parent.As<IPersistBlock>(IID_IPersistBlock);
  uint64_t size = 0;
  ASSERT_EQ(memory->GetSizeMax(&size), S_OK);
  TBytes block(size + 4, 0xCC);
  EXPECT_EQ(memory->Save(block.data(), 1, size - 1), static_cast<HRESULT>(0x80030070)) << "too small a block";
  EXPECT_EQ(block[0], 0xCC) << "and nothing written";
  EXPECT_EQ(Dirty(parent.Get()), S_OK);
  ASSERT_EQ(memory->Save(block.data(), 1, size), S_OK);
  EXPECT_EQ(Dirty(parent.Get()), S_FALSE);
  EXPECT_EQ(TBytes(block.begin(), block.begin() + static_cast<ptrdiff_t>(size)), Saved(parent.Get()));
  EXPECT_EQ(block[size], 0xCC);
  // Damaged bytes leave the container empty, as a stream load does.
  EXPECT_EQ(memory->Load(block.data(), 10), E_FAIL);
  TCompoundEntry e{};
  EXPECT_EQ(parent->GetEntry(1, &e), E_INVALIDARG);
  EXPECT_EQ(memory->Load(nullptr, 4), E_INVALIDARG);
}

// A view load reads the values where the caller's bytes hold them: it must
// accept and refuse exactly what a copying load does, never write into those
// bytes, and copy bytes that are its own.
TEST(QsLoading, ViewLoadsReadInPlaceAndNeverWriteThere) {
  TLoadCases cases = LoadCases();
  TModel& model = cases.Model;
  const TBytes& good = cases.Good;
  for (const TBytes& image : cases.Images) {
    auto copied = NewQS();
    auto viewed = NewQS();
    const HRESULT hrCopy = copied.As<IPersistBlock>(IID_IPersistBlock)->Load(image.data(), image.size());
    const HRESULT hrView = viewed.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(image.data(), image.size());
    ASSERT_EQ(hrView, hrCopy) << image.size() << " bytes";
    if (hrView != S_OK) {
      TCompoundEntry e{};
      EXPECT_EQ(viewed->GetEntry(7, &e), E_INVALIDARG) << "a failed load leaves it empty";
      continue;
    }
    ExpectSameAsModel(viewed.Get(), model, 0, 1000);
    EXPECT_EQ(Saved(viewed.Get()), Saved(copied.Get()));
  }

  TBytes bytes = good;
  auto s = NewQS();
  auto view = s.As<IPersistMemoryView>(IID_IPersistMemoryView);
  ASSERT_EQ(view->LoadView(bytes.data(), bytes.size()), S_OK);
  EXPECT_EQ(Dirty(s.Get()), S_FALSE);
  // The values are read where they lie...
  const TBytes seven = {1, 2, 3, 4};
  const auto at = std::search(bytes.begin(), bytes.end(), seven.begin(), seven.end());
  ASSERT_NE(at, bytes.end());
  *at = 9;
  EXPECT_EQ(qsReadInteger(s.Get(), 7, 0), 0x04030209);
  *at = 1;
  // ...and written elsewhere, even a value of the same size.
  ASSERT_EQ(s->WriteInteger(7, 77), S_OK);
  ASSERT_EQ(s->WriteBuffer(900, "yz", 2), S_OK);
  EXPECT_EQ(bytes, good);
  EXPECT_EQ(qsReadInteger(s.Get(), 7, 0), 77);
  TModel edited = model;
  ModelPut(edited, 7) = TModelEntry{7, qsInteger, {77, 0, 0, 0}};
  ModelPut(edited, 900) = TModelEntry{900, qsBinary, {'y', 'z'}};
  ExpectSameAsModel(s.Get(), edited, 0, 1000);

  // Bytes the container holds itself (a child stream kept as a value, in its
  // arena or in its load image) are taken as a copying load takes them.
  auto child = NewQS();
  child->WriteInteger(1, 11);
  const TBytes childBytes = Saved(child.Get());
  for (int round = 0; round < 2; ++round) {
    auto parent = NewQS();
    parent->WriteBuffer(5, childBytes.data(), static_cast<int32_t>(childBytes.size()));
    if (round == 1) parent = Loaded(Saved(parent.Get()));
    TCompoundEntry value{};
    ASSERT_EQ(parent->GetEntry(5, &value), S_OK);
    ASSERT_EQ(parent.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(value.Data, value.Size), S_OK);
    EXPECT_EQ(qsReadInteger(parent.Get(), 1, 0), 11);
    EXPECT_EQ(Saved(parent.Get()), childBytes);
  }
}

// A small container loaded as a view answers its first typed reads from the
// stored records; they must agree with a copied load's in every case (short
// and empty values, other tags, duplicates, IDs on both sides of the small
// table), before and after anything else builds its entry table.
TEST(QsLoading, ViewLoadedTypedReadsAnswerAsACopiedLoad) {
  TModel model;
  model.push_back(TModelEntry{7, qsInteger, {1, 2, 3, 4}});
  model.push_back(TModelEntry{8, qsDouble, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}});
  model.push_back(TModelEntry{7, qsInteger, {9, 9, 9, 9}});
  model.push_back(TModelEntry{9, qsInteger, {5, 6}});
  model.push_back(TModelEntry{10, qsDouble, {1, 2, 3, 4, 5}});
  model.push_back(TModelEntry{11, qsBinary, {1, 2, 3, 4}});
  model.push_back(TModelEntry{12, qsInteger, {}});
  model.push_back(TModelEntry{1, qsDouble, TBytes(8, 0x11)});
  model.push_back(TModelEntry{63, qsInteger, {6, 3, 0, 0}});
  model.push_back(TModelEntry{64, qsInteger, {6, 4, 0, 0}});
  model.push_back(TModelEntry{70, qsDouble, TBytes(8, 0x22)});
  model.push_back(TModelEntry{-1, qsInteger, {1, 0, 0, 0}});
  const TBytes image = ModelImage(model);
  auto copied = Loaded(image);
  auto readAll = [](ICompoundStream* s) {
    std::vector<std::pair<HRESULT, int64_t>> answers;
    // The small IDs first: any other ID builds the table.
    std::vector<int32_t> ids;
    for (int32_t id = 0; id <= 72; ++id) ids.push_back(id);
    ids.push_back(-1);
    ids.push_back(-2);
    for (int32_t id : ids)
      for (int32_t flags : {0, qsRequired}) {
        int32_t i = 0x55;
        answers.emplace_back(s->ReadInteger(id, flags, -7, &i), i);
        double d = 2.5;
        const HRESULT hr = s->ReadDouble(id, flags, -7.5, &d);
        int64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        answers.emplace_back(hr, bits);
      }
    return answers;
  };
  const auto expected = readAll(copied.Get());
  for (int round = 0; round < 3; ++round) {
    auto s = NewQS();
    ASSERT_EQ(s.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(image.data(), image.size()), S_OK);
    // Round 1 builds the table first through an enumeration, round 2 through a write.
    if (round == 1) {
      TCompoundEntry e{};
      int32_t fetched = 0;
      ASSERT_EQ(s.As<IEnumEntries>(IID_IEnumEntries)->Next(1, &e, &fetched), S_OK);
      EXPECT_EQ(e.ID, 7);
    }
    if (round == 2) {
      ASSERT_EQ(s->WriteInteger(500, 1), S_OK);
    }
    EXPECT_EQ(readAll(s.Get()), expected) << "round " << round;
    TModel withWrite = model;
    if (round == 2) withWrite.push_back(TModelEntry{500, qsInteger, {1, 0, 0, 0}});
    ExpectSameAsModel(s.Get(), withWrite, -2, 600);
    EXPECT_EQ(readAll(s.Get()), expected) << "round " << round;
    if (round < 2) {
      EXPECT_EQ(Saved(s.Get()), image);
    }
  }
}

// Views of up to 64 records answer from their stored records too: values
// written as a lithology layer writes them (base values, then interleaved
// groups, one run per sign), read in stored order and in any other, with and
// without a repeated ID, just below, at and beyond that size.
TEST(QsLoading, LargerViewsAnswerAsACopiedLoad) {
  const auto layer = [](int signs, bool repeat) {
    TModel model;
    for (int32_t id : {18, 8, 9, 10, 11, 1, 2, 3, 4, 7, 19, 16, 20})
      model.push_back(TModelEntry{id, qsInteger, {static_cast<uint8_t>(id), 0, 0, 0}});
    model.push_back(TModelEntry{-40001, qsInteger, {static_cast<uint8_t>(signs), 0, 0, 0}});
    for (int k = 0; k < signs; ++k) {
      model.push_back(TModelEntry{-40000 + k, qsString, {'S', static_cast<uint8_t>('0' + k)}});
      for (int g = 0; g < 7; ++g)
        model.push_back(TModelEntry{-37000 + 100 * g + k, g < 4 ? qsDouble : qsInteger,
                                    TBytes(g < 4 ? 8 : 4, static_cast<uint8_t>(16 * k + g))});
    }
    if (repeat) model.push_back(TModelEntry{-36999, qsInteger, {9, 9, 9, 9}});
    for (int32_t id : {5632, 5633, 5634}) model.push_back(TModelEntry{id, qsInteger, {1, 2, 3, 4}});
    return model;
  };
  for (const auto& [signs, repeat] : {std::pair{5, false}, std::pair{5, true}, std::pair{6, false}}) {
    TModel model = layer(signs, repeat);
    const TBytes image = ModelImage(model);
    for (int order = 0; order < 3; ++order) {
      auto s = NewQS();
      ASSERT_EQ(s.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(image.data(), image.size()), S_OK);
      // Stored order, reversed, and every ID in a range (absent ones between).
      std::vector<int32_t> ids;
      for (const TModelEntry& m : model) ids.push_back(m.ID);
      if (order == 1) std::reverse(ids.begin(), ids.end());
      for (int32_t id : ids) {
        TCompoundEntry e{};
        ASSERT_EQ(s->GetEntry(id, &e), S_OK) << "id " << id;
        const TModelEntry* m = FirstOf(model, id);
        ASSERT_EQ(e.Tag, m->Tag) << "id " << id;
        ASSERT_EQ(e.Size, m->Data.size()) << "id " << id;
        EXPECT_EQ(std::memcmp(e.Data, m->Data.data(), e.Size), 0) << "id " << id;
      }
      if (order == 2) ExpectSameAsModel(s.Get(), model, -40002, 5640);
      EXPECT_EQ(qsReadInteger(s.Get(), 80, -5), -5);
      EXPECT_EQ(Saved(s.Get()), image) << signs << " signs";
    }
  }
}

TEST(QsLoading, UnsizedStreamsLoadAndRefuseHostileSizes) {
  TModel model;
  model.push_back(TModelEntry{1, qsBinary, TBytes(3u << 20, 0x77)});
  model.push_back(TModelEntry{2, qsInteger, {9, 0, 0, 0}});
  TComPtr<ICompoundStream> s;
  ASSERT_EQ(LoadUnsized(ModelImage(model), &s), S_OK);
  ExpectSameAsModel(s.Get(), model, 0, 3);

  TBytes hostile = Header(2);
  Record(hostile, 1, qsBinary, 0xFFFFFFF0u);
  Record(hostile, 2, qsBinary, 0xFFFFFFF0u);
  hostile.insert(hostile.end(), 64, 0);
  gLargestAllocation = 0;
  EXPECT_EQ(LoadUnsized(hostile, &s), E_FAIL);
  EXPECT_FALSE(s);
  EXPECT_LT(gLargestAllocation.load(), 2u << 20);
}

// One container loaded again and again (the way a list loads its children)
// must answer exactly as a fresh one: nothing of an earlier load, its
// duplicates or its size, may show through, and a failed load leaves it empty.
TEST(QsLoading, OneContainerLoadedAgainAndAgainAnswersAsAFreshOne) {
  std::vector<TModel> models;
  // A later duplicate right after the last value read, where the hint points.
  models.push_back({{5, qsInteger, {1, 0, 0, 0}},
                    {6, qsInteger, {2, 0, 0, 0}},
                    {7, qsInteger, {3, 0, 0, 0}},
                    {1, qsInteger, {4, 0, 0, 0}},
                    {5, qsInteger, {5, 0, 0, 0}},
                    {9, qsDouble, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}}});
  // The same beyond the smallest IDs, which have a table of their own.
  TModel high = models[0];
  for (auto& m : high) m.ID += 1000;
  models.push_back(high);
  // More runs than a small view tells apart, the duplicate in the last one.
  models.push_back({{1050, qsInteger, {1, 0, 0, 0}},
                    {1040, qsInteger, {2, 0, 0, 0}},
                    {1030, qsInteger, {3, 0, 0, 0}},
                    {1020, qsInteger, {4, 0, 0, 0}},
                    {1010, qsInteger, {5, 0, 0, 0}},
                    {1050, qsInteger, {6, 0, 0, 0}}});
  // Ascending runs without duplicates (the usual object).
  models.push_back({{18, qsInteger, {1, 0, 0, 0}},
                    {8, qsDouble, TBytes(8, 7)},
                    {9, qsDouble, TBytes(8, 9)},
                    {1, qsInteger, {2, 0, 0, 0}},
                    {7, qsInteger, {3, 0, 0, 0}},
                    {19, qsInteger, {4, 0, 0, 0}}});
  models.push_back({});
  TModel large;
  for (int32_t id = 0; id < 3000; ++id)
    large.push_back({id * 7 % 3001, qsBinary, TBytes(40, static_cast<uint8_t>(id))});
  models.push_back(large);
  models.push_back(models[0]);

  auto s = NewQS();
  auto persist = s.As<IPersistStream>(IID_IPersistStream);
  auto memory = s.As<IPersistBlock>(IID_IPersistBlock);
  auto view = s.As<IPersistMemoryView>(IID_IPersistMemoryView);
  ASSERT_TRUE(view);
  // Loads from streams, from memory, as views of the caller's bytes (the
  // last pass without writes, which would send the next view load through a
  // copy), each pass through every model.
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<TBytes> images;  // a view's bytes stay until the next load
    images.reserve(models.size());
    for (const TModel& constModel : models) {
      TModel model = constModel;
      const TBytes& image = images.emplace_back(ModelImage(model));
      if (pass == 0) {
        ASSERT_EQ(persist->Load(MemoryStreamFrom(image.data(), image.size()).Get()), S_OK);
      } else if (pass == 1) {
        ASSERT_EQ(memory->Load(image.data(), image.size()), S_OK);
      } else {
        ASSERT_EQ(view->LoadView(image.data(), image.size()), S_OK);
      }
      // Read in stored order first, so each lookup starts from the last one's hint.
      for (const auto& m : model) {
        TCompoundEntry e{};
        ASSERT_EQ(s->GetEntry(m.ID, &e), S_OK);
        EXPECT_EQ(e.Size, FirstOf(model, m.ID)->Data.size());
        if (e.Size) {
          EXPECT_EQ(std::memcmp(e.Data, FirstOf(model, m.ID)->Data.data(), e.Size), 0) << "id " << m.ID;
        }
      }
      ExpectSameAsModel(s.Get(), model, -2, 3002);
      EXPECT_EQ(Saved(s.Get()), image);
      if (pass == 3) continue;
      // Written values join the loaded ones as in a fresh container.
      TModel edited = model;
      s->WriteInteger(3, 33);
      ModelPut(edited, 3) = TModelEntry{3, qsInteger, {33, 0, 0, 0}};
      ExpectSameAsModel(s.Get(), edited, -2, 3002);
    }
    const TBytes cut = {'M', 'T', 'S', 'Q', 9, 0, 0, 0};
    EXPECT_NE(persist->Load(MemoryStreamFrom(cut.data(), cut.size()).Get()), S_OK);
    TCompoundEntry e{};
    EXPECT_EQ(s->GetEntry(5, &e), E_INVALIDARG);
  }
}

namespace {
// One value as a typed call writes it (an empty one from a buffer of its own:
// the calls refuse a null one).
HRESULT WriteOne(ICompoundStream2* s, const TCompoundEntry& v) {
  static const char kNone = 0;
  const void* data = v.Size ? v.Data : &kNone;
  const auto* bytes = static_cast<const uint8_t*>(data);
  switch (v.Tag) {
    case qsInteger: {
      int32_t i = 0;
      std::memcpy(&i, bytes, 4);
      return s->WriteInteger(v.ID, i);
    }
    case qsDouble: {
      double d = 0;
      std::memcpy(&d, bytes, 8);
      return s->WriteDouble(v.ID, d);
    }
    case qsString:
      return s->WriteString(v.ID, static_cast<const char*>(data), static_cast<int32_t>(v.Size));
    default:
      return s->WriteBuffer(v.ID, data, static_cast<int32_t>(v.Size));
  }
}
}  // namespace

// A batch write is the same writes one by one, byte for byte: new IDs in and
// out of order, an ID repeated inside a batch, rewrites of held IDs that grow
// and shrink, large values, empty ones, on new, emptied and loaded
// containers, and beyond the small IDs' table's reach.
TEST(QsBatches, WriteEntriesMatchesTheWritesOneByOne) {
  std::mt19937 random(7);
  const int32_t one = 1, two = -2;
  const double half = 0.5, third = 1.0 / 3;
  const TBytes large(5000, 0xAB), small = {1, 2, 3};
  const char* text = "sandstone";
  std::vector<TCompoundEntry> pool = {
      {18, qsInteger, const_cast<int32_t*>(&one), 4},
      {8, qsDouble, const_cast<double*>(&half), 8},
      {-40000, qsString, const_cast<char*>(text), 9},
      {-37000, qsDouble, const_cast<double*>(&third), 8},
      {19, qsInteger, const_cast<int32_t*>(&two), 4},
      {5632, qsBinary, const_cast<uint8_t*>(small.data()), 3},
      {700, qsBinary, const_cast<uint8_t*>(large.data()), 5000},
      {-36999, qsString, nullptr, 0},
      {3, qsBinary, nullptr, 0},
  };
  for (int round = 0; round < 40; ++round) {
    auto batched = NewQS();
    auto single = NewQS();
    if (round % 4 == 1) {
      // Loaded containers, as an object rewritten after a load.
      for (auto* s : {&batched, &single}) {
        (*s)->WriteInteger(19, 5);
        (*s)->WriteDouble(-37000, 2);
        *s = Loaded(Saved(s->Get()));
      }
    }
    if (round % 4 == 2) {
      for (auto* s : {&batched, &single}) {
        for (int32_t id = 0; id < 0x10000; ++id) (*s)->WriteInteger(100000 + id, id);
        (*s)->WriteInteger(19, 5);  // a small ID beyond its table's reach
      }
    }
    if (round % 4 == 3) {
      for (auto* s : {&batched, &single}) {
        (*s)->WriteInteger(20, 1);
        ASSERT_EQ(qsEmptyCompoundStream(s->Get()), S_OK);
      }
    }
    auto b2 = batched.As<ICompoundStream2>(IID_ICompoundStream2);
    auto s2 = single.As<ICompoundStream2>(IID_ICompoundStream2);
    for (int batch = 0; batch < 6; ++batch) {
      std::vector<TCompoundEntry> values;
      const int n = static_cast<int>(random() % 12);
      for (int k = 0; k < n; ++k) values.push_back(pool[random() % pool.size()]);
      ASSERT_EQ(b2->WriteEntries(values.data(), static_cast<int32_t>(values.size())), S_OK);
      for (const TCompoundEntry& v : values) ASSERT_EQ(WriteOne(s2.Get(), v), S_OK);
      ASSERT_EQ(Saved(batched.Get()), Saved(single.Get())) << "round " << round << " batch " << batch;
    }
    int32_t v = 0;
    EXPECT_EQ(b2->ReadInteger(19, qsRequired, 0, &v), s2->ReadInteger(19, qsRequired, 0, &v));
  }
}

// A refused value stops the batch there: the values before it are written
// (and the container marked modified), none after; nothing is read beyond
// the count.
TEST(QsBatches, WriteEntriesRefusesWhatNoTypedWriteWrites) {
  const int32_t i = 4;
  const double d = 1.5;
  const TCompoundEntry good[] = {{1, qsInteger, const_cast<int32_t*>(&i), 4},
                                 {2, qsDouble, const_cast<double*>(&d), 8}};
  const TCompoundEntry refused[] = {
      {3, qsInteger, const_cast<double*>(&d), 8},
      {3, qsDouble, const_cast<int32_t*>(&i), 4},
      {3, qsEmpty, const_cast<int32_t*>(&i), 4},
      {3, 9, const_cast<int32_t*>(&i), 4},
      {3, qsBinary, nullptr, 4},
      {3, qsString, const_cast<int32_t*>(&i), 0x80000000u},
  };
  auto expected = NewQS();
  for (const TCompoundEntry& v : good)
    ASSERT_EQ(WriteOne(expected.As<ICompoundStream2>(IID_ICompoundStream2).Get(), v), S_OK);
  for (const TCompoundEntry& bad : refused) {
    auto s = NewQS();
    auto s2 = s.As<ICompoundStream2>(IID_ICompoundStream2);
    const TCompoundEntry batch[] = {good[0], good[1], bad, good[0]};
    EXPECT_EQ(s2->WriteEntries(batch, 4), E_INVALIDARG) << bad.Tag << " " << bad.Size;
    EXPECT_EQ(Saved(s.Get()), Saved(expected.Get()));
    auto untouched = NewQS();
    Saved(untouched.Get());  // clears the modified mark
    EXPECT_EQ(untouched.As<ICompoundStream2>(IID_ICompoundStream2)->WriteEntries(&bad, 1), E_INVALIDARG);
    EXPECT_EQ(Dirty(untouched.Get()), S_FALSE);
  }
  auto s = NewQS();
  auto s2 = s.As<ICompoundStream2>(IID_ICompoundStream2);
  EXPECT_EQ(s2->WriteEntries(nullptr, 1), E_INVALIDARG);
  EXPECT_EQ(s2->WriteEntries(good, -1), E_INVALIDARG);
  EXPECT_EQ(s2->WriteEntries(nullptr, 0), S_OK);
  EXPECT_EQ(Saved(s.Get()).size(), 16u);
  EXPECT_TRUE(qsWriteEntries(s.Get(), good, 2));
  EXPECT_FALSE(qsWriteEntries(nullptr, good, 2));
  EXPECT_EQ(Saved(s.Get()), Saved(expected.Get()));
}

// A batch read answers each ID as GetEntry does (the first entry of a
// repeated ID, absent ones empty) on small and larger views, copied loads and
// written containers, in stored order and out of it; damaged streams leave a
// container that answers every ID as absent.
TEST(QsBatches, GetEntriesAnswersAsGetEntry) {
  TModel model;
  for (int32_t id : {18, 8, 9, 1, 7, 16, 19, -40001, -40000, -37000, -36400, -39999, -36999, 5632, 5633})
    model.push_back(TModelEntry{id, id % 2 ? qsInteger : qsDouble, TBytes(id % 2 ? 4 : 8, static_cast<uint8_t>(id))});
  TModel repeated = model;
  repeated.push_back(TModelEntry{-37000, qsInteger, {1, 2, 3, 4}});
  repeated.push_back(TModelEntry{8, qsString, {}});
  TModel larger = model;
  for (int32_t id = 0; id < 80; ++id) larger.push_back(TModelEntry{-30000 - id, qsInteger, {1, 0, 0, 0}});
  std::vector<int32_t> ids;
  for (const auto& e : larger) ids.push_back(e.ID);
  for (int32_t id : {0, 63, 64, 80, -1, -36401, 5634}) ids.push_back(id);
  std::vector<int32_t> shuffled = ids;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
  for (const TModel* m : {&model, &repeated, &larger}) {
    const TBytes image = ModelImage(*m);
    auto view = NewQS();
    ASSERT_EQ(view.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(image.data(), image.size()), S_OK);
    auto written = NewQS();
    for (const auto& e : *m) {
      auto w2 = written.As<ICompoundStream2>(IID_ICompoundStream2);
      if (FirstOf(const_cast<TModel&>(*m), e.ID) != &e) continue;  // the first entry of an ID is what reads see
      const TCompoundEntry v{e.ID, e.Tag, const_cast<uint8_t*>(e.Data.data()), static_cast<uint32_t>(e.Data.size())};
      ASSERT_EQ(w2->WriteEntries(&v, 1), S_OK);
    }
    auto copied = Loaded(image);
    for (auto* s : {view.Get(), copied.Get(), written.Get()})
      for (const auto* order : {&ids, &shuffled}) {
        std::vector<TCompoundEntry> got(order->size());
        auto s2 = TComPtr<ICompoundStream>(s).As<ICompoundStream2>(IID_ICompoundStream2);
        bool all = true;
        for (size_t k = 0; k < order->size(); ++k) {
          TCompoundEntry one{};
          if (s->GetEntry((*order)[k], &one) != S_OK) {
            one = TCompoundEntry{(*order)[k], qsEmpty, nullptr, 0};
            all = false;
          }
          got[k] = one;
        }
        std::vector<TCompoundEntry> batch(order->size());
        EXPECT_EQ(s2->GetEntries(order->data(), static_cast<int32_t>(order->size()), batch.data()),
                  all ? S_OK : S_FALSE);
        for (size_t k = 0; k < order->size(); ++k) {
          ASSERT_EQ(batch[k].ID, got[k].ID);
          ASSERT_EQ(batch[k].Tag, got[k].Tag) << got[k].ID;
          ASSERT_EQ(batch[k].Size, got[k].Size) << got[k].ID;
          ASSERT_EQ(batch[k].Data, got[k].Data) << got[k].ID;
        }
      }
  }
  // Damaged: a record announcing more bytes than follow, a cut directory.
  TBytes damaged = ModelImage(model);
  damaged[16 + 8] = 0xFF;
  const TBytes whole = ModelImage(model);
  const TBytes cut(whole.begin(), whole.begin() + 40);
  for (const TBytes* bad : {static_cast<const TBytes*>(&damaged), &cut}) {
    auto s = NewQS();
    EXPECT_NE(s.As<IPersistMemoryView>(IID_IPersistMemoryView)->LoadView(bad->data(), bad->size()), S_OK);
    std::vector<TCompoundEntry> got(ids.size());
    EXPECT_EQ(s.As<ICompoundStream2>(IID_ICompoundStream2)
                  ->GetEntries(ids.data(), static_cast<int32_t>(ids.size()), got.data()),
              S_FALSE);
    for (const TCompoundEntry& e : got) EXPECT_EQ(e.Tag, qsEmpty);
  }
  auto s2 = NewQS().As<ICompoundStream2>(IID_ICompoundStream2);
  TCompoundEntry e{};
  EXPECT_EQ(s2->GetEntries(nullptr, 1, &e), E_INVALIDARG);
  EXPECT_EQ(s2->GetEntries(ids.data(), 1, nullptr), E_INVALIDARG);
  EXPECT_EQ(s2->GetEntries(ids.data(), -1, &e), E_INVALIDARG);
  EXPECT_EQ(s2->GetEntries(nullptr, 0, nullptr), S_OK);
}

// The typed reads' results from entries: the default unless the kind
// matches, a shorter value replacing only its own bytes of it.
TEST(QsBatches, EntryValuesReadAsTheTypedReads) {
  auto s = NewQS();
  auto s2 = s.As<ICompoundStream2>(IID_ICompoundStream2);
  const uint8_t two[] = {0x34, 0x12};
  ASSERT_EQ(s->WriteInteger(1, 0x100), S_OK);
  ASSERT_EQ(s->WriteBuffer(2, two, 2), S_OK);
  ASSERT_EQ(s->WriteDouble(3, 2.5), S_OK);
  TModel shorter = {
      {4, qsInteger, {0x34, 0x12}}, {5, qsDouble, {1, 2, 3}}, {6, qsInteger, {}}, {7, qsInteger, {0, 1, 0, 0}}};
  auto loaded = Loaded(ModelImage(shorter));
  const int32_t ids[] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (ICompoundStream* c : {s.Get(), loaded.Get()}) {
    TCompoundEntry e[8];
    qsGetEntries(c, ids, 8, e);
    for (int k = 0; k < 8; ++k) {
      EXPECT_EQ(qsEntryInteger(e[k], -5), qsReadInteger(c, ids[k], -5)) << ids[k];
      EXPECT_EQ(qsEntryDouble(e[k], -5.5), qsReadDouble(c, ids[k], -5.5)) << ids[k];
      EXPECT_EQ(qsEntryBool(e[k], true), qsReadBool(c, ids[k], true)) << ids[k];
      EXPECT_EQ(qsEntryBool(e[k], false), qsReadBool(c, ids[k], false)) << ids[k];
    }
  }
  TCompoundEntry none[2];
  qsGetEntries(nullptr, ids, 2, none);
  EXPECT_EQ(none[1].ID, 2);
  EXPECT_EQ(none[1].Tag, qsEmpty);
}

// A small ID stored beyond its table's reach is found through the general
// index (its filter bit included), so a rewrite replaces it in place, by a
// typed write and by a batch alike.
TEST(QsStorage, SmallIdsBeyondTheirTableAreRewrittenInPlace) {
  auto s = NewQS();
  for (int32_t id = 0; id < 0x10000; ++id) ASSERT_EQ(s->WriteInteger(100000 + id, id), S_OK);
  ASSERT_EQ(s->WriteInteger(19, 5), S_OK);
  ASSERT_EQ(s->WriteInteger(19, 6), S_OK);
  const int32_t seven = 7;
  const TCompoundEntry batch = qsIntegerEntry(20, seven);
  ASSERT_TRUE(qsWriteEntries(s.Get(), &batch, 1));
  ASSERT_TRUE(qsWriteEntries(s.Get(), &batch, 1));
  EXPECT_EQ(qsReadInteger(s.Get(), 19, 0), 6);
  EXPECT_EQ(qsReadInteger(s.Get(), 20, 0), 7);
  uint64_t size = 0;
  ASSERT_EQ(qsGetSize(s.Get(), &size), S_OK);
  EXPECT_EQ(size, 16u + (0x10000 + 2) * 20u);
}
