#include "uTableToText.h"

#include <cstdio>

#include "uScriptedUi.h"
#include "uStringTable.h"
#include "uTableText.h"

int RunTableToText(const QStringList& args) {
  auto fail = [](const QString& text) {
    std::fprintf(stderr, "Kerno: %s\n", QString(text).replace(u'\n', u' ').toLocal8Bit().constData());
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
