// Reading a day file for the archive: the one loader, with the archive's rules on top.
#pragma once

#include <optional>
#include <string>

#include "files/day_load.h"

namespace spectrel::archive {

// A day as the archive takes it: its points, their clock readings and true UTC, how the file ends.
using ArchiveDay = LoadedDay;

// A damaged tail in one line, for the operator and the NetCDF file; empty for a whole file.
std::string TailDamage(const KrfReadReport& read);

// Reads the day file at path into day with LoadDay; a damaged tail is among the warnings of its
// times. False, with a one-line reason in error, when the file did not load or holds no
// measurement point (day.Error says which).
bool LoadDayFile(const std::string& path, const std::optional<StationZone>& zone, ArchiveDay& day,
                 std::string& error);

}  // namespace spectrel::archive
