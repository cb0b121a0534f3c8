// spectrel-cli: the measuring core without a window, for unattended stations and scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

void Usage() {
  std::fputs(
      "usage: spectrel-cli COMMAND [options]\n"
      "  probe   --model SR-10x --port PORT [--json]   identify a sensor and take one measurement\n"
      "  info    DAYFILE [--json]                      show what a day file holds\n"
      "  export  DAYFILE --out DIR [--pitch raw|1nm] [--from NM --to NM] [--sensors LIST]\n"
      "          [--merge|--no-merge] [--profile INI]  write the hourly CSV files of a day\n"
      "  measure [--profile INI] [--simulate[=auto] [--unpaced]] [--data DIR] [--verbose]\n"
      "                                                one manual measurement\n"
      "  run     [--profile INI] [--simulate[=auto] [--unpaced]] [--data DIR] [--verbose]\n"
      "                                                interval measurement until SIGINT/SIGTERM\n"
      "Each command's --help tells more.\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  const std::string command = argv[1];
  const spectrel::cli::Args args(argv + 2, argv + argc);
  if (command == "probe") return spectrel::cli::ProbeCommand(args);
  if (command == "info") return spectrel::cli::InfoCommand(args);
  if (command == "export") return spectrel::cli::ExportCommand(args);
  if (command == "measure") return spectrel::cli::MeasureCommand(args);
  if (command == "run") return spectrel::cli::RunCommand(args);
  if (command == "--help" || command == "-h" || command == "help") {
    Usage();
    return 0;
  }
  std::fprintf(stderr, "spectrel-cli: unknown command '%s'\n", command.c_str());
  Usage();
  return 2;
}
