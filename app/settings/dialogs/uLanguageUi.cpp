#include "uLanguageUi.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolBar>
#include <QTranslator>

#include "uLanguage.h"

namespace {

const char* const kToolBarEntryProperty = "kernoToolBarEntry";

void SetHint(QAction* action, const QString& hint) {
  action->setStatusTip(hint);
  action->setToolTip(hint.isEmpty() ? action->text() : hint);
}

}  // namespace

QString StripControlPrefix(const QString& name) { return name.mid(2); }

void TranslateMainMenu(QMenuBar* menuBar) {
  if (!menuBar) return;
  for (QAction* item : menuBar->actions()) {
    QMenu* menu = item->menu();
    QString name = menu ? menu->objectName() : QString();
    if (name.isEmpty()) name = item->objectName();
    if (name.size() <= 2) continue;  // unnamed items (separators) keep their text
    const QString n = StripControlPrefix(name);
    const QString caption = Translate(QStringLiteral("MENU"), n, n);
    const QString hint =
        Translate(QStringLiteral("MENU"), n + QStringLiteral("Hint"), n + QStringLiteral(" operations"));
    item->setText(caption);
    if (menu) {
      menu->setTitle(caption);
      menu->setStatusTip(hint);
    }
    item->setStatusTip(hint);
  }
}

void TranslateActionList(const QList<QAction*>& actions) {
  for (QAction* action : actions) {
    const QString a = action ? action->objectName() : QString();
    if (a.isEmpty()) continue;
    action->setText(Translate(QStringLiteral("MENU"), a, a));
    SetHint(action, Translate(QStringLiteral("MENU"), a + QStringLiteral("Hint"), action->statusTip()));
  }
}

void TranslateDialogActions(const QString& section, const QList<QAction*>& actions) {
  for (QAction* action : actions) {
    const QString a = action ? action->objectName() : QString();
    if (a.isEmpty()) continue;
    action->setText(Translate(section, a + QStringLiteral(".Text"), a));
    SetHint(action, Translate(section, a + QStringLiteral(".Hint"), action->statusTip()));
  }
}

QList<QAction*> TranslateToolBars(QMainWindow* window, QMenu* toolBarMenu) {
  QList<QAction*> entries;
  if (!window) return entries;
  if (toolBarMenu) {
    for (QAction* old : toolBarMenu->actions()) {
      if (old->property(kToolBarEntryProperty).toBool()) {
        toolBarMenu->removeAction(old);
        old->deleteLater();
      }
    }
  }
  for (QToolBar* bar : window->findChildren<QToolBar*>()) {
    const QString t = bar->objectName();
    if (t.size() <= 2) continue;
    const QString text = Translate(QStringLiteral("TOOLBAR"), t, StripControlPrefix(t));
    bar->setWindowTitle(text);
    if (!toolBarMenu) continue;
    QAction* entry = toolBarMenu->addAction(text);
    entry->setProperty(kToolBarEntryProperty, true);
    entry->setCheckable(true);
    entry->setChecked(!bar->isHidden());
    QObject::connect(entry, &QAction::triggered, bar, &QToolBar::setVisible);
    QObject::connect(bar, &QToolBar::visibilityChanged, entry, &QAction::setChecked);
    entries << entry;
  }
  return entries;
}

void TranslateButtonBox(QDialogButtonBox* box) {
  if (!box) return;
  static const struct {
    QDialogButtonBox::StandardButton Button;
    const char* Word;
  } kWords[] = {{QDialogButtonBox::Ok, "OK"},      {QDialogButtonBox::Cancel, "Cancel"},
                {QDialogButtonBox::Help, "Help"},  {QDialogButtonBox::Yes, "Yes"},
                {QDialogButtonBox::No, "No"},      {QDialogButtonBox::Close, "Close"},
                {QDialogButtonBox::Apply, "Apply"}};
  for (const auto& w : kWords)
    if (QPushButton* b = box->button(w.Button)) b->setText(TranslateWord(QString::fromLatin1(w.Word)));
}

bool InstallQtTranslation() {
  // Owned by the application, so it goes with it.
  static QPointer<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  const QString code = TranslateGeneral(QStringLiteral("LanguageCode"), QStringLiteral("en")).trimmed().toLower();
  // A code names a file in Qt's folder: letters and an underscore, nothing that leaves it.
  static const QRegularExpression kCode(QStringLiteral("^[a-z]{2,3}(_[a-z]{2})?$"));
  if (code == QLatin1String("en") || !kCode.match(code).hasMatch()) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}
