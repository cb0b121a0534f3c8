#include "archive/solar_position.h"

#include <cmath>
#include <ctime>
#include <numbers>

namespace spectrel::archive {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double DegPerRad = 180.0 / Pi;

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::tm UtcTm(std::int64_t t) {
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm utc{};
  gmtime_r(&tt, &utc);
  return utc;
}

// Minutes of the UTC day, seconds included.
double UtcMinutes(const std::tm& utc) {
  return utc.tm_hour * 60.0 + utc.tm_min + utc.tm_sec / 60.0;
}

}  // namespace

double FractionalYear(std::int64_t t) {
  const std::tm utc = UtcTm(t);
  const double days = LeapYear(utc.tm_year + 1900) ? 366.0 : 365.0;
  return 2.0 * Pi / days * (utc.tm_yday + (utc.tm_hour - 12) / 24.0);
}

double EquationOfTimeMinutes(double g) {
  return 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                   0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
}

double DeclinationRad(double g) {
  return 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
         0.000907 * std::sin(2 * g) - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
}

SolarAngles SolarPosition(std::int64_t t, double latitudeDeg, double longitudeDeg) {
  const double gamma = FractionalYear(t);
  const double decl = DeclinationRad(gamma);
  // True solar time in minutes; the time is UTC, so no zone offset enters.
  const double trueSolar = UtcMinutes(UtcTm(t)) + EquationOfTimeMinutes(gamma) + 4.0 * longitudeDeg;
  const double hourAngle = (trueSolar / 4.0 - 180.0) / DegPerRad;
  const double lat = latitudeDeg / DegPerRad;

  // The sun's direction in the station's east-north-up frame.
  const double east = -std::cos(decl) * std::sin(hourAngle);
  const double north =
      std::sin(decl) * std::cos(lat) - std::cos(decl) * std::cos(hourAngle) * std::sin(lat);
  const double up =
      std::sin(decl) * std::sin(lat) + std::cos(decl) * std::cos(hourAngle) * std::cos(lat);

  SolarAngles angles;
  angles.ZenithDeg = std::acos(std::fmax(-1.0, std::fmin(1.0, up))) * DegPerRad;
  double azimuth = std::atan2(east, north) * DegPerRad;
  if (azimuth < 0.0) azimuth += 360.0;
  angles.AzimuthDeg = azimuth;
  return angles;
}

}  // namespace spectrel::archive
