// Every object of the bundled samples opened in its properties dialog, as a
// user double-clicks it: a dialog shown on data the program made itself must
// accept OK without a change (a colour category of one code, oil = 1, once
// could not be confirmed at all), and OK on it must change nothing (a scale's
// 8 mm mark step once became 20 mm).
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "uKernoRun.h"
#include "uPrintObjectList.h"
#include "uStorage.h"
#include "uWindowTestEnv.h"

namespace {

void ForEachObject(TPrintObject* object, const std::function<void(TPrintObject*)>& visit) {
  visit(object);
  if (auto* list = dynamic_cast<TPrintObjectList*>(object))
    for (int i = 0; i < list->Count(); ++i) ForEachObject(list->GetChild(i), visit);
}

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
  void CheckDialogsOf(const QString& path);
};

TEST_F(SampleDialogs, EveryDialogOpensOnTheSampleReadyForOk) {
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
  ASSERT_EQ(filled.Status, 0) << filled.Err.toStdString();
  files << Path("filled.knd");
  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    CheckDialogsOf(file);
  }
}

void SampleDialogs::CheckDialogsOf(const QString& path) {
  TPrintDocument document;
  ASSERT_TRUE(document.LoadFromFile(path));
  int opened = 0;
  QStringList refused;
  ForEachObject(&document, [&](TPrintObject* object) {
    if (object == &document) return;
    const QString caption = object->Caption().left(40);
    // Checks each dialog the object opens, also those a double-click on the
    // first entry of its lists opens (a colour line's category, a column's
    // curve), then closes them unchanged.
    QList<QDialog*> checked;
    QList<QDialog*> probing;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || probing.contains(dialog)) return;
      if (!checked.contains(dialog)) {
        checked << dialog;
        ++opened;
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
          if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok); ok && !ok->isEnabled())
            refused << dialog->objectName() + " on " + caption;
        for (QListWidget* list : dialog->findChildren<QListWidget*>())
          if (list->count() > 0 && list->window() == dialog) {
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
      dialog->reject();
    });
    poll.start();
    FUi.MessageAnswers.assign(8, TMsgResult::No);
    object->EditProperties();
    poll.stop();
  });
  EXPECT_GE(opened, 10) << "the heads, columns, layers, texts, curves and scales";
  EXPECT_TRUE(refused.isEmpty()) << refused.join("; ").toStdString();

  // OK on a dialog left as it opened keeps the document as it was.
  std::vector<std::vector<int>> paths;
  std::vector<int> trail;
  CollectPaths(&document, trail, paths);
  QStringList changed;
  auto fresh = std::make_unique<TPrintDocument>();
  ASSERT_TRUE(fresh->LoadFromFile(path));
  for (const std::vector<int>& at : paths) {
    TPrintObject* object = ObjectAt(*fresh, at);
    if (!object) continue;
    const std::vector<uint8_t> before = DocumentBytes(*fresh);
    bool answered = false;
    QString name;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || answered) return;
      answered = true;
      name = dialog->objectName();
      auto* buttons = dialog->findChild<QDialogButtonBox*>();
      QPushButton* ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
      if (ok && ok->isEnabled())
        ok->click();
      else
        dialog->reject();
    });
    poll.start();
    FUi.MessageAnswers.assign(8, TMsgResult::No);
    const QString caption = object->Caption().left(40);
    object->EditProperties();
    poll.stop();
    if (DocumentBytes(*fresh) == before) continue;
    changed << name + " on " + caption;
    // The next objects are checked on the document as it was.
    fresh = std::make_unique<TPrintDocument>();
    ASSERT_TRUE(fresh->LoadFromFile(path));
  }
  EXPECT_TRUE(changed.isEmpty()) << "changed by OK alone: " << changed.join("; ").toStdString();
}
