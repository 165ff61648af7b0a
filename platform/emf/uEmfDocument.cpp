#include "uEmfDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "uEmfRecords.h"

using namespace emf;

namespace {

// Metafiles bigger than this are refused outright: no real picture comes near it and a
// corrupt size field must not make us allocate gigabytes.
constexpr size_t kMaxEmfSize = 256u * 1024u * 1024u;

bool Refuse(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool ParseHeader(const uint8_t* data, size_t size, TEmfHeaderInfo* h, std::string* error) {
  if (size < kMinHeaderSize) return Refuse(error, "file too small for an enhanced metafile header");
  TEmfCursor c(data, size);
  uint32_t type = c.U32(0), recSize = c.U32(4);
  if (type != EMR_HEADER) return Refuse(error, "first record is not an EMF header");
  if (c.U32(40) != kEmfSignature) return Refuse(error, "missing EMF signature");
  if (recSize < kMinHeaderSize || recSize % 4 != 0 || recSize > size)
    return Refuse(error, "header record size is invalid");
  h->BoundsLeft = c.I32(8);
  h->BoundsTop = c.I32(12);
  h->BoundsRight = c.I32(16);
  h->BoundsBottom = c.I32(20);
  h->FrameLeft = c.I32(24);
  h->FrameTop = c.I32(28);
  h->FrameRight = c.I32(32);
  h->FrameBottom = c.I32(36);
  h->Bytes = c.U32(48);
  h->Records = c.U32(52);
  h->Handles = c.U16(56);
  uint32_t nDescription = c.U32(60), offDescription = c.U32(64);
  h->DeviceCx = c.I32(72);
  h->DeviceCy = c.I32(76);
  h->MillimetersCx = c.I32(80);
  h->MillimetersCy = c.I32(84);
  // The micrometre size is an extension at offset 100; many writers put the description
  // there instead, so it counts only when nothing else claims those bytes and it agrees with
  // the millimetre size.
  uint32_t nPixelFormat = recSize >= 100 ? c.U32(88) : 0, offPixelFormat = recSize >= 100 ? c.U32(92) : 0;
  bool descriptionClear = nDescription == 0 || offDescription >= 108;
  bool pixelFormatClear = nPixelFormat == 0 || offPixelFormat >= 108;
  if (recSize >= 108 && descriptionClear && pixelFormatClear) {
    int32_t ux = c.I32(100), uy = c.I32(104);
    auto agrees = [](int32_t micro, int32_t milli) {
      return micro > 0 && std::abs(double(micro) - milli * 1000.0) <= 1000.0;
    };
    if (agrees(ux, h->MillimetersCx) && agrees(uy, h->MillimetersCy)) {
      h->MicrometersCx = ux;
      h->MicrometersCy = uy;
    }
  }
  if (!c.Ok()) return Refuse(error, "header record truncated");
  if (h->Handles == 0) return Refuse(error, "header has no object table slot");
  if (nDescription != 0) {
    // A description lies inside the header record as UTF-16 text.
    if (offDescription < kMinHeaderSize || offDescription >= recSize || nDescription > (recSize - offDescription) / 2)
      return Refuse(error, "header description lies outside the header record");
  }
  if (h->DeviceCx <= 0 || h->DeviceCy <= 0 || h->MillimetersCx <= 0 || h->MillimetersCy <= 0)
    return Refuse(error, "header reference device size is invalid");
  return true;
}

}  // namespace

std::unique_ptr<TEmfDocument> TEmfDocument::FromBytes(const uint8_t* data, size_t size, std::string* error) {
  if (!data || size == 0) {
    Refuse(error, "no data");
    return nullptr;
  }
  if (size > kMaxEmfSize) {
    Refuse(error, "metafile too large");
    return nullptr;
  }
  TEmfHeaderInfo h;
  if (!ParseHeader(data, size, &h, error)) return nullptr;
  // nBytes must describe the data; some writers pad the file, so extra bytes beyond nBytes
  // are tolerated and cut off, while a file shorter than nBytes is truncated.
  if (h.Bytes < kMinHeaderSize || h.Bytes % 4 != 0) {
    Refuse(error, "header byte count is invalid");
    return nullptr;
  }
  if (h.Bytes > size) {
    Refuse(error, "metafile is truncated");
    return nullptr;
  }
  std::vector<uint32_t> offsets;
  // Room for the records the header counts, as far as the bytes can hold them
  // (8 bytes each at least): a column's load parses hundreds of sign
  // pictures, and growing the list took several blocks each.
  offsets.reserve(std::min<size_t>(h.Records, h.Bytes / 8));
  size_t pos = 0;
  bool sawEof = false;
  TEmfCursor c(data, h.Bytes);
  while (pos < h.Bytes) {
    if (!c.Has(pos, 8)) {
      Refuse(error, "record header runs past the end");
      return nullptr;
    }
    uint32_t type = c.U32(pos), recSize = c.U32(pos + 4);
    if (recSize < 8 || recSize % 4 != 0 || recSize > h.Bytes - pos) {
      Refuse(error, "record " + std::to_string(offsets.size()) + " has an invalid size");
      return nullptr;
    }
    if (pos != 0 && type == EMR_HEADER) {
      Refuse(error, "second header record");
      return nullptr;
    }
    offsets.push_back(uint32_t(pos));
    pos += recSize;
    if (type == EMR_EOF) {
      sawEof = true;
      break;
    }
  }
  if (!sawEof) {
    Refuse(error, "metafile has no end-of-file record");
    return nullptr;
  }
  if (pos != h.Bytes) {
    Refuse(error, "end-of-file record does not end the metafile");
    return nullptr;
  }
  if (h.Records != offsets.size()) {
    // Writers disagree here less often than with nBytes; a wrong count is harmless for
    // playback because records are walked by size, so record what we found.
    h.Records = uint32_t(offsets.size());
  }
  std::unique_ptr<TEmfDocument> doc(new TEmfDocument);
  doc->Bytes_.assign(data, data + h.Bytes);
  doc->Header_ = h;
  doc->Offsets_ = std::move(offsets);
  return doc;
}

std::unique_ptr<TEmfDocument> TEmfDocument::FromFile(const QString& path, std::string* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    Refuse(error, "cannot open " + path.toStdString());
    return nullptr;
  }
  if (f.size() > qint64(kMaxEmfSize)) {
    Refuse(error, "metafile too large");
    return nullptr;
  }
  QByteArray bytes = f.readAll();
  return FromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), error);
}

std::array<uint8_t, 100> TEmfDocument::RawHeader100() const {
  std::array<uint8_t, 100> raw{};
  TEmfCursor c(Bytes_.data(), Bytes_.size());
  size_t recSize = c.U32(4);
  size_t n = std::min<size_t>({recSize, raw.size(), Bytes_.size()});
  std::copy_n(Bytes_.begin(), n, raw.begin());
  return raw;
}

QSizeF TEmfDocument::NaturalSizeMM() const {
  return QSizeF((double(Header_.FrameRight) - Header_.FrameLeft) / 100.0,
                (double(Header_.FrameBottom) - Header_.FrameTop) / 100.0);
}

double TEmfDocument::DevicePixelsPerMMX() const {
  if (Header_.MicrometersCx > 0) return double(Header_.DeviceCx) * 1000.0 / Header_.MicrometersCx;
  return double(Header_.DeviceCx) / Header_.MillimetersCx;
}

double TEmfDocument::DevicePixelsPerMMY() const {
  if (Header_.MicrometersCy > 0) return double(Header_.DeviceCy) * 1000.0 / Header_.MicrometersCy;
  return double(Header_.DeviceCy) / Header_.MillimetersCy;
}

TEmfDocument::TEmfDocument() {
  static std::atomic<uint64_t> next{1};
  Serial_ = next.fetch_add(1, std::memory_order_relaxed);
}

std::unique_ptr<TEmfDocument> TEmfDocument::Copy() const {
  std::unique_ptr<TEmfDocument> doc(new TEmfDocument);
  doc->Bytes_ = Bytes_;
  doc->Header_ = Header_;
  doc->Offsets_ = Offsets_;
  return doc;
}

bool TEmfDocument::SaveToFile(const QString& path) const {
  // QSaveFile writes a temporary file beside the target and renames it on commit.
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  if (f.write(reinterpret_cast<const char*>(Bytes_.data()), qint64(Bytes_.size())) != qint64(Bytes_.size())) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}
