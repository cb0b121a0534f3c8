// "export": its options, parsed once into one struct, and the run over a day file or a folder tree
// of day files with the progress display. The conversion itself is the archive's.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "settings/app_settings.h"

namespace spectrel::cli {

struct ExportOptions {
  std::string Input;                           // a day file, or a folder tree of day files
  std::string Format = "csv";                  // --format: csv or netcdf
  bool Force = false;                          // --force: convert days already up to date too
  bool Quiet = false;                          // --quiet: errors only
  std::optional<int> Jobs;                     // --jobs: worker processes (default: one per core)
  std::string CommandLine;                     // the command as typed, for the NetCDF history
  std::string OutFolder;                       // --out: the year folders go below it
  std::string ProfilePath;                     // --profile: CSV settings and zone; none: the defaults
  std::string ZoneName;                        // --tz: the station's zone for UTC times
  std::optional<WavelengthPitch> Pitch;        // --pitch: raw pixels or the 1 nm grid
  std::optional<int> From;                     // --from: first grid wavelength, nm
  std::optional<int> To;                       // --to: last grid wavelength, nm
  std::optional<std::array<bool, 4>> Sensors;  // --sensors: models to include
  std::optional<bool> Merge;                   // --merge, --no-merge
  std::optional<int> SignificantDigits;        // --significant-digits: decimal digits kept in NetCDF
};

// Runs the export. Exit code: 0 every day converted or up to date; 1 when the input has no day
// file, the output folder cannot be written or any day failed or was exported only in part (each
// said on stderr, the others still converted); 2 for options that do not go together.
int RunExport(const ExportOptions& options);

}  // namespace spectrel::cli
