// A day file read for whoever reports on it, exports it, converts it or serves it: the one loader.
// It returns the points, each point's clock reading as written and its true UTC, how the file ends
// and, when the reading did not succeed, why, in words of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/day_times.h"
#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel {

enum class DayLoadError {
  None,
  NotDayFile,    // empty, or a first line that is not a day file's
  Unreadable,    // the system refused to read it (a folder, no permission, an input error)
  Missing,       // no such file
  OutOfMemory,
  BadTime,       // a time stamp that is no valid date stopped the reading (the points before it stay)
  NoPoints,      // a day file without a measurement point, where one is needed
};

// "not a day file", "cannot be read", "no such file", "out of memory", "damaged day file",
// "holds no measurement point"; "" for None.
std::string DayLoadErrorText(DayLoadError error);
// The error of the reader's negative result (-1 not a day file, -2 unreadable, -3 missing, -4 memory).
DayLoadError DayLoadErrorOf(int readerResult);

struct LoadedDay {
  CKrfData Set;                        // the points, as read
  std::vector<ClockSeconds> Clocks;    // each point's local clock reading, as written
  DayTimes Times;                      // true UTC of each point, the zone applied and what was guessed
  KrfReadReport Read;                  // how the file ends: whole, or a damaged tail; what a salvage skipped
  DayLoadError Error = DayLoadError::None;
  std::string Detail;                  // the reader's words on the time stamp that stopped it

  bool Loaded() const { return Error == DayLoadError::None; }
  // The error with its detail: "damaged day file: invalid time stamp ... before byte N".
  std::string ErrorText() const;
  // "cut short after byte N of M (the rest is ...)": the damaged tail in one line; "" for a whole file.
  std::string TailText() const;
};

// Reads the day file at path and turns its clock readings into true UTC with the station's zone,
// or the file's own offset when zone is empty. Strict: a bad time stamp stops the reading with
// BadTime; Salvage: points and blocks with one are skipped and counted in Read.
LoadedDay LoadDay(const std::string& path, const std::optional<StationZone>& zone,
                  KrfReadMode mode = KrfReadMode::Strict);

}  // namespace spectrel
