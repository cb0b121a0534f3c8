// Which answer each path gets: the page and its files, /api/, /metrics and the station's files.
// Read-only: GET and HEAD only.
#pragma once

#include <cstdint>

#include "web/http_message.h"
#include "web/station_source.h"

namespace spectrel::web {

Response Route(StationSource& station, const Request& request, std::int64_t now);

}  // namespace spectrel::web
