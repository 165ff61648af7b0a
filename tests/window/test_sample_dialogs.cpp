// Every object of the bundled samples opened in its properties dialog, as a
// user double-clicks it: a dialog shown on data the program made itself must
// accept OK without a change (a colour category of one code, oil = 1, once
// could not be confirmed at all), and OK on it must change nothing (a scale's
// 8 mm mark step once became 20 mm).
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "uKernoRun.h"
#include "uMainActions.h"
#include "uMenuEntry.h"
#include "uPrintObjectList.h"
#include "uRootDataObject.h"
#include "uStorage.h"
#include "uTemplatePicture.h"
#include "uWindowTestEnv.h"

namespace {

// Each object below the document as the child indexes leading to it.
void CollectPaths(TPrintObject* object, std::vector<int>& path, std::vector<std::vector<int>>& paths) {
  if (!path.empty()) paths.push_back(path);
  if (auto* list = dynamic_cast<TPrintObjectList*>(object))
    for (int i = 0; i < list->Count(); ++i) {
      path.push_back(i);
      CollectPaths(list->GetChild(i), path, paths);
      path.pop_back();
    }
}

TPrintObject* ObjectAt(TPrintDocument& document, const std::vector<int>& path) {
  TPrintObject* object = &document;
  for (const int i : path) {
    auto* list = dynamic_cast<TPrintObjectList*>(object);
    object = list && i < list->Count() ? list->GetChild(i) : nullptr;
  }
  return object;
}

// Whether two dumps hold the same, numbers to a billionth (a value range
// worked out again after loading may differ in its last digit).
bool SameDump(const QJsonValue& a, const QJsonValue& b) {
  if (a.isDouble() && b.isDouble())
    return std::abs(a.toDouble() - b.toDouble()) <=
           1e-9 * std::max({1.0, std::abs(a.toDouble()), std::abs(b.toDouble())});
  if (a.type() != b.type()) return false;
  if (a.isArray()) {
    const QJsonArray x = a.toArray(), y = b.toArray();
    if (x.size() != y.size()) return false;
    for (qsizetype i = 0; i < x.size(); ++i)
      if (!SameDump(x[i], y[i])) return false;
    return true;
  }
  if (a.isObject()) {
    const QJsonObject x = a.toObject(), y = b.toObject();
    if (x.keys() != y.keys()) return false;
    for (const QString& key : x.keys()) {
      // A new sheet names its sign database by path, a stored one by name.
      if (key == "dataBaseFile" && QFileInfo(x[key].toString()).fileName() == QFileInfo(y[key].toString()).fileName())
        continue;
      if (!SameDump(x[key], y[key])) return false;
    }
    return true;
  }
  return a == b;
}

std::vector<uint8_t> DocumentBytes(TPrintDocument& document) {
  auto storage = TStorage::CreateNew();
  std::vector<uint8_t> bytes;
  if (document.SaveToStorage(storage.get())) storage->SaveToBytes(&bytes);
  return bytes;
}

}  // namespace

class SampleDialogs : public TWindowTest {
 protected:
  // The shipped templates find their head files in the program's folder.
  SampleDialogs() { UseProgramDir(QStringLiteral(KERNO_PROGRAM_DIR)); }
  // The samples, the templates and a curve log filled from a LAS file.
  QStringList Documents();
  void CheckDialogsOf(const QString& path);
  void AddEveryKindTo(const QString& file);
  // Runs every enabled frame command on a copy of the sample, its dialogs
  // confirmed as they open (`accept`) or cancelled.
  void RunFrameCommands(bool accept);
};

QStringList SampleDialogs::Documents() {
  QStringList files;
  for (const char* sample : {"sample.knd", "sample_ru.knd"})
    files << QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/") + QString::fromLatin1(sample);
  // The templates as a new document has them, and the curve log filled from
  // the sample LAS file (log scales, converted units, every usual curve).
  for (const char* sheet : {"well_log.knt", "lithology_log.knt", "curve_log.knt"})
    files << QStringLiteral(KERNO_PROGRAM_DIR "/template/") + QString::fromLatin1(sheet);
  const TKernoRun filled =
      RunKerno({"--fill", "curve_log.knt", "--las",
                QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/curve_log_sample.las"), Path("filled.knd")});
  EXPECT_EQ(filled.Status, 0) << filled.Err.toStdString();
  if (filled.Status == 0) files << Path("filled.knd");
  return files;
}

TEST_F(SampleDialogs, EveryDialogOfTheSamplesAndTemplatesTakesOkAndChangesNothing) {
  for (const QString& file : Documents()) {
    SCOPED_TRACE(file.toStdString());
    CheckDialogsOf(file);
  }
  // The Russian sample in the Russian program: its dialogs read and show
  // their texts and numbers the same way.
  ASSERT_TRUE(LoadLanguage(FDir.filePath(QStringLiteral("russian.vox"))));
  SCOPED_TRACE("in Russian");
  CheckDialogsOf(QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample_ru.knd"));
}

// Answers every modal dialog `open` shows: records it, notes an OK that is
// disabled as it opens, double-clicks the first entry of each of its lists
// (a colour line's category, a column's curve) to check the dialog that
// opens too, then closes it with OK (`accept`) or Cancel.
struct TDialogWalker {
  bool Accept = false;
  bool Probe = true;  // double-click the first entry of a dialog's lists
  QStringList Opened;
  QStringList Refused;

  void Run(const QString& caption, const std::function<void()>& open) {
    QList<QDialog*> checked;
    QList<QDialog*> probing;
    QList<QDialog*> pressed;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || probing.contains(dialog)) return;
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      QPushButton* ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
      if (!checked.contains(dialog)) {
        checked << dialog;
        Opened << dialog->objectName() + " on " + caption;
        if (ok && !ok->isEnabled()) Refused << Opened.last();
        for (QListWidget* list : dialog->findChildren<QListWidget*>())
          if (Probe && list->count() > 0 && list->window() == dialog) {
            probing << dialog;
            // From the event loop: the nested dialog runs its own.
            QTimer::singleShot(0, list, [list, dialog, &probing] {
              list->setCurrentRow(0);
              emit list->itemDoubleClicked(list->item(0));
              probing.removeAll(dialog);
            });
            return;
          }
      }
      // OK once: a dialog that stays open refused what it was shown with.
      if (Accept && ok && ok->isEnabled() && !pressed.contains(dialog)) {
        pressed << dialog;
        ok->click();
        return;
      }
      if (pressed.contains(dialog)) Refused << Opened.last() + " (OK pressed)";
      dialog->reject();
    });
    poll.start();
    open();
    poll.stop();
  }
};

void SampleDialogs::CheckDialogsOf(const QString& path) {
  std::vector<std::vector<int>> paths;
  {
    TPrintDocument document;
    ASSERT_TRUE(document.LoadFromFile(path));
    std::vector<int> trail;
    CollectPaths(&document, trail, paths);
  }
  // Cancel everywhere, then OK everywhere: OK on dialogs left as they opened
  // must keep the document as it was.
  for (const bool accept : {false, true}) {
    SCOPED_TRACE(accept ? "OK" : "Cancel");
    TDialogWalker walker;
    walker.Accept = accept;
    QStringList changed;
    auto document = std::make_unique<TPrintDocument>();
    ASSERT_TRUE(document->LoadFromFile(path));
    for (const std::vector<int>& at : paths) {
      TPrintObject* object = ObjectAt(*document, at);
      if (!object) continue;
      const std::vector<uint8_t> before = DocumentBytes(*document);
      const QString caption = object->Caption().left(40);
      const qsizetype first = walker.Opened.size();
      FUi.MessageAnswers.assign(8, TMsgResult::No);
      walker.Run(caption, [object] { object->EditProperties(); });
      if (DocumentBytes(*document) == before) continue;
      changed << walker.Opened.mid(first).join(", ");
      // The next objects are checked on the document as it was.
      document = std::make_unique<TPrintDocument>();
      ASSERT_TRUE(document->LoadFromFile(path));
    }
    EXPECT_GE(walker.Opened.size(), 10) << "the heads, columns, layers, texts, curves and scales";
    EXPECT_TRUE(walker.Refused.isEmpty()) << walker.Refused.join("; ").toStdString();
    EXPECT_TRUE(changed.isEmpty()) << "changed without an edit: " << changed.join("; ").toStdString();
  }
}

namespace {

void CollectCommands(const TMenuEntry& entry, std::vector<std::pair<uint32_t, QString>>& commands) {
  for (const TMenuEntry& item : entry.Items) {
    if (item.IsSeparator()) continue;
    if (item.Items.empty())
      commands.emplace_back(item.Tag, item.Caption);
    else
      CollectCommands(item, commands);
  }
}

// A command of a block menu: the block's index, the command's tag and where
// the menu shows it ("Log > Lithology > Import").
using TBlockCommand = std::tuple<int, uint32_t, QString>;

std::vector<TBlockCommand> BlockCommands(TPrintDocument& document) {
  std::vector<TBlockCommand> commands;
  for (int b = 0; b < document.Count(); ++b)
    if (auto* block = dynamic_cast<TRootDataObject*>(document.GetChild(b))) {
      std::vector<std::pair<uint32_t, QString>> own;
      CollectCommands(block->MenuItem(), own);
      for (const auto& [tag, caption] : own) commands.emplace_back(b, tag, block->Caption() + " > " + caption);
    }
  return commands;
}

}  // namespace

// Every command of every block menu, with the user cancelling whatever it
// asks (file, list, question, dialog): a command that reports nothing done
// leaves the document as it was, and none crashes.
TEST_F(SampleDialogs, EveryBlockCommandCancelledLeavesTheDocumentAsItWas) {
  for (const QString& file : Documents()) {
    SCOPED_TRACE(file.toStdString());
    auto document = std::make_unique<TPrintDocument>();
    ASSERT_TRUE(document->LoadFromFile(file));
    const std::vector<TBlockCommand> commands = BlockCommands(*document);
    EXPECT_GE(commands.size(), 10u);
    QStringList changed;
    TDialogWalker walker;
    for (const auto& [block, tag, caption] : commands) {
      const std::vector<uint8_t> before = DocumentBytes(*document);
      FUi.MessageAnswers.clear();
      bool done = false;
      walker.Run(caption,
                 [&] { done = document->ExecuteBlockCommand(kBlockMenuTag | static_cast<uint32_t>(block), tag); });
      if (DocumentBytes(*document) == before) continue;
      if (!done) changed << caption;
      document = std::make_unique<TPrintDocument>();
      ASSERT_TRUE(document->LoadFromFile(file));
    }
    EXPECT_TRUE(changed.isEmpty()) << "changed, yet reported as not done: " << changed.join("; ").toStdString();

    // Each object's own command (double-click, the pop-up's extra item) and
    // Delete answered No, likewise.
    std::vector<std::vector<int>> paths;
    std::vector<int> trail;
    CollectPaths(document.get(), trail, paths);
    for (const std::vector<int>& at : paths) {
      TPrintObject* object = ObjectAt(*document, at);
      if (!object) continue;
      const QString caption = object->Caption().left(40);
      const std::vector<uint8_t> before = DocumentBytes(*document);
      FUi.MessageAnswers.clear();
      bool done = false;
      walker.Run(caption, [&] { done = object->ExecuteCommand(); });
      if (!done) walker.Run(caption, [&] { done = object->DeleteWithConfirm(); });
      if (DocumentBytes(*document) == before) continue;
      if (!done) changed << caption + " (own command or Delete)";
      document = std::make_unique<TPrintDocument>();
      ASSERT_TRUE(document->LoadFromFile(file));
    }
    EXPECT_TRUE(changed.isEmpty()) << "changed, yet reported as not done: " << changed.join("; ").toStdString();
  }
}

// The same commands with the user saying yes and OK to whatever they show
// (files still cancelled): each leaves a document that saves and opens again
// as it was saved.
TEST_F(SampleDialogs, EveryBlockCommandConfirmedLeavesADocumentThatSavesAndOpens) {
  for (const QString& file : Documents()) {
    SCOPED_TRACE(file.toStdString());
    auto document = std::make_unique<TPrintDocument>();
    ASSERT_TRUE(document->LoadFromFile(file));
    const std::vector<TBlockCommand> commands = BlockCommands(*document);
    TDialogWalker walker;
    walker.Accept = true;
    for (const auto& [block, tag, caption] : commands) {
      SCOPED_TRACE(caption.toStdString());
      FUi.MessageAnswers.assign(8, TMsgResult::Yes);
      if (block >= document->Count()) continue;
      walker.Run(caption, [&] { document->ExecuteBlockCommand(kBlockMenuTag | static_cast<uint32_t>(block), tag); });
      QString error;
      ASSERT_TRUE(document->SaveToFile(Path("after.knd"), &error)) << error.toStdString();
      TPrintDocument again;
      ASSERT_TRUE(again.LoadFromFile(Path("after.knd"), &error)) << error.toStdString();
      EXPECT_EQ(DocumentBytes(again), DocumentBytes(*document));
    }
  }
}

// Every kind of object each container of the sample and of a fresh well log
// sheet takes, added as a user
// adds it (Add on the container's pop-up menu, the kind chosen, its name
// typed, its dialog confirmed): the document draws, saves and opens again as
// it was saved.
TEST_F(SampleDialogs, EveryKindAddedToEveryContainerOfTheSampleSavesAndOpens) {
  for (const QString& file : {QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd"),
                              QStringLiteral(KERNO_PROGRAM_DIR "/template/well_log.knt")}) {
    SCOPED_TRACE(file.toStdString());
    AddEveryKindTo(file);
  }
}

void SampleDialogs::AddEveryKindTo(const QString& file) {
  std::vector<std::vector<int>> paths;
  {
    TPrintDocument document;
    ASSERT_TRUE(document.LoadFromFile(file));
    std::vector<int> trail;
    CollectPaths(&document, trail, paths);
    paths.insert(paths.begin(), std::vector<int>{});  // the document itself takes blocks
  }
  int added = 0;
  TDialogWalker walker;
  walker.Accept = true;
  for (const std::vector<int>& at : paths) {
    for (int choice = 0;; ++choice) {
      TPrintDocument document;
      ASSERT_TRUE(document.LoadFromFile(file));
      auto* container = dynamic_cast<TPrintObjectList*>(ObjectAt(document, at));
      if (!container || !container->GetInsertableKind(choice)) break;
      const QString caption = container->Caption().left(30) + " + " + QString::number(choice);
      SCOPED_TRACE(caption.toStdString());
      FUi.ListAnswers = {choice};
      FUi.TextAnswers = {QStringLiteral("Added")};
      FUi.MessageAnswers.assign(8, TMsgResult::Yes);
      const double left = container->Left() + 1;
      const double top = container->Top() + std::min(20.0, container->GetHeight() / 2);
      bool inserted = false;
      // As the pop-up menu's Add asks it: a point, and a new column's width.
      walker.Run(caption, [&] {
        inserted = container->InsertNewChildAt(left, top, left + TPassportBody::kNewColumnWidth, top);
      });
      if (!inserted) continue;
      ++added;
      QString error;
      ASSERT_TRUE(document.SaveToFile(Path("added.knd"), &error)) << error.toStdString();
      TPrintDocument again;
      ASSERT_TRUE(again.LoadFromFile(Path("added.knd"), &error)) << error.toStdString();
      // Compared by what they hold: a font keeps in its bytes the height it
      // was last measured at, which the dialogs do.
      QJsonObject saved, opened;
      document.DumpProperties(&saved);
      again.DumpProperties(&opened);
      EXPECT_TRUE(SameDump(opened, saved));
      if (!SameDump(opened, saved)) {
        QFile a(QString("/tmp/dbg/saved_%1.json").arg(added)), b(QString("/tmp/dbg/opened_%1.json").arg(added));
        a.open(QIODevice::WriteOnly);
        a.write(QJsonDocument(saved).toJson());
        b.open(QIODevice::WriteOnly);
        b.write(QJsonDocument(opened).toJson());
      }
      EXPECT_FALSE(RenderTemplatePicture(&again).isNull());
    }
  }
  EXPECT_GE(added, 10) << "blocks, columns, texts, tables, pictures, curves, rulers";
  EXPECT_TRUE(walker.Refused.isEmpty()) << walker.Refused.join("; ").toStdString();
}

// Every command of the frame's menus and tool bars on the sample, with the
// user cancelling whatever it asks, or confirming its dialogs as they open:
// none crashes, and the window keeps the document and its contents.
TEST_F(SampleDialogs, EveryFrameCommandCancelledOrConfirmedLeavesTheWindowAndDocument) {
  for (const bool accept : {false, true}) {
    SCOPED_TRACE(accept ? "OK" : "Cancel");
    RunFrameCommands(accept);
  }
}

void SampleDialogs::RunFrameCommands(bool accept) {
  const QString copy = Path(accept ? "sample-ok.knd" : "sample.knd");
  ASSERT_TRUE(QFile::copy(QStringLiteral(KERNO_SOURCE_DIR "/resources/samples/sample.knd"), copy));
  // The first round's Help > Tips at start-up switched them on.
  FSettings->SetTipStartUp(false);
  TkrKernoMainForm* frame = NewFrame({copy});
  TKernoChild* child = frame->ActiveChild();
  ASSERT_NE(child, nullptr);
  // By what it holds: printing and previews measure fonts at their own
  // resolutions, which a font keeps in its bytes.
  QJsonObject before;
  child->Document()->DumpProperties(&before);
  const TMainActions& actions = frame->Actions();
  // Leaving the program, closing the document, and what opens another
  // program (the browser, the PDF viewer) are not run.
  QList<QAction*> skipped{actions.FileExit,        actions.WindowClose, actions.WindowCloseAll,
                          actions.HelpOnLine,      actions.HelpWeb,     actions.HelpPdf,
                          actions.FileRecentClear, actions.FileSave,    actions.FileSaveAll};
  // Confirmed, these make new documents or send the sheet to a printer.
  if (accept) skipped << actions.FileNew << actions.FilePrint << actions.FileAddBlock << actions.FileAddExtraBlock;
  TDialogWalker walker;
  walker.Accept = accept;
  walker.Probe = false;  // a double-click in the template list makes a new document
  int run = 0;
  for (QAction* action : actions.All()) {
    if (!action || skipped.contains(action) || !action->isEnabled() || action->menu()) continue;
    SCOPED_TRACE(action->objectName().toStdString());
    FUi.MessageAnswers.clear();
    walker.Run(action->objectName(), [action] { action->trigger(); });
    Settle();
    ++run;
    ASSERT_EQ(frame->ActiveChild(), child) << "the document's window stays";
  }
  EXPECT_GT(run, 25);
  EXPECT_TRUE(walker.Refused.isEmpty()) << walker.Refused.join("; ").toStdString();
  QJsonObject after;
  child->Document()->DumpProperties(&after);
  EXPECT_TRUE(SameDump(after, before)) << "nothing changed what the sample holds";
  // Windows of their own (the sign database editor) close with the frame's close, not its end.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != frame && window->isVisible()) window->close();
  Settle();
}
