#include "sensor/auto_exposure.h"

#include <algorithm>

namespace spectrel {

int LongestExposureIndex() {
  int last = 0;
  while (last + 1 < static_cast<int>(ExposureTable.size()) && ExposureTable[static_cast<size_t>(last + 1)] != 0)
    ++last;
  return last;
}

int ClampExposureIndex(int index) { return std::clamp(index, 0, LongestExposureIndex()); }

ExposureStep DecideExposure(int peak, int index, const ModelDescription& model) {
  if (peak > model.LowerLimit) {
    if (peak < model.SaturationLimit || index <= 0) return ExposureStep::Accept;
    return ExposureStep::Shorter;
  }
  if (index >= LongestExposureIndex()) return ExposureStep::Accept;
  return ExposureStep::Longer;
}

void ApplyPixelMap(std::int16_t* counts, const std::uint8_t* map, int pixels) {
  for (int k = 0; k < pixels; ++k)
    if (map[k] == 0) counts[k] = 0;
}

void CountsToRates(const std::int16_t* light, const std::int16_t* dark, int pixels, int exposureMs,
                   int saturationLimit, float* lightRate, float* darkRate) {
  const double seconds = exposureMs / 1000.0;
  for (int k = 0; k < pixels; ++k) {
    if (saturationLimit > 0 && light[k] > saturationLimit) {
      lightRate[k] = 0.0f;
      darkRate[k] = 0.0f;
    } else {
      lightRate[k] = static_cast<float>(light[k] / seconds);
      darkRate[k] = static_cast<float>(dark[k] / seconds);
    }
  }
}

}  // namespace spectrel
