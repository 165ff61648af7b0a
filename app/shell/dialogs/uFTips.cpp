#include "uFTips.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "uLanguage.h"
#include "uSettings.h"

QStringList TipTexts() {
  return {
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip1"),
                QStringLiteral("Start a new document from a template with File > New. The template sets the blocks "
                               "and columns; you fill them with data.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip2"),
                QStringLiteral("Right-click an object for its menu: properties, border, font, deleting it, saving it "
                               "to an object file or exporting it as a picture.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip3"),
                QStringLiteral("Drag from the ruler along the top edge onto the document to place a horizontal guide "
                               "line; it shows the depth at its place and is never printed.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip4"),
                QStringLiteral("Press Space to switch between the hand, which moves the page, and the arrow, which "
                               "selects and drags objects.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip5"),
                QStringLiteral("The arrow keys move the selected object by one snapping step. Set the step in the "
                               "View > Snap menu.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip6"),
                QStringLiteral("The mouse wheel zooms; with Ctrl it scrolls up and down, with Shift sideways. "
                               "Service > Options changes what the wheel does.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip7"),
                QStringLiteral("Page view shows where the printed pages begin and end. File > Print setup changes "
                               "the paper.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip8"),
                QStringLiteral("Edit > Undo takes back the last change. Service > Options sets how many changes "
                               "are kept.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip9"),
                QStringLiteral("Ctrl+C and Ctrl+V copy a column with all its data into another document: select "
                               "the column to paste beside, or the body.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip10"),
                QStringLiteral("Ctrl+G (View > Go to depth) scrolls a long log straight to the depth you type.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip11"),
                QStringLiteral("The body's Depth interval command sets the depths a sheet shows; data imported "
                               "below a new sheet's interval make Kerno offer to start the sheet at them.")),
      Translate(QStringLiteral("TIPS"), QStringLiteral("Tip12"),
                QStringLiteral("A layer table for the lithology column may name its rocks (Sandstone, Песчаник) "
                               "instead of sign codes: the import stores each as its sign's code.")),
  };
}

TFTips::TFTips(QWidget* parent) : QDialog(parent), FTips(TipTexts()) {
  setObjectName(QStringLiteral("TFTips"));
  setWindowTitle(TranslateGeneral(QStringLiteral("TipsTitle"), QStringLiteral("Tip of the day")));
  FIndex = FTips.isEmpty() ? 0 : std::abs(Settings().Tip()) % FTips.size();
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  lTip = new QLabel(this);
  lTip->setObjectName(QStringLiteral("lTip"));
  lTip->setWordWrap(true);
  lTip->setMinimumSize(360, 90);
  lTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  chStartUp =
      new QCheckBox(TranslateGeneral(QStringLiteral("TipStartUp"), QStringLiteral("Show tips at start-up")), this);
  chStartUp->setObjectName(QStringLiteral("chStartUp"));
  chStartUp->setChecked(Settings().TipStartUp());
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* next = buttons->addButton(TranslateWord(QStringLiteral("Next")), QDialogButtonBox::ActionRole);
  next->setObjectName(QStringLiteral("btnNext"));
  QPushButton* close = buttons->addButton(TranslateWord(QStringLiteral("Close")), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("btnClose"));
  close->setDefault(true);
  connect(next, &QPushButton::clicked, this, &TFTips::ShowNext);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, &TFTips::Store);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(lTip, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(chStartUp);
  layout->addWidget(buttons);
  ShowTip();
}

void TFTips::ShowTip() { lTip->setText(FTips.value(FIndex)); }

void TFTips::ShowNext() {
  if (FTips.isEmpty()) return;
  FIndex = (FIndex + 1) % FTips.size();
  ShowTip();
}

void TFTips::Store() {
  // The next start shows the tip after this one.
  if (!FTips.isEmpty()) Settings().SetTip((FIndex + 1) % FTips.size());
  Settings().SetTipStartUp(chStartUp->isChecked());
}

void TFTips::Execute(QWidget* parent) {
  TFTips dialog(parent);
  dialog.exec();
}
