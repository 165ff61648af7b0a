#include "uLayerImages.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <bit>
#include <string>
#include <utility>

#include "uComPtr.h"
#include "uEmfDocument.h"

namespace {

// What a layer's image takes from a sign; no serial when the name finds no picture.
struct TSignLook {
  uint64_t Serial = 0;
  uint64_t Width = 0, Height = 0;  // the bits of the sign's size in mm
};

// The signs of `name` in `database`. Names found are kept until a drawing change (a sign
// renamed, given another picture, a database changed): after an edit every layer in view
// keys its image anew, and most of them name the same few signs.
TSignLook LookUp(IStratDataBase* database, const TShortString& name) {
  struct TNames {
    const IStratDataBase* DataBase = nullptr;
    uint64_t Changes = 0;
    std::unordered_map<std::string, TSignLook> Found;
  };
  thread_local TNames names;
  const uint64_t changes = stratDrawingChanges();
  if (names.DataBase != database || names.Changes != changes) {
    names.DataBase = database;
    names.Changes = changes;
    names.Found.clear();
  }
  auto [it, added] = names.Found.try_emplace(std::string(ShortStringView(name)));
  if (!added) return it->second;
  TComPtr<IStratSign> sign;
  if (database->FindByName(name, sign.Put()) == S_OK && sign)
    if (const TEmfDocument* picture = sign->GetMetafile())
      it->second = {picture->Serial(), std::bit_cast<uint64_t>(sign->Width()), std::bit_cast<uint64_t>(sign->Height())};
  return it->second;
}

}  // namespace

TLayerImageTarget TLayerImageTarget::Of(const QPainter* dc, double zoom) {
  if (!stratRasterPainter(dc)) return {};
  const QPaintDevice* device = dc->device();
  if (!device || device->devType() != QInternal::Image) return {};
  const auto* image = static_cast<const QImage*>(device);
  // An image of the device's own format blends its signs as the device would.
  const QImage::Format format = image->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return {};
  return {format, image->dotsPerMeterX(), image->dotsPerMeterY(), static_cast<int32_t>(dc->renderHints()), zoom};
}

TLayerImages& TLayerImages::Shared() {
  // Never destroyed: layers may be drawn from static destructors' last paints.
  static TLayerImages* images = new TLayerImages;
  return *images;
}

void TLayerImages::KeyOf(IStratField* field, IStratDataBase* database, int32_t width, int32_t height,
                         const TLayerImageTarget& target, TKey* out) {
  TKey& key = *out;
  key.clear();
  if (!field || !database || width <= 0 || height <= 0 || !target.Valid()) return;
  const int32_t count = field->Count();
  key.reserve(7 + 8 * static_cast<size_t>(std::max(count, 0)));
  key.insert(key.end(),
             {static_cast<uint64_t>(width), static_cast<uint64_t>(height), static_cast<uint64_t>(target.Format),
              static_cast<uint64_t>(static_cast<uint32_t>(target.DotsPerMeterX)),
              static_cast<uint64_t>(static_cast<uint32_t>(target.DotsPerMeterY)),
              static_cast<uint64_t>(static_cast<uint32_t>(target.Hints)), std::bit_cast<uint64_t>(target.Zoom)});
  // In the order the field draws them: the last item first.
  TStratPlacement item{};
  for (int32_t i = count; i-- > 0;) {
    if (field->GetItem(i, &item) != S_OK || (item.Flags & 1) != 1) continue;
    const TSignLook sign = LookUp(database, item.SignName);
    if (!sign.Serial) continue;  // draws nothing
    key.insert(key.end(),
               {sign.Serial, sign.Width, sign.Height, std::bit_cast<uint64_t>(item.OffsetX),
                std::bit_cast<uint64_t>(item.OffsetY), std::bit_cast<uint64_t>(item.SpaceX),
                std::bit_cast<uint64_t>(item.SpaceY),
                static_cast<uint64_t>(static_cast<uint32_t>(item.CountX)) << 32 | static_cast<uint32_t>(item.CountY)});
  }
}

size_t TLayerImages::TKeyHash::operator()(const TKey& key) const {
  uint64_t h = 1469598103934665603ull;
  for (uint64_t v : key) h = (h ^ v) * 1099511628211ull ^ (h >> 29);
  return static_cast<size_t>(h);
}

std::shared_ptr<TLayerImage> TLayerImages::Find(const TKey& key) {
  std::lock_guard lock(FMutex);
  const auto it = FImages.find(key);
  if (it == FImages.end()) return nullptr;
  Touch(*it->second);
  return it->second;
}

void TLayerImages::Touch(TLayerImage& image) {
  image.LastUse.store(FClock.fetch_add(1, std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

std::shared_ptr<TLayerImage> TLayerImages::Insert(const TKey& key, QImage image) {
  auto made = std::make_shared<TLayerImage>();
  made->Image = std::move(image);
  Touch(*made);
  std::lock_guard lock(FMutex);
  if (FCapacity == 0) return made;  // drawn once, kept by no one
  auto [it, added] = FImages.try_emplace(key, made);
  if (!added) return it->second;  // made meanwhile on another thread
  FBytes += static_cast<size_t>(made->Image.sizeInBytes());
  Trim();
  return made;
}

void TLayerImages::Trim() {
  if (FBytes <= FCapacity) return;
  // The least recently used go until a quarter of the budget is free, so that a paint
  // bringing many new layers does not sort the images once per layer.
  std::vector<std::pair<uint64_t, const TKey*>> ages;
  ages.reserve(FImages.size());
  for (const auto& [key, image] : FImages) ages.emplace_back(image->LastUse.load(std::memory_order_relaxed), &key);
  std::sort(ages.begin(), ages.end());
  const size_t capacity = FCapacity;
  const size_t goal = capacity - capacity / 4;
  // The newest image stays: its layer draws from it now.
  for (size_t i = 0; i + 1 < ages.size() && FBytes > goal; ++i) {
    const auto it = FImages.find(*ages[i].second);
    FBytes -= static_cast<size_t>(it->second->Image.sizeInBytes());
    FImages.erase(it);
  }
}

void TLayerImages::SetCapacity(size_t bytes) {
  std::lock_guard lock(FMutex);
  FCapacity = bytes;
  if (bytes == 0) {
    FImages.clear();
    FBytes = 0;
  }
  Trim();
}

void TLayerImages::Clear() {
  std::lock_guard lock(FMutex);
  FImages.clear();
  FBytes = 0;
}

size_t TLayerImages::Bytes() const {
  std::lock_guard lock(FMutex);
  return FBytes;
}

size_t TLayerImages::Count() const {
  std::lock_guard lock(FMutex);
  return FImages.size();
}
