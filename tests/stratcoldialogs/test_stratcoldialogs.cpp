// The lithology column's dialogs driven offscreen: the new-layer dialog's OK
// rule, the layer dialog's live edits and their undoing on Cancel, a layer's
// first sign filling it, the grid's
// write-back, row insertion, sign replacement and Cancel, the grid's sign
// pictures (drawn once per sign, redrawn when the database changes), the top
// boundary with "Apply for all", and the export dialog's choice.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"
#include "uFLC.h"
#include "uFLCEntry.h"
#include "uImageCompare.h"
#include "uLanguage.h"
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

  // A click has no extent: the proposal starts at it, runs 5 mm of the sheet
  // down and reads as a depth one would type.
  QString proposed;
  QTimer::singleShot(0, [&proposed] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = dynamic_cast<TFAddLCE*>(w); d && d->isVisible()) {
        proposed = d->edFrom->text() + " " + d->edTo->text() + (d->btnOK->isEnabled() ? " ok" : "");
        d->reject();
      }
  });
  const double click = col->DepthToPage(5.123456);
  EXPECT_FALSE(col->InsertNewChildAt(20, click, 20, click));
  const double bottom = std::round(col->PageToDepth(click + 5) * 10) / 10;
  EXPECT_EQ(proposed, "5.1 " + QString::number(bottom) + " ok");
  EXPECT_EQ(col->Layers().size(), 1u);
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

// A layer's first sign fills the layer exactly as "Place Automatically"
// would; a second one is left where the user will arrange it.
TEST_F(StratColDialogs, ALayersFirstSignFillsItsLayer) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  TStratColEntry* layer = col->AddLayer(0, 6);
  TStratColEntry* twin = col->AddLayer(6, 12, {QStringLiteral("SST")});
  ASSERT_TRUE(twin->AutoPlace());
  TStratPlacement expected{};
  ASSERT_EQ(twin->GetPlacement(0, &expected), S_OK);
  ASSERT_GT(expected.CountY, 1) << "a 6 m layer takes more than one row of blocks";

  TFLCEntry dialog(layer);
  const auto choose = [](const char* code) {
    QTimer::singleShot(0, [code] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = dynamic_cast<TfLDBList*>(w); d && d->isVisible()) {
          const auto found = d->lbSigns->findItems(QString::fromLatin1(code), Qt::MatchExactly);
          if (!found.isEmpty()) d->lbSigns->setCurrentItem(found.front());
          d->accept();
        }
    });
  };
  choose("SST");
  dialog.btnAdd->click();
  ASSERT_EQ(layer->SignNames(), QStringList{"SST"});
  TStratPlacement first{};
  ASSERT_EQ(layer->GetPlacement(0, &first), S_OK);
  EXPECT_EQ(first.CountX, expected.CountX);
  EXPECT_EQ(first.CountY, expected.CountY);
  EXPECT_DOUBLE_EQ(first.OffsetY, expected.OffsetY);

  choose("LST");
  dialog.btnAdd->click();
  ASSERT_EQ(layer->SignNames(), (QStringList{"SST", "LST"}));
  TStratPlacement kept{};
  ASSERT_EQ(layer->GetPlacement(0, &kept), S_OK);
  EXPECT_EQ(kept.CountY, first.CountY) << "the first sign keeps its place";
  TStratPlacement second{};
  ASSERT_EQ(layer->GetPlacement(1, &second), S_OK);
  EXPECT_EQ(second.CountY, 1) << "the second is not placed for the user";
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

  // An empty column gets a first layer to edit; left as offered, OK keeps
  // the column empty (no invisible layer of no rock).
  TPrintStratCol* fresh = body.AddColumn();
  ASSERT_TRUE(fresh->LoadDataBase(DefaultLsd()));
  {
    TfLC looked(fresh);
    EXPECT_EQ(looked.Grid->rowCount(), 1);
    looked.accept();
    EXPECT_TRUE(fresh->Layers().empty());
  }
  TfLC first(fresh);
  first.Grid->item(0, 2)->setText(QStringLiteral("SST"));
  first.accept();
  ASSERT_EQ(fresh->Layers().size(), 1u);
  EXPECT_EQ(fresh->Layers()[0]->SignNames(), QStringList{"SST"});
}

namespace {

// The sign's icon as the editor's icon views draw it: its picture stretched
// over a white square.
QImage IconOf(IStratDataBase* db, const char* name, int size) {
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(Qt::white);
  TComPtr<IStratSign> sign;
  if (db->FindByName(SignNameBytes(QString::fromLatin1(name)), sign.Put()) != S_OK || !sign->GetMetafile()) return {};
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PlayEmf(&painter, *sign->GetMetafile(), QRectF(0, 0, size, size));
  return image;
}

QImage CellPicture(const TfLC& dialog, int row, int column) {
  const QVariant v = dialog.Grid->item(row, column)->data(Qt::DecorationRole);
  return v.canConvert<QPixmap>() ? v.value<QPixmap>().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

int SignIndex(IStratDataBase* db, const char* name) {
  for (int i = 0; i < db->SignCount(); ++i) {
    TComPtr<IStratSign> sign;
    db->GetSign(i, sign.Put());
    TShortString n{};
    sign->GetName(&n);
    if (SignNameText(n) == QLatin1String(name)) return i;
  }
  return -1;
}

}  // namespace

TEST_F(StratColDialogs, GridShowsSignPictures) {
  FSettings->SetLdbIconSize(30);
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  IStratDataBase* db = col->DataBase();
  col->AddLayer(0, 2, {QStringLiteral("SST"), QStringLiteral("LST")});
  col->AddLayer(2, 4, {QStringLiteral("qqq"), QStringLiteral("SST")});
  const int size = 28;  // the row height less a pixel above and below
  {
    TfLC dialog(col);
    EXPECT_EQ(dialog.Grid->iconSize(), QSize(size, size));
    const QImage sst = CellPicture(dialog, 0, 2), lst = CellPicture(dialog, 0, 3);
    ASSERT_EQ(sst.size(), QSize(size, size));
    ASSERT_EQ(lst.size(), QSize(size, size));
    EXPECT_GT(CountDifferingPixels(sst, lst, 16), size * size / 20);
    EXPECT_LE(CountDifferingPixels(sst, IconOf(db, "SST", size), 16), size);
    EXPECT_LE(CountDifferingPixels(lst, IconOf(db, "LST", size), 16), size);
    // Drawn once per sign: both SST cells hold the same pixmap.
    EXPECT_EQ(dialog.Grid->item(0, 2)->data(Qt::DecorationRole).value<QPixmap>().cacheKey(),
              dialog.Grid->item(1, 3)->data(Qt::DecorationRole).value<QPixmap>().cacheKey());
    // A name the database lacks has no picture and shows in red.
    EXPECT_FALSE(dialog.Grid->item(1, 2)->data(Qt::DecorationRole).isValid());
    EXPECT_EQ(dialog.Grid->item(1, 2)->foreground().color(), QColor(255, 0, 0));

    // An edited cell and a replaced name show the new sign's picture.
    dialog.Grid->item(0, 3)->setText(QStringLiteral("DOL"));
    EXPECT_LE(CountDifferingPixels(CellPicture(dialog, 0, 3), IconOf(db, "DOL", size), 16), size);
    EXPECT_EQ(dialog.ReplaceSign(QStringLiteral("qqq"), QStringLiteral("LST")), 1);
    EXPECT_LE(CountDifferingPixels(CellPicture(dialog, 1, 2), IconOf(db, "LST", size), 16), size);
    EXPECT_FALSE(dialog.Grid->item(1, 2)->data(Qt::ForegroundRole).isValid());
    dialog.Grid->item(1, 2)->setText(QString());
    EXPECT_FALSE(dialog.Grid->item(1, 2)->data(Qt::DecorationRole).isValid());

    // The database editor's report redraws the pictures: SST takes DOL's
    // picture, then goes away.
    TComPtr<IStratSign> sstSign, dolSign;
    ASSERT_EQ(db->FindByName(SignNameBytes(QStringLiteral("SST")), sstSign.Put()), S_OK);
    ASSERT_EQ(db->FindByName(SignNameBytes(QStringLiteral("DOL")), dolSign.Put()), S_OK);
    sstSign->SetMetafile(dolSign->GetMetafile()->Copy().release());
    TPrintStratCol::DBChanged(col, db, 0);
    EXPECT_EQ(CountDifferingPixels(CellPicture(dialog, 0, 2), CellPicture(dialog, 0, 3), 0), 0);
    ASSERT_TRUE(db->DeleteSign(SignIndex(db, "SST")));
    TPrintStratCol::DBChanged(col, db, 0);
    EXPECT_FALSE(dialog.Grid->item(0, 2)->data(Qt::DecorationRole).isValid());
    EXPECT_EQ(dialog.Grid->item(1, 3)->foreground().color(), QColor(255, 0, 0));
    dialog.reject();
  }
  // The closed dialog no longer listens.
  TPrintStratCol::DBChanged(col, db, 0);

  // Without "LDB.ICON" the cells hold names only.
  FSettings->SetLdbIcon(false);
  TfLC plain(col);
  EXPECT_FALSE(plain.Grid->item(0, 3)->data(Qt::DecorationRole).isValid());
  // The rock's name shows under the mouse, with or without pictures.
  EXPECT_EQ(plain.Grid->item(0, 3)->toolTip(), QStringLiteral("LST  Limestone"));

  // A long name the database lacks is read whole: the column widens for it.
  const QString unknown = QStringLiteral("Granite, weathered, with quartz veins");
  col->AddLayer(4, 6, {unknown});
  TfLC wide(col);
  EXPECT_EQ(wide.Grid->item(2, 2)->toolTip(), unknown);
  EXPECT_GE(wide.Grid->columnWidth(2), wide.Grid->fontMetrics().horizontalAdvance(unknown));
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
  ASSERT_EQ(FUi.Messages.size(), 1u);
  // A path typed that cannot be read keeps the dialog open, the field cleared.
  exportDialog.show();
  exportDialog.edFilter->setText(Path("typed-none.txt"));
  exportDialog.accept();
  EXPECT_EQ(FUi.Messages.size(), 2u);
  EXPECT_TRUE(exportDialog.isVisible());
  EXPECT_TRUE(exportDialog.edFilter->text().isEmpty());
  // A hole is needed for OK.
  QPushButton* ok = exportDialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  exportDialog.cbHole->setCurrentText(QStringLiteral("  "));
  EXPECT_FALSE(ok->isEnabled());
  exportDialog.cbHole->setCurrentText(QStringLiteral(" W9 "));
  EXPECT_TRUE(ok->isEnabled());
  // A readable filter typed in is loaded on OK.
  QFile filter(Path("typed.txt"));
  ASSERT_TRUE(filter.open(QIODevice::WriteOnly));
  filter.write("SAND\tSST\n");
  filter.close();
  exportDialog.edFilter->setText(Path("typed.txt"));
  exportDialog.accept();
  EXPECT_FALSE(exportDialog.isVisible());
  EXPECT_EQ(choice.Hole, QStringLiteral("W9"));
  EXPECT_EQ(choice.FilterPath, Path("typed.txt"));
  ASSERT_EQ(choice.Filter.size(), 1u);
  EXPECT_EQ(choice.Filter[0].Code, QStringLiteral("SAND"));
}

// Sign lists show each code with its rock's name in the program's language.
TEST_F(StratColDialogs, SignCaptionsFollowTheProgramsLanguage) {
  TTestBody body;
  TPrintStratCol* col = body.AddColumn();
  ASSERT_TRUE(col->LoadDataBase(DefaultLsd()));
  IStratDataBase* db = col->DataBase();
  ASSERT_TRUE(LoadLanguage(QStringLiteral(KERNO_SOURCE_DIR "/resources/russian.vox")));
  EXPECT_EQ(SignCaption(db, QStringLiteral("SST")), QStringLiteral("Песчаник"));
  ASSERT_TRUE(LoadLanguage(QStringLiteral(KERNO_SOURCE_DIR "/resources/english.vox")));
  EXPECT_EQ(SignCaption(db, QStringLiteral("sst")), QStringLiteral("Sandstone")) << "names match without case";
  EXPECT_EQ(SignCaption(db, QStringLiteral("NOSUCH")), QString());
  EXPECT_EQ(SignCaption(nullptr, QStringLiteral("SST")), QString());
  // The layer dialog's closed sign box shows the code, and the name as its tip.
  TStratColEntry* layer = col->AddLayer(0, 4, {QStringLiteral("SST")});
  TFLCEntry dialog(layer);
  dialog.lbSigns->setCurrentRow(0);
  EXPECT_EQ(dialog.cbSign->currentText(), QStringLiteral("SST"));
  EXPECT_EQ(dialog.cbSign->toolTip(), QStringLiteral("Sandstone"));

  // Opened from a narrow cell of the grid, the sign list is as wide as its
  // longest code and name; the sign columns as wide as their titles.
  TfLC grid(col);
  const int column = 2;
  EXPECT_GE(grid.Grid->columnWidth(column), grid.Grid->horizontalHeader()->sectionSizeHint(column));
  grid.Grid->setColumnWidth(column, 60);
  const auto editorAt = [&grid](int c) {
    return std::unique_ptr<QWidget>(grid.Grid->itemDelegate()->createEditor(
        grid.Grid->viewport(), QStyleOptionViewItem(), grid.Grid->model()->index(0, c)));
  };
  EXPECT_EQ(qobject_cast<QComboBox*>(editorAt(0).get()), nullptr) << "depths are typed, not chosen from signs";
  const std::unique_ptr<QWidget> editor = editorAt(column);
  auto* combo = qobject_cast<QComboBox*>(editor.get());
  ASSERT_NE(combo, nullptr);
  const QFontMetrics metrics(combo->view()->font());
  int widest = 0;
  for (int i = 0; i < combo->count(); ++i)
    widest =
        std::max(widest, metrics.horizontalAdvance(combo->itemText(i) + "  " + SignCaption(db, combo->itemText(i))));
  EXPECT_GT(widest, 100);
  EXPECT_GE(combo->view()->minimumWidth(), widest) << "no caption cut at the list's edge";

  // The grid's sign cell completes from part of a rock's name and writes its code.
  QCompleter* completer = combo->completer();
  ASSERT_NE(completer, nullptr);
  completer->setCompletionPrefix("limest");
  ASSERT_GT(completer->completionCount(), 0);
  EXPECT_TRUE(completer->currentCompletion().startsWith("LST")) << completer->currentCompletion().toStdString();
  EXPECT_EQ(completer->pathFromIndex(completer->currentIndex()), "LST") << "the cell takes the code alone";
  EXPECT_GE(completer->popup()->minimumWidth(), metrics.horizontalAdvance("LST  Limestone"));
  // A rock's whole name typed and taken without the list is stored as its code too.
  combo->setCurrentText("limestone,  dolomitic");
  grid.Grid->itemDelegate()->setModelData(combo, grid.Grid->model(), grid.Grid->model()->index(0, column));
  EXPECT_EQ(grid.Grid->item(0, column)->text(), "LSTD");
  combo->setCurrentText("no such rock");
  grid.Grid->itemDelegate()->setModelData(combo, grid.Grid->model(), grid.Grid->model()->index(0, column));
  EXPECT_EQ(grid.Grid->item(0, column)->text(), "no such rock");

  // The sign chooser finds a rock by part of its code or of its name.
  TfLDBList chooser(db);
  chooser.eFind->setText("sandst");
  ASSERT_NE(chooser.lbSigns->currentItem(), nullptr);
  EXPECT_EQ(chooser.Chosen(), "SST") << "the first sandstone in the list";
  int shown = 0;
  for (int i = 0; i < chooser.lbSigns->count(); ++i)
    if (!chooser.lbSigns->item(i)->isHidden()) {
      ++shown;
      EXPECT_TRUE(SignCaption(db, chooser.lbSigns->item(i)->text()).contains("andstone"))
          << chooser.lbSigns->item(i)->text().toStdString();
    }
  EXPECT_GT(shown, 3) << "fine-, medium- and coarse-grained sandstones too";
  EXPECT_TRUE(chooser.btnOK->isEnabled());
  chooser.eFind->setText("LST");
  EXPECT_EQ(chooser.Chosen(), "LST") << "by code";
  QTest::keyClick(chooser.eFind, Qt::Key_Down);
  EXPECT_NE(chooser.Chosen(), "LST") << "the arrow keys walk the list from the field";
  EXPECT_EQ(chooser.eFind->text(), "LST");
  chooser.eFind->setText("coal");
  EXPECT_EQ(chooser.Chosen(), "COAL") << "by the rock's name";
  chooser.eFind->setText("no such rock");
  EXPECT_EQ(chooser.Chosen(), "");
  EXPECT_FALSE(chooser.btnOK->isEnabled());
  chooser.eFind->clear();
  EXPECT_FALSE(chooser.lbSigns->item(0)->isHidden());
  UnloadLanguage();
}
