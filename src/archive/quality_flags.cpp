#include "archive/quality_flags.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "spectrum/grid_walk.h"

namespace spectrel::archive {

namespace {

// The longest exposure of the automatic exposure table, ms.
int LongestExposureMs() {
  int longest = 0;
  for (int ms : ExposureTable) longest = std::max(longest, ms);
  return longest;
}

bool SaturatedBlock(const SensorMeasurement& m) {
  if (Models[static_cast<std::size_t>(m.Model)].SaturationLimit == 0) return false;
  int zeroed = 0;
  const std::size_t n = std::min(m.Light.size(), m.Dark.size());
  for (std::size_t k = 0; k < n; ++k)
    if (m.Light[k] == 0.0f && m.Dark[k] == 0.0f) ++zeroed;
  return zeroed >= QualityThreshold(Saturated);
}

bool TooDarkBlock(const SensorMeasurement& m) {
  const int lower = Models[static_cast<std::size_t>(m.Model)].LowerLimit;
  if (lower == 0 || m.ExposureMs < LongestExposureMs() || m.Light.empty()) return false;
  const double peakRate = *std::max_element(m.Light.begin(), m.Light.end());
  const double peakCounts = peakRate * m.ExposureMs / 1000.0;
  return peakCounts <= lower * QualityThreshold(TooDark);
}

bool CoolingMissed(const SensorMeasurement& m) {
  if (Models[static_cast<std::size_t>(m.Model)].ShortWavelength) return false;
  return m.StatusInt[1] != 0 || m.StatusFloat[0] > QualityThreshold(CoolingNotReached);
}

bool NegativeBeyondNoise(std::span<const float> grid) {
  const double limit = QualityThreshold(NegativeIrradiance);
  return std::any_of(grid.begin(), grid.end(), [limit](float v) { return v < limit; });
}

// Mean interpolated irradiance of a sensor over whole nm of the band.
double BandMean(const SensorWalk& sensor, const MergePair& pair) {
  double sum = 0.0;
  int count = 0;
  for (double w = std::ceil(pair.BandLow); w <= pair.BandHigh; w += 1.0, ++count) sum += sensor.At(w);
  return count > 0 ? sum / count : 0.0;
}

bool SeamDisagrees(const CKrfData& day, const CRad& rad) {
  const MergePair* pair = ResampleSource(rad).Pair;
  if (pair == nullptr) return false;
  const double s = BandMean(SensorWalk(rad.Block(pair->Short), day.Info(pair->Short)), *pair);
  const double l = BandMean(SensorWalk(rad.Block(pair->Long), day.Info(pair->Long)), *pair);
  const double larger = std::max(std::fabs(s), std::fabs(l));
  if (larger < SeamJudgedFromWm2um) return false;
  return std::fabs(s - l) / larger * 100.0 > QualityThreshold(SeamMismatch);
}

// The integral's range reaches past what the point's spectrum covers, at either end, by more than
// the threshold (or the spectrum covers nothing of it).
bool IntegralPartly(const DayGrid& grid, std::size_t p) {
  if (grid.CoveredFrom[p] == NoWavelength) return true;
  const double slack = QualityThreshold(IntegralPartial);
  return grid.CoveredFrom[p] - grid.IntegFrom > slack || grid.IntegTo - grid.CoveredTo[p] > slack;
}

}  // namespace

double QualityThreshold(QualityBit bit) {
  for (const QualityFlagRule& rule : QualityFlagTable)
    if (rule.Mask == bit) return rule.Threshold;
  return 0.0;
}

std::int16_t QualityFlags(const CKrfData& day, int j, const DayGrid& grid, std::optional<double> zenithDeg) {
  const CRad& rad = day.Rad(j);
  int flags = 0;
  if (PointFailed(day, rad)) flags |= SensorMissing;
  for (int model = SR101; model <= SR104; ++model) {
    const SensorMeasurement* m = rad.Block(model);
    if (m == nullptr) continue;
    if (SaturatedBlock(*m)) flags |= Saturated;
    if (TooDarkBlock(*m)) flags |= TooDark;
    if (CoolingMissed(*m)) flags |= CoolingNotReached;
  }
  if (NegativeBeyondNoise(grid.Row(j))) flags |= NegativeIrradiance;
  if (SeamDisagrees(day, rad)) flags |= SeamMismatch;
  if (zenithDeg && *zenithDeg > QualityThreshold(SunBelowHorizon)) flags |= SunBelowHorizon;
  if (IntegralPartly(grid, static_cast<std::size_t>(j))) flags |= IntegralPartial;
  return static_cast<std::int16_t>(flags);
}

}  // namespace spectrel::archive
