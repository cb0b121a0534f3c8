// The yearly event log: byte-exact lines, one file per year, nothing made without the folder.
#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

using EventLogTest = DocTest;

TEST_F(EventLogTest, LinesAreStampedMessagesInTheFileOfTheirYear) {
  CSpectrelDoc& doc = MakeDoc();
  const std::string start = "2026/12/07,05:58:00,APP START\r\n";
  EXPECT_EQ(Log(), start);
  Clock.Set(Tokyo(2026, 12, 31, 23, 59, 59));
  EXPECT_TRUE(doc.WriteLog("INT.MEAS STOP"));
  EXPECT_TRUE(doc.WriteLog("a,b ;x"));   // written unchanged
  Clock.Advance(1);
  EXPECT_TRUE(doc.WriteLog("INT.MEAS START"));
  Clock.Set(Tokyo(2027, 1, 2, 3, 4, 5));
  Doc.reset();
  EXPECT_EQ(Log(2026), start + "2026/12/31,23:59:59,INT.MEAS STOP\r\n2026/12/31,23:59:59,a,b ;x\r\n");
  EXPECT_EQ(Log(2027), "2027/01/01,00:00:00,INT.MEAS START\r\n2027/01/02,03:04:05,APP CLOSE\r\n");
  EXPECT_TRUE(Host.States.empty());   // no measurement was ever shown
}

TEST_F(EventLogTest, AMissingDataFolderSendsLinesToStandardErrorCreatingNothing) {
  Settings.KrfFolder = Folder + "/absent/";
  ::testing::internal::CaptureStderr();
  CSpectrelDoc& doc = MakeDoc();
  EXPECT_FALSE(doc.WriteLog("INT.MEAS START"));
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("event log not written: " + Folder + "/absent/2026.LOG: No such file or directory: "
                      "INT.MEAS START\n"), std::string::npos) << said;
  Doc.reset();
  EXPECT_FALSE(Exists(Folder + "/absent"));
}

}  // namespace
}  // namespace spectrel::testing
