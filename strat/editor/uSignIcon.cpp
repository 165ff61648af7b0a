#include "uSignIcon.h"

#include <QPainter>
#include <cmath>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"

namespace stratedit {

QImage SignIconImage(IStratSign* sign, int size, bool realSize, int inset, double dpi) {
  QImage image(size, size, QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  if (!sign) return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  if (realSize) {
    TStratPlacement block{};
    block.CountX = block.CountY = 1;
    sign->Draw(&painter, block, inset, inset, 1.0);
  } else if (TEmfDocument* picture = sign->GetMetafile()) {
    PlayEmf(&painter, *picture, QRectF(0, 0, size, size));
  }
  return image;
}

}  // namespace stratedit
