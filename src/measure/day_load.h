// What a day of interval measurement takes: the document holds every point's raw spectra in
// memory (light and dark, four bytes a pixel, for each sensor in use) and the day file as much
// again on disk. A 1-s interval of SR-102 and SR-104 around the clock is 86,400 points: about
// 1.6 GB in memory and 1.6 GB of day file a day, which no small station carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measure/port_supply.h"
#include "settings/app_settings.h"

namespace spectrel {

struct DayLoad {
  std::int64_t Points = 0;   // boundaries of the day at t
  double Bytes = 0;          // the day's spectra, in memory and (about as much) in its day file
};

DayLoad DayLoadOf(const AppSettings& settings, const ModelSet& used, std::int64_t t);

// The warning for the operator when the day cannot be carried: more than half the machine's
// memory, or more than the free space of the data folder's disk; none when it can.
std::optional<std::string> DayLoadWarning(const DayLoad& load, double memoryBytes,
                                          std::optional<std::int64_t> freeBytes);

}  // namespace spectrel
