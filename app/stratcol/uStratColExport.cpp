#include "uStratColExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "uCodePage.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintHeader.h"
#include "uPrintStratCol.h"
#include "uSettings.h"
#include "uStratColEntry.h"
#include "uStringTable.h"
#include "uTableImport.h"
#include "uUiServices.h"

namespace {

TLayerExportEditor& Editor() {
  static TLayerExportEditor editor;
  return editor;
}

TExportLogViewer& LogViewer() {
  static TExportLogViewer viewer;
  return viewer;
}

// Only the letters a to z are folded: names in other alphabets match letter for letter.
QString FoldLatin(const QString& name) {
  QString s = name;
  for (QChar& c : s)
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
  return s;
}

// Where no viewer opens the log (none installed, or the file not written),
// its first lines are shown, so the user still learns what was left out.
void ShowExportLog(const QStringList& log, const QString& path) {
  constexpr int kShown = 15;
  QString text = SubstituteArgs(TranslateError(QStringLiteral("ExportLogLines"),
                                               QStringLiteral("The layers are written; %s sign names have no rock "
                                                              "code in the filter (the list is in %s):")),
                                {QString::number(log.size()), QDir::toNativeSeparators(path)});
  for (int i = 0; i < log.size() && i < kShown; ++i) text += QLatin1Char('\n') + log[i];
  if (log.size() > kShown) text += QStringLiteral("\n...");
  Ui().Message(TMsgKind::Warning, TranslateWord(QStringLiteral("Export")), text, mbOK);
}

QString Depth(double depth) { return QString::fromStdString(FormatGeneral(depth)); }

QString StandardHeader(int column) {
  switch (column) {
    case 0:
      return QStringLiteral("Hole_ID");
    case 1:
      return QStringLiteral("From_Depth");
    case 2:
      return QStringLiteral("To_Depth");
    default:
      return QStringLiteral("Rock") + QString::number(column - 2);
  }
}

const QString kSection = QStringLiteral("EXPORT");
const QString kRockFilterKey = QStringLiteral("RockFilter");

}  // namespace

bool LoadRockFilter(const QString& path, TRockFilter* filter, QString* error) {
  filter->clear();
  TStringTable table;
  if (table.ImportFile(path) != S_OK) {
    if (error) *error = table.LastError();
    return false;
  }
  for (int r = 0; r < table.RowCount(); ++r) {
    TRockFilterRule rule;
    rule.Code = table.GetCell(0, r).trimmed();
    for (int c = 1; c < table.ColCount(); ++c)
      if (const QString name = table.GetCell(c, r).trimmed(); !name.isEmpty()) rule.Names << FoldLatin(name);
    filter->push_back(std::move(rule));
  }
  return true;
}

QStringList TranslateSigns(QStringList names, const TRockFilter& filter, QStringList* codes) {
  QStringList folded;
  for (const QString& n : names) folded << FoldLatin(n);
  for (const TRockFilterRule& rule : filter) {
    // A rule without names (a blank or code-only line) would match every layer: it is not a rule.
    if (rule.Names.isEmpty()) continue;
    bool all = true;
    for (const QString& n : rule.Names) all = all && folded.contains(FoldLatin(n));
    if (!all) continue;
    if (!rule.Code.isEmpty() && codes) codes->append(rule.Code);
    for (const QString& n : rule.Names) {
      const QString key = FoldLatin(n);
      for (qsizetype i = folded.size() - 1; i >= 0; --i)
        if (folded[i] == key) {
          folded.removeAt(i);
          names.removeAt(i);
        }
    }
  }
  return names;
}

QStringList TLayerExportTable::HoleNames() const {
  QStringList names;
  for (const auto& g : Groups) names << g.first;
  return names;
}

bool TLayerExportTable::Read(const QString& path) {
  Headers.clear();
  Groups.clear();
  Delimiter = QChar('\t');
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString firstLine = QString::fromStdString(DecodeTextFile(file.readLine(65536).toStdString()));
  file.close();
  TStringTable table;
  if (table.ImportFile(path) != S_OK) return false;
  if (const QChar d = DetectDelimiter(firstLine); !d.isNull()) Delimiter = d;
  if (table.RowCount() == 0) return true;
  for (int c = 0; c < table.ColCount(); ++c) Headers << table.GetCell(c, 0);
  for (int r = 1; r < table.RowCount(); ++r) {
    const QString hole = table.GetCell(0, r);
    QStringList row;
    for (int c = 1; c < table.ColCount(); ++c) row << table.GetCell(c, r);
    while (!row.isEmpty() && row.last().isEmpty()) row.removeLast();
    auto it = std::find_if(Groups.begin(), Groups.end(), [&](const auto& g) { return g.first == hole; });
    if (it == Groups.end()) {
      Groups.emplace_back(hole, std::vector<QStringList>{});
      it = Groups.end() - 1;
    }
    it->second.push_back(row);
  }
  return true;
}

void TLayerExportTable::SetHole(const QString& hole, std::vector<QStringList> rows) {
  for (auto& g : Groups)
    if (g.first == hole) {
      g.second = std::move(rows);
      return;
    }
  Groups.emplace_back(hole, std::move(rows));
}

bool TLayerExportTable::Write(const QString& path, QString* error) const {
  qsizetype width = 3;
  for (const auto& g : Groups)
    for (const QStringList& row : g.second) width = std::max(width, row.size() + 1);
  width = std::max(width, Headers.size());
  TStringTable table;
  table.AutoColumns = false;
  qsizetype rows = 1;
  for (const auto& g : Groups) rows += static_cast<qsizetype>(g.second.size());
  table.SetColCount(static_cast<int>(width));
  table.SetRowCount(static_cast<int>(rows));
  for (int c = 0; c < width; ++c) {
    const QString h = Headers.value(c);
    table.SetCell(c, 0, h.isEmpty() ? StandardHeader(c) : h);
  }
  int r = 1;
  for (const auto& g : Groups)
    for (const QStringList& row : g.second) {
      table.SetCell(0, r, g.first);
      for (qsizetype c = 0; c < row.size(); ++c) table.SetCell(static_cast<int>(c + 1), r, row[c]);
      ++r;
    }
  if (table.ExportText(path, Delimiter) == S_OK) return true;
  if (error) *error = table.LastError();
  return false;
}

std::vector<QStringList> LayerExportRows(const TPrintStratCol& column, const TRockFilter* filter, QStringList* log) {
  std::vector<QStringList> rows;
  for (const TStratColEntry* e : column.Layers()) {
    QStringList codes;
    QStringList left;
    if (filter) {
      left = TranslateSigns(e->SignNames(), *filter, &codes);
    } else {
      for (const QString& name : e->SignNames())
        if (!name.isEmpty()) codes.append(name);
    }
    const QString top = Depth(e->TopDepth());
    const QString bottom = Depth(e->BottomDepth());
    if (log)
      for (const QString& name : left)
        if (!name.isEmpty())
          log->append(TranslateWord(QStringLiteral("Interval")) + QStringLiteral(" [") + top + QStringLiteral("..") +
                      bottom + QStringLiteral("] ") +
                      Translate(QStringLiteral("ERROR"), QStringLiteral("ExportNoRockCodeInFilter"),
                                QStringLiteral("No such rock code in filter")) +
                      QStringLiteral(": ") + name);
    rows.push_back(QStringList{top, bottom} + codes);
  }
  return rows;
}

void LoadChoiceFilter(TLayerExportChoice* choice) {
  choice->Filter.clear();
  if (choice->FilterPath.isEmpty()) return;
  if (!LoadRockFilter(choice->FilterPath, &choice->Filter)) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Error")),
                 TranslateError(QStringLiteral("CantLoadFilter"), QStringLiteral("Can't load filter")), mbOK);
    choice->FilterPath.clear();
  }
}

void SetLayerExportEditor(TLayerExportEditor editor) { Editor() = std::move(editor); }
void SetExportLogViewer(TExportLogViewer viewer) { LogViewer() = std::move(viewer); }

bool ExportLayersTo(TPrintStratCol* column, const QString& path) {
  if (!column || path.isEmpty()) return false;
  TLayerExportTable target;
  if (QFileInfo(path).isFile() && !target.Read(path)) {
    // A file we cannot read is not overwritten with our rows alone.
    Ui().Message(
        TMsgKind::Error, TranslateWord(QStringLiteral("Export")),
        TranslateError(QStringLiteral("CantLoadFile"), QStringLiteral("Can't load file")) + QStringLiteral(": ") + path,
        mbOK);
    return false;
  }
  TLayerExportChoice choice;
  choice.Holes = target.HoleNames();
  // The well's name from the document's head, as the other holes of such a
  // table are named; the column's caption when the head names no well.
  choice.Hole = DocumentHeadValue(column, QStringLiteral("WELL"));
  if (choice.Hole.isEmpty()) choice.Hole = column->Caption();
  choice.FilterPath = Settings().ReadText(kSection, kRockFilterKey);
  LoadChoiceFilter(&choice);
  if (Editor() && !Editor()(&choice)) return false;
  Settings().WriteText(kSection, kRockFilterKey, choice.FilterPath);
  QStringList log;
  // Without a filter there is nothing to translate: the signs' own names are the codes.
  target.SetHole(choice.Hole, LayerExportRows(*column, choice.FilterPath.isEmpty() ? nullptr : &choice.Filter, &log));
  QString error;
  if (!target.Write(path, &error)) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Export")), error, mbOK);
    return false;
  }
  if (!log.isEmpty()) {
    const QString logPath = Settings().TempDirectory() + QStringLiteral("Export.log");
    QSaveFile file(logPath);
    if (file.open(QIODevice::WriteOnly)) {
      file.write((log.join(QStringLiteral("\n")) + QLatin1Char('\n')).toUtf8());
      if (file.commit() && LogViewer() && LogViewer()(logPath)) return true;
    }
    ShowExportLog(log, logPath);
  }
  return true;
}

bool ExportLayers(TPrintStratCol* column) {
  TFileDialogOptions options;
  options.Title = TranslateWord(QStringLiteral("Export"));
  options.Filter = QStringLiteral("TXT|*.txt|CSV|*.csv|*.*|*.*");
  QString path;
  int filter = 1;
  if (!Ui().SaveFileName(options, &path, &filter) || path.isEmpty()) return false;
  const QString suffix = filter == 1 ? QStringLiteral(".txt") : filter == 2 ? QStringLiteral(".csv") : QString();
  if (!suffix.isEmpty()) path = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() + suffix;
  return ExportLayersTo(column, path);
}
