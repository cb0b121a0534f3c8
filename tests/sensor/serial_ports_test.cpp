// The port listing read from a made-up device folder, sysfs and /proc: which lines are listed,
// in what order, with which USB details, stable names and access states.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "sensor/serial_ports.h"
#include "support/pty_pair.h"
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
  // Process pid, named comm, holding target open as its descriptor 3.
  void Holds(const std::string& pid, const std::string& comm, const std::string& target) {
    fs::create_directories(Dir.File("proc/" + pid + "/fd"));
    WriteBytes(Dir.File("proc/" + pid + "/comm"), comm + "\n");
    fs::create_symlink(target, Dir.File("proc/" + pid + "/fd/3"));
  }
};

TEST(SerialPortsTest, ListsOnlyRealLinesInFamilyOrderEachWithWhatTellsItApart) {
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
  m.Holds("4242", "minicom", m.Dir.File("dev/ttyACM0"));

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
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    const auto ports = ListSerialPorts(m.Roots);
    WriteBytes(m.Dir.File("access"), ports.size() == 1 ? AccessText(ports[0]) : "count " + std::to_string(ports.size()));
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string access = testing::ReadBytes(m.Dir.File("access"));
  EXPECT_EQ(access.rfind("no permission", 0), 0u) << access;
}

// A terminal is found held by its device number, whatever name the holder opened it by; the
// program's own descriptors, entries that are no process and other terminals do not count.
TEST(SerialPortsTest, ATerminalIsBusyWithTheProcessHoldingItUnderAnyName) {
  FakeMachine m;
  m.Usb("ttyUSB0", "X");
  testing::PtyPair line, other;
  ASSERT_FALSE(line.Path.empty() || other.Path.empty());
  fs::create_symlink(line.Path, m.Dir.File("dev/ttyUSB0"));
  m.Holds(std::to_string(::getpid()), "spectrel", line.Path);
  m.Holds("self", "spectrel", line.Path);   // not a process number
  m.Holds("4243", "getty", other.Path);
  EXPECT_EQ(AccessText(ListSerialPorts(m.Roots).at(0)), "available");
  m.Holds("4244", "logger", line.Path);
  EXPECT_EQ(AccessText(ListSerialPorts(m.Roots).at(0)), "busy (pid 4244, logger)");
}

}  // namespace
}  // namespace spectrel
