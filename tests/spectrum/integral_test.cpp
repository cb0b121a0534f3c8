#include <gtest/gtest.h>

#include "spectrum/hand_made.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

// A grid from 301 to 1100 nm whose value at w is w itself.
CResample Ramp() {
  CResample r;
  r.StartNm = 301;
  r.EndNm = 1100;
  for (int w = 301; w <= 1100; ++w) r.Values.push_back(w);
  return r;
}

TEST(Integral, FlatThousandOverOneHundredNanometres) {
  // 1000 W/m2/um everywhere on the synthetic 300.4 .. 1100.2 nm axis.
  CKrfData day = testing::MakeDay({SR101}, 1, 1700000000, 60);
  SensorMeasurement& m = *day.Rad(0).Block(SR101);
  SensorInfo info = *day.Info(SR101);
  for (size_t k = 0; k < m.Light.size(); ++k) {
    m.Light[k] = 1000.0f;
    m.Dark[k] = 0.0f;
    info.Calib[k] = 1.0f;
  }
  day.SetInfo(SR101, info);
  CResample r;
  r.Resample(day, 0);
  ASSERT_EQ(r.StartNm, 301);
  ASSERT_EQ(r.EndNm, 1100);
  // 99 whole values and two halves of 1000, / 1000.
  EXPECT_DOUBLE_EQ(r.Integral(400, 500), 100.0);
  // Limits beyond the grid: all 800 values whole.
  EXPECT_DOUBLE_EQ(r.Integral(300, 1800), 800.0);
}

TEST(Integral, LimitsInsideCountHalfLimitsOutsideLeaveTheEndsWhole) {
  const CResample r = Ramp();
  // 301 + ... + 1100 = (301 + 1100) * 800 / 2 = 560400.
  EXPECT_DOUBLE_EQ(r.Integral(300, 1800), 560.4);
  EXPECT_DOUBLE_EQ(r.Integral(301, 1100), (560400.0 - 301 / 2.0 - 1100 / 2.0) / 1000);
  // 1000 counts half, 1001 .. 1100 whole: 105050.
  EXPECT_DOUBLE_EQ(r.Integral(1000, 1800), (500.0 + 105050.0) / 1000);
  // 400 half, 401 .. 499 whole (44550), 500 half.
  EXPECT_DOUBLE_EQ(r.Integral(400, 500), (200.0 + 44550.0 + 250.0) / 1000);
}

TEST(Integral, ReversedDisjointAndEmpty) {
  const CResample r = Ramp();
  EXPECT_EQ(r.Integral(700, 400), 0.0);
  EXPECT_EQ(r.Integral(100, 300), 0.0);
  EXPECT_EQ(r.Integral(1101, 1800), 0.0);
  EXPECT_EQ(CResample().Integral(300, 1800), 0.0);
  // One wavelength is both limits and counts half.
  EXPECT_DOUBLE_EQ(r.Integral(500, 500), 0.25);
}

}  // namespace
}  // namespace spectrel
