// The running program on real widgets: the toolbar and the About box; how the commands and
// the close box follow the measurement state through the stop question; the commands that open
// dialogs; the window, the printed page and the clipboard picture; days of the archive and the
// ways out of every pin (today's file, the nearest day files, a missing file, Back to Live); zoom;
// a whole manual measurement against simulated sensors; and the profile written at exit.
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/settings_actions.h"
#include "app/spectrel_app.h"
#include "measure/spectrel_doc.h"
#include "settings/profile.h"
#include "ui/graph_output.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui/window_memory.h"
#include "app/overview_pane.h"
#include "base/clock.h"
#include "base/folder_lock.h"
#include "base/local_day.h"
#include "base/local_time.h"
#include "files/station_names.h"
#include "measure/interval_schedule.h"
#include "files/krf_file.h"
#include "support/synthetic_day.h"
#include "ui/day_overview.h"
#include "ui/day_overview_panels.h"
#include "ui_test_support.h"

#include <csignal>
#include <regex>

namespace spectrel {
namespace {

using uitest::MessageAnswer;
using uitest::OnModal;
using uitest::ProcessUntil;
using uitest::ReadBytes;

class AppTest : public ::testing::Test {
 protected:
  AppTest() { Options.ProgramPath = Folder.File("spectrel"); }
  // Starts the program, its window shown or not; with no profile no sensor is in use, so a
  // measurement starts and stops without a port.
  void Start(const AppSettings* stored = nullptr, bool show = true) {
    Options.Show = show;
    ASSERT_TRUE(stored == nullptr || SaveSettings(*stored, Profile));
    App = std::make_unique<CSpectrelApp>(Options);
    ASSERT_TRUE(App->InitInstance());
    Frame = App->MainFrame();
    Doc = App->Document();
  }
  void TearDown() override {
    if (App != nullptr && Doc->Measuring()) {
      MessageAnswer ok(QMessageBox::Ok);
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

  uitest::TempDir Folder;
  const std::string Profile = Folder.File("spectrel.ini");
  StartOptions Options;
  std::unique_ptr<CSpectrelApp> App;
  CMainFrame* Frame = nullptr;
  CSpectrelDoc* Doc = nullptr;
};

// The menus and the status line are read in the Japanese test, whose texts all have English sources.
TEST_F(AppTest, TheToolbarHoldsItsCommandsInOrderEachWithAnIcon) {
  Start();
  QList<int> order;   // separators as 0
  for (QAction* a : Frame->ToolBar()->actions()) {
    order << 0;
    for (int id : {32771, 32777, 32773, 32784, 57634, 57607, 57664})
      if (Frame->Action(id) == a) order.back() = id;
    EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << order.back();
  }
  EXPECT_EQ(order, (QList<int>{32771, 32777, 32773, 0, 32784, 57634, 0, 0, 57607, 0, 57664}));
}

TEST_F(AppTest, TheAboutBoxNamesTheVersionWithItsBuildLicence) {
  Start();
  QString version;
  QString build;
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdAppAbout)->trigger(); }, [&](QDialog* box) {
    version = uitest::Child<QLabel>(*box, "version").text();
    build = uitest::Child<QLabel>(*box, "build").text();
    box->accept();
  }));
  EXPECT_EQ(version, QStringLiteral("Spectrel Version 5.0"));
  EXPECT_TRUE(build.contains(QString::fromLatin1(qVersion())) && build.contains("Licence: ")) << build.toStdString();
}

// Two ways to stop, each asking first: "Abort", and closing the window, which then closes. A modal
// box of the program's own is never covered by the measurement dialog, which steps aside.
TEST_F(AppTest, IntervalMeasurementStopsOnlyOnAConfirmedAbortOrClose) {
  Start();
  CIntDlg& dialog = App->Host()->IntervalDialog();
  for (const bool byClose : {false, true}) {
    ExpectIdle(true);
    Frame->Action(IdMeasInterval)->trigger();
    ASSERT_TRUE(Doc->Measuring());
    EXPECT_EQ(App->Settings().MeasType, MeasureMode::Interval);
    ExpectIdle(false);
    EXPECT_TRUE(Frame->Action(IdEditCopy)->isEnabled() && Frame->Action(IdGraphSettings)->isEnabled());
    EXPECT_TRUE(dialog.isVisible() && !(dialog.windowFlags() & Qt::WindowStaysOnTopHint));
    bool aside = false;
    ASSERT_TRUE(OnModal([&] { Frame->Action(IdAppAbout)->trigger(); }, [&](QDialog* box) {
      aside = !dialog.isVisible();
      box->accept();
    }));
    EXPECT_TRUE(aside && ProcessUntil([&] { return dialog.isVisible(); }, 2000)) << byClose;
    EXPECT_TRUE(ProcessUntil([&] { return !dialog.ClockText().isEmpty(); }, 5000));   // the one-second timer
    for (auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
      // Declining the question keeps everything running.
      MessageAnswer asked(answer);
      bool closed = false;
      if (byClose)
        closed = Frame->close();
      else
        dialog.AbortButton()->click();
      const bool stop = answer == QMessageBox::Ok;
      ASSERT_TRUE(ProcessUntil([&] { return asked.Asked == 1 && Doc->Measuring() != stop; }, 10000));
      EXPECT_EQ(asked.Text, QStringLiteral("Stop Interval Measurement"));
      EXPECT_EQ(closed, byClose && stop);
      EXPECT_TRUE(ProcessUntil([&] { return dialog.isVisible() != stop; }, 2000));
      EXPECT_EQ(Doc->State() == MeasureState::Interval, !stop);
      ExpectIdle(stop);
    }
  }
}

// SIGTERM and SIGINT end the event loop as Exit does, while measuring too: the stop and the
// program's end are in the event log.
TEST_F(AppTest, ASignalEndsTheProgramWithItsStopLogged) {
  AppSettings stored;
  stored.KrfFolder = Folder.Path + "/";
  for (const int signal : {SIGTERM, SIGINT}) {
    Start(&stored);
    Frame->Action(IdMeasInterval)->trigger();
    QTimer::singleShot(0, [signal] { std::raise(signal); });
    QTimer guard;   // a signal that went nowhere would leave the loop running
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(3); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0) << signal;
    QCoreApplication::processEvents();   // nothing of this end is left for the next start
    EXPECT_FALSE(Frame->isVisible());
    App.reset();
    const std::string log = ReadBytes(EventLogPath(stored.KrfFolder, SystemClock().Now()));
    // A boundary may fall between the start and the signal: its lines may come between.
    const std::regex end("INT\\.MEAS START\r\n[\\s\\S]*INT\\.MEAS STOP\r\n[\\s\\S]*APP CLOSE\r\n$");
    EXPECT_TRUE(std::regex_search(log, end)) << signal << log;
  }
}

TEST_F(AppTest, ThePrintPreviewDrawsAFourToThreePictureOnThePage) {
  Start();
  std::pair<int, int> area;
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdFilePrintPreview)->trigger(); }, [&](QDialog* preview) {
    // Have the preview draw its page now and see what it was drawn with.
    preview->findChild<QPrintPreviewWidget*>()->updatePreview();
    area = {App->View()->Graph().GraphWidth, App->View()->Graph().GraphHeight};
    preview->reject();
  }));
  // Drawn through the printer path: a 4:3 area less its 1/20 margins, in the printer's units.
  EXPECT_NEAR(area.first * 3.0 / (area.second * 4.0), 1.0, 0.01);
  EXPECT_GT(area.first, 1000);
  EXPECT_LT(area.first, App->View()->Printer().width());
}

TEST_F(AppTest, SettingsCommandsReachTheirDialogsWhoseOkIsSavedWithoutTheSimulatorsPorts) {
  Options.Simulate = true;   // the saved profile must keep the real ports
  Options.SimulatePaced = false;
  Start();
  QDialog* graph = App->Actions()->GraphDialog();
  ASSERT_NE(graph, nullptr);
  EXPECT_FALSE(graph->isVisible());   // created hidden at start-up
  Frame->Action(IdGraphSettings)->trigger();
  EXPECT_TRUE(graph->isVisible());
  EXPECT_FALSE(graph->isModal());
  // OK of the measurement settings saves the profile at once; the simulator's ports are never
  // in the settings.
  ASSERT_FALSE(std::filesystem::exists(Profile));
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdMeasSettings)->trigger(); }, [](QDialog* d) { d->accept(); }));
  ASSERT_TRUE(std::filesystem::exists(Profile));
  EXPECT_EQ(ReadBytes(Profile).find("/dev/pts/"), std::string::npos);
  EXPECT_EQ(App->Settings().ComPort[0], "0");
  EXPECT_EQ(App->Settings().KrfFolder, Folder.Path + "/");   // with no profile: beside the program
}

// The window's graph takes the 4:3 area of its view; the copied picture is 640 x 480.
TEST_F(AppTest, TheWindowsGraphLikeItsCopiedPictureIsFourToThree) {
  Start();
  const QRgb green = qRgb(0, 128, 0);   // the default frame colour 0x008000
  CSpectrelView window(*Doc);   // a view of its own size, outside the frame's layout
  window.resize(1200, 600);
  (void)window.grab();   // lays the graph out
  EXPECT_EQ(std::pair(window.Graph().GraphWidth, window.Graph().GraphHeight), std::pair(800, 600));

  QGuiApplication::clipboard()->clear();
  Frame->Action(IdEditCopy)->trigger();
  EXPECT_EQ(std::pair(App->View()->Graph().GraphWidth, App->View()->Graph().GraphHeight), std::pair(640, 480));
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).contains("viewBox=\"0 0 640 480\""));
  const QImage shot = qvariant_cast<QImage>(data->imageData());
  EXPECT_EQ(shot.size(), QSize(640, 480));
  // White ground, frame on the plot's left edge 0.14 x 640 = 89 at mid height.
  EXPECT_EQ(std::tuple(shot.pixel(2, 2), shot.pixel(89, 240)), std::tuple(qRgb(255, 255, 255), green));
}

TEST_F(AppTest, EveryWindowOpensAtTwoThirdsOfTheScreenFirstThenWhereTheUserLeftIt) {
  const std::pair<QSize, QSize> sizes[] = {{{1280, 1024}, {1000, 750}}, {{2560, 1440}, {1706, 960}},
                                           {{800, 600}, {800, 600}}};
  for (const auto& [screen, first] : sizes) EXPECT_EQ(FirstWindowSize(screen), first) << screen.width();
  QSettings().clear();
  Start();
  EXPECT_EQ(Frame->size(), FirstWindowSize(Frame->screen()->availableGeometry().size()));
  Frame->resize(720, 560);
  CIntDlg& interval = App->Host()->IntervalDialog();
  App->Host()->ShowIntervalDialog(true);
  interval.move(30, 40);
  App->Host()->ShowIntervalDialog(false);
  Frame->close();
  App.reset();
  // Started again with auto-start: through the same view command as the toolbar's start, whose
  // effects are checked above; its dialog is not centred again.
  AppSettings stored;
  stored.AutoStart = true;
  stored.KrfFolder = stored.CsvFolder = Folder.Path + "/";   // never the working folder of other tests
  Start(&stored);
  EXPECT_EQ(Doc->State(), MeasureState::Interval);
  EXPECT_EQ(std::pair(Frame->size(), App->Host()->IntervalDialog().pos()), std::pair(QSize(720, 560), QPoint(30, 40)));
  TearDown();   // stopped and closed first, so nothing is remembered after the clearing
  QSettings().clear();
}

// A day of the archive: five SR-102 + SR-104 points ten minutes apart.
TEST_F(AppTest, AnArchiveDayIsReadAsideAClickShowsThatPointADamagedFileWhatCouldBeRead) {
  Start(nullptr, false);
  const CKrfData day = testing::MakeDay({SR102, SR104}, 5, 1780300800, 600);
  std::filesystem::create_directories(Folder.File("2026"));
  const std::string path = Folder.File("2026/20260601.KRF");
  ASSERT_TRUE(SaveKrf(day, path));
  OverviewPane& pane = Frame->Overview();
  QStringList problems;
  QObject::connect(&pane, &OverviewPane::DayShown, [&](const QString& problem) { problems << problem; });
  pane.OpenDayFile(QString::fromStdString(path));
  ASSERT_TRUE(ProcessUntil([&] { return problems.size() == 1; }, 10000));
  CDayOverview& overview = pane.Overview();
  EXPECT_EQ(std::pair(problems[0], overview.Data().Count()), std::pair(QString(), 5));
  auto shownTime = [&] { return App->View()->CurrentInputs().Time; };
  EXPECT_EQ(shownTime(), FormatLocal(1780300800 + 2400, "%Y/%m/%d  %H:%M:%S") + "  (not the latest)");

  // A click on the line at the second point's time shows that point; the cursor reads its time.
  overview.resize(800, 600);
  const QRect line = LayoutOverview(overview.rect()).Line;
  const QPoint at(static_cast<int>(TimeX(line, overview.Data(), 1780300800 + 600)), line.center().y());
  QTest::mouseClick(&overview, Qt::LeftButton, {}, at);
  EXPECT_EQ(shownTime(), FormatLocal(1780300800 + 600, "%Y/%m/%d  %H:%M:%S") + "  (not the latest)");
  EXPECT_TRUE(overview.ReadingAt(at).startsWith(QString::fromStdString(FormatLocal(1780300800 + 600, "%H:%M"))));

  // The fourth point's time is not a time: the three before it are shown, and the pane names the
  // file and the reader's words; no box asks to be closed.
  std::string bytes = ReadBytes(path);
  size_t mark = 0;
  for (int i = 0; i < 4; ++i) mark = bytes.find("DT_KRF,", mark + 1);
  bytes.replace(bytes.find("\nMT,", mark) + 12, 2, "25");
  testing::WriteBytes(Folder.File("damaged.krf"), bytes);
  MessageAnswer none(QMessageBox::Ok);
  pane.OpenDayFile(QString::fromStdString(Folder.File("damaged.krf")));
  ASSERT_TRUE(ProcessUntil([&] { return problems.size() == 2; }, 10000));
  EXPECT_EQ(std::tuple(none.Asked, problems[1].isEmpty(), overview.Data().Count()), std::tuple(0, false, 3));
  EXPECT_TRUE(overview.Notice().startsWith("damaged.krf: " + problems[1]) && overview.Notice().endsWith("(3 points could be read)"));
  pane.LiveAction()->trigger();
  EXPECT_FALSE(pane.ShowingArchive() || App->View()->ShowingEarlierPoint());
}

// A day whose sensor unit changed: its first file names the part the day goes on in.
TEST_F(AppTest, AnArchiveDayNamesThePartItGoesOnIn) {
  Start(nullptr, false);
  std::filesystem::create_directories(Folder.File("2026"));
  const std::string first = Folder.File("2026/20260601.KRF"), second = Folder.File("2026/20260601_2.KRF");
  ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 3, 1780300800, 600), first));
  ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 2, 1780300800 + 1800, 600), second));
  OverviewPane& pane = Frame->Overview();
  int shown = 0;
  QObject::connect(&pane, &OverviewPane::DayShown, [&] { ++shown; });
  pane.OpenDayFile(QString::fromStdString(first));
  ASSERT_TRUE(ProcessUntil([&] { return shown == 1; }, 10000));
  EXPECT_EQ(pane.Overview().Notice(), "The day goes on in 20260601_2.KRF: another sensor unit took over.");
  pane.OpenDayFile(QString::fromStdString(second));
  ASSERT_TRUE(ProcessUntil([&] { return shown == 2; }, 10000));
  EXPECT_EQ(std::pair(pane.Overview().Notice(), pane.Overview().Data().Count()), std::pair(QString(), 2));
}

// Three points of today in today's own day file, written before the program starts.
class TodayTest : public AppTest {
 protected:
  void SetUp() override {
    AppSettings stored;
    stored.KrfFolder = Folder.Path + "/";
    const std::int64_t now = SystemClock().Now();
    Today = DayFilePath(stored.KrfFolder, now);
    std::filesystem::create_directories(std::filesystem::path(Today).parent_path());
    const std::int64_t midnight = LocalMidnight(now);
    ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 3, midnight + 60, 60), Today));
    Start(&stored, false);
    ASSERT_TRUE(ProcessUntil([&] { return Pane().Overview().Data().Count() == 3; }, 10000));
  }
  OverviewPane& Pane() { return Frame->Overview(); }
  bool Pinned() { return App->View()->ShowingEarlierPoint(); }
  std::string Today;
};

// A day file named on the command line shows as Open Day File shows it; the morning read at the
// same start is the live day after Back to Live.
class DayAtStartTest : public TodayTest {
 protected:
  DayAtStartTest() { Options.DayFile = Folder.File("20260601.KRF"); }
  void SetUp() override {
    ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 3, 1780300800, 60), Options.DayFile));
    TodayTest::SetUp();
  }
};

TEST_F(DayAtStartTest, ADayNamedAtStartIsShownWithTodayLiveBehindIt) {
  ASSERT_TRUE(ProcessUntil([&] { return Pane().ShowingArchive() && !Pane().Reading(); }, 10000));
  EXPECT_EQ(Pane().ArchivePath(), Options.DayFile);
  Pane().LiveAction()->trigger();
  EXPECT_EQ(std::pair(Pane().ShowingArchive(), Pane().Overview().Data().Count()), std::pair(false, 3));
}

TEST_F(TodayTest, EachWayBackToLiveEndsAPin) {
  const std::function<void()> ways[] = {
      [&] { Pane().LiveAction()->trigger(); },
      [&] { QTest::keyClick(Frame, Qt::Key_Escape); },
      [&] { QTest::mouseClick(&Pane().Overview(), Qt::LeftButton, {}, Pane().Overview().LiveMarkerRect().center()); },
      [&] { Pane().LaterPointAction()->trigger(); },   // past the latest point
      [&] {   // today's file opened from the archive is the live day
        Pane().OpenDayFile(QString::fromStdString(Today));
        ASSERT_TRUE(ProcessUntil([&] { return !Pane().Reading(); }, 10000));
      }};
  Frame->show();
  Frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Frame));   // keys reach the window's shortcuts
  Pane().Overview().resize(800, 600);
  EXPECT_EQ(std::pair(Pane().ShowingArchive(), Pane().Overview().Shown()), std::pair(false, 2));   // live at start
  for (size_t way = 0; way < std::size(ways); ++way) {
    Pane().EarlierPointAction()->trigger();
    ASSERT_TRUE(Pinned() && Pane().LiveAction()->isEnabled() && Pane().Overview().LiveMarkerOffered()) << way;
    EXPECT_EQ(Pane().Overview().Shown(), 1) << way;
    ways[way]();
    EXPECT_FALSE(Pinned() || Pane().ShowingArchive() || Pane().LiveAction()->isEnabled() ||
                 Pane().Overview().LiveMarkerOffered()) << way;
    EXPECT_EQ(Pane().Overview().Shown(), 2) << way;
  }
}

TEST_F(TodayTest, AMissingDayFileIsSaidInThePaneNeverAmongTheRecent) {
  const std::string missing = Folder.File("2026/20260230.KRF");
  QStringList problems;
  QObject::connect(&Pane(), &OverviewPane::DayShown, [&](const QString& problem) { problems << problem; });
  MessageAnswer none(QMessageBox::Ok);
  Pane().OpenDayFile(QString::fromStdString(missing));
  ASSERT_TRUE(ProcessUntil([&] { return problems.size() == 1; }, 10000));
  EXPECT_EQ(std::tuple(none.Asked, Pane().Overview().Data().Count()), std::tuple(0, 3));   // the day shown stays
  EXPECT_TRUE(Pane().Overview().Notice().startsWith("20260230.KRF could not be read: " + problems[0]));
  for (QAction* recent : Pane().RecentMenu()->actions()) EXPECT_FALSE(recent->text().contains("20260230")) << recent->text().toStdString();
}

TEST_F(AppTest, DayStepsReachOnlyTheNearestExistingFiles) {
  Start(nullptr, false);
  for (const char* name : {"2025/20251230.KRF", "2026/20260101.KRF", "2026/20260601.KRF"}) {
    std::filesystem::create_directories(std::filesystem::path(Folder.File(name)).parent_path());
    testing::WriteBytes(Folder.File(name), "");
  }
  const std::tuple<const char*, int, std::string> rows[] = {
      {"2026/20260301.KRF", -1, Folder.File("2026/20260101.KRF")}, {"2026/20260301.KRF", 1, Folder.File("2026/20260601.KRF")},
      {"2026/20260101.KRF", -1, Folder.File("2025/20251230.KRF")}, {"2026/20260601.KRF", 1, ""},
      {"2025/20251230.KRF", -1, ""},                               {"notaday.KRF", 1, ""}};
  for (const auto& [from, direction, nearest] : rows) EXPECT_EQ(NearestDayFile(Folder.File(from), direction), nearest) << from << direction;
  // Shown from the archive, the first day offers no earlier one.
  ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 2, 1767225600, 60), Folder.File("2025/20251230.KRF")));
  Frame->Overview().OpenDayFile(QString::fromStdString(Folder.File("2025/20251230.KRF")));
  ASSERT_TRUE(ProcessUntil([&] { return Frame->Overview().ShowingArchive(); }, 10000));
  EXPECT_EQ(std::pair(Frame->Overview().PreviousAction()->isEnabled(), Frame->Overview().NextAction()->isEnabled()), std::pair(false, true));
}

// The profile is checked at start as spectrel-cli config checks it, and what is wrong stays in
// sight: in the status bar and above the event log.
TEST_F(AppTest, AProfileMistakeFoundAtStartStaysInSight) {
  testing::WriteBytes(Profile, "[USE]\nSR-102=1\n");
  Start(nullptr, false);
  const QString said = uitest::Child<QLabel>(*Frame, "profileCheck").text();
  EXPECT_TRUE(said.startsWith("Profile: ") && said.contains("[USE] SR-102")) << said.toStdString();
  Frame->ShowEventLog();
  EXPECT_TRUE(uitest::Child<QLabel>(*Frame, "notes").text().contains(said.section(" (all in", 0, 0).mid(9)));
}

// A folder another station measures into: said, and neither start command can interleave points.
TEST_F(AppTest, AFolderHeldByAnotherStationRefusesMeasuring) {
  FolderLock other;
  ASSERT_TRUE(other.Acquire(Folder.Path + "/", "spectrel-cli run"));
  Start(nullptr, false);
  EXPECT_TRUE(uitest::Child<QLabel>(*Frame, "profileCheck").text().contains("in use by another station"));
  for (int id : {IdMeasInterval, IdMeasManual}) EXPECT_FALSE(Frame->Action(id)->isEnabled()) << id;
  Doc->OnStartManual();
  Doc->OnStartInterval();
  EXPECT_FALSE(Doc->Measuring());
  EXPECT_TRUE(Frame->Action(IdMeasSettings)->isEnabled());
}

// Another SR-102 unit in the middle of the day: the window says so, and which part the day goes
// on in, until the next measurement begins.
TEST_F(AppTest, AnotherSensorUnitIsSaidInTheStatusBar) {
  AppSettings stored;
  stored.AppFolder = stored.KrfFolder = stored.CsvFolder = Folder.Path + "/";
  stored.UseSensor[SR102] = true;
  stored.ComPort[SR102] = "/dev/null";
  Start(&stored, false);
  CycleResult cycle;
  cycle.Time = static_cast<std::int64_t>(std::time(nullptr));
  cycle.Identified[SR102] = testing::MakeSensorInfo(SR102);
  cycle.Measured[SR102] = testing::MakeMeasurement(SR102, cycle.Time, 3);
  Doc->CompleteCycle(cycle);
  const QLabel& problem = uitest::Child<QLabel>(*Frame, "problem");
  EXPECT_TRUE(problem.isHidden());
  cycle.Identified[SR102]->SerialNo = "B0002";
  cycle.Time += 60;
  Doc->CompleteCycle(cycle);
  EXPECT_FALSE(problem.isHidden());
  EXPECT_TRUE(problem.text().startsWith("SR-102 is another unit") && problem.text().endsWith("_2.KRF"))
      << problem.text().toStdString();
  Doc->OnStartInterval();
  ASSERT_TRUE(Doc->Measuring());
  EXPECT_TRUE(problem.isHidden());
}

TEST_F(AppTest, ZoomKeepsTheWavelengthUnderTheCursorUntilReset) {
  Start(nullptr, false);
  CSpectrelView& view = *App->View();
  view.resize(800, 600);
  (void)view.grab();
  const double under = view.Graph().XAt(400);
  view.ZoomX(2.0, 400);
  (void)view.grab();
  EXPECT_NEAR(view.Graph().XAt(400), under, 3.0);
  EXPECT_NEAR(view.Graph().XMax - view.Graph().XMin, 750.0, 1e-6);   // half of 300..1800
  view.ResetZoom();
  (void)view.grab();
  EXPECT_EQ(std::pair(view.Graph().XMin, view.Graph().XMax), std::pair(300.0, 1800.0));
}

TEST_F(AppTest, TheStatusBarNamesTheNextCycleWhileMeasuring) {
  AppSettings stored;
  stored.Interval = 600;
  stored.KrfFolder = stored.CsvFolder = Folder.Path + "/";
  Start(&stored);
  const QLabel& label = uitest::Child<QLabel>(*Frame, "measuring");
  EXPECT_TRUE(label.text().isEmpty());
  Frame->Action(IdMeasInterval)->trigger();
  const std::optional<std::int64_t> next = IntervalSchedule::Of(App->Settings()).NextAfter(SystemClock().Now());
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(label.text(), QString::fromStdString("measuring — next at " + FormatLocal(*next, "%H:%M:%S")));
}

TEST_F(AppTest, ARestoredWindowIsFittedToTheScreen) {
  const std::tuple<QRect, QRect, QRect> rows[] = {
      {{0, 0, 1300, 900}, {0, 0, 1280, 800}, {0, 0, 1280, 800}},     // larger than the screen
      {{900, 600, 640, 480}, {0, 0, 1280, 800}, {640, 320, 640, 480}},   // partly off it
      {{10, 20, 640, 480}, {0, 0, 1280, 800}, {10, 20, 640, 480}}};    // inside: kept
  for (const auto& [saved, screen, fitted] : rows) EXPECT_EQ(FitToScreen(saved, screen), fitted) << saved.x();
}

TEST_F(AppTest, ASecondOpenWhileTheFirstIsReadShowsOnlyTheSecondDay) {
  Start(nullptr, false);
  const std::string first = Folder.File("20260601.KRF");
  const std::string second = Folder.File("20260602.KRF");
  ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102, SR104}, 600, 1780300800, 60), first));
  ASSERT_TRUE(SaveKrf(testing::MakeDay({SR102}, 3, 1780387200, 60), second));
  OverviewPane& pane = Frame->Overview();
  int shown = 0;
  QObject::connect(&pane, &OverviewPane::DayShown, [&] { ++shown; });
  pane.OpenDayFile(QString::fromStdString(first));
  pane.OpenDayFile(QString::fromStdString(second));
  ASSERT_TRUE(ProcessUntil([&] { return shown > 0; }, 10000));
  ProcessUntil([] { return false; }, 300);   // a late first day would show now
  EXPECT_EQ(std::tuple(shown, pane.ArchivePath(), pane.Overview().Data().Count()), std::tuple(1, second, 3));
}

TEST_F(AppTest, APinnedPointStaysWhileMeasurementsGrowTheOverview) {
  AppSettings stored;
  stored.AppFolder = stored.KrfFolder = stored.CsvFolder = Folder.Path + "/";
  Options.Simulate = true;
  Options.SimulatePaced = false;
  Start(&stored, false);
  auto measure = [&] {
    Frame->Action(IdMeasManual)->trigger();
    return ProcessUntil([&] { return !Doc->Measuring(); }, 60000);
  };
  ASSERT_TRUE(measure() && measure());
  OverviewPane& pane = Frame->Overview();
  pane.EarlierPointAction()->trigger();
  const std::string pinned = App->View()->CurrentInputs().Time;
  ASSERT_TRUE(measure());
  EXPECT_EQ(std::pair(pane.Overview().Data().Count(), pane.Overview().Shown()), std::pair(3, 0));
  EXPECT_EQ(App->View()->CurrentInputs().Time, pinned);
  EXPECT_TRUE(pane.LiveAction()->isEnabled());
}

TEST_F(AppTest, AManualMeasurementOfSimulatedSensorsStoresThePointItDraws) {
  AppSettings stored;   // the profile's own ports, which the simulator must not overwrite
  stored.ComPort = {"3", "0", "/dev/ttyUSB0", "0"};
  stored.AppFolder = stored.KrfFolder = stored.CsvFolder = Folder.Path + "/";
  Options.Simulate = true;
  Options.SimulatePaced = false;
  Start(&stored);
  // No sensor in use: SR-101 and SR-103 would be simulated. Ticking SR-102 and SR-104 and pressing
  // OK keeps them, and the simulated station measures whatever is in use.
  ASSERT_TRUE(OnModal([&] { Frame->Action(IdMeasSettings)->trigger(); }, [](QDialog* d) {
    for (const char* box : {"useSR102", "useSR104"}) uitest::Child<QCheckBox>(*d, box).click();
    uitest::Child<QPushButton>(*d, "ok").click();
  }));
  EXPECT_EQ(App->Settings().UseSensor, (std::array<bool, 4>{false, true, false, true}));
  Frame->resize(1000, 800);
  Frame->Action(IdMeasManual)->trigger();
  EXPECT_EQ(App->Settings().MeasType, MeasureMode::Manual);
  EXPECT_EQ(App->Host()->IntervalDialog().windowTitle(), QStringLiteral("Manual Measurement"));
  // The event loop keeps running while identification settles; the run ends by itself.
  ASSERT_TRUE(ProcessUntil([&] { return !Doc->Measuring(); }, 60000));
  EXPECT_FALSE(App->Host()->IntervalDialog().isVisible());
  ExpectIdle(true);
  EXPECT_EQ(Doc->LastCycle().Sensors, "SR-102 SR-104");
  EXPECT_TRUE(std::filesystem::exists(Doc->LastCycle().DayFile));
  EXPECT_TRUE(std::filesystem::exists(Doc->LastCycle().CsvFile));

  // The window now shows the curve in the graph colour (red) inside the plot.
  const QImage shot = App->View()->grab().toImage();
  const GraphRect clip = App->View()->Graph().ClipRect();
  EXPECT_GT(uitest::Count(shot, qRgb(255, 0, 0), clip.Left, clip.Top, clip.Right, clip.Bottom), 0);

  App->ExitInstance();
  AppSettings reread;
  LoadSettings(reread, Profile);
  EXPECT_EQ(reread.ComPort, (std::array<std::string, 4>{"3", "0", "/dev/ttyUSB0", "0"}));
  EXPECT_EQ(reread.UseSensor, (std::array<bool, 4>{false, true, false, true}));
  EXPECT_EQ(reread.MeasType, MeasureMode::Manual);   // the last used kind is kept
}

}  // namespace
}  // namespace spectrel
