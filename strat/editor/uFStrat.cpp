#include "uFStrat.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSaveFile>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "uFDBProp.h"
#include "uFEttle.h"
#include "uFImportDB.h"
#include "uSignEdits.h"
#include "uSignIcon.h"
#include "uSignPicture.h"
#include "uStratPrompts.h"
#include "uStratTexts.h"

namespace stratedit {

namespace {
constexpr int kSmallIconSize = 16;
// The corner of a true-size picture inside the large and the small icon.
constexpr int kLargeInset = 5;
constexpr int kSmallInset = 1;
const char* const kListFormat = "application/x-qabstractitemmodeldatalist";
const QString kHelpTopic = QStringLiteral("data/lsdedit");

QString WithSuffix(const QString& path, const QString& suffix) {
  const QFileInfo info(path);
  if (info.suffix().compare(suffix, Qt::CaseInsensitive) == 0) return path;
  const QString base = info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
  return base + u'.' + suffix;
}

QPixmap IconPixmap(const QImage& image) {
  QPixmap pixmap = QPixmap::fromImage(image);
  // White is the icons' transparent colour, so a selection shows through.
  pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
  return pixmap;
}

// Menu entries and actions are looked up as "Menu." + their name in the section "DBEDIT".
QString MenuKey(const QString& name) { return QStringLiteral("Menu.") + name; }

double ScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() : 96.0;
}
}  // namespace

TSignList::TSignList(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("FList"));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setResizeMode(QListView::Adjust);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  SetStatic();
}

void TSignList::SetStatic() {
  // Entries keep their places (a static list turns dragging off, so it is
  // turned on again): a drop exchanges two signs instead of moving an icon.
  setMovement(QListView::Static);
  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
}

void TSignList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kListFormat)))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TSignList::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kListFormat)))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TSignList::dropEvent(QDropEvent* event) {
  // Only entries of this list are dropped here; the list itself never moves
  // them: the database exchanges the two signs and the list is rebuilt.
  const QListWidgetItem* target = itemAt(event->position().toPoint());
  const int from = currentRow();
  if (!event->mimeData()->hasFormat(QString::fromLatin1(kListFormat)) || !target || from < 0) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  const int to = row(target);
  if (to != from) emit ExchangeRequested(from, to);
}

void TSignList::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState && currentItem()) {
    emit OpenRequested();
    return;
  }
  QListWidget::keyPressEvent(event);
}

TFStrat::TFStrat(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FStrat"));
  setWindowTitle(TranslateGeneral("LDBEdit", "Database"));
  FList = new TSignList(this);
  setCentralWidget(FList);
  FStatus = new QLabel(this);
  statusBar()->addWidget(FStatus, 1);
  FOptionsDialog = new TFOptions(this);
  BuildMenus();
  connect(FList, &QListWidget::itemChanged, this, &TFStrat::ListItemChanged);
  connect(FList, &QListWidget::itemDoubleClicked, this, [this] { EditProperties(); });
  connect(FList, &TSignList::OpenRequested, this, &TFStrat::EditProperties);
  connect(FList, &TSignList::ExchangeRequested, this, &TFStrat::ExchangeSigns);
  connect(FList, &QListWidget::currentRowChanged, this, &TFStrat::UpdateActions);
  SetViewStyle(0);
  resize(640, 480);
  RefreshList();
}

TFStrat::~TFStrat() {
  if (FNotify) FNotify(FNotifyData, FDataBase.Get(), 1);
}

QAction* TFStrat::Action(const QString& name) const {
  const auto it = FActions.find(name);
  return it == FActions.end() ? nullptr : it->second;
}

QAction* TFStrat::AddAction(const QString& name, const QString& caption, const QString& hint,
                            void (TFStrat::*command)()) {
  auto* action = new QAction(Translate("DBEDIT", MenuKey(name), caption), this);
  action->setObjectName(name);
  const QString tip = Translate("DBEDIT", MenuKey(name) + QStringLiteral(".Hint"), hint);
  action->setToolTip(tip);
  action->setStatusTip(tip);
  if (command) connect(action, &QAction::triggered, this, command);
  FActions[name] = action;
  return action;
}

void TFStrat::BuildMenus() {
  // Menu commands that report a result run through a plain call.
  auto* save = AddAction("FileSave", "Save", "Save the database", nullptr);
  connect(save, &QAction::triggered, this, [this] { FileSave(); });
  auto* saveAs = AddAction("FileSaveAs", "Save as...", "Save the database under a new name", nullptr);
  connect(saveAs, &QAction::triggered, this, [this] { FileSaveAs(); });
  AddAction("FileCreate", "New", "Create a new database", &TFStrat::FileCreate);
  AddAction("FileOpen", "Open", "Open a database", &TFStrat::FileOpen);
  AddAction("FileProperties", "Properties", "Options of the database", &TFStrat::FileProperties);
  AddAction("FileExit", "Exit", "Close the editor", nullptr);
  connect(Action("FileExit"), &QAction::triggered, this, &QWidget::close);
  AddAction("EditAdd", "Add", "Add a sign from a picture", &TFStrat::EditAdd);
  AddAction("EditDelete", "Delete", "Delete the sign", &TFStrat::EditDelete);
  AddAction("EditProperties", "Properties", "Properties of the sign", &TFStrat::EditProperties);
  AddAction("EditOpenImage", "Change picture", "Replace the sign's picture", &TFStrat::EditOpenImage);
  AddAction("EditSaveImage", "Save picture", "Save the sign's picture to a file", &TFStrat::EditSaveImage);
  auto* up = AddAction("EditMoveUp", "Move up", "Move the sign one place up", nullptr);
  connect(up, &QAction::triggered, this, [this] { EditMove(-1); });
  auto* down = AddAction("EditMoveDown", "Move down", "Move the sign one place down", nullptr);
  connect(down, &QAction::triggered, this, [this] { EditMove(1); });
  AddAction("ServiceOptions", "Options", "Editor options", &TFStrat::ServiceOptions);
  AddAction("ServiceSaveList", "Save rock list", "Save the sign names as a text file", &TFStrat::ServiceSaveList);
  AddAction("HelpContents", "Help", "How to use the editor", &TFStrat::HelpContents);
  auto* views = new QActionGroup(this);
  const std::array<QString, 3> viewNames = {QStringLiteral("ViewIcon"), QStringLiteral("viewSmallIcon"),
                                            QStringLiteral("ViewList")};
  const std::array<QString, 3> viewCaptions = {QStringLiteral("Icons"), QStringLiteral("Small icons"),
                                               QStringLiteral("List")};
  for (int i = 0; i < 3; ++i) {
    QAction* view = AddAction(viewNames[i], viewCaptions[i], viewCaptions[i], nullptr);
    view->setCheckable(true);
    views->addAction(view);
    connect(view, &QAction::triggered, this, [this, i] { SetViewStyle(i); });
  }

  Action("FileCreate")->setShortcut(QKeySequence::New);
  Action("FileOpen")->setShortcut(QKeySequence::Open);
  save->setShortcut(QKeySequence::Save);
  Action("EditAdd")->setShortcut(QKeySequence(Qt::Key_Insert));
  Action("EditDelete")->setShortcut(QKeySequence::Delete);
  up->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
  down->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
  Action("HelpContents")->setShortcut(QKeySequence::HelpContents);
  for (QAction* action : {Action("FileCreate"), Action("FileOpen"), save, Action("EditAdd"), Action("EditDelete"), up,
                          down, Action("EditProperties")})
    action->setShortcutContext(Qt::WindowShortcut);
  QStyle* s = style();
  Action("FileCreate")->setIcon(s->standardIcon(QStyle::SP_FileIcon));
  Action("FileOpen")->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
  save->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  Action("EditAdd")->setIcon(s->standardIcon(QStyle::SP_FileDialogNewFolder));
  Action("EditDelete")->setIcon(s->standardIcon(QStyle::SP_TrashIcon));
  up->setIcon(s->standardIcon(QStyle::SP_ArrowUp));
  down->setIcon(s->standardIcon(QStyle::SP_ArrowDown));

  auto menu = [this](const QString& name, const QString& caption, std::initializer_list<const char*> actions) {
    QMenu* m = menuBar()->addMenu(Translate("DBEDIT", MenuKey(name), caption));
    m->setObjectName(QStringLiteral("mi") + name);
    m->setToolTip(Translate("DBEDIT", MenuKey(name) + QStringLiteral(".Hint"), caption));
    for (const char* action : actions) {
      if (*action == '-')
        m->addSeparator();
      else
        m->addAction(Action(QString::fromLatin1(action)));
    }
  };
  menu("File", "File", {"FileCreate", "FileOpen", "FileSave", "FileSaveAs", "-", "FileProperties", "-", "FileExit"});
  menu("Edit", "Edit",
       {"EditAdd", "EditDelete", "EditProperties", "-", "EditMoveUp", "EditMoveDown", "-", "EditOpenImage",
        "EditSaveImage"});
  menu("View", "View", {"ViewIcon", "viewSmallIcon", "ViewList"});
  menu("Service", "Service", {"ServiceOptions", "ServiceSaveList"});
  menu("Help", "Help", {"HelpContents"});

  QToolBar* tools = addToolBar(Translate("DBEDIT", "Menu.File", "File"));
  tools->setObjectName(QStringLiteral("tbStandard"));
  tools->setMovable(false);
  for (QAction* action : {Action("FileCreate"), Action("FileOpen"), save}) tools->addAction(action);
  tools->addSeparator();
  for (QAction* action : {Action("EditAdd"), Action("EditDelete"), up, down}) tools->addAction(action);
}

void TFStrat::SetDataBase(IStratDataBase* database, bool borrowed) {
  FDataBase = TComPtr<IStratDataBase>(database);
  FBorrowed = database && borrowed;
  FModified = false;
  RefreshList();
}

void TFStrat::SetNotify(TStratNotifyProc notify, void* data) {
  FNotify = notify;
  FNotifyData = data;
}

void TFStrat::DetachNotify() {
  FNotify = nullptr;
  FNotifyData = nullptr;
}

TComPtr<IStratSign> TFStrat::Sign(int index) const {
  TComPtr<IStratSign> sign;
  if (FDataBase && index >= 0) FDataBase->GetSign(index, sign.Put());
  return sign;
}

int TFStrat::SelectedSign() const {
  if (!FDataBase) return -1;
  const QListWidgetItem* item = FList->currentItem();
  if (!item || !item->isSelected()) return -1;
  const int row = FList->row(item);
  return row < FDataBase->SignCount() ? row : -1;
}

void TFStrat::SetOptions(const TEditorOptions& options) {
  FOptions = options;
  FOptionsDialog->SetOptions(options);
  RebuildIcons();
}

void TFStrat::SetViewStyle(int style) {
  FViewStyle = std::clamp(style, 0, 2);
  const std::array<const char*, 3> names = {"ViewIcon", "viewSmallIcon", "ViewList"};
  Action(QString::fromLatin1(names[static_cast<size_t>(FViewStyle)]))->setChecked(true);
  if (FViewStyle == 0) {
    FList->setViewMode(QListView::IconMode);
    FList->setFlow(QListView::LeftToRight);
    FList->setIconSize(QSize(FOptions.IconSize, FOptions.IconSize));
    FList->setGridSize(QSize(FOptions.IconSize + 40, FOptions.IconSize + 36));
  } else {
    FList->setViewMode(QListView::ListMode);
    FList->setFlow(FViewStyle == 1 ? QListView::LeftToRight : QListView::TopToBottom);
    FList->setIconSize(QSize(kSmallIconSize, kSmallIconSize));
    FList->setGridSize(FViewStyle == 1 ? QSize(140, kSmallIconSize + 6) : QSize());
  }
  FList->setWrapping(true);
  FList->SetStatic();
  FList->setWordWrap(FViewStyle == 0);
}

void TFStrat::RebuildIcons() {
  if (!FDataBase) return;
  const double dpi = ScreenDpi();
  for (int i = 0; i < FList->count() && i < FDataBase->SignCount(); ++i) {
    TComPtr<IStratSign> sign = Sign(i);
    QIcon icon;
    icon.addPixmap(IconPixmap(SignIconImage(sign.Get(), FOptions.IconSize, FOptions.RealSize, kLargeInset, dpi)));
    icon.addPixmap(IconPixmap(SignIconImage(sign.Get(), kSmallIconSize, FOptions.RealSize, kSmallInset, dpi)));
    const QSignalBlocker block(FList);
    FList->item(i)->setIcon(icon);
  }
  SetViewStyle(FViewStyle);
}

void TFStrat::RefreshList() {
  FRefreshing = true;
  const int selected = FList->currentRow();
  FList->clear();
  if (!FDataBase) {
    auto* hint = new QListWidgetItem(TranslateGeneral("HintCreateDB", "Open or Create database"), FList);
    hint->setFlags(Qt::ItemIsEnabled);
  } else {
    const QString language = LanguageCode();
    for (int32_t i = 0; i < FDataBase->SignCount(); ++i) {
      TComPtr<IStratSign> sign = Sign(i);
      const QString name = SignName(sign.Get());
      auto* item = new QListWidgetItem(name, FList);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                     Qt::ItemIsDropEnabled);
      const QString caption = SignCaption(sign.Get(), language, false);
      item->setToolTip(caption.isEmpty() ? name : name + QStringLiteral(" - ") + caption);
    }
    RebuildIcons();
    if (selected >= 0 && selected < FList->count()) {
      FList->setCurrentRow(selected);
      FList->item(selected)->setSelected(true);
    }
  }
  FRefreshing = false;
  if (FNotify) FNotify(FNotifyData, FDataBase.Get(), 0);
  UpdateActions();
  UpdateStatus();
}

void TFStrat::UpdateActions() {
  const bool open = static_cast<bool>(FDataBase);
  const int selected = SelectedSign();
  const bool sign = selected >= 0;
  for (const char* name : {"FileSave", "FileSaveAs", "FileProperties", "EditAdd", "ServiceSaveList"})
    Action(QString::fromLatin1(name))->setEnabled(open);
  for (const char* name : {"EditProperties", "EditDelete", "EditOpenImage", "EditSaveImage"})
    Action(QString::fromLatin1(name))->setEnabled(sign);
  Action("EditMoveUp")->setEnabled(sign && selected > 0);
  Action("EditMoveDown")->setEnabled(sign && selected + 1 < (open ? FDataBase->SignCount() : 0));
}

void TFStrat::UpdateStatus() {
  if (!FDataBase) {
    FStatus->clear();
    return;
  }
  TShortString file{};
  stratGetCurrentFileName(&file, FDataBase.Get());
  QString text = Substitute(TranslateGeneral("SignCount", "Signs: %s"), {QString::number(FDataBase->SignCount())});
  if (file.Length) text += QStringLiteral("   ") + QFile::decodeName(QByteArray(file.Chars, file.Length));
  if (FModified && !FBorrowed) text += QStringLiteral("   *");
  FStatus->setText(text);
}

void TFStrat::MarkChanged() {
  FModified = true;
  RefreshList();
}

void TFStrat::Report(HRESULT hr, const QString& path) {
  QString text = ResultText(hr);
  if (!path.isEmpty()) text += QStringLiteral("\n") + path;
  Prompts().Error(this, text);
}

HRESULT TFStrat::LoadFile(const QString& path) {
  // Into a fresh database first: a file that fails halfway must not empty the one in use.
  TComPtr<IStratDataBase> loaded;
  HRESULT hr = stratCreateDataBase(loaded.Put());
  // A rock-code list is imported by the editor itself, asking its own questions.
  const bool list = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
  if (hr == S_OK)
    hr = list ? ImportRockCodeList(path, loaded.Get()) : stratLoad(QFile::encodeName(path).constData(), loaded.Get());
  if (hr == S_FALSE) return hr;  // the user cancelled an import
  if (hr != S_OK) {
    Report(hr, path);
    RefreshList();
    return hr;
  }
  if (FDataBase && FBorrowed) {
    // The lender keeps its object: the loaded signs and options move into it.
    TShortString file{};
    stratGetCurrentFileName(&file, loaded.Get());
    hr = stratCopy(loaded.Get(), FDataBase.Get());
    if (hr == S_OK) hr = stratSetFileName(FDataBase.Get(), file);
    if (hr != S_OK) Report(hr, path);
    FModified = false;
    RefreshList();
    return hr;
  }
  FDataBase = loaded;
  FBorrowed = false;
  FModified = false;
  RefreshList();
  return S_OK;
}

bool TFStrat::CloseQuery() {
  if (!FDataBase || FBorrowed || !FModified) return true;
  TShortString file{};
  stratGetCurrentFileName(&file, FDataBase.Get());
  const QString name =
      file.Length ? QFile::decodeName(QByteArray(file.Chars, file.Length)) : TranslateGeneral("Untitled", "(untitled)");
  const QMessageBox::StandardButton answer =
      Prompts().Ask(this, Substitute(TranslateGeneral("ConfirmSaveFile", "Save file %s?"), {name}),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) return FileSave();
  return answer == QMessageBox::No;
}

void TFStrat::closeEvent(QCloseEvent* event) {
  if (CloseQuery())
    event->accept();
  else
    event->ignore();
}

void TFStrat::FileCreate() {
  if (FBorrowed) {
    Prompts().Information(this,
                          Substitute(TranslateGeneral("YouCantcreate",
                                                      "You have editing database %s and you can't create new. "
                                                      "Use SERVICE->DATABASE command in main menu of the program"),
                                     {windowTitle()}));
    return;
  }
  if (!CloseQuery()) return;
  TComPtr<IStratDataBase> fresh;
  const HRESULT hr = stratCreateDataBase(fresh.Put());
  if (hr != S_OK) {
    Report(hr, {});
    return;
  }
  FDataBase = fresh;
  FModified = false;
  RefreshList();
}

void TFStrat::FileOpen() {
  if (!CloseQuery()) return;
  const QString path = Prompts().OpenFileName(
      this, Translate("FILE", "lsdTitle", "Sign database"), DatabaseFolder(),
      FileFilters(Translate("FILE", "lsdOpenMask", "Sign databases|*.lsd|Rock code lists|*.csv|All Files|*")));
  if (path.isEmpty()) return;
  LoadFile(path);
}

bool TFStrat::Save(const QString& name) {
  if (!FDataBase) return false;
  QString path = name;
  bool old = false;
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    int filter = 0;
    const QString start = path.isEmpty() ? DatabaseFolder() : path;
    path = Prompts().SaveFileName(
        this, Translate("FILE", "lsdsTitle", "Save sign database"), start,
        FileFilters(Translate("FILE", "lsdsMask", "Sign databases|*.lsd|Old database format|*.lsd")), &filter);
    if (path.isEmpty()) return false;
    path = WithSuffix(path, QStringLiteral("lsd"));
    old = filter == 1;
  }
  const QByteArray bytes = QFile::encodeName(path);
  HRESULT hr;
  if (old) {
    TComPtr<IStratDataBaseOld> older = FDataBase.As<IStratDataBaseOld>(IID_IStratDataBaseOld);
    hr = older ? older->SaveToOldFile(bytes.constData()) : E_NOTIMPL;
  } else {
    hr = stratSave(bytes.constData(), FDataBase.Get());
  }
  if (hr != S_OK) {
    Report(hr, path);
    return false;
  }
  FModified = false;
  UpdateStatus();
  return true;
}

bool TFStrat::FileSave() {
  if (!FDataBase) return false;
  TShortString file{};
  if (!FBorrowed) stratGetCurrentFileName(&file, FDataBase.Get());
  return Save(QFile::decodeName(QByteArray(file.Chars, file.Length)));
}

bool TFStrat::FileSaveAs() { return Save({}); }

void TFStrat::FileProperties() {
  if (!FDataBase) return;
  TFDBProp dialog(this);
  dialog.SetOptions(FDataBase->GetOptions());
  if (!Prompts().Run(&dialog)) return;
  if (dialog.Options() == FDataBase->GetOptions()) return;
  FDataBase->SetOptions(dialog.Options());
  MarkChanged();
}

void TFStrat::EditAdd() {
  if (!FDataBase) return;
  const QString path = Prompts().OpenFileName(
      this, Translate("FILE", "signTitle", "Sign picture"), QString(),
      FileFilters(Translate("FILE", "signMask",
                            "Pictures|*.emf;*.svg|Enhanced metafiles|*.emf|SVG drawings|*.svg|All Files|*")));
  if (path.isEmpty()) return;
  TComPtr<IStratSign> sign;
  HRESULT hr = stratCreateSign(sign.Put());
  if (hr != S_OK) {
    Report(hr, {});
    return;
  }
  RenameSign(sign.Get(), QFileInfo(path).completeBaseName());
  // A picture that cannot be read is reported; the sign may still get one later.
  hr = SetSignPicture(sign.Get(), path);
  if (hr != S_OK) Report(hr, path);
  TFEttle dialog(sign.Get(), this);
  if (!Prompts().Run(&dialog)) return;
  TComPtr<IStratStream> stream = sign.As<IStratStream>(IID_IStratStream);
  hr = FDataBase->AddSign(stream.Get(), false);
  if (hr != S_OK) {
    Report(hr, {});
    return;
  }
  FList->setCurrentRow(-1);
  MarkChanged();
  FList->setCurrentRow(FDataBase->SignCount() - 1);
  UpdateActions();
}

void TFStrat::EditDelete() {
  const int index = SelectedSign();
  TComPtr<IStratSign> sign = Sign(index);
  if (!sign) return;
  const QString question = Substitute(TranslateGeneral("ConfirmDeleteSign", "Delete sign %s?"), {SignName(sign.Get())});
  if (Prompts().Ask(this, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) return;
  if (!FDataBase->DeleteSign(index)) return;
  MarkChanged();
}

void TFStrat::EditProperties() {
  TComPtr<IStratSign> sign = Sign(SelectedSign());
  if (!sign) return;
  TFEttle dialog(sign.Get(), this);
  if (Prompts().Run(&dialog)) MarkChanged();
}

void TFStrat::EditOpenImage() {
  TComPtr<IStratSign> sign = Sign(SelectedSign());
  if (!sign) return;
  const QString path = Prompts().OpenFileName(
      this, Translate("FILE", "signTitle", "Sign picture"), QString(),
      FileFilters(Translate("FILE", "signMask",
                            "Pictures|*.emf;*.svg|Enhanced metafiles|*.emf|SVG drawings|*.svg|All Files|*")));
  if (path.isEmpty()) return;
  const HRESULT hr = SetSignPicture(sign.Get(), path);
  if (hr != S_OK) {
    Report(hr, path);
    return;
  }
  MarkChanged();
}

void TFStrat::EditSaveImage() {
  TComPtr<IStratSign> sign = Sign(SelectedSign());
  if (!sign) return;
  QString path = Prompts().SaveFileName(
      this, Translate("FILE", "signsTitle", "Save sign picture"), SignName(sign.Get()) + QStringLiteral(".emf"),
      FileFilters(Translate("FILE", "signsMask", "Enhanced metafiles|*.emf")), nullptr);
  if (path.isEmpty()) return;
  path = WithSuffix(path, QStringLiteral("emf"));
  const HRESULT hr = stratSaveMetafile(sign.Get(), QFile::encodeName(path).constData());
  if (hr != S_OK) Report(hr, path);
}

void TFStrat::EditMove(int step) {
  const int index = SelectedSign();
  if (index < 0) return;
  ExchangeSigns(index, index + step);
}

void TFStrat::ExchangeSigns(int from, int to) {
  if (!FDataBase || FDataBase->ExchangeSigns(from, to) != S_OK) return;
  FList->setCurrentRow(to);
  MarkChanged();
}

void TFStrat::ListItemChanged(QListWidgetItem* item) {
  if (FRefreshing || !FDataBase || !item) return;
  const int index = FList->row(item);
  TComPtr<IStratSign> sign = Sign(index);
  if (!sign) return;
  const QString name = item->text().trimmed();
  // An empty name would leave the sign unreachable: the old one comes back.
  if (name.isEmpty() || ShortOf(name).Length == 0 || name == SignName(sign.Get())) {
    RefreshList();
    return;
  }
  RenameSign(sign.Get(), name);
  MarkChanged();
}

void TFStrat::ServiceOptions() {
  FOptionsDialog->SetOptions(FOptions);
  if (!Prompts().Run(FOptionsDialog)) return;
  // Only the icons change: the database did not, so the opener is not told.
  SetOptions(FOptionsDialog->Options());
}

void TFStrat::ServiceSaveList() {
  if (!FDataBase) return;
  QString path = Prompts().SaveFileName(this, Translate("FILE", "rocksTitle", "Save rock list"), DatabaseFolder(),
                                        FileFilters(Translate("FILE", "rocksMask", "Text files|*.txt")), nullptr);
  if (path.isEmpty()) return;
  path = WithSuffix(path, QStringLiteral("txt"));
  QByteArray text;
  for (int32_t i = 0; i < FDataBase->SignCount(); ++i) text += SignName(Sign(i).Get()).toUtf8() + '\n';
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) Report(E_FAIL, path);
}

void TFStrat::HelpContents() { Prompts().ShowHelp(this, kHelpTopic); }

}  // namespace stratedit
