#include "uSignPixmaps.h"

#include <QImage>
#include <QPainter>

#include "uComPtr.h"
#include "uRect.h"
#include "uStratColEntry.h"

QPixmap SignPixmap(IStratDataBase* database, const QString& name, int size) {
  if (!database || name.isEmpty() || size < 1) return {};
  TComPtr<IStratSign> sign;
  if (database->FindByName(SignNameBytes(name), sign.Put()) != S_OK || !sign) return {};
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    if (!stratDrawIcon(&painter, TRect{0, 0, size, size}, sign.Get(), false)) return {};
  }
  return QPixmap::fromImage(image);
}

QPixmap TSignPixmapCache::Pixmap(const QString& name) {
  if (const auto it = FPixmaps.constFind(name); it != FPixmaps.constEnd()) return it.value();
  // Names the database lacks are remembered too (as null pixmaps).
  const QPixmap pixmap = SignPixmap(FDataBase, name, FSize);
  FPixmaps.insert(name, pixmap);
  return pixmap;
}
