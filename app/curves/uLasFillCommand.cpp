#include "uLasFillCommand.h"

#include "uLanguage.h"
#include "uLasCurves.h"
#include "uLasFill.h"
#include "uLasMatch.h"
#include "uUiServices.h"

namespace {

QString Caption() {
  return Translate(QStringLiteral("MENU"), QStringLiteral("FileFillFromLas"), QStringLiteral("Fill from LAS file..."));
}

QString FillText(const char* key, const char* def, const QStringList& args) {
  return SubstituteArgs(TranslateGeneral(QString::fromLatin1(key), QString::fromUtf8(def)), args);
}

// What the fill did, a line each, in the order a reader checks it.
QString ReportText(const TLasData& las, const TLasFillReport& report) {
  QStringList lines = las.Warnings;
  lines << FillText("LasFilledCount", "Curves filled: %s; head parameters filled: %s",
                    {QString::number(report.FilledCurves), QString::number(report.FilledParameters)});
  for (const auto& [name, mnemonic] : report.FilledFromOthers) lines << FilledFromNote(name, mnemonic);
  for (const TLasFillReport::TUnitChange& c : report.ConvertedCurves)
    lines << UnitNote(TUnitFit::Converted, c.Curve, c.FileUnit, c.TemplateUnit);
  for (const TLasFillReport::TUnitChange& c : report.UnitMismatches)
    lines << UnitNote(TUnitFit::Different, c.Curve, c.FileUnit, c.TemplateUnit);
  if (!report.EmptyCurves.isEmpty())
    lines << FillText("LasLeftEmpty", "Not in the file, left as they were: %s", {report.EmptyCurves.join(", ")});
  if (!report.UnusedCurves.isEmpty())
    lines << FillText("LasNotUsed", "Curves of the file no curve of the document takes: %s",
                      {report.UnusedCurves.join(", ")});
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

bool FillDocumentFromLas(TPrintObject* root, QString fileName) {
  if (!root) return false;
  if (FindCurveColumns(root).empty()) {
    Ui().Message(TMsgKind::Error, Caption(),
                 TranslateError(QStringLiteral("LasNoCurveColumn"),
                                QStringLiteral("The document has no curve column to fill: add one, or make the "
                                               "document from the curve log template")),
                 mbOK);
    return false;
  }
  if (fileName.isEmpty()) {
    TFileDialogOptions options;
    options.Title = Caption();
    options.Filter = TranslateGeneral(QStringLiteral("LasFilter"), QStringLiteral("LAS files|*.las|All files|*.*"));
    int filterIndex = 1;
    if (!Ui().OpenFileName(options, &fileName, &filterIndex)) return false;
  }
  TLasData las;
  QString error;
  if (!ReadLasCurves(fileName, &las, &error)) {
    Ui().Message(TMsgKind::Error, Caption(), fileName + QStringLiteral(": ") + error, mbOK);
    return false;
  }
  const TLasFillReport report = FillFromLas(root, las);
  Ui().Message(report.FilledCurves > 0 ? TMsgKind::Information : TMsgKind::Warning, Caption(), ReportText(las, report),
               mbOK);
  // The bodies start at the file's first depth even when no curve matched:
  // the document has changed, and the change must be one that undo takes back.
  return true;
}

bool ExportDocumentLas(TPrintObject* root, const QString& suggested, QString fileName) {
  if (!root) return false;
  const QString caption =
      Translate(QStringLiteral("MENU"), QStringLiteral("FileExportLas"), QStringLiteral("Export curves to LAS..."));
  if (!HoldsCurveSamples(root)) {
    Ui().Message(
        TMsgKind::Error, caption,
        TranslateError(QStringLiteral("LasNothingToExport"), QStringLiteral("There are no curve samples to export")),
        mbOK);
    return false;
  }
  if (fileName.isEmpty()) {
    TFileDialogOptions options;
    options.Title = caption;
    options.Filter = TranslateGeneral(QStringLiteral("LasFilter"), QStringLiteral("LAS files|*.las|All files|*.*"));
    options.DefaultSuffix = QStringLiteral("las");
    options.FileName = suggested;
    int filterIndex = 1;
    if (!Ui().SaveFileName(options, &fileName, &filterIndex)) return false;
  }
  QString error;
  if (WriteDocumentLas(root, fileName, &error) < 0) {
    Ui().Message(TMsgKind::Error, caption, error, mbOK);
    return false;
  }
  return true;
}
