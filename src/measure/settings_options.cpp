#include "measure/settings_options.h"

namespace spectrel {

CsvOptions CsvOptionsFrom(const AppSettings& settings) {
  CsvOptions options;
  options.OneNm = settings.CsvPitch == 1;
  options.From = settings.CsvFrom;
  options.To = settings.CsvTo;
  for (int model = 0; model < ModelCount; ++model)
    options.Sensor[static_cast<size_t>(model)] = settings.CsvSensor[static_cast<size_t>(model)] != 0;
  options.Merge = settings.CsvMerge != 0;
  return options;
}

ReportOptions ReportOptionsFrom(const AppSettings& settings) {
  return {settings.DispMode == 0, settings.IntegFrom, settings.IntegTo};
}

}  // namespace spectrel
