#include "cli/station_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "cli/cli_options.h"

namespace spectrel::cli {

namespace {

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
  CliHost host(stdout, options.Verbose);
  ReportSetup(host, source, settings, simulation);
  int code = 1;
  {
    const PortSupply& ports = options.Simulate ? static_cast<const PortSupply&>(simulation) : ProfilePortSupply();
    CSpectrelDoc doc(settings, host, SystemStationClock(), ports);
    code = body(doc, host, settings);
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
