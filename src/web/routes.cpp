#include "web/routes.h"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "web/api_json.h"
#include "web/file_access.h"
#include "web/metrics.h"
#include "web/page_assets.h"

namespace spectrel::web {

Response TextResponse(int status, const std::string& text) {
  Response r;
  r.Status = status;
  r.Body = text + "\n";
  return r;
}

namespace {

// The segments of a path made only of the letters a station's paths use; empty when any segment
// is empty, "." or "..", or holds anything else (escapes, back slashes, blanks).
std::optional<std::vector<std::string_view>> Segments(std::string_view path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  std::vector<std::string_view> segments;
  if (path == "/") return segments;
  for (std::size_t start = 1; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return std::nullopt;
    for (const char c : segment) {
      const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                         c == '-' || c == '_';
      if (!plain) return std::nullopt;
    }
    segments.push_back(segment);
    start = end + 1;
  }
  return segments;
}

Response Json(std::string body) {
  Response r;
  r.ContentType = "application/json";
  r.Body = std::move(body);
  return r;
}

std::optional<int> Index(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// /api/days/DATE[/spectrogram | /points/N]; /api/latest is the newest day's last point.
Response DayRoute(StationSource& station, const std::vector<std::string_view>& s) {
  const std::string date(s[2]);
  if (!IsDayDate(date)) return TextResponse(404, "not a day");
  std::string error;
  const auto day = station.Day(date, error);
  if (!day) return TextResponse(404, error);
  // Each answer is made once per state of the day file, however many ask.
  if (s.size() == 3) return Json(*day->Body("day", [&] { return DayJson(*day); }));
  if (s.size() == 4 && s[3] == "spectrogram") return Json(*day->Body("spectrogram", [&] { return SpectrogramJson(*day); }));
  if (s.size() == 5 && s[3] == "points") {
    const auto index = Index(s[4]);
    if (!index) return TextResponse(404, "no such point");
    const auto body = day->Body("point " + std::to_string(*index), [&] { return PointJson(*day, *index); });
    return body->empty() ? TextResponse(404, "no such point") : Json(*body);
  }
  return TextResponse(404, "not found");
}

Response LatestRoute(StationSource& station) {
  const std::string date = station.LatestDayDate();
  std::string error = "no day file yet";
  const auto day = date.empty() ? nullptr : station.Day(date, error);
  if (!day || day->Points.empty()) return TextResponse(404, day ? "no point yet" : error);
  const int last = static_cast<int>(day->Points.size()) - 1;
  const auto body = day->Body("point " + std::to_string(last), [&] { return PointJson(*day, last); });
  return body->empty() ? TextResponse(404, "no point yet") : Json(*body);
}

Response ApiRoute(StationSource& station, const std::vector<std::string_view>& s, std::int64_t now) {
  if (s.size() == 2 && s[1] == "status") return Json(StatusJson(station, now));
  if (s.size() == 2 && s[1] == "days") return Json(DaysJson(station));
  if (s.size() == 2 && s[1] == "latest") return LatestRoute(station);
  if (s.size() >= 3 && s[1] == "days") return DayRoute(station, s);
  return TextResponse(404, "not found");
}

}  // namespace

Response Route(StationSource& station, const Request& request, std::int64_t now) {
  if (request.Method != "GET" && request.Method != "HEAD") {
    Response r = TextResponse(405, "read-only: GET and HEAD only");
    r.Headers.push_back({"Allow", "GET, HEAD"});
    return r;
  }
  const auto segments = Segments(request.Path);
  if (!segments) return TextResponse(400, "not a path of this server");
  const auto& s = *segments;
  Response r;
  if (const PageAsset* asset = FindPageAsset(request.Path)) {
    r.ContentType = std::string(asset->ContentType);
    r.Body = std::string(asset->Body);
    r.Headers.push_back({"Cache-Control", "no-cache"});
    return r;
  }
  if (s.size() == 1 && s[0] == "metrics") {
    r.ContentType = MetricsContentType;
    r.Body = MetricsText(station, now);
  } else if (!s.empty() && s[0] == "api") {
    r = ApiRoute(station, s, now);
  } else if (s.size() == 2 && s[0] == "files") {
    r = StationFileResponse(station.Folders(), s[1]);
  } else {
    return TextResponse(404, "not found");
  }
  r.Headers.push_back({"Cache-Control", "no-store"});
  return r;
}

}  // namespace spectrel::web
