// Fuzz target for the metafile loader and player: arbitrary bytes go through
// TEmfDocument::FromBytes; whatever loads must describe itself consistently, copy
// exactly and play into an image (antialiased and not, stretched and mirrored) without
// crashing, hanging or reading outside the bytes.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "uEmfDocument.h"
#include "uEmfPlayer.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Text playback needs fonts, fonts need an application object.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication* app = new QGuiApplication(*argc, *argv);
  (void)app;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  std::unique_ptr<TEmfDocument> doc = TEmfDocument::FromBytes(data, size, &error);
  if (!doc) {
    Check(!error.empty());
    return 0;
  }
  const TEmfHeaderInfo& h = doc->Header();
  Check(doc->Size() == h.Bytes && h.Bytes <= size);
  Check(!doc->RecordOffsets().empty() && doc->RecordOffsets().size() == h.Records);
  for (uint32_t off : doc->RecordOffsets()) Check(off + 8 <= doc->Size());
  std::unique_ptr<TEmfDocument> copy = doc->Copy();
  Check(copy->Bytes() == doc->Bytes());
  auto raw = doc->RawHeader100();
  Check(std::equal(raw.begin(), raw.begin() + 88, doc->Bytes().begin()));

  QImage img(48, 48, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    PlayEmf(&p, *doc, QRectF(0, 0, 48, 48));
    p.setRenderHint(QPainter::Antialiasing);
    PlayEmf(&p, *doc, QRectF(40, 4, -32, 40));
  }
  return 0;
}
