// /metrics: the station's counters and gauges in the Prometheus text format (version 0.0.4),
// named and measured as Prometheus recommends (base units, counters ending in _total).
#pragma once

#include <cstdint>
#include <string>

#include "web/station_source.h"

namespace spectrel::web {

inline constexpr const char* MetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

std::string MetricsText(const StationSource& station, std::int64_t now);

// A label value with backslash, double quote and line feed escaped as the format wants.
std::string LabelValue(const std::string& text);

}  // namespace spectrel::web
