#include "archive/day_plan.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>


namespace fs = std::filesystem;

namespace spectrel::archive {

namespace {

bool KrfExtension(const fs::path& path) {
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
  for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && KrfExtension(it->path())) days.push_back({it->path().string(), SizeOf(it->path())});
  if (ec) {
    error = input + ": cannot be listed: " + ec.message();
    return false;
  }
  if (days.empty()) {
    error = input + ": no day files (*.KRF) in this folder";
    return false;
  }
  std::sort(days.begin(), days.end(), [](const DaySource& a, const DaySource& b) { return a.Path < b.Path; });
  return true;
}

// The output exists as a file and was modified after the day file.
bool UpToDate(const std::string& output, const std::string& dayFile) {
  std::error_code ec;
  if (!fs::is_regular_file(output, ec)) return false;
  const fs::file_time_type out = fs::last_write_time(output, ec);
  if (ec) return false;
  const fs::file_time_type in = fs::last_write_time(dayFile, ec);
  return !ec && out > in;
}

}  // namespace

bool PlanDays(const std::string& input, ArchiveFormat format, const std::string& outFolder, bool force,
              DayPlan& plan, std::string& error) {
  plan = DayPlan{};
  if (!FindDayFiles(input, plan.Found, error)) return false;
  std::map<std::string, std::string> taken;   // output path -> day file
  for (const DaySource& day : plan.Found) {
    const std::optional<std::string> named = NetCdfPathOf(outFolder, day.Path);
    if (format != ArchiveFormat::NetCdf || !named) {
      plan.Convert.push_back(day);
      continue;
    }
    const std::string& out = *named;
    const auto [it, fresh] = taken.emplace(out, day.Path);
    if (!fresh) {
      plan.Refused.push_back(day.Path + ": skipped, " + it->second + " already gives " + out);
      plan.RefusedBytes.push_back(day.Bytes);
    } else if (!force && UpToDate(out, day.Path)) {
      ++plan.UpToDate;
    } else {
      plan.Convert.push_back(day);
    }
  }
  return true;
}

std::optional<std::string> NetCdfPathOf(const std::string& outFolder, const std::string& dayPath) {
  const auto name = ParseStationFileName(fs::path(dayPath).filename().string());
  if (!name || name->Kind != StationFile::DayFile) return std::nullopt;
  return (fs::path(outFolder) / RelativePathOf({StationFile::NetCdfDay, name->Date, 0, name->Part})).string();
}

std::string NetCdfPath(const std::string& outFolder, const LocalDate& date) {
  return (fs::path(outFolder) / RelativePathOf({StationFile::NetCdfDay, date, 0})).string();
}

bool PrepareOutputFolder(const std::string& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    error = "cannot create the output folder " + folder + ": " +
            (ec ? ec.message() : std::string("it is not a folder")) + "; choose another --out";
    return false;
  }
  std::string probe = (fs::path(folder) / ".spectrel-write-test.XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) {
    error = "cannot write to the output folder " + folder + ": " + std::strerror(errno) + "; choose another --out";
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

}  // namespace spectrel::archive
