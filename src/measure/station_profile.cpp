#include "measure/station_profile.h"

#include "sensor/serial.h"
#include "sensor/serial_ports.h"

namespace spectrel {

PortProblem PortProblemOf(const std::string& port) {
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

ProfileCheck CheckStationProfile(const std::string& path, bool named, const std::string& appFolder, bool checkPorts) {
  return CheckProfile(path, named, appFolder, checkPorts ? ProfileCheckHost{PortProblemOf} : ProfileCheckHost{});
}

}  // namespace spectrel
