// The profile check every front end makes at start: the settings layer's check of the file, with
// the ports looked at on this machine.
#pragma once

#include <string>

#include "settings/profile_check.h"

namespace spectrel {

// Why a profile's port cannot be used by this user now; empty text when it can.
PortProblem PortProblemOf(const std::string& port);

// Checks the profile at path (named: the operator named it, so a missing file is an error) with
// its ports, or without them when checkPorts is false (simulated sensors stand in for them).
ProfileCheck CheckStationProfile(const std::string& path, bool named, const std::string& appFolder,
                                 bool checkPorts = true);

}  // namespace spectrel
