// The exposure decision and the conversion to counts per second, per model limits.
#include <gtest/gtest.h>

#include <cstdint>

#include "sensor/auto_exposure.h"

namespace spectrel {
namespace {

constexpr int Index10ms = 0;
constexpr int Index100ms = 3;
constexpr int Index5000ms = 8;

TEST(ExposureDecision, TableEndsAtFiveSeconds) {
  EXPECT_EQ(LongestExposureIndex(), Index5000ms);
  EXPECT_EQ(ExposureTable[Index5000ms], 5000);
  EXPECT_EQ(ClampExposureIndex(-3), 0);
  EXPECT_EQ(ClampExposureIndex(9), Index5000ms);  // the terminating 0 is never an exposure
  EXPECT_EQ(ClampExposureIndex(4), 4);
}

TEST(ExposureDecision, ShortWavelengthSensorBetweenItsLimits) {
  const ModelDescription& m = Models[SR101];
  EXPECT_EQ(DecideExposure(10001, Index100ms, m), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(24999, Index100ms, m), ExposureStep::Accept);
  // Exactly the lower limit is too dim, exactly the upper one too bright.
  EXPECT_EQ(DecideExposure(10000, Index100ms, m), ExposureStep::Longer);
  EXPECT_EQ(DecideExposure(25000, Index100ms, m), ExposureStep::Shorter);
  // The shortest exposure keeps even a saturated spectrum, the longest even a dim one.
  EXPECT_EQ(DecideExposure(26000, Index10ms, m), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(25000, Index10ms, m), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(9000, Index5000ms, m), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(8000, Index100ms, m), ExposureStep::Longer);
  // A spectrum of negative counts only (all below the dark offset) is simply dim.
  EXPECT_EQ(DecideExposure(-40, Index10ms, m), ExposureStep::Longer);
}

TEST(ExposureDecision, EachModelUsesItsOwnLimits) {
  const ModelDescription& sr102 = Models[SR102];
  EXPECT_EQ(DecideExposure(8000, Index100ms, sr102), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(7000, Index100ms, sr102), ExposureStep::Longer);
  EXPECT_EQ(DecideExposure(17700, Index100ms, sr102), ExposureStep::Shorter);
  EXPECT_EQ(DecideExposure(17699, Index100ms, sr102), ExposureStep::Accept);
  const ModelDescription& sr103 = Models[SR103];
  EXPECT_EQ(DecideExposure(26000, Index100ms, sr103), ExposureStep::Accept);
  EXPECT_EQ(DecideExposure(30000, Index100ms, sr103), ExposureStep::Shorter);
  EXPECT_EQ(DecideExposure(10000, Index100ms, sr103), ExposureStep::Longer);
}

TEST(CountConversion, DividedByTheExposureInSeconds) {
  const std::int16_t light[] = {20000, 1, -50, 0};
  const std::int16_t dark[] = {300, 2, -100, 7};
  float l[4], d[4];
  CountsToRates(light, dark, 4, 100, 25000, l, d);
  EXPECT_EQ(l[0], 200000.0f);
  EXPECT_EQ(d[0], 3000.0f);
  EXPECT_EQ(l[1], 10.0f);
  EXPECT_EQ(d[1], 20.0f);
  EXPECT_EQ(l[2], -500.0f);
  EXPECT_EQ(d[2], -1000.0f);
  EXPECT_EQ(d[3], 70.0f);
  // 30 ms: 1 / 0.03 computed in double, then stored as float.
  CountsToRates(light, dark, 2, 30, 0, l, d);
  EXPECT_EQ(l[1], static_cast<float>(1 / 0.03));
  EXPECT_EQ(d[0], static_cast<float>(300 / 0.03));
}

TEST(CountConversion, SaturatedPixelsZeroedInLightAndDark) {
  const std::int16_t light[] = {25000, 25001, 30001, 32000, 30000};
  const std::int16_t dark[] = {100, 100, 100, 100, 100};
  float l[5], d[5];
  CountsToRates(light, dark, 5, 10, Models[SR101].SaturationLimit, l, d);
  EXPECT_EQ(l[0], 2500000.0f);  // at the limit: kept
  EXPECT_EQ(d[0], 10000.0f);
  for (int k = 1; k < 5; ++k) {
    EXPECT_EQ(l[k], 0.0f) << k;
    EXPECT_EQ(d[k], 0.0f) << k;
  }
  CountsToRates(light, dark, 5, 10, Models[SR103].SaturationLimit, l, d);
  EXPECT_EQ(l[4], 3000000.0f);
  EXPECT_EQ(l[2], 0.0f);
  EXPECT_EQ(d[3], 0.0f);
  // No limit: nothing is zeroed, 32000 stays.
  CountsToRates(light, dark, 5, 10, Models[SR104].SaturationLimit, l, d);
  EXPECT_EQ(l[3], 3200000.0f);
  EXPECT_EQ(d[3], 10000.0f);
}

TEST(CountConversion, DeadPixelsOfTheMapReadAsZero) {
  std::int16_t counts[] = {500, 600, -7, 800};
  const std::uint8_t map[] = {1, 0, 0, 255};
  ApplyPixelMap(counts, map, 4);
  EXPECT_EQ(counts[0], 500);
  EXPECT_EQ(counts[1], 0);
  EXPECT_EQ(counts[2], 0);
  EXPECT_EQ(counts[3], 800);
}

}  // namespace
}  // namespace spectrel
