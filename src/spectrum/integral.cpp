#include <algorithm>

#include "spectrum/resample.h"

namespace spectrel {

double CResample::Integral(int a, int b) const {
  if (a > b || Values.empty()) return 0.0;
  // Only grid points inside a..b contribute; the limits themselves count half, so a limit that
  // lies outside the grid leaves the grid's end point whole.
  const int from = std::max(a, StartNm);
  const int to = std::min(b, EndNm);
  double sum = 0.0;
  for (int w = from; w <= to; ++w) {
    const double v = Values[static_cast<size_t>(w - StartNm)];
    sum += (w == a || w == b) ? v * 0.5 : v;
  }
  // W/m2/um summed over nanometre steps: / 1000 gives W/m2.
  return sum / 1000.0;
}

std::optional<std::pair<int, int>> CResample::Covered(int a, int b) const {
  const int from = std::max(a, StartNm);
  const int to = std::min(b, EndNm);
  if (Values.empty() || from > to) return std::nullopt;
  return std::pair{from, to};
}

double PointIntegral(const CKrfData& set, int index, int a, int b, CResample& grid) {
  grid.Resample(set, index);
  return grid.Integral(a, b);
}

std::optional<double> SensorIntegral(const SensorMeasurement& block, const SensorInfo& info, int a, int b) {
  CResample grid;
  grid.Resample(&block, &info);
  if (!grid.Covered(a, b)) return std::nullopt;
  return grid.Integral(a, b);
}

}  // namespace spectrel
