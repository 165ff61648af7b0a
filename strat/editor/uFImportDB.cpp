#include "uFImportDB.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "uComPtr.h"
#include "uStratPrompts.h"
#include "uStratTexts.h"

namespace stratedit {

namespace {
constexpr int kPreviewRows = 30;
// Skipped rows listed one by one in the report; the rest are counted.
constexpr int kListedSkips = 15;

QStringList ColumnNames(const TRockCodeTable& table) {
  QStringList names;
  for (int c = 0; c < table.Columns; ++c) {
    const QString first = table.Rows.empty() ? QString() : table.Rows.front().value(c);
    names << QString::number(c + 1) + (first.isEmpty() ? QString() : QStringLiteral(": ") + first.left(24));
  }
  return names;
}
}  // namespace

TFImportDB::TFImportDB(const TRockCodeTable& table, const TRockCodeChoice& guess, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FImportDB"));
  setWindowTitle(TranslateGeneral("ILDBCaption", "Import rockcode"));
  FPreview = new QTableWidget(this);
  FPreview->setObjectName(QStringLiteral("gPreview"));
  const int rows = std::min<int>(static_cast<int>(table.Rows.size()), kPreviewRows);
  FPreview->setRowCount(rows);
  FPreview->setColumnCount(table.Columns);
  FPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < table.Columns; ++c)
      FPreview->setItem(r, c, new QTableWidgetItem(table.Rows[static_cast<size_t>(r)].value(c)));
  FPreview->horizontalHeader()->setStretchLastSection(true);

  const QStringList columns = ColumnNames(table);
  auto combo = [&](const char* name, int current, bool optional) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    if (optional) box->addItem(TranslateGeneral("ILSNone", "(none)"), -1);
    for (int c = 0; c < columns.size(); ++c) box->addItem(columns[c], c);
    box->setCurrentIndex(std::max(0, box->findData(current)));
    return box;
  };
  FCode = combo("cbName", guess.CodeColumn, false);
  FPattern = combo("cbImage", guess.PatternColumn, false);
  FCaption = combo("cbCaption", guess.CaptionColumn, true);
  FHeader = new QCheckBox(TranslateGeneral("ILSHeader", "The first row names the columns"), this);
  FHeader->setObjectName(QStringLiteral("cbHeader"));
  FHeader->setChecked(guess.HeaderRow);
  FFolder = new QLineEdit(guess.Folder, this);
  FFolder->setObjectName(QStringLiteral("eFolder"));
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QStringLiteral("btnFolder"));
  connect(browse, &QPushButton::clicked, this, &TFImportDB::BrowseFolder);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(FFolder, 1);
  folderRow->addWidget(browse);

  auto* form = new QFormLayout;
  form->addRow(TranslateGeneral("ILSName", "rock code"), FCode);
  form->addRow(TranslateGeneral("ILSImage", "Pattern"), FPattern);
  form->addRow(TranslateGeneral("SignCaption", "Caption"), FCaption);
  form->addRow(FHeader);
  form->addRow(TranslateGeneral("ILSFolder", "Folder"), folderRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
  buttons->button(QDialogButtonBox::Ok)->setText(TranslateWord("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(TranslateWord("Cancel"));
  buttons->button(QDialogButtonBox::Help)->setText(TranslateWord("Help"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this,
          [this] { Prompts().ShowHelp(this, QStringLiteral("data/lsdedit")); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FPreview, 1);
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(560, 480);
}

TRockCodeChoice TFImportDB::Choice() const {
  TRockCodeChoice choice;
  choice.CodeColumn = FCode->currentData().toInt();
  choice.PatternColumn = FPattern->currentData().toInt();
  choice.CaptionColumn = FCaption->currentData().toInt();
  choice.HeaderRow = FHeader->isChecked();
  choice.Folder = FFolder->text().trimmed();
  choice.Language = LanguageCode();
  return choice;
}

void TFImportDB::BrowseFolder() {
  const QString folder = Prompts().FolderName(this, TranslateGeneral("ILSFolder", "Folder"), FFolder->text());
  if (!folder.isEmpty()) FFolder->setText(folder);
}

HRESULT ImportRockCodeList(const QString& path, IStratDataBase* database) {
  if (!database) return E_INVALIDARG;
  const bool interactive = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  TRockCodeTable table;
  QString error;
  if (!ReadRockCodeTable(path, &table, &error)) {
    if (interactive) Prompts().Error(nullptr, error + QStringLiteral("\n") + path);
    return E_FAIL;
  }
  TRockCodeChoice choice = GuessRockCodeChoice(table, QFileInfo(path).absolutePath());
  choice.Language = LanguageCode();
  if (interactive) {
    TFImportDB dialog(table, choice);
    if (!Prompts().Run(&dialog)) return S_FALSE;
    choice = dialog.Choice();
  }
  TComPtr<IStratDataBase> built;
  HRESULT hr = stratCreateDataBase(built.Put());
  if (hr != S_OK) return hr;
  const TRockCodeImport done = ImportRockCodes(built.Get(), table, choice);
  if (interactive) {
    QString report = Substitute(TranslateGeneral("ILSDone", "Signs imported: %s"), {QString::number(done.Added)});
    if (!done.Skipped.isEmpty()) {
      report += QStringLiteral("\n") +
                Substitute(TranslateGeneral("ILSSkipped", "Rows skipped: %s"), {QString::number(done.Skipped.size())});
      for (qsizetype i = 0; i < std::min<qsizetype>(done.Skipped.size(), kListedSkips); ++i)
        report += QStringLiteral("\n  ") + done.Skipped[i];
      if (done.Skipped.size() > kListedSkips) report += QStringLiteral("\n  ...");
    }
    if (done.Added > 0)
      Prompts().Information(nullptr, report);
    else
      Prompts().Error(nullptr, report);
  }
  if (done.Added == 0) return E_FAIL;
  // The signs go into the caller's own object, which may be shared with others.
  built->SetOptions(database->GetOptions());
  hr = stratCopy(built.Get(), database);
  if (hr != S_OK) return hr;
  return stratSetFileName(database, TShortString{});
}

}  // namespace stratedit
