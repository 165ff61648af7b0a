// Draws a whole document small, as the window's overview would: the check
// that whatever loaded also draws, shared by the sample's tests.
#pragma once

#include <QImage>
#include <QPainter>

#include "uDrawContext.h"
#include "uPrintDocument.h"

inline void DrawSmall(TPrintDocument* document) {
  QImage image(300, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  TDrawContext context;
  context.DC = &painter;
  context.Zoom = 0.25f;
  context.ClipRect = {0, 0, image.width(), image.height()};
  context.Options = doBorders;
  document->Draw(context);
}
