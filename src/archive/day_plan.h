// A plan of days from an input: the day files of a folder tree (or one file), where each one's
// output goes (the archive's layout OUT/YYYY/YYYYMMDD.nc), and which are left alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/station_names.h"

namespace spectrel::archive {

enum class ArchiveFormat {
  NetCdf,   // OUT/YYYY/YYYYMMDD.nc, one per day
  Csv,      // OUT/YYYY/YYYYMMDDHH.CSV, the hourly files the station writes
};

struct DaySource {
  std::string Path;          // the day file
  std::uint64_t Bytes = 0;   // its size
};

struct DayPlan {
  std::vector<DaySource> Found;                // every day file of the input, in path order
  std::vector<DaySource> Convert;              // those to convert, in path order
  std::size_t UpToDate = 0;                    // left alone: their output is newer
  std::vector<std::string> Refused;            // left alone, one line each: their date is another file's
  std::vector<std::uint64_t> RefusedBytes;     // the sizes of those
};

// The input itself when it is a file; every *.KRF (any letter case) below it when it is a folder.
// For NetCDF, a day whose output is newer than its day file is left out unless forced, and so is
// a second day file of a date that another already gives. False with a one-line reason when the
// input does not exist, cannot be listed or holds no day file.
bool PlanDays(const std::string& input, ArchiveFormat format, const std::string& outFolder, bool force,
              DayPlan& plan, std::string& error);

// OUT/YYYY/YYYYMMDD.nc of a day file: its date from its name, else from its first point's clock.
std::string NetCdfPath(const std::string& outFolder, const LocalDate& date);
// Where a day file named by its date ("YYYYMMDD.KRF" in any letter case) converts to:
// OUT/YYYY/YYYYMMDD.nc, and OUT/YYYY/YYYYMMDD_n.nc for part n of a day (another sensor unit's
// points, with its own calibration); nothing for another name.
std::optional<std::string> NetCdfPathOf(const std::string& outFolder, const std::string& dayPath);

// Creates the folder (and its parents) and proves that files can be created in it; false with a
// one-line reason otherwise. Leaves nothing behind.
bool PrepareOutputFolder(const std::string& folder, std::string& error);

}  // namespace spectrel::archive
