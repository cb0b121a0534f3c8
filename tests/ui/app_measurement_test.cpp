// A whole manual measurement through the desktop program against simulated sensors: the
// command, the polled start, the workers' queued messages, the redrawn graph, the stored files,
// and a profile that never receives the simulator's ports.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/spectrel_app.h"
#include "measure/spectrel_doc.h"
#include "settings/profile.h"
#include "ui/graph_painter.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::ProcessUntil;
using uitest::ReadFile;
using uitest::TempFolder;

TEST(AppMeasurement, ManualMeasurementWithSimulatedSensors) {
  TempFolder folder;
  const std::string profile = folder.Path + "/spectrel.ini";
  {
    // The profile's own ports, which the simulator must not overwrite.
    AppSettings stored;
    stored.ComPort = {"3", "0", "/dev/ttyUSB0", "0"};
    stored.AppFolder = folder.Slash();
    stored.KrfFolder = folder.Slash();
    stored.CsvFolder = folder.Slash();
    ASSERT_TRUE(SaveSettings(stored, profile));
  }
  StartOptions options;
  options.ProgramPath = folder.Path + "/spectrel";
  options.Simulate = true;
  options.SimulatePaced = false;
  CSpectrelApp app(options);
  ASSERT_TRUE(app.InitInstance());
  ASSERT_EQ(app.ProfilePath(), profile);
  CSpectrelDoc& doc = *app.Document();
  CMainFrame& frame = *app.MainFrame();
  // No sensor in use: SR-101 and SR-103 are simulated, on pseudo-terminals.
  EXPECT_EQ(app.Settings().UseSensor, (std::array<int, 4>{1, 0, 1, 0}));
  EXPECT_EQ(app.Settings().ComPort[0].rfind("/dev/pts/", 0), 0u);
  EXPECT_TRUE(doc.TimeText().empty());
  EXPECT_TRUE(doc.DisplaySpectrum().Empty());

  frame.resize(1000, 800);
  frame.Action(IdMeasManual)->trigger();
  EXPECT_TRUE(doc.Measuring());
  EXPECT_EQ(app.Settings().MeasType, 1);
  EXPECT_EQ(app.Host()->IntervalDialog().windowTitle(), QStringLiteral("Manual Measurement"));
  EXPECT_FALSE(app.View()->IntervalTimerActive());
  // The event loop keeps running while identification settles; the run ends by itself.
  ASSERT_TRUE(ProcessUntil([&] { return !doc.Measuring(); }, 60000));
  EXPECT_FALSE(app.View()->ManualPollActive());
  EXPECT_FALSE(app.Host()->IntervalDialog().isVisible());
  EXPECT_TRUE(frame.Action(IdMeasManual)->isEnabled());

  EXPECT_FALSE(doc.TimeText().empty());
  ASSERT_FALSE(doc.DisplaySpectrum().Empty());
  EXPECT_GT(doc.DayData().RadCount(), 0);
  EXPECT_NE(doc.ReportText().find("SR-101"), std::string::npos);
  EXPECT_NE(doc.ReportText().find("SR-103"), std::string::npos);
  ASSERT_FALSE(doc.LastDayFile().empty());
  EXPECT_TRUE(std::filesystem::exists(doc.LastDayFile()));
  EXPECT_EQ(doc.LastDayFile().rfind(folder.Path, 0), 0u);
  ASSERT_FALSE(doc.LastCsvFile().empty());
  EXPECT_TRUE(std::filesystem::exists(doc.LastCsvFile()));

  // The window now shows the curve in the graph colour inside the plot.
  const QImage shot = app.View()->grab().toImage();
  const QRgb red = ColorOfRef(app.Settings().Graph.GraphColor).rgb();
  const GraphRect clip = app.View()->Graph().ClipRect();
  int curve = 0;
  for (int y = clip.Top; y < clip.Bottom; ++y)
    for (int x = clip.Left; x < clip.Right; ++x)
      if (shot.pixel(x, y) == red) ++curve;
  EXPECT_GT(curve, 0);

  app.ExitInstance();
  const std::string saved = ReadFile(profile);
  EXPECT_EQ(saved.find("/dev/pts/"), std::string::npos);
  AppSettings reread;
  LoadSettings(reread, profile);
  EXPECT_EQ(reread.ComPort, (std::array<std::string, 4>{"3", "0", "/dev/ttyUSB0", "0"}));
  EXPECT_EQ(reread.UseSensor, (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(reread.MeasType, 1);   // the last used kind is kept
}

TEST(AppMeasurement, MissingProfileIsCreatedWithDefaultsAtExit) {
  TempFolder folder;
  StartOptions options;
  options.ProgramPath = folder.Path + "/spectrel";
  options.Show = false;
  {
    CSpectrelApp app(options);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.Settings().KrfFolder, folder.Slash());
    EXPECT_FALSE(std::filesystem::exists(folder.Path + "/spectrel.ini"));
  }
  ASSERT_TRUE(std::filesystem::exists(folder.Path + "/spectrel.ini"));
  AppSettings reread;
  LoadSettings(reread, folder.Path + "/spectrel.ini");
  EXPECT_EQ(reread.Interval, 600);
  EXPECT_EQ(reread.UserMemo, "Arvena Solmet");
  // The program's start and end are in the year's event log in the data folder.
  bool logged = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path))
    if (entry.path().extension() == ".LOG") {
      const std::string log = ReadFile(entry.path().string());
      logged = log.find("APP START\r\n") != std::string::npos && log.find("APP CLOSE\r\n") != std::string::npos;
    }
  EXPECT_TRUE(logged);
}

}  // namespace
}  // namespace spectrel
