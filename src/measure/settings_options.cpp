#include "measure/settings_options.h"

namespace spectrel {

CsvOptions CsvOptionsFrom(const AppSettings& settings) {
  CsvOptions options;
  options.OneNm = settings.CsvPitch == WavelengthPitch::OneNm;
  options.From = settings.CsvFrom;
  options.To = settings.CsvTo;
  for (int model = 0; model < ModelCount; ++model)
    options.Sensor[static_cast<size_t>(model)] = settings.CsvSensor[static_cast<size_t>(model)];
  options.Merge = settings.CsvMerge;
  return options;
}

ReportOptions ReportOptionsFrom(const AppSettings& settings) {
  return {settings.DispMode == DisplayMode::Detailed, settings.IntegFrom, settings.IntegTo};
}

ModelSet UsedModels(const AppSettings& settings) {
  ModelSet used{};
  for (int model = 0; model < ModelCount; ++model) used[static_cast<size_t>(model)] = settings.UseSensor[static_cast<size_t>(model)];
  return used;
}

}  // namespace spectrel
