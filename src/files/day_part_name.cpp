#include "files/day_part_name.h"

#include <filesystem>
#include <string_view>

namespace spectrel {

namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string DayPartPath(const std::string& dayPath, int part) {
  if (part < 2) return dayPath;
  const std::size_t dot = dayPath.rfind('.');
  const std::size_t slash = dayPath.rfind('/');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::size_t at = hasExtension ? dot : dayPath.size();
  return dayPath.substr(0, at) + "_" + std::to_string(part) + dayPath.substr(at);
}

int DayPartOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string_view name(path);
  if (slash != std::string::npos) name.remove_prefix(slash + 1);
  if (name.size() < 12 || name.substr(name.size() - 4) != ".KRF") return 0;
  name.remove_suffix(4);
  if (name.size() == 8) return AllDigits(name) ? 1 : 0;
  if (name[8] != '_' || !AllDigits(name.substr(0, 8)) || !AllDigits(name.substr(9)) || name.size() > 13) return 0;
  const int part = std::stoi(std::string(name.substr(9)));
  return part >= 2 ? part : 0;
}

int LatestDayPart(const std::string& dayPath) {
  int part = 1;
  std::error_code ec;
  while (std::filesystem::exists(DayPartPath(dayPath, part + 1), ec)) ++part;
  return part;
}

}  // namespace spectrel
