#include "measure/station_monitor.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "base/station_zone.h"
#include "files/file_output.h"
#include "files/station_names.h"
#include "measure/interval_schedule.h"
#include "settings/app_settings.h"

namespace spectrel {

namespace {

constexpr std::int64_t RefreshAfter = 30;   // s: well within the minute a reader allows

std::int64_t FileSize(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : static_cast<std::int64_t>(size);
}

// Sizes of the hourly CSV files of the day's part: "<Ymd><H>[_n].CSV" in the year's folder.
std::int64_t CsvBytesOfDay(const std::string& anyHourOfDay) {
  const std::filesystem::path hour(anyHourOfDay);
  const auto day = ParseStationFileName(hour.filename().string());
  std::int64_t bytes = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(hour.parent_path(), ec)) {
    const auto name = ParseStationFileName(entry.path().filename().string());
    if (day && name && name->Kind == StationFile::HourCsv && name->Date == day->Date && name->Part == day->Part)
      bytes += FileSize(entry.path());
  }
  return bytes;
}

}  // namespace

StationMonitor::StationMonitor(const AppSettings& settings, const Clock& clock)
    : Settings(settings), ClockRef(clock) {
  Current.Version = SPECTREL_VERSION;
  Current.Pid = static_cast<std::int64_t>(::getpid());
  Current.ProcessStart = ProcessStartTicks(Current.Pid);
}

void StationMonitor::Enter(StationState state) {
  Current.State = state;
  Write();
}

void StationMonitor::Started(bool intervalMode, std::vector<std::string> sensorsInUse) {
  IntervalMode = intervalMode;
  Current.SensorsInUse = std::move(sensorsInUse);
  Current.Started = ClockRef.Now();
  Current.Counters = {};
  Current.LastCycle.reset();
  Current.LastStored.reset();
  BytesPerDay.reset();
  Enter(StationState::Starting);
}

void StationMonitor::Measuring() { Enter(StationState::Measuring); }

void StationMonitor::CycleCompleted(CycleStatus cycle, std::optional<double> bytesPerDay) {
  ++Current.Counters.Cycles;
  ++(cycle.Stored ? Current.Counters.Stored : Current.Counters.NotStored);
  if (cycle.Stored) Current.LastStored = cycle.Stamp;
  if (bytesPerDay) BytesPerDay = bytesPerDay;
  Current.LastCycle = std::move(cycle);
  // A cycle completed is measurement going on, even before every sensor settled.
  Enter(Current.State == StationState::Starting ? StationState::Measuring : Current.State);
}

void StationMonitor::BoundarySkipped(std::int64_t boundaries) {
  Current.Counters.Skipped += boundaries;
  Write();
}

void StationMonitor::ClockStepped(std::int64_t seconds) {
  Current.LastClockStep = seconds;
  Write();
}

void StationMonitor::ClockState(ClockSync sync) {
  const std::optional<bool> synchronised =
      sync == ClockSync::Unknown ? std::nullopt : std::optional<bool>(sync == ClockSync::Synchronised);
  if (synchronised == Current.ClockSynchronised) return;
  Current.ClockSynchronised = synchronised;
  Write();
}

void StationMonitor::Stopping() { Enter(StationState::Stopping); }

void StationMonitor::Stopped() { Enter(StationState::Stopped); }

void StationMonitor::Refresh() {
  const std::int64_t now = ClockRef.Now();
  // A clock set back makes the last write look younger than it is: written again at once.
  if (now - Current.Updated >= RefreshAfter || now < Current.Updated) Write();
}

bool StationMonitor::Write() {
  const std::int64_t now = ClockRef.Now();
  Current.Updated = now;
  const IntervalSchedule schedule = IntervalSchedule::Of(Settings);
  Current.IntervalMode = IntervalMode;
  Current.IntervalSeconds = schedule.Interval();
  Current.WindowStart = Settings.StartTime;
  Current.WindowEnd = Settings.EndTime;
  Current.Zone = Settings.SiteZone.empty() ? StationZone::SystemZoneName() : Settings.SiteZone;
  const bool active = Current.State == StationState::Measuring || Current.State == StationState::Starting;
  Current.NextBoundary = IntervalMode && active ? schedule.NextAfter(now) : std::nullopt;
  if (Reconnects) Current.Counters.Reconnects = Reconnects();
  Current.FreeBytes = FreeSpace(Settings.KrfFolder);
  Current.DaysLeft = Current.FreeBytes && BytesPerDay ? DaysOfSpace(*Current.FreeBytes, *BytesPerDay)
                                                      : std::nullopt;
  ReplaceFileWriter file;
  return file.Open(StatusFilePath(Settings.KrfFolder)) && file.Write(StationStatusJson(Current)) &&
         file.Commit();
}

std::optional<double> EstimateBytesPerDay(const AppSettings& settings, std::int64_t cycleTime,
                                          int pointsInFile, int part) {
  const std::int64_t perDay = IntervalSchedule::Of(settings).OnDay(cycleTime);
  if (pointsInFile <= 0 || perDay <= 0) return std::nullopt;
  std::int64_t bytes = FileSize(DayFilePath(settings.KrfFolder, cycleTime, part));
  if (settings.SaveCsv) bytes += CsvBytesOfDay(HourCsvPath(settings.CsvFolder, cycleTime, part));
  if (bytes <= 0) return std::nullopt;
  return static_cast<double>(bytes) * static_cast<double>(perDay) / pointsInFile;
}

}  // namespace spectrel
