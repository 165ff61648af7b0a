// The library's exported functions and the code type table.
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "curvpress.h"
#include "qs.h"
#include "uComPtr.h"
#include "uDeltaUtils.h"
#include "uFloatUtils.h"

namespace {
struct TCodeTypeInfo {
  int32_t Type;
  const char* Name;
  GUID Id;
};

// In the order readers compare identifiers and cpEnumCodeType reports them.
constexpr TCodeTypeInfo kCodeTypes[] = {
    {8, "Delta 8", {0x3A445EB5, 0xC82B, 0x438A, {0xA4, 0xA1, 0xFE, 0x95, 0x48, 0x17, 0x4C, 0x11}}},
    {9, "Delta 9", {0x5D560D5B, 0x786D, 0x4EC3, {0xB0, 0x92, 0x3E, 0x1D, 0x15, 0x44, 0x46, 0x73}}},
    {10, "Delta 10", {0x4FCCD584, 0xD098, 0x46F8, {0x94, 0x4F, 0x10, 0x87, 0xDB, 0x04, 0xFE, 0x0D}}},
    {11, "Delta 11", {0x6994A6C0, 0x8001, 0x43AE, {0x9E, 0x5A, 0xA0, 0x2C, 0xE6, 0xF2, 0x40, 0x2F}}},
    {12, "Delta 12", {0xC5CF9166, 0x9C91, 0x4087, {0x97, 0xE5, 0x20, 0xC6, 0xB4, 0xD8, 0xB8, 0x0C}}},
    {13, "Delta 13", {0xE552AEA5, 0xCBEB, 0x458C, {0xB9, 0x4A, 0x0A, 0x58, 0xAE, 0x48, 0x3C, 0x49}}},
    {14, "Delta 14", {0x8BEE5A38, 0xE631, 0x4463, {0xB3, 0xD0, 0x9E, 0xD3, 0x06, 0xE9, 0x32, 0x13}}},
    {15, "Delta 15", {0xF1153E4A, 0x72C6, 0x493A, {0x81, 0xB7, 0x4A, 0x03, 0x55, 0x38, 0x24, 0x33}}},
    {16, "Delta 16", {0xF6246DE2, 0xD151, 0x467D, {0xB7, 0xD6, 0x25, 0xCE, 0x39, 0x21, 0xF5, 0x21}}},
    {32, "Float 32", {0x81F4CCA8, 0x161C, 0x4D49, {0x81, 0x36, 0x55, 0x3F, 0x97, 0x8D, 0x58, 0xFD}}},
    {64, "Float 64", {0xC457E034, 0xB925, 0x40EB, {0xBA, 0x98, 0x36, 0x5B, 0xCE, 0xFA, 0x30, 0x56}}},
};

const TCodeTypeInfo* FindCodeType(int32_t type) {
  for (const TCodeTypeInfo& info : kCodeTypes)
    if (info.Type == type) return &info;
  return nullptr;
}

// A buffer of 0 bytes (one sample of "Delta 8") still needs an address: the
// buffer operations refuse null.
uint8_t* BufferAddress(std::vector<uint8_t>& buffer) {
  static uint8_t none = 0;
  return buffer.empty() ? &none : buffer.data();
}

bool IsFloatType(int32_t type) { return type == cpFloat32 || type == cpFloat64; }

// Buffer size in 64-bit arithmetic: no count can overflow it. -1 for a negative count.
int64_t BufSize(int64_t count, int32_t type) {
  if (count < 0) return -1;
  if (count == 0) return 0;
  if (type == cpDelta8) return count - 1;
  if (type == cpDelta16) return 2 * count - 1;
  if (type > cpDelta8 && type < cpDelta16) return (type * count + 7) / 8 - 1;
  if (type == cpFloat32) return 4 * count;
  if (type == cpFloat64) return 8 * count;
  return 0;
}

// The size that a buffer of the stream form can hold (WriteBuffer takes a signed 32-bit size).
bool FitsBuffer(int64_t size) { return size >= 0 && size <= std::numeric_limits<int32_t>::max(); }
}  // namespace

KERNO_EXPORT int32_t cpGetCodeType(ICompoundStream* stream) {
  if (!stream) return 0;
  GUID id{};
  uint32_t size = sizeof id;
  if (stream->ReadData(cpIdCodeType, 0, &id, &size) != S_OK || size != sizeof id) return 0;
  for (const TCodeTypeInfo& info : kCodeTypes)
    if (info.Id == id) return info.Type;
  return 0;
}

KERNO_EXPORT int32_t cpGetDataCount(ICompoundStream* stream) {
  if (cpGetCodeType(stream) == 0) return 0;
  int32_t count = 0;
  stream->ReadInteger(cpIdCount, 0, 0, &count);
  return count;
}

KERNO_EXPORT int32_t cpGetBufSize(int32_t count, int32_t codeType) {
  const int64_t size = BufSize(count, codeType);
  return FitsBuffer(size) ? static_cast<int32_t>(size) : -1;
}

KERNO_EXPORT HRESULT cpEncodeDeltaBuf(const double* samples, void* buffer, int32_t count, int32_t codeType, double step,
                                      int32_t offset) {
  if (count == 0) return S_OK;
  if (!samples || !buffer || count < 0) return E_INVALIDARG;
  const int bits = DeltaBits(codeType);
  if (!bits) return E_NOTIMPL;
  return EncodeDeltas(samples, static_cast<uint8_t*>(buffer), count, bits, step, offset);
}

KERNO_EXPORT HRESULT cpDecodeDeltaBuf(const void* buffer, double* samples, int32_t count, int32_t codeType,
                                      double first, double step, int32_t offset) {
  if (count == 0) return S_OK;
  if (!samples || !buffer || count < 0) return E_INVALIDARG;
  const int bits = DeltaBits(codeType);
  if (!bits) return E_NOTIMPL;
  DecodeDeltas(static_cast<const uint8_t*>(buffer), samples, count, bits, first, step, offset);
  return S_OK;
}

KERNO_EXPORT HRESULT cpEncodeFloatBuf(const double* samples, void* buffer, int32_t count, int32_t codeType) {
  if (count == 0) return S_OK;
  if (!samples || !buffer || count < 0) return E_INVALIDARG;
  if (!IsFloatType(codeType)) return E_NOTIMPL;
  EncodeFloats(samples, static_cast<uint8_t*>(buffer), count, codeType);
  return S_OK;
}

KERNO_EXPORT HRESULT cpDecodeFloatBuf(const void* buffer, double* samples, int32_t count, int32_t codeType) {
  if (count == 0) return S_OK;
  if (!samples || !buffer || count < 0) return E_INVALIDARG;
  if (!IsFloatType(codeType)) return E_FAIL;
  DecodeFloats(static_cast<const uint8_t*>(buffer), samples, count, codeType);
  return S_OK;
}

KERNO_EXPORT HRESULT cpEncode(const double* samples, int32_t count, int32_t codeType, ICompoundStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  if ((!samples && count > 0) || count < 0) return E_INVALIDARG;
  qsCreateCompoundStream(stream);
  if (!*stream) return E_OUTOFMEMORY;
  ICompoundStream* s = *stream;

  const TCodeTypeInfo* info = FindCodeType(codeType);
  const int64_t size = BufSize(count, codeType);
  if (!info || !FitsBuffer(size)) return E_INVALIDARG;
  std::vector<uint8_t> work;
  try {
    // Zero-filled: the bits after the last code are stored as 0.
    work.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }

  HRESULT result;
  if (const int bits = DeltaBits(codeType)) {
    const int32_t levels = 1 << bits;
    const TDeltaRange range = MeasureDeltas(samples, count);
    const double step = ComputeStep(range.MinDelta, range.MaxDelta, levels);
    int32_t offset = 0;
    if (std::isfinite(step)) {
      offset = ComputeOffset(range.MaxDelta, step, levels);
      result = cpEncodeDeltaBuf(samples, BufferAddress(work), count, codeType, step, offset);
    } else {
      result = E_INVALIDARG;  // a sample is NaN or infinite: no delta code can hold it
    }
    s->WriteDouble(cpIdFirst, range.First);
    s->WriteDouble(cpIdStep, step);
    s->WriteInteger(cpIdOffset, offset);
  } else {
    result = cpEncodeFloatBuf(samples, BufferAddress(work), count, codeType);
  }
  if (result == S_OK) {
    result = s->WriteBuffer(cpIdBuffer, BufferAddress(work), static_cast<int32_t>(work.size()));
    if (result == S_OK) result = s->WriteInteger(cpIdCount, count);
    if (result == S_OK) result = s->WriteBuffer(cpIdCodeType, &info->Id, sizeof info->Id);
  }
  return result;
}

KERNO_EXPORT HRESULT cpDecode(ICompoundStream* stream, double* samples, int32_t count) {
  if ((!samples && count > 0) || !stream || count < 0 || count != cpGetDataCount(stream)) return E_INVALIDARG;
  const int32_t codeType = cpGetCodeType(stream);
  const int64_t size = BufSize(count, codeType);
  if (!FitsBuffer(size)) return E_INVALIDARG;
  // Zero-filled, so a stored buffer shorter than the count needs leaves no
  // undefined bytes; a longer one is cut to size.
  std::vector<uint8_t> buffer;
  try {
    buffer.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  uint32_t got = static_cast<uint32_t>(size);
  HRESULT result = stream->ReadData(cpIdBuffer, 0, BufferAddress(buffer), &got);
  if (Failed(result)) return result;

  if (const int bits = DeltaBits(codeType)) {
    double first = 0, step = 0;
    int32_t offset = 0;
    stream->ReadDouble(cpIdFirst, 0, 0.0, &first);
    stream->ReadDouble(cpIdStep, 0, 0.0, &step);
    stream->ReadInteger(cpIdOffset, 0, 0, &offset);
    // A zero or non-finite step comes only from a damaged stream.
    if (step == 0 || !std::isfinite(step)) return E_FAIL;
    result = cpDecodeDeltaBuf(BufferAddress(buffer), samples, count, codeType, first, step, offset);
  } else if (IsFloatType(codeType)) {
    result = cpDecodeFloatBuf(BufferAddress(buffer), samples, count, codeType);
  } else {
    result = E_FAIL;
  }
  return result;
}

KERNO_EXPORT const char* cpGetcpetName(int32_t codeType) {
  if (codeType == cpError) return "Error";
  const TCodeTypeInfo* info = FindCodeType(codeType);
  return info ? info->Name : "(Unsupported)";
}

KERNO_EXPORT void cpEnumCodeType(TCodeTypeEnumProc callback, intptr_t user) {
  if (!callback) return;
  for (const TCodeTypeInfo& info : kCodeTypes) callback(info.Name, info.Type, user);
}

// Kept only as an exported name: LAS files are written by the program
// (app/curves/uLasCurves), which knows the curves' depths, names and units;
// the codec knows none of them.
KERNO_EXPORT HRESULT cpCreateLasFile() { return E_NOTIMPL; }
