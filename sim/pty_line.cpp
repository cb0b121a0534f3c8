#include "pty_line.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace solmet_sim {

StopSignal::StopSignal() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    Read_.Reset(fds[0]);
    Write_.Reset(fds[1]);
  }
}

StopSignal::~StopSignal() = default;

void StopSignal::Notify() {
  const char one = 1;
  // The pipe only has to become readable; a full pipe already is.
  [[maybe_unused]] ssize_t n = write(Write_.Get(), &one, 1);
}

bool StopSignal::Raised() const {
  pollfd p{Read_.Get(), POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

bool StopSignal::SleepUntil(SteadyTime deadline) const {
  for (;;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return !Raised();
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
    pollfd p{Read_.Get(), POLLIN, 0};
    // poll() counts whole milliseconds; round up so the deadline is never cut short.
    const int r = poll(&p, 1, static_cast<int>((us + 999) / 1000));
    if (r > 0) return false;
  }
}

PtyLine::~PtyLine() { Close(); }

bool PtyLine::Open() {
  Close();
  spectrel::UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  char name[128];
  if (!master || grantpt(master.Get()) != 0 || unlockpt(master.Get()) != 0 ||
      ptsname_r(master.Get(), name, sizeof name) != 0)
    return false;
  spectrel::UniqueFd slave(open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!slave) return false;
  // Raw 8N1 at 38400 baud on the program's side: no echo, no line editing, no CR translation.
  termios tio{};
  if (tcgetattr(slave.Get(), &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(slave.Get(), TCSANOW, &tio);
  }
  fcntl(master.Get(), F_SETFL, fcntl(master.Get(), F_GETFL) | O_NONBLOCK);
  Master_ = std::move(master);
  Slave_ = std::move(slave);
  SlavePath_ = name;
  return true;
}

void PtyLine::Close() {
  Slave_.Reset();
  Master_.Reset();
}

ReadResult PtyLine::Read(std::string& text, const StopSignal& stop) {
  for (;;) {
    if (!Master_) return ReadResult::Closed;
    pollfd p[2] = {{stop.Fd(), POLLIN, 0}, {Master_.Get(), POLLIN, 0}};
    const int r = poll(p, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      return ReadResult::Closed;
    }
    if (p[0].revents) return ReadResult::Stopped;
    if (p[1].revents & POLLIN) {
      char buf[512];
      const ssize_t n = read(Master_.Get(), buf, sizeof buf);
      if (n > 0) {
        text.append(buf, static_cast<std::size_t>(n));
        return ReadResult::Data;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      return ReadResult::Closed;
    }
    if (p[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      // Cannot happen while our own slave descriptor is open; guard against a busy loop anyway.
      if (!stop.SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(20))) {
        return ReadResult::Stopped;
      }
    }
  }
}

bool PtyLine::Write(const char* data, std::size_t size, const StopSignal& stop) {
  std::size_t done = 0;
  while (done < size) {
    if (!Master_) return false;
    const ssize_t n = write(Master_.Get(), data + done, size - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    // The program is not reading and the line is full: wait for room or for the stop.
    pollfd p[2] = {{stop.Fd(), POLLIN, 0}, {Master_.Get(), POLLOUT, 0}};
    if (poll(p, 2, 200) > 0 && p[0].revents) return false;
  }
  return true;
}

}  // namespace solmet_sim
