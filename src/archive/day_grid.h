// The day's points on the 1 nm wavelength grid of the archive, with their integral irradiance.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "spectrum/records.h"

namespace spectrel::archive {

struct GridOptions {
  int FromNm = 300;       // first grid wavelength, nm
  int ToNm = 1800;        // last grid wavelength (inclusive), nm
  bool Merge = true;      // join a short- and a long-wavelength sensor across the seam
  int IntegFrom = 300;    // lower limit of the integral irradiance, nm
  int IntegTo = 1800;     // upper limit of the integral irradiance, nm
};

// No wavelength: a point whose spectrum reaches nothing of the integral range.
inline constexpr int NoWavelength = -1;

struct DayGrid {
  int FromNm = 0;                // wavelength of column 0, nm
  int Width = 0;                 // grid wavelengths per point
  std::vector<float> Spectrum;   // W m-2 um-1, point-major; NaN where no sensor covers the wavelength
  std::vector<float> Integral;   // W m-2 per point; NaN for a point without any sensor block
  int IntegFrom = 0;             // the integral range asked, nm
  int IntegTo = 0;
  // Per point, the whole wavelengths of the integral range that its resampled spectrum covers,
  // which the integral sums (a sensor that ends at 1100 nm leaves 1101..1800 out), nm;
  // NoWavelength for a point that covers none of it.
  std::vector<int> CoveredFrom;
  std::vector<int> CoveredTo;

  std::span<const float> Row(int j) const {
    return {Spectrum.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(Width),
            static_cast<std::size_t>(Width)};
  }
};

// Every point of the day on the grid. A point holding a short- and a long-wavelength sensor gives
// the merged spectrum within the merged axis of the day's sensors (as the "1nm" CSV merge column);
// otherwise, or without merging, the first sensor present in model order within its own axis.
DayGrid ComputeDayGrid(const CKrfData& day, const GridOptions& options);

}  // namespace spectrel::archive
