// One simulated instrument: its wavelength axis, calibration, pixel map and the spectra it takes.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "models.h"
#include "solmet_sim.h"

namespace solmet_sim {

// What one "GM" is taken under.
struct Exposure {
  int Ms = 10;                                // exposure time, ms
  bool ShutterOpen = false;                   // false: dark spectrum only
  Light LightKind = Light::Sun;
  double DaylightFraction = 1.0;              // 0..1 of the noon sun, used with Light::Sun
  std::function<int(int exposureMs)> PeakCounts;  // when set, fixes the largest light count
};

class Instrument {
 public:
  explicit Instrument(int model);

  const ModelDescription& Model() const { return Model_; }
  // "C0".."C5" reply texts.
  const std::vector<std::string>& Coefficients() const { return Coefficients_; }
  // Wavelength of pixel 1..N (index 0..N-1), nm, from the coefficient texts.
  const std::vector<double>& Wavelengths() const { return Wavelengths_; }
  // Conversion factor per pixel, W/m2/um per count/s ("CALB").
  const std::vector<float>& Calibration() const { return Calibration_; }
  // One byte per pixel, 0 for a dead pixel ("PXSB"); all 1 for models without a map.
  const std::vector<std::uint8_t>& PixelMap() const { return PixelMap_; }
  // Light signal of each pixel under the noon sun, counts per second (dark excluded).
  const std::vector<double>& NoonRates() const { return NoonRates_; }
  // Mean dark count of pixel k at an exposure of ms.
  double DarkCount(int k, int ms) const;

  // Counts of one spectrum (16-bit signed, clipped), noise drawn from rng.
  std::vector<std::int16_t> Take(const Exposure& exposure, std::mt19937& rng) const;

 private:
  ModelDescription Model_;
  std::vector<std::string> Coefficients_;
  std::vector<double> Wavelengths_;
  std::vector<float> Calibration_;
  std::vector<std::uint8_t> PixelMap_;
  std::vector<double> NoonRates_;
};

}  // namespace solmet_sim
