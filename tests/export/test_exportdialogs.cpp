// The export as the user meets it: the options dialog and its OK rule, the
// file name and format from the save dialog, the question about an existing
// file, and failures reported with the old picture kept.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "uEmfDocument.h"
#include "uExportTestEnv.h"
#include "uFExportOptions.h"
#include "uImageExport.h"
#include "uObjectImage.h"

namespace {

QPushButton* OkButton(QWidget* dialog) { return dialog->findChild<QPushButton*>("btnOK"); }

// Answers the options dialog once it is shown: the scale typed, then OK (or Cancel).
void AnswerOptions(const QString& scale, bool ok, int quality = 0, bool* shown = nullptr,
                   bool* qualityShown = nullptr) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != "TFExportOptions") return;
    if (shown) *shown = true;
    if (qualityShown) *qualityShown = !dialog->findChild<QSlider*>("tbQuality")->isHidden();
    dialog->findChild<QLineEdit*>("eScale")->setText(scale);
    if (quality > 0) dialog->findChild<QSlider*>("tbQuality")->setValue(quality);
    if (ok)
      OkButton(dialog)->click();
    else
      dialog->reject();
  });
}

}  // namespace

TEST_F(TExportTest, OptionsDialogOkOnlyForScalesFromOneToAThousandPercent) {
  const auto boxes = MakeBoxes(0, 0, 100, 50);
  TFExportOptions dialog(boxes.get(), false);
  auto* scale = dialog.findChild<QLineEdit*>("eScale");
  ASSERT_NE(scale, nullptr);
  EXPECT_EQ(scale->text(), "100");
  EXPECT_TRUE(OkButton(&dialog)->isEnabled());
  EXPECT_EQ(dialog.Scale(), 1.0);
  EXPECT_TRUE(dialog.findChild<QLabel*>("lSize")->text().contains("378")) << "the picture's size is shown";
  for (const char* good : {"1000", "1", "250", "12,5"}) {
    scale->setText(good);
    EXPECT_TRUE(OkButton(&dialog)->isEnabled()) << good;
  }
  scale->setText("250");
  EXPECT_EQ(dialog.Scale(), 2.5);
  EXPECT_TRUE(dialog.findChild<QLabel*>("lSize")->text().contains("945"));
  for (const char* bad : {"1001", "0.5", "0", "", "abc", "-100"}) {
    scale->setText(bad);
    EXPECT_FALSE(OkButton(&dialog)->isEnabled()) << bad;
  }
  // Within the bounds but too large a bitmap for this object: no OK either.
  const auto tall = MakeBoxes(0, 0, 200, 5000);
  TFExportOptions tallDialog(tall.get(), false);
  tallDialog.findChild<QLineEdit*>("eScale")->setText("1000");
  EXPECT_FALSE(OkButton(&tallDialog)->isEnabled());
  tallDialog.findChild<QLineEdit*>("eScale")->setText("100");
  EXPECT_TRUE(OkButton(&tallDialog)->isEnabled());
}

TEST_F(TExportTest, OptionsDialogShowsTheQualityForJpegOnly) {
  const auto boxes = MakeBoxes(0, 0, 10, 10);
  TFExportOptions bitmap(boxes.get(), false);
  TFExportOptions jpeg(boxes.get(), true);
  EXPECT_TRUE(bitmap.findChild<QSlider*>("tbQuality")->isHidden());
  EXPECT_FALSE(jpeg.findChild<QSlider*>("tbQuality")->isHidden());
  jpeg.SetQuality(40);
  EXPECT_EQ(jpeg.Quality(), 40);
  // Help opens the export's own topic.
  jpeg.findChild<QPushButton*>("btnHelp")->click();
  EXPECT_EQ(FUi.HelpTopics, QStringList{"common/export"});
}

TEST_F(TExportTest, TheFilterChosenSetsTheExtensionAndTheScaleTheSize) {
  const auto boxes = MakeBoxes(0, 0, 100, 50);
  FUi.FileAnswers = {Path("sheet.txt")};
  FUi.FilterAnswers = {3};  // JPEG
  bool shown = false;
  bool qualityShown = false;
  AnswerOptions("200", true, 70, &shown, &qualityShown);
  ASSERT_TRUE(ExportObjectImage(boxes.get(), nullptr));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(qualityShown);
  EXPECT_FALSE(QFile::exists(Path("sheet.txt")));
  const QImage picture(Path("sheet.jpg"));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(756, 378));
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  QString caption;
  boxes->GetCaption(&caption);
  EXPECT_EQ(FUi.FileDialogs[0].FileName, caption) << "no folder yet: the object's caption alone";
  EXPECT_FALSE(FUi.FileDialogs[0].ConfirmOverwrite)
      << "the dialog would ask about the name before the extension changes";
  EXPECT_TRUE(FUi.FileDialogs[0].Filter.contains("*.emf"));
  EXPECT_TRUE(FUi.Messages.empty()) << "no question for a new file";

  // The next export starts in the same folder with the same format and quality.
  FUi.FileAnswers = {Path("again")};
  FUi.FilterAnswers = {};
  int quality = 0;
  QTimer::singleShot(0, [&] {
    auto* dialog = dynamic_cast<TFExportOptions*>(QApplication::activeModalWidget());
    if (!dialog) return;
    quality = dialog->Quality();
    dialog->reject();
  });
  EXPECT_FALSE(ExportObjectImage(boxes.get(), nullptr, "well 7: top")) << "cancelled in the options";
  EXPECT_EQ(quality, 70);
  EXPECT_EQ(FUi.FileDialogs[1].FilterIndex, 3);
  // The name given (a document's file name) in the last folder, made fit for a file name.
  EXPECT_EQ(FUi.FileDialogs[1].FileName, Path("well 7_ top"));
  EXPECT_FALSE(QFile::exists(Path("again.jpg"))) << "a cancelled export writes nothing";
}

TEST_F(TExportTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
  const auto boxes = MakeBoxes(0, 0, 40, 40);
  WriteText("pic.emf", "old metafile");
  // No: nothing written, nothing else asked.
  FUi.FileAnswers = {Path("pic")};
  FUi.FilterAnswers = {1};
  FUi.MessageAnswers = {TMsgResult::No};
  EXPECT_FALSE(ExportObjectImage(boxes.get(), nullptr));
  EXPECT_EQ(Read("pic.emf"), "old metafile");
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("pic.emf")) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(FUi.Messages[0].Buttons, mbYes | mbNo);
  // Yes: the metafile is replaced.
  FUi.FileAnswers = {Path("pic.emf")};
  FUi.FilterAnswers = {1};
  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(ExportObjectImage(boxes.get(), nullptr));
  const auto emf = TEmfDocument::FromFile(Path("pic.emf"));
  ASSERT_TRUE(emf);
  EXPECT_EQ(emf->Header().FrameRight, 4000);
}

// Yes once deleted the old picture before the new one was made: a failing
// export then lost it. It is now replaced only by a complete picture, and
// the failure is reported.
TEST_F(TExportTest, YesToReplaceThenAFailureKeepsTheOldPictureAndReportsIt) {
  const auto empty = MakeBoxes(0, 0, 0, 0);
  WriteText("pic.emf", "old metafile");
  FUi.FileAnswers = {Path("pic.emf")};
  FUi.FilterAnswers = {1};
  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_FALSE(ExportObjectImage(empty.get(), nullptr));
  EXPECT_EQ(Read("pic.emf"), "old metafile");
  ASSERT_EQ(FUi.Messages.size(), 2u);
  EXPECT_EQ(FUi.Messages[1].Kind, TMsgKind::Error);
  EXPECT_FALSE(FUi.Messages[1].Text.isEmpty());

  // The same for a bitmap whose scale the dialog accepted but whose file
  // cannot be written (its folder is gone).
  const auto boxes = MakeBoxes(0, 0, 40, 40);
  FUi.Messages.clear();
  FUi.FileAnswers = {Path("gone/pic.png")};
  FUi.FilterAnswers = {4};
  AnswerOptions("100", true);
  EXPECT_FALSE(ExportObjectImage(boxes.get(), nullptr));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages[0].Text.contains("pic.png")) << FUi.Messages[0].Text.toStdString();
}

TEST_F(TExportTest, VectorFormatsAskNoOptions) {
  const auto boxes = MakeBoxes(0, 0, 40, 20);
  for (int filter : {1, 5, 6}) {
    FUi.FileAnswers = {Path(QStringLiteral("v%1").arg(filter))};
    FUi.FilterAnswers = {filter};
    bool shown = false;
    AnswerOptions("100", true, 0, &shown);
    EXPECT_TRUE(ExportObjectImage(boxes.get(), nullptr)) << filter;
    QApplication::processEvents();  // runs the unanswered timer
    EXPECT_FALSE(shown) << filter;
  }
  EXPECT_EQ(QDir(FDir.path()).entryList({"v*"}, QDir::Files), (QStringList{"v1.emf", "v5.svg", "v6.pdf"}));
}
