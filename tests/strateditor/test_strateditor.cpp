// The sign database editor driven as a user drives it: commands, the list,
// its dialogs and the questions it asks (answered by TScriptedPrompts).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "uFDBProp.h"
#include "uFEttle.h"
#include "uFImportDB.h"
#include "uFOptions.h"
#include "uFStrat.h"
#include "uLanguageIntf.h"
#include "uNumbers.h"
#include "uScriptedPrompts.h"
#include "uSignEdits.h"
#include "uSignIcon.h"
#include "uTestStrat.h"
#include "uUnknownImpl.h"

using namespace stratedit;
using namespace teststrat;

namespace {

const char* const kSvg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20mm\" height=\"10mm\" viewBox=\"0 0 20 10\">"
    "<circle cx=\"10\" cy=\"5\" r=\"3\" fill=\"black\"/></svg>";

struct TNotices {
  std::vector<int32_t> Codes;
  IStratDataBase* Last = nullptr;
  static void Record(void* data, IStratDataBase* database, int32_t code) {
    auto* notices = static_cast<TNotices*>(data);
    notices->Codes.push_back(code);
    notices->Last = database;
  }
};

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string TemplateName(IStratSign* sign, int32_t index) {
  TComPtr<IStratField> templates;
  sign->GetFields(templates.Put());
  return ItemName(templates.Get(), index);
}

TComPtr<IStratSign> SignAt(IStratDataBase* database, int32_t index) {
  TComPtr<IStratSign> sign;
  database->GetSign(index, sign.Put());
  return sign;
}

// A sign that cannot be saved: what a failing disk or a broken object looks like to a save.
class TUnsavableSign final : public TUnknownImpl<IStratStream, IStratSign> {
 public:
  int32_t GetSize() override { return 0; }
  HRESULT SaveToBuffer(void*, int32_t) override { return E_FAIL; }
  HRESULT LoadFromBuffer(const void*, int32_t) override { return E_FAIL; }
  HRESULT LoadFromStream(IStream*) override { return E_FAIL; }
  HRESULT SaveToStream(IStream*) override { return E_FAIL; }
  HRESULT GetClassID(GUID* id) override {
    *id = CLSID_StratSign;
    return S_OK;
  }
  HRESULT SetName(const TShortString&) override { return S_OK; }
  void GetName(TShortString* result) override { *result = MakeShortString("BROKEN"); }
  HRESULT SetMetafile(TEmfDocument*) override { return E_FAIL; }
  TEmfDocument* GetMetafile() override { return nullptr; }
  void UpdateHeader() override {}
  double Width() override { return 0; }
  double Height() override { return 0; }
  void Draw(QPainter*, const TStratPlacement&, int32_t, int32_t, double) override {}
  HRESULT GetFields(IStratField** field) override { return stratCreateField(field); }

 protected:
  void* FindInterface(const GUID& iid) override {
    if (iid == IID_IUnknown || iid == IID_IStratStream) return static_cast<IStratStream*>(this);
    if (iid == IID_IStratSign) return static_cast<IStratSign*>(this);
    return nullptr;
  }
};

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("sand.emf", MakeEmf(1000, 1000));
    Write("tile.svg", QByteArray(kSvg));
    Write("garbage.lsd", QByteArray("this is not a sign database"));
  }

  template <class B>
  QString Write(const char* name, const B& bytes) {
    const QString path = QString::fromStdString(PathIn(FDir, name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
  }
  QString Path(const char* name) const { return QString::fromStdString(PathIn(FDir, name)); }

  // A database of signs named `names`, each with a second template, saved at `file` when given.
  static TComPtr<IStratDataBase> Database(const std::vector<std::string>& names) {
    TComPtr<IStratDataBase> database = MakeDataBase(names);
    for (int32_t i = 0; i < database->SignCount(); ++i) {
      TComPtr<IStratField> templates;
      SignAt(database.Get(), i)->GetFields(templates.Put());
      templates->Add(MakeShortString(names[static_cast<size_t>(i)]));
    }
    return database;
  }
  QString Saved(IStratDataBase* database, const char* name) {
    const QString path = Path(name);
    EXPECT_EQ(stratSave(QFile::encodeName(path).constData(), database), S_OK);
    return path;
  }

  static void Select(TFStrat& window, int row) {
    window.List()->setCurrentRow(row);
    window.List()->item(row)->setSelected(true);
  }
  static void DeleteLater(QWidget* widget) {
    widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QTemporaryDir FDir;
  TScriptedPrompts FPrompts;
};

}  // namespace

TEST_F(EditorTest, AddsSignsFromEmfAndSvgAndReopensThemAfterSaving) {
  TFStrat window;
  EXPECT_FALSE(window.Action("EditAdd")->isEnabled()) << "nothing to add to before a database is open";
  window.FileCreate();
  ASSERT_TRUE(window.DataBase());
  ASSERT_TRUE(window.Action("EditAdd")->isEnabled());

  FPrompts.Files = {Path("sand.emf")};
  FPrompts.Dialogs.push_back([](QDialog* dialog) {
    dialog->findChild<QLineEdit*>("eCaption")->setText("Sand of the river");
    return true;
  });
  window.EditAdd();
  FPrompts.Files = {Path("tile.svg")};
  window.EditAdd();
  // A sign whose properties are cancelled does not join the database.
  FPrompts.Files = {Path("sand.emf")};
  FPrompts.Dialogs.push_back([](QDialog*) { return false; });
  window.EditAdd();

  IStratDataBase* database = window.DataBase();
  ASSERT_EQ(SignNames(database), (std::vector<std::string>{"sand", "tile"}));
  EXPECT_EQ(window.List()->count(), 2);
  EXPECT_EQ(window.List()->item(1)->text(), "tile");
  EXPECT_EQ(SignCaption(SignAt(database, 0).Get(), "en", false), "Sand of the river");
  TComPtr<IStratSign> svg = SignAt(database, 1);
  ASSERT_TRUE(svg->GetMetafile()) << "the SVG is stored as a metafile";
  EXPECT_NEAR(svg->Width(), 20.0, 0.01);
  EXPECT_NEAR(svg->Height(), 10.0, 0.01);
  EXPECT_TRUE(window.Modified());
  EXPECT_TRUE(FPrompts.Errors.isEmpty()) << FPrompts.Errors.join('\n').toStdString();

  FPrompts.Files = {Path("rocks")};  // the extension is added
  ASSERT_TRUE(window.FileSave());
  EXPECT_FALSE(window.Modified());
  ASSERT_TRUE(QFile::exists(Path("rocks.lsd")));

  TFStrat reopened;
  ASSERT_EQ(reopened.LoadFile(Path("rocks.lsd")), S_OK);
  ASSERT_EQ(SignNames(reopened.DataBase()), (std::vector<std::string>{"sand", "tile"}));
  EXPECT_EQ(SignCaption(SignAt(reopened.DataBase(), 0).Get(), "en", false), "Sand of the river");
  EXPECT_EQ(SignAt(reopened.DataBase(), 1)->GetMetafile()->Bytes(), svg->GetMetafile()->Bytes());
  TShortString file{};
  stratGetCurrentFileName(&file, reopened.DataBase());
  EXPECT_EQ(QFile::decodeName(QByteArray(file.Chars, file.Length)), Path("rocks.lsd"));
}

TEST_F(EditorTest, RenamesInPlaceReordersByDragAndDeletesAfterAsking) {
  TFStrat window;
  TComPtr<IStratDataBase> database = Database({"A", "B", "C"});
  window.SetDataBase(database.Get(), false);
  window.show();

  window.List()->item(1)->setText("B2");
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"A", "B2", "C"}));
  EXPECT_EQ(TemplateName(SignAt(database.Get(), 1).Get(), 1), "B2") << "every template follows the name";
  EXPECT_TRUE(window.Modified());
  window.List()->item(0)->setText("  ");
  EXPECT_EQ(NameOf(SignAt(database.Get(), 0).Get()), "A") << "an empty name is refused";
  EXPECT_EQ(window.List()->item(0)->text(), "A");

  // Dropping the first entry onto the third exchanges the two signs.
  Select(window, 0);
  QListWidget* list = window.List();
  std::unique_ptr<QMimeData> mime(list->model()->mimeData({list->model()->index(0, 0)}));
  list->doItemsLayout();
  const QPoint target = list->visualItemRect(list->item(2)).center();
  ASSERT_EQ(list->itemAt(target), list->item(2));
  QDragEnterEvent enter(target, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  QDragMoveEvent move(target, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &move);
  QDropEvent drop(target, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"C", "B2", "A"}));
  EXPECT_EQ(list->count(), 3) << "the list is rebuilt, not moved about by itself";

  Select(window, 0);
  window.EditMove(1);
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"B2", "C", "A"}));
  EXPECT_EQ(window.SelectedSign(), 1) << "the selection follows the sign";

  FPrompts.Answers = {QMessageBox::No, QMessageBox::Yes};
  window.EditDelete();
  EXPECT_EQ(FPrompts.Questions.value(0), "Delete sign C?");
  EXPECT_EQ(database->SignCount(), 3);
  window.EditDelete();
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"B2", "A"}));
}

TEST_F(EditorTest, TellsItsOpenerOfEveryRefreshAndOfClosing) {
  TComPtr<IStratDataBase> database = Database({"A", "B"});
  TNotices notices;
  auto* window = new TFStrat();
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->SetDataBase(database.Get(), true);
  window->SetNotify(&TNotices::Record, &notices);
  window->show();
  EXPECT_TRUE(notices.Codes.empty());

  window->List()->item(0)->setText("A2");
  ASSERT_EQ(notices.Codes, std::vector<int32_t>{0});
  EXPECT_EQ(notices.Last, database.Get());
  Select(*window, 1);
  window->EditMove(-1);
  EXPECT_EQ(notices.Codes, (std::vector<int32_t>{0, 0}));
  // Icon options change only the view: the opener's database did not change.
  FPrompts.Dialogs.push_back([](QDialog* dialog) {
    dialog->findChild<QLineEdit*>("eIconSize")->setText("64");
    return true;
  });
  window->ServiceOptions();
  EXPECT_EQ(window->Options().IconSize, 64);
  EXPECT_EQ(notices.Codes.size(), 2u);

  DeleteLater(window);  // borrowed: closes without a question
  EXPECT_TRUE(FPrompts.Questions.isEmpty());
  EXPECT_EQ(notices.Codes, (std::vector<int32_t>{0, 0, 1}));
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"B", "A2"})) << "the lender keeps the edits";

  // An opener that goes away is no longer called.
  TNotices gone;
  auto* detached = new TFStrat();
  detached->SetNotify(&TNotices::Record, &gone);
  detached->DetachNotify();
  delete detached;
  EXPECT_TRUE(gone.Codes.empty());
}

TEST_F(EditorTest, AsksBeforeClosingWithUnsavedChanges) {
  const QString path = Saved(Database({"A"}).Get(), "own.lsd");
  TFStrat window;
  ASSERT_EQ(window.LoadFile(path), S_OK);
  window.show();
  window.close();
  EXPECT_TRUE(FPrompts.Questions.isEmpty()) << "nothing changed, nothing to ask";

  window.show();
  window.List()->item(0)->setText("A2");
  FPrompts.Answers = {QMessageBox::Cancel};
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  ASSERT_EQ(FPrompts.Questions.size(), 1);
  EXPECT_EQ(FPrompts.Questions[0], "Save file " + path + "?");

  FPrompts.Answers = {QMessageBox::Yes};
  EXPECT_TRUE(window.close());
  TComPtr<IStratDataBase> reloaded;
  stratCreateDataBase(reloaded.Put());
  ASSERT_EQ(stratLoad(QFile::encodeName(path).constData(), reloaded.Get()), S_OK);
  EXPECT_EQ(SignNames(reloaded.Get()), std::vector<std::string>{"A2"}) << "Yes saved under the current name";

  window.show();
  window.List()->item(0)->setText("A3");
  FPrompts.Answers = {QMessageBox::No};
  EXPECT_TRUE(window.close());
  stratLoad(QFile::encodeName(path).constData(), reloaded.Get());
  EXPECT_EQ(SignNames(reloaded.Get()), std::vector<std::string>{"A2"}) << "No left the file alone";
}

TEST_F(EditorTest, ABorrowedDatabaseIsEditedInPlaceAndNeverReplaced) {
  TComPtr<IStratDataBase> database = Database({"A", "B"});
  stratSetFileName(database.Get(), MakeShortString(QFile::encodeName(Path("column.lsd")).toStdString()));
  Saved(database.Get(), "column.lsd");
  const QString other = Saved(Database({"X", "Y", "Z"}).Get(), "other.lsd");
  TFStrat window;
  window.SetDataBase(database.Get(), true);
  window.setWindowTitle("Column 1");

  window.FileCreate();
  ASSERT_EQ(FPrompts.Informations.size(), 1);
  EXPECT_TRUE(FPrompts.Informations[0].startsWith("You have editing database Column 1 and you can't create new"));
  EXPECT_EQ(window.DataBase(), database.Get());
  EXPECT_EQ(database->SignCount(), 2);

  // Saving a lent database always asks where to: its name belongs to the document.
  EXPECT_FALSE(window.FileSave());
  EXPECT_EQ(FPrompts.FileTitles.size(), 1);

  // Opening a file fills the lender's own object; a damaged file leaves it alone.
  ASSERT_EQ(window.LoadFile(other), S_OK);
  EXPECT_EQ(window.DataBase(), database.Get());
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"X", "Y", "Z"}));
  EXPECT_NE(window.LoadFile(Path("garbage.lsd")), S_OK);
  EXPECT_EQ(FPrompts.Errors.size(), 1);
  EXPECT_EQ(SignNames(database.Get()), (std::vector<std::string>{"X", "Y", "Z"}));
}

TEST_F(EditorTest, OpeningADamagedFileKeepsTheOwnDatabase) {
  TFStrat window;
  ASSERT_EQ(window.LoadFile(Saved(Database({"A", "B"}).Get(), "good.lsd")), S_OK);
  IStratDataBase* before = window.DataBase();
  EXPECT_NE(window.LoadFile(Path("garbage.lsd")), S_OK);
  EXPECT_NE(window.LoadFile(Path("absent.lsd")), S_OK);
  EXPECT_EQ(FPrompts.Errors.size(), 2);
  EXPECT_EQ(window.DataBase(), before);
  EXPECT_EQ(SignNames(window.DataBase()), (std::vector<std::string>{"A", "B"}));
}

TEST_F(EditorTest, AFailedSaveKeepsThePreviousFile) {
  const QString path = Saved(Database({"A"}).Get(), "keep.lsd");
  const QByteArray before = Bytes(path);
  TFStrat window;
  ASSERT_EQ(window.LoadFile(path), S_OK);
  auto* broken = new TUnsavableSign();
  broken->AddRef();
  ASSERT_EQ(window.DataBase()->AddSign(broken, false), S_OK);
  broken->Release();
  window.List()->item(0)->setText("A2");

  EXPECT_FALSE(window.FileSave());  // in the current form, under the current name
  FPrompts.Files = {path};
  FPrompts.FilterIndexes = {1};
  EXPECT_FALSE(window.FileSaveAs());  // in the old form
  EXPECT_EQ(FPrompts.Errors.size(), 2);
  EXPECT_EQ(Bytes(path), before) << "the previous file is kept byte for byte";
  EXPECT_TRUE(window.Modified());
}

TEST_F(EditorTest, SavesTheOldFormOnRequest) {
  TFStrat window;
  window.SetDataBase(Database({"A", "B"}).Get(), false);
  FPrompts.Files = {Path("old.data")};
  FPrompts.FilterIndexes = {1};
  ASSERT_TRUE(window.FileSaveAs());
  const QByteArray raw = Bytes(Path("old.lsd"));
  ASSERT_GE(raw.size(), 16) << "the extension becomes .lsd";
  // The old raw form starts with its total size and its sign count.
  EXPECT_EQ(qFromLittleEndian<uint32_t>(raw.constData()), static_cast<uint32_t>(raw.size()));
  EXPECT_EQ(qFromLittleEndian<uint32_t>(raw.constData() + 4), 2u);
  TFStrat reopened;
  ASSERT_EQ(reopened.LoadFile(Path("old.lsd")), S_OK);
  EXPECT_EQ(SignNames(reopened.DataBase()), (std::vector<std::string>{"A", "B"}));
}

TEST_F(EditorTest, ImportsARockCodeListWithTheChosenColumns) {
  const QString list = Write("codes.csv", QByteArray("name;caption;file\nSST;Sandstone;sand\nGONE;;missing.emf\n"));
  TComPtr<IStratDataBase> database = Database({"OLD"});

  FPrompts.Dialogs.push_back([](QDialog*) { return false; });
  EXPECT_EQ(ImportRockCodeList(list, database.Get()), S_FALSE);
  EXPECT_EQ(SignNames(database.Get()), std::vector<std::string>{"OLD"});

  TRockCodeChoice shown;
  FPrompts.Dialogs.push_back([&shown](QDialog* dialog) {
    shown = static_cast<TFImportDB*>(dialog)->Choice();
    auto* caption = dialog->findChild<QComboBox*>("cbCaption");
    caption->setCurrentIndex(caption->findData(1));
    return true;
  });
  ASSERT_EQ(ImportRockCodeList(list, database.Get()), S_OK);
  EXPECT_EQ(shown.PatternColumn, 2) << "the column naming pictures is found";
  EXPECT_TRUE(shown.HeaderRow);
  EXPECT_EQ(SignNames(database.Get()), std::vector<std::string>{"SST"});
  EXPECT_EQ(SignCaption(SignAt(database.Get(), 0).Get(), "en", false), "Sandstone");
  ASSERT_EQ(FPrompts.Informations.size(), 1);
  EXPECT_TRUE(FPrompts.Informations[0].contains("Signs imported: 1"));
  EXPECT_TRUE(FPrompts.Informations[0].contains("row 3: pattern missing.emf not found"));

  // Opened in the editor, the imported database has no name: saving asks for one.
  TFStrat window;
  FPrompts.Files = {list};
  window.FileOpen();
  EXPECT_EQ(SignNames(window.DataBase()), std::vector<std::string>{"SST"});
  EXPECT_FALSE(window.FileSave());
  EXPECT_EQ(Bytes(list).left(4), QByteArray("name")) << "the list itself is never written over";
}

TEST(EditorDialogs, SignPropertiesEditTemplatesOnACopy) {
  TScriptedPrompts prompts;
  TComPtr<IStratSign> sign = MakeSign("SST", 1000, 500);
  {
    TFEttle dialog(sign.Get());
    dialog.show();
    auto* button = dialog.findChild<QPushButton*>("btnTemplate");
    auto* tabs = dialog.findChild<QTabBar*>("tcTemplates");
    EXPECT_EQ(button->text(), "+");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "2");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(button->text(), "-");
    EXPECT_EQ(TemplateName(dialog.Copy(), 1), "SST");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(button->text(), "+");

    auto* offset = dialog.findChild<QLineEdit*>("ePosX");
    offset->selectAll();
    QTest::keyClicks(offset, "2,5");
    auto* space = dialog.findChild<QSlider*>("tbSpaceX");
    space->setValue(10);
    dialog.findChild<QCheckBox*>("cbFill")->setChecked(true);
    TStratPlacement item{};
    TComPtr<IStratField> templates;
    dialog.Copy()->GetFields(templates.Put());
    ASSERT_EQ(templates->GetItem(0, &item), S_OK);
    EXPECT_DOUBLE_EQ(item.OffsetX, 2.5);
    EXPECT_EQ(dialog.findChild<QSlider*>("tbPosX")->value(), 12) << "round(2.5 * 5), ties to even";
    EXPECT_DOUBLE_EQ(item.SpaceX, 2.0);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("eSpaceX")->text(), "2");
    EXPECT_EQ(item.Flags & 1, 1);
    // The blocks that fill the preview: its width in whole millimetres over block plus gap.
    auto* preview = dialog.findChild<QWidget*>("pbPreview");
    const double mm = RoundEven(preview->width() / (preview->logicalDpiX() / 25.4));
    EXPECT_EQ(item.CountX, RoundEven(mm / (10.0 + 2.0)));
    dialog.reject();
  }
  TStratPlacement kept{};
  TComPtr<IStratField> own;
  sign->GetFields(own.Put());
  ASSERT_EQ(own->Count(), 1) << "Cancel leaves the sign as it was";
  own->GetItem(0, &kept);
  EXPECT_DOUBLE_EQ(kept.OffsetX, 1.0);

  TFEttle dialog(sign.Get());
  QTest::mouseClick(dialog.findChild<QPushButton*>("btnTemplate"), Qt::LeftButton);
  auto* name = dialog.findChild<QLineEdit*>("eName");
  name->setText("");
  EXPECT_FALSE(dialog.findChild<QPushButton*>("btnOK")->isEnabled()) << "a sign needs a name";
  name->setText("SSTQ");
  dialog.findChild<QLineEdit*>("eCaption")->setText("Quartz sandstone");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(NameOf(sign.Get()), "SSTQ");
  EXPECT_EQ(TemplateName(sign.Get(), 1), "SSTQ") << "the second template names the renamed sign";
  EXPECT_EQ(SignCaption(sign.Get(), "en", false), "Quartz sandstone");
}

TEST(EditorDialogs, OptionsAcceptOnlyUsableIconSizes) {
  TFOptions options;
  auto* size = options.findChild<QLineEdit*>("eIconSize");
  auto* ok = options.findChild<QPushButton*>("btnOK");
  for (const auto& [text, enabled] : std::vector<std::pair<QString, bool>>{
           {"15", false}, {"16", true}, {"48", true}, {"256", true}, {"257", false}, {"-20", false}, {"1e9", false}}) {
    size->setText(text);
    EXPECT_EQ(ok->isEnabled(), enabled) << text.toStdString();
  }
  size->setText("big");
  EXPECT_TRUE(ok->isEnabled());
  EXPECT_EQ(options.Options().IconSize, 48) << "unreadable text counts as the default";
}

TEST(EditorDialogs, DatabasePropertiesEnableTheSwitchesThatDependOnOthers) {
  TFDBProp properties;
  auto box = [&](const char* name) { return properties.findChild<QCheckBox*>(name); };
  properties.SetOptions(64);  // a bit the dialog does not show
  for (const char* name : {"cbFill", "cbFillEx", "cbFlow", "cbFlowEx", "cbDeleteEmpty"})
    EXPECT_FALSE(box(name)->isEnabled()) << name;
  box("cbExtended")->setChecked(true);
  EXPECT_TRUE(box("cbFill")->isEnabled());
  EXPECT_TRUE(box("cbFlow")->isEnabled());
  EXPECT_TRUE(box("cbDeleteEmpty")->isEnabled());
  EXPECT_FALSE(box("cbFillEx")->isEnabled());
  box("cbFlow")->setChecked(true);
  EXPECT_TRUE(box("cbFlowEx")->isEnabled());
  EXPECT_FALSE(box("cbFillEx")->isEnabled());
  EXPECT_EQ(properties.Options(), 64 | 1 | 8);
}

TEST(EditorIcons, TrueSizeIconsShowThePictureAtItsSizeCutAtTheEdge) {
  // 96 dpi: a 10 mm frame is 37.8 pixels; the picture's rectangle outlines its frame.
  auto inkInColumn = [](const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
  };
  TComPtr<IStratSign> ten = MakeSign("TEN", 1000, 1000);
  const QImage real = SignIconImage(ten.Get(), 48, true, 5, 96);
  EXPECT_FALSE(inkInColumn(real, 3)) << "the picture starts at the inset";
  EXPECT_TRUE(inkInColumn(real, 5));
  EXPECT_TRUE(inkInColumn(real, 42));
  EXPECT_FALSE(inkInColumn(real, 46)) << "a 10 mm picture ends inside a 48-pixel icon";
  TComPtr<IStratSign> twenty = MakeSign("TWENTY", 2000, 2000);
  const QImage cut = SignIconImage(twenty.Get(), 48, true, 5, 96);
  // A 20 mm picture runs past the icon's edges and is cut there, not squeezed into it.
  EXPECT_LT(qGray(cut.pixel(47, 5)), 128) << "its top edge reaches the icon's right edge";
  EXPECT_LT(qGray(cut.pixel(5, 47)), 128) << "its left edge reaches the icon's bottom edge";
  EXPECT_GT(qGray(cut.pixel(47, 30)), 128) << "its right edge lies beyond the icon";
  const QImage stretched = SignIconImage(ten.Get(), 48, false, 5, 96);
  EXPECT_TRUE(inkInColumn(stretched, 0));
  EXPECT_TRUE(inkInColumn(stretched, 47));
}

// The exports, as the program calls them: a window of the library's own, found by its name.
namespace {
class TFakeLanguage final : public ILanguage {
 public:
  HRESULT QueryInterface(const GUID& iid, void** object) override {
    if (iid != IID_IUnknown && iid != IID_ILanguage) return E_NOINTERFACE;
    *object = static_cast<ILanguage*>(this);
    return S_OK;
  }
  // The library keeps it for its whole life: a static object outlives it.
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }
  HRESULT Load(const char*) override { return S_OK; }
  HRESULT Lookup(const char* section, const char* key, const char* def, TShortString* text) override {
    const std::string k = std::string(section) + "/" + key;
    *text = MakeShortString(k == "DBEDIT/Menu.FileSave" ? std::string("Speichern") : std::string(def));
    return S_OK;
  }
};
TFakeLanguage GLanguage;

QWidget* OpenEditor(const QString& title) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "FStrat" && widget->isVisible() && widget->windowTitle() == title) return widget;
  return nullptr;
}
}  // namespace

TEST_F(EditorTest, OpensThroughTheExportsFreeStandingAndOnALentDatabase) {
  const QString path = Saved(Database({"A", "B", "C"}).Get(), "free.lsd");
  TNotices notices;
  ASSERT_TRUE(stratCreateEditor(nullptr, nullptr, QFile::encodeName(path).constData(), "\xC1\xE0\xE7\xE0",
                                &TNotices::Record, &notices, &GLanguage));
  QWidget* free = OpenEditor(QString::fromUtf8("База"));
  ASSERT_TRUE(free) << "the caption arrives in Windows-1251";
  EXPECT_EQ(free->findChild<QListWidget*>("FList")->count(), 3);
  EXPECT_EQ(free->findChild<QAction*>("FileSave")->text(), "Speichern") << "texts come from the language object";
  free->findChild<QAction*>("FileExit")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(OpenEditor(QString::fromUtf8("База")));
  ASSERT_FALSE(notices.Codes.empty());
  EXPECT_EQ(notices.Codes.back(), 1);

  TComPtr<IStratDataBase> lent = Database({"L"});
  TNotices column;
  ASSERT_TRUE(stratCreateEditor(nullptr, lent.Get(), nullptr, "Column", &TNotices::Record, &column, nullptr));
  QWidget* borrowed = OpenEditor("Column");
  ASSERT_TRUE(borrowed);
  EXPECT_EQ(borrowed->findChild<QListWidget*>("FList")->item(0)->text(), "L");
  EXPECT_EQ(stratCloseEditors(nullptr), 0);
  EXPECT_EQ(stratCloseEditors(&column), 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(OpenEditor("Column"));
  EXPECT_TRUE(column.Codes.empty()) << "an opener that closed its editors is not called back";
  EXPECT_EQ(SignNames(lent.Get()), std::vector<std::string>{"L"});
}
