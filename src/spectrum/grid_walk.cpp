#include "spectrum/grid_walk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace spectrel {

namespace {

// Integer part of a pixel index estimate, kept inside 0..hi so that a damaged axis (flat steps,
// not a number) cannot push the search off the array.
int ClampedIndex(double estimate, int hi) {
  if (!(estimate > 0.0)) return 0;   // also catches not-a-number
  if (estimate >= static_cast<double>(hi)) return hi;
  return static_cast<int>(estimate);
}

bool NeverDescends(const float* axis, int n) {
  // Without an early exit the comparison runs on whole arrays; not a number fails it.
  bool ascending = true;
  for (int i = 1; i < n; ++i) ascending &= axis[i - 1] <= axis[i];
  return ascending;
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

SensorWalk::SensorWalk(const SensorMeasurement* block, const SensorInfo* info) {
  if (block == nullptr || info == nullptr || info->Wavelength.size() < 2) return;   // 0 everywhere
  Block = block;
  Info = info;
  Axis = info->Wavelength.data();
  N = static_cast<int>(info->Wavelength.size());
  // A record read from a damaged file may hold fewer values than its axis.
  Usable = static_cast<int>(std::min({block->Light.size(), block->Dark.size(), info->Calib.size(),
                                      info->Wavelength.size()}));
}

// Irradiance at w between pixels k and k+1, in double from the pixels' single-precision values.
double SensorWalk::Between(int k, double w) const {
  if (k < 0 || k + 1 >= Usable) return 0.0;
  const double e0 = PixelIrradiance(*Block, *Info, k);
  const double e1 = PixelIrradiance(*Block, *Info, k + 1);
  const double w0 = Axis[k];
  const double w1 = Axis[k + 1];
  if (w1 == w0) return e0;   // a flat axis step (damaged coefficients): no slope to follow
  return e0 + (e1 - e0) * (w - w0) / (w1 - w0);
}

double SensorWalk::At(double w) const {
  if (Axis == nullptr) return 0.0;
  return Between(BracketSearch(Info->Wavelength, w), w);
}

void SensorWalk::Fill(double* out, int from, int to) {
  if (Axis != nullptr && !Ascending) Ascending = NeverDescends(Axis, N);
  if (Axis == nullptr || !*Ascending) {
    for (int w = from; w <= to; ++w) out[w - from] = At(w);
    return;
  }
  const double first = Axis[0];
  const double last = Axis[N - 1];
  int w = from;
  for (; w <= to && !(w >= first); ++w) out[w - from] = 0.0;
  int k = K;
  while (w <= to && w <= last) {
    while (k < N - 2 && w >= static_cast<double>(Axis[k + 1])) ++k;
    // The pair serves up to its upper pixel; the last pair also at the last pixel itself.
    const double w0 = Axis[k];
    const double w1 = Axis[k + 1];
    const bool lastPair = k == N - 2;
    if (k + 1 >= Usable) {
      for (; w <= to && (w < w1 || (lastPair && w <= last)); ++w) out[w - from] = 0.0;
      continue;
    }
    // Between() with the pair's two pixels taken once.
    const double e0 = PixelIrradiance(*Block, *Info, k);
    const double e1 = PixelIrradiance(*Block, *Info, k + 1);
    for (; w <= to && (w < w1 || (lastPair && w <= last)); ++w)
      out[w - from] = w1 == w0 ? e0 : e0 + (e1 - e0) * (w - w0) / (w1 - w0);
  }
  K = k;
  for (; w <= to; ++w) out[w - from] = 0.0;
}

GridSource ResampleSource(const CRad& rad) {
  GridSource source;
  source.Pair = FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; });
  if (source.Pair == nullptr)
    for (int model = SR104; model >= SR101 && source.Model < 0; --model)
      if (rad.Block(model) != nullptr) source.Model = model;
  return source;
}

GridSource MergeSource(const CRad& rad) {
  GridSource source;
  source.Pair = FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; });
  if (source.Pair == nullptr)
    for (int model = SR101; model <= SR104 && source.Model < 0; ++model)
      if (rad.Block(model) != nullptr) source.Model = model;
  return source;
}

GridWalk::GridWalk(const CKrfData& set, const CRad& rad, GridSource source) : Source(source) {
  if (source.Empty()) return;
  Short = SensorWalk(rad.Block(source.ShortModel()), set.Info(source.ShortModel()));
  if (source.Pair != nullptr) Long = SensorWalk(rad.Block(source.LongModel()), set.Info(source.LongModel()));
}

double GridWalk::At(double w) const {
  const MergePair* pair = Source.Pair;
  if (pair == nullptr) return Short.At(w);
  if (w < pair->BandLow) return Short.At(w);
  if (w > pair->BandHigh) return Long.At(w);
  // Linear cross-fade: the short sensor's weight is 1 at the lower band edge and 0 at the upper.
  const double a = (pair->BandHigh - w) / (pair->BandHigh - pair->BandLow);
  return Short.At(w) * a + Long.At(w) * (1.0 - a);
}

void GridWalk::Fill(double* out, int from, int to) {
  const MergePair* pair = Source.Pair;
  if (pair == nullptr) {
    Short.Fill(out, from, to);
    return;
  }
  // The short sensor below the seam band, the long one above it, the cross-fade of both (as At()
  // makes it) within.
  const int bandFrom = std::max(from, static_cast<int>(std::ceil(pair->BandLow)));
  const int bandTo = std::min(to, static_cast<int>(std::floor(pair->BandHigh)));
  Short.Fill(out, from, bandTo);
  // The long sensor across the band, walked like the rest of its axis (a band is at most a hundred
  // nm wide; a wider one is searched value by value).
  std::array<double, 128> longBand;
  const bool walkBand = bandTo - bandFrom < static_cast<int>(longBand.size());
  if (walkBand && bandFrom <= bandTo) Long.Fill(longBand.data(), bandFrom, bandTo);
  for (int w = bandFrom; w <= bandTo; ++w) {
    const double x = static_cast<double>(w);
    const double a = (pair->BandHigh - x) / (pair->BandHigh - pair->BandLow);
    double& value = out[w - from];
    value = value * a + (walkBand ? longBand[static_cast<size_t>(w - bandFrom)] : Long.At(x)) * (1.0 - a);
  }
  const int longFrom = std::max(from, bandTo + 1);
  if (longFrom <= to) Long.Fill(out + (longFrom - from), longFrom, to);
}

double InterpolatedIrradiance(const CKrfData& set, int model, int j, double w) {
  const CRad& rad = set.Rad(j);
  return SensorWalk(rad.Block(model), set.Info(model)).At(w);
}

double MergedValue(const CKrfData& set, int j, double w) {
  const CRad& rad = set.Rad(j);
  return GridWalk(set, rad, MergeSource(rad)).At(w);
}

}  // namespace spectrel
