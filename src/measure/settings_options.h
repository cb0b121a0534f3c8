// The parts of the user's settings that the file writers and the status report take, drawn from
// AppSettings in one place.
#pragma once

#include "files/csv_writer.h"
#include "sensor/status_report.h"
#include "settings/app_settings.h"

namespace spectrel {

// Pitch "1nm" (1) or "Raw", the 1 nm range, the selected models and the merged column.
CsvOptions CsvOptionsFrom(const AppSettings& settings);
// Detailed display (DispMode 0) and the integral's wavelength range.
ReportOptions ReportOptionsFrom(const AppSettings& settings);

}  // namespace spectrel
