#include "archive/day_source.h"

namespace spectrel::archive {

std::string TailDamage(const KrfReadReport& read) {
  if (!read.TailDamaged) return {};
  return "day file cut short after byte " + std::to_string(read.CompleteEnd) + " of " +
         std::to_string(read.Size) + ": the rest is not a complete block and is not converted";
}

bool LoadDayFile(const std::string& path, const std::optional<StationZone>& zone, ArchiveDay& day,
                 std::string& error) {
  day = LoadDay(path, zone);
  if (day.Loaded() && day.Set.RadCount() == 0) day.Error = DayLoadError::NoPoints;
  if (!day.Loaded()) {
    error = day.ErrorText();
    return false;
  }
  if (day.Read.TailDamaged) day.Times.Warnings.push_back(TailDamage(day.Read));
  return true;
}

}  // namespace spectrel::archive
