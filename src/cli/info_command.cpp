// "info": what a day file holds, as text for people or as JSON for scripts.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "files/day_load.h"
#include "cli/json_text.h"
#include "base/day_times.h"
#include "files/krf_time.h"
#include "cli/option_checks.h"
#include "base/station_zone.h"
#include "spectrum/records.h"

namespace spectrel::cli {

namespace {

struct InfoOptions {
  std::string DayFile;       // the day file to read
  bool Json = false;         // --json: one JSON document instead of text
  std::string ZoneName;      // --tz: the station's IANA zone for the UTC times
  std::string ProfilePath;   // --profile: the station's zone recorded there
};

std::string UtcText(std::int64_t t) { return FormatClock(t, "%Y-%m-%dT%H:%M:%SZ"); }

// Shortest text that reads back as the same single-precision value, in C conventions.
std::string Real(float value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

// Status reals with the one decimal the day file keeps.
std::string StatusReal(float value) {
  char text[400];
  const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                               std::chars_format::fixed, 1);
  return std::string(text, r.ptr);
}

void AddSensorText(std::string& out, int model, const SensorInfo& info) {
  out += "sensor " + std::string(Models[static_cast<size_t>(model)].Name) + ": serial " + info.SerialNo +
         ", id " + info.SensorId + ", type " + info.SensorType + ", firmware " + info.FirmwareVersion +
         " (" + info.FirmwareTime + ")\n  coefficients:";
  for (const auto& c : info.Coef) out += " " + c;
  out += "\n  wavelength: " + Real(info.Wavelength.front()) + " .. " + Real(info.Wavelength.back()) + " nm\n";
}

void AddPointText(std::string& out, int j, const CRad& rad, const LoadedDay& times) {
  const std::size_t p = static_cast<std::size_t>(j);
  out += "point " + std::to_string(j + 1) + ": " + FormatClock(times.Clocks[p], "%Y%m%d%H%M%S") + " (" +
         UtcText(times.Times.Utc[p]) + "), memo " + rad.Memo + "\n";
  for (int m = 0; m < ModelCount; ++m) {
    const SensorMeasurement* b = rad.Block(m);
    if (!b) continue;
    const ModelDescription& desc = Models[static_cast<size_t>(m)];
    out += "  " + std::string(desc.Name) + ": serial " + b->SerialNo + ", time " + FormatKrfTime(b->MeasureTime) +
           ", exposure " + std::to_string(b->ExposureMs) + " ms, status";
    for (int i = 0; i < desc.StatusIntCount; ++i) out += " " + std::to_string(b->StatusInt[static_cast<size_t>(i)]);
    out += " /";
    for (int i = 0; i < desc.StatusFloatCount; ++i) out += " " + StatusReal(b->StatusFloat[static_cast<size_t>(i)]);
    out += "\n";
  }
}

// The points read, or why there are none: "2", "none (no such file)", "none, reading stopped".
std::string ResultText(const LoadedDay& day) {
  if (day.Loaded()) return std::to_string(day.Set.RadCount());
  if (day.Error == DayLoadError::BadTime) return "none, reading stopped";
  return "none (" + day.ErrorText() + ")";
}

std::string InfoText(const std::string& path, const LoadedDay& day) {
  const CKrfData& set = day.Set;
  std::string out = "file: " + path + "\nresult: " + ResultText(day) + "\n";
  if (!day.Loaded() && day.Error != DayLoadError::BadTime) return out;
  out += "site: " + set.SiteName + "\nlongitude: " + set.SiteLon + "\nlatitude: " + set.SiteLat +
         "\naltitude: " + set.SiteAlt + "\ntime zone: " + set.TimeZone + "\nUTC by: " + day.Times.Zone + "\n";
  for (int m = 0; m < ModelCount; ++m)
    if (const SensorInfo* info = set.Info(m)) AddSensorText(out, m, *info);
  for (int j = 0; j < set.RadCount(); ++j) AddPointText(out, j, set.Rad(j), day);
  if (!day.Loaded()) out += "error: " + day.ErrorText() + "\n";
  out += "tail: " + (day.TailText().empty() ? std::string("whole") : day.TailText()) + "\n";
  return out;
}

Json SensorJson(int model, const SensorInfo& info) {
  return {{"model", Models[static_cast<size_t>(model)].Name},
          {"serial", info.SerialNo},
          {"id", info.SensorId},
          {"type", info.SensorType},
          {"firmware_version", info.FirmwareVersion},
          {"firmware_time", info.FirmwareTime},
          {"coefficients", info.Coef},
          {"first_wavelength", JsonReal(info.Wavelength.front())},
          {"last_wavelength", JsonReal(info.Wavelength.back())}};
}

Json PointJson(const CRad& rad, ClockSeconds clock, std::int64_t utc) {
  Json blocks = Json::array();
  for (int m = 0; m < ModelCount; ++m) {
    const SensorMeasurement* b = rad.Block(m);
    if (!b) continue;
    const ModelDescription& desc = Models[static_cast<size_t>(m)];
    Json reals = Json::array();
    for (int i = 0; i < desc.StatusFloatCount; ++i) reals.push_back(JsonReal(b->StatusFloat[static_cast<size_t>(i)]));
    blocks.push_back({{"model", desc.Name},
                      {"serial", b->SerialNo},
                      {"time", FormatKrfTime(b->MeasureTime)},
                      {"exposure_ms", b->ExposureMs},
                      {"status_int", std::vector<int>(b->StatusInt.begin(), b->StatusInt.begin() + desc.StatusIntCount)},
                      {"status_float", reals}});
  }
  return {{"time", FormatClock(clock, "%Y%m%d%H%M%S")}, {"utc", UtcText(utc)}, {"memo", rad.Memo},
          {"blocks", blocks}};
}

std::string InfoJson(const std::string& path, const LoadedDay& day) {
  const CKrfData& set = day.Set;
  Json sensors = Json::array();
  for (int m = 0; m < ModelCount; ++m)
    if (const SensorInfo* info = set.Info(m)) sensors.push_back(SensorJson(m, *info));
  Json points = Json::array();
  for (int j = 0; j < set.RadCount(); ++j)
    points.push_back(PointJson(set.Rad(j), day.Clocks[static_cast<std::size_t>(j)],
                               day.Times.Utc[static_cast<std::size_t>(j)]));
  return JsonText({{"file", path},
                   {"result", day.Loaded() ? Json(set.RadCount()) : Json()},
                   {"error", day.Loaded() ? Json() : Json(day.ErrorText())},
                   {"tail", {{"damaged", day.Read.TailDamaged},
                             {"complete_end", day.Read.CompleteEnd},
                             {"size", day.Read.Size}}},
                   {"site", {{"name", set.SiteName}, {"longitude", set.SiteLon}, {"latitude", set.SiteLat},
                             {"altitude", set.SiteAlt}, {"time_zone", set.TimeZone}}},
                   {"utc_by", day.Times.Zone},
                   {"sensors", sensors},
                   {"points", points}});
}

int RunInfo(const InfoOptions& options) {
  const auto refuse = [](const std::string& why) {
    std::fprintf(stderr, "spectrel-cli info: %s\n", why.c_str());
    return 2;
  };
  if (!options.ZoneName.empty() && !options.ProfilePath.empty())
    return refuse("--tz names the zone, and --profile only brings its zone; give one of them");
  std::error_code ec;
  if (!options.ProfilePath.empty() && !std::filesystem::exists(options.ProfilePath, ec))
    return refuse("no profile " + options.ProfilePath + ": " + std::strerror(ENOENT) + "; name an existing one, or give --tz");
  std::optional<StationZone> zone;
  const std::string zoneName = StationZoneName(options.ZoneName, options.ProfilePath);
  if (!zoneName.empty() && !(zone = StationZone::Named(zoneName)))
    return refuse("unknown time zone '" + zoneName +
                  "': not in the system's zone database; give an IANA name such as Asia/Tokyo");
  const LoadedDay day = LoadDay(options.DayFile, zone);
  const std::string report = options.Json ? InfoJson(options.DayFile, day) : InfoText(options.DayFile, day);
  std::fwrite(report.data(), 1, report.size(), stdout);
  const auto say = [&](const std::string& line) {
    std::fprintf(stderr, "spectrel-cli info: %s: %s\n", options.DayFile.c_str(), line.c_str());
  };
  for (const std::string& warning : day.Times.Warnings) say(warning);
  if (!day.Loaded())
    say(day.ErrorText() + (day.Error == DayLoadError::BadTime ? "; run spectrel-cli repair to keep every readable point" : ""));
  else if (!day.TailText().empty())
    say(day.TailText());
  return day.Loaded() ? 0 : 1;
}

}  // namespace

Command AddInfoCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand("info", "Show what a day file holds.");
  auto options = std::make_shared<InfoOptions>();
  line->add_option("DAYFILE", options->DayFile, "the day file to read")->required();
  line->add_flag("--json", options->Json, "print one JSON document");
  line->add_option("--tz", options->ZoneName,
                   "the station's time zone for the UTC times (default: the profile's, else the day "
                   "file's own offset)")
      ->type_name("AREA/CITY");
  line->add_option("--profile", options->ProfilePath, "the profile whose station zone applies")->type_name("INI");
  return {line, [options] { return RunInfo(*options); }};
}

}  // namespace spectrel::cli
