// The program with its windows: a second start hands its files to the
// running instance; otherwise the frame opens and the start-up runs.
#pragma once

#include <QStringList>

// Runs the program on `args` (file names, "/multi"); the exit status.
int RunProgram(int& argc, char** argv, const QStringList& args);
