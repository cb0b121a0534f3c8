// Station files handed to a visitor: only names the station itself makes, only below the folder
// of their kind, never through a link that leads out of it.
#pragma once

#include <string_view>

#include "web/http_message.h"
#include "web/station_data.h"

namespace spectrel::web {

// The file of that name whole (200), or 404 when there is none, 403 when its real place is not
// inside its folder, 400 when the name is not a station file name.
Response StationFileResponse(const StationFolders& folders, std::string_view name);

}  // namespace spectrel::web
