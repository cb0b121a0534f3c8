// What a NetCDF day file holds: dimensions, variables and attributes, written into an open file.
#pragma once

#include "archive/netcdf_day_writer.h"
#include "archive/netcdf_file.h"

namespace spectrel::archive {

// The program and version named in the source attribute.
const char* ArchiveSource();

void WriteDayContent(NetCdfFile& file, const ArchiveDay& day, const ArchiveSettings& settings);

}  // namespace spectrel::archive
