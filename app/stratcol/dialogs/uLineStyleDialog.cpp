#include "uLineStyleDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumbers.h"

namespace {

QIcon StyleSample(int style) {
  QPixmap pm(96, 12);
  pm.fill(Qt::white);
  QPainter p(&pm);
  TBoundaryLine line;
  line.Style = style;
  line.LineWidth = -1;
  DrawBoundaryLine(&p, 2, 94, line, 1.0, 6);
  return QIcon(pm);
}

}  // namespace

TLineStyleCombo::TLineStyleCombo(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(96, 12));
  for (int s = 0; s <= 4; ++s) addItem(StyleSample(s), QString());
}

TLineWidthCombo::TLineWidthCombo(QWidget* parent) : QComboBox(parent) {
  addItem(TranslateGeneral("LineWidthThread", "(Thread)"), -1.0);
  addItem(TranslateGeneral("None", "(None)"), 0.0);
  for (int k = 1; k <= 10; ++k)
    addItem(QString::fromStdString(FormatGeneral(k / 5.0)) + " " + TranslateWord("mm"), k / 5.0);
}

double TLineWidthCombo::Width() const { return currentIndex() < 0 ? -1.0 : currentData().toDouble(); }

void TLineWidthCombo::SetWidth(double width) {
  if (std::isnan(width)) width = -1;
  if (width < 0) {
    // Any pixel width shows as the thread; an exact other pixel count keeps its own entry.
    if (width != -1.0) {
      addItem(QString::number(-width) + " px", width);
      setCurrentIndex(count() - 1);
      return;
    }
    setCurrentIndex(0);
    return;
  }
  const int k = RoundEven(width * 5) + 1;
  if (k < count() && std::fabs(itemData(k).toDouble() - width) < 1e-9) {
    setCurrentIndex(k);
    return;
  }
  addItem(QString::fromStdString(FormatGeneral(width)) + " " + TranslateWord("mm"), width);
  setCurrentIndex(count() - 1);
}

TfLineStyle::TfLineStyle(const TBoundaryLine& line, QWidget* parent) : QDialog(parent) {
  setObjectName("TfLineStyle");
  setWindowTitle(TranslateWord("Style"));
  cbStyle = new TLineStyleCombo(this);
  cbStyle->setObjectName("cbStyle");
  cbWidth = new TLineWidthCombo(this);
  cbWidth->setObjectName("cbWidth");
  pColor = new TColorPanel(this);
  pColor->setObjectName("pColor");
  cbStyle->SetStyle(line.Style);
  cbWidth->SetWidth(line.LineWidth);
  pColor->SetColor(static_cast<uint32_t>(line.Color));

  auto* form = new QFormLayout;
  form->addRow(TranslateWord("Style"), cbStyle);
  form->addRow(TranslateGeneral("LineWidth", "Line width"), cbWidth);
  form->addRow(TranslateWord("Color"), pColor);
  auto* buttons = NewOkCancelButtons(this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addWidget(buttons);
}

TBoundaryLine TfLineStyle::Line() const {
  TBoundaryLine line;
  line.Style = cbStyle->Style();
  line.Color = static_cast<int32_t>(pColor->Color());
  line.LineWidth = cbWidth->Width();
  return line;
}

bool EditLineStyle(QWidget* parent, TBoundaryLine* line) {
  if (!line) return false;
  TfLineStyle dialog(*line, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  *line = dialog.Line();
  return true;
}
