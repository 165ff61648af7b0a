#include "uKernoChild.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QScrollBar>
#include <cmath>
#include <limits>

#include "uDocumentArea.h"
#include "uDocumentInput.h"
#include "uLanguage.h"
#include "uNumberFields.h"
#include "uNumbers.h"
#include "uObjectDocument.h"
#include "uObjectFile.h"
#include "uPrintDeepObject.h"
#include "uPrintDocument.h"
#include "uScreenRuller.h"
#include "uSheetAtData.h"
#include "uUiServices.h"

namespace {

// The view starts a little above and left of the page, so its edge shows.
constexpr int kStartMargin = -5;

// `name` with the extension ".knd" (replacing another one).
QString WithDocumentExtension(const QString& name) {
  const QFileInfo info(name);
  const QString suffix = info.suffix();
  QString base = name;
  if (!suffix.isEmpty()) base.chop(suffix.size() + 1);
  return base + QStringLiteral(".knd");
}

}  // namespace

TKernoChild::TKernoChild(QWidget* parent) : QMdiSubWindow(parent), FDocument(std::make_unique<TPrintDocument>()) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("TKernoChild"));
  auto* content = new QWidget(this);
  FArea = new TDocumentArea(content);
  FArea->setObjectName(QStringLiteral("DocumentArea"));
  FTopRuller = new TScreenRuller(Qt::Horizontal, FArea, content);
  FLeftRuller = new TScreenRuller(Qt::Vertical, FArea, content);
  FHorz = new QScrollBar(Qt::Horizontal, content);
  FVert = new QScrollBar(Qt::Vertical, content);
  auto* corner = new QWidget(content);
  corner->setFixedSize(kScreenRullerThickness, kScreenRullerThickness);
  auto* grid = new QGridLayout(content);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  grid->addWidget(corner, 0, 0);
  grid->addWidget(FTopRuller, 0, 1);
  grid->addWidget(FLeftRuller, 1, 0);
  grid->addWidget(FArea, 1, 1);
  grid->addWidget(FVert, 0, 2, 2, 1);
  grid->addWidget(FHorz, 2, 0, 1, 2);
  setWidget(content);

  FDocument->SetOnNotify([this](TPrintObject*, int code, int) {
    if (code == ncBeforeChange)
      UndoMake();
    else if (code == ncChangeCancelled)
      UndoCancel();
    return S_OK;
  });
  FDocument->SetOnResize([this](TPrintDocument*) { DocumentResized(); });
  FDocument->SetOnStructureChanged([this](TPrintDocument*) { emit StructureChanged(); });
  FArea->SetDocument(FDocument.get());
  FInput = new TDocumentInput(this);

  connect(FArea, &TDocumentArea::ViewChanged, this, &TKernoChild::SyncScrollBars);
  connect(FHorz, &QScrollBar::valueChanged, this, [this](int value) {
    if (!FSyncing) FArea->SetOriginX(value);
  });
  connect(FVert, &QScrollBar::valueChanged, this, [this](int value) {
    if (!FSyncing) FArea->SetOriginY(value);
  });
  connect(FTopRuller, &TScreenRuller::GuideDropped, FInput, &TDocumentInput::DropGuide);
  connect(FLeftRuller, &TScreenRuller::GuideDropped, FInput, &TDocumentInput::DropGuide);
  resize(640, 480);
}

TKernoChild::~TKernoChild() {
  // The area is a child widget and outlives this body: unlink it first, and
  // stop the input's filter, which would otherwise see the area's last events
  // through a window that is no longer a TKernoChild.
  delete FInput;
  FInput = nullptr;
  FArea->SetDocument(nullptr);
  FDocument->SetOnNotify({});
  FDocument->SetOnResize({});
  FDocument->SetOnStructureChanged({});
}

void TKernoChild::SetCaption(const QString& caption) {
  FCaption = caption;
  setWindowTitle(caption);
  emit CaptionChanged(caption);
}

// --- files ---

bool TKernoChild::LoadFile(const QString& path, QString* error) {
  QString message;
  if (!FDocument->LoadFromFile(path, &message)) {
    if (error) *error = message;
    return false;
  }
  FDocument->SetModified(false);
  Loaded();
  return true;
}

bool TKernoChild::LoadCopy(const QString& path, QString* error) {
  if (!FDocument->LoadDocumentFile(path, error)) return false;
  FDocument->SetModified(true);
  Loaded();
  return true;
}

bool TKernoChild::LoadObjectBlock(const QString& path, QString* error) {
  const std::unique_ptr<TPrintObjectList> object = LoadObjectFile(path, error);
  if (!object || !PutBlockIntoDocument(FDocument.get(), object.get(), error)) return false;
  FDocument->SetSelected(false);
  FDocument->SetModified(false);
  Loaded();
  return true;
}

void TKernoChild::Loaded() {
  FUndo.Clear();
  FArea->SetOrigin(kStartMargin, kStartMargin);
  FArea->Repaint();
  SyncScrollBars();
  emit StructureChanged();
  emit CommandsChanged();
}

bool TKernoChild::SaveToPath(const QString& path, QString* error) {
  if (!FDocument->SaveToFile(path, error)) return false;
  FDocument->SetModified(false);
  FUndo.Clear();
  emit CommandsChanged();
  return true;
}

bool TKernoChild::Save() {
  if (!FCaption.isEmpty() && QFileInfo(FCaption).isFile() && SaveToPath(FCaption)) return true;
  return SaveAs();
}

bool TKernoChild::SaveAs() {
  TFileDialogOptions options;
  options.Title = TranslateFileTitle(QStringLiteral("knds"));
  options.Filter = TranslateFileMask(QStringLiteral("knds"));
  options.FileName = FSuggestedFileName.isEmpty() || QFileInfo(FCaption).isFile() ? FCaption : FSuggestedFileName;
  options.DefaultSuffix = QStringLiteral("knd");
  QString name;
  if (!Ui().SaveFileName(options, &name, nullptr) || name.isEmpty()) return false;
  name = WithDocumentExtension(name);
  QString error;
  if (!SaveToPath(name, &error)) {
    Ui().Message(
        TMsgKind::Error, QString(),
        TranslateError(QStringLiteral("CantSaveFile"), QStringLiteral("Can't save file")) + QStringLiteral(": ") + name,
        mbOK);
    return false;
  }
  SetCaption(name);
  return true;
}

bool TKernoChild::IsModified() const { return FDocument->GetModified(); }

void TKernoChild::closeEvent(QCloseEvent* event) {
  // Asked whenever the document holds changes: with no undo steps kept (or
  // all of them undone) a changed document is still changed.
  if (FAskOnClose && !FCaption.isEmpty() && IsModified()) {
    const QString text =
        SubstituteArgs(TranslateConfirmText(QStringLiteral("Save"), QStringLiteral("Save changes to %s?")), {FCaption});
    switch (Ui().Message(TMsgKind::Question, TranslateConfirmCaption(QStringLiteral("Save"), QStringLiteral("Save")),
                         text, mbYes | mbNo | mbCancel)) {
      case TMsgResult::Yes:
        if (!Save()) {
          event->ignore();
          return;
        }
        break;
      case TMsgResult::No:
        break;
      default:
        event->ignore();
        return;
    }
  }
  FClosed = true;
  QMdiSubWindow::closeEvent(event);
}

// --- undo ---

void TKernoChild::UndoMake() {
  if (FEditDepth > 0) return;
  FLastNotifyPushed = FUndo.Push(FDocument.get());
  emit CommandsChanged();
}

void TKernoChild::UndoCancel() {
  if (FEditDepth > 0) return;
  // Only the snapshot of the announced edit goes (none was taken with no undo steps).
  if (FLastNotifyPushed) FUndo.DropLast();
  FLastNotifyPushed = false;
  emit CommandsChanged();
}

bool TKernoChild::RunEdit(const std::function<bool()>& edit) {
  const bool pushed = FUndo.Push(FDocument.get());
  const TBodyDataTops before = BodyDataTops(*FDocument);
  ++FEditDepth;
  const bool changed = edit();
  // Inside the same undo step; nested edits leave it to the outermost.
  if (changed && FEditDepth == 1) OfferSheetsAtData(FDocument.get(), before);
  --FEditDepth;
  if (!changed && pushed) FUndo.DropLast();
  FArea->Repaint();
  emit CommandsChanged();
  return changed;
}

bool TKernoChild::RunBlockCommand(const std::function<bool()>& command) {
  const TBodyDataTops before = BodyDataTops(*FDocument);
  const bool changed = command();
  if (changed) OfferSheetsAtData(FDocument.get(), before);
  FArea->Repaint();
  emit CommandsChanged();
  return changed;
}

bool TKernoChild::UndoLast() { return Replaced(FUndo.Restore(FDocument.get())); }

bool TKernoChild::RedoLast() { return Replaced(FUndo.Redo(FDocument.get())); }

bool TKernoChild::Replaced(bool done) {
  if (!done) return false;
  // The whole document was replaced: its blocks, their menus and every command's state.
  FArea->Repaint();
  emit StructureChanged();
  emit CommandsChanged();
  return true;
}

// --- view ---

void TKernoChild::SetCursorMode(int mode) {
  if (mode < cmSelect || mode > cmScale || mode == FCursorMode) return;
  FCursorMode = mode;
  FArea->SetCrossY(-1);
  FInput->UpdateCursor();
  emit CursorModeChanged(mode);
}

TPrintObject* TKernoChild::Selected() const { return FDocument->FindSelected(); }

void TKernoChild::ScrollBy(int dxMM, int dyMM) { FArea->SetOrigin(FArea->OriginX() + dxMM, FArea->OriginY() + dyMM); }

double TKernoChild::ViewPageY(double fraction) const {
  return FArea->ScreenToPage(QPointF(0, FArea->ViewRect().height() * fraction)).y();
}

void TKernoChild::ScrollPages(int pages) {
  ScrollBy(0, static_cast<int>(std::lround(pages * (ViewPageY(1) - ViewPageY(0)) * 0.9)));
}

void TKernoChild::ScrollToEdge(bool bottom) {
  if (!bottom) return FArea->SetOriginY(kStartMargin);
  FArea->SetOriginY(static_cast<int>(std::lround(FDocument->GetHeight() - (ViewPageY(1) - ViewPageY(0)))) -
                    kStartMargin);
}

bool TKernoChild::GoToDepth() {
  TPrintDocument* document = Document();
  const QString title = TranslateGeneral(QStringLiteral("GoToDepth"), QStringLiteral("Go to depth"));
  const QString ranges = document->DepthRanges();
  if (ranges.isEmpty()) {
    Ui().Message(TMsgKind::Information, title,
                 TranslateError(QStringLiteral("NoDepths"), QStringLiteral("The document has no body with depths")),
                 mbOK);
    return false;
  }
  const double shown = document->DepthAt(ViewPageY(0.5));
  QString text = std::isfinite(shown) ? DepthText(std::round(shown * 10) / 10) : QString();
  const QString label = SubstituteArgs(
      TranslateGeneral(QStringLiteral("GoToDepthLabel"), QStringLiteral("Depth in metres (the document shows %s m):")),
      {ranges});
  if (!Ui().PromptText(title, label, &text)) return false;
  const double depth = FieldNumber(text, std::numeric_limits<double>::quiet_NaN());
  if (!std::isfinite(depth)) {
    Ui().Message(TMsgKind::Error, title, NotADepthText(text), mbOK);
    return false;
  }
  const double y = document->PageYAt(depth);
  if (!std::isfinite(y)) {
    Ui().Message(TMsgKind::Error, title,
                 SubstituteArgs(TranslateError(QStringLiteral("DepthNotShown"),
                                               QStringLiteral("No body of the document shows the depth %s m; it "
                                                              "shows %s m")),
                                {DepthText(depth), ranges}),
                 mbOK);
    return false;
  }
  ScrollBy(0, static_cast<int>(std::lround(y - ViewPageY(0.5))));
  return true;
}

void TKernoChild::SetPageSize(QSize pageMM) { FArea->SetPageSize(pageMM); }

void TKernoChild::Refresh() { FArea->Repaint(); }

void TKernoChild::SyncScrollBars() {
  FSyncing = true;
  const int pageX = std::max(1, static_cast<int>(FArea->width() / FArea->PixelsPerMM() / FArea->Zoom()));
  const int pageY = std::max(1, static_cast<int>(FArea->height() / FArea->PixelsPerMM() / FArea->Zoom()));
  FHorz->setRange(FArea->MinOriginX(), FArea->MaxOriginX());
  FHorz->setPageStep(pageX);
  FHorz->setSingleStep(std::max(1, pageX / 20));
  FHorz->setValue(FArea->OriginX());
  FVert->setRange(FArea->MinOriginY(), FArea->MaxOriginY());
  FVert->setPageStep(pageY);
  FVert->setSingleStep(std::max(1, pageY / 20));
  FVert->setValue(FArea->OriginY());
  FSyncing = false;
}

void TKernoChild::DocumentResized() {
  // A drag outline tries a move and takes it back: nothing to follow.
  if (InTrial()) return;
  FArea->SetOrigin(FArea->OriginX(), FArea->OriginY());
  SyncScrollBars();
}
