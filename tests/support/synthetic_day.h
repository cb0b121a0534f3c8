// Synthetic instruments and measurements for tests and benchmarks: plausible axes, calibration and
// spectra made from simple formulas, so expected values can be computed independently.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "spectrum/records.h"

namespace spectrel::testing {

// "SSR101-0042" and so on, built by appending (GCC 12 warns falsely on chained concatenation).
inline std::string SerialText(int model) {
  std::string text = "S";
  text.append(Models[model].Tag);
  text.append("-0042");
  return text;
}

// Axis coefficients giving about 300-1100 nm (SR-101/102) or 900-1700/1800 nm (SR-103/104).
inline SensorInfo MakeSensorInfo(int model) {
  SensorInfo info(model);
  const int n = Models[model].Pixels;
  const double first = Models[model].ShortWavelength ? 300.4 : 899.6;
  const double last = model == SR101 || model == SR102 ? 1100.2 : (model == SR103 ? 1700.3 : 1800.7);
  const double c1 = (last - first) / (n - 1);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", first - c1);
  info.Coef[0] = buf;
  std::snprintf(buf, sizeof buf, "%.9f", c1);
  info.Coef[1] = buf;
  for (size_t c = 2; c < info.Coef.size(); ++c) info.Coef[c] = "0";
  info.SerialNo = SerialText(model);
  info.SensorId = "ID";
  info.SensorId += static_cast<char>('1' + model);
  info.SensorType = std::string(Models[model].Name);
  info.FirmwareVersion = "1.80";
  info.FirmwareTime = "2019/04/01 12:00:00";
  ComputeWavelengths(info);
  for (int k = 0; k < n; ++k) info.Calib[static_cast<size_t>(k)] = 0.05f + 0.0001f * static_cast<float>(k % 97);
  return info;
}

// A measurement whose light and dark spectra follow smooth formulas of the pixel and the seed.
inline SensorMeasurement MakeMeasurement(int model, std::int64_t time, int seed = 0) {
  SensorMeasurement m(model);
  const int n = Models[model].Pixels;
  m.SerialNo = SerialText(model);
  m.MeasureTime = time;
  m.ExposureMs = model == SR104 ? 30 : 100;
  for (int i = 0; i < Models[model].StatusIntCount; ++i) m.StatusInt[static_cast<size_t>(i)] = (i + seed) % 3 - 1;
  for (int i = 0; i < Models[model].StatusFloatCount; ++i)
    m.StatusFloat[static_cast<size_t>(i)] = static_cast<float>(20.25 + i * 1.5 + seed * 0.1);
  if (model == SR104) m.StatusFloat[6] = NoSecondTemperature;
  for (int k = 0; k < n; ++k) {
    const double x = static_cast<double>(k) / n;
    m.Light[static_cast<size_t>(k)] =
        static_cast<float>(1000.0 + 90000.0 * std::sin(3.14159 * x) * (1.0 + 0.01 * seed));
    m.Dark[static_cast<size_t>(k)] = static_cast<float>(500.0 + (k * 7 + seed) % 50);
  }
  return m;
}

// A day of points every interval seconds from start, holding the given models' blocks and infos.
inline CKrfData MakeDay(const std::vector<int>& models, int points, std::int64_t start,
                        std::int64_t interval) {
  CKrfData day;
  day.SiteName = "Test Site";
  day.SiteLon = "139.750";
  day.SiteLat = "35.680";
  day.SiteAlt = "40.0";
  day.TimeZone = "+9";
  for (int model : models) day.SetInfo(model, MakeSensorInfo(model));
  for (int p = 0; p < points; ++p) {
    CRad rad;
    rad.MeasureTime = start + p * interval;
    rad.Memo = "Arvena Solmet";
    for (int model : models) rad.SetBlock(model, MakeMeasurement(model, rad.MeasureTime, p));
    day.AppendRad(rad);
  }
  return day;
}

}  // namespace spectrel::testing
