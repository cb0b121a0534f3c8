// A day file as a CF-1.8 NetCDF file (netCDF-4 classic model, chunked, shuffled and deflated):
// the merged spectrum on the 1 nm grid, every sensor's pixels and status values, the integral
// irradiance, the sun's position and quality flags per measurement point.
#pragma once

#include <string>

#include "archive/day_grid.h"
#include "archive/day_source.h"
#include "spectrum/records.h"

namespace spectrel::archive {

struct ArchiveSettings {
  GridOptions Grid;            // wavelength grid, merge and integral range
  std::string History;         // the command line that made the file, for the history attribute
  int SignificantDigits = 0;   // decimal digits kept of the measured irradiances; 0: every bit
};

// Writes day (which holds at least one point) to path: under a temporary name in the same folder,
// flushed to disk and renamed over path, so that path never holds a half-written file. Throws
// NetCdfError (or std::system_error for the file system) when it cannot; nothing is left behind.
void WriteNetCdfDay(const ArchiveDay& day, const ArchiveSettings& settings, const std::string& path);

// The two halves of WriteNetCdfDay, for a caller that flushes one day to disk while it converts
// the next. The first writes the temporary file beside path and returns its name; the second
// flushes it to disk and renames it over path. Both throw as WriteNetCdfDay does and then leave
// nothing behind.
std::string WriteNetCdfTemporary(const ArchiveDay& day, const ArchiveSettings& settings,
                                 const std::string& path);
void CommitNetCdfDay(const std::string& temp, const std::string& path);

// The temporary name beside path that WriteNetCdfDay writes first: hidden, ending in ".tmp".
std::string TemporaryNetCdfPath(const std::string& path);

}  // namespace spectrel::archive
