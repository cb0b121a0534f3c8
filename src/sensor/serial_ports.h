// The serial devices of this machine, as an operator choosing a sensor's port needs to see them:
// the device, its stable name, what the USB adapter says of itself, and whether this user may
// open it now. Read from the device folder, sysfs and /proc only: nothing is opened, so listing
// never disturbs a sensor in use (opening a tty raises its modem lines).
#pragma once

#include <string>
#include <vector>

namespace spectrel {

enum class PortAccess {
  Available,      // this user may read and write it and no process holds it
  NoPermission,   // read/write not allowed (usually: the user is not in the device's group)
  Busy,           // another process has it open
  Missing,        // listed by sysfs but no device node
};

struct SerialPortEntry {
  std::string Name;          // kernel name: "ttyS0", "ttyUSB0", "ttyACM0"
  std::string Device;        // "/dev/ttyUSB0"
  std::string StableName;    // "/dev/serial/by-id/…" pointing at it; empty when none
  std::string VendorId;      // USB idVendor, 4 hex digits; empty for a built-in UART
  std::string ProductId;     // USB idProduct
  std::string Manufacturer;  // USB manufacturer string
  std::string Product;       // USB product string
  std::string SerialNumber;  // USB serial string: tells two adapters of one kind apart
  std::string Group;         // group owning the device node ("dialout")
  PortAccess Access = PortAccess::Missing;
  std::string BusyBy;        // "pid 1234 (name)" when Busy and the process can be seen
};

// Where the listing looks; tests point it at a made-up tree.
struct SerialPortRoots {
  std::string Dev = "/dev";
  std::string Sys = "/sys";
  std::string Proc = "/proc";
};

// Built-in UARTs that exist (sysfs type not 0), USB serial adapters and USB modems (ACM), in the
// order ttyS, ttyUSB, ttyACM, each by number.
std::vector<SerialPortEntry> ListSerialPorts(const SerialPortRoots& roots = {});

// The access of one device path (whether or not sysfs lists it: a simulator's pseudo-terminal too).
SerialPortEntry PortAccessOf(const std::string& device, const SerialPortRoots& roots = {});

// "available", "no permission (group dialout)", "busy (pid 12, name)", "no device node".
std::string AccessText(const SerialPortEntry& entry);

// The name an operator should put in the profile: the stable name when there is one.
inline const std::string& PreferredName(const SerialPortEntry& entry) {
  return entry.StableName.empty() ? entry.Device : entry.StableName;
}

}  // namespace spectrel
