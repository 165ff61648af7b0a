#include "uTemplatePicture.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>

#include "uDrawContext.h"
#include "uPrintDocument.h"
#include "uSettings.h"

QString TemplatePictureFile(const QString& templateFile) {
  return QFileInfo(templateFile).completeBaseName() + QStringLiteral(".bmp");
}

QImage RenderTemplatePicture(TPrintDocument* document) {
  // Drawn three times as fine with lines two pixels wide, then reduced:
  // lines stay dark and letters become shades of grey rather than vanishing.
  // 48 dpi over 360 pixels shows 190.5 mm.
  constexpr int kFine = 3 * kTemplatePictureSize;
  constexpr int kDpi = 48;
  constexpr double kLineWidth = 1.1;  // mm: two pixels at 48 dpi
  QImage fine(kFine, kFine, QImage::Format_RGB32);
  fine.setDotsPerMeterX(qRound(kDpi / 0.0254));
  fine.setDotsPerMeterY(qRound(kDpi / 0.0254));
  fine.fill(Qt::white);
  if (document) {
    // The document draws with the print pen of the settings: these settings
    // only for the picture, whatever the user's say.
    QTemporaryDir scratch;
    TSettings pictureSettings(scratch.filePath(QStringLiteral("Kerno.ini")));
    pictureSettings.SetPrintLineWidth(kLineWidth);
    TSettings* previous = &Settings();
    SetSettings(&pictureSettings);
    QPainter painter(&fine);
    TDrawContext context;
    context.DC = &painter;
    context.ClipRect = {0, 0, kFine, kFine};
    // As the window shows the sheet: the scales of its empty curves too.
    context.Options = doBorders | doScreen;
    document->Draw(context);
    painter.end();
    SetSettings(previous);
  }
  const QImage grey =
      fine.scaled(kTemplatePictureSize, kTemplatePictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
          .convertToFormat(QImage::Format_Grayscale8);
  // Eight bits with a grey palette: the bitmap format has no grey form of its own.
  QImage picture(grey.size(), QImage::Format_Indexed8);
  QList<QRgb> palette;
  for (int i = 0; i < 256; ++i) palette << qRgb(i, i, i);
  picture.setColorTable(palette);
  for (int y = 0; y < grey.height(); ++y) std::copy_n(grey.constScanLine(y), grey.width(), picture.scanLine(y));
  return picture;
}

bool WriteTemplatePicture(const QString& path, const QImage& picture) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QImageWriter writer(&file, "bmp");
  return writer.write(picture) && file.commit();
}
