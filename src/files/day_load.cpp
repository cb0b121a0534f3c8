#include "files/day_load.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

namespace spectrel {

std::string DayLoadErrorText(DayLoadError error) {
  switch (error) {
    case DayLoadError::None: return "";
    case DayLoadError::NotDayFile: return "not a day file";
    case DayLoadError::Unreadable: return "cannot be read";
    case DayLoadError::Missing: return "no such file";
    case DayLoadError::OutOfMemory: return "out of memory";
    case DayLoadError::BadTime: return "damaged day file";
    case DayLoadError::NoPoints: return "holds no measurement point";
  }
  return "cannot be read";
}

std::string LoadedDay::ErrorText() const {
  return DayLoadErrorText(Error) + (Detail.empty() ? "" : ": " + Detail);
}

std::string LoadedDay::TailText() const {
  if (!Read.TailDamaged) return {};
  return "cut short after byte " + std::to_string(Read.CompleteEnd) + " of " + std::to_string(Read.Size) +
         " (the rest is not a complete block)";
}

LoadedDay LoadDay(const std::string& path, const std::optional<StationZone>& zone, KrfReadMode mode) {
  LoadedDay day;
  try {
    errno = 0;
    day.Error = LoadKrf(day.Set, path, &day.Read, mode).Error;
    // The system's reason where it gave one; a folder or a device opens but is no file to read.
    if (day.Error == DayLoadError::Unreadable) day.Detail = errno != 0 ? std::strerror(errno) : "not a regular file";
  } catch (const KrfTimeError& e) {
    day.Error = DayLoadError::BadTime;
    day.Detail = e.what();
  } catch (const std::bad_alloc&) {
    day.Error = DayLoadError::OutOfMemory;
  } catch (const std::exception& e) {
    day.Error = DayLoadError::Unreadable;
    day.Detail = e.what();
  }
  day.Clocks = std::move(day.Read.PointClocks);
  day.Read.PointClocks.clear();
  day.Times = DayTimesToUtc(day.Clocks, day.Set.TimeZone, zone);
  return day;
}

}  // namespace spectrel
