// The running program's version, written into every stored list's "version"
// stream and compared with the versions of files that are opened.
#pragma once

inline constexpr int kVersionInternal = 22;  // files from a higher build come from a newer program
inline constexpr double kVersionNumber = 1.56;
inline constexpr const char* kVersionText = "1.56";
inline constexpr const char* kVersionDate = "19.06.2021";
