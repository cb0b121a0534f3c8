#include "sensor/status_report.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <stdexcept>
#include <string_view>

#include "base/c_locale.h"
#include "base/local_time.h"
#include "sensor/status_report_texts.h"

namespace spectrel {

namespace {


// Appends one printf-formatted line.
__attribute__((format(printf, 2, 3))) void AppendF(std::string& out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  // A huge status value (a damaged record) does not fit: format again at full length.
  std::string longer(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(longer.data(), longer.size(), format, args);
  va_end(args);
  out.append(longer.data(), static_cast<size_t>(n));
}

// Largest minus smallest dark signal over all pixels, counts per second.
double DarkSpread(const SensorMeasurement& m) {
  if (m.Dark.empty()) return 0.0;
  float hi = m.Dark.front();
  float lo = m.Dark.front();
  for (float d : m.Dark) {
    if (d > hi) hi = d;
    if (d < lo) lo = d;
  }
  return static_cast<double>(hi - lo);
}

const char* PeltierText(const ReportLineTexts& t, int state) {
  if (state == 1) return t.Heating;
  if (state == -1) return t.Cooling;
  return t.PeltierStop;
}

double Real(float value) { return static_cast<double>(value); }

// Section of a shorter-wavelength sensor (SR-101, SR-102).
void AppendShortSection(std::string& out, int model, const SensorMeasurement& m,
                        const ReportLineTexts& t, bool detail) {
  AppendF(out, "--- %s ---\n", Models[model].Name.data());
  AppendF(out, t.Exposure, m.ExposureMs);
  AppendF(out, t.SensorTemp, Real(m.StatusFloat[0]));
  AppendF(out, t.SupplyVoltShort, Real(m.StatusFloat[1]));
  if (!detail) return;
  AppendF(out, t.PeltierStatus, PeltierText(t, m.StatusInt[0]));
  AppendF(out, t.PeltierVoltShort, Real(m.StatusFloat[3]));
  AppendF(out, t.PeltierCurr, Real(m.StatusFloat[2]));
  AppendF(out, t.DarkCounts, DarkSpread(m));
}

// Section of a longer-wavelength sensor (SR-103, SR-104).
void AppendLongSection(std::string& out, int model, const SensorMeasurement& m,
                       const ReportLineTexts& t, bool detail) {
  AppendF(out, "--- %s ---\n", Models[model].Name.data());
  AppendF(out, t.Exposure, m.ExposureMs);
  AppendF(out, t.SensorTemp, Real(m.StatusFloat[0]));
  AppendF(out, t.SensorCooling, m.StatusInt[1] == 0 ? t.CoolingActive : t.CoolingStop);
  AppendF(out, t.SupplyVoltLong, Real(m.StatusFloat[3]));
  if (!detail) return;
  AppendF(out, t.FinStatus, m.StatusInt[2] == 0 ? t.FinNormal : t.FinOverheat);
  AppendF(out, t.FinTemp, Real(m.StatusFloat[1]));
  AppendF(out, t.InternalTemp, Real(m.StatusFloat[2]));
  if (Models[model].SecondTemperature) AppendF(out, t.InternalTemp2, Real(m.StatusFloat[6]));
  AppendF(out, t.PeltierStatus, PeltierText(t, m.StatusInt[3]));
  AppendF(out, t.PeltierVoltLong, Real(m.StatusFloat[5]));
  AppendF(out, t.PeltierCurr, Real(m.StatusFloat[4]));
  AppendF(out, t.DarkCounts, DarkSpread(m));
}

}  // namespace

Language ProcessLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;   // an empty variable counts as unset
    return std::string_view(value).starts_with("ja") ? Language::Japanese : Language::English;
  }
  return Language::English;
}

void BuildReport(const CKrfData& set, int index, const ReportOptions& options, CResample& display,
                 ReportTexts& texts, Language language) {
  const CRad& rad = set.Rad(index);
  const ReportLineTexts& lines = ReportLines(language);
  const bool detail = options.Detail;
  CLocaleScope cLocale;

  texts.Report.clear();
  for (int model = SR101; model <= SR104; ++model) {
    const SensorMeasurement* block = rad.Block(model);
    if (block == nullptr) continue;
    if (Models[model].ShortWavelength)
      AppendShortSection(texts.Report, model, *block, lines, detail);
    else
      AppendLongSection(texts.Report, model, *block, lines, detail);
  }

  texts.Integral.clear();
  double integral = PointIntegral(set, index, options.IntegFrom, options.IntegTo, display);
  // At night the dark-corrected spectrum hovers around zero: a value that shows as zero to one
  // decimal is written "0.0", never "-0.0".
  if (integral > -0.05 && integral < 0.05) integral = 0.0;
  AppendF(texts.Integral, "Integral : %.1fW/m2(%d - %dnm)", integral, options.IntegFrom, options.IntegTo);

  if (!LocalTm(rad.MeasureTime))
    throw std::invalid_argument("measurement time cannot be converted to local time");
  texts.Time = FormatLocal(rad.MeasureTime, "%Y/%m/%d  %H:%M:%S");

  texts.Memo = rad.Memo;
}

}  // namespace spectrel
