// Captions of signs: one per language beside the rock code, kept by the
// compound stream form and by copies, dropped by the old raw form, and read
// safely from damaged streams.
#include <gtest/gtest.h>

#include "uTestStrat.h"

using namespace teststrat;

namespace {

TComPtr<IStratSignCaptions> CaptionsOf(IStratSign* sign) {
  return QueryAs<IStratSignCaptions>(sign, IID_IStratSignCaptions);
}

std::string Caption(IStratSign* sign, const char* language) {
  TShortString text{};
  CaptionsOf(sign)->GetCaption(language, &text);
  return ShortStringText(text);
}

}  // namespace

TEST(StratSignCaptions, SetReplaceRemoveByLanguage) {
  TComPtr<IStratSign> sign = MakeSign("SST");
  TComPtr<IStratSignCaptions> captions = CaptionsOf(sign.Get());
  ASSERT_TRUE(captions);
  EXPECT_EQ(captions->SetCaption("en", MakeShortString("Sandstone")), S_OK);
  EXPECT_EQ(captions->SetCaption("ru", MakeShortString("\xCF\xE5\xF1\xF7\xE0\xED\xE8\xEA")), S_OK);  // Windows-1251
  EXPECT_EQ(Caption(sign.Get(), "EN"), "Sandstone") << "languages match without case";
  EXPECT_EQ(captions->SetCaption("En", MakeShortString("Sand stone")), S_OK);
  EXPECT_EQ(captions->CaptionCount(), 2) << "a second caption in the same language replaces the first";
  EXPECT_EQ(Caption(sign.Get(), "en"), "Sand stone");
  EXPECT_EQ(Caption(sign.Get(), "de"), "");
  EXPECT_EQ(captions->SetCaption("en", TShortString{}), S_OK);
  EXPECT_EQ(captions->CaptionCount(), 1);
  TShortString language{};
  captions->GetCaptionLanguage(0, &language);
  EXPECT_EQ(ShortStringText(language), "ru");
  captions->GetCaptionLanguage(1, &language);
  EXPECT_EQ(language.Length, 0);
  EXPECT_EQ(captions->SetCaption("", MakeShortString("x")), E_INVALIDARG);
  EXPECT_EQ(captions->SetCaption(nullptr, MakeShortString("x")), E_INVALIDARG);
  for (int i = captions->CaptionCount(); i < kMaxSignCaptions; ++i)
    ASSERT_EQ(captions->SetCaption(("l" + std::to_string(i)).c_str(), MakeShortString("x")), S_OK);
  EXPECT_EQ(captions->SetCaption("one-too-many", MakeShortString("x")), E_FAIL);
  EXPECT_EQ(NameOf(sign.Get()), "SST") << "captions leave the name alone";
}

TEST(StratSignCaptions, TravelWithTheCompoundFormAndCopiesButNotTheOldForm) {
  TComPtr<IStratSign> sign = MakeSign("LST");
  CaptionsOf(sign.Get())->SetCaption("en", MakeShortString("Limestone"));
  CaptionsOf(sign.Get())->SetCaption("ru", MakeShortString("\xC8\xE7\xE2\xE5\xF1\xF2\xED\xFF\xEA"));

  TComPtr<IStratSign> loaded;
  stratCreateSign(loaded.Put());
  CaptionsOf(loaded.Get())->SetCaption("de", MakeShortString("stale"));
  ASSERT_EQ(LoadForm(loaded.Get(), SavedForm(sign.Get()).Get()), S_OK);
  EXPECT_EQ(Caption(loaded.Get(), "en"), "Limestone");
  EXPECT_EQ(Caption(loaded.Get(), "ru"), "\xC8\xE7\xE2\xE5\xF1\xF2\xED\xFF\xEA");
  EXPECT_EQ(Caption(loaded.Get(), "de"), "") << "loading replaces the captions";

  TComPtr<IStratSign> copy;
  stratCreateSign(copy.Put());
  ASSERT_EQ(stratCopy(sign.Get(), copy.Get()), S_OK);
  EXPECT_EQ(Caption(copy.Get(), "en"), "Limestone");

  // The old raw record has no room for captions: a sign read from it has none.
  auto old = QueryAs<IStratSignOld>(sign.Get(), IID_IStratSignOld);
  std::vector<uint8_t> raw(static_cast<size_t>(old->SaveToOldBuffer(nullptr, 0)));
  ASSERT_EQ(old->SaveToOldBuffer(raw.data(), static_cast<int32_t>(raw.size())), static_cast<int32_t>(raw.size()));
  auto fromOld = QueryAs<IStratSignOld>(copy.Get(), IID_IStratSignOld);
  ASSERT_EQ(fromOld->LoadFromOldBuffer(raw.data(), static_cast<int32_t>(raw.size())), static_cast<int32_t>(raw.size()));
  EXPECT_EQ(CaptionsOf(copy.Get())->CaptionCount(), 0);
  EXPECT_EQ(NameOf(copy.Get()), "LST");

  // A sign without captions writes none of their values (older readers see the same stream).
  TComPtr<IStratSign> plain = MakeSign("DOL");
  uint32_t size = 0;
  EXPECT_NE(SavedForm(plain.Get())->ReadData(16, 0, nullptr, &size), S_OK);
}

TEST(StratSignCaptions, DamagedCountsAndEntriesLoadWhatIsSound) {
  TComPtr<IStratSign> sign = MakeSign("SH");
  CaptionsOf(sign.Get())->SetCaption("en", MakeShortString("Shale"));
  CaptionsOf(sign.Get())->SetCaption("ru", MakeShortString("ru-text"));
  TComPtr<ICompoundStream> form = SavedForm(sign.Get());

  // A huge count reads only what can be there; entries without a language are skipped.
  form->WriteInteger(16, 2000000000);
  form->WriteShortString(17 + 2 * 5 + 1, MakeShortString("orphan caption"));
  TComPtr<IStratSign> loaded;
  stratCreateSign(loaded.Put());
  ASSERT_EQ(LoadForm(loaded.Get(), form.Get()), S_OK);
  EXPECT_EQ(CaptionsOf(loaded.Get())->CaptionCount(), 2);
  EXPECT_EQ(Caption(loaded.Get(), "ru"), "ru-text");

  form->WriteInteger(16, -5);
  ASSERT_EQ(LoadForm(loaded.Get(), form.Get()), S_OK);
  EXPECT_EQ(CaptionsOf(loaded.Get())->CaptionCount(), 0);
  EXPECT_EQ(NameOf(loaded.Get()), "SH");
}
