#include "cli/cli_options.h"

#include <unistd.h>

#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>

#include "cli/service_notify.h"
#include "simulation/simulated_station.h"
#include "settings/profile.h"
#include "settings/profile_file.h"
#include "settings/settings_io.h"

namespace spectrel::cli {

namespace {

// The desktop program's file in this program's folder: a station's settings are one profile,
// "spectrel.ini", whichever of the two front ends measures.
std::string ProgramPath() {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "spectrel";
  const std::string self(buffer.data(), static_cast<std::size_t>(n));
  return (std::filesystem::path(self).parent_path() / "spectrel").string();
}

}  // namespace

void AddRunnerOptions(CLI::App& line, RunnerOptions& options) {
  line.add_option("--profile", options.ProfilePath,
                  "settings file (default: beside the program, or the user's config)")
      ->type_name("INI");
  line.add_option("--data", options.DataFolder,
                  "folder of the day files, CSV files and event log (this run only)")
      ->type_name("DIR");
  CLI::Option* simulate =
      line.add_option_function<std::string>(
              "--simulate",
              [&options](const std::string& mode) {
                options.Simulate = true;
                options.SimulateAuto = mode == "auto";
              },
              "simulated sensors; =auto: unless a sensor in use has an existing port")
          ->expected(0, 1)
          ->type_name("[=auto]")
          ->check(CLI::Validator(
              [](const std::string& mode) {
                return mode.empty() || mode == "auto" ? std::string()
                                                      : "no value or 'auto', not '" + mode + "'";
              },
              ""));
  line.add_flag_callback("--unpaced", [&options] { options.Paced = false; },
                         "simulated sensors answer at once (no line pacing, no exposure time)")
      ->needs(simulate);
  line.add_flag("-v,--verbose", options.Verbose, "show the clock, and the peak memory and threads at exit");
}

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

ProfileLocation DefaultProfileLocation() { return LocateProfile(ProgramPath()); }

RunnerSettingsSource LoadRunnerSettings(const RunnerOptions& options, AppSettings& settings) {
  const ProfileLocation located = DefaultProfileLocation();
  RunnerSettingsSource source;
  source.ProfilePath = options.ProfilePath.empty() ? located.ProfilePath : options.ProfilePath;
  source.AppFolder = located.AppFolder;
  settings = AppSettings{};
  settings.AppFolder = located.AppFolder;
  ProfileFile profile;
  source.Found = ProfileFile::Read(source.ProfilePath, profile).Error == SmallFileError::None;
  LoadSettingsFrom(settings, profile);
  if (!options.DataFolder.empty()) {
    settings.KrfFolder = WithTrailingSlash(options.DataFolder);
    settings.CsvFolder = settings.KrfFolder;
  }
  return source;
}

int PrepareRunner(const std::string& command, RunnerOptions& options, AppSettings& settings,
                  RunnerSettingsSource& source, SimulatedStation& simulation) {
  std::string error;
  source = LoadRunnerSettings(options, settings);
  if (options.SimulateAuto && SimulatedStation::RealSensorsConfigured(settings)) {
    options.Simulate = false;   // the station's own sensors are there: measure them
  }
  if (options.Simulate && !simulation.Start(settings, options.Paced, error)) {
    std::fprintf(stderr, "%sspectrel-cli %s: not started: %s: no pseudo-terminal could be opened; free some or "
                 "raise the system's limit\n", ErrorPrefix().c_str(), command.c_str(), error.c_str());
    return 1;
  }
  return -1;
}

}  // namespace spectrel::cli
