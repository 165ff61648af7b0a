// The interval import's model: how rows become intervals (united rows,
// split values, intervals without values) and which columns it proposes
// for a table's header row.
#include <gtest/gtest.h>

#include "uIntervalImport.h"
#include "uScratchEnvTest.h"

void PrintTo(const QString& s, std::ostream* os);

namespace {

class IntervalImport : public TScratchEnvTest {
 protected:
  // A source table of `rows`, each a list of cells.
  void Source(const std::vector<QStringList>& rows) {
    FImport.Source.AutoColumns = false;
    int cols = 0;
    for (const QStringList& r : rows) cols = std::max(cols, static_cast<int>(r.size()));
    FImport.Source.SetColCount(cols);
    FImport.Source.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
      for (int c = 0; c < rows[static_cast<size_t>(r)].size(); ++c)
        FImport.Source.SetCell(c, r, rows[static_cast<size_t>(r)][c]);
    FImport.SourceChanged();
  }
  // Each interval as "from-to:value,value".
  QStringList Intervals() const {
    QStringList out;
    const TTableData data = FImport.Build();
    for (int i = 0; i < data.Count(); ++i)
      out << data[i].From + QLatin1Char('-') + data[i].To + QLatin1Char(':') + data[i].Values().join(QLatin1Char(','));
    return out;
  }

  TIntervalImport FImport;
};

}  // namespace

// Rows of a core description, one per sample: united by the layer's name they
// make one interval from the first row's top to the last row's bottom.
TEST_F(IntervalImport, UnitedRowsSplitValuesAndEmptyIntervals) {
  Source({{"10", "12", "sand", "L1"},
          {"12", "15", "sand;silt", "L1"},
          {"15", "16", "", "L2"},
          {"16", "17", "", "L2"},
          {"17", "20", "Clay", "L3"},
          {"20", "21", "clay", "L3"}});
  EXPECT_FALSE(FImport.HasIds) << "row 0 holds numbers";
  EXPECT_EQ(FImport.FromColumn, 0);
  EXPECT_EQ(FImport.ToColumn, 1);
  EXPECT_EQ(FImport.DataColumns, (std::vector<int>{2, 3}));
  FImport.DataColumns = {2};
  EXPECT_EQ(Intervals(), (QStringList{"10-12:sand", "12-15:sand;silt", "17-20:Clay", "20-21:clay"}))
      << "rows without a value are dropped";
  FImport.Unite = true;
  FImport.UniteColumn = 3;
  FImport.Delimiter = QStringLiteral(";");
  // The values of united rows count once, without regard to letter case; the
  // empty L2 rows are dropped together, continuation included.
  EXPECT_EQ(Intervals(), (QStringList{"10-15:sand,silt", "17-21:Clay"}));
  FImport.UseEmpty = true;
  EXPECT_EQ(Intervals(), (QStringList{"10-15:sand,silt", "15-17:", "17-21:Clay"}));
  // Two characters are no delimiter: texts stay whole.
  FImport.Delimiter = QStringLiteral(";;");
  EXPECT_EQ(Intervals().first(), "10-15:sand,sand;silt");
  const std::unique_ptr<TStringTable> table = FImport.ResultTable();
  ASSERT_TRUE(table);
  EXPECT_EQ(table->ColCount(), 4);
  EXPECT_EQ(table->GetCell(3, 0), "sand;silt");
}

// The layer export's own table (Hole_ID, From_Depth, To_Depth, Rock1...)
// imports the document's well without a change in the dialog; so does a
// spreadsheet with its columns named in another order or in Russian.
TEST_F(IntervalImport, ColumnsNamedInTheHeaderRowAreProposed) {
  FImport.PreferredHole = QStringLiteral("412-R");
  Source({{"Hole_ID", "From_Depth", "To_Depth", "Rock1", "Rock2"},
          {"7-K", "100", "110", "SST", ""},
          {"412-R", "1450", "1455", "ARG", ""},
          {"412-R", "1455", "1462", "ARG", "SLT"}});
  EXPECT_TRUE(FImport.HasIds);
  EXPECT_TRUE(FImport.Filter) << "two holes in the table";
  EXPECT_EQ(FImport.FilterText, "412-R");
  EXPECT_EQ(FImport.DataColumns, (std::vector<int>{3, 4}));
  EXPECT_EQ(Intervals(), (QStringList{"1450-1455:ARG", "1455-1462:ARG,SLT"}));
  EXPECT_EQ(FImport.ChosenHole(), "412-R");
  // Without the filter the hole column still gives no values.
  FImport.Filter = false;
  FImport.SetDefaultColumns();
  EXPECT_EQ(FImport.FromColumn, 1);
  EXPECT_EQ(Intervals().first(), "100-110:SST");
  EXPECT_EQ(FImport.ChosenHole(), "") << "rows of two holes";

  // A hole the table does not hold: its first hole.
  FImport.PreferredHole = QStringLiteral("1-P");
  Source({{"Well", "Top, m", "Bottom, m", "Rock"}, {"A", "1", "2", "SST"}, {"B", "3", "4", "LST"}});
  EXPECT_TRUE(FImport.Filter);
  EXPECT_EQ(FImport.FilterText, "A");
  EXPECT_EQ(Intervals(), QStringList{"1-2:SST"});

  // One hole: nothing to filter.
  Source({{"Скважина", "Порода", "Подошва, м", "Кровля, м"}, {"5", "песчаник", "12", "10"}});
  EXPECT_FALSE(FImport.Filter);
  EXPECT_EQ(FImport.FromColumn, 3);
  EXPECT_EQ(FImport.ToColumn, 2);
  EXPECT_EQ(FImport.DataColumns, std::vector<int>{1});
  EXPECT_EQ(Intervals(), QStringList{"10-12:песчаник"});
  EXPECT_EQ(FImport.ChosenHole(), "5") << "the table's only hole";

  // Names that say nothing, or only one end named: the first two columns.
  Source({{"Depth", "Depth2", "Top", "Rock"}, {"1", "2", "x", "SST"}});
  EXPECT_EQ(FImport.FromColumn, 0);
  EXPECT_EQ(FImport.ToColumn, 1);
  EXPECT_EQ(FImport.DataColumns, (std::vector<int>{2, 3}));
  EXPECT_EQ(FImport.ChosenHole(), "") << "no column names the hole";
  // Names given up in the dialog (row 0 taken as data) give the first two columns too.
  Source({{"Hole", "From", "To", "Rock"}, {"A", "1", "2", "SST"}});
  FImport.HasIds = false;
  FImport.SetDefaultColumns();
  EXPECT_EQ(FImport.FromColumn, 0);
  EXPECT_EQ(FImport.ToColumn, 1);
}

// Numbers for histograms and depth tables: each chosen column keeps its place.
// A core analysis with a missing permeability must not put the density under
// permeability, nor lose a density equal to the porosity.
TEST_F(IntervalImport, ValuesByColumnKeepTheirPlacesAndNames) {
  Source({{"Top", "Bottom", "Porosity", "Permeability", "Run"},
          {"1450", "1451", "18", "", "1"},
          {"1451", "1452", "12", "12", "1"},
          {"1452", "1453", "", "", "2"},
          {"1453", "1454", " 9 ", "0.5", "2"}});
  FImport.ValuesByColumn = true;
  FImport.DataColumns = {2, 3};
  FImport.Delimiter = QStringLiteral(".");  // no effect on numbers
  EXPECT_EQ(Intervals(), (QStringList{"1450-1451:18,", "1451-1452:12,12", "1453-1454:9,0.5"}));
  EXPECT_EQ(FImport.ValueNames(2), (QStringList{"Porosity", "Permeability"}));
  std::unique_ptr<TStringTable> table = FImport.ResultTable();
  ASSERT_TRUE(table);
  EXPECT_EQ(table->GetHeader(3), "Permeability");
  EXPECT_EQ(table->GetCell(3, 0), "");
  EXPECT_EQ(table->GetCell(3, 1), "12");

  // United rows keep the first number of each place.
  FImport.Unite = true;
  FImport.UniteColumn = 4;
  EXPECT_EQ(Intervals(), (QStringList{"1450-1452:18,12", "1452-1454:9,0.5"}));
  FImport.Unite = false;

  // Intervals without a number are dropped unless asked for; a choice of
  // empty columns only gives no table.
  FImport.DataColumns = {3};
  EXPECT_EQ(Intervals(), (QStringList{"1451-1452:12", "1453-1454:0.5"}));
  FImport.UseEmpty = true;
  EXPECT_EQ(Intervals().size(), 4);
  Source({{"Top", "Bottom", "Porosity"}, {"1", "2", ""}});
  FImport.DataColumns = {2};
  EXPECT_FALSE(FImport.ResultTable()) << "nothing but empty cells";

  // Without a name row the columns are numbered.
  Source({{"1", "2", "5", "6"}});
  FImport.HasIds = false;
  EXPECT_EQ(FImport.ValueNames(2), (QStringList{"Value1", "Value2"}));
  FImport.ValuesByColumn = false;
  Source({{"From", "To", "Porosity"}, {"1", "2", "5"}});
  EXPECT_EQ(FImport.ValueNames(1), QStringList{"Value1"}) << "distinct values have no column of their own";
}
