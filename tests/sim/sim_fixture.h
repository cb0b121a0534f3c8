// Starts an unpaced simulated sensor and a plain termios client on its device: raw bytes in and
// out with deadlines.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "solmet_sim.h"

namespace solmet_sim_test {

constexpr int kPixels[4] = {1024, 2048, 512, 256};
constexpr const char* kNames[4] = {"SR-101", "SR-102", "SR-103", "SR-104"};

class TestPort {
 public:
  explicit TestPort(const std::string& path) : Fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios tio{};
    tcgetattr(Fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    tcsetattr(Fd, TCSANOW, &tio);
    tcflush(Fd, TCIOFLUSH);
  }
  ~TestPort() {
    if (Fd >= 0) close(Fd);
  }
  TestPort(const TestPort&) = delete;
  TestPort& operator=(const TestPort&) = delete;

  bool IsOpen() const { return Fd >= 0; }
  void Send(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = write(Fd, text.data() + done, text.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    }
  }
  // Reads up to and including the first CR; whatever arrived when the time runs out otherwise.
  std::string ReadLine(double seconds = 2.0) {
    std::string line;
    const auto deadline = Deadline(seconds);
    while ((line.empty() || line.back() != '\r') && Readable(deadline)) {
      char c;
      const ssize_t n = read(Fd, &c, 1);
      if (n == 1) line += c;
      else if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return line;
  }
  // Reads exactly n bytes, or fewer when the time runs out.
  std::string ReadBytes(std::size_t n, double seconds = 3.0) {
    std::string out;
    const auto deadline = Deadline(seconds);
    while (out.size() < n && Readable(deadline)) {
      char buf[4096];
      const ssize_t got = read(Fd, buf, std::min(sizeof buf, n - out.size()));
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
    pollfd p{Fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(seconds * 1000)) <= 0) return false;
    if (p.revents & (POLLHUP | POLLERR)) return true;
    char c;
    const ssize_t n = read(Fd, &c, 1);
    return n == 0 || (n < 0 && errno == EIO);
  }

 private:
  using Clock = std::chrono::steady_clock;
  static Clock::time_point Deadline(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  }
  bool Readable(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{Fd, POLLIN, 0};
    return left >= 0 && poll(&p, 1, static_cast<int>(left) + 1) > 0 && (p.revents & POLLIN);
  }
  int Fd;
};

inline solmet_sim::SensorConfig Unpaced(int model) {
  solmet_sim::SensorConfig c;
  c.Model = model;
  c.Paced = false;
  c.TimeOfDay = 12 * 3600;
  c.Seed = 7;
  return c;
}

struct Rig {
  explicit Rig(solmet_sim::SensorConfig config) : Sensor(std::move(config)) {
    Started = Sensor.Start();
    if (Started) Port = std::make_unique<TestPort>(Sensor.DevicePath());
  }
  solmet_sim::SimulatedSensor Sensor;
  bool Started = false;
  std::unique_ptr<TestPort> Port;
};

// Splits a reply line at commas after dropping its CR.
inline std::vector<std::string> Tokens(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> out;
  for (std::string::size_type start = 0;;) {
    const auto comma = line.find(',', start);
    out.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// Little-endian decoding of the binary blocks.
inline std::vector<std::int16_t> DecodeCounts(const std::string& block) {
  std::vector<std::int16_t> counts(block.size() / 2);
  for (std::size_t i = 0; i < counts.size(); ++i)
    counts[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(block[2 * i]) |
                                          (static_cast<std::uint8_t>(block[2 * i + 1]) << 8));
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
