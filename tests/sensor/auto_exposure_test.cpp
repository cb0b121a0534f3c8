// The exposure decision and the conversion to counts per second, per model limits.
#include <gtest/gtest.h>

#include <cstdint>

#include "sensor/auto_exposure.h"

namespace spectrel {
namespace {

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
