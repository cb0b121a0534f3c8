// Command-line options of the two measuring commands ("measure" and "run") and how they shape the
// in-memory settings. Parsed into a struct: the program keeps no global options.
#pragma once

#include <string>

#include "cli/commands.h"
#include "settings/app_settings.h"
#include "simulation/simulated_station.h"

namespace spectrel::cli {

struct RunnerOptions {
  std::string ProfilePath;   // --profile INI; empty: beside the program or in the user's config
  std::string DataFolder;    // --data DIR; empty: the profile's data and CSV folders
  bool Simulate = false;     // --simulate: simulated sensors instead of the configured ports
  bool SimulateAuto = false; // --simulate=auto: only when no sensor in use has an existing port
  bool Paced = true;         // false with --unpaced: simulated sensors answer without line pacing
  bool Verbose = false;      // --verbose: clock lines, peak memory and thread count at exit
  bool Help = false;         // --help: print the usage and exit 0
};

// Fills options from the arguments after the command's name. On a bad argument returns false
// with a message in error (the caller prints it with the usage and exits 2).
bool ParseRunnerOptions(const Args& args, RunnerOptions& options, std::string& error);

// The usage text of a measuring command ("measure" or "run").
std::string RunnerUsage(const std::string& command);

// Where the settings come from and where the measurements go.
struct RunnerSettingsSource {
  std::string ProfilePath;   // the profile that was read (it may not exist: defaults apply)
  std::string AppFolder;     // default data folder, ends with '/'
};

// Loads the settings for a measuring command: from --profile, else from the profile located
// beside the program (or in the user's config folder); --data replaces both data folders in
// memory, ending with '/'. The profile is only read, never written.
RunnerSettingsSource LoadRunnerSettings(const RunnerOptions& options, AppSettings& settings);

// A folder text as the file-path code expects it: ending with '/' (empty stays empty).
std::string WithTrailingSlash(std::string folder);

// Everything before the document exists, for "measure" and "run": parses the arguments, loads
// the settings, starts the simulated sensors (--simulate) and creates the --data folder.
// Problems go to stderr. Returns -1 when the command goes on, otherwise its exit code
// (0 after --help, 2 on bad usage, 1 when the station cannot be set up).
int PrepareRunner(const std::string& command, const Args& args, RunnerOptions& options,
                  AppSettings& settings, RunnerSettingsSource& source, SimulatedStation& simulation);

}  // namespace spectrel::cli
