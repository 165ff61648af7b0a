// Images of sign blocks for raster devices. Playing a sign's metafile for each
// of its blocks costs a whole playback per block; on a screen or a bitmap the
// block looks the same wherever it lands on the pixel grid, so it is played
// once per size into an image and the image is copied for every block. Printers,
// PDF, SVG and metafile recordings keep playing the metafile, so they stay vectors.
//
// Entries are keyed by the picture's serial (a metafile never changes; a sign
// given another picture, a database loaded or replaced, brings new serials),
// the block's pixel size and the painter's render hints and dpi; they are
// dropped least recently used first beyond a byte budget, and at once when the
// sign lets its picture go (Forget).
#pragma once

#include <QBrush>
#include <QImage>
#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

class QPainter;
class TEmfDocument;

// One block's picture as drawn on a transparent image, cut to the pixels it paints.
struct TSignBlockImage {
  QImage Image;   // premultiplied ARGB; null when the picture paints nothing
  QPoint Offset;  // of the image's top-left pixel from the block's top-left corner
  // False when the picture cannot be drawn from an image: it paints beyond the margin kept
  // around the block, the block is too large to keep, or it combines with what lies under it
  // (raster operations), which an image drawn on transparency cannot repeat.
  bool Usable = false;
  // Every painted pixel lies inside the block's own rectangle.
  bool InsideBlock = false;
};

class TSignTileCache {
 public:
  // The one cache the library's drawing uses.
  static TSignTileCache& Shared();

  explicit TSignTileCache(size_t capacityBytes = kDefaultCapacity);

  // True when blocks drawn by `painter` may come from images: a raster paint engine, full
  // opacity, source-over composition and a device transform that moves by whole pixels.
  static bool RasterTarget(const QPainter* painter);

  // The block image of `picture` for a block of width x height pixels as `painter` would
  // draw it (its render hints and dpi); made and kept on first use.
  TSignBlockImage Block(const TEmfDocument& picture, int32_t width, int32_t height, const QPainter* painter);

  // The block image with, when periodX and periodY are not 0, a brush repeating the block
  // every periodX x periodY pixels (block at the period's top-left, transparent beyond it).
  // The brush has no style when the blocks would overlap (a period smaller than the block),
  // the picture paints outside its block, or the tile would be too large. One look-up.
  struct TTiles {
    TSignBlockImage Block;
    QBrush Brush;
  };
  TTiles Tiles(const TEmfDocument& picture, int32_t width, int32_t height, int32_t periodX, int32_t periodY,
               const QPainter* painter);

  // Drops every entry made from the picture with this serial.
  void Forget(uint64_t pictureSerial);
  void Clear();

  void SetCapacity(size_t bytes);
  size_t Bytes() const;
  size_t Count() const;

  static constexpr size_t kDefaultCapacity = size_t(48) << 20;
  // Blocks larger than this many pixels (with their margins) are played every time.
  static constexpr int64_t kMaxImagePixels = int64_t(1) << 22;

 private:
  struct TKey {
    uint64_t Picture;
    int32_t Width, Height;
    int32_t PeriodX, PeriodY;  // 0, 0 for the block image itself
    int32_t Hints;
    int32_t DpiX, DpiY;
    bool operator==(const TKey&) const = default;
  };
  struct TKeyHash {
    size_t operator()(const TKey& k) const;
  };
  struct TEntry {
    TKey Key;
    TSignBlockImage Block;
    QBrush Brush;
    size_t Bytes = 0;
  };
  using TList = std::list<TEntry>;

  // The entry for `key`, moved to the front; null when absent. Callers hold FMutex.
  TEntry* Find(const TKey& key);
  // The entry for `key`, made when absent. Callers hold FMutex.
  TEntry* Get(const TEmfDocument& picture, const TKey& key);
  TEntry* Insert(TEntry entry);
  void Trim();

  mutable std::mutex FMutex;
  TList FEntries;  // most recently used first
  std::unordered_map<TKey, TList::iterator, TKeyHash> FIndex;
  size_t FBytes = 0;
  size_t FCapacity;
};

// The block image of `picture` for a width x height block, as playing it on a device of
// the given dpi with `hints` would paint it (exposed for the tests).
TSignBlockImage RenderSignBlock(const TEmfDocument& picture, int32_t width, int32_t height, int hints, int dpiX,
                                int dpiY);
