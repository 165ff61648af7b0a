// The samples of a curve plot in its compound stream: written as plain
// doubles (a count under 5378, the little-endian binary64 values under
// 5377); read from those or from a curve packed by the codec library (a
// nested compound stream under 5392, which this program never writes).
#pragma once

#include <cstdint>
#include <vector>

struct ICompoundStream;

// More samples than this are refused (a quarter of a gigabyte of doubles):
// a count from a damaged file must not decide how much memory a load takes.
inline constexpr int64_t kMaxCurveSamples = int64_t{1} << 25;

enum class TSamplesRead {
  Absent,  // the stream holds no samples (neither form)
  Read,    // *samples holds them
  Damaged  // counts, sizes or packing do not agree; *samples is empty
};

// Reads the samples; the packed form wins when the stream holds one. Memory
// is taken only for as many samples as the stored bytes can hold.
TSamplesRead ReadCurveSamples(ICompoundStream* stream, std::vector<double>* samples);
// Writes the count and the plain doubles; false when a write fails.
bool WriteCurveSamples(ICompoundStream* stream, const std::vector<double>& samples);
