// Export of the lithology column's layers into a table of rock intervals of
// many drill holes: one row per layer (hole, from, to, rock codes), the sign
// names translated into rock codes through a user-chosen filter table.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class TPrintStratCol;

// One rule of the rock filter: Code is written when every one of Names is present.
struct TRockFilterRule {
  QString Code;
  QStringList Names;
};
using TRockFilter = std::vector<TRockFilterRule>;

// Reads a filter table (delimited text, or a spreadsheet); false with the reason.
bool LoadRockFilter(const QString& path, TRockFilter* filter, QString* error = nullptr);
// Each rule is tried once in order: when all its names are among `names`, its
// code (if any) is appended to *codes and each of its names is removed from
// `names` wherever it occurs. Latin letters are compared without case. The
// names left over are returned.
QStringList TranslateSigns(QStringList names, const TRockFilter& filter, QStringList* codes);

// The target table: header texts, delimiter and the rows grouped by hole (in
// order of first appearance; rows without their hole column).
struct TLayerExportTable {
  QStringList Headers;
  QChar Delimiter = QChar('\t');
  std::vector<std::pair<QString, std::vector<QStringList>>> Groups;
  QStringList HoleNames() const;
  // Reads an existing file; false (and the table empty) when it cannot be read.
  bool Read(const QString& path);
  // The hole's rows replaced by `rows`; a new hole is appended.
  void SetHole(const QString& hole, std::vector<QStringList> rows);
  // Header line then one line per row; written through a temporary file.
  bool Write(const QString& path, QString* error = nullptr) const;
};

// One row per layer of the column: top, bottom, codes. Untranslated names go
// to *log as "Interval [top..bottom] No such rock code in filter: name".
// Without a filter (nullptr) the codes are the layer's sign names as they are.
std::vector<QStringList> LayerExportRows(const TPrintStratCol& column, const TRockFilter* filter, QStringList* log);

// What the export dialog edits.
struct TLayerExportChoice {
  QStringList Holes;   // the holes already in the target
  QString Hole;        // the hole to write
  QString FilterPath;  // the rock filter file; empty: no filter, the signs' names are written
  TRockFilter Filter;  // loaded from FilterPath
};
// Loads choice->Filter from choice->FilterPath; an unreadable file shows
// "Can't load filter" and empties the path (an empty path says nothing).
void LoadChoiceFilter(TLayerExportChoice* choice);

// The dialog layer installs the dialog (true on OK) and the viewer of the log
// (true when it opened the file; otherwise the log's lines are shown in a message).
using TLayerExportEditor = std::function<bool(TLayerExportChoice*)>;
void SetLayerExportEditor(TLayerExportEditor editor);
using TExportLogViewer = std::function<bool(const QString& path)>;
void SetExportLogViewer(TExportLogViewer viewer);

// The export into `path` (steps: read target, dialog, translate, write). The
// hole proposed is the well named in the document's head ("WELL"), else the
// column's caption; the filter is the last one used.
bool ExportLayersTo(TPrintStratCol* column, const QString& path);
// Asks for the target file, then ExportLayersTo.
bool ExportLayers(TPrintStratCol* column);
