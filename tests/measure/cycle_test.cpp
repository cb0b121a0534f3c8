// Whole cycles against simulated sensors: what is stored of each sensor, what is shown, what is
// logged when sensors fail or the day file cannot be written, and the hour's CSV file.
#include "doc_fixture.h"
#include "measure/held_spool.h"
#include "support/synthetic_day.h"

namespace spectrel::testing {
namespace {

class CycleTest : public DocTest {
 protected:
  // Starts interval measurement (every interval seconds, all day) at time at, waits for the status
  // block and spends the first tick, which never measures.
  void StartInterval(const std::string& readyBlock, int interval = 60, std::int64_t at = Dec7(10, 0, 30)) {
    Settings.Interval = interval;
    Settings.StartTime = 0;
    Settings.EndTime = 86399;
    Clock.Set(at);
    if (!Doc) MakeDoc();
    Doc->OnStartInterval();
    ASSERT_TRUE(WaitForStatus(readyBlock)) << Host.Status();
    Doc->OnIntervalTick();
  }
  // One tick at 10:mm:00 that must start a run, and the completion of that cycle.
  void CycleAt(int minute) {
    const std::int64_t runs = Doc->RunsStarted();
    Clock.Set(Dec7(10, minute, 0));
    Doc->OnIntervalTick();
    ASSERT_EQ(Doc->RunsStarted(), runs + 1);
    ASSERT_TRUE(Host.PumpCycle(30s));
  }
  // One manual measurement at time t, completed and stopped.
  void ManualCycle(std::int64_t t) {
    Clock.Set(t);
    if (!Doc) MakeDoc();
    Doc->OnStartManual();
    ASSERT_EQ(PollManual(), MeasureState::ManualRunning);
    ASSERT_TRUE(Host.PumpUntil([&] { return !Doc->Measuring(); }, 20s));
  }
};

TEST_F(CycleTest, ACycleStoresEachSensorsRecordsThenShowsThePoint) {
  AddSensor(SR102);
  AddSensor(SR104);
  StartInterval("SR-102 READY\nSR-104 READY\n");
  CycleAt(1);
  const CKrfData day = Day();
  EXPECT_EQ((std::vector<std::string>{day.SiteName, day.TimeZone, Settings.TimeZoneText}),
            (std::vector<std::string>{"Tsukuba", "+9", "+9"}));
  EXPECT_EQ(day.Info(SR101), nullptr);
  EXPECT_EQ(day.Info(SR104)->Calib, Doc->Link(SR104).Identification()->Calib);
  EXPECT_EQ(day.Rad(0).Memo, "roof");
  EXPECT_EQ(day.Rad(0).Block(SR102)->Light, Doc->DayData().Rad(0).Block(SR102)->Light);
  EXPECT_FALSE(day.Rad(0).Block(SR104)->Light.empty());
  EXPECT_EQ(Doc->Link(SR102).Text(), "Measurement OK");
  EXPECT_EQ(Doc->Shown().Time, "2026/12/07  10:01:00");   // the point is shown
  EXPECT_FALSE(Doc->DisplaySpectrum().Empty());
  const CycleSummary& told = Host.Cycles.back();
  EXPECT_EQ(told.Time, Dec7(10, 1, 0));
  EXPECT_EQ(told.Sensors, "SR-102 SR-104");
  EXPECT_EQ(told.DayFile, DayFile());
  EXPECT_EQ(told.CsvFile, "");
  EXPECT_FALSE(Exists(Folder + "/csv"));   // no CSV was asked for
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"APP START", "INT.MEAS START"}));
}

// A sensor that stops answering shows its run and its retries; after a stop and a new start it is
// not identified, and its last spectrum never stands in for one it did not measure.
// Another SR-102 unit within an hour: its points go on in the day's next part and in that part's
// hour file; the first unit's hour file stays as it was.
TEST_F(CycleTest, AnotherUnitsHourGoesToItsOwnCsvFile) {
  Settings.SaveCsv = 1;
  Settings.UseSensor[SR102] = 1;
  MakeDoc();
  CycleResult cycle;
  cycle.Time = Dec7(10, 1, 0);
  cycle.Identified[SR102] = MakeSensorInfo(SR102);
  cycle.Measured[SR102] = MakeMeasurement(SR102, cycle.Time, 3);
  Doc->CompleteCycle(cycle);
  const std::string firstUnit = Settings.CsvFolder + "2026/2026120710.CSV";
  const std::string before = ReadBytes(firstUnit);
  cycle.Identified[SR102]->SerialNo = "B0002";
  cycle.Time = Dec7(10, 2, 0);
  Doc->CompleteCycle(cycle);
  EXPECT_EQ(Doc->LastCycle().DayFile, Settings.KrfFolder + "2026/20261207_2.KRF");
  EXPECT_EQ(Doc->LastCycle().CsvFile, Settings.CsvFolder + "2026/2026120710_2.CSV");
  EXPECT_EQ(ReadBytes(firstUnit), before);
  EXPECT_NE(ReadBytes(Doc->LastCycle().CsvFile), before);
}

TEST_F(CycleTest, SensorNotMeasuredInARunAddsNoOldSpectrum) {
  solmet_sim::SimulatedSensor& sr101 = AddSensor(SR101);
  StartInterval("SR-101 READY\n");
  CycleAt(1);
  sr101.SetFault(Fault::NoAnswer);
  Clock.Set(Dec7(10, 2, 0));
  Doc->OnIntervalTick();
  ASSERT_TRUE(WaitForStatus("SR-101 Measuring\n")) << Host.Status();
  ASSERT_TRUE(WaitForStatus("SR-101 Retrying measurement\n")) << Host.Status();
  ASSERT_TRUE(Doc->StopMeasurement());
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(10, 1, 0)});
  AddSensor(SR103);
  StartInterval("SR-101 Error(Communication with the sensor failed)\nSR-103 READY\n");
  CycleAt(2);
  const CKrfData set = Day();
  ASSERT_EQ(set.RadCount(), 2);
  EXPECT_NE(set.Info(SR103), nullptr);
  EXPECT_EQ(set.Rad(1).Block(SR101), nullptr);
  EXPECT_NE(set.Rad(1).Block(SR103), nullptr);
  EXPECT_NE(Log().find("2026/12/07,10:02:00,ERROR SR101 MEAS\r\n"), std::string::npos);
}

TEST_F(CycleTest, AllSensorsFailingStoresAnEmptyPointLoggingEachOnce) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR101);
  solmet_sim::SimulatedSensor& b = AddSensor(SR103);
  StartInterval("SR-101 READY\nSR-103 READY\n");
  a.SetFault(Fault::GmWithoutOk);
  b.SetFault(Fault::GmWithoutOk);
  CycleAt(1);
  EXPECT_EQ(Doc->Link(SR101).Text(), "Measurement failed");
  EXPECT_EQ(Host.Beeps, 2 * 3);   // a beep after each of the three attempts of each sensor
  EXPECT_EQ(Log(), "2026/12/07,10:00:30,APP START\r\n2026/12/07,10:00:30,INT.MEAS START\r\n"
                   "2026/12/07,10:01:00,ERROR SR101 MEAS\r\n2026/12/07,10:01:00,ERROR SR103 MEAS\r\n");
  const CKrfData set = Day();
  EXPECT_FALSE(set.Rad(0).HasAnyBlock());
  EXPECT_NE(set.Info(SR101), nullptr);   // identified all the same
}

TEST_F(CycleTest, CycleStampedBeforeMidnightGoesToThatDaysFilesWhenCompletedAfter) {
  AddSensor(SR101);
  Settings.SaveCsv = true;
  // What a crash during a whole write left goes at the start; a look-alike stays.
  const std::string leftover = Settings.CsvFolder + "2026/.2026120723.CSV.spectrel-tmp-4242-0";
  const std::string lookAlike = Settings.CsvFolder + "2026/2026120723.CSV.~4242.0";
  std::filesystem::create_directories(Settings.CsvFolder + "2026");
  WriteBytes(leftover, "x");
  WriteBytes(lookAlike, "x");
  StartInterval("SR-101 READY\n", 30, Dec7(23, 59, 10));
  EXPECT_FALSE(Exists(leftover));
  EXPECT_TRUE(Exists(lookAlike));
  Clock.Set(Dec7(23, 59, 30));
  Doc->OnIntervalTick();
  Clock.Set(Tokyo(2026, 12, 8, 0, 0, 5));
  ASSERT_TRUE(Host.PumpCycle(20s));
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(23, 59, 30)});
  EXPECT_FALSE(Exists(Settings.KrfFolder + "2026/20261208.KRF"));
  const std::string csv = Settings.CsvFolder + "2026/2026120723.CSV";
  EXPECT_EQ(Host.Cycles.back().CsvFile, csv);
  EXPECT_EQ(ReadBytes(csv).rfind("Date,2026/12/07,\nTime,23:59:30,\nMemo,roof,\nSensor,SR-101,\n", 0), 0u);
}

// The store's outcome reaches the operator: the log, standard error, the status file, the cycle
// told to the host; the held point is said once more when the program ends, waits in the held
// points file and goes into its day file at the next start.
TEST_F(CycleTest, APointNotStoredIsToldEverywhereThenStoredAtTheNextStart) {
  Settings.SaveCsv = true;
  WriteBytes(Settings.KrfFolder + "2026", "a file where the year folder goes");
  WriteBytes(Folder + "/csvfile", "x");
  Settings.CsvFolder = Folder + "/csvfile/";
  ::testing::internal::CaptureStderr();
  ManualCycle(Dec7(23, 59, 30));
  Doc.reset();
  // The day file's lines on standard error are the runner's test.
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("CSV file not written: " + Folder + "/csvfile/2026/2026120723.CSV: Not a directory\n"),
            std::string::npos) << said;
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"APP START", "INT.MEAS START", "ERROR KRF SAVE", "ERROR CSV SAVE",
                                                     "INT.MEAS STOP", "ERROR KRF HELD 1", "APP CLOSE"}));
  EXPECT_EQ(Host.Cycles.back().DayFile, "");
  const StationStatus status = Written();
  ASSERT_TRUE(status.LastCycle);
  EXPECT_EQ(status.Counters.NotStored, 1);
  EXPECT_EQ(status.LastCycle->Reason, DayFile() + ": Not a directory");
  std::filesystem::remove(Settings.KrfFolder + "2026");
  EXPECT_EQ(MakeDoc().HeldPoints(), 0u);
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(23, 59, 30)});
  EXPECT_EQ(LogMessages().back(), "KRF RESTORED 1");
}

// Where not even the held points file can take the point, it waits in memory, and is said to be
// lost when the program ends first.
TEST_F(CycleTest, PointNoFileCanTakeIsSaidLostAtTheEnd) {
  std::filesystem::create_directories(HeldSpoolPath(Settings.KrfFolder));   // a folder in its place
  WriteBytes(Settings.KrfFolder + "2026", "a file where the year folder goes");
  ::testing::internal::CaptureStderr();
  ManualCycle(Dec7(10, 0, 0));
  Doc.reset();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("held points file " + HeldSpoolPath(Settings.KrfFolder) + " cannot be opened: Is a directory"),
            std::string::npos) << said;
  EXPECT_NE(said.find("not stored: 1 points could not be written to their day file and are lost"), std::string::npos);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"APP START", "INT.MEAS START", "ERROR KRF SAVE", "ERROR KRF SPOOL",
                                                     "INT.MEAS STOP", "ERROR KRF LOST 1", "APP CLOSE"}));
}

TEST_F(CycleTest, StopHandledBeforeTheQueuedCycleStillStoresItOnce) {
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  ASSERT_EQ(doc.State(), MeasureState::ManualRunning);
  // The run's result is waiting when "Abort" is handled first.
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(doc.StopMeasurement());
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
  Host.PumpQuiet(100ms);   // the run's own completion and stop find nothing more to do
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
  EXPECT_EQ(Host.Cycles.size(), 1u);
}

}  // namespace
}  // namespace spectrel::testing
