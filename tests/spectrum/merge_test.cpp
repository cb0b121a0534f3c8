// The merged spectrum of a short- and a long-wavelength sensor, and its wavelength axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/hand_made.h"
#include "spectrum/resample.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::HandSet;

// Straight-line spectra on the four exact axes, so every interpolated value is a closed formula:
//   SR-101 300.5 + 0.75 k nm, E = k            S1(w) = (w - 300.5) / 0.75
//   SR-102 310.5 + 0.375 k nm, E = 2 k         S2(w) = 2 (w - 310.5) / 0.375
//   SR-103 899.5 + 1.5 k nm, E = 1000 + k      L3(w) = 1000 + (w - 899.5) / 1.5
//   SR-104 905.5 + 3.5 k nm, E = 3000 + k      L4(w) = 3000 + (w - 905.5) / 3.5
double S1(double w) { return (w - 300.5) / 0.75; }
double S2(double w) { return 2.0 * (w - 310.5) / 0.375; }
double L3(double w) { return 1000.0 + (w - 899.5) / 1.5; }
double L4(double w) { return 3000.0 + (w - 905.5) / 3.5; }

TEST(Merge, EachPairCrossFadesAcrossItsBandInPrecedence) {
  using Models = std::vector<int>;
  struct Case {
    Models Blocks;
    double W, Expected;
  };
  const Case cases[] = {
      // SR-101 with SR-103: 900 .. 950 nm, all SR-101 at the lower edge, all SR-103 at the upper.
      {{SR101, SR103}, 925.0, (832.0 + 2.0 / 3.0 + 1017.0) / 2}, {{SR101, SR103}, 900.0, 799.0 + 1.0 / 3.0},
      {{SR101, SR103}, 950.0, 1033.0 + 2.0 / 3.0}, {{SR101, SR103}, 910.0, S1(910.0) * 0.8 + L3(910.0) * 0.2},
      {{SR101, SR103}, 899.5, S1(899.5)}, {{SR101, SR103}, 950.5, L3(950.5)},
      {{SR101, SR103}, 1700.0, 0.0},   // past SR-103's last pixel
      // SR-102 with SR-104 has the wider band 950 .. 1050 nm.
      {{SR102, SR104}, 949.0, 3405.0 + 1.0 / 3.0}, {{SR102, SR104}, 1025.0, S2(1025.0) * 0.25 + L4(1025.0) * 0.75},
      {{SR102, SR104}, 1051.0, L4(1051.0)},
      // More than two blocks: SR-101 before SR-102, SR-103 before SR-104.
      {{SR101, SR102, SR103, SR104}, 1000.0, L3(1000.0)}, {{SR102, SR103, SR104}, 925.0, (S2(925.0) + L3(925.0)) / 2},
      {{SR101, SR102, SR104}, 925.0, (S1(925.0) + L4(925.0)) / 2},
      // Without a pair the first model present, 0 outside its axis.
      {{SR103}, 1200.0, L3(1200.0)}, {{SR103}, 500.0, 0.0}, {{SR101, SR102}, 925.0, S1(925.0)},
      {{SR103, SR104}, 1000.0, L3(1000.0)}, {{}, 925.0, 0.0},
  };
  HandSet hand = testing::FourAxes();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Blocks.size() << " blocks at " << c.W << " nm");
    for (int m : c.Blocks) {
      const float offset = m == SR103 ? 1000.0f : (m == SR104 ? 3000.0f : 0.0f);
      const float scale = m == SR102 ? 2.0f : 1.0f;
      hand.Block(testing::SpectrumBlock(m, [=](int k) { return offset + scale * static_cast<float>(k); }));
    }
    const int j = hand.Append();
    EXPECT_NEAR(MergedValue(hand.Set, j, c.W), c.Expected, 1e-9);
  }
}

TEST(MergedWavelengths, ShortAxisUpToTheBandTopLongAxisFromItsBottomOrTheFirstAxisWhole) {
  // On the four axes SR-101 keeps up to 950.0 nm (k = 866): 867 pixels, SR-102 up to 1050.0
  // (k = 1972): 1973, SR-103 from 901.0 (k = 1): 511, SR-104 from 951.0 (k = 13): 243.
  const HandSet four = testing::FourAxes();
  const auto axis = [&four](int model) { return *four.Set.Info(model); };
  struct Case {
    std::vector<SensorInfo> Infos;
    size_t Size;
    double Front, Last;
    std::vector<std::pair<double, int>> Counts;   // how often a wavelength is on the axis
  };
  const Case cases[] = {
      // 899.5 is SR-103 below the band; SR-101 ends at 950.0 exactly.
      {{axis(SR101), axis(SR103)}, 867 + 511, 300.5, 1666.0, {{899.5, 0}, {899.75, 1}, {901.0, 1}, {950.0, 1}, {950.5, 1}}},
      // 920.0 is SR-101 pixel 826 and SR-103 pixel 14: both kept; SR-103 899.0 dropped, 900.5 kept.
      {{axis(SR101), AxisInfo(SR103, 899.0f, 1.5f)}, 867 + 511, 300.5, 1665.5, {{920.0, 2}, {899.0, 1}, {900.5, 2}}},
      {{axis(SR102), axis(SR104)}, 1973 + 243, 310.5, 1798.0, {{947.5, 0}, {951.0, 2}, {1050.0, 1}, {1050.375, 0}}},
      {{axis(SR101), axis(SR102), axis(SR103), axis(SR104)}, 867 + 511, 300.5, 1666.0, {}},   // the first pair
      {{axis(SR102)}, 2048, 310.5, 310.5 + 0.375 * 2047, {{310.875, 1}}},
      {{axis(SR104), axis(SR103)}, 512, 899.5, 1666.0, {}},
      {{}, 0, 0.0, 0.0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Infos.size() << " axes, " << c.Size << " wavelengths");
    HandSet hand;
    for (const SensorInfo& info : c.Infos) hand.Info(info);
    std::vector<double> merged{1.0, 2.0};   // replaced, not appended to
    BuildMergedWavelengths(hand.Set, merged);
    ASSERT_EQ(merged.size(), c.Size);
    EXPECT_TRUE(std::is_sorted(merged.begin(), merged.end()));
    EXPECT_EQ(merged.empty() ? 0.0 : merged.front(), c.Front);
    EXPECT_EQ(merged.empty() ? 0.0 : merged.back(), c.Last);
    for (const auto& [w, n] : c.Counts) EXPECT_EQ(std::count(merged.begin(), merged.end(), w), n) << w << " nm";
  }
}

}  // namespace
}  // namespace spectrel
