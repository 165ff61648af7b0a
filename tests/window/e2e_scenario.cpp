// The program end to end on a real X display (run under xvfb-run): start,
// a new document from a template through the template dialog, a column
// inserted from the pop-up menu through its dialogs, dragged with the
// mouse, the drag undone, the document saved and opened again through the
// file dialogs. A picture of the whole screen is kept at every step.
//
//   kerno_e2e SCREENSHOT_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "uDocumentArea.h"
#include "uKernoChild.h"
#include "uKernoMainForm.h"
#include "uKinds.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uQtUiServices.h"
#include "uRegistration.h"
#include "uSettings.h"
#include "uSingleInstance.h"

namespace {

int gFailures = 0;
QString gShots;
int gShot = 0;

#define CHECK(condition)                                                                \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "e2e: check failed at line %d: %s\n", __LINE__, #condition); \
      ++gFailures;                                                                      \
    }                                                                                   \
  } while (0)

void Shot(const char* name) {
  QCoreApplication::processEvents();
  QTest::qWait(150);
  const QString file = QDir(gShots).filePath(
      QStringLiteral("%1-%2.png").arg(++gShot, 2, 10, QLatin1Char('0')).arg(QString::fromLatin1(name)));
  if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file)) {
    std::fprintf(stderr, "e2e: cannot save %s\n", qPrintable(file));
    ++gFailures;
  }
}

// Modal dialogs and pop-up menus block where they open: each expected one is
// handled by the next step of this queue, polled from the event loop.
struct TModalStep {
  const char* What;
  std::function<bool(QWidget*)> Matches;
  std::function<void(QWidget*)> Act;
};
std::deque<TModalStep> gSteps;

void PollModals() {
  if (gSteps.empty()) return;
  QWidget* top = QApplication::activePopupWidget();
  if (!top) top = QApplication::activeModalWidget();
  if (!top || !top->isVisible() || !gSteps.front().Matches(top)) return;
  TModalStep step = gSteps.front();
  gSteps.pop_front();
  std::fprintf(stderr, "e2e: %s\n", step.What);
  // Out of the poll: the step may open the next modal window, which this
  // timer must be free to find.
  QTimer::singleShot(0, top, [step, top] { step.Act(top); });
}

template <class T>
std::function<bool(QWidget*)> Is(const char* objectName = nullptr) {
  return [objectName](QWidget* w) {
    return qobject_cast<T*>(w) && (!objectName || w->objectName() == QLatin1String(objectName));
  };
}

void Expect(const char* what, std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act) {
  gSteps.push_back({what, std::move(matches), std::move(act)});
}

void ClickOk(QWidget* dialog) {
  if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("btnOK"))) {
    ok->click();
    return;
  }
  if (auto* box = dialog->findChild<QDialogButtonBox*>())
    if (QAbstractButton* ok = box->button(QDialogButtonBox::Ok)) {
      ok->click();
      return;
    }
  if (auto* d = qobject_cast<QDialog*>(dialog)) d->accept();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
  QCoreApplication::processEvents();
}

bool CopyFolder(const QString& from, const QString& to) {
  QDir().mkpath(to);
  for (const QFileInfo& f : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    const QString target = QDir(to).filePath(f.fileName());
    if (f.isDir() ? !CopyFolder(f.filePath(), target) : !QFile::copy(f.filePath(), target)) return false;
  }
  return true;
}

TPassportBody* BodyOf(TKernoChild* child) {
  return child ? dynamic_cast<TPassportBody*>(child->Document()->GetChild(1)) : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  gShots = QString::fromLocal8Bit(argv[1]);
  QDir(gShots).removeRecursively();
  QDir().mkpath(gShots);

  // A program folder of our own: the shipped packs, head files and icons.
  QTemporaryDir dir;
  const QString program = QStringLiteral(KERNO_PROGRAM_DIR);
  for (const char* part : {"english.vox", "russian.vox"})
    QFile::copy(program + QLatin1Char('/') + QString::fromLatin1(part), dir.filePath(QString::fromLatin1(part)));
  CopyFolder(program + QStringLiteral("/hdr"), dir.filePath(QStringLiteral("hdr")));
  CopyFolder(program + QStringLiteral("/icons"), dir.filePath(QStringLiteral("icons")));
  QDir().mkpath(dir.filePath(QStringLiteral("template")));
  {
    QFile t(dir.filePath(QStringLiteral("template/log.knt")));
    t.open(QIODevice::WriteOnly);
    t.write(
        "[TEMPLATE]\nNAME=Well log\nDESCRIPTION=A head and a body at 1:200 with depth scales on both sides.\n"
        "[PASSPORT]\nOBJECT1=Head_1 273\nOBJECT2=Body_1 274\n"
        "[Head_1]\nNAME=Well\nFILE=well_log.hdr\n"
        "[Body_1]\nNAME=Logs\nHEIGHT=300\nCHILDFLAGS=101\nOBJECT1=Scale_1 2\nOBJECT2=Scale_2 2\n"
        "[Scale_1]\nLEFT=0\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=4 RIGHT=1 FONT=1\n"
        "RULLER2=STEP=1 KOEF=5 MARKSIZE=1.5 RIGHT=1 FONT=0\n"
        "[Scale_2]\nLEFT=150\nWIDTH=20\nRULLER1=STEP=10 KOEF=5 MARKSIZE=4 RIGHT=0 FONT=1\n");
  }
  SetProgramDir(dir.path());
  TSettings settings(dir.filePath(QStringLiteral("Kerno.ini")));
  SetSettings(&settings);
  settings.SetLanguage(QStringLiteral("english"));
  settings.SetTipStartUp(false);
  SetInstanceServerName(QStringLiteral("kerno-e2e-%1").arg(QCoreApplication::applicationPid()));
  RegisterKinds();
  RegisterDialogs();
  TQtUiServices ui;
  SetUiServices(&ui);

  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &PollModals);
  poll.start(100);

  const QString saved = dir.filePath(QStringLiteral("scenario.knd"));
  {
    TkrKernoMainForm frame;
    frame.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    frame.show();
    QTest::qWait(800);
    CHECK(frame.Started());
    Shot("started");

    // A new document from the template dialog.
    Expect("template dialog", Is<QDialog>("TFSelectTemplate"), [](QWidget* w) {
      auto* list = w->findChild<QListWidget*>(QStringLiteral("lTemplates"));
      if (list) list->setCurrentRow(0);
      Shot("template-dialog");
      ClickOk(w);
    });
    frame.Actions().FileNew->trigger();
    QTest::qWait(300);
    TKernoChild* child = frame.ActiveChild();
    CHECK(child != nullptr);
    if (!child) return 1;
    TPassportBody* body = BodyOf(child);
    CHECK(body && body->Count() == 2);
    if (!body) return 1;
    TDocumentArea* area = child->Area();
    area->SetOrigin(-5, static_cast<int>(body->Top()) - 20);
    Shot("new-document");

    // A column from the pop-up menu of the body: kind, sides, its properties.
    const double y = body->Top() + 60;
    Expect("pop-up menu", Is<QMenu>("DocumentPopup"), [](QWidget* w) {
      Shot("popup-menu");
      auto* menu = static_cast<QMenu*>(w);
      QAction* add = menu->findChild<QAction*>(QStringLiteral("PopupAdd"));
      menu->setActiveAction(add);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    Expect("column kind", Is<QInputDialog>(), [](QWidget* w) {
      // The body offers its kinds in its own order: the scenario goes on with a depth scale.
      static_cast<QInputDialog*>(w)->setTextValue(TranslateKindName(kindDeepScale));
      Shot("column-kind");
      static_cast<QInputDialog*>(w)->accept();
    });
    Expect("new column", Is<QDialog>("TFNewColumn"), [](QWidget* w) {
      w->findChild<QLineEdit*>(QStringLiteral("sLeft"))->setText(QStringLiteral("60"));
      w->findChild<QLineEdit*>(QStringLiteral("sRight"))->setText(QStringLiteral("80"));
      Shot("new-column-dialog");
      ClickOk(w);
    });
    Expect("depth scale properties", Is<QDialog>("TFRullers"), [](QWidget* w) {
      Shot("depth-scale-dialog");
      ClickOk(w);
    });
    const QPoint inBody = area->PageToScreen(QPointF(100, y));
    Mouse(area, QEvent::MouseButtonPress, inBody, Qt::RightButton, Qt::RightButton);
    Mouse(area, QEvent::MouseButtonRelease, inBody, Qt::RightButton, Qt::NoButton);
    QTest::qWait(300);
    CHECK(gSteps.empty());
    body = BodyOf(child);
    CHECK(body->Count() == 3);
    TPrintObject* column = body->Count() == 3 ? body->GetChild(1) : nullptr;
    CHECK(column && column->Left() == 60);
    if (!column) return 1;
    Shot("column-inserted");

    // Dragged 30 mm to the right: the outline follows, the column moves once.
    const QPoint from = area->PageToScreen(QPointF(70, y));
    Mouse(area, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const int rendered = area->RenderCount();
    for (int step = 1; step <= 6; ++step)
      Mouse(area, QEvent::MouseMove, area->PageToScreen(QPointF(70 + 5 * step, y)), Qt::NoButton, Qt::LeftButton);
    CHECK(area->RenderCount() == rendered);
    Shot("dragging");
    Mouse(area, QEvent::MouseButtonRelease, area->PageToScreen(QPointF(100, y)), Qt::LeftButton, Qt::NoButton);
    CHECK(column->Left() == 90);
    Shot("dragged");

    frame.Actions().FileUndo->trigger();
    body = BodyOf(child);
    CHECK(body->Count() == 3 && body->GetChild(1)->Left() == 60);
    Shot("undone");

    // Copied and pasted with the keys: the copy goes right of the column;
    // undone, redone and undone again.
    Mouse(area, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(area, QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
    body = BodyOf(child);
    CHECK(child->Selected() == body->GetChild(1));
    // The keys are the frame's shortcuts: they reach it while it is the active window.
    frame.activateWindow();
    CHECK(QTest::qWaitForWindowActive(&frame));
    area->setFocus();
    QTest::keyClick(area, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
    QTest::qWait(100);
    body = BodyOf(child);
    CHECK(body->Count() == 4);
    CHECK(child->Selected() && child->Selected()->Left() == 80);
    Shot("pasted");
    QTest::keyClick(area, Qt::Key_Z, Qt::ControlModifier);
    CHECK(BodyOf(child)->Count() == 3);
    QTest::keyClick(area, Qt::Key_Y, Qt::ControlModifier);
    CHECK(BodyOf(child)->Count() == 4);
    QTest::keyClick(area, Qt::Key_Z, Qt::ControlModifier);
    body = BodyOf(child);
    CHECK(body->Count() == 3 && body->GetChild(1)->Left() == 60);

    // Saved through the save dialog, closed, opened through the open dialog.
    Expect("save dialog", Is<QFileDialog>(), [saved](QWidget* w) {
      auto* dialog = static_cast<QFileDialog*>(w);
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(saved);
      Shot("save-dialog");
      static_cast<QDialog*>(dialog)->accept();
    });
    frame.Actions().FileSaveAs->trigger();
    CHECK(QFileInfo::exists(saved));
    CHECK(child->Caption() == saved);
    child->close();
    QTest::qWait(300);
    CHECK(frame.Children().isEmpty());
    Expect("open dialog", Is<QFileDialog>(), [saved](QWidget* w) {
      auto* dialog = static_cast<QFileDialog*>(w);
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(saved);
      Shot("open-dialog");
      static_cast<QDialog*>(dialog)->accept();
    });
    frame.Actions().FileOpen->trigger();
    QTest::qWait(300);
    child = frame.ActiveChild();
    CHECK(child && child->Caption() == saved);
    body = BodyOf(child);
    CHECK(body && body->Count() == 3 && body->GetChild(1)->Left() == 60);
    Shot("reopened");

    // The page view with the grid, and the main menu.
    frame.Actions().ViewPage->trigger();
    frame.Actions().ViewGrid->trigger();
    if (child) child->Area()->SetZoom(0.5);
    Shot("page-view");
    QMenu* file = frame.menuBar()->actions()[0]->menu();
    file->popup(
        frame.menuBar()->mapToGlobal(frame.menuBar()->actionGeometry(frame.menuBar()->actions()[0]).bottomLeft()));
    Shot("file-menu");
    file->close();
    frame.close();
  }
  SetUiServices(nullptr);
  SetSettings(nullptr);
  SetProgramDir(QString());
  std::fprintf(stderr, "e2e: %d screenshots in %s, %d failed checks\n", gShot, qPrintable(gShots), gFailures);
  return gFailures == 0 ? 0 : 1;
}
