// Both settings dialogs on real widgets. The measurement settings: every field shown and stored
// on OK, times in whole minutes, the sensor pairs, the CSV controls following "Save" and "1nm",
// Cancel, and the port lists over real pseudo-terminals. The graph settings: "Apply", "Auto"
// and "Grid Line" act at once, Cancel hides without undoing, colours wait for the next apply.
#include <sys/ioctl.h>

#include "app/conf_dlg.h"
#include "app/serial_port_probe.h"
#include "support/pty_pair.h"
#include "ui/color_button.h"
#include "ui/graph.h"
#include "ui/graph_dlg.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::Child;

// Widgets of a dialog by object name.
struct Widgets {
  template <typename T = QWidget>
  T& W(const QString& name) const { return Child<T>(*Dialog, name); }
  void Click(const QString& name) const { W<QAbstractButton>(name).click(); }
  void Type(const QString& name, const char* text) const { W<QLineEdit>(name).setText(QString::fromUtf8(text)); }
  QWidget* Dialog = nullptr;
};

// The measurement settings with no system ports offered, so only the configured ones appear.
class ConfDlgTest : public ::testing::Test, public Widgets {
 protected:
  void Open() {
    D = std::make_unique<CConfDlg>(Settings, std::vector<std::string>{});
    Dialog = D.get();
  }
  // One character per model SR-101..SR-104 of the boxes named prefix + model: checked or enabled.
  std::string PerModel(const QString& prefix, bool checked) const {
    std::string s;
    for (const char* model : {"SR101", "SR102", "SR103", "SR104"}) {
      const QAbstractButton& w = W<QAbstractButton>(prefix + model);
      s += (checked ? w.isChecked() : w.isEnabled()) ? '1' : '0';
    }
    return s;
  }
  AppSettings Settings;
  std::unique_ptr<CConfDlg> D;
};

TEST_F(ConfDlgTest, OkStoresEveryEditOfTheShownSettingsKeepingTheRest) {
  Settings.UseSensor = Settings.CsvSensor = {false, true, true, false};
  // 25:00 (hour 25 mod 24 = 1), 20:00:59 and 100 s: whole minutes, within the boxes' ranges.
  std::tie(Settings.StartTime, Settings.EndTime, Settings.Interval) = std::tuple(90000, 72059, 100);
  std::tie(Settings.IntegFrom, Settings.CsvFrom, Settings.SaveCsv, Settings.CsvPitch) = std::tuple(400, 350, true, WavelengthPitch::OneNm);
  std::tie(Settings.KrfFolder, Settings.CsvFolder, Settings.UserMemo, Settings.AutoStart) = std::tuple("/k/", "/c/", "Roof", true);
  std::tie(Settings.MeasType, Settings.Graph.GraphTop) = std::tuple(MeasureMode::Interval, 55.0);
  Open();
  std::vector<int> spins;
  for (const char* name : {"startHour", "startMinute", "finishHour", "finishMinute", "interval"})
    spins.push_back(W<QSpinBox>(name).value());
  EXPECT_EQ(spins, (std::vector<int>{1, 0, 20, 0, 1}));
  EXPECT_EQ(PerModel("use", true) + PerModel("csv", true), "01100110");
  const std::pair<const char*, const char*> texts[] = {{"memo", "Roof"}, {"integFrom", "400"}, {"integTo", "1800"},
                                                       {"csvFrom", "350"}, {"krfFolder", "/k/"}, {"csvFolder", "/c/"}};
  for (const auto& [name, text] : texts) EXPECT_EQ(W<QLineEdit>(name).text(), text) << name;
  for (const char* name : {"saveCsv", "oneNm", "merge", "autoStart"}) EXPECT_TRUE(W<QAbstractButton>(name).isChecked());

  for (const char* name : {"useSR101", "useSR104", "csvSR101", "raw", "autoStart"}) Click(name);
  for (const auto& [name, text] : {std::pair{"memo", "Garden"}, {"integFrom", " 500 "}, {"integTo", "-5"},
                                   {"csvTo", "1000"}, {"krfFolder", "/k2"}, {"csvFolder", "/c2/"}})
    Type(name, text);
  QTest::keyClick(&W("interval"), Qt::Key_Down);   // wraps from 1 to 720
  W<QSpinBox>("startHour").setValue(7);
  W<QSpinBox>("finishMinute").setValue(5);
  Click("ok");
  EXPECT_EQ(D->result(), QDialog::Accepted);
  EXPECT_EQ(Settings.UseSensor, (std::array<bool, 4>{true, false, false, true}));
  EXPECT_EQ(Settings.CsvSensor, (std::array<bool, 4>{true, false, false, false}));   // a model not in use leaves it
  EXPECT_EQ(std::tie(Settings.StartTime, Settings.EndTime, Settings.Interval), std::tuple(25200, 72300, 43200));
  EXPECT_EQ(std::tie(Settings.UserMemo, Settings.IntegFrom, Settings.IntegTo, Settings.KrfFolder, Settings.CsvFolder),
            std::tuple("Garden", 500, -5, "/k2", "/c2/"));
  EXPECT_EQ(std::tie(Settings.CsvPitch, Settings.CsvMerge, Settings.AutoStart, Settings.CsvFrom, Settings.CsvTo),
            std::tuple(WavelengthPitch::Raw, true, false, 350, 1000));
  EXPECT_EQ(std::tie(Settings.MeasType, Settings.Graph.GraphTop), std::tuple(MeasureMode::Interval, 55.0));
}

TEST_F(ConfDlgTest, OneModelOfEachPairMergeOnlyForAPairCsvControlsFollowSave) {
  Settings.UseSensor = {true, false, true, false};
  Settings.CsvSensor = {true, false, true, true};
  Open();
  EXPECT_EQ(PerModel("use", false) + PerModel("csv", false), "11111010");
  EXPECT_TRUE(W("merge").isEnabled());
  EXPECT_FALSE(W("csvFrom").isEnabled());   // "Raw": the range is not editable
  Click("useSR102");   // takes the place of SR-101, its CSV column as the profile has it: none
  EXPECT_EQ(PerModel("use", true) + PerModel("csv", true) + PerModel("csv", false), "011000100110");
  EXPECT_TRUE(W<QComboBox>("portSR102").isEnabled() && !W<QComboBox>("portSR101").isEnabled());
  Click("useSR103");   // off: no long-wavelength model, so no merge
  EXPECT_FALSE(W<QCheckBox>("merge").isChecked() || W("merge").isEnabled());
  Click("useSR104");   // its CSV column as the profile has it: ticked
  Click("merge");
  Click("oneNm");
  EXPECT_TRUE(W("csvFrom").isEnabled() && W("csvTo").isEnabled());
  Click("saveCsv");   // off: everything of the CSV file is disabled, nothing cleared
  for (const char* name : {"csvFolder", "csvBrowse", "raw", "oneNm", "csvFrom", "csvTo", "merge"})
    EXPECT_FALSE(W(name).isEnabled()) << name;
  EXPECT_EQ(PerModel("csv", false), "0000");
  EXPECT_TRUE(W("krfFolder").isEnabled());
  Click("ok");
  EXPECT_EQ(Settings.UseSensor, (std::array<bool, 4>{false, true, false, true}));
  EXPECT_EQ(Settings.CsvSensor, (std::array<bool, 4>{false, false, false, true}));
  EXPECT_EQ(std::tie(Settings.SaveCsv, Settings.CsvPitch, Settings.CsvMerge), std::tuple(false, WavelengthPitch::OneNm, true));
}

TEST_F(ConfDlgTest, NothingIsStoredWithoutAnAcceptedOk) {
  Open();
  D->show();
  QApplication::setActiveWindow(D.get());
  Click("useSR101");
  Type("memo", "Garden");
  D->SetChosenFolder(CConfDlg::Folder::Krf, QStringLiteral("/data/krf"));
  EXPECT_EQ(W<QLineEdit>("krfFolder").text(), QStringLiteral("/data/krf/"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/data/krf//")), QStringLiteral("/data/krf"));
  Type("integTo", "12a");
  {
    uitest::MessageAnswer answer(QMessageBox::Ok);
    Click("ok");
    EXPECT_EQ(answer.Text, QStringLiteral("Please enter an integer."));
  }
  EXPECT_TRUE(D->isVisible());
  for (bool escape : {true, false}) {
    if (escape) QTest::keyClick(&W("memo"), Qt::Key_Escape);
    else Click("cancel");
    EXPECT_EQ(std::tuple(D->isVisible(), D->result()), std::tuple(false, QDialog::Rejected));
    EXPECT_EQ(std::tie(Settings.UseSensor[0], Settings.UserMemo, Settings.KrfFolder, Settings.IntegTo),
              std::tuple(false, "Arvena Solmet", "", 1800));
    D->show();
    D->setResult(QDialog::Accepted);
  }
}

TEST(PortLists, EveryListKeepsItsConfiguredPortStoringChoicesAsDevicePaths) {
  // Two serial lines nobody uses; one held exclusively, as the sensor driver holds it while it measures.
  testing::PtyPair freeLine, busyLine;
  ASSERT_EQ(::ioctl(busyLine.Slave.Get(), TIOCEXCL), 0);
  const std::string freePort = freeLine.Path, busyPort = busyLine.Path;
  EXPECT_EQ(std::tuple(ProbePort(freePort), ProbePort(busyPort), ProbePort("/dev/no-such-line")),
            std::tuple(PortState::Free, PortState::Busy, PortState::Absent));
  AppSettings settings;
  settings.ComPort = {busyPort, "4000", "/dev/no-such-line", freePort};
  CConfDlg dialog(settings, {freePort, busyPort});
  auto list = [&](const char* name) -> QComboBox& { return Child<QComboBox>(dialog, name); };
  // Every list: the empty entry, then what can be opened now; a configured port that cannot be
  // opened is added marked and selected. Port number 4000 is the device /dev/ttyS3999.
  QStringList first;
  for (int i = 0; i < list("portSR101").count(); ++i) first << list("portSR101").itemText(i);
  EXPECT_EQ(first, (QStringList{QString(), QString::fromStdString(freePort), QString::fromStdString(busyPort) + " (not available)"}));
  EXPECT_EQ(list("portSR101").currentIndex(), 2);
  EXPECT_EQ(list("portSR102").currentText(), QStringLiteral("/dev/ttyS3999 (not available)"));
  EXPECT_EQ(list("portSR103").currentText(), QStringLiteral("/dev/no-such-line (not available)"));
  EXPECT_EQ(std::tuple(list("portSR104").count(), list("portSR104").currentIndex()), std::tuple(2, 1));
  list("portSR103").setCurrentIndex(1);
  list("portSR104").setCurrentIndex(0);
  Child<QPushButton>(dialog, "ok").click();
  EXPECT_EQ(settings.ComPort, (std::array<std::string, 4>{busyPort, "4000", freePort, "0"}));
}

// The graph settings; each redraw lays out the graph from the settings as the view does, over
// data peaking at 50 W/m2/um: with auto scale the top is 1.2 x 50 = 60.
class GraphDlgTest : public ::testing::Test, public Widgets {
 protected:
  GraphDlgTest() {
    Graph.AutoScale = false;
    Graph.GraphTop = 80.0;
    Dlg = std::make_unique<CGraphDlg>(Graph, [this] {
      CGraph drawn;
      drawn.Setup(Graph, GraphRect{100, 50, 700, 450}, 50.0);
      Drawn.push_back({drawn.XMin, drawn.XMax, drawn.YMax});
    });
    Dialog = Dlg.get();
    Dlg->show();
  }
  QString Text(const char* name) const { return W<QLineEdit>(name).text(); }
  // Answers the colour chooser that the button opens with a colour, or cancels it.
  void ChooseColor(const char* button, const QColor& color, bool confirm = true) {
    ASSERT_TRUE(uitest::OnModal([&] { Click(button); }, [&](QDialog* d) {
      qobject_cast<QColorDialog*>(d)->setCurrentColor(color);
      confirm ? d->accept() : d->reject();
    }));
  }
  std::uint32_t Colour(const char* name) const { return W<CColorButton>(name).Color(); }

  GraphSettings Graph;
  std::unique_ptr<CGraphDlg> Dlg;
  std::vector<std::array<double, 3>> Drawn;   // XMin, XMax, YMax of every redraw
};

TEST_F(GraphDlgTest, TheGraphFollowsEachChangeOfTheDialogInTurn) {
  EXPECT_EQ(std::tuple(Text("xFrom"), Text("xTo"), Text("yTop")), std::tuple("300", "1800", "80"));
  EXPECT_EQ(std::tuple(W<QCheckBox>("auto").isChecked(), W<QCheckBox>("grid").isChecked()), std::tuple(false, true));
  EXPECT_EQ(std::tuple(Colour("graphColor"), Colour("frameColor")), std::tuple(255u, 32768u));
  Click("auto");
  EXPECT_EQ(std::tuple(Graph.AutoScale, W("yTop").isEnabled()), std::tuple(true, false));
  Click("auto");
  EXPECT_TRUE(W("yTop").isEnabled());
  Type("xFrom", "400");   // Grid Line takes the other fields with it
  Click("grid");
  EXPECT_FALSE(Graph.GridLine);
  EXPECT_TRUE(Dlg->isVisible());
  Type("yTop", " 42 ");
  QTest::keyClick(&W("yTop"), Qt::Key_Return);   // OK
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(Drawn, (std::vector<std::array<double, 3>>{{300, 1800, 60}, {300, 1800, 80}, {400, 1800, 80}, {400, 1800, 42}}));
}

TEST_F(GraphDlgTest, CancelHidesWithoutUndoingAChosenColourWaitsForApply) {
  Type("xFrom", "412.345");
  Click("apply");
  ChooseColor("graphColor", QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(Colour("graphColor"), 0x563412u);   // 0x00BBGGRR
  Type("xTo", "1000");
  QTest::keyClick(&W("xTo"), Qt::Key_Escape);
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_EQ(std::tie(Graph.GraphLeft, Graph.GraphRight, Graph.GraphColor), std::tuple(412.345, 1800.0, 255u));
  Dlg->show();   // shown again, it starts from the settings
  EXPECT_EQ(std::tuple(Text("xFrom"), Text("xTo"), Colour("graphColor")), std::tuple("412.345", "1800", 255u));
  ChooseColor("frameColor", Qt::yellow, false);   // cancelled: the button keeps its colour
  EXPECT_EQ(Colour("frameColor"), 32768u);
  ChooseColor("frameColor", QColor(0, 0, 255));
  Click("apply");
  EXPECT_EQ(Graph.FrameColor, 0xFF0000u);
  EXPECT_EQ(Drawn.size(), 2u);
}

TEST_F(GraphDlgTest, ANonNumberKeepsTheFieldsTakenBeforeIt) {
  // Taken in the order grid, x from, x to, y top, auto: x to fails, so grid and x from are new
  // and the top and the auto box keep the values the dialog had.
  W<QCheckBox>("grid").setChecked(false);
  Type("xFrom", "350");
  Type("xTo", "nine hundred");
  Type("yTop", "40");
  W<QCheckBox>("auto").setChecked(true);
  {
    uitest::MessageAnswer answer(QMessageBox::Ok);
    Click("apply");
    EXPECT_EQ(answer.Text, QStringLiteral("Please enter a number."));
  }
  EXPECT_EQ(std::tie(Graph.GridLine, Graph.GraphLeft, Graph.GraphRight, Graph.GraphTop, Graph.AutoScale),
            std::tuple(false, 350.0, 1800.0, 80.0, false));
  EXPECT_EQ(Drawn.size(), 1u);
}

TEST(ColorButton, RedInTheLowestByteDrawnAsAPlainSwatchEvenWhenDisabled) {
  CColorButton button;
  button.SetColor(0x00C08040);
  button.resize(40, 16);
  button.setEnabled(false);
  const QImage picture = button.grab().toImage();
  for (const QPoint p : {QPoint(0, 0), QPoint(39, 15), QPoint(20, 8)})
    EXPECT_EQ(picture.pixelColor(p), QColor(0x40, 0x80, 0xC0)) << p.x() << "," << p.y();
}

}  // namespace
}  // namespace spectrel
