// Quantised delta buffers: one code of 8 to 16 bits per difference between
// consecutive samples, with the parameters that make them meaningful.
#pragma once

#include <cstdint>

#include "uComBase.h"

// Bits per code of a delta code type (8..16), or 0 for any other type.
int DeltaBits(int32_t codeType);

struct TDeltaRange {
  double First = 0;
  double Last = 0;
  double MinDelta = 0;
  double MaxDelta = 0;
};

TDeltaRange MeasureDeltas(const double* samples, int32_t count);

// The quantisation step for deltas in [minDelta, maxDelta] with `levels`
// codes. Never 0: equal deltas (fewer than three samples included) get the
// delta itself (1 for zero deltas), so such series decode exactly. The step
// is widened where needed so that every quantised delta stays within
// +-2^30 (the offset is 32-bit) and the smallest delta never falls below
// code 0. Not finite when a delta is not.
double ComputeStep(double minDelta, double maxDelta, int32_t levels);
// The offset that makes maxDelta encode as code levels-1.
int32_t ComputeOffset(double maxDelta, double step, int32_t levels);

// Buffer operations; `count` > 0, pointers valid, buffer of DeltaBufSize bytes.
// Encoding fails with E_INVALIDARG when a delta divided by step is not a
// finite 64-bit integer after rounding (a NaN or infinite sample, a zero step).
HRESULT EncodeDeltas(const double* samples, uint8_t* buffer, int32_t count, int bits, double step, int32_t offset);
void DecodeDeltas(const uint8_t* buffer, double* samples, int32_t count, int bits, double first, double step,
                  int32_t offset);
