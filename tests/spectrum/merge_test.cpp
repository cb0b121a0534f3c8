#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "spectrum/hand_made.h"
#include "spectrum/resample.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::HandSet;
using testing::SpectrumBlock;

// Straight-line spectra on exact axes, so every interpolated value is a closed formula:
//   SR-101 300.5 + 0.75 k nm, E = k            S1(w) = (w - 300.5) / 0.75
//   SR-102 310.5 + 0.375 k nm, E = 2 k         S2(w) = 2 (w - 310.5) / 0.375
//   SR-103 899.5 + 1.5 k nm, E = 1000 + k      L3(w) = 1000 + (w - 899.5) / 1.5
//   SR-104 905.5 + 3.5 k nm, E = 3000 + k      L4(w) = 3000 + (w - 905.5) / 3.5
double S1(double w) { return (w - 300.5) / 0.75; }
double S2(double w) { return 2.0 * (w - 310.5) / 0.375; }
double L3(double w) { return 1000.0 + (w - 899.5) / 1.5; }
double L4(double w) { return 3000.0 + (w - 905.5) / 3.5; }

class Merge : public ::testing::Test {
 protected:
  void SetUp() override {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR102, 310.5f, 0.375f));
    hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
    hand.Info(AxisInfo(SR104, 905.5f, 3.5f));
  }
  int Point(std::initializer_list<int> models) {
    for (int m : models) {
      const float offset = m == SR103 ? 1000.0f : (m == SR104 ? 3000.0f : 0.0f);
      const float scale = m == SR102 ? 2.0f : 1.0f;
      hand.Block(SpectrumBlock(m, [=](int k) { return offset + scale * static_cast<float>(k); }));
    }
    return hand.Append();
  }
  double At(int j, double w) { return MergedValue(hand.Set, j, w); }
  HandSet hand;
};

TEST_F(Merge, Sr101WithSr103AcrossTheBand) {
  const int j = Point({SR101, SR103});
  EXPECT_NEAR(At(j, 925.0), (S1(925.0) + L3(925.0)) / 2, 1e-9);
  EXPECT_NEAR(At(j, 925.0), (832.0 + 2.0 / 3.0 + 1017.0) / 2, 1e-9);
  EXPECT_EQ(At(j, 900.0), InterpolatedIrradiance(hand.Set, SR101, j, 900.0));
  EXPECT_NEAR(At(j, 900.0), 799.0 + 1.0 / 3.0, 1e-9);
  EXPECT_EQ(At(j, 950.0), InterpolatedIrradiance(hand.Set, SR103, j, 950.0));
  EXPECT_NEAR(At(j, 950.0), 1033.0 + 2.0 / 3.0, 1e-9);
  EXPECT_NEAR(At(j, 910.0), S1(910.0) * 0.8 + L3(910.0) * 0.2, 1e-9);
  EXPECT_NEAR(At(j, 899.5), S1(899.5), 1e-9);
  EXPECT_NEAR(At(j, 950.5), L3(950.5), 1e-9);
  EXPECT_NEAR(At(j, 500.0), S1(500.0), 1e-9);
  EXPECT_NEAR(At(j, 1500.0), L3(1500.0), 1e-9);
  EXPECT_EQ(At(j, 1700.0), 0.0);   // past SR-103's last pixel
}

TEST_F(Merge, Sr102WithSr104HasTheWiderBand) {
  const int j = Point({SR102, SR104});
  EXPECT_NEAR(At(j, 1000.0), (S2(1000.0) + L4(1000.0)) / 2, 1e-9);
  EXPECT_NEAR(At(j, 1000.0), (3677.0 + 1.0 / 3.0 + 3027.0) / 2, 1e-9);
  EXPECT_NEAR(At(j, 949.0), S2(949.0), 1e-9);
  EXPECT_NEAR(At(j, 949.0), 3405.0 + 1.0 / 3.0, 1e-9);
  EXPECT_NEAR(At(j, 950.0), S2(950.0), 1e-9);
  EXPECT_NEAR(At(j, 1025.0), S2(1025.0) * 0.25 + L4(1025.0) * 0.75, 1e-9);
  EXPECT_NEAR(At(j, 1050.0), L4(1050.0), 1e-9);
  EXPECT_NEAR(At(j, 1051.0), L4(1051.0), 1e-9);
}

TEST_F(Merge, PairPrecedenceWithMoreThanTwoBlocks) {
  const int all = Point({SR101, SR102, SR103, SR104});
  EXPECT_NEAR(At(all, 925.0), (S1(925.0) + L3(925.0)) / 2, 1e-9);
  EXPECT_NEAR(At(all, 1000.0), L3(1000.0), 1e-9);
  const int no101 = Point({SR102, SR103, SR104});
  EXPECT_NEAR(At(no101, 925.0), (S2(925.0) + L3(925.0)) / 2, 1e-9);
  EXPECT_NEAR(At(no101, 1000.0), L3(1000.0), 1e-9);
  const int no103 = Point({SR101, SR102, SR104});
  EXPECT_NEAR(At(no103, 925.0), (S1(925.0) + L4(925.0)) / 2, 1e-9);
}

TEST_F(Merge, WithoutAPairTheFirstModelPresent) {
  const int only103 = Point({SR103});   // SR-101 failed: SR-103 everywhere, 0 outside its axis
  EXPECT_NEAR(At(only103, 925.0), L3(925.0), 1e-9);
  EXPECT_NEAR(At(only103, 1200.0), L3(1200.0), 1e-9);
  EXPECT_EQ(At(only103, 500.0), 0.0);
  const int shortPair = Point({SR101, SR102});
  EXPECT_NEAR(At(shortPair, 925.0), S1(925.0), 1e-9);
  const int longPair = Point({SR103, SR104});
  EXPECT_NEAR(At(longPair, 1000.0), L3(1000.0), 1e-9);
  const int none = Point({});
  EXPECT_EQ(At(none, 925.0), 0.0);
  EXPECT_THROW(At(none + 1, 925.0), std::invalid_argument);
}

bool Ascending(const std::vector<double>& v) { return std::is_sorted(v.begin(), v.end()); }

TEST(MergedWavelengths, Sr101WithSr103) {
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f));   // pixels up to 950.0 (k = 866): 867
  hand.Info(AxisInfo(SR103, 899.5f, 1.5f));    // pixels from 901.0 (k = 1): 511
  std::vector<double> merged{1.0, 2.0};        // replaced, not appended to
  BuildMergedWavelengths(hand.Set, merged);
  ASSERT_EQ(merged.size(), 867u + 511u);
  EXPECT_TRUE(Ascending(merged));
  EXPECT_EQ(merged.front(), 300.5);
  EXPECT_EQ(merged.back(), 1666.0);
  // Around the lower band edge: SR-101 900.5, SR-103 901.0, SR-101 901.25, 902.0, SR-103 902.5.
  const auto at = std::find(merged.begin(), merged.end(), 899.75);
  ASSERT_NE(at, merged.end());
  const std::vector<double> window(at, at + 6);
  EXPECT_EQ(window, (std::vector<double>{899.75, 900.5, 901.0, 901.25, 902.0, 902.5}));
  // Around the upper edge: SR-101 ends at 950.0 exactly; SR-103 goes on alone.
  const auto top = std::find(merged.begin(), merged.end(), 949.25);
  ASSERT_NE(top, merged.end());
  const std::vector<double> upper(top, top + 5);
  EXPECT_EQ(upper, (std::vector<double>{949.25, 950.0, 950.5, 952.0, 953.5}));
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 899.5), 0);   // SR-103 below the band
}

TEST(MergedWavelengths, Sr102WithSr104UsesItsOwnBandEdges) {
  HandSet hand;
  hand.Info(AxisInfo(SR102, 310.5f, 0.375f));   // up to 1050.0 (k = 1972): 1973
  hand.Info(AxisInfo(SR104, 905.5f, 3.5f));     // from 951.0 (k = 13): 243
  std::vector<double> merged;
  BuildMergedWavelengths(hand.Set, merged);
  EXPECT_EQ(merged.size(), 1973u + 243u);
  EXPECT_TRUE(Ascending(merged));
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 947.5), 0);    // SR-104 pixel 12
  // 951.0 is SR-104 pixel 13 and SR-102 pixel 1708: both kept.
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 951.0), 2);
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 1050.0), 1);   // SR-102's last one kept
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 1050.375), 0);
  EXPECT_EQ(merged.back(), 1798.0);
}

TEST(MergedWavelengths, EqualWavelengthsOfBothSensorsAreBothKept) {
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f));   // 920.0 at k = 826
  hand.Info(AxisInfo(SR103, 899.0f, 1.5f));    // 920.0 at k = 14; 899.0 dropped, 900.5 kept
  std::vector<double> merged;
  BuildMergedWavelengths(hand.Set, merged);
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 920.0), 2);
  EXPECT_EQ(merged.size(), 867u + 511u);
  EXPECT_TRUE(Ascending(merged));
}

TEST(MergedWavelengths, WithoutAPairTheFirstConfiguredAxisWhole) {
  HandSet only102;
  only102.Info(AxisInfo(SR102, 310.5f, 0.375f));
  std::vector<double> merged;
  BuildMergedWavelengths(only102.Set, merged);
  ASSERT_EQ(merged.size(), 2048u);
  for (size_t k = 0; k < merged.size(); ++k) ASSERT_EQ(merged[k], 310.5 + 0.375 * k);

  HandSet longOnly;
  longOnly.Info(AxisInfo(SR104, 905.5f, 3.5f));
  longOnly.Info(AxisInfo(SR103, 899.5f, 1.5f));
  BuildMergedWavelengths(longOnly.Set, merged);
  ASSERT_EQ(merged.size(), 512u);
  EXPECT_EQ(merged.front(), 899.5);

  BuildMergedWavelengths(HandSet().Set, merged);
  EXPECT_TRUE(merged.empty());
}

TEST(MergedWavelengths, AllFourConfiguredUsesTheFirstPair) {
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
  hand.Info(AxisInfo(SR102, 310.5f, 0.375f));
  hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
  hand.Info(AxisInfo(SR104, 905.5f, 3.5f));
  std::vector<double> merged;
  BuildMergedWavelengths(hand.Set, merged);
  EXPECT_EQ(merged.size(), 867u + 511u);
  EXPECT_EQ(merged.back(), 1666.0);
}

}  // namespace
}  // namespace spectrel
