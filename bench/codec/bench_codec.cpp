// Encoding and decoding 1,000,000 samples for every code type, in samples per
// second, beside a memcpy of the decoded bytes and (for the packed delta
// types) beside "Delta 16", all timed in the same run.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "curvpress.h"
#include "uThreadClock.h"

namespace {
constexpr int32_t kCount = 1000000;

const std::vector<double>& Samples() {
  static const std::vector<double> samples = [] {
    std::vector<double> s(kCount);
    std::mt19937_64 rng(1);
    std::normal_distribution<double> noise(0, 0.5);
    double v = 80;
    for (auto& x : s) x = v += noise(rng) + 0.2 * std::sin(v);
    return s;
  }();
  return samples;
}

struct TParams {
  double Step = 1;
  int32_t Offset = 0;
};

// The parameters cpEncode would choose, read from the stream it writes.
TParams ParamsFor(int32_t type) {
  TParams p;
  if (type > 16) return p;
  ICompoundStream* s = nullptr;
  cpEncode(Samples().data(), kCount, type, &s);
  s->ReadDouble(cpIdStep, 0, 1.0, &p.Step);
  s->ReadInteger(cpIdOffset, 0, 0, &p.Offset);
  s->Release();
  return p;
}

HRESULT EncodeOnce(int32_t type, const TParams& p, std::vector<uint8_t>& buf) {
  if (type > 16) return cpEncodeFloatBuf(Samples().data(), buf.data(), kCount, type);
  return cpEncodeDeltaBuf(Samples().data(), buf.data(), kCount, type, p.Step, p.Offset);
}

HRESULT DecodeOnce(int32_t type, const TParams& p, const std::vector<uint8_t>& buf, std::vector<double>& out) {
  if (type > 16) return cpDecodeFloatBuf(buf.data(), out.data(), kCount, type);
  return cpDecodeDeltaBuf(buf.data(), out.data(), kCount, type, Samples()[0], p.Step, p.Offset);
}

void Run(benchmark::State& state, bool decode) {
  const auto type = static_cast<int32_t>(state.range(0));
  const bool packed = type > 8 && type < 16;
  const TParams params = ParamsFor(type), params16 = ParamsFor(16);
  std::vector<uint8_t> buf(static_cast<size_t>(cpGetBufSize(kCount, type)) + 8);
  std::vector<uint8_t> buf16(static_cast<size_t>(cpGetBufSize(kCount, 16)) + 8);
  std::vector<double> out(kCount), copy(kCount);
  EncodeOnce(type, params, buf);
  EncodeOnce(16, params16, buf16);

  double opSeconds = 0, copySeconds = 0, delta16Seconds = 0;
  for (auto _ : state) {
    const auto t0 = TClock::now();
    decode ? DecodeOnce(type, params, buf, out) : EncodeOnce(type, params, buf);
    benchmark::ClobberMemory();
    const auto t1 = TClock::now();
    std::memcpy(copy.data(), out.data(), kCount * sizeof(double));
    benchmark::ClobberMemory();
    const auto t2 = TClock::now();
    opSeconds += Seconds(t0, t1);
    copySeconds += Seconds(t1, t2);
    if (packed) {
      const auto t3 = TClock::now();
      decode ? DecodeOnce(16, params16, buf16, out) : EncodeOnce(16, params16, buf16);
      benchmark::ClobberMemory();
      delta16Seconds += Seconds(t3, TClock::now());
    }
  }
  state.SetLabel(cpGetcpetName(type));
  state.counters["samples_per_s"] = static_cast<double>(kCount) * static_cast<double>(state.iterations()) / opSeconds;
  state.counters["x_memcpy"] = opSeconds / copySeconds;
  if (packed) state.counters["x_delta16"] = opSeconds / delta16Seconds;
}

void BM_Encode(benchmark::State& state) { Run(state, false); }
void BM_Decode(benchmark::State& state) { Run(state, true); }

void AllTypes(benchmark::internal::Benchmark* b) {
  for (int type : {8, 9, 10, 11, 12, 13, 14, 15, 16, 32, 64}) b->Arg(type);
  b->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK(BM_Encode)->Apply(AllTypes);
BENCHMARK(BM_Decode)->Apply(AllTypes);

BENCHMARK_MAIN();
