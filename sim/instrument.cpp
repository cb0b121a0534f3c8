#include "instrument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>

#include "sky.h"

namespace solmet_sim {
namespace {

constexpr int kMaxCount = 32767;
constexpr int kMinCount = -32768;
constexpr std::int16_t kStuckCount = 32767;  // a dead pixel reads full scale
// Dead pixels (0-based) of the instruments that carry a pixel map.
constexpr int kDeadPixels[] = {17, 100, 201};

std::string FormatCoefficient(double c) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9E", c);
  return text;
}

// Relative spectral response of the detector: a broad bell with a floor, so that no pixel's
// calibration factor grows without bound at the ends of the range.
double Response(const ModelDescription& model, double nm) {
  const double x = (nm - model.ResponsePeakNm) / model.ResponseWidthNm;
  return 0.04 + 0.96 * std::exp(-x * x);
}

}  // namespace

int ModelIndexOf(const char* name) {
  std::string compact;
  for (const char* p = name; *p; ++p) {
    if (*p != '-') compact += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  }
  for (int m = 0; m < static_cast<int>(kModels.size()); ++m) {
    if (compact == kModels[m].Tag) return m;
  }
  return -1;
}

Instrument::Instrument(int model) : Model_(kModels.at(model)) {
  const int n = Model_.Pixels;
  // Axis through pixel 1 at FirstNm and pixel N at LastNm with the model's curvature.
  const double c2 = Model_.Curvature, c3 = Model_.Cubic;
  const double nn = n;
  const double c1 = (Model_.LastNm - Model_.FirstNm - c2 * (nn * nn - 1.0) -
                     c3 * (nn * nn * nn - 1.0)) / (nn - 1.0);
  const double c0 = Model_.FirstNm - c1 - c2 - c3;
  const double coef[6] = {c0, c1, c2, c3, 0.0, 0.0};
  double parsed[6];
  for (int j = 0; j < 6; ++j) {
    Coefficients_.push_back(FormatCoefficient(coef[j]));
    parsed[j] = std::strtod(Coefficients_.back().c_str(), nullptr);
  }
  Wavelengths_.resize(n);
  for (int i = 1; i <= n; ++i) {
    const double x = i;
    Wavelengths_[i - 1] = parsed[0] + parsed[1] * x + parsed[2] * x * x + parsed[3] * x * x * x +
                          parsed[4] * x * x * x * x + parsed[5] * x * x * x * x * x;
  }

  // Calibration: the inverse of the response, scaled so that the noon sun peaks at the model's
  // design count; a faint ripple stands for the pixel-to-pixel differences of a real array.
  double brightest = 0.0;
  for (int k = 0; k < n; ++k) {
    brightest = std::max(brightest, NoonIrradiance(Wavelengths_[k]) * Response(Model_, Wavelengths_[k]));
  }
  const double wanted = Model_.NoonPeakCounts - DarkCount(0, Model_.DesignExposureMs);
  const double scale = brightest * Model_.DesignExposureMs / 1000.0 / wanted;
  Calibration_.resize(n);
  NoonRates_.resize(n);
  for (int k = 0; k < n; ++k) {
    const double ripple = 1.0 + 0.01 * std::sin(0.37 * k);
    Calibration_[k] = static_cast<float>(scale / Response(Model_, Wavelengths_[k]) * ripple);
    NoonRates_[k] = NoonIrradiance(Wavelengths_[k]) / Calibration_[k];
  }

  PixelMap_.assign(n, 1);
  if (Model_.HasPixelMap) {
    for (int k : kDeadPixels) {
      if (k < n) PixelMap_[k] = 0;
    }
  }
}

double Instrument::DarkCount(int k, int ms) const {
  // A fixed pattern of a few tens of counts over the offset, and the dark current.
  const double pattern = 25.0 * std::sin(0.11 * k) + 10.0 * std::cos(1.7 * k);
  return Model_.DarkLevel + pattern + Model_.DarkCurrent * ms / 1000.0;
}

std::vector<std::int16_t> Instrument::Take(const Exposure& exposure, std::mt19937& rng) const {
  const int n = Model_.Pixels;
  const double seconds = exposure.Ms / 1000.0;
  std::vector<double> signal(n, 0.0);
  const bool steered = exposure.ShutterOpen && exposure.PeakCounts;
  if (exposure.ShutterOpen) {
    double factor = 0.0;
    switch (exposure.LightKind) {
      case Light::Sun: factor = exposure.DaylightFraction; break;
      case Light::Bright: factor = 500.0; break;
      case Light::Night: factor = 0.0; break;
    }
    if (steered) factor = 1.0;  // the shape of the noon sun, scaled below
    for (int k = 0; k < n; ++k) signal[k] = NoonRates_[k] * seconds * factor;
  }

  std::vector<double> counts(n);
  std::normal_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < n; ++k) {
    const double sigma = std::sqrt(9.0 + 0.25 * signal[k]);  // read noise and shot noise
    counts[k] = DarkCount(k, exposure.Ms) + sigma * unit(rng);
  }

  double ceiling = kMaxCount;  // 16-bit converter, or the steered peak
  if (steered) {
    // Scale the light so that its brightest pixel lands exactly on the wanted count; noise may
    // lift a neighbour above it, so everything is capped there.
    ceiling = std::clamp(exposure.PeakCounts(exposure.Ms), kMinCount, kMaxCount);
    const auto top = std::max_element(signal.begin(), signal.end()) - signal.begin();
    const double gain = (ceiling - std::round(counts[top])) / signal[top];
    for (int k = 0; k < n; ++k) counts[k] += signal[k] * gain;
    counts[top] = ceiling;
  } else {
    for (int k = 0; k < n; ++k) counts[k] += signal[k];
  }

  std::vector<std::int16_t> out(n);
  for (int k = 0; k < n; ++k) {
    const double c = PixelMap_[k] ? std::round(counts[k]) : kStuckCount;
    out[k] = static_cast<std::int16_t>(std::clamp(c, double{kMinCount}, ceiling));
  }
  return out;
}

}  // namespace solmet_sim
