// One measurement point on a 1 nm grid, the merge of a short- and a long-wavelength sensor and
// the integral irradiance.
#pragma once

#include <optional>
#include <vector>

#include "spectrum/grid_walk.h"
#include "spectrum/records.h"

namespace spectrel {

// The merged native-wavelength axis built from the set's information records.
void BuildMergedWavelengths(const CKrfData& set, std::vector<double>& merged);

class CResample {
 public:
  // Rebuilds the grid from CRad index of the set; an index outside the array throws.
  void Resample(const CKrfData& set, int index);
  // The grid of one sensor's spectrum alone (both may be null: an empty grid).
  void Resample(const SensorMeasurement* block, const SensorInfo* info);
  // Value at whole wavelength w; the caller keeps w within StartNm..EndNm.
  double Value(int w) const { return Values[static_cast<size_t>(w - StartNm)]; }
  void Release();
  // Trapezoid on the grid from a to b (whole nm) / 1000, W/m2; 0 when a > b.
  double Integral(int a, int b) const;
  // The wavelengths of a..b the grid holds, which the integral sums; none without any.
  std::optional<std::pair<int, int>> Covered(int a, int b) const;
  bool Empty() const { return Values.empty(); }

  std::vector<double> Values;   // W/m2/um at StartNm .. EndNm
  int StartNm = 0;              // first grid wavelength, nm
  int EndNm = 0;                // last grid wavelength (inclusive), nm
  double MaxValue = 0.0;        // largest value
  double MinValue = 0.0;        // smallest value

 private:
  void Fill(GridWalk walk, const SensorInfo* shortInfo, const SensorInfo* longInfo);
};

// The integral irradiance of CRad index of the set over a..b (whole nm), W/m2, as drawn with the
// graph: its resampled grid's trapezoid. grid is scratch storage, reused between points.
double PointIntegral(const CKrfData& set, int index, int a, int b, CResample& grid);
// One sensor's spectrum alone on its own grid, the same trapezoid; none when the grid holds no
// wavelength of a..b.
std::optional<double> SensorIntegral(const SensorMeasurement& block, const SensorInfo& info, int a, int b);

}  // namespace spectrel
