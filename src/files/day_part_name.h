// The parts of a day: a day whose sensor unit changed goes on in a part file beside its day file,
// "<YYYYMMDD>_<n>.KRF" with n = 2, 3, ...; the day file itself is part 1.
#pragma once

#include <string>

namespace spectrel {

// The path of part n (1 for n below 2) of the day of the station's day file at dayPath, itself
// one of the day's parts, in its folder. A file not named as the station names its day files has
// no parts: dayPath itself for n below 2, else "".
std::string DayPartPath(const std::string& dayPath, int part);
// The part number of a day file's name as the station spells it: 1 for "YYYYMMDD.KRF", n for
// "YYYYMMDD_n.KRF", 0 for any other name.
int DayPartOf(const std::string& path);
// The highest part of the day on disk, counting up from the day file (1 when there is no part).
int LatestDayPart(const std::string& dayPath);

}  // namespace spectrel
