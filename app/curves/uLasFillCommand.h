// Filling an open document from a LAS file, as `Kerno --fill` fills a new one
// (File > Fill from LAS file...): every curve column of the document takes
// the file's curves, the heads its ~Well values, the bodies its start depth.
#pragma once

#include <QString>

class TPrintObject;

// Asks for the file when `fileName` is empty, reads it and fills `root`
// (see FillFromLas); a message then says what was filled, converted, left
// empty or not used. True when the document was filled (its bodies moved to
// the file's start even if no curve matched). A document without a curve
// column, a file that cannot be read and a cancelled dialog change nothing
// and give false (the first two say why).
bool FillDocumentFromLas(TPrintObject* root, QString fileName = QString());

// File > Export curves to LAS...: asks for the file (offering `suggested`)
// when `fileName` is empty and writes every curve with samples of the
// document into it (see WriteDocumentLas). A document without samples and a
// failed write are reported; true when written.
bool ExportDocumentLas(TPrintObject* root, const QString& suggested = QString(), QString fileName = QString());
