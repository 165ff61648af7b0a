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
#include "uNumberFields.h"
#include "uTableEdits.h"
#include "uTableGrid.h"
#include "uUiServices.h"

namespace {

double ReadOrNan(const QString& text) { return FieldNumber(text, std::numeric_limits<double>::quiet_NaN()); }

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
    FWork.SetCell(0, r, NumberText(FEntries[i].TopDepth));
    FWork.SetCell(1, r, NumberText(FEntries[i].BottomDepth));
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
    if (Accept()) accept();
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
  // A new row starts where the one above it ends, the first one at the
  // column's top, and ends where the row below it starts.
  const QString from = at > 0 ? FWork.GetCell(1, at - 1) : NumberText(FDesc->TopDepth());
  FWork.SetCell(0, at, from);
  FWork.SetCell(1, at, at + 1 < FWork.RowCount() ? FWork.GetCell(0, at + 1) : from);
  gTexts->Reload();
  gTexts->setCurrentIndex(gTexts->model()->index(at, 2));
}

void TFPrintDesc::DeleteRows() {
  const TCellRange range = gTexts->SelectedRange();
  if (range.Empty()) return;
  for (int r = range.Bottom; r >= range.Top; --r) FWork.DeleteRow(r);
  gTexts->Reload();
}

const TDescEntry* TFPrintDesc::Source(int row) const {
  const int source = FWork.GetCellData(0, row) - 1;
  return source >= 0 && source < static_cast<int>(FEntries.size()) ? &FEntries[static_cast<size_t>(source)] : nullptr;
}

// A blank new row makes no text.
bool TFPrintDesc::MakesText(int row) const { return Source(row) || !FWork.GetCell(2, row).trimmed().isEmpty(); }

TDescEntry TFPrintDesc::RowEntry(int row) const {
  const TDescEntry* old = Source(row);
  TDescEntry e;
  e.Source = old ? old->Source : nullptr;
  e.TopDepth = ReadOrNan(FWork.GetCell(0, row));
  e.BottomDepth = ReadOrNan(FWork.GetCell(1, row));
  // A depth that is not a number keeps what an existing text had (OK
  // refuses such rows first; the column skips a new one).
  if (old && !std::isfinite(e.TopDepth)) e.TopDepth = old->TopDepth;
  if (old && !std::isfinite(e.BottomDepth)) e.BottomDepth = old->BottomDepth;
  e.Text = DescCellToText(FWork.GetCell(2, row));
  return e;
}

std::vector<TDescEntry> TFPrintDesc::GridEntries() const {
  std::vector<TDescEntry> out;
  for (int r = 0; r < FWork.RowCount(); ++r)
    if (MakesText(r)) out.push_back(RowEntry(r));
  return out;
}

TFPrintDesc::TProblem TFPrintDesc::FirstProblem() const {
  const auto problem = [](int row, int col, const QString& key, const QString& def, const QString& cell = {}) {
    return TProblem{row, col, SubstituteArgs(TranslateError(key, def), {QString::number(row + 1), cell})};
  };
  for (int r = 0; r < FWork.RowCount(); ++r) {
    if (!MakesText(r)) continue;
    for (int c = 0; c < 2; ++c) {
      const QString cell = FWork.GetCell(c, r).trimmed();
      if (!cell.isEmpty() && !std::isfinite(ReadOrNan(cell)))
        return problem(r, c, QStringLiteral("DescDepthNotNumber"),
                       QStringLiteral("Row %s: the depth \"%s\" is not a number"), cell);
    }
    // An empty depth keeps an existing text's; a new row has none to keep.
    const TDescEntry e = RowEntry(r);
    if (!std::isfinite(e.TopDepth) || !std::isfinite(e.BottomDepth))
      return problem(r, std::isfinite(e.TopDepth) ? 1 : 0, QStringLiteral("DescNoDepths"),
                     QStringLiteral("Row %s: enter the top and bottom depths of the text"));
    // A text with no height would be on the sheet and never seen (one
    // that came so, from an import, is left as it was).
    const TDescEntry* old = Source(r);
    const bool moved = !old || e.TopDepth != old->TopDepth || e.BottomDepth != old->BottomDepth;
    if (moved && e.TopDepth == e.BottomDepth)
      return problem(r, 1, QStringLiteral("DescEmptyInterval"),
                     QStringLiteral("Row %s: the top and bottom depths are equal; enter the interval the text "
                                    "describes"));
  }
  return {};
}

bool TFPrintDesc::Accept() {
  gTexts->setCurrentIndex(QModelIndex());  // a cell being edited is committed first
  const TProblem problem = FirstProblem();
  if (problem.Row >= 0) {
    Ui().Message(TMsgKind::Error, windowTitle(), problem.Message, mbOK);
    gTexts->setCurrentIndex(gTexts->model()->index(problem.Row, problem.Col));
    return false;
  }
  Store();
  return true;
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
