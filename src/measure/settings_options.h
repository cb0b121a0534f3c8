// The parts of the user's settings that the measurement and the lower layers take, drawn from
// AppSettings in one place.
#pragma once

#include "files/csv_writer.h"
#include "measure/port_supply.h"
#include "sensor/status_report.h"
#include "settings/app_settings.h"

namespace spectrel {

// The pitch, the 1 nm range, the selected models and the merged column.
CsvOptions CsvOptionsFrom(const AppSettings& settings);
// Detailed display and the integral's wavelength range.
ReportOptions ReportOptionsFrom(const AppSettings& settings);
// The models the profile has in use.
ModelSet UsedModels(const AppSettings& settings);

}  // namespace spectrel
