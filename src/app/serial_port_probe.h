// Which serial devices the measurement settings may offer: those that can be opened right now.
// A device another program holds exclusively (as the sensor driver does) counts as busy.
#pragma once

#include <string>
#include <vector>

namespace spectrel {

enum class PortState {
  Free,     // opened and closed again at once
  Busy,     // exists but another program holds it
  Absent,   // no such device, or not a serial line
};

// Opens the device for reading and writing without becoming its controlling terminal and
// closes it again at once.
PortState ProbePort(const std::string& device);

// The candidates that probe Free, in the order given, each once.
std::vector<std::string> OpenablePorts(const std::vector<std::string>& candidates);

// "/dev/ttyS2" before "/dev/ttyS10": digit runs compare by value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace spectrel
