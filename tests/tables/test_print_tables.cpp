// The free table and the depth table as page objects: their size from the
// table, their files (cells in the stream "table"), the rows' depth
// intervals, the import that keeps only rows with an interval, the commands,
// the drawing of cells, and --dump of both.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include "uKernoRun.h"
#include "uObjectFile.h"
#include "uPrintDeepTable.h"
#include "uPrintTable.h"
#include "uRecordingDevice.h"
#include "uTablesTestEnv.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

TDrawContext Context(QPainter* painter, uint32_t options) {
  TDrawContext c;
  c.DC = painter;
  c.Options = options;
  c.ClipRect = {0, 0, 3000, 3000};
  return c;
}

}  // namespace

using PrintTables = TTablesTest;

TEST_F(PrintTables, AFreeTableTakesItsSizeFromItsColumnsAndRows) {
  TPrintTable table;
  EXPECT_EQ(table.GetKind(), 279);
  // A new table is one cell to type into, not an object of no size.
  EXPECT_EQ(table.Table().ColCount(), 1);
  EXPECT_EQ(table.Table().RowCount(), 1);
  EXPECT_DOUBLE_EQ(table.GetWidth(), table.Table().DefaultColWidth);
  EXPECT_DOUBLE_EQ(table.GetHeight(), table.Table().DefaultRowHeight);
  EXPECT_TRUE(table.Table().Font.Format & DT_SINGLELINE) << "cells are drawn on one line";
  Fill(&table.Table(), {{"a", "b"}, {"c", "d"}});
  table.Table().ColWidths = {20, 30};
  table.Table().ColShifts = {0, 5};
  table.Table().RowHeights = {4, 6};
  table.Table().RowShifts = {1, 0};
  table.Changed();
  EXPECT_DOUBLE_EQ(table.GetWidth(), 55);
  EXPECT_DOUBLE_EQ(table.GetHeight(), 11);

  QString caption;
  const QStringList expected{"Import", "Properties", "Font", "Error"};
  for (int i = 0; i < 4; ++i) {
    table.GetMenuCommandCaption(i, &caption);
    EXPECT_EQ(caption, expected[i]);
  }
  EXPECT_EQ(table.GetMenuCommandCount(), 3);
  table.ClearData();
  EXPECT_EQ(table.Table().RowCount(), 0);
  EXPECT_EQ(table.GetWidth(), 0);
}

TEST_F(PrintTables, TablesKeepCellsColoursSizesAndIntervalColumnsInTheirFiles) {
  TPrintTable table;
  Fill(&table.Table(), {{"Depth", "Rock"}, {"1200", "sand\tstone"}});
  table.Table().ColWidths = {12.5, 30};
  table.Table().SetCellData(1, 1, 0x0000FF);
  table.Table().Font.Format &= ~DT_SINGLELINE;
  table.Changed();
  ASSERT_EQ(SaveObjectFile(&table, Path("table.kno")), S_OK);
  QString error;
  std::unique_ptr<TPrintObjectList> loaded = LoadObjectFile(Path("table.kno"), &error);
  auto* again = dynamic_cast<TPrintTable*>(loaded.get());
  ASSERT_NE(again, nullptr) << error.toStdString();
  EXPECT_EQ(again->Table().GetCell(1, 1), "sand\tstone");
  EXPECT_EQ(again->Table().GetCellData(1, 1), 0x0000FF);
  EXPECT_EQ(again->Table().ColWidths, (std::vector<double>{12.5, 30}));
  EXPECT_DOUBLE_EQ(again->GetWidth(), 42.5);
  EXPECT_TRUE(again->Table().Font.Format & DT_SINGLELINE) << "loading puts single-line drawing back";

  TTableBody body;
  auto* deep = body.Add<TPrintDeepTable>(10, 0, 40, 100);
  Fill(&deep->Table(), {{"1200", "1203", "x"}, {"1203", "1210", "y"}});
  deep->StartColumn = 0;
  deep->EndColumn = 1;
  deep->SizeColumn = 7;
  deep->RebuildIntervals();
  ASSERT_EQ(SaveObjectFile(deep, Path("deep.kno")), S_OK);
  loaded = LoadObjectFile(Path("deep.kno"), &error);
  auto* deepAgain = dynamic_cast<TPrintDeepTable*>(loaded.get());
  ASSERT_NE(deepAgain, nullptr) << error.toStdString();
  EXPECT_EQ(deepAgain->SizeColumn, 7);
  EXPECT_EQ(deepAgain->Table().GetCell(2, 1), "y");
  ASSERT_NE(deepAgain->Table().GetRowInterval(1), nullptr) << "loading rebuilds the intervals";
  EXPECT_EQ(deepAgain->Table().GetRowInterval(1)->Bottom, 1210);
  EXPECT_EQ(deepAgain->DeepestBottom(), 1210);

  // --dump shows both tables with their cells, colours and interval columns.
  const QJsonObject dumped =
      QJsonDocument::fromJson(KernoOutput({"--dump", Path("table.kno")})).object()["object"].toObject();
  const QJsonObject cells = dumped["table"].toObject();
  EXPECT_EQ(cells["cells"].toArray()[1].toArray()[1].toString(), "sand\tstone");
  EXPECT_EQ(cells["cellData"].toArray()[0].toArray(), (QJsonArray{1, 1, 255}));
  const QJsonObject deepDump =
      QJsonDocument::fromJson(KernoOutput({"--dump", Path("deep.kno")})).object()["object"].toObject();
  EXPECT_EQ(deepDump["sizeColumn"].toInt(), 7);
  EXPECT_EQ(deepDump["table"].toObject()["rowCount"].toInt(), 2);
}

TEST_F(PrintTables, DepthTableRowsGetTheirIntervalsFromTheirCells) {
  TTableBody body;
  auto* deep = body.Add<TPrintDeepTable>(10, 0, 5, 100);
  EXPECT_EQ(deep->GetKind(), 3);
  Fill(&deep->Table(), {{"1200.5", "1203", "sand"}, {"1203", "abc", "clay"}, {"7", "1", "reversed"}});
  deep->Table().ColWidths = {15, 15, 30};
  deep->RebuildIntervals();
  const TInterval* first = deep->Table().GetRowInterval(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Top, 1200.5);
  EXPECT_EQ(first->Bottom, 1203);
  EXPECT_EQ(deep->Table().GetRowInterval(1)->Bottom, 0) << "a text reads as 0";
  EXPECT_EQ(deep->DeepestBottom(), 1203);
  // At 1:1000 from depth 0 the deepest bottom is 1203 mm down the page.
  EXPECT_DOUBLE_EQ(deep->GetChildrenHeight(), 1203);

  // The width follows the table and a narrower parent is widened.
  body.SetBoundsRect({0, 0, 50, 2000});
  deep->Changed();
  EXPECT_DOUBLE_EQ(deep->GetWidth(), 60);
  EXPECT_DOUBLE_EQ(body.GetWidth(), 70);
}

TEST_F(PrintTables, ImportKeepsRowsWithAnIntervalAndACancelKeepsEverything) {
  WriteText("layers.csv", "1200.5;1203;sand\n1203;;clay\nTop;Bottom;Rock\n1210;1220;lime\n");
  TTableBody body;
  auto* deep = body.Add<TPrintDeepTable>(10, 0, 40, 100);
  Fill(&deep->Table(), {{"x", "y", "kept on cancel"}});
  FUi.FileAnswers = {QString()};
  EXPECT_FALSE(deep->ExecuteMenuCommand(dtcImport));
  ASSERT_EQ(deep->Table().RowCount(), 1) << "a cancelled import removes no rows";

  deep->SetModified(false);
  FUi.FileAnswers = {Path("layers.csv")};
  ASSERT_TRUE(deep->ExecuteMenuCommand(dtcImport));
  ASSERT_EQ(deep->Table().RowCount(), 2) << "the row without its end and the name row are gone";
  EXPECT_EQ(deep->Table().GetCell(2, 0), "sand");
  EXPECT_EQ(deep->Table().GetCell(2, 1), "lime");
  EXPECT_EQ(deep->Table().GetRowInterval(1)->Top, 1210);
  EXPECT_EQ(deep->DeepestBottom(), 1220);
  EXPECT_TRUE(deep->GetModified());

  FUi.FileAnswers = {Path("missing.csv")};
  EXPECT_FALSE(deep->ExecuteMenuCommand(dtcImport));
  EXPECT_EQ(deep->Table().RowCount(), 2);
  ASSERT_FALSE(FUi.Messages.empty()) << "a failed import says why";
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);

  // A new table has no columns yet: it takes the file's.
  auto* fresh = body.Add<TPrintDeepTable>(60, 0, 40, 100);
  FUi.FileAnswers = {Path("layers.csv")};
  ASSERT_TRUE(fresh->ExecuteMenuCommand(dtcImport));
  EXPECT_EQ(fresh->Table().ColCount(), 3);
  EXPECT_EQ(fresh->Table().RowCount(), 2);

  QString caption;
  const QStringList expected{"Import", "Edit", "Export", "-", "Font", "<Error!>"};
  for (int i = 0; i < 6; ++i) {
    deep->GetMenuCommandCaption(i, &caption);
    EXPECT_EQ(caption, expected[i]) << i;
  }
}

TEST_F(PrintTables, CellsAreDrawnInTheirBoxesInTheirColours) {
  TRecordingDevice device(QSize(3000, 3000), 254);  // 10 px per mm
  QPainter painter(&device);
  TPrintTable table;
  table.SetBoundsRect({10, 20, 10, 20});
  Fill(&table.Table(), {{"A1", ""}, {"A2", "B2"}});
  table.Table().ColWidths = {20, 30};
  table.Table().RowHeights = {5, 5};
  table.Table().SetCellData(1, 1, 0x0000FF);
  table.Changed();
  TDrawContext context = Context(&painter, doBorders);
  table.Draw(context);
  EXPECT_EQ(device.Texts().size(), 3u) << device.Dump();
  // Every cell is outlined on all four edges, the last one's right and bottom
  // edges on the last pixels inside it.
  const auto outlined = [&](QRectF box) {
    for (const TRecordedItem* p : device.OfKind(TRecordKind::Polygon))
      if (p->Polygon.size() == 5 && p->Polygon.boundingRect() == box) return true;
    return false;
  };
  EXPECT_TRUE(outlined({QPointF(300, 250), QPointF(599, 299)})) << device.Dump();
  EXPECT_TRUE(outlined({QPointF(300, 200), QPointF(599, 249)})) << "an empty cell keeps its box" << device.Dump();
  const TRecordedItem* red = device.FindText("B2");
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(red->State.PenColor, QColor(Qt::red));
  device.Clear();

  TTableBody body;
  auto* deep = body.Add<TPrintDeepTable>(10, 0, 40, 100);
  Fill(&deep->Table(), {{"10", "20", "sand"}, {"20", "50", "clay"}});
  deep->Table().ColWidths = {10, 10, 20};
  deep->RebuildIntervals();
  deep->SetHeight(100);
  context = Context(&painter, doBorders);
  deep->Draw(context);
  const TRecordedItem* clay = device.FindText(" clay ");
  ASSERT_NE(clay, nullptr) << device.Dump();
  // Centred in its box: 20 to 50 mm down, 30 to 50 mm across.
  EXPECT_NEAR(clay->Baseline.y(), 350, 30);
  EXPECT_NE(device.FindLine({300, 200}, {500, 200}, 1), nullptr) << device.Dump();
  EXPECT_NE(device.FindLine({300, 500}, {500, 500}, 1), nullptr) << device.Dump();
  // Only rows meeting the repainted band are drawn.
  device.Clear();
  context.ClipRect = {0, 0, 3000, 150};
  deep->Draw(context);
  EXPECT_EQ(device.FindText(" clay "), nullptr);
  EXPECT_NE(device.FindText(" sand "), nullptr);
}
