#include "uCurveSamples.h"

#include <bit>
#include <cstring>
#include <new>

#include "curvpress.h"
#include "qs.h"
#include "qsID.h"
#include "uComPtr.h"

static_assert(std::endian::native == std::endian::little, "samples are stored as little-endian doubles");

namespace {

constexpr int32_t idCount = 5378;
constexpr int32_t idValues = 5377;
constexpr int32_t idPacked = 5392;

bool Resize(std::vector<double>* samples, int64_t count) {
  try {
    samples->resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

TSamplesRead Damaged(std::vector<double>* samples) {
  samples->clear();
  samples->shrink_to_fit();
  return TSamplesRead::Damaged;
}

TSamplesRead ReadPacked(ICompoundStream* packed, std::vector<double>* samples) {
  const int32_t type = cpGetCodeType(packed);
  const int32_t count = cpGetDataCount(packed);
  // A nested stream that is no packed curve, or one whose count is negative.
  if (type == cpError || count < 0 || count > kMaxCurveSamples) return Damaged(samples);
  if (count == 0) return TSamplesRead::Read;
  // The buffer must hold every code the count asks for: a truncated one would
  // be decoded as zeros, and the count alone must not size the samples.
  TCompoundEntry buffer{};
  const int32_t need = cpGetBufSize(count, type);
  if (packed->GetEntry(cpIdBuffer, &buffer) != S_OK || buffer.Tag != qsBinary || need < 0 ||
      buffer.Size < static_cast<uint32_t>(need))
    return Damaged(samples);
  if (!Resize(samples, count)) return Damaged(samples);
  if (cpDecode(packed, samples->data(), count) != S_OK) return Damaged(samples);
  return TSamplesRead::Read;
}

}  // namespace

TSamplesRead ReadCurveSamples(ICompoundStream* stream, std::vector<double>* samples) {
  samples->clear();
  if (!stream) return TSamplesRead::Absent;
  {
    TComPtr<ICompoundStream> packed;
    if (qsReadCompoundStream(stream, idPacked, packed.Put()) == S_OK && packed)
      return ReadPacked(packed.Get(), samples);
  }
  TCompoundEntry count{};
  if (stream->GetEntry(idCount, &count) != S_OK || count.Tag == qsEmpty) return TSamplesRead::Absent;
  const int32_t n = count.Tag == qsInteger ? qsReadInteger(stream, idCount, -1) : -1;
  TCompoundEntry values{};
  const bool hasValues = stream->GetEntry(idValues, &values) == S_OK && values.Tag == qsBinary;
  if (n < 0 || n > kMaxCurveSamples) return Damaged(samples);
  if (n == 0) return hasValues && values.Size != 0 ? Damaged(samples) : TSamplesRead::Read;
  // Exactly eight bytes per counted sample: any other size means the count
  // or the values are not the ones written together.
  if (!hasValues || values.Size != static_cast<uint64_t>(n) * sizeof(double) || !values.Data) return Damaged(samples);
  if (!Resize(samples, n)) return Damaged(samples);
  std::memcpy(samples->data(), values.Data, values.Size);
  return TSamplesRead::Read;
}

bool WriteCurveSamples(ICompoundStream* stream, const std::vector<double>& samples) {
  if (!stream || static_cast<int64_t>(samples.size()) > kMaxCurveSamples) return false;
  static const double kNone = 0;
  const auto n = static_cast<int32_t>(samples.size());
  if (!qsWriteInteger(stream, idCount, n)) return false;
  const void* data = samples.empty() ? static_cast<const void*>(&kNone) : samples.data();
  return stream->WriteBuffer(idValues, data, n * static_cast<int32_t>(sizeof(double))) == S_OK;
}
