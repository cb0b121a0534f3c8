// Where the sun stands for a station at a given instant, to astronomical accuracy: the Earth's
// ephemeris gives the Sun's direction, the IAU 2006/2000A precession-nutation and the Earth's
// rotation turn it into azimuth and zenith distance at the site (ERFA, the IAU's fundamental
// astronomy routines). Apparent and topocentric (aberration and the Sun's parallax included),
// geometric: no refraction.
#pragma once

#include <cstdint>
#include <memory>

namespace spectrel::archive {

struct SolarAngles {
  double ZenithDeg = 0.0;    // angle between the sun and the local vertical, degrees (geometric)
  double AzimuthDeg = 0.0;   // clockwise from true north, 0..360 degrees
};

// The sun seen from one site at many instants. The slowly changing parts (precession-nutation,
// the Earth's velocity, the Sun's geocentric position at both ends) are worked out once per span
// of UTC time and the Sun's position is interpolated within it; each instant then costs well
// under a microsecond. Over a day the interpolation stays within a few milliarcseconds.
class SunTracker {
 public:
  // latitude north positive, longitude east positive, degrees; height above sea level, m.
  // spanSeconds: the length of the spans, aligned to whole multiples since 1970 (a day by default;
  // 1 s evaluates every instant on its own).
  SunTracker(double latitudeDeg, double longitudeDeg, double heightM, std::int64_t spanSeconds = 86400);
  ~SunTracker();
  SunTracker(SunTracker&&) noexcept;
  SunTracker& operator=(SunTracker&&) noexcept;

  // Zenith and azimuth of the sun at UTC instant t, s since 1970. NaN for an instant the
  // routines cannot place.
  SolarAngles At(std::int64_t t);

 private:
  struct Span;   // what is worked out once per span

  double LatitudeRad, LongitudeRad, HeightM;   // the site
  double SiteDistanceAu = 0.0;                 // the site's distance from the Earth's centre, au
  std::int64_t SpanSeconds;                    // length of a span, s
  std::unique_ptr<Span> Current;               // the span of the last instant asked; none yet
};

// The sun once, for a single instant.
SolarAngles SolarPosition(std::int64_t t, double latitudeDeg, double longitudeDeg, double heightM = 0.0);

}  // namespace spectrel::archive
