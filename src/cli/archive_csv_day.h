// One day file as the hourly CSV files the measuring program writes, for the batch over an archive.
#pragma once

#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace spectrel::cli {

// Writes OUT/YYYY/YYYYMMDDHH.CSV for every hour of the day file that has points, each holding that
// hour's points (the file as the measuring program left it after the hour's last point), each
// replaced atomically. False with a one-line reason when the day file cannot be read or a file
// cannot be written; written lists the files written.
bool ExportDayCsv(const std::string& dayFile, const AppSettings& settings,
                  const std::string& outFolder, std::vector<std::string>& written,
                  std::string& error);

}  // namespace spectrel::cli
