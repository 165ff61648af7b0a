#include "uHelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "uLanguage.h"
#include "uUiServices.h"

namespace {
QPointer<THelpWindow> gWindow;
}  // namespace

THelpWindow::THelpWindow() : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("THelpWindow"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  FBrowser = new QTextBrowser(this);
  FBrowser->setObjectName(QStringLiteral("HelpBrowser"));
  // Pages link each other by relative names; web addresses go to the browser.
  FBrowser->setOpenLinks(true);
  FBrowser->setOpenExternalLinks(true);
  auto* bar = new QToolBar(this);
  QAction* home = bar->addAction(TranslateGeneral(QStringLiteral("HelpContents"), QStringLiteral("Contents")));
  home->setObjectName(QStringLiteral("actHelpHome"));
  FBack = bar->addAction(TranslateGeneral(QStringLiteral("HelpBack"), QStringLiteral("Back")));
  FBack->setObjectName(QStringLiteral("actHelpBack"));
  FForward = bar->addAction(TranslateGeneral(QStringLiteral("HelpForward"), QStringLiteral("Forward")));
  FForward->setObjectName(QStringLiteral("actHelpForward"));
  home->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
  FBack->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  FForward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  FBack->setShortcut(QKeySequence::Back);
  FForward->setShortcut(QKeySequence::Forward);
  connect(home, &QAction::triggered, this, [this] { GoHome(); });
  connect(FBack, &QAction::triggered, FBrowser, &QTextBrowser::backward);
  connect(FForward, &QAction::triggered, FBrowser, &QTextBrowser::forward);
  connect(FBrowser, &QTextBrowser::backwardAvailable, FBack, &QAction::setEnabled);
  connect(FBrowser, &QTextBrowser::forwardAvailable, FForward, &QAction::setEnabled);
  connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] { UpdateTitle(); });
  FBack->setEnabled(false);
  FForward->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(FBrowser);
  resize(760, 620);
}

THelpWindow* THelpWindow::Current() { return gWindow.data(); }

bool THelpWindow::ShowTopic(const QString& topic) {
  const QString page = HelpPagePath(topic);
  if (page.isEmpty()) return false;
  if (!gWindow) gWindow = new THelpWindow();
  // A modal dialog blocks every other window: while one is open the help
  // window becomes its child, so the page can be read and scrolled beside it.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal != gWindow && gWindow->parentWidget() != modal) {
    gWindow->setParent(modal, Qt::Window);
  } else if (!modal && gWindow->parentWidget()) {
    gWindow->setParent(nullptr, Qt::Window);
  }
  gWindow->Open(page);
  gWindow->show();
  gWindow->raise();
  gWindow->activateWindow();
  return true;
}

void THelpWindow::GoHome() {
  const QString page = HelpPagePath(QStringLiteral("index"));
  if (!page.isEmpty()) Open(page);
}

void THelpWindow::Open(const QString& page) {
  const QUrl url = QUrl::fromLocalFile(page);
  if (FBrowser->source() == url) return;
  FBrowser->setSource(url);
}

void THelpWindow::UpdateTitle() {
  const QString help = TranslateWord(QStringLiteral("Help"));
  const QString title = FBrowser->documentTitle();
  setWindowTitle(title.isEmpty() ? help : title + QStringLiteral(" - ") + help);
}
