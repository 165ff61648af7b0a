#include "uSignPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cmath>

#include "uEmfRecorder.h"
#include "uStratTexts.h"

namespace stratedit {

namespace {
// Larger files are not pattern tiles; reading them whole would only cost memory.
constexpr qint64 kMaxSvgBytes = 32 * 1024 * 1024;
// Sizes outside this range (mm) are damaged or not meant as a tile.
constexpr double kMinSideMM = 0.1;
constexpr double kMaxSideMM = 1000.0;
// 100 device units per millimetre: fine enough for hairlines, small enough for 32-bit coordinates.
constexpr int kRecordDpi = 2540;

// A length attribute in millimetres; negative when it is missing, relative or unreadable.
double LengthMM(QStringView text) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*([+]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)\s*([a-zA-Z%]*)\s*$)"));
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch()) return -1;
  bool ok = false;
  const double value = m.captured(1).toDouble(&ok);
  if (!ok || !std::isfinite(value)) return -1;
  const QString unit = m.captured(2).toLower();
  if (unit.isEmpty() || unit == QLatin1String("px")) return value * 25.4 / 96.0;
  if (unit == QLatin1String("mm")) return value;
  if (unit == QLatin1String("cm")) return value * 10.0;
  if (unit == QLatin1String("in")) return value * 25.4;
  if (unit == QLatin1String("pt")) return value * 25.4 / 72.0;
  if (unit == QLatin1String("pc")) return value * 25.4 / 6.0;
  return -1;  // "%", "em" and the like need a context the tile does not have
}

bool Usable(double mm) { return std::isfinite(mm) && mm >= kMinSideMM && mm <= kMaxSideMM; }
}  // namespace

QSizeF SvgSizeMM(const QByteArray& svg) {
  QXmlStreamReader xml(svg);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() != QLatin1String("svg")) return {};
    const QXmlStreamAttributes attributes = xml.attributes();
    double width = LengthMM(attributes.value(QLatin1String("width")));
    double height = LengthMM(attributes.value(QLatin1String("height")));
    if (!Usable(width) || !Usable(height)) {
      const QStringList box = attributes.value(QLatin1String("viewBox"))
                                  .toString()
                                  .split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
      if (box.size() != 4) return {};
      bool okW = false, okH = false;
      const double w = box[2].toDouble(&okW), h = box[3].toDouble(&okH);
      if (!okW || !okH) return {};
      width = w * 25.4 / 96.0;
      height = h * 25.4 / 96.0;
    }
    if (!Usable(width) || !Usable(height)) return {};
    return QSizeF(width, height);
  }
  return {};
}

bool IsSvgPath(const QString& path) {
  return QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<TEmfDocument> SvgToEmf(const QString& path, QString* error) {
  auto fail = [error](const QString& why) {
    if (error) *error = why;
    return std::unique_ptr<TEmfDocument>();
  };
  QFile file(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
    return fail(TranslateError("StratNoPicture", "The picture file cannot be read"));
  if (file.size() > kMaxSvgBytes) return fail(TranslateError("StratPictureTooLarge", "The picture file is too large"));
  const QByteArray bytes = file.readAll();
  const QSizeF size = SvgSizeMM(bytes);
  QSvgRenderer renderer(bytes);
  if (!renderer.isValid() || size.isEmpty())
    return fail(TranslateError("StratNotSvg", "The file is not an SVG drawing of a usable size"));
  TEmfRecorder recorder(size, kRecordDpi);
  {
    QPainter painter(&recorder);
    renderer.render(&painter, QRectF(0, 0, recorder.WidthPx(), recorder.HeightPx()));
  }
  std::unique_ptr<TEmfDocument> picture = recorder.Finish();
  if (!picture) return fail(TranslateError("StratNotSvg", "The file is not an SVG drawing of a usable size"));
  return picture;
}

HRESULT SetSignPicture(IStratSign* sign, const QString& path) {
  if (!sign || path.isEmpty()) return E_INVALIDARG;
  if (!IsSvgPath(path)) return stratSetMetaFile(sign, QFile::encodeName(path).constData());
  if (!QFileInfo(path).isFile()) return E_INVALIDARG;
  std::unique_ptr<TEmfDocument> picture = SvgToEmf(path, nullptr);
  if (!picture) return E_FAIL;
  return sign->SetMetafile(picture.release());
}

}  // namespace stratedit
