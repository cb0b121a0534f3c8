// What one probe of a sensor found, as text for a person or as JSON for scripts: the sensor's
// information and one measurement, or the reason it failed.
#pragma once

#include <optional>
#include <string>

#include "spectrum/records.h"

namespace spectrel {

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

// One JSON object with a fixed key order; numbers in the C locale, non-finite reals as null,
// bytes outside printable ASCII escaped as \u00XX.
std::string ProbeJson(const ProbeResult& result);

// Local time "%Y/%m/%d %H:%M:%S" of seconds since 1970; empty when it cannot be converted.
std::string LocalTimeText(std::int64_t seconds);

}  // namespace spectrel
