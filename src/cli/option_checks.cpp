#include "cli/option_checks.h"

#include <string_view>

#include "base/station_zone.h"
#include "settings/profile.h"
#include "spectrum/model_table.h"

namespace spectrel::cli {

namespace {

// Calls take(name) for each name of a comma-separated list; false as soon as take does.
template <typename Take>
bool EachName(std::string_view list, Take take) {
  if (list.empty()) return true;
  for (std::size_t start = 0;;) {
    const std::size_t comma = list.find(',', start);
    if (!take(list.substr(start, comma - start))) return false;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

}  // namespace

CLI::Validator ModelNameCheck() {
  return CLI::Validator(
      [](const std::string& text) {
        return ParseModelName(text) ? std::string() : "unknown model '" + text + "'";
      },
      "");
}

CLI::Validator ModelListCheck() {
  return CLI::Validator(
      [](const std::string& text) {
        std::string error;
        EachName(text, [&](std::string_view name) {
          if (ParseModelName(name)) return true;
          error = "unknown model '" + std::string(name) + "' in '" + text + "'";
          return false;
        });
        return error;
      },
      "");
}

std::array<bool, 4> ModelFlags(const std::string& list) {
  std::array<bool, 4> flags{};
  EachName(list, [&](std::string_view name) {
    if (const std::optional<int> model = ParseModelName(name)) flags[static_cast<std::size_t>(*model)] = true;
    return true;
  });
  return flags;
}

std::string StationZoneName(const std::string& tzOption, const std::string& profilePath) {
  if (!tzOption.empty() || profilePath.empty()) return tzOption;
  AppSettings settings;
  LoadSettings(settings, profilePath);
  return settings.SiteZone.empty() ? StationZone::SystemZoneName() : settings.SiteZone;
}

}  // namespace spectrel::cli
