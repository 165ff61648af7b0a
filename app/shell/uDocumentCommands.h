// Headless document commands of the command line:
//   --export IN OUT.pdf [--pages A-B]  prints a document or template to PDF
//   --export IN OUT.las                writes every curve of a document as LAS 2.0
//   --new TEMPLATE OUT.knd             makes a document from a template
//   --fill TEMPLATE --las FILE OUT     a document from a template with its
//                                      curves and head filled from a LAS file
#pragma once

#include <QStringList>
#include <QTextStream>

int RunExport(const QStringList& args, QTextStream& out, QTextStream& err);
int RunNew(const QStringList& args, QTextStream& out, QTextStream& err);
int RunFill(const QStringList& args, QTextStream& out, QTextStream& err);

// "A-B" or "A" as a page range; false for anything else.
bool ParsePageRange(const QString& text, int* from, int* to);
