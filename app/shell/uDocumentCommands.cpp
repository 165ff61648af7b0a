#include "uDocumentCommands.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "uPdfPrintTarget.h"
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
    return Fail(err, QStringLiteral("usage: Kerno --export IN OUT.pdf [--pages A-B]"));
  }
  if (QFileInfo(pdf).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
    return Fail(err, QStringLiteral("%1: the output must be a .pdf file").arg(pdf));
  TPrintDocument document;
  QString error;
  if (!document.LoadFromFile(in, &error)) return Fail(err, error);
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

int RunNew(const QStringList& args, QTextStream&, QTextStream& err) {
  TPrintDocument document;
  QString error;
  if (!document.LoadFromFile(TemplateFile(args[0]), &error)) return Fail(err, error);
  if (!document.SaveToFile(args[1], &error)) return Fail(err, error);
  return 0;
}
