// A document holding every kind this folder and the depth lines bring (an
// image in the head; a vector graphic, a colour line and a depth table with a
// status line in the body): saved and loaded to the same bytes, listed by
// "Kerno --dump", and printed as the reference page shows it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "uBmpImage.h"
#include "uDepthLineKinds.h"
#include "uDocumentKinds.h"
#include "uImageCompare.h"
#include "uPassportBody.h"
#include "uPdfPrintTarget.h"
#include "uPictureKinds.h"
#include "uPrintBitmap.h"
#include "uPrintColorLine.h"
#include "uPrintDeepTable.h"
#include "uPrintDocument.h"
#include "uPrintHeader.h"
#include "uPrintText.h"
#include "uPrintVectorGraphic.h"
#include "uScratchEnvTest.h"
#include "uStatusDDLine.h"
#include "uTableKinds.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void BuildDocument(TPrintDocument* document) {
  auto head = std::make_unique<TPrintHeader>();
  TPrintHeader* h = head.get();
  document->AddChild(std::move(head));
  h->SetBoundsRect({0, 0, 190, 40});
  QImage picture(240, 90, QImage::Format_RGB32);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 240; ++x)
      picture.setPixel(x, y, (x / 30 + y / 30) % 2 ? qRgb(40, 40, 40) : qRgb(220, 220, 220));
  auto image = std::make_unique<TPrintBitmap>();
  image->SetPicture(EncodeBmp(picture));
  image->SetBoundsRect({10, 5, 90, 35});
  h->AddChild(std::move(image));

  auto body = std::make_unique<TPassportBody>();
  TPassportBody* b = body.get();
  document->AddChild(std::move(body));
  b->SetBoundsRect({0, 40, 190, 240});  // 40 m at 1:200

  auto graphic = std::make_unique<TPrintVectorGraphic>();
  TPrintVectorGraphic* g = graphic.get();
  b->AddChild(std::move(graphic));
  g->SetBoundsRect({0, 40, 50, 240});
  g->SetCommands({{vgRect, 2, 2, 30, 8, {}, 0},
                  {vgLine, 2, 10, 45, 14, {}, 0},
                  {vgArrow, 40, 18, 10, 18, {}, 0},
                  {vgText, 5, 24, 12, 0, QStringLiteral("Top"), 0},
                  {vgLineP, 0, 30, 48, 30, {}, 0}});

  auto line = std::make_unique<TPrintColorLine>();
  TPrintColorLine* l = line.get();
  b->AddChild(std::move(line));
  l->SetBoundsRect({55, 40, 85, 240});
  TPrintColorLine::TCategories categories;
  for (int k = 0; k < 2; ++k) {
    auto c = std::make_unique<TColorCategory>();
    c->Name = k ? QStringLiteral("high") : QStringLiteral("low");
    c->Color = k ? 0x202020 : 0xA0A0A0;
    c->RangeMin = k ? 5 : 0;
    c->RangeMax = k ? 10 : 5;
    c->BarLeft = k ? 15 : 2;
    c->BarRight = k ? 28 : 20;
    c->GlueClosers = true;
    c->Table.SetColCount(3);
    c->Table.SetRowCount(7);  // 0-35 m, inside the table's 36 m
    for (int r = 0; r < 7; ++r) {
      c->Table.SetCell(0, r, QString::number(r * 5));
      c->Table.SetCell(1, r, QString::number(r * 5 + 5));
      c->Table.SetCell(2, r, QString::number((r * 7) % 10));
    }
    categories.push_back(std::move(c));
  }
  l->SetCategories(std::move(categories));

  auto table = std::make_unique<TPrintDeepTable>();
  TPrintDeepTable* t = table.get();
  b->AddChild(std::move(table));
  t->SetLeft(90);
  t->SetTop(40);
  t->StartColumn = 1;
  t->EndColumn = 2;
  auto status = std::make_unique<TStatusDDLine>();
  status->SetLeft(150);
  status->SetWidth(3);
  t->AddChild(std::move(status));
  TStringTableEx& cells = t->Table();
  cells.SetColCount(3);
  const QStringList marks = {QStringLiteral("Керн"), QStringLiteral("Керн"),  QStringLiteral("Sand"),
                             QStringLiteral("Керн"), QStringLiteral("Глина"), QStringLiteral("Керн")};
  cells.SetRowCount(static_cast<int>(marks.size()));
  cells.ColWidths = {25, 15, 15};
  for (int r = 0; r < marks.size(); ++r) {
    cells.SetCell(0, r, marks[r]);
    cells.SetCell(1, r, QString::number(r * 6));
    cells.SetCell(2, r, QString::number(r * 6 + 6));
  }
  t->RebuildIntervals();
  b->Changed();
}

}  // namespace

class KindsDocument : public TScratchEnvTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TScratchEnvTest::SetUp());
    RegisterTextKinds();
    RegisterHeadKinds();
    RegisterDocumentKinds();
    RegisterTableKinds();
    RegisterPictureKinds();
    RegisterDepthLineKinds();
  }
};

TEST_F(KindsDocument, RoundTripsDumpsAndPrintsAsTheReference) {
  TPrintDocument document;
  BuildDocument(&document);
  QString error;
  ASSERT_TRUE(document.SaveToFile(Path("kinds.knd"), &error)) << error.toStdString();
  TPrintDocument loaded;
  ASSERT_TRUE(loaded.LoadFromFile(Path("kinds.knd"), &error)) << error.toStdString();
  ASSERT_TRUE(loaded.SaveToFile(Path("again.knd"), &error)) << error.toStdString();
  EXPECT_TRUE(FileBytes(Path("kinds.knd")) == FileBytes(Path("again.knd")));

  // Every kind lists its own values.
  QProcess dump;
  dump.start(QStringLiteral(KERNO_PROGRAM_DIR "/Kerno"), {"--dump", Path("kinds.knd")});
  ASSERT_TRUE(dump.waitForFinished(60000));
  ASSERT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
  const QJsonObject root = QJsonDocument::fromJson(dump.readAllStandardOutput()).object();
  QMap<QString, QJsonObject> byKind;
  const std::function<void(const QJsonObject&)> walk = [&](const QJsonObject& o) {
    byKind.insert(o["kindName"].toString(), o);
    for (const QJsonValue& c : o["children"].toArray()) walk(c.toObject());
  };
  walk(root["object"].toObject());
  EXPECT_EQ(byKind["Image"]["pictureWidth"].toInt(), 240);
  EXPECT_EQ(byKind["VectorGraphic"]["commands"].toArray().size(), 5);
  EXPECT_EQ(byKind["VectorGraphic"]["commands"].toArray()[3].toObject()["text"].toString(), QStringLiteral("Top"));
  EXPECT_EQ(byKind["ColorLine"]["categories"].toArray()[1].toObject()["name"].toString(), QStringLiteral("high"));
  EXPECT_EQ(byKind["StatusDDLine"]["states"].toArray(), (QJsonArray{1, 0, 0, 1, 2, 1}));

  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
    GTEST_SKIP() << "pdftoppm (poppler-utils) not installed: the page is not compared";
  TPdfPrintTarget pdf(Path("kinds.pdf"), QPageSize(QPageSize::A4));
  ASSERT_TRUE(loaded.Print(&pdf, 1, 1)) << pdf.ErrorText().toStdString();
  QProcess render;
  render.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
               {"-r", "100", "-gray", "-png", "-f", "1", "-l", "1", Path("kinds.pdf"), Path("page")});
  ASSERT_TRUE(render.waitForFinished(60000));
  const QStringList pages = QDir(FDir.path()).entryList({"page-*.png"}, QDir::Files, QDir::Name);
  ASSERT_EQ(pages.size(), 1);
  const TImageComparison result =
      CompareWithReference(QImage(Path(pages[0])), QStringLiteral(KERNO_TEST_DATA "/pictures/kinds-1.png"),
                           QDir::current().filePath(QStringLiteral("test_pictures-mismatches")), 64, 4);
  EXPECT_TRUE(result.Matches) << result.Message.toStdString();
}
