#include "uFontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uColorPanel.h"
#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uNumbers.h"

void TFontPreview::SetFont(const TFontEx& font, const QString& text) {
  FFont.Assign(font);
  FText = text;
  update();
}

void TFontPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  // The same steps as a text object on the page at zoom 1.
  TFontEx f;
  f.Assign(FFont);
  f.SetResolution(logicalDpiY());
  const QRect box(4, 4, width() - 8, height() - 8);
  f.DrawInRect(&p, box, f.WrapText(&p, box.width(), FText));
  p.setPen(Qt::lightGray);
  p.drawRect(box.adjusted(0, 0, -1, -1));
}

namespace {

QCheckBox* NewCheck(const QString& name, const QString& caption, QWidget* parent) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  return c;
}

}  // namespace

TfFont::TfFont(const TFontEx& font, const QString& sample, QWidget* parent)
    : QDialog(parent), FSample(sample.isEmpty() ? TranslateWord("Sample") : sample) {
  FFont.Assign(font);
  setObjectName("TfFont");
  setWindowTitle(TranslateWord("Font"));

  cbName = new QComboBox(this);
  cbName->setObjectName("cbName");
  sSize = new QLineEdit(this);
  sSize->setObjectName("sSize");
  sAngle = new QLineEdit(this);
  sAngle->setObjectName("sAngle");
  cbCharset = new QComboBox(this);
  cbCharset->setObjectName("cbCharset");
  cbAlign = new QComboBox(this);
  cbAlign->setObjectName("cbAlign");
  cbVAlign = new QComboBox(this);
  cbVAlign->setObjectName("cbVAlign");
  cbBold = NewCheck("cbBold", TranslateWord("Bold"), this);
  cbItalic = NewCheck("cbItalic", TranslateWord("Italic"), this);
  cbUnderline = NewCheck("cbUnderline", TranslateWord("Underline"), this);
  cbStrikeout = NewCheck("cbStrikeout", TranslateWord("Strikeout"), this);
  cbTransparent = NewCheck("cbTransparent", TranslateWord("Transparent"), this);
  cbWordBreak = NewCheck("cbWordBreak", TranslateGeneral("WordBreak", "Word break"), this);
  pColor = new TColorPanel(this);
  pColor->setObjectName("pColor");
  pBkgColor = new TColorPanel(this);
  pBkgColor->setObjectName("pBkgColor");
  pbPreview = new TFontPreview(this);
  pbPreview->setObjectName("pbPreview");
  pbPreview->setMinimumSize(360, 120);

  // Families that can show Cyrillic text, each once, sorted.
  QStringList families = QFontDatabase::families(QFontDatabase::Cyrillic);
  families.removeDuplicates();
  families.sort(Qt::CaseInsensitive);
  cbName->addItems(families);
  cbCharset->addItem("DEFAULT", 1);
  cbCharset->addItem("ANSI", 0);
  cbCharset->addItem("RUSSIAN", 204);
  cbAlign->addItems({TranslateWord("Left"), TranslateWord("Center"), TranslateWord("Right")});
  cbVAlign->addItems({TranslateWord("Up"), TranslateWord("Center"), TranslateWord("Down")});

  auto* form = new QFormLayout;
  form->addRow(TranslateWord("Font"), cbName);
  form->addRow(TranslateWord("Size"), sSize);
  form->addRow(TranslateWord("Angle"), sAngle);
  form->addRow(TranslateWord("Charset"), cbCharset);
  auto* align = new QHBoxLayout;
  align->addWidget(cbAlign);
  align->addWidget(cbVAlign);
  form->addRow(TranslateWord("Align"), align);
  auto* checks = new QGridLayout;
  checks->addWidget(cbBold, 0, 0);
  checks->addWidget(cbItalic, 0, 1);
  checks->addWidget(cbUnderline, 1, 0);
  checks->addWidget(cbStrikeout, 1, 1);
  checks->addWidget(cbTransparent, 2, 0);
  checks->addWidget(cbWordBreak, 2, 1);
  auto* colors = new QHBoxLayout;
  colors->addWidget(new QLabel(TranslateWord("Color"), this));
  colors->addWidget(pColor);
  colors->addWidget(new QLabel(TranslateGeneral("BkgColor", "Background color"), this));
  colors->addWidget(pBkgColor);
  colors->addStretch();
  auto* buttons = NewOkCancelButtons(this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* root = new QVBoxLayout(this);
  root->addLayout(form);
  root->addLayout(checks);
  root->addLayout(colors);
  root->addWidget(pbPreview, 1);
  root->addWidget(buttons);

  FormShow();

  // Every change updates the working font at once.
  connect(cbName, &QComboBox::currentIndexChanged, this, &TfFont::ControlsChanged);
  connect(sSize, &QLineEdit::textEdited, this, &TfFont::ControlsChanged);
  connect(sAngle, &QLineEdit::textEdited, this, &TfFont::ControlsChanged);
  for (QComboBox* c : {cbCharset, cbAlign, cbVAlign})
    connect(c, &QComboBox::currentIndexChanged, this, &TfFont::ControlsChanged);
  for (QCheckBox* c : {cbBold, cbItalic, cbUnderline, cbStrikeout, cbTransparent, cbWordBreak})
    connect(c, &QCheckBox::toggled, this, &TfFont::ControlsChanged);
  connect(pColor, &TColorPanel::ColorChanged, this, &TfFont::ControlsChanged);
  connect(pBkgColor, &TColorPanel::ColorChanged, this, &TfFont::ControlsChanged);
}

void TfFont::FormShow() {
  FLoading = true;
  const QString name = FFont.Name();
  int i = cbName->findText(name, Qt::MatchFixedString);
  if (i < 0) {
    // A face this machine lacks stays selectable, so OK does not change it.
    cbName->insertItem(0, name);
    i = 0;
  }
  cbName->setCurrentIndex(i);
  sSize->setText(QString::number(FFont.Size()));
  sAngle->setText(QString::number(FFont.Angle()));
  i = cbCharset->findData(static_cast<int>(FFont.Charset()));
  if (i < 0) {
    cbCharset->addItem(QString::number(FFont.Charset()), static_cast<int>(FFont.Charset()));
    i = cbCharset->count() - 1;
  }
  cbCharset->setCurrentIndex(i);
  cbAlign->setCurrentIndex((FFont.Format & DT_CENTER) ? 1 : (FFont.Format & DT_RIGHT) ? 2 : 0);
  cbVAlign->setCurrentIndex((FFont.Format & DT_VCENTER) ? 1 : (FFont.Format & DT_BOTTOM) ? 2 : 0);
  const int style = FFont.Style();
  cbBold->setChecked(style & fsBold);
  cbItalic->setChecked(style & fsItalic);
  cbUnderline->setChecked(style & fsUnderline);
  cbStrikeout->setChecked(style & fsStrikeOut);
  cbTransparent->setChecked(FFont.Transparent);
  cbWordBreak->setChecked(FFont.Format & DT_WORDBREAK);
  pColor->SetColor(FFont.Color);
  pBkgColor->SetColor(FFont.BkgColor);
  FLoading = false;
  UpdatePreview();
}

void TfFont::ControlsChanged() {
  if (FLoading) return;
  if (cbName->currentIndex() >= 0) FFont.SetName(cbName->currentText());
  double v = 0;
  // A field that is not a number keeps the previous value.
  if (ReadNumberField(sSize, &v)) FFont.SetSize(RoundEven(v));
  if (ReadNumberField(sAngle, &v)) FFont.SetAngle(RoundEven(v));
  FFont.SetCharset(static_cast<uint8_t>(cbCharset->currentData().toInt()));
  int format = FFont.Format & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_WORDBREAK);
  if (cbAlign->currentIndex() == 1) format |= DT_CENTER;
  if (cbAlign->currentIndex() == 2) format |= DT_RIGHT;
  if (cbVAlign->currentIndex() == 1) format |= DT_VCENTER;
  if (cbVAlign->currentIndex() == 2) format |= DT_BOTTOM;
  if (cbWordBreak->isChecked()) format |= DT_WORDBREAK;
  FFont.Format = format;
  int style = 0;
  if (cbBold->isChecked()) style |= fsBold;
  if (cbItalic->isChecked()) style |= fsItalic;
  if (cbUnderline->isChecked()) style |= fsUnderline;
  if (cbStrikeout->isChecked()) style |= fsStrikeOut;
  // Only a changed style is written: SetStyle would turn weight 600 into 700.
  if (style != FFont.Style()) FFont.SetStyle(style);
  FFont.Transparent = cbTransparent->isChecked();
  FFont.Color = pColor->Color();
  FFont.BkgColor = pBkgColor->Color();
  UpdatePreview();
}

void TfFont::UpdatePreview() { pbPreview->SetFont(FFont, FSample); }

bool EditFont(QWidget* parent, TFontEx* font, const QString& sample) {
  if (!font) return false;
  TfFont dialog(*font, sample, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  font->Assign(dialog.WorkFont());
  return true;
}
