// The command-line converter: any supported table file to tab-delimited UTF-8 text.
#pragma once

#include <QStringList>
#include <QTextStream>

// `args` are the two file names after "--table-to-text": IN and OUT. The
// first sheet or table is taken without asking. Returns the exit status: 0 on
// success, 1 after writing a one-line error to `err`.
int RunTableToText(const QStringList& args, QTextStream& out, QTextStream& err);
// The same with the error on standard error.
int RunTableToText(const QStringList& args);
