#include "archive/solar_position.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>
#include <limits>

namespace spectrel::archive {

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double UnixEpochJd = 2440587.5;   // 1970-01-01 00:00 UTC as a Julian date
constexpr double WavelengthUm = 0.55;       // for the refraction constants, which pressure 0 zeroes

// A UTC instant as the two-part quasi Julian date the routines take: whole days, then the day's
// fraction (UT1 is taken as UTC: their difference, under a second, moves the sun by < 0.004 deg).
struct UtcDate {
  double Day;
  double Fraction;
};

UtcDate ToUtcDate(std::int64_t t) {
  const std::int64_t days = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
  return {UnixEpochJd + static_cast<double>(days), static_cast<double>(t - days * 86400) / 86400.0};
}

// The Sun's geocentric position at UTC instant t in the celestial reference system, au: the
// opposite of the Earth's heliocentric position; false where the date cannot be placed.
bool SunFromEarth(std::int64_t t, double sun[3]) {
  const UtcDate utc = ToUtcDate(t);
  double tai1 = 0, tai2 = 0, tt1 = 0, tt2 = 0;
  if (eraUtctai(utc.Day, utc.Fraction, &tai1, &tai2) < 0) return false;
  eraTaitt(tai1, tai2, &tt1, &tt2);
  double heliocentric[2][3], barycentric[2][3];
  eraEpv00(tt1, tt2, heliocentric, barycentric);
  for (int i = 0; i < 3; ++i) sun[i] = -heliocentric[0][i];
  return true;
}

}  // namespace

struct SunTracker::Span {
  std::int64_t Start = 0;            // UTC, s since 1970; the span holds [Start, Start + SpanSeconds)
  bool Usable = false;               // the routines could place it
  eraASTROM Astrom{};                // the site's star-independent parameters at the start
  double SunStart[3] = {0, 0, 0};    // the Sun's geocentric position at the start, au
  double SunEnd[3] = {0, 0, 0};      // and at the end
};

SunTracker::SunTracker(double latitudeDeg, double longitudeDeg, double heightM, std::int64_t spanSeconds)
    : LatitudeRad(latitudeDeg * ERFA_DD2R),
      LongitudeRad(longitudeDeg * ERFA_DD2R),
      HeightM(heightM),
      SpanSeconds(spanSeconds > 0 ? spanSeconds : 1) {
  double xyz[3] = {0, 0, 0};
  if (eraGd2gc(ERFA_WGS84, LongitudeRad, LatitudeRad, HeightM, xyz) == 0)
    SiteDistanceAu = std::sqrt(xyz[0] * xyz[0] + xyz[1] * xyz[1] + xyz[2] * xyz[2]) / ERFA_DAU;
}

SunTracker::~SunTracker() = default;
SunTracker::SunTracker(SunTracker&&) noexcept = default;
SunTracker& SunTracker::operator=(SunTracker&&) noexcept = default;

SolarAngles SunTracker::At(std::int64_t t) {
  if (!Current || t < Current->Start || t - Current->Start >= SpanSeconds) {
    const std::int64_t index = t >= 0 ? t / SpanSeconds : -((-t + SpanSeconds - 1) / SpanSeconds);
    if (!Current) Current = std::make_unique<Span>();
    Span& span = *Current;
    span.Start = index * SpanSeconds;
    const UtcDate utc = ToUtcDate(span.Start);
    double eo = 0;
    // No pressure: no refraction. No polar motion: under 0.5" of direction.
    span.Usable = eraApco13(utc.Day, utc.Fraction, 0.0, LongitudeRad, LatitudeRad, HeightM, 0.0, 0.0,
                            0.0, 0.0, 0.0, WavelengthUm, &span.Astrom, &eo) >= 0 &&
                  SunFromEarth(span.Start, span.SunStart) &&
                  SunFromEarth(span.Start + SpanSeconds, span.SunEnd);
  }
  Span& span = *Current;
  if (!span.Usable) return {Nan, Nan};
  // The Sun's geocentric position, linear between the span's ends: over a day it turns by a
  // degree, and the chord strays from the arc by far less than a milliarcsecond in direction.
  const double f = static_cast<double>(t - span.Start) / static_cast<double>(SpanSeconds);
  double sun[3];
  for (int i = 0; i < 3; ++i) sun[i] = span.SunStart[i] + f * (span.SunEnd[i] - span.SunStart[i]);
  double distance = 0, direction[3];
  eraPn(sun, &distance, direction);
  // Annual aberration, then into the celestial intermediate system (the Sun deflects no light of
  // its own toward us, so light deflection does not apply).
  double aberrated[3], intermediate[3];
  eraAb(direction, span.Astrom.v, span.Astrom.em, span.Astrom.bm1, aberrated);
  eraRxp(span.Astrom.bpn, aberrated, intermediate);
  double ra = 0, dec = 0;
  eraC2s(intermediate, &ra, &dec);
  // The Earth's rotation angle of this instant, then azimuth and zenith distance at the site.
  const UtcDate utc = ToUtcDate(t);
  eraAper13(utc.Day, utc.Fraction, &span.Astrom);
  double azimuth = 0, zenith = 0, hourAngle = 0, obsDec = 0, obsRa = 0;
  eraAtioq(eraAnp(ra), dec, &span.Astrom, &azimuth, &zenith, &hourAngle, &obsDec, &obsRa);
  // The Sun's parallax: seen from the site rather than the Earth's centre it stands lower by up
  // to 8.8".
  zenith += std::asin(SiteDistanceAu / distance * std::sin(zenith));
  return {zenith * ERFA_DR2D, azimuth * ERFA_DR2D};
}

SolarAngles SolarPosition(std::int64_t t, double latitudeDeg, double longitudeDeg, double heightM) {
  return SunTracker(latitudeDeg, longitudeDeg, heightM).At(t);
}

}  // namespace spectrel::archive
