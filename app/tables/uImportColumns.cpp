#include "uImportColumns.h"

#include "uLanguage.h"
#include "uNumbers.h"
#include "uSettings.h"
#include "uTableText.h"

namespace {
TColumnImportEditor& Editor() {
  static TColumnImportEditor editor;
  return editor;
}
}  // namespace

TColumnImport::TColumnImport(const QString& section, int parameterCount)
    : FSection(section), FColumns(static_cast<size_t>(std::max(0, parameterCount)), kNoChoice) {}

QString TColumnImport::Caption(int k) const {
  return Translate(FSection, QStringLiteral("param%1").arg(k),
                   TableText(QStringLiteral("import"), QStringLiteral("Import")) + QString::number(k));
}

bool TColumnImport::Optional(int k) const {
  return ReadNumber(Translate(FSection, QStringLiteral("Optional%1").arg(k), QStringLiteral("0")).toStdString(), 0) > 0;
}

int TColumnImport::Column(int k) const {
  if (k < 1 || k > ParameterCount()) return kNoChoice;
  return FColumns[static_cast<size_t>(k - 1)];
}

void TColumnImport::SetColumn(int k, int column) {
  if (k < 1 || k > ParameterCount()) return;
  if (column >= Table.ColCount() || column < kNoChoice) column = kNoChoice;
  FColumns[static_cast<size_t>(k - 1)] = column;
}

void TColumnImport::SetDefaultColumns() {
  for (int k = 1; k <= ParameterCount(); ++k) {
    if (k - 1 < Table.ColCount())
      SetColumn(k, k - 1);
    else
      SetColumn(k, Optional(k) ? kNotUsed : kNoChoice);
  }
}

bool TColumnImport::Complete() const {
  for (const int c : FColumns)
    if (c == kNoChoice) return false;
  return true;
}

int TColumnImport::ValueCount() const { return std::max(0, Table.RowCount() - StartRow + 1); }

QString TColumnImport::Value(int k, int i) const {
  const int column = Column(k);
  if (column < 0 || i < 0 || i >= ValueCount()) return {};
  return Table.GetCell(column, StartRow - 1 + i);
}

void SetColumnImportEditor(TColumnImportEditor editor) { Editor() = std::move(editor); }

HRESULT RunColumnImport(TColumnImport* import) {
  const HRESULT hr = import->Table.ImportWithDialog();
  if (hr != S_OK) return hr;
  import->StartRow = 1;
  import->CreateEmptyBlocks = Settings().EmptyBlocks();
  import->SetDefaultColumns();
  if (Editor()) {
    if (!Editor()(import)) return R_CANCELLED;
  } else if (!import->Complete()) {
    return E_FAIL;
  }
  Settings().SetEmptyBlocks(import->CreateEmptyBlocks);
  return S_OK;
}
