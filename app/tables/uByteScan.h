// Finding the next byte of interest in a file's bytes eight bytes at a time:
// the imports spend most of their time looking for line ends and delimiters.
#pragma once

#include <cstdint>
#include <cstring>

namespace bytescan {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// Non-zero when some byte of w equals c (it may also flag a byte after one
// that does, which the byte-by-byte check that follows sorts out).
inline uint64_t HasByte(uint64_t w, char c) {
  const uint64_t x = w ^ (kOnes * static_cast<unsigned char>(c));
  return (x - kOnes) & ~x & kHighs;
}

inline uint64_t Load(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// Skips whole words of bytes above c (c < 0x80) from i: returns where a byte
// of c or below may be, at most `end`. For finding the end of a value
// (blanks and control characters are all below '!').
inline size_t SkipAbove(const char* data, size_t i, size_t end, char c) {
  const uint64_t limit = kOnes * (static_cast<unsigned char>(c) + 1u);
  while (end - i >= 8) {
    const uint64_t w = Load(data + i);
    // A byte at or below c, or one with the high bit set, stops the skip.
    if (((w - limit) & ~w & kHighs) | (w & kHighs)) break;
    i += 8;
  }
  return i;
}

// The first byte in [p, end) equal to a, b or c; end when there is none.
inline const char* FindAny(const char* p, const char* end, char a, char b, char c) {
  while (end - p >= 8) {
    const uint64_t w = Load(p);
    if (HasByte(w, a) | HasByte(w, b) | HasByte(w, c)) break;
    p += 8;
  }
  while (p < end && *p != a && *p != b && *p != c) ++p;
  return p;
}

// The first line end (CR or LF) in [p, end), or end; *ascii becomes false
// when a byte before it is not ASCII.
inline const char* FindLineEnd(const char* p, const char* end, bool* ascii) {
  while (end - p >= 8) {
    const uint64_t w = Load(p);
    if (HasByte(w, '\n') | HasByte(w, '\r') | (w & kHighs)) break;
    p += 8;
  }
  bool plain = true;
  while (p < end && *p != '\n' && *p != '\r') {
    plain = plain && static_cast<unsigned char>(*p) < 0x80;
    ++p;
  }
  if (!plain) *ascii = false;
  return p;
}

}  // namespace bytescan
