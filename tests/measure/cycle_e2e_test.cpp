// Whole cycles against simulated sensors over pseudo-terminals: the day file is begun whole,
// grown by appends, rewritten once when a sensor joins, and failures are logged.
#include <cstring>

#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

using namespace std::chrono_literals;
using solmet_sim::Fault;

// The bytes of one measurement block of the day file, composed from the record's values.
std::string PointBlockBytes(const CRad& rad, const std::string& localTime, const std::vector<std::string>& sensorTimes) {
  std::string out = "DT_KRF,100\nMT," + localTime + "\nMEMO," + rad.Memo + "\nDT_KRF_END\n";
  size_t timeIndex = 0;
  for (int i = 0; i < ModelCount; ++i) {
    const SensorMeasurement* b = rad.Block(i);
    if (!b) continue;
    const std::string tag(Models[static_cast<size_t>(i)].Tag);
    char line[256];
    out += "DT_" + tag + ",100\nSN," + b->SerialNo + "\nMT," + sensorTimes[timeIndex++] + "\n";
    out += "ET," + std::to_string(b->ExposureMs) + "\nSS";
    for (int k = 0; k < Models[static_cast<size_t>(i)].StatusIntCount; ++k) out += "," + std::to_string(b->StatusInt[static_cast<size_t>(k)]);
    for (int k = 0; k < Models[static_cast<size_t>(i)].StatusFloatCount; ++k) {
      std::snprintf(line, sizeof line, ",%.1f", static_cast<double>(b->StatusFloat[static_cast<size_t>(k)]));
      out += line;
    }
    out += "\nMD_BGN\n";
    out.append(reinterpret_cast<const char*>(b->Light.data()), b->Light.size() * 4);
    out += "MD_END\nDD_BGN\n";
    out.append(reinterpret_cast<const char*>(b->Dark.data()), b->Dark.size() * 4);
    out += "DD_END\nDT_" + tag + "_END\n";
  }
  return out;
}

class CycleTest : public SimDocTest {
 protected:
  // Starts interval measurement (interval 60 s) at 10:00:30 and waits for the status block.
  void StartInterval(const std::string& readyBlock) {
    Settings.Interval = 60;
    Settings.StartTime = 0;
    Settings.EndTime = 86399;
    Clock.Set(Tokyo(2026, 12, 7, 10, 0, 30));
    if (!Doc) MakeDoc();
    Doc->OnStartInterval();
    ASSERT_TRUE(WaitForStatus(readyBlock)) << Host.Status();
    Doc->OnIntervalTick();
  }
  // One tick at t that must start a run, and the completion of that cycle.
  void CycleAt(std::int64_t t) {
    const std::int64_t runs = Doc->RunsStarted();
    Clock.Set(t);
    Doc->OnIntervalTick();
    ASSERT_EQ(Doc->RunsStarted(), runs + 1);
    ASSERT_TRUE(Host.PumpCycle(*Doc, 30s));
  }
  std::string DayFile() const { return Settings.KrfFolder + "2026/20261207.KRF"; }
  // Inserts a line the reader skips right after the file header: a whole write drops it.
  void MarkFile(const std::string& mark) {
    std::string bytes = ReadFile(DayFile());
    const size_t end = bytes.find("HD_KRF_END\n");
    ASSERT_NE(end, std::string::npos);
    bytes.insert(end + 11, mark + "\n");
    std::ofstream(DayFile(), std::ios::binary | std::ios::trunc) << bytes;
  }
};

TEST_F(CycleTest, FirstCycleWritesTheDayWholeAndTheSecondAppendsOneBlock) {
  AddSensor(SR102);
  AddSensor(SR104);
  StartInterval("SR-102 READY\nSR-104 READY\n");
  CycleAt(Tokyo(2026, 12, 7, 10, 1, 0));

  EXPECT_EQ(Doc->LastDayFile(), DayFile());
  CKrfData first;
  ASSERT_EQ(first.LoadKrf(DayFile()), 1);
  EXPECT_EQ(first.SiteName, "Tsukuba");
  EXPECT_EQ(first.SiteLon, "140.125");
  EXPECT_EQ(first.SiteLat, "36.050");
  EXPECT_EQ(first.SiteAlt, "25.0");
  EXPECT_EQ(first.TimeZone, "+9");
  EXPECT_EQ(Settings.TimeZoneText, "+9");
  EXPECT_EQ(first.Info(SR101), nullptr);
  ASSERT_NE(first.Info(SR102), nullptr);
  ASSERT_NE(first.Info(SR104), nullptr);
  EXPECT_EQ(first.Info(SR102)->SerialNo, Doc->Driver(SR102).Info.SerialNo);
  EXPECT_EQ(first.Info(SR104)->Calib, Doc->Driver(SR104).Info.Calib);
  EXPECT_EQ(first.Rad(0).MeasureTime, Tokyo(2026, 12, 7, 10, 1, 0));
  EXPECT_EQ(first.Rad(0).Memo, "roof");
  ASSERT_NE(first.Rad(0).Block(SR102), nullptr);
  EXPECT_EQ(first.Rad(0).Block(SR102)->Light, Doc->Driver(SR102).Measurement.Light);
  EXPECT_NE(first.Rad(0).Block(SR104), nullptr);
  EXPECT_EQ(Doc->DayData().RadCount(), 1);
  EXPECT_GE(Host.Views(), 1);
  EXPECT_EQ(Doc->MemoText(), "roof");
  EXPECT_FALSE(Doc->DisplaySpectrum().Empty());

  MarkFile("NOTE,appends keep this line");
  const std::string before = ReadFile(DayFile());
  CycleAt(Tokyo(2026, 12, 7, 10, 2, 0));
  const std::string after = ReadFile(DayFile());
  ASSERT_GT(after.size(), before.size());
  EXPECT_EQ(after.substr(0, before.size()), before);

  CKrfData second;
  ASSERT_EQ(second.LoadKrf(DayFile()), 2);
  const CRad& rad = second.Rad(1);
  ASSERT_NE(rad.Block(SR102), nullptr);
  ASSERT_NE(rad.Block(SR104), nullptr);
  const std::string expected = PointBlockBytes(
      rad, "20261207100200",
      {TokyoStamp(rad.Block(SR102)->MeasureTime), TokyoStamp(rad.Block(SR104)->MeasureTime)});
  EXPECT_EQ(after.size() - before.size(), expected.size());
  EXPECT_TRUE(after.substr(before.size()) == expected);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
  // No CSV was asked for.
  EXPECT_FALSE(Exists(Folder + "/csv"));
  EXPECT_EQ(Doc->LastCsvFile(), "");
}

TEST_F(CycleTest, SensorJoiningMidDayRewritesTheFileOnce) {
  AddSensor(SR101);
  StartInterval("SR-101 READY\n");
  CycleAt(Tokyo(2026, 12, 7, 10, 1, 0));
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  MarkFile("NOTE,dropped by the whole write");

  AddSensor(SR103);
  StartInterval("SR-101 READY\nSR-103 READY\n");
  CycleAt(Tokyo(2026, 12, 7, 10, 2, 0));
  std::string bytes = ReadFile(DayFile());
  EXPECT_EQ(bytes.find("NOTE,"), std::string::npos);   // written whole
  CKrfData set;
  ASSERT_EQ(set.LoadKrf(DayFile()), 2);
  EXPECT_NE(set.Info(SR101), nullptr);
  EXPECT_NE(set.Info(SR103), nullptr);
  EXPECT_EQ(set.Rad(0).Block(SR103), nullptr);
  EXPECT_NE(set.Rad(1).Block(SR101), nullptr);
  EXPECT_NE(set.Rad(1).Block(SR103), nullptr);

  MarkFile("NOTE,kept by the append");
  CycleAt(Tokyo(2026, 12, 7, 10, 3, 0));
  bytes = ReadFile(DayFile());
  EXPECT_NE(bytes.find("NOTE,kept by the append\n"), std::string::npos);
  EXPECT_EQ(set.LoadKrf(DayFile()), 5);   // adds to the two already held
}

TEST_F(CycleTest, AllSensorsFailingLogsOneLineEachAndStoresAnEmptyPoint) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR101);
  solmet_sim::SimulatedSensor& b = AddSensor(SR103);
  StartInterval("SR-101 READY\nSR-103 READY\n");
  a.SetFault(Fault::GmWithoutOk);
  b.SetFault(Fault::GmWithoutOk);
  const int beepsBefore = Host.Beeps.load();
  CycleAt(Tokyo(2026, 12, 7, 10, 1, 0));
  EXPECT_EQ(Host.Beeps.load() - beepsBefore, 6);   // three retries per sensor
  EXPECT_EQ(Doc->StatusText(SR101), "Measurement failed");
  EXPECT_EQ(Doc->StatusText(SR103), "Measurement failed");
  EXPECT_EQ(Log(), "2026/12/07,10:00:30,APP START\r\n2026/12/07,10:00:30,INT.MEAS START\r\n"
                   "2026/12/07,10:01:00,ERROR SR101 MEAS\r\n2026/12/07,10:01:00,ERROR SR103 MEAS\r\n");
  CKrfData set;
  ASSERT_EQ(set.LoadKrf(DayFile()), 1);
  EXPECT_FALSE(set.Rad(0).HasAnyBlock());
  EXPECT_NE(set.Info(SR101), nullptr);   // identified all the same
}

TEST_F(CycleTest, SensorNotMeasuredInThisRunAddsNoOldSpectrum) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR101);
  StartInterval("SR-101 READY\n");
  CycleAt(Tokyo(2026, 12, 7, 10, 1, 0));
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  ASSERT_EQ(Doc->Driver(SR101).MeasureOk, 1);

  a.SetFault(Fault::NoAnswer);   // identification now fails; the driver keeps its last spectrum
  StartInterval("SR-101 Error(Communication with the sensor failed)\n");
  CycleAt(Tokyo(2026, 12, 7, 10, 2, 0));
  CKrfData set;
  ASSERT_EQ(set.LoadKrf(DayFile()), 2);
  EXPECT_NE(set.Rad(0).Block(SR101), nullptr);
  EXPECT_EQ(set.Rad(1).Block(SR101), nullptr);
  EXPECT_NE(Log().find("2026/12/07,10:02:00,ERROR SR101 MEAS\r\n"), std::string::npos);
}

TEST_F(CycleTest, HangUpInTheMiddleOfAMeasurementEndsTheCycleWithTheSensorsError) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR102);
  AddSensor(SR103);
  StartInterval("SR-102 READY\nSR-103 READY\n");
  a.SetFault(Fault::HangUp);
  CycleAt(Tokyo(2026, 12, 7, 10, 1, 0));
  EXPECT_EQ(Doc->StatusText(SR102), "Measurement failed");
  EXPECT_EQ(Doc->StatusText(SR103), "Measurement OK");
  const std::string log = Log();
  EXPECT_NE(log.find("2026/12/07,10:01:00,ERROR SR102 MEAS\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("ERROR SR103"), std::string::npos);
  CKrfData set;
  ASSERT_EQ(set.LoadKrf(DayFile()), 1);
  EXPECT_EQ(set.Rad(0).Block(SR102), nullptr);
  EXPECT_NE(set.Rad(0).Block(SR103), nullptr);
  EXPECT_EQ(Doc->StopMeasurement(), 1);
}

}  // namespace
}  // namespace spectrel::testing
