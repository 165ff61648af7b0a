// One stream of a structured-storage (Compound File) file, read whole.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// Reads the top-level stream `name`; false when the file is not structured
// storage or has no such stream.
bool ReadOleStream(const QString& fileName, const char* name, std::vector<uint8_t>* bytes);
