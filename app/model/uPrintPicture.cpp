#include "uPrintPicture.h"

#include <cstring>

#include "qs.h"

namespace {

// Calls `visit` with every entry of `stream` in stored order; false when the
// stream cannot be walked.
template <class F>
bool ForEachEntry(ICompoundStream* stream, F&& visit) {
  TComPtr<IEnumEntries> entries;
  if (stream->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put())) != S_OK || !entries)
    return false;
  entries->Reset();
  TCompoundEntry batch[64];
  int32_t fetched = 0;
  do {
    const HRESULT hr = entries->Next(64, batch, &fetched);
    if (hr != S_OK && hr != S_FALSE) return false;
    for (int32_t i = 0; i < fetched; ++i)
      if (!visit(batch[i])) return false;
  } while (fetched == 64);
  return true;
}

// Writes one entry under its ID with its own value kind.
bool WriteEntry(ICompoundStream* target, const TCompoundEntry& e) {
  // An empty value still needs a valid pointer to be written as a value.
  static const char kNothing = 0;
  const auto* data = static_cast<const char*>(e.Size ? e.Data : &kNothing);
  switch (e.Tag) {
    case qsInteger: {
      int32_t v = 0;
      if (e.Size != sizeof v) return true;  // not a value this kind can hold: dropped
      std::memcpy(&v, e.Data, sizeof v);
      return target->WriteInteger(e.ID, v) == S_OK;
    }
    case qsDouble: {
      double v = 0;
      if (e.Size != sizeof v) return true;
      std::memcpy(&v, e.Data, sizeof v);
      return target->WriteDouble(e.ID, v) == S_OK;
    }
    case qsString: {
      TComPtr<ICompoundStream2> strings;
      if (target->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(strings.Put())) != S_OK || !strings)
        return false;
      return strings->WriteString(e.ID, data, static_cast<int32_t>(e.Size)) == S_OK;
    }
    case qsBinary:
      return target->WriteBuffer(e.ID, data, static_cast<int32_t>(e.Size)) == S_OK;
    default:
      return true;
  }
}

}  // namespace

TPrintPicture::TPrintPicture() = default;
TPrintPicture::~TPrintPicture() = default;

bool TPrintPicture::LoadFromQS(ICompoundStream* stream) {
  if (!TPrintObject::LoadFromQS(stream)) return false;
  // The stream is only lent for this call: its values are copied.
  TComPtr<ICompoundStream> kept;
  qsCreateCompoundStream(kept.Put());
  if (!kept || !ForEachEntry(stream, [&](const TCompoundEntry& e) { return WriteEntry(kept.Get(), e); })) kept.Reset();
  FKept = std::move(kept);
  return true;
}

bool TPrintPicture::SaveToQS(ICompoundStream* stream) {
  if (!TPrintObject::SaveToQS(stream)) return false;
  if (!FKept) return true;
  // What the base wrote is current; the rest is as it was loaded.
  const bool ok = ForEachEntry(FKept.Get(), [&](const TCompoundEntry& e) {
    TCompoundEntry present{};
    return stream->GetEntry(e.ID, &present) == S_OK || WriteEntry(stream, e);
  });
  if (!ok) FModified = true;
  return ok;
}
