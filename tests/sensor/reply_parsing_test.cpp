// The reply format: tokens, the "OK" rule, little-endian blocks, number reading.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sensor/reply_parsing.h"

namespace spectrel {
namespace {

TEST(ReplyTokens, ValuesPrecedeTheOkAndOnlyAnExactLastOkSucceeds) {
  std::string sixteenPlus;
  for (int i = 0; i < 20; ++i) sixteenPlus += std::to_string(i) + ",";
  struct Case {
    std::string Line;
    int Count;
    const char *First, *Last;
    bool Ok;
  };
  const Case cases[] = {
      {"SR-101,OK\r", 2, "SR-101", "OK", true},
      {"1,25.3,12.1,0.52,3.3,OK\r", 6, "1", "OK", true},
      {",,A,,B\r\r,OK\r", 3, "A", "OK", true},  // runs of separators yield no empty token
      {"\r", 0, "", "", false},                  // only a CR: no token at all
      {"12,NG\r", 2, "12", "NG", false},
      {"12,ok\r", 2, "12", "ok", false},
      {"12,OK \r", 2, "12", "OK ", false},
      {"12,OK\n\r", 2, "12", "OK\n", false},      // a line feed is no separator
      {sixteenPlus + "OK\r", 16, "0", "15", false},  // the seventeenth token on is lost
  };
  ReplyTokens t;
  t.fill("stale");
  for (const Case& c : cases) {
    ASSERT_EQ(TokeniseReply(c.Line, t), c.Count) << c.Line;
    EXPECT_EQ(t[0], c.First) << c.Line;
    EXPECT_EQ(c.Count ? t[static_cast<size_t>(c.Count - 1)] : "", c.Last) << c.Line;
    EXPECT_EQ(ReplyIsOk(t, c.Count), c.Ok) << c.Line;
    EXPECT_TRUE(c.Count == MaxReplyTokens || t[static_cast<size_t>(c.Count)].empty()) << c.Line;
  }
}

TEST(ReplyValues, SignedCountsAndSinglePrecisionWordsLittleEndianAndNumbersInText) {
  // 0x3039 = 12345, 0xFFFF = -1, 0x8000 = -32768, 0x7FFF = 32767, 0x6590 = 26000
  const std::uint8_t bytes[] = {0x39, 0x30, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x90, 0x65};
  std::int16_t counts[5];
  DecodeCounts(bytes, 5, counts);
  const std::int16_t want[] = {12345, -1, -32768, 32767, 26000};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(counts[k], want[k]) << k;
  EXPECT_EQ(PeakCount(counts, 5), 32767);
  EXPECT_EQ(PeakCount(counts, 3), 12345);
  const std::int16_t negatives[] = {-5, -2, -9};
  EXPECT_EQ(PeakCount(negatives, 3), -2);
  // 1.0f = 0x3F800000, -2.5f = 0xC0200000, 0.05f = 0x3D4CCCCD
  const std::uint8_t words[] = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0xCD, 0xCC, 0x4C, 0x3D};
  float values[3];
  DecodeFloats(words, 3, values);
  EXPECT_EQ(std::vector<float>(values, values + 3), (std::vector<float>{1.0f, -2.5f, 0.05f}));
  // Numbers in text replies are read with the C library's rules.
  EXPECT_EQ(IntegerValue("-1"), -1);
  EXPECT_EQ(IntegerValue("  42xyz"), 42);
  EXPECT_EQ(IntegerValue("abc"), 0);
  EXPECT_EQ(IntegerValue("99999999999"), 2147483647);
  EXPECT_DOUBLE_EQ(RealValue("25.5"), 25.5);
  EXPECT_DOUBLE_EQ(RealValue(" -3.25V"), -3.25);
  EXPECT_DOUBLE_EQ(RealValue("1.5e-3"), 0.0015);
  EXPECT_DOUBLE_EQ(RealValue("x"), 0.0);
}

}  // namespace
}  // namespace spectrel
