#include "cli/station_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <ctime>
#include <memory>

#include "cli/cli_options.h"
#include "cli/service_notify.h"
#include "files/station_names.h"
#include "measure/station_start.h"

namespace spectrel::cli {

namespace {

// "spectrel-cli COMMAND: text" on stderr, filed by the journal as an error or a warning.
void Say(const std::string& command, const std::string& text, bool error = true) {
  const std::string priority = error ? ErrorPrefix() : StreamIsJournal(2) ? "<4>" : "";
  std::fprintf(stderr, "%sspectrel-cli %s: %s\n", priority.c_str(), command.c_str(), text.c_str());
}

// The profile check of the start: every finding said; errors end the command (exit 2).
bool ProfileUsable(const std::string& command, const ProfileCheck& check) {
  for (const ProfileFinding& f : check.Findings) Say(command, FindingLine(f), f.Level == FindingLevel::Error);
  if (!check.HasErrors()) return true;
  Say(command, "not started: the profile " + check.Path + " has errors; correct them (spectrel-cli config --profile " +
                   check.Path + " lists every finding)");
  return false;
}

int RunStationCommand(const std::string& command, RunnerOptions options, const StationBody& body) {
  InstallStopSignals();   // before any thread exists
  const long threadsAtStart = ThreadCount();
  AppSettings settings;
  RunnerSettingsSource source;
  SimulatedStation simulation;   // outlives the document, which closes its ports on destruction
  if (const int early = PrepareRunner(command, options, settings, source, simulation);
      early >= 0) {
    return early;
  }
  const ProfileCheck check = CheckStartProfile({source.ProfilePath, !options.ProfilePath.empty(), source.AppFolder,
                                                options.Simulate, !options.DataFolder.empty(), command == "run"});
  if (!ProfileUsable(command, check)) return 2;
  FolderLock lock;   // one station per data folder, held until the command ends
  if (const FolderClaim claim = ClaimDataFolder(settings.KrfFolder, "spectrel-cli " + command, lock); !claim) {
    Say(command, "not started: " + claim.Text);
    return claim.Result == FolderClaim::Outcome::Held ? 2 : 1;
  }
  if (!lock.TakenOverFrom().empty())
    Say(command, "the data folder's lock of " + lock.TakenOverFrom() +
                     " was left behind (that station ended without a stop) and is taken over", false);
  CliHost host(stdout, options.Verbose, command);
  ReportSetup(host, source, settings, simulation);
  int code = 1;
  {
    const PortSupply& ports = options.Simulate ? static_cast<const PortSupply&>(simulation) : ProfilePortSupply();
    CSpectrelDoc doc(settings, host, SystemStationClock(), ports);
    if (doc.StartLogged()) {
      LogStartFindings(doc, lock, check);
      code = body(doc, host, settings);
    } else {
      Say(command, "not started: the event log " + EventLogPath(settings.KrfFolder, std::time(nullptr)) +
                       " cannot be written (the reason is above); make the data folder writable for this user");
    }
  }
  simulation.Stop();
  ReportEnd(host, settings, options.Verbose, threadsAtStart);
  return code;
}

}  // namespace

Command AddStationCommand(CLI::App& program, const std::string& name, const std::string& description,
                          StationBody body) {
  CLI::App* line = program.add_subcommand(name, description);
  auto options = std::make_shared<RunnerOptions>();
  AddRunnerOptions(*line, *options);
  return {line, [name, options, body = std::move(body)] { return RunStationCommand(name, *options, body); }};
}

}  // namespace spectrel::cli
