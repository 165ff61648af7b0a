// The description column: texts made for intervals with the column's
// settings, the automatic layout and its undoing, the commands that give
// borders, binding, ticks, margins and fonts to the texts, find and select,
// the stored form, the grid editor's write-back, dragging bound texts, and
// the import and export of texts.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "uObjectFile.h"
#include "uPassportBody.h"
#include "uPrintDesc.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uStringTable.h"
#include "uTablesTestEnv.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

// A column 0-100 mm down a body at 1:1000 (depth in metres = page mm).
struct TColumn {
  TTableBody Body;
  TPrintDesc* Desc = Body.Add<TPrintDesc>(20, 0, 50, 100);
  TPrintText* Text(double top, double bottom, const QString& text = QStringLiteral("t")) {
    return Desc->CreateText(top, bottom, text);
  }
};

QStringList Selected(const TPrintDesc& desc) {
  QStringList out;
  for (TPrintText* t : desc.Texts())
    if (t->Selected()) out << t->GetText();
  return out;
}

}  // namespace

using PrintDesc = TTablesTest;

TEST_F(PrintDesc, ANewTextTakesItsIntervalAndTheColumnsSettings) {
  TColumn c;
  EXPECT_EQ(c.Desc->GetKind(), 6);
  EXPECT_TRUE(c.Desc->Border());
  EXPECT_TRUE(c.Desc->Flags() & 16) << "a new column takes texts inserted with the mouse";
  EXPECT_EQ(c.Desc->ChildFlags() & 18, 18u);
  c.Desc->LeftTick = 2;
  c.Desc->RightIndent = 3;
  c.Desc->TextBorders = true;
  c.Desc->Font.SetName("Liberation Serif");
  TPrintText* t = c.Text(30, 20, "sand\\nstone");
  ASSERT_NE(t, nullptr);
  EXPECT_DOUBLE_EQ(t->Top(), 20) << "reversed depths are put in order";
  EXPECT_DOUBLE_EQ(t->BottomEdge(), 30);
  EXPECT_DOUBLE_EQ(t->IntervalTop, 20);
  EXPECT_DOUBLE_EQ(t->IntervalBottom, 30);
  EXPECT_DOUBLE_EQ(t->Left(), 20);
  EXPECT_DOUBLE_EQ(t->GetWidth(), 50);
  EXPECT_EQ(t->GetText(), "sand\r\nstone");
  EXPECT_EQ(t->LeftTick, 2);
  EXPECT_EQ(t->RightIndent, 3);
  EXPECT_TRUE(t->Border());
  EXPECT_FALSE(t->Bound) << "a new column does not bind its texts";
  EXPECT_EQ(t->Font().Name(), "Liberation Serif");
  EXPECT_EQ(c.Text(qQNaN(), 5), nullptr);
}

TEST_F(PrintDesc, AutoLayoutGivesShortIntervalsRoomAndCancellingRestoresThem) {
  TColumn c;
  TPrintText* a = c.Text(0, 10, "a");
  TPrintText* b = c.Text(10, 12, "b");
  const double need = DescTextNeed(*b);
  c.Desc->SetModified(false);
  ASSERT_GT(need, 2) << "the second text needs more than its 2 mm";
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcPlace));
  EXPECT_NEAR(b->Top(), 11 - need / 2 - 0.1, 1e-9);
  EXPECT_NEAR(b->BottomEdge(), 11 + need / 2 + 0.1, 1e-9);
  EXPECT_NEAR(a->BottomEdge(), b->Top(), 1e-9);
  EXPECT_TRUE(c.Desc->GetModified());
  EXPECT_TRUE(FUi.Messages.empty());

  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcUnplace));
  EXPECT_EQ(a->Top(), 0);
  EXPECT_EQ(a->BottomEdge(), 10);
  EXPECT_EQ(b->Top(), 10);
  EXPECT_EQ(b->BottomEdge(), 12);

  // The body placed lower (a head above it grew): boxes and intervals move
  // together, so cancelling the layout still finds the intervals.
  c.Desc->ExecuteMenuCommand(dcPlace);
  c.Desc->SetTop(30);
  EXPECT_EQ(a->IntervalTop, 30);
  EXPECT_EQ(b->IntervalBottom, 42);
  c.Desc->ExecuteMenuCommand(dcUnplace);
  EXPECT_EQ(b->Top(), 40);
  EXPECT_EQ(b->BottomEdge(), 42);

  TColumn single;
  TPrintText* only = single.Text(10, 10.5, "only");
  EXPECT_FALSE(single.Desc->ExecuteMenuCommand(dcPlace));
  EXPECT_EQ(only->Top(), 10);
  EXPECT_EQ(only->BottomEdge(), 10.5);
}

TEST_F(PrintDesc, TextsThatDoNotFitAreSelectedAndReported) {
  TColumn c;
  for (int i = 0; i < 60; ++i) c.Text(i, i + 1, QString::number(i));
  c.Desc->ExecuteMenuCommand(dcPlace);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("of 60 texts do not fit")) << FUi.Messages[0].Text.toStdString();
  EXPECT_FALSE(Selected(*c.Desc).isEmpty());
}

TEST_F(PrintDesc, BorderBindingAndSizeCommandsReachEveryText) {
  TColumn c;
  TPrintText* a = c.Text(0, 10);
  TPrintText* b = c.Text(10, 20);
  QString caption;
  c.Desc->GetMenuCommandCaption(dcTextBorders, &caption);
  EXPECT_EQ(caption, "Create text borders");
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcTextBorders));
  EXPECT_TRUE(a->Border() && b->Border());
  c.Desc->GetMenuCommandCaption(dcTextBorders, &caption);
  EXPECT_EQ(caption, "Delete text borders");

  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcMainBorder));
  EXPECT_FALSE(c.Desc->Border());
  c.Desc->GetMenuCommandCaption(dcMainBorder, &caption);
  EXPECT_EQ(caption, "Show Main border");

  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcSmartBorder));
  EXPECT_TRUE(c.Desc->ChildFlags() & 8);
  EXPECT_FALSE(c.Desc->ChildFlags() & 2);
  EXPECT_TRUE(a->Bound && b->Bound);
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcSmartBorder));
  EXPECT_EQ(c.Desc->ChildFlags() & 10, 2u);
  EXPECT_FALSE(a->Bound);

  // The size dialogs edit the column; the command hands the sizes on.
  Dialog("TPrintDesc.MarkSize", [](TPrintObject* o) {
    auto* d = static_cast<TPrintDesc*>(o);
    d->LeftTick = 2.6;
    d->RightTick = 4;
    return true;
  });
  Dialog("TPrintDesc.MarginSizes", [](TPrintObject* o) {
    static_cast<TPrintDesc*>(o)->LeftIndent = 1.25;
    return true;
  });
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcMarkSize));
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcMarginSizes));
  EXPECT_EQ(b->LeftTick, 2.6);
  EXPECT_EQ(b->RightTick, 4);
  EXPECT_EQ(a->LeftIndent, 1.25);
  Dialog("TPrintDesc.MarkSize", [](TPrintObject*) { return false; });
  EXPECT_FALSE(c.Desc->ExecuteMenuCommand(dcMarkSize)) << "a cancelled dialog changes nothing";

  // Stored: ticks as whole millimetres, indents exactly; texts get them back.
  ASSERT_EQ(SaveObjectFile(c.Desc, Path("desc.kno")), S_OK);
  QString error;
  std::unique_ptr<TPrintObjectList> loaded = LoadObjectFile(Path("desc.kno"), &error);
  auto* again = dynamic_cast<TPrintDesc*>(loaded.get());
  ASSERT_NE(again, nullptr) << error.toStdString();
  EXPECT_EQ(again->LeftTick, 3);
  EXPECT_EQ(again->RightTick, 4);
  EXPECT_EQ(again->LeftIndent, 1.25);
  ASSERT_EQ(again->Texts().size(), 2u);
  EXPECT_EQ(again->Texts()[0]->LeftTick, 3);
  EXPECT_EQ(again->Texts()[1]->LeftIndent, 1.25);
  EXPECT_TRUE(again->TextBorders);
  EXPECT_FALSE(again->Border());

  // --dump shows the column's settings and its texts with their intervals.
  QProcess kerno;
  kerno.start(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), {"--dump", Path("desc.kno")});
  ASSERT_TRUE(kerno.waitForFinished(60000) && kerno.exitCode() == 0) << kerno.readAllStandardError().toStdString();
  const QJsonObject dumped = QJsonDocument::fromJson(kerno.readAllStandardOutput()).object()["object"].toObject();
  EXPECT_EQ(dumped["leftTick"].toDouble(), 3);
  EXPECT_EQ(dumped["leftIndent"].toDouble(), 1.25);
  EXPECT_TRUE(dumped["textBorders"].toBool());
  EXPECT_FALSE(dumped["smartBorder"].toBool());
  const QJsonArray texts = dumped["children"].toArray();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[1].toObject()["intervalTop"].toDouble(), 10);
  EXPECT_EQ(texts[1].toObject()["intervalBottom"].toDouble(), 20);
}

TEST_F(PrintDesc, FindAndSelectAndFontByValueTakeTheMatchingTexts) {
  TColumn c;
  c.Text(0, 10, "Sandstone, grey");
  c.Text(10, 20, "clay");
  c.Text(20, 30, "12.5");
  c.Text(30, 40, "sand");
  TTextMatch contains{TTextMatch::Contains, "SAND"};
  EXPECT_EQ(c.Desc->SelectMatching(contains, false), 2);
  EXPECT_EQ(Selected(*c.Desc), (QStringList{"Sandstone, grey", "sand"}));
  contains.CaseSensitive = true;
  EXPECT_EQ(c.Desc->SelectMatching(contains, false), 0);
  EXPECT_TRUE(Selected(*c.Desc).isEmpty());

  TTextMatch equals{TTextMatch::Equals, "clay"};
  c.Desc->SelectMatching(TTextMatch{TTextMatch::StartsWith, "sand"}, false);
  c.Desc->SelectMatching(equals, true);
  EXPECT_EQ(Selected(*c.Desc), (QStringList{"Sandstone, grey", "clay", "sand"})) << "added to the selection";

  TTextMatch number{TTextMatch::NumberBetween};
  number.From = 20;
  number.To = 10;
  TFontEx bold;
  bold.SetStyle(fsBold);
  bold.Color = 0x0000FF;
  EXPECT_EQ(c.Desc->ApplyFontWhere(number, bold), 1);
  EXPECT_EQ(c.Desc->Texts()[2]->Font().Color, 0x0000FFu);
  EXPECT_EQ(c.Desc->Texts()[1]->Font().Color, 0u);

  // Through the commands: nothing found is said, not failed silently.
  Dialog("TPrintDesc.FindAndSelect", [](TPrintObject* o) {
    static_cast<TPrintDesc*>(o)->FindRule = {TTextMatch::Contains, "granite"};
    return true;
  });
  EXPECT_TRUE(c.Desc->ExecuteMenuCommand(dcFindAndSelect));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Text, "No text matches.");
}

TEST_F(PrintDesc, TheGridsEntriesUpdateMakeAndRemoveTexts) {
  TColumn c;
  TPrintText* a = c.Text(0, 10, "a");
  TPrintText* b = c.Text(10, 20, "b");
  c.Text(20, 30, "c");
  // Laid out somewhere else: an unchanged interval keeps its place.
  a->SetTop(1);
  std::vector<TDescEntry> entries = c.Desc->Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].TopDepth, 10);
  entries[0].Text = "A\r\nA";
  entries[1].BottomDepth = 25;
  entries.erase(entries.begin() + 2);
  entries.push_back({40, 35, "new", nullptr});
  entries.push_back({qQNaN(), 50, "no depth", nullptr});
  c.Desc->SetEntries(entries);
  const std::vector<TPrintText*> texts = c.Desc->Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], a);
  EXPECT_EQ(a->GetText(), "A\r\nA");
  EXPECT_EQ(a->Top(), 1);
  EXPECT_EQ(b->BottomEdge(), 25);
  EXPECT_EQ(b->IntervalBottom, 25);
  EXPECT_EQ(texts[2]->GetText(), "new");
  EXPECT_EQ(texts[2]->Top(), 35);
}

TEST_F(PrintDesc, TextsGoOutToATableFileAndComeBackFromIntervals) {
  TColumn c;
  c.Text(1200.5, 1203, "two\r\nlines");
  c.Text(1203, 1210, "lime");
  TStringTable table;
  c.Desc->TextsToTable(&table);
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.GetCell(0, 0), "1200.5");
  EXPECT_EQ(table.GetCell(2, 0), "two\\nlines");

  TColumn other;
  TStringTable intervals;
  intervals.AutoColumns = false;
  intervals.SetColCount(4);
  intervals.SetRowCount(3);
  const QStringList cells{"1", "2", "sand", "grey", "x", "3", "bad", "", "5", "4", "clay", ""};
  for (int i = 0; i < 12; ++i) intervals.SetCell(i % 4, i / 4, cells[i]);
  EXPECT_EQ(other.Desc->CreateTextsFrom(intervals), 2) << "a row without a number is skipped";
  ASSERT_EQ(other.Desc->Texts().size(), 2u);
  EXPECT_EQ(other.Desc->Texts()[0]->GetText(), "sand grey");
  EXPECT_EQ(other.Desc->Texts()[1]->Top(), 4) << "5 to 4 runs from 4";

  // Export through the save dialog, import through the interval import.
  FUi.FileAnswers = {Path("texts.csv")};
  ASSERT_TRUE(c.Desc->ExecuteMenuCommand(dcExport));
  TColumn back;
  FUi.FileAnswers = {Path("texts.csv")};
  ASSERT_TRUE(back.Desc->ExecuteMenuCommand(dcImport));
  ASSERT_EQ(back.Desc->Texts().size(), 2u);
  EXPECT_EQ(back.Desc->Texts()[0]->GetText(), "two\r\nlines");
  EXPECT_EQ(back.Desc->Texts()[1]->IntervalBottom, 1210);
}

// Texts read from a table of several holes (the layer export's) name the well
// in a head that does not name it yet; a head naming its well keeps it.
TEST_F(PrintDesc, AnImportFromATableOfHolesNamesTheWellOfAHeadWithoutOne) {
  TPrintDocument document;
  auto made = std::make_unique<TPrintHeader>();
  TPrintHeader* head = made.get();
  auto title = std::make_unique<TPrintText>();
  title->SetText(QStringLiteral("Well %WELL%"));
  head->AddChild(std::move(title));
  document.AddChild(std::move(made));
  auto body = std::make_unique<TPassportBody>();
  auto column = std::make_unique<TPrintDesc>();
  TPrintDesc* desc = column.get();
  body->AddChild(std::move(column));
  document.AddChild(std::move(body));
  WriteText("holes.csv", "Hole_ID;From;To;Text\n412-R;1;2;sand\n7-K;3;4;clay\n");

  FUi.FileAnswers = {Path("holes.csv")};
  ASSERT_TRUE(desc->ExecuteMenuCommand(dcImport));
  ASSERT_EQ(desc->Texts().size(), 1u) << "the first hole's rows";
  EXPECT_EQ(head->Parameters().ValueOf("WELL"), "412-R");
  EXPECT_TRUE(head->GetModified());

  head->Parameters().SetValue("WELL", "1-P");
  FUi.FileAnswers = {Path("holes.csv")};
  ASSERT_TRUE(desc->ExecuteMenuCommand(dcImport));
  EXPECT_EQ(head->Parameters().ValueOf("WELL"), "1-P");
}

TEST_F(PrintDesc, ABoundTextDraggedStaysBetweenItsNeighbours) {
  TColumn c;
  c.Text(0, 10);
  TPrintText* b = c.Text(20, 30);
  c.Text(40, 50);
  c.Desc->ExecuteMenuCommand(dcSmartBorder);
  // The drag has put the text at its new place; the column answers where it
  // may stay.
  const TBoundsRect start = b->GetBoundsRect();
  b->SetBoundsRect({25, 5, 75, 45});
  TBoundsRect bounds;
  c.Desc->AdjustChildBounds(b, start, &bounds);
  EXPECT_EQ(bounds.Left, 20) << "texts move only up and down";
  EXPECT_EQ(bounds.Right, 70);
  EXPECT_EQ(bounds.Top, 10);
  EXPECT_EQ(bounds.Bottom, 40);

  TColumn free;
  TPrintText* f = free.Text(20, 30);
  free.Text(40, 50);
  const TBoundsRect was = f->GetBoundsRect();
  f->SetBoundsRect({20, 35, 70, 60});
  free.Desc->AdjustChildBounds(f, was, &bounds);
  EXPECT_EQ(bounds.Bottom, 60) << "unbound texts go where they are dragged";
}

TEST_F(PrintDesc, AnInsertedTextWhoseDialogIsCancelledIsRemoved) {
  TColumn c;
  Dialog("TPrintText", [](TPrintObject*) { return false; });
  EXPECT_FALSE(c.Desc->InsertNewChildAt(20, 10, 60, 30));
  EXPECT_EQ(c.Desc->Count(), 0);
  Dialog("TPrintText", [](TPrintObject*) { return true; });
  ASSERT_TRUE(c.Desc->InsertNewChildAt(20, 10, 60, 30));
  ASSERT_EQ(c.Desc->Texts().size(), 1u);
  EXPECT_EQ(c.Desc->Texts()[0]->IntervalTop, 10);
  EXPECT_EQ(c.Desc->Texts()[0]->IntervalBottom, 30);

  // A click has no extent: 5 mm of the sheet from the clicked depth, to the decimetre.
  const double click = c.Desc->DepthToPage(1.2345);
  ASSERT_TRUE(c.Desc->InsertNewChildAt(20, click, 20, click));
  ASSERT_EQ(c.Desc->Texts().size(), 2u);
  const TPrintText* t = c.Desc->Texts()[0];  // the texts in order of depth
  EXPECT_DOUBLE_EQ(c.Desc->PageToDepth(t->IntervalTop), 1.2);
  EXPECT_NEAR(c.Desc->PageToDepth(t->IntervalBottom), std::round(c.Desc->PageToDepth(t->IntervalTop + 5) * 10) / 10,
              1e-9);
  EXPECT_GT(t->IntervalBottom, t->IntervalTop);
}
