// spectrel-cli: the measuring core without a window, for unattended stations and scripts.
#include <CLI/CLI.hpp>
#include <CLI/Version.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/library_versions.h"
#include "base/build_info.h"
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

// The build and the libraries it was built with.
std::string VersionText() {
  return spectrel::VersionLine("spectrel-cli") + "\nCLI11 " + CLI11_VERSION + ", nlohmann/json " +
         std::to_string(NLOHMANN_JSON_VERSION_MAJOR) + "." + std::to_string(NLOHMANN_JSON_VERSION_MINOR) + "." +
         std::to_string(NLOHMANN_JSON_VERSION_PATCH) + ", " + spectrel::archive::LibraryVersions() + "\n";
}

// "help [COMMAND]": the program's help, or one command's.
Command AddHelpCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand("help", "Show the help of the program or of one command.");
  auto topic = std::make_shared<std::string>();
  line->add_option("COMMAND", *topic, "the command to explain");
  return {line, [&program, line, topic] {
            if (topic->empty()) {
              std::fputs(program.help().c_str(), stdout);
              return 0;
            }
            for (const CLI::App* sub : program.get_subcommands([](CLI::App*) { return true; }))
              if (sub != line && sub->get_name() == *topic) {
                std::fputs(sub->help(program.get_name()).c_str(), stdout);
                return 0;
              }
            std::fprintf(stderr, "spectrel-cli help: unknown command '%s'\n", topic->c_str());
            return 2;
          }};
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App program("The measuring core without a window, for unattended stations and scripts.",
                   "spectrel-cli");
  program.require_subcommand(0, 1);
  bool version = false;
  program.add_flag("--version", version, "print the version, the build and the libraries, and exit");
  const std::vector<Command> commands{AddProbeCommand(program), AddPortsCommand(program), AddInfoCommand(program),
                                      AddExportCommand(program), AddMeasureCommand(program),
                                      AddRunCommand(program), AddStatusCommand(program),
                                      AddRepairCommand(program), AddServeCommand(program), AddConfigCommand(program),
                                      AddHelpCommand(program)};
  program.footer("Each command's --help tells more.\n\nExit codes: 0 done; 1 failed (the reason on standard error); "
                 "2 bad command line,\nor measure and run refused at start (profile errors, a data folder another "
                 "station holds);\nstatus: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN; config: 0 clean, 1 warnings, 2 errors.");
  try {
    program.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(program.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& error) {
    return ReportBadUsage(program, commands, error, argc, argv);
  }
  if (version) {
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  }
  for (const Command& command : commands)
    if (command.Line->parsed()) return command.Run();
  std::fprintf(stderr, "spectrel-cli: a command is required\n%s", program.help().c_str());
  return BadUsage;
}
