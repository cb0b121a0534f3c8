// The port listing read from a made-up device folder, sysfs and /proc: which lines are listed,
// in what order, with which USB details, stable names and access states.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "sensor/serial_ports.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {
namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteBytes;

struct FakeMachine {
  TempDir Dir;
  SerialPortRoots Roots{Dir.File("dev"), Dir.File("sys"), Dir.File("proc")};

  FakeMachine() {
    for (const char* d : {"dev/serial/by-id", "sys/class/tty", "proc"}) fs::create_directories(Dir.File(d));
  }
  void Uart(const std::string& name, const char* type) {
    fs::create_directories(Dir.File("sys/class/tty/" + name));
    WriteBytes(Dir.File("sys/class/tty/" + name + "/type"), std::string(type) + "\n");
  }
  // A USB adapter: the tty's device link points below the USB device folder holding idVendor.
  void Usb(const std::string& name, const std::string& serial) {
    const std::string usb = "sys/devices/usb1/1-" + name;
    fs::create_directories(Dir.File(usb + "/1-1:1.0/" + name));
    WriteBytes(Dir.File(usb + "/idVendor"), "0403\n");
    WriteBytes(Dir.File(usb + "/idProduct"), "6001\n");
    WriteBytes(Dir.File(usb + "/manufacturer"), "FTDI\n");
    WriteBytes(Dir.File(usb + "/product"), "USB-Serial\n");
    WriteBytes(Dir.File(usb + "/serial"), serial + "\n");
    fs::create_directories(Dir.File("sys/class/tty/" + name));
    fs::create_directory_symlink(Dir.File(usb + "/1-1:1.0/" + name), Dir.File("sys/class/tty/" + name + "/device"));
  }
  void Node(const std::string& name) { WriteBytes(Dir.File("dev/" + name), ""); }
};

TEST(SerialPortsTest, ListsRealLinesInFamilyOrderWithUsbDetailsStableNamesAndHolders) {
  FakeMachine m;
  EXPECT_TRUE(ListSerialPorts(m.Roots).empty());
  EXPECT_TRUE(ListSerialPorts({"/nonexistent/dev", "/nonexistent/sys", "/nonexistent/proc"}).empty());
  m.Uart("ttyS1", "0");      // no UART behind it: not listed
  m.Uart("ttyS10", "4");
  m.Uart("ttyS2", "4");      // numbers sort as numbers: ttyS2 before ttyS10
  m.Usb("ttyUSB1", "A10KX2");
  m.Usb("ttyUSB0", "A10KX1");
  m.Usb("ttyACM0", "7");
  fs::create_directories(m.Dir.File("sys/class/tty/tty0"));   // consoles are not serial ports
  for (const char* n : {"ttyS2", "ttyUSB0", "ttyUSB1", "ttyACM0"}) m.Node(n);
  fs::create_symlink("../../ttyUSB1", m.Dir.File("dev/serial/by-id/usb-FTDI_USB-Serial_A10KX2-if00-port0"));
  fs::create_directories(m.Dir.File("proc/4242/fd"));
  WriteBytes(m.Dir.File("proc/4242/comm"), "minicom\n");
  fs::create_symlink(m.Dir.File("dev/ttyACM0"), m.Dir.File("proc/4242/fd/3"));

  // Per port: name, USB ids, serial number, maker and product, the name to open, access.
  std::vector<std::string> rows;
  for (const auto& p : ListSerialPorts(m.Roots))
    rows.push_back(p.Name + "|" + p.VendorId + ":" + p.ProductId + "|" + p.SerialNumber + "|" + p.Manufacturer +
                   " " + p.Product + "|" + PreferredName(p) + "|" + AccessText(p));
  const std::string dev = m.Dir.File("dev/");
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "ttyS2|:|| |" + dev + "ttyS2|available",   // a built-in UART has no USB details
                      "ttyS10|:|| |" + dev + "ttyS10|no device node",
                      "ttyUSB0|0403:6001|A10KX1|FTDI USB-Serial|" + dev + "ttyUSB0|available",
                      "ttyUSB1|0403:6001|A10KX2|FTDI USB-Serial|" + dev +   // told apart by their stable names
                          "serial/by-id/usb-FTDI_USB-Serial_A10KX2-if00-port0|available",
                      "ttyACM0|0403:6001|7|FTDI USB-Serial|" + dev + "ttyACM0|busy (pid 4242, minicom)"}));
}

// Root may open every node, so the listing is run as an unprivileged user in a child process.
TEST(SerialPortsTest, NodeThisUserMayNotOpenIsSaidWithItsGroup) {
  FakeMachine m;
  m.Usb("ttyUSB0", "X");
  m.Node("ttyUSB0");
  fs::permissions(m.Dir.Path, fs::perms::all);
  fs::permissions(m.Dir.File("dev/ttyUSB0"), fs::perms::owner_read | fs::perms::owner_write);
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    const auto ports = ListSerialPorts(m.Roots);
    const std::string text = ports.size() == 1 ? AccessText(ports[0]) : "count " + std::to_string(ports.size());
    (void)!::write(out[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(out[1]);
  char buffer[256];
  const ssize_t n = ::read(out[0], buffer, sizeof buffer);
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0).rfind("no permission", 0), 0u) << std::string(buffer, n > 0 ? n : 0);
}

// A real character device held by another process is found through the real /proc by its
// device number, and only that process is named.
TEST(SerialPortsTest, ARealTerminalHeldByAnotherProcessIsBusyWithThatProcess) {
  FakeMachine m;
  m.Usb("ttyUSB0", "X");
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const std::string terminal = ::ptsname(master);
  fs::create_symlink(terminal, m.Dir.File("dev/ttyUSB0"));
  int hold[2];
  ASSERT_EQ(::pipe(hold), 0);
  const pid_t child = ::fork();
  if (child == 0) {   // holds the terminal until the pipe is closed
    ::close(hold[1]);
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
    char byte = 0;
    (void)!::read(hold[0], &byte, 1);
    ::_exit(fd >= 0 ? 0 : 3);
  }
  ::close(hold[0]);
  const auto holderHasIt = [&] {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ec))
      if (fs::read_symlink(fd.path(), ec) == terminal) return true;
    return false;
  };
  for (int i = 0; i < 200 && !holderHasIt(); ++i) ::usleep(10000);
  SerialPortRoots roots = m.Roots;
  roots.Proc = "/proc";
  const auto ports = ListSerialPorts(roots);
  ::close(hold[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(master);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(AccessText(ports[0]).rfind("busy (pid " + std::to_string(child) + ", ", 0), 0u) << AccessText(ports[0]);
}

}  // namespace
}  // namespace spectrel
