#include "uSignTileCache.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"

namespace {

// Bookkeeping of an entry beside its pixels.
constexpr size_t kEntryOverhead = 256;
// Playing onto an opaque background and drawing the image over it differ by rounding only:
// premultiplied values are rounded once more on the image.
constexpr int kBlendTolerance = 3;

QImage Canvas(int32_t width, int32_t height, int dpiX, int dpiY, QColor fill) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.setDotsPerMeterX(static_cast<int>(std::lround(dpiX / 0.0254)));
  image.setDotsPerMeterY(static_cast<int>(std::lround(dpiY / 0.0254)));
  image.fill(fill);
  return image;
}

void Play(QImage* image, const TEmfDocument& picture, const QRectF& target, int hints) {
  QPainter p(image);
  p.setRenderHints(p.renderHints(), false);
  p.setRenderHints(QPainter::RenderHints(hints), true);
  PlayEmf(&p, picture, target);
}

// The bounds of the pixels that are not clear; empty when there are none.
QRect PaintedBounds(const QImage& image) {
  int left = image.width(), right = -1, top = image.height(), bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
      if (line[x] != 0) {
        if (first < 0) first = x;
        last = x;
      }
    if (first < 0) continue;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Whether `over` drawn onto `background` gives `played` (the picture played straight onto
// that background) up to rounding.
bool BlendsLike(const QImage& over, QColor background, const QImage& played) {
  QImage composed(over.size(), QImage::Format_ARGB32_Premultiplied);
  composed.fill(background);
  {
    QPainter p(&composed);
    p.drawImage(0, 0, over);
  }
  for (int y = 0; y < composed.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(played.constScanLine(y));
    for (int x = 0; x < composed.width(); ++x)
      if (std::abs(qRed(a[x]) - qRed(b[x])) > kBlendTolerance ||
          std::abs(qGreen(a[x]) - qGreen(b[x])) > kBlendTolerance ||
          std::abs(qBlue(a[x]) - qBlue(b[x])) > kBlendTolerance)
        return false;
  }
  return true;
}

}  // namespace

TSignBlockImage RenderSignBlock(const TEmfDocument& picture, int32_t width, int32_t height, int hints, int dpiX,
                                int dpiY) {
  TSignBlockImage block;
  if (width <= 0 || height <= 0) return block;
  // A picture may reach past its frame; the drawing of blocks looks one block (and two
  // pixels) beyond what it shows, and so does the image.
  const int64_t marginX = int64_t(width) + 2, marginY = int64_t(height) + 2;
  const int64_t canvasW = width + 2 * marginX, canvasH = height + 2 * marginY;
  if (canvasW * canvasH > TSignTileCache::kMaxImagePixels) return block;
  const int32_t w = static_cast<int32_t>(canvasW), h = static_cast<int32_t>(canvasH);
  const QRectF target(static_cast<double>(marginX), static_cast<double>(marginY), width, height);

  QImage image = Canvas(w, h, dpiX, dpiY, Qt::transparent);
  if (image.isNull()) return block;
  Play(&image, picture, target, hints);
  // Raster operations read what lies beneath: compare with the picture played onto white and black.
  for (QColor background : {QColor(Qt::white), QColor(Qt::black)}) {
    QImage played = Canvas(w, h, dpiX, dpiY, background);
    Play(&played, picture, target, hints);
    if (!BlendsLike(image, background, played)) return block;
  }
  const QRect painted = PaintedBounds(image);
  if (painted.isEmpty()) {
    block.Usable = block.InsideBlock = true;
    return block;
  }
  // Paint at the canvas's edge may go on beyond it.
  if (painted.left() == 0 || painted.top() == 0 || painted.right() == w - 1 || painted.bottom() == h - 1) return block;
  block.Image = image.copy(painted);
  block.Offset = painted.topLeft() - QPoint(static_cast<int>(marginX), static_cast<int>(marginY));
  block.InsideBlock = QRect(0, 0, width, height).contains(painted.translated(block.Offset - painted.topLeft()));
  block.Usable = true;
  return block;
}

size_t TSignTileCache::TKeyHash::operator()(const TKey& k) const {
  size_t h = std::hash<uint64_t>()(k.Picture);
  for (int32_t v : {k.Width, k.Height, k.PeriodX, k.PeriodY, k.Hints, k.DpiX, k.DpiY})
    h = h * 1000003u ^ std::hash<int32_t>()(v);
  return h;
}

TSignTileCache& TSignTileCache::Shared() {
  // Never destroyed: signs let their pictures go from static destructors too.
  static TSignTileCache* cache = new TSignTileCache;
  return *cache;
}

TSignTileCache::TSignTileCache(size_t capacityBytes) : FCapacity(capacityBytes) {}

bool TSignTileCache::RasterTarget(const QPainter* painter) {
  if (!painter || !painter->isActive()) return false;
  const QPaintEngine* engine = painter->paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return false;
  if (painter->opacity() != 1.0 || painter->compositionMode() != QPainter::CompositionMode_SourceOver) return false;
  const QTransform& t = painter->deviceTransform();
  if (t.type() > QTransform::TxTranslate) return false;
  return t.dx() == std::round(t.dx()) && t.dy() == std::round(t.dy());
}

TSignTileCache::TEntry* TSignTileCache::Find(const TKey& key) {
  const auto it = FIndex.find(key);
  if (it == FIndex.end()) return nullptr;
  FEntries.splice(FEntries.begin(), FEntries, it->second);
  return &*it->second;
}

TSignTileCache::TEntry* TSignTileCache::Insert(TEntry entry) {
  FEntries.push_front(std::move(entry));
  FIndex[FEntries.front().Key] = FEntries.begin();
  FBytes += FEntries.front().Bytes;
  TEntry* inserted = &FEntries.front();
  Trim();
  // The newest entry stays even when it alone is over the budget: the caller draws from it.
  return inserted;
}

void TSignTileCache::Trim() {
  while (FBytes > FCapacity && FEntries.size() > 1) {
    const TEntry& last = FEntries.back();
    FBytes -= last.Bytes;
    FIndex.erase(last.Key);
    FEntries.pop_back();
  }
}

TSignTileCache::TEntry* TSignTileCache::Get(const TEmfDocument& picture, const TKey& key) {
  if (TEntry* e = Find(key)) return e;
  TEntry entry;
  entry.Key = key;
  if (key.PeriodX == 0 && key.PeriodY == 0) {
    entry.Block = RenderSignBlock(picture, key.Width, key.Height, key.Hints, key.DpiX, key.DpiY);
    entry.Bytes = kEntryOverhead + static_cast<size_t>(entry.Block.Image.sizeInBytes());
    return Insert(std::move(entry));
  }
  TKey blockKey = key;
  blockKey.PeriodX = blockKey.PeriodY = 0;
  entry.Block = Get(picture, blockKey)->Block;  // shares the block entry's pixels
  entry.Bytes = kEntryOverhead;
  const TSignBlockImage& block = entry.Block;
  if (block.Usable && block.InsideBlock && key.PeriodX >= key.Width && key.PeriodY >= key.Height &&
      int64_t(key.PeriodX) * key.PeriodY <= kMaxImagePixels) {
    QImage tile = Canvas(key.PeriodX, key.PeriodY, key.DpiX, key.DpiY, Qt::transparent);
    if (!tile.isNull()) {
      if (!block.Image.isNull()) {
        QPainter p(&tile);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(block.Offset, block.Image);
      }
      entry.Bytes += static_cast<size_t>(tile.sizeInBytes());
      entry.Brush = QBrush(tile);
    }
  }
  return Insert(std::move(entry));
}

TSignBlockImage TSignTileCache::Block(const TEmfDocument& picture, int32_t width, int32_t height,
                                      const QPainter* painter) {
  return Tiles(picture, width, height, 0, 0, painter).Block;
}

TSignTileCache::TTiles TSignTileCache::Tiles(const TEmfDocument& picture, int32_t width, int32_t height,
                                             int32_t periodX, int32_t periodY, const QPainter* painter) {
  const QPaintDevice* device = painter ? painter->device() : nullptr;
  if (!device || width <= 0 || height <= 0 || periodX < 0 || periodY < 0) return {};
  const TKey key{picture.Serial(),
                 width,
                 height,
                 periodX,
                 periodY,
                 static_cast<int32_t>(painter->renderHints()),
                 device->logicalDpiX(),
                 device->logicalDpiY()};
  std::lock_guard lock(FMutex);
  const TEntry* e = Get(picture, key);
  return {e->Block, e->Brush};
}

void TSignTileCache::Forget(uint64_t pictureSerial) {
  std::lock_guard lock(FMutex);
  for (auto it = FEntries.begin(); it != FEntries.end();) {
    if (it->Key.Picture != pictureSerial) {
      ++it;
      continue;
    }
    FBytes -= it->Bytes;
    FIndex.erase(it->Key);
    it = FEntries.erase(it);
  }
}

void TSignTileCache::Clear() {
  std::lock_guard lock(FMutex);
  FEntries.clear();
  FIndex.clear();
  FBytes = 0;
}

void TSignTileCache::SetCapacity(size_t bytes) {
  std::lock_guard lock(FMutex);
  FCapacity = bytes;
  Trim();
}

size_t TSignTileCache::Bytes() const {
  std::lock_guard lock(FMutex);
  return FBytes;
}

size_t TSignTileCache::Count() const {
  std::lock_guard lock(FMutex);
  return FEntries.size();
}
