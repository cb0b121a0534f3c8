// The texts the measurement control shows: the stop question, the sensors' status texts and the
// interval dialog's titles, in English and Japanese (UTF-8), keyed by their string-table ids.
#pragma once

#include <string>

#include "sensor/sensor_driver.h"
#include "sensor/status_report.h"

namespace spectrel {

enum StatusTextId : int {
  TextStopQuestion = 61447,     // "Stop Interval Measurement"
  TextGettingInfo = 61449,      // "Getting the sensor information"
  TextMeasuring = 61450,
  TextMeasureOk = 61451,
  TextMeasureFailed = 61452,
  TextRetrying = 61453,
  TextInfoStatusFirst = 61454,  // InfoStatus 0..6 are 61454..61460
  TextInfoStatusLast = 61460,
  TextIntervalTitle = 61461,    // "Interval Measurement"
  TextManualTitle = 61462,      // "Manual Measurement"
  TextReconnecting = 61463,     // a lost sensor is being brought back
};

// The text of an id in the language; empty for an id without a text.
const std::string& MeasureText(int id, Language language);

// The text of an identification state (InfoStatus 0..6); empty outside.
std::string StatusMessage(int code, Language language);

// Display name of a model ("SR-101" .. "SR-104"); empty outside 0..3.
std::string ModelDisplayName(int model);

}  // namespace spectrel
