#include "uFExportOptions.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uObjectImage.h"

TFExportOptions::TFExportOptions(TPrintObject* object, bool jpeg, QWidget* parent) : QDialog(parent), FObject(object) {
  setObjectName(QStringLiteral("TFExportOptions"));
  setWindowTitle(TranslateGeneral(QStringLiteral("ExportOptions"), QStringLiteral("Export options")));
  eScale = new QLineEdit(QStringLiteral("100"), this);
  eScale->setObjectName(QStringLiteral("eScale"));
  lSize = new QLabel(this);
  lSize->setObjectName(QStringLiteral("lSize"));
  tbQuality = new QSlider(Qt::Horizontal, this);
  tbQuality->setObjectName(QStringLiteral("tbQuality"));
  tbQuality->setRange(1, 100);
  tbQuality->setPageStep(10);
  lQualityValue = new QLabel(this);
  connect(tbQuality, &QSlider::valueChanged, lQualityValue, [this](int v) { lQualityValue->setNum(v); });
  tbQuality->setValue(TImageExportOptions().Quality);
  lQualityValue->setNum(tbQuality->value());

  auto* form = new QFormLayout();
  form->addRow(TranslateGeneral(QStringLiteral("ExportScale"), QStringLiteral("Scale, %")), eScale);
  form->addRow(QString(), lSize);
  auto* quality = new QHBoxLayout();
  quality->addWidget(tbQuality, 1);
  quality->addWidget(lQualityValue);
  lQuality = new QLabel(TranslateGeneral(QStringLiteral("JpegQuality"), QStringLiteral("Quality")), this);
  form->addRow(lQuality, quality);
  // The quality belongs to JPEG only.
  lQuality->setVisible(jpeg);
  tbQuality->setVisible(jpeg);
  lQualityValue->setVisible(jpeg);

  FButtons = NewOkCancelButtons(this, QStringLiteral("common/export"));
  connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(eScale, &QLineEdit::textChanged, this, [this] { ScaleChanged(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(FButtons);
  ScaleChanged();
}

double TFExportOptions::Scale() const { return FieldNumber(eScale->text(), 100) / 100; }

int TFExportOptions::Quality() const { return tbQuality->value(); }

void TFExportOptions::SetQuality(int quality) { tbQuality->setValue(quality); }

void TFExportOptions::ScaleChanged() {
  const double percent = ParseExportScalePercent(eScale->text());
  bool fits = percent > 0;
  if (percent > 0 && FObject) {
    const QSize size = ObjectBitmapSize(FObject, percent / 100);
    fits = BitmapSizeAllowed(size);
    const QString text =
        SubstituteArgs(TranslateGeneral(QStringLiteral("ImageSizePixels"), QStringLiteral("%s x %s pixels")),
                       {QString::number(size.width()), QString::number(size.height())});
    lSize->setText(fits ? text
                        : text + QStringLiteral(": ") +
                              TranslateGeneral(QStringLiteral("ImageTooLargeHint"), QStringLiteral("too large")));
  } else {
    lSize->clear();
  }
  FButtons->button(QDialogButtonBox::Ok)->setEnabled(fits);
}
