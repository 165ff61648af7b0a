// The printable manual: the help pages of one language, from the contents
// page along its links, as one PDF (Help > Manual (PDF) opens it).
#pragma once

#include <QString>
#include <QStringList>

// The pages reachable from `helpDir`/index.html by its links, each once, in
// the order they are first linked (the contents first); paths relative to
// `helpDir`. Links outside the folder, to other files or anchors alone are
// not followed.
QStringList ManualPages(const QString& helpDir);

// Writes the pages into `pdfPath` (A4, each page on a sheet of its own, the
// links as plain text), through a temporary file that replaces the target
// only when complete. False, with *error set, when no page reads or the file
// cannot be written.
bool WriteManual(const QString& helpDir, const QString& pdfPath, QString* error);
