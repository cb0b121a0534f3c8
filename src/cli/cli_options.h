// Command-line options of the two measuring commands ("measure" and "run") and how they shape the
// in-memory settings. Parsed into a struct: the program keeps no global options.
#pragma once

#include <string>

#include "settings/app_settings.h"
#include "settings/profile.h"
#include "simulation/simulated_station.h"

namespace CLI {
class App;
}

namespace spectrel::cli {

struct RunnerOptions {
  std::string ProfilePath;   // --profile INI; empty: beside the program or in the user's config
  std::string DataFolder;    // --data DIR; empty: the profile's data and CSV folders
  bool Simulate = false;     // --simulate: simulated sensors instead of the configured ports
  bool SimulateAuto = false; // --simulate=auto: only when no sensor in use has an existing port
  bool Paced = true;         // false with --unpaced: simulated sensors answer without line pacing
  bool Verbose = false;      // --verbose: clock lines, peak memory and thread count at exit
};

// The options of a measuring command on its command line, bound to options.
void AddRunnerOptions(CLI::App& line, RunnerOptions& options);

// Where the measuring commands look for the profile when none is named, and the data folder the
// profile's folders default to.
ProfileLocation DefaultProfileLocation();

// Where the settings come from and where the measurements go.
struct RunnerSettingsSource {
  std::string ProfilePath;   // the profile that was read (it may not exist: defaults apply)
  bool Found = false;        // the profile could be read
  std::string AppFolder;     // default data folder, ends with '/'
};

// Loads the settings for a measuring command: from --profile, else from the profile located
// beside the program (or in the user's config folder); --data replaces both data folders in
// memory, ending with '/'. The profile is only read, never written.
RunnerSettingsSource LoadRunnerSettings(const RunnerOptions& options, AppSettings& settings);

// A folder text as the file-path code expects it: ending with '/' (empty stays empty).
std::string WithTrailingSlash(std::string folder);

// The first steps of "measure" and "run": loads the settings and starts the simulated sensors
// (--simulate). Problems go to stderr. Returns -1 when the command goes on, 1 when the station
// cannot be set up.
int PrepareRunner(const std::string& command, RunnerOptions& options, AppSettings& settings,
                  RunnerSettingsSource& source, SimulatedStation& simulation);

}  // namespace spectrel::cli
