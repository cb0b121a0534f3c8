// The one rule that turns the local clock readings of a day file into true UTC, whatever machine
// reads the file: the station's zone when it is known, otherwise the file's own whole-hour offset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/station_zone.h"

namespace spectrel {

// The offset of a day file's "TZ" text ("+9", "-3", "0"), seconds east of UTC; empty when the
// text is not a whole number of hours from -14 to +14.
std::optional<int> ZoneTextOffset(std::string_view text);

struct DayTimes {
  std::vector<std::int64_t> Utc;       // one instant per clock reading, s since 1970 UTC
  std::string Zone;                    // the zone applied: its IANA name, or "UTC+09:00" for an offset
  std::vector<std::string> Warnings;   // one line each, for the operator
};

// clocks: the day's readings in file order; fileZoneText: the file's "TZ" text; zone: the
// station's zone when known. With a zone, the repeated hour of a change back is resolved by the
// order of the points and a zone whose offset at the first point differs from the file's is
// warned about. Without one, the file's offset applies as a fixed offset, with a warning when the
// readings go backwards (which only the zone can resolve) or when the file has no usable offset
// (then this machine's zone applies).
DayTimes DayTimesToUtc(const std::vector<ClockSeconds>& clocks, std::string_view fileZoneText,
                       const std::optional<StationZone>& zone);

}  // namespace spectrel
