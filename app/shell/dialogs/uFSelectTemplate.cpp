#include "uFSelectTemplate.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uPrintDocument.h"
#include "uSettings.h"
#include "uUiServices.h"

namespace {

constexpr int kPictureSize = 64;

// The entry's picture stretched into a square, or a plain sheet without one.
QIcon EntryIcon(const TTemplateInfo& entry) {
  QPixmap square(kPictureSize, kPictureSize);
  square.fill(Qt::transparent);
  QPainter p(&square);
  const QPixmap picture(entry.Picture);
  if (!picture.isNull()) {
    p.drawPixmap(square.rect(), picture);
  } else {
    p.fillRect(QRect(10, 2, 44, 60), Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRect(10, 2, 43, 59));
    p.setPen(QColor(0xB0, 0xB0, 0xB0));
    for (int y = 14; y < 56; y += 6) p.drawLine(16, y, 47, y);
  }
  return QIcon(square);
}

}  // namespace

bool DeleteTemplateFiles(const QString& path) {
  if (!QFile::remove(path)) return false;
  const QFileInfo info(path);
  const QString knt = info.dir().filePath(info.completeBaseName() + QStringLiteral(".knt"));
  if (QFileInfo::exists(knt)) QFile::remove(knt);
  return true;
}

TFSelectTemplate::TFSelectTemplate(const QString& folder, QWidget* parent) : QDialog(parent), FFolder(folder) {
  setObjectName(QStringLiteral("TFSelectTemplate"));
  setWindowTitle(TranslateGeneral(QStringLiteral("SelectTemplate"), QStringLiteral("Select template")));
  lTemplates = new QListWidget(this);
  lTemplates->setObjectName(QStringLiteral("lTemplates"));
  lTemplates->setIconSize(QSize(kPictureSize, kPictureSize));
  lTemplates->setSpacing(2);
  lTemplates->setContextMenuPolicy(Qt::CustomContextMenu);
  lTemplates->setMinimumSize(320, 320);
  gbDescription = new QGroupBox(TranslateWord(QStringLiteral("Description")), this);
  gbDescription->setObjectName(QStringLiteral("gbDescription"));
  lDescription = new QLabel(gbDescription);
  lDescription->setObjectName(QStringLiteral("lDescription"));
  lDescription->setWordWrap(true);
  lDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lDescription->setMinimumWidth(220);
  auto* descriptionLayout = new QVBoxLayout(gbDescription);
  descriptionLayout->addWidget(lDescription);
  QDialogButtonBox* buttons = NewOkCancelButtons(this);
  btnOK = buttons->button(QDialogButtonBox::Ok);
  btnOK->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(lTemplates, &QListWidget::currentRowChanged, this, &TFSelectTemplate::CurrentChanged);
  connect(lTemplates, &QListWidget::itemDoubleClicked, this, [this] {
    if (!ChosenPath().isEmpty()) accept();
  });
  connect(lTemplates, &QListWidget::customContextMenuRequested, this, &TFSelectTemplate::ShowMenu);
  auto* row = new QHBoxLayout;
  row->addWidget(lTemplates, 3);
  row->addWidget(gbDescription, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  Fill();
  resize(620, 420);
}

void TFSelectTemplate::Fill() {
  lTemplates->clear();
  FEntries = ListTemplates(FFolder);
  for (const TTemplateInfo& e : FEntries) new QListWidgetItem(EntryIcon(e), e.Name, lTemplates);
  // The first template is chosen as the dialog opens, with its description
  // and OK ready, not only once the list takes the focus.
  if (!FEntries.empty() && lTemplates->currentRow() < 0) lTemplates->setCurrentRow(0);
  CurrentChanged();
}

QString TFSelectTemplate::ChosenPath() const {
  const int row = lTemplates->currentRow();
  return row >= 0 && row < static_cast<int>(FEntries.size()) ? FEntries[static_cast<size_t>(row)].Path : QString();
}

void TFSelectTemplate::CurrentChanged() {
  const int row = lTemplates->currentRow();
  const bool valid = row >= 0 && row < static_cast<int>(FEntries.size());
  lDescription->setText(valid ? FEntries[static_cast<size_t>(row)].Description : QString());
  btnOK->setEnabled(valid);
}

void TFSelectTemplate::DeleteCurrent() {
  const int row = lTemplates->currentRow();
  if (row < 0 || row >= static_cast<int>(FEntries.size())) return;
  const TTemplateInfo entry = FEntries[static_cast<size_t>(row)];
  const QString question =
      TranslateWord(QStringLiteral("Delete")) + QStringLiteral(" \"") + entry.Name + QLatin1Char('"');
  if (Ui().Message(TMsgKind::Question,
                   TranslateConfirmCaption(QStringLiteral("DeleteTemplate"), QStringLiteral("Delete template")),
                   question, mbYes | mbNo) != TMsgResult::Yes)
    return;
  if (!DeleteTemplateFiles(entry.Path)) {
    Ui().Message(TMsgKind::Error, windowTitle(),
                 TranslateError(QStringLiteral("CantDeleteFile"), QStringLiteral("Can't delete file")) +
                     QStringLiteral(": ") + entry.Path,
                 mbOK);
    return;
  }
  FEntries.erase(FEntries.begin() + row);
  delete lTemplates->takeItem(row);
  CurrentChanged();
}

void TFSelectTemplate::ShowMenu(const QPoint& pos) {
  QListWidgetItem* item = lTemplates->itemAt(pos);
  if (!item) return;
  lTemplates->setCurrentItem(item);
  QMenu menu(this);
  QAction* remove = menu.addAction(TranslateWord(QStringLiteral("Delete")));
  remove->setObjectName(QStringLiteral("miDelete"));
  if (menu.exec(lTemplates->viewport()->mapToGlobal(pos)) == remove) DeleteCurrent();
}

QString TFSelectTemplate::Execute(QWidget* parent) {
  TFSelectTemplate dialog(TemplateDir(), parent);
  return dialog.exec() == QDialog::Accepted ? dialog.ChosenPath() : QString();
}
