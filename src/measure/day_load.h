// What a day of interval measurement takes: each point's raw spectra (light and dark, four bytes a
// pixel, for each sensor in use) go into the day file, and the document holds them in memory for
// the whole day (a desktop) or for the hour being measured (a station that only stores). A 1-s
// interval of SR-102 and SR-104 around the clock is 86,400 points: about 1.6 GB of day file a day,
// 1.6 GB in a desktop's memory by midnight and 66 MB in a station's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measure/day_store.h"
#include "measure/port_supply.h"
#include "settings/app_settings.h"

namespace spectrel {

struct DayLoad {
  std::int64_t Points = 0;   // boundaries of the day at t
  double FileBytes = 0;      // the day's spectra in its day file (about)
  double MemoryBytes = 0;    // the spectra the document holds at most: the day's, or its fullest hour's
};

DayLoad DayLoadOf(const AppSettings& settings, const ModelSet& used, std::int64_t t, DayStore::Kept kept);

// The physical memory of this machine, bytes.
double MachineMemoryBytes();

// The warning for the operator when the day cannot be carried: more than half the machine's
// memory, or more than the free space of the data folder's disk; none when it can.
std::optional<std::string> DayLoadWarning(const DayLoad& load, double memoryBytes,
                                          std::optional<std::int64_t> freeBytes);

}  // namespace spectrel
