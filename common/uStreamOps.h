// What every stream held in memory does alike, whoever owns the bytes: reads,
// seeks, copies and status over a byte span and a position.
#pragma once

#include <cstdint>
#include <span>

#include "uComBase.h"

namespace streamops {

// Reads up to `count` bytes at *pos; a read past the end gives what is left.
HRESULT Read(std::span<const uint8_t> bytes, uint64_t* pos, void* buffer, uint32_t count, uint32_t* done);
// Moves *pos; never before the start nor beyond what a position can hold
// (STG_E_INVALIDFUNCTION, *pos unchanged).
HRESULT Seek(uint64_t size, uint64_t* pos, int64_t move, uint32_t origin, uint64_t* newPosition);
// Writes up to `count` bytes from *pos to `target`.
HRESULT CopyTo(std::span<const uint8_t> bytes, uint64_t* pos, IStream* target, uint64_t count, uint64_t* read,
               uint64_t* written);
HRESULT Stat(uint64_t size, STATSTG* stat);

}  // namespace streamops
