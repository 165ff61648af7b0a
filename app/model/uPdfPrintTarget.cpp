#include "uPdfPrintTarget.h"

#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <cmath>

#include "uNumbers.h"
#include "uSettings.h"

namespace {

constexpr double kDefaultMarginMM = 10;
constexpr double kMinPrintableMM = 10;

bool SaneMargin(double mm) { return std::isfinite(mm) && mm >= 0 && mm <= 1000; }

}  // namespace

QMarginsF MarginsWithin(const QPageSize& size, QPageLayout::Orientation orientation, const QMarginsF& marginsMM) {
  QSizeF mm = size.size(QPageSize::Millimeter);
  if (orientation == QPageLayout::Landscape) mm.transpose();
  const bool sane = SaneMargin(marginsMM.left()) && SaneMargin(marginsMM.top()) && SaneMargin(marginsMM.right()) &&
                    SaneMargin(marginsMM.bottom());
  if (sane && mm.width() - marginsMM.left() - marginsMM.right() >= kMinPrintableMM &&
      mm.height() - marginsMM.top() - marginsMM.bottom() >= kMinPrintableMM)
    return marginsMM;
  return QMarginsF();
}

TPdfPrintTarget::TPdfPrintTarget(const QString& path, const QPageSize& size, QPageLayout::Orientation orientation,
                                 int dpi, const QMarginsF& marginsMM)
    : FPath(path),
      FSize(size.isValid() ? size : QPageSize(QPageSize::A4)),
      FOrientation(orientation),
      FDpi(dpi),
      FMargins(MarginsWithin(FSize, orientation, marginsMM)) {}

TPdfPrintTarget::TPdfPrintTarget(const QString& path, const QPageLayout& layout, int dpi)
    : TPdfPrintTarget(path, layout.pageSize(), layout.orientation(), dpi, layout.margins(QPageLayout::Millimeter)) {}

TPdfPrintTarget::~TPdfPrintTarget() { AbortJob(); }

QSize TPdfPrintTarget::PageSizeMM() const {
  QSizeF mm = FSize.size(QPageSize::Millimeter);
  if (FOrientation == QPageLayout::Landscape) mm.transpose();
  mm -= QSizeF(FMargins.left() + FMargins.right(), FMargins.top() + FMargins.bottom());
  // The document tiles by whole millimetres of the printable area.
  return QSize(static_cast<int>(std::floor(mm.width() + 1e-6)), static_cast<int>(std::floor(mm.height() + 1e-6)));
}

bool TPdfPrintTarget::BeginJob(const QString& title) {
  AbortJob();
  FError.clear();
  FFile = std::make_unique<QSaveFile>(FPath);
  if (!FFile->open(QIODevice::WriteOnly)) {
    FError = QStringLiteral("%1: cannot be written (%2)").arg(FPath, FFile->errorString());
    FFile.reset();
    return false;
  }
  FWriter = std::make_unique<QPdfWriter>(FFile.get());
  FWriter->setTitle(title);
  FWriter->setCreator(title);
  FWriter->setResolution(FDpi);
  FWriter->setPageLayout(QPageLayout(FSize, FOrientation, FMargins, QPageLayout::Millimeter));
  if (!FPainter.begin(FWriter.get())) {
    FError = QStringLiteral("%1: the PDF could not be started").arg(FPath);
    AbortJob();
    return false;
  }
  // Hatched brushes are drawn at the device's size, as on a printer; the PDF
  // engine would otherwise scale their pattern with the page.
  FPainter.setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  FPages = 1;
  return true;
}

bool TPdfPrintTarget::NewPage() {
  if (!FWriter || !FPainter.isActive()) return false;
  if (!FWriter->newPage()) return false;
  ++FPages;
  return true;
}

bool TPdfPrintTarget::EndJob() {
  if (!FWriter) return false;
  const bool ended = FPainter.end();
  FWriter.reset();  // flushes the PDF's trailer into the file
  const bool committed = ended && FFile->commit();
  if (!committed) {
    FError = QStringLiteral("%1: the PDF could not be written (%2)").arg(FPath, FFile->errorString());
    FFile->cancelWriting();
  }
  FFile.reset();
  return committed;
}

void TPdfPrintTarget::AbortJob() {
  if (FPainter.isActive()) FPainter.end();
  FWriter.reset();
  if (FFile) {
    FFile->cancelWriting();
    FFile.reset();  // a cancelled save file removes its temporary file
  }
  FPages = 0;
}

QPageSize PrintPaperFromSettings() {
  const QString text = Settings().ReadText(QStringLiteral("PRINT"), QStringLiteral("PAPER")).trimmed();
  struct TNamed {
    const char* Name;
    QPageSize::PageSizeId Id;
  };
  static constexpr TNamed kNamed[] = {{"A3", QPageSize::A3},
                                      {"A4", QPageSize::A4},
                                      {"A5", QPageSize::A5},
                                      {"Letter", QPageSize::Letter},
                                      {"Legal", QPageSize::Legal}};
  for (const TNamed& n : kNamed)
    if (text.compare(QLatin1String(n.Name), Qt::CaseInsensitive) == 0) return QPageSize(n.Id);
  const QStringList parts = text.split(QLatin1Char('x'), Qt::SkipEmptyParts, Qt::CaseInsensitive);
  if (parts.size() == 2) {
    const double w = ReadNumber(parts[0].toStdString(), 0);
    const double h = ReadNumber(parts[1].toStdString(), 0);
    // Within what a PDF page may be (about 5 m).
    if (w >= 10 && h >= 10 && w <= 5000 && h <= 5000)
      return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
  }
  return QPageSize(QPageSize::A4);
}

QPageLayout::Orientation PrintOrientationFromSettings() {
  const QString text = Settings().ReadText(QStringLiteral("PRINT"), QStringLiteral("ORIENTATION")).trimmed();
  return text.compare(QLatin1String("LANDSCAPE"), Qt::CaseInsensitive) == 0 ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait;
}

bool ParsePrintMargins(const QString& text, QMarginsF* margins) {
  static const QRegularExpression kSeparators(QStringLiteral("[;\\s]+"));
  const QStringList parts = text.split(kSeparators, Qt::SkipEmptyParts);
  if (parts.size() != 1 && parts.size() != 4) return false;
  double mm[4];
  for (int i = 0; i < 4; ++i) {
    mm[i] = ReadNumber(parts[parts.size() == 1 ? 0 : i].toStdString(), -1);
    if (!SaneMargin(mm[i])) return false;
  }
  if (margins) *margins = QMarginsF(mm[0], mm[1], mm[2], mm[3]);
  return true;
}

QMarginsF PrintMarginsFromSettings(const TSettings& settings) {
  QMarginsF margins(kDefaultMarginMM, kDefaultMarginMM, kDefaultMarginMM, kDefaultMarginMM);
  ParsePrintMargins(settings.ReadText(QStringLiteral("PRINT"), QStringLiteral("MARGINS")), &margins);
  return margins;
}

QMarginsF PrintMarginsFromSettings() { return PrintMarginsFromSettings(Settings()); }

QPageLayout PrintLayoutFromSettings() {
  const QPageSize paper = PrintPaperFromSettings();
  const QPageLayout::Orientation orientation = PrintOrientationFromSettings();
  return QPageLayout(paper, orientation, MarginsWithin(paper, orientation, PrintMarginsFromSettings()),
                     QPageLayout::Millimeter);
}

QString PrintMarginsText(const QMarginsF& margins) {
  const double mm[4] = {margins.left(), margins.top(), margins.right(), margins.bottom()};
  QStringList parts;
  for (double v : mm) parts << QString::fromStdString(FormatGeneral(std::round(v * 10) / 10));
  return parts.join(QLatin1Char(';'));
}

void KeepPrintLayoutInSettings(const QPageLayout& layout) {
  const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
  Settings().WriteText(QStringLiteral("PRINT"), QStringLiteral("PAPER"),
                       QStringLiteral("%1x%2").arg(qRound(mm.width())).arg(qRound(mm.height())));
  Settings().WriteText(
      QStringLiteral("PRINT"), QStringLiteral("ORIENTATION"),
      layout.orientation() == QPageLayout::Landscape ? QStringLiteral("LANDSCAPE") : QStringLiteral("PORTRAIT"));
  Settings().WriteText(QStringLiteral("PRINT"), QStringLiteral("MARGINS"),
                       PrintMarginsText(layout.margins(QPageLayout::Millimeter)));
}
