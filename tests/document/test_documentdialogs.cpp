// The document's dialogs driven as a user would: the body properties (apply
// on moving on, add, delete, scale), the body's depth interval, the new-column dialog, the extra
// blocks dialog (Cancel keeps the store) and the structure dialog; and the
// printer target the window prints through.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTreeWidget>
#include <tuple>

#include "uDocumentDialogs.h"
#include "uDocumentTestEnv.h"
#include "uExtraBlocks.h"
#include "uFBodyInterval.h"
#include "uFExtraBlocks.h"
#include "uFNewColumn.h"
#include "uFPassportBody.h"
#include "uFStructure.h"
#include "uPdfPrintTarget.h"
#include "uPrinterTarget.h"
#include "uWidgetLookup.h"

namespace {

class DocumentDialogs : public TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    RegisterDocumentDialogs();
  }
  void TearDown() override {
    for (const char* name : {"TPassportBody", "TExtraBlocks", "TPrintDocument"})
      RegisterPropertiesDialog(QString::fromLatin1(name), {});
    TDocumentTest::TearDown();
  }
};

// A body of three columns 0-50, 50-100, 100-150 named A, B, C.
TPassportBody* ThreeColumns(TPrintDocument* document) {
  TPassportBody* body = AddBody(document, 100, 50);
  AddColumn(body, 50, 100, 100);
  AddColumn(body, 100, 150, 100);
  const char* names[] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) static_cast<TDataObject*>(body->GetChild(i))->SetName(QString::fromLatin1(names[i]));
  return body;
}

}  // namespace

TEST_F(DocumentDialogs, BodyDialogListsColumnsAndAppliesEditsAfterAskingWhenTheChoiceMovesOn) {
  TPrintDocument document;
  TPassportBody* body = ThreeColumns(&document);
  SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR "/resources"));  // where the kind images are
  TFPassportBody dialog(body);
  auto* list = Find<QListWidget>(&dialog, "lColumns");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(1)->text(), "B 50-100mm");
  EXPECT_FALSE(list->item(1)->icon().isNull()) << "each line shows its kind's image";

  list->setCurrentRow(1);
  EXPECT_EQ(Find<QLineEdit>(&dialog, "sName")->text(), "B");
  EXPECT_EQ(Find<QLineEdit>(&dialog, "sLeft")->text(), "50");
  Find<QLineEdit>(&dialog, "sRight")->setText("90");
  Find<QLineEdit>(&dialog, "sName")->setText("Curves");
  FUi.MessageAnswers = {TMsgResult::No};
  list->setCurrentRow(2);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Title, "ApplyObject");
  EXPECT_DOUBLE_EQ(body->GetChild(1)->GetWidth(), 50) << "No keeps the column";

  list->setCurrentRow(1);
  Find<QLineEdit>(&dialog, "sRight")->setText("110");
  Find<QLineEdit>(&dialog, "sName")->setText("Curves");
  FUi.MessageAnswers = {TMsgResult::Yes};
  list->setCurrentRow(0);
  EXPECT_DOUBLE_EQ(body->GetChild(1)->GetWidth(), 60);
  EXPECT_EQ(body->GetChild(1)->Caption(), "Curves");
  EXPECT_EQ(list->item(1)->text(), "Curves 50-110mm");

  // A right side left of the left side is refused with a word: the column keeps its place.
  list->setCurrentRow(1);
  Find<QLineEdit>(&dialog, "sRight")->setText("30");
  FUi.MessageAnswers = {TMsgResult::Yes};
  const size_t asked = FUi.Messages.size();
  list->setCurrentRow(0);
  ASSERT_EQ(FUi.Messages.size(), asked + 2);
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages.back().Text.startsWith("Curves: the right side (30 mm)"));
  EXPECT_DOUBLE_EQ(body->GetChild(1)->Left(), 50);
  EXPECT_DOUBLE_EQ(body->GetChild(1)->GetWidth(), 60);
  EXPECT_EQ(list->item(1)->text(), "Curves 50-110mm");

  // Edits pending when the dialog closes are asked for too.
  Find<QLineEdit>(&dialog, "sLeft")->setText("2");
  FUi.MessageAnswers = {TMsgResult::Yes};
  Click(&dialog, "btnOK");
  EXPECT_DOUBLE_EQ(body->GetChild(0)->Left(), 2);
  EXPECT_TRUE(dialog.ChangedBody());
}

TEST_F(DocumentDialogs, BodyDialogAddsDeletesAndRescales) {
  TPrintDocument document;
  TPassportBody* body = ThreeColumns(&document);
  double proposed = 0;
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), [&](TPrintObject* c) {
    proposed = c->GetWidth();
    c->SetWidth(30);
    return true;
  });
  TFPassportBody dialog(body);
  auto* list = Find<QListWidget>(&dialog, "lColumns");
  FUi.ListAnswers = {0};
  Click(&dialog, "btnAdd");
  ASSERT_EQ(body->Count(), 4);
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->currentRow(), 3) << "the new column at the right end is chosen";
  EXPECT_DOUBLE_EQ(body->GetChild(3)->Left(), 150);
  EXPECT_EQ(proposed, TPassportBody::kNewColumnWidth) << "a column proposed with room, not 0 mm wide";

  list->setCurrentRow(0);
  FUi.MessageAnswers = {TMsgResult::Yes};
  Click(&dialog, "btnDelete");
  ASSERT_EQ(body->Count(), 3);
  EXPECT_EQ(list->count(), 3);
  EXPECT_DOUBLE_EQ(body->GetChild(0)->Left(), 0) << "the next column closes the gap";

  FUi.ListAnswers = {1};
  Click(&dialog, "btnScale");
  EXPECT_EQ(Find<QLabel>(&dialog, "lScale")->text(), "1:100");
  EXPECT_EQ(body->GetVertScale(), 200) << "the scale is taken when the dialog closes";
  dialog.accept();
  EXPECT_EQ(body->GetVertScale(), 100);
}

TEST_F(DocumentDialogs, NewColumnDialogRefusesAColumnWithoutRoom) {
  TTestColumn column;
  column.SetBoundsRect({50, 0, 70, 10});
  TFNewColumn dialog(&column);
  EXPECT_EQ(Find<QLineEdit>(&dialog, "sRight")->text(), "70");
  Find<QLineEdit>(&dialog, "sRight")->setText("40");
  Click(&dialog, "btnOK");
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  Find<QLineEdit>(&dialog, "sLeft")->setText("10,5");
  Find<QLineEdit>(&dialog, "sRight")->setText("40");
  Find<QLineEdit>(&dialog, "sName")->setText("Porosity");
  Click(&dialog, "btnOK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(column.Left(), 10.5);
  EXPECT_DOUBLE_EQ(column.GetWidth(), 29.5);
  EXPECT_EQ(column.Name(), "Porosity");
}

// The interval dialog shows the body as laid out, refuses what makes no
// interval and keeps the field to mend, and says when data keep the sheet
// longer than asked.
TEST_F(DocumentDialogs, DepthIntervalDialogSetsTopAndBottomAndSaysWhenDataReachDeeper) {
  TPrintDocument document;
  TPassportBody* body = AddBody(&document, 100);  // 100 mm of content: 20 m at 1:200
  body->SetStartDepth(1000);
  TFBodyInterval dialog(body);
  auto* from = Find<QLineEdit>(&dialog, "sFrom");
  auto* to = Find<QLineEdit>(&dialog, "sTo");
  EXPECT_EQ(from->text(), "1000");
  EXPECT_EQ(to->text(), "1020");

  for (const auto& [top, bottom, wrong] :
       {std::tuple{"1450", "deep", "deep"}, std::tuple{"x", "1500", "x"}, std::tuple{"1450", "1450", "1450"},
        std::tuple{"1450", "1400", "1400"}, std::tuple{"0", "1e9", "100000"}}) {
    SCOPED_TRACE(std::string(top) + " " + bottom);
    FUi.Messages.clear();
    from->setText(QString::fromLatin1(top));
    to->setText(QString::fromLatin1(bottom));
    Click(&dialog, "btnOK");
    ASSERT_EQ(FUi.Messages.size(), 1u);
    EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(FUi.Messages[0].Text.contains(QString::fromLatin1(wrong))) << "names what is wrong";
    EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1000) << "nothing applied";
  }

  // 1450-1540 m: 450 mm at 1:200, longer than the content.
  FUi.Messages.clear();
  from->setText("1450");
  to->setText("1540,0");
  Click(&dialog, "btnOK");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(FUi.Messages.empty());
  EXPECT_DOUBLE_EQ(body->GetStartDepth(), 1450);
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 1540);
  EXPECT_DOUBLE_EQ(body->GetHeight(), 450);
  EXPECT_DOUBLE_EQ(body->GetChild(0)->GetHeight(), 450) << "the columns span the interval";

  // A bottom above the content's: the content wins, and the user is told.
  TFBodyInterval shorter(body);
  Find<QLineEdit>(&shorter, "sTo")->setText("1460");
  Click(&shorter, "btnOK");
  EXPECT_EQ(shorter.result(), QDialog::Accepted);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Information);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("1470")) << FUi.Messages[0].Text.toStdString();
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 1470);

  // The body's own dialog shows the interval and opens this one, taking effect at once.
  SetProgramDir(QStringLiteral(KERNO_SOURCE_DIR "/resources"));
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.Interval"), [](TPrintObject* o) {
    return static_cast<TPassportBody*>(o)->SetDepthInterval(1000, 1100);
  });
  TFPassportBody properties(body);
  EXPECT_EQ(Find<QLabel>(&properties, "lInterval")->text(), "1450 – 1470 m");
  Click(&properties, "btnInterval");
  EXPECT_EQ(Find<QLabel>(&properties, "lInterval")->text(), "1000 – 1100 m");
  EXPECT_DOUBLE_EQ(body->BottomDepth(), 1100);
  EXPECT_TRUE(properties.ChangedBody());
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.Interval"), {});
}

TEST_F(DocumentDialogs, ExtraBlocksDialogChangesTheStoreOnlyOnOk) {
  TPrintDocument document;
  auto spare = std::make_unique<TPassportBody>();
  spare->SetName(QStringLiteral("Spare"));
  document.ExtraBlocks()->AddChild(std::move(spare));
  {
    TFExtraBlocks dialog(document.ExtraBlocks());
    auto* list = Find<QListWidget>(&dialog, "lBlocks");
    ASSERT_EQ(list->count(), 1);
    Click(&dialog, "btnDelete");
    EXPECT_EQ(list->count(), 0);
    Click(&dialog, "btnCancel");
  }
  ASSERT_EQ(document.ExtraBlocks()->Count(), 1) << "Cancel keeps the store";

  TFExtraBlocks dialog(document.ExtraBlocks());
  auto* list = Find<QListWidget>(&dialog, "lBlocks");
  EXPECT_TRUE(Find<QPushButton>(&dialog, "btnAddHead")->isVisibleTo(&dialog));
  Click(&dialog, "btnAddData");
  Click(&dialog, "btnAddHead");
  ASSERT_EQ(list->count(), 3);
  list->setCurrentRow(0);
  FUi.TextAnswers = {QStringLiteral("Continuation")};
  Click(&dialog, "btnRename");
  EXPECT_EQ(list->item(0)->text(), "Continuation");
  Click(&dialog, "btnHelp");
  EXPECT_EQ(FUi.HelpTopics, QStringList{"common/extrablock"});
  Click(&dialog, "btnOK");
  ASSERT_EQ(document.ExtraBlocks()->Count(), 3);
  EXPECT_EQ(document.ExtraBlocks()->GetChild(0)->Caption(), "Continuation");
  EXPECT_EQ(document.ExtraBlocks()->GetChild(2)->GetKind(), kindHead);
  EXPECT_TRUE(document.GetModified());
}

TEST_F(DocumentDialogs, StructureDialogShowsTheTreeAndActsOnTheChosenObject) {
  TPrintDocument document;
  AddHead(&document, 40)->SetName(QStringLiteral("Well"));
  TPassportBody* body = ThreeColumns(&document);
  body->SetName(QStringLiteral("Logs"));
  TfStructure dialog(&document);
  auto* tree = Find<QTreeWidget>(&dialog, "tvObjects");
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(root->text(0), "Kerno");
  ASSERT_EQ(root->childCount(), 2);
  QTreeWidgetItem* logs = root->child(1);
  EXPECT_EQ(logs->text(0), "Logs");
  ASSERT_EQ(logs->childCount(), 3);

  auto* properties = Find<QPushButton>(&dialog, "btnProperties");
  auto* add = Find<QPushButton>(&dialog, "btnAdd");
  auto* remove = Find<QPushButton>(&dialog, "btnDelete");
  EXPECT_FALSE(properties->isEnabled()) << "nothing chosen";
  tree->setCurrentItem(root);
  EXPECT_FALSE(properties->isEnabled()) << "the document itself";
  EXPECT_TRUE(add->isEnabled());
  EXPECT_FALSE(remove->isEnabled());
  tree->setCurrentItem(logs->child(1));
  EXPECT_EQ(Find<QLabel>(&dialog, "lGeometry")->text(), "XxY=50x40  WxH=50x100");
  EXPECT_EQ(Find<QLabel>(&dialog, "lKind")->text(), TranslateKindName(kindDiagrams));
  EXPECT_TRUE(remove->isEnabled());

  FUi.MessageAnswers = {TMsgResult::Yes};
  remove->click();
  EXPECT_EQ(body->Count(), 2);
  ASSERT_EQ(tree->topLevelItem(0)->child(1)->childCount(), 2) << "the node went with its object";
  EXPECT_EQ(TfStructure::ObjectOf(tree->currentItem()), body);

  Click(&dialog, "btnHelp");
  EXPECT_EQ(FUi.HelpTopics, QStringList{"common/structure"});

  // Adding into a body closes the dialog once a column was added.
  RegisterPropertiesDialog(QStringLiteral("TPassportBody.NewColumn"), [](TPrintObject* c) {
    c->SetWidth(10);
    return true;
  });
  FUi.ListAnswers = {0};
  tree->setCurrentItem(tree->topLevelItem(0)->child(1));
  add->click();
  EXPECT_EQ(body->Count(), 3);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.ChangedDocument());
}

TEST_F(DocumentDialogs, StructureDialogRebuildsItsTreeAfterABlockDialogChangedTheColumns) {
  TPrintDocument document;
  TPassportBody* body = ThreeColumns(&document);
  // The body's dialog, as the user would use it from here, deletes a column.
  RegisterPropertiesDialog(QStringLiteral("TPassportBody"), [](TPrintObject* o) {
    auto* b = static_cast<TPassportBody*>(o);
    return b->DeleteChild(0);
  });
  TfStructure dialog(&document);
  auto* tree = Find<QTreeWidget>(&dialog, "tvObjects");
  tree->setCurrentItem(tree->topLevelItem(0)->child(0));
  Click(&dialog, "btnProperties");
  ASSERT_EQ(body->Count(), 2);
  QTreeWidgetItem* bodyNode = tree->topLevelItem(0)->child(0);
  ASSERT_EQ(bodyNode->childCount(), 2) << "no node may point to the deleted column";
  for (int i = 0; i < 2; ++i) EXPECT_EQ(TfStructure::ObjectOf(bodyNode->child(i)), body->GetChild(i));
}

// With no printer installed the window prints into a PDF file through the
// same QPrinter path: one PDF page per printed page, tiled by the printable area.
TEST_F(DocumentDialogs, PrinterTargetPrintsThePagesOnTheChosenPrinter) {
  TPrintDocument document;
  AddBody(&document, 500);
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(&printer, Path("printed.pdf"));
  TPrinterTarget target(&printer);
  EXPECT_EQ(target.PageSizeMM(), QSize(190, 277)) << "A4 within the PDF margins";
  ASSERT_TRUE(document.Print(&target, 1, 99));
  EXPECT_TRUE(FileBytes(Path("printed.pdf")).startsWith("%PDF-"));
  const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
  if (pdfinfo.isEmpty()) GTEST_SKIP() << "pdfinfo (poppler-utils) not installed";
  QProcess p;
  p.start(pdfinfo, {Path("printed.pdf")});
  p.waitForFinished(60000);
  const QString info = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();

  // Margins that leave no page are dropped here as by the PDF target, so
  // that both lay the document out on the same pages.
  FSettings->WriteText("PRINT", "MARGINS", "150");
  QPrinter wide(QPrinter::HighResolution);
  SetUpPdfPrinter(&wide, Path("wide.pdf"));
  EXPECT_EQ(TPrinterTarget(&wide).PageSizeMM(), QSize(210, 297));
  EXPECT_EQ(TPdfPrintTarget(Path("wide.pdf"), PrintPaperFromSettings(), PrintOrientationFromSettings(), 600,
                            PrintMarginsFromSettings())
                .PageSizeMM(),
            QSize(210, 297));
}
