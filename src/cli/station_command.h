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

// Registers "measure" or "run" with the options of a measuring command. Once parsed, it sets up
// the station, runs body with a fresh document and reports the end; a station that cannot be set
// up ends it early with exit code 1.
Command AddStationCommand(CLI::App& program, const std::string& name, const std::string& description,
                          StationBody body);

}  // namespace spectrel::cli
