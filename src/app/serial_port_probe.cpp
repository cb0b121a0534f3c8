#include "app/serial_port_probe.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace spectrel {

PortState ProbePort(const std::string& device) {
  if (device.empty()) return PortState::Absent;
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY ? PortState::Busy : PortState::Absent;
  PortState state = PortState::Free;
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    state = PortState::Absent;   // a file, not a serial line
  } else {
    // Exclusive mode stops other users, except the super-user: ask for it directly.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) state = PortState::Busy;
    // Some programs lock the device instead.
    if (state == PortState::Free) {
      if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        state = PortState::Busy;
      else
        (void)::flock(fd, LOCK_UN);
    }
  }
  ::close(fd);
  return state;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      size_t ei = i;
      size_t ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      // Compare the runs by value: leading zeros aside, the longer run is the larger number.
      std::string_view ra(a.data() + i, ei - i);
      std::string_view rb(b.data() + j, ej - j);
      while (ra.size() > 1 && ra.front() == '0') ra.remove_prefix(1);
      while (rb.size() > 1 && rb.front() == '0') rb.remove_prefix(1);
      if (ra.size() != rb.size()) return ra.size() < rb.size();
      if (ra != rb) return ra < rb;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::vector<std::string> OpenablePorts(const std::vector<std::string>& candidates) {
  std::vector<std::string> open;
  for (const std::string& device : candidates) {
    if (std::find(open.begin(), open.end(), device) != open.end()) continue;
    if (ProbePort(device) == PortState::Free) open.push_back(device);
  }
  return open;
}

}  // namespace spectrel
