#include "cli/archive_batch.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <vector>

#include "archive/day_source.h"
#include "archive/netcdf_day_writer.h"
#include "base/station_zone.h"
#include "cli/archive_csv_day.h"
#include "cli/archive_days.h"
#include "cli/batch_progress.h"
#include "cli/day_workers.h"
#include "settings/profile.h"

namespace spectrel::cli {

namespace {

constexpr const char* Prefix = "spectrel-cli export: ";

AppSettings BatchSettings(const ArchiveBatchOptions& options) {
  AppSettings settings;
  if (options.Settings)
    settings = *options.Settings;
  else if (!options.ProfilePath.empty())
    LoadSettings(settings, options.ProfilePath);
  if (options.From) settings.CsvFrom = *options.From;
  if (options.To) settings.CsvTo = *options.To;
  if (options.NoMerge) settings.CsvMerge = 0;
  return settings;
}

archive::ArchiveSettings NetCdfSettings(const ArchiveBatchOptions& options, const AppSettings& s) {
  archive::ArchiveSettings a;
  a.Grid.FromNm = s.CsvFrom;
  a.Grid.ToNm = s.CsvTo;
  a.Grid.Merge = !options.NoMerge;
  a.Grid.IntegFrom = s.IntegFrom;
  a.Grid.IntegTo = s.IntegTo;
  a.History = options.CommandLine.empty() ? "spectrel-cli export" : options.CommandLine;
  a.SignificantDigits = options.SignificantDigits;
  return a;
}

// Lines for the operator, one per warning of the day's times.
std::string WarningLines(const DayTimes& times) {
  std::string lines;
  for (const std::string& w : times.Warnings) lines += (lines.empty() ? "" : "\n") + w;
  return lines;
}

// One day to NetCDF, in a worker: written under a temporary name here, flushed to disk and
// renamed to its own name while the worker converts the next day.
DayOutcome ConvertDay(const DaySource& source, const std::string& out, const std::optional<StationZone>& zone,
                      const archive::ArchiveSettings& settings) {
  archive::ArchiveDay day;
  std::string error;
  if (!archive::LoadDayFile(source.Path, zone, day, error)) return {false, 0, error, {}, {}};
  std::string date = DateOfDayFile(source.Path);
  if (date.empty()) date = FormatClock(day.Clocks.front(), "%Y%m%d");
  const std::string path = NetCdfPath(out, date);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) return {false, 0, "cannot create the folder of " + path + ": " + ec.message(), {}, {}};
  const std::string temp = archive::WriteNetCdfTemporary(day, settings, path);
  const std::uint64_t bytes = source.Bytes;
  return {true, bytes, path,
          [temp, path, bytes, warnings = WarningLines(day.Times)] {
            archive::CommitNetCdfDay(temp, path);
            return DayOutcome{true, bytes, path, {}, warnings};
          },
          {}};
}

DayOutcome ConvertDayCsv(const DaySource& source, const ArchiveBatchOptions& options,
                         const AppSettings& settings) {
  std::string error;
  std::vector<std::string> written;
  if (!ExportDayFileCsv(source.Path, settings, options.OutFolder, written, error))
    return {false, 0, error, {}, {}};
  std::string lines;
  for (const std::string& path : written) lines += (lines.empty() ? "" : "\n") + path;
  return {true, source.Bytes, lines, {}, {}};
}

// Days to leave out before any work: up to date (unless forced), or a second day file of a date
// already taken by another. Marks them in skip and reports them.
std::vector<char> SortOut(const std::vector<DaySource>& days, const ArchiveBatchOptions& options,
                          BatchProgress& progress) {
  std::vector<char> skip(days.size(), 0);
  if (options.Format != "netcdf") return skip;
  std::map<std::string, std::string> taken;   // output path -> day file
  for (std::size_t i = 0; i < days.size(); ++i) {
    const std::string date = DateOfDayFile(days[i].Path);
    if (date.empty()) continue;
    const std::string out = NetCdfPath(options.OutFolder, date);
    const auto [it, fresh] = taken.emplace(out, days[i].Path);
    if (!fresh) {
      skip[i] = 1;
      progress.Failed(Prefix + days[i].Path + ": skipped, " + it->second + " already gives " + out,
                      days[i].Bytes);
    } else if (!options.Force && UpToDate(out, days[i].Path)) {
      skip[i] = 1;
      progress.UpToDate();
    }
  }
  return skip;
}

}  // namespace

int RunArchiveBatch(const ArchiveBatchOptions& options) {
  if (options.Format != "netcdf" && options.Format != "csv") {
    std::fprintf(stderr, "%sunknown format '%s' (netcdf or csv)\n", Prefix, options.Format.c_str());
    return 2;
  }
  if (options.From && options.To && *options.From > *options.To) {
    std::fprintf(stderr, "%s--from must not be above --to\n", Prefix);
    return 2;
  }
  std::string error;
  std::vector<DaySource> days;
  if (!FindDayFiles(options.Input, days, error)) {
    std::fprintf(stderr, "%s%s\n", Prefix, error.c_str());
    return 1;
  }
  if (days.empty()) {
    std::fprintf(stderr, "%s%s: no day files (*.KRF) in this folder\n", Prefix, options.Input.c_str());
    return 1;
  }
  if (!PrepareOutputFolder(options.OutFolder, error)) {
    std::fprintf(stderr, "%s%s\n", Prefix, error.c_str());
    return 1;
  }
  const AppSettings settings = BatchSettings(options);
  const archive::ArchiveSettings netcdf = NetCdfSettings(options, settings);
  std::optional<StationZone> zone;
  if (!options.ZoneName.empty() && !(zone = StationZone::Named(options.ZoneName))) {
    std::fprintf(stderr, "%sunknown time zone '%s' (an IANA name such as Asia/Tokyo)\n", Prefix,
                 options.ZoneName.c_str());
    return 2;
  }

  std::uint64_t bytes = 0;
  for (const DaySource& d : days) bytes += d.Bytes;
  BatchProgress progress(days.size(), bytes, options.Quiet, ::isatty(STDERR_FILENO) == 1);
  const std::vector<char> skip = SortOut(days, options, progress);
  std::vector<std::size_t> todo;
  for (std::size_t i = 0; i < days.size(); ++i)
    if (!skip[i]) todo.push_back(i);

  const auto job = [&](std::size_t k) {
    const DaySource& source = days[todo[k]];
    return options.Format == "netcdf" ? ConvertDay(source, options.OutFolder, zone, netcdf)
                                      : ConvertDayCsv(source, options, settings);
  };
  const auto report = [&](std::size_t k, const DayOutcome& outcome) {
    const DaySource& source = days[todo[k]];
    if (!outcome.Warnings.empty()) {
      std::size_t from = 0;
      while (from <= outcome.Warnings.size()) {
        const std::size_t end = std::min(outcome.Warnings.find('\n', from), outcome.Warnings.size());
        progress.Warned(Prefix + source.Path + ": " + outcome.Warnings.substr(from, end - from));
        from = end + 1;
      }
    }
    if (outcome.Ok) {
      progress.Written(outcome.Message, source.Bytes);
    } else {
      progress.Failed(Prefix + source.Path + ": " + outcome.Message, source.Bytes);
    }
  };
  RunDayWorkers(todo.size(), WorkerCount(options.Jobs, todo.size()), job, report);
  progress.Finish();
  return progress.AnyFailed() ? 1 : 0;
}

}  // namespace spectrel::cli
