// The running program on real widgets: title, menus, toolbar, prompts and the About box; how
// the commands and the close box follow the measurement state through the stop question; a
// whole manual measurement against simulated sensors; and the profile written at exit.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/settings_actions.h"
#include "app/spectrel_app.h"
#include "measure/spectrel_doc.h"
#include "settings/profile.h"
#include "ui/graph_painter.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::OnModal;
using uitest::ProcessUntil;
using uitest::ReadFile;
using uitest::StopQuestionAnswer;

class AppTest : public ::testing::Test {
 protected:
  AppTest() { Options.ProgramPath = Folder.Path + "/spectrel"; }
  // Starts the program; with no profile no sensor is in use, so a measurement starts and stops
  // without a port.
  void Start(const AppSettings* stored = nullptr) {
    ASSERT_TRUE(stored == nullptr || SaveSettings(*stored, Profile));
    App = std::make_unique<CSpectrelApp>(Options);
    ASSERT_TRUE(App->InitInstance());
    Frame = App->MainFrame();
    Doc = App->Document();
  }
  void TearDown() override {
    if (App != nullptr && Doc->Measuring()) {
      StopQuestionAnswer ok(QMessageBox::Ok);
      App->Host()->IntervalDialog().AbortButton()->click();
      ProcessUntil([this] { return !Doc->Measuring(); }, 10000);
    }
    App.reset();
  }
  // The two start commands, the settings and Exit: available only while not measuring.
  void ExpectIdle(bool idle) const {
    for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit})
      EXPECT_EQ(Frame->Action(id)->isEnabled(), idle) << id;
  }

  uitest::TempFolder Folder;
  const std::string Profile = Folder.Path + "/spectrel.ini";
  StartOptions Options;
  std::unique_ptr<CSpectrelApp> App;
  CMainFrame* Frame = nullptr;
  CSpectrelDoc* Doc = nullptr;
};

TEST_F(AppTest, TitleMenusToolbarPromptsAndAboutBox) {
  Start();
  EXPECT_EQ(Frame->windowTitle(), QStringLiteral("Spectrel"));
  QStringList menus;
  for (QAction* a : Frame->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Measure", "&View", "&Help"}));
  EXPECT_EQ(Frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
  QList<int> order;   // separators as 0
  for (QAction* a : Frame->ToolBar()->actions()) {
    order << 0;
    for (int id : {32771, 32777, 32773, 32784, 57634, 57607, 57664})
      if (Frame->Action(id) == a) order.back() = id;
    EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << order.back();
  }
  EXPECT_EQ(order, (QList<int>{32771, 32777, 32773, 0, 32784, 57634, 0, 57607, 0, 57664}));
  EXPECT_EQ(Frame->Action(IdFilePrint)->statusTip(), QStringLiteral("Print Current Data"));
  EXPECT_EQ(Frame->Action(IdFilePrint)->toolTip(), QStringLiteral("Print"));
  EXPECT_EQ(Frame->Action(IdFilePrint)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
  EXPECT_EQ(Frame->Action(IdEditCopy)->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
  EXPECT_EQ(Frame->Action(IdEditCopy)->statusTip(), QStringLiteral("Copy Current Data to Clipboard"));
  EXPECT_EQ(Frame->Action(IdMeasManual)->statusTip(), QStringLiteral("Start Manual Measurement"));
  EXPECT_EQ(Frame->Action(IdMeasInterval)->toolTip(), QStringLiteral("Start"));
  EXPECT_EQ(Frame->Action(IdGraphSettings)->toolTip(), QStringLiteral("Graph"));
  EXPECT_EQ(Frame->Action(IdAppExit)->statusTip(), QStringLiteral("Exit Spectrel"));
  EXPECT_EQ(Frame->Action(IdViewToolbar)->toolTip(), QStringLiteral("Toggle ToolBar"));
  EXPECT_EQ(Frame->Action(IdViewStatusBar)->statusTip(), QStringLiteral("Show or hide the status bar"));
  Frame->Action(IdViewStatusBar)->setChecked(false);
  EXPECT_FALSE(Frame->statusBar()->isVisible());
  Frame->Action(IdViewStatusBar)->setChecked(true);
  EXPECT_TRUE(Frame->statusBar()->isVisible());

  QString title, version;
  bool hasIcon = false;
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdAppAbout)->trigger(); }, [&](QDialog* box) {
    title = box->windowTitle();
    version = box->findChild<QLabel*>(QStringLiteral("version"))->text();
    hasIcon = !box->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull();
    box->accept();
  }, 50));
  EXPECT_EQ(title, QStringLiteral("About Spectrel"));
  EXPECT_EQ(version, QStringLiteral("Spectrel Version 5.0"));
  EXPECT_TRUE(hasIcon);
}

TEST_F(AppTest, CommandsAndCloseFollowTheIntervalMeasurement) {
  Start();
  ExpectIdle(true);
  Frame->Action(IdMeasInterval)->trigger();
  ASSERT_TRUE(Doc->Measuring());
  EXPECT_EQ(App->Settings().MeasType, 0);
  ExpectIdle(false);
  EXPECT_TRUE(Frame->Action(IdEditCopy)->isEnabled());
  EXPECT_TRUE(Frame->Action(IdGraphSettings)->isEnabled());
  EXPECT_TRUE(App->View()->IntervalTimerActive());
  CIntDlg& dialog = App->Host()->IntervalDialog();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Interval Measurement"));
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Frame->close());   // the window refuses to close while measuring
  EXPECT_TRUE(Frame->isVisible());
  // The one-second timer shows the clock line "%Y/%m/%d  %H:%M:%S".
  ASSERT_TRUE(ProcessUntil([&] { return !dialog.ClockText().isEmpty(); }, 5000));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d$"))
                  .match(dialog.ClockText()).hasMatch()) << dialog.ClockText().toStdString();
  {
    // Declining the question keeps everything running.
    StopQuestionAnswer cancel(QMessageBox::Cancel);
    dialog.AbortButton()->click();
    ASSERT_TRUE(ProcessUntil([&] { return cancel.Asked == 1 && dialog.isVisible(); }, 10000));
    EXPECT_EQ(cancel.Text, QStringLiteral("Stop Interval Measurement"));
    EXPECT_TRUE(Doc->Measuring());
    EXPECT_TRUE(App->View()->IntervalTimerActive());
    ExpectIdle(false);
  }
  StopQuestionAnswer ok(QMessageBox::Ok);
  dialog.AbortButton()->click();
  ASSERT_TRUE(ProcessUntil([&] { return !Doc->Measuring(); }, 10000));
  EXPECT_EQ(ok.Asked, 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(App->View()->IntervalTimerActive());
  ExpectIdle(true);
  EXPECT_TRUE(Frame->close());
}

TEST_F(AppTest, PrintPreviewAndSettingsCommandsReachTheirDialogs) {
  Options.Simulate = true;   // the saved profile must keep the real ports
  Options.SimulatePaced = false;
  Start();
  Doc->GraphWidth = 0;
  int width = 0, height = 0;
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdFilePrintPreview)->trigger(); }, [&](QDialog* preview) {
    // Have the preview draw its page now and see what it was drawn with.
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(pages, nullptr);
    pages->updatePreview();
    width = Doc->GraphWidth;
    height = Doc->GraphHeight;
    preview->reject();
  }, 300));
  // Drawn through the printer path: a 4:3 area less its 1/20 margins, in the printer's units.
  ASSERT_GT(width, 1000);
  EXPECT_NEAR(width * 3.0 / (height * 4.0), 1.0, 0.01);
  EXPECT_LT(width, App->View()->Printer().width());

  QDialog* graph = App->Actions()->GraphDialog();
  ASSERT_NE(graph, nullptr);
  EXPECT_FALSE(graph->isVisible());   // created hidden at start-up
  Frame->Action(IdGraphSettings)->trigger();
  EXPECT_TRUE(graph->isVisible());
  EXPECT_FALSE(graph->isModal());
  graph->hide();
  // OK of the measurement settings saves the profile at once, without the simulator's ports,
  // which stay in force in memory.
  ASSERT_FALSE(std::filesystem::exists(Profile));
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdMeasSettings)->trigger(); }, [](QDialog* d) { d->accept(); }, 100));
  ASSERT_TRUE(std::filesystem::exists(Profile));
  EXPECT_EQ(ReadFile(Profile).find("/dev/pts/"), std::string::npos);
  EXPECT_EQ(App->Settings().ComPort[0].rfind("/dev/pts/", 0), 0u);
}

TEST_F(AppTest, AutoStartRunsBeforeTheWindowShows) {
  AppSettings stored;
  stored.AutoStart = 1;
  Options.Show = false;
  Start(&stored);
  EXPECT_TRUE(Doc->Measuring());
  EXPECT_FALSE(Frame->isVisible());
  EXPECT_TRUE(App->View()->IntervalTimerActive());
  EXPECT_FALSE(Frame->Action(IdMeasInterval)->isEnabled());
}

TEST_F(AppTest, ManualMeasurementWithSimulatedSensorsDrawsAndStores) {
  AppSettings stored;   // the profile's own ports, which the simulator must not overwrite
  stored.ComPort = {"3", "0", "/dev/ttyUSB0", "0"};
  stored.AppFolder = stored.KrfFolder = stored.CsvFolder = Folder.Slash();
  Options.Simulate = true;
  Options.SimulatePaced = false;
  Start(&stored);
  ASSERT_EQ(App->ProfilePath(), Profile);
  // No sensor in use: SR-101 and SR-103 are simulated, on pseudo-terminals.
  EXPECT_EQ(App->Settings().UseSensor, (std::array<int, 4>{1, 0, 1, 0}));
  EXPECT_EQ(App->Settings().ComPort[0].rfind("/dev/pts/", 0), 0u);
  EXPECT_TRUE(Doc->TimeText().empty());
  EXPECT_TRUE(Doc->DisplaySpectrum().Empty());

  Frame->resize(1000, 800);
  Frame->Action(IdMeasManual)->trigger();
  EXPECT_TRUE(Doc->Measuring());
  EXPECT_EQ(App->Settings().MeasType, 1);
  EXPECT_EQ(App->Host()->IntervalDialog().windowTitle(), QStringLiteral("Manual Measurement"));
  EXPECT_FALSE(App->View()->IntervalTimerActive());
  // The event loop keeps running while identification settles; the run ends by itself.
  ASSERT_TRUE(ProcessUntil([&] { return !Doc->Measuring(); }, 60000));
  EXPECT_FALSE(App->View()->ManualPollActive());
  EXPECT_FALSE(App->Host()->IntervalDialog().isVisible());
  ExpectIdle(true);
  EXPECT_FALSE(Doc->TimeText().empty());
  ASSERT_FALSE(Doc->DisplaySpectrum().Empty());
  EXPECT_GT(Doc->DayData().RadCount(), 0);
  EXPECT_NE(Doc->ReportText().find("SR-101"), std::string::npos);
  EXPECT_NE(Doc->ReportText().find("SR-103"), std::string::npos);
  EXPECT_EQ(Doc->LastDayFile().rfind(Folder.Path, 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(Doc->LastDayFile()));
  EXPECT_FALSE(Doc->LastCsvFile().empty());
  EXPECT_TRUE(std::filesystem::exists(Doc->LastCsvFile()));

  // The window now shows the curve in the graph colour (red) inside the plot.
  const QImage shot = App->View()->grab().toImage();
  const GraphRect clip = App->View()->Graph().ClipRect();
  int curve = 0;
  for (int y = clip.Top; y < clip.Bottom; ++y)
    for (int x = clip.Left; x < clip.Right; ++x) curve += shot.pixel(x, y) == qRgb(255, 0, 0);
  EXPECT_GT(curve, 0);

  App->ExitInstance();
  EXPECT_EQ(ReadFile(Profile).find("/dev/pts/"), std::string::npos);
  AppSettings reread;
  LoadSettings(reread, Profile);
  EXPECT_EQ(reread.ComPort, (std::array<std::string, 4>{"3", "0", "/dev/ttyUSB0", "0"}));
  EXPECT_EQ(reread.UseSensor, (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(reread.MeasType, 1);   // the last used kind is kept
}

TEST_F(AppTest, MissingProfileIsCreatedWithDefaultsAtExit) {
  Options.Show = false;
  Start();
  EXPECT_EQ(App->Settings().KrfFolder, Folder.Slash());
  EXPECT_FALSE(std::filesystem::exists(Profile));
  App.reset();
  AppSettings reread;
  ASSERT_TRUE(std::filesystem::exists(Profile));
  LoadSettings(reread, Profile);
  EXPECT_EQ(reread.Interval, 600);
  EXPECT_EQ(reread.UserMemo, "Arvena Solmet");
  // The program's start and end are in the year's event log in the data folder.
  std::string log;
  for (const auto& entry : std::filesystem::directory_iterator(Folder.Path))
    if (entry.path().extension() == ".LOG") log += ReadFile(entry.path().string());
  EXPECT_NE(log.find("APP START\r\n"), std::string::npos);
  EXPECT_NE(log.find("APP CLOSE\r\n"), std::string::npos);
}

}  // namespace
}  // namespace spectrel
