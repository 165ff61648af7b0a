// The lithology column's dialogs driven offscreen: the new-layer dialog's OK
// rule, the layer dialog's live edits and their undoing on Cancel, the grid's
// write-back, row insertion, sign replacement and Cancel, the top boundary
// with "Apply for all", and the export dialog's choice.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "uFLC.h"
#include "uFLCEntry.h"
#include "uLineStyleDialog.h"
#include "uStratColDialogs.h"
#include "uStratColExport.h"
#include "uStratColTestEnv.h"

using StratColDialogs = TStratColTest;

TEST_F(StratColDialogs, NewLayerNeedsAnInterval) {
  TFAddLCE dialog(2, -1);
  EXPECT_EQ(dialog.edFrom->text(), QStringLiteral("2"));
  EXPECT_TRUE(dialog.edTo->text().isEmpty());
  EXPECT_FALSE(dialog.btnOK->isEnabled());
  for (const auto& [from, to, ok] :
       std::initializer_list<std::tuple<const char*, const char*, bool>>{{"2", "3.5", true},
                                                                         {"0", "0", false},
                                                                         {"3", "2", false},
                                                                         {"-1", "2", false},
                                                                         {"x", "2", false},
                                                                         {"0", "0,5", true}}) {
    dialog.edFrom->setText(QString::fromLatin1(from));
    dialog.edTo->setText(QString::fromLatin1(to));
    EXPECT_EQ(dialog.btnOK->isEnabled(), ok) << from << " " << to;
  }

  // Through the column: OK adds the layer (its own dialog follows and is closed here).
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  RegisterStratColDialogs();
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->objectName() == "TFAddLCE") {
        static_cast<TFAddLCE*>(d)->edTo->setText("4");
        QTimer::singleShot(0, [] {
          for (QWidget* l : QApplication::topLevelWidgets())
            if (auto* e = qobject_cast<QDialog*>(l); e && e->isVisible() && e->objectName() == "TFLCEntry") e->accept();
        });
        d->accept();
      }
  });
  EXPECT_TRUE(col->InsertNewChildAt(20, 16, 20, 9));  // from depth 2 (y 10)
  ASSERT_EQ(col->Layers().size(), 1u);
  EXPECT_DOUBLE_EQ(col->Layers()[0]->TopDepth(), 2);
  EXPECT_DOUBLE_EQ(col->Layers()[0]->BottomDepth(), 4);
}

TEST_F(StratColDialogs, LayerDialogEditsLiveAndCancelRestores) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  TStratColEntry* layer = col->AddLayer(0, 4, {QStringLiteral("SST"), QStringLiteral("LST")});
  layer->AutoPlace();
  TStratPlacement before{};
  layer->GetPlacement(1, &before);
  {
    TFLCEntry dialog(layer);
    ASSERT_EQ(dialog.lbSigns->count(), 2);
    dialog.SelectSign(1);
    EXPECT_TRUE(dialog.btnUp->isEnabled());
    EXPECT_FALSE(dialog.btnDown->isEnabled());
    dialog.seCountX->setValue(7);
    dialog.cbCut->setChecked(false);
    dialog.cbSign->setCurrentText(QStringLiteral("DOL"));
    TStratPlacement live{};
    layer->GetPlacement(1, &live);
    EXPECT_EQ(live.CountX, 7);
    EXPECT_EQ(live.Flags & kStratCutOutside, 0);
    EXPECT_EQ(layer->GetSignName(1), QStringLiteral("DOL"));
    dialog.btnUp->click();
    EXPECT_EQ(layer->SignNames(), (QStringList{"DOL", "SST"}));
    EXPECT_EQ(dialog.lbSigns->currentRow(), 0);
    dialog.btnDelete->click();
    EXPECT_EQ(layer->SignNames(), QStringList{"SST"});
    dialog.cbWidth->setCurrentIndex(3);  // 0.4 mm
    EXPECT_DOUBLE_EQ(layer->GetTopLine().LineWidth, 0.4);
    dialog.reject();
  }
  EXPECT_EQ(layer->SignNames(), (QStringList{"SST", "LST"}));
  TStratPlacement after{};
  layer->GetPlacement(1, &after);
  EXPECT_EQ(after.CountX, before.CountX);
  EXPECT_EQ(after.Flags, before.Flags);
  EXPECT_EQ(layer->GetTopLine().LineWidth, 0.0);

  // Without signs nothing is selectable.
  TStratColEntry* empty = col->AddLayer(4, 5);
  TFLCEntry none(empty);
  EXPECT_FALSE(none.btnDelete->isEnabled());
  EXPECT_FALSE(none.cbSign->isEnabled());
}

TEST_F(StratColDialogs, GridWritesBackAndCancelRestores) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  col->AddLayer(0, 2, {QStringLiteral("SST")});
  col->AddLayer(3, 5, {QStringLiteral("qqq"), QStringLiteral("LST")});
  {
    TfLC dialog(col);
    ASSERT_EQ(dialog.Grid->rowCount(), 2);
    ASSERT_EQ(dialog.Grid->columnCount(), 4);
    dialog.Grid->item(0, 1)->setText(QStringLiteral("2.5"));
    dialog.Grid->item(0, 3)->setText(QStringLiteral("CLY"));
    EXPECT_DOUBLE_EQ(col->Layers()[0]->BottomDepth(), 2.5);
    EXPECT_EQ(col->Layers()[0]->SignNames(), (QStringList{"SST", "CLY"}));
    // A row between the two layers fills the gap.
    dialog.Grid->setCurrentCell(1, 0);
    dialog.InsertRow();
    ASSERT_EQ(col->Layers().size(), 3u);
    EXPECT_DOUBLE_EQ(col->Layers()[1]->TopDepth(), 2.5);
    EXPECT_DOUBLE_EQ(col->Layers()[1]->BottomDepth(), 3);
    // Unknown names are offered first for replacement.
    EXPECT_EQ(dialog.DistinctSigns().first(), QStringLiteral("qqq"));
    EXPECT_EQ(dialog.ReplaceSign(QStringLiteral("qqq"), QStringLiteral("SH")), 1);
    EXPECT_EQ(col->Layers()[2]->SignNames(), (QStringList{"SH", "LST"}));
    dialog.reject();
  }
  ASSERT_EQ(col->Layers().size(), 2u);
  EXPECT_DOUBLE_EQ(col->Layers()[0]->BottomDepth(), 2);
  EXPECT_EQ(col->Layers()[1]->SignNames(), (QStringList{"qqq", "LST"}));
  EXPECT_EQ(col->Layers()[1]->DataBase(), col->DataBase());

  // An empty column gets a first layer to edit.
  TPrintStratCol* fresh = body.AddColumn();
  TfLC first(fresh);
  EXPECT_EQ(first.Grid->rowCount(), 1);
  first.accept();
  EXPECT_EQ(fresh->Layers().size(), 1u);
}

TEST_F(StratColDialogs, TopBoundaryAndExportChoices) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  col->AddLayer(0, 1);
  col->AddLayer(1, 2);
  TFLCTopLine line(col->TopLine());
  EXPECT_TRUE(line.bApplyForAll->isChecked());
  line.cbWidth->setCurrentIndex(2);  // 0.2 mm
  line.cbStyle->setCurrentIndex(1);
  col->ApplyTopLine(line.Line(), line.ApplyForAll());
  EXPECT_DOUBLE_EQ(col->Layers()[1]->GetTopLine().LineWidth, 0.2);
  EXPECT_EQ(col->Layers()[1]->GetTopLine().Style, 1);
  EXPECT_DOUBLE_EQ(col->Layers()[0]->GetTopLine().LineWidth, 0);

  TLayerExportChoice choice;
  choice.Holes = {"W1", "W2"};
  choice.Hole = "W1";
  TfLCExport exportDialog(&choice);
  EXPECT_EQ(exportDialog.cbHole->count(), 2);
  exportDialog.cbHole->setCurrentText(QStringLiteral(" W9 "));
  // Browsing a filter that cannot be read says so and clears it.
  FUi.FileAnswers.push_back(Path("none.txt"));
  exportDialog.btnBrowse->click();
  EXPECT_TRUE(exportDialog.edFilter->text().isEmpty());
  ASSERT_FALSE(FUi.Messages.empty());
  exportDialog.accept();
  EXPECT_EQ(choice.Hole, QStringLiteral("W9"));
}
