#include "cli/archive_csv_day.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "base/local_time.h"
#include "cli/day_load.h"
#include "files/csv_writer.h"
#include "measure/day_paths.h"
#include "measure/settings_options.h"
#include "spectrum/resample.h"

namespace spectrel::cli {

bool ExportDayCsv(const CKrfData& day, const AppSettings& settings, const std::string& outFolder,
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
    paths[static_cast<std::size_t>(j)] = HourCsvPath(folder, t);
    lastPoint[paths[static_cast<std::size_t>(j)]] = j;
  }

  // The day as the measuring program held it, growing one point at a time. The CSV file takes
  // its columns from the information records and the points; the site strings are not in it.
  CKrfData sofar;
  for (int model = SR101; model <= SR104; ++model)
    if (const SensorInfo* info = day.Info(model)) sofar.SetInfo(model, *info);
  std::vector<double> merged;
  BuildMergedWavelengths(sofar, merged);
  const CsvOptions options = CsvOptionsFrom(settings);
  CCsvWriter writer;
  for (int j = 0; j < count; ++j) {
    sofar.AppendRad(day.Rad(j));
    const std::string& path = paths[static_cast<std::size_t>(j)];
    if (path.empty() || lastPoint[path] != j) continue;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (writer.WriteCsvFile(path, sofar, options, merged) != 1) {
      error = "cannot write " + path;
      return false;
    }
    written.push_back(path);
  }
  return true;
}

bool ExportDayFileCsv(const std::string& dayFile, const AppSettings& settings,
                      const std::string& outFolder, std::vector<std::string>& written,
                      std::string& error) {
  CKrfData day;
  const DayLoad load = LoadDay(dayFile, day);
  if (!load.Error.empty()) {
    error = dayFile + ": " + load.Error;
    return false;
  }
  std::vector<int> skipped;
  return ExportDayCsv(day, settings, outFolder, written, skipped, error);
}

}  // namespace spectrel::cli
