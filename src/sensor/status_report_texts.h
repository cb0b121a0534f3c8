// The line formats of the sensor status report in English and Japanese (UTF-8). The Japanese
// lines keep the placeholders of their English partners in the same order.
#pragma once

#include "sensor/status_report.h"

namespace spectrel {

struct ReportLineTexts {
  const char* Exposure;         // %d ms
  const char* SensorTemp;       // %.1f deg
  const char* SupplyVoltShort;  // %.1f V, SR-101/SR-102
  const char* SupplyVoltLong;   // %.1f V, SR-103/SR-104
  const char* PeltierStatus;    // %s
  const char* PeltierVoltShort; // %.1f V, SR-101/SR-102
  const char* PeltierVoltLong;  // %.1f V, SR-103/SR-104
  const char* PeltierCurr;      // %.1f A
  const char* DarkCounts;       // %.1f counts per second
  const char* SensorCooling;    // %s
  const char* FinStatus;        // %s
  const char* FinTemp;          // %.1f deg
  const char* InternalTemp;     // %.1f deg
  const char* InternalTemp2;    // %.1f deg, SR-104 only
  const char* Heating;          // Peltier driven +1
  const char* Cooling;          // Peltier driven -1
  const char* PeltierStop;      // Peltier at rest
  const char* CoolingActive;    // sensor cooling running
  const char* CoolingStop;      // sensor cooling at rest
  const char* FinNormal;        // heat sink fin within limits
  const char* FinOverheat;      // heat sink fin too hot
};

const ReportLineTexts& ReportLines(Language language);

}  // namespace spectrel
