// Named values: placeholder expansion and collection, the stored form with
// its limits, damaged streams, and filling from a table file.
#include <gtest/gtest.h>

#include "qs.h"
#include "qsID.h"
#include "uCodePage.h"
#include "uComPtr.h"
#include "uImportColumns.h"
#include "uMemoryStream.h"
#include "uNamedValueList.h"
#include "uNewQS.h"
#include "uScratchEnvTest.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

TNamedValueList WithA() {
  TNamedValueList list;
  list.SetValue("a", "1");
  return list;
}

}  // namespace

TEST(NamedValues, ExpansionReplacesPlaceholdersAndKeepsWhatIsNotOne) {
  TNamedValueList list = WithA();
  list.DefaultValue = "?";
  EXPECT_EQ(list.Expand("x%a%y"), "x1y");
  EXPECT_EQ(list.Expand("50%%"), "50%") << "two delimiters stand for one";
  EXPECT_EQ(list.Expand("%b%"), "?") << "an unknown name gives the default value";
  EXPECT_EQ(list.Expand("%a%%a%"), "11");
  EXPECT_EQ(list.Expand("x%a"), "x%a") << "a name never closed is kept as written";
  EXPECT_EQ(list.Expand("x%"), "x") << "a lone delimiter at the end is dropped";
  EXPECT_EQ(list.Expand("%%a%"), "%a") << "the escaped delimiter does not open a name";
  EXPECT_EQ(list.Expand(""), "");
  list.Delimiter = '#';
  EXPECT_EQ(list.Expand("%a% #a#"), "%a% 1");
}

TEST(NamedValues, NamesAreCollectedOnceInTextOrderAndExactly) {
  TNamedValueList list = WithA();
  EXPECT_EQ(list.NamesIn("%WELL% at %%5 in %FIELD%, %WELL%"), QStringList({"WELL", "FIELD", "WELL"}));
  EXPECT_EQ(list.AddNamesFrom("%WELL% %a% %A% %unclosed"), 2) << "\"a\" is there; \"A\" is another name";
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.At(1).Name, "WELL");
  EXPECT_EQ(list.At(2).Name, "A");
  EXPECT_EQ(list.At(2).Value, "");
  EXPECT_EQ(list.ValueOf("a"), "1") << "collecting keeps existing values";
  list.SetValue("WELL", "12-bis");
  EXPECT_EQ(list.IndexOf("WELL"), 1) << "a value is replaced in place";
  list.Delete(0);
  EXPECT_EQ(list.IndexOf("WELL"), 0) << "names are found again after a deletion";
  EXPECT_EQ(list.ValueOf("WELL"), "12-bis");
}

TEST(NamedValues, TheListStopsWhereStoredIdsWouldCollide) {
  TNamedValueList list;
  for (int i = 0; i < TNamedValueList::kMaxCount; ++i) ASSERT_TRUE(list.SetValue(QString::number(i), "v"));
  EXPECT_FALSE(list.SetValue("one more", "v"));
  EXPECT_EQ(list.IndexOf("one more"), -1) << "a refused name leaves nothing in the index";
  EXPECT_TRUE(list.SetValue("5", "changed")) << "existing names still take values";
  EXPECT_EQ(list.Count(), TNamedValueList::kMaxCount);

  auto qs = NewQS();
  ASSERT_TRUE(list.SaveToQS(qs.Get()));
  TNamedValueList loaded;
  ASSERT_TRUE(loaded.LoadFromQS(qs.Get()));
  EXPECT_EQ(loaded, list) << "the last entry's name must not overwrite the first value";
}

TEST(NamedValues, ExpansionOfHugeValuesIsBounded) {
  TNamedValueList list;
  list.SetValue("v", QString(10000, 'x'));
  QString text;
  for (int i = 0; i < 200; ++i) text += "%v%";
  EXPECT_EQ(list.Expand(text).size(), TNamedValueList::kMaxExpandedLength);
  EXPECT_EQ(list.Expand("<%v%>").size(), 10002);
}

// The stored form of the head's "values": IDs 1, 2, 10, 1000 + i, 2000 + i.
TEST(NamedValues, StreamFormHoldsTheDocumentedIdsAndLongTextsWhole) {
  TNamedValueList list;
  list.DefaultValue = "n/a";
  list.Delimiter = '#';
  list.SetValue("WELL", "Скв. 12");
  const QString longValue = QString(300, 'z') + "end";
  list.SetValue("NOTE", longValue);
  auto qs = NewQS();
  ASSERT_TRUE(list.SaveToQS(qs.Get()));
  EXPECT_EQ(qsReadShortStr(qs.Get(), 1, ""), "n/a");
  char delimiter = 0;
  uint32_t size = 1;
  ASSERT_EQ(qs->ReadData(2, 0, &delimiter, &size), S_OK);
  EXPECT_EQ(delimiter, '#');
  EXPECT_EQ(qsReadInteger(qs.Get(), 10, 0), 2);
  EXPECT_EQ(qsReadShortStr(qs.Get(), 1000, ""), "WELL");
  EXPECT_EQ(qsReadShortStr(qs.Get(), 2000, ""), Utf8ToCp1251("Скв. 12")) << "texts are stored in Windows-1251";
  EXPECT_EQ(qsReadShortStr(qs.Get(), 2001, "").size(), 255u) << "older readers get the first 255 characters";

  // Through a byte stream, as the head stores it.
  TComPtr<IStream> stream;
  ASSERT_EQ(CreateMemoryStream(stream.Put()), S_OK);
  ASSERT_TRUE(list.SaveToStream(stream.Get()));
  stream->Seek(0, 0, nullptr);
  TNamedValueList loaded;
  ASSERT_TRUE(loaded.LoadFromStream(stream.Get()));
  EXPECT_EQ(loaded, list);
  EXPECT_EQ(loaded.ValueOf("NOTE"), longValue);
}

TEST(NamedValues, DamagedStreamsLoadWhatTheyHold) {
  auto qs = NewQS();
  qsWriteInteger(qs.Get(), 10, 2000000000);  // a count far beyond the entries
  qsWriteShortStr(qs.Get(), 1000, "A");
  qsWriteShortStr(qs.Get(), 2000, "1");
  qsWriteShortStr(qs.Get(), 1002, "C");       // no value stored
  qsWriteShortStr(qs.Get(), 2001, "orphan");  // a value without a name
  TNamedValueList list;
  list.Delimiter = '#';
  ASSERT_TRUE(list.LoadFromQS(qs.Get()));
  EXPECT_EQ(list.Delimiter, '#') << "no stored delimiter keeps the current one";
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.ValueOf("A"), "1");
  EXPECT_TRUE(list.Contains("C"));
  EXPECT_EQ(list.ValueOf("C"), "");

  auto negative = NewQS();
  qsWriteInteger(negative.Get(), 10, -5);
  TNamedValueList none;
  EXPECT_TRUE(none.LoadFromQS(negative.Get()));
  EXPECT_EQ(none.Count(), 0);

  TComPtr<IStream> garbage;
  ASSERT_EQ(CreateMemoryStream(garbage.Put()), S_OK);
  garbage->Write("not a compound stream", 21, nullptr);
  garbage->Seek(0, 0, nullptr);
  EXPECT_FALSE(none.LoadFromStream(garbage.Get()));
}

namespace {

class NamedValuesImport : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WriteText("values.txt", "WELL\t12-bis\n\tno name\nFIELD\tEast\nWELL\t14\n"));
    FFile = Path("values.txt");
  }
  void TearDown() override {
    SetColumnImportEditor({});
    TScratchEnvTest::TearDown();
  }
  QString FFile;
};

}  // namespace

TEST_F(NamedValuesImport, EveryRowWithANameGivesOnePair) {
  TNamedValueList list;
  list.SetValue("AREA", "kept");
  FUi.FileAnswers.push_back(FFile);
  ASSERT_EQ(list.ImportWithDialog(), S_OK);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.ValueOf("AREA"), "kept");
  EXPECT_EQ(list.ValueOf("WELL"), "14") << "a repeated name takes the later value";
  EXPECT_EQ(list.ValueOf("FIELD"), "East");
  EXPECT_FALSE(list.Contains(""));

  // The columns come from the import editor: here names from column 2.
  SetColumnImportEditor([](TColumnImport* import) {
    EXPECT_EQ(import->Section(), "Table.Values");
    import->SetColumn(1, 1);
    import->SetColumn(2, 0);
    return true;
  });
  FUi.FileAnswers.push_back(FFile);
  ASSERT_EQ(list.ImportWithDialog(), S_OK);
  EXPECT_EQ(list.ValueOf("East"), "FIELD");

  const TNamedValueList before = list;
  SetColumnImportEditor([](TColumnImport*) { return false; });
  FUi.FileAnswers.push_back(FFile);
  EXPECT_EQ(list.ImportWithDialog(), R_CANCELLED);
  EXPECT_EQ(list, before) << "a cancelled import changes nothing";
  EXPECT_EQ(list.ImportWithDialog(), R_CANCELLED) << "no file chosen";
  // A failed import reports its reason to the caller and shows nothing.
  FUi.FileAnswers.push_back(FFile + ".missing.csv");
  QString error;
  EXPECT_EQ(list.ImportWithDialog(&error), E_FAIL);
  EXPECT_TRUE(error.contains(".missing.csv")) << error.toStdString();
  EXPECT_TRUE(FUi.Messages.empty());
  EXPECT_EQ(list, before);
}
