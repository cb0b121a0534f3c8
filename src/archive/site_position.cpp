#include "archive/site_position.h"

#include <charconv>
#include <cmath>

namespace spectrel::archive {

std::optional<double> SiteNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0.0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value,
                                 std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<SitePosition> ReadSitePosition(const CKrfData& day) {
  const std::optional<double> lat = SiteNumber(day.SiteLat);
  const std::optional<double> lon = SiteNumber(day.SiteLon);
  if (!lat || !lon || std::fabs(*lat) > 90.0 || std::fabs(*lon) > 180.0) return std::nullopt;
  if (*lat == 0.0 && *lon == 0.0) return std::nullopt;
  SitePosition site;
  site.LatitudeDeg = *lat;
  site.LongitudeDeg = *lon;
  site.AltitudeM = SiteNumber(day.SiteAlt);
  return site;
}

}  // namespace spectrel::archive
