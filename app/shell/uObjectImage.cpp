#include "uObjectImage.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <cmath>

#include "uJpegWriter.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uObjectImageDraw.h"
#include "uObjectVectorImage.h"
#include "uPrintObject.h"

namespace {

struct TFormatName {
  TImageFormat Format;
  const char* Suffix;
};
constexpr TFormatName kFormats[] = {{TImageFormat::Emf, "emf"},  {TImageFormat::Bmp, "bmp"}, {TImageFormat::Jpg, "jpg"},
                                    {TImageFormat::Jpg, "jpeg"}, {TImageFormat::Png, "png"}, {TImageFormat::Svg, "svg"},
                                    {TImageFormat::Pdf, "pdf"}};

TImageFormat FormatOfSuffix(const QString& suffix) {
  for (const TFormatName& f : kFormats)
    if (suffix.compare(QLatin1String(f.Suffix), Qt::CaseInsensitive) == 0) return f.Format;
  return TImageFormat::None;
}

// The bitmap's resolution: that of a new 1 x 1 bitmap, as the screen would
// give it.
QSizeF BitmapPixelsPerMM() {
  const QImage probe(1, 1, QImage::Format_RGB32);
  return QSizeF(probe.logicalDpiX() / 25.4, probe.logicalDpiY() / 25.4);
}

bool WriteRaster(const QString& path, TImageFormat format, const QImage& image, int quality, QString* error) {
  QByteArray jpeg;
  if (format == TImageFormat::Jpg) {
    QString why;
    if (!EncodeJpeg(image, quality, &jpeg, &why)) {
      if (error) *error = ImageWriteError(path, why);
      return false;
    }
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = ImageWriteError(path, file.errorString());
    return false;
  }
  bool written = false;
  if (format == TImageFormat::Jpg) {
    written = file.write(jpeg) == jpeg.size();
  } else {
    QImageWriter writer(&file, format == TImageFormat::Bmp ? "bmp" : "png");
    written = writer.write(image);
    if (!written && error) *error = ImageWriteError(path, writer.errorString());
  }
  if (written && file.commit()) return true;
  if (error && (written || error->isEmpty())) *error = ImageWriteError(path, file.errorString());
  file.cancelWriting();
  return false;
}

}  // namespace

TImageFormat ImageFormatOfPath(const QString& path) { return FormatOfSuffix(QFileInfo(path).suffix()); }

QString ImageFormatSuffix(TImageFormat format) {
  for (const TFormatName& f : kFormats)
    if (f.Format == format) return u'.' + QLatin1String(f.Suffix);
  return QString();
}

bool IsRasterFormat(TImageFormat format) {
  return format == TImageFormat::Bmp || format == TImageFormat::Jpg || format == TImageFormat::Png;
}

QString ExportFileName(const QString& chosen, int filterIndex, const QString& filter) {
  const QStringList parts = filter.split(u'|');
  const qsizetype at = 2 * (static_cast<qsizetype>(filterIndex) - 1) + 1;
  if (filterIndex < 1 || at >= parts.size()) return chosen;
  // The entry's first pattern names the format ("*.jpg;*.jpeg" -> ".jpg").
  const QString pattern = parts[at].split(u';').first().trimmed();
  const TImageFormat format =
      pattern.startsWith(QLatin1String("*.")) ? FormatOfSuffix(pattern.mid(2)) : TImageFormat::None;
  if (format == TImageFormat::None || chosen.isEmpty()) return chosen;
  const QFileInfo info(chosen);
  const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
  const QString folder = chosen.left(chosen.size() - info.fileName().size());
  return folder + base + ImageFormatSuffix(format);
}

double ParseExportScalePercent(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  const double value = ReadNumber(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), 0);
  return value >= kMinExportScalePercent && value <= kMaxExportScalePercent ? value : 0;
}

QSize ObjectBitmapSize(const TPrintObject* object, double scale) {
  if (!object || !(scale > 0) || !std::isfinite(scale)) return {};
  const double w = object->GetWidth();
  const double h = object->GetHeight();
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return {};
  const QSizeF perMM = BitmapPixelsPerMM();
  const double pw = w * perMM.width() * scale;
  const double ph = h * perMM.height() * scale;
  // Keep the arithmetic inside int: anything this large is refused anyway.
  constexpr double kCap = 1e9;
  return QSize(RoundEven(std::min(pw, kCap)), RoundEven(std::min(ph, kCap)));
}

bool BitmapSizeAllowed(QSize size) {
  return size.width() > 0 && size.height() > 0 && size.width() <= kMaxBitmapSide && size.height() <= kMaxBitmapSide &&
         static_cast<qint64>(size.width()) * size.height() <= kMaxBitmapPixels;
}

QImage RenderObjectBitmap(TPrintObject* object, double scale) {
  const QSize size = ObjectBitmapSize(object, scale);
  if (!BitmapSizeAllowed(size)) return QImage();
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return QImage();  // not enough memory
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawObjectPicture(object, &painter, static_cast<float>(scale), QRect(QPoint(0, 0), size));
  painter.end();
  return image;
}

bool ExportObjectImageTo(const QString& path, TPrintObject* object, const TImageExportOptions& options,
                         QString* error) {
  const TImageFormat format = ImageFormatOfPath(path);
  if (format == TImageFormat::None) {
    if (error)
      *error = SubstituteArgs(
          TranslateError(QStringLiteral("ImageUnknownType"), QStringLiteral("%s: not a picture type the program writes "
                                                                            "(.emf, .bmp, .jpg, .png, .svg, .pdf)")),
          {QFileInfo(path).fileName()});
    return false;
  }
  if (!object || !(object->GetWidth() > 0) || !(object->GetHeight() > 0)) {
    if (error)
      *error =
          TranslateError(QStringLiteral("ImageEmpty"), QStringLiteral("The object has no size: nothing to export"));
    return false;
  }
  switch (format) {
    case TImageFormat::Emf:
      return WriteEmfPicture(path, object, error);
    case TImageFormat::Svg:
      return WriteSvgPicture(path, object, error);
    case TImageFormat::Pdf:
      return WritePdfPicture(path, object, error);
    default:
      break;
  }
  if (!(options.Scale > 0) || !std::isfinite(options.Scale)) {
    if (error)
      *error = TranslateError(QStringLiteral("ImageBadScale"), QStringLiteral("The scale must be greater than 0"));
    return false;
  }
  const QSize size = ObjectBitmapSize(object, options.Scale);
  if (!BitmapSizeAllowed(size)) {
    if (error)
      *error = SubstituteArgs(TranslateError(QStringLiteral("ImageTooLarge"),
                                             QStringLiteral("The picture would be %s x %s pixels: choose a smaller "
                                                            "scale")),
                              {QString::number(size.width()), QString::number(size.height())});
    return false;
  }
  const QImage image = RenderObjectBitmap(object, options.Scale);
  if (image.isNull()) {
    if (error)
      *error = ImageWriteError(
          path, TranslateError(QStringLiteral("ImageNoMemory"), QStringLiteral("not enough memory for the picture")));
    return false;
  }
  return WriteRaster(path, format, image, options.Quality, error);
}
