// "export": the command line of the export, parsed into its one options struct; the run is in
// export_run.cpp and the conversion in the archive.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/export_run.h"
#include "cli/option_checks.h"

namespace spectrel::cli {

namespace {

// "raw" (the sensors' own pixels) or "1nm" (the 1 nm grid), in any letter case.
CLI::Validator PitchCheck() {
  return CLI::Validator(
      [](std::string& text) {
        const std::string pitch = CLI::detail::to_lower(text);
        if (pitch != "raw" && pitch != "1nm") return "raw or 1nm, not '" + text + "'";
        text = pitch;
        return std::string();
      },
      "");
}

// The command line as typed, each argument quoted for the shell where it must be, for the NetCDF
// history; the kernel keeps it whole for the process.
std::string TypedCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string line;
  for (std::size_t at = 0; at < all.size();) {
    std::size_t end = all.find('\0', at);
    if (end == std::string::npos) end = all.size();
    std::string arg = all.substr(at, end - at);
    const bool plain = !arg.empty() && arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                             "0123456789_-+=/.,:@%") == std::string::npos;
    if (!plain) {
      std::string quoted = "'";
      for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
      arg = quoted + "'";
    }
    line += (line.empty() ? "" : " ") + arg;
    at = end + 1;
  }
  return line.empty() ? "spectrel-cli export" : line;
}

void AddExportOptions(CLI::App& line, ExportOptions& options) {
  line.add_option("INPUT", options.Input, "a day file, or a folder searched for day files at any depth")
      ->required()
      ->type_name("DAYFILE|FOLDER");
  line.add_option("--format", options.Format, "csv: hourly CSV files (default); netcdf: OUT/YYYY/YYYYMMDD.nc")
      ->type_name("csv|netcdf")
      ->check(CLI::IsMember({"csv", "netcdf"}, CLI::ignore_case));
  line.add_flag("--force", options.Force, "convert days whose output is newer than the day file too");
  line.add_flag("--quiet", options.Quiet, "print errors only (no progress)");
  line.add_option("--jobs", options.Jobs, "days converted at once (default: one per core)")
      ->type_name("N")
      ->check(CLI::Range(1, 256));
  line.add_option("--out", options.OutFolder, "folder below which the year folders go")
      ->required()
      ->type_name("DIR");
  line.add_option_function<std::string>(
          "--pitch",
          [&options](const std::string& pitch) {
            options.Pitch = pitch == "1nm" ? WavelengthPitch::OneNm : WavelengthPitch::Raw;
          },
          "raw: the sensors' own pixels; 1nm: the 1 nm grid")
      ->type_name("raw|1nm")
      ->transform(PitchCheck());
  line.add_option("--from", options.From, "first wavelength of the grid, nm")->type_name("NM");
  line.add_option("--to", options.To, "last wavelength of the grid, nm")->type_name("NM");
  line.add_option_function<std::string>(
          "--sensors", [&options](const std::string& list) { options.Sensors = ModelFlags(list); },
          "models to include, e.g. SR101,SR103 (empty: none)")
      ->type_name("LIST")
      ->check(ModelListCheck());
  line.add_flag_callback("--merge", [&options] { options.Merge = true; }, "add the merged spectrum");
  line.add_flag_callback("--no-merge", [&options] { options.Merge = false; }, "leave the merged spectrum out");
  line.add_option("--profile", options.ProfilePath,
                  "CSV settings and the station's zone (default: raw pixels, all models, merged)")
      ->type_name("INI");
  line.add_option("--tz", options.ZoneName,
                  "the station's time zone for the NetCDF times (default: the profile's, else the day "
                  "file's own offset)")
      ->type_name("AREA/CITY");
  line.add_option("--significant-digits", options.SignificantDigits,
                  "NetCDF: keep this many significant decimal digits of the irradiances (smaller files; "
                  "default: every bit)")
      ->type_name("N")
      ->check(CLI::Range(1, 7));
}

}  // namespace

Command AddExportCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand(
      "export", "Write the hourly CSV files DIR/YYYY/YYYYMMDDHH.CSV, or CF NetCDF day files\n"
      "DIR/YYYY/YYYYMMDD.nc, of a day file or of every day file below a folder.");
  auto options = std::make_shared<ExportOptions>();
  AddExportOptions(*line, *options);
  return {line, [options] {
            options->CommandLine = TypedCommandLine();
            return RunExport(*options);
          }};
}

}  // namespace spectrel::cli
