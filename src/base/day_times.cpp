#include "base/day_times.h"

#include <charconv>

namespace spectrel {

namespace {

constexpr char GiveZone[] = "give the station's zone with --tz AREA/CITY";

DayTimes Resolve(const std::vector<ClockSeconds>& clocks, const StationZone& zone) {
  DayTimes times;
  times.Zone = zone.Name();
  ClockResolver resolver(zone);
  times.Utc.reserve(clocks.size());
  for (const ClockSeconds clock : clocks) times.Utc.push_back(resolver.Next(clock));
  if (const int j = resolver.FirstSkipped(); j >= 0)
    times.Warnings.push_back("local time " + FormatClock(clocks[static_cast<std::size_t>(j)], "%H:%M:%S") +
                             " of point " + std::to_string(j + 1) + " does not exist in " + times.Zone +
                             " (skipped by a change of the clock); taken as the hour before the change");
  return times;
}

std::string OffsetText(int seconds) { return StationZone::Fixed(seconds).Name(); }

}  // namespace

std::optional<int> ZoneTextOffset(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int hours = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hours);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || hours < -14 || hours > 14)
    return std::nullopt;
  return hours * 3600;
}

DayTimes DayTimesToUtc(const std::vector<ClockSeconds>& clocks, std::string_view fileZoneText,
                       const std::optional<StationZone>& zone) {
  const std::optional<int> fileOffset = ZoneTextOffset(fileZoneText);
  if (zone) {
    DayTimes times = Resolve(clocks, *zone);
    if (!times.Utc.empty() && fileOffset && zone->OffsetAt(times.Utc.front()) != *fileOffset)
      times.Warnings.push_back(times.Zone + " is " + OffsetText(zone->OffsetAt(times.Utc.front())) +
                               " at the first point but the day file says \"TZ," + std::string(fileZoneText) +
                               "\" (a wrong zone, or one that is not whole hours from UTC)");
    return times;
  }
  if (!fileOffset) {
    DayTimes times = Resolve(clocks, StationZone::Process());
    times.Warnings.insert(times.Warnings.begin(),
                          "the day file has no usable \"TZ\" line: times taken in this machine's zone " +
                              times.Zone + "; " + GiveZone);
    return times;
  }
  DayTimes times = Resolve(clocks, StationZone::Fixed(*fileOffset));
  for (std::size_t j = 1; j < clocks.size(); ++j)
    if (clocks[j] <= clocks[j - 1]) {
      times.Warnings.push_back("local times go backwards at point " + std::to_string(j + 1) +
                               " (a change of daylight saving time?): converted with the day file's offset " +
                               times.Zone + "; " + GiveZone);
      break;
    }
  return times;
}

}  // namespace spectrel
