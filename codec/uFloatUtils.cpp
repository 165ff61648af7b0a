#include "uFloatUtils.h"

#include <bit>
#include <cstring>

// The stored form is little-endian; so is every host this builds for.
static_assert(std::endian::native == std::endian::little);

void EncodeFloats(const double* samples, uint8_t* buffer, int32_t count, int bits) {
  const auto n = static_cast<size_t>(count);
  if (bits == 64) {
    std::memcpy(buffer, samples, n * sizeof(double));
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    const auto f = static_cast<float>(samples[i]);  // nearest, ties to even
    std::memcpy(buffer + i * sizeof(float), &f, sizeof f);
  }
}

void DecodeFloats(const uint8_t* buffer, double* samples, int32_t count, int bits) {
  const auto n = static_cast<size_t>(count);
  if (bits == 64) {
    std::memcpy(samples, buffer, n * sizeof(double));
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    float f;
    std::memcpy(&f, buffer + i * sizeof(float), sizeof f);
    samples[i] = f;
  }
}
