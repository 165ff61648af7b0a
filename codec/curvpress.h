// The curve codec library: packs arrays of double samples into compact
// buffers (quantised deltas of 8 to 16 bits, or 32/64-bit floats) and wraps
// them in compound streams. Every export is a plain C function; results are
// HRESULT codes (0 on success) unless stated otherwise.
#pragma once

#include <cstdint>

#include "uCompoundStreamIntf.h"
#include "uExport.h"

// Code types: 8..16 are the delta family, 32 and 64 the float family.
enum TCodeType : int32_t {
  cpError = 0,
  cpDelta8 = 8,
  cpDelta9 = 9,
  cpDelta10 = 10,
  cpDelta11 = 11,
  cpDelta12 = 12,
  cpDelta13 = 13,
  cpDelta14 = 14,
  cpDelta15 = 15,
  cpDelta16 = 16,
  cpFloat32 = 32,
  cpFloat64 = 64,
};

// Value IDs of a packed curve stream.
enum TPackedCurveId : int32_t {
  cpIdCodeType = -1,  // Binary, the 16-byte identifier of the code type
  cpIdBuffer = 1,     // Binary, the encoded buffer
  cpIdCount = 2,      // Integer, number of samples
  cpIdFirst = 3,      // Double, first sample (delta types)
  cpIdStep = 4,       // Double, quantisation step (delta types)
  cpIdOffset = 5,     // Integer, added to every code before scaling (delta types)
};

// Called once per supported code type by cpEnumCodeType.
typedef void (*TCodeTypeEnumProc)(const char* name, int32_t codeType, intptr_t user);

// Code type of a packed curve stream, or 0 when it is null, lacks ID -1 or
// names no known code type.
KERNO_EXPORT int32_t cpGetCodeType(ICompoundStream* stream);
// Number of samples in a packed curve stream (0 when it is not one).
KERNO_EXPORT int32_t cpGetDataCount(ICompoundStream* stream);
// Packs `count` samples into a new compound stream. *stream is set to null
// first; from the moment the stream is created the caller owns it, even when
// the result is a failure.
KERNO_EXPORT HRESULT cpEncode(const double* samples, int32_t count, int32_t codeType, ICompoundStream** stream);
// Unpacks a packed curve stream into exactly cpGetDataCount(stream) samples.
KERNO_EXPORT HRESULT cpDecode(ICompoundStream* stream, double* samples, int32_t count);
// Buffer size in bytes for `count` samples; 0 for an unknown code type or a
// count of 0; -1 for a negative count or one whose buffer would not fit in a
// 32-bit signed size.
KERNO_EXPORT int32_t cpGetBufSize(int32_t count, int32_t codeType);
// Delta family: codes[k] = Round((s[k+1]-s[k]) / step) - offset, modulo 2^bits.
// Buffers must hold cpGetBufSize(count, codeType) bytes; they are not checked.
KERNO_EXPORT HRESULT cpEncodeDeltaBuf(const double* samples, void* buffer, int32_t count, int32_t codeType, double step,
                                      int32_t offset);
KERNO_EXPORT HRESULT cpDecodeDeltaBuf(const void* buffer, double* samples, int32_t count, int32_t codeType,
                                      double first, double step, int32_t offset);
// Float family: 32 stores each sample as binary32, 64 as binary64.
KERNO_EXPORT HRESULT cpEncodeFloatBuf(const double* samples, void* buffer, int32_t count, int32_t codeType);
KERNO_EXPORT HRESULT cpDecodeFloatBuf(const void* buffer, double* samples, int32_t count, int32_t codeType);
// Display name of a code type: "Delta 8" ... "Float 64", "Error" for 0,
// "(Unsupported)" otherwise. The text is constant and never freed.
KERNO_EXPORT const char* cpGetcpetName(int32_t codeType);
// Calls `callback` for 8, 9, ..., 16, 32, 64 in that order; nothing for a null callback.
KERNO_EXPORT void cpEnumCodeType(TCodeTypeEnumProc callback, intptr_t user);
// Kept by name for callers that bind it; this library writes no LAS files.
KERNO_EXPORT HRESULT cpCreateLasFile();
