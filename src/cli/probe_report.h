// What one probe of a sensor found, as text for a person or as JSON for scripts: the sensor's
// information and one measurement, or the reason it failed.
#pragma once

#include <optional>
#include <string>

#include "spectrum/records.h"

namespace spectrel::cli {

struct ProbeResult {
  int Model = 0;                                  // ModelIndex probed
  std::string Port;                               // port designation as given
  bool Ok = false;                                // identified and measured
  int InfoStatus = 0;                             // identification result code 0..6
  std::string StatusText;                         // failure text, or the text of success
  std::optional<SensorInfo> Info;                 // present once the queries were answered
  std::optional<SensorMeasurement> Measurement;   // present after a complete measurement
};

// Human-readable lines, numbers in the C locale, times in local time "%Y/%m/%d %H:%M:%S".
std::string ProbeText(const ProbeResult& result);

// One JSON object with a fixed key order; non-finite reals as null.
std::string ProbeJson(const ProbeResult& result);

}  // namespace spectrel::cli
