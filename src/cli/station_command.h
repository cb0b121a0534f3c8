// The frame shared by the measuring commands: signals, options, settings, simulated sensors, the
// host and the document, and the report at the end.
#pragma once

#include <functional>
#include <string>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "measure/spectrel_doc.h"

namespace spectrel::cli {

// What a command does with the station once it is set up; returns the exit code.
using StationBody = std::function<int(CSpectrelDoc& doc, CliHost& host, const AppSettings& settings)>;

// Sets up the station for "measure" or "run", runs body with a fresh document and reports the
// end. Usage errors and a station that cannot be set up end it early with their exit code.
int RunStationCommand(const std::string& command, const Args& args, const StationBody& body);

}  // namespace spectrel::cli
