// The subcommands of spectrel-cli. Each file registers one on the program's command line, with
// its options bound to a struct it owns, and hands back what runs it once the line has parsed.
// A new subcommand is a new file with its Add function and one line in main.cpp's list.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace spectrel::cli {

struct Command {
  CLI::App* Line = nullptr;     // the subcommand on the program's command line
  std::function<int()> Run;     // runs it with the parsed options; returns the exit code
  int BadUsageExit = 2;         // exit code of a command line it cannot run
};

Command AddConfigCommand(CLI::App& program);    // config [--profile INI] [--json]
Command AddProbeCommand(CLI::App& program);     // probe --model SR-10x --port PATH [--json]
Command AddPortsCommand(CLI::App& program);     // ports [--json]
Command AddInfoCommand(CLI::App& program);      // info DAYFILE [--json]
Command AddExportCommand(CLI::App& program);    // export DAYFILE --out DIR [...]
Command AddMeasureCommand(CLI::App& program);   // measure [--profile INI] [--simulate[=auto]]
Command AddRepairCommand(CLI::App& program);    // repair DAYFILE --out FILE
Command AddRunCommand(CLI::App& program);       // run [--profile INI] [--simulate[=auto]]
Command AddStatusCommand(CLI::App& program);    // status [--data DIR | --profile INI] [--json]
Command AddServeCommand(CLI::App& program);     // serve [--data DIR | --profile INI] [--listen ADDR:PORT]

}  // namespace spectrel::cli
