// The measurement settings dialog on real widgets: times and interval in minutes, the sensor
// pairs, the CSV controls following "Save" and "1nm", folders, OK and Cancel, and the port
// lists over real pseudo-terminals, free, busy and vanished.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "app/conf_dlg.h"
#include "app/serial_port_probe.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::StopQuestionAnswer;

// The dialog with no system ports offered, so only the configured ones can appear.
class ConfDlgTest : public ::testing::Test {
 protected:
  ConfDlgTest() {
    Settings.KrfFolder = "/srv/spectrel/krf/";
    Settings.CsvFolder = "/srv/spectrel/csv/";
  }
  void Open() { D = std::make_unique<CConfDlg>(Settings, std::vector<std::string>{}); }
  // One character per model SR-101..SR-104, '1' where the state holds.
  template <typename State>
  std::string PerModel(State state) const {
    std::string s;
    for (int m = 0; m < 4; ++m) s += state(m) ? '1' : '0';
    return s;
  }
  std::string InUse() const { return PerModel([this](int m) { return D->UseBox(m)->isChecked(); }); }
  std::string PortsOn() const { return PerModel([this](int m) { return D->PortList(m)->isEnabled(); }); }
  std::string Selected() const { return PerModel([this](int m) { return D->CsvSensorBox(m)->isChecked(); }); }
  std::string SelectOn() const { return PerModel([this](int m) { return D->CsvSensorBox(m)->isEnabled(); }); }
  std::array<std::int64_t, 3> Times() const { return {Settings.StartTime, Settings.EndTime, Settings.Interval}; }

  AppSettings Settings;
  std::unique_ptr<CConfDlg> D;
};

TEST_F(ConfDlgTest, TimesShowAsHoursMinutesAndAreStoredInSeconds) {
  struct Case {
    std::array<std::int64_t, 3> Profile;   // start, end, interval in s
    std::array<int, 5> Shown;              // start h:m, finish h:m, interval min
    std::array<std::int64_t, 3> Stored;    // after OK
  };
  // 06:30, 20:45 and 90 minutes; then a hand-edited 25:00 (hour 25 mod 24 = 1), 20:00:59 and
  // 100 s, reduced to the dialog's whole minutes.
  const Case cases[] = {{{23400, 74700, 5400}, {6, 30, 20, 45, 90}, {23400, 74700, 5400}},
                        {{90000, 72059, 100}, {1, 0, 20, 0, 1}, {3600, 72000, 60}}};
  for (const Case& c : cases) {
    std::tie(Settings.StartTime, Settings.EndTime, Settings.Interval) = std::tuple_cat(c.Profile);
    Open();
    EXPECT_EQ((std::array<int, 5>{D->StartHourBox()->value(), D->StartMinuteBox()->value(), D->FinishHourBox()->value(),
                                  D->FinishMinuteBox()->value(), D->IntervalBox()->value()}),
              c.Shown);
    EXPECT_EQ(D->IntervalBox()->text(), QString::number(c.Shown[4]));
    D->OkButton()->click();
    EXPECT_EQ(D->result(), QDialog::Accepted);
    EXPECT_EQ(Times(), c.Stored);
  }
}

TEST_F(ConfDlgTest, SpinBoxesWrapAroundWithTheArrowKeysAndAreReadOnOk) {
  std::tie(Settings.StartTime, Settings.EndTime, Settings.Interval) = std::tuple(23 * 3600 + 59 * 60, 20 * 3600, 60);
  Open();
  const std::tuple<QSpinBox*, Qt::Key, int> keys[] = {
      {D->StartHourBox(), Qt::Key_Up, 0},     {D->StartMinuteBox(), Qt::Key_Up, 0},
      {D->IntervalBox(), Qt::Key_Down, 720},  {D->IntervalBox(), Qt::Key_Up, 1},
      {D->FinishHourBox(), Qt::Key_Down, 19}, {D->FinishMinuteBox(), Qt::Key_Down, 59},
      {D->IntervalBox(), Qt::Key_Down, 720}};
  for (const auto& [box, key, after] : keys) {
    QTest::keyClick(box, key);
    EXPECT_EQ(box->value(), after) << box->objectName().toStdString();
  }
  D->OkButton()->click();
  EXPECT_EQ(Times(), (std::array<std::int64_t, 3>{0, 19 * 3600 + 59 * 60, 720 * 60}));
}

TEST_F(ConfDlgTest, CheckingTheSecondModelOfAPairClearsTheFirstAndDisablesItsList) {
  Settings.UseSensor = {1, 0, 0, 1};
  Settings.CsvSensor = {1, 1, 1, 1};
  Open();
  // At the start already a model not in use leaves the data selection.
  EXPECT_EQ(PortsOn(), "1001");
  EXPECT_EQ(Selected(), "1001");
  D->UseBox(1)->click();   // SR-102
  EXPECT_EQ(InUse(), "0101");
  EXPECT_EQ(PortsOn(), "0101");
  EXPECT_EQ(Selected(), "0001");
  EXPECT_EQ(SelectOn(), "0101");
  D->UseBox(2)->click();   // SR-103 takes the place of SR-104
  EXPECT_EQ(InUse(), "0110");
  EXPECT_EQ(PortsOn(), "0110");
  D->OkButton()->click();
  EXPECT_EQ(Settings.UseSensor, (std::array<int, 4>{0, 1, 1, 0}));
  EXPECT_EQ(Settings.CsvSensor, (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(ConfDlgTest, MergeNeedsOneModelOfEachPair) {
  Settings.UseSensor = {1, 0, 1, 0};
  Settings.CsvMerge = 1;
  Open();
  EXPECT_TRUE(D->MergeBox()->isChecked());
  EXPECT_TRUE(D->MergeBox()->isEnabled());
  D->UseBox(2)->click();   // SR-103 off: only a short-wavelength model is left
  EXPECT_FALSE(D->MergeBox()->isChecked());
  EXPECT_FALSE(D->MergeBox()->isEnabled());
  D->UseBox(3)->click();   // SR-104 on: the pair is complete again, the box may be checked
  EXPECT_TRUE(D->MergeBox()->isEnabled());
  EXPECT_FALSE(D->MergeBox()->isChecked());
  D->MergeBox()->click();
  D->OkButton()->click();
  EXPECT_EQ(Settings.CsvMerge, 1);
  EXPECT_EQ(Settings.UseSensor, (std::array<int, 4>{1, 0, 0, 1}));
}

TEST_F(ConfDlgTest, CsvControlsFollowSaveAndOneNanometreAndKeepTheirValues) {
  Settings.UseSensor = Settings.CsvSensor = {1, 0, 1, 0};
  std::tie(Settings.CsvFrom, Settings.CsvTo) = std::tuple(350, 1050);
  Open();   // saving "Raw": the range is not editable
  EXPECT_TRUE(D->RawButton()->isChecked());
  EXPECT_FALSE(D->CsvFromEdit()->isEnabled());
  D->GridButton()->click();
  EXPECT_TRUE(D->CsvFromEdit()->isEnabled());
  EXPECT_TRUE(D->CsvToEdit()->isEnabled());
  D->RawButton()->click();
  EXPECT_FALSE(D->CsvToEdit()->isEnabled());
  D->GridButton()->click();

  D->SaveBox()->click();   // off: everything of the CSV file is disabled, nothing cleared
  for (QWidget* w : std::initializer_list<QWidget*>{D->CsvFolderEdit(), D->CsvBrowseButton(), D->RawButton(),
                                                    D->GridButton(), D->CsvFromEdit(), D->CsvToEdit(), D->MergeBox()})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_EQ(SelectOn(), "0000");
  EXPECT_EQ(Selected(), "1010");
  EXPECT_TRUE(D->KrfFolderEdit()->isEnabled());
  EXPECT_TRUE(D->MergeBox()->isChecked());
  EXPECT_TRUE(D->GridButton()->isChecked());
  D->OkButton()->click();
  EXPECT_EQ(std::tie(Settings.SaveCsv, Settings.CsvPitch, Settings.CsvFrom, Settings.CsvTo, Settings.CsvMerge),
            std::tuple(0, 1, 350, 1050, 1));
  EXPECT_EQ(Settings.CsvSensor, (std::array<int, 4>{1, 0, 1, 0}));
  EXPECT_EQ(Settings.CsvFolder, "/srv/spectrel/csv/");
}

TEST_F(ConfDlgTest, ChosenFolderGetsOneSeparatorATypedOneStaysAsTyped) {
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/data/krf")), QStringLiteral("/data/krf/"));
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/data/krf/")), QStringLiteral("/data/krf/"));
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/")), QStringLiteral("/"));
  // The browser starts from the folder without its trailing separators.
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/data/krf//")), QStringLiteral("/data/krf"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/data/krf")), QStringLiteral("/data/krf"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/")), QString());
  Open();
  D->SetChosenFolder(CConfDlg::Folder::Krf, QStringLiteral("/data/krf"));
  EXPECT_EQ(D->KrfFolderEdit()->text(), QStringLiteral("/data/krf/"));
  D->CsvFolderEdit()->setText(QStringLiteral("/data/typed"));
  D->OkButton()->click();
  EXPECT_EQ(Settings.KrfFolder, "/data/krf/");
  EXPECT_EQ(Settings.CsvFolder, "/data/typed");
}

TEST_F(ConfDlgTest, CancelAndEscapeChangeNothing) {
  Settings.UseSensor = {1, 0, 0, 0};
  Open();
  D->show();
  QApplication::setActiveWindow(D.get());
  D->UseBox(1)->click();
  D->MemoEdit()->setText(QStringLiteral("Garden"));
  D->IntervalBox()->setValue(30);
  D->SetChosenFolder(CConfDlg::Folder::Csv, QStringLiteral("/elsewhere"));
  D->AutoStartBox()->click();
  D->IntegFromEdit()->setText(QStringLiteral("500"));
  for (bool escape : {true, false}) {
    if (escape) QTest::keyClick(D->IntegFromEdit(), Qt::Key_Escape);
    else D->CancelButton()->click();
    EXPECT_FALSE(D->isVisible());
    EXPECT_EQ(D->result(), QDialog::Rejected);
    EXPECT_EQ(Settings.UseSensor, (std::array<int, 4>{1, 0, 0, 0}));
    EXPECT_EQ(std::tie(Settings.UserMemo, Settings.Interval, Settings.CsvFolder, Settings.AutoStart,
                       Settings.IntegFrom),
              std::tuple("Arvena Solmet", 600, "/srv/spectrel/csv/", 0, 300));
    D->show();
    D->setResult(QDialog::Accepted);
  }
}

TEST_F(ConfDlgTest, OkCopiesTextAndNumbersBackButNotTextInAnIntegerField) {
  Settings.MeasType = 0;
  Open();
  D->show();
  D->MemoEdit()->setText(QStringLiteral("Roof station 2"));
  D->IntegFromEdit()->setText(QStringLiteral(" 400 "));
  D->IntegToEdit()->setText(QStringLiteral("12a"));
  D->AutoStartBox()->click();
  {
    StopQuestionAnswer answer(QMessageBox::Ok);
    D->OkButton()->click();
    EXPECT_EQ(answer.Asked, 1);
    EXPECT_EQ(answer.Text, QStringLiteral("Please enter an integer."));
  }
  EXPECT_TRUE(D->isVisible());
  EXPECT_NE(D->result(), QDialog::Accepted);
  EXPECT_EQ(std::tie(Settings.UserMemo, Settings.IntegFrom, Settings.IntegTo, Settings.AutoStart),
            std::tuple("Arvena Solmet", 300, 1800, 0));
  D->IntegToEdit()->setText(QStringLiteral("-5"));   // accepted as it stands
  D->OkButton()->click();
  EXPECT_FALSE(D->isVisible());
  // The measurement kind is not part of this dialog.
  EXPECT_EQ(std::tie(Settings.UserMemo, Settings.IntegFrom, Settings.IntegTo, Settings.AutoStart,
                     Settings.MeasType),
            std::tuple("Roof station 2", 400, -5, 1, 0));
}

// A pseudo-terminal whose far end stays open: its device is a serial line nobody uses, or one
// held exclusively, as the sensor driver holds it while it measures.
struct Pty {
  explicit Pty(bool busy = false) {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) throw std::runtime_error("no pty");
    Device = ::ptsname(Master);
    if (busy) Held = ::open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (busy && (Held < 0 || ::ioctl(Held, TIOCEXCL) != 0)) throw std::runtime_error("cannot hold the pty");
  }
  ~Pty() {
    if (Held >= 0) ::close(Held);
    ::close(Master);
  }
  QString Name() const { return QString::fromStdString(Device); }
  std::string Device;
  int Master = -1;
  int Held = -1;
};

TEST(PortProbe, FreeBusyAndAbsentDevicesInNaturalOrder) {
  Pty free;
  Pty busy(true);
  uitest::TempFolder folder;
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

  std::vector<std::string> ports{"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyACM1", "/dev/ttyS2", "/dev/ttyS1"};
  std::sort(ports.begin(), ports.end(), NaturalLess);
  EXPECT_EQ(ports, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
  EXPECT_FALSE(NaturalLess("/dev/ttyS2", "/dev/ttyS2"));
  EXPECT_TRUE(NaturalLess("/dev/ttyS", "/dev/ttyS0"));
  EXPECT_FALSE(NaturalLess("/dev/ttyS0", "/dev/ttyS"));
  const std::vector<std::string> system = SerialPortCandidates();
  EXPECT_TRUE(std::is_sorted(system.begin(), system.end(), NaturalLess));
  EXPECT_EQ(std::adjacent_find(system.begin(), system.end()), system.end());
  for (const std::string& port : system) EXPECT_EQ(port.rfind("/dev/", 0), 0u) << port;
}

QStringList Entries(QComboBox* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
  return texts;
}

TEST(PortLists, BusyOrVanishedConfiguredPortsAreShownAndKeptOnOk) {
  Pty free;
  Pty busy(true);
  uitest::TempFolder folder;
  AppSettings settings;
  settings.ComPort = {busy.Device, "4000", folder.Path + "/SR103", "0"};
  settings.UseSensor = {1, 1, 1, 0};
  CConfDlg dialog(settings, {free.Device});
  // Every list: the empty entry, then what can be opened now; a configured port that cannot
  // be opened is added marked and selected. Port number 4000 is the device /dev/ttyS3999.
  EXPECT_EQ(Entries(dialog.PortList(3)), (QStringList{QString(), free.Name()}));
  EXPECT_EQ(dialog.PortList(3)->currentIndex(), 0);
  EXPECT_EQ(Entries(dialog.PortList(0)), (QStringList{QString(), free.Name(), busy.Name() + " (not available)"}));
  EXPECT_EQ(dialog.PortList(0)->currentIndex(), 2);
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
  EXPECT_EQ(dialog.PortList(0)->currentText(), second.Name());
  const int firstIndex = dialog.PortList(2)->findText(first.Name());
  ASSERT_GT(firstIndex, 0);
  dialog.PortList(2)->setCurrentIndex(firstIndex);
  dialog.PortList(3)->setCurrentIndex(0);
  dialog.OkButton()->click();
  EXPECT_EQ(settings.ComPort, (std::array<std::string, 4>{second.Device, "0", first.Device, "0"}));
}

}  // namespace
}  // namespace spectrel
