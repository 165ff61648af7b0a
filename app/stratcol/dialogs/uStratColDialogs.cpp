#include "uStratColDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uFLC.h"
#include "uFLCEntry.h"
#include "uLanguage.h"
#include "uLineStyleDialog.h"
#include "uNumbers.h"
#include "uPrintStratCol.h"
#include "uPropertiesDialogs.h"
#include "uStratColEntry.h"
#include "uStratColExport.h"
#include "uUiServices.h"

namespace {

// A proposed depth; a negative one leaves its field empty.
QString ProposedDepthText(double depth) { return depth < 0 ? QString() : QString::fromStdString(FormatGeneral(depth)); }

double ParsedOrMinusOne(const QString& text) {
  const double v = ReadNumber(text.trimmed().toStdString(), std::numeric_limits<double>::quiet_NaN());
  return std::isfinite(v) ? v : -1;
}

}  // namespace

TFAddLCE::TFAddLCE(double from, double to, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFAddLCE"));
  setWindowTitle(TranslateGeneral(QStringLiteral("LCEAdd"), QStringLiteral("Adding boundary")));
  edFrom = new QLineEdit(ProposedDepthText(from), this);
  edFrom->setObjectName(QStringLiteral("edFrom"));
  edTo = new QLineEdit(ProposedDepthText(to), this);
  edTo->setObjectName(QStringLiteral("edTo"));
  auto* form = new QFormLayout;
  form->addRow(TranslateGeneral(QStringLiteral("LCESetBoundary"), QStringLiteral("Enter boundaries")),
               new QWidget(this));
  form->addRow(TranslateWord(QStringLiteral("From")), edFrom);
  form->addRow(TranslateWord(QStringLiteral("To")), edTo);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/stratcol"));
  btnOK = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(edFrom, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  connect(edTo, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
  UpdateOk();
}

double TFAddLCE::From() const { return ParsedOrMinusOne(edFrom->text()); }
double TFAddLCE::To() const { return ParsedOrMinusOne(edTo->text()); }

void TFAddLCE::UpdateOk() {
  const double from = From(), to = To();
  btnOK->setEnabled(from >= 0 && to > 0 && to > from);
}

TFLCTopLine::TFLCTopLine(const TBoundaryLine& line, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFLCTopLine"));
  setWindowTitle(TranslateGeneral(QStringLiteral("TopBoundary"), QStringLiteral("Top boundary")));
  cbStyle = new TLineStyleCombo(this);
  cbStyle->setObjectName(QStringLiteral("cbStyle"));
  cbWidth = new TLineWidthCombo(this);
  cbWidth->setObjectName(QStringLiteral("cbWidth"));
  pColor = new TColorPanel(this);
  pColor->setObjectName(QStringLiteral("pColor"));
  bApplyForAll = new QCheckBox(TranslateGeneral(QStringLiteral("ApplyForAll"), QStringLiteral("Apply for all")), this);
  bApplyForAll->setObjectName(QStringLiteral("bApplyForAll"));
  bApplyForAll->setChecked(true);
  cbStyle->SetStyle(line.Style);
  cbWidth->SetWidth(line.LineWidth);
  pColor->SetColor(static_cast<uint32_t>(line.Color));
  auto* form = new QFormLayout;
  form->addRow(TranslateGeneral(QStringLiteral("LineWidth"), QStringLiteral("Width")), cbWidth);
  form->addRow(TranslateWord(QStringLiteral("Color")), pColor);
  form->addRow(TranslateWord(QStringLiteral("Style")), cbStyle);
  form->addRow(bApplyForAll);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("data/stratcol"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
}

TBoundaryLine TFLCTopLine::Line() const {
  return {cbStyle->Style(), static_cast<int32_t>(pColor->Color()), cbWidth->Width()};
}

bool TFLCTopLine::ApplyForAll() const { return bApplyForAll->isChecked(); }

TfLCExport::TfLCExport(TLayerExportChoice* choice, QWidget* parent) : QDialog(parent), FChoice(choice) {
  setObjectName(QStringLiteral("TfLCExport"));
  setWindowTitle(TranslateWord(QStringLiteral("Export")));
  cbHole = new QComboBox(this);
  cbHole->setObjectName(QStringLiteral("cbHole"));
  cbHole->setEditable(true);
  cbHole->addItems(choice->Holes);
  cbHole->setCurrentText(choice->Hole);
  // Typed, pasted, browsed or cleared: an empty field exports the signs' own names.
  edFilter = new QLineEdit(choice->FilterPath, this);
  edFilter->setObjectName(QStringLiteral("edFilter"));
  edFilter->setClearButtonEnabled(true);
  edFilter->setPlaceholderText(
      TranslateGeneral(QStringLiteral("NoRockFilter"), QStringLiteral("None: the signs' own names are written")));
  btnBrowse = new QPushButton(QStringLiteral("..."), this);
  btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
  connect(btnBrowse, &QPushButton::clicked, this, [this] { Browse(); });
  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(edFilter, 1);
  filterRow->addWidget(btnBrowse);
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Drill-hole")), cbHole);
  form->addRow(TranslateWord(QStringLiteral("Filter")), filterRow);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("common/export_sec"));
  // Rows without a hole could not be told from other holes' rows.
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto holeNamed = [this, ok] { ok->setEnabled(!cbHole->currentText().trimmed().isEmpty()); };
  connect(cbHole, &QComboBox::currentTextChanged, this, holeNamed);
  holeNamed();
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
  resize(460, sizeHint().height());
}

void TfLCExport::Browse() {
  TFileDialogOptions options;
  options.Title = TranslateWord(QStringLiteral("Filter"));
  options.Filter = QStringLiteral("All supported formats|*.txt;*.csv;*.tab;*.prn;*.asc;*.xls|All files|*.*");
  options.FileName = FChoice->FilterPath;
  QString path;
  int index = 1;
  if (!Ui().OpenFileName(options, &path, &index) || path.isEmpty()) return;
  FChoice->FilterPath = path;
  LoadChoiceFilter(FChoice);
  edFilter->setText(FChoice->FilterPath);
}

void TfLCExport::done(int result) {
  if (result == QDialog::Accepted) {
    const QString typed = edFilter->text().trimmed();
    if (typed != FChoice->FilterPath) {
      FChoice->FilterPath = typed;
      LoadChoiceFilter(FChoice);
      // A typed file that cannot be read was reported; the user chooses again.
      if (FChoice->FilterPath != typed) {
        edFilter->setText(FChoice->FilterPath);
        return;
      }
    }
    FChoice->Hole = cbHole->currentText().trimmed();
  }
  QDialog::done(result);
}

bool RunAddLayerDialog(TPrintStratCol* column, QWidget* parent) {
  if (!column) return false;
  TFAddLCE dialog(column->ProposedFrom, column->ProposedTo, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  TStratColEntry* layer = column->AddLayer(dialog.From(), dialog.To());
  if (!layer) return false;
  layer->EditProperties();
  column->SortByTop();
  column->SetModified(true);
  column->Invalidate(column);
  return true;
}

bool RunTopLineDialog(TPrintStratCol* column, QWidget* parent) {
  if (!column) return false;
  TFLCTopLine dialog(column->TopLine(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  column->ApplyTopLine(dialog.Line(), dialog.ApplyForAll());
  return true;
}

void RegisterStratColDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintStratCol"),
                           [](TPrintObject* o) { return RunStratColDialog(dynamic_cast<TPrintStratCol*>(o)); });
  RegisterPropertiesDialog(QStringLiteral("TPrintStratCol.AddLayer"),
                           [](TPrintObject* o) { return RunAddLayerDialog(dynamic_cast<TPrintStratCol*>(o)); });
  RegisterPropertiesDialog(QStringLiteral("TPrintStratCol.TopBoundary"),
                           [](TPrintObject* o) { return RunTopLineDialog(dynamic_cast<TPrintStratCol*>(o)); });
  RegisterPropertiesDialog(QStringLiteral("TStratColEntry"),
                           [](TPrintObject* o) { return RunLayerDialog(dynamic_cast<TStratColEntry*>(o)); });
  SetLayerExportEditor([](TLayerExportChoice* choice) {
    TfLCExport dialog(choice);
    return dialog.exec() == QDialog::Accepted;
  });
  SetExportLogViewer([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
}
