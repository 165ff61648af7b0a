#include "uFOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "uNumbers.h"
#include "uStratTexts.h"

namespace stratedit {

TFOptions::TFOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FOptions"));
  setWindowTitle(TranslateGeneral("Options", "Options"));
  auto* form = new QFormLayout;
  FIconSize = new QLineEdit(this);
  FIconSize->setObjectName(QStringLiteral("eIconSize"));
  form->addRow(TranslateGeneral("Iconsize", "Icon size"), FIconSize);
  FRealSize = new QCheckBox(TranslateGeneral("IconRealsize", "Do not scale icons"), this);
  FRealSize->setObjectName(QStringLiteral("cbRealSize"));
  form->addRow(FRealSize);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  FOk = buttons->button(QDialogButtonBox::Ok);
  FOk->setObjectName(QStringLiteral("btnOK"));
  FOk->setText(TranslateWord("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
  buttons->button(QDialogButtonBox::Cancel)->setText(TranslateWord("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FIconSize, &QLineEdit::textChanged, this, &TFOptions::UpdateOk);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  SetOptions(TEditorOptions{});
}

int TFOptions::ReadIconSize(const QString& text) {
  const double value = ReadNumber(text.toStdString(), TEditorOptions{}.IconSize);
  if (!std::isfinite(value) || std::fabs(value) > 1e6) return kMaxIconSize + 1;
  return static_cast<int>(std::lround(value));
}

void TFOptions::SetOptions(const TEditorOptions& options) {
  FIconSize->setText(QString::number(options.IconSize));
  FRealSize->setChecked(options.RealSize);
  UpdateOk();
}

TEditorOptions TFOptions::Options() const { return {ReadIconSize(FIconSize->text()), FRealSize->isChecked()}; }

void TFOptions::UpdateOk() {
  const int size = ReadIconSize(FIconSize->text());
  FOk->setEnabled(size >= kMinIconSize && size <= kMaxIconSize);
}

}  // namespace stratedit
