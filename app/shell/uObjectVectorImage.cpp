#include "uObjectVectorImage.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

#include "uEmfRecorder.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uObjectImageDraw.h"
#include "uPdfPrintTarget.h"
#include "uPrintObject.h"
#include "uSettings.h"

namespace {

// A correction factor outside a sensible range (or unreadable) counts as none:
// it would shrink the drawing to a dot or blow it far past the frame.
double Correction(double factor) { return std::isfinite(factor) && factor >= 0.1 && factor <= 10 ? factor : 1.0; }

QString PictureTitle(TPrintObject* object) {
  QString caption;
  object->GetCaption(&caption);
  return caption;
}

int DevicePixels(double mm) { return std::max(1, RoundEven(mm * kVectorPictureDpi / 25.4)); }

// The generator states the size from whole device pixels (80 mm becomes
// "80.01mm"); a drawing placed into another document should measure what
// the object measures, so the root element's size is restated in
// millimetres. The view box keeps the device pixels.
void StateTrueSize(QByteArray* svg, double widthMM, double heightMM) {
  const qsizetype root = svg->indexOf("<svg ");
  const qsizetype end = root < 0 ? -1 : svg->indexOf('>', root);
  if (end < 0) return;
  QByteArray head = svg->mid(root, end - root);
  static const QRegularExpression kWidth(QStringLiteral(R"( width="[^"]*")"));
  static const QRegularExpression kHeight(QStringLiteral(R"( height="[^"]*")"));
  QString text = QString::fromLatin1(head);
  text.replace(kWidth, QStringLiteral(" width=\"%1mm\"").arg(widthMM, 0, 'g', 10));
  text.replace(kHeight, QStringLiteral(" height=\"%1mm\"").arg(heightMM, 0, 'g', 10));
  svg->replace(root, end - root, text.toLatin1());
}

}  // namespace

bool WriteEmfPicture(const QString& path, TPrintObject* object, QString* error) {
  TEmfRecorder recorder(QSizeF(object->GetWidth(), object->GetHeight()), kVectorPictureDpi);
  QPainter painter;
  if (!painter.begin(&recorder)) {
    if (error)
      *error = ImageWriteError(
          path, TranslateError(QStringLiteral("MetafileNotCreated"), QStringLiteral("the metafile cannot be created")));
    return false;
  }
  const double sx = Correction(Settings().EmfScaleX());
  const double sy = Correction(Settings().EmfScaleY());
  QRect clip(0, 0, recorder.WidthPx(), recorder.HeightPx());
  if (sx != 1.0 || sy != 1.0) {
    painter.scale(sx, sy);
    clip.setSize(
        QSize(static_cast<int>(std::ceil(clip.width() / sx)), static_cast<int>(std::ceil(clip.height() / sy))));
  }
  DrawObjectPicture(object, &painter, 1.0f, clip);
  painter.end();
  const std::unique_ptr<TEmfDocument> document = recorder.Finish();
  if (!document) {
    if (error)
      *error = ImageWriteError(
          path, TranslateError(QStringLiteral("MetafileNotCreated"), QStringLiteral("the metafile cannot be created")));
    return false;
  }
  if (!document->SaveToFile(path)) {
    if (error) *error = ImageWriteError(path, QString());
    return false;
  }
  return true;
}

bool WriteSvgPicture(const QString& path, TPrintObject* object, QString* error) {
  QBuffer drawing;
  drawing.open(QIODevice::WriteOnly);
  const QSize size(DevicePixels(object->GetWidth()), DevicePixels(object->GetHeight()));
  QSvgGenerator generator;
  generator.setOutputDevice(&drawing);
  generator.setResolution(kVectorPictureDpi);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(PictureTitle(object));
  generator.setDescription(TranslateGeneral(QStringLiteral("AppName"), QStringLiteral("Kerno")));
  QPainter painter;
  if (!painter.begin(&generator)) {
    if (error) *error = ImageWriteError(path, QString());
    return false;
  }
  DrawObjectPicture(object, &painter, 1.0f, QRect(QPoint(0, 0), size));
  painter.end();  // the generator writes its closing tags here
  QByteArray bytes = drawing.data();
  StateTrueSize(&bytes, object->GetWidth(), object->GetHeight());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    if (error) *error = ImageWriteError(path, file.errorString());
    file.cancelWriting();
    return false;
  }
  return true;
}

bool WritePdfPicture(const QString& path, TPrintObject* object, QString* error) {
  const QPageSize page(QSizeF(object->GetWidth(), object->GetHeight()), QPageSize::Millimeter, QString(),
                       QPageSize::ExactMatch);
  TPdfPrintTarget target(path, page, QPageLayout::Portrait, kVectorPictureDpi);
  if (!target.BeginJob(PictureTitle(object))) {
    if (error) *error = target.ErrorText().isEmpty() ? ImageWriteError(path, QString()) : target.ErrorText();
    return false;
  }
  QPainter* painter = target.Painter();
  const QPaintDevice* device = painter->device();
  DrawObjectPicture(object, painter, 1.0f, QRect(0, 0, device->width(), device->height()));
  if (!target.EndJob()) {
    if (error) *error = target.ErrorText().isEmpty() ? ImageWriteError(path, QString()) : target.ErrorText();
    return false;
  }
  return true;
}
