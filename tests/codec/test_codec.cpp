#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "curvpress.h"
#include "qs.h"
#include "uComPtr.h"

namespace {
const int32_t kDeltaTypes[] = {8, 9, 10, 11, 12, 13, 14, 15, 16};

TComPtr<ICompoundStream> Encode(const std::vector<double>& s, int32_t type, HRESULT expect = S_OK) {
  ICompoundStream* raw = nullptr;
  EXPECT_EQ(cpEncode(s.data(), static_cast<int32_t>(s.size()), type, &raw), expect);
  return TComPtr<ICompoundStream>::Attach(raw);
}

std::vector<double> Decode(ICompoundStream* stream) {
  std::vector<double> out(static_cast<size_t>(cpGetDataCount(stream)));
  EXPECT_EQ(cpDecode(stream, out.data(), static_cast<int32_t>(out.size())), S_OK);
  return out;
}

std::vector<uint8_t> Bytes(ICompoundStream* s, int32_t id) {
  uint32_t size = 0;
  if (s->ReadData(id, 0, nullptr, &size) != S_OK) return {};
  std::vector<uint8_t> b(size);
  s->ReadData(id, 0, b.data(), &size);
  return b;
}

double Number(ICompoundStream* s, int32_t id) {
  double v = 0;
  s->ReadDouble(id, 0, 0.0, &v);
  return v;
}

int32_t Integer(ICompoundStream* s, int32_t id) {
  int32_t v = 0;
  s->ReadInteger(id, 0, 0, &v);
  return v;
}

std::vector<int32_t> EntryIds(ICompoundStream* s) {
  TComPtr<IEnumEntries> e = TComPtr<ICompoundStream>(s).As<IEnumEntries>(IID_IEnumEntries);
  std::vector<int32_t> ids;
  TCompoundEntry entry{};
  while (e->Next(1, &entry, nullptr) == S_OK) ids.push_back(entry.ID);
  return ids;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Writes code k at bits k*bits ... k*bits+bits-1, bit b being bit (b mod 8) of byte b/8:
// the layout stated for packed buffers, one bit at a time.
void PackReference(std::vector<uint8_t>& buf, const std::vector<uint32_t>& codes, int bits) {
  for (size_t k = 0; k < codes.size(); ++k)
    for (int j = 0; j < bits; ++j) {
      const size_t b = k * bits + j;
      if (codes[k] >> j & 1) buf[b / 8] |= static_cast<uint8_t>(1u << (b % 8));
    }
}
}  // namespace

TEST(CodecDeltaBuffer, Delta8ExampleGivesBytesAAFF00AndDecodesBack) {
  const std::vector<double> s = {10.0, 10.5, 11.5, 11.0};
  auto stream = Encode(s, cpDelta8);
  EXPECT_EQ(EntryIds(stream.Get()), (std::vector<int32_t>{3, 4, 5, 1, 2, -1}));
  EXPECT_EQ(Bytes(stream.Get(), cpIdBuffer), (std::vector<uint8_t>{0xAA, 0xFF, 0x00}));
  EXPECT_EQ(Number(stream.Get(), cpIdFirst), 10.0);
  EXPECT_EQ(Number(stream.Get(), cpIdStep), 1.5 / 255);
  EXPECT_EQ(Integer(stream.Get(), cpIdOffset), -85);
  EXPECT_EQ(cpGetCodeType(stream.Get()), cpDelta8);
  EXPECT_EQ(cpGetDataCount(stream.Get()), 4);
  const auto back = Decode(stream.Get());
  for (size_t i = 0; i < s.size(); ++i) EXPECT_NEAR(back[i], s[i], 1e-12);
}

TEST(CodecFloatBuffer, Float32StoresBinary32AndFloat64IsBitExact) {
  uint8_t buf[4] = {};
  const double tenth = 0.1;
  ASSERT_EQ(cpEncodeFloatBuf(&tenth, buf, 1, cpFloat32), S_OK);
  EXPECT_EQ(std::vector<uint8_t>(buf, buf + 4), (std::vector<uint8_t>{0xCD, 0xCC, 0xCC, 0x3D}));
  double back = 0;
  ASSERT_EQ(cpDecodeFloatBuf(buf, &back, 1, cpFloat32), S_OK);
  EXPECT_EQ(back, static_cast<double>(0.1f));
  EXPECT_NEAR(back, 0.100000001490116, 1e-15);

  const std::vector<double> s = {1.0 / 3, -0.0, 1e300, std::nan("7"), 5e-324};
  auto stream = Encode(s, cpFloat64);
  EXPECT_EQ(EntryIds(stream.Get()), (std::vector<int32_t>{1, 2, -1}));
  const auto raw = Bytes(stream.Get(), cpIdBuffer);
  ASSERT_EQ(raw.size(), 8 * s.size());
  EXPECT_EQ(std::memcmp(raw.data(), s.data(), raw.size()), 0);
  const auto decoded = Decode(stream.Get());
  for (size_t i = 0; i < s.size(); ++i) EXPECT_TRUE(SameBits(decoded[i], s[i])) << i;
}

TEST(CodecDeltaBuffer, BufferSizesFollowTheTableWithoutOverflow) {
  EXPECT_EQ(cpGetBufSize(3, 9), 3);
  EXPECT_EQ(cpGetBufSize(3, 16), 5);
  EXPECT_EQ(cpGetBufSize(1, 8), 0);
  EXPECT_EQ(cpGetBufSize(1, 9), 1);
  EXPECT_EQ(cpGetBufSize(10, 12), 14);
  EXPECT_EQ(cpGetBufSize(10, 32), 40);
  EXPECT_EQ(cpGetBufSize(10, 17), 0);
  // Sizes past a signed 32-bit buffer are refused instead of wrapping round.
  EXPECT_EQ(cpGetBufSize(0x7FFFFFFF, 64), -1);
  EXPECT_EQ(cpGetBufSize(0x40000000, 16), 0x7FFFFFFF);
  EXPECT_EQ(cpGetBufSize(-5, 8), -1);
}

// Every packed position must carry its own code: a reader that stops early,
// misplaces a bit or reads past the codes fails here.
TEST(CodecDeltaBuffer, EveryCodeTypePacksAndReconstructsEveryDelta) {
  std::mt19937 rng(42);
  for (int32_t type : kDeltaTypes) {
    for (int32_t count : {1, 2, 3, 7, 8, 9, 17, 64, 65, 1001}) {
      const uint32_t levels = 1u << type;
      std::vector<uint32_t> codes(static_cast<size_t>(count - 1));
      for (size_t k = 0; k < codes.size(); ++k) codes[k] = static_cast<uint32_t>((k * 7919 + rng()) % levels);
      if (!codes.empty()) codes.back() = levels - 1;  // all bits set at the very end
      // Step 1 and offset 0: the samples are the running sums of the codes.
      std::vector<double> s(static_cast<size_t>(count));
      s[0] = 5;
      for (size_t k = 0; k < codes.size(); ++k) s[k + 1] = s[k] + codes[k];

      const auto size = static_cast<size_t>(cpGetBufSize(count, type));
      std::vector<uint8_t> buf(size + 8, 0xFF);  // bits that carry no code must stay as they were
      ASSERT_EQ(cpEncodeDeltaBuf(s.data(), buf.data(), count, type, 1.0, 0), S_OK);
      std::vector<uint8_t> expect(size + 8, 0);
      if (type == 16) {
        for (size_t k = 0; k < codes.size(); ++k) {
          expect[2 * k] = static_cast<uint8_t>(codes[k]);
          expect[2 * k + 1] = static_cast<uint8_t>(codes[k] >> 8);
        }
      } else {
        PackReference(expect, codes, type);
      }
      const size_t codeBits = codes.size() * type;
      for (size_t b = codeBits; b < expect.size() * 8; ++b) expect[b / 8] |= static_cast<uint8_t>(1u << (b % 8));
      ASSERT_EQ(buf, expect) << "type " << type << " count " << count;

      std::vector<double> back(static_cast<size_t>(count), -1);
      ASSERT_EQ(cpDecodeDeltaBuf(buf.data(), back.data(), count, type, 5.0, 1.0, 0), S_OK);
      ASSERT_EQ(back, s) << "type " << type << " count " << count;
    }
  }
}

TEST(CodecDeltaCodec, RandomSeriesStayWithinTheQuantisationBound) {
  std::mt19937_64 rng(7);
  std::normal_distribution<double> noise(0, 3);
  for (int32_t type : kDeltaTypes) {
    std::vector<double> s(5000);
    s[0] = 120.5;
    for (size_t i = 1; i < s.size(); ++i) s[i] = s[i - 1] + noise(rng);
    auto stream = Encode(s, type);
    const double step = Number(stream.Get(), cpIdStep);
    ASSERT_GT(step, 0);
    const auto back = Decode(stream.Get());
    ASSERT_EQ(back.size(), s.size());
    EXPECT_EQ(back[0], s[0]);
    // Errors are not fed back: sample i may drift by i half-steps, no more.
    for (size_t i = 1; i < s.size(); ++i)
      ASSERT_LE(std::fabs(back[i] - s[i]), i * (step / 2) * (1 + 1e-9) + 1e-9) << "type " << type << " i " << i;
  }
}

// Equal deltas give a zero range: the encoder must neither divide by zero nor
// store a zero step, and such series (regular depth columns, 1 and 2 samples)
// come back bit for bit.
TEST(CodecDeltaCodec, ConstantStepSeriesRoundTripExactly) {
  std::vector<std::vector<double>> series = {{1000.0}, {1000.0, 1000.1}, {-3.5, -3.5, -3.5, -3.5}, {0.0, 0.0}};
  for (double step : {0.125, 0.25, 0.5, 1.0, -0.25, 0.0625})
    for (double start : {0.0, 1000.0, 2431.5}) {
      std::vector<double> s(3000);
      for (size_t i = 0; i < s.size(); ++i) s[i] = start + step * static_cast<double>(i);
      series.push_back(s);
    }
  for (const auto& s : series)
    for (int32_t type : kDeltaTypes) {
      auto stream = Encode(s, type);
      EXPECT_NE(Number(stream.Get(), cpIdStep), 0.0);
      const auto back = Decode(stream.Get());
      ASSERT_EQ(back.size(), s.size());
      for (size_t i = 0; i < s.size(); ++i)
        ASSERT_TRUE(SameBits(back[i], s[i])) << "type " << type << " i " << i << " " << back[i] << " vs " << s[i];
    }
}

// A 0.1 m column read from text differs from sample to sample by a few units in
// the last place: the plain step would be tiny and its offset would overflow
// 32 bits, decoding to garbage. The encoder keeps the offset in range instead.
TEST(CodecDeltaCodec, NearlyRegularDepthColumnKeepsItsOffsetInRange) {
  std::vector<double> s(20000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = std::stod(std::to_string(1000 + i / 10) + "." + std::to_string(i % 10));
  for (int32_t type : kDeltaTypes) {
    auto stream = Encode(s, type);
    const auto back = Decode(stream.Get());
    for (size_t i = 0; i < s.size(); ++i) ASSERT_NEAR(back[i], s[i], 1e-6) << "type " << type << " i " << i;
  }
}

// Column `column` of the data section of a LAS file (one line per depth step).
std::vector<double> LasColumn(const std::string& name, size_t column) {
  std::ifstream in(std::string(KERNO_SHARED_DATA) + "/las/" + name);
  std::vector<double> values;
  std::string line;
  bool data = false;
  while (std::getline(in, line)) {
    if (line.rfind("~A", 0) == 0) {
      data = true;
      continue;
    }
    std::istringstream fields(line);
    std::vector<double> row;
    for (double v; fields >> v;) row.push_back(v);
    if (data && row.size() > column) values.push_back(row[column]);
  }
  return values;
}

// Real logs: a whole-metre depth index comes back bit for bit, a 5 cm index
// and the curves within the quantisation bound, "Float 64" unchanged.
TEST(CodecDeltaCodec, LasColumnsRoundTrip) {
  const auto metres = LasColumn("autodepthindex_M.las", 0);
  const auto depth = LasColumn("6038187_v1.2_short.las", 0);
  const auto gamma = LasColumn("6038187_v1.2_short.las", 4);
  if (metres.size() < 50 || depth.size() < 50) GTEST_SKIP() << "LAS samples not found";
  for (int32_t type : kDeltaTypes) {
    EXPECT_EQ(Decode(Encode(metres, type).Get()), metres) << type;
    for (const auto* series : {&depth, &gamma}) {
      auto stream = Encode(*series, type);
      const double step = Number(stream.Get(), cpIdStep);
      const auto back = Decode(stream.Get());
      for (size_t i = 0; i < series->size(); ++i)
        ASSERT_LE(std::fabs(back[i] - (*series)[i]), i * step / 2 + 1e-9) << type << " " << i;
    }
  }
  EXPECT_EQ(Decode(Encode(gamma, cpFloat64).Get()), gamma);
}

// With deltas -1 and +1 the ends of the range both round away from zero
// (127.5 -> 128, -127.5 -> -128): the smallest delta must not wrap round to the top code.
TEST(CodecDeltaCodec, SymmetricDeltasDoNotWrapRound) {
  const std::vector<double> s = {0, 1, 0, 1, 0, -1, 0};
  auto stream = Encode(s, cpDelta8);
  const auto back = Decode(stream.Get());
  for (size_t i = 0; i < s.size(); ++i) EXPECT_NEAR(back[i], s[i], 0.01) << i;
}

TEST(CodecDeltaCodec, NonFiniteSamplesAreRefusedByDeltaTypes) {
  const std::vector<double> s = {1, 2, std::nan(""), 4};
  auto stream = Encode(s, cpDelta12, E_INVALIDARG);
  ASSERT_TRUE(stream);
  EXPECT_EQ(cpGetCodeType(stream.Get()), 0);  // nothing half-written is taken for a curve
  uint8_t buf[16];
  EXPECT_EQ(cpEncodeDeltaBuf(s.data(), buf, 2, cpDelta8, 0.0, 0), E_INVALIDARG);  // zero step
}

TEST(CodecFailures, BufferOperationsReportTheirCodes) {
  double s[2] = {1, 2};
  uint8_t buf[32] = {};
  // Count 0 touches nothing, not even null pointers.
  EXPECT_EQ(cpEncodeDeltaBuf(nullptr, nullptr, 0, 99, 1, 0), S_OK);
  EXPECT_EQ(cpDecodeDeltaBuf(nullptr, nullptr, 0, 99, 0, 1, 0), S_OK);
  EXPECT_EQ(cpEncodeFloatBuf(nullptr, nullptr, 0, 99), S_OK);
  EXPECT_EQ(cpDecodeFloatBuf(nullptr, nullptr, 0, 99), S_OK);
  EXPECT_EQ(cpDecodeDeltaBuf(buf, nullptr, 2, 8, 0, 1, 0), E_INVALIDARG);
  EXPECT_EQ(cpEncodeFloatBuf(s, nullptr, 2, 32), E_INVALIDARG);
  EXPECT_EQ(cpEncodeDeltaBuf(s, buf, 2, 17, 1, 0), E_NOTIMPL);
  EXPECT_EQ(cpDecodeDeltaBuf(buf, s, 2, 7, 0, 1, 0), E_NOTIMPL);
  EXPECT_EQ(cpEncodeFloatBuf(s, buf, 2, 16), E_NOTIMPL);
  EXPECT_EQ(cpDecodeFloatBuf(buf, s, 2, 16), E_FAIL);
}

TEST(CodecFailures, EncodeReportsBadArguments) {
  ICompoundStream* out = reinterpret_cast<ICompoundStream*>(0x1);  // not released: overwritten
  EXPECT_EQ(cpEncode(nullptr, 3, cpDelta8, &out), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  auto stream = Encode({1, 2}, 17, E_INVALIDARG);
  ASSERT_TRUE(stream);
  EXPECT_TRUE(EntryIds(stream.Get()).empty());
  auto empty = Encode({}, cpDelta10);  // no samples is a valid curve
  EXPECT_EQ(cpGetCodeType(empty.Get()), cpDelta10);
  EXPECT_EQ(cpGetDataCount(empty.Get()), 0);
  EXPECT_EQ(cpDecode(empty.Get(), nullptr, 0), S_OK);
}

TEST(CodecFailures, DecodeRefusesMismatchedOrDamagedStreams) {
  const std::vector<double> s = {1, 2, 4, 8};
  auto stream = Encode(s, cpDelta11);
  double out[4] = {-1, -1, -1, -1};
  EXPECT_EQ(cpDecode(stream.Get(), out, 3), E_INVALIDARG);
  EXPECT_EQ(out[0], -1);  // nothing written
  EXPECT_EQ(cpDecode(nullptr, out, 4), E_INVALIDARG);

  stream->WriteDouble(cpIdStep, 0.0);
  EXPECT_EQ(cpDecode(stream.Get(), out, 4), E_FAIL);
  stream->DeleteValue(cpIdStep);
  EXPECT_EQ(cpDecode(stream.Get(), out, 4), E_FAIL);
  stream->WriteDouble(cpIdStep, std::nan(""));
  EXPECT_EQ(cpDecode(stream.Get(), out, 4), E_FAIL);

  auto noBuffer = Encode(s, cpFloat32);
  noBuffer->DeleteValue(cpIdBuffer);  // an empty entry still answers ReadData
  TComPtr<ICompoundStream> bare;
  qsCreateCompoundStream(bare.Put());
  uint8_t id[16];
  uint32_t n = 16;
  ASSERT_EQ(noBuffer->ReadData(cpIdCodeType, 0, id, &n), S_OK);
  bare->WriteBuffer(cpIdCodeType, id, 16);
  bare->WriteInteger(cpIdCount, 4);
  EXPECT_EQ(cpDecode(bare.Get(), out, 4), E_INVALIDARG);  // no ID 1 at all

  // Unrecognised code type: the count reads as 0.
  TComPtr<ICompoundStream> foreign;
  qsCreateCompoundStream(foreign.Put());
  foreign->WriteBuffer(cpIdCodeType, "0123456789abcdef", 16);
  foreign->WriteInteger(cpIdCount, 4);
  EXPECT_EQ(cpGetDataCount(foreign.Get()), 0);
  EXPECT_EQ(cpDecode(foreign.Get(), out, 4), E_INVALIDARG);
  EXPECT_EQ(cpDecode(foreign.Get(), out, 0), E_INVALIDARG);
  foreign->WriteBuffer(cpIdBuffer, "x", 1);
  EXPECT_EQ(cpDecode(foreign.Get(), out, 0), E_FAIL);

  // An identifier cut short is no identifier.
  TComPtr<ICompoundStream> shortId;
  qsCreateCompoundStream(shortId.Put());
  shortId->WriteBuffer(cpIdCodeType, id, 15);
  shortId->WriteInteger(cpIdCount, 4);
  EXPECT_EQ(cpGetCodeType(shortId.Get()), 0);
  EXPECT_EQ(cpGetDataCount(shortId.Get()), 0);
  EXPECT_EQ(cpGetCodeType(nullptr), 0);
}

// A stored count must not make the decoder allocate or read beyond what exists.
TEST(CodecFailures, HostileCountsAndShortBuffersStayInBounds) {
  auto stream = Encode({1, 2, 3}, cpFloat64);
  stream->WriteInteger(cpIdCount, 0x7FFFFFFF);
  double one = 0;
  EXPECT_EQ(cpGetDataCount(stream.Get()), 0x7FFFFFFF);
  EXPECT_EQ(cpDecode(stream.Get(), &one, 0x7FFFFFFF), E_INVALIDARG);
  stream->WriteInteger(cpIdCount, -4);
  EXPECT_EQ(cpDecode(stream.Get(), &one, -4), E_INVALIDARG);

  // Count 50 but only 3 bytes stored: the missing codes read as 0, the same each time.
  auto delta = Encode({1, 2, 3, 5}, cpDelta13);
  delta->WriteInteger(cpIdCount, 50);
  std::vector<double> a(50), b(50, 7);
  ASSERT_EQ(cpDecode(delta.Get(), a.data(), 50), S_OK);
  ASSERT_EQ(cpDecode(delta.Get(), b.data(), 50), S_OK);
  EXPECT_EQ(a, b);
  const double step = Number(delta.Get(), cpIdStep);
  EXPECT_NEAR(a[49] - a[48], Integer(delta.Get(), cpIdOffset) * step, 1e-9);
}

TEST(CodecCodeTypes, IdentifiersNamesAndEnumeration) {
  const std::pair<int32_t, const char*> ids[] = {
      {8, "{3A445EB5-C82B-438A-A4A1-FE9548174C11}"},  {9, "{5D560D5B-786D-4EC3-B092-3E1D15444673}"},
      {10, "{4FCCD584-D098-46F8-944F-1087DB04FE0D}"}, {11, "{6994A6C0-8001-43AE-9E5A-A02CE6F2402F}"},
      {12, "{C5CF9166-9C91-4087-97E5-20C6B4D8B80C}"}, {13, "{E552AEA5-CBEB-458C-B94A-0A58AE483C49}"},
      {14, "{8BEE5A38-E631-4463-B3D0-9ED306E93213}"}, {15, "{F1153E4A-72C6-493A-81B7-4A0355382433}"},
      {16, "{F6246DE2-D151-467D-B7D6-25CE3921F521}"}, {32, "{81F4CCA8-161C-4D49-8136-553F978D58FD}"},
      {64, "{C457E034-B925-40EB-BA98-365BCEFA3056}"}};
  for (const auto& [type, text] : ids) {
    GUID expect{};
    ASSERT_TRUE(ParseGuid(text, &expect));
    auto stream = Encode({1, 2, 3}, type);
    const auto stored = Bytes(stream.Get(), cpIdCodeType);
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_EQ(std::memcmp(stored.data(), &expect, 16), 0) << type;
    EXPECT_EQ(cpGetCodeType(stream.Get()), type);
  }
  EXPECT_STREQ(cpGetcpetName(0), "Error");
  EXPECT_STREQ(cpGetcpetName(17), "(Unsupported)");
  EXPECT_STREQ(cpGetcpetName(32), "Float 32");

  std::vector<std::pair<std::string, int32_t>> seen;
  cpEnumCodeType([](const char* name, int32_t type,
                    intptr_t user) { reinterpret_cast<decltype(seen)*>(user)->emplace_back(name, type); },
                 reinterpret_cast<intptr_t>(&seen));
  ASSERT_EQ(seen.size(), 11u);
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].second, ids[i].first);
    EXPECT_EQ(seen[i].first, cpGetcpetName(ids[i].first));
  }
  cpEnumCodeType(nullptr, 0);
  EXPECT_EQ(cpCreateLasFile(), E_NOTIMPL);
}

// The program binds the library by name at load time: resolve the exports the
// same way and read a packed curve nested in a parent stream, as a curve plot does.
TEST(CodecBinding, ExportsResolvedByNameWorkThroughTheInterfaceTable) {
  void* lib = dlopen(KERNO_PROGRAM_DIR "/libcurvpress.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  using TEncode = HRESULT (*)(const double*, int32_t, int32_t, ICompoundStream**);
  using TCount = int32_t (*)(ICompoundStream*);
  using TDecode = HRESULT (*)(ICompoundStream*, double*, int32_t);
  auto encode = reinterpret_cast<TEncode>(dlsym(lib, "cpEncode"));
  auto count = reinterpret_cast<TCount>(dlsym(lib, "cpGetDataCount"));
  auto decode = reinterpret_cast<TDecode>(dlsym(lib, "cpDecode"));
  ASSERT_TRUE(encode && count && decode);
  for (const char* name : {"cpGetCodeType", "cpGetBufSize", "cpEncodeDeltaBuf", "cpDecodeDeltaBuf", "cpEncodeFloatBuf",
                           "cpDecodeFloatBuf", "cpGetcpetName", "cpEnumCodeType", "cpCreateLasFile"})
    EXPECT_NE(dlsym(lib, name), nullptr) << name;

  const std::vector<double> s = {2500.0, 2500.25, 2500.5, 2500.75};
  TComPtr<ICompoundStream> curve, parent, nested;
  ASSERT_EQ(encode(s.data(), 4, cpDelta14, curve.Put()), S_OK);
  qsCreateCompoundStream(parent.Put());
  ASSERT_EQ(qsWriteCompoundStream(parent.Get(), 40, curve.Get()), S_OK);
  ASSERT_EQ(qsReadCompoundStream(parent.Get(), 40, nested.Put()), S_OK);
  ASSERT_EQ(count(nested.Get()), 4);
  std::vector<double> back(4);
  ASSERT_EQ(decode(nested.Get(), back.data(), 4), S_OK);
  EXPECT_EQ(back, s);
  curve.Reset();
  nested.Reset();
  parent.Reset();
  dlclose(lib);
}
