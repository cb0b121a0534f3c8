// The names of the station's files, both ways: made from a local time when the station writes
// them, and read back from a name when a folder is listed or a file is opened. The one place that
// knows "<folder><YYYY>/<YYYYMMDD>.KRF" and its kin.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spectrel {

// "<folder><%Y>/<%Y%m%d>.KRF": the folder text directly followed by the year, no separator added.
// A day whose sensor unit changed goes on in part n = 2, 3, ... beside it: "<%Y%m%d>_<n>.KRF".
std::string DayFilePath(const std::string& krfFolder, std::int64_t t, int part = 1);
// "<folder><%Y>/<%Y%m%d%H>.CSV"; for part n >= 2 of the day "<%Y%m%d%H>_<n>.CSV" beside it, so
// that neither unit's hour replaces the other's.
std::string HourCsvPath(const std::string& csvFolder, std::int64_t t, int part = 1);
// "<folder><%Y>.LOG".
std::string EventLogPath(const std::string& krfFolder, std::int64_t t);
// "<folder>status.json".
std::string StatusFilePath(const std::string& dataFolder);

// "%+d" of the local offset from UTC at t in whole hours, truncated toward zero ("+5" at +5:30):
// the time-zone text of a new day file.
std::string TimeZoneText(std::int64_t t);

// The folder of a file's path ("" for a bare name).
std::string FolderOf(const std::string& path);

// A day of the local calendar, as the names carry it.
struct LocalDate {
  int Year = 0, Month = 0, Day = 0;
  std::string Text() const;   // "YYYYMMDD"
  friend auto operator<=>(const LocalDate&, const LocalDate&) = default;
};

enum class StationFile {
  DayFile,     // YYYYMMDD.KRF
  HourCsv,     // YYYYMMDDHH.CSV
  EventLog,    // YYYY.LOG (only the year of Date is set)
  StatusFile,  // status.json (no date)
  NetCdfDay,   // YYYYMMDD.nc, the archive's day file
};

struct StationFileName {
  StationFile Kind = StationFile::DayFile;
  LocalDate Date;   // a real calendar date from 1970 on
  int Hour = 0;     // the CSV file's hour, 0-23
  int Part = 1;     // a day's day file, CSV file or NetCDF file: 2, 3, ... for a part ("_n" before the extension)
};

// What a bare file name stands for, or nothing. The extension is read in any letter case (day
// files copied from other systems keep their day); NameOf tells whether it is the station's own
// spelling. A part is "_n" with n from 2 to 9999 written without a leading zero.
std::optional<StationFileName> ParseStationFileName(std::string_view name);
// The name the station gives that file: "20240601.KRF", "2024060113_2.CSV", "2024.LOG", ...
std::string NameOf(const StationFileName& file);
// Where the station puts it below its folder: "2024/20240601.KRF"; the log and the status file
// lie in the folder itself.
std::string RelativePathOf(const StationFileName& file);

}  // namespace spectrel
