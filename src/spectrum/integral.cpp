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

}  // namespace spectrel
