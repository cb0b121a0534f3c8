// The profile check as the command line makes it: the profile found where the measuring commands
// find it, its ports looked at on this machine.
#pragma once

#include <string>

#include "settings/profile_check.h"

namespace spectrel::cli {

// Checks the profile named with --profile (profileOption), or the one the measuring commands use
// when none is named (a missing one then means a first start on defaults).
ProfileCheck CheckStationProfile(const std::string& profileOption);

}  // namespace spectrel::cli
