// "repair": a new day file from every point of a damaged one that can still be read. The damaged
// file is only read; the new one is written under a name that must not exist yet.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "files/day_load.h"
#include "files/krf_file.h"

namespace spectrel::cli {

namespace {

struct RepairOptions {
  std::string DayFile;   // the damaged day file, read only
  std::string Out;       // the new day file; must not exist
};

int Fail(const RepairOptions& options, const std::string& why) {
  std::fprintf(stderr, "spectrel-cli repair: %s: %s\n", options.DayFile.c_str(), why.c_str());
  return 1;
}

// What was kept and what was left behind, in one line for the operator.
std::string Summary(const CKrfData& set, const KrfReadReport& report) {
  std::string line = "kept " + std::to_string(set.RadCount()) + " points; dropped " +
                     std::to_string(report.DroppedPoints) + " points and " +
                     std::to_string(report.DroppedBlocks) + " sensor blocks with an invalid time";
  if (report.TailDamaged)
    line += "; dropped the last " + std::to_string(report.Size - report.CompleteEnd) +
            " bytes (cut short after byte " + std::to_string(report.CompleteEnd) + ")";
  return line;
}

int RunRepair(const RepairOptions& options) {
  std::error_code ec;
  if (std::filesystem::exists(options.Out, ec) || ec)
    return Fail(options, "--out " + options.Out + " exists: a repair writes only a new file and it is never overwritten; "
                         "name a file that does not exist");
  const LoadedDay day = LoadDay(options.DayFile, std::nullopt, KrfReadMode::Salvage);
  if (!day.Loaded()) return Fail(options, day.ErrorText() + "; there is nothing a repair can read in it");
  if (!SaveNewKrf(day.Set, options.Out))
    return Fail(options, "cannot write " + options.Out + ": " + std::strerror(errno) + "; choose another --out");
  std::printf("%s -> %s: %s\n", options.DayFile.c_str(), options.Out.c_str(),
              Summary(day.Set, day.Read).c_str());
  return 0;
}

}  // namespace

Command AddRepairCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand(
      "repair", "Write a new day file from every point of a damaged one that can be read.");
  auto options = std::make_shared<RepairOptions>();
  line->add_option("DAYFILE", options->DayFile, "the damaged day file (only read)")->required();
  line->add_option("--out", options->Out, "the new day file; must not exist yet")
      ->required()
      ->type_name("FILE");
  return {line, [options] { return RunRepair(*options); }};
}

}  // namespace spectrel::cli
