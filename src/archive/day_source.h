// Reading a day file for the archive: the one place that calls the day file reader.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/day_times.h"
#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel::archive {

// A day as the archive takes it: its points and the true UTC of each.
struct ArchiveDay {
  CKrfData Set;                        // the points, as read
  std::vector<ClockSeconds> Clocks;    // each point's local clock reading, as written
  DayTimes Times;                      // true UTC of each point, the zone applied and what was guessed
  KrfReadReport Read;                  // how the file ends: whole, or a damaged tail (its clocks moved to Clocks)
};

// A damaged tail in one line, for the operator and the NetCDF file; empty for a whole file.
std::string TailDamage(const KrfReadReport& read);

// Reads the day file at path into day (which the caller passes empty) and turns its local times
// into true UTC with the station's zone, or the file's own offset when zone is empty; a damaged
// tail is among the warnings of its times. False, with a one-line reason in error, when the file
// is missing, unreadable, not a day file, damaged (a time stamp that is no valid date) or holds
// no measurement point.
bool LoadDayFile(const std::string& path, const std::optional<StationZone>& zone, ArchiveDay& day,
                 std::string& error);

}  // namespace spectrel::archive
