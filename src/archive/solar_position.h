// Where the sun stands for a station at a given time: the NOAA general solar-position equations
// (declination and equation of time from the fractional year, hour angle from true solar time).
#pragma once

#include <cstdint>

namespace spectrel::archive {

struct SolarAngles {
  double ZenithDeg = 0.0;    // angle between the sun and the local vertical, degrees (geometric)
  double AzimuthDeg = 0.0;   // clockwise from true north, 0..360 degrees
};

// The fractional year in radians for UTC time t, s since 1970: 2 pi / days-in-year times the day of
// the year less one plus the hour offset from noon.
double FractionalYear(std::int64_t t);

// Equation of time in minutes and solar declination in radians for a fractional year.
double EquationOfTimeMinutes(double gamma);
double DeclinationRad(double gamma);

// Zenith and azimuth of the sun at UTC time t for latitude (north positive) and longitude (east
// positive) in degrees.
SolarAngles SolarPosition(std::int64_t t, double latitudeDeg, double longitudeDeg);

}  // namespace spectrel::archive
