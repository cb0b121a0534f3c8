#include "archive/library_versions.h"

#include <hdf5.h>
#include <libdeflate.h>
#include <netcdf.h>

#include <string>

namespace spectrel::archive {

std::string LibraryVersions() {
  // nc_inq_libvers gives "4.9.0 of Oct 20 2022 ..."; the first word is the version.
  std::string netcdf = nc_inq_libvers();
  netcdf = netcdf.substr(0, netcdf.find(' '));
  unsigned major = 0, minor = 0, release = 0;
  H5get_libversion(&major, &minor, &release);
  return "netCDF " + netcdf + ", HDF5 " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(release) + ", libdeflate " + LIBDEFLATE_VERSION_STRING;
}

}  // namespace spectrel::archive
