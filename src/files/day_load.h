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


// "not a day file", "cannot be read", "no such file", "out of memory", "damaged day file",
// "holds no measurement point"; "" for None.
std::string DayLoadErrorText(DayLoadError error);

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
