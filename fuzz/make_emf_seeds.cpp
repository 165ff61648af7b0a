// Writes the seed corpus of fuzz_emf_play: small metafiles made by the recorder that touch
// pens, brushes, paths, clipping, text and bitmaps (see README.md).
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

#include "uEmfRecorder.h"

namespace {
template <typename F>
bool Write(const QString& dir, const char* name, F draw) {
  TEmfRecorder rec(QSizeF(20, 15));
  {
    QPainter p(&rec);
    draw(p);
  }
  std::unique_ptr<TEmfDocument> doc = rec.Finish();
  return doc && doc->SaveToFile(dir + "/" + name);
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_emf_seeds DIR\n");
    return 2;
  }
  QString dir = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  ok &= Write(dir, "shapes.emf", [](QPainter& p) {
    p.setPen(QPen(Qt::blue, 2, Qt::DashDotLine));
    p.setBrush(QBrush(Qt::red, Qt::DiagCrossPattern));
    p.drawRect(5, 5, 30, 20);
    p.drawEllipse(QRectF(40, 5, 20, 20));
    p.drawPolyline(QPolygonF({QPointF(1, 50), QPointF(20, 40), QPointF(40, 55)}));
  });
  ok &= Write(dir, "paths-clip.emf", [](QPainter& p) {
    QPainterPath path;
    path.moveTo(5, 5);
    path.cubicTo(30, 0, 30, 50, 60, 40);
    path.closeSubpath();
    p.setClipRect(QRectF(2, 2, 50, 40));
    p.setBrush(Qt::green);
    p.drawPath(path);
  });
  ok &= Write(dir, "text-image.emf", [](QPainter& p) {
    QFont f("Liberation Sans");
    f.setPixelSize(12);
    p.setFont(f);
    p.rotate(10);
    p.drawText(QPointF(5, 20), "Sand");
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(QColor(0, 0, 255, 128));
    p.drawImage(QRectF(30, 30, 10, 10), img);
  });
  return ok ? 0 : 1;
}
