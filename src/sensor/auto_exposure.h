// The automatic exposure decision and the conversion of raw counts to counts per second, as pure
// functions over the model description.
#pragma once

#include <cstdint>

#include "spectrum/model_table.h"

namespace spectrel {

inline constexpr int MaxExposurePasses = 15;   // light spectra taken at most to settle the exposure

enum class ExposureStep {
  Accept,   // keep the spectrum taken at this exposure
  Shorter,  // too bright: one table entry down
  Longer,   // too dim: one table entry up
};

// Highest usable index of the exposure table (the entry before its terminating 0).
int LongestExposureIndex();

// Brings a stored index back into the table (a damaged or foreign value starts from the ends).
int ClampExposureIndex(int index);

// Keeps the peak above the model's lower limit and below its saturation limit where the table
// allows: brighter steps down unless the shortest exposure is in use, dimmer (peak at or below the
// lower limit) steps up unless the longest is in use.
ExposureStep DecideExposure(int peak, int index, const ModelDescription& model);

// Counts of pixels whose map byte is 0 are taken as 0 (dead pixels of a sensor with a pixel map).
void ApplyPixelMap(std::int16_t* counts, const std::uint8_t* map, int pixels);

// Light and dark counts divided by the exposure in seconds (double, stored as float). A pixel whose
// light count is above the saturation limit gets 0 in both; a limit of 0 zeroes nothing.
void CountsToRates(const std::int16_t* light, const std::int16_t* dark, int pixels, int exposureMs,
                   int saturationLimit, float* lightRate, float* darkRate);

}  // namespace spectrel
