// The text object: persistence in streams and INI files, caption, drawing, dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <vector>

#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uIniFile.h"
#include "uNewQS.h"
#include "uPrintDeepObject.h"
#include "uPrintObjectList.h"
#include "uPrintText.h"
#include "uPrintTextDialog.h"
#include "uRecordingDevice.h"
#include "uScriptedUi.h"
#include "uStorage.h"

namespace {

const QString kLines = QString::fromUtf8("Песчаник\r\nглинистый\r\n\r\n$B10$N м");

}  // namespace

// Streams of an older writer hold only the short strings; they must still load.
TEST(TextObjectStream, OldStreamWithShortStringsOnlyLoads) {
  TComPtr<ICompoundStream> s = NewQS();
  qsWriteInteger(s.Get(), 7, kindText);
  qsWriteShortStr(s.Get(), 4096, "edited");
  qsWriteShortStr(s.Get(), 4097, "printed");
  TPrintText t;
  ASSERT_TRUE(t.LoadFromQS(s.Get()));
  EXPECT_EQ(t.GetText(), "edited");
  EXPECT_EQ(t.PrintedText(), "printed");
  EXPECT_FALSE(t.UseEditText);
  EXPECT_FALSE(t.Bound);
}

// A long text must survive whole (the short copy is cut for old readers only).
TEST(TextObjectStream, LongTextRoundTripsUncut) {
  TPrintText a;
  QString text;
  for (int i = 0; i < 1000; ++i) text += QChar(i % 50 == 49 ? ' ' : QChar(u'а' + i % 32));
  a.SetText(text);
  a.SetPrintedText("short");
  a.UseEditText = true;
  a.Bound = true;
  a.IntervalTop = 12.5;
  a.IntervalBottom = 40.25;
  a.Font().SetSize(16);
  a.Font().Color = 0x0000FF;
  a.SetBoundsRect({10, 20, 60, 35});
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(a.SaveToQS(s.Get()));
  EXPECT_EQ(qsReadShortStr(s.Get(), 4096, "").size(), 255u);
  TPrintText b;
  ASSERT_TRUE(b.LoadFromQS(s.Get()));
  EXPECT_EQ(b.GetText(), text);
  EXPECT_EQ(b.PrintedText(), "short");
  EXPECT_TRUE(b.UseEditText);
  EXPECT_TRUE(b.Bound);
  EXPECT_DOUBLE_EQ(b.IntervalTop, 12.5);
  EXPECT_DOUBLE_EQ(b.IntervalBottom, 40.25);
  EXPECT_EQ(b.Font().Size(), 16);
  EXPECT_EQ(b.Font().Color, 0x0000FFu);
  EXPECT_EQ(b.GetBoundsRect(), (TBoundsRect{10, 20, 60, 35}));
}

// Without stored interval ends the interval is the object's own extent.
TEST(TextObjectStream, MissingIntervalDefaultsToTheBox) {
  TPrintText a;
  a.SetBoundsRect({0, 30, 20, 45});
  TComPtr<ICompoundStream> s = NewQS();
  ASSERT_TRUE(a.SaveToQS(s.Get()));
  s->DeleteValue(4101);
  s->DeleteValue(4102);
  TPrintText b;
  ASSERT_TRUE(b.LoadFromQS(s.Get()));
  EXPECT_DOUBLE_EQ(b.IntervalTop, 30);
  EXPECT_DOUBLE_EQ(b.IntervalBottom, 45);
}

// A depth column rescaling its children must move the annotated interval with
// the box, or the leader lines point at the old depths after a scale change.
TEST(TextObjectStream, RescaledColumnMovesTheBoundInterval) {
  TPrintDeepObject column;
  column.SetTop(50);
  auto text = std::make_unique<TPrintText>();
  TPrintText* t = text.get();
  column.AddChild(std::move(text));
  t->SetTop(60);
  t->SetHeight(10);
  t->Bound = true;
  t->IntervalTop = 55;
  t->IntervalBottom = 75;
  column.RescaleChildren(2);
  EXPECT_DOUBLE_EQ(t->Top(), 70);
  EXPECT_DOUBLE_EQ(t->IntervalTop, 60);
  EXPECT_DOUBLE_EQ(t->IntervalBottom, 100);
}

// INI lines cannot hold line breaks: they travel as "\n" and come back as CR LF,
// also at the very start of the text; a literal backslash-n after a backslash stays.
TEST(TextObjectIni, MultiLineAndEmptyTextsRoundTrip) {
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("t.ini"));
  TPrintText a;
  a.SetText(kLines);
  a.Font().SetStyle(fsBold);
  a.SetBorder(false);
  ASSERT_TRUE(a.SaveToIni(&ini, "TEXT1", ""));
  EXPECT_EQ(ini.ReadString("TEXT1", "TEXT", ""), QString::fromUtf8("Песчаник\\nглинистый\\n\\n$B10$N м"));
  EXPECT_EQ(ini.ReadString("TEXT1", "FONT.STYLE", ""), "1");
  TPrintText b;
  ASSERT_TRUE(b.LoadFromIni(&ini, "TEXT1", ""));
  EXPECT_EQ(b.GetText(), kLines);
  EXPECT_EQ(b.PrintedText(), kLines);
  EXPECT_FALSE(b.Border());
  EXPECT_EQ(b.Font().Style(), fsBold);

  a.SetText("\r\nfirst line empty, path C:\\\\new");
  ASSERT_TRUE(a.SaveToIni(&ini, "TEXT2", ""));
  ASSERT_TRUE(b.LoadFromIni(&ini, "TEXT2", ""));
  EXPECT_EQ(b.GetText(), a.GetText());

  a.SetText("");
  ASSERT_TRUE(a.SaveToIni(&ini, "TEXT3", ""));
  EXPECT_EQ(ini.ReadString("TEXT3", "TEXT", ""), "\" \"");
  ASSERT_TRUE(b.LoadFromIni(&ini, "TEXT3", ""));
  EXPECT_EQ(b.GetText(), "");
  EXPECT_EQ(b.Caption(), "Text");
}

TEST(TextObjectIni, CaptionIsTheFirstLine) {
  TPrintText t;
  EXPECT_EQ(t.Caption(), "Text");
  t.SetText(kLines);
  EXPECT_EQ(t.Caption(), QString::fromUtf8("Песчаник"));
}

// Kind 272 must come back from the registry as a text object, and --dump must show the text.
TEST(TextObjectKind, RegisteredAndDumped) {
  RegisterTextKinds();
  std::unique_ptr<TPrintObject> o = CreateKindObject(kindText);
  ASSERT_NE(dynamic_cast<TPrintText*>(o.get()), nullptr);
  static_cast<TPrintText*>(o.get())->SetText("abc");
  QJsonObject json;
  o->DumpProperties(&json);
  EXPECT_EQ(json["text"].toString(), "abc");
  EXPECT_EQ(json["kind"].toInt(), 272);
  EXPECT_EQ(json["font"].toObject()["name"].toString(), "Arial");
}

namespace {

// A column that holds texts, as the description column and the blocks do.
class TTextColumn : public TPrintObjectList {
 public:
  std::unique_ptr<TPrintObject> CreateChild(int kind) override { return CreateKindObject(kind, {kindText}); }
};

}  // namespace

// A text inside a list is recreated from its stored kind, and the list's dump carries its text.
TEST(TextObjectKind, TextsInAListReloadAndDump) {
  RegisterTextKinds();
  TTextColumn a;
  auto text = std::make_unique<TPrintText>();
  text->SetText(kLines);
  a.AddChild(std::move(text));
  QTemporaryDir dir;
  const QString path = dir.filePath("column.kno");
  {
    auto storage = TStorage::CreateFile(path);
    ASSERT_TRUE(storage);
    ASSERT_TRUE(a.SaveToStorage(storage.get()));
    ASSERT_EQ(storage->Commit(), S_OK);
  }
  auto storage = TStorage::OpenFile(path);
  ASSERT_TRUE(storage);
  TTextColumn b;
  ASSERT_TRUE(b.LoadFromStorage(storage.get()));
  QJsonObject json;
  b.DumpProperties(&json);
  const QJsonArray children = json["children"].toArray();
  ASSERT_EQ(children.size(), 1);
  EXPECT_EQ(children[0].toObject()["text"].toString(), kLines);
}

namespace {

// 254 dpi: 10 pixels per millimetre.
TDrawContext Context(TRecordingDevice* dev, QPainter* p) {
  TDrawContext c;
  c.DC = p;
  c.Zoom = 1;
  c.ClipRect = {0, 0, dev->width(), dev->height()};
  c.Options = doBorders;
  return c;
}

}  // namespace

// A bound, bordered text: the box is inset by the indents, brackets join the
// interval ends to the box corners, ticks lead from the interval's middle.
TEST(TextObjectDraw, BoundTextDrawsBracketsAndTicks) {
  TRecordingDevice dev(QSize(1000, 1000), 254);
  QPainter p(&dev);
  TDrawContext c = Context(&dev, &p);
  TPrintText t;
  t.SetBoundsRect({10, 20, 60, 30});
  t.SetText("x");
  t.UseEditText = true;
  t.Bound = true;
  t.IntervalTop = 10;
  t.IntervalBottom = 50;
  t.LeftTick = 2;
  t.Draw(c);
  ASSERT_NE(dev.FindText("x"), nullptr) << dev.Dump();
  EXPECT_EQ(t.Font().Resolution(), 254);
  EXPECT_NEAR(dev.FindText("x")->Baseline.x(), 110 + 2, 0.01);  // box left = (10 + 1) mm
  // Tick from (box left, interval middle 300) to (box left + 20, box middle 250).
  EXPECT_NE(dev.FindLine({110, 300}, {130, 250}), nullptr) << dev.Dump();
  const auto polys = dev.OfKind(TRecordKind::Polygon);
  ASSERT_EQ(polys.size(), 2u) << dev.Dump();
  EXPECT_EQ(polys[0]->Polygon, QPolygonF({{100, 100}, {110, 200}, {590, 200}, {600, 100}}));
  EXPECT_EQ(polys[1]->Polygon, QPolygonF({{100, 500}, {110, 300}, {590, 300}, {600, 500}}));
}

// A free text draws its own border; the printed text is the one shown by default.
TEST(TextObjectDraw, UnboundTextDrawsPrintedTextAndBorder) {
  TRecordingDevice dev(QSize(1000, 1000), 254);
  QPainter p(&dev);
  TDrawContext c = Context(&dev, &p);
  TPrintText t;
  t.SetBoundsRect({10, 20, 60, 30});
  t.SetText("edited");
  t.SetPrintedText("printed");
  t.Draw(c);
  EXPECT_NE(dev.FindText("printed"), nullptr) << dev.Dump();
  EXPECT_TRUE(dev.TextsContaining("edit").empty());
  EXPECT_EQ(dev.OfKind(TRecordKind::Polygon).size(), 1u) << dev.Dump();  // the border outline
}

TEST(TextObjectDraw, NothingOutsideTheClipOrWithoutSize) {
  TRecordingDevice dev(QSize(1000, 1000), 254);
  QPainter p(&dev);
  TDrawContext c = Context(&dev, &p);
  TPrintText t;
  t.SetText("x");
  t.SetBoundsRect({10, 20, 10, 30});  // no width
  t.Draw(c);
  t.SetBoundsRect({10, 20, 60, 30});
  c.ClipRect = {700, 700, 900, 900};
  t.Draw(c);
  EXPECT_TRUE(dev.Items().empty()) << dev.Dump();
}

// OK writes the memo's lines with CR LF, the border flag, the box and the font
// back, and asks for no undo snapshot: the window took it before the dialog.
TEST(TextObjectDialog, ApplyWritesEverythingBack) {
  TPrintText t;
  t.SetText("old");
  std::vector<int> notified;
  t.SetOnNotify([&](TPrintObject*, int code, int) {
    notified.push_back(code);
    return S_OK;
  });
  TfPrintText d(&t);
  EXPECT_EQ(d.Memo()->toPlainText(), "old");
  d.Memo()->setPlainText("one\ntwo");
  d.BorderBox()->setChecked(false);
  d.WorkFont().SetSize(20);
  d.WorkBounds() = {1, 2, 30, 40};
  EXPECT_EQ(t.GetText(), "old");  // nothing changes before OK
  d.Apply();
  EXPECT_EQ(t.GetText(), "one\r\ntwo");
  EXPECT_EQ(t.PrintedText(), "one\r\ntwo");
  EXPECT_FALSE(t.Border());
  EXPECT_EQ(t.Font().Size(), 20);
  EXPECT_EQ(t.GetBoundsRect(), (TBoundsRect{1, 2, 30, 40}));
  EXPECT_TRUE(notified.empty());
}

// The button row: the dialog's own buttons beside OK, Cancel and Help; Help
// opens the text topic and leaves the dialog open, Cancel leaves the object.
TEST(TextObjectDialog, ButtonRow) {
  TScriptedUi ui;
  TScopedUi scope(&ui);
  TPrintText t;
  t.SetText("old");
  TfPrintText d(&t);
  for (const char* name : {"btnOK", "btnCancel", "btnHelp", "btnFont", "btnBlockSize"})
    ASSERT_NE(d.findChild<QPushButton*>(name), nullptr) << name;
  EXPECT_TRUE(d.findChild<QPushButton*>("btnOK")->isDefault());
  d.findChild<QPushButton*>("btnHelp")->click();
  EXPECT_EQ(ui.HelpTopics, QStringList{"data/text"});
  EXPECT_EQ(d.result(), 0);
  d.Memo()->setPlainText("new");
  d.findChild<QPushButton*>("btnCancel")->click();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(t.GetText(), "old");
}

// A note typed into a box the click proposed grows to hold its text; a text
// that wraps grows down only; a box already large enough keeps its size.
TEST(TextObjectBox, GrowsToHoldItsText) {
  TPrintText note;
  note.SetBoundsRect({10, 10, 30, 15});
  note.SetText(QStringLiteral("Perforation 1457-1459 m\rshots 20 per metre"));
  note.GrowToText();
  const double wide = note.GetWidth();
  EXPECT_GT(wide, 30);
  EXPECT_LT(wide, 80) << "no wider than the longer line needs";
  EXPECT_GT(note.GetHeight(), 5) << "two lines";
  EXPECT_EQ(note.Left(), 10);
  EXPECT_EQ(note.Top(), 10);
  note.GrowToText();
  EXPECT_EQ(note.GetWidth(), wide) << "a box that holds its text stays";

  TPrintText wrapped;
  wrapped.Font().Format |= DT_WORDBREAK;
  wrapped.SetBoundsRect({0, 0, 20, 5});
  wrapped.SetText(QStringLiteral("Sandstone, light grey, fine-grained, well sorted"));
  wrapped.GrowToText();
  EXPECT_EQ(wrapped.GetWidth(), 20);
  EXPECT_GT(wrapped.GetHeight(), 10) << "broken into several lines";

  TPrintText empty;
  empty.SetBoundsRect({0, 0, 2.5, 2.5});
  empty.GrowToText();
  EXPECT_EQ(empty.GetBoundsRect(), (TBoundsRect{0, 0, 2.5, 2.5}));
}
