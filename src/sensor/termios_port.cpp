#include "sensor/termios_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "sensor/serial_ports.h"

namespace spectrel {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Longest time a write may stall on a full output queue before it is given up (ms).
constexpr int WriteStallMs = 2000;

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

tcflag_t ByteSizeFlag(int byteSize) {
  switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

// Modem-line requests fail on a pseudo-terminal, which has no modem lines; that is harmless.
void SetModemLine(int fd, unsigned long request, int line) { (void)::ioctl(fd, request, &line); }

// Raw line of the given settings, no handshake; reads never wait.
void MakeRaw(termios& tio, speed_t speed, const LineSettings& line) {
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= ByteSizeFlag(line.ByteSize) | CLOCAL | CREAD;
  if (line.Parity == LineParity::Odd) tio.c_cflag |= PARENB | PARODD;
  if (line.Parity == LineParity::Even) tio.c_cflag |= PARENB;
  if (line.StopBits == LineStopBits::Two) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  if (line.Parity != LineParity::None) tio.c_iflag |= INPCK;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
}

// "busy (pid 12, spectrel-cli)" for a device another process holds; "busy" when the holder cannot
// be seen (another user's process, or this very program).
std::string BusyText(const std::string& device) {
  const SerialPortEntry entry = PortAccessOf(device);
  return entry.Access == PortAccess::Busy ? AccessText(entry) : "busy";
}

}  // namespace

bool TermiosPort::Fail(std::string why) {
  Failure = std::move(why);
  return false;
}

bool TermiosPort::Open(const std::string& device, const LineSettings& line) {
  Close();  // a second open must not leak the first descriptor
  Failure.clear();
  const speed_t speed = BaudConstant(line.Baud);
  if (device.empty()) return Fail("no port chosen");
  if (speed == B0) return Fail("the line speed is not supported");

  UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd && errno == EBUSY) return Fail(BusyText(device));   // held exclusively
  if (!fd) return Fail(errno == ENOENT ? std::string("no such device") : std::strerror(errno));
  // The exclusive open below keeps other users out, but not root: an advisory lock on the device
  // keeps out every program of ours, root's too, as long as a station holds the port.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    fd.Reset();
    return Fail(error == EWOULDBLOCK ? BusyText(device) : std::strerror(error));
  }
  termios tio{};
  if (::tcgetattr(fd.Get(), &tio) != 0) return Fail(std::string("not a serial port: ") + std::strerror(errno));
  (void)::ioctl(fd.Get(), TIOCEXCL);  // nobody else opens the port while the sensor is worked
  ::tcflush(fd.Get(), TCIOFLUSH);
  MakeRaw(tio, speed, line);
  if (::tcsetattr(fd.Get(), TCSANOW, &tio) != 0) {
    const int error = errno;
    (void)::ioctl(fd.Get(), TIOCNXCL);
    return Fail(std::string("cannot set the line up: ") + std::strerror(error));
  }
  SetModemLine(fd.Get(), TIOCMBIS, TIOCM_RTS);  // RTS held on: no handshake, the sensor may send
  SetModemLine(fd.Get(), TIOCMBIS, TIOCM_DTR);  // DTR raised by hand once the line is set up
  Fd = std::move(fd);
  return true;
}

void TermiosPort::Close() {
  if (!Fd) return;
  SetModemLine(Fd.Get(), TIOCMBIC, TIOCM_DTR);
  ::tcflush(Fd.Get(), TCIOFLUSH);
  (void)::ioctl(Fd.Get(), TIOCNXCL);
  Fd.Reset();
}

void TermiosPort::Purge() {
  if (Fd) ::tcflush(Fd.Get(), TCIOFLUSH);
}

int TermiosPort::Waiting() {
  int count = 0;
  if (!Fd || ::ioctl(Fd.Get(), FIONREAD, &count) != 0 || count < 0) return 0;
  return count;
}

int TermiosPort::Read(std::span<std::byte> buffer) {
  if (!Fd || buffer.empty()) return 0;
  const ssize_t got = ::read(Fd.Get(), buffer.data(), buffer.size());
  return got > 0 ? static_cast<int>(got) : 0;
}

InputWait TermiosPort::WaitForInput(int timeoutMs) {
  if (!Fd) return InputWait::Gone;
  const auto until = SteadyClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  for (;;) {
    if (Waiting() > 0) return InputWait::Ready;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - SteadyClock::now());
    if (left.count() <= 0) return InputWait::TimedOut;
    pollfd p{Fd.Get(), POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno != EINTR) return InputWait::Gone;
    if (Waiting() > 0) return InputWait::Ready;
    // The far end is gone (a hung-up or removed device): nothing will ever arrive.
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return InputWait::Gone;
  }
}

bool TermiosPort::Write(std::span<const std::byte> bytes) {
  if (!Fd) return false;
  int lines = 0;
  // Without modem lines (a pseudo-terminal) the request fails and CTS counts as on.
  if (::ioctl(Fd.Get(), TIOCMGET, &lines) == 0 && !(lines & TIOCM_CTS)) return false;

  const auto giveUp = SteadyClock::now() + std::chrono::milliseconds(WriteStallMs);
  while (!bytes.empty()) {
    const ssize_t put = ::write(Fd.Get(), bytes.data(), bytes.size());
    if (put > 0) {
      bytes = bytes.subspan(static_cast<size_t>(put));
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(giveUp - SteadyClock::now());
    if (left.count() <= 0) return false;
    pollfd out{Fd.Get(), POLLOUT, 0};
    (void)::poll(&out, 1, static_cast<int>(std::min<long long>(left.count(), 10)));
  }
  return true;
}

}  // namespace spectrel
