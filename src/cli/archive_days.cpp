#include "cli/archive_days.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "files/day_part_name.h"

namespace fs = std::filesystem;

namespace spectrel::cli {

namespace {

bool DayFileName(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return ext == ".KRF";
}

std::uint64_t SizeOf(const fs::path& path) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

bool FindDayFiles(const std::string& input, std::vector<DaySource>& days, std::string& error) {
  days.clear();
  std::error_code ec;
  const fs::file_status status = fs::status(input, ec);
  if (ec || !fs::exists(status)) {
    error = input + ": no such file or folder";
    return false;
  }
  if (!fs::is_directory(status)) {
    days.push_back({input, SizeOf(input)});
    return true;
  }
  fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    error = input + ": " + ec.message();
    return false;
  }
  for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    if (it->is_regular_file(ec) && DayFileName(it->path()))
      days.push_back({it->path().string(), SizeOf(it->path())});
  }
  if (ec) {
    error = input + ": " + ec.message();
    return false;
  }
  std::sort(days.begin(), days.end(),
            [](const DaySource& a, const DaySource& b) { return a.Path < b.Path; });
  return true;
}

std::string DateOfDayFile(const std::string& path) {
  const fs::path p(path);
  const std::string stem = p.stem().string();
  // A part (another sensor unit, with its own calibration) gets a NetCDF file of its own.
  if (DayPartOf(path) >= 2) return stem;
  if (!DayFileName(p) || stem.size() != 8 ||
      !std::all_of(stem.begin(), stem.end(), [](unsigned char c) { return std::isdigit(c); }))
    return "";
  return stem;
}

std::string NetCdfPath(const std::string& outFolder, const std::string& date) {
  return (fs::path(outFolder) / date.substr(0, 4) / (date + ".nc")).string();
}

bool UpToDate(const std::string& output, const std::string& dayFile) {
  std::error_code ec;
  if (!fs::is_regular_file(output, ec)) return false;
  const fs::file_time_type out = fs::last_write_time(output, ec);
  if (ec) return false;
  const fs::file_time_type in = fs::last_write_time(dayFile, ec);
  return !ec && out > in;
}

bool PrepareOutputFolder(const std::string& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    error = "cannot create the output folder " + folder + (ec ? ": " + ec.message() : "");
    return false;
  }
  std::string probe = (fs::path(folder) / ".spectrel-write-test.XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) {
    error = "cannot write to the output folder " + folder + ": " +
            std::error_code(errno, std::generic_category()).message();
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

}  // namespace spectrel::cli
