// Commands of the program's command line ("Kerno --dump FILE", ...): a table
// of names and handlers, so a new command is one entry.
#pragma once

#include <QStringList>
#include <QTextStream>

struct TCommandLineCommand {
  const char* Name;   // "--dump"
  int ArgCount;       // arguments after the name (at least)
  const char* Usage;  // "--dump FILE"
  // Runs headless; returns the exit status. Output goes to `out`, one-line
  // errors to `err`.
  int (*Run)(const QStringList& args, QTextStream& out, QTextStream& err);
  int MaxArgCount = -1;  // for optional arguments; -1: exactly ArgCount
};

// The command named by args[0] (the first argument after the program), or null.
const TCommandLineCommand* FindCommand(const QStringList& args);
// Runs `command` with its arguments; a wrong argument count is an error (status 2).
int RunCommand(const TCommandLineCommand& command, const QStringList& args, QTextStream& out, QTextStream& err);

// The JSON of "--dump": the storage tree and the object tree of a file.
// Empty with `error` set when the file cannot be loaded.
QByteArray DumpFile(const QString& path, QString* error);
