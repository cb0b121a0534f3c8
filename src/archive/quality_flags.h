// Quality flags of one measurement point: what a user of the archive should know before trusting
// a spectrum. Every threshold lives in the one table below (docs/archive.md repeats it).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "archive/day_grid.h"
#include "spectrum/records.h"

namespace spectrel::archive {

struct QualityFlagRule {
  std::string_view Meaning;   // the flag_meanings word
  std::int16_t Mask;          // the bit in quality_flag
  double Threshold;           // the number the rule compares with
  std::string_view Units;     // units of the threshold
  std::string_view Rule;      // when the bit is set, in words
};

inline constexpr std::array<QualityFlagRule, 8> QualityFlagTable{{
    {"sensor_missing", 1, 0.0, "1",
     "a sensor that has a header in the day file took no part in the point (or none did)"},
    {"saturated", 2, 1.0, "pixels",
     "at least this many pixels zeroed for saturation (light and dark both 0) in a sensor that has "
     "a saturation limit"},
    {"too_dark", 4, 1.0, "1",
     "exposed at the longest exposure of the table and the light peak in counts still at most the "
     "model's lower decision limit times this"},
    {"negative_irradiance", 8, -2.0, "W m-2 um-1",
     "a value of spectral_irradiance below this, beyond the noise of a dark sky"},
    {"cooling_not_reached", 16, 0.0, "degC",
     "a cooled (longer-wavelength) sensor reports its cooling stopped or a sensor temperature above "
     "this"},
    {"seam_mismatch", 32, 10.0, "percent",
     "the two merged sensors' mean irradiances over the seam band differ by more than this share of "
     "the larger (judged only when the larger is at least 1 W m-2 um-1)"},
    {"sun_below_horizon", 64, 90.833, "degree",
     "solar zenith angle above this: the sun's upper limb is below the horizon"},
    {"integral_partial", 128, 1.0, "nm",
     "the point's sensors leave more than this of either end of the integral range uncovered: "
     "integral_irradiance sums only integral_covered_from to integral_covered_to"},
}};

// Mean seam-band irradiance below which two sensors are not compared, W m-2 um-1.
inline constexpr double SeamJudgedFromWm2um = 1.0;

enum QualityBit : std::int16_t {
  SensorMissing = 1,
  Saturated = 2,
  TooDark = 4,
  NegativeIrradiance = 8,
  CoolingNotReached = 16,
  SeamMismatch = 32,
  SunBelowHorizon = 64,
  IntegralPartial = 128,
};

// The threshold of the table row with that bit.
double QualityThreshold(QualityBit bit);

// The flags of CRad j: grid is the day on the archive's grid (made from day), zenithDeg the sun's
// zenith when the site is known.
std::int16_t QualityFlags(const CKrfData& day, int j, const DayGrid& grid, std::optional<double> zenithDeg);

}  // namespace spectrel::archive
