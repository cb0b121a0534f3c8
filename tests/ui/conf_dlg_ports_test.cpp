// The port lists of the measurement settings over real pseudo-terminals: what can be opened is
// offered, a busy or vanished configured port is shown as such and kept on OK.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "app/conf_dlg.h"
#include "app/serial_port_probe.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::TempFolder;

// A pseudo-terminal whose far end stays open: its device is a serial line nobody uses.
class Pty {
 public:
  Pty() {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) throw std::runtime_error("no pty");
    Device = ::ptsname(Master);
  }
  ~Pty() {
    if (Held >= 0) ::close(Held);
    ::close(Master);
  }
  // Opens the device exclusively, as the sensor driver does while it measures.
  void HoldExclusively() {
    Held = ::open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(Held, 0);
    ASSERT_EQ(::ioctl(Held, TIOCEXCL), 0);
  }
  std::string Device;

 private:
  int Master = -1;
  int Held = -1;
};

QStringList Entries(QComboBox* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
  return texts;
}

TEST(PortProbe, FreeBusyAndAbsentDevices) {
  Pty free;
  Pty busy;
  busy.HoldExclusively();
  TempFolder folder;
  const std::string plainFile = folder.Path + "/SR101";
  std::ofstream(plainFile) << "not a line";

  EXPECT_EQ(ProbePort(free.Device), PortState::Free);
  EXPECT_EQ(ProbePort(free.Device), PortState::Free);   // the probe closed it again
  EXPECT_EQ(ProbePort(busy.Device), PortState::Busy);
  EXPECT_EQ(ProbePort(plainFile), PortState::Absent);
  EXPECT_EQ(ProbePort(folder.Path + "/gone"), PortState::Absent);
  EXPECT_EQ(ProbePort(""), PortState::Absent);

  EXPECT_EQ(OpenablePorts({busy.Device, free.Device, folder.Path + "/gone", free.Device}),
            (std::vector<std::string>{free.Device}));
}

TEST(PortProbe, DevicesSortByTheValueOfTheirNumbers) {
  std::vector<std::string> ports{"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM1", "/dev/ttyS2", "/dev/ttyS1"};
  std::sort(ports.begin(), ports.end(), NaturalLess);
  EXPECT_EQ(ports, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
  EXPECT_FALSE(NaturalLess("/dev/ttyS2", "/dev/ttyS2"));
  EXPECT_TRUE(NaturalLess("/dev/ttyS", "/dev/ttyS0"));
  EXPECT_FALSE(NaturalLess("/dev/ttyS0", "/dev/ttyS"));
}

TEST(PortProbe, SystemCandidatesAreSerialDevicesInOrder) {
  const std::vector<std::string> ports = SerialPortCandidates();
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), NaturalLess));
  EXPECT_EQ(std::adjacent_find(ports.begin(), ports.end()), ports.end());
  for (const std::string& port : ports) EXPECT_EQ(port.rfind("/dev/", 0), 0u) << port;
}

TEST(PortLists, BusyOrVanishedConfiguredPortsAreShownAndKeptOnOk) {
  Pty free;
  Pty busy;
  busy.HoldExclusively();
  TempFolder folder;
  AppSettings settings;
  settings.ComPort = {busy.Device, "4000", folder.Path + "/SR103", "0"};
  settings.UseSensor = {1, 1, 1, 0};
  CConfDlg dialog(settings, {free.Device});

  // Every list: the empty entry, then what can be opened now.
  EXPECT_EQ(Entries(dialog.PortList(3)), (QStringList{QString(), QString::fromStdString(free.Device)}));
  EXPECT_EQ(dialog.PortList(3)->currentIndex(), 0);
  // A configured port that cannot be opened is shown marked and selected.
  EXPECT_EQ(Entries(dialog.PortList(0)),
            (QStringList{QString(), QString::fromStdString(free.Device),
                         QString::fromStdString(busy.Device) + QStringLiteral(" (not available)")}));
  EXPECT_EQ(dialog.PortList(0)->currentIndex(), 2);
  // Port number 4000 is the device /dev/ttyS3999.
  EXPECT_EQ(dialog.PortList(1)->currentText(), QStringLiteral("/dev/ttyS3999 (not available)"));
  EXPECT_EQ(dialog.PortList(2)->currentText(), QString::fromStdString(folder.Path + "/SR103 (not available)"));

  dialog.OkButton()->click();
  EXPECT_EQ(settings.ComPort, (std::array<std::string, 4>{busy.Device, "4000", folder.Path + "/SR103", "0"}));
}

TEST(PortLists, ChosenDeviceIsStoredAsItsPathAndTheEmptyEntryAsNoPort) {
  Pty first;
  Pty second;
  AppSettings settings;
  settings.ComPort = {second.Device, "0", "0", second.Device};
  settings.UseSensor = {1, 0, 1, 0};
  CConfDlg dialog(settings, {second.Device, first.Device});

  // A configured free device appears once, selected.
  EXPECT_EQ(dialog.PortList(0)->count(), 3);
  EXPECT_EQ(dialog.PortList(0)->currentText(), QString::fromStdString(second.Device));
  const int firstIndex = dialog.PortList(2)->findText(QString::fromStdString(first.Device));
  ASSERT_GT(firstIndex, 0);
  dialog.PortList(2)->setCurrentIndex(firstIndex);
  dialog.PortList(3)->setCurrentIndex(0);
  dialog.OkButton()->click();
  EXPECT_EQ(settings.ComPort, (std::array<std::string, 4>{second.Device, "0", first.Device, "0"}));
}

}  // namespace
}  // namespace spectrel
