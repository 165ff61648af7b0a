// The table editors driven as a user would: cells edited in the grid, ranges
// copied to and pasted from the clipboard as spreadsheets exchange them, rows
// and columns added, moved and removed, colours given, sizes read back in
// whole millimetres; the colour-range dialog's OK; the interval import
// dialog's preview; the description column's grid and its small dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolTip>

#include "uFConfirmListIndex.h"
#include "uFDescRules.h"
#include "uFImportTable.h"
#include "uFPrintDesc.h"
#include "uFRangeColor.h"
#include "uFTable.h"
#include "uFontEditing.h"
#include "uImportColumns.h"
#include "uNamedValueList.h"
#include "uNumbers.h"
#include "uPrintDeepTable.h"
#include "uPrintTable.h"
#include "uPrintTextDialog.h"
#include "uRecordingDevice.h"
#include "uScriptedUi.h"
#include "uTableForm.h"
#include "uTableGrid.h"
#include "uTableImport.h"
#include "uTablesTestEnv.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

void Select(TTableGrid* grid, int top, int left, int bottom, int right) {
  QAbstractItemModel* m = grid->model();
  grid->setCurrentIndex(m->index(top, left));
  grid->selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                 QItemSelectionModel::ClearAndSelect);
}

}  // namespace

using TableDialogs = TTablesTest;

TEST_F(TableDialogs, TheGridEditsCellsAndExchangesRangesWithTheClipboard) {
  TStringTableEx table;
  Fill(&table, {{"a", "b", "c"}, {"d", "e", "f"}});
  TTableGrid grid(&table);
  EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "C");
  EXPECT_EQ(ColumnLetters(27), "AB");
  ASSERT_TRUE(grid.model()->setData(grid.model()->index(1, 1), "edited", Qt::EditRole));
  EXPECT_EQ(table.GetCell(1, 1), "edited");

  Select(&grid, 0, 1, 1, 2);
  grid.CopySelection();
  EXPECT_EQ(QApplication::clipboard()->text(), "b\tc\nedited\tf\n");

  // A spreadsheet's copy, pasted at the last row, grows the table.
  QApplication::clipboard()->setText("1\t2\t3\t4\r\n5\t6\t7\t8\r\n");
  Select(&grid, 1, 0, 1, 0);
  grid.PasteClipboard();
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.ColCount(), 4);
  EXPECT_EQ(table.GetCell(3, 2), "8");
  EXPECT_EQ(table.GetCell(0, 0), "a");
  EXPECT_EQ(grid.model()->rowCount(), 3) << "the view follows the grown table";
  EXPECT_EQ(grid.SelectedRange().Right, 3) << "the pasted range is selected";

  grid.ClearSelection();
  EXPECT_EQ(table.GetCell(2, 1), "");
  EXPECT_EQ(table.GetCell(0, 0), "a");

  // The keys reach the same operations.
  Select(&grid, 0, 0, 0, 0);
  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
  QApplication::sendEvent(&grid, &copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "a\n");
  Select(&grid, 2, 2, 2, 2);
  QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("v"));
  QApplication::sendEvent(&grid, &paste);
  EXPECT_EQ(table.GetCell(2, 2), "a");
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(&grid, &del);
  EXPECT_EQ(table.GetCell(2, 2), "");
}

TEST_F(TableDialogs, TheFreeTableEditorTurnsTheGridAndStoresWholeMillimetres) {
  TPrintTable object;
  Fill(&object.Table(), {{"a", "b", "c"}, {"d", "e", "f"}});
  object.Table().ColWidths = {20, 10, 10};
  object.Changed();
  TfTable editor(&object);
  const int k = editor.gTable->PixelsPerMM();
  EXPECT_GE(k, TfTable::kPixelsPerMM);
  EXPECT_EQ(editor.gTable->columnWidth(0), 20 * k) << "the printed width at the grid's scale";
  editor.RotateClockwise();
  EXPECT_EQ(editor.Work().RowCount(), 3);
  EXPECT_EQ(editor.Work().GetCell(0, 0), "d");
  EXPECT_EQ(editor.gTable->model()->rowCount(), 3);
  editor.gTable->setColumnWidth(1, 15 * k + k - 1);  // dragged: almost 16 mm, stored as 15
  editor.DeleteRow(2);
  editor.InsertColumn(0);
  EXPECT_EQ(editor.Work().ColCount(), 3);
  editor.Store();
  EXPECT_EQ(object.Table().RowCount(), 2);
  EXPECT_EQ(object.Table().GetCell(1, 0), "d");
  EXPECT_EQ(object.Table().ColWidths[2], 15);
  EXPECT_TRUE(object.Table().Font.Format & DT_SINGLELINE);
  object.Changed();
  EXPECT_DOUBLE_EQ(object.GetWidth(), object.Table().TotalWidth());

  editor.SetWidthFrom(2);
  EXPECT_EQ(editor.Work().DefaultColWidth, 15);
  EXPECT_EQ(editor.Work().ColWidths[0], 15);
}

TEST_F(TableDialogs, TheDepthTableEditorMovesRowsColoursAndWritesBack) {
  TTableBody body;
  auto* deep = body.Add<TPrintDeepTable>(0, 0, 40, 100);
  Fill(&deep->Table(), {{"10", "20", "sand"}, {"20", "30", "clay"}, {"30", "40", "lime"}});
  deep->RebuildIntervals();
  TTableForm form(deep);
  QAbstractItemModel* m = form.gTable->model();
  form.gTable->setCurrentIndex(m->index(2, 2));
  form.MoveRow(-1);
  EXPECT_EQ(form.Work().GetCell(2, 1), "lime");
  EXPECT_EQ(form.gTable->currentIndex().row(), 1) << "the moved row stays current";
  form.MoveRow(-5);
  EXPECT_EQ(form.Work().GetCell(2, 1), "lime") << "a move past the table's edge is refused";
  form.ColorRow(0x00FF00);
  EXPECT_EQ(form.Work().GetCellData(0, 1), 0x00FF00);
  EXPECT_EQ(m->data(m->index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 255, 0))
      << "texts show their colour";
  Select(form.gTable, 0, 0, 0, 1);
  form.ColorCell(0x0000FF);
  EXPECT_EQ(form.Work().GetCellData(1, 0), 0x0000FF);
  EXPECT_EQ(form.Work().GetCellData(2, 0), 0);

  form.gTable->setCurrentIndex(m->index(0, 0));
  form.AddRow();
  EXPECT_EQ(form.Work().RowCount(), 4);
  form.gTable->model()->setData(m->index(1, 0), "50");
  form.gTable->model()->setData(m->index(1, 1), "60");
  form.seEnd->setValue(2);
  EXPECT_EQ(deep->Table().RowCount(), 3) << "nothing reaches the table before OK";
  form.Store();
  deep->RebuildIntervals();
  EXPECT_EQ(deep->Table().RowCount(), 4);
  EXPECT_EQ(deep->DeepestBottom(), 60);

  // Colour by a template file of rules (colour, column, from, to): "40" in
  // column 2 lies in 35..45, so its row takes the rule's colour (none in a
  // text file: 0); the others keep theirs.
  form.ColorAll(0x123456);
  WriteText("rules.csv", "x;2;35;45\n");
  FUi.FileAnswers = {Path("rules.csv")};
  EXPECT_TRUE(form.ColorByTemplate());
  ASSERT_FALSE(FUi.FileDialogs.empty());
  EXPECT_EQ(FUi.FileDialogs.back().Filter, "XLS|*.xls");
  EXPECT_TRUE(FUi.FileDialogs.back().FileName.endsWith("/Color"));
  EXPECT_EQ(form.Work().GetCell(1, 2), "40");
  EXPECT_EQ(form.Work().GetCellData(0, 2), 0);
  EXPECT_EQ(form.Work().GetCellData(0, 3), 0x123456);
  FUi.FileAnswers = {Path("missing.xls")};
  EXPECT_FALSE(form.ColorByTemplate());
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);
}

TEST_F(TableDialogs, TheRangeColourDialogAcceptsOnlyTwoNumbers) {
  TFRangeColor dialog({2, 0x0000FF, 10, 20});
  EXPECT_EQ(dialog.windowTitle(), "Column 3");
  QPushButton* ok = dialog.btnBox->button(QDialogButtonBox::Ok);
  EXPECT_TRUE(ok->isEnabled());
  dialog.sTo->setText("abc");
  EXPECT_FALSE(ok->isEnabled());
  dialog.sTo->setText("25.5");
  dialog.sFrom->setText("");
  EXPECT_FALSE(ok->isEnabled());
  dialog.sFrom->setText("-3");
  EXPECT_TRUE(ok->isEnabled());
  const TRangeColor r = dialog.Result();
  EXPECT_EQ(r.Column, 2);
  EXPECT_EQ(r.From, -3);
  EXPECT_EQ(r.To, 25.5);
  EXPECT_EQ(r.Color, 0x0000FFu);
}

TEST_F(TableDialogs, TheIntervalImportDialogPreviewsWhatOkYields) {
  TIntervalImport import;
  import.Source.AutoColumns = false;
  import.Source.SetColCount(4);
  import.Source.SetRowCount(4);
  const QStringList cells{"Well", "From", "To", "Rock", "W1", "10", "20", "sand",
                          "W2",   "5",    "6",  "clay", "W1", "20", "15", "lime"};
  for (int i = 0; i < 16; ++i) import.Source.SetCell(i % 4, i / 4, cells[i]);
  import.SourceChanged();
  TFImportTable dialog(&import);
  dialog.bID->setChecked(true);
  dialog.bFilter->setChecked(true);
  dialog.iFilter->setCurrentIndex(dialog.iFilter->findText("W1"));
  const QAbstractItemModel* preview = dialog.tbOutput->model();
  ASSERT_EQ(preview->rowCount(), 3) << "the header row and the two W1 rows";
  EXPECT_EQ(preview->data(preview->index(1, 2)).toString(), "sand");
  EXPECT_EQ(preview->data(preview->index(1, 2), Qt::ToolTipRole).toString(), "sand");  // a long text whole
  EXPECT_EQ(preview->data(preview->index(2, 0)).toString(), "20");
  // From above To is marked.
  EXPECT_NE(preview->data(preview->index(2, 0), Qt::BackgroundRole),
            preview->data(preview->index(1, 0), Qt::BackgroundRole));
  dialog.btnBox->button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(import.FilterText, "W1");
  EXPECT_EQ(import.Build().Count(), 2);

  // Numbers for a histogram: the columns' own names head the preview, and
  // the delimiter, which would split numbers, is off.
  import.ValuesByColumn = true;
  TFImportTable numbers(&import);
  EXPECT_EQ(numbers.tbOutput->model()->data(numbers.tbOutput->model()->index(0, 2)).toString(), "Rock");
  EXPECT_FALSE(numbers.sDelimiter->isEnabled());
  EXPECT_TRUE(dialog.sDelimiter->isEnabled());
}

TEST_F(TableDialogs, TheDescriptionGridWritesTextsBack) {
  TTableBody body;
  auto* desc = body.Add<TPrintDesc>(0, 0, 50, 100);
  desc->CreateText(10, 20, "sand");
  desc->CreateText(20, 30, "clay");
  TFPrintDesc dialog(desc);
  QAbstractItemModel* m = dialog.gTexts->model();
  EXPECT_EQ(m->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Text");
  ASSERT_EQ(m->rowCount(), 2);
  m->setData(m->index(0, 2), "grey\\nsand");
  dialog.gTexts->setCurrentIndex(m->index(1, 0));
  dialog.AddRow();
  EXPECT_EQ(dialog.Work().GetCell(0, 2), "30") << "a new row starts where the one above ends";
  m->setData(m->index(2, 1), "45");
  m->setData(m->index(2, 2), "lime");
  Select(dialog.gTexts, 1, 0, 1, 2);
  dialog.DeleteRows();
  dialog.cbTextBorders->setChecked(true);
  dialog.Store();
  const std::vector<TPrintText*> texts = desc->Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->GetText(), "grey\r\nsand");
  EXPECT_EQ(texts[1]->GetText(), "lime");
  EXPECT_EQ(texts[1]->BottomEdge(), 45);
  EXPECT_TRUE(texts[1]->Border());
}

// The grid shows a table in proportion to print, at a scale that makes what
// fits a printed column fit its grid column: core depths in 10 mm columns
// printed in 7-point type read whole. Sizes left alone keep their exact
// millimetres when the grid is stored.
TEST_F(TableDialogs, TheGridShowsPrintedColumnsReadablyAndKeepsSizesLeftAlone) {
  TPrintDeepTable object;
  Fill(&object.Table(), {{"1488.0", "1494.0", "5.4"}, {"1494.0", "1503.0", "8.1"}});
  object.Table().Font.SetSize(7);
  object.Table().DefaultColWidth = 10;
  object.Table().ColWidths = {10, 10.5, 8};
  object.Table().RowHeights = {5, 6.3};
  TTableForm editor(&object);
  TTableGrid* grid = editor.gTable;
  const int k = grid->PixelsPerMM();
  EXPECT_GT(k, TTableForm::kPixelsPerMM) << "7-point type is smaller than the grid's";
  const int text = grid->fontMetrics().horizontalAdvance("1494.0");
  EXPECT_GE(grid->columnWidth(0), text + 6) << "a depth shows whole, not as \"1...\"";
  EXPECT_EQ(grid->columnWidth(1), RoundEven(10.5 * k));

  grid->setColumnWidth(2, 12 * k);
  grid->StoreSizes();
  EXPECT_DOUBLE_EQ(editor.gTable->Table()->ColWidths[1], 10.5) << "not dragged: exact";
  EXPECT_DOUBLE_EQ(editor.gTable->Table()->ColWidths[2], 12) << "dragged: whole millimetres";
  EXPECT_DOUBLE_EQ(editor.gTable->Table()->RowHeights[1], 6.3);
  EXPECT_DOUBLE_EQ(editor.gTable->Table()->DefaultColWidth, 10);

  // A table printed in large type is never shown below the least scale.
  TStringTableEx large;
  Fill(&large, {{"x"}});
  large.Font.SetSize(72);
  TTableGrid plain(&large);
  EXPECT_EQ(plain.ReadablePixelsPerMM(3), 3);
}

// The grid shows columns at their printed width: a cell too narrow for its
// text shows it whole as a tip, a cell that shows it all does not.
TEST_F(TableDialogs, ANarrowCellShowsItsWholeTextAsATip) {
  TStringTableEx table;
  Fill(&table, {{"1494.0", "x"}});
  table.DefaultColWidth = 10;
  TTableGrid grid(&table);
  grid.SetPixelsPerMM(3);
  grid.setColumnWidth(1, 200);
  grid.resize(400, 200);
  grid.show();
  const auto tipAt = [&grid](int column) {
    const QPoint at = grid.visualRect(grid.model()->index(0, column)).center();
    QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &help);
    return help.isAccepted() ? QToolTip::text() : QString();
  };
  grid.setColumnWidth(0, 12);
  EXPECT_EQ(tipAt(0), "1494.0");
  EXPECT_EQ(tipAt(1), "") << "the whole text shows";
  grid.setColumnWidth(0, 200);
  EXPECT_EQ(tipAt(0), "");
  QToolTip::hideText();
}

// A description's text is given its exact interval in its own dialog; a
// text elsewhere has no such fields.
TEST_F(TableDialogs, ADescriptionTextsDialogEditsItsInterval) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TTableBody body;
  auto* desc = body.Add<TPrintDesc>(0, 0, 50, 100);
  TPrintText* text = desc->CreateText(10, 15, "sand");
  ASSERT_NE(text, nullptr);
  {
    TfPrintText dialog(text);
    ASSERT_NE(dialog.FromField(), nullptr);
    EXPECT_EQ(dialog.FromField()->text(), "10");
    EXPECT_EQ(dialog.ToField()->text(), "15");
    dialog.FromField()->setText("12,5");
    dialog.ToField()->setText("12");
    EXPECT_FALSE(dialog.Accept());
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Text, "The bottom depth (12 m) must lie below the top depth (12,5 m)");
    dialog.ToField()->setText("deep");
    EXPECT_FALSE(dialog.Accept());
    EXPECT_EQ(ui.Messages.back().Text, "\"deep\" is not a depth in metres");
    dialog.ToField()->setText("20");
    ASSERT_TRUE(dialog.Accept());
    dialog.Apply();
  }
  EXPECT_DOUBLE_EQ(text->IntervalTop, desc->DepthToPage(12.5));
  EXPECT_DOUBLE_EQ(text->IntervalBottom, desc->DepthToPage(20));
  EXPECT_DOUBLE_EQ(text->Top(), desc->DepthToPage(12.5)) << "placed on its new interval";
  EXPECT_DOUBLE_EQ(text->BottomEdge(), desc->DepthToPage(20));

  // Left as shown, the interval keeps the place the layout gave the text.
  text->SetTop(text->Top() + 1);
  {
    TfPrintText dialog(text);
    dialog.Memo()->setPlainText("grey sand");
    ASSERT_TRUE(dialog.Accept());
    dialog.Apply();
  }
  EXPECT_DOUBLE_EQ(text->Top(), desc->DepthToPage(12.5) + 1);

  TPrintText loose;
  TfPrintText other(&loose);
  EXPECT_EQ(other.FromField(), nullptr);
  EXPECT_TRUE(other.Accept());
}

// A row typed into the grid either becomes a text or OK says which row
// cannot: nothing typed is dropped without a word.
TEST_F(TableDialogs, TheDescriptionGridRefusesRowsItCannotPlace) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TTableBody body;
  auto* desc = body.Add<TPrintDesc>(0, 40, 50, 100);
  {
    TFPrintDesc dialog(desc);
    QAbstractItemModel* m = dialog.gTexts->model();
    dialog.AddRow();
    EXPECT_EQ(dialog.Work().GetCell(0, 0), "40") << "the first row starts at the column's top";
    m->setData(m->index(0, 2), "sand");
    EXPECT_FALSE(dialog.Accept());
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_TRUE(ui.Messages[0].Text.startsWith("Row 1: the top and bottom depths are equal"));
    EXPECT_EQ(dialog.gTexts->currentIndex(), m->index(0, 1)) << "the cell to mend is current";
    EXPECT_TRUE(desc->Texts().empty());

    m->setData(m->index(0, 1), "45,5");
    dialog.gTexts->setCurrentIndex(m->index(0, 0));
    dialog.AddRow();  // after the last row: a blank one, left blank
    dialog.AddRow();
    m->setData(m->index(2, 0), "46 m");
    m->setData(m->index(2, 2), "clay");
    EXPECT_FALSE(dialog.Accept());
    EXPECT_EQ(ui.Messages.back().Text, "Row 3: the depth \"46 m\" is not a number");
    m->setData(m->index(2, 0), "");
    EXPECT_FALSE(dialog.Accept());
    EXPECT_EQ(ui.Messages.back().Text, "Row 3: enter the top and bottom depths of the text");
    m->setData(m->index(2, 0), "47");
    m->setData(m->index(2, 1), "50");
    EXPECT_TRUE(dialog.Accept());
  }
  const std::vector<TPrintText*> texts = desc->Texts();
  ASSERT_EQ(texts.size(), 2u) << "the blank row makes no text";
  EXPECT_DOUBLE_EQ(texts[0]->IntervalBottom, desc->DepthToPage(45.5));
  EXPECT_EQ(texts[1]->GetText(), "clay");

  // An existing text keeps its depth when the cell is emptied, and one
  // that was stored without height does not hold up the others' OK.
  texts[1]->IntervalTop = texts[1]->IntervalBottom = desc->DepthToPage(50);
  TFPrintDesc dialog(desc);
  QAbstractItemModel* m = dialog.gTexts->model();
  m->setData(m->index(0, 0), "");
  m->setData(m->index(0, 2), "grey sand");
  const size_t shown = ui.Messages.size();
  EXPECT_TRUE(dialog.Accept());
  EXPECT_EQ(ui.Messages.size(), shown);
  EXPECT_EQ(desc->Texts()[0]->GetText(), "grey sand");
  EXPECT_DOUBLE_EQ(desc->Texts()[0]->IntervalTop, desc->DepthToPage(40));
}

TEST_F(TableDialogs, SizeAndSearchDialogsAcceptOnlyCompleteInput) {
  TFRange range("Mark size", 1, 2);
  QPushButton* ok = range.btnBox->button(QDialogButtonBox::Ok);
  EXPECT_TRUE(ok->isEnabled());
  range.sLeft->setText("-1");
  EXPECT_FALSE(ok->isEnabled()) << "no negative sizes";
  range.sLeft->setText("1,5");
  EXPECT_TRUE(ok->isEnabled()) << "a decimal comma reads too";
  EXPECT_EQ(range.Left(), 1.5);

  TTableBody body;
  auto* desc = body.Add<TPrintDesc>(0, 0, 50, 100);
  TFFindAndSelect find(desc);
  QPushButton* findOk = find.btnBox->button(QDialogButtonBox::Ok);
  find.gMatch->sText->setText("sand");
  EXPECT_TRUE(findOk->isEnabled());
  find.gMatch->cbMode->setCurrentIndex(TTextMatch::NumberBetween);
  find.gMatch->sFrom->setText("1");
  find.gMatch->sTo->setText("x");
  EXPECT_FALSE(findOk->isEnabled());
  find.gMatch->sTo->setText("2");
  EXPECT_TRUE(findOk->isEnabled());
  find.Store();
  EXPECT_EQ(desc->FindRule.Mode, TTextMatch::NumberBetween);
  EXPECT_EQ(desc->FindRule.To, 2);
}

// A table of a million cells opens in its editor at once (the grid reads the
// table in place), writes back, and draws only the rows of the repainted band;
// a text of 10,000 characters goes through the description grid whole.
TEST_F(TableDialogs, AMillionCellsAndLongTextsStayWorkable) {
  TPrintTable object;
  object.Table().AutoColumns = false;
  object.Table().SetColCount(1000);
  object.Table().SetRowCount(1000);
  object.Table().SetCell(999, 999, "corner");
  object.Changed();
  {
    TfTable editor(&object);
    EXPECT_EQ(editor.gTable->model()->rowCount(), 1000);
    EXPECT_EQ(editor.gTable->model()->data(editor.gTable->model()->index(999, 999)).toString(), "corner");
    editor.gTable->model()->setData(editor.gTable->model()->index(0, 0), "first");
    editor.Store();
  }
  EXPECT_EQ(object.Table().GetCell(0, 0), "first");
  EXPECT_EQ(object.Table().GetCell(999, 999), "corner");

  TRecordingDevice device(QSize(3000, 3000), 254);
  QPainter painter(&device);
  TDrawContext context;
  context.DC = &painter;
  context.Options = doBorders;
  context.ClipRect = {0, 0, 3000, 250};  // the first two rows of 10 mm
  object.Draw(context);
  EXPECT_LT(device.OfKind(TRecordKind::Polygon).size(), 1000u) << "rows below the band are not drawn";
  EXPECT_NE(device.FindText("first"), nullptr);

  TTableBody body;
  auto* desc = body.Add<TPrintDesc>(0, 0, 50, 100);
  const QString longText(10000, QLatin1Char('x'));
  desc->CreateText(10, 20, longText);
  TFPrintDesc dialog(desc);
  dialog.Store();
  ASSERT_EQ(desc->Texts().size(), 1u);
  EXPECT_EQ(desc->Texts()[0]->GetText().size(), 10000);
}

// The program installs every editor the table objects ask for by name.
TEST_F(TableDialogs, TheTableDialogsAreInstalledUnderTheNamesTheObjectsAsk) {
  const QStringList names{"TPrintTable",           "TPrintDeepTable",        "TPrintDesc",
                          "TPrintDesc.MarkSize",   "TPrintDesc.MarginSizes", "TPrintDesc.FindAndSelect",
                          "TPrintDesc.FontByValue"};
  for (const QString& name : names) ASSERT_FALSE(HasPropertiesDialog(name)) << name.toStdString();
  RegisterTableDialogs();
  for (const QString& name : names) {
    EXPECT_TRUE(HasPropertiesDialog(name)) << name.toStdString();
    FDialogs << name;  // removed again after the test
  }
  // The other tests of this program answer without dialogs.
  SetImportChooser({});
  SetColumnImportEditor({});
  SetNamedValuesEditor({});
  SetFontEditor({});
  SetIntervalImportEditor({});
}
