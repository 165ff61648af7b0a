#include "uTableToText.h"

#include "uScriptedUi.h"
#include "uStringTable.h"
#include "uTableText.h"

int RunTableToText(const QStringList& args, QTextStream& out, QTextStream& err) {
  (void)out;
  auto fail = [&err](const QString& text) {
    err << "Kerno: " << QString(text).replace(u'\n', u' ') << Qt::endl;
    return 1;
  };
  if (args.size() != 2) return fail(QStringLiteral("usage: Kerno --table-to-text IN OUT"));
  // No one to answer: messages are collected instead of shown.
  TScriptedUi ui;
  IUiServices* previous = &Ui();
  SetUiServices(&ui);
  struct TRestore {
    IUiServices* Services;
    ~TRestore() { SetUiServices(Services); }
  } restore{previous};
  TStringTable table;
  const HRESULT hr = table.ImportFile(args[0], [](const QString&, const QStringList&) { return 0; });
  if (hr != S_OK)
    return fail(table.LastError().isEmpty() ? TableError("ImportFailed", "The import failed") : table.LastError());
  if (table.ExportText(args[1], u'\t') != S_OK) return fail(table.LastError());
  return 0;
}

int RunTableToText(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  return RunTableToText(args, out, err);
}
