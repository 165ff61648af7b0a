// The memory stream: reads past the end give what is left, seeks stay within
// what a position can hold, and the bytes it lends through IMemoryBytes are
// its own, current ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "uComPtr.h"
#include "uMemoryBytes.h"
#include "uMemoryStream.h"

namespace {
constexpr HRESULT kInvalidFunction = static_cast<HRESULT>(0x80030001);
}  // namespace

TEST(MemoryStream, ReadsSeeksAndLendsItsBytes) {
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  TComPtr<IStream> stream = MemoryStreamFrom(bytes, sizeof bytes);
  uint8_t out[8] = {};
  uint32_t done = 9;
  ASSERT_EQ(stream->Read(out, 3, &done), S_OK);
  EXPECT_EQ(done, 3u);
  ASSERT_EQ(stream->Read(out, 8, &done), S_OK);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(out[1], 5);

  uint64_t at = 0;
  ASSERT_EQ(stream->Seek(-2, STREAM_SEEK_END, &at), S_OK);
  EXPECT_EQ(at, 3u);
  // Neither before the start nor beyond what a position holds; the position stays.
  EXPECT_EQ(stream->Seek(-5, STREAM_SEEK_CUR, &at), kInvalidFunction);
  EXPECT_EQ(stream->Seek(INT64_MIN, STREAM_SEEK_END, &at), kInvalidFunction);
  EXPECT_EQ(stream->Seek(INT64_MAX, STREAM_SEEK_CUR, &at), kInvalidFunction);
  EXPECT_EQ(stream->Seek(0, 7, &at), kInvalidFunction);
  ASSERT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &at), S_OK);
  EXPECT_EQ(at, 3u);

  // The lent bytes follow writes, growth included.
  ASSERT_EQ(stream->Seek(5, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(stream->Write("xyz", 3, &done), S_OK);
  TComPtr<IMemoryBytes> memory;
  ASSERT_EQ(stream->QueryInterface(IID_IMemoryBytes, reinterpret_cast<void**>(memory.Put())), S_OK);
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  ASSERT_EQ(memory->GetBytes(&data, &size), S_OK);
  ASSERT_EQ(size, 8u);
  EXPECT_EQ(std::vector<uint8_t>(data, data + size), (std::vector<uint8_t>{1, 2, 3, 4, 5, 'x', 'y', 'z'}));
  EXPECT_EQ(memory->GetBytes(nullptr, &size), E_POINTER);
}
