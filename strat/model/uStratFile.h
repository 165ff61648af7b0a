// Whole-file reads and writes for the library's file operations. Writes go
// to a temporary file beside the target and replace it only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TFileRead { Ok, CannotOpen, Empty, NoMemory, ShortRead };
enum class TFileWrite { Ok, CannotCreate, ShortWrite };

// Reads every byte of the regular file at `path` (operating-system path bytes).
TFileRead ReadWholeFile(const char* path, std::vector<uint8_t>* bytes);
TFileWrite WriteWholeFile(const char* path, const void* data, size_t size);
bool FileExists(const char* path);
