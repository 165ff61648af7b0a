// The head block: head files (the "TEXTn" form, saving at page (0, 0),
// damaged files), its parameters (collecting, substituting, the "values"
// stream, copies), free edit, its commands, fitting, inserting children and
// the head file lookup of templates.
#include <QDir>
#include <QFile>

#include "uIniFile.h"
#include "uModelTestEnv.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class Head : public TModelTest {
 protected:
  void SetUp() override {
    TModelTest::SetUp();
    RegisterTextKinds();
  }
  void TearDown() override {
    RegisterPropertiesDialog(QStringLiteral("TPrintText"), {});
    RegisterKind(kindTable, nullptr);
    SetNamedValuesEditor({});
    SetProgramDir(QString());
    TModelTest::TearDown();
  }
  QString Write(const QString& name, const QByteArray& bytes) const {
    const QString path = Path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
  }
  static QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

TPrintText* TextAt(TPrintHeader& head, int i) { return dynamic_cast<TPrintText*>(head.GetChild(i)); }

TPrintText* AddText(TPrintHeader& head, const TBoundsRect& r, const QString& text) {
  auto t = std::make_unique<TPrintText>();
  t->SetBoundsRect(r);
  t->SetText(text);
  TPrintText* p = t.get();
  head.AddChild(std::move(t));
  return p;
}

// A head of 190 x 40 mm with two parameter texts.
void Fill(TPrintHeader& head) {
  head.SetName("Well head");
  head.SetHeight(40);
  AddText(head, {0, 0, 190, 10}, "Well %WELL%, %FIELD% field");
  AddText(head, {0, 10, 95, 20}, "Field: %FIELD% (100%%)");
  head.CollectParameters();
  head.Parameters().SetValue("WELL", "12-bis");
  head.Parameters().SetValue("FIELD", "East");
  head.SubstituteParameters();
}

// A head as the object file and the document store it.
std::vector<uint8_t> Bytes(TPrintHeader& head) { return StorageBytes(&head); }

bool LoadBytes(TPrintHeader& head, std::vector<uint8_t> bytes) {
  auto storage = TStorage::OpenBytes(std::move(bytes));
  return storage && head.LoadFromStorage(storage.get());
}

}  // namespace

TEST_F(Head, TextSectionsLoadUpToTheFirstWithoutWidthMovedByTheHead) {
  const QString path = Write("a.hdr",
                             "[MAIN]\nTOP=5\nLEFT=2\nHEIGHT=40\nNAME=Well head\n"
                             "[TEXT1]\nLEFT=10\nTOP=2\nWIDTH=50\nHEIGHT=8\nTEXT=Well %WELL%\n"
                             "[TEXT2]\nLEFT=60\nTOP=2\nWIDTH=40\nHEIGHT=8\nTEXT=%FIELD%\\n%WELL%\nFONT.SIZE=12\n"
                             "[TEXT4]\nLEFT=0\nTOP=0\nWIDTH=5\nHEIGHT=5\nTEXT=never\n");
  TPrintHeader head;
  AddText(head, {0, 0, 10, 10}, "old");
  head.Parameters().SetValue("WELL", "7");
  ASSERT_TRUE(head.LoadHeaderFile(path));
  ASSERT_EQ(head.Count(), 2) << "no TEXT3: the loop ends there";
  EXPECT_EQ(head.Name(), "Well head");
  EXPECT_EQ(head.GetBoundsRect().Top, 5);
  EXPECT_EQ(TextAt(head, 0)->GetBoundsRect(), (TBoundsRect{12, 7, 62, 15}));
  EXPECT_EQ(TextAt(head, 1)->GetText(), "%FIELD%\r\n%WELL%");
  EXPECT_EQ(TextAt(head, 1)->Font().Size(), 12);
  // Collected after loading; values of names already known are kept.
  ASSERT_EQ(head.Parameters().Count(), 2);
  EXPECT_EQ(head.Parameters().At(1).Name, "FIELD");
  EXPECT_EQ(TextAt(head, 0)->PrintedText(), "Well 7");
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "\r\n7");

  EXPECT_FALSE(head.LoadHeaderFile(Path("missing.hdr")));
  EXPECT_EQ(head.Count(), 2) << "a missing file changes nothing";
}

TEST_F(Head, DamagedHeadFilesLoadWhatTheyCan) {
  TPrintHeader head;
  // No MAIN at all, a text without a value, a 10,000-character text with an unclosed delimiter.
  const QByteArray longText = "%" + QByteArray(10000, 'x');
  ASSERT_TRUE(head.LoadHeaderFile(
      Write("nomain.hdr", "[TEXT1]\nWIDTH=20\nHEIGHT=5\n[TEXT2]\nWIDTH=30\nHEIGHT=5\nTEXT=" + longText + "\n")));
  ASSERT_EQ(head.Count(), 2);
  EXPECT_EQ(head.Parameters().Count(), 0);
  EXPECT_EQ(TextAt(head, 1)->PrintedText().size(), 10001) << "an unclosed name prints as written";

  // A first text without WIDTH ends the texts before they start.
  ASSERT_TRUE(head.LoadHeaderFile(Write("nowidth.hdr", "[MAIN]\nHEIGHT=10\n[TEXT1]\nTEXT=a\n[TEXT2]\nWIDTH=5\n")));
  EXPECT_EQ(head.Count(), 0);

  // Children naming the head's own section, the head's kind, kinds it does not hold and nothing at all.
  ASSERT_TRUE(
      head.LoadHeaderFile(Write("self.hdr",
                                "[MAIN]\nHEIGHT=30\nWIDTH=10\nTEXT=main as text\nOBJECT1=MAIN 272\n"
                                "OBJECT2=MAIN 273\nOBJECT3=X 274\nOBJECT4=lonely\nOBJECT5=MAIN 999999999999\n")));
  ASSERT_EQ(head.Count(), 1);
  EXPECT_EQ(TextAt(head, 0)->GetText(), "main as text");

  // Garbage bytes are no INI lines: an empty head.
  QByteArray garbage(4096, '\0');
  for (int i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 37) & 0xFF);
  ASSERT_TRUE(head.LoadHeaderFile(Write("garbage.hdr", garbage)));
  EXPECT_EQ(head.Count(), 0);
}

TEST_F(Head, AFileOfManyTextSectionsStopsAtTheLimit) {
  QByteArray file = "[MAIN]\nHEIGHT=100\n";
  for (int n = 1; n <= TPrintHeader::kMaxFileTexts + 5; ++n)
    file += "[TEXT" + QByteArray::number(n) + "]\nWIDTH=1\nHEIGHT=1\nTEXT=%P" + QByteArray::number(n % 50) + "%\n";
  TPrintHeader head;
  ASSERT_TRUE(head.LoadHeaderFile(Write("many.hdr", file)));
  EXPECT_EQ(head.Count(), TPrintHeader::kMaxFileTexts);
  EXPECT_EQ(head.Parameters().Count(), 50);
}

TEST_F(Head, SavedHeadSitsAtTheOriginAndLoadsBackTheSame) {
  TPrintHeader head;
  Fill(head);
  head.SetLeft(20);
  head.SetTop(30);
  const QString path = Write("saved.hdr", "[OLD]\nSTALE=1\n");
  ASSERT_TRUE(head.SaveHeaderFile(path));
  EXPECT_EQ(head.Left(), 0);
  EXPECT_EQ(head.Top(), 0);
  EXPECT_EQ(TextAt(head, 1)->Top(), 10) << "children move with the head";
  TIniFile ini(path);
  EXPECT_FALSE(ini.SectionExists("OLD")) << "the file is written afresh";
  EXPECT_EQ(ini.ReadFloat("MAIN", "HEIGHT", 0), 40);

  TPrintHeader loaded;
  loaded.SetTop(50);
  ASSERT_TRUE(loaded.LoadHeaderFile(path));
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.Name(), "Well head");
  EXPECT_EQ(TextAt(loaded, 1)->GetBoundsRect(), TextAt(head, 1)->GetBoundsRect());
  EXPECT_EQ(TextAt(loaded, 1)->GetText(), "Field: %FIELD% (100%%)");
  EXPECT_EQ(TextAt(loaded, 1)->PrintedText(), "Field:  (100%)") << "a head file carries no values";

  // A file that cannot be written is reported, not passed for saved.
  Write("blocker", "a file where a folder would be");
  EXPECT_FALSE(head.SaveHeaderFile(Path("blocker/head.hdr")));
  EXPECT_EQ(TPrintHeader::HeaderFileName("/x/head.txt"), "/x/head.hdr");
  EXPECT_EQ(TPrintHeader::HeaderFileName("/x/head"), "/x/head.hdr");
  EXPECT_EQ(TPrintHeader::HeaderFileName("/x/head.HDR"), "/x/head.HDR");
}

TEST_F(Head, ParametersFollowTheTextsAndShowTheirValues) {
  TPrintHeader head;
  Fill(head);
  ASSERT_EQ(head.Parameters().Count(), 2);
  EXPECT_EQ(TextAt(head, 0)->PrintedText(), "Well 12-bis, East field");
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "Field: East (100%)");
  EXPECT_EQ(TextAt(head, 1)->GetText(), "Field: %FIELD% (100%%)") << "the template stays";

  // A text edited elsewhere shows its values with the next repaint request.
  TextAt(head, 1)->SetText("%WELL%!");
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "%WELL%!");
  TextAt(head, 1)->Invalidate(nullptr);
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "12-bis!");
  TextAt(head, 1)->SetText("%AREA%");
  TDrawContext context;
  head.Draw(context);
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "") << "drawing substitutes first";
  EXPECT_FALSE(head.Parameters().Contains("AREA")) << "names are collected on load and before editing only";
}

TEST_F(Head, ValuesStreamSurvivesSaveAndLoadByteForByte) {
  TPrintHeader head;
  Fill(head);
  head.Parameters().DefaultValue = "-";
  head.Parameters().SetValue("NOTE", QString(400, 'n'));
  const std::vector<uint8_t> bytes = Bytes(head);
  ASSERT_FALSE(bytes.empty());
  auto storage = TStorage::OpenBytes(bytes);
  ASSERT_TRUE(storage);
  EXPECT_TRUE(storage->ElementExists("values"));

  TPrintHeader loaded;
  ASSERT_TRUE(LoadBytes(loaded, bytes));
  EXPECT_EQ(loaded.Parameters(), head.Parameters());
  EXPECT_EQ(TextAt(loaded, 0)->PrintedText(), "Well 12-bis, East field");
  EXPECT_FALSE(loaded.GetModified());
  EXPECT_EQ(Bytes(loaded), bytes);

  // A head stored without "values" (an older file) loads with no parameters.
  TPrintHeader stale;
  stale.Parameters().SetValue("OLD", "x");
  auto bare = TStorage::CreateNew();
  ASSERT_TRUE(head.TPrintObjectList::SaveToStorage(bare.get()));
  std::vector<uint8_t> bareBytes;
  ASSERT_EQ(bare->SaveToBytes(&bareBytes), S_OK);
  ASSERT_TRUE(LoadBytes(stale, bareBytes));
  EXPECT_EQ(stale.Parameters().Count(), 0);
  EXPECT_EQ(stale.Count(), 2);

  // Another kind's storage changes nothing.
  TDataObject other;
  TPrintHeader kept;
  Fill(kept);
  EXPECT_FALSE(LoadBytes(kept, StorageBytes(&other)));
  EXPECT_EQ(kept.Parameters().Count(), 2);
}

TEST_F(Head, CopiesCarryTheParametersAndClearDataCollectsAfresh) {
  TPrintHeader head;
  Fill(head);
  TPrintHeader copy;
  copy.Assign(&head);
  EXPECT_EQ(copy.Parameters(), head.Parameters());
  EXPECT_EQ(TextAt(copy, 0)->PrintedText(), "Well 12-bis, East field");
  EXPECT_EQ(Bytes(copy), Bytes(head)) << "an undo snapshot must restore the head exactly";

  copy.Parameters().SetValue("UNUSED", "x");
  copy.ClearData();
  ASSERT_EQ(copy.Parameters().Count(), 2) << "only the names the texts use";
  EXPECT_EQ(copy.Parameters().ValueOf("WELL"), "");
  EXPECT_EQ(TextAt(copy, 0)->PrintedText(), "Well ,  field");
  EXPECT_EQ(head.Parameters().ValueOf("WELL"), "12-bis") << "the source keeps its own";
}

TEST_F(Head, FreeEditGivesChildrenMoveAndSizeFlags) {
  TPrintHeader head;
  Fill(head);
  EXPECT_EQ(head.Flags() & (pfInsert | pfDeletable), static_cast<uint32_t>(pfInsert));
  EXPECT_FALSE(head.Border());
  EXPECT_FALSE(head.FreeEdit());
  QString caption;
  TextAt(head, 0)->GetCommandCaption(&caption);
  EXPECT_EQ(caption, "Free edit on") << "a child offers its head's command";
  head.SetModified(false);
  ASSERT_TRUE(TextAt(head, 0)->ExecuteCommand());
  EXPECT_TRUE(head.FreeEdit());
  EXPECT_TRUE(head.GetModified());
  EXPECT_EQ(TextAt(head, 1)->Flags() & 0x0F, 0x0Fu);
  head.GetMenuCommandCaption(TPrintHeader::cmdFreeEdit, &caption);
  EXPECT_EQ(caption, "Free edit off");
  EXPECT_EQ(head.MenuItem().Items[2].Caption, "Free edit off") << "the menu follows the mode";
  ASSERT_TRUE(head.ExecuteMenuCommand(TPrintHeader::cmdFreeEdit));
  EXPECT_FALSE(head.FreeEdit());
  EXPECT_EQ(TextAt(head, 1)->Flags() & 0x0F, 0u);
  EXPECT_EQ(head.ChildFlags(), static_cast<uint32_t>(pfDefault));
}

TEST_F(Head, CommandsAndTheSeparatorThatChangesNothing) {
  TPrintHeader head;
  Fill(head);
  const std::vector<uint8_t> before = Bytes(head);
  std::vector<int> codes;
  head.SetOnNotify([&](TPrintObject*, int code, int) {
    codes.push_back(code);
    return S_OK;
  });
  EXPECT_TRUE(head.VerbExecute(kOwnCommandTag + TPrintHeader::cmdSeparator));
  EXPECT_EQ(codes, std::vector<int>{ncBeforeChange}) << "true keeps the snapshot";
  EXPECT_EQ(Bytes(head), before);

  // Load and Save cancelled in their file dialogs report false: the snapshot is dropped.
  codes.clear();
  EXPECT_FALSE(head.VerbExecute(kOwnCommandTag + TPrintHeader::cmdLoad));
  EXPECT_FALSE(head.VerbExecute(kOwnCommandTag + TPrintHeader::cmdSave));
  EXPECT_EQ(codes, (std::vector<int>{ncBeforeChange, ncChangeCancelled, ncBeforeChange, ncChangeCancelled}));
  ASSERT_EQ(FUi.FileDialogs.size(), 2u);
  EXPECT_EQ(FUi.FileDialogs[0].FileName, ProgramDir() + "/hdr") << "head files are offered from \"hdr\"";
}

TEST_F(Head, LoadAndSaveCommandsGoThroughTheirDialogs) {
  TPrintHeader head;
  Fill(head);
  head.SetTop(12);
  FUi.FileAnswers.push_back(Path("through_dialog.txt"));
  ASSERT_TRUE(head.ExecuteMenuCommand(TPrintHeader::cmdSave));
  EXPECT_TRUE(QFile::exists(Path("through_dialog.hdr"))) << "the extension is forced to .hdr";
  EXPECT_EQ(head.Top(), 0);

  TPrintHeader other;
  FUi.FileAnswers.push_back(Path("through_dialog.hdr"));
  ASSERT_TRUE(other.ExecuteMenuCommand(TPrintHeader::cmdLoad));
  EXPECT_EQ(other.Count(), 2);

  FUi.FileAnswers.push_back(Path("absent.hdr"));
  EXPECT_FALSE(other.ExecuteMenuCommand(TPrintHeader::cmdLoad));
  ASSERT_FALSE(FUi.Messages.empty());
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);
  EXPECT_EQ(FUi.Messages.back().Text, "Can't Load File");
  EXPECT_EQ(other.Count(), 2);
}

TEST_F(Head, ValuesCommandEditsACopyWithTheCollectedNames) {
  TPrintHeader head;
  Fill(head);
  TextAt(head, 1)->SetText("%AREA%");
  const std::vector<uint8_t> before = Bytes(head);
  QStringList offered;
  SetNamedValuesEditor([&](TNamedValueList* values) {
    offered.clear();
    for (const TNamedValue& v : values->Items()) offered << v.Name;
    values->SetValue("AREA", "North");
    return false;
  });
  EXPECT_FALSE(head.ExecuteMenuCommand(TPrintHeader::cmdValues));
  EXPECT_EQ(offered, QStringList({"WELL", "FIELD", "AREA"}));
  EXPECT_EQ(Bytes(head), before) << "Cancel leaves the head as it was";

  SetNamedValuesEditor([](TNamedValueList* values) { return values->SetValue("AREA", "North"); });
  head.SetModified(false);
  ASSERT_TRUE(head.ExecuteMenuCommand(TPrintHeader::cmdValues));
  EXPECT_TRUE(head.GetModified());
  EXPECT_EQ(TextAt(head, 1)->PrintedText(), "North");
}

// A head whose texts name no values says how to make one instead of an
// empty table.
TEST_F(Head, ValuesOfAHeadWithoutParametersSayHowToNameOne) {
  TPrintHeader head;
  auto text = std::make_unique<TPrintText>();
  text->SetText("Core description");
  head.AddChild(std::move(text));
  bool asked = false;
  SetNamedValuesEditor([&](TNamedValueList*) { return asked = true; });
  EXPECT_FALSE(head.ExecuteMenuCommand(TPrintHeader::cmdValues));
  EXPECT_FALSE(asked);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("%WELL%")) << FUi.Messages[0].Text.toStdString();
  SetNamedValuesEditor(nullptr);
}

TEST_F(Head, FillFromFileTakesNamesAndValuesFromATable) {
  TPrintHeader head;
  Fill(head);
  FUi.FileAnswers.push_back(Write("values.txt", "WELL\t99\nAREA\tNorth\n"));
  head.SetModified(false);
  ASSERT_TRUE(head.ExecuteMenuCommand(TPrintHeader::cmdFillFromFile));
  EXPECT_TRUE(head.GetModified());
  EXPECT_EQ(TextAt(head, 0)->PrintedText(), "Well 99, East field");
  EXPECT_EQ(head.Parameters().ValueOf("AREA"), "North");
  EXPECT_FALSE(head.ExecuteMenuCommand(TPrintHeader::cmdFillFromFile)) << "no file chosen";
  EXPECT_TRUE(FUi.Messages.empty());
  // A file that cannot be imported: the command shows the import's reason once.
  FUi.FileAnswers.push_back(Path("missing.txt"));
  EXPECT_FALSE(head.ExecuteMenuCommand(TPrintHeader::cmdFillFromFile));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("missing.txt")) << FUi.Messages[0].Text.toStdString();
}

// A head never grows: children are moved, then cut, into it.
TEST_F(Head, FittingClampsChildrenIntoTheHead) {
  TPrintHeader head;
  head.SetTop(10);
  head.SetHeight(40);
  AddText(head, {0, 0, 100, 10}, "wide");  // sets the head's width to 100
  TPrintText* above = AddText(head, {10, 5, 30, 15}, "above");
  TPrintText* below = AddText(head, {10, 60, 30, 70}, "below");
  TPrintText* overhang = AddText(head, {10, 45, 30, 55}, "overhang");
  TPrintText* tall = AddText(head, {10, 60, 30, 160}, "tall");
  TPrintText* leftOut = AddText(head, {-8, 20, 2, 30}, "left");
  head.Changed();
  EXPECT_EQ(head.Top(), 10);
  EXPECT_EQ(head.GetHeight(), 40) << "the head keeps its height";
  EXPECT_EQ(above->GetBoundsRect(), (TBoundsRect{10, 10, 30, 20}));
  EXPECT_EQ(below->GetBoundsRect(), (TBoundsRect{10, 40, 30, 50}));
  EXPECT_EQ(overhang->GetBoundsRect(), (TBoundsRect{10, 45, 30, 50}));
  EXPECT_EQ(tall->GetBoundsRect(), (TBoundsRect{10, 10, 30, 50})) << "taller than the head: cut to it";
  EXPECT_EQ(leftOut->GetBoundsRect(), (TBoundsRect{0, 20, 10, 30}));
}

TEST_F(Head, InsertingOffersTheKindsTheProgramHasAndCancelRemoves) {
  TPrintHeader head;
  head.SetHeight(40);
  AddText(head, {0, 0, 190, 10}, "title");
  bool accept = false;
  RegisterPropertiesDialog("TPrintText", [&](TPrintObject*) { return accept; });
  FUi.ListAnswers.push_back(0);
  EXPECT_FALSE(head.InsertNewChildAt(10, 12, 50, 20));
  ASSERT_EQ(FUi.Lists.size(), 1u);
  EXPECT_EQ(FUi.Lists[0], QStringList({"Text"})) << "tables and images are offered once they exist";
  EXPECT_EQ(head.Count(), 1) << "Cancel in the properties removes the new text";

  accept = true;
  FUi.ListAnswers.push_back(0);
  ASSERT_TRUE(head.InsertNewChildAt(50, 20, 10, 12));
  ASSERT_EQ(head.Count(), 2);
  EXPECT_EQ(head.GetChild(1)->GetBoundsRect(), (TBoundsRect{10, 12, 50, 20})) << "a drag in any direction";
  FUi.ListAnswers.push_back(0);
  ASSERT_TRUE(head.InsertNewChildAt(30, 30, 30, 30));
  EXPECT_EQ(head.GetChild(2)->GetBoundsRect(), (TBoundsRect{30, 30, 32.5, 32.5})) << "a click";
  EXPECT_FALSE(head.InsertNewChildAt(1, 1, 2, 2)) << "no kind chosen";

  // A kind that is a data object is named first; an empty name cancels.
  RegisterKind(kindTable, [] { return std::unique_ptr<TPrintObject>(std::make_unique<TDataObject>()); });
  RegisterPropertiesDialog("TPrintObjectList", [](TPrintObject*) { return true; });
  FUi.ListAnswers.push_back(1);
  FUi.TextAnswers.push_back("  ");
  EXPECT_FALSE(head.InsertNewChildAt(0, 20, 40, 30));
  EXPECT_EQ(FUi.Lists.back(), QStringList({"Text", "Table"}));
  FUi.ListAnswers.push_back(1);
  FUi.TextAnswers.push_back("Casing");
  ASSERT_TRUE(head.InsertNewChildAt(0, 20, 40, 30));
  EXPECT_EQ(head.Count(), 4);
  EXPECT_EQ(head.MenuItem().Items.back().Caption, "Casing");
  RegisterPropertiesDialog("TPrintObjectList", {});
}

// A text typed into the box a click proposed grows to hold it, and stays
// within the head: a head is as wide as what it holds, so a text running past
// its right edge would widen the sheet.
TEST_F(Head, ANewTextGrowsToItsWordsWithinTheHead) {
  TPrintHeader head;
  head.SetHeight(40);
  AddText(head, {0, 0, 190, 10}, "title");
  RegisterPropertiesDialog("TPrintText", [](TPrintObject* o) {
    static_cast<TPrintText*>(o)->SetText(QStringLiteral("Drilling contractor: Severo-Ozernaya Burenie LLC"));
    return true;
  });
  FUi.ListAnswers.push_back(0);
  ASSERT_TRUE(head.InsertNewChildAt(175, 20, 195, 20));
  const TPrintObject* text = head.GetChild(1);
  EXPECT_GT(text->GetWidth(), 50) << "grown to its words";
  EXPECT_LE(text->Left() + text->GetWidth(), 190 + 1e-9);
  EXPECT_DOUBLE_EQ(head.GetWidth(), 190) << "the head keeps its width";
  RegisterPropertiesDialog("TPrintText", {});
}

TEST_F(Head, TemplateHeadsFindTheirFileInThreePlaces) {
  SetProgramDir(FDir.path());
  const QByteArray file = "[MAIN]\nHEIGHT=20\nNAME=From file\n[TEXT1]\nWIDTH=10\nHEIGHT=5\nTEXT=%WELL%\n";
  const QString absolute = Write("elsewhere/abs.hdr", file);
  Write("hdr/in_hdr.hdr", file);
  Write("in_program.hdr", file);
  Write("hdr/both.hdr", file);
  Write("both.hdr", "[MAIN]\n");
  EXPECT_EQ(TPrintHeader::FindHeaderFile(absolute), absolute);
  EXPECT_EQ(TPrintHeader::FindHeaderFile("in_hdr.hdr"), Path("hdr/in_hdr.hdr"));
  EXPECT_EQ(TPrintHeader::FindHeaderFile("in_program.hdr"), Path("in_program.hdr"));
  EXPECT_EQ(TPrintHeader::FindHeaderFile("both.hdr"), Path("hdr/both.hdr")) << "\"hdr\" comes first";
  EXPECT_EQ(TPrintHeader::FindHeaderFile("hdr\\in_hdr.hdr"), Path("hdr/in_hdr.hdr")) << "Windows separators";
  EXPECT_EQ(TPrintHeader::FindHeaderFile("nowhere.hdr"), "");

  const QString knt = Write("t.knt",
                            "[HEAD]\nFILE=in_hdr.hdr\nTOP=15\nNAME=Template head\n"
                            "[NOFILE]\nFILE=nowhere.hdr\n[BARE]\nTOP=3\n");
  TIniFile ini(knt);
  TPrintHeader head;
  ASSERT_TRUE(head.LoadFromIni(&ini, "HEAD", ""));
  ASSERT_EQ(head.Count(), 1);
  EXPECT_EQ(head.Top(), 15);
  EXPECT_EQ(head.GetChild(0)->Top(), 15) << "the texts come along";
  EXPECT_EQ(head.Name(), "Template head") << "the template's name wins over the file's";
  EXPECT_TRUE(FUi.Messages.empty());

  TPrintHeader missing;
  EXPECT_TRUE(missing.LoadFromIni(&ini, "NOFILE", "")) << "true either way";
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_EQ(FUi.Messages[0].Text, "File nowhere.hdr not found");
  EXPECT_EQ(missing.Name(), "Head");

  TPrintHeader bare;
  EXPECT_TRUE(bare.LoadFromIni(&ini, "BARE", ""));
  EXPECT_EQ(bare.Top(), 3);
  EXPECT_EQ(FUi.Messages.size(), 1u) << "no FILE key: nothing to look for";
}

TEST_F(Head, AHeadHoldsOnlyTextsTablesAndImages) {
  RegisterHeadKinds();
  auto made = CreateKindObject(kindHead);
  auto* head = dynamic_cast<TPrintHeader*>(made.get());
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->CreateChild(kindText)->GetKind(), kindText);
  EXPECT_EQ(head->CreateChild(kindBody), nullptr);
  EXPECT_EQ(head->CreateChild(kindHead), nullptr) << "a head inside a head";
  RegisterKind(kindHead, nullptr);
}
