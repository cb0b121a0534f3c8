// "export" over whole archives: a day file or a folder tree of day files converted day by day,
// in parallel on all cores, to CF NetCDF day files (OUT/YYYY/YYYYMMDD.nc) or to the hourly CSV
// files. The command-line parser fills the options; the function returns the exit code.
#pragma once

#include <optional>
#include <string>

#include "settings/app_settings.h"

namespace spectrel::cli {

struct ArchiveBatchOptions {
  std::string Input;               // a day file, or a folder searched for *.KRF at any depth
  std::string OutFolder;           // OUT: the year folders go below it
  std::string Format = "netcdf";   // "netcdf" or "csv"
  std::optional<int> From;         // first grid wavelength, nm (default: the profile's, 300)
  std::optional<int> To;           // last grid wavelength, nm (default: the profile's, 1800)
  bool NoMerge = false;            // no merged spectrum: each point's first sensor alone
  bool Force = false;              // convert days whose output is newer than the day file too
  bool Quiet = false;              // errors only
  int Jobs = 0;                    // worker processes; 0: one per core
  std::string ProfilePath;         // integral range and CSV settings; empty: the defaults
  std::string ZoneName;            // --tz: the station's IANA zone; empty: the profile's, else each
                                   // day file's own offset
  std::string CommandLine;         // the command as typed, for the NetCDF history attribute
  int SignificantDigits = 0;       // decimal digits kept of the NetCDF irradiances; 0: every bit
  std::optional<AppSettings> Settings;   // the settings as the command line made them; none: the profile's
};

// Runs the batch. Exit code: 0 every day converted or up to date; 1 when the input has no day
// file, the output folder cannot be written or any day failed (each reported on stderr, the
// others still converted); 2 for an unknown format, an unknown zone or a wavelength range with
// --from above --to.
int RunArchiveBatch(const ArchiveBatchOptions& options);

}  // namespace spectrel::cli
