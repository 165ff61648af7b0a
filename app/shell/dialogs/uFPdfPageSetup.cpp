#include "uFPdfPageSetup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uPdfPrintTarget.h"
#include "uUiServices.h"

namespace {

constexpr QPageSize::PageSizeId kPapers[] = {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter,
                                             QPageSize::Legal};

}  // namespace

TFPdfPageSetup::TFPdfPageSetup(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFPdfPageSetup"));
  setWindowTitle(TranslateGeneral(QStringLiteral("PdfPageSetup"), QStringLiteral("Page setup")));
  const QPageLayout now = PrintLayoutFromSettings();
  cbPaper = new QComboBox(this);
  cbPaper->setObjectName(QStringLiteral("cbPaper"));
  for (const QPageSize::PageSizeId id : kPapers) cbPaper->addItem(QPageSize::name(id), static_cast<int>(id));
  int current = cbPaper->findData(static_cast<int>(now.pageSize().id()));
  if (current < 0) {
    // A size of the settings' own ("250x353") stays on offer.
    const QSizeF mm = now.pageSize().size(QPageSize::Millimeter);
    cbPaper->addItem(QStringLiteral("%1 x %2 mm").arg(qRound(mm.width())).arg(qRound(mm.height())), -1);
    current = cbPaper->count() - 1;
  }
  cbPaper->setCurrentIndex(current);
  cbOrientation = new QComboBox(this);
  cbOrientation->setObjectName(QStringLiteral("cbOrientation"));
  cbOrientation->addItem(TranslateGeneral(QStringLiteral("Portrait"), QStringLiteral("Portrait")));
  cbOrientation->addItem(TranslateGeneral(QStringLiteral("Landscape"), QStringLiteral("Landscape")));
  cbOrientation->setCurrentIndex(now.orientation() == QPageLayout::Landscape ? 1 : 0);
  eMargins = new QLineEdit(PrintMarginsText(now.margins(QPageLayout::Millimeter)), this);
  eMargins->setObjectName(QStringLiteral("eMargins"));
  auto* note = new QLabel(TranslateGeneral(QStringLiteral("PdfPageSetupNote"),
                                           QStringLiteral("No printer is installed: the document is printed to PDF "
                                                          "files of this paper.")),
                          this);
  note->setWordWrap(true);
  auto* form = new QFormLayout;
  form->addRow(TranslateGeneral(QStringLiteral("Paper"), QStringLiteral("Paper")), cbPaper);
  form->addRow(TranslateGeneral(QStringLiteral("Orientation"), QStringLiteral("Orientation")), cbOrientation);
  form->addRow(TranslateGeneral(QStringLiteral("PdfMargins"), QStringLiteral("PDF margins, mm")), eMargins);
  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("guide/files"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(note);
  root->addLayout(form);
  root->addWidget(buttons);
}

bool TFPdfPageSetup::ChosenLayout(QPageLayout* layout) const {
  QMarginsF margins;
  if (!ParsePrintMargins(eMargins->text(), &margins)) return false;
  const int id = cbPaper->currentData().toInt();
  const QPageSize paper =
      id >= 0 ? QPageSize(static_cast<QPageSize::PageSizeId>(id)) : PrintLayoutFromSettings().pageSize();
  const QPageLayout::Orientation orientation =
      cbOrientation->currentIndex() == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
  if (layout)
    *layout = QPageLayout(paper, orientation, MarginsWithin(paper, orientation, margins), QPageLayout::Millimeter);
  return true;
}

void TFPdfPageSetup::accept() {
  QPageLayout layout;
  if (!ChosenLayout(&layout)) {
    Ui().Message(TMsgKind::Error, windowTitle(),
                 TranslateGeneral(QStringLiteral("PdfMarginsWrong"),
                                  QStringLiteral("The margins are one number of millimetres, or four: left; top; "
                                                 "right; bottom (10;10;10;10).")),
                 mbOK);
    return;
  }
  KeepPrintLayoutInSettings(layout);
  QDialog::accept();
}
