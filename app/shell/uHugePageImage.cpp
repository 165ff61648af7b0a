#include "uHugePageImage.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

void FreeImageMemory(void* memory) { std::free(memory); }

}  // namespace

QImage HugePageImage(QSize size, QImage::Format format) {
  const int depth = QImage::toPixelFormat(format).bitsPerPixel();
  if (size.isEmpty() || depth % 8 != 0) return QImage(size, format);
  // Rows as Qt aligns them, to 32 bits.
  const qsizetype stride = (static_cast<qsizetype>(size.width()) * (depth / 8) + 3) / 4 * 4;
  const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(size.height());
  // Below one huge page there is nothing to win.
  if (bytes < kHugePage) return QImage(size, format);
  const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = nullptr;
  if (posix_memalign(&memory, kHugePage, rounded) != 0 || !memory) return QImage(size, format);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only advice: refused (huge pages switched off), the pages stay ordinary.
  madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  QImage image(static_cast<uchar*>(memory), size.width(), size.height(), stride, format, FreeImageMemory, memory);
  if (image.isNull()) {
    std::free(memory);
    return QImage(size, format);
  }
  return image;
}
