// Loading and saving metafiles: every record size is checked before the bytes are accepted.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "emfTestUtil.h"
#include "uEmfDocument.h"

namespace {

std::vector<uint8_t> SimplePicture() {
  TEmfBytes b(100, 50);
  b.Rec(43, {10, 10, 60, 40});  // RECTANGLE
  return b.Finish();
}

}  // namespace

TEST(EmfDocument, DecodesHeaderAndNaturalSize) {
  std::vector<uint8_t> bytes = SimplePicture();
  std::string error;
  auto doc = TEmfDocument::FromBytes(bytes.data(), bytes.size(), &error);
  ASSERT_TRUE(doc) << error;
  EXPECT_EQ(doc->Header().BoundsRight, 99);
  EXPECT_EQ(doc->Header().FrameRight, 100 * 2540 / 96);
  EXPECT_EQ(doc->Header().Records, 3u);
  EXPECT_EQ(doc->Header().Bytes, bytes.size());
  EXPECT_NEAR(doc->NaturalSizeMM().width(), 26.45, 0.01);
  EXPECT_NEAR(doc->NaturalSizeMM().height(), 13.22, 0.01);
  auto raw = doc->RawHeader100();
  EXPECT_EQ(0, std::memcmp(raw.data(), bytes.data(), 88));
  for (size_t i = 88; i < 100; ++i) EXPECT_EQ(raw[i], 0) << "short header must be zero-padded";
}

// Each damaged variant must be refused instead of being accepted and read out of bounds.
TEST(EmfDocument, RefusesDamagedStructure) {
  std::vector<uint8_t> good = SimplePicture();
  auto refused = [](std::vector<uint8_t> b, const char* what) {
    std::string error;
    EXPECT_FALSE(TEmfDocument::FromBytes(b.data(), b.size(), &error)) << what;
    EXPECT_FALSE(error.empty()) << what;
  };
  auto set32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
    std::memcpy(&b[at], &v, 4);
    return b;
  };
  refused({}, "empty");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 60), "truncated header");
  refused(std::vector<uint8_t>(good.begin(), good.end() - 4), "truncated file");
  refused(set32(good, 0, 2), "first record not a header");
  refused(set32(good, 40, 0x12345678), "bad signature");
  refused(set32(good, 4, 86), "header size not a multiple of 4");
  refused(set32(good, 4, 0x7FFFFFF0), "header size beyond the file");
  refused(set32(good, 48, uint32_t(good.size() + 400)), "nBytes beyond the file");
  refused(set32(good, 88 + 4, 6), "record size below 8");
  refused(set32(good, 88 + 4, 26), "record size not a multiple of 4");
  refused(set32(good, 88 + 4, 0xFFFFFFF8u), "record size past the end (overflow)");
  refused(set32(good, 56, 0), "no object table slot");
  refused(set32(good, 72, 0), "zero reference device");
  refused(set32(set32(good, 60, 100), 64, 80), "description outside the header");
  // Without EOF the record walk reaches the end of nBytes.
  std::vector<uint8_t> noEof(good.begin(), good.end() - 20);
  refused(set32(noEof, 48, uint32_t(noEof.size())), "no EOF");
}

TEST(EmfDocument, CopyAndSaveKeepTheBytes) {
  std::vector<uint8_t> bytes = SimplePicture();
  auto doc = TEmfDocument::FromBytes(bytes.data(), bytes.size());
  ASSERT_TRUE(doc);
  auto copy = doc->Copy();
  EXPECT_EQ(copy->Bytes(), doc->Bytes());
  QTemporaryDir dir;
  QString path = dir.filePath("pic.emf");
  ASSERT_TRUE(doc->SaveToFile(path));
  auto back = TEmfDocument::FromFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Bytes(), bytes);
  // No temporary file is left beside the target.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
  // A save into a missing folder fails and leaves nothing behind.
  EXPECT_FALSE(doc->SaveToFile(dir.filePath("missing/pic.emf")));
  std::string error;
  EXPECT_FALSE(TEmfDocument::FromFile(dir.filePath("none.emf"), &error));
  EXPECT_FALSE(error.empty());
}

// The real files of many writers load; the damaged ones load or are refused, never crash.
TEST(EmfDocument, CorpusLoads) {
  if (!HaveSharedData("emf")) GTEST_SKIP() << "shared data not present";
  QDir good(SharedData("emf"));
  QStringList files = good.entryList({"*.emf"}, QDir::Files);
  ASSERT_GT(files.size(), 20);
  for (const QString& f : files) {
    std::string error;
    auto doc = TEmfDocument::FromFile(good.filePath(f), &error);
    EXPECT_TRUE(doc) << f.toStdString() << ": " << error;
    if (doc) {
      EXPECT_GT(doc->Header().Records, 1u);
      EXPECT_EQ(doc->Size(), doc->Header().Bytes);
    }
  }
  QDir bad(SharedData("emf-corrupted"));
  int refused = 0;
  for (const QString& f : bad.entryList({"*.emf"}, QDir::Files)) {
    std::string error;
    auto doc = TEmfDocument::FromFile(bad.filePath(f), &error);
    if (!doc) ++refused;
  }
  EXPECT_GT(refused, 0) << "damaged headers must be refused";
}
