#include "uViewer.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QWidget>

#include "uDocumentDialogs.h"
#include "uFConfirmListIndex.h"
#include "uFDiagramm.h"
#include "uFRullers.h"
#include "uModelDialogs.h"
#include "uObjectFile.h"
#include "uPrintObjectList.h"
#include "uPrintTextDialog.h"
#include "uQtUiServices.h"
#include "uUiServices.h"

namespace {

class TViewerPage final : public QWidget {
 public:
  explicit TViewerPage(TPrintObjectList* root) : FRoot(root) {
    FRoot->SetOnNotify([this](TPrintObject*, int, int) { return S_OK; });
    const TDrawContext c = Context(nullptr);
    const double right = root ? root->Left() + root->GetWidth() + 10 : 210;
    const double bottom = root ? root->Top() + root->GetHeight() + 10 : 297;
    setFixedSize(std::max(c.LengthX(right), 200), std::max(c.LengthY(bottom), 200));
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!FRoot) return;
    TDrawContext c = Context(&painter);
    const QRect clip = event->rect();
    c.ClipRect = {clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
    painter.setPen(CosmeticPen(Qt::gray));
    FRoot->Draw(c);
  }
  void mousePressEvent(QMouseEvent* event) override {
    TPrintObject* hit = Hit(event);
    FRoot->SetSelected(false);
    if (hit) hit->SetSelected(true);
    if (auto* bar = window()->findChild<QStatusBar*>()) bar->showMessage(hit ? hit->Caption() : QString());
    update();
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (TPrintObject* hit = Hit(event)) {
      hit->EditProperties();
      update();
    }
  }

 private:
  TDrawContext Context(QPainter* painter) const {
    TDrawContext c;
    c.DC = painter;
    c.Options = doFrames | doBorders | doSelection;
    return c;
  }
  TPrintObject* Hit(QMouseEvent* event) {
    if (!FRoot) return nullptr;
    const TDrawContext c = Context(nullptr);
    TPrintObject* target = nullptr;
    FRoot->HitTest(c.PageX(event->position().x()), c.PageY(event->position().y()), &target);
    return target;
  }
  TPrintObjectList* FRoot;
};

}  // namespace

int RunViewer(const QString& path) {
  TQtUiServices ui;
  SetUiServices(&ui);
  RegisterModelDialogs();
  RegisterTextDialogs();
  RegisterTableDialogs();
  RegisterDepthScaleDialogs();
  RegisterDocumentDialogs();
  RegisterCurvePlotDialogs();
  std::unique_ptr<TPrintObjectList> root;
  QString error;
  if (!path.isEmpty()) {
    root = LoadObjectFile(path, &error);
    if (!root) Ui().Message(TMsgKind::Error, QStringLiteral("Kerno"), error, mbOK);
  }
  if (!root) root = std::make_unique<TPrintObjectList>();
  QMainWindow window;
  window.setWindowTitle(path.isEmpty() ? QStringLiteral("Kerno") : QStringLiteral("Kerno - %1").arg(path));
  auto* scroll = new QScrollArea(&window);
  scroll->setWidget(new TViewerPage(root.get()));
  window.setCentralWidget(scroll);
  window.statusBar();
  window.resize(900, 700);
  window.show();
  const int status = QApplication::exec();
  SetUiServices(nullptr);
  return status;
}
