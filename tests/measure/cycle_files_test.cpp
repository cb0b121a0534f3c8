// Cycle completion and its files: unreadable day files kept aside, a cycle finished after
// midnight, the hourly CSV file and the save errors.
#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

class CycleFilesTest : public DocTest {
 protected:
  // One manual measurement at time t, completed and stopped.
  void ManualCycle(std::int64_t t) {
    Clock.Set(t);
    if (!Doc) MakeDoc();
    Doc->OnStartManual();
    ASSERT_EQ(PollManual(), CSpectrelDoc::ManualPoll::Started);
    ASSERT_TRUE(Host.PumpUntil(*Doc, [&] { return !Doc->Measuring(); }, 20s));
  }
  void WriteDayFile(const std::string& bytes) {
    std::filesystem::create_directories(Settings.KrfFolder + "2026");
    std::ofstream(DayFile(), std::ios::binary | std::ios::trunc) << bytes;
  }
};

TEST_F(CycleFilesTest, UnreadableDayFilesAreKeptAsideAndTheDayGoesOnInANewFile) {
  AddSensor(SR104);
  const std::string badFirstLine = "HD_KRF;100\nSITE,Old site\nHD_KRF_END\nDT_KRF,100\nMT,20261207050000\n";
  WriteDayFile(badFirstLine);
  ManualCycle(Dec7(5, 58, 0));
  EXPECT_EQ(ReadFile(DayFile() + ".unreadable-1"), badFirstLine);
  CKrfData set;
  ASSERT_EQ(set.LoadKrf(DayFile()), 1);
  EXPECT_EQ(set.SiteName, "Tsukuba");
  EXPECT_EQ(set.TimeZone, "+9");
  EXPECT_NE(set.Info(SR104), nullptr);
  EXPECT_NE(set.Rad(0).Block(SR104), nullptr);
  EXPECT_NE(Log().find("2026/12/07,05:58:00,ERROR KRF LOAD\r\n"), std::string::npos);

  // A time stamp that is no date: the points before it are read, then the reader gives up.
  const std::string badTime =
      "HD_KRF,100\nSITE,Old site\nLON,1\nLAT,2\nALT,3\nTZ,+9\nHD_KRF_END\n"
      "DT_KRF,100\nMT,20261207060000\nMEMO,kept\nDT_KRF_END\n"
      "DT_KRF,100\nMT,20261399060000\nMEMO,bad\nDT_KRF_END\n";
  WriteDayFile(badTime);
  ManualCycle(Dec7(6, 30, 0));
  EXPECT_EQ(ReadFile(DayFile() + ".unreadable-1"), badFirstLine);
  EXPECT_EQ(ReadFile(DayFile() + ".unreadable-2"), badTime);
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(6, 30, 0)});
  EXPECT_NE(Log().find("2026/12/07,06:30:00,ERROR KRF LOAD\r\n"), std::string::npos);

  // The new file is read normally at the next cycle and grows by an append.
  ManualCycle(Dec7(7, 0, 0));
  EXPECT_EQ(Stored(DayFile()), (std::vector<std::int64_t>{Dec7(6, 30, 0), Dec7(7, 0, 0)}));
  EXPECT_FALSE(Exists(DayFile() + ".unreadable-3"));
}

TEST_F(CycleFilesTest, CycleStampedBeforeMidnightGoesToThatDaysFilesWhenCompletedAfter) {
  AddSensor(SR101);
  Settings.SaveCsv = 1;
  Settings.Interval = 30;
  Settings.StartTime = 0;
  Settings.EndTime = 86399;
  Clock.Set(Dec7(23, 59, 10));
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  ASSERT_TRUE(WaitForStatus("SR-101 READY\n"));
  doc.OnIntervalTick();
  Clock.Set(Dec7(23, 59, 30));
  doc.OnIntervalTick();
  ASSERT_EQ(doc.RunsStarted(), 1);
  Clock.Set(Tokyo(2026, 12, 8, 0, 0, 5));
  ASSERT_TRUE(Host.PumpCycle(doc, 20s));

  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(23, 59, 30)});
  EXPECT_FALSE(Exists(Settings.KrfFolder + "2026/20261208.KRF"));
  const std::string csv = Settings.CsvFolder + "2026/2026120723.CSV";
  EXPECT_EQ(doc.LastCsvFile(), csv);
  const std::string text = ReadFile(csv);
  EXPECT_EQ(text.rfind("Date,2026/12/07,\nTime,23:59:30,\nMemo,roof,\nSensor,SR-101,\n", 0), 0u) << text.substr(0, 80);
  EXPECT_FALSE(Exists(Settings.CsvFolder + "2026/2026120800.CSV"));
  EXPECT_EQ(Log().find("ERROR"), std::string::npos);
}

TEST_F(CycleFilesTest, FoldersThatCannotBeMadeGiveSaveErrors) {
  Settings.SaveCsv = 1;
  // Plain files where the year folder and the CSV folder should be.
  std::ofstream(Settings.KrfFolder + "2026") << "x";
  std::ofstream(Folder + "/csvfile") << "x";
  Settings.CsvFolder = Folder + "/csvfile/";
  ManualCycle(Dec7(5, 58, 0));
  EXPECT_NE(Log().find("2026/12/07,05:58:00,ERROR KRF SAVE\r\n"), std::string::npos) << Log();
  EXPECT_NE(Log().find("2026/12/07,05:58:00,ERROR CSV SAVE\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Doc->LastDayFile(), "");
  EXPECT_EQ(Doc->LastCsvFile(), "");
  EXPECT_EQ(Doc->DayData().RadCount(), 1);   // still held for display
}

TEST_F(CycleFilesTest, StopHandledBeforeTheQueuedCycleStillStoresItOnce) {
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  ASSERT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Started);
  // Take the run's messages, but let a stop ("Abort") come first.
  auto first = Host.Next(5s);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, WorkerMessage::CycleDone);
  EXPECT_TRUE(doc.HandleMessage(WorkerMessage::StopRequest));
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
  EXPECT_FALSE(doc.HandleMessage(*first));   // already completed
  Host.PumpQuiet(doc, 100ms);                // the run's own stop request
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
}

}  // namespace
}  // namespace spectrel::testing
