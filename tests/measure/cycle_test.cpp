// Whole cycles against simulated sensors: the day file is begun whole, grown by appends,
// rewritten once when a sensor joins, kept aside when unreadable; the CSV file of the hour; every
// failure logged.
#include "doc_fixture.h"

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
    ASSERT_TRUE(Host.PumpCycle(*Doc, 30s));
  }
  // One manual measurement at time t, completed and stopped.
  void ManualCycle(std::int64_t t) {
    Clock.Set(t);
    if (!Doc) MakeDoc();
    Doc->OnStartManual();
    ASSERT_EQ(PollManual(), CSpectrelDoc::ManualPoll::Started);
    ASSERT_TRUE(Host.PumpUntil(*Doc, [&] { return !Doc->Measuring(); }, 20s));
  }
  // Inserts a line the reader skips right after the file header: a whole write drops it.
  void MarkFile(const std::string& mark) {
    std::string bytes = ReadBytes(DayFile());
    bytes.insert(bytes.find("HD_KRF_END\n") + 11, mark + "\n");
    WriteBytes(DayFile(), bytes);
  }
};

TEST_F(CycleTest, FirstCycleWritesTheDayWholeAndTheSecondAppendsOneBlock) {
  AddSensor(SR102);
  AddSensor(SR104);
  StartInterval("SR-102 READY\nSR-104 READY\n");
  CycleAt(1);
  EXPECT_EQ(Doc->LastDayFile(), DayFile());
  const CKrfData first = Day();
  EXPECT_EQ((std::vector<std::string>{first.SiteName, first.SiteLon, first.TimeZone, Settings.TimeZoneText}),
            (std::vector<std::string>{"Tsukuba", "000.000", "+9", "+9"}));
  EXPECT_EQ(first.Info(SR101), nullptr);
  EXPECT_EQ(first.Info(SR104)->Calib, Doc->Driver(SR104).Info.Calib);
  EXPECT_EQ(first.Rad(0).MeasureTime, Dec7(10, 1, 0));
  EXPECT_EQ(first.Rad(0).Memo, "roof");
  EXPECT_EQ(first.Rad(0).Block(SR102)->Light, Doc->Driver(SR102).Measurement.Light);
  EXPECT_EQ(Doc->StatusText(SR102), "Measurement OK");
  EXPECT_EQ(Doc->DayData().RadCount(), 1);
  EXPECT_GE(Host.Views, 1);
  EXPECT_EQ(Doc->MemoText(), "roof");
  EXPECT_EQ(Doc->TimeText(), "2026/12/07  10:01:00");   // the point is shown
  EXPECT_FALSE(Doc->DisplaySpectrum().Empty());

  MarkFile("NOTE,appends keep this line");
  const std::string before = ReadBytes(DayFile());
  CycleAt(2);
  EXPECT_EQ(ReadBytes(DayFile()).substr(0, before.size()), before);
  const CKrfData second = Day();
  ASSERT_EQ(second.RadCount(), 2);
  EXPECT_EQ(second.Rad(1).Block(SR104)->Dark, Doc->DayData().Rad(1).Block(SR104)->Dark);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
  EXPECT_FALSE(Exists(Folder + "/csv"));   // no CSV was asked for
  EXPECT_EQ(Doc->LastCsvFile(), "");
}

TEST_F(CycleTest, SensorJoiningMidDayRewritesTheFileOnceAndAnUnmeasuredOneAddsNoOldSpectrum) {
  solmet_sim::SimulatedSensor& sr101 = AddSensor(SR101);
  StartInterval("SR-101 READY\n");
  CycleAt(1);
  // SR-101 stops answering: it shows its run, then its retries; a stop then must not let the
  // run completed before make the stopped one count as done.
  sr101.SetFault(Fault::NoAnswer);
  Clock.Set(Dec7(10, 2, 0));
  Doc->OnIntervalTick();
  ASSERT_TRUE(WaitForStatus("SR-101 Measuring\n")) << Host.Status();
  ASSERT_TRUE(WaitForStatus("SR-101 Retrying measurement\n")) << Host.Status();
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(10, 1, 0)});
  MarkFile("NOTE,dropped by the whole write");
  // SR-103 joins; SR-101 still does not answer, so it is not identified but keeps its last spectrum.
  AddSensor(SR103);
  StartInterval("SR-101 Error(Communication with the sensor failed)\nSR-103 READY\n");
  CycleAt(2);
  EXPECT_EQ(ReadBytes(DayFile()).find("NOTE,"), std::string::npos);   // written whole
  CKrfData set = Day();
  ASSERT_EQ(set.RadCount(), 2);
  EXPECT_NE(set.Info(SR103), nullptr);
  EXPECT_NE(set.Rad(0).Block(SR101), nullptr);
  EXPECT_EQ(set.Rad(1).Block(SR101), nullptr);
  EXPECT_NE(set.Rad(1).Block(SR103), nullptr);
  EXPECT_NE(Log().find("2026/12/07,10:02:00,ERROR SR101 MEAS\r\n"), std::string::npos);
  MarkFile("NOTE,kept by the append");
  CycleAt(3);
  EXPECT_NE(ReadBytes(DayFile()).find("NOTE,kept by the append\n"), std::string::npos);
}

TEST_F(CycleTest, AllSensorsFailingLogsOneLineEachAndStoresAnEmptyPoint) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR101);
  solmet_sim::SimulatedSensor& b = AddSensor(SR103);
  StartInterval("SR-101 READY\nSR-103 READY\n");
  a.SetFault(Fault::GmWithoutOk);
  b.SetFault(Fault::GmWithoutOk);
  CycleAt(1);
  EXPECT_EQ(Doc->StatusText(SR101), "Measurement failed");
  EXPECT_EQ(Host.Beeps.load(), 2 * 3);   // a beep after each of the three attempts of each sensor
  EXPECT_EQ(Log(), "2026/12/07,10:00:30,APP START\r\n2026/12/07,10:00:30,INT.MEAS START\r\n"
                   "2026/12/07,10:01:00,ERROR SR101 MEAS\r\n2026/12/07,10:01:00,ERROR SR103 MEAS\r\n");
  const CKrfData set = Day();
  EXPECT_FALSE(set.Rad(0).HasAnyBlock());
  EXPECT_NE(set.Info(SR101), nullptr);   // identified all the same
}

TEST_F(CycleTest, UnreadableDayFilesAreKeptAsideAndTheDayGoesOnInANewFile) {
  AddSensor(SR104);
  const std::string badFirstLine = "HD_KRF;100\nSITE,Old site\nHD_KRF_END\n";
  std::filesystem::create_directories(Settings.KrfFolder + "2026");
  WriteBytes(DayFile(), badFirstLine);
  ManualCycle(Dec7(5, 58, 0));
  EXPECT_EQ(ReadBytes(DayFile() + ".unreadable-1"), badFirstLine);
  EXPECT_EQ(Day().SiteName, "Tsukuba");
  EXPECT_NE(Day().Info(SR104), nullptr);
  EXPECT_NE(Log().find("2026/12/07,05:58:00,ERROR KRF LOAD\r\n"), std::string::npos);
  // A time stamp that is no date: the points before it are read, then the reader gives up.
  const std::string badTime = "HD_KRF,100\nHD_KRF_END\nDT_KRF,100\nMT,20261207060000\nDT_KRF_END\n"
                              "DT_KRF,100\nMT,20261399060000\nDT_KRF_END\n";
  WriteBytes(DayFile(), badTime);
  ManualCycle(Dec7(6, 30, 0));
  EXPECT_EQ(ReadBytes(DayFile() + ".unreadable-2"), badTime);
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(6, 30, 0)});
}

TEST_F(CycleTest, CycleStampedBeforeMidnightGoesToThatDaysFilesWhenCompletedAfter) {
  AddSensor(SR101);
  Settings.SaveCsv = 1;
  StartInterval("SR-101 READY\n", 30, Dec7(23, 59, 10));
  Clock.Set(Dec7(23, 59, 30));
  Doc->OnIntervalTick();
  Clock.Set(Tokyo(2026, 12, 8, 0, 0, 5));
  ASSERT_TRUE(Host.PumpCycle(*Doc, 20s));
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(23, 59, 30)});
  EXPECT_FALSE(Exists(Settings.KrfFolder + "2026/20261208.KRF"));
  const std::string csv = Settings.CsvFolder + "2026/2026120723.CSV";
  EXPECT_EQ(Doc->LastCsvFile(), csv);
  EXPECT_EQ(ReadBytes(csv).rfind("Date,2026/12/07,\nTime,23:59:30,\nMemo,roof,\nSensor,SR-101,\n", 0), 0u);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos);
}

TEST_F(CycleTest, PointsThatCannotBeStoredAreHeldAndWrittenInOrderWithTheNextSaveOfAnyDay) {
  Settings.SaveCsv = 1;
  ManualCycle(Dec7(5, 58, 0));
  // The year folder moved away, a plain file in its place, and no CSV folder possible.
  const std::string year = Settings.KrfFolder + "2026";
  std::filesystem::rename(year, year + "-away");
  WriteBytes(year, "x");
  WriteBytes(Folder + "/csvfile", "x");
  Settings.CsvFolder = Folder + "/csvfile/";
  ::testing::internal::CaptureStderr();
  ManualCycle(Dec7(23, 59, 30));
  ManualCycle(Tokyo(2026, 12, 8, 0, 0, 0));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("not stored: " + year + "/20261208.KRF: Not a directory (2 points held"), std::string::npos)
      << said;
  EXPECT_NE(said.find("CSV file not written: "), std::string::npos) << said;
  EXPECT_NE(Log().find("2026/12/07,23:59:30,ERROR KRF SAVE\r\n"), std::string::npos) << Log();
  EXPECT_NE(Log().find("2026/12/07,23:59:30,ERROR CSV SAVE\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Doc->LastDayFile(), "");
  EXPECT_EQ(Doc->LastCsvFile(), "");
  EXPECT_EQ(Doc->UnsavedPoints(), 2);
  const StationStatus status = Written();   // the station's status tells of the cycle not stored
  ASSERT_TRUE(status.LastCycle);
  EXPECT_EQ(status.Counters.NotStored, 1);   // since the start of this manual measurement
  EXPECT_FALSE(status.LastCycle->Stored);
  EXPECT_EQ(status.LastCycle->Reason, year + "/20261208.KRF: Not a directory");
  EXPECT_FALSE(status.LastStored);
  std::filesystem::remove(year);
  std::filesystem::rename(year + "-away", year);
  // The next day's save takes its own held point and the one of the day before, which joins the
  // point already stored there.
  ManualCycle(Tokyo(2026, 12, 8, 0, 0, 30));
  EXPECT_EQ(Stored(DayFile()), (std::vector<std::int64_t>{Dec7(5, 58, 0), Dec7(23, 59, 30)}));
  EXPECT_EQ(Stored(year + "/20261208.KRF"),
            (std::vector<std::int64_t>{Tokyo(2026, 12, 8, 0, 0, 0), Tokyo(2026, 12, 8, 0, 0, 30)}));
  EXPECT_EQ(Doc->UnsavedPoints(), 0);
  EXPECT_EQ(Doc->DayData().RadCount(), 2);   // the set shown is the day of the cycle
}

TEST_F(CycleTest, ADayFileCutInsideASectionIsKeptAsideAndWrittenAgainWithoutLosingAPoint) {
  AddSensor(SR102);
  for (int minute : {0, 10, 20}) ManualCycle(Dec7(6, minute, 0));
  std::string bytes = ReadBytes(DayFile());
  bytes.resize(bytes.rfind("MD_BGN\n") + 7 + 1000);   // a power cut inside the last spectrum
  WriteBytes(DayFile(), bytes);
  // What a crash during a whole write leaves goes at the next start; a look-alike stays.
  const std::string leftover = Settings.KrfFolder + "2026/.20261207.KRF.spectrel-tmp-4242-0";
  const std::string lookAlike = Settings.KrfFolder + "2026/20261207.KRF.~4242.0";
  WriteBytes(leftover, "x");
  WriteBytes(lookAlike, "x");
  ManualCycle(Dec7(6, 30, 0));
  EXPECT_FALSE(Exists(leftover));
  EXPECT_TRUE(Exists(lookAlike));
  EXPECT_EQ(ReadBytes(DayFile() + ".unreadable-1"), bytes);
  const CKrfData day = Day();
  ASSERT_EQ(day.RadCount(), 4);
  EXPECT_EQ(day.Rad(2).MeasureTime, Dec7(6, 20, 0));
  EXPECT_EQ(day.Rad(2).Block(SR102), nullptr);   // its cut spectrum is not kept as garbage
  EXPECT_EQ(day.Rad(3).MeasureTime, Dec7(6, 30, 0));
  EXPECT_EQ(day.Rad(3).Block(SR102)->Light, Doc->Driver(SR102).Measurement.Light);
  EXPECT_NE(Log().find("2026/12/07,06:30:00,ERROR KRF TAIL\r\n"), std::string::npos) << Log();
}

TEST_F(CycleTest, StopHandledBeforeTheQueuedCycleStillStoresItOnce) {
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  ASSERT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Started);
  auto first = Host.Next(5s);   // the run's cycle-done, handled after a stop ("Abort")
  ASSERT_EQ(first, WorkerMessage::CycleDone);
  EXPECT_TRUE(doc.HandleMessage(WorkerMessage::StopRequest));
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
  EXPECT_FALSE(doc.HandleMessage(*first));   // already completed
  Host.PumpQuiet(doc, 100ms);                // the run's own stop request
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
}

}  // namespace
}  // namespace spectrel::testing
