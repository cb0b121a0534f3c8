#include "base/station_zone.h"

#include "base/local_day.h"

#include <date/date.h>
#include <date/tz.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <utility>

namespace spectrel {

namespace {


std::string OffsetLabel(int offset) {
  if (offset == 0) return "UTC";
  const int magnitude = offset < 0 ? -offset : offset;
  char text[24];
  std::snprintf(text, sizeof text, "UTC%c%02d:%02d", offset < 0 ? '-' : '+', magnitude / 3600,
                magnitude / 60 % 60);
  return text;
}

// The process zone through the C library, which honours $TZ however it is written.
int ProcessOffset(std::int64_t utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm local{};
  if (::localtime_r(&t, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff);
}

// The zone-file name that $TZ or /etc/localtime points at, empty when there is none.
std::string ZoneFileName() {
  if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    const std::string prefix = "/usr/share/zoneinfo/";
    if (name.rfind(prefix, 0) == 0) name.erase(0, prefix.size());
    return name;
  }
  std::error_code error;
  const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
  if (error) return {};
  const std::string text = target.string();
  const std::size_t at = text.find("zoneinfo/");
  return at == std::string::npos ? std::string() : text.substr(at + 9);
}

}  // namespace

ClockSeconds ClockValue(int year, int month, int day, int hour, int minute, int second) {
  const date::sys_days first = date::year{year} / date::month{static_cast<unsigned>(month)} / date::day{1};
  const std::int64_t days = first.time_since_epoch().count() + (day - 1);
  return days * ClockDaySeconds + (static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second;
}

std::string FormatClock(ClockSeconds clock, const char* format) {
  const std::time_t t = static_cast<std::time_t>(clock);
  std::tm fields{};
  if (::gmtime_r(&t, &fields) == nullptr) return {};
  char text[128];
  const std::size_t n = std::strftime(text, sizeof text, format, &fields);
  return std::string(text, n);
}

const StationZone& StationZone::Process() {
  static const StationZone zone(Kind::Process, 0, nullptr, {});
  return zone;
}

std::string StationZone::Name() const {
  if (ZoneKind != Kind::Process) return Label;
  const std::string name = ZoneFileName();   // $TZ may change while the program runs (tests)
  return name.empty() ? std::string("the system's zone") : name;
}

StationZone StationZone::Fixed(int offsetSeconds) {
  return StationZone(Kind::Fixed, offsetSeconds, nullptr, OffsetLabel(offsetSeconds));
}

std::optional<StationZone> StationZone::Named(std::string_view name) {
  if (name.empty()) return std::nullopt;
  try {
    const date::time_zone* zone = date::locate_zone(name);
    return StationZone(Kind::Named, 0, zone, std::string(name));
  } catch (const std::exception&) {
    return std::nullopt;   // not a zone of the system's database
  }
}

std::string StationZone::SystemZoneName() {
  const std::string name = ZoneFileName();
  return !name.empty() && Named(name) ? name : std::string("UTC");
}

int StationZone::OffsetAt(std::int64_t utc) const {
  switch (ZoneKind) {
    case Kind::Fixed: return Offset;
    case Kind::Named: return static_cast<int>(Zone->get_info(date::sys_seconds{std::chrono::seconds{utc}}).offset.count());
    case Kind::Process: break;
  }
  return ProcessOffset(utc);
}

ClockInstants StationZone::Instants(ClockSeconds clock) const {
  if (ZoneKind == Kind::Fixed) return {1, clock - Offset, clock - Offset};
  if (ZoneKind == Kind::Named) {
    const date::local_info info = Zone->get_info(date::local_seconds{std::chrono::seconds{clock}});
    const std::int64_t first = clock - info.first.offset.count();
    switch (info.result) {
      case date::local_info::unique: return {1, first, first};
      case date::local_info::ambiguous: return {2, first, clock - info.second.offset.count()};
      case date::local_info::nonexistent: return {0, first, first};
    }
  }
  // The C library gives offsets only for instants: take the offsets a day either side (a change
  // of the clock is at most a few hours and never twice within two days) and keep each one that
  // is in effect at the instant it gives.
  const int before = ProcessOffset(clock - ClockDaySeconds);
  const int after = ProcessOffset(clock + ClockDaySeconds);
  const std::int64_t a = clock - before;
  const std::int64_t b = clock - after;
  const bool aHolds = ProcessOffset(a) == before;
  const bool bHolds = before != after && ProcessOffset(b) == after;
  if (aHolds && bHolds) return {2, std::min(a, b), std::max(a, b)};
  if (aHolds) return {1, a, a};
  if (bHolds) return {1, b, b};
  return {0, a, a};
}

std::int64_t StationZone::NearestInstant(ClockSeconds clock, std::int64_t near) const {
  const ClockInstants at = Instants(clock);
  const auto distance = [near](std::int64_t t) { return t > near ? t - near : near - t; };
  return distance(at.Later) < distance(at.Earlier) ? at.Later : at.Earlier;
}

std::int64_t ClockResolver::Next(ClockSeconds clock) {
  const ClockInstants at = Zone.Instants(clock);
  if (at.Count == 0 && Skipped < 0) Skipped = Index;
  std::int64_t t = at.Earlier;
  if (at.Count == 2 && Previous && at.Earlier <= *Previous) t = at.Later;
  if (Previous && t <= *Previous && Backward < 0) Backward = Index;
  Previous = t;
  ++Index;
  return t;
}

}  // namespace spectrel
