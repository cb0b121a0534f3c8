// Trapezoid integral of the whole-nanometre grid between two wavelength limits.
#include <gtest/gtest.h>

#include "spectrum/resample.h"

namespace spectrel {
namespace {

TEST(Integral, LimitsInsideCountHalfLimitsOutsideLeaveTheEndsWhole) {
  CResample r;   // 301 .. 1100 nm, the value at w being w itself
  r.StartNm = 301;
  r.EndNm = 1100;
  for (int w = 301; w <= 1100; ++w) r.Values.push_back(w);
  // 301 + ... + 1100 = (301 + 1100) * 800 / 2 = 560400.
  EXPECT_DOUBLE_EQ(r.Integral(300, 1800), 560.4);
  EXPECT_DOUBLE_EQ(r.Integral(301, 1100), (560400.0 - 301 / 2.0 - 1100 / 2.0) / 1000);
  EXPECT_DOUBLE_EQ(r.Integral(1000, 1800), (500.0 + 105050.0) / 1000);   // 1000 half, 1001 .. 1100 whole
  EXPECT_DOUBLE_EQ(r.Integral(400, 500), (200.0 + 44550.0 + 250.0) / 1000);   // 401 .. 499 whole
  EXPECT_DOUBLE_EQ(r.Integral(500, 500), 0.25);   // one wavelength is both limits and counts half
  EXPECT_EQ(r.Integral(700, 400), 0.0);
  EXPECT_EQ(r.Integral(100, 300), 0.0);
  EXPECT_EQ(r.Integral(1101, 1800), 0.0);
  EXPECT_EQ(CResample().Integral(300, 1800), 0.0);
}

}  // namespace
}  // namespace spectrel
