#include "uDocumentCommands.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "uLasCurves.h"
#include "uLasFill.h"
#include "uObjectFile.h"
#include "uObjectImage.h"
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
  TPdfPrintTarget target(pdf, PrintLayoutFromSettings());
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
  if (!HoldsCurveSamples(&document))
    return Fail(err, QStringLiteral("%1: the document holds no curve samples").arg(in));
  QString error;
  const int written = WriteDocumentLas(&document, las, &error);
  if (written < 0) return Fail(err, error);
  out << las << ": " << written << " curve(s)\n";
  return 0;
}

struct TExportArguments {
  QString In;
  QString Out;
  double ScalePercent = 0;  // 0: not given
  int Quality = 0;          // 0: not given
  bool Ranged = false;
  int From = 1;
  int To = 0;
};

// IN OUT, then the options in any order, each at most once.
bool ParseExportArguments(const QStringList& args, TExportArguments* a, QString* error) {
  a->In = args.value(0);
  a->Out = args.value(1);
  QStringList seen;
  for (qsizetype i = 2; i < args.size(); i += 2) {
    const QString& name = args[i];
    if (i + 1 >= args.size() || seen.contains(name)) {
      *error = QStringLiteral("usage: Kerno ") + QLatin1String(kExportUsage);
      return false;
    }
    seen << name;
    const QString& value = args[i + 1];
    if (name == QLatin1String("--pages")) {
      if (!ParsePageRange(value, &a->From, &a->To) || a->From < 1 || a->To < a->From) {
        *error = QStringLiteral("--pages %1: expected A-B with 1 <= A <= B").arg(value);
        return false;
      }
      a->Ranged = true;
    } else if (name == QLatin1String("--scale")) {
      a->ScalePercent = ParseExportScalePercent(value);
      if (a->ScalePercent <= 0) {
        *error = QStringLiteral("--scale %1: expected a percentage from %2 to %3")
                     .arg(value)
                     .arg(kMinExportScalePercent)
                     .arg(kMaxExportScalePercent);
        return false;
      }
    } else if (name == QLatin1String("--quality")) {
      bool ok = false;
      a->Quality = value.trimmed().toInt(&ok);
      if (!ok || a->Quality < 1 || a->Quality > 100) {
        *error = QStringLiteral("--quality %1: expected a whole number from 1 to 100").arg(value);
        return false;
      }
    } else {
      *error = QStringLiteral("usage: Kerno ") + QLatin1String(kExportUsage);
      return false;
    }
  }
  return true;
}

// The options a picture does not take, or empty.
QString MisfitOption(const TExportArguments& a, TImageFormat format, bool printing) {
  if (a.Ranged && !printing) return QStringLiteral("--pages: only a document printed into a .pdf file has pages");
  if (a.ScalePercent > 0 && !IsRasterFormat(format))
    return QStringLiteral("--scale: only .bmp, .jpg and .png pictures have a scale");
  if (a.Quality > 0 && format != TImageFormat::Jpg)
    return QStringLiteral("--quality: only .jpg pictures have a quality");
  return {};
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
  TExportArguments a;
  QString error;
  if (!ParseExportArguments(args, &a, &error)) return Fail(err, error);
  const QString inSuffix = QFileInfo(a.In).suffix().toLower();
  const bool objectFile = inSuffix == QLatin1String("kno");
  if (!objectFile && inSuffix != QLatin1String("knd") && inSuffix != QLatin1String("knt"))
    return Fail(err, QStringLiteral("%1: the input must be a .knd, .knt or .kno file").arg(a.In));

  if (HasSuffix(a.Out, "las")) {
    if (a.Ranged) return Fail(err, QStringLiteral("--pages: a LAS file has no pages"));
    if (a.ScalePercent > 0 || a.Quality > 0)
      return Fail(err, QStringLiteral("--scale, --quality: a LAS file is no picture"));
    if (objectFile) return Fail(err, QStringLiteral("%1: the curves of a document only").arg(a.In));
    TPrintDocument document;
    if (!document.LoadFromFile(a.In, &error)) return Fail(err, error);
    return ExportLas(document, a.In, a.Out, out, err);
  }
  const TImageFormat format = ImageFormatOfPath(a.Out);
  if (format == TImageFormat::None)
    return Fail(err,
                QStringLiteral("%1: the output must be a .pdf, .las, .emf, .bmp, .jpg, .png or .svg file").arg(a.Out));
  // A document printed to PDF is tiled into pages; everything else is one picture.
  const bool printing = format == TImageFormat::Pdf && !objectFile;
  const QString misfit = MisfitOption(a, format, printing);
  if (!misfit.isEmpty()) return Fail(err, misfit);

  std::unique_ptr<TPrintObject> object;
  if (objectFile) {
    object = LoadObjectFile(a.In, &error);
    if (!object) return Fail(err, error);
  } else {
    auto document = std::make_unique<TPrintDocument>();
    if (!document->LoadFromFile(a.In, &error)) return Fail(err, error);
    if (printing) return PrintToPdf(*document, a.In, a.Out, a.Ranged, a.From, a.To, out, err);
    object = std::move(document);
  }
  TImageExportOptions options;
  if (a.ScalePercent > 0) options.Scale = a.ScalePercent / 100;
  if (a.Quality > 0) options.Quality = a.Quality;
  if (!ExportObjectImageTo(a.Out, object.get(), options, &error)) return Fail(err, error);
  out << a.Out << "\n";
  return 0;
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
  for (const auto& [name, mnemonic] : report.FilledFromOthers)
    err << "Kerno: curve " << name << ": filled from " << mnemonic << " of " << args[2] << "\n";
  for (const TLasFillReport::TUnitChange& c : report.ConvertedCurves)
    err << "Kerno: curve " << c.Curve << ": converted from " << c.FileUnit << " to " << c.TemplateUnit << "\n";
  for (const TLasFillReport::TUnitChange& c : report.UnitMismatches)
    err << "Kerno: curve " << c.Curve << ": the file's unit " << c.FileUnit << " is not the template's "
        << c.TemplateUnit << "; drawn as read\n";
  for (const QString& name : report.UnusedCurves)
    err << "Kerno: " << args[2] << ": curve " << name << " has no curve of that name in the template; not used\n";
  out << target << ": " << report.FilledCurves << " curve(s), " << report.FilledParameters
      << " head parameter(s) filled\n";
  if (HasSuffix(target, "pdf")) return PrintToPdf(document, args[2], target, false, 1, 0, out, err);
  if (HasSuffix(target, "las")) return ExportLas(document, args[2], target, out, err);
  if (!document.SaveToFile(target, &error)) return Fail(err, error);
  return 0;
}
