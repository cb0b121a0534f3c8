// The port layer over real pseudo-terminal pairs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "sensor/serial.h"

namespace spectrel {
namespace {

// Both ends of a fresh pseudo-terminal; the test plays the far end on the master.
struct PtyPair {
  PtyPair() {
    char name[256] = {};
    if (::openpty(&Master, &Slave, name, nullptr, nullptr) == 0) Path = name;
  }
  ~PtyPair() {
    if (Master >= 0) ::close(Master);
    if (Slave >= 0) ::close(Slave);
  }
  // Reads what arrived at the far end within the time given.
  std::string Drain(int ms) {
    std::string got;
    char buf[256];
    for (pollfd p{Master, POLLIN, 0}; ::poll(&p, 1, ms) > 0; ms = 20) {
      const ssize_t n = ::read(Master, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }
  int Master = -1;
  int Slave = -1;
  std::string Path;
};

int OpenSensorLine(CSerial& port, const std::string& path) {
  return port.Open(path, 38400, 8, 0, 0, 4096, 4096);
}

TEST(SerialPortName, NumbersNameTheSerialDevices) {
  const std::pair<const char*, const char*> cases[] = {
      {"3", "/dev/ttyS2"}, {"1", "/dev/ttyS0"}, {"12", "/dev/ttyS11"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"/tmp/sim/SR101", "/tmp/sim/SR101"},
      {"0", ""}, {"", ""}, {"-2", ""}};
  for (const auto& [port, device] : cases) EXPECT_EQ(CSerial::DeviceName(port), device) << port;
}

TEST(SerialPort, MissingDeviceOrPlainFileLeavesThePortClosed) {
  CSerial port;
  EXPECT_EQ(OpenSensorLine(port, "/dev/nonexistent-sensor-line"), 0);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Waiting(), 0);
  char c;
  EXPECT_EQ(port.Read(&c, 1), 0);
  EXPECT_EQ(port.Write("ID\r", 3), 0);
  EXPECT_EQ(OpenSensorLine(port, ""), 0);
  EXPECT_FALSE(port.IsOpen());
  // A file that is no terminal is refused too.
  char dir[] = "/tmp/spectrel-serial-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/plain";
  const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(OpenSensorLine(port, file), 0);
  EXPECT_FALSE(port.IsOpen());
  ::unlink(file.c_str());
  ::rmdir(dir);
}

TEST(SerialPort, LineIsRaw38400EightNoneOneWithoutFlowControlAndFlushedAtOpen) {
  PtyPair pty;
  ASSERT_FALSE(pty.Path.empty());
  // Start from a cooked line with handshakes on, as a previous user might have left it, with a
  // stale reply waiting (it passes in cooked mode once its CR arrives).
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.Slave, &tio), 0);
  tio.c_lflag |= ICANON | ECHO;
  tio.c_iflag |= IXON | IXOFF;
  tio.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  ASSERT_EQ(::tcsetattr(pty.Slave, TCSANOW, &tio), 0);
  ASSERT_EQ(::write(pty.Master, "old reply\n", 10), 10);
  pollfd p{pty.Slave, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);

  CSerial port;
  ASSERT_EQ(OpenSensorLine(port, pty.Path), 1);
  ASSERT_TRUE(port.IsOpen());
  EXPECT_EQ(port.Waiting(), 0);
  ASSERT_EQ(::tcgetattr(pty.Slave, &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(SerialPort, ReadsTakeOnlyWhatWaitsAndReturnAtOnceWhenNothingDoes) {
  PtyPair pty;
  CSerial port;
  ASSERT_EQ(OpenSensorLine(port, pty.Path), 1);
  char got[64] = {};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(got, 16), 0);
  EXPECT_EQ(port.Waiting(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(port.WaitForInput(30), 0);

  // Towards the sensor: bytes arrive unchanged, the CR is not turned into anything else.
  ASSERT_EQ(port.Write("GM,100,0,1\r", 11), 1);
  EXPECT_EQ(pty.Drain(500), "GM,100,0,1\r");
  // From the sensor: binary bytes (0x00, 0x0D, 0x11 flow characters, 0xFF) pass untouched.
  const char reply[] = {'1', '2', ',', 'O', 'K', '\r', 0x00, 0x11, 0x13, static_cast<char>(0xFF)};
  ASSERT_EQ(::write(pty.Master, reply, sizeof reply), static_cast<ssize_t>(sizeof reply));
  ASSERT_EQ(port.WaitForInput(1000), 1);
  for (int i = 0; i < 100 && port.Waiting() < 10; ++i) port.WaitForInput(10);
  ASSERT_EQ(port.Waiting(), 10);
  // Two reads, of which the second asks for more than waits.
  EXPECT_EQ(port.Read(got, 6), 6);
  EXPECT_EQ(std::string(got, 6), "12,OK\r");
  EXPECT_EQ(port.Waiting(), 4);
  EXPECT_EQ(port.Read(got, 64), 4);
  EXPECT_EQ(std::memcmp(got, reply + 6, 4), 0);
  EXPECT_EQ(port.Read(got, 64), 0);
  // Purge discards what waits.
  ASSERT_EQ(::write(pty.Master, "stale\r", 6), 6);
  ASSERT_EQ(port.WaitForInput(1000), 1);
  port.Purge();
  EXPECT_EQ(port.Waiting(), 0);
  EXPECT_EQ(port.Read(got, 1), 0);
}

TEST(SerialPort, CloseTwiceAndReopen) {
  PtyPair pty;
  CSerial port;
  ASSERT_EQ(OpenSensorLine(port, pty.Path), 1);
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  port.Close();  // nothing happens
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.WaitForInput(10), -1);
  char c;
  EXPECT_EQ(port.Read(&c, 1), 0);
  ASSERT_EQ(OpenSensorLine(port, pty.Path), 1);
  ASSERT_EQ(port.Write("\r", 1), 1);
  EXPECT_EQ(pty.Drain(500), "\r");
}

}  // namespace
}  // namespace spectrel
