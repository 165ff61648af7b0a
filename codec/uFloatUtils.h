// Floating-point buffers: every sample as IEEE binary32 or binary64, little-endian.
#pragma once

#include <cstdint>

// `count` > 0, pointers valid; `bits` is 32 or 64.
void EncodeFloats(const double* samples, uint8_t* buffer, int32_t count, int bits);
void DecodeFloats(const uint8_t* buffer, double* samples, int32_t count, int bits);
