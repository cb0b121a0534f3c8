#include "measure/station_status.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "base/file_input.h"
#include "base/local_day.h"
#include "base/local_time.h"
#include "base/station_zone.h"
#include "files/station_names.h"
#include "measure/interval_schedule.h"

namespace spectrel {
namespace {

using nlohmann::json;

constexpr const char* kStateNames[] = {"idle", "starting", "measuring", "stopping", "stopped"};
constexpr double kWarnDaysOfSpace = 7.0;   // fewer days of space than this is a warning
constexpr std::size_t kMaxStatusBytes = 1 << 20;   // a status is a few kB; far more is no status
// A runner rewrites its status at least this often (s) while it measures at intervals; a file
// older than two intervals and this much more belongs to a runner that is stuck or gone.
constexpr std::int64_t kRefreshGrace = 60;

template <typename T>
json Optional(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

template <typename T>
std::optional<T> OptionalOf(const json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || it->is_null()) return std::nullopt;
  return it->get<T>();
}

json UnitChangeJson(const std::optional<UnitChangeStatus>& change) {
  if (!change) return nullptr;
  return {{"stamp", change->Stamp}, {"time", FormatLocal(change->Stamp, "%Y/%m/%d %H:%M:%S")},
          {"old_serial", change->OldSerial}, {"new_serial", change->NewSerial}};
}

json CycleJson(const CycleStatus& cycle) {
  json sensors = json::array();
  for (const auto& s : cycle.Sensors)
    sensors.push_back({{"model", s.Model}, {"ok", s.Ok}, {"status", s.StatusText},
                       {"exposure_ms", s.ExposureMs}, {"integral_w_m2", Optional(s.Integral)},
                       {"unit_changed", UnitChangeJson(s.UnitChanged)}});
  return {{"stamp", cycle.Stamp}, {"time", FormatLocal(cycle.Stamp, "%Y/%m/%d %H:%M:%S")},
          {"stored", cycle.Stored}, {"reason", cycle.Reason}, {"sensors", sensors},
          {"integral_w_m2", Optional(cycle.Integral)}};
}

CycleStatus CycleFrom(const json& j) {
  CycleStatus cycle;
  cycle.Stamp = j.at("stamp").get<std::int64_t>();
  cycle.Stored = j.at("stored").get<bool>();
  cycle.Reason = j.value("reason", "");
  for (const auto& s : j.value("sensors", json::array())) {
    SensorCycleStatus sensor;
    sensor.Model = s.at("model").get<std::string>();
    sensor.Ok = s.at("ok").get<bool>();
    sensor.StatusText = s.value("status", "");
    sensor.ExposureMs = s.value("exposure_ms", 0);
    sensor.Integral = OptionalOf<double>(s, "integral_w_m2");
    if (const auto change = s.find("unit_changed"); change != s.end() && change->is_object())
      sensor.UnitChanged = UnitChangeStatus{change->at("stamp").get<std::int64_t>(), change->value("old_serial", ""),
                                            change->value("new_serial", "")};
    cycle.Sensors.push_back(std::move(sensor));
  }
  cycle.Integral = OptionalOf<double>(j, "integral_w_m2");
  return cycle;
}

}  // namespace

const char* StationStateName(StationState state) { return kStateNames[static_cast<int>(state)]; }

std::string StationStatusJson(const StationStatus& s) {
  const json j = {
      {"program", "spectrel"},
      {"version", s.Version},
      {"pid", s.Pid},
      {"process_start", Optional(s.ProcessStart)},
      {"zone", s.Zone},
      {"sensors_in_use", Optional(s.SensorsInUse)},
      {"state", StationStateName(s.State)},
      {"updated", s.Updated},
      {"started", s.Started},
      {"schedule", {{"interval_mode", s.IntervalMode}, {"interval_s", s.IntervalSeconds},
                    {"window_start_s", s.WindowStart}, {"window_end_s", s.WindowEnd}}},
      {"last_cycle", s.LastCycle ? CycleJson(*s.LastCycle) : json(nullptr)},
      {"last_stored", Optional(s.LastStored)},
      {"next_boundary", Optional(s.NextBoundary)},
      {"counters", {{"cycles", s.Counters.Cycles}, {"stored", s.Counters.Stored},
                    {"not_stored", s.Counters.NotStored}, {"skipped", s.Counters.Skipped},
                    {"reconnects", s.Counters.Reconnects}}},
      {"disk", {{"free_bytes", Optional(s.FreeBytes)}, {"days_left", Optional(s.DaysLeft)}}},
      {"clock", {{"synchronised", Optional(s.ClockSynchronised)}, {"last_step_s", Optional(s.LastClockStep)}}},
  };
  return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<StationStatus> ParseStationStatus(std::string_view text, std::string& error) {
  try {
    const json j = json::parse(text);
    if (!j.is_object() || j.value("program", "") != "spectrel") {
      error = "not a station status file";
      return std::nullopt;
    }
    StationStatus s;
    s.Version = j.value("version", "");
    s.Pid = j.value("pid", std::int64_t{0});
    s.ProcessStart = OptionalOf<std::int64_t>(j, "process_start");
    s.Zone = j.value("zone", "");
    s.SensorsInUse = OptionalOf<std::vector<std::string>>(j, "sensors_in_use");
    const std::string state = j.at("state").get<std::string>();
    const auto* name = std::find_if(std::begin(kStateNames), std::end(kStateNames),
                                    [&](const char* n) { return state == n; });
    if (name == std::end(kStateNames)) {
      error = "unknown state \"" + state + "\"";
      return std::nullopt;
    }
    s.State = static_cast<StationState>(name - std::begin(kStateNames));
    s.Updated = j.value("updated", std::int64_t{0});
    s.Started = j.value("started", std::int64_t{0});
    const json& schedule = j.at("schedule");
    s.IntervalMode = schedule.value("interval_mode", false);
    s.IntervalSeconds = schedule.value("interval_s", std::int64_t{0});
    s.WindowStart = schedule.value("window_start_s", std::int64_t{0});
    s.WindowEnd = schedule.value("window_end_s", std::int64_t{0});
    if (j.contains("last_cycle") && !j["last_cycle"].is_null()) s.LastCycle = CycleFrom(j["last_cycle"]);
    s.LastStored = OptionalOf<std::int64_t>(j, "last_stored");
    s.NextBoundary = OptionalOf<std::int64_t>(j, "next_boundary");
    const json& c = j.at("counters");
    s.Counters = {c.value("cycles", std::int64_t{0}), c.value("stored", std::int64_t{0}),
                  c.value("not_stored", std::int64_t{0}), c.value("skipped", std::int64_t{0}),
                  c.value("reconnects", std::int64_t{0})};
    const json& disk = j.at("disk");
    s.FreeBytes = OptionalOf<std::int64_t>(disk, "free_bytes");
    s.DaysLeft = OptionalOf<double>(disk, "days_left");
    const json clock = j.value("clock", json::object());
    s.ClockSynchronised = OptionalOf<bool>(clock, "synchronised");
    s.LastClockStep = OptionalOf<std::int64_t>(clock, "last_step_s");
    return s;
  } catch (const json::exception& e) {
    error = std::string("not a station status file: ") + e.what();
    return std::nullopt;
  }
}

StatusFileRead ReadStationStatusFile(const std::string& path) {
  StatusFileRead read;
  const SmallFileRead file = ReadSmallFile(path, kMaxStatusBytes, read.Text);
  read.Missing = file.Error == SmallFileError::Missing;
  if (file.Error != SmallFileError::None)
    read.Error = file.Text();
  else
    read.Status = ParseStationStatus(read.Text, read.Error);
  return read;
}

std::optional<std::int64_t> ProcessStartTicks(std::int64_t pid) {
  // "/proc/PID/stat" reports no size, so it is read as a stream, as far as its 22nd field.
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char text[1024];
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  const std::string line(text, static_cast<std::size_t>(n));
  // The program name in parentheses may hold blanks: the fields are counted after its ')'.
  std::size_t at = line.rfind(')');
  for (int field = 2; at != std::string::npos && field < 22; ++field) at = line.find(' ', at + 1);
  if (at == std::string::npos) return std::nullopt;
  char* end = nullptr;
  const long long ticks = std::strtoll(line.c_str() + at + 1, &end, 10);
  return end == line.c_str() + at + 1 ? std::nullopt : std::optional<std::int64_t>(ticks);
}

bool RunnerAlive(const StationStatus& s) {
  if (s.Pid <= 0) return false;
  if (::kill(static_cast<pid_t>(s.Pid), 0) != 0 && errno != EPERM) return false;
  if (!s.ProcessStart) return true;
  // A process of another user may be hidden from /proc: then its id is all there is to go by.
  const std::optional<std::int64_t> started = ProcessStartTicks(s.Pid);
  return !started || *started == *s.ProcessStart;
}

std::optional<std::int64_t> FreeSpace(const std::string& folder) {
  struct statvfs fs{};
  if (::statvfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

std::optional<double> DaysOfSpace(std::int64_t freeBytes, double bytesPerDay) {
  if (bytesPerDay <= 0) return std::nullopt;
  return static_cast<double>(freeBytes) / bytesPerDay;
}

StationVerdict JudgeStation(const StationStatus& s, std::int64_t now, bool runnerAlive) {
  if (s.State == StationState::Stopped) return {2, "CRITICAL: measurement stopped"};
  if (!runnerAlive) return {2, "CRITICAL: runner (pid " + std::to_string(s.Pid) + ") is gone"};
  if (s.IntervalMode && now - s.Updated > 2 * s.IntervalSeconds + kRefreshGrace)
    return {2, "CRITICAL: status not refreshed for " + std::to_string(now - s.Updated) + " s: the runner (pid " +
                   std::to_string(s.Pid) + ") is stuck"};
  if (s.SensorsInUse && s.SensorsInUse->empty())
    return {2, "CRITICAL: no sensor in use: every point is stored without spectra"};
  if (s.State == StationState::Measuring && s.IntervalMode && s.IntervalSeconds > 0) {
    if (IntervalSchedule(s.WindowStart, s.WindowEnd, s.IntervalSeconds).InWindow(SecondOfDay(now))) {
      // Counted from the latest of: the last stored point, the start, today's window opening (the
      // first instant the clock showed it, also on a day that changes its clock).
      const std::int64_t opened = InstantsOnDay(now, std::max<std::int64_t>(s.WindowStart, 0)).Earlier;
      const std::int64_t since = std::max({s.LastStored.value_or(0), s.Started, opened});
      if (now - since > 2 * s.IntervalSeconds)
        return {2, "CRITICAL: no point stored for " + std::to_string(now - since) + " s"};
    }
  }
  if (s.LastCycle) {
    const auto& sensors = s.LastCycle->Sensors;
    if (!sensors.empty() && std::none_of(sensors.begin(), sensors.end(), [](const auto& x) { return x.Ok; }))
      return {2, "CRITICAL: every sensor failed in the last cycle: " + sensors.front().Model + " " +
                     sensors.front().StatusText};
    for (const auto& sensor : sensors)
      if (!sensor.Ok) return {1, "WARNING: " + sensor.Model + " failed in the last cycle: " + sensor.StatusText};
    if (!s.LastCycle->Stored) return {1, "WARNING: last cycle not stored: " + s.LastCycle->Reason};
  }
  if (s.DaysLeft && *s.DaysLeft < kWarnDaysOfSpace) {
    char days[32];
    std::snprintf(days, sizeof days, "%.1f", *s.DaysLeft);
    return {1, std::string("WARNING: ") + days + " days of disk space left"};
  }
  if (s.ClockSynchronised == false)
    return {1, "WARNING: the system clock is not synchronised: no time service vouches for the times stored"};
  std::string text = "OK: " + std::string(StationStateName(s.State));
  if (s.LastCycle) text += ", last cycle " + StationTimeText(s, s.LastCycle->Stamp) + " stored";
  return {0, text};
}

std::string StationTimeText(const StationStatus& status, std::int64_t t) {
  constexpr const char* format = "%Y/%m/%d %H:%M:%S";
  if (!status.Zone.empty())
    if (const std::optional<StationZone> zone = StationZone::Named(status.Zone)) return FormatClock(zone->ClockAt(t), format);
  return FormatLocal(t, format);
}

}  // namespace spectrel
