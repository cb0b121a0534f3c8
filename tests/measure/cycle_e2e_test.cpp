// Whole cycles against simulated sensors over pseudo-terminals: the day file is begun whole,
// grown by appends, rewritten once when a sensor joins, and failures are logged.
#include <cstdio>

#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

// The bytes of one measurement block of the day file, composed from the record's values.
std::string PointBlockBytes(const CRad& rad, const std::string& localTime) {
  std::string out = "DT_KRF,100\nMT," + localTime + "\nMEMO," + rad.Memo + "\nDT_KRF_END\n";
  for (int i = 0; i < ModelCount; ++i) {
    const SensorMeasurement* b = rad.Block(i);
    if (!b) continue;
    const ModelDescription& model = Models[static_cast<size_t>(i)];
    const std::string tag(model.Tag);
    out += "DT_" + tag + ",100\nSN," + b->SerialNo + "\nMT," + TokyoStamp(b->MeasureTime) + "\nET," +
           std::to_string(b->ExposureMs) + "\nSS";
    for (int k = 0; k < model.StatusIntCount; ++k) out += "," + std::to_string(b->StatusInt[static_cast<size_t>(k)]);
    for (int k = 0; k < model.StatusFloatCount; ++k) {
      char value[64];
      std::snprintf(value, sizeof value, ",%.1f", static_cast<double>(b->StatusFloat[static_cast<size_t>(k)]));
      out += value;
    }
    out += "\nMD_BGN\n";
    out.append(reinterpret_cast<const char*>(b->Light.data()), b->Light.size() * 4);
    out += "MD_END\nDD_BGN\n";
    out.append(reinterpret_cast<const char*>(b->Dark.data()), b->Dark.size() * 4);
    out += "DD_END\nDT_" + tag + "_END\n";
  }
  return out;
}

class CycleTest : public DocTest {
 protected:
  // Starts interval measurement (every 60 s, all day) at 10:00:30, waits for the status block and
  // spends the first tick, which never measures.
  void StartInterval(const std::string& readyBlock) {
    Settings.Interval = 60;
    Settings.StartTime = 0;
    Settings.EndTime = 86399;
    Clock.Set(Dec7(10, 0, 30));
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
  // Inserts a line the reader skips right after the file header: a whole write drops it.
  void MarkFile(const std::string& mark) {
    std::string bytes = ReadFile(DayFile());
    const size_t end = bytes.find("HD_KRF_END\n");
    ASSERT_NE(end, std::string::npos);
    bytes.insert(end + 11, mark + "\n");
    std::ofstream(DayFile(), std::ios::binary | std::ios::trunc) << bytes;
  }
  CKrfData Day() {
    CKrfData set;
    EXPECT_GT(set.LoadKrf(DayFile()), 0);
    return set;
  }
};

TEST_F(CycleTest, FirstCycleWritesTheDayWholeAndTheSecondAppendsOneBlock) {
  AddSensor(SR102);
  AddSensor(SR104);
  StartInterval("SR-102 READY\nSR-104 READY\n");
  CycleAt(1);
  EXPECT_EQ(Doc->LastDayFile(), DayFile());
  const CKrfData first = Day();
  EXPECT_EQ(first.RadCount(), 1);
  EXPECT_EQ((std::vector<std::string>{first.SiteName, first.SiteLon, first.SiteLat, first.SiteAlt}),
            (std::vector<std::string>{"Tsukuba", "140.125", "36.050", "25.0"}));
  EXPECT_EQ(first.TimeZone, "+9");
  EXPECT_EQ(Settings.TimeZoneText, "+9");
  EXPECT_EQ(first.Info(SR101), nullptr);
  ASSERT_NE(first.Info(SR102), nullptr);
  ASSERT_NE(first.Info(SR104), nullptr);
  EXPECT_EQ(first.Info(SR102)->SerialNo, Doc->Driver(SR102).Info.SerialNo);
  EXPECT_EQ(first.Info(SR104)->Calib, Doc->Driver(SR104).Info.Calib);
  EXPECT_EQ(first.Rad(0).MeasureTime, Dec7(10, 1, 0));
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
  CycleAt(2);
  const std::string after = ReadFile(DayFile());
  ASSERT_GT(after.size(), before.size());
  EXPECT_EQ(after.substr(0, before.size()), before);
  const CKrfData second = Day();
  ASSERT_EQ(second.RadCount(), 2);
  ASSERT_NE(second.Rad(1).Block(SR102), nullptr);
  ASSERT_NE(second.Rad(1).Block(SR104), nullptr);
  const std::string expected = PointBlockBytes(second.Rad(1), "20261207100200");
  EXPECT_EQ(after.size() - before.size(), expected.size());
  EXPECT_TRUE(after.substr(before.size()) == expected);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
  // No CSV was asked for: its folder is never touched.
  EXPECT_FALSE(Exists(Folder + "/csv"));
  EXPECT_EQ(Doc->LastCsvFile(), "");
}

TEST_F(CycleTest, SensorJoiningMidDayRewritesTheFileOnceAndAnUnmeasuredOneAddsNoOldSpectrum) {
  solmet_sim::SimulatedSensor& sr101 = AddSensor(SR101);
  StartInterval("SR-101 READY\n");
  CycleAt(1);
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  ASSERT_EQ(Doc->Driver(SR101).MeasureOk, 1);
  MarkFile("NOTE,dropped by the whole write");

  // SR-103 joins; SR-101 stops answering, so it is not identified but keeps its last spectrum.
  AddSensor(SR103);
  sr101.SetFault(Fault::NoAnswer);
  StartInterval("SR-101 Error(Communication with the sensor failed)\nSR-103 READY\n");
  CycleAt(2);
  EXPECT_EQ(ReadFile(DayFile()).find("NOTE,"), std::string::npos);   // written whole
  CKrfData set = Day();
  ASSERT_EQ(set.RadCount(), 2);
  EXPECT_NE(set.Info(SR101), nullptr);   // still needed by the first point
  EXPECT_NE(set.Info(SR103), nullptr);
  EXPECT_NE(set.Rad(0).Block(SR101), nullptr);
  EXPECT_EQ(set.Rad(0).Block(SR103), nullptr);
  EXPECT_EQ(set.Rad(1).Block(SR101), nullptr);
  EXPECT_NE(set.Rad(1).Block(SR103), nullptr);
  EXPECT_NE(Log().find("2026/12/07,10:02:00,ERROR SR101 MEAS\r\n"), std::string::npos);

  MarkFile("NOTE,kept by the append");
  CycleAt(3);
  EXPECT_NE(ReadFile(DayFile()).find("NOTE,kept by the append\n"), std::string::npos);
  EXPECT_EQ(set.LoadKrf(DayFile()), 5);   // adds to the two already held
}

TEST_F(CycleTest, AllSensorsFailingLogsOneLineEachAndStoresAnEmptyPoint) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR101);
  solmet_sim::SimulatedSensor& b = AddSensor(SR103);
  StartInterval("SR-101 READY\nSR-103 READY\n");
  a.SetFault(Fault::GmWithoutOk);
  b.SetFault(Fault::GmWithoutOk);
  const int beepsBefore = Host.Beeps.load();
  CycleAt(1);
  EXPECT_EQ(Host.Beeps.load() - beepsBefore, 6);   // three attempts per sensor
  EXPECT_EQ(Doc->StatusText(SR101), "Measurement failed");
  EXPECT_EQ(Doc->StatusText(SR103), "Measurement failed");
  EXPECT_EQ(Log(), "2026/12/07,10:00:30,APP START\r\n2026/12/07,10:00:30,INT.MEAS START\r\n"
                   "2026/12/07,10:01:00,ERROR SR101 MEAS\r\n2026/12/07,10:01:00,ERROR SR103 MEAS\r\n");
  const CKrfData set = Day();
  ASSERT_EQ(set.RadCount(), 1);
  EXPECT_FALSE(set.Rad(0).HasAnyBlock());
  EXPECT_NE(set.Info(SR101), nullptr);   // identified all the same
}

TEST_F(CycleTest, HangUpInTheMiddleOfAMeasurementEndsTheCycleWithTheSensorsError) {
  solmet_sim::SimulatedSensor& a = AddSensor(SR102);
  AddSensor(SR103);
  StartInterval("SR-102 READY\nSR-103 READY\n");
  a.SetFault(Fault::HangUp);
  CycleAt(1);
  EXPECT_EQ(Doc->StatusText(SR102), "Measurement failed");
  EXPECT_EQ(Doc->StatusText(SR103), "Measurement OK");
  EXPECT_NE(Log().find("2026/12/07,10:01:00,ERROR SR102 MEAS\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("ERROR SR103"), std::string::npos);
  const CKrfData set = Day();
  ASSERT_EQ(set.RadCount(), 1);
  EXPECT_EQ(set.Rad(0).Block(SR102), nullptr);
  EXPECT_NE(set.Rad(0).Block(SR103), nullptr);
  EXPECT_EQ(Doc->StopMeasurement(), 1);
}

}  // namespace
}  // namespace spectrel::testing
