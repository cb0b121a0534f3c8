#include "cli/cli_options.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "simulation/simulated_station.h"
#include "settings/profile.h"

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

bool ParseRunnerOptions(const Args& args, RunnerOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // Options that take a value accept "--name VALUE" and "--name=VALUE".
    auto value = [&](const std::string& name, std::string& out) -> bool {
      if (a == name) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
          error = "option " + name + " needs a value";
          return false;
        }
        out = args[++i];
        return true;
      }
      const std::string prefix = name + "=";
      if (a.compare(0, prefix.size(), prefix) == 0) {
        out = a.substr(prefix.size());
        if (out.empty()) {
          error = "option " + name + " needs a value";
          return false;
        }
        return true;
      }
      return false;
    };
    if (a == "--profile" || a.rfind("--profile=", 0) == 0) {
      if (!value("--profile", options.ProfilePath)) return false;
    } else if (a == "--data" || a.rfind("--data=", 0) == 0) {
      if (!value("--data", options.DataFolder)) return false;
    } else if (a == "--simulate") {
      options.Simulate = true;
    } else if (a == "--simulate=auto") {
      options.Simulate = true;
      options.SimulateAuto = true;
    } else if (a == "--unpaced") {
      options.Paced = false;
    } else if (a == "--verbose" || a == "-v") {
      options.Verbose = true;
    } else if (a == "--help" || a == "-h") {
      options.Help = true;
    } else {
      error = "unknown argument '" + a + "'";
      return false;
    }
  }
  if (!options.Paced && !options.Simulate) {
    error = "--unpaced applies to simulated sensors only (add --simulate)";
    return false;
  }
  return true;
}

std::string RunnerUsage(const std::string& command) {
  const std::string what = command == "run" ? "interval measurement until SIGINT or SIGTERM"
                                            : "one manual measurement";
  return "usage: spectrel-cli " + command +
         " [--profile INI] [--data DIR] [--simulate[=auto] [--unpaced]] [--verbose]\n"
         "  " + what + "\n"
         "  --profile INI  settings file (default: beside the program, or the user's config)\n"
         "  --data DIR     folder of the day files, CSV files and event log (this run only)\n"
         "  --simulate     simulated sensors on pseudo-terminals; the profile's ports stay untouched\n"
         "  --simulate=auto  the same, unless a sensor in use has an existing port\n"
         "  --unpaced      simulated sensors answer at once (no line pacing, no exposure time)\n"
         "  --verbose      show the clock, and the peak memory and threads at exit\n";
}

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

RunnerSettingsSource LoadRunnerSettings(const RunnerOptions& options, AppSettings& settings) {
  const ProfileLocation located = LocateProfile(ProgramPath());
  RunnerSettingsSource source;
  source.ProfilePath = options.ProfilePath.empty() ? located.ProfilePath : options.ProfilePath;
  source.AppFolder = located.AppFolder;
  settings = AppSettings{};
  settings.AppFolder = located.AppFolder;
  LoadSettings(settings, source.ProfilePath);
  if (!options.DataFolder.empty()) {
    settings.KrfFolder = WithTrailingSlash(options.DataFolder);
    settings.CsvFolder = settings.KrfFolder;
  }
  return source;
}

int PrepareRunner(const std::string& command, const Args& args, RunnerOptions& options,
                  AppSettings& settings, RunnerSettingsSource& source, SimulatedStation& simulation) {
  std::string error;
  if (!ParseRunnerOptions(args, options, error)) {
    std::fprintf(stderr, "spectrel-cli %s: %s\n%s", command.c_str(), error.c_str(),
                 RunnerUsage(command).c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(RunnerUsage(command).c_str(), stdout);
    return 0;
  }
  source = LoadRunnerSettings(options, settings);
  if (options.SimulateAuto && SimulatedStation::RealSensorsConfigured(settings)) {
    options.Simulate = false;   // the station's own sensors are there: measure them
  }
  if (options.Simulate && !simulation.Start(settings, options.Paced, error)) {
    std::fprintf(stderr, "spectrel-cli %s: %s\n", command.c_str(), error.c_str());
    return 1;
  }
  if (!options.DataFolder.empty()) {
    // The folder asked for on the command line is made at once, so that the event log's
    // "APP START" line has somewhere to go.
    std::error_code failed;
    std::filesystem::create_directories(settings.KrfFolder, failed);
    if (failed || !std::filesystem::is_directory(settings.KrfFolder)) {
      std::fprintf(stderr, "spectrel-cli %s: cannot create the data folder %s\n", command.c_str(),
                   settings.KrfFolder.c_str());
      return 1;
    }
  }
  return -1;
}

}  // namespace spectrel::cli
