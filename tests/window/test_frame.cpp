// The frame and its document windows: opening (twice, failures), the close
// questions, the enabled states of the commands, single instance hand-over,
// auto-save and recovery, the start-up's failure path and reminder, block
// menus, the translation of every command, and cut, copy and paste.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "uAutoSave.h"
#include "uFPdfPageSetup.h"
#include "uFSelectTemplate.h"
#include "uFTips.h"
#include "uIniFile.h"
#include "uLasFill.h"
#include "uPdfPrintTarget.h"
#include "uPrintDiagramm.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uWindowTestEnv.h"

namespace {

class Frame : public TWindowTest {};

QStringList Captions(TkrKernoMainForm* frame) {
  QStringList captions;
  for (TKernoChild* child : frame->Children()) captions << child->Caption();
  return captions;
}

}  // namespace

TEST_F(Frame, OpeningAnOpenFileBringsItsWindowForward) {
  const QString a = MakeDocument(QStringLiteral("a.knd"));
  const QString b = MakeDocument(QStringLiteral("b.knd"));
  TkrKernoMainForm* frame = NewFrame({a, b});
  ASSERT_EQ(Captions(frame), (QStringList{a, b}));
  EXPECT_EQ(frame->ActiveChild()->Caption(), b);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kerno - [%1]").arg(b));

  // Window > Previous names the keys a user presses; X11's Backtab form is kept for the match.
  const auto* previous = frame->findChild<QAction*>(QStringLiteral("WindowPrevious"));
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous->shortcut().toString(), QStringLiteral("Ctrl+Shift+Tab"));
  EXPECT_TRUE(previous->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)));

  TKernoChild* first = frame->Children()[0];
  EXPECT_EQ(frame->OpenFile(Path(QStringLiteral("./a.knd"))), first) << "the same file under another spelling";
  EXPECT_EQ(frame->Children().size(), 2);
  EXPECT_EQ(frame->ActiveChild(), first);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Text, QStringLiteral("File %1 already opened").arg(a));

  // A file that does not load leaves no window behind.
  WriteText(QStringLiteral("broken.knd"), "not a document");
  EXPECT_EQ(frame->OpenFile(Path(QStringLiteral("broken.knd"))), nullptr);
  EXPECT_EQ(frame->OpenFile(Path(QStringLiteral("missing.knd"))), nullptr);
  Settle();
  EXPECT_EQ(frame->Children().size(), 2);
  ASSERT_EQ(FUi.Messages.size(), 3u);
  EXPECT_EQ(FUi.Messages[2].Kind, TMsgKind::Error);
  EXPECT_EQ(FUi.Messages[2].Text, QStringLiteral("Can't Load File: %1").arg(Path(QStringLiteral("missing.knd"))));
}

// A template opened like a document (a double click on it, its name on the
// command line) starts a new document from it: Save asks for a name and the
// template keeps its bytes.
TEST_F(Frame, AnOpenedTemplateStartsANewDocument) {
  const QString knt = TemplatePath();
  const QByteArray before = Bytes(knt);
  TkrKernoMainForm* frame = NewFrame({knt});
  TKernoChild* child = frame->ActiveChild();
  ASSERT_TRUE(child);
  EXPECT_EQ(child->Caption(), QStringLiteral("New passport0"));
  EXPECT_EQ(child->Document()->TemplateName(), QStringLiteral("test.knt"));
  auto* body = static_cast<TPassportBody*>(child->Document()->GetChild(0));
  child->RunEdit([&] { return body->GetChild(0)->MoveBy(10, 0); });
  const QString saved = Path(QStringLiteral("from_template.knd"));
  FUi.FileAnswers = {saved};
  ASSERT_TRUE(child->Save());
  ASSERT_EQ(FUi.FileDialogs.size(), 1u) << "Save wrote without asking for a name";
  EXPECT_EQ(child->Caption(), saved);
  EXPECT_EQ(Bytes(knt), before);
  // Opened again, it is another new document, not the first one brought forward.
  EXPECT_NE(frame->OpenFile(knt), child);
  EXPECT_EQ(frame->Children().size(), 2);
}

// An object file opened like a document: a body's file becomes a new,
// untitled document of that body (Save writes a document beside it, never
// over it); a column's file says where it is loaded and leaves no window.
TEST_F(Frame, AnOpenedObjectFileShowsItsBlockOrSaysWhereItBelongs) {
  TPrintDocument source;
  ASSERT_TRUE(source.LoadFromFile(TemplatePath()));
  auto* body = dynamic_cast<TPassportBody*>(source.GetChild(0));
  ASSERT_TRUE(body);
  const QString bodyFile = Path(QStringLiteral("body.kno"));
  const QString columnFile = Path(QStringLiteral("column.kno"));
  ASSERT_EQ(body->SaveObjectToPath(bodyFile), S_OK);
  const int columns = body->Count();
  std::unique_ptr<TPrintObject> made = body->CreateChild(kindTextDesc);
  auto* column = dynamic_cast<TDataObject*>(made.get());
  ASSERT_TRUE(column);
  body->AddChild(std::move(made));
  ASSERT_EQ(column->SaveObjectToPath(columnFile), S_OK);
  const QByteArray before = Bytes(bodyFile);

  TkrKernoMainForm* frame = NewFrame({bodyFile});
  TKernoChild* child = frame->ActiveChild();
  ASSERT_TRUE(child);
  EXPECT_EQ(child->Caption(), QStringLiteral("New passport0"));
  ASSERT_EQ(child->Document()->Count(), 1);
  auto* shown = dynamic_cast<TPassportBody*>(child->Document()->GetChild(0));
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->Count(), columns);
  EXPECT_FALSE(child->IsModified());
  FUi.FileAnswers = {Path(QStringLiteral("shown.knd"))};
  ASSERT_TRUE(child->Save());
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  EXPECT_TRUE(FUi.FileDialogs[0].FileName.endsWith(QStringLiteral("body.knd")));
  EXPECT_EQ(Bytes(bodyFile), before);

  EXPECT_EQ(frame->OpenFile(columnFile), nullptr);
  Settle();
  EXPECT_EQ(frame->Children().size(), 1);
  ASSERT_FALSE(FUi.Messages.empty());
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages.back().Text.contains(QStringLiteral("not a head or a body")))
      << FUi.Messages.back().Text.toStdString();
}

// Closing asks whenever the document holds changes, also when no undo step
// was kept for them.
TEST_F(Frame, ClosingAChangedDocumentAsksEvenWithoutUndoSteps) {
  FSettings->SetMaxSteps(0);
  const QString a = MakeDocument(QStringLiteral("a.knd"));
  const QByteArray before = Bytes(a);
  TkrKernoMainForm* frame = NewFrame({a});
  TKernoChild* child = frame->ActiveChild();
  child->close();
  Settle();
  EXPECT_TRUE(frame->Children().isEmpty()) << "an unchanged document asked";
  EXPECT_TRUE(FUi.Messages.empty());

  child = frame->OpenFile(a);
  ASSERT_TRUE(child);
  auto* body = static_cast<TPassportBody*>(child->Document()->GetChild(0));
  child->RunEdit([&] { return body->GetChild(0)->MoveBy(10, 0); });
  ASSERT_EQ(child->Undo().Count(), 0);
  ASSERT_TRUE(child->IsModified());

  FUi.MessageAnswers = {TMsgResult::Cancel};
  EXPECT_FALSE(child->close());
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_EQ(FUi.Messages[0].Buttons, mbYes | mbNo | mbCancel);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(a));

  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(child->close());
  Settle();
  EXPECT_TRUE(frame->Children().isEmpty());
  EXPECT_NE(Bytes(a), before) << "Yes did not save";

  child = frame->OpenFile(a);
  static_cast<TPassportBody*>(child->Document()->GetChild(0))->GetChild(0)->MoveBy(5, 0);
  const QByteArray saved = Bytes(a);
  FUi.MessageAnswers = {TMsgResult::No};
  EXPECT_TRUE(child->close());
  EXPECT_EQ(Bytes(a), saved) << "No saved";
  EXPECT_EQ(FUi.Messages.size(), 3u);
}

TEST_F(Frame, CommandsAreEnabledByTheOpenDocuments) {
  TkrKernoMainForm* frame = NewFrame();
  TMainActions& a = frame->Actions();
  const auto enabled = [](QAction* action) { return action->isEnabled(); };
  EXPECT_TRUE(enabled(a.FileNew));
  EXPECT_TRUE(enabled(a.FileOpen));
  for (QAction* action :
       {a.FileSave, a.FileSaveAs, a.FileSaveAll, a.FilePrint, a.FileExport, a.FileUndo, a.EditDelete, a.ViewGrid,
        a.CursorHand, a.TemplateSave, a.ServiceStructure, a.FileAddBlock, a.FileAddExtraBlock})
    EXPECT_FALSE(enabled(action)) << action->objectName().toStdString() << " without a document";
  EXPECT_FALSE(a.ZoomItems[0]->isEnabled());
  // The sign database editor needs no document: a window of its own, in the
  // program's language, that goes with the frame.
  ASSERT_TRUE(enabled(a.ServiceLDBEdit));
  const auto editors = [] {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (QString::fromLatin1(w->metaObject()->className()).endsWith(QStringLiteral("TFStrat")) && w->isVisible())
        found << w;
    return found;
  };
  a.ServiceLDBEdit->trigger();
  ASSERT_EQ(editors().size(), 1);
  EXPECT_EQ(editors()[0]->windowTitle(), QStringLiteral("Database"));

  TKernoChild* child = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(child);
  EXPECT_EQ(child->Caption(), QStringLiteral("New passport0"));
  for (QAction* action : {a.FileSave, a.FileSaveAs, a.FilePrint, a.FileExport, a.ViewGrid, a.CursorHand, a.TemplateSave,
                          a.ServiceStructure, a.FileAddBlock})
    EXPECT_TRUE(enabled(action)) << action->objectName().toStdString() << " with a document";
  EXPECT_FALSE(enabled(a.FileSaveAll)) << "one document";
  EXPECT_FALSE(enabled(a.FileUndo)) << "nothing to undo";
  EXPECT_FALSE(enabled(a.EditDelete)) << "nothing selected";
  EXPECT_FALSE(enabled(a.FileAddExtraBlock)) << "no spare blocks";
  EXPECT_TRUE(a.CursorSelect->isChecked());
  EXPECT_TRUE(a.ViewEdit->isChecked());

  // A selected column can go; once it went, undo is offered.
  auto* body = static_cast<TPassportBody*>(child->Document()->GetChild(0));
  body->GetChild(1)->SetSelected(true);
  emit child->CommandsChanged();
  EXPECT_TRUE(enabled(a.EditDelete));
  FUi.MessageAnswers = {TMsgResult::Yes};
  a.EditDelete->trigger();
  EXPECT_EQ(body->Count(), 1);
  EXPECT_TRUE(enabled(a.FileUndo));
  EXPECT_FALSE(enabled(a.EditDelete));
  a.FileUndo->trigger();
  EXPECT_EQ(static_cast<TPassportBody*>(child->Document()->GetChild(0))->Count(), 2);
  EXPECT_FALSE(enabled(a.FileUndo));

  TKernoChild* second = frame->NewFromTemplate(TemplatePath());
  EXPECT_EQ(second->Caption(), QStringLiteral("New passport1"));
  EXPECT_TRUE(enabled(a.FileSaveAll));
  a.CursorHand->trigger();
  EXPECT_EQ(second->CursorMode(), cmHand);
  EXPECT_EQ(child->CursorMode(), cmSelect) << "the mode belongs to the active window";
  frame->MdiArea()->setActiveSubWindow(child);
  EXPECT_TRUE(a.CursorSelect->isChecked()) << "the cursor actions follow the window switch";

  FUi.MessageAnswers = {TMsgResult::No, TMsgResult::No};
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  EXPECT_FALSE(enabled(a.FileSave));
  EXPECT_FALSE(enabled(a.FileSaveAll));
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kerno"));
  frame->close();
  Settle();
  EXPECT_TRUE(editors().isEmpty()) << "the database editor outlived the frame";
}

// Block menus stand from position 2 of the main menu, after File and Edit,
// and run the blocks' commands with undo.
TEST_F(Frame, TheActiveDocumentsBlocksHaveTheirMenus) {
  TkrKernoMainForm* frame = NewFrame();
  TKernoChild* child = frame->NewFromTemplate(TemplatePath());
  const QList<QAction*> top = frame->menuBar()->actions();
  ASSERT_GE(top.size(), 4);
  EXPECT_EQ(top[0]->text(), QStringLiteral("File"));
  EXPECT_EQ(top[1]->text(), QStringLiteral("Edit"));
  EXPECT_EQ(top[2]->text(), QStringLiteral("Logs"));
  EXPECT_EQ(top[3]->text(), QStringLiteral("View"));
  ASSERT_EQ(frame->BlockMenus().size(), 1);
  QMenu* logs = frame->BlockMenus()[0];
  QAction* scale = nullptr;
  for (QAction* item : logs->actions())
    if (item->text() == QStringLiteral("Zoom 1:200")) scale = item;
  ASSERT_NE(scale, nullptr) << "the body's scale command";
  FUi.ListAnswers = {5};  // 1:500
  scale->trigger();
  auto* body = static_cast<TPassportBody*>(child->Document()->GetChild(0));
  EXPECT_EQ(body->GetVertScale(), 500);
  EXPECT_EQ(child->Undo().Count(), 1);
  frame->Actions().FileUndo->trigger();
  Settle();
  EXPECT_EQ(static_cast<TPassportBody*>(child->Document()->GetChild(0))->GetVertScale(), 200);

  // Adding a block from the template: a new menu, and undo takes it back.
  FUi.ListAnswers = {0};
  FUi.TextAnswers = {QStringLiteral("Extra logs")};
  frame->Actions().FileAddBlock->trigger();
  Settle();
  ASSERT_EQ(child->Document()->Count(), 2);
  ASSERT_EQ(frame->BlockMenus().size(), 2);
  EXPECT_EQ(frame->BlockMenus()[1]->title(), QStringLiteral("Extra logs"));
  frame->Actions().FileUndo->trigger();
  Settle();
  EXPECT_EQ(child->Document()->Count(), 1);
  EXPECT_EQ(frame->BlockMenus().size(), 1);
}

// A block menu's captions follow the block's state, whichever way it changed.
TEST_F(Frame, BlockMenuCaptionsFollowTheBlocksState) {
  WriteText(QStringLiteral("template/head.knt"),
            "[PASSPORT]\nOBJECT1=Head_1 273\nOBJECT2=Body_1 274\n[Head_1]\nNAME=Head\nHEIGHT=30\n"
            "[Body_1]\nNAME=Logs\nHEIGHT=100\n");
  TkrKernoMainForm* frame = NewFrame();
  TKernoChild* child = frame->NewFromTemplate(Path(QStringLiteral("template/head.knt")));
  ASSERT_NE(child, nullptr);
  ASSERT_EQ(frame->BlockMenus().size(), 2);
  QMenu* head = frame->BlockMenus()[0];
  const auto find = [head](const QString& text) -> QAction* {
    for (QAction* item : head->actions())
      if (item->text() == text) return item;
    return nullptr;
  };
  QAction* on = find(QStringLiteral("Free edit on"));
  ASSERT_NE(on, nullptr);
  on->trigger();
  auto* block = dynamic_cast<TPrintHeader*>(child->Document()->GetChild(0));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(block->FreeEdit());
  emit head->aboutToShow();
  EXPECT_EQ(find(QStringLiteral("Free edit on")), nullptr);
  ASSERT_NE(find(QStringLiteral("Free edit off")), nullptr) << "the menu names what the command now does";
  block->SetFreeEdit(false);  // as the object's pop-up menu does it
  emit head->aboutToShow();
  ASSERT_NE(find(QStringLiteral("Free edit on")), nullptr);
  find(QStringLiteral("Free edit on"))->trigger();
  EXPECT_TRUE(block->FreeEdit()) << "the refilled menu runs its commands";
}

// File > Fill from LAS file fills the active document's curves from the
// chosen file, says what it did, and undo takes the fill back.
TEST_F(Frame, FillFromLasFillsTheActiveDocumentsCurvesWithUndo) {
  WriteText(QStringLiteral("template/logs.knt"),
            "[PASSPORT]\nOBJECT1=Body_1 274\n[Body_1]\nNAME=Logs\nHEIGHT=300\nOBJECT1=Track_1 4\n"
            "[Track_1]\nNAME=Gamma\nLEFT=0\nWIDTH=40\nHEIGHT=300\nOBJECT1=Curve_1 276\n"
            "[Curve_1]\nSCALE.MEASUREMENT=25\nCURVENAME=GR\n");
  WriteText(QStringLiteral("gr.las"),
            "~Version\nVERS. 2.0 :\n~Curve\nDEPT.M :\nGK.UR/H :\n~A\n1000 7\n1000.5 8\n1001 9\n");
  TkrKernoMainForm* frame = NewFrame();
  TKernoChild* child = frame->NewFromTemplate(Path(QStringLiteral("template/logs.knt")));
  ASSERT_NE(child, nullptr);
  TMainActions& a = frame->Actions();
  EXPECT_TRUE(a.FileFillFromLas->isEnabled());
  FUi.FileAnswers = {Path(QStringLiteral("gr.las"))};
  a.FileFillFromLas->trigger();
  Settle();
  const auto curves = [&] { return FindDocumentCurves(child->Document()); };
  ASSERT_EQ(curves().size(), 1u);
  EXPECT_EQ(curves()[0]->SampleCount(), 3) << "GR from the file's GK";
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("GR: filled from GK")))
      << FUi.Messages[0].Text.toStdString();
  EXPECT_TRUE(child->IsModified());
  a.FileUndo->trigger();
  Settle();
  ASSERT_EQ(curves().size(), 1u);
  EXPECT_EQ(curves()[0]->SampleCount(), 0);
}

// A LAS file opened as a document offers a new curve log filled with it.
TEST_F(Frame, OpeningALasFileOffersANewCurveLogFilledWithIt) {
  WriteText(QStringLiteral("template/curve_log.knt"),
            "[PASSPORT]\nOBJECT1=Body_1 274\n[Body_1]\nNAME=Logs\nHEIGHT=300\nOBJECT1=Track_1 4\n"
            "[Track_1]\nNAME=Gamma\nLEFT=0\nWIDTH=40\nHEIGHT=300\nOBJECT1=Curve_1 276\n"
            "[Curve_1]\nSCALE.MEASUREMENT=25\nCURVENAME=GR\n");
  WriteText(QStringLiteral("gr.LAS"),
            "~Version\nVERS. 2.0 :\n~Curve\nDEPT.M :\nGR.API :\n~A\n1000 7\n1000.5 8\n1001 9\n");
  WriteText(QStringLiteral("bad.las"), "not a LAS file at all\n");
  TkrKernoMainForm* frame = NewFrame();
  FUi.MessageAnswers = {TMsgResult::No};
  EXPECT_EQ(frame->OpenFile(Path(QStringLiteral("gr.LAS"))), nullptr);
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Question);
  EXPECT_TRUE(FUi.Messages[0].Text.startsWith("gr.LAS is a LAS file, not a Kerno document."));
  EXPECT_TRUE(frame->Children().isEmpty());

  FUi.MessageAnswers = {TMsgResult::Yes};
  TKernoChild* child = frame->OpenFile(Path(QStringLiteral("gr.LAS")));
  ASSERT_NE(child, nullptr);
  const auto curves = FindDocumentCurves(child->Document());
  ASSERT_EQ(curves.size(), 1u);
  EXPECT_EQ(curves[0]->SampleCount(), 3);
  EXPECT_EQ(FUi.Messages.size(), 3u) << "the question and what was filled";
  EXPECT_EQ(child->Undo().Count(), 1) << "the fill can be taken back";
  EXPECT_FALSE(child->Caption().endsWith(QStringLiteral(".las"), Qt::CaseInsensitive))
      << "saving asks for a name, never writes over the LAS file";
  frame->Actions().FileSave->trigger();  // the file dialog is cancelled
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  EXPECT_EQ(FUi.FileDialogs[0].FileName, Path(QStringLiteral("gr.knd"))) << "offered beside the LAS file";
  FUi.FileDialogs.clear();

  // And back out: File > Export curves to LAS writes the document's curves.
  FUi.FileAnswers = {Path(QStringLiteral("out.las"))};
  frame->Actions().FileExportLas->trigger();
  ASSERT_EQ(FUi.FileDialogs.size(), 1u);
  EXPECT_TRUE(FUi.FileDialogs[0].FileName.endsWith(QStringLiteral(".las")));
  TLasData back;
  QString error;
  ASSERT_TRUE(ReadLasCurves(Path(QStringLiteral("out.las")), &back, &error)) << error.toStdString();
  ASSERT_EQ(back.Curves.size(), 1u);
  EXPECT_EQ(back.Curves[0].Mnemonic, "GR");
  EXPECT_EQ(FUi.Messages.size(), 3u) << "written without a word";

  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_EQ(frame->OpenFile(Path(QStringLiteral("bad.las"))), nullptr);
  Settle();
  EXPECT_EQ(frame->Children().size(), 1) << "no empty window stays behind";
  EXPECT_EQ(FUi.Messages.back().Kind, TMsgKind::Error);

  // A document without samples has nothing to write, and says so before asking for a file.
  ASSERT_NE(frame->NewFromTemplate(Path(QStringLiteral("template/curve_log.knt"))), nullptr);
  const size_t dialogs = FUi.FileDialogs.size();
  frame->Actions().FileExportLas->trigger();
  EXPECT_EQ(FUi.FileDialogs.size(), dialogs);
  EXPECT_EQ(FUi.Messages.back().Text, "There are no curve samples to export");
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  frame->close();
}

TEST_F(Frame, SecondInstanceHandsItsFilesToTheRunningOne) {
  TkrKernoMainForm* frame = NewFrame();
  ASSERT_TRUE(frame->ListenForInstances());
  const QString a = MakeDocument(QStringLiteral("a.knd"));
  const QString b = MakeDocument(QStringLiteral("b.knd"));
  {
    QLocalSocket client;
    client.connectToServer(InstanceServerName());
    ASSERT_TRUE(client.waitForConnected(3000));
    client.write(a.toUtf8() + '\r' + b.toUtf8() + '\r');
    ASSERT_TRUE(client.waitForBytesWritten(3000));
    client.disconnectFromServer();
  }
  // QTRY_COMPARE would return without telling GoogleTest of a failure.
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->Children().size() == 2; }, 5000));
  EXPECT_EQ(Captions(frame), (QStringList{a, b}));
}

// "/multi" starts its own frame even while another instance answers.
TEST_F(Frame, MultiStartsANewInstanceEvenWhenOneRuns) {
  QLocalServer running;
  ASSERT_TRUE(running.listen(InstanceServerName()));
  const QString a = MakeDocument(QStringLiteral("a.knd"));
  EXPECT_TRUE(IsMultiInstance({QStringLiteral("/MULTI"), a}));
  EXPECT_EQ(FileArguments({QStringLiteral("/multi"), a}), QStringList{a});
  EXPECT_FALSE(HandArgumentsOver({QStringLiteral("/multi"), a}));
  QCoreApplication::processEvents();
  EXPECT_FALSE(running.hasPendingConnections()) << "a /multi start talked to the running instance";
  TkrKernoMainForm* frame = NewFrame({QStringLiteral("/multi"), a});
  EXPECT_EQ(Captions(frame), QStringList{a});

  // Without it the names go to the running instance, made absolute.
  const QString current = QDir::currentPath();
  QDir::setCurrent(FDir.path());
  const bool handed = HandArgumentsOver({QStringLiteral("a.knd")});
  QDir::setCurrent(current);
  ASSERT_TRUE(handed);
  ASSERT_TRUE(running.waitForNewConnection(3000));
  QLocalSocket* received = running.nextPendingConnection();
  QByteArray message;
  while (received->state() == QLocalSocket::ConnectedState && received->waitForReadyRead(3000))
    message += received->readAll();
  message += received->readAll();
  EXPECT_EQ(UnpackFileNames(message), QStringList{a});
}

TEST_F(Frame, AutoSaveWritesTheListAndTheNextStartRecovers) {
  const QString a = MakeDocument(QStringLiteral("a.knd"));
  TkrKernoMainForm* frame = NewFrame({a});
  TKernoChild* fresh = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(fresh);
  TKernoChild* opened = frame->Children()[0];
  static_cast<TPassportBody*>(opened->Document()->GetChild(0))->GetChild(0)->MoveBy(7, 0);
  fresh->Document()->SetModified(false);
  ASSERT_TRUE(frame->AutoSaveNow());

  TIniFile list(AutoSaveListPath());
  EXPECT_EQ(list.ReadInteger("AUTOSAVE", "FILECOUNT", -1), 2);
  EXPECT_EQ(list.ReadString("AUTOSAVE", "REAL0", {}), a);
  EXPECT_EQ(list.ReadString("AUTOSAVE", "REAL1", {}), QStringLiteral("New passport1"));
  EXPECT_EQ(list.ReadString("AUTOSAVE", "TEMP1", {}), FSettings->TempDirectory() + "AutoSave1.tmp");
  EXPECT_TRUE(opened->IsModified()) << "the copy is not the document's own file";
  EXPECT_FALSE(fresh->IsModified());
  TPrintDocument copy;
  ASSERT_TRUE(copy.LoadDocumentFile(list.ReadString("AUTOSAVE", "TEMP0", {})));
  EXPECT_DOUBLE_EQ(static_cast<TPassportBody*>(copy.GetChild(0))->GetChild(0)->Left(), 7);

  // A crash: the next start finds the list and opens the copies.
  TkrKernoMainForm* next = NewFrame();
  EXPECT_EQ(Captions(next),
            (QStringList{Path(QStringLiteral("a (repaired).knd")), QStringLiteral("New passport1 (repaired)")}));
  ASSERT_FALSE(FUi.Messages.empty());
  EXPECT_EQ(FUi.Messages.back().Text, QStringLiteral("Files left by the auto-save have been restored"));
  EXPECT_TRUE(next->Children()[0]->IsModified());
  EXPECT_EQ(RepairedCaption(QStringLiteral("/x.y/report")), QStringLiteral("/x.y/report (repaired)"));

  // A frame that closes empties the temporary folder.
  for (TKernoChild* child : next->Children()) child->SetAskOnClose(false);
  next->close();
  Settle();
  EXPECT_FALSE(QFileInfo::exists(AutoSaveListPath()));
  EXPECT_TRUE(ReadAutoSaveList().empty());
}

TEST_F(Frame, TheAutoSaveTimerFollowsTheSettings) {
  FSettings->SetAutoSave(true);
  FSettings->SetAutoSaveInterval(3);
  TkrKernoMainForm* frame = NewFrame();
  EXPECT_TRUE(frame->AutoSaveTimer()->isActive());
  EXPECT_EQ(frame->AutoSaveTimer()->interval(), 3 * 60000);
  FSettings->SetAutoSave(false);
  frame->ArmAutoSave();
  EXPECT_FALSE(frame->AutoSaveTimer()->isActive());
}

TEST_F(Frame, StartUpFailsWithoutItsLanguagePackAndRemindsOfNewerVersions) {
  FSettings->SetLanguage(QStringLiteral("klingon"));
  TkrKernoMainForm failing;
  EXPECT_FALSE(failing.StartUp({}));
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_TRUE(FUi.Messages[0].Text.startsWith(QStringLiteral("Can't Load Language Pack ")));
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("klingon.vox")));

  FUi.Messages.clear();
  FSettings->SetLanguage(QStringLiteral("russian"));
  FSettings->RecordNewerBuild(kVersionInternal + 5, 9.5, QStringLiteral("9.5"), QStringLiteral("01.01.2030"));
  TkrKernoMainForm* frame = NewFrame();
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("9.5"))) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(frame->Actions().FileNew->text(), QStringLiteral("Создать..."));
  EXPECT_EQ(frame->menuBar()->actions()[0]->text(), QStringLiteral("Файл"));
}

// Every command, menu and tool bar has its caption and hint in both packs
// (the frame looks them up by name: a missing key would show the name).
TEST_F(Frame, EveryCommandIsTranslatedInBothPacks) {
  TkrKernoMainForm frame;
  QStringList menuKeys;
  for (QAction* action : frame.Actions().All()) menuKeys << action->objectName() << action->objectName() + "Hint";
  for (QMenu* menu : frame.findChildren<QMenu*>())
    if (menu->objectName().startsWith(QStringLiteral("mi")))
      menuKeys << menu->objectName().mid(2) << menu->objectName().mid(2) + "Hint";
  QStringList barKeys;
  for (QToolBar* bar : frame.findChildren<QToolBar*>()) barKeys << bar->objectName();
  ASSERT_GT(menuKeys.size(), 80);
  ASSERT_EQ(barKeys.size(), 4);
  for (const char* pack : {"english", "russian"}) {
    ASSERT_TRUE(LoadLanguage(Path(QString::fromLatin1(pack) + ".vox")));
    for (const QString& key : menuKeys)
      EXPECT_NE(Translate("MENU", key, "\x01"), "\x01") << pack << " lacks [MENU] " << key.toStdString();
    for (const QString& key : barKeys)
      EXPECT_NE(Translate("TOOLBAR", key, "\x01"), "\x01") << pack << " lacks [TOOLBAR] " << key.toStdString();
    for (const QString& tip : TipTexts()) EXPECT_FALSE(tip.isEmpty());
  }
}

// Without a printer, File > Print setup chooses the PDF pages' paper,
// orientation and margins (Qt's page setup refuses a PDF printer and showed
// nothing).
TEST_F(Frame, PrintSetupWithoutAPrinterSetsThePdfPages) {
  TFPdfPageSetup dialog;
  EXPECT_EQ(dialog.cbPaper->currentText(), "A4");
  EXPECT_EQ(dialog.cbOrientation->currentIndex(), 0);
  EXPECT_EQ(dialog.eMargins->text(), "10;10;10;10");
  dialog.cbPaper->setCurrentIndex(dialog.cbPaper->findText("A3"));
  dialog.cbOrientation->setCurrentIndex(1);
  dialog.eMargins->setText("five");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected) << "margins that cannot be read keep the dialog open";
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  dialog.eMargins->setText("5");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const QPageLayout layout = PrintLayoutFromSettings();
  EXPECT_EQ(layout.pageSize().id(), QPageSize::A3);
  EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
  EXPECT_DOUBLE_EQ(layout.margins(QPageLayout::Millimeter).left(), 5);

  // Reopened, it shows what was kept.
  TFPdfPageSetup again;
  EXPECT_EQ(again.cbPaper->currentText(), "A3");
  EXPECT_EQ(again.cbOrientation->currentIndex(), 1);
  EXPECT_EQ(again.eMargins->text(), "5;5;5;5");
}

// A key bound to two commands runs neither (Qt calls it ambiguous), in
// either language's menus.
TEST_F(Frame, NoTwoCommandsShareAShortcut) {
  for (const char* pack : {"english", "russian"}) {
    ASSERT_TRUE(LoadLanguage(Path(QString::fromLatin1(pack) + ".vox")));
    TkrKernoMainForm frame;
    QHash<QString, QString> owners;
    for (QAction* action : frame.findChildren<QAction*>())
      for (const QKeySequence& key : action->shortcuts()) {
        const QString text = key.toString();
        if (text.isEmpty()) continue;
        const QString name = action->objectName().isEmpty() ? action->text() : action->objectName();
        EXPECT_FALSE(owners.contains(text) && owners[text] != name)
            << pack << ": " << text.toStdString() << " runs " << owners[text].toStdString() << " and "
            << name.toStdString();
        owners.insert(text, name);
      }
    EXPECT_GT(owners.size(), 15);
  }
}

TEST_F(Frame, TemplatesAreListedByNameAndDeletedWithTheirTwin) {
  WriteText(QStringLiteral("template/unnamed.knt"), "[PASSPORT]\nOBJECT1=Body_1 274\n");
  WriteText(QStringLiteral("template/named.knt"),
            "[TEMPLATE]\nNAME=Lithology log\nDESCRIPTION=Rocks by depth\n[PASSPORT]\nOBJECT1=Body_1 274\n");
  WriteText(QStringLiteral("template/Plain.knd"), "x");
  WriteText(QStringLiteral("template/Plain.knt"), "[PASSPORT]\n");
  WriteText(QStringLiteral("template/default.template.bmp"), "x");
  WriteText(QStringLiteral("template/named.bmp"), "x");
  const std::vector<TTemplateInfo> entries = ListTemplates(TemplateDir());
  QStringList names;
  for (const TTemplateInfo& e : entries) names << e.Name;
  EXPECT_EQ(names, (QStringList{QStringLiteral("Lithology log"), QStringLiteral("Plain")}))
      << "files without a name stay out";
  EXPECT_EQ(entries[0].Description, QStringLiteral("Rocks by depth"));
  EXPECT_EQ(entries[0].Picture, Path(QStringLiteral("template/named.bmp")));
  EXPECT_EQ(entries[1].Picture, Path(QStringLiteral("template/default.template.bmp")));

  TFSelectTemplate dialog(TemplateDir());
  EXPECT_EQ(dialog.List()->currentRow(), 0) << "the first template is chosen as the dialog opens";
  dialog.List()->setCurrentRow(1);
  EXPECT_EQ(dialog.ChosenPath(), Path(QStringLiteral("template/Plain.knd")));
  FUi.MessageAnswers = {TMsgResult::No};
  dialog.DeleteCurrent();
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("template/Plain.knd"))));
  FUi.MessageAnswers = {TMsgResult::Yes};
  dialog.DeleteCurrent();
  EXPECT_EQ(FUi.Messages.back().Text, QStringLiteral("Delete \"Plain\""));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("template/Plain.knd"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("template/Plain.knt"))));
  EXPECT_EQ(dialog.List()->count(), 1);
}

TEST_F(Frame, SaveAsGivesTheDocumentExtensionAndSavingATemplateAsksBeforeReplacing) {
  TkrKernoMainForm* frame = NewFrame();
  TKernoChild* child = frame->NewFromTemplate(TemplatePath());
  FUi.FileAnswers = {Path(QStringLiteral("report.txt"))};
  frame->Actions().FileSave->trigger();
  EXPECT_EQ(child->Caption(), Path(QStringLiteral("report.knd")));
  EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("report.knd"))));
  EXPECT_FALSE(child->IsModified());
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kerno - [%1]").arg(child->Caption()));

  EXPECT_TRUE(frame->SaveTemplate(QStringLiteral("mine")));
  const QString made = TemplateDir() + QStringLiteral("mine.knd");
  const QByteArray first = Bytes(made);
  ASSERT_FALSE(first.isEmpty());
  child->Document()->AddFixedRuller(0, 10, 10);
  FUi.MessageAnswers = {TMsgResult::No};
  EXPECT_FALSE(frame->SaveTemplate(QStringLiteral("mine")));
  EXPECT_EQ(Bytes(made), first);
  FUi.MessageAnswers = {TMsgResult::Yes};
  EXPECT_TRUE(frame->SaveTemplate(QStringLiteral("mine")));
  EXPECT_EQ(Bytes(made), first) << "a template keeps no guides";
}

// The frame's Export writes the active document as a picture named after its
// file; Help opens the contents and what's new.
TEST_F(Frame, ExportWritesTheActiveDocumentAsAPictureAndHelpOpensItsTopics) {
  TkrKernoMainForm* frame = NewFrame();
  TMainActions& a = frame->Actions();
  ASSERT_TRUE(frame->OpenFile(MakeDocument(QStringLiteral("well.knd"))));
  FUi.FileAnswers = {Path(QStringLiteral("well"))};
  FUi.FilterAnswers = {5};  // SVG: no options to ask
  a.FileExport->trigger();
  ASSERT_FALSE(FUi.FileDialogs.empty());
  EXPECT_EQ(FUi.FileDialogs.back().FileName, QStringLiteral("well")) << "the document's name proposed";
  EXPECT_TRUE(Bytes(Path(QStringLiteral("well.svg"))).contains("<svg"));
  EXPECT_TRUE(FUi.Messages.empty()) << (FUi.Messages.empty() ? QString() : FUi.Messages[0].Text).toStdString();

  a.HelpHelp->trigger();
  a.HelpNew->trigger();
  EXPECT_EQ(FUi.HelpTopics, (QStringList{QStringLiteral("index"), QStringLiteral("version")}));
}

TEST_F(Frame, ObjectsAreCutCopiedAndPastedBetweenDocumentsWithUndo) {
  QGuiApplication::clipboard()->clear();
  TkrKernoMainForm* frame = NewFrame();
  TMainActions& a = frame->Actions();
  TKernoChild* first = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(first);
  EXPECT_FALSE(a.EditCopy->isEnabled()) << "nothing selected";
  EXPECT_FALSE(a.EditPaste->isEnabled()) << "nothing copied";
  const auto body = [](TKernoChild* child) { return static_cast<TPassportBody*>(child->Document()->GetChild(0)); };
  ASSERT_EQ(body(first)->Count(), 2);
  body(first)->GetChild(1)->SetSelected(true);
  emit first->CommandsChanged();
  ASSERT_TRUE(a.EditCopy->isEnabled());
  const bool modified = first->IsModified();
  a.EditCopy->trigger();
  EXPECT_TRUE(a.EditPaste->isEnabled()) << "the clipboard holds the column";
  EXPECT_EQ(first->IsModified(), modified) << "copying changes nothing";
  EXPECT_FALSE(a.FileUndo->isEnabled()) << "nor is it an edit";

  TKernoChild* second = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(second);
  body(second)->SetSelected(true);
  a.EditPaste->trigger();
  Settle();
  EXPECT_EQ(body(second)->Count(), 3);
  EXPECT_TRUE(a.FileUndo->isEnabled());
  a.FileUndo->trigger();
  Settle();
  EXPECT_EQ(body(second)->Count(), 2);
  ASSERT_TRUE(a.EditRedo->isEnabled()) << "the paste can be redone";
  a.EditRedo->trigger();
  Settle();
  EXPECT_EQ(body(second)->Count(), 3);
  EXPECT_FALSE(a.EditRedo->isEnabled());
  a.FileUndo->trigger();
  Settle();

  // A cut asks nothing: the column is on the clipboard and the cut undoes.
  frame->MdiArea()->setActiveSubWindow(first);
  body(first)->GetChild(0)->SetSelected(true);
  emit first->CommandsChanged();
  FUi.Messages.clear();
  a.EditCut->trigger();
  Settle();
  EXPECT_TRUE(FUi.Messages.empty());
  EXPECT_EQ(body(first)->Count(), 1);
  a.FileUndo->trigger();
  Settle();
  EXPECT_EQ(body(first)->Count(), 2);

  // Plain text put there by another program is no object.
  QGuiApplication::clipboard()->setText(QStringLiteral("plain text"));
  EXPECT_FALSE(a.EditPaste->isEnabled()) << "text is not an object";
  FUi.MessageAnswers = {TMsgResult::No, TMsgResult::No};
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  frame->close();
}

// A picture copied in another program pastes into the selected head (or the
// head around the selection: then into the selected cell), fitted inside;
// with nothing that takes pictures selected the user is told what to select.
TEST_F(Frame, APictureFromAnotherProgramPastesIntoTheSelectedHead) {
  TkrKernoMainForm* frame = NewFrame();
  TMainActions& a = frame->Actions();
  TKernoChild* child = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(child);
  auto head = std::make_unique<TPrintHeader>();
  head->SetBoundsRect({0, 400, 190, 430});
  auto title = std::make_unique<TPrintText>();
  title->SetBoundsRect({100, 405, 190, 415});
  TPrintText* text = title.get();
  head->AddChild(std::move(title));
  TPrintHeader* block = head.get();
  child->Document()->AddChild(std::move(head));

  QImage logo(900, 150, QImage::Format_RGB32);
  logo.fill(qRgb(0, 90, 160));
  QGuiApplication::clipboard()->setImage(logo);
  Settle();
  EXPECT_TRUE(a.EditPaste->isEnabled()) << "a picture can be pasted";

  child->Document()->GetChild(0)->SetSelected(true);  // the body takes no pictures
  a.EditPaste->trigger();
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_TRUE(FUi.Messages[0].Text.contains(QStringLiteral("depth table"))) << FUi.Messages[0].Text.toStdString();
  EXPECT_EQ(block->Count(), 1);

  child->Document()->GetChild(0)->SetSelected(false);
  text->SetSelected(true);
  a.EditPaste->trigger();
  Settle();
  ASSERT_EQ(block->Count(), 2);
  const TPrintObject* picture = block->GetChild(1);
  EXPECT_EQ(picture->GetKind(), kindImage);
  // 300 x 50 mm at its file's size: fitted into the selected text's cell
  // (90 x 10 mm), proportions kept, at its corner.
  EXPECT_NEAR(picture->GetWidth(), 6 * picture->GetHeight(), 1e-9);
  EXPECT_DOUBLE_EQ(picture->Left(), text->Left());
  EXPECT_DOUBLE_EQ(picture->Top(), text->Top());
  EXPECT_DOUBLE_EQ(picture->GetHeight(), text->GetHeight()) << "60 x 10 mm";
  EXPECT_LE(picture->GetWidth(), text->GetWidth());
  EXPECT_TRUE(a.FileUndo->isEnabled());
  QGuiApplication::clipboard()->clear();
  FUi.MessageAnswers = {TMsgResult::No};
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  frame->close();
}

TEST_F(Frame, TheStatusShowsOnlyTheActiveWindowsPosition) {
  TkrKernoMainForm* frame = NewFrame();
  TKernoChild* first = frame->NewFromTemplate(TemplatePath());
  TKernoChild* second = frame->NewFromTemplate(TemplatePath());
  ASSERT_TRUE(first && second);
  auto* status = frame->findChild<QLabel*>(QStringLiteral("StatusPosition"));
  ASSERT_TRUE(status);
  emit second->StatusChanged(QStringLiteral("10 x 20 (100%)"));
  EXPECT_EQ(status->text(), QStringLiteral("10 x 20 (100%)"));
  emit first->StatusChanged(QStringLiteral("1 x 2 (100%)"));
  EXPECT_EQ(status->text(), QStringLiteral("10 x 20 (100%)")) << "a window behind does not speak";
  frame->MdiArea()->setActiveSubWindow(first);
  EXPECT_TRUE(status->text().isEmpty()) << "the other window's position is gone";
  FUi.MessageAnswers = {TMsgResult::No, TMsgResult::No};
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  frame->close();
}

TEST_F(Frame, RecentDocumentsAreOfferedAgainAndOnesGoneLeaveTheList) {
  Settings().SetRecentFiles({});
  const QString a = Path(QStringLiteral("a.knd"));
  const QString b = Path(QStringLiteral("b.knd"));
  for (const QString& path : {a, b}) {
    TkrKernoMainForm* maker = NewFrame();
    TKernoChild* made = maker->NewFromTemplate(TemplatePath());
    ASSERT_TRUE(made && made->SaveToPath(path));
    made->SetCaption(path);
    maker->MdiArea()->closeAllSubWindows();
    Settle();
    maker->close();
  }
  TkrKernoMainForm* frame = NewFrame();
  QMenu* recent = frame->Actions().RecentMenu;
  const auto entries = [&] {
    QStringList paths;
    for (QAction* item : recent->actions())
      if (item->objectName().startsWith(QLatin1String("RecentFile"))) paths << item->statusTip();
    return paths;
  };
  EXPECT_EQ(entries(), (QStringList{b, a})) << "the last saved first, as the next start reads them";
  QAction* second = nullptr;
  for (QAction* item : recent->actions())
    if (item->objectName() == QLatin1String("RecentFile2")) second = item;
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->text().contains(QStringLiteral("a.knd")));
  second->trigger();
  Settle();
  ASSERT_EQ(frame->Children().size(), 1);
  EXPECT_EQ(frame->Children()[0]->Caption(), a);
  EXPECT_EQ(entries(), (QStringList{a, b})) << "opened: first again";

  // A file deleted since: the open says so and the entry goes.
  ASSERT_TRUE(QFile::remove(b));
  FUi.Messages.clear();
  frame->OpenRecent(b);
  Settle();
  ASSERT_EQ(FUi.Messages.size(), 1u);
  EXPECT_EQ(FUi.Messages[0].Kind, TMsgKind::Error);
  EXPECT_EQ(entries(), QStringList{a});
  frame->Actions().FileRecentClear->trigger();
  EXPECT_TRUE(entries().isEmpty());
  EXPECT_FALSE(frame->Actions().FileRecentClear->isEnabled());
  EXPECT_TRUE(Settings().RecentFiles().isEmpty());
  frame->MdiArea()->closeAllSubWindows();
  Settle();
  frame->close();
}

// The snap menu's own step: a number is taken, anything else is reported and
// the step stays.
TEST_F(Frame, TheSnapMenuTakesATypedStepAndRefusesText) {
  TkrKernoMainForm* frame = NewFrame();
  QMenu* menu = frame->Actions().SnapMenu;
  const auto choose = [menu](const QString& typed, TScriptedUi* ui) {
    emit menu->aboutToShow();
    ASSERT_FALSE(menu->actions().isEmpty());
    ui->TextAnswers = {typed};
    menu->actions().back()->trigger();
  };
  choose(QStringLiteral("0,25"), &FUi);
  EXPECT_EQ(Settings().Snap(), 0.25);
  EXPECT_TRUE(FUi.Messages.empty());
  for (const QString& bad : {QStringLiteral("fine"), QStringLiteral("-1")}) {
    choose(bad, &FUi);
    EXPECT_EQ(Settings().Snap(), 0.25) << bad.toStdString();
    ASSERT_FALSE(FUi.Messages.empty());
    EXPECT_TRUE(FUi.Messages.back().Text.startsWith("\"" + bad + "\" is not a snapping step"));
  }
  EXPECT_EQ(FUi.Messages.size(), 2u);
  frame->close();
}
