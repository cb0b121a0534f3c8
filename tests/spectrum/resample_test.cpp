// Bracket search, interpolation of one sensor and the whole-nanometre grid of a point.
#include "spectrum/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "support/hand_made.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::FlatBlock;
using testing::HandSet;

TEST(BracketSearch, EvenTwoPixelAndTooShortAxes) {
  std::vector<float> even(1024);   // 300.0 .. 811.5 nm
  for (size_t k = 0; k < even.size(); ++k) even[k] = 300.0f + 0.5f * static_cast<float>(k);
  const std::vector<float> two{1.0f, 2.0f}, one{1.0f}, none;
  struct Case {
    const std::vector<float>* Axis;
    double W;
    int Expected;
  };
  const Case cases[] = {
      {&even, 300.0, 0}, {&even, 300.5, 1}, {&even, 500.49, 400}, {&even, 811.49, 1022},
      {&even, 811.5, 1022},   // the last wavelength belongs to the last bracket
      {&even, std::nextafter(811.5, 1e9), -1}, {&even, std::nextafter(300.0, 0.0), -1},
      {&even, std::numeric_limits<double>::quiet_NaN(), -1},
      {&two, 1.0, 0}, {&two, 2.0, 0}, {&one, 1.0, -1}, {&none, 1.0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(BracketSearch(*c.Axis, c.W), c.Expected) << c.W << " nm";
}

TEST(BracketSearch, UnevenAxesFindEveryPixelAndEveryGap) {
  // A curved axis and one whose first pixels crowd together: the proportional guess is far off
  // and the walk has to finish the job.
  std::vector<float> curved(1024);
  std::vector<float> crowded(512);
  for (size_t k = 0; k < curved.size(); ++k) curved[k] = static_cast<float>(300.0 + 0.3 * k + 0.0004 * k * k);
  for (size_t k = 0; k < crowded.size(); ++k)
    crowded[k] = k < 100 ? 900.0f + 0.01f * static_cast<float>(k) : 901.0f + 2.0f * static_cast<float>(k - 100);
  for (const auto* wl : {&curved, &crowded}) {
    for (int k = 0; k + 1 < static_cast<int>(wl->size()); ++k) {
      const double lo = (*wl)[static_cast<size_t>(k)];
      const double hi = (*wl)[static_cast<size_t>(k) + 1];
      ASSERT_EQ(BracketSearch(*wl, lo), k) << "pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, (lo + hi) / 2), k) << "gap after pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, std::nextafter(hi, 0.0)), k) << "just below pixel " << k + 1;
    }
  }
}

TEST(Interpolation, BetweenPixelsOnThePixelPastTheLastAndWithoutABlock) {
  // SR-101 axis 300.5 + 0.75 k nm, calibration 2, light k*k, dark 1: E(k) = 2 (k*k - 1).
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f, 2.0f));
  hand.Block(testing::SpectrumBlock(SR101, [](int k) { return static_cast<float>(k * k); }, 1.0f));
  const int j = hand.Append();
  const auto at = [&](int model, double w) { return InterpolatedIrradiance(hand.Set, model, j, w); };
  // Pixel 10 at 308.0 nm (E 198), pixel 11 at 308.75 nm (E 240); 308.25 is a third of the way.
  EXPECT_NEAR(at(SR101, 308.25), 198.0 + 42.0 / 3.0, 1e-9);
  EXPECT_EQ(at(SR101, 308.0), 198.0);
  EXPECT_EQ(at(SR101, 1067.75), 2093056.0);   // last pixel 1023: 2 (1023^2 - 1)
  EXPECT_EQ(at(SR101, std::nextafter(1067.75, 2000.0)), 0.0);
  EXPECT_EQ(at(SR101, 300.5), -2.0);   // E(0) = 2 (0 - 1)
  EXPECT_EQ(at(SR101, 300.0), 0.0);    // below the first pixel
  EXPECT_EQ(at(SR102, 500.0), 0.0);    // no info, no block
  EXPECT_EQ(at(4, 500.0), 0.0);
  EXPECT_THROW(InterpolatedIrradiance(hand.Set, SR101, j + 1, 500.0), std::invalid_argument);

}

// Distinct axes per model so that the grid limits tell which source was used, each model flat at
// 10 * (model + 1) W/m2/um: SR-101 300.5..1067.75, SR-102 310.5..1078.125, SR-103 899.5..1666,
// SR-104 905.5..1798 nm.
TEST(SourceChoice, SingleModelsAndPairsInPrecedence) {
  struct Case {
    std::initializer_list<int> Models;
    int Start, End;
    double W1, V1, W2, V2, Min, Max;
  };
  const Case cases[] = {
      {{SR101, SR102}, 311, 1078, 311, 20.0, 1078, 20.0, 20.0, 20.0},   // the last short one
      {{SR103, SR104}, 906, 1798, 1200, 40.0, 1798, 40.0, 40.0, 40.0},
      {{SR101, SR102, SR103, SR104}, 301, 1666, 800, 10.0, 1060, 30.0, 10.0, 30.0},
      // SR-104 begins at 905.5 nm, inside the band: below it its share of the cross-fade is 0.
      {{SR101, SR104}, 301, 1798, 905, 10.0 * 45 / 50, 906, 10.0 * 44 / 50 + 40.0 * 6 / 50, 9.0, 40.0},
      {{SR102, SR104}, 311, 1798, 800, 20.0, 1060, 40.0, 20.0, 40.0},
      {{SR101, SR103}, 301, 1666, 899, 10.0, 951, 30.0, 10.0, 30.0},
  };
  HandSet hand;
  for (const SensorInfo& info : {AxisInfo(SR101, 300.5f, 0.75f), AxisInfo(SR102, 310.5f, 0.375f),
                                 AxisInfo(SR103, 899.5f, 1.5f), AxisInfo(SR104, 905.5f, 3.5f)})
    hand.Info(info);
  CResample r;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Models.size() << " models, " << c.Start << " .. " << c.End);
    for (int m : c.Models) hand.Block(FlatBlock(m, 10.0f * static_cast<float>(m + 1)));
    r.Resample(hand.Set, hand.Append());
    EXPECT_EQ(r.StartNm, c.Start);
    EXPECT_EQ(r.EndNm, c.End);
    EXPECT_EQ(r.Values.size(), static_cast<size_t>(c.End - c.Start + 1));
    EXPECT_NEAR(r.Value(static_cast<int>(c.W1)), c.V1, 1e-12);
    EXPECT_NEAR(r.Value(static_cast<int>(c.W2)), c.V2, 1e-12);
    EXPECT_NEAR(r.MinValue, c.Min, 1e-12);
    EXPECT_EQ(r.MaxValue, c.Max);
  }
  // A point without blocks leaves an empty grid.
  const int empty = hand.Append();
  r.Resample(hand.Set, empty);
  EXPECT_TRUE(r.Empty());
  EXPECT_EQ(r.StartNm + r.EndNm, 0);
  EXPECT_EQ(r.MaxValue, 0.0);
  EXPECT_THROW(r.Resample(hand.Set, empty + 1), std::invalid_argument);
}

TEST(Resample, FirstPixelOnAWholeNanometreStartsOneAbove) {
  HandSet hand;
  hand.Info(AxisInfo(SR104, 900.0f, 3.5f));   // 900.0 .. 1792.5 nm, E = (w - 900) / 3.5
  hand.Block(testing::SpectrumBlock(SR104, [](int k) { return static_cast<float>(k); }));
  CResample r;
  r.Resample(hand.Set, hand.Append());
  EXPECT_EQ(r.StartNm, 901);
  EXPECT_EQ(r.EndNm, 1792);
  EXPECT_NEAR(r.Value(901), 1.0 / 3.5, 1e-12);
  EXPECT_NEAR(r.MinValue, 1.0 / 3.5, 1e-12);
  EXPECT_NEAR(r.MaxValue, 892.0 / 3.5, 1e-9);
  r.Release();
  EXPECT_TRUE(r.Empty());
}

}  // namespace
}  // namespace spectrel
