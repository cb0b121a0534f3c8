#include "measure/day_load.h"

#include <cstdio>

#include "measure/interval_schedule.h"
#include "spectrum/model_table.h"

namespace spectrel {

DayLoad DayLoadOf(const AppSettings& settings, const ModelSet& used, std::int64_t t) {
  double perPoint = 0;
  for (int model = 0; model < ModelCount; ++model)
    if (used[static_cast<std::size_t>(model)]) perPoint += 8.0 * Models[static_cast<std::size_t>(model)].Pixels;
  DayLoad load;
  load.Points = IntervalSchedule::Of(settings).OnDay(t);
  load.Bytes = perPoint * static_cast<double>(load.Points);
  return load;
}

std::optional<std::string> DayLoadWarning(const DayLoad& load, double memoryBytes,
                                          std::optional<std::int64_t> freeBytes) {
  const bool memory = load.Bytes > memoryBytes / 2;
  const bool disk = freeBytes && load.Bytes > static_cast<double>(*freeBytes);
  if (!memory && !disk) return std::nullopt;
  char text[256];
  std::snprintf(text, sizeof text,
                "a day at this interval is %lld points: about %.0f MB in memory and as much of day file, more than %s; "
                "choose a longer interval or fewer sensors",
                static_cast<long long>(load.Points), load.Bytes / 1e6,
                memory ? "this machine can hold" : "the data folder's disk has free");
  return std::string(text);
}

}  // namespace spectrel
