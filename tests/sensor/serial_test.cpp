// The serial port on the termios port over real pseudo-terminal pairs.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

#include <cstddef>
#include <string>

#include "sensor/serial.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::PtyPair;

bool OpenSensorLine(CSerial& port, const std::string& path) {
  return port.Open(path, 38400, 8, LineParity::None, LineStopBits::One, 4096, 4096);
}

std::span<const std::byte> Bytes(std::string_view text) { return std::as_bytes(std::span(text)); }

std::string ReadText(CSerial& port, size_t n) {
  std::string text(n, '\0');
  text.resize(static_cast<size_t>(port.Read(std::as_writable_bytes(std::span(text)))));
  return text;
}

TEST(SerialPort, NumbersNameTheSerialDevices) {
  const std::pair<const char*, const char*> cases[] = {
      {"3", "/dev/ttyS2"}, {"1", "/dev/ttyS0"}, {"12", "/dev/ttyS11"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"0", ""}, {"", ""}, {"-2", ""}};
  for (const auto& [port, device] : cases) EXPECT_EQ(CSerial::DeviceName(port), device) << port;
}

TEST(SerialPort, AFailedOpenSaysWhyLeavingThePortClosed) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("plain"), "no terminal");
  CSerial port;
  const std::pair<std::string, const char*> cases[] = {
      {"/dev/nonexistent-sensor-line", "no such device"}, {dir.File("plain"), "not a serial port"}, {"", "no port chosen"}};
  for (const auto& [path, why] : cases) {
    EXPECT_FALSE(OpenSensorLine(port, path)) << path;
    EXPECT_FALSE(port.IsOpen()) << path;
    EXPECT_EQ(port.OpenFailure().rfind(why, 0), 0u) << path << ": " << port.OpenFailure();
  }
  EXPECT_EQ(port.Waiting(), 0);
  EXPECT_EQ(ReadText(port, 1), "");
  EXPECT_FALSE(port.Write(Bytes("ID\r")));
  EXPECT_EQ(port.WaitForInput(10), InputWait::Gone);
}

TEST(SerialPort, PortHeldByAnotherProgramIsRefusedWithItsHolder) {
  PtyPair pty;
  ASSERT_FALSE(pty.Path.empty());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {   // a station holding the port: its advisory lock keeps root out as well
    CSerial station;
    const char held = OpenSensorLine(station, pty.Path) ? 'y' : 'n';
    (void)::write(ready[1], &held, 1);
    ::pause();
    ::_exit(0);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  CSerial second;
  EXPECT_FALSE(OpenSensorLine(second, pty.Path));
  EXPECT_EQ(second.OpenFailure().rfind("busy (pid " + std::to_string(holder) + ",", 0), 0u) << second.OpenFailure();
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_TRUE(OpenSensorLine(second, pty.Path));   // free again once the holder is gone
}

TEST(SerialPort, TheOpenedLineIsRaw38400EightNoneOnePassingBytesUnchangedUntilAHangUp) {
  PtyPair pty;
  ASSERT_FALSE(pty.Path.empty());
  // A cooked line with handshakes on, as a previous user might have left it, and a stale reply.
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.Slave.Get(), &tio), 0);
  tio.c_lflag |= ICANON | ECHO;
  tio.c_iflag |= IXON | IXOFF;
  tio.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  ::cfsetispeed(&tio, B9600);
  ASSERT_EQ(::tcsetattr(pty.Slave.Get(), TCSANOW, &tio), 0);
  pty.Master.Send("old reply\n");
  pollfd arrived{pty.Slave.Get(), POLLIN, 0};
  ASSERT_EQ(::poll(&arrived, 1, 1000), 1);
  CSerial port;
  ASSERT_TRUE(OpenSensorLine(port, pty.Path));
  EXPECT_EQ(port.Waiting(), 0);
  ASSERT_EQ(::tcgetattr(pty.Slave.Get(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
            static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cc[VMIN] + tio.c_cc[VTIME], 0);  // a read never waits for more bytes
  // A purge drops what waits.
  pty.Master.Send("stale\r");
  ASSERT_EQ(port.WaitForInput(1000), InputWait::Ready);
  port.Purge();
  EXPECT_EQ(port.Waiting(), 0);
  EXPECT_EQ(port.WaitForInput(30), InputWait::TimedOut);
  pty.Master.Read(64, 0.2);   // what the cooked line echoed before the open
  EXPECT_TRUE(port.Write(Bytes("RB,0\r")));
  EXPECT_EQ(pty.Master.Read(5), "RB,0\r");
  const std::string block("\x00\x80\r\n\x11\x13\xFF", 7);   // NUL, CR, LF and XON/XOFF are data
  pty.Master.Send(block);
  ASSERT_EQ(port.WaitForInput(1000), InputWait::Ready);
  EXPECT_EQ(ReadText(port, 7), block);
  pty.Master.Close();
  pty.Slave.Reset();
  EXPECT_EQ(port.WaitForInput(5000), InputWait::Gone);
}

}  // namespace
}  // namespace spectrel
