// Fuzz target for the Compound File reader: arbitrary bytes go through
// TStorage::OpenBytes; whatever opens is walked (every storage, every stream
// read whole) and what reads is copied through the writer, which must give a
// file that reads back the same.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "uComPtr.h"
#include "uStorage.h"

namespace {
// A broken invariant is a finding: say which and stop so libFuzzer keeps the input.
void CheckAt(bool condition, int line) {
  if (condition) return;
  std::fprintf(stderr, "broken check at line %d\n", line);
  std::abort();
}
#define Check(condition) CheckAt((condition), __LINE__)

// Walks `from`, copying every element that reads into `to` (when given).
// Returns the number of streams read.
int Walk(TStorage* from, TStorage* to) {
  int streams = 0;
  for (const TStorageElement& e : from->Elements()) {
    Check(from->ElementExists(e.Name));
    if (e.IsStorage) {
      TStorage* sub = nullptr;
      Check(from->OpenStorage(e.Name, &sub) == S_OK && sub);
      TStorage* again = nullptr;
      Check(from->OpenStorage(e.Name, &again) == S_OK && again == sub);
      TStorage* copy = nullptr;
      if (to && to->CreateStorage(e.Name, &copy) != S_OK) copy = nullptr;
      streams += Walk(sub, copy);
      continue;
    }
    std::vector<uint8_t> bytes;
    const HRESULT hr = from->ReadStream(e.Name, &bytes);
    // A view reads what a read reads, or fails the same way.
    std::vector<uint8_t> scratch;
    std::span<const uint8_t> view;
    const std::u16string_view name(reinterpret_cast<const char16_t*>(e.Name.utf16()), e.Name.size());
    Check(from->ViewStream(name, &scratch, &view) == hr);
    Check(std::equal(view.begin(), view.end(), bytes.begin(), bytes.end()));
    if (hr != S_OK) {
      Check(bytes.empty());
      continue;
    }
    ++streams;
    if (!to) continue;
    TComPtr<IStream> out;
    if (to->CreateStream(e.Name, out.Put()) != S_OK) continue;
    uint32_t done = 0;
    if (!bytes.empty()) Check(out->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &done) == S_OK);
  }
  return streams;
}

// Every element of the copy `a` is in the original `b`, and its streams read the same.
void Same(TStorage* a, TStorage* b) {
  for (const TStorageElement& e : a->Elements()) {
    if (e.IsStorage) {
      TStorage* x = nullptr;
      TStorage* y = nullptr;
      Check(a->OpenStorage(e.Name, &x) == S_OK && b->OpenStorage(e.Name, &y) == S_OK);
      Same(x, y);
      continue;
    }
    std::vector<uint8_t> x, y;
    Check(a->ReadStream(e.Name, &x) == S_OK && b->ReadStream(e.Name, &y) == S_OK && x == y);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HRESULT hr = S_OK;
  std::unique_ptr<TStorage> file = TStorage::OpenBytes(std::vector<uint8_t>(data, data + size), &hr);
  if (!file) {
    Check(hr != S_OK);
    return 0;
  }
  Check(hr == S_OK && !file->IsWritable());
  std::unique_ptr<TStorage> copy = TStorage::CreateNew();
  Walk(file.get(), copy.get());
  std::vector<uint8_t> written;
  Check(copy->SaveToBytes(&written) == S_OK);
  std::unique_ptr<TStorage> reread = TStorage::OpenBytes(written, &hr);
  Check(reread != nullptr);
  Same(reread.get(), file.get());
  return 0;
}
