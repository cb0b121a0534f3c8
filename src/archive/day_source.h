// Reading a day file for the archive: the one place that calls the day file reader.
#pragma once

#include <string>

#include "spectrum/records.h"

namespace spectrel::archive {

// Reads the day file at path into day (which the caller passes empty). False, with a one-line
// reason in error, when the file is missing, unreadable, not a day file, damaged (a time stamp that
// is no valid date) or holds no measurement point.
bool LoadDayFile(const std::string& path, CKrfData& day, std::string& error);

}  // namespace spectrel::archive
