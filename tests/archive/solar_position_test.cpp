// The sun's position against values worked out here from the published equations in another form
// (hour angle and declination through the spherical-triangle cosines), and against well-known
// facts: the declination at the solstices, the equation of time's extremes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "archive/solar_position.h"
#include "support/fake_clock.h"

namespace spectrel::archive {
namespace {

using spectrel::testing::Utc;

constexpr double Rad = std::numbers::pi / 180.0;

// Zenith and azimuth by the cosine rules, azimuth folded by the sign of the hour angle.
SolarAngles ByCosineRules(std::int64_t t, double lat, double lon) {
  const std::int64_t minutes = ((t % 86400) + 86400) % 86400;
  const double gamma = FractionalYear(t);
  const double decl = DeclinationRad(gamma);
  const double tst = minutes / 60.0 + EquationOfTimeMinutes(gamma) + 4.0 * lon;
  const double ha = (tst / 4.0 - 180.0) * Rad;
  const double cosZ = std::sin(lat * Rad) * std::sin(decl) + std::cos(lat * Rad) * std::cos(decl) * std::cos(ha);
  const double zen = std::acos(cosZ);
  const double cosA = (std::sin(decl) - std::sin(lat * Rad) * cosZ) / (std::cos(lat * Rad) * std::sin(zen));
  double az = std::acos(std::fmax(-1.0, std::fmin(1.0, cosA))) / Rad;
  if (std::sin(ha) > 0) az = 360.0 - az;
  return {zen / Rad, az};
}

struct Place {
  const char* Name;
  std::int64_t Time;
  double Lat, Lon;
};

TEST(SolarPosition, AgreesWithTheCosineRulesAcrossPlacesAndSeasons) {
  for (const Place& p : {
           Place{"Tokyo summer morning", Utc(2019, 6, 21, 0, 30), 35.68, 139.75},
           Place{"Sydney winter afternoon", Utc(2021, 7, 2, 5, 15), -33.87, 151.21},
           Place{"Boulder autumn", Utc(2020, 10, 14, 20, 5), 40.01, -105.27},
           Place{"Tromso spring evening", Utc(2022, 3, 28, 16, 45), 69.65, 18.96},
           Place{"Quito leap day", Utc(2024, 2, 29, 15, 0), -0.18, -78.47},
           Place{"Cape Town night", Utc(2019, 12, 31, 23, 59, 59), -33.92, 18.42},
       }) {
    SCOPED_TRACE(p.Name);
    const SolarAngles got = SolarPosition(p.Time, p.Lat, p.Lon);
    const SolarAngles want = ByCosineRules(p.Time, p.Lat, p.Lon);
    EXPECT_NEAR(got.ZenithDeg, want.ZenithDeg, 0.05);
    EXPECT_NEAR(got.AzimuthDeg, want.AzimuthDeg, 0.05);
    EXPECT_GE(got.AzimuthDeg, 0.0);
    EXPECT_LT(got.AzimuthDeg, 360.0);
  }
}

TEST(SolarPosition, DeclinationAndEquationOfTimeMeetTheirKnownValues) {
  struct Known { const char* Name; std::int64_t Time; double DeclDeg; double EotMin; double Tolerance; };   // the series is good to about half a minute
  for (const Known& k : {
           Known{"June solstice", Utc(2019, 6, 21, 12, 0), 23.44, -1.7, 0.6},
           Known{"December solstice", Utc(2019, 12, 22, 12, 0), -23.44, 1.9, 0.6},
           Known{"equation of time low", Utc(2019, 2, 11, 12, 0), -14.2, -14.2, 0.5},
           Known{"equation of time high", Utc(2019, 11, 3, 12, 0), -15.0, 16.4, 0.6},
       }) {
    SCOPED_TRACE(k.Name);
    const double gamma = FractionalYear(k.Time);
    EXPECT_NEAR(DeclinationRad(gamma) / Rad, k.DeclDeg, 0.6);
    EXPECT_NEAR(EquationOfTimeMinutes(gamma), k.EotMin, k.Tolerance);
  }
}

}  // namespace
}  // namespace spectrel::archive
