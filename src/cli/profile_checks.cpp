#include "cli/profile_checks.h"

#include "cli/cli_options.h"
#include "sensor/serial.h"
#include "sensor/serial_ports.h"
#include "settings/profile.h"

namespace spectrel::cli {

namespace {

PortProblem CheckPort(const std::string& port) {
  const std::string device = CSerial::DeviceName(port);
  if (device.empty()) return {"not a port", true};
  const SerialPortEntry entry = PortAccessOf(device);
  switch (entry.Access) {
    case PortAccess::Available: return {};
    case PortAccess::Missing: return {"no such device now (it is watched and used once it appears)", false};
    case PortAccess::NoPermission:
      return {AccessText(entry) + " for this user (add the user to the device's group and log in again)", true};
    case PortAccess::Busy: return {AccessText(entry), false};
  }
  return {};
}

}  // namespace

ProfileCheck CheckStationProfile(const std::string& profileOption) {
  const ProfileLocation located = DefaultProfileLocation();
  const std::string path = profileOption.empty() ? located.ProfilePath : profileOption;
  return CheckProfile(path, !profileOption.empty(), located.AppFolder, ProfileCheckHost{CheckPort});
}

}  // namespace spectrel::cli
