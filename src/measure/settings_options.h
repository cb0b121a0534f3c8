// The parts of the user's settings that the measurement and the lower layers take, drawn from
// AppSettings in one place: the profile's 0/1 flags end here.
#pragma once

#include "files/csv_writer.h"
#include "measure/port_supply.h"
#include "sensor/status_report.h"
#include "settings/app_settings.h"

namespace spectrel {

enum class MeasureMode { Interval, Manual };

// Pitch "1nm" (1) or "Raw", the 1 nm range, the selected models and the merged column.
CsvOptions CsvOptionsFrom(const AppSettings& settings);
// Detailed display (DispMode 0) and the integral's wavelength range.
ReportOptions ReportOptionsFrom(const AppSettings& settings);
// The models the profile has in use.
ModelSet UsedModels(const AppSettings& settings);
// The hourly CSV file is written.
bool CsvWanted(const AppSettings& settings);
// The kind of the last started measurement, kept for the profile ("MEAS_TYPE").
void KeepMeasureMode(AppSettings& settings, MeasureMode mode);
MeasureMode LastMeasureMode(const AppSettings& settings);

}  // namespace spectrel
