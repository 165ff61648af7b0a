#include "uObjectImageDraw.h"

#include <QPainter>
#include <cmath>

#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintDocument.h"
#include "uPrintObject.h"

void DrawObjectPicture(TPrintObject* object, QPainter* painter, float zoom, const QRect& clip) {
  TDrawContext context;
  context.DC = painter;
  context.OriginX = RoundEven(object->Left());
  context.OriginY = RoundEven(object->Top());
  context.Zoom = zoom;
  context.Options = doBorders;
  // The origin is a whole millimetre; an object standing between two would
  // be drawn up to half a millimetre off its picture, losing its right or
  // bottom border. The painter takes up the rest of the way.
  const double shiftX = (object->Left() - context.OriginX) * static_cast<double>(context.Kx()) * zoom;
  const double shiftY = (object->Top() - context.OriginY) * static_cast<double>(context.Ky()) * zoom;
  painter->translate(-shiftX, -shiftY);
  const QRect shifted =
      clip.translated(static_cast<int>(std::floor(shiftX)), static_cast<int>(std::floor(shiftY))).adjusted(0, 0, 1, 1);
  context.ClipRect = TRect{shifted.left(), shifted.top(), shifted.right() + 1, shifted.bottom() + 1};
  // A column exported alone draws as it would inside its document.
  painter->setPen(DocumentLinePen(context));
  // Hatches at the device's size, as on paper (vector targets would scale them).
  painter->setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
  object->Draw(context);
  painter->translate(shiftX, shiftY);
}

QString ImageWriteError(const QString& path, const QString& why) {
  const QString text =
      SubstituteArgs(TranslateError(QStringLiteral("ImageNotWritten"), QStringLiteral("%s can't be written")), {path});
  return why.isEmpty() ? text : text + QStringLiteral(": ") + why;
}
