// The read-only view stream: reads and seeks like a memory stream, refuses
// every change to the bytes it borrows, and serves other bytes after Reset.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "uByteViewStream.h"
#include "uComPtr.h"

namespace {
constexpr HRESULT kInvalidFunction = static_cast<HRESULT>(0x80030001);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80030005);
}  // namespace

TEST(ByteViewStream, ReadsSeeksAndRefusesChanges) {
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
  TComPtr<TByteViewStream> view(new TByteViewStream(bytes));
  uint8_t out[8] = {};
  uint32_t done = 9;
  ASSERT_EQ(view->Read(out, 3, &done), S_OK);
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(out[2], 3);
  // A read past the end gives what is left, then nothing.
  ASSERT_EQ(view->Read(out, 8, &done), S_OK);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(out[1], 5);
  ASSERT_EQ(view->Read(out, 8, &done), S_OK);
  EXPECT_EQ(done, 0u);

  uint64_t at = 0;
  ASSERT_EQ(view->Seek(-2, STREAM_SEEK_END, &at), S_OK);
  EXPECT_EQ(at, 3u);
  ASSERT_EQ(view->Seek(1, STREAM_SEEK_CUR, &at), S_OK);
  EXPECT_EQ(at, 4u);
  // Neither before the start nor beyond what a position holds; the position stays.
  EXPECT_EQ(view->Seek(-5, STREAM_SEEK_CUR, &at), kInvalidFunction);
  EXPECT_EQ(view->Seek(INT64_MIN, STREAM_SEEK_END, &at), kInvalidFunction);
  EXPECT_EQ(view->Seek(INT64_MAX, STREAM_SEEK_CUR, &at), kInvalidFunction);
  EXPECT_EQ(view->Seek(0, 7, &at), kInvalidFunction);
  ASSERT_EQ(view->Seek(0, STREAM_SEEK_CUR, &at), S_OK);
  EXPECT_EQ(at, 4u);
  ASSERT_EQ(view->Seek(100, STREAM_SEEK_SET, &at), S_OK);
  ASSERT_EQ(view->Read(out, 1, &done), S_OK);
  EXPECT_EQ(done, 0u);

  EXPECT_EQ(view->Write(out, 1, &done), kAccessDenied);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(view->SetSize(1), kAccessDenied);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5}));

  const std::vector<uint8_t> other = {9, 8};
  view->Reset(other);
  STATSTG stat{};
  ASSERT_EQ(view->Stat(&stat, 0), S_OK);
  EXPECT_EQ(stat.cbSize, 2u);
  ASSERT_EQ(view->Read(out, 8, &done), S_OK);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(out[0], 9);
}
