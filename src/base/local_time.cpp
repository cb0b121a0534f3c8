#include "base/local_time.h"

namespace spectrel {

int LocalHourKey(std::int64_t t) {
  const std::optional<std::tm> local = LocalTm(t);
  return local ? local->tm_yday * 24 + local->tm_hour : -1;
}

std::optional<std::tm> LocalTm(std::int64_t t) {
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm local{};
  if (::localtime_r(&tt, &local) == nullptr) return std::nullopt;
  return local;
}

std::string FormatLocal(std::int64_t t, const char* format) {
  const auto local = LocalTm(t);
  if (!local) return {};
  char text[128];
  const std::size_t n = std::strftime(text, sizeof text, format, &*local);
  return std::string(text, n);
}

}  // namespace spectrel
