// spectrel-cli measure, run as the operator runs it: real program, simulated sensors on
// pseudo-terminals, real files in a fresh folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/runner_support.h"
#include "solmet_sim.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

const std::string Cli = SPECTREL_CLI;

// The files a cycle line names follow from its time: DATA/YYYY/YYYYMMDD.KRF and
// DATA/YYYY/YYYYMMDDHH.CSV.
void ExpectFilesNamedAfterCycle(const CycleReport& cycle, const std::string& data) {
  ASSERT_EQ(cycle.Stamp.size(), 19u);
  const std::string y = cycle.Stamp.substr(0, 4);
  const std::string md = cycle.Stamp.substr(5, 2) + cycle.Stamp.substr(8, 2);
  const std::string h = cycle.Stamp.substr(11, 2);
  EXPECT_EQ(cycle.DayFile, data + y + "/" + y + md + ".KRF");
  EXPECT_EQ(cycle.CsvFile, data + y + "/" + y + md + h + ".CSV");
}

TEST(RunnerMeasure, SimulatedDefaultsStoreOnePointOfSr101AndSr103) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  // No sensor in use: the simulation brings SR-101 and SR-103. The ports, the interval type and
  // the comment line must survive untouched on disk.
  const std::string profile =
      "; roof station\r\n[COM]\r\nSR101=3\r\nSR103=/dev/ttyUSB7\r\n[INT]\r\nMEAS_TYPE=0\r\n"
      "[SITE]\r\nNAME=Roof\r\n";
  WriteBytes(tmp.Path + "p.ini", profile);

  const Finished run = RunToEnd({Cli, "measure", "--simulate", "--unpaced", "--data", tmp.Path,
                                 "--profile", tmp.Path + "p.ini", "--verbose"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_EQ(ReadBytes(tmp.Path + "p.ini"), profile);

  // One cycle line, with both sensors and the files named after the cycle's time.
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-101 SR-103");
  ExpectFilesNamedAfterCycle(cycles[0], tmp.Path);
  EXPECT_NE(run.Out.find("simulated SR-101 on /dev/"), std::string::npos);
  EXPECT_NE(run.Out.find("simulated SR-103 on /dev/"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-102"), std::string::npos);
  // Status lines carry a time stamp and appear as the sensors become ready.
  EXPECT_TRUE(std::regex_search(run.Out, std::regex(R"(\n\d{4}/\d\d/\d\d \d\d:\d\d:\d\d SR-101 READY\n)")));
  EXPECT_TRUE(std::regex_search(run.Out, std::regex(R"(\n\d{4}/\d\d/\d\d \d\d:\d\d:\d\d SR-103 READY\n)")));
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;

  // The day file: header from the profile, both information records, one point of both sensors
  // stamped with the cycle's time and the default comment.
  CKrfData day;
  ASSERT_EQ(day.LoadKrf(cycles[0].DayFile), 1);
  EXPECT_EQ(day.SiteName, "Roof");
  EXPECT_EQ(day.SiteLon, "000.000");
  ASSERT_NE(day.Info(SR101), nullptr);
  ASSERT_NE(day.Info(SR103), nullptr);
  EXPECT_EQ(day.Info(SR102), nullptr);
  EXPECT_EQ(day.Info(SR104), nullptr);
  const CRad& point = day.Rad(0);
  EXPECT_EQ(point.MeasureTime, StampTime(cycles[0].Stamp));
  EXPECT_EQ(point.Memo, "Arvena Solmet");
  ASSERT_NE(point.Block(SR101), nullptr);
  ASSERT_NE(point.Block(SR103), nullptr);
  EXPECT_EQ(point.Block(SR102), nullptr);
  EXPECT_EQ(point.Block(SR104), nullptr);
  EXPECT_EQ(point.Block(SR101)->Light.size(), 1024u);
  EXPECT_EQ(point.Block(SR103)->Light.size(), 512u);

  EXPECT_GT(ReadBytes(cycles[0].CsvFile).size(), 0u);

  // The event log: start, measurement start and stop, close, each "\r\n"-terminated.
  const std::vector<std::string> log = LogMessages(ReadBytes(CurrentLogPath(tmp.Path)));
  EXPECT_EQ(log, (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP",
                                           "APP CLOSE"}));
  EXPECT_NE(run.Out.find("event log: " + CurrentLogPath(tmp.Path)), std::string::npos);
}

TEST(RunnerMeasure, SimulatesTheModelsInUseAndLeavesTheirPortsInTheProfile) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  const std::string profile =
      "[COM]\nSR102=/dev/ttyS77\nSR104=9\n[USE]\nSR102=1\nSR104=1\n[SAVE]\nCSV=0\n";
  WriteBytes(tmp.Path + "p.ini", profile);
  // A zone five and a half hours east: the day file's zone text is "+5".
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  ::setenv("TZ", "IST-5:30", 1);
  ::tzset();
  const Finished run = RunToEnd({Cli, "measure", "--simulate", "--unpaced", "--data",
                                 tmp.Path + "data", "--profile", tmp.Path + "p.ini"});
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  CKrfData day;
  const int loaded = cycles.size() == 1 ? day.LoadKrf(cycles[0].DayFile) : -99;
  const std::int64_t cycleTime = cycles.size() == 1 ? StampTime(cycles[0].Stamp) : -1;
  if (oldTz) {
    ::setenv("TZ", savedTz.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();

  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_EQ(ReadBytes(tmp.Path + "p.ini"), profile);
  EXPECT_NE(run.Out.find("simulated SR-102 on /dev/"), std::string::npos);
  EXPECT_NE(run.Out.find("simulated SR-104 on /dev/"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-101"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-103"), std::string::npos);
  EXPECT_NE(run.Out.find("CSV files: off"), std::string::npos);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-102 SR-104");
  // --data without a final '/' still gives the year folder inside it; CSV is off.
  const std::string y = cycles[0].Stamp.substr(0, 4);
  EXPECT_EQ(cycles[0].DayFile.rfind(tmp.Path + "data/" + y + "/" + y, 0), 0u) << cycles[0].DayFile;
  EXPECT_EQ(cycles[0].CsvFile, "not written");
  ASSERT_EQ(loaded, 1);
  EXPECT_EQ(day.TimeZone, "+5");
  EXPECT_EQ(day.Rad(0).MeasureTime, cycleTime);
  ASSERT_NE(day.Rad(0).Block(SR102), nullptr);
  ASSERT_NE(day.Rad(0).Block(SR104), nullptr);
  EXPECT_EQ(day.Rad(0).Block(SR101), nullptr);
  EXPECT_EQ(day.Rad(0).Block(SR103), nullptr);
  EXPECT_EQ(day.Rad(0).Block(SR102)->Light.size(), 2048u);
  EXPECT_EQ(day.Rad(0).Block(SR104)->Light.size(), 256u);
  // No CSV folder content at all: only the day file's year folder and the log.
  std::size_t csvFiles = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp.Path + "data")) {
    if (entry.path().extension() == ".CSV") ++csvFiles;
  }
  EXPECT_EQ(csvFiles, 0u);
}

TEST(RunnerMeasure, PortThatCannotBeOpenedFailsWithItsStatusText) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  WriteBytes(tmp.Path + "p.ini",
             "[COM]\nSR101=" + tmp.Path + "no-such-tty\n[USE]\nSR101=1\n[DIR]\nKRF=" + tmp.Path +
                 "\nCSV=" + tmp.Path + "\n");
  const Finished run = RunToEnd({Cli, "measure", "--profile", tmp.Path + "p.ini"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 1) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("SR-101 Error(Opening COM Port failed)"), std::string::npos) << run.Out;
  EXPECT_NE(run.Err.find("SR-101 Error(Opening COM Port failed)"), std::string::npos) << run.Err;
  EXPECT_TRUE(CycleReports(run.Out).empty());
  // The folders come from the profile: the log is there, no day file was begun.
  const std::vector<std::string> log = LogMessages(ReadBytes(CurrentLogPath(tmp.Path)));
  EXPECT_EQ(log, (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP",
                                           "APP CLOSE"}));
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.Path)) {
    entries += entry.is_directory() ? 1 : 0;
  }
  EXPECT_EQ(entries, 0u);
}

// A sensor of the station itself (a pseudo-terminal this test owns), named in the profile.
struct StationSensor {
  explicit StationSensor(int model, solmet_sim::Fault fault = solmet_sim::Fault::None)
      : Sensor([&] {
          solmet_sim::SensorConfig config;
          config.Model = model;
          config.FaultKind = fault;
          config.Paced = false;
          return config;
        }()) {}
  solmet_sim::SimulatedSensor Sensor;
};

TEST(RunnerMeasure, ConfiguredPortIsMeasuredWithoutSimulation) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  StationSensor sr103(SR103);
  ASSERT_TRUE(sr103.Sensor.Start());
  WriteBytes(tmp.Path + "p.ini", "[COM]\nSR103=" + sr103.Sensor.DevicePath() +
                                     "\n[USE]\nSR103=1\n[MEAS]\nMEMO=Roof east\n");
  const Finished run =
      RunToEnd({Cli, "measure", "--data", tmp.Path, "--profile", tmp.Path + "p.ini"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_EQ(run.Out.find("simulated"), std::string::npos);
  EXPECT_NE(run.Out.find("SR-103 on port " + sr103.Sensor.DevicePath()), std::string::npos);
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-103");
  ExpectFilesNamedAfterCycle(cycles[0], tmp.Path);
  CKrfData day;
  ASSERT_EQ(day.LoadKrf(cycles[0].DayFile), 1);
  EXPECT_EQ(day.Rad(0).Memo, "Roof east");
  ASSERT_NE(day.Rad(0).Block(SR103), nullptr);
  // The driver asked the sensor itself.
  const std::vector<std::string> commands = sr103.Sensor.Commands();
  EXPECT_FALSE(commands.empty());
}

TEST(RunnerMeasure, WrongModelOnThePortFailsIdentification) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  StationSensor sr101(SR101, solmet_sim::Fault::WrongModelName);
  ASSERT_TRUE(sr101.Sensor.Start());
  const std::string profile = "[COM]\nSR101=" + sr101.Sensor.DevicePath() + "\n[USE]\nSR101=1\n";
  WriteBytes(tmp.Path + "p.ini", profile);
  const Finished run =
      RunToEnd({Cli, "measure", "--data", tmp.Path, "--profile", tmp.Path + "p.ini"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 1) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("SR-101 Error(Sensor Name)"), std::string::npos) << run.Out;
  EXPECT_TRUE(CycleReports(run.Out).empty());
  EXPECT_EQ(ReadBytes(tmp.Path + "p.ini"), profile);
  EXPECT_EQ(LogMessages(ReadBytes(CurrentLogPath(tmp.Path))),
            (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP", "APP CLOSE"}));
}

TEST(RunnerMeasure, SensorWhoseSpectraFailStoresAnEmptyPointAndExitsOne) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  // Identification works; every "SS" status reply is short of values: all three attempts fail.
  StationSensor sr101(SR101, solmet_sim::Fault::SsFewValues);
  ASSERT_TRUE(sr101.Sensor.Start());
  WriteBytes(tmp.Path + "p.ini",
             "[COM]\nSR101=" + sr101.Sensor.DevicePath() + "\n[USE]\nSR101=1\n");
  const Finished run =
      RunToEnd({Cli, "measure", "--data", tmp.Path, "--profile", tmp.Path + "p.ini"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 1) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("SR-101 Measurement failed"), std::string::npos) << run.Out;
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "no sensor");
  CKrfData day;
  ASSERT_EQ(day.LoadKrf(cycles[0].DayFile), 1);
  EXPECT_FALSE(day.Rad(0).HasAnyBlock());
  EXPECT_EQ(LogMessages(ReadBytes(CurrentLogPath(tmp.Path))),
            (std::vector<std::string>{"APP START", "INT.MEAS START", "ERROR SR101 MEAS",
                                      "INT.MEAS STOP", "APP CLOSE"}));
}

TEST(RunnerMeasure, WithoutOptionsReadsTheStationProfileBesideTheProgram) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  // A portable install: the program in a writable folder with the station's "spectrel.ini",
  // which names the data folders; no --profile, no --data.
  const std::string program = tmp.Path + "spectrel-cli";
  std::filesystem::copy_file(Cli, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  const std::string profile = "[DIR]\nKRF=" + tmp.Path + "krf/\nCSV=" + tmp.Path + "csv/\n" +
                              "[USE]\nSR103=1\n[COM]\nSR103=4\n";
  WriteBytes(tmp.Path + "spectrel.ini", profile);
  std::filesystem::create_directories(tmp.Path + "krf");
  const Finished run = RunToEnd({program, "measure", "--simulate", "--unpaced"});
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("profile: " + tmp.Path + "spectrel.ini"), std::string::npos) << run.Out;
  EXPECT_EQ(ReadBytes(tmp.Path + "spectrel.ini"), profile);
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-103");
  EXPECT_EQ(cycles[0].DayFile.rfind(tmp.Path + "krf/", 0), 0u) << cycles[0].DayFile;
  EXPECT_EQ(cycles[0].CsvFile.rfind(tmp.Path + "csv/", 0), 0u) << cycles[0].CsvFile;
  EXPECT_TRUE(std::filesystem::exists(cycles[0].DayFile));
  EXPECT_TRUE(std::filesystem::exists(cycles[0].CsvFile));
  EXPECT_EQ(LogMessages(ReadBytes(CurrentLogPath(tmp.Path + "krf/"))),
            (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP", "APP CLOSE"}));
}

}  // namespace
}  // namespace spectrel::runner_test
