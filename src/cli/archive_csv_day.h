// One day as the hourly CSV files the measuring program writes: the one implementation behind
// "export" of a single day file and of whole archives.
#pragma once

#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "spectrum/records.h"

namespace spectrel::cli {

// Writes OUT/YYYY/YYYYMMDDHH.CSV for every hour of the day that has points, each as the measuring
// program left it after the last point of its hour, each replaced atomically. Points without a
// local time are left out (listed in skipped, 1-based). False with a one-line reason when a file
// cannot be written; written lists the files written.
bool ExportDayCsv(const CKrfData& day, const AppSettings& settings, const std::string& outFolder,
                  std::vector<std::string>& written, std::vector<int>& skipped, std::string& error);

// The same for a day file, which must read completely (else false with the reader's reason).
bool ExportDayFileCsv(const std::string& dayFile, const AppSettings& settings,
                      const std::string& outFolder, std::vector<std::string>& written,
                      std::string& error);

}  // namespace spectrel::cli
