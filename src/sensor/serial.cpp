#include "sensor/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace spectrel {

namespace {

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

}  // namespace

CSerial::~CSerial() { Close(); }

int CSerial::Open(const std::string& device, int baud, int byteSize, int parity, int stopBits,
                  unsigned /*inQueue*/, unsigned /*outQueue*/) {
  if (Fd >= 0) Close();  // a second open must not leak the first descriptor
  if (device.empty()) return 0;
  const speed_t speed = BaudConstant(baud);
  if (speed == B0) return 0;

  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {  // not a terminal at all
    ::close(fd);
    return 0;
  }
  (void)::ioctl(fd, TIOCEXCL);  // nobody else opens the port while the sensor is worked
  ::tcflush(fd, TCIOFLUSH);

  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= ByteSizeFlag(byteSize) | CLOCAL | CREAD;
  if (parity == 1) tio.c_cflag |= PARENB | PARODD;  // odd
  if (parity == 2) tio.c_cflag |= PARENB;           // even
  if (stopBits == 2) tio.c_cflag |= CSTOPB;         // two stop bits
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  if (parity != 0) tio.c_iflag |= INPCK;
  tio.c_cc[VMIN] = 0;   // reads never wait: only what is waiting is taken
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    (void)::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return 0;
  }
  SetModemLine(fd, TIOCMBIS, TIOCM_RTS);  // RTS held on: no handshake, the sensor may send
  SetModemLine(fd, TIOCMBIS, TIOCM_DTR);  // DTR raised by hand once the line is set up
  Fd = fd;
  return 1;
}

void CSerial::Close() {
  if (Fd < 0) return;
  SetModemLine(Fd, TIOCMBIC, TIOCM_DTR);
  ::tcflush(Fd, TCIOFLUSH);
  (void)::ioctl(Fd, TIOCNXCL);
  ::close(Fd);
  Fd = -1;
}

void CSerial::Purge() {
  if (Fd >= 0) ::tcflush(Fd, TCIOFLUSH);
}

int CSerial::Waiting() {
  if (Fd < 0) return 0;
  int count = 0;
  if (::ioctl(Fd, FIONREAD, &count) != 0 || count < 0) return 0;
  return count;
}

int CSerial::Read(void* buffer, int n) {
  if (Fd < 0 || n <= 0) return 0;
  const int take = std::min(n, Waiting());
  if (take <= 0) return 0;
  const ssize_t got = ::read(Fd, buffer, static_cast<size_t>(take));
  return got > 0 ? static_cast<int>(got) : 0;
}

int CSerial::WaitForInput(int timeoutMs) {
  if (Fd < 0) return -1;
  if (Waiting() > 0) return 1;
  pollfd p{Fd, POLLIN, 0};
  const int r = ::poll(&p, 1, std::max(timeoutMs, 0));
  if (r < 0) return errno == EINTR ? 0 : -1;
  if (Waiting() > 0) return 1;
  // The far end is gone (a hung-up or removed device): nothing will ever arrive.
  if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
  return 0;
}

int CSerial::Write(const void* buffer, int n) {
  if (Fd < 0 || n < 0) return 0;
  int lines = 0;
  // Without modem lines (a pseudo-terminal) the request fails and CTS counts as on.
  if (::ioctl(Fd, TIOCMGET, &lines) == 0 && !(lines & TIOCM_CTS)) return 0;

  const auto* p = static_cast<const unsigned char*>(buffer);
  int left = n;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(WriteStallMs);
  while (left > 0) {
    const ssize_t put = ::write(Fd, p, static_cast<size_t>(left));
    if (put > 0) {
      p += put;
      left -= static_cast<int>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (now >= giveUp) return 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - now).count();
    pollfd out{Fd, POLLOUT, 0};
    (void)::poll(&out, 1, static_cast<int>(std::min<long long>(ms, 10)));
  }
  return 1;
}

std::string CSerial::DeviceName(const std::string& port) {
  if (port.empty()) return "";
  size_t start = (port[0] == '-' || port[0] == '+') ? 1 : 0;
  const bool number = start < port.size() &&
                      std::all_of(port.begin() + static_cast<long>(start), port.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
  if (!number) return port;  // a device path stands as it is
  if (port[0] == '-') return "";
  const long n = std::strtol(port.c_str(), nullptr, 10);
  if (n < 1 || n > 4096) return "";
  return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace spectrel
