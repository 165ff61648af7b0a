// Reference images: what counts as the same picture, and what a mismatch
// leaves behind for a person to look at.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

#include "uImageCompare.h"

namespace {

QImage Page() {
  QImage image(60, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.drawRect(5, 5, 50, 30);
  return image;
}

}  // namespace

TEST(ImageCompare, MatchesWithinTheToleranceAndReportsEveryOtherDifference) {
  qunsetenv("KERNO_UPDATE_REFERENCES");
  QTemporaryDir dir;
  const QString reference = dir.filePath("page.png");
  ASSERT_TRUE(Page().save(reference));
  const QString out = dir.filePath("out");

  EXPECT_TRUE(CompareWithReference(Page(), reference, out).Matches);
  QImage shaded = Page();
  shaded.setPixel(30, 20, qRgb(230, 230, 230));  // anti-aliasing noise
  EXPECT_TRUE(CompareWithReference(shaded, reference, out).Matches);
  EXPECT_FALSE(QDir(out).exists()) << "nothing written for a match";

  QImage changed = Page();
  {
    QPainter p(&changed);
    p.drawLine(10, 20, 19, 20);  // a mark of ten pixels
  }
  TImageComparison result = CompareWithReference(changed, reference, out);
  EXPECT_FALSE(result.Matches);
  EXPECT_EQ(result.DifferingPixels, 10);
  EXPECT_TRUE(CompareWithReference(changed, reference, out, 48, 10).Matches) << "ten may differ";
  const QString actualPath = QDir(out).absoluteFilePath("page.actual.png");
  const QString diffPath = QDir(out).absoluteFilePath("page.diff.png");
  EXPECT_TRUE(result.Message.contains(actualPath)) << result.Message.toStdString();
  EXPECT_TRUE(result.Message.contains(diffPath)) << result.Message.toStdString();
  EXPECT_EQ(QImage(actualPath).convertToFormat(QImage::Format_RGB32), changed);
  const QImage diff(diffPath);
  ASSERT_EQ(diff.size(), QSize(3 * 60 + 16, 40)) << "reference, actual and difference side by side";
  EXPECT_EQ(diff.pixel(2 * 68 + 15, 20), qRgb(255, 0, 0));
  EXPECT_NE(diff.pixel(2 * 68 + 30, 30), qRgb(255, 0, 0));

  // Another size or no reference at all never matches.
  EXPECT_FALSE(CompareWithReference(Page().copy(0, 0, 60, 39), reference, out).Matches);
  result = CompareWithReference(Page(), dir.filePath("none.png"), out);
  EXPECT_FALSE(result.Matches);
  EXPECT_TRUE(result.Message.contains("none.png")) << result.Message.toStdString();
}

TEST(ImageCompare, UpdatingWritesTheActualImageAsTheReference) {
  QTemporaryDir dir;
  const QString reference = dir.filePath("refs/new.png");
  qputenv("KERNO_UPDATE_REFERENCES", "1");
  const TImageComparison result = CompareWithReference(Page(), reference, dir.filePath("out"));
  qunsetenv("KERNO_UPDATE_REFERENCES");
  EXPECT_TRUE(result.Matches);
  EXPECT_EQ(QImage(reference).convertToFormat(QImage::Format_RGB32), Page());
  EXPECT_TRUE(CompareWithReference(Page(), reference, dir.filePath("out")).Matches);
}
