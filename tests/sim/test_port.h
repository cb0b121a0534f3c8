// A plain termios client for the simulator's pseudo-terminal: raw bytes in and out with deadlines.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace solmet_sim_test {

class TestPort {
 public:
  explicit TestPort(const std::string& path) {
    Fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd_ < 0) return;
    termios tio{};
    tcgetattr(Fd_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tcsetattr(Fd_, TCSANOW, &tio);
    tcflush(Fd_, TCIOFLUSH);
  }
  ~TestPort() {
    if (Fd_ >= 0) close(Fd_);
  }
  TestPort(const TestPort&) = delete;
  TestPort& operator=(const TestPort&) = delete;

  bool IsOpen() const { return Fd_ >= 0; }

  void Send(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = write(Fd_, text.data() + done, text.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    }
  }

  // Reads up to and including the first CR; whatever arrived when the time runs out otherwise.
  std::string ReadLine(double seconds = 2.0) {
    std::string line;
    const auto deadline = Deadline(seconds);
    while (line.empty() || line.back() != '\r') {
      char c;
      if (!ReadOne(c, deadline)) break;
      line += c;
    }
    return line;
  }

  // Reads exactly n bytes, or fewer when the time runs out.
  std::string ReadBytes(std::size_t n, double seconds = 3.0) {
    std::string out;
    const auto deadline = Deadline(seconds);
    while (out.size() < n) {
      char buf[4096];
      if (!WaitReadable(deadline)) break;
      const ssize_t got = read(Fd_, buf, std::min(sizeof buf, n - out.size()));
      if (got > 0) out.append(buf, static_cast<std::size_t>(got));
      else if (got < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return out;
  }

  // Sends a command with its CR and returns the reply line.
  std::string Ask(const std::string& command, double seconds = 2.0) {
    Send(command + "\r");
    return ReadLine(seconds);
  }

  // What a read sees after a hang-up: true when the line reports hang-up or end of data.
  bool HungUp(double seconds = 2.0) {
    pollfd p{Fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
    if (p.revents & (POLLHUP | POLLERR)) return true;
    char c;
    const ssize_t n = read(Fd_, &c, 1);
    return n == 0 || (n < 0 && errno == EIO);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static Clock::time_point Deadline(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  }
  bool WaitReadable(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) return false;
    pollfd p{Fd_, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(left) + 1) > 0 && (p.revents & POLLIN);
  }
  bool ReadOne(char& c, Clock::time_point deadline) {
    for (;;) {
      if (!WaitReadable(deadline)) return false;
      const ssize_t n = read(Fd_, &c, 1);
      if (n == 1) return true;
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    }
  }
  int Fd_ = -1;
};

// Little-endian decoding of the binary blocks.
inline std::vector<std::int16_t> DecodeCounts(const std::string& block) {
  std::vector<std::int16_t> counts(block.size() / 2);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const auto lo = static_cast<std::uint8_t>(block[2 * i]);
    const auto hi = static_cast<std::uint8_t>(block[2 * i + 1]);
    counts[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
  }
  return counts;
}

inline std::vector<float> DecodeFloats(const std::string& block) {
  std::vector<float> values(block.size() / 4);
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::uint32_t bits = 0;
    for (int b = 3; b >= 0; --b) bits = (bits << 8) | static_cast<std::uint8_t>(block[4 * i + b]);
    std::memcpy(&values[i], &bits, sizeof bits);
  }
  return values;
}

}  // namespace solmet_sim_test
