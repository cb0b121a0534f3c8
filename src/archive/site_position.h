// The station's position as numbers, read from the site strings of a day file when they hold them.
#pragma once

#include <optional>
#include <string_view>

#include "spectrum/records.h"

namespace spectrel::archive {

struct SitePosition {
  double LatitudeDeg = 0.0;           // north positive
  double LongitudeDeg = 0.0;          // east positive
  std::optional<double> AltitudeM;    // above sea level, when the altitude text is a number
};

// A whole text read as a decimal number (blanks around it allowed); nothing otherwise.
std::optional<double> SiteNumber(std::string_view text);

// Latitude and longitude when both are numbers inside their ranges and not both zero: the program's
// own defaults ("00.000", "000.000") mean that no position was entered.
std::optional<SitePosition> ReadSitePosition(const CKrfData& day);

}  // namespace spectrel::archive
