// The sub-commands of spectrel-cli. Each takes the arguments after its name and returns the
// process exit code.
#pragma once

#include <string>
#include <vector>

namespace spectrel::cli {

using Args = std::vector<std::string>;

int ProbeCommand(const Args& args);    // probe --model SR-10x --port PATH [--json]
int InfoCommand(const Args& args);     // info DAYFILE [--json]
int ExportCommand(const Args& args);   // export DAYFILE --out DIR [...]
int MeasureCommand(const Args& args);  // measure [--profile INI] [--simulate]
int RunCommand(const Args& args);      // run [--profile INI] [--simulate]

}  // namespace spectrel::cli
