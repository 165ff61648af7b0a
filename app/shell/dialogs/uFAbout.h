// The About box: the program's name, version and date, what it is for, and
// the newer version a file has shown to exist.
#pragma once

#include <QString>

class QWidget;

// The text of the box (rich text).
QString AboutText();
void ShowAbout(QWidget* parent);
