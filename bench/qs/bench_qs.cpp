// Compound stream containers of many values: build, save, load and read back,
// each beside a memcpy of the same serialised bytes timed in the same run.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "qs.h"
#include "uComPtr.h"
#include "uMemoryStream.h"
#include "uShortString.h"
#include "uThreadClock.h"

namespace {

// Integers under dense IDs 0, 1, 2, ...; under every third ID (sparse, still
// ascending); or in two interleaved ranges, the way a table stores its cells'
// texts and colours (the IDs no longer ascend, so the index hashes them).
enum TKind { kIntegers, kSparse, kInterleaved, kBinaries };
constexpr size_t kBinarySize = 1024;

int32_t IdOf(TKind kind, int32_t k) {
  if (kind == kSparse) return 3 * k;
  if (kind == kInterleaved) return (k % 2 ? 0x100000 : 0) + k / 2;
  return k;
}

TComPtr<ICompoundStream> Build(TKind kind, int32_t count) {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  std::vector<uint8_t> blob(kBinarySize, 0x5A);
  for (int32_t k = 0; k < count; ++k) {
    if (kind != kBinaries) {
      s->WriteInteger(IdOf(kind, k), k * 3);
    } else {
      blob[0] = static_cast<uint8_t>(k);
      s->WriteBuffer(k, blob.data(), static_cast<int32_t>(blob.size()));
    }
  }
  return s;
}

std::vector<uint8_t> Serialise(ICompoundStream* s) {
  TComPtr<IStream> memory;
  CreateMemoryStream(memory.Put());
  qsSaveToStream(s, memory.Get());
  std::vector<uint8_t> bytes;
  ReadWholeStream(memory.Get(), &bytes);
  return bytes;
}

// Reads every value back by ID; returns a checksum so nothing is optimised away.
int64_t ReadBack(ICompoundStream* s, TKind kind, int32_t count) {
  int64_t sum = 0;
  std::vector<uint8_t> blob(kBinarySize);
  for (int32_t k = 0; k < count; ++k) {
    if (kind != kBinaries) {
      int32_t v = 0;
      s->ReadInteger(IdOf(kind, k), 0, 0, &v);
      sum += v;
    } else {
      uint32_t size = kBinarySize;
      s->ReadData(k, 0, blob.data(), &size);
      sum += blob[0] + size;
    }
  }
  return sum;
}

// Times `op` and a memcpy of `bytes` alternately, and reports both and their ratio.
template <class Op>
void RunBesideCopy(benchmark::State& state, const std::vector<uint8_t>& bytes, Op op) {
  std::vector<uint8_t> copy(bytes.size());
  double opSeconds = 0, copySeconds = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    op();
    const auto t1 = TClock::now();
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    opSeconds += std::chrono::duration<double>(t1 - t0).count();
    copySeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["op_ms"] = opSeconds / n * 1e3;
  state.counters["memcpy_ms"] = copySeconds / n * 1e3;
  state.counters["x_memcpy"] = opSeconds / copySeconds;
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_Build(benchmark::State& state, TKind kind) {
  const auto count = static_cast<int32_t>(state.range(0));
  const auto bytes = Serialise(Build(kind, count).Get());
  RunBesideCopy(state, bytes, [&] { benchmark::DoNotOptimize(Build(kind, count)); });
}

void BM_Save(benchmark::State& state, TKind kind) {
  const auto count = static_cast<int32_t>(state.range(0));
  auto s = Build(kind, count);
  const auto bytes = Serialise(s.Get());
  TComPtr<IStream> target;
  CreateMemoryStream(target.Put());
  RunBesideCopy(state, bytes, [&] { qsSaveToStream(s.Get(), target.Get()); });
}

void BM_LoadReadBack(benchmark::State& state, TKind kind) {
  const auto count = static_cast<int32_t>(state.range(0));
  const auto bytes = Serialise(Build(kind, count).Get());
  TComPtr<IStream> source = MemoryStreamFrom(bytes.data(), bytes.size());
  RunBesideCopy(state, bytes, [&] {
    TComPtr<ICompoundStream> loaded;
    qsCreateFromStream(source.Get(), loaded.Put());
    benchmark::DoNotOptimize(ReadBack(loaded.Get(), kind, count));
  });
}

// Many small containers, the shape of an object document: each holds a few
// integers, doubles and short names, and is loaded and read back on its own.
constexpr int32_t kSmallEntries = 20;

std::vector<uint8_t> BuildSmall(int32_t n) {
  TComPtr<ICompoundStream> s;
  qsCreateCompoundStream(s.Put());
  for (int32_t id = 1; id <= kSmallEntries; ++id) {
    switch (id % 4) {
      case 0:
        s->WriteDouble(id, id * 0.5 + n);
        break;
      case 1: {
        TShortString name{};
        SetShortString(&name, "object " + std::to_string(n));
        s->WriteShortString(id, name);
        break;
      }
      default:
        s->WriteInteger(id, id + n);
    }
  }
  return Serialise(s.Get());
}

int64_t ReadSmall(ICompoundStream* s) {
  int64_t sum = 0;
  for (int32_t id = 1; id <= kSmallEntries; ++id) {
    switch (id % 4) {
      case 0: {
        double d = 0;
        s->ReadDouble(id, 0, 0, &d);
        sum += static_cast<int64_t>(d);
        break;
      }
      case 1: {
        TShortString name{};
        s->ReadShortString(id, 0, TShortString{}, &name);
        sum += name.Length;
        break;
      }
      default: {
        int32_t v = 0;
        s->ReadInteger(id, 0, 0, &v);
        sum += v;
      }
    }
  }
  return sum;
}

void BM_ManySmallLoadReadBack(benchmark::State& state) {
  const auto containers = static_cast<int32_t>(state.range(0));
  std::vector<std::vector<uint8_t>> images;
  std::vector<uint8_t> all;
  for (int32_t n = 0; n < containers; ++n) {
    images.push_back(BuildSmall(n));
    all.insert(all.end(), images.back().begin(), images.back().end());
  }
  std::vector<TComPtr<IStream>> sources;
  for (const auto& image : images) sources.push_back(MemoryStreamFrom(image.data(), image.size()));
  RunBesideCopy(state, all, [&] {
    int64_t sum = 0;
    for (const auto& source : sources) {
      TComPtr<ICompoundStream> loaded;
      qsCreateFromStream(source.Get(), loaded.Put());
      sum += ReadSmall(loaded.Get());
    }
    benchmark::DoNotOptimize(sum);
  });
}

// One container of many integers built, saved, loaded and read back: the
// time per entry should not grow with the count.
void BM_RoundTrip(benchmark::State& state) {
  const auto count = static_cast<int32_t>(state.range(0));
  const auto bytes = Serialise(Build(kIntegers, count).Get());
  RunBesideCopy(state, bytes, [&] {
    auto built = Build(kIntegers, count);
    TComPtr<IStream> memory;
    CreateMemoryStream(memory.Put());
    qsSaveToStream(built.Get(), memory.Get());
    TComPtr<ICompoundStream> loaded;
    qsCreateFromStream(memory.Get(), loaded.Put());
    benchmark::DoNotOptimize(ReadBack(loaded.Get(), kIntegers, count));
  });
  state.counters["ns_per_entry"] = state.counters["op_ms"] * 1e6 / count;
}
}  // namespace

BENCHMARK_CAPTURE(BM_Build, Integers, kIntegers)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, Integers, kIntegers)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadReadBack, Integers, kIntegers)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadReadBack, SparseIntegers, kSparse)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadReadBack, InterleavedIntegers, kInterleaved)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Build, Binaries1K, kBinaries)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, Binaries1K, kBinaries)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadReadBack, Binaries1K, kBinaries)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManySmallLoadReadBack)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoundTrip)->Arg(250000)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
