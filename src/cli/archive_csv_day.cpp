#include "cli/archive_csv_day.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "archive/day_source.h"
#include "base/local_time.h"
#include "files/csv_writer.h"
#include "files/file_output.h"
#include "measure/day_paths.h"
#include "measure/settings_options.h"
#include "spectrum/resample.h"

namespace spectrel::cli {

namespace {

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += '\n';
  }
  ReplaceFileWriter writer;
  return writer.Open(path) && writer.Write(bytes) && writer.Commit();
}

}  // namespace

bool ExportDayCsv(const std::string& dayFile, const AppSettings& settings,
                  const std::string& outFolder, std::vector<std::string>& written,
                  std::string& error) {
  CKrfData day;
  if (!archive::LoadDayFile(dayFile, day, error)) return false;
  std::string folder = outFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';

  // The points of each hour file, in day order.
  std::map<std::string, std::vector<int>> hours;
  for (int j = 0; j < day.RadCount(); ++j) {
    const std::int64_t t = day.Rad(j).MeasureTime;
    if (LocalTm(t)) hours[HourCsvPath(folder, t)].push_back(j);
  }
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  const CsvOptions options = CsvOptionsFrom(settings);
  CCsvWriter writer;
  for (const auto& [path, points] : hours) {
    writer.BuildCsvHeader(day, options, merged);
    for (int j : points) writer.AddCsvColumns(day, j, options, merged);
    if (!WriteLines(path, writer.CsvLines)) {
      error = "cannot write " + path;
      return false;
    }
    written.push_back(path);
  }
  return true;
}

}  // namespace spectrel::cli
