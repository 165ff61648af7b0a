#include "emfTestUtil.h"

#include <QCoreApplication>
#include <QPainter>
#include <cstring>

#include "uEmfPlayer.h"

void Put32(std::vector<uint8_t>* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(uint8_t(v >> (8 * i)));
}
uint32_t Rgb(int r, int g, int b) { return uint32_t(r | (g << 8) | (b << 16)); }
uint32_t F2U(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEmfBytes::TEmfBytes(int w, int h) {
  // 96 dpi: 1 px = 0.2645833 mm; the reference device is 960 x 960 px over 254 x 254 mm.
  std::vector<uint32_t> words = {1,
                                 88,
                                 0,
                                 0,
                                 uint32_t(w - 1),
                                 uint32_t(h - 1),
                                 0,
                                 0,
                                 uint32_t(w * 2540 / 96),
                                 uint32_t(h * 2540 / 96),
                                 0x464D4520,
                                 0x10000,
                                 0,
                                 0,
                                 16,
                                 0,
                                 0,
                                 0,
                                 960,
                                 960,
                                 254,
                                 254};
  for (uint32_t v : words) Put32(&B_, v);
  Records_ = 1;
}

TEmfBytes& TEmfBytes::Rec(uint32_t type, std::initializer_list<uint32_t> words) {
  Put32(&B_, type);
  Put32(&B_, uint32_t(8 + 4 * words.size()));
  for (uint32_t v : words) Put32(&B_, v);
  ++Records_;
  return *this;
}

TEmfBytes& TEmfBytes::RecBytes(uint32_t type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> b = body;
  while (b.size() % 4) b.push_back(0);
  Put32(&B_, type);
  Put32(&B_, uint32_t(8 + b.size()));
  B_.insert(B_.end(), b.begin(), b.end());
  ++Records_;
  return *this;
}

std::vector<uint8_t> TEmfBytes::Finish() {
  std::vector<uint8_t> b = B_;
  std::vector<uint8_t> eof;
  Put32(&eof, 14);
  Put32(&eof, 20);
  Put32(&eof, 0);
  Put32(&eof, 16);
  Put32(&eof, 20);
  b.insert(b.end(), eof.begin(), eof.end());
  uint32_t size = uint32_t(b.size()), recs = Records_ + 1;
  std::memcpy(&b[48], &size, 4);
  std::memcpy(&b[52], &recs, 4);
  return b;
}

std::unique_ptr<TEmfDocument> TEmfBytes::Document() {
  std::vector<uint8_t> b = Finish();
  std::string error;
  auto doc = TEmfDocument::FromBytes(b.data(), b.size(), &error);
  if (!doc) qWarning("test metafile refused: %s", error.c_str());
  return doc;
}

QImage Render(const TEmfDocument& doc, int w, int h, bool antialias, bool* ok) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, antialias);
  p.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
  bool played = PlayEmf(&p, doc, QRectF(0, 0, w, h));
  p.end();
  if (ok) *ok = played;
  return img;
}

double Coverage(const QImage& img, const QRect& rect, QColor color, int tolerance) {
  QRect r = rect.intersected(img.rect());
  if (r.isEmpty()) return 0;
  int hits = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      QColor c = img.pixelColor(x, y);
      if (std::abs(c.red() - color.red()) <= tolerance && std::abs(c.green() - color.green()) <= tolerance &&
          std::abs(c.blue() - color.blue()) <= tolerance)
        ++hits;
    }
  return double(hits) / (r.width() * r.height());
}

double MeanDifference(const QImage& a0, const QImage& b0) {
  if (a0.size() != b0.size()) return 255;
  QImage a = a0.convertToFormat(QImage::Format_RGB32), b = b0.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
             std::abs(qBlue(pa[x]) - qBlue(pb[x]));
  }
  return sum / (3.0 * a.width() * a.height());
}

QString OutputDir() {
  QString dir = QDir::currentPath() + "/emf-out";
  QDir().mkpath(dir);
  return dir;
}

QString SharedData(const QString& sub) { return QString(KERNO_SHARED_DATA) + "/" + sub; }

bool HaveSharedData(const QString& sub) { return QDir(SharedData(sub)).exists(); }
