#include "uFValues.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "uDialogButtons.h"
#include "uLanguage.h"
#include "uNamedValueList.h"

TfValues::TfValues(TNamedValueList* values, QWidget* parent) : QDialog(parent), FValues(values) {
  setWindowTitle(TranslateGeneral(QStringLiteral("TableValues"), QStringLiteral("Table values")));
  gValues = new QTableWidget(values->Count(), 2, this);
  gValues->setObjectName(QStringLiteral("gValues"));
  gValues->setHorizontalHeaderLabels(
      {TranslateWord(QStringLiteral("Parameter")), TranslateWord(QStringLiteral("Value"))});
  gValues->horizontalHeader()->setStretchLastSection(true);
  gValues->verticalHeader()->setVisible(false);
  for (int i = 0; i < values->Count(); ++i) {
    auto* name = new QTableWidgetItem(values->At(i).Name);
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    gValues->setItem(i, 0, name);
    gValues->setItem(i, 1, new QTableWidgetItem(values->At(i).Value));
  }
  gValues->resizeColumnToContents(0);
  // Values are typed one after another: Tab and the arrow keys move between them.
  if (values->Count() > 0) gValues->setCurrentCell(0, 1);
  auto* buttons = NewOkCancelButtons(this, QStringLiteral("common/values"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gValues);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    Store();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Every parameter of a head in view where the screen allows (a sheet's head
  // has twenty or so; eight showed and the rest needed scrolling).
  const int rows = gValues->verticalHeader()->length() + gValues->horizontalHeader()->sizeHint().height();
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int most = screen ? screen->availableGeometry().height() * 4 / 5 : 600;
  resize(520, std::clamp(rows + buttons->sizeHint().height() + 40, 360, std::max(360, most)));
}

void TfValues::Store() {
  // A cell still being edited holds the text the user sees as typed.
  gValues->setCurrentItem(nullptr);
  for (int i = 0; i < gValues->rowCount() && i < FValues->Count(); ++i) {
    const QTableWidgetItem* value = gValues->item(i, 1);
    FValues->SetValueAt(i, value ? value->text() : QString());
  }
}

bool TfValues::Edit(TNamedValueList* values, QWidget* parent) {
  TfValues dialog(values, parent);
  return dialog.exec() == QDialog::Accepted;
}
