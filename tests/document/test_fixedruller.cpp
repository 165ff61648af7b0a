// Guides: their layout over the document, locking, the depth label of a
// horizontal guide, drawing on screen only, and their stored values.
#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"
#include "uDocumentTestEnv.h"
#include "uFixedRuller.h"
#include "uNumbers.h"
#include "uRecordingDevice.h"

namespace {

class FixedRuller : public TDocumentTest {
 protected:
  // A head of 40 mm over a body of 300 mm at 1:200 from depth 0.
  void SetUp() override {
    TDocumentTest::SetUp();
    AddHead(&FDocument, 40);
    FBody = AddBody(&FDocument, 300);
  }
  // Draws the document at 96 dpi, zoom 1, origin 0.
  void Draw(uint32_t options) {
    FDevice.Clear();
    QPainter painter(&FDevice);
    TDrawContext context;
    context.DC = &painter;
    context.ClipRect = TRect{0, 0, 2000, 2000};
    context.Options = options;
    FDocument.Draw(context);
  }
  TPrintDocument FDocument;
  TPassportBody* FBody = nullptr;
  TRecordingDevice FDevice{QSize(2000, 2000), 96};
};

// Lines drawn in the guide's colour.
std::vector<const TRecordedItem*> BlueLines(const TRecordingDevice& device) {
  std::vector<const TRecordedItem*> lines;
  for (const TRecordedItem* l : device.Lines())
    if (l->State.PenColor == QColor(0, 0, 255)) lines.push_back(l);
  return lines;
}

}  // namespace

TEST_F(FixedRuller, SpansTheDocumentAcrossItsLineAndMovesOnlyAcrossIt) {
  EXPECT_EQ(FDocument.AddFixedRuller(roVertical, 10, 500), nullptr) << "outside the document";
  FBody->SetSelected(true);
  TFixedRuller* v = FDocument.AddFixedRuller(roVertical, 10, 60);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->GetBoundsRect(), (TBoundsRect{60, 0, 62, 340}));
  EXPECT_TRUE(v->Flags() & pfMoveX);
  EXPECT_FALSE(v->Flags() & pfMoveY);
  EXPECT_TRUE(v->Selected());
  EXPECT_FALSE(FBody->Selected()) << "the new guide is the only selection";
  EXPECT_EQ(v->Caption(), "Vertical line 61mm");

  TFixedRuller* h = FDocument.AddFixedRuller(roHorizontal, 139, 60);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->GetBoundsRect(), (TBoundsRect{0, 139, 190, 141}));
  EXPECT_TRUE(h->Flags() & pfMoveY);
  EXPECT_FALSE(h->Flags() & pfMoveX);
  EXPECT_FALSE(v->Selected());
  EXPECT_EQ(h->Caption(), "Horizontal line 140mm");

  // Dragged down by 20 mm: still across the whole document.
  EXPECT_TRUE(h->DragBy(100, 140, 100, 160));
  EXPECT_DOUBLE_EQ(h->Top(), 159);
  EXPECT_DOUBLE_EQ(h->Left(), 0);
  EXPECT_DOUBLE_EQ(h->GetWidth(), 190);
}

TEST_F(FixedRuller, StaysLockedUntilUnlocked) {
  TFixedRuller* h = FDocument.AddFixedRuller(roHorizontal, 100, 10);
  QString caption;
  h->GetCommandCaption(&caption);
  EXPECT_EQ(caption, "Lock");
  ASSERT_TRUE(h->ExecuteCommand());
  EXPECT_TRUE(h->IsLocked());
  h->GetCommandCaption(&caption);
  EXPECT_EQ(caption, "Unlock");
  // Any later fitting (a dialog, the document growing) keeps it locked.
  h->Changed();
  FDocument.Changed();
  EXPECT_TRUE(h->IsLocked());
  EXPECT_FALSE(h->DragBy(100, 101, 100, 120));
  ASSERT_TRUE(h->ExecuteCommand());
  EXPECT_EQ(h->Flags() & (pfMoveX | pfMoveY), static_cast<uint32_t>(pfMoveY));
}

TEST_F(FixedRuller, AHorizontalGuideShowsTheDepthItCrossesInABody) {
  // Its line (the middle of the 2 mm strip) 100 mm below the body top: 20 m at 1:200.
  TFixedRuller* h = FDocument.AddFixedRuller(roHorizontal, 139, 10);
  h->SetSelected(false);
  Draw(doFrames);
  const TRecordedItem* label = FDevice.FindText("20 m");
  ASSERT_NE(label, nullptr) << FDevice.Dump();
  EXPECT_EQ(label->State.PenColor, QColor(0, 0, 255));
  EXPECT_EQ(label->State.BackgroundMode, Qt::OpaqueMode);
  const double lineY = RoundEven(140 * static_cast<double>(static_cast<float>(96 / 25.4)));
  EXPECT_NEAR(label->Rect.center().y(), lineY, 3) << "centred on the line";
  const auto lines = BlueLines(FDevice);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]->State.PenStyle, Qt::DotLine);
  EXPECT_NEAR(lines[0]->Line.y1(), lineY, 1);

  h->SetSelected(true);
  Draw(doSelection);
  ASSERT_EQ(BlueLines(FDevice).size(), 1u);
  EXPECT_EQ(BlueLines(FDevice)[0]->State.PenStyle, Qt::SolidLine);
  EXPECT_EQ(BlueLines(FDevice)[0]->State.PenDeviceWidth, 2);

  // Over the head there is no depth to show.
  h->SetTop(19);
  Draw(doFrames);
  EXPECT_TRUE(FDevice.TextsContaining(" m").empty()) << FDevice.Dump();
  EXPECT_EQ(BlueLines(FDevice).size(), 1u);
}

TEST_F(FixedRuller, IsNeverPrinted) {
  FDocument.AddFixedRuller(roHorizontal, 139, 10);
  FDocument.AddFixedRuller(roVertical, 10, 50);
  Draw(doBorders);
  EXPECT_TRUE(BlueLines(FDevice).empty()) << FDevice.Dump();
  EXPECT_TRUE(FDevice.Texts().empty());
}

TEST_F(FixedRuller, KeepsOrientationAndColourAndGoesWithoutAQuestion) {
  TFixedRuller* v = FDocument.AddFixedRuller(roVertical, 10, 50);
  FUi.ColorAnswers = {QColor(255, 0, 0)};
  ASSERT_TRUE(v->EditProperties());
  EXPECT_EQ(v->Color(), 0x0000FFu);
  EXPECT_FALSE(v->EditProperties()) << "the colour dialog was cancelled";

  TComPtr<ICompoundStream> qs;
  qsCreateCompoundStream(qs.Put());
  ASSERT_TRUE(v->SaveToQS(qs.Get()));
  EXPECT_EQ(qsReadInteger(qs.Get(), 6145, -1), 1);
  EXPECT_EQ(qsReadInteger(qs.Get(), 17, -1), 0x0000FF);
  TFixedRuller back;
  ASSERT_TRUE(back.LoadFromQS(qs.Get()));
  EXPECT_TRUE(back.IsVertical());
  EXPECT_EQ(back.Color(), 0x0000FFu);
  TFixedRuller fresh;
  EXPECT_EQ(fresh.Color(), TFixedRuller::kDefaultColor);

  const int count = FDocument.Count();
  ASSERT_TRUE(v->DeleteWithConfirm());
  EXPECT_EQ(FDocument.Count(), count - 1);
  EXPECT_TRUE(FUi.Messages.empty());
}
