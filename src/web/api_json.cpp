#include "web/api_json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "base/local_day.h"

namespace spectrel::web {

namespace {

// Keys in the order they are added: scripts and people read the same layout every time.
using Json = nlohmann::ordered_json;

std::string Text(const Json& document) {
  return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json Time(std::int64_t t) { return {{"stamp", t}, {"utc", UtcText(t)}, {"local", LocalText(t)}}; }

template <typename T>
Json Maybe(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

// A reading that may be NaN (no sensor): null in JSON.
Json Real(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// 0x00BBGGRR as "#rrggbb".
std::string Colour(std::uint32_t bgr) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return text;
}

Json Sensors(const CycleStatus& cycle) {
  Json sensors = Json::array();
  for (const SensorCycleStatus& s : cycle.Sensors)
    sensors.push_back({{"model", s.Model}, {"ok", s.Ok}, {"status", s.StatusText},
                       {"exposure_ms", s.ExposureMs}, {"integral_w_m2", Maybe(s.Integral)}});
  return sensors;
}

Json StatusFields(const StationStatus& s, std::int64_t now) {
  const StationVerdict verdict = JudgeStatus(s, now);
  Json j = {{"state", StateName(s.State)},
            {"verdict", {{"code", verdict.Code}, {"text", verdict.Text}}},
            {"updated", Time(s.Updated)},
            {"interval_s", s.IntervalMode ? Json(s.IntervalSeconds) : Json(nullptr)},
            {"window_open", WindowOpen(s, now)}};
  j["last_cycle"] = nullptr;
  if (s.LastCycle)
    j["last_cycle"] = {{"time", Time(s.LastCycle->Stamp)}, {"stored", s.LastCycle->Stored},
                       {"reason", s.LastCycle->Reason}, {"sensors", Sensors(*s.LastCycle)}};
  j["last_stored"] = s.LastStored ? Time(*s.LastStored) : Json(nullptr);
  j["next_boundary"] = s.NextBoundary ? Time(*s.NextBoundary) : Json(nullptr);
  const StationCounters& n = s.Counters;
  j["counters"] = {{"cycles", n.Cycles}, {"stored", n.Stored}, {"not_stored", n.NotStored},
                   {"skipped", n.Skipped}, {"reconnects", n.Reconnects}};
  j["disk"] = {{"free_bytes", Maybe(s.FreeBytes)}, {"days_left", Maybe(s.DaysLeft)}};
  return j;
}

Json Graph(const AppSettings& settings) {
  const GraphSettings& g = settings.Graph;
  return {{"left_nm", g.GraphLeft}, {"right_nm", g.GraphRight}, {"top", g.GraphTop}, {"bottom", g.GraphBottom},
          {"auto_scale", g.AutoScale}, {"grid", g.GridLine},
          {"curve_colour", Colour(g.GraphColor)}, {"frame_colour", Colour(g.FrameColor)}};
}

std::vector<std::string> ModelNames(std::uint8_t models) {
  std::vector<std::string> names;
  for (int m = 0; m < WebModelCount; ++m)
    if (models & (1u << m)) names.push_back(ModelName(m));
  return names;
}

}  // namespace

std::string StatusJson(StationSource& station, std::int64_t now) {
  const AppSettings& settings = station.Settings();
  Json j = {{"station", {{"name", settings.SiteName}, {"latitude", settings.SiteLat},
                         {"longitude", settings.SiteLon}, {"altitude", settings.SiteAlt}}},
            {"now", Time(now)}};
  const StatusReading reading = ReadStationStatus(station.Folders());
  if (reading.Status) {
    j.update(StatusFields(*reading.Status, now));
  } else {
    j["state"] = "unknown";
    j["verdict"] = {{"code", 3}, {"text", "UNKNOWN: no station status"}};
  }
  j["clock_synchronised"] = Maybe(ClockSynchronised());
  j["graph"] = Graph(settings);
  j["integral_range_nm"] = {settings.IntegFrom, settings.IntegTo};
  const std::string latest = station.LatestDayDate();
  j["latest_day"] = latest.empty() ? Json(nullptr) : Json(latest);
  return Text(j);
}

std::string DaysJson(const StationSource& station) {
  Json days = Json::array();
  for (const DayListing& day : ListDays(station.Folders())) {
    Json csv = Json::array();
    for (const std::string& name : day.CsvFiles) csv.push_back("/files/" + name);
    days.push_back({{"date", day.Date},
                    {"day_file", day.HasDayFile ? Json("/files/" + DayFileName(day.Date)) : Json(nullptr)},
                    {"day_file_bytes", day.DayFileBytes},
                    {"csv", csv},
                    {"netcdf", day.HasNetCdf ? Json("/files/" + NetCdfFileName(day.Date)) : Json(nullptr)}});
  }
  return Text({{"days", days}});
}

std::string DayJson(const DayView& day) {
  Json points = Json::array();
  for (std::size_t i = 0; i < day.Points.size(); ++i) {
    const DayPoint& p = day.Points[i];
    points.push_back({{"index", i}, {"stamp", p.Utc}, {"utc", UtcText(p.Utc)}, {"local", ClockText(p.Clock, p.Utc)},
                      {"second_of_day", ClockSecondOfDay(p.Clock)}, {"integral_w_m2", Real(p.IntegralWm2)},
                      {"quality_flags", p.QualityFlags}, {"sensors", ModelNames(p.Models)}});
  }
  return Text({{"date", day.Date},
               {"site", {{"name", day.SiteName}, {"latitude", day.SiteLat}, {"longitude", day.SiteLon},
                         {"altitude", day.SiteAlt}, {"time_zone", day.TimeZone}}},
               {"integral_range_nm", {day.IntegFromNm, day.IntegToNm}},
               {"warning", day.Warning},
               {"points", points}});
}

std::string SpectrogramJson(const DayView& day) {
  float top = 0.0f;
  for (const float v : day.Grid)
    if (std::isfinite(v)) top = std::max(top, v);
  const float scale = top > 0.0f ? 254.0f / top : 0.0f;
  const auto level = [&](std::size_t i) -> unsigned {
    const float v = day.Grid[i];
    return std::isfinite(v) ? static_cast<unsigned>(std::clamp(v * scale, 0.0f, 254.0f)) : 255u;
  };
  // Made by hand around the levels: two megabytes of base64 need no escaping nor checking.
  std::string text = Json{{"date", day.Date}, {"points", day.Points.size()}, {"from_nm", day.FromNm},
                          {"width", day.Width}, {"top_w_m2_um", top}}
                         .dump(-1, ' ', false, Json::error_handler_t::replace);
  text.pop_back();   // the closing brace
  text += ",\"levels\":\"";
  const std::size_t count = day.Grid.size();
  std::size_t at = text.size();
  text.resize(at + (count + 2) / 3 * 4);
  static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < count; i += 3) {
    const unsigned v = level(i) << 16 | (i + 1 < count ? level(i + 1) << 8 : 0u) | (i + 2 < count ? level(i + 2) : 0u);
    text[at++] = Alphabet[v >> 18 & 63];
    text[at++] = Alphabet[v >> 12 & 63];
    text[at++] = i + 1 < count ? Alphabet[v >> 6 & 63] : '=';
    text[at++] = i + 2 < count ? Alphabet[v & 63] : '=';
  }
  return text + "\"}\n";
}

std::string PointJson(const DayView& day, int index) {
  PointSpectrum point;
  if (!ComputePointSpectrum(day, index, point)) return {};
  Json sensors = Json::array();
  for (const SensorCurve& s : point.Sensors)
    sensors.push_back({{"model", s.Model}, {"exposure_ms", s.ExposureMs}, {"wavelength_nm", s.WavelengthNm},
                       {"irradiance_w_m2_um", s.Irradiance}});
  return Text({{"date", day.Date},
               {"index", index},
               {"points", day.Points.size()},
               {"time", {{"stamp", point.Utc}, {"utc", UtcText(point.Utc)},
                         {"local", ClockText(day.Points[static_cast<std::size_t>(index)].Clock, point.Utc)}}},
               {"memo", point.Memo},
               {"integral_w_m2", Real(day.Points[static_cast<std::size_t>(index)].IntegralWm2)},
               {"integral_text", point.IntegralText},
               {"quality_flags", day.Points[static_cast<std::size_t>(index)].QualityFlags},
               {"grid", {{"start_nm", point.StartNm}, {"end_nm", point.EndNm}, {"max", point.MaxValue},
                         {"irradiance_w_m2_um", point.Values}}},
               {"sensors", sensors},
               {"report", {{"en", point.ReportEnglish}, {"ja", point.ReportJapanese}}}});
}

}  // namespace spectrel::web
