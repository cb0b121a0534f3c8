#include "cli/profile_checks.h"

#include "cli/cli_options.h"
#include "measure/station_start.h"
#include "settings/profile.h"

namespace spectrel::cli {

ProfileCheck CheckStationProfile(const std::string& profileOption) {
  const ProfileLocation located = DefaultProfileLocation();
  const std::string path = profileOption.empty() ? located.ProfilePath : profileOption;
  return CheckProfile(path, !profileOption.empty(), located.AppFolder, ProfileCheckHost{PortProblemOf});
}

}  // namespace spectrel::cli
