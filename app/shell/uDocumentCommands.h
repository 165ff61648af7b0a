// Headless document commands of the command line:
//   --export IN OUT [--scale PERCENT] [--quality Q] [--pages A-B]
//       prints a document or template into OUT.pdf, page by page; writes
//       every curve of a document into OUT.las (LAS 2.0); or exports the
//       document (or the object of a ".kno" file) as a picture by OUT's
//       extension
//   --new TEMPLATE OUT.knd             makes a document from a template
//   --fill TEMPLATE --las FILE OUT     a document from a template with its
//                                      curves and head filled from a LAS file
#pragma once

#include <QStringList>
#include <QTextStream>

inline constexpr const char* kExportUsage = "--export IN OUT [--scale PERCENT] [--quality Q] [--pages A-B]";

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err);
int RunNew(const QStringList& args, QTextStream& out, QTextStream& err);
int RunFill(const QStringList& args, QTextStream& out, QTextStream& err);

// "A-B" or "A" as a page range; false for anything else.
bool ParsePageRange(const QString& text, int* from, int* to);
