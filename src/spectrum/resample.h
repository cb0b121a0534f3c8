// One measurement point on a 1 nm grid, the merge of a short- and a long-wavelength sensor and
// the integral irradiance.
#pragma once

#include <vector>

#include "spectrum/records.h"

namespace spectrel {

// k with wl[k] <= w < wl[k+1] over an ascending axis (w equal to the last wavelength gives N-2),
// or -1 outside the axis. Proportional guess, one secant step, then a short walk.
int BracketSearch(const std::vector<float>& wl, double w);

// Interpolated irradiance of model i at w (nm) in CRad j, W/m2/um; 0 without a block, outside the
// axis, or for a model index outside 0..3. j out of range throws std::invalid_argument.
double InterpolatedIrradiance(const CKrfData& set, int model, int j, double w);

// Merged irradiance of CRad j at w: the first pair present (SR-101/103, SR-101/104, SR-102/103,
// SR-102/104) cross-faded over its seam band; without a pair the first model present.
double MergedValue(const CKrfData& set, int j, double w);

// The merged native-wavelength axis built from the set's information records.
void BuildMergedWavelengths(const CKrfData& set, std::vector<double>& merged);

class CResample {
 public:
  // Rebuilds the grid from CRad index of the set; an index outside the array throws.
  void Resample(const CKrfData& set, int index);
  // Value at whole wavelength w; the caller keeps w within StartNm..EndNm.
  double Value(int w) const { return Values[static_cast<size_t>(w - StartNm)]; }
  void Release();
  // Trapezoid on the grid from a to b (whole nm) / 1000, W/m2; 0 when a > b.
  double Integral(int a, int b) const;
  bool Empty() const { return Values.empty(); }

  std::vector<double> Values;   // W/m2/um at StartNm .. EndNm
  int StartNm = 0;              // first grid wavelength, nm
  int EndNm = 0;                // last grid wavelength (inclusive), nm
  double MaxValue = 0.0;        // largest value
  double MinValue = 0.0;        // smallest value
};

}  // namespace spectrel
