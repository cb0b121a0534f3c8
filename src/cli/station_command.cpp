#include "cli/station_command.h"

#include <cstdio>

#include "cli/cli_options.h"

namespace spectrel::cli {

int RunStationCommand(const std::string& command, const Args& args, const StationBody& body) {
  InstallStopSignals();   // before any thread exists
  const long threadsAtStart = ThreadCount();
  RunnerOptions options;
  AppSettings settings;
  RunnerSettingsSource source;
  SimulatedStation simulation;   // outlives the document, which closes its ports on destruction
  if (const int early = PrepareRunner(command, args, options, settings, source, simulation);
      early >= 0) {
    return early;
  }
  CliHost host(stdout, options.Verbose);
  ReportSetup(host, source, settings, simulation);
  int code = 1;
  {
    CSpectrelDoc doc(settings, host);
    code = body(doc, host, settings);
  }
  simulation.Stop();
  ReportEnd(host, settings, options.Verbose, threadsAtStart);
  return code;
}

}  // namespace spectrel::cli
