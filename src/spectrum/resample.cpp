#include "spectrum/resample.h"

#include <algorithm>
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

// Irradiance at w between pixels k and k+1 (k < 0: outside the axis, 0).
inline double Interpolate(const SensorMeasurement& block, const SensorInfo& info, int k, double w) {
  if (k < 0) return 0.0;
  const size_t k0 = static_cast<size_t>(k);
  const size_t k1 = k0 + 1;
  // A record read from a damaged file may hold fewer values than its axis.
  if (k1 >= block.Light.size() || k1 >= block.Dark.size() || k1 >= info.Calib.size()) return 0.0;

  const double e0 = PixelIrradiance(block, info, k);
  const double e1 = PixelIrradiance(block, info, k + 1);
  const double w0 = info.Wavelength[k0];
  const double w1 = info.Wavelength[k1];
  if (w1 == w0) return e0;   // a flat axis step (damaged coefficients): no slope to follow
  return e0 + (e1 - e0) * (w - w0) / (w1 - w0);
}

// One model's spectrum of one point read at rising wavelengths. On an axis that never descends
// the bracketing pixel only moves forward, so it is walked to instead of searched for; any other
// axis is searched at every wavelength. Both give the pixel pair BracketSearch gives.
class PixelWalk {
 public:
  PixelWalk(const CRad& rad, const CKrfData& set, int model) : Block(rad.Block(model)), Info(set.Info(model)) {
    if (Block == nullptr || Info == nullptr || Info->Wavelength.size() < 2) return;   // 0 everywhere
    const std::vector<float>& wl = Info->Wavelength;
    Axis = wl.data();
    N = static_cast<int>(wl.size());
    First = wl.front();
    Last = wl.back();
    Usable = static_cast<int>(std::min({Block->Light.size(), Block->Dark.size(), Info->Calib.size(), wl.size()}));
    // Without an early exit the comparison runs on whole vectors; not a number fails it.
    bool ascending = true;
    for (size_t i = 1; i < wl.size(); ++i) ascending &= wl[i - 1] <= wl[i];
    Ascending = ascending;
  }

  // Irradiance at w, which is not below the w of the call before.
  double At(double w) {
    if (Axis == nullptr) return 0.0;
    if (!Ascending) return Interpolate(*Block, *Info, BracketSearch(Info->Wavelength, w), w);
    if (!(w >= First && w <= Last)) return 0.0;
    int k = N - 2;
    if (w != Last) {
      k = K;
      while (k < N - 2 && w >= static_cast<double>(Axis[k + 1])) ++k;
      K = k;
    }
    // A record read from a damaged file may hold fewer values than its axis.
    if (k + 1 >= Usable) return 0.0;
    const double e0 = PixelIrradiance(*Block, *Info, k);
    const double e1 = PixelIrradiance(*Block, *Info, k + 1);
    const double w0 = Axis[k];
    const double w1 = Axis[k + 1];
    if (w1 == w0) return e0;
    return e0 + (e1 - e0) * (w - w0) / (w1 - w0);
  }

  // At() of every whole wavelength from..to into out[0..to-from] (nothing when to < from); from is
  // not below the wavelength of the call before. The pixel pair is taken once for all the
  // wavelengths it spans.
  void Fill(double* out, int from, int to) {
    if (Axis == nullptr || !Ascending) {
      for (int w = from; w <= to; ++w) out[w - from] = At(w);
      return;
    }
    int w = from;
    for (; w <= to && !(w >= First); ++w) out[w - from] = 0.0;
    int k = K;
    while (w <= to && w <= Last) {
      while (k < N - 2 && w >= static_cast<double>(Axis[k + 1])) ++k;
      // The pair serves up to its upper pixel; the last pair also at the last pixel itself.
      const double w0 = Axis[k];
      const double w1 = Axis[k + 1];
      const bool lastPair = k == N - 2;
      if (k + 1 >= Usable) {
        for (; w <= to && (w < w1 || (lastPair && w <= Last)); ++w) out[w - from] = 0.0;
        continue;
      }
      const double e0 = PixelIrradiance(*Block, *Info, k);
      const double e1 = PixelIrradiance(*Block, *Info, k + 1);
      for (; w <= to && (w < w1 || (lastPair && w <= Last)); ++w)
        out[w - from] = w1 == w0 ? e0 : e0 + (e1 - e0) * (w - w0) / (w1 - w0);
    }
    K = k;
    for (; w <= to; ++w) out[w - from] = 0.0;
  }

 private:
  const SensorMeasurement* Block;   // null when the model took no part
  const SensorInfo* Info;           // null without the model's information record
  const float* Axis = nullptr;      // pixel wavelengths, nm; null when every value is 0
  int N = 0;                        // pixels on the axis
  int Usable = 0;                   // pixels with light, dark and calibration values
  double First = 0.0;               // first pixel's wavelength, nm
  double Last = 0.0;                // last pixel's wavelength, nm
  bool Ascending = false;           // the axis never descends
  int K = 0;                        // pixel at or below the last wavelength asked for
};

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
  return Interpolate(*block, *info, BracketSearch(info->Wavelength, w), w);
}

void CResample::Release() {
  Values.clear();
  Values.shrink_to_fit();
}

void CResample::Resample(const CKrfData& set, int index) {
  // The last grid's storage is reused (written whole, so not cleared); every early return leaves
  // the grid empty.
  std::vector<double> storage = std::move(Values);
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
  Values = std::move(storage);
  Values.resize(static_cast<size_t>(end - start + 1));
  PixelWalk shortWalk(rad, set, shortModel);
  PixelWalk longWalk(rad, set, longModel);
  double* const out = Values.data();
  if (!merged) {
    shortWalk.Fill(out, start, end);
  } else {
    // The short sensor below the seam band, the long one above it, the cross-fade of both (as
    // MergedValue makes it) within.
    const int bandFrom = std::max(start, static_cast<int>(std::ceil(pair->BandLow)));
    const int bandTo = std::min(end, static_cast<int>(std::floor(pair->BandHigh)));
    shortWalk.Fill(out, start, bandTo);
    for (int w = bandFrom; w <= bandTo; ++w) {
      const double x = static_cast<double>(w);
      const double a = (pair->BandHigh - x) / (pair->BandHigh - pair->BandLow);
      double& value = out[w - start];
      value = value * a + longWalk.At(x) * (1.0 - a);
    }
    const int longFrom = std::max(start, bandTo + 1);
    longWalk.Fill(out + (longFrom - start), longFrom, end);
  }

  MaxValue = MinValue = Values.front();
  for (double v : Values) {
    if (v > MaxValue) MaxValue = v;
    if (v < MinValue) MinValue = v;
  }
}

}  // namespace spectrel
