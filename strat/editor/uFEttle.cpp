#include "uFEttle.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>
#include <cmath>

#include "uNumbers.h"
#include "uSignEdits.h"
#include "uStratPrompts.h"
#include "uStratTexts.h"

namespace stratedit {

// The preview: a 10 mm grid and every template of the sign, at true size.
class TSignPreview : public QWidget {
 public:
  explicit TSignPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pbPreview"));
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void SetSign(IStratSign* sign) {
    FSign = sign;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const double kx = logicalDpiX() / 25.4, ky = logicalDpiY() / 25.4;
    painter.setPen(QPen(QColor(200, 200, 200), 0));
    for (int mm = 0; mm * kx < width(); mm += 10) {
      const int x = static_cast<int>(std::lround(mm * kx));
      painter.drawLine(x, 0, x, height());
    }
    for (int mm = 0; mm * ky < height(); mm += 10) {
      const int y = static_cast<int>(std::lround(mm * ky));
      painter.drawLine(0, y, width(), y);
    }
    if (!FSign) return;
    TComPtr<IStratField> templates;
    if (FSign->GetFields(templates.Put()) != S_OK) return;
    for (int32_t i = 0; i < templates->Count(); ++i) {
      TStratPlacement item{};
      if (templates->GetItem(i, &item) == S_OK) FSign->Draw(&painter, item, 0, 0, 1.0);
    }
  }

 private:
  IStratSign* FSign = nullptr;
};

namespace {
// Sliders start at 0..20 mm and grow to any value typed in.
constexpr int kSliderMax = 100;
// More blocks than this would not show anything more in the preview.
constexpr int32_t kMaxPreviewBlocks = 1000;

bool ReadsAs(const QString& text, double value) {
  QString t = text.trimmed();
  if (t.endsWith(u'.') || t.endsWith(u',')) {
    const QString body = t.left(t.size() - 1);
    if (!body.contains(u'.') && !body.contains(u',')) t = body;
  }
  const double read = ReadNumber(t.toStdString(), std::nan(""));
  return read == value;
}

int32_t BlockCount(int pixels, double dpi, double size, double space) {
  const double mm = RoundEven(pixels / (dpi / 25.4));
  const double step = size + space;
  if (!(step > 0.01)) return 1;
  return std::clamp<int32_t>(RoundEven(mm / step), 0, kMaxPreviewBlocks);
}
}  // namespace

TMillimetreEdit::TMillimetreEdit(QLineEdit* text, QSlider* slider, QObject* parent)
    : QObject(parent), FText(text), FSlider(slider) {
  FSlider->setRange(0, kSliderMax);
  connect(FText, &QLineEdit::textEdited, this, &TMillimetreEdit::TextEdited);
  connect(FSlider, &QSlider::valueChanged, this, &TMillimetreEdit::SliderMoved);
}

int TMillimetreEdit::SliderPosition(double value) { return RoundEven(std::clamp(value, -1e6, 1e6) * 5); }

void TMillimetreEdit::PlaceSlider(int position) {
  const QSignalBlocker block(FSlider);
  if (position - 1 < FSlider->minimum()) FSlider->setMinimum(position - 1);
  if (position + 1 > FSlider->maximum()) FSlider->setMaximum(position + 1);
  FSlider->setValue(position);
}

void TMillimetreEdit::SetValue(double value) {
  FValue = value;
  PlaceSlider(SliderPosition(value));
  const QSignalBlocker block(FText);
  if (!ReadsAs(FText->text(), value)) FText->setText(QString::fromStdString(FormatGeneral(value)));
}

void TMillimetreEdit::TextEdited(const QString& text) {
  const double value = ReadNumber(text.toStdString(), FSlider->value() / 5.0);
  FValue = std::isfinite(value) ? std::clamp(value, -1e5, 1e5) : FSlider->value() / 5.0;
  PlaceSlider(SliderPosition(FValue));
  emit Changed();
}

void TMillimetreEdit::SliderMoved(int position) {
  FValue = position / 5.0;
  const QSignalBlocker block(FText);
  if (!ReadsAs(FText->text(), FValue)) FText->setText(QString::fromStdString(FormatGeneral(FValue)));
  emit Changed();
}

TFEttle::TFEttle(IStratSign* sign, QWidget* parent) : QDialog(parent), FSign(sign) {
  setObjectName(QStringLiteral("FEttle"));
  setWindowTitle(TranslateGeneral("Ettle", "Sign properties"));
  if (stratCreateSign(FCopy.Put()) == S_OK && sign) stratCopy(sign, FCopy.Get());

  auto* grid = new QGridLayout;
  FName = new QLineEdit(this);
  FName->setObjectName(QStringLiteral("eName"));
  FName->setMaxLength(255);
  grid->addWidget(new QLabel(TranslateWord("Name"), this), 0, 0);
  grid->addWidget(FName, 0, 1, 1, 2);
  FCaption = new QLineEdit(this);
  FCaption->setObjectName(QStringLiteral("eCaption"));
  FCaption->setMaxLength(255);
  grid->addWidget(new QLabel(TranslateGeneral("SignCaption", "Caption"), this), 1, 0);
  grid->addWidget(FCaption, 1, 1, 1, 2);

  auto* tabs = new QHBoxLayout;
  FTabs = new QTabBar(this);
  FTabs->setObjectName(QStringLiteral("tcTemplates"));
  FTemplateButton = new QPushButton(this);
  FTemplateButton->setObjectName(QStringLiteral("btnTemplate"));
  FTemplateButton->setFixedWidth(32);
  tabs->addWidget(FTabs, 1);
  tabs->addWidget(FTemplateButton);
  grid->addLayout(tabs, 2, 0, 1, 3);

  const std::array<QString, 4> labels = {
      TranslateGeneral("Position", "Position") + QStringLiteral(" X"),
      TranslateGeneral("Position", "Position") + QStringLiteral(" Y"),
      TranslateGeneral("Space", "Space") + QStringLiteral(" X"),
      TranslateGeneral("Space", "Space") + QStringLiteral(" Y"),
  };
  const std::array<const char*, 4> names = {"PosX", "PosY", "SpaceX", "SpaceY"};
  for (size_t i = 0; i < FValues.size(); ++i) {
    auto* text = new QLineEdit(this);
    text->setObjectName(QStringLiteral("e") + QString::fromLatin1(names[i]));
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("tb") + QString::fromLatin1(names[i]));
    FValues[i] = new TMillimetreEdit(text, slider, this);
    const int row = 3 + static_cast<int>(i);
    grid->addWidget(new QLabel(labels[i], this), row, 0);
    grid->addWidget(text, row, 1);
    grid->addWidget(slider, row, 2);
    connect(FValues[i], &TMillimetreEdit::Changed, this, &TFEttle::RebuildTemplate);
  }
  FFill = new QCheckBox(TranslateWord("Fill"), this);
  FFill->setObjectName(QStringLiteral("cbFill"));
  grid->addWidget(FFill, 7, 1, 1, 2);

  FPreview = new TSignPreview(this);
  FPreview->SetSign(FCopy.Get());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
  FOk = buttons->button(QDialogButtonBox::Ok);
  FOk->setObjectName(QStringLiteral("btnOK"));
  FOk->setText(TranslateWord("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
  buttons->button(QDialogButtonBox::Cancel)->setText(TranslateWord("Cancel"));
  buttons->button(QDialogButtonBox::Help)->setText(TranslateWord("Help"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TFEttle::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this,
          [this] { Prompts().ShowHelp(this, QStringLiteral("data/lsdedit")); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(FPreview, 1);
  layout->addWidget(buttons);

  if (FCopy) {
    FName->setText(SignName(FCopy.Get()));
    FCaption->setText(SignCaption(FCopy.Get(), LanguageCode(), false));
  }
  connect(FName, &QLineEdit::textChanged, this, &TFEttle::UpdateOk);
  connect(FTabs, &QTabBar::currentChanged, this, [this](int index) {
    if (!FLoading) ShowTemplate(index);
  });
  connect(FTemplateButton, &QPushButton::clicked, this, &TFEttle::TemplateButtonClick);
  connect(FFill, &QCheckBox::toggled, this, &TFEttle::RebuildTemplate);
  FillTabs(0);
  UpdateOk();
}

int TFEttle::TemplateCount() const {
  TComPtr<IStratField> templates;
  if (!FCopy || FCopy->GetFields(templates.Put()) != S_OK) return 0;
  return templates->Count();
}

int TFEttle::CurrentTemplate() const { return FTabs->currentIndex(); }

void TFEttle::FillTabs(int select) {
  FLoading = true;
  while (FTabs->count() > 0) FTabs->removeTab(0);
  const int count = TemplateCount();
  for (int i = 0; i < count; ++i) FTabs->addTab(QString::number(i + 1));
  FTemplateButton->setText(count < 2 ? QStringLiteral("+") : QStringLiteral("-"));
  FTabs->setCurrentIndex(std::clamp(select, 0, std::max(0, count - 1)));
  FLoading = false;
  ShowTemplate(FTabs->currentIndex());
}

void TFEttle::ShowTemplate(int index) {
  TComPtr<IStratField> templates;
  TStratPlacement item{};
  const bool have = FCopy && FCopy->GetFields(templates.Put()) == S_OK && templates->GetItem(index, &item) == S_OK;
  FLoading = true;
  FValues[0]->SetValue(have ? item.OffsetX : 0);
  FValues[1]->SetValue(have ? item.OffsetY : 0);
  FValues[2]->SetValue(have ? item.SpaceX : 0);
  FValues[3]->SetValue(have ? item.SpaceY : 0);
  {
    const QSignalBlocker block(FFill);
    FFill->setChecked(have && (item.Flags & 1));
  }
  FFill->setEnabled(have);
  FLoading = false;
  FPreview->update();
}

void TFEttle::TemplateButtonClick() {
  TComPtr<IStratField> templates;
  if (!FCopy || FCopy->GetFields(templates.Put()) != S_OK) return;
  if (templates->Count() < 2) {
    TShortString name{};
    FCopy->GetName(&name);
    templates->Add(name);
  } else {
    templates->Delete(1);
  }
  FillTabs(templates->Count() - 1);
  RebuildTemplate();
}

void TFEttle::RebuildTemplate() {
  if (FLoading || !FCopy) return;
  TComPtr<IStratField> templates;
  const int index = FTabs->currentIndex();
  TStratPlacement item{};
  if (FCopy->GetFields(templates.Put()) != S_OK || templates->GetItem(index, &item) != S_OK) return;
  item.OffsetX = FValues[0]->Value();
  item.OffsetY = FValues[1]->Value();
  item.SpaceX = FValues[2]->Value();
  item.SpaceY = FValues[3]->Value();
  item.Flags = (item.Flags & ~1) | (FFill->isChecked() ? 1 : 0);
  item.CountX = BlockCount(FPreview->width(), FPreview->logicalDpiX(), FCopy->Width(), item.SpaceX);
  item.CountY = BlockCount(FPreview->height(), FPreview->logicalDpiY(), FCopy->Height(), item.SpaceY);
  templates->SetItem(index, item);
  FPreview->update();
}

void TFEttle::UpdateOk() { FOk->setEnabled(!FName->text().trimmed().isEmpty()); }

void TFEttle::accept() {
  if (!FCopy || FName->text().trimmed().isEmpty()) return;
  RenameSign(FCopy.Get(), FName->text());
  SetSignCaption(FCopy.Get(), LanguageCode(), FCaption->text().trimmed());
  if (FSign && stratCopy(FCopy.Get(), FSign) != S_OK) return;
  QDialog::accept();
}

}  // namespace stratedit
