// Fuzz target for the compound stream reader: arbitrary bytes go through
// qsCreateFromStream; whatever loads is walked value by value (every typed
// read, strings, child streams) and must survive a save and reload unchanged.
// Long-lived containers also load every input (copied, and as a view) and
// must agree, batch reads and writes included.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryBytes.h"
#include "uMemoryStream.h"
#include "uPlainStream.h"

namespace {
// A broken invariant is a finding: stop so libFuzzer keeps the input.
void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<uint8_t> Save(ICompoundStream* stream) {
  TComPtr<IStream> memory;
  Check(Succeeded(CreateMemoryStream(memory.Put())));
  Check(Succeeded(qsSaveToStream(stream, memory.Get())));
  std::vector<uint8_t> bytes;
  Check(ReadWholeStream(memory.Get(), &bytes));
  return bytes;
}

void WalkValue(ICompoundStream* stream, const TCompoundEntry& entry, int depth);

// Reads every entry through every reader; a child stream is walked in turn.
void Walk(ICompoundStream* stream, int depth) {
  TComPtr<IEnumEntries> entries;
  Check(Succeeded(stream->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put()))));
  entries->Reset();
  TCompoundEntry entry{};
  int32_t fetched = 0;
  while (entries->Next(1, &entry, &fetched) == S_OK && fetched == 1) {
    WalkValue(stream, entry, depth);  // a child is another container: this cursor stays
  }
  TComPtr<IEnumEntries> clone;
  if (Succeeded(entries->Clone(clone.Put()))) {
    clone->Reset();
    clone->Skip(2);
    clone->Skip(-1);
    TCompoundEntry pair[2];
    clone->Next(2, pair, &fetched);
  }
}

void WalkValue(ICompoundStream* stream, const TCompoundEntry& entry, int depth) {
  const int32_t id = entry.ID;
  // GetEntry answers the first entry under an ID; with duplicate IDs the
  // enumerated one may be a later one.
  TCompoundEntry first{};
  Check(Succeeded(stream->GetEntry(id, &first)));
  Check(first.ID == id);

  uint32_t size = 0;
  Check(Succeeded(stream->ReadData(id, 0, nullptr, &size)));
  Check(size == first.Size);
  std::vector<uint8_t> data(size + 1);
  uint32_t got = size;
  Check(Succeeded(stream->ReadData(id, 0, data.data(), &got)));
  Check(got == size);
  Check(size == 0 || std::memcmp(data.data(), first.Data, size) == 0);

  int32_t i = 0;
  stream->ReadInteger(id, 0, 7, &i);
  stream->ReadInteger(id, qsRequired, 7, &i);
  double d = 0;
  stream->ReadDouble(id, 0, 1.5, &d);
  TShortString def{}, s{};
  stream->ReadShortString(id, 0, def, &s);
  Check(first.Tag != qsString || s.Length == (first.Size < 255 ? first.Size : 255));

  TComPtr<ICompoundStream2> stream2;
  if (Succeeded(stream->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(stream2.Put())))) {
    uint32_t length = 0;
    if (Succeeded(stream2->ReadString(id, nullptr, &length))) {
      std::vector<char> text(length + 1);
      uint32_t capacity = length;
      Check(Succeeded(stream2->ReadString(id, text.data(), &capacity)));
      // A buffer smaller than the string is never overrun.
      if (length > 1) {
        std::vector<char> small(length / 2);
        uint32_t half = length / 2;
        Check(Succeeded(stream2->ReadString(id, small.data(), &half)));
      }
    }
  }

  TComPtr<IStream> raw;
  if (Succeeded(qsReadStream(stream, id, raw.Put()))) {
    std::vector<uint8_t> bytes;
    Check(ReadWholeStream(raw.Get(), &bytes));
    Check(first.Tag == qsBinary && bytes.size() == first.Size);
  }
  if (depth < 16 && Succeeded(qsIsCompoundStream(stream, id))) {
    TComPtr<ICompoundStream> child;
    Check(Succeeded(qsReadCompoundStream(stream, id, child.Put())));
    Walk(child.Get(), depth + 1);
  }
}
// Writes each binary entry (the first of its ID) again from its own data,
// `trim` bytes shorter, read from the pointer the container handed out.
void RewriteFromOwnBytes(ICompoundStream* stream, uint32_t trim) {
  TComPtr<IEnumEntries> entries;
  Check(Succeeded(stream->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put()))));
  entries->Reset();
  TCompoundEntry entry{};
  int32_t fetched = 0;
  const uint8_t none = 0;
  while (entries->Next(1, &entry, &fetched) == S_OK && fetched == 1) {
    TCompoundEntry first{};
    Check(Succeeded(stream->GetEntry(entry.ID, &first)));
    if (first.Tag != qsBinary) continue;
    const uint32_t size = first.Size > trim ? first.Size - trim : 0;
    const std::vector<uint8_t> expect(static_cast<uint8_t*>(first.Data), static_cast<uint8_t*>(first.Data) + size);
    Check(Succeeded(stream->WriteBuffer(entry.ID, size ? first.Data : &none, static_cast<int32_t>(size))));
    Check(Succeeded(stream->GetEntry(entry.ID, &first)));
    Check(first.Size == size && (size == 0 || std::memcmp(first.Data, expect.data(), size) == 0));
  }
}

// The same bytes offered only through IStream (no bytes in place), so the
// piecewise loader is fuzzed beside the in-place one: both agree on the
// result and, on success, on the bytes saved.
void CheckPlainLoader(const uint8_t* data, size_t size, ICompoundStream* fresh) {
  TComPtr<IStream> plain(new TPlainStream(data, size));
  TComPtr<ICompoundStream> other;
  const HRESULT hr = qsCreateFromStream(plain.Get(), other.Put());
  Check(Succeeded(hr) == (fresh != nullptr));
  if (fresh) Check(Save(other.Get()) == Save(fresh));
}

// A batch read answers each ID as GetEntry does (asked of the reused
// container before anything builds its table); a batch write of what it
// read leaves the same bytes as the writes one by one.
void CheckBatches(ICompoundStream* reused, ICompoundStream* fresh) {
  std::vector<int32_t> ids = {0, 1, 63, 64, -1};
  TComPtr<IEnumEntries> entries;
  Check(Succeeded(fresh->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put()))));
  entries->Reset();
  TCompoundEntry entry{};
  int32_t fetched = 0;
  while (ids.size() < 300 && entries->Next(1, &entry, &fetched) == S_OK && fetched == 1) ids.push_back(entry.ID);
  TComPtr<ICompoundStream2> reused2;
  Check(Succeeded(reused->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(reused2.Put()))));
  std::vector<TCompoundEntry> got(ids.size());
  const HRESULT hr = reused2->GetEntries(ids.data(), static_cast<int32_t>(ids.size()), got.data());
  bool all = true;
  std::vector<TCompoundEntry> values;
  for (size_t k = 0; k < ids.size(); ++k) {
    TCompoundEntry one{};
    Check(got[k].ID == ids[k]);
    if (fresh->GetEntry(ids[k], &one) != S_OK) {
      all = false;
      Check(got[k].Tag == qsEmpty && got[k].Size == 0 && !got[k].Data);
      continue;
    }
    Check(got[k].Tag == one.Tag && got[k].Size == one.Size &&
          (one.Size == 0 || std::memcmp(got[k].Data, one.Data, one.Size) == 0));
    const bool fits = got[k].Tag == qsInteger  ? got[k].Size == 4
                      : got[k].Tag == qsDouble ? got[k].Size == 8
                                               : got[k].Tag == qsString || got[k].Tag == qsBinary;
    if (fits) values.push_back(got[k]);
  }
  Check(hr == (all ? S_OK : S_FALSE));
  TComPtr<ICompoundStream> batched, single;
  qsCreateCompoundStream(batched.Put());
  qsCreateCompoundStream(single.Put());
  TComPtr<ICompoundStream2> batched2, single2;
  Check(Succeeded(batched->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(batched2.Put()))));
  Check(Succeeded(single->QueryInterface(IID_ICompoundStream2, reinterpret_cast<void**>(single2.Put()))));
  Check(batched2->WriteEntries(values.data(), static_cast<int32_t>(values.size())) == S_OK);
  static const char kNone = 0;
  for (const TCompoundEntry& v : values) {
    const void* bytes = v.Size ? v.Data : &kNone;
    int32_t i = 0;
    double d = 0;
    if (v.Tag == qsInteger) std::memcpy(&i, bytes, 4);
    if (v.Tag == qsDouble) std::memcpy(&d, bytes, 8);
    const HRESULT one = v.Tag == qsInteger  ? single2->WriteInteger(v.ID, i)
                        : v.Tag == qsDouble ? single2->WriteDouble(v.ID, d)
                        : v.Tag == qsString
                            ? single2->WriteString(v.ID, static_cast<const char*>(bytes), static_cast<int32_t>(v.Size))
                            : single2->WriteBuffer(v.ID, bytes, static_cast<int32_t>(v.Size));
    Check(one == S_OK);
  }
  Check(Save(batched.Get()) == Save(single.Get()));
}

// One container loaded with every input in turn (as a list loads its
// children) answers as a fresh one: the same result, entries and bytes. The
// view loader reads the input where it lies; rewriting its values from their
// own bytes must leave the input as it was.
void CheckReusedContainer(const uint8_t* data, size_t size, ICompoundStream* fresh, bool view) {
  static TComPtr<ICompoundStream> containers[2];
  TComPtr<ICompoundStream>& reused = containers[view ? 1 : 0];
  if (!reused) qsCreateCompoundStream(reused.Put());
  HRESULT hr = E_FAIL;
  if (view) {
    TComPtr<IPersistMemoryView> persist;
    Check(Succeeded(reused->QueryInterface(IID_IPersistMemoryView, reinterpret_cast<void**>(persist.Put()))));
    hr = persist->LoadView(data, size);
  } else {
    TComPtr<IPersistBlock> persist;
    Check(Succeeded(reused->QueryInterface(IID_IPersistBlock, reinterpret_cast<void**>(persist.Put()))));
    hr = persist->Load(data, size);
  }
  Check(Succeeded(hr) == (fresh != nullptr));
  if (fresh) CheckBatches(reused.Get(), fresh);
  // Typed reads first, of the small IDs first: a small view answers them
  // before it builds its table.
  if (fresh)
    for (int32_t k = 0; k <= 66; ++k)
      for (int32_t flags : {0, qsRequired}) {
        const int32_t id = k == 66 ? -1 : k;
        int32_t a = 3, b = 3;
        Check(reused->ReadInteger(id, flags, 5, &a) == fresh->ReadInteger(id, flags, 5, &b) && a == b);
        double x = 0.25, y = 0.25;
        Check(reused->ReadDouble(id, flags, 0.5, &x) == fresh->ReadDouble(id, flags, 0.5, &y) &&
              std::memcmp(&x, &y, sizeof x) == 0);
      }
  TComPtr<IEnumEntries> entries;
  Check(Succeeded(reused->QueryInterface(IID_IEnumEntries, reinterpret_cast<void**>(entries.Put()))));
  entries->Reset();
  TCompoundEntry entry{};
  int32_t fetched = 0;
  if (!fresh) {
    Check(entries->Next(1, &entry, &fetched) == S_FALSE && fetched == 0);  // a failed load leaves it empty
    return;
  }
  while (entries->Next(1, &entry, &fetched) == S_OK && fetched == 1) {
    TCompoundEntry a{}, b{};
    Check(Succeeded(reused->GetEntry(entry.ID, &a)) && Succeeded(fresh->GetEntry(entry.ID, &b)));
    Check(a.Tag == b.Tag && a.Size == b.Size && (a.Size == 0 || std::memcmp(a.Data, b.Data, a.Size) == 0));
  }
  const std::vector<uint8_t> saved = Save(reused.Get());
  Check(saved == Save(fresh));
  if (view) {
    const std::vector<uint8_t> input(data, data + size);
    RewriteFromOwnBytes(reused.Get(), 0);
    Check(Save(reused.Get()) == saved);
    RewriteFromOwnBytes(reused.Get(), 1);
    Check(std::memcmp(input.data(), data, size) == 0);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TComPtr<IStream> source = MemoryStreamFrom(data, size);
  TComPtr<ICompoundStream> stream;
  if (Failed(qsCreateFromStream(source.Get(), stream.Put()))) {
    Check(!stream);  // a failed load hands out nothing
    CheckReusedContainer(data, size, nullptr, false);
    CheckReusedContainer(data, size, nullptr, true);
    CheckPlainLoader(data, size, nullptr);
    return 0;
  }
  CheckReusedContainer(data, size, stream.Get(), false);
  CheckReusedContainer(data, size, stream.Get(), true);
  CheckPlainLoader(data, size, stream.Get());
  Walk(stream.Get(), 0);

  uint64_t expected = 0;
  Check(Succeeded(qsGetSize(stream.Get(), &expected)));
  Check(expected <= size);  // trailing bytes are ignored, nothing is invented
  const std::vector<uint8_t> saved = Save(stream.Get());
  Check(saved.size() == expected);

  // What was saved loads again and saves to the same bytes.
  TComPtr<IStream> again = MemoryStreamFrom(saved.data(), saved.size());
  TComPtr<ICompoundStream> reloaded;
  Check(Succeeded(qsCreateFromStream(again.Get(), reloaded.Put())));
  Check(Save(reloaded.Get()) == saved);

  TComPtr<ICompoundStream> copy;
  Check(Succeeded(qsCopy(stream.Get(), copy.Put())));
  Check(Save(copy.Get()) == saved);

  // Rewriting binary values from their own borrowed bytes, whole and then a
  // shorter head, keeps every other value and the sizes in step.
  RewriteFromOwnBytes(stream.Get(), 0);
  Check(Save(stream.Get()) == saved);
  RewriteFromOwnBytes(stream.Get(), 1);
  uint64_t shrunk = 0;
  Check(Succeeded(qsGetSize(stream.Get(), &shrunk)));
  Check(Save(stream.Get()).size() == shrunk);
  return 0;
}
