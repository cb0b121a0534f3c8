// The versions of the libraries the archive is written with, for --version.
#pragma once

#include <string>

namespace spectrel::archive {

// "netCDF 4.9.0, HDF5 1.10.8, libdeflate 1.14"
std::string LibraryVersions();

}  // namespace spectrel::archive
