#include "sensor/probe_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

namespace spectrel {

namespace {

// Shortest text that reads back as the same float; "null" for NaN and infinities.
std::string Real(float value) {
  if (!std::isfinite(value)) return "null";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string Fixed(double value, int decimals) {
  if (!std::isfinite(value)) return "-";
  char buf[128];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : "-";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 0xF];
    }
  }
  return out + "\"";
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

std::string LocalTimeText(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (!::localtime_r(&t, &local)) return "";
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
  return std::string(buf, n);
}

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
    TextLine(out, "Measurement time:", LocalTimeText(m.MeasureTime));
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
  std::string out = "{";
  out += "\"model\":" + JsonString(std::string(model.Name));
  out += ",\"port\":" + JsonString(r.Port);
  out += std::string(",\"ok\":") + (r.Ok ? "true" : "false");
  out += ",\"info_status\":" + std::to_string(r.InfoStatus);
  out += ",\"status\":" + JsonString(r.StatusText);
  out += ",\"info\":";
  if (r.Info) {
    const SensorInfo& i = *r.Info;
    out += "{\"serial\":" + JsonString(i.SerialNo);
    out += ",\"id\":" + JsonString(i.SensorId);
    out += ",\"type\":" + JsonString(i.SensorType);
    out += ",\"firmware_version\":" + JsonString(i.FirmwareVersion);
    out += ",\"firmware_time\":" + JsonString(i.FirmwareTime);
    out += ",\"coefficients\":[";
    for (size_t k = 0; k < i.Coef.size(); ++k) out += (k ? "," : "") + JsonString(i.Coef[k]);
    out += "]";
    out += ",\"first_wavelength_nm\":" + (i.Wavelength.empty() ? "null" : Real(i.Wavelength.front()));
    out += ",\"last_wavelength_nm\":" + (i.Wavelength.empty() ? "null" : Real(i.Wavelength.back()));
    out += "}";
  } else {
    out += "null";
  }
  out += ",\"measurement\":";
  if (r.Measurement) {
    const SensorMeasurement& m = *r.Measurement;
    out += "{\"time\":" + JsonString(LocalTimeText(m.MeasureTime));
    out += ",\"time_unix\":" + std::to_string(m.MeasureTime);
    out += ",\"exposure_ms\":" + std::to_string(m.ExposureMs);
    out += ",\"peak_light_cps\":" + Real(PeakRate(m));
    out += ",\"status_int\":[";
    for (int k = 0; k < model.StatusIntCount; ++k)
      out += (k ? "," : "") + std::to_string(m.StatusInt[static_cast<size_t>(k)]);
    out += "],\"status_float\":[";
    for (int k = 0; k < model.StatusFloatCount; ++k)
      out += (k ? "," : "") + Real(m.StatusFloat[static_cast<size_t>(k)]);
    out += "]}";
  } else {
    out += "null";
  }
  return out + "}\n";
}

}  // namespace spectrel
