// Archive conversion: a day in, an outcome out. A day file becomes a CF NetCDF day file
// (OUT/YYYY/YYYYMMDD.nc) or the hourly CSV files the station writes (OUT/YYYY/YYYYMMDDHH.CSV);
// a plan of days is converted in parallel on the day workers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/day_plan.h"
#include "archive/day_workers.h"
#include "archive/netcdf_day_writer.h"
#include "base/station_zone.h"
#include "files/csv_writer.h"
#include "spectrum/records.h"

namespace spectrel::archive {

struct DayConversion {
  ArchiveFormat Format = ArchiveFormat::NetCdf;
  std::string OutFolder;               // the year folders go below it
  std::optional<StationZone> Zone;     // the station's zone for the NetCDF times; none: each file's offset
  ArchiveSettings NetCdf;              // grid, integral range, history, digits kept
  CsvOptions Csv;                      // the CSV files' columns
};

// Converts one day file. A NetCDF day is written under a temporary name and renamed beside the
// next job (the outcome's Finish); a day file that does not read whole fails. A CSV day whose file
// stops at a bad time stamp gives the files of the points before it, as a partial outcome.
DayOutcome ConvertDay(const DaySource& source, const DayConversion& conversion);

// Converts days on jobs worker processes (0: one per core); report is called in this process as
// each day ends.
void ConvertDays(const std::vector<DaySource>& days, const DayConversion& conversion, int jobs,
                 const DayReport& report);

// Writes OUT/YYYY/YYYYMMDDHH.CSV (YYYYMMDDHH_n.CSV for part n of a day) for every hour of the day
// that has points, each as the measuring program left it after the last point of its hour, each
// replaced atomically. Points without a local time are left out (listed in skipped, 1-based).
// False with a one-line reason when a file cannot be written; written lists the files written.
bool ExportDayCsv(const CKrfData& day, const CsvOptions& options, const std::string& outFolder, int part,
                  std::vector<std::string>& written, std::vector<int>& skipped, std::string& error);

}  // namespace spectrel::archive
