#include "files/station_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/local_time.h"

namespace spectrel {

namespace {

// The station's file of that kind for the local time t: its date, hour and part.
StationFileName FileAt(StationFile kind, std::int64_t t, int part) {
  StationFileName file{kind, {}, 0, part < 2 ? 1 : part};
  if (const std::optional<std::tm> local = LocalTm(t)) {
    file.Date = {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
    file.Hour = local->tm_hour;
  }
  return file;
}

}  // namespace

std::string DayFilePath(const std::string& krfFolder, std::int64_t t, int part) {
  return krfFolder + RelativePathOf(FileAt(StationFile::DayFile, t, part));
}

std::string HourCsvPath(const std::string& csvFolder, std::int64_t t, int part) {
  return csvFolder + RelativePathOf(FileAt(StationFile::HourCsv, t, part));
}

std::string EventLogPath(const std::string& krfFolder, std::int64_t t) {
  return krfFolder + RelativePathOf(FileAt(StationFile::EventLog, t, 1));
}

std::string StatusFilePath(const std::string& dataFolder) {
  return dataFolder + NameOf(StationFileName{StationFile::StatusFile, {}, 0});
}

std::string TimeZoneText(std::int64_t t) {
  const std::optional<std::tm> local = LocalTm(t);
  const long offset = local ? local->tm_gmtoff : 0;
  // Integer division truncates toward zero: +5:30 gives +5, -3:30 gives -3.
  const int hours = static_cast<int>(offset / 3600);
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%+d", hours);
  return buffer;
}

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

std::string LocalDate::Text() const {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", Year, Month, Day);
  return text;
}

namespace {

struct Pattern {
  StationFile Kind;
  std::string_view Suffix;   // as the station writes it
  std::size_t Digits;        // year, date, or date and hour
};

constexpr Pattern Patterns[] = {
    {StationFile::DayFile, ".KRF", 8},
    {StationFile::HourCsv, ".CSV", 10},
    {StationFile::EventLog, ".LOG", 4},
    {StationFile::NetCdfDay, ".nc", 8},
};

constexpr std::string_view StatusName = "status.json";

int Number(std::string_view digits) {
  int n = 0;
  for (const char c : digits) n = n * 10 + (c - '0');
  return n;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool RealDate(const LocalDate& d) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.Year < 1970 || d.Month < 1 || d.Month > 12 || d.Day < 1) return false;
  const bool leap = (d.Year % 4 == 0 && d.Year % 100 != 0) || d.Year % 400 == 0;
  return d.Day <= days[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0);
}

}  // namespace

std::optional<StationFileName> ParseStationFileName(std::string_view name) {
  if (name == StatusName) return StationFileName{StationFile::StatusFile, {}, 0};
  const auto digits = [](std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  for (const Pattern& p : Patterns) {
    if (name.size() < p.Digits + p.Suffix.size()) continue;
    const std::string_view suffix = name.substr(name.size() - p.Suffix.size());
    if (!SameLetters(suffix, p.Suffix)) continue;
    const std::string_view stem = name.substr(0, p.Digits);
    std::string_view part = name.substr(p.Digits, name.size() - p.Digits - p.Suffix.size());
    if (!digits(stem)) return std::nullopt;
    StationFileName file{p.Kind, {Number(stem.substr(0, 4)), 1, 1}, 0};
    if (!part.empty()) {
      // Only a day's files have parts; "_1", "_02" and longer numbers are not the station's.
      if (p.Digits < 8 || part.size() < 2 || part.size() > 5 || part[0] != '_' || part[1] == '0') return std::nullopt;
      part.remove_prefix(1);
      if (!digits(part) || Number(part) < 2) return std::nullopt;
      file.Part = Number(part);
    }
    if (p.Digits >= 8) file.Date = {file.Date.Year, Number(stem.substr(4, 2)), Number(stem.substr(6, 2))};
    if (p.Digits == 10) file.Hour = Number(stem.substr(8, 2));
    if (!RealDate(file.Date) || file.Hour > 23) return std::nullopt;
    if (p.Kind == StationFile::EventLog) file.Date.Month = file.Date.Day = 0;
    return file;
  }
  return std::nullopt;
}

std::string NameOf(const StationFileName& file) {
  char hour[8];
  std::snprintf(hour, sizeof hour, "%02d", file.Hour);
  const std::string part = file.Part >= 2 ? "_" + std::to_string(file.Part) : std::string();
  switch (file.Kind) {
    case StationFile::DayFile: return file.Date.Text() + part + ".KRF";
    case StationFile::HourCsv: return file.Date.Text() + hour + part + ".CSV";
    case StationFile::EventLog: return file.Date.Text().substr(0, 4) + ".LOG";
    case StationFile::StatusFile: return std::string(StatusName);
    case StationFile::NetCdfDay: return file.Date.Text() + part + ".nc";
  }
  return {};
}

std::string RelativePathOf(const StationFileName& file) {
  if (file.Kind == StationFile::EventLog || file.Kind == StationFile::StatusFile) return NameOf(file);
  return file.Date.Text().substr(0, 4) + "/" + NameOf(file);
}

}  // namespace spectrel
