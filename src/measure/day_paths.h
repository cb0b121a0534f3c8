// File names formed from a time: the day file, the hourly CSV file and the yearly event log, and
// the time-zone text of a new day file. All in local time.
#pragma once

#include <cstdint>
#include <string>

namespace spectrel {

// "<folder><%Y>/<%Y%m%d>.KRF": the folder text directly followed by the year, no separator added.
std::string DayFilePath(const std::string& krfFolder, std::int64_t t);
// "<folder><%Y>/<%Y%m%d%H>.CSV".
std::string HourCsvPath(const std::string& csvFolder, std::int64_t t);
// "<folder><%Y>.LOG".
std::string EventLogPath(const std::string& krfFolder, std::int64_t t);

// "%+d" of the local offset from UTC at t in whole hours, truncated toward zero ("+5" at +5:30).
std::string TimeZoneText(std::int64_t t);

// The folder of a file's path ("" for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace spectrel
