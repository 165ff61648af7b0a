// The sign database editor of the lithology library on its own, as the
// command line opens it ("--edit-lsd [FILE]").
#pragma once

#include <QString>

// Opens the editor on `path` (empty: no file) in the program's language and
// runs until it closes. Exit status: 0, or 1 when the editor cannot open.
int RunSignEditor(const QString& path);
