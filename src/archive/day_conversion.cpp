#include "archive/day_conversion.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "archive/day_source.h"
#include "base/local_time.h"
#include "files/day_load.h"
#include "files/day_part_name.h"
#include "files/station_names.h"
#include "spectrum/resample.h"

namespace spectrel::archive {

namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// Written under a temporary name here, flushed to disk and renamed to its own name while the
// worker converts the next day.
DayOutcome ConvertToNetCdf(const DaySource& source, const DayConversion& conversion) {
  ArchiveDay day;
  std::string error;
  if (!LoadDayFile(source.Path, conversion.Zone, day, error)) return {false, 0, error, {}, {}};
  const std::optional<std::string> named = NetCdfPathOf(conversion.OutFolder, source.Path);
  const std::string path =
      named ? *named
            : (std::filesystem::path(conversion.OutFolder) / FormatClock(day.Clocks.front(), "%Y") /
               (FormatClock(day.Clocks.front(), "%Y%m%d") + ".nc")).string();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) return {false, 0, "cannot create the folder of " + path + ": " + ec.message(), {}, {}};
  const std::string temp = WriteNetCdfTemporary(day, conversion.NetCdf, path);
  const std::uint64_t bytes = source.Bytes;
  return {true, bytes, path,
          [temp, path, bytes, warnings = Lines(day.Times.Warnings)] {
            CommitNetCdfDay(temp, path);
            return DayOutcome{true, bytes, path, {}, warnings};
          },
          {}};
}

// A day file that stops at a bad time stamp gives the files of the points before it and counts
// as failed: the same whatever else the run is asked.
DayOutcome ConvertToCsv(const DaySource& source, const DayConversion& conversion) {
  const LoadedDay day = LoadDay(source.Path, std::nullopt);
  if (!day.Loaded() && day.Error != DayLoadError::BadTime) return {false, 0, day.ErrorText(), {}, {}};
  std::string error;
  std::vector<std::string> written;
  std::vector<int> skipped;
  if (!ExportDayCsv(day.Set, conversion.Csv, conversion.OutFolder, DayPartOf(source.Path), written, skipped, error))
    return {false, 0, error, {}, {}};
  std::vector<std::string> warnings;
  for (int j : skipped) warnings.push_back("point " + std::to_string(j) + " has no local time, left out");
  if (!day.TailText().empty()) warnings.push_back("day file " + day.TailText() + ", exported up to there");
  if (!day.Loaded())
    warnings.push_back(day.ErrorText() + "; exported the " + std::to_string(day.Set.RadCount()) +
                       " points read before it; spectrel-cli repair writes a day file of every readable point");
  DayOutcome outcome{true, source.Bytes, Lines(written), {}, Lines(warnings)};
  outcome.Partial = !day.Loaded();
  return outcome;
}

}  // namespace

DayOutcome ConvertDay(const DaySource& source, const DayConversion& conversion) {
  return conversion.Format == ArchiveFormat::NetCdf ? ConvertToNetCdf(source, conversion)
                                                    : ConvertToCsv(source, conversion);
}

void ConvertDays(const std::vector<DaySource>& days, const DayConversion& conversion, int jobs,
                 const DayReport& report) {
  RunDayWorkers(days.size(), WorkerCount(jobs, days.size()),
                [&](std::size_t k) { return ConvertDay(days[k], conversion); }, report);
}

bool ExportDayCsv(const CKrfData& day, const CsvOptions& options, const std::string& outFolder, int part,
                  std::vector<std::string>& written, std::vector<int>& skipped, std::string& error) {
  std::string folder = outFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  // The file of an hour is last rewritten at the last point that belongs to it.
  const int count = day.RadCount();
  std::vector<std::string> paths(static_cast<std::size_t>(count));
  std::map<std::string, int> lastPoint;
  for (int j = 0; j < count; ++j) {
    const std::int64_t t = day.Rad(j).MeasureTime;
    if (!LocalTm(t)) {
      skipped.push_back(j + 1);
      continue;
    }
    paths[static_cast<std::size_t>(j)] = HourCsvPath(folder, t, part);
    lastPoint[paths[static_cast<std::size_t>(j)]] = j;
  }

  // The day as the measuring program held it, growing one point at a time. The CSV file takes
  // its columns from the information records and the points; the site strings are not in it.
  CKrfData sofar;
  for (int model = SR101; model <= SR104; ++model)
    if (const SensorInfo* info = day.Info(model)) sofar.SetInfo(model, *info);
  std::vector<double> merged;
  BuildMergedWavelengths(sofar, merged);
  CCsvWriter writer;
  for (int j = 0; j < count; ++j) {
    sofar.AppendRad(day.Rad(j));
    const std::string& path = paths[static_cast<std::size_t>(j)];
    if (path.empty() || lastPoint[path] != j) continue;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    errno = 0;
    if (!writer.WriteCsvFile(path, sofar, options, merged)) {
      error = "cannot write " + path + ": " + (ec ? ec.message() : std::string(std::strerror(errno)));
      return false;
    }
    written.push_back(path);
  }
  return true;
}

}  // namespace spectrel::archive
