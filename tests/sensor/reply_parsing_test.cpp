// The reply format: tokens, the "OK" rule, little-endian blocks, number reading.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sensor/reply_parsing.h"

namespace spectrel {
namespace {

TEST(ReplyTokens, ValuesPrecedeTheOk) {
  ReplyTokens t;
  ASSERT_EQ(TokeniseReply("SR-101,OK\r", t), 2);
  EXPECT_EQ(t[0], "SR-101");
  EXPECT_EQ(t[1], "OK");
  EXPECT_TRUE(ReplyIsOk(t, 2));
  ASSERT_EQ(TokeniseReply("1,25.3,12.1,0.52,3.3,OK\r", t), 6);
  EXPECT_EQ(t[0], "1");
  EXPECT_EQ(t[3], "0.52");
  EXPECT_EQ(t[4], "3.3");
  EXPECT_TRUE(ReplyIsOk(t, 6));
  // Runs of separators yield no empty tokens.
  ASSERT_EQ(TokeniseReply(",,A,,B\r\r,OK\r", t), 3);
  EXPECT_EQ(t[0], "A");
  EXPECT_EQ(t[1], "B");
  EXPECT_EQ(t[2], "OK");
}

TEST(ReplyTokens, FailedRepliesAndTheSixteenTokenLimit) {
  ReplyTokens t;
  EXPECT_EQ(TokeniseReply("\r", t), 0);  // only a CR: no token at all
  EXPECT_FALSE(ReplyIsOk(t, 0));
  // Last token anything but exactly "OK"; a line feed is no separator, so "OK\n" is not "OK".
  for (const char* line : {"12,NG\r", "12,ok\r", "12,OK \r", "OK,12\r", "12,OK\n\r"}) {
    const int n = TokeniseReply(line, t);
    EXPECT_FALSE(ReplyIsOk(t, n)) << line;
  }
  std::string line;
  for (int i = 0; i < 20; ++i) line += std::to_string(i) + ",";
  ASSERT_EQ(TokeniseReply(line + "OK\r", t), 16);
  EXPECT_EQ(t[15], "15");
  // The seventeenth token onwards, "OK" included, is lost: the reply does not count as OK.
  EXPECT_FALSE(ReplyIsOk(t, 16));
  ASSERT_EQ(TokeniseReply("X,OK\r", t), 2);  // stale tokens are cleared
  EXPECT_TRUE(t[2].empty());
  EXPECT_TRUE(t[15].empty());
}

TEST(ReplyBlocks, SignedCountsAndSinglePrecisionWordsLittleEndian) {
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
  EXPECT_EQ(values[0], 1.0f);
  EXPECT_EQ(values[1], -2.5f);
  EXPECT_EQ(values[2], 0.05f);
}

TEST(ReplyNumbers, ReadWithTheCLibraryRules) {
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
