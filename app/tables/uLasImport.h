// LAS well-log files (versions 1.2, 2.0 and 3.0 log data sets) read into
// cells: a header row of curve mnemonics, then one row per depth step.
#pragma once

#include <QByteArray>
#include <QString>

#include "uCellStore.h"

// Reads a LAS file; false with a one-line *error for a missing, unreadable or
// non-LAS file, or one without data rows.
bool ReadLasFile(const QString& fileName, TCellStore* cells, QString* error);
// The same for the file's bytes (any of the encodings a LAS file comes in).
bool ParseLas(QByteArray bytes, TCellStore* cells, QString* error);
// Bytes to text: UTF-16 with or without a byte-order mark, UTF-8 with or
// without one, otherwise Windows-1251.
QString DecodeLasText(const QByteArray& bytes);
