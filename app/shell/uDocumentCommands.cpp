#include "uDocumentCommands.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "uLasCurves.h"
#include "uLasFill.h"
#include "uPdfPrintTarget.h"
#include "uPrintDiagramm.h"
#include "uPrintDiagrams.h"
#include "uPrintDocument.h"

namespace {

// Beyond any real log sheet (a 5 km well at 1:200 takes about 90 A4 pages):
// a damaged size must not keep the command busy for hours.
constexpr int kMaxExportPages = 2000;

int Fail(QTextStream& err, const QString& text) {
  err << "Kerno: " << text << "\n";
  return 1;
}

// A template named by path, or by name in the program's template folder.
QString TemplateFile(const QString& name) {
  if (QFileInfo(name).isFile()) return name;
  const QString inFolder = TemplateDir() + name;
  return QFileInfo(inFolder).isFile() ? inFolder : name;
}

bool HasSuffix(const QString& path, const char* suffix) {
  return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// Pages from..to (to = 0: the last) of a loaded document into a PDF file.
int PrintToPdf(TPrintDocument& document, const QString& in, const QString& pdf, bool ranged, int from, int to,
               QTextStream& out, QTextStream& err) {
  TPdfPrintTarget target(pdf, PrintPaperFromSettings(), PrintOrientationFromSettings());
  const int count = document.PageCount(TPageTiling::FromSettings(target.PageSizeMM()));
  if (count <= 0) return Fail(err, QStringLiteral("%1: the document is empty, nothing to print").arg(in));
  if (!ranged) to = count;
  if (to > count)
    return Fail(err, QStringLiteral("--pages %1-%2: the document has %3 page(s)").arg(from).arg(to).arg(count));
  if (to - from + 1 > kMaxExportPages)
    return Fail(err,
                QStringLiteral("%1: %2 pages, more than %3 at once").arg(in).arg(to - from + 1).arg(kMaxExportPages));
  if (!document.Print(&target, from, to))
    return Fail(err,
                target.ErrorText().isEmpty() ? QStringLiteral("%1: cannot be printed").arg(pdf) : target.ErrorText());
  out << pdf << ": " << target.PagesWritten() << " page(s)\n";
  return 0;
}

// Every curve of the document on one grid: the finest step, from the
// shallowest start to the deepest end (see WriteLasFile).
int ExportLas(TPrintDocument& document, const QString& in, const QString& las, QTextStream& out, QTextStream& err) {
  std::vector<const TPrintDiagramm*> curves;
  QStringList units;
  for (const TPrintDiagramm* c : FindDocumentCurves(&document)) {
    if (c->SampleCount() == 0) continue;
    curves.push_back(c);
    units << CurveUnit(c);
  }
  if (curves.empty()) return Fail(err, QStringLiteral("%1: the document holds no curve samples").arg(in));
  QString error;
  if (!WriteLasFile(las, curves, units, WellItemsOf(&document), &error)) return Fail(err, error);
  out << las << ": " << curves.size() << " curve(s)\n";
  return 0;
}

}  // namespace

bool ParsePageRange(const QString& text, int* from, int* to) {
  static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,9})\s*(?:-\s*(\d{1,9})\s*)?$)"));
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch()) return false;
  *from = m.captured(1).toInt();
  *to = m.captured(2).isEmpty() ? *from : m.captured(2).toInt();
  return true;
}

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err) {
  const QString in = args[0];
  const QString pdf = args[1];
  bool ranged = false;
  int from = 1;
  int to = 0;
  if (args.size() == 4 && args[2] == QLatin1String("--pages")) {
    if (!ParsePageRange(args[3], &from, &to) || from < 1 || to < from)
      return Fail(err, QStringLiteral("--pages %1: expected A-B with 1 <= A <= B").arg(args[3]));
    ranged = true;
  } else if (args.size() != 2) {
    return Fail(err, QStringLiteral("usage: Kerno --export IN OUT.pdf|OUT.las [--pages A-B]"));
  }
  const bool toLas = HasSuffix(pdf, "las");
  if (!toLas && !HasSuffix(pdf, "pdf"))
    return Fail(err, QStringLiteral("%1: the output must be a .pdf or .las file").arg(pdf));
  if (toLas && ranged) return Fail(err, QStringLiteral("--pages: a LAS file has no pages"));
  TPrintDocument document;
  QString error;
  if (!document.LoadFromFile(in, &error)) return Fail(err, error);
  if (toLas) return ExportLas(document, in, pdf, out, err);
  return PrintToPdf(document, in, pdf, ranged, from, to, out, err);
}

int RunNew(const QStringList& args, QTextStream&, QTextStream& err) {
  TPrintDocument document;
  QString error;
  if (!document.LoadFromFile(TemplateFile(args[0]), &error)) return Fail(err, error);
  if (!document.SaveToFile(args[1], &error)) return Fail(err, error);
  return 0;
}

int RunFill(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.size() != 4 || args[1] != QLatin1String("--las"))
    return Fail(err, QStringLiteral("usage: Kerno --fill TEMPLATE.knt --las FILE.las OUT.knd|OUT.pdf|OUT.las"));
  const QString target = args[3];
  if (!HasSuffix(target, "knd") && !HasSuffix(target, "pdf") && !HasSuffix(target, "las"))
    return Fail(err, QStringLiteral("%1: the output must be a .knd, .pdf or .las file").arg(target));
  TLasData las;
  QString error;
  if (!ReadLasCurves(args[2], &las, &error)) return Fail(err, QStringLiteral("%1: %2").arg(args[2], error));
  for (const QString& warning : las.Warnings) err << "Kerno: " << args[2] << ": " << warning << "\n";
  TPrintDocument document;
  if (!document.LoadFromFile(TemplateFile(args[0]), &error)) return Fail(err, error);
  if (FindCurveColumns(&document).empty())
    return Fail(err, QStringLiteral("%1: the template has no curve column to fill").arg(args[0]));
  const TLasFillReport report = FillFromLas(&document, las);
  for (const QString& name : report.EmptyCurves)
    err << "Kerno: curve " << name << ": no curve of that mnemonic in " << args[2] << "; left empty\n";
  for (const QString& name : report.UnusedCurves)
    err << "Kerno: " << args[2] << ": curve " << name << " has no curve of that name in the template; not used\n";
  out << target << ": " << report.FilledCurves << " curve(s), " << report.FilledParameters
      << " head parameter(s) filled\n";
  if (HasSuffix(target, "pdf")) return PrintToPdf(document, args[2], target, false, 1, 0, out, err);
  if (HasSuffix(target, "las")) return ExportLas(document, args[2], target, out, err);
  if (!document.SaveToFile(target, &error)) return Fail(err, error);
  return 0;
}
