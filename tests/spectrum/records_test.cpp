// The records: plain values with absent blocks, the irradiance of a pixel, the accessors' edges.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "spectrum/records.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

TEST(Records, SetsAreValuesWhoseAccessorsCheckTheirEdges) {
  CKrfData set = testing::MakeDay({SR101}, 2, 1555059903, 60);
  for (int model : {1, 2, 3, 4}) EXPECT_EQ(set.Block(model, 1), nullptr);
  CKrfData copy = set;
  copy.Rad(1).Block(SR101)->Dark[3] = 12345.0f;
  EXPECT_TRUE(copy.Header() == set.Header());   // site strings and records, no point
  EXPECT_EQ(copy.Header().RadCount(), 0);
  EXPECT_EQ(*copy.Header().Info(SR101), *set.Info(SR101));
  set.Rad(0).SetBlock(SR101, testing::MakeMeasurement(SR101, 42));   // replaces the block
  EXPECT_EQ(set.Block(SR101, 0)->MeasureTime, 42);
  set.Rad(0).RemoveBlock(SR101);
  EXPECT_FALSE(set.Rad(0).HasAnyBlock());
  EXPECT_THROW(set.Rad(0).SetBlock(4, SensorMeasurement()), std::invalid_argument);
  EXPECT_THROW(set.SetInfo(-1, SensorInfo()), std::invalid_argument);
  // Both accessors check the index: every reader of a point (report, CSV, grid) goes through them.
  for (int j : {2, -1}) {
    EXPECT_THROW(set.Rad(j), std::invalid_argument) << j;
    EXPECT_THROW(std::as_const(set).Rad(j), std::invalid_argument) << j;
  }
  EXPECT_EQ(set.LastRad(), &set.Rad(1));
  // Coverage runs from the first to the last pixel wavelength, both included.
  const SensorInfo& info = *set.Info(SR101);
  EXPECT_TRUE(set.Covers(SR101, info.Wavelength.front()));
  EXPECT_TRUE(set.Covers(SR101, info.Wavelength.back()));
  EXPECT_FALSE(set.Covers(SR101, static_cast<double>(info.Wavelength.back()) + 1e-3));
  EXPECT_FALSE(set.Covers(SR103, 1000.0));   // no record
  set.Clear();
  EXPECT_TRUE(set == CKrfData());
  EXPECT_EQ(set.LastRad(), nullptr);
  EXPECT_EQ(FieldText(std::string(40, 'x')), std::string(31, 'x'));
}

// Pixel p (counted from 1) lies at C0 + C1 p + ... + C5 p^5: each power alone, at the last pixel
// where it weighs most.
TEST(Records, APixelLiesWhereTheAxisPolynomialPutsIt) {
  for (int power = 0; power <= 5; ++power) {
    SensorInfo one(SR101);
    one.Coef = {"0", "0", "0", "0", "0", "0"};
    one.Coef[static_cast<size_t>(power)] = "1e" + std::to_string(-3 * (power - 1));
    one.Wavelength.clear();   // the axis is rebuilt whole, whatever it held
    ComputeWavelengths(one);
    ASSERT_EQ(one.Wavelength.size(), 1024u);
    EXPECT_FLOAT_EQ(one.Wavelength[1023], static_cast<float>(std::pow(1024.0, power) * std::pow(10.0, -3 * (power - 1))));
  }
}

TEST(Records, IrradianceIsLightMinusDarkTimesCalibrationInSinglePrecision) {
  CKrfData set;
  SensorInfo info(SR104);
  info.Calib[0] = 0.1f;
  info.Calib[2] = 3.0f;
  set.SetInfo(SR104, info);
  SensorMeasurement m(SR104);
  m.Light[0] = 1000.5f;  m.Dark[0] = 0.25f;    // (1000.25 as float) * 0.1f, rounded to float
  m.Light[2] = 10.0f;    m.Dark[2] = 30.0f;    // darker than dark: negative irradiance
  CRad rad;
  rad.SetBlock(SR104, m);
  set.AppendRad(rad);
  EXPECT_EQ(set.Irradiance(SR104, 0, 0), static_cast<double>(1000.25f * 0.1f));
  EXPECT_NE(set.Irradiance(SR104, 0, 0), 1000.25 * 0.1);   // not computed in double
  EXPECT_EQ(set.Irradiance(SR104, 2, 0), -60.0);
  EXPECT_EQ(set.Irradiance(7, 2, 0), 0.0);
}

}  // namespace
}  // namespace spectrel
