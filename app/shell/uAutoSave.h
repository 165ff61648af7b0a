// Auto-save: every open document is written into a temporary copy, and the
// list "autosave.dat" in the temporary folder names each copy beside the
// document's own name. After a crash the next start opens the copies again.
#pragma once

#include <QString>
#include <vector>

class TPrintDocument;

struct TAutoSaveEntry {
  QString Real;  // the window's caption: the document's own name
  QString Temp;  // its temporary copy
};

// "autosave.dat" in the temporary folder.
QString AutoSaveListPath();
// The temporary copy of window `n`: "AutoSave<n>.tmp" in the temporary folder.
QString AutoSaveCopyPath(int n);

// Writes each document into its copy and the list of all of them. A
// document's modified mark is left as it was: the copy is not its file.
// False when a copy or the list could not be written.
bool WriteAutoSave(const std::vector<std::pair<QString, TPrintDocument*>>& documents);
// The entries of the list, in window order (none when there is no list).
std::vector<TAutoSaveEntry> ReadAutoSaveList();
// The caption of a recovered document: " (repaired)" (in the language of the
// pack) inserted before the extension of its own name.
QString RepairedCaption(const QString& caption);
// Deletes every file in the temporary folder.
void EmptyTempDirectory();
