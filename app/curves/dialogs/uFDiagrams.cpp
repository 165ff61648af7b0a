#include "uFDiagrams.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>
#include <cmath>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uFAddDiagramm.h"
#include "uFontEx.h"
#include "uLanguage.h"
#include "uLineStyleDialog.h"
#include "uNumbers.h"
#include "uPrintDiagrammBase.h"
#include "uPrintObjectRuller.h"
#include "uPrintText.h"
#include "uPropertiesDialogs.h"

namespace {

// The object's colour in the list: curve colour, text font colour, ruler colour.
QColor ChildColor(TPrintObject* child) {
  if (auto* curve = dynamic_cast<TPrintDiagrammBase*>(child)) return ColorRefToQColor(curve->Color());
  if (auto* text = dynamic_cast<TPrintText*>(child)) return ColorRefToQColor(text->Font().Color);
  if (auto* ruler = dynamic_cast<TPrintObjectRuller*>(child)) return ColorRefToQColor(ruler->LineStyle().Color);
  return QColor(Qt::black);
}

double ParseText(const QString& text, double def) { return ReadNumber(text.trimmed().toStdString(), def); }

// One pixel, whatever the zoom; not a number, so it reads back as -1.
QString DefaultWidthText() { return TranslateGeneral(QStringLiteral("DefaultWidth"), QStringLiteral("<default>")); }

QString WidthText(double width) {
  return width <= 0 ? DefaultWidthText() : QString::fromStdString(FormatGeneral(width));
}

}  // namespace

TFDiagrams::TFDiagrams(TPrintDiagrams* column, QWidget* parent) : QDialog(parent), FColumn(column) {
  setObjectName(QStringLiteral("TFDiagrams"));
  QString caption;
  column->GetCaption(&caption);
  setWindowTitle(caption);
  FSets[0] = column->HorzLines1;
  FSets[1] = column->HorzLines2;
  FSets[2] = column->VertLines1;
  FSets[3] = column->VertLines2;

  lList = new QListWidget(this);
  lList->setObjectName(QStringLiteral("lList"));
  iCurvePos = new QSpinBox(this);
  iCurvePos->setObjectName(QStringLiteral("iCurvePos"));
  tbCurvePos = new QSlider(Qt::Horizontal, this);
  tbCurvePos->setObjectName(QStringLiteral("tbCurvePos"));
  const int low = -RoundEven(column->Left());
  const int high = RoundEven(column->Left() + column->GetWidth());
  iCurvePos->setRange(low, high);
  tbCurvePos->setRange(low, high);
  auto* curves = new QGroupBox(TranslateWord(QStringLiteral("Curves")), this);
  auto* curvesLayout = new QVBoxLayout(curves);
  curvesLayout->addWidget(lList);
  auto* pos = new QHBoxLayout;
  auto* lCurvePos = new QLabel(TranslateWord(QStringLiteral("Position")), this);
  lCurvePos->setObjectName(QStringLiteral("lCurvePos"));
  pos->addWidget(lCurvePos);
  pos->addWidget(iCurvePos);
  pos->addWidget(tbCurvePos, 1);
  curvesLayout->addLayout(pos);

  auto* gGrid = new QGroupBox(TranslateWord(QStringLiteral("Grid")), this);
  gGrid->setObjectName(QStringLiteral("gGrid"));
  tabGrid = new QTabBar(gGrid);
  tabGrid->setObjectName(QStringLiteral("tabGrid"));
  const QString horz = TranslateGeneral(QStringLiteral("HorzLines"), QStringLiteral("Horizontal lines"));
  const QString vert = TranslateGeneral(QStringLiteral("VertLines"), QStringLiteral("Vertical lines"));
  tabGrid->addTab(horz);
  tabGrid->addTab(horz + QStringLiteral(" 2"));
  tabGrid->addTab(vert);
  tabGrid->addTab(vert + QStringLiteral(" 2"));
  cbStep = new QComboBox(gGrid);
  cbStep->setObjectName(QStringLiteral("cbStep"));
  cbStep->setEditable(true);
  cbStep->addItems({"0", "1", "2", "5", "10", "50", "100"});
  cbStyle = new TLineStyleCombo(gGrid);
  cbStyle->setObjectName(QStringLiteral("cbStyle"));
  cbColor = new TColorPanel(gGrid);
  cbColor->setObjectName(QStringLiteral("cbColor"));
  cbWidth = new QComboBox(gGrid);
  cbWidth->setObjectName(QStringLiteral("cbWidth"));
  cbWidth->setEditable(true);
  cbWidth->addItems({DefaultWidthText(), "0.1", "0.2", "0.3", "0.5", "1"});
  auto* form = new QFormLayout;
  form->addRow(TranslateWord(QStringLiteral("Step")), cbStep);
  form->addRow(TranslateWord(QStringLiteral("Style")), cbStyle);
  form->addRow(TranslateWord(QStringLiteral("Color")), cbColor);
  form->addRow(TranslateWord(QStringLiteral("Width")), cbWidth);
  auto* gridLayout = new QVBoxLayout(gGrid);
  gridLayout->addWidget(tabGrid);
  gridLayout->addLayout(form);

  QDialogButtonBox* buttons = NewOkCancelButtons(this, QStringLiteral("data/diagrams"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addWidget(curves, 1);
  root->addWidget(gGrid);
  root->addWidget(buttons);

  connect(lList, &QListWidget::currentRowChanged, this, &TFDiagrams::SelectChild);
  connect(lList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    TPrintObject* child = FColumn->GetChild(lList->row(item));
    if (child && child->EditProperties()) {
      FColumn->Invalidate(nullptr);
      FillList();
    }
  });
  connect(iCurvePos, &QSpinBox::valueChanged, this, &TFDiagrams::MoveChild);
  connect(tbCurvePos, &QSlider::valueChanged, this, &TFDiagrams::MoveChild);
  connect(tabGrid, &QTabBar::currentChanged, this, [this](int tab) {
    StoreSet(FTab);
    FTab = tab;
    ShowSet(tab);
  });
  connect(cbStep, &QComboBox::currentTextChanged, this, [this] { UpdateEnabled(); });
  FillList();
  SelectChild(-1);
  ShowSet(0);
}

void TFDiagrams::FillList() {
  const int row = lList->currentRow();
  lList->clear();
  for (int i = 0; i < FColumn->Count(); ++i) {
    TPrintObject* child = FColumn->GetChild(i);
    QString caption;
    if (child) child->GetCaption(&caption);
    if (caption.isEmpty() && child) caption = TranslateKindName(child->GetKind());
    auto* item = new QListWidgetItem(caption, lList);
    item->setForeground(ChildColor(child));
  }
  if (row >= 0 && row < lList->count()) lList->setCurrentRow(row);
}

void TFDiagrams::SelectChild(int row) {
  TPrintObject* child = row >= 0 ? FColumn->GetChild(row) : nullptr;
  iCurvePos->setEnabled(child != nullptr);
  tbCurvePos->setEnabled(child != nullptr);
  if (!child) return;
  FShowing = true;
  iCurvePos->setValue(RoundEven(child->Left()));
  tbCurvePos->setValue(RoundEven(child->Left()));
  FShowing = false;
}

void TFDiagrams::MoveChild(int left) {
  if (FShowing) return;
  TPrintObject* child = FColumn->GetChild(lList->currentRow());
  if (!child) return;
  FShowing = true;
  iCurvePos->setValue(left);
  tbCurvePos->setValue(left);
  FShowing = false;
  // Takes effect at once, whatever becomes of the dialog.
  child->SetLeft(left);
  FColumn->SetModified(true);
  FColumn->Invalidate(nullptr);
}

void TFDiagrams::ShowSet(int tab) {
  const TGridLines& g = FSets[tab];
  cbStep->setCurrentText(QString::fromStdString(FormatGeneral(g.Step)));
  cbStyle->SetStyle(g.LineStyle);
  cbColor->SetColor(g.LineColor);
  cbWidth->setCurrentText(WidthText(g.LineWidth));
  UpdateEnabled();
}

void TFDiagrams::StoreSet(int tab) {
  TGridLines& g = FSets[tab];
  g.Step = ParseText(cbStep->currentText(), 0);
  g.LineStyle = cbStyle->Style();
  g.LineColor = cbColor->Color();
  g.LineWidth = ParseText(cbWidth->currentText(), -1);
  if (g.LineWidth <= 0) g.LineWidth = -1;
}

void TFDiagrams::UpdateEnabled() {
  const bool on = ParseText(cbStep->currentText(), 0) > 0;
  cbStyle->setEnabled(on);
  cbColor->setEnabled(on);
  cbWidth->setEnabled(on);
}

void TFDiagrams::Apply() {
  StoreSet(FTab);
  FColumn->HorzLines1 = FSets[0];
  FColumn->HorzLines2 = FSets[1];
  FColumn->VertLines1 = FSets[2];
  FColumn->VertLines2 = FSets[3];
}

bool TFDiagrams::Execute(TPrintObject* object) {
  auto* column = dynamic_cast<TPrintDiagrams*>(object);
  if (!column) return false;
  TFDiagrams dialog(column);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.Apply();
  return true;
}

void RegisterCurveColumnDialogs() {
  RegisterPropertiesDialog(QStringLiteral("TPrintDiagrams"), &TFDiagrams::Execute);
  RegisterPropertiesDialog(QLatin1String(kAddCurveDialog), &TFAddDiagramm::Execute);
}
