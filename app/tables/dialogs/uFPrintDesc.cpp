#include "uFPrintDesc.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uTableEdits.h"
#include "uTableGrid.h"

namespace {

QString Number(double v) { return QString::fromStdString(FormatGeneral(v)); }

double ReadOrNan(const QString& text) {
  return ReadNumber(text.trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

TFPrintDesc::TFPrintDesc(TPrintDesc* desc, QWidget* parent) : QDialog(parent), FDesc(desc) {
  setWindowTitle(desc->Name());
  FEntries = desc->Entries();
  FWork.AutoColumns = false;
  FWork.SetColCount(3);
  FWork.SetRowCount(static_cast<int>(FEntries.size()));
  FWork.SetHeader(0, TranslateWord(QStringLiteral("From")));
  FWork.SetHeader(1, TranslateWord(QStringLiteral("To")));
  FWork.SetHeader(2, TranslateWord(QStringLiteral("Text")));
  for (size_t i = 0; i < FEntries.size(); ++i) {
    const int r = static_cast<int>(i);
    FWork.SetCell(0, r, Number(FEntries[i].TopDepth));
    FWork.SetCell(1, r, Number(FEntries[i].BottomDepth));
    FWork.SetCell(2, r, DescTextToCell(FEntries[i].Text));
    // Which text the row came from travels with the row.
    FWork.SetCellData(0, r, r + 1);
  }
  gTexts = new TTableGrid(&FWork, this);
  gTexts->setObjectName(QStringLiteral("gTexts"));
  gTexts->TableModel()->LetterHeaders = false;
  gTexts->horizontalHeader()->setStretchLastSection(true);

  cbTextBorders = new QCheckBox(TranslateGeneral(QStringLiteral("TextBorders"), QStringLiteral("Text borders")), this);
  cbTextBorders->setObjectName(QStringLiteral("cbTextBorders"));
  cbTextBorders->setChecked(desc->TextBorders);
  auto* add = new QPushButton(TranslateWord(QStringLiteral("Add")), this);
  add->setObjectName(QStringLiteral("btnAdd"));
  auto* remove = new QPushButton(TranslateWord(QStringLiteral("Delete")), this);
  remove->setObjectName(QStringLiteral("btnDelete"));
  connect(add, &QPushButton::clicked, this, &TFPrintDesc::AddRow);
  connect(remove, &QPushButton::clicked, this, &TFPrintDesc::DeleteRows);
  auto* row = new QHBoxLayout;
  row->addWidget(add);
  row->addWidget(remove);
  row->addStretch();
  row->addWidget(cbTextBorders);

  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/desc"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(gTexts);
  layout->addWidget(buttons);
  resize(720, 480);
}

void TFPrintDesc::AddRow() {
  const int at = gTexts->currentIndex().isValid() ? gTexts->currentIndex().row() + 1 : FWork.RowCount();
  InsertTableRow(&FWork, at);
  // A new row starts where the one above it ends.
  if (at > 0) {
    FWork.SetCell(0, at, FWork.GetCell(1, at - 1));
    FWork.SetCell(1, at, FWork.GetCell(1, at - 1));
  }
  gTexts->Reload();
  gTexts->setCurrentIndex(gTexts->model()->index(at, 2));
}

void TFPrintDesc::DeleteRows() {
  const TCellRange range = gTexts->SelectedRange();
  if (range.Empty()) return;
  for (int r = range.Bottom; r >= range.Top; --r) FWork.DeleteRow(r);
  gTexts->Reload();
}

std::vector<TDescEntry> TFPrintDesc::GridEntries() const {
  std::vector<TDescEntry> out;
  for (int r = 0; r < FWork.RowCount(); ++r) {
    TDescEntry e;
    const int source = FWork.GetCellData(0, r) - 1;
    const TDescEntry* old =
        source >= 0 && source < static_cast<int>(FEntries.size()) ? &FEntries[static_cast<size_t>(source)] : nullptr;
    e.Source = old ? old->Source : nullptr;
    e.TopDepth = ReadOrNan(FWork.GetCell(0, r));
    e.BottomDepth = ReadOrNan(FWork.GetCell(1, r));
    // A depth that is not a number keeps what an existing text had; a new
    // row without its depths makes no text.
    if (old && !std::isfinite(e.TopDepth)) e.TopDepth = old->TopDepth;
    if (old && !std::isfinite(e.BottomDepth)) e.BottomDepth = old->BottomDepth;
    e.Text = DescCellToText(FWork.GetCell(2, r));
    out.push_back(e);
  }
  return out;
}

void TFPrintDesc::Store() {
  gTexts->setCurrentIndex(QModelIndex());
  FDesc->TextBorders = cbTextBorders->isChecked();
  FDesc->SetEntries(GridEntries());
  FDesc->ApplyToTexts();
}

bool TFPrintDesc::Execute(TPrintObject* object) {
  auto* desc = dynamic_cast<TPrintDesc*>(object);
  if (!desc) return false;
  TFPrintDesc dialog(desc);
  return dialog.exec() == QDialog::Accepted;
}
