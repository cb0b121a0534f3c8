#include "measure/day_load.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "measure/interval_schedule.h"
#include "spectrum/model_table.h"

namespace spectrel {

DayLoad DayLoadOf(const AppSettings& settings, const ModelSet& used, std::int64_t t, DayStore::Kept kept) {
  double perPoint = 0;
  for (int model = 0; model < ModelCount; ++model)
    if (used[static_cast<std::size_t>(model)]) perPoint += 8.0 * Models[static_cast<std::size_t>(model)].Pixels;
  const IntervalSchedule schedule = IntervalSchedule::Of(settings);
  DayLoad load;
  load.Points = schedule.OnDay(t);
  load.FileBytes = perPoint * static_cast<double>(load.Points);
  const std::int64_t hourPoints = std::min(load.Points, (3600 + schedule.Interval() - 1) / schedule.Interval());
  load.MemoryBytes = kept == DayStore::Kept::WholeDay ? load.FileBytes : perPoint * static_cast<double>(hourPoints);
  return load;
}

double MachineMemoryBytes() {
  return static_cast<double>(::sysconf(_SC_PHYS_PAGES)) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

std::optional<std::string> DayLoadWarning(const DayLoad& load, double memoryBytes,
                                          std::optional<std::int64_t> freeBytes) {
  const bool memory = load.MemoryBytes > memoryBytes / 2;
  const bool disk = freeBytes && load.FileBytes > static_cast<double>(*freeBytes);
  if (!memory && !disk) return std::nullopt;
  char text[256];
  std::snprintf(text, sizeof text,
                "a day at this interval is %lld points: about %.0f MB of day file and %.0f MB in memory, more than %s; "
                "choose a longer interval or fewer sensors",
                static_cast<long long>(load.Points), load.FileBytes / 1e6, load.MemoryBytes / 1e6,
                memory ? "this machine can hold" : "the data folder's disk has free");
  return std::string(text);
}

}  // namespace spectrel
