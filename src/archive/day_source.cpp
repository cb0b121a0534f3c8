#include "files/krf_file.h"
#include "archive/day_source.h"

#include <exception>
#include <utility>

namespace spectrel::archive {

namespace {

const char* LoadFailure(int result) {
  switch (result) {
    case -1: return "not a day file (empty or wrong first line)";
    case -2: return "cannot be read";
    case -3: return "no such file";
    case -4: return "out of memory";
    default: return "cannot be loaded";
  }
}

}  // namespace

std::string TailDamage(const KrfReadReport& read) {
  if (!read.TailDamaged) return {};
  return "day file cut short after byte " + std::to_string(read.CompleteEnd) + " of " +
         std::to_string(read.Size) + ": the rest is not a complete block and is not converted";
}

bool LoadDayFile(const std::string& path, const std::optional<StationZone>& zone, ArchiveDay& day,
                 std::string& error) {
  int result = 0;
  KrfReadReport report;
  try {
    result = LoadKrf(day.Set, path, &report);
  } catch (const KrfTimeError& e) {
    error = std::string("damaged day file: ") + e.what();
    return false;
  } catch (const std::exception& e) {
    error = std::string("cannot be loaded: ") + e.what();
    return false;
  }
  if (result < 0) {
    error = LoadFailure(result);
    return false;
  }
  if (result == 0) {
    error = "holds no measurement point";
    return false;
  }
  day.Clocks = std::move(report.PointClocks);
  day.Read = std::move(report);
  day.Times = DayTimesToUtc(day.Clocks, day.Set.TimeZone, zone);
  if (day.Read.TailDamaged) day.Times.Warnings.push_back(TailDamage(day.Read));
  return true;
}

}  // namespace spectrel::archive
