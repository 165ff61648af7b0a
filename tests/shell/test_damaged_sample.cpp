// The shipped sample holds an object of every kind the body draws. Each of
// its streams is damaged in turn (cut short, emptied, bytes and counts
// overwritten, junk appended) and the document opened again: a damaged file
// must load what is sound or be refused, and whatever loads must save, load
// back and draw without a crash. Each column saved alone as an object file
// (".kno") is damaged the same way, and the shipped templates (text files)
// line by line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <functional>
#include <random>

#include "uDrawContext.h"
#include "uDrawSmall.h"
#include "uObjectFile.h"
#include "uObjectImage.h"
#include "uPrintDocument.h"
#include "uRegistration.h"
#include "uScratchEnvTest.h"
#include "uStorage.h"

namespace {

const QString kSample = QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd");

using TMutation = std::function<void(std::vector<uint8_t>*, std::mt19937*)>;

// Copies the tree of `from` into `to`; the stream numbered `target` in the
// order of the walk goes through `damage` on the way. Returns the streams seen.
int CopyDamaged(TStorage* from, TStorage* to, int target, const TMutation& damage, std::mt19937* rng, int counter = 0) {
  for (const TStorageElement& e : from->Elements()) {
    if (e.IsStorage) {
      TStorage* sub = nullptr;
      TStorage* copy = nullptr;
      if (from->OpenStorage(e.Name, &sub) != S_OK || to->CreateStorage(e.Name, &copy) != S_OK) {
        ADD_FAILURE() << "the sample's storage " << e.Name.toStdString() << " did not copy";
        continue;
      }
      counter = CopyDamaged(sub, copy, target, damage, rng, counter);
      continue;
    }
    std::vector<uint8_t> bytes;
    if (from->ReadStream(e.Name, &bytes) != S_OK) {
      ADD_FAILURE() << "the sample's stream " << e.Name.toStdString() << " did not read";
      continue;
    }
    if (counter++ == target) damage(&bytes, rng);
    uint8_t* data = nullptr;
    if (to->CreateStreamBytes(e.Name, bytes.size(), &data) == S_OK && !bytes.empty())
      std::copy(bytes.begin(), bytes.end(), data);
  }
  return counter;
}

// Sizes and counts are mostly little-endian 32-bit words: the values that
// break them are all bits set, the largest positive number and zero.
void OverwriteWords(std::vector<uint8_t>* b, std::mt19937* rng) {
  if (b->size() < 4) return;
  for (const uint32_t word : {0xFFFFFFFFu, 0x7FFFFFFFu, 0u, 0x00010000u}) {
    const size_t at = (*rng)() % (b->size() / 4) * 4;
    for (int k = 0; k < 4; ++k) (*b)[at + static_cast<size_t>(k)] = static_cast<uint8_t>(word >> (8 * k));
  }
}

const std::vector<std::pair<const char*, TMutation>>& Mutations() {
  static const std::vector<std::pair<const char*, TMutation>> kMutations = {
      {"cut short",
       [](std::vector<uint8_t>* b, std::mt19937* rng) { b->resize(b->empty() ? 0 : (*rng)() % b->size()); }},
      {"emptied", [](std::vector<uint8_t>* b, std::mt19937*) { b->clear(); }},
      {"bytes overwritten",
       [](std::vector<uint8_t>* b, std::mt19937* rng) {
         for (int k = 0; k < 8 && !b->empty(); ++k) (*b)[(*rng)() % b->size()] = static_cast<uint8_t>((*rng)());
       }},
      {"counts overwritten", OverwriteWords},
      {"junk appended",
       [](std::vector<uint8_t>* b, std::mt19937* rng) {
         for (int k = 0; k < 300; ++k) b->push_back(static_cast<uint8_t>((*rng)()));
       }},
  };
  return kMutations;
}

class DamagedSample : public TScratchEnvTest {
 protected:
  DamagedSample() { UseProgramDir(QStringLiteral(KERNO_PROGRAM_DIR)); }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterKinds();
  }
};

}  // namespace

TEST_F(DamagedSample, EveryDamagedStreamLoadsWhatIsSoundOrIsRefused) {
  HRESULT hr = S_OK;
  const std::unique_ptr<TStorage> sample = TStorage::OpenFile(kSample, &hr);
  ASSERT_TRUE(sample) << "the sample did not open";
  std::mt19937 rng(20261209);
  // One pass without damage counts the streams (and shows the copy is sound).
  const int streams = [&] {
    const std::unique_ptr<TStorage> copy = TStorage::CreateNew();
    return CopyDamaged(sample.get(), copy.get(), -1, {}, &rng);
  }();
  ASSERT_GT(streams, 50) << "the sample holds every kind of column";

  int loaded = 0, refused = 0;
  for (int target = 0; target < streams; ++target) {
    for (const auto& [what, damage] : Mutations()) {
      SCOPED_TRACE("stream " + std::to_string(target) + " " + what);
      const std::unique_ptr<TStorage> copy = TStorage::CreateNew();
      CopyDamaged(sample.get(), copy.get(), target, damage, &rng);
      const QString damaged = Path("damaged.knd");
      ASSERT_EQ(copy->SaveToFile(damaged), S_OK);
      TPrintDocument document;
      QString error;
      if (!document.LoadFromFile(damaged, &error)) {
        EXPECT_FALSE(error.isEmpty()) << "a refused file is reported";
        ++refused;
        continue;
      }
      ++loaded;
      DrawSmall(&document);
      ASSERT_TRUE(document.SaveToFile(Path("saved.knd"), &error)) << error.toStdString();
      TPrintDocument again;
      ASSERT_TRUE(again.LoadFromFile(Path("saved.knd"), &error)) << "what was saved opens: " << error.toStdString();
      DrawSmall(&again);
    }
  }
  EXPECT_GT(loaded, streams) << "damage to one object's values leaves the document readable";
  RecordProperty("loaded", loaded);
  RecordProperty("refused", refused);
}

// An object file is a column on its own (Save object, then Insert object or
// `--export` of the file): it too loads what is sound or is refused.
TEST_F(DamagedSample, DamagedObjectFilesLoadWhatIsSoundOrAreRefused) {
  TPrintDocument sample;
  QString error;
  ASSERT_TRUE(sample.LoadFromFile(kSample, &error)) << error.toStdString();
  std::vector<TPrintObjectList*> columns;
  for (int b = 0; b < sample.Count(); ++b)
    if (TPrintObjectList* block = sample.GetChild(b)->AsObjectList())
      for (int i = 0; i < block->Count(); ++i)
        if (TPrintObjectList* column = block->GetChild(i)->AsObjectList()) columns.push_back(column);
  ASSERT_GE(columns.size(), 6u) << "the sample's body holds its columns";
  std::mt19937 rng(20261211);
  int loaded = 0, variants = 0;
  for (size_t c = 0; c < columns.size(); ++c) {
    const QString original = Path(QStringLiteral("column%1.kno").arg(c));
    ASSERT_EQ(SaveObjectFile(columns[c], original, &error), S_OK) << error.toStdString();
    HRESULT hr = S_OK;
    const std::unique_ptr<TStorage> file = TStorage::OpenFile(original, &hr);
    ASSERT_TRUE(file);
    const int streams = [&] {
      const std::unique_ptr<TStorage> copy = TStorage::CreateNew();
      return CopyDamaged(file.get(), copy.get(), -1, {}, &rng);
    }();
    for (int target = 0; target < streams; ++target) {
      for (const auto& [what, damage] : Mutations()) {
        SCOPED_TRACE("column " + std::to_string(c) + " stream " + std::to_string(target) + " " + what);
        ++variants;
        const std::unique_ptr<TStorage> copy = TStorage::CreateNew();
        CopyDamaged(file.get(), copy.get(), target, damage, &rng);
        const QString damaged = Path("damaged.kno");
        ASSERT_EQ(copy->SaveToFile(damaged), S_OK);
        const std::unique_ptr<TPrintObjectList> object = LoadObjectFile(damaged, &error);
        if (!object) {
          EXPECT_FALSE(error.isEmpty()) << "a refused file is reported";
          continue;
        }
        ++loaded;
        RenderObjectBitmap(object.get(), 0.25);
        ASSERT_EQ(SaveObjectFile(object.get(), Path("saved.kno"), &error), S_OK) << error.toStdString();
        const std::unique_ptr<TPrintObjectList> again = LoadObjectFile(Path("saved.kno"), &error);
        ASSERT_TRUE(again) << "what was saved opens: " << error.toStdString();
        RenderObjectBitmap(again.get(), 0.25);
      }
    }
  }
  EXPECT_GT(loaded, variants / 2) << "damage to one value leaves most of an object readable";
}

// A template's lines lost, cut, doubled or given values no key expects.
TEST_F(DamagedSample, DamagedTemplatesLoadWhatIsSoundOrAreRefused) {
  const QDir templates(QStringLiteral(KERNO_PROGRAM_DIR "/template"));
  const QStringList files = templates.entryList({"*.knt"}, QDir::Files, QDir::Name);
  ASSERT_GE(files.size(), 3);
  std::mt19937 rng(20261210);
  const QList<QByteArray> junk = {"", "x", "-1", "1e308", "-1e308", "99999999999", "0", "nan", ";;;", "%SCALE%"};
  int loaded = 0;
  for (const QString& file : files) {
    QFile in(templates.filePath(file));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = in.readAll().split('\n');
    for (int variant = 0; variant < 60; ++variant) {
      SCOPED_TRACE(file.toStdString() + " variant " + std::to_string(variant));
      QList<QByteArray> damaged = lines;
      for (int edits = 1 + static_cast<int>(rng() % 3); edits > 0 && !damaged.isEmpty(); --edits) {
        const auto at = static_cast<qsizetype>(rng() % static_cast<uint32_t>(damaged.size()));
        QByteArray& line = damaged[at];
        switch (variant % 4) {
          case 0:
            damaged.removeAt(at);
            break;
          case 1:
            line.truncate(static_cast<qsizetype>(rng() % static_cast<uint32_t>(line.size() + 1)));
            break;
          case 2:
            damaged.insert(at, line);
            break;
          default:
            if (const qsizetype eq = line.indexOf('='); eq >= 0)
              line = line.left(eq + 1) + junk[static_cast<qsizetype>(rng() % static_cast<uint32_t>(junk.size()))];
        }
      }
      const QString path = Path(file);
      QFile out(path);
      ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
      out.write(damaged.join('\n'));
      out.close();
      TPrintDocument document;
      QString error;
      if (!document.LoadFromFile(path, &error)) {
        EXPECT_FALSE(error.isEmpty()) << "a refused template is reported";
        continue;
      }
      ++loaded;
      DrawSmall(&document);
      ASSERT_TRUE(document.SaveToFile(Path("from_template.knd"), &error)) << error.toStdString();
      TPrintDocument again;
      ASSERT_TRUE(again.LoadFromFile(Path("from_template.knd"), &error)) << error.toStdString();
    }
  }
  EXPECT_GT(loaded, 60) << "a damaged line leaves the rest of a template readable";
}
