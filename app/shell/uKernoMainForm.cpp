#include "uKernoMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <limits>

#include "uAutoSave.h"
#include "uClipboardCommands.h"
#include "uDocumentArea.h"
#include "uExtraBlocks.h"
#include "uFAbout.h"
#include "uFOptions.h"
#include "uFSelectTemplate.h"
#include "uFTips.h"
#include "uImageExport.h"
#include "uKernoChild.h"
#include "uLanguage.h"
#include "uLanguageUi.h"
#include "uLasFillCommand.h"
#include "uLithologyEditor.h"
#include "uMenuBuilder.h"
#include "uNumberFields.h"
#include "uNumbers.h"
#include "uPictureDecoders.h"
#include "uPictureDrop.h"
#include "uPrintDocument.h"
#include "uPrinting.h"
#include "uSettings.h"
#include "uSingleInstance.h"
#include "uUiServices.h"

namespace {

// A new document's caption: the language's name for one and the number of
// windows open before it.
QString UntitledCaption(int windowsBefore) {
  return TranslateGeneral(QStringLiteral("NewFileName"), QStringLiteral("New pasport")) +
         QString::number(windowsBefore);
}

// Snapping steps the View > Snap menu offers (0: off).
constexpr double kSnapSteps[] = {0, 0.1, 0.2, 0.5, 1, 2, 5};

QString AppName() { return TranslateGeneral(QStringLiteral("AppName"), QStringLiteral("Kerno")); }

QString HelpPdfPath() { return ProgramDir() + QLatin1Char('/') + TranslateWord(QStringLiteral("help.pdf")); }

QString WebPage() { return Settings().ReadText(QStringLiteral("HELP"), QStringLiteral("WebPage")); }

QString SameFile(const QString& name) { return QFileInfo(name).absoluteFilePath(); }

// The sub-menus of the main menu are named like its top menus ("miScale").
void TranslateSubMenus(const QList<QMenu*>& menus) {
  for (QMenu* menu : menus) {
    const QString n = StripControlPrefix(menu->objectName());
    if (n.isEmpty()) continue;
    menu->setTitle(Translate(QStringLiteral("MENU"), n, n));
    menu->menuAction()->setStatusTip(
        Translate(QStringLiteral("MENU"), n + QStringLiteral("Hint"), n + QStringLiteral(" operations")));
  }
}

}  // namespace

TkrKernoMainForm::TkrKernoMainForm(QWidget* parent) : QMainWindow(parent), FPrinting(std::make_unique<TPrinting>()) {
  setObjectName(QStringLiteral("TkrKernoMainForm"));
  setWindowTitle(AppName());
  setWindowIcon(ActionIcon(QStringLiteral("kerno")));
  setAcceptDrops(true);
  FMdi = new QMdiArea(this);
  FMdi->setObjectName(QStringLiteral("MdiArea"));
  FMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FMdi->setBackground(QColor(0x9A, 0xA3, 0xAD));
  setCentralWidget(FMdi);
  FActions = CreateMainActions(this);
  FStatusLabel = new QLabel(this);
  FStatusLabel->setObjectName(QStringLiteral("StatusPosition"));
  FStatusLabel->setMinimumWidth(260);
  statusBar()->addPermanentWidget(FStatusLabel);
  FAutoSaveTimer = new QTimer(this);
  FAutoSaveTimer->setObjectName(QStringLiteral("AutoSaveTimer"));
  connect(FAutoSaveTimer, &QTimer::timeout, this, &TkrKernoMainForm::AutoSaveNow);
  FInstance = new TSingleInstance(this);
  connect(FInstance, &TSingleInstance::FilesReceived, this, &TkrKernoMainForm::ReceiveFiles);
  connect(FMdi, &QMdiArea::subWindowActivated, this, &TkrKernoMainForm::ChildActivated);
  ConnectCommands();
  RebuildRecentMenu();
  resize(1100, 800);
  UpdateCommands();
}

TkrKernoMainForm::~TkrKernoMainForm() {
  // The document windows go first, while the frame is whole, and report
  // nothing on their way out.
  FMdi->blockSignals(true);
  for (QMdiSubWindow* window : FMdi->subWindowList()) {
    window->blockSignals(true);
    if (auto* child = qobject_cast<TKernoChild*>(window)) child->Area()->blockSignals(true);
  }
  // Whatever the area's own destruction still sets off (focus changes) must
  // find no area rather than a half-destroyed one.
  QMdiArea* mdi = FMdi;
  FMdi = nullptr;
  delete mdi;
}

bool TkrKernoMainForm::ListenForInstances() { return FInstance->Listen(); }

void TkrKernoMainForm::ConnectCommands() {
  TMainActions& a = FActions;
  const auto on = [this](QAction* action, void (TkrKernoMainForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] {
      (this->*handler)();
      UpdateCommands();
    });
  };
  on(a.FileNew, &TkrKernoMainForm::FileNewExecute);
  on(a.FileOpen, &TkrKernoMainForm::FileOpenExecute);
  on(a.FileSave, &TkrKernoMainForm::FileSaveExecute);
  on(a.FileSaveAs, &TkrKernoMainForm::FileSaveAsExecute);
  on(a.FileSaveAll, &TkrKernoMainForm::FileSaveAllExecute);
  on(a.FilePrint, &TkrKernoMainForm::FilePrintExecute);
  on(a.FilePrintPreview, &TkrKernoMainForm::FilePrintPreviewExecute);
  on(a.FilePrintSetup, &TkrKernoMainForm::FilePrintSetupExecute);
  on(a.FileFillFromLas, &TkrKernoMainForm::FileFillFromLasExecute);
  on(a.FileExportLas, &TkrKernoMainForm::FileExportLasExecute);
  on(a.FileExport, &TkrKernoMainForm::FileExportExecute);
  on(a.FileAddBlock, &TkrKernoMainForm::FileAddBlockExecute);
  on(a.FileAddExtraBlock, &TkrKernoMainForm::FileAddExtraBlockExecute);
  on(a.FileEditExtraBlock, &TkrKernoMainForm::FileEditExtraBlockExecute);
  on(a.FileUndo, &TkrKernoMainForm::FileUndoExecute);
  connect(a.FileRecentClear, &QAction::triggered, this, [this] {
    Settings().SetRecentFiles({});
    RebuildRecentMenu();
  });
  connect(a.EditRedo, &QAction::triggered, this, [this] {
    if (TKernoChild* child = ActiveChild()) child->RedoLast();
  });
  on(a.TemplateSave, &TkrKernoMainForm::TemplateSaveExecute);
  on(a.EditDelete, &TkrKernoMainForm::EditDeleteExecute);
  connect(a.EditCut, &QAction::triggered, this, [this] { CutSelected(ActiveChild()); });
  connect(a.EditCopy, &QAction::triggered, this, [this] {
    CopySelected(ActiveChild());
    UpdateCommands();
  });
  connect(a.EditProperties, &QAction::triggered, this, [this] {
    TKernoChild* child = ActiveChild();
    if (TPrintObject* selected = child ? child->Selected() : nullptr)
      child->RunEdit([selected] { return selected->EditProperties(); });
  });
  connect(a.EditPaste, &QAction::triggered, this, [this] { PasteIntoSelected(ActiveChild()); });
  // Paste follows what the clipboard holds, whichever program put it there.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TkrKernoMainForm::UpdateCommands);
  on(a.ViewGrid, &TkrKernoMainForm::ViewGridExecute);
  on(a.ServiceStructure, &TkrKernoMainForm::ServiceStructureExecute);
  on(a.ServiceLDBEdit, &TkrKernoMainForm::ServiceLDBEditExecute);
  on(a.ServiceOptions, &TkrKernoMainForm::ServiceOptionsExecute);
  on(a.HelpPdf, &TkrKernoMainForm::HelpPdfExecute);
  on(a.HelpTips, &TkrKernoMainForm::HelpTipsExecute);
  on(a.HelpOnLine, &TkrKernoMainForm::HelpWebExecute);
  on(a.HelpWeb, &TkrKernoMainForm::HelpWebExecute);
  on(a.HelpAbout, &TkrKernoMainForm::HelpAboutExecute);
  connect(a.FileExit, &QAction::triggered, this, &QWidget::close);
  connect(a.HelpHelp, &QAction::triggered, this, [] { Ui().ShowHelp(QStringLiteral("index")); });
  connect(a.HelpNew, &QAction::triggered, this, [] { Ui().ShowHelp(QStringLiteral("version")); });
  connect(a.HelpTipsSwitch, &QAction::triggered, this, [this](bool checked) {
    Settings().SetTipStartUp(checked);
    UpdateCommands();
  });
  connect(a.ViewModes, &QActionGroup::triggered, this, &TkrKernoMainForm::ViewModeExecute);
  connect(a.Cursors, &QActionGroup::triggered, this, &TkrKernoMainForm::CursorCommandExecute);
  for (QAction* item : a.ZoomItems)
    connect(item, &QAction::triggered, this, [this, item] { ViewScaleClick(item->data().toInt()); });
  connect(a.ViewZoomIn, &QAction::triggered, this, [this] {
    if (TKernoChild* c = ActiveChild()) ViewScaleClick(static_cast<int>(std::lround(c->Area()->Zoom() * 125)));
  });
  connect(a.ViewZoomOut, &QAction::triggered, this, [this] {
    if (TKernoChild* c = ActiveChild()) ViewScaleClick(static_cast<int>(std::lround(c->Area()->Zoom() * 80)));
  });
  connect(a.ViewZoomWidth, &QAction::triggered, this, [this] {
    if (TKernoChild* c = ActiveChild()) c->Area()->FitWidth();
    UpdateCommands();
  });
  connect(a.ViewGoToDepth, &QAction::triggered, this, [this] {
    if (TKernoChild* c = ActiveChild()) c->GoToDepth();
  });
  connect(a.ZoomBox->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    QString text = FActions.ZoomBox->currentText();
    text.remove(QLatin1Char('%'));
    const double percent = ReadNumber(text.toStdString(), 0);
    if (percent > 0) ViewScaleClick(static_cast<int>(std::lround(percent)));
  });
  connect(a.ZoomBox, &QComboBox::activated, this,
          [this](int index) { ViewScaleClick(FActions.ZoomBox->itemData(index).toInt()); });
  connect(a.SnapMenu, &QMenu::aboutToShow, this, &TkrKernoMainForm::mnuSnapPopup);
  connect(a.WindowMenu, &QMenu::aboutToShow, this, &TkrKernoMainForm::FillWindowMenu);
  connect(a.WindowCascade, &QAction::triggered, FMdi, &QMdiArea::cascadeSubWindows);
  connect(a.WindowTile, &QAction::triggered, FMdi, &QMdiArea::tileSubWindows);
  connect(a.WindowNext, &QAction::triggered, FMdi, &QMdiArea::activateNextSubWindow);
  connect(a.WindowPrevious, &QAction::triggered, FMdi, &QMdiArea::activatePreviousSubWindow);
  connect(a.WindowClose, &QAction::triggered, FMdi, &QMdiArea::closeActiveSubWindow);
  connect(a.WindowCloseAll, &QAction::triggered, FMdi, &QMdiArea::closeAllSubWindows);
  FillWindowMenu();
}

// --- start-up ---

void TkrKernoMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FStarted) return;
  FStarted = true;
  // After the frame is on the screen: its boxes have a window to stand on.
  QTimer::singleShot(0, this, [this] {
    if (!StartUp(FStartArguments)) {
      close();
      QApplication::exit(1);
    }
  });
}

void TkrKernoMainForm::TranslateInterface() {
  TranslateMainMenu(menuBar());
  TranslateActionList(FActions.All());
  TranslateSubMenus(findChildren<QMenu*>(QRegularExpression(QStringLiteral("^mi"))));
  TranslateToolBars(this, FActions.ToolBarMenu);
  setWindowTitle(AppName());
  QGuiApplication::setApplicationDisplayName(AppName());
  UpdateTitle();
  UpdateCommands();
}

bool TkrKernoMainForm::StartUp(const QStringList& args) {
  FStarted = true;
  const QString pack = LanguagePackPath();
  if (!LoadLanguage(pack)) {
    Ui().Message(TMsgKind::Error, QStringLiteral("Kerno"), LanguageLoadFailureText(pack), mbOK);
    return false;
  }
  InstallQtTranslation();
  TranslateInterface();
  OpenFiles(FileArguments(args));
  UpdateCommands();
  RecoverAutoSave();
  const QString newer = Settings().OldVersionMessage();
  if (!newer.isEmpty()) Ui().Message(TMsgKind::Information, AppName(), newer, mbOK);
  if (!FTipsOffered && Settings().TipStartUp()) {
    FTipsOffered = true;
    QTimer::singleShot(0, this, &TkrKernoMainForm::HelpTipsExecute);
  }
  ArmAutoSave();
  return true;
}

// --- windows ---

QList<TKernoChild*> TkrKernoMainForm::Children() const {
  QList<TKernoChild*> children;
  if (!FMdi) return children;
  for (QMdiSubWindow* w : FMdi->subWindowList(QMdiArea::CreationOrder))
    if (auto* child = qobject_cast<TKernoChild*>(w); child && !child->Closed()) children << child;
  return children;
}

TKernoChild* TkrKernoMainForm::ActiveChild() const {
  if (!FMdi) return nullptr;
  QMdiSubWindow* w = FMdi->activeSubWindow();
  if (!w) w = FMdi->currentSubWindow();
  auto* child = qobject_cast<TKernoChild*>(w);
  return child && !child->Closed() ? child : nullptr;
}

TKernoChild* TkrKernoMainForm::AddChild() {
  auto* child = new TKernoChild;
  FMdi->addSubWindow(child);
  child->SetPageSize(FPrinting->PageSizeMM());
  connect(child, &TKernoChild::CommandsChanged, this, &TkrKernoMainForm::UpdateCommands);
  connect(child, &TKernoChild::CursorModeChanged, this, &TkrKernoMainForm::UpdateCommands);
  connect(child, &TKernoChild::CaptionChanged, this, [this](const QString& caption) {
    UpdateTitle();
    // Opened or saved under this name: a file worth offering again.
    if (QFileInfo(caption).isFile()) {
      Settings().AddRecentFile(SameFile(caption));
      RebuildRecentMenu();
    }
  });
  connect(child, &TKernoChild::StatusChanged, this, [this, child](const QString& text) {
    if (child == ActiveChild()) FStatusLabel->setText(text);
  });
  connect(child, &TKernoChild::StructureChanged, this, [this, child] {
    if (child == ActiveChild()) RebuildBlockMenus();
  });
  connect(child->Area(), &TDocumentArea::ViewChanged, this, [this, child] {
    if (child == ActiveChild()) UpdateCommands();
  });
  connect(child, &QObject::destroyed, this, [this] {
    // The window list changes after the close: refresh once it is gone.
    QTimer::singleShot(0, this, [this] {
      RebuildBlockMenus();
      UpdateCommands();
      UpdateTitle();
    });
  });
  return child;
}

void TkrKernoMainForm::ChildActivated(QMdiSubWindow*) {
  // The position shown belonged to the window left; the next mouse move over this one tells its own.
  FStatusLabel->clear();
  RebuildBlockMenus();
  UpdateCommands();
  UpdateTitle();
}

void TkrKernoMainForm::UpdateTitle() {
  TKernoChild* child = ActiveChild();
  setWindowTitle(child ? AppName() + QStringLiteral(" - [") + child->Caption() + QLatin1Char(']') : AppName());
}

TKernoChild* TkrKernoMainForm::OpenFile(const QString& name) {
  const QString path = SameFile(name);
  for (TKernoChild* child : Children()) {
    if (SameFile(child->Caption()) != path) continue;
    FMdi->setActiveSubWindow(child);
    child->showMaximized();
    Ui().Message(
        TMsgKind::Information, AppName(),
        SubstituteArgs(TranslateGeneral(QStringLiteral("FileAllreadyOpened"), QStringLiteral("File %s already opened")),
                       {path}),
        mbOK);
    return child;
  }
  const auto fileOf = [&path](const char* suffix) {
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0 &&
           QFileInfo(path).isFile();
  };
  if (fileOf("las")) return OpenLasFile(path);
  // A template opened (double-clicked, named on the command line) starts a new
  // document, as File > New does: saving must never write a document over it.
  if (fileOf("knt")) return NewFromTemplate(path);
  if (fileOf("kno")) return OpenObjectFile(path);
  TKernoChild* child = AddChild();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QString error;
  const bool loaded = QFileInfo(path).isFile() && child->LoadFile(path, &error);
  QApplication::restoreOverrideCursor();
  if (!loaded) return DropChild(child, path);
  return ShowChild(child, path);
}

void TkrKernoMainForm::OpenFiles(const QStringList& names) {
  for (const QString& name : names) OpenFile(name);
}

TKernoChild* TkrKernoMainForm::OpenRecent(const QString& path) {
  TKernoChild* child = OpenFile(path);
  if (!child && !QFileInfo::exists(path)) {
    Settings().RemoveRecentFile(path);
    RebuildRecentMenu();
  }
  return child;
}

void TkrKernoMainForm::RebuildRecentMenu() {
  QMenu* menu = FActions.RecentMenu;
  menu->clear();
  const QStringList files = Settings().RecentFiles();
  int n = 0;
  for (const QString& path : files) {
    ++n;
    // "&1 name": the digit chooses it from the keyboard; the hint shows the folder.
    QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(n).arg(QFileInfo(path).fileName()));
    item->setObjectName(QStringLiteral("RecentFile%1").arg(n));
    item->setStatusTip(path);
    item->setToolTip(path);
    connect(item, &QAction::triggered, this, [this, path] { OpenRecent(path); });
  }
  if (!files.isEmpty()) menu->addSeparator();
  menu->addAction(FActions.FileRecentClear);
  FActions.FileRecentClear->setEnabled(!files.isEmpty());
}

TKernoChild* TkrKernoMainForm::NewFromTemplate(const QString& path) {
  const int before = static_cast<int>(Children().size());
  TKernoChild* child = AddChild();
  QString error;
  if (!child->LoadFile(path, &error)) return DropChild(child, path);
  return ShowChild(child, UntitledCaption(before));
}

TKernoChild* TkrKernoMainForm::OpenObjectFile(const QString& path) {
  const int before = static_cast<int>(Children().size());
  TKernoChild* child = AddChild();
  QString error;
  if (!child->LoadObjectBlock(path, &error)) return DropChild(child, path, error);
  // Untitled: Save writes a document, never over the object file.
  const QFileInfo file(path);
  child->SetSuggestedFileName(file.absolutePath() + QLatin1Char('/') + file.completeBaseName() +
                              QStringLiteral(".knd"));
  return ShowChild(child, UntitledCaption(before));
}

TKernoChild* TkrKernoMainForm::ShowChild(TKernoChild* child, const QString& caption) {
  child->SetCaption(caption);
  child->showMaximized();
  FMdi->setActiveSubWindow(child);
  UpdateCommands();
  return child;
}

TKernoChild* TkrKernoMainForm::DropChild(TKernoChild* child, const QString& path, const QString& reason) {
  child->SetAskOnClose(false);
  child->close();
  Ui().Message(TMsgKind::Error, AppName(),
               TranslateError(QStringLiteral("CantLoadFile"), QStringLiteral("Can't Load File")) +
                   QStringLiteral(": ") + path + (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason),
               mbOK);
  UpdateCommands();
  return nullptr;
}

TKernoChild* TkrKernoMainForm::OpenLasFile(const QString& path) {
  const QString question = SubstituteArgs(
      TranslateGeneral(QStringLiteral("OpenLasAsNew"),
                       QStringLiteral("%s is a LAS file, not a Kerno document.\nMake a new document from "
                                      "the curve log template and fill it with the file's curves?")),
      {QFileInfo(path).fileName()});
  if (Ui().Message(TMsgKind::Question, AppName(), question, mbYes | mbNo) != TMsgResult::Yes) return nullptr;
  // The shipped curve log template; where it was taken away, the user picks one.
  QString templatePath = TemplateDir() + QStringLiteral("curve_log.knt");
  if (!QFileInfo(templatePath).isFile()) templatePath = TFSelectTemplate::Execute(this);
  if (templatePath.isEmpty()) return nullptr;
  TKernoChild* child = NewFromTemplate(templatePath);
  if (!child) return nullptr;
  // The fill reports what it took; a file it cannot read leaves no empty window behind.
  if (!child->RunEdit([child, path] { return FillDocumentFromLas(child->Document(), path); })) {
    child->SetAskOnClose(false);
    child->close();
    UpdateCommands();
    return nullptr;
  }
  // Saved, it is offered beside the LAS file under the same name.
  const QFileInfo las(path);
  child->SetSuggestedFileName(las.absolutePath() + QLatin1Char('/') + las.completeBaseName() + QStringLiteral(".knd"));
  return child;
}

void TkrKernoMainForm::ReceiveFiles(const QStringList& names) {
  if (isMinimized())
    showNormal();
  else
    show();
  raise();
  activateWindow();
  OpenFiles(names);
}

bool TkrKernoMainForm::SaveTemplate(const QString& name) {
  TKernoChild* child = ActiveChild();
  if (!child || name.trimmed().isEmpty()) return false;
  QDir().mkpath(TemplateDir());
  const QString path = TemplateDir() + QFileInfo(name.trimmed()).fileName() + QStringLiteral(".knd");
  if (QFileInfo::exists(path) &&
      Ui().Message(TMsgKind::Question, AppName(),
                   Translate(QStringLiteral("CONFIRM"), QStringLiteral("SaveTemplate.Exists"),
                             QStringLiteral("This template is already exists/ Replace?")),
                   mbYes | mbNo) != TMsgResult::Yes)
    return false;
  QString error;
  if (child->Document()->SaveAsTemplate(path, &error)) return true;
  Ui().Message(
      TMsgKind::Error, AppName(),
      TranslateError(QStringLiteral("CantSaveFile"), QStringLiteral("Can't save file")) + QStringLiteral(": ") + path,
      mbOK);
  return false;
}

// --- auto-save ---

void TkrKernoMainForm::ArmAutoSave() {
  FAutoSaveTimer->stop();
  if (!Settings().AutoSave()) return;
  FAutoSaveTimer->start(Settings().AutoSaveInterval() * 60000);
}

bool TkrKernoMainForm::AutoSaveNow() {
  statusBar()->showMessage(TranslateWord(QStringLiteral("AutoSave")));
  std::vector<std::pair<QString, TPrintDocument*>> documents;
  for (TKernoChild* child : Children()) documents.emplace_back(child->Caption(), child->Document());
  const bool ok = WriteAutoSave(documents);
  statusBar()->showMessage(TranslateWord(QStringLiteral("Ready")), 3000);
  return ok;
}

int TkrKernoMainForm::RecoverAutoSave() {
  int restored = 0;
  for (const TAutoSaveEntry& e : ReadAutoSaveList()) {
    if (!QFileInfo(e.Temp).isFile()) continue;
    TKernoChild* child = AddChild();
    QString error;
    if (!child->LoadCopy(e.Temp, &error)) {
      child->SetAskOnClose(false);
      child->close();
      continue;
    }
    child->SetCaption(RepairedCaption(e.Real));
    child->show();
    ++restored;
  }
  if (restored > 0) {
    Ui().Message(TMsgKind::Information, AppName(), TranslateWord(QStringLiteral("FilesRestored")), mbOK);
    FMdi->cascadeSubWindows();
  }
  UpdateCommands();
  return restored;
}

// --- commands' states ---

void TkrKernoMainForm::UpdateCommands() {
  TCommandState s;
  TKernoChild* child = ActiveChild();
  s.DocumentCount = static_cast<int>(Children().size());
  s.HasActive = child != nullptr;
  if (child) {
    TPrintDocument* document = child->Document();
    s.CanUndo = child->Undo().Count() > 0;
    s.CanRedo = child->Undo().RedoCount() > 0;
    s.HasAddBlocks = document->HasAddBlocks();
    s.HasExtraBlocks = document->ExtraBlocks() && document->ExtraBlocks()->Count() > 0;
    TPrintObject* selected = child->Selected();
    s.CanDelete = selected && (selected->Flags() & pfDeletable) && selected->Parent();
    s.HasSelection = selected != nullptr;
    s.CanCopy = CanCopySelected(child);
    s.CanPaste = ClipboardCanPaste();
    s.ViewOptions = child->Area()->ViewOptions();
    s.CursorMode = child->CursorMode();
    s.Zoom = child->Area()->Zoom();
  }
  s.Grid = Settings().Grid();
  s.TipStartUp = Settings().TipStartUp();
  s.HelpPdfExists = QFileInfo::exists(HelpPdfPath());
  s.WebPageKnown = !WebPage().isEmpty();
  UpdateMainActions(FActions, s);
}

void TkrKernoMainForm::RebuildBlockMenus() {
  for (QMenu* menu : FBlockMenus) {
    menuBar()->removeAction(menu->menuAction());
    // It may be the menu whose command is running right now.
    menu->deleteLater();
  }
  FBlockMenus.clear();
  TKernoChild* child = ActiveChild();
  FMenuChild = child;
  if (!child) return;
  // The main menu as data: the document puts its blocks from position 2 on.
  TMenuEntry main;
  main.Add(QStringLiteral("File"));
  main.Add(QStringLiteral("Edit"));
  child->Document()->AddBlockMenus(&main);
  QPointer<TKernoChild> target = child;
  for (const TMenuEntry& entry : main.Items) {
    if (!IsBlockMenuTag(entry.Tag)) continue;
    // No icon: a menu bar shows a menu's icon in place of its title.
    auto* menu = new QMenu(entry.Caption, menuBar());
    menu->menuAction()->setStatusTip(DataMenuHint());
    const uint32_t blockTag = entry.Tag;
    const auto run = [this, target, blockTag](uint32_t tag) {
      if (!target) return;
      target->RunBlockCommand([&] { return target->Document()->ExecuteBlockCommand(blockTag, tag); });
      target->Refresh();
      UpdateCommands();
    };
    FillMenu(menu, entry, run);
    // Captions follow the block's state ("Enable boundary floating" turns into
    // "Disable ..." once on, whichever way it was switched): the menu is
    // filled afresh each time it opens.
    connect(menu, &QMenu::aboutToShow, menu, [menu, target, blockTag, run] {
      if (!target) return;
      TMenuEntry fresh;
      target->Document()->AddBlockMenus(&fresh);
      for (const TMenuEntry& item : fresh.Items) {
        if (item.Tag != blockTag) continue;
        for (QMenu* sub : menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) sub->deleteLater();
        menu->clear();
        FillMenu(menu, item, run);
      }
    });
    menuBar()->insertMenu(FActions.ViewMenu->menuAction(), menu);
    FBlockMenus << menu;
  }
}

void TkrKernoMainForm::FillWindowMenu() {
  QMenu* menu = FActions.WindowMenu;
  menu->clear();
  menu->addActions({FActions.WindowCascade, FActions.WindowTile});
  menu->addSeparator();
  menu->addActions({FActions.WindowNext, FActions.WindowPrevious});
  menu->addSeparator();
  menu->addActions({FActions.WindowClose, FActions.WindowCloseAll});
  const QList<TKernoChild*> children = Children();
  if (!children.isEmpty()) menu->addSeparator();
  int n = 1;
  for (TKernoChild* child : children) {
    QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(n++).arg(child->Caption()));
    item->setCheckable(true);
    item->setChecked(child == ActiveChild());
    connect(item, &QAction::triggered, this, [this, child] { FMdi->setActiveSubWindow(child); });
  }
}

void TkrKernoMainForm::RefreshAllAreas() {
  for (TKernoChild* child : Children()) child->Refresh();
}

// --- commands ---

void TkrKernoMainForm::FileNewExecute() {
  const QString path = TFSelectTemplate::Execute(this);
  if (!path.isEmpty()) NewFromTemplate(path);
}

void TkrKernoMainForm::FileOpenExecute() {
  const QStringList names =
      QFileDialog::getOpenFileNames(this, TranslateFileTitle(QStringLiteral("knd")), FileDialogStartPath(QString()),
                                    FilterToQt(TranslateFileMask(QStringLiteral("knd"))));
  if (!names.isEmpty()) RememberFileDialogChoice(names.first());
  OpenFiles(names);
}

void TkrKernoMainForm::FileSaveExecute() {
  if (TKernoChild* child = ActiveChild()) child->Save();
}

void TkrKernoMainForm::FileSaveAsExecute() {
  if (TKernoChild* child = ActiveChild()) child->SaveAs();
}

void TkrKernoMainForm::FileSaveAllExecute() {
  for (TKernoChild* child : Children()) child->Save();
}

void TkrKernoMainForm::FilePrintExecute() {
  if (TKernoChild* child = ActiveChild()) FPrinting->Print(child->Document(), this);
}

void TkrKernoMainForm::FilePrintPreviewExecute() {
  if (TKernoChild* child = ActiveChild()) FPrinting->Preview(child->Document(), this);
}

void TkrKernoMainForm::FilePrintSetupExecute() {
  FPrinting->SetUp(this);
  // The pages are tiled anew by the page the printer now has.
  for (TKernoChild* child : Children()) child->SetPageSize(FPrinting->PageSizeMM());
  if (TKernoChild* child = ActiveChild()) child->Refresh();
}

void TkrKernoMainForm::FileFillFromLasExecute() {
  if (TKernoChild* child = ActiveChild()) child->RunEdit([child] { return FillDocumentFromLas(child->Document()); });
}

void TkrKernoMainForm::FileExportLasExecute() {
  // The file is named after the document's file.
  if (TKernoChild* child = ActiveChild())
    ExportDocumentLas(child->Document(), QFileInfo(child->Caption()).completeBaseName() + QStringLiteral(".las"));
}

void TkrKernoMainForm::FileExportExecute() {
  // The picture is named after the document's file.
  if (TKernoChild* child = ActiveChild())
    ExportObjectImage(child->Document(), this, QFileInfo(child->Caption()).completeBaseName());
}

void TkrKernoMainForm::FileAddBlockExecute() {
  if (TKernoChild* child = ActiveChild()) child->RunEdit([child] { return child->Document()->AddBlockFromTemplate(); });
}

void TkrKernoMainForm::FileAddExtraBlockExecute() {
  if (TKernoChild* child = ActiveChild()) child->RunEdit([child] { return child->Document()->InsertExtraBlock(); });
}

void TkrKernoMainForm::FileEditExtraBlockExecute() {
  if (TKernoChild* child = ActiveChild()) child->RunEdit([child] { return child->Document()->EditExtraBlocks(); });
}

void TkrKernoMainForm::FileUndoExecute() {
  if (TKernoChild* child = ActiveChild()) child->UndoLast();
}

void TkrKernoMainForm::TemplateSaveExecute() {
  if (!ActiveChild()) return;
  QStringList names;
  for (const TTemplateInfo& e : ListTemplates(TemplateDir())) names << QFileInfo(e.Path).completeBaseName();
  QString name;
  if (!Ui().PromptTextOffering(Translate(QStringLiteral("CONFIRM"), QStringLiteral("SaveTemplate.Caption"),
                                         QStringLiteral("Enter template name")),
                               TranslateGeneral(QStringLiteral("Name"), QStringLiteral("Name")), names, &name))
    return;
  SaveTemplate(name);
}

void TkrKernoMainForm::EditDeleteExecute() {
  TKernoChild* child = ActiveChild();
  TPrintObject* selected = child ? child->Selected() : nullptr;
  if (selected) child->RunEdit([selected] { return selected->DeleteWithConfirm(); });
}

void TkrKernoMainForm::ViewModeExecute(QAction* action) {
  if (TKernoChild* child = ActiveChild()) child->Area()->SetViewOptions(action->data().toUInt());
  UpdateCommands();
}

void TkrKernoMainForm::ViewScaleClick(int percent) {
  if (TKernoChild* child = ActiveChild()) child->Area()->SetZoom(percent / 100.0);
  UpdateCommands();
}

void TkrKernoMainForm::ViewGridExecute() {
  Settings().SetGrid(!Settings().Grid());
  RefreshAllAreas();
}

void TkrKernoMainForm::SnapClick(double step) {
  Settings().SetSnap(step);
  RefreshAllAreas();
}

void TkrKernoMainForm::miSnapSelectClick() {
  QString text = Settings().SnapText();
  if (!Ui().PromptText(TranslateWord(QStringLiteral("Snap")), TranslateWord(QStringLiteral("Snap")), &text)) return;
  // Text that is no step keeps the current one, and says so.
  const double step = FieldNumber(text, std::numeric_limits<double>::quiet_NaN());
  if (!std::isfinite(step) || step < 0) {
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Snap")),
                 SubstituteArgs(TranslateError(QStringLiteral("SnapNotStep"),
                                               QStringLiteral("\"%s\" is not a snapping step in millimetres (0 "
                                                              "switches snapping off)")),
                                {text.trimmed()}),
                 mbOK);
    return;
  }
  SnapClick(step);
}

void TkrKernoMainForm::mnuSnapPopup() {
  QMenu* menu = FActions.SnapMenu;
  menu->clear();
  const double current = Settings().Snap();
  for (const double step : kSnapSteps) {
    const QString caption = step == 0 ? TranslateGeneral(QStringLiteral("none"), QStringLiteral("(None)"))
                                      : QString::fromStdString(FormatGeneral(step));
    QAction* item = menu->addAction(caption);
    item->setCheckable(true);
    item->setChecked(std::abs(step - current) < 0.001);
    connect(item, &QAction::triggered, this, [this, step] { SnapClick(step); });
  }
  menu->addSeparator();
  QAction* select = menu->addAction(TranslateWord(QStringLiteral("Select")) + QStringLiteral(" <") +
                                    QString::fromStdString(FormatGeneral(current)) + QLatin1Char('>'));
  select->setObjectName(QStringLiteral("miSnapSelect"));
  connect(select, &QAction::triggered, this, &TkrKernoMainForm::miSnapSelectClick);
}

void TkrKernoMainForm::CursorCommandExecute(QAction* action) {
  TKernoChild* child = ActiveChild();
  if (child && action) child->SetCursorMode(action->data().toInt());
  UpdateCommands();
}

void TkrKernoMainForm::ServiceStructureExecute() {
  if (TKernoChild* child = ActiveChild()) child->RunEdit([child] { return child->Document()->EditProperties(); });
  RebuildBlockMenus();
}

void TkrKernoMainForm::ServiceLDBEditExecute() {
  if (!OpenLithologyEditor(this))
    Ui().Message(
        TMsgKind::Error, AppName(),
        TranslateError(QStringLiteral("CantOpenEditor"), QStringLiteral("The database editor cannot be opened")), mbOK);
}

void TkrKernoMainForm::ServiceOptionsExecute() {
  if (!TFOptions::Execute(this)) return;
  ArmAutoSave();
  if (!Settings().AutoSave()) EmptyTempDirectory();
  RefreshAllAreas();
}

void TkrKernoMainForm::HelpPdfExecute() {
  const QString path = HelpPdfPath();
  if (QFileInfo::exists(path)) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TkrKernoMainForm::HelpTipsExecute() { TFTips::Execute(this); }

void TkrKernoMainForm::HelpWebExecute() {
  const QString page = WebPage();
  if (!page.isEmpty()) QDesktopServices::openUrl(QUrl(page));
}

void TkrKernoMainForm::HelpAboutExecute() { ShowAbout(this); }

// --- frame events ---

void TkrKernoMainForm::closeEvent(QCloseEvent* event) {
  FMdi->closeAllSubWindows();
  if (!Children().isEmpty()) {
    event->ignore();
    return;
  }
  FAutoSaveTimer->stop();
  CloseLithologyEditors(this);
  EmptyTempDirectory();
  QMainWindow::closeEvent(event);
}

void TkrKernoMainForm::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
}

void TkrKernoMainForm::dropEvent(QDropEvent* event) {
  QStringList names;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) names << url.toLocalFile();
  event->acceptProposedAction();
  if (names.size() == 1 && PictureTypeOf(names.front()) != TPictureType::Unknown &&
      DropPicture(names.front(), event->position().toPoint()))
    return;
  OpenFiles(names);
}

bool TkrKernoMainForm::DropPicture(const QString& path, QPoint at) {
  TKernoChild* child = nullptr;
  for (QWidget* w = childAt(at); w && !child; w = w->parentWidget()) child = qobject_cast<TKernoChild*>(w);
  if (!child) return false;
  TDocumentArea* area = child->Area();
  const QPoint pixel = area->mapFrom(this, at);
  if (!area->rect().contains(pixel)) return false;
  const QPointF page = area->ScreenToPage(pixel);
  TPrintObjectList* target = PictureTargetAt(child->Document(), page.x(), page.y());
  if (!target) return false;
  QString error;
  if (!child->RunEdit([&] { return AddPictureFileAt(target, path, page.x(), page.y(), &error); }) && !error.isEmpty())
    Ui().Message(TMsgKind::Error, TranslateWord(QStringLiteral("Bitmap")), error, mbOK);
  return true;
}
