#include "uManual.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTextDocument>

namespace {

QString ReadPage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// The pages a page links to, relative to the help folder.
QStringList LinksOf(const QString& helpDir, const QString& page) {
  static const QRegularExpression kHref(QStringLiteral("href=\"([^\"#]+)(#[^\"]*)?\""));
  const QDir root(helpDir);
  const QString folder = QFileInfo(root.filePath(page)).absolutePath();
  QStringList links;
  for (auto it = kHref.globalMatch(ReadPage(root.filePath(page))); it.hasNext();) {
    const QString target = it.next().captured(1);
    if (target.contains(QLatin1Char(':')) || !target.endsWith(QLatin1String(".html"))) continue;
    const QString absolute = QDir::cleanPath(QDir(folder).absoluteFilePath(target));
    const QString relative = root.relativeFilePath(absolute);
    if (relative.startsWith(QLatin1String("..")) || !QFileInfo::exists(absolute)) continue;
    links << relative;
  }
  return links;
}

// A page's body with its links as plain text (they lead nowhere on paper).
QString BodyOf(const QString& html) {
  QString body = html;
  const qsizetype start = body.indexOf(QLatin1String("<body"));
  if (start >= 0) body = body.mid(body.indexOf(QLatin1Char('>'), start) + 1);
  const qsizetype end = body.lastIndexOf(QLatin1String("</body>"));
  if (end >= 0) body.truncate(end);
  static const QRegularExpression kAnchor(QStringLiteral("</?a(\\s[^>]*)?>"));
  body.remove(kAnchor);
  return body;
}

}  // namespace

QStringList ManualPages(const QString& helpDir) {
  const QString index = QStringLiteral("index.html");
  if (!QFileInfo::exists(QDir(helpDir).filePath(index))) return {};
  QStringList pages{index};
  QSet<QString> seen{index};
  for (qsizetype i = 0; i < pages.size(); ++i)
    for (const QString& link : LinksOf(helpDir, pages[i]))
      if (!seen.contains(link)) {
        seen.insert(link);
        pages << link;
      }
  return pages;
}

bool WriteManual(const QString& helpDir, const QString& pdfPath, QString* error) {
  QString html;
  QString title;
  for (const QString& page : ManualPages(helpDir)) {
    const QString text = ReadPage(QDir(helpDir).filePath(page));
    if (text.isEmpty()) continue;
    if (title.isEmpty()) {
      static const QRegularExpression kTitle(QStringLiteral("<title>([^<]*)</title>"));
      title = kTitle.match(text).captured(1);
    }
    // Each topic begins a sheet of its own.
    html += html.isEmpty() ? QStringLiteral("<div>") : QStringLiteral("<div style=\"page-break-before: always\">");
    html += BodyOf(text) + QStringLiteral("</div>");
  }
  if (html.isEmpty()) {
    if (error) *error = QStringLiteral("%1: no help pages").arg(helpDir);
    return false;
  }
  QSaveFile file(pdfPath);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Kerno"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 18),
                                     QPageLayout::Millimeter));
    QTextDocument document;
    document.setDefaultStyleSheet(QStringLiteral("h1 { font-size: 16pt; } h2 { font-size: 13pt; }"));
    document.setHtml(html);
    document.print(&writer);
  }
  if (!file.commit()) {
    if (error) *error = QStringLiteral("%1: %2").arg(pdfPath, file.errorString());
    return false;
  }
  return true;
}
