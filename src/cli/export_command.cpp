// "export": the hourly CSV files of a day file, each as the measuring program left it after the
// last point of its hour.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/local_time.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/day_load.h"
#include "cli/option_checks.h"
#include "files/csv_writer.h"
#include "files/krf_file.h"
#include "base/local_time.h"
#include "measure/settings_options.h"
#include "measure/day_paths.h"
#include "settings/profile.h"
#include "spectrum/records.h"
#include "spectrum/resample.h"

namespace spectrel::cli {

namespace {

struct ExportOptions {
  std::string DayFile;                         // the day file to read
  std::string OutFolder;                       // --out: the year folders go below it
  std::string ProfilePath;                     // --profile: CSV settings; none: the defaults
  std::optional<int> Pitch;                    // --pitch: 0 raw pixels, 1 the 1 nm grid
  std::optional<int> From;                     // --from: first grid wavelength, nm
  std::optional<int> To;                       // --to: last grid wavelength, nm
  std::optional<std::array<int, 4>> Sensors;   // --sensors: models to include
  std::optional<int> Merge;                    // --merge 1, --no-merge 0
};

// The profile's CSV settings (or the defaults) with the command line's choices on top.
AppSettings ExportSettings(const ExportOptions& options) {
  AppSettings settings;
  if (!options.ProfilePath.empty()) {
    if (!std::filesystem::exists(options.ProfilePath))
      std::fprintf(stderr, "spectrel-cli export: no profile %s, using the default settings\n",
                   options.ProfilePath.c_str());
    LoadSettings(settings, options.ProfilePath);
  }
  if (options.Pitch) settings.CsvPitch = *options.Pitch;
  if (options.From) settings.CsvFrom = *options.From;
  if (options.To) settings.CsvTo = *options.To;
  if (options.Sensors) settings.CsvSensor = *options.Sensors;
  if (options.Merge) settings.CsvMerge = *options.Merge;
  return settings;
}

// "raw" (the sensors' own pixels) to 0, "1nm" (the 1 nm grid) to 1, in any letter case.
CLI::Validator PitchCheck() {
  return CLI::Validator(
      [](std::string& text) {
        const std::string pitch = CLI::detail::to_lower(text);
        if (pitch != "raw" && pitch != "1nm") return "raw or 1nm, not '" + text + "'";
        text = pitch == "raw" ? "0" : "1";
        return std::string();
      },
      "");
}

// Reads the day file; false (after a message) when it could not be read completely. What was
// read stays in day either way.
bool ReadDay(const std::string& path, CKrfData& day) {
  const DayLoad load = LoadDay(path, day);
  if (load.Error.empty()) return true;
  if (load.Result)
    std::fprintf(stderr, "spectrel-cli export: %s: %s\n", path.c_str(), load.Error.c_str());
  else
    std::fprintf(stderr, "spectrel-cli export: %s: %s; exporting the %d points read before it\n",
                 path.c_str(), load.Error.c_str(), day.RadCount());
  return false;
}

// Writes the hour files of day; false when one of them could not be written.
bool ExportHours(const CKrfData& day, const AppSettings& settings, const std::string& outFolder) {
  // The file of an hour is last rewritten at the last point that belongs to it.
  const int count = day.RadCount();
  std::vector<std::string> paths(static_cast<std::size_t>(count));
  std::map<std::string, int> lastPoint;
  for (int j = 0; j < count; ++j) {
    const std::int64_t t = day.Rad(j).MeasureTime;
    if (!LocalTm(t)) {
      std::fprintf(stderr, "spectrel-cli export: point %d has no local time, left out\n", j + 1);
      continue;
    }
    paths[static_cast<std::size_t>(j)] = HourCsvPath(outFolder, t);
    lastPoint[paths[static_cast<std::size_t>(j)]] = j;
  }

  // The day as the measuring program held it, growing one point at a time. The CSV file takes
  // its columns from the information records and the points; the site strings are not in it.
  CKrfData sofar;
  for (int model = SR101; model <= SR104; ++model)
    if (const SensorInfo* info = day.Info(model)) sofar.SetInfo(model, *info);
  std::vector<double> merged;
  BuildMergedWavelengths(sofar, merged);

  bool ok = true;
  CCsvWriter writer;
  for (int j = 0; j < count; ++j) {
    sofar.AppendRad(day.Rad(j));
    const std::string& path = paths[static_cast<std::size_t>(j)];
    if (path.empty() || lastPoint[path] != j) continue;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (writer.WriteCsvFile(path, sofar, CsvOptionsFrom(settings), merged) == 1) {
      std::printf("%s\n", path.c_str());
    } else {
      std::fprintf(stderr, "spectrel-cli export: cannot write %s\n", path.c_str());
      ok = false;
    }
  }
  return ok;
}

int RunExport(const ExportOptions& options) {
  const AppSettings settings = ExportSettings(options);
  CKrfData day;
  const bool loaded = ReadDay(options.DayFile, day);
  const bool written = ExportHours(day, settings, WithTrailingSlash(options.OutFolder));
  std::fflush(stdout);
  return loaded && written ? 0 : 1;
}

void AddExportOptions(CLI::App& line, ExportOptions& options) {
  line.add_option("DAYFILE", options.DayFile, "the day file to read")->required();
  line.add_option("--out", options.OutFolder, "folder below which the year folders go")
      ->required()
      ->type_name("DIR");
  line.add_option("--pitch", options.Pitch, "raw: the sensors' own pixels; 1nm: the 1 nm grid")
      ->type_name("raw|1nm")
      ->transform(PitchCheck());
  line.add_option("--from", options.From, "first wavelength of the grid, nm")->type_name("NM");
  line.add_option("--to", options.To, "last wavelength of the grid, nm")->type_name("NM");
  line.add_option_function<std::string>(
          "--sensors", [&options](const std::string& list) { options.Sensors = ModelFlags(list); },
          "models to include, e.g. SR101,SR103 (empty: none)")
      ->type_name("LIST")
      ->check(ModelListCheck());
  line.add_flag_callback("--merge", [&options] { options.Merge = 1; }, "add the merged spectrum");
  line.add_flag_callback("--no-merge", [&options] { options.Merge = 0; }, "leave the merged spectrum out");
  line.add_option("--profile", options.ProfilePath, "CSV settings (default: raw pixels, all models, merged)")
      ->type_name("INI");
  line.callback([&options] {
    if (options.From && options.To && *options.From > *options.To)
      throw CLI::ValidationError("--from must not be above --to");
  });
}

}  // namespace

Command AddExportCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand(
      "export", "Write the hourly CSV files DIR/YYYY/YYYYMMDDHH.CSV of a day file.");
  auto options = std::make_shared<ExportOptions>();
  AddExportOptions(*line, *options);
  return {line, [options] { return RunExport(*options); }};
}

}  // namespace spectrel::cli
