#include "cli/probe_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/local_time.h"
#include "cli/json_text.h"

namespace spectrel::cli {

namespace {

constexpr const char* kLocalStamp = "%Y/%m/%d %H:%M:%S";

std::string Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buf[128];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : "-";
}

// Sensor texts for the terminal: control bytes shown as '?', so a noisy line cannot move the
// cursor.
std::string Printable(const std::string& text) {
  std::string out = text;
  const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
  std::replace_if(out.begin(), out.end(), control, '?');
  return out;
}

float PeakRate(const SensorMeasurement& m) {
  return m.Light.empty() ? 0.0f : *std::max_element(m.Light.begin(), m.Light.end());
}

void TextLine(std::string& out, const char* label, const std::string& value) {
  std::string line = label;
  line.resize(std::max<size_t>(line.size() + 1, 19), ' ');
  out += line + value + "\n";
}

}  // namespace

std::string ProbeText(const ProbeResult& r) {
  const ModelDescription& model = Models.at(r.Model);
  std::string out;
  TextLine(out, "Model:", std::string(model.Name));
  TextLine(out, "Port:", Printable(r.Port));
  if (r.Info) {
    const SensorInfo& i = *r.Info;
    TextLine(out, "Serial number:", Printable(i.SerialNo));
    TextLine(out, "Sensor ID:", Printable(i.SensorId));
    TextLine(out, "Sensor type:", Printable(i.SensorType));
    TextLine(out, "Firmware version:", Printable(i.FirmwareVersion));
    TextLine(out, "Firmware time:", Printable(i.FirmwareTime));
    std::string coef;
    for (const auto& c : i.Coef) coef += (coef.empty() ? "" : " ") + Printable(c);
    TextLine(out, "Coefficients:", coef);
    if (!i.Wavelength.empty())
      TextLine(out, "Wavelength range:",
               Fixed(i.Wavelength.front(), 2) + " - " + Fixed(i.Wavelength.back(), 2) + " nm");
  }
  if (r.Measurement) {
    const SensorMeasurement& m = *r.Measurement;
    TextLine(out, "Measurement time:", FormatLocal(m.MeasureTime, kLocalStamp));
    TextLine(out, "Exposure:", std::to_string(m.ExposureMs) + " ms");
    TextLine(out, "Peak light:", Fixed(PeakRate(m), 1) + " counts/s");
    std::string ints, reals;
    for (int k = 0; k < model.StatusIntCount; ++k)
      ints += (k ? " " : "") + std::to_string(m.StatusInt[static_cast<size_t>(k)]);
    for (int k = 0; k < model.StatusFloatCount; ++k)
      reals += (k ? " " : "") + Fixed(m.StatusFloat[static_cast<size_t>(k)], 2);
    TextLine(out, "Status integers:", ints);
    TextLine(out, "Status reals:", reals);
  }
  TextLine(out, "Result:", r.StatusText);
  return out;
}

std::string ProbeJson(const ProbeResult& r) {
  const ModelDescription& model = Models.at(r.Model);
  Json out = {{"model", model.Name}, {"port", r.Port}, {"ok", r.Ok}, {"info_status", r.InfoStatus},
              {"status", r.StatusText}, {"info", nullptr}, {"measurement", nullptr}};
  if (r.Info) {
    const SensorInfo& i = *r.Info;
    out["info"] = {{"serial", i.SerialNo},
                   {"id", i.SensorId},
                   {"type", i.SensorType},
                   {"firmware_version", i.FirmwareVersion},
                   {"firmware_time", i.FirmwareTime},
                   {"coefficients", i.Coef},
                   {"first_wavelength_nm", i.Wavelength.empty() ? Json() : JsonReal(i.Wavelength.front())},
                   {"last_wavelength_nm", i.Wavelength.empty() ? Json() : JsonReal(i.Wavelength.back())}};
  }
  if (r.Measurement) {
    const SensorMeasurement& m = *r.Measurement;
    Json reals = Json::array();
    for (int k = 0; k < model.StatusFloatCount; ++k) reals.push_back(JsonReal(m.StatusFloat[static_cast<size_t>(k)]));
    out["measurement"] = {
        {"time", FormatLocal(m.MeasureTime, kLocalStamp)},
        {"time_unix", m.MeasureTime},
        {"exposure_ms", m.ExposureMs},
        {"peak_light_cps", JsonReal(PeakRate(m))},
        {"status_int", std::vector<int>(m.StatusInt.begin(), m.StatusInt.begin() + model.StatusIntCount)},
        {"status_float", reals}};
  }
  return JsonText(out);
}

}  // namespace spectrel::cli
