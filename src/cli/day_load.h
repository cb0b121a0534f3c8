// A day file read for the commands that report on it or export it: what the reader returned and,
// when it did not read everything, why, in the one wording both commands show.
#pragma once

#include <optional>
#include <string>

#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel::cli {

struct DayLoad {
  std::optional<int> Result;   // the reader's point count or negative code; none when a time stamp stopped it
  std::string Error;           // why the file did not load completely; empty when it did
  KrfReadReport Report;        // how the file ends: whole, or cut short after its last complete block
};

// Reads path into day; what was read before a bad time stamp stays in day.
DayLoad LoadDay(const std::string& path, CKrfData& day);
// "cut short after byte N of M" for a damaged tail, empty for a whole file.
std::string TailText(const DayLoad& load);

}  // namespace spectrel::cli
