// The head files shipped in resources/hdr: each is exactly what the head
// sheet generator writes, loads with its parameters, fits an A4 page, and
// draws every filled-in text inside its frame.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSet>

#include "uHeadSheets.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uRecordingDevice.h"
#include "uScratchEnvTest.h"

namespace {

const QString kShipped = QStringLiteral(KERNO_SOURCE_DIR "/resources/hdr");

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ShippedHeads : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterTextKinds();
  }
  void TearDown() override {
    SetProgramDir(QString());  // a test reads the program folder of this build
    TScratchEnvTest::TearDown();
  }
};

QStringList ParameterNames(const TPrintHeader& head) {
  QStringList names;
  for (const TNamedValue& v : head.Parameters().Items()) names << v.Name;
  return names;
}

// Values of the length a real well document has.
void FillValues(TPrintHeader* head) {
  for (int i = 0; i < head->Parameters().Count(); ++i) {
    const QString name = head->Parameters().At(i).Name;
    QString value = QStringLiteral("1234.5");
    if (name == "COMPANY" || name == "LOGGING_COMPANY" || name == "OPERATOR") value = "Severo-Zapadnaya Geology Ltd";
    if (name == "WELL") value = "1234-bis";
    if (name == "FIELD" || name == "AREA") value = "Vostochno-Sugmutskoye";
    if (name.endsWith("DATE")) value = "12.10.2023";
    if (name == "GEOLOGIST" || name == "ENGINEER" || name == "CHECKED_BY") value = "A. V. Konstantinopolsky";
    if (name == "COORD_SYSTEM") value = "Pulkovo 1942 / Gauss-Kruger zone 12";
    if (name == "REMARKS") value = "Core intervals marked on the lithology column";
    if (name == "CONCLUSIONS")
      value =
          "Oil-saturated sandstones of the Vasyugan suite at 2412.4-2431.0 m are recommended for testing; "
          "the interval 2455-2470 m is water-bearing.";
    if (name == "SCALE") value = "500";
    head->Parameters().SetValueAt(i, value);
  }
  head->SubstituteParameters();
}

}  // namespace

TEST_F(ShippedHeads, EveryShippedFileIsTheGeneratorsOutput) {
  ASSERT_TRUE(WriteHeadSheets(FDir.filePath("out"), nullptr));
  QStringList made;
  for (const THeadSheet& sheet : HeadSheets()) {
    made << sheet.FileName;
    const QByteArray shipped = Read(kShipped + "/" + sheet.FileName);
    ASSERT_FALSE(shipped.isEmpty()) << sheet.FileName.toStdString() << ": run mkheads resources/hdr";
    EXPECT_EQ(shipped, Read(FDir.filePath("out/" + sheet.FileName)))
        << sheet.FileName.toStdString() << " differs from the generator: run mkheads resources/hdr";
  }
  QStringList shipped = QDir(kShipped).entryList({"*.hdr"}, QDir::Files);
  made.sort();
  shipped.sort();
  EXPECT_EQ(shipped, made) << "every shipped head comes from the generator";
}

TEST_F(ShippedHeads, EachLoadsWithItsParametersAndFitsAnA4Page) {
  SetProgramDir(QStringLiteral(KERNO_PROGRAM_DIR));
  QStringList englishNames;
  for (const THeadSheet& sheet : HeadSheets()) {
    SCOPED_TRACE(sheet.FileName.toStdString());
    // Found where templates look for it: the program folder's "hdr".
    const QString path = TPrintHeader::FindHeaderFile(sheet.FileName);
    ASSERT_FALSE(path.isEmpty());
    TPrintHeader head;
    ASSERT_TRUE(head.LoadHeaderFile(path));
    const QStringList names = ParameterNames(head);
    if (sheet.ColumnTitles) {
      // Titles of columns only, one row or two over the body, and no values to fill in.
      EXPECT_TRUE(names.isEmpty());
      EXPECT_EQ(head.GetWidth(), 190);
      EXPECT_GE(head.GetHeight(), 10);
      EXPECT_LE(head.GetHeight(), 40);
      continue;
    }
    EXPECT_TRUE(names.contains("WELL"));
    if (sheet.LogSheet) {
      EXPECT_GE(head.Count(), 9);
      for (const char* expected : {"FIELD", "AREA", "SCALE", "TOP_DEPTH", "BOTTOM_DEPTH", "ELEVATION"})
        EXPECT_TRUE(names.contains(expected)) << expected;
    }
    // The Russian head of a sheet uses the English one's names.
    if (sheet.FileName.endsWith("_ru.hdr"))
      EXPECT_EQ(QSet<QString>(names.begin(), names.end()), QSet<QString>(englishNames.begin(), englishNames.end()));
    else
      englishNames = names;
    EXPECT_EQ(head.Left(), 0);
    EXPECT_EQ(head.Top(), 0);
    EXPECT_EQ(head.GetWidth(), 190) << "the content width of an A4 page";
    EXPECT_GT(head.GetHeight(), 30);
    EXPECT_LT(head.GetHeight(), 80);
    // Frames tile the head: inside it, none overlapping another.
    for (int i = 0; i < head.Count(); ++i) {
      const TBoundsRect a = head.GetChild(i)->GetBoundsRect();
      EXPECT_GE(a.Left, 0);
      EXPECT_LE(a.Right, 190);
      EXPECT_LE(a.Bottom, head.GetHeight());
      for (int j = i + 1; j < head.Count(); ++j) {
        const TBoundsRect b = head.GetChild(j)->GetBoundsRect();
        const bool apart = a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top || b.Bottom <= a.Top;
        EXPECT_TRUE(apart) << i << " and " << j << " overlap";
      }
    }
  }
}

// Filled in with values of real length and printed at 10 pixels per mm,
// every line of text stays inside its frame.
TEST_F(ShippedHeads, FilledInTextsStayInsideTheirFrames) {
  for (const THeadSheet& sheet : HeadSheets()) {
    SCOPED_TRACE(sheet.FileName.toStdString());
    TPrintHeader head;
    ASSERT_TRUE(head.LoadHeaderFile(kShipped + "/" + sheet.FileName));
    FillValues(&head);
    TRecordingDevice device(QSize(2000, 1000), 254);
    QPainter painter(&device);
    TDrawContext context;
    context.DC = &painter;
    context.ClipRect = {0, 0, 2000, 1000};
    context.Options = doBorders;
    for (int i = 0; i < head.Count(); ++i) {
      auto* text = dynamic_cast<TPrintText*>(head.GetChild(i));
      ASSERT_NE(text, nullptr);
      // An empty frame is room for what stands over it (curve headers).
      if (text->GetText().isEmpty()) continue;
      device.Clear();
      text->Draw(context);
      const TRect frame = text->GetPixelRect(context);
      const auto drawn = device.Texts();
      ASSERT_FALSE(drawn.empty()) << text->PrintedText().toStdString();
      for (const TRecordedItem* item : drawn) {
        EXPECT_GE(item->Rect.left(), frame.Left) << item->Describe();
        EXPECT_LE(item->Rect.right(), frame.Right) << item->Describe();
        EXPECT_GE(item->Rect.top(), frame.Top) << item->Describe();
        EXPECT_LE(item->Rect.bottom(), frame.Bottom) << item->Describe();
      }
    }
  }
}
