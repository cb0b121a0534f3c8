// The yearly event log: byte-exact lines, one file per year, nothing made without the folder.
#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

class EventLogTest : public DocTest {};

TEST_F(EventLogTest, ProgramStartAndEndWriteOneLineEach) {
  MakeDoc();
  EXPECT_EQ(Log(), "2026/12/07,05:58:00,APP START\r\n");
  Clock.Set(Tokyo(2026, 12, 7, 18, 4, 9));
  Doc.reset();
  EXPECT_EQ(Log(), "2026/12/07,05:58:00,APP START\r\n2026/12/07,18:04:09,APP CLOSE\r\n");
  // The dialog was never shown without a measurement.
  for (const std::string& call : Host.CallList()) EXPECT_NE(call, "ShowIntervalDialog(true)");
}

TEST_F(EventLogTest, MessageIsWrittenUnchangedAfterDateAndTime) {
  CSpectrelDoc& doc = MakeDoc();
  Clock.Set(Tokyo(2026, 1, 2, 3, 4, 5));
  EXPECT_EQ(doc.WriteLog("INT.MEAS START"), 1);
  EXPECT_EQ(doc.WriteLog("a,b ;x"), 1);
  EXPECT_EQ(Log(), "2026/12/07,05:58:00,APP START\r\n"
                   "2026/01/02,03:04:05,INT.MEAS START\r\n"
                   "2026/01/02,03:04:05,a,b ;x\r\n");
}

TEST_F(EventLogTest, LastSecondOfYearGoesToThatYearsFileAndNewYearStartsANewOne) {
  CSpectrelDoc& doc = MakeDoc();
  const std::string before2026 = Log(2026);
  Clock.Set(Tokyo(2026, 12, 31, 23, 59, 59));
  doc.WriteLog("INT.MEAS STOP");
  Clock.Advance(1);
  doc.WriteLog("INT.MEAS START");
  EXPECT_EQ(Log(2026), before2026 + "2026/12/31,23:59:59,INT.MEAS STOP\r\n");
  EXPECT_EQ(Log(2027), "2027/01/01,00:00:00,INT.MEAS START\r\n");
}

TEST_F(EventLogTest, MissingDataFolderDropsLinesAndCreatesNothing) {
  Settings.KrfFolder = Folder + "/absent/";
  CSpectrelDoc& doc = MakeDoc();
  EXPECT_EQ(doc.WriteLog("INT.MEAS START"), 0);
  EXPECT_EQ(doc.WriteLog("ERROR KRF SAVE"), 0);
  EXPECT_FALSE(Exists(Folder + "/absent"));
}

TEST_F(EventLogTest, FolderWithoutSeparatorJoinsTheYearToItsName) {
  Settings.KrfFolder = Folder + "/log";
  CSpectrelDoc& doc = MakeDoc();
  doc.WriteLog("X");
  EXPECT_EQ(ReadFile(Folder + "/log2026.LOG"), "2026/12/07,05:58:00,APP START\r\n2026/12/07,05:58:00,X\r\n");
}

}  // namespace
}  // namespace spectrel::testing
