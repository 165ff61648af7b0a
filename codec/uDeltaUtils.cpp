#include "uDeltaUtils.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

static_assert(std::endian::native == std::endian::little);

namespace {
// Quantised deltas stay within this magnitude so that the 32-bit offset and
// offset + code never overflow.
constexpr double kMaxQuantum = 1073741824.0;  // 2^30

// Round to nearest, ties to even (the FPU's default mode).
double Round(double x) { return std::nearbyint(x); }

// Rounds to a 64-bit integer with ties to even; INT64_MIN for NaN, infinities
// and values out of range (the hardware's "integer indefinite").
int64_t RoundToInt64(double x) {
#if defined(__x86_64__)
  return _mm_cvtsd_si64(_mm_set_sd(x));
#else
  if (!(std::fabs(x) < 9.2e18)) return std::numeric_limits<int64_t>::min();
  return std::llrint(x);
#endif
}

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Buffer bytes that hold `codes` packed codes.
size_t PackedBytes(int64_t codes, int bits) { return static_cast<size_t>((codes * bits + 7) / 8); }

// Codes whose 8-byte window, starting at the code's first byte, lies inside
// the first `bytes` bytes of the buffer.
size_t WindowedCodes(size_t codes, int bits, size_t bytes) {
  return bytes >= 8 ? std::min(codes, ((bytes - 8) * 8) / bits + 1) : 0;
}

void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, sizeof v); }

template <int Bits>
HRESULT Encode(const double* samples, uint8_t* buffer, int32_t count, double step, int32_t offset) {
  constexpr uint64_t kMask = (uint64_t{1} << Bits) - 1;
  const auto codes = static_cast<size_t>(count - 1);
  const auto base = static_cast<uint64_t>(static_cast<int64_t>(offset));
  bool bad = false;
  // Code k: the quantised delta from sample k to k+1, less the offset, modulo 2^Bits.
  auto codeAt = [&](size_t k) {
    const int64_t q = RoundToInt64((samples[k + 1] - samples[k]) / step);
    bad |= q == std::numeric_limits<int64_t>::min();
    return (static_cast<uint64_t>(q) - base) & kMask;  // unsigned: wraps, never overflows
  };
  if constexpr (Bits == 8) {
    for (size_t k = 0; k < codes; ++k) buffer[k] = static_cast<uint8_t>(codeAt(k));
  } else if constexpr (Bits == 16) {
    for (size_t k = 0; k < codes; ++k) {
      const auto w = static_cast<uint16_t>(codeAt(k));
      std::memcpy(buffer + 2 * k, &w, 2);
    }
  } else {
    // Eight codes fill exactly Bits bytes: pack them with shifts known at
    // compile time and store two 8-byte words. The second word's spare bytes
    // are rewritten by the next group, so groups stop 16 bytes short of the
    // last whole code byte.
    const size_t wholeBytes = codes * Bits / 8;
    size_t k = 0;
    uint8_t* out = buffer;
    for (; k + 8 <= codes && static_cast<size_t>(out - buffer) + 16 <= wholeBytes; k += 8, out += Bits) {
      uint64_t lo = 0, hi = 0;
      for (int j = 0; j < 8; ++j) {
        const uint64_t code = codeAt(k + j);
        const int at = j * Bits;
        if (at < 64) {
          lo |= code << at;
          if (at + Bits > 64) hi |= code >> (64 - at);
        } else {
          hi |= code << (at - 64);
        }
      }
      Store64(out, lo);
      Store64(out + 8, hi);
    }
    uint64_t acc = 0;  // code bits not yet complete in whole bytes, least significant first
    int pending = 0;
    for (; k < codes; ++k) {
      acc |= codeAt(k) << pending;
      for (pending += Bits; pending >= 8; pending -= 8, acc >>= 8) *out++ = static_cast<uint8_t>(acc);
    }
    if (pending > 0) {
      // Bits after the last code belong to nobody: leave them as they were.
      const auto mask = static_cast<uint8_t>((1u << pending) - 1);
      *out = static_cast<uint8_t>((*out & ~mask) | (acc & mask));
    }
  }
  // A NaN or infinite sample, or a delta too large for the step, has no code.
  return bad ? E_INVALIDARG : S_OK;
}

template <int Bits>
uint32_t ReadCode(const uint8_t* buffer, size_t k) {
  if constexpr (Bits == 8) {
    return buffer[k];
  } else if constexpr (Bits == 16) {
    return static_cast<uint32_t>(buffer[2 * k]) | static_cast<uint32_t>(buffer[2 * k + 1]) << 8;
  } else {
    // Byte by byte: only for the last codes, where an 8-byte window would run past the buffer.
    const size_t bit = k * Bits;
    const size_t first = bit / 8;
    const size_t last = (bit + Bits - 1) / 8;
    uint32_t v = 0;
    for (size_t b = last + 1; b-- > first;) v = v << 8 | buffer[b];
    return (v >> (bit % 8)) & ((1u << Bits) - 1);
  }
}

template <int Bits>
void Decode(const uint8_t* buffer, double* samples, int32_t count, double first, double step, int32_t offset) {
  constexpr uint64_t kMask = (uint64_t{1} << Bits) - 1;
  const auto codes = static_cast<size_t>(count - 1);
  // Codes whose 8-byte window lies inside the bytes that hold codes.
  size_t windowed = 0;
  if constexpr (Bits != 8 && Bits != 16) windowed = WindowedCodes(codes, Bits, PackedBytes(count - 1, Bits));
  const long double scale = step;
  const auto base = static_cast<int64_t>(offset);
  double prev = first;
  samples[0] = first;
  size_t k = 0;
  for (size_t bit = 0; k < windowed; ++k, bit += Bits) {
    const uint64_t code = (Load64(buffer + bit / 8) >> (bit % 8)) & kMask;
    const long double v = static_cast<long double>(base + static_cast<int64_t>(code)) * scale + prev;
    prev = static_cast<double>(v);
    samples[k + 1] = prev;
  }
  for (; k < codes; ++k) {
    const uint32_t code = ReadCode<Bits>(buffer, k);
    const long double v = static_cast<long double>(base + static_cast<int64_t>(code)) * scale + prev;
    prev = static_cast<double>(v);
    samples[k + 1] = prev;
  }
}

template <int... B>
HRESULT EncodeFor(int bits, const double* s, uint8_t* buf, int32_t count, double step, int32_t offset,
                  std::integer_sequence<int, B...>) {
  HRESULT hr = E_NOTIMPL;
  ((bits == B ? (hr = Encode<B>(s, buf, count, step, offset), true) : false) || ...);
  return hr;
}

template <int... B>
void DecodeFor(int bits, const uint8_t* buf, double* s, int32_t count, double first, double step, int32_t offset,
               std::integer_sequence<int, B...>) {
  ((bits == B ? (Decode<B>(buf, s, count, first, step, offset), true) : false) || ...);
}

using TAllBits = std::integer_sequence<int, 8, 9, 10, 11, 12, 13, 14, 15, 16>;
}  // namespace

int DeltaBits(int32_t codeType) { return codeType >= 8 && codeType <= 16 ? codeType : 0; }

TDeltaRange MeasureDeltas(const double* samples, int32_t count) {
  TDeltaRange r;
  if (count <= 0) return r;
  r.First = r.Last = samples[0];
  if (count == 1) return r;
  r.Last = samples[count - 1];
  r.MinDelta = r.MaxDelta = samples[1] - samples[0];
  for (int32_t i = 2; i < count; ++i) {
    const double d = samples[i] - samples[i - 1];
    if (d < r.MinDelta) r.MinDelta = d;
    if (d > r.MaxDelta) r.MaxDelta = d;
  }
  return r;
}

double ComputeStep(double minDelta, double maxDelta, int32_t levels) {
  if (!std::isfinite(minDelta) || !std::isfinite(maxDelta)) return std::numeric_limits<double>::quiet_NaN();
  const double top = levels - 1;
  double step = (maxDelta - minDelta) / top;
  // Extreme deltas of both signs overflow the difference; scale them first.
  if (!std::isfinite(step)) step = maxDelta / top - minDelta / top;
  if (maxDelta == minDelta) step = maxDelta != 0 ? std::fabs(maxDelta) : 1.0;
  const double largest = std::max(std::fabs(minDelta), std::fabs(maxDelta));
  if (largest / step > kMaxQuantum) step = largest / kMaxQuantum;
  if (!(step > 0)) step = std::numeric_limits<double>::denorm_min();
  // Rounding (ties to even at both ends included) may spread the quantised
  // range over one code too many; the smallest delta would then wrap round
  // to the top code. Widen the step until the range fits.
  auto spread = [&] { return Round(maxDelta / step) - Round(minDelta / step); };
  for (int i = 0; i < 16 && spread() > top; ++i) step = std::nextafter(step, HUGE_VAL);
  while (spread() > top) step *= 1.0 + 1.0 / levels;
  return step;
}

int32_t ComputeOffset(double maxDelta, double step, int32_t levels) {
  // |maxDelta / step| <= 2^30 by ComputeStep, so this fits.
  return static_cast<int32_t>(static_cast<int64_t>(Round(maxDelta / step)) - levels + 1);
}

HRESULT EncodeDeltas(const double* samples, uint8_t* buffer, int32_t count, int bits, double step, int32_t offset) {
  return EncodeFor(bits, samples, buffer, count, step, offset, TAllBits{});
}

void DecodeDeltas(const uint8_t* buffer, double* samples, int32_t count, int bits, double first, double step,
                  int32_t offset) {
  DecodeFor(bits, buffer, samples, count, first, step, offset, TAllBits{});
}
