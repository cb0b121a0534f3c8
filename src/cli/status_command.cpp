// spectrel-cli status: the station's status file read back and judged the way monitoring plugins
// expect: exit 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "base/local_time.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "files/station_names.h"
#include "measure/station_status.h"

namespace spectrel::cli {

namespace {

constexpr int Unknown = 3;

struct StatusOptions {
  std::string ProfilePath;   // --profile INI: the data folder it names
  std::string DataFolder;    // --data DIR
  bool Json = false;         // --json: the status file as it is
};

std::string Number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void PrintHuman(const StationStatus& s) {
  const auto Stamp = [&s](std::int64_t t) { return StationTimeText(s, t); };
  std::printf("state %s, pid %lld, version %s, updated %s\n", StationStateName(s.State),
              static_cast<long long>(s.Pid), s.Version.c_str(), Stamp(s.Updated).c_str());
  std::string station = s.Zone.empty() ? "" : "station zone " + s.Zone;
  if (s.SensorsInUse) {
    std::string models;
    for (const std::string& model : *s.SensorsInUse) models += " " + model;
    station += (station.empty() ? "" : ", ") + std::string("sensors in use:") + (models.empty() ? " none" : models);
  }
  if (!station.empty()) std::printf("%s\n", station.c_str());
  if (s.LastCycle) {
    const CycleStatus& c = *s.LastCycle;
    std::printf("last cycle %s %s\n", Stamp(c.Stamp).c_str(),
                c.Stored ? "stored" : ("not stored: " + c.Reason).c_str());
    for (const SensorCycleStatus& sensor : c.Sensors) {
      std::string line = "  " + sensor.Model + " " + (sensor.Ok ? "ok" : "failed") + ", " + sensor.StatusText;
      if (sensor.Ok) line += ", exposure " + std::to_string(sensor.ExposureMs) + " ms";
      if (sensor.Integral) line += ", integral " + Number("%.2f", *sensor.Integral) + " W/m2";
      std::printf("%s\n", line.c_str());
      if (const auto& change = sensor.UnitChanged)
        std::printf("  %s unit changed %s: serial number %s, now %s; the day goes on in a new part of its file\n",
                    sensor.Model.c_str(), Stamp(change->Stamp).c_str(), change->OldSerial.c_str(),
                    change->NewSerial.c_str());
    }
  }
  if (s.NextBoundary) std::printf("next boundary %s\n", Stamp(*s.NextBoundary).c_str());
  const StationCounters& n = s.Counters;
  std::printf("since start: %lld cycles, %lld stored, %lld not stored, %lld skipped, %lld reconnects\n",
              static_cast<long long>(n.Cycles), static_cast<long long>(n.Stored),
              static_cast<long long>(n.NotStored), static_cast<long long>(n.Skipped),
              static_cast<long long>(n.Reconnects));
  if (s.FreeBytes) {
    std::string disk = "free space " + Number("%.1f", static_cast<double>(*s.FreeBytes) / 1e9) + " GB";
    disk += s.DaysLeft ? ", " + Number("%.1f", *s.DaysLeft) + " days at the current rate" : ", rate not known yet";
    std::printf("%s\n", disk.c_str());
  }
}

int ShowStatus(const StatusOptions& options) {
  RunnerOptions runner;
  runner.ProfilePath = options.ProfilePath;
  runner.DataFolder = options.DataFolder;
  AppSettings settings;
  if (!LoadRunnerSettings(runner, settings).Found && !options.ProfilePath.empty()) {
    std::printf("UNKNOWN: the profile %s cannot be read, so the data folder is not known; name the station's "
                "profile or its data folder (--data)\n", options.ProfilePath.c_str());
    return Unknown;
  }
  const std::string path = StatusFilePath(settings.KrfFolder);
  const StatusFileRead read = ReadStationStatusFile(path);
  if (!read.Status) {
    if (read.Missing)
      std::printf("UNKNOWN: no station status at %s\n", path.c_str());
    else
      std::printf("UNKNOWN: %s: %s\n", path.c_str(), read.Error.c_str());
    return Unknown;
  }
  const StationVerdict verdict = JudgeStation(*read.Status, static_cast<std::int64_t>(std::time(nullptr)),
                                               RunnerAlive(*read.Status));
  if (options.Json) {
    std::fwrite(read.Text.data(), 1, read.Text.size(), stdout);
  } else {
    std::printf("%s\n", verdict.Text.c_str());
    PrintHuman(*read.Status);
  }
  return verdict.Code;
}

}  // namespace

Command AddStatusCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand("status", "The station's status for monitoring (exit 0 OK, 1 WARNING, "
                                                    "2 CRITICAL, 3 UNKNOWN).");
  auto options = std::make_shared<StatusOptions>();
  CLI::Option* profile = line->add_option("--profile", options->ProfilePath, "settings file naming the data folder")
                             ->type_name("INI");
  line->add_option("--data", options->DataFolder, "data folder holding status.json")
      ->type_name("DIR")
      ->excludes(profile);
  line->add_flag("--json", options->Json, "print the status file itself");
  return {line, [options] { return ShowStatus(*options); }, Unknown};
}

}  // namespace spectrel::cli
