// "export": the hourly CSV files of a day file, each as the measuring program left it after the
// last point of its hour.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
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
  bool Help = false;                           // --help
};

const char* const kUsage =
    "usage: spectrel-cli export DAYFILE --out DIR [--pitch raw|1nm] [--from NM --to NM]\n"
    "                           [--sensors LIST] [--merge|--no-merge] [--profile INI]\n"
    "  Writes DIR/YYYY/YYYYMMDDHH.CSV for every hour of the day file that has measurements.\n"
    "  LIST names the models to include, e.g. SR101,SR103 (empty: none).\n"
    "  Without --profile the CSV settings are the defaults: raw pixels, all models, merged.\n";

// Lower case without dashes, so that "SR-101", "sr101" and "SR101" name the same model.
std::string Folded(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '-') continue;
    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return out;
}

std::optional<int> WholeNumber(const std::string& text) {
  int value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// "SR101,SR103": a flag per model named; nothing when a name is not a model.
std::optional<std::array<int, 4>> SensorList(const std::string& text) {
  std::array<int, 4> chosen{0, 0, 0, 0};
  if (text.empty()) return chosen;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string name = Folded(text.substr(start, comma - start));
    int found = -1;
    for (int model = SR101; model <= SR104; ++model)
      if (name == Folded(Models[static_cast<std::size_t>(model)].Tag)) found = model;
    if (found < 0) return std::nullopt;
    chosen[static_cast<std::size_t>(found)] = 1;
    start = comma + 1;
  }
  return chosen;
}

bool ParseExportOptions(const Args& args, ExportOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.Help = true;
    } else if (arg == "--out") {
      if (!value(options.OutFolder)) return false;
    } else if (arg == "--profile") {
      if (!value(options.ProfilePath)) return false;
    } else if (arg == "--pitch") {
      if (!value(text)) return false;
      if (Folded(text) == "raw") {
        options.Pitch = 0;
      } else if (Folded(text) == "1nm") {
        options.Pitch = 1;
      } else {
        error = "--pitch must be raw or 1nm, not '" + text + "'";
        return false;
      }
    } else if (arg == "--from" || arg == "--to") {
      if (!value(text)) return false;
      const std::optional<int> nm = WholeNumber(text);
      if (!nm) {
        error = arg + " needs a whole number of nm, not '" + text + "'";
        return false;
      }
      (arg == "--from" ? options.From : options.To) = nm;
    } else if (arg == "--sensors") {
      if (!value(text)) return false;
      options.Sensors = SensorList(text);
      if (!options.Sensors) {
        error = "--sensors takes models such as SR101,SR103, not '" + text + "'";
        return false;
      }
    } else if (arg == "--merge" || arg == "--no-merge") {
      options.Merge = arg == "--merge" ? 1 : 0;
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else if (options.DayFile.empty()) {
      options.DayFile = arg;
    } else {
      error = "only one day file can be exported at a time";
      return false;
    }
  }
  if (options.Help) return true;
  if (options.DayFile.empty()) error = "no day file given";
  else if (options.OutFolder.empty()) error = "no output folder given (--out DIR)";
  else if (options.From && options.To && *options.From > *options.To)
    error = "--from must not be above --to";
  return error.empty();
}

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

const char* LoadFailure(int result) {
  switch (result) {
    case -1: return "not a day file";
    case -2: return "cannot be read";
    case -3: return "no such file";
    case -4: return "out of memory";
    default: return "cannot be loaded";
  }
}

// Reads the day file; false (after a message) when it could not be read completely. What was
// read stays in day either way.
bool LoadDay(const std::string& path, CKrfData& day) {
  try {
    const int result = LoadKrf(day, path);
    if (result >= 0) return true;
    std::fprintf(stderr, "spectrel-cli export: %s: %s\n", path.c_str(), LoadFailure(result));
  } catch (const KrfTimeError& e) {
    std::fprintf(stderr, "spectrel-cli export: %s: %s; exporting the %d points read before it\n",
                 path.c_str(), e.what(), day.RadCount());
  }
  return false;
}

// Writes the hour files of day; false when one of them could not be written.
bool ExportHours(CKrfData& day, const AppSettings& settings, const std::string& outFolder) {
  // The file of an hour is last rewritten at the last point that belongs to it.
  const int count = day.RadCount();
  std::vector<std::string> paths(static_cast<std::size_t>(count));
  std::map<std::string, int> lastPoint;
  for (int j = 0; j < count; ++j) {
    const std::int64_t t = day.Rad(j).MeasureTime;
    if (FormatLocal(t, "%Y%m%d%H").empty()) {
      std::fprintf(stderr, "spectrel-cli export: point %d has no local time, left out\n", j + 1);
      continue;
    }
    paths[static_cast<std::size_t>(j)] = HourCsvPath(outFolder, t);
    lastPoint[paths[static_cast<std::size_t>(j)]] = j;
  }

  // The day as the measuring program held it, growing one point at a time.
  CKrfData sofar;
  sofar.SiteName = day.SiteName;
  sofar.SiteLon = day.SiteLon;
  sofar.SiteLat = day.SiteLat;
  sofar.SiteAlt = day.SiteAlt;
  sofar.TimeZone = day.TimeZone;
  for (int model = SR101; model <= SR104; ++model)
    if (const SensorInfo* info = day.Info(model)) sofar.SetInfo(model, *info);
  std::vector<double> merged;
  BuildMergedWavelengths(sofar, merged);

  bool ok = true;
  CCsvWriter writer;
  for (int j = 0; j < count; ++j) {
    sofar.AppendRad(std::move(day.Rad(j)));
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

}  // namespace

int ExportCommand(const Args& args) {
  ExportOptions options;
  std::string error;
  if (!ParseExportOptions(args, options, error)) {
    std::fprintf(stderr, "spectrel-cli export: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.Help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const AppSettings settings = ExportSettings(options);
  std::string out = options.OutFolder;
  if (out.back() != '/') out += '/';

  CKrfData day;
  const bool loaded = LoadDay(options.DayFile, day);
  const bool written = ExportHours(day, settings, out);
  std::fflush(stdout);
  return loaded && written ? 0 : 1;
}

}  // namespace spectrel::cli
