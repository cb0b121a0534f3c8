// The records: deep copies, absent blocks, the irradiance of a pixel, the accessors' edges.
#include <gtest/gtest.h>

#include <stdexcept>

#include "spectrum/records.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

TEST(Records, CopiesOfPointsAndSetsAreDeepAndKeepAbsentBlocksAbsent) {
  CRad rad;
  rad.MeasureTime = 1555059903;
  rad.Memo = "roof";
  rad.SetBlock(SR103, testing::MakeMeasurement(SR103, rad.MeasureTime));

  CKrfData set;
  set.SetInfo(SR103, testing::MakeSensorInfo(SR103));
  EXPECT_EQ(set.AppendRad(rad), 0);
  EXPECT_EQ(set.AppendRad(rad), 1);

  // Only SR-103 took part: the other three stay null in the original and in the appended copy.
  for (int model : {SR101, SR102, SR104}) {
    EXPECT_EQ(rad.Block(model), nullptr);
    EXPECT_EQ(set.Block(model, 1), nullptr);
  }
  EXPECT_EQ(set.Block(4, 0), nullptr);   // no fifth model

  // Changing the source after the append leaves the stored copy alone, and the reverse.
  rad.Block(SR103)->Light[7] = -1.0f;
  rad.Memo = "changed";
  EXPECT_NE(set.Block(SR103, 0)->Light[7], -1.0f);
  EXPECT_EQ(set.Rad(0).Memo, "roof");
  CKrfData copy = set;
  copy.Rad(1).Block(SR103)->Dark[3] = 12345.0f;
  copy.Rad(1).MeasureTime = 0;
  EXPECT_NE(set.Block(SR103, 1)->Dark[3], 12345.0f);
  EXPECT_EQ(set.Rad(1).MeasureTime, 1555059903);
  EXPECT_NE(copy.Info(SR103), set.Info(SR103));
  EXPECT_EQ(*copy.Info(SR103), *set.Info(SR103));

  // Setting a block or a record again overwrites the owned one.
  SensorMeasurement other = testing::MakeMeasurement(SR103, 42);
  set.Rad(0).SetBlock(SR103, other);
  EXPECT_EQ(set.Block(SR103, 0)->MeasureTime, 42);
}

TEST(Records, IrradianceIsLightMinusDarkTimesCalibrationInSinglePrecision) {
  CKrfData set;
  SensorInfo info(SR104);
  info.Calib[0] = 0.1f;
  info.Calib[1] = 0.25f;
  info.Calib[2] = 3.0f;
  set.SetInfo(SR104, info);
  SensorMeasurement m(SR104);
  m.Light[0] = 1000.5f;  m.Dark[0] = 0.25f;    // (1000.25 as float) * 0.1f, rounded to float
  m.Light[1] = 0.0f;     m.Dark[1] = 0.0f;     // a saturated pixel: both zeroed by the driver
  m.Light[2] = 10.0f;    m.Dark[2] = 30.0f;    // darker than dark: negative irradiance
  CRad rad;
  rad.SetBlock(SR104, m);
  set.AppendRad(rad);
  EXPECT_EQ(set.Irradiance(SR104, 0, 0), static_cast<double>(1000.25f * 0.1f));
  EXPECT_NE(set.Irradiance(SR104, 0, 0), 1000.25 * 0.1);   // not computed in double
  EXPECT_EQ(set.Irradiance(SR104, 1, 0), 0.0);
  EXPECT_EQ(set.Irradiance(SR104, 2, 0), -60.0);
  EXPECT_EQ(set.Irradiance(7, 2, 0), 0.0);
}

TEST(Records, AccessorEdgesCoverageAndClear) {
  CKrfData set = testing::MakeDay({SR101}, 2, 1555059903, 60);
  EXPECT_THROW(set.Rad(2), std::invalid_argument);
  EXPECT_THROW(set.Rad(-1), std::invalid_argument);
  EXPECT_THROW(set.Block(SR101, 5), std::invalid_argument);
  EXPECT_EQ(set.LastRad(), &set.Rad(1));

  // Coverage runs from the first to the last pixel wavelength, both included.
  const SensorInfo& info = *set.Info(SR101);
  EXPECT_TRUE(set.Covers(SR101, info.Wavelength.front()));
  EXPECT_TRUE(set.Covers(SR101, info.Wavelength.back()));
  EXPECT_FALSE(set.Covers(SR101, static_cast<double>(info.Wavelength.back()) + 1e-3));
  EXPECT_FALSE(set.Covers(SR103, 1000.0));   // no record
  EXPECT_FALSE(set.Covers(4, 500.0));

  // Pixel 1 lies at C0+C1+...+C5.
  SensorInfo poly(SR101);
  poly.Coef = {"300.5", "0.75", "0.001", "-0.0001", "0.00002", "0.000001"};
  ComputeWavelengths(poly);
  EXPECT_FLOAT_EQ(poly.Wavelength[0], static_cast<float>(300.5 + 0.75 + 0.001 - 0.0001 + 0.00002 + 0.000001));

  set.Clear();
  EXPECT_EQ(set.RadCount(), 0);
  EXPECT_EQ(set.LastRad(), nullptr);
  EXPECT_EQ(set.Info(SR101), nullptr);
  EXPECT_TRUE(set.SiteName.empty() && set.TimeZone.empty());
  EXPECT_EQ(FieldText(std::string(40, 'x')), std::string(31, 'x'));
}

}  // namespace
}  // namespace spectrel
