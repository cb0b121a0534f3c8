// Raw byte exchange with deadlines on a pseudo-terminal: a fresh pair whose master the test plays
// as the far end, or a raw client on a device path (e.g. the simulator's line).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>

#include "base/unique_fd.h"

namespace spectrel::testing {

// Raw mode at 38400 baud: every byte passes unchanged, nothing is echoed.
inline void MakeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B38400);
  ::cfsetospeed(&tio, B38400);
  ::tcsetattr(fd, TCSANOW, &tio);
}

class RawEnd {
 public:
  RawEnd() = default;
  explicit RawEnd(int fd) : Fd(fd) {}
  // Opens a terminal device in raw 38400 8N1 mode, both queues emptied.
  static RawEnd OpenDevice(const std::string& path) {
    RawEnd end(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (end.Fd) {
      MakeRaw(end.Fd.Get());
      ::tcflush(end.Fd.Get(), TCIOFLUSH);
    }
    return end;
  }
  void Close() { Fd.Reset(); }
  void Send(std::string_view bytes) {
    while (!bytes.empty() && Fd) {
      const ssize_t n = ::write(Fd.Get(), bytes.data(), bytes.size());
      if (n > 0) bytes.remove_prefix(static_cast<size_t>(n));
      else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
      else Readable(POLLOUT, 100);
    }
  }
  // Up to n bytes; fewer when nothing more came within the time given.
  std::string Read(size_t n, double seconds = 2.0) {
    return Collect(seconds, [n](const std::string& s) { return s.size() >= n; });
  }
  // Up to and including the first CR; whatever arrived when the time runs out otherwise.
  std::string ReadLine(double seconds = 2.0) {
    return Collect(seconds, [](const std::string& s) { return !s.empty() && s.back() == '\r'; });
  }
  // Sends a command with its CR and returns the reply line.
  std::string Ask(std::string_view command, double seconds = 2.0) {
    Send(std::string(command) + "\r");
    return ReadLine(seconds);
  }
  // True when the line reports a hang-up or end of data within the time given.
  bool HungUp(double seconds = 2.0) {
    pollfd p{Fd.Get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
    if (p.revents & (POLLHUP | POLLERR)) return true;
    char c;
    const ssize_t n = ::read(Fd.Get(), &c, 1);
    return n == 0 || (n < 0 && errno == EIO);
  }

 private:
  bool Readable(short events, long ms) {
    pollfd p{Fd.Get(), events, 0};
    return ::poll(&p, 1, static_cast<int>(std::max(ms, 0L))) > 0 && (p.revents & events);
  }
  // Reads byte by byte, so that nothing past what the test waits for is taken.
  template <typename Done>
  std::string Collect(double seconds, Done done) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    std::string out;
    while (!done(out)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
      if (left.count() < 0 || !Readable(POLLIN, left.count() + 1)) break;
      char c;
      const ssize_t got = ::read(Fd.Get(), &c, 1);
      if (got > 0) out.push_back(c);
      else if (got == 0 || (errno != EAGAIN && errno != EINTR)) break;
    }
    return out;
  }
  UniqueFd Fd;
};

// A fresh pseudo-terminal: the program opens Path, the test plays the far end on Master. The
// slave side starts raw so that nothing is echoed before the program sets the line up itself.
struct PtyPair {
  PtyPair() {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
    Master = RawEnd(master);
    Slave.Reset(slave);
    Path = name;
    MakeRaw(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  }
  RawEnd Master;     // the far end
  UniqueFd Slave;    // held so the line stays up until the test hangs up
  std::string Path;  // the device the program opens
};

}  // namespace spectrel::testing
