#include "uPrinting.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cmath>

#include "uFPdfPageSetup.h"
#include "uLanguage.h"
#include "uPdfPrintTarget.h"
#include "uPrintDocument.h"
#include "uPrinterTarget.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

QString PrintFailedText() {
  return TranslateError(QStringLiteral("PrintFailed"), QStringLiteral("The document was not printed completely"));
}

}  // namespace

TPrinting::TPrinting()
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)), FHasPrinter(PrinterAvailable()) {
  if (!FHasPrinter) FPrinter->setPageLayout(PrintLayoutFromSettings());
}

TPrinting::~TPrinting() = default;

QSize TPrinting::PageSizeMM() const {
  if (FHasPrinter) return TPrinterTarget(FPrinter.get()).PageSizeMM();
  const QRectF page = PrintLayoutFromSettings().paintRect(QPageLayout::Millimeter);
  return QSize(static_cast<int>(std::floor(page.width() + 1e-6)), static_cast<int>(std::floor(page.height() + 1e-6)));
}

int TPrinting::PageCount(const TPrintDocument* document) const {
  return document ? document->PageCount(TPageTiling::FromSettings(PageSizeMM())) : 0;
}

bool TPrinting::Print(TPrintDocument* document, QWidget* parent) {
  if (!document) return false;
  const int count = PageCount(document);
  if (count <= 0) return false;
  if (!FHasPrinter) {
    TFileDialogOptions options;
    options.Title = TranslateFileTitle(QStringLiteral("pdf"));
    options.Filter = TranslateFileMask(QStringLiteral("pdf"));
    options.DefaultSuffix = QStringLiteral("pdf");
    QString path;
    if (!Ui().SaveFileName(options, &path, nullptr) || path.isEmpty()) return false;
    QString error;
    if (PrintToPdf(document, path, &error)) return true;
    Ui().Message(TMsgKind::Error, QString(), PrintFailedText() + (error.isEmpty() ? QString() : ": " + error), mbOK);
    return false;
  }
  QPrintDialog dialog(FPrinter.get(), parent);
  dialog.setMinMax(1, count);
  dialog.setFromTo(1, count);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (dialog.exec() != QDialog::Accepted) return false;
  int from = 1;
  int to = count;
  if (FPrinter->printRange() == QPrinter::PageRange && FPrinter->fromPage() > 0) {
    from = FPrinter->fromPage();
    to = FPrinter->toPage() > 0 ? FPrinter->toPage() : count;
  }
  TPrinterTarget target(FPrinter.get());
  if (document->Print(&target, from, to)) return true;
  Ui().Message(TMsgKind::Error, QString(), PrintFailedText(), mbOK);
  return false;
}

bool TPrinting::PrintToPdf(TPrintDocument* document, const QString& path, QString* error) {
  TPdfPrintTarget target(path, PrintLayoutFromSettings());
  const bool printed = document->Print(&target, 1, PageCount(document));
  if (!printed && error) *error = target.ErrorText();
  return printed;
}

void TPrinting::Preview(TPrintDocument* document, QWidget* parent) {
  if (!document) return;
  QPrintPreviewDialog preview(FPrinter.get(), parent);
  preview.setWindowTitle(TranslateGeneral(QStringLiteral("PrintPreview"), QStringLiteral("Print preview")));
  // Pages of a log are tall: the preview takes most of the frame instead of Qt's small default.
  if (parent) preview.resize(parent->window()->size() * 0.9);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [this, document](QPrinter* printer) {
    TPrinterTarget target(printer);
    document->Print(&target, 1, PageCount(document));
  });
  preview.exec();
}

bool TPrinting::SetUp(QWidget* parent) {
  const QSize before = PageSizeMM();
  if (!FHasPrinter) {
    // Qt's page setup serves real printers only (it refuses a PDF one and
    // shows nothing): the PDF pages' paper, orientation and margins are
    // chosen here and kept in the settings.
    TFPdfPageSetup dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    FPrinter->setPageLayout(PrintLayoutFromSettings());
    return PageSizeMM() != before;
  }
  QPageSetupDialog dialog(FPrinter.get(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  return PageSizeMM() != before;
}
