// The driver's rules that need no line: the reply format (tokens, the "OK" rule, little-endian
// blocks, number reading), the exposure decision and the conversion to counts per second, per
// model limits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sensor/auto_exposure.h"
#include "sensor/reply_parsing.h"

namespace spectrel {
namespace {

TEST(ReplyTokens, AReplySucceedsOnlyWithAnExactOkAfterItsValues) {
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

TEST(ReplyValues, CountsAreSignedLittleEndianWordsPeakingAtTheLargest) {
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
}

TEST(ReplyValues, CalibrationWordsAreLittleEndianSinglePrecision) {
  // 1.0f = 0x3F800000, -2.5f = 0xC0200000, 0.05f = 0x3D4CCCCD
  const std::uint8_t words[] = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0xCD, 0xCC, 0x4C, 0x3D};
  float values[3];
  DecodeFloats(words, 3, values);
  EXPECT_EQ(std::vector<float>(values, values + 3), (std::vector<float>{1.0f, -2.5f, 0.05f}));
}

TEST(ReplyValues, NumbersInTextReadAsTheCLibraryReadsThem) {
  EXPECT_EQ(IntegerValue("-1"), -1);
  EXPECT_EQ(IntegerValue("  42xyz"), 42);
  EXPECT_EQ(IntegerValue("abc"), 0);
  EXPECT_EQ(IntegerValue("99999999999"), 2147483647);
  EXPECT_DOUBLE_EQ(RealValue("25.5"), 25.5);
  EXPECT_DOUBLE_EQ(RealValue(" -3.25V"), -3.25);
  EXPECT_DOUBLE_EQ(RealValue("1.5e-3"), 0.0015);
  EXPECT_DOUBLE_EQ(RealValue("x"), 0.0);
}

TEST(ExposureDecision, EachModelStepsAwayFromItsOwnLimits) {
  EXPECT_EQ(ExposureTable[static_cast<size_t>(LongestExposureIndex())], 5000);
  EXPECT_EQ(ClampExposureIndex(9), 8);  // the terminating 0 is never an exposure
  using S = ExposureStep;
  struct Case {
    int Model, Peak, Index;  // index 0 = 10 ms, 3 = 100 ms, 8 = 5000 ms
    S Step;
  };
  const Case cases[] = {
      {SR101, 10001, 3, S::Accept}, {SR101, 24999, 3, S::Accept},
      // Exactly the lower limit is too dim, exactly the upper one too bright.
      {SR101, 10000, 3, S::Longer}, {SR101, 25000, 3, S::Shorter},
      // The shortest exposure keeps even a saturated spectrum, the longest even a dim one.
      {SR101, 26000, 0, S::Accept}, {SR101, 9000, 8, S::Accept},
      {SR101, -40, 0, S::Longer},  // negative counts only (below the dark offset): simply dim
      {SR102, 8000, 3, S::Accept},  {SR102, 7000, 3, S::Longer},
      {SR102, 17700, 3, S::Shorter}, {SR102, 17699, 3, S::Accept},
      {SR103, 26000, 3, S::Accept}, {SR103, 30000, 3, S::Shorter}, {SR103, 10000, 3, S::Longer},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideExposure(c.Peak, c.Index, Models[c.Model]), c.Step)
        << Models[c.Model].Name << " peak " << c.Peak << " at index " << c.Index;
}

TEST(CountConversion, DividedByTheExposureInSecondsUnlessSaturated) {
  // At 10 ms, light rates per model; a zeroed pixel has its dark zeroed as well (else 10000).
  const std::int16_t bright[] = {25000, 25001, 30001, 32000, 30000, -50};
  const std::int16_t flat[] = {100, 100, 100, 100, 100, 100};
  struct Case {
    int Model;
    float Light[6];
  };
  const Case cases[] = {
      {SR101, {2500000, 0, 0, 0, 0, -5000}},  // at the limit kept, above it zeroed
      {SR103, {2500000, 2500100, 0, 0, 3000000, -5000}},
      {SR104, {2500000, 2500100, 3000100, 3200000, 3000000, -5000}},  // no limit: 32000 stays
  };
  float l[6], d[6];
  for (const Case& c : cases) {
    CountsToRates(bright, flat, 6, 10, Models[c.Model].SaturationLimit, l, d);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(l[k], c.Light[k]) << Models[c.Model].Name << " pixel " << k;
      EXPECT_EQ(d[k], c.Light[k] == 0 ? 0.0f : 10000.0f) << Models[c.Model].Name << " pixel " << k;
    }
  }
}

}  // namespace
}  // namespace spectrel
