// Automatic placement (stratAdjuctField): counts from the signs' templates.
#include <gtest/gtest.h>

#include "uTestStrat.h"

using namespace teststrat;

namespace {

// A database with one 10 mm x 5 mm sign "SST" whose single template has 5 mm gaps.
TComPtr<IStratDataBase> OneSign(int32_t flags, double spaceX = 5.0, double spaceY = 5.0) {
  auto sign = MakeSign("SST", 1000, 500);
  TComPtr<IStratField> templates;
  sign->GetFields(templates.Put());
  TStratPlacement tpl = DefaultPlacement("SST");
  tpl.Flags = flags;
  tpl.SpaceX = spaceX;
  tpl.SpaceY = spaceY;
  templates->SetItem(0, tpl);
  TComPtr<IStratDataBase> database;
  stratCreateDataBase(database.Put());
  database->AddSign(QueryAs<IStratStream>(sign.Get(), IID_IStratStream).Get(), false);
  return database;
}

TComPtr<IStratField> FieldNaming(std::initializer_list<const char*> names) {
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  for (const char* n : names) field->Add(MakeShortString(n));
  return field;
}

TStratPlacement Item(IStratField* field, int32_t index) {
  TStratPlacement item{};
  field->GetItem(index, &item);
  return item;
}

}  // namespace

TEST(StratAdjust, CoveringAndWholeBlockCounts) {
  auto field = FieldNaming({"SST"});
  ASSERT_EQ(stratAdjuctField(OneSign(1).Get(), field.Get(), 40, 12), S_OK);
  EXPECT_EQ(Item(field.Get(), 0).CountX, 3);  // ceiling of 40 / 15
  EXPECT_EQ(Item(field.Get(), 0).CountY, 2);  // ceiling of 12 / 10

  ASSERT_EQ(stratAdjuctField(OneSign(0).Get(), field.Get(), 40, 12), S_OK);
  const TStratPlacement item = Item(field.Get(), 0);
  EXPECT_EQ(item.CountX, 3);  // 2.67 rounded
  EXPECT_EQ(item.CountY, 1);  // 1.2 rounded
  EXPECT_EQ(item.Flags, 0);
  EXPECT_EQ(item.OffsetY, 1.0);  // the sign fits below its offset: not moved

  // Halves round to the even neighbour: 45 / 15 = 3 exactly, 37.5 / 15 = 2.5 -> 2.
  ASSERT_EQ(stratAdjuctField(OneSign(0).Get(), field.Get(), 37.5, 12), S_OK);
  EXPECT_EQ(Item(field.Get(), 0).CountX, 2);
}

TEST(StratAdjust, TallSignIsCentredWhenItDoesNotFit) {
  auto field = FieldNaming({"SST"});
  ASSERT_EQ(stratAdjuctField(OneSign(0).Get(), field.Get(), 40, 5.5), S_OK);
  EXPECT_DOUBLE_EQ(Item(field.Get(), 0).OffsetY, 5.5 / 2 - 2.5);
}

TEST(StratAdjust, SecondTemplateAddsOneItemOnce) {
  auto database = OneSign(1);
  TComPtr<IStratSign> sign;
  database->GetSign(0, sign.Put());
  TComPtr<IStratField> templates;
  sign->GetFields(templates.Put());
  TStratPlacement second = DefaultPlacement("SST");
  second.OffsetX = 8.5;
  templates->Add(MakeShortString("SST"));
  templates->SetItem(1, second);

  auto field = FieldNaming({"SST", "OTHER"});
  ASSERT_EQ(stratAdjuctField(database.Get(), field.Get(), 40, 12), S_OK);
  ASSERT_EQ(field->Count(), 3);
  EXPECT_EQ(ItemName(field.Get(), 2), "SST");
  EXPECT_EQ(Item(field.Get(), 2).OffsetX, 8.5);
  EXPECT_EQ(Item(field.Get(), 1).CountX, 1);  // a name the database lacks stays as it was

  ASSERT_EQ(stratAdjuctField(database.Get(), field.Get(), 40, 12), S_OK);
  EXPECT_EQ(field->Count(), 3);
}

// A sign whose size plus gap is zero has no finite count: one block, not a division by zero.
TEST(StratAdjust, ZeroPitchKeepsOneBlock) {
  auto field = FieldNaming({"SST"});
  ASSERT_EQ(stratAdjuctField(OneSign(1, -10.0, 5.0).Get(), field.Get(), 40, 12), S_OK);
  EXPECT_EQ(Item(field.Get(), 0).CountX, 1);
  EXPECT_EQ(Item(field.Get(), 0).CountY, 2);
  ASSERT_EQ(stratAdjuctField(OneSign(0, 5.0, -5.0).Get(), field.Get(), 40, 12), S_OK);
  EXPECT_EQ(Item(field.Get(), 0).CountX, 3);
  EXPECT_EQ(Item(field.Get(), 0).CountY, 1);
}

TEST(StratAdjust, RefusesBadArguments) {
  auto field = FieldNaming({"SST"});
  auto database = OneSign(1);
  EXPECT_EQ(stratAdjuctField(nullptr, field.Get(), 1, 1), E_INVALIDARG);
  EXPECT_EQ(stratAdjuctField(database.Get(), nullptr, 1, 1), E_INVALIDARG);
  EXPECT_EQ(stratAdjuctField(database.Get(), field.Get(), 0, 1), E_INVALIDARG);
  EXPECT_EQ(stratAdjuctField(database.Get(), field.Get(), 1, -1), E_INVALIDARG);
  EXPECT_EQ(Item(field.Get(), 0).CountX, 1);
}

TEST(StratField, CheckNames) {
  auto database = OneSign(1);
  TComPtr<IStratField> field;
  stratCreateField(field.Put());
  EXPECT_EQ(field->CheckNames(database.Get()), 1);
  field->Add(MakeShortString(""));
  field->Add(MakeShortString("sst"));
  EXPECT_EQ(field->CheckNames(database.Get()), 1);
  field->Add(MakeShortString("NOPE"));
  EXPECT_EQ(field->CheckNames(database.Get()), 0);
  EXPECT_EQ(field->CheckNames(nullptr), E_INVALIDARG);
}
