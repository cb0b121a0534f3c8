// spectrel-cli: the measuring core without a window, for unattended stations and scripts.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

using namespace spectrel::cli;

namespace {

// Exit code of a command line that cannot be run as written.
constexpr int BadUsage = 2;

// The problem on one line, then the help of the subcommand it concerns (or of the program).
int ReportBadUsage(const CLI::App& program, const std::vector<Command>& commands,
                   const CLI::ParseError& error, int argc, char** argv) {
  const auto chosen = program.get_subcommands();
  const CLI::App& where = chosen.empty() ? program : *chosen.front();
  std::string name = program.get_name();
  if (&where != &program) name += " " + where.get_name();
  if (chosen.empty() && argc > 1 && argv[1][0] != '-')
    std::fprintf(stderr, "%s: unknown command '%s'\n", name.c_str(), argv[1]);
  else
    std::fprintf(stderr, "%s: %s\n", name.c_str(), error.what());
  std::fputs(where.help(&where == &program ? "" : program.get_name()).c_str(), stderr);
  for (const Command& command : commands)
    if (command.Line == &where) return command.BadUsageExit;
  return BadUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App program("The measuring core without a window, for unattended stations and scripts.",
                   "spectrel-cli");
  program.require_subcommand(1);
  const std::vector<Command> commands{AddProbeCommand(program), AddPortsCommand(program), AddInfoCommand(program),
                                      AddExportCommand(program), AddMeasureCommand(program),
                                      AddRunCommand(program), AddStatusCommand(program),
                                      AddRepairCommand(program), AddServeCommand(program)};
  program.footer("Each command's --help tells more.");   // after them: not a line of their help
  try {
    program.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(program.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    return ReportBadUsage(program, commands, error, argc, argv);
  }
  for (const Command& command : commands)
    if (command.Line->parsed()) return command.Run();
  return BadUsage;
}
