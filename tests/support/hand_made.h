// Hand-made instruments for exact expectations: evenly spaced axes whose wavelengths are exact in
// single precision, and spectra given pixel by pixel.
#pragma once

#include <cstdint>
#include <functional>

#include "spectrum/records.h"

namespace spectrel::testing {

// Axis first + step * k for pixel k, every calibration factor = calib.
inline SensorInfo AxisInfo(int model, float first, float step, float calib = 1.0f) {
  SensorInfo info(model);
  info.SensorType = std::string(Models[model].Name);
  for (size_t k = 0; k < info.Wavelength.size(); ++k) {
    info.Wavelength[k] = first + step * static_cast<float>(k);
    info.Calib[k] = calib;
  }
  return info;
}

// A block whose light signal of pixel k is light(k) and whose dark signal is dark.
inline SensorMeasurement SpectrumBlock(int model, const std::function<float(int)>& light,
                                       float dark = 0.0f) {
  SensorMeasurement m(model);
  for (size_t k = 0; k < m.Light.size(); ++k) {
    m.Light[k] = light(static_cast<int>(k));
    m.Dark[k] = dark;
  }
  return m;
}

// A block of constant irradiance value (with calibration 1).
inline SensorMeasurement FlatBlock(int model, float value) {
  return SpectrumBlock(model, [value](int) { return value; });
}

// A set with one CRad at time holding the given blocks; models without a block get no info unless
// listed in infos.
struct HandSet {
  CKrfData Set;
  CRad Point;
  void Info(const SensorInfo& info) { Set.SetInfo(info.Model, info); }
  void Block(const SensorMeasurement& m) { Point.SetBlock(m.Model, m); }
  int Append(std::int64_t time = 0) {
    Point.MeasureTime = time;
    const int j = Set.AppendRad(Point);
    Point = CRad();
    return j;
  }
};

// Every model on an exact axis of its own: SR-101 300.5 + 0.75 k, SR-102 310.5 + 0.375 k,
// SR-103 899.5 + 1.5 k, SR-104 905.5 + 3.5 k nm.
inline HandSet FourAxes() {
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
  hand.Info(AxisInfo(SR102, 310.5f, 0.375f));
  hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
  hand.Info(AxisInfo(SR104, 905.5f, 3.5f));
  return hand;
}

}  // namespace spectrel::testing
