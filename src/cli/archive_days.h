// The day files of an archive and where their NetCDF files go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spectrel::cli {

struct DaySource {
  std::string Path;          // the day file
  std::uint64_t Bytes = 0;   // its size
};

// The input itself when it is a file; every *.KRF (any letter case) below it, in path order, when
// it is a folder. False with a one-line reason when the input does not exist or cannot be read.
bool FindDayFiles(const std::string& input, std::vector<DaySource>& days, std::string& error);

// The date of a day file from its name "YYYYMMDD.KRF", "YYYYMMDD_n" for its part n
// "YYYYMMDD_n.KRF", or empty for any other name.
std::string DateOfDayFile(const std::string& path);

// OUT/YYYY/YYYYMMDD.nc for a date "YYYYMMDD" (OUT/YYYY/YYYYMMDD_n.nc for a part).
std::string NetCdfPath(const std::string& outFolder, const std::string& date);

// The output exists as a file and was modified after the day file.
bool UpToDate(const std::string& output, const std::string& dayFile);

// Creates the folder (and its parents) and proves that files can be created in it; false with a
// one-line reason otherwise. Leaves nothing behind.
bool PrepareOutputFolder(const std::string& folder, std::string& error);

}  // namespace spectrel::cli
