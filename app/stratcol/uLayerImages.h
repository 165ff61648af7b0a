// Images of layers for raster devices. A layer's cut signs over its white are the same pixels
// wherever the layer lands on the pixel grid (every block is drawn from an image of its sign at
// whole pixels), so on screens and bitmaps a layer is drawn once into an image of its own size
// and copied from then on: one copy per layer instead of a tile fill per sign, the sign look-ups
// and the fills' set-up. Layers of the same content (signs, placements, size) share one image.
//
// An image is keyed by what its drawing reads: the layer's pixel size, the device's format,
// dpi and render hints, the zoom, and per cut sign its picture (by serial) and placement. Each
// layer keeps the key it found until stratDrawingChanges() moves (an edit of any field, sign
// or database) or the zoom, device or size change. Images go least recently used first
// beyond a byte budget. Printers, PDF, SVG and metafiles never come here: they keep vectors.
#pragma once

#include <QImage>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "strat.h"

class QPainter;

struct TLayerImage {
  QImage Image;
  std::atomic<uint64_t> LastUse{0};
};

// What a layer's image depends on besides its content: the device and the zoom.
struct TLayerImageTarget {
  QImage::Format Format = QImage::Format_Invalid;
  int32_t DotsPerMeterX = 0, DotsPerMeterY = 0;
  int32_t Hints = 0;
  double Zoom = 0;
  bool operator==(const TLayerImageTarget&) const = default;

  // The target of `dc` when its layers may be drawn from images: a raster painter on a
  // 32-bit image, as stratRasterPainter allows; Format_Invalid otherwise.
  static TLayerImageTarget Of(const QPainter* dc, double zoom);
  bool Valid() const { return Format != QImage::Format_Invalid; }
};

class TLayerImages {
 public:
  static TLayerImages& Shared();
  explicit TLayerImages(size_t capacityBytes = kDefaultCapacity) : FCapacity(capacityBytes) {}

  using TKey = std::vector<uint64_t>;
  // The key of `field`'s cut items (pass 1) drawn at width x height pixels for `target`, into
  // *key (its memory reused); empty when there is nothing to key (the layer is drawn sign by sign).
  static void KeyOf(IStratField* field, IStratDataBase* database, int32_t width, int32_t height,
                    const TLayerImageTarget& target, TKey* key);

  // The image for `key`, made by `make` when absent; null when `make` gives none. Images
  // larger than kMaxImagePixels are never made.
  template <class TMake>
  std::shared_ptr<TLayerImage> Get(const TKey& key, TMake make) {
    if (auto found = Find(key)) return found;
    QImage image = make();
    if (image.isNull()) return nullptr;
    return Insert(key, std::move(image));
  }
  std::shared_ptr<TLayerImage> Find(const TKey& key);
  // Marks an image as used now (a layer found it through its own reference).
  void Touch(TLayerImage& image);

  // A capacity of 0 keeps nothing: every layer is drawn sign by sign.
  void SetCapacity(size_t bytes);
  size_t Capacity() const { return FCapacity.load(std::memory_order_relaxed); }
  void Clear();
  size_t Bytes() const;
  size_t Count() const;

  static constexpr size_t kDefaultCapacity = size_t(32) << 20;
  static constexpr int64_t kMaxImagePixels = int64_t(1) << 20;

 private:
  struct TKeyHash {
    size_t operator()(const TKey& key) const;
  };
  std::shared_ptr<TLayerImage> Insert(const TKey& key, QImage image);
  void Trim();  // callers hold FMutex

  mutable std::mutex FMutex;
  std::unordered_map<TKey, std::shared_ptr<TLayerImage>, TKeyHash> FImages;
  size_t FBytes = 0;
  std::atomic<size_t> FCapacity;
  std::atomic<uint64_t> FClock{0};
};

// What a layer found for its cut signs, kept between paints.
struct TLayerLook {
  uint64_t Changes = 0;  // stratDrawingChanges() when found; 0: nothing found yet
  const IStratDataBase* DataBase = nullptr;
  int32_t Width = 0, Height = 0;
  TLayerImageTarget Target;
  TLayerImages::TKey Key;            // empty: drawn sign by sign
  std::weak_ptr<TLayerImage> Image;  // the image of Key while it is kept
};
