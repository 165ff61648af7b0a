#include "uFDBProp.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "uStratPrompts.h"
#include "uStratTexts.h"

namespace stratedit {

TFDBProp::TFDBProp(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FDBProp"));
  setWindowTitle(TranslateWord("Properties"));
  auto* group = new QGroupBox(TranslateGeneral("AutoAdjuct", "Auto adjust"), this);
  auto* column = new QVBoxLayout(group);
  const std::array<QString, 6> texts = {
      TranslateGeneral("AdjuctExtended", "Extended Algorithm"),
      Translate("DBEDIT", "AdjuctFill", "Adjust filled signs"),
      Translate("DBEDIT", "AdjuctFillEx", "Advanced filling"),
      Translate("DBEDIT", "AdjuctFlow", "Adjust flow signs"),
      Translate("DBEDIT", "AdjuctFlowEx", "Advanced placing without overlay"),
      Translate("DBEDIT", "AdjuctDeleteEmpty", "Delete empty fields"),
  };
  const std::array<const char*, 6> names = {"cbExtended", "cbFill", "cbFillEx", "cbFlow", "cbFlowEx", "cbDeleteEmpty"};
  for (size_t i = 0; i < FBoxes.size(); ++i) {
    FBoxes[i] = new QCheckBox(texts[i], group);
    FBoxes[i]->setObjectName(QString::fromLatin1(names[i]));
    // The dependent switches sit under the one they depend on.
    const int indent = (i == 0) ? 0 : (i == 2 || i == 4) ? 40 : 20;
    FBoxes[i]->setContentsMargins(indent, 0, 0, 0);
    column->addWidget(FBoxes[i]);
    connect(FBoxes[i], &QCheckBox::toggled, this, &TFDBProp::UpdateEnabled);
  }
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
  layout->addWidget(group);
  layout->addWidget(buttons);
  UpdateEnabled();
}

void TFDBProp::SetOptions(int32_t options) {
  for (size_t i = 0; i < FBoxes.size(); ++i) FBoxes[i]->setChecked(options & (1 << i));
  FOther = options & ~0x3F;
  UpdateEnabled();
}

int32_t TFDBProp::Options() const {
  int32_t options = FOther;
  for (size_t i = 0; i < FBoxes.size(); ++i)
    if (FBoxes[i]->isChecked()) options |= (1 << i);
  return options;
}

void TFDBProp::UpdateEnabled() {
  const bool extended = FBoxes[0]->isChecked();
  FBoxes[1]->setEnabled(extended);
  FBoxes[3]->setEnabled(extended);
  FBoxes[5]->setEnabled(extended);
  FBoxes[2]->setEnabled(extended && FBoxes[1]->isChecked());
  FBoxes[4]->setEnabled(extended && FBoxes[3]->isChecked());
}

}  // namespace stratedit
