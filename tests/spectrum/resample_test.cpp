#include "spectrum/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "spectrum/hand_made.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::FlatBlock;
using testing::HandSet;
using testing::SpectrumBlock;

std::vector<float> EvenAxis(int n, float first, float step) {
  std::vector<float> wl(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) wl[static_cast<size_t>(k)] = first + step * static_cast<float>(k);
  return wl;
}

TEST(BracketSearch, EvenAxisPixelsMidpointsAndEnds) {
  const std::vector<float> wl = EvenAxis(1024, 300.0f, 0.5f);   // 300.0 .. 811.5 nm
  EXPECT_EQ(BracketSearch(wl, 300.0), 0);
  EXPECT_EQ(BracketSearch(wl, 300.25), 0);
  EXPECT_EQ(BracketSearch(wl, 300.5), 1);
  EXPECT_EQ(BracketSearch(wl, 500.0), 400);
  EXPECT_EQ(BracketSearch(wl, 500.49), 400);
  EXPECT_EQ(BracketSearch(wl, 811.0), 1022);
  EXPECT_EQ(BracketSearch(wl, 811.49), 1022);
  EXPECT_EQ(BracketSearch(wl, 811.5), 1022);   // the last wavelength belongs to the last bracket
  EXPECT_EQ(BracketSearch(wl, std::nextafter(811.5, 1e9)), -1);
  EXPECT_EQ(BracketSearch(wl, std::nextafter(300.0, 0.0)), -1);
  EXPECT_EQ(BracketSearch(wl, 0.0), -1);
  EXPECT_EQ(BracketSearch(wl, std::numeric_limits<double>::quiet_NaN()), -1);
}

TEST(BracketSearch, UnevenAxesFindEveryPixelAndEveryGap) {
  // A curved axis and one whose first pixels crowd together: the proportional guess is far off
  // and the walk has to finish the job.
  std::vector<float> curved(1024);
  std::vector<float> crowded(512);
  for (size_t k = 0; k < curved.size(); ++k)
    curved[k] = static_cast<float>(300.0 + 0.3 * k + 0.0004 * k * k);
  for (size_t k = 0; k < crowded.size(); ++k)
    crowded[k] = k < 100 ? 900.0f + 0.01f * static_cast<float>(k)
                         : 901.0f + 2.0f * static_cast<float>(k - 100);
  for (const auto* wl : {&curved, &crowded}) {
    const int n = static_cast<int>(wl->size());
    for (int k = 0; k + 1 < n; ++k) {
      const double lo = (*wl)[static_cast<size_t>(k)];
      const double hi = (*wl)[static_cast<size_t>(k) + 1];
      ASSERT_EQ(BracketSearch(*wl, lo), k) << "pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, (lo + hi) / 2), k) << "gap after pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, std::nextafter(hi, 0.0)), k) << "just below pixel " << k + 1;
    }
  }
}

TEST(BracketSearch, TwoPixelAxisAndTooShortAxis) {
  const std::vector<float> two{1.0f, 2.0f};
  EXPECT_EQ(BracketSearch(two, 1.0), 0);
  EXPECT_EQ(BracketSearch(two, 1.5), 0);
  EXPECT_EQ(BracketSearch(two, 2.0), 0);
  EXPECT_EQ(BracketSearch(std::vector<float>{1.0f}, 1.0), -1);
  EXPECT_EQ(BracketSearch(std::vector<float>{}, 1.0), -1);
}

class Interpolation : public ::testing::Test {
 protected:
  void SetUp() override {
    // SR-101 axis 300.5 + 0.75 k nm, calibration 2, light k*k, dark 1: E(k) = 2 (k*k - 1).
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f, 2.0f));
    hand.Block(SpectrumBlock(SR101, [](int k) { return static_cast<float>(k * k); }, 1.0f));
    j = hand.Append();
  }
  HandSet hand;
  int j = 0;
};

TEST_F(Interpolation, BetweenPixelsOnThePixelAndPastTheLast) {
  // Pixel 10 at 308.0 nm (E 198), pixel 11 at 308.75 nm (E 240); 308.25 is a third of the way.
  EXPECT_NEAR(InterpolatedIrradiance(hand.Set, SR101, j, 308.25), 198.0 + 42.0 / 3.0, 1e-9);
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR101, j, 308.0), 198.0);
  // Last pixel 1023 at 1067.75 nm: E = 2 (1023^2 - 1) = 2093056.
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR101, j, 1067.75), 2093056.0);
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR101, j, std::nextafter(1067.75, 2000.0)), 0.0);
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR101, j, 300.5), -2.0);   // E(0) = 2 (0 - 1)
}

TEST_F(Interpolation, NoBlockOtherModelsAndBadIndex) {
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR102, j, 500.0), 0.0);   // no info, no block
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, 4, j, 500.0), 0.0);
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, -1, j, 500.0), 0.0);
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR101, j, 300.0), 0.0);   // below the first pixel
  EXPECT_THROW(InterpolatedIrradiance(hand.Set, SR101, j + 1, 500.0), std::invalid_argument);
  EXPECT_THROW(InterpolatedIrradiance(hand.Set, SR101, -1, 500.0), std::invalid_argument);
}

TEST(InterpolationPrecision, PixelIrradianceIsFormedInSinglePrecision) {
  HandSet hand;
  hand.Info(AxisInfo(SR103, 900.0f, 1.5f, 3.0f));
  hand.Block(FlatBlock(SR103, 0.1f));
  const int j = hand.Append();
  const float single = 0.1f * 3.0f;   // rounds up to 0.30000001192...
  EXPECT_EQ(InterpolatedIrradiance(hand.Set, SR103, j, 903.0), static_cast<double>(single));
  EXPECT_NE(InterpolatedIrradiance(hand.Set, SR103, j, 903.0), static_cast<double>(0.1f) * 3.0);
}

// Distinct axes per model so that the grid limits tell which source was used:
// SR-101 300.5..1067.75, SR-102 310.5..1078.125, SR-103 899.5..1666, SR-104 905.5..1798 nm.
class SourceChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR102, 310.5f, 0.375f));
    hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
    hand.Info(AxisInfo(SR104, 905.5f, 3.5f));
  }
  // Resamples a point holding the given models, each flat at 10 * (model + 1) W/m2/um.
  CResample Grid(std::initializer_list<int> models) {
    for (int m : models) hand.Block(FlatBlock(m, 10.0f * static_cast<float>(m + 1)));
    const int j = hand.Append();
    CResample r;
    r.Resample(hand.Set, j);
    return r;
  }
  HandSet hand;
};

TEST_F(SourceChoice, SingleModelsAndTheLastOfSeveralShortOnes) {
  const CResample only102 = Grid({SR101, SR102});
  EXPECT_EQ(only102.StartNm, 311);
  EXPECT_EQ(only102.EndNm, 1078);
  ASSERT_EQ(only102.Values.size(), 768u);
  EXPECT_EQ(only102.Value(311), 20.0);
  EXPECT_EQ(only102.Value(1078), 20.0);
  EXPECT_EQ(only102.MaxValue, 20.0);
  EXPECT_EQ(only102.MinValue, 20.0);

  const CResample only104 = Grid({SR103, SR104});
  EXPECT_EQ(only104.StartNm, 906);
  EXPECT_EQ(only104.EndNm, 1798);
  EXPECT_EQ(only104.Value(1200), 40.0);

  const CResample only103 = Grid({SR103});
  EXPECT_EQ(only103.StartNm, 900);
  EXPECT_EQ(only103.EndNm, 1666);
}

TEST_F(SourceChoice, PairsInPrecedence) {
  struct Case {
    std::initializer_list<int> Models;
    int Start, End;
    double Below, Above;   // value at 800 nm and at 1060 nm
  };
  const Case cases[] = {
      {{SR101, SR102, SR103}, 301, 1666, 10.0, 30.0},
      {{SR101, SR102, SR103, SR104}, 301, 1666, 10.0, 30.0},
      {{SR101, SR104}, 301, 1798, 10.0, 40.0},
      {{SR102, SR103, SR104}, 311, 1666, 20.0, 30.0},
      {{SR102, SR104}, 311, 1798, 20.0, 40.0},
  };
  for (const Case& c : cases) {
    const CResample r = Grid(c.Models);
    EXPECT_EQ(r.StartNm, c.Start);
    EXPECT_EQ(r.EndNm, c.End);
    EXPECT_EQ(r.Values.size(), static_cast<size_t>(c.End - c.Start + 1));
    EXPECT_EQ(r.Value(800), c.Below);
    EXPECT_EQ(r.Value(1060), c.Above);
    EXPECT_EQ(r.MaxValue, c.Above);
  }
}

TEST_F(SourceChoice, LongSensorStartingInsideTheBandFadesFromZero) {
  // SR-104 begins at 905.5 nm: below it its share of the cross-fade is 0.
  const CResample r = Grid({SR101, SR104});
  EXPECT_NEAR(r.Value(905), 10.0 * 45.0 / 50.0, 1e-12);
  EXPECT_NEAR(r.Value(906), 10.0 * 44.0 / 50.0 + 40.0 * 6.0 / 50.0, 1e-12);
  EXPECT_NEAR(r.MinValue, 9.0, 1e-12);
  EXPECT_EQ(r.MaxValue, 40.0);
}

TEST_F(SourceChoice, CrossFadeInsideTheGrid) {
  const CResample r = Grid({SR101, SR103});   // 10 below 900 nm, 30 above 950 nm
  EXPECT_EQ(r.Value(899), 10.0);
  EXPECT_EQ(r.Value(900), 10.0);
  EXPECT_NEAR(r.Value(910), 10.0 * 0.8 + 30.0 * 0.2, 1e-12);
  EXPECT_NEAR(r.Value(925), 20.0, 1e-12);
  EXPECT_EQ(r.Value(950), 30.0);
  EXPECT_EQ(r.Value(951), 30.0);
}

TEST_F(SourceChoice, NoBlockLeavesAnEmptyGridAndBadIndexThrows) {
  CResample r = Grid({SR101});
  ASSERT_FALSE(r.Empty());
  const int empty = hand.Append();
  r.Resample(hand.Set, empty);
  EXPECT_TRUE(r.Empty());
  EXPECT_EQ(r.StartNm, 0);
  EXPECT_EQ(r.EndNm, 0);
  EXPECT_EQ(r.MaxValue, 0.0);
  EXPECT_EQ(r.MinValue, 0.0);
  EXPECT_THROW(r.Resample(hand.Set, empty + 1), std::invalid_argument);
}

TEST(Resample, SyntheticAxisFrom300Point4To1100Point2) {
  const CKrfData day = testing::MakeDay({SR101}, 1, 1700000000, 60);
  const SensorInfo& info = *day.Info(SR101);
  ASSERT_NEAR(info.Wavelength.front(), 300.4, 1e-4);
  ASSERT_NEAR(info.Wavelength.back(), 1100.2, 1e-4);
  CResample r;
  r.Resample(day, 0);
  EXPECT_EQ(r.StartNm, 301);
  EXPECT_EQ(r.EndNm, 1100);
  ASSERT_EQ(r.Values.size(), 800u);

  // Every grid point against a plain linear scan of the axis.
  const SensorMeasurement& m = *day.Rad(0).Block(SR101);
  double hi = -1e300;
  double lo = 1e300;
  for (int w = 301; w <= 1100; ++w) {
    size_t k = 0;
    while (!(info.Wavelength[k] <= w && w < info.Wavelength[k + 1]) && k + 2 < info.Wavelength.size()) ++k;
    const double e0 = static_cast<float>((m.Light[k] - m.Dark[k]) * info.Calib[k]);
    const double e1 = static_cast<float>((m.Light[k + 1] - m.Dark[k + 1]) * info.Calib[k + 1]);
    const double x = (w - static_cast<double>(info.Wavelength[k])) /
                     (static_cast<double>(info.Wavelength[k + 1]) - info.Wavelength[k]);
    const double expected = e0 + (e1 - e0) * x;
    ASSERT_DOUBLE_EQ(r.Value(w), expected) << w << " nm";
    hi = std::max(hi, expected);
    lo = std::min(lo, expected);
  }
  EXPECT_DOUBLE_EQ(r.MaxValue, hi);
  EXPECT_DOUBLE_EQ(r.MinValue, lo);
}

TEST(Resample, FirstPixelOnAWholeNanometreStartsOneAbove) {
  HandSet hand;
  hand.Info(AxisInfo(SR104, 900.0f, 3.5f));   // 900.0 .. 1792.5 nm
  hand.Block(SpectrumBlock(SR104, [](int k) { return static_cast<float>(k); }));
  const int j = hand.Append();
  CResample r;
  r.Resample(hand.Set, j);
  EXPECT_EQ(r.StartNm, 901);
  EXPECT_EQ(r.EndNm, 1792);
  // Irradiance rises with the pixel: (w - 900) / 3.5 at w.
  EXPECT_NEAR(r.Value(901), 1.0 / 3.5, 1e-12);
  EXPECT_NEAR(r.MinValue, 1.0 / 3.5, 1e-12);
  EXPECT_NEAR(r.MaxValue, 892.0 / 3.5, 1e-9);
  r.Release();
  EXPECT_TRUE(r.Empty());
}

}  // namespace
}  // namespace spectrel
