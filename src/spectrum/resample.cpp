#include "spectrum/resample.h"

#include <cmath>
#include <cstddef>

#include "spectrum/merge_pairs.h"

namespace spectrel {

namespace {

// Grid limits further out than this come only from a damaged axis; such a point gets no grid.
constexpr double GridLimitNm = 100000.0;

// Integer part of a pixel index estimate, kept inside 0..hi so that a damaged axis (flat steps,
// not a number) cannot push the search off the array.
int ClampedIndex(double estimate, int hi) {
  if (!(estimate > 0.0)) return 0;   // also catches not-a-number
  if (estimate >= static_cast<double>(hi)) return hi;
  return static_cast<int>(estimate);
}

// Whole-nm grid limit taken from a pixel wavelength, or false when the axis value is unusable.
bool GridLimit(float wavelength, int& nm) {
  const double w = static_cast<double>(wavelength);
  if (!std::isfinite(w) || std::fabs(w) > GridLimitNm) return false;
  nm = static_cast<int>(w);
  return true;
}

}  // namespace

int BracketSearch(const std::vector<float>& wl, double w) {
  const int n = static_cast<int>(wl.size());
  if (n < 2) return -1;
  const double first = wl[0];
  const double last = wl[static_cast<size_t>(n - 1)];
  if (!(w >= first && w <= last)) return -1;   // outside the axis (or not a number)
  if (w == last) return n - 2;

  // Pixels are nearly evenly spaced: a proportional guess lands within a pixel or two.
  int k = ClampedIndex((w - first) / (last - first) * (n - 1), n - 2);
  const double lo = wl[static_cast<size_t>(k)];
  const double hi = wl[static_cast<size_t>(k) + 1];
  const double step = (w - lo) / (hi - lo);
  // One secant correction; its integer part may be negative.
  const double corrected = static_cast<double>(k) + (std::isfinite(step) ? std::trunc(step) : 0.0);
  k = ClampedIndex(corrected, n - 2);

  while (k > 0 && static_cast<double>(wl[static_cast<size_t>(k)]) > w) --k;
  while (k < n - 2 && w >= static_cast<double>(wl[static_cast<size_t>(k) + 1])) ++k;
  return k;
}

double InterpolatedIrradiance(const CKrfData& set, int model, int j, double w) {
  const CRad& rad = set.Rad(j);
  const SensorMeasurement* block = rad.Block(model);
  const SensorInfo* info = set.Info(model);
  if (block == nullptr || info == nullptr) return 0.0;

  const int k = BracketSearch(info->Wavelength, w);
  if (k < 0) return 0.0;
  const size_t k0 = static_cast<size_t>(k);
  const size_t k1 = k0 + 1;
  // A record read from a damaged file may hold fewer values than its axis.
  if (k1 >= block->Light.size() || k1 >= block->Dark.size() || k1 >= info->Calib.size()) return 0.0;

  const double e0 = PixelIrradiance(*block, *info, k);
  const double e1 = PixelIrradiance(*block, *info, k + 1);
  const double w0 = info->Wavelength[k0];
  const double w1 = info->Wavelength[k1];
  if (w1 == w0) return e0;   // a flat axis step (damaged coefficients): no slope to follow
  return e0 + (e1 - e0) * (w - w0) / (w1 - w0);
}

void CResample::Release() {
  Values.clear();
  Values.shrink_to_fit();
}

void CResample::Resample(const CKrfData& set, int index) {
  Release();
  StartNm = 0;
  EndNm = 0;
  MaxValue = 0.0;
  MinValue = 0.0;

  const CRad& rad = set.Rad(index);
  // Short- and long-wavelength model of the source; both the same for a single sensor.
  int shortModel = -1;
  int longModel = -1;
  const MergePair* pair = FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; });
  const bool merged = pair != nullptr;
  if (merged) {
    shortModel = pair->Short;
    longModel = pair->Long;
  } else {
    for (int model = SR104; model >= SR101; --model) {
      if (rad.Block(model) != nullptr) {
        shortModel = longModel = model;
        break;
      }
    }
    if (shortModel < 0) return;   // no block at all: empty grid
  }

  const SensorInfo* shortInfo = set.Info(shortModel);
  const SensorInfo* longInfo = set.Info(longModel);
  if (shortInfo == nullptr || longInfo == nullptr || shortInfo->Wavelength.empty() ||
      longInfo->Wavelength.empty())
    return;
  int start = 0;
  int end = 0;
  if (!GridLimit(shortInfo->Wavelength.front(), start) ||
      !GridLimit(longInfo->Wavelength.back(), end))
    return;
  start += 1;   // the grid starts above the first pixel: 300.0 nm gives 301
  if (end < start) return;

  StartNm = start;
  EndNm = end;
  Values.resize(static_cast<size_t>(end - start + 1));
  for (int w = start; w <= end; ++w) {
    const double x = static_cast<double>(w);
    Values[static_cast<size_t>(w - start)] =
        merged ? MergedValue(set, index, x) : InterpolatedIrradiance(set, shortModel, index, x);
  }

  MaxValue = MinValue = Values.front();
  for (double v : Values) {
    if (v > MaxValue) MaxValue = v;
    if (v < MinValue) MinValue = v;
  }
}

}  // namespace spectrel
