// Writes the seed corpus of fuzz_storage_open: small Compound Files made by
// our writer (a nested tree with small, empty and large streams; a wide
// storage), so the seeds follow the format exactly.
//   make_storage_seeds OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "uComPtr.h"
#include "uStorage.h"

namespace {
void Put(TStorage* s, const QString& name, size_t size) {
  TComPtr<IStream> stream;
  if (s->CreateStream(name, stream.Put()) != S_OK) return;
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  uint32_t done = 0;
  if (size) stream->Write(bytes.data(), static_cast<uint32_t>(size), &done);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  auto tree = TStorage::CreateNew();
  Put(tree.get(), "index", 120);
  Put(tree.get(), "big", 5000);
  TStorage* sub = nullptr;
  tree->CreateStorage("0", &sub);
  Put(sub, "index", 64);
  Put(sub, "empty", 0);
  TStorage* deeper = nullptr;
  sub->CreateStorage("Deeper", &deeper);
  Put(deeper, "c", 3);
  auto wide = TStorage::CreateNew();
  for (int i = 0; i < 40; ++i) Put(wide.get(), QString::number(i), static_cast<size_t>(i * 11));
  const bool ok = tree->SaveToFile(folder + "/tree") == S_OK && wide->SaveToFile(folder + "/wide") == S_OK;
  if (!ok) std::fprintf(stderr, "cannot write the seeds\n");
  return ok ? 0 : 1;
}
