// spectrel-cli measure and probe, run as the operator runs them: real program, simulated sensors on
// pseudo-terminals, real files in a fresh folder.
#include "cli/runner_support.h"
#include "solmet_sim.h"
#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

using solmet_sim::Fault;

// A sensor of the station itself, on a pseudo-terminal this test owns.
std::unique_ptr<solmet_sim::SimulatedSensor> StationSensor(int model, Fault fault = Fault::None) {
  solmet_sim::SensorConfig config;
  config.Model = model;
  config.FaultKind = fault;
  config.Paced = false;
  config.Serial = "P103";
  auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
  EXPECT_TRUE(sensor->Start());
  return sensor;
}

// The files a cycle line names follow from its time: KRF/YYYY/YYYYMMDD.KRF and CSV/YYYY/YYYYMMDDHH.CSV.
void ExpectFilesNamedAfterCycle(const CycleReport& cycle, const std::string& krf, const std::string& csv) {
  ASSERT_EQ(cycle.Stamp.size(), 19u);
  const std::string y = cycle.Stamp.substr(0, 4);
  const std::string day = y + "/" + y + cycle.Stamp.substr(5, 2) + cycle.Stamp.substr(8, 2);
  EXPECT_EQ(cycle.DayFile, krf + day + ".KRF");
  EXPECT_EQ(cycle.CsvFile, csv + day + cycle.Stamp.substr(11, 2) + ".CSV");
}

// Which of the four models have a block in the point (or an information record when info).
std::string Present(const CKrfData& day, int point, bool info = false) {
  std::string models;
  for (int m = SR101; m <= SR104; ++m)
    if (info ? day.Info(m) != nullptr : day.Rad(point).Block(m) != nullptr)
      models += Models[static_cast<size_t>(m)].Name;
  return models;
}

using RunnerMeasure = CliTest;

TEST_F(RunnerMeasure, SimulatedDefaultsWithTheStationProfileBesideTheProgram) {
  // A portable install: the program in a writable folder with the station's "spectrel.ini", which
  // names the data folders; no --profile, no --data. No sensor in use: the simulation brings SR-101
  // and SR-103. The ports, the interval type and the comment line must survive untouched on disk.
  const std::string program = Dir + "spectrel-cli";
  std::filesystem::copy_file(Cli, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  const std::string profile = "; roof station\r\n[COM]\r\nSR101=3\r\nSR103=/dev/ttyUSB7\r\n[INT]\r\nMEAS_TYPE=0\r\n"
                              "[SITE]\r\nNAME=Roof\r\n[DIR]\r\nKRF=" + Dir + "krf/\r\nCSV=" + Dir + "csv/\r\n";
  WriteBytes(Dir + "spectrel.ini", profile);
  std::filesystem::create_directories(Dir + "krf");
  const Finished run = RunCli({program, "measure", "--simulate", "--unpaced", "--verbose"});
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("profile: " + Dir + "spectrel.ini"), std::string::npos) << run.Out;
  EXPECT_EQ(ReadBytes(Dir + "spectrel.ini"), profile);
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-101 SR-103");
  ExpectFilesNamedAfterCycle(cycles[0], Dir + "krf/", Dir + "csv/");
  EXPECT_NE(run.Out.find("simulated SR-101 on /dev/"), std::string::npos);
  EXPECT_NE(run.Out.find("simulated SR-103 on /dev/"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-102"), std::string::npos);
  // Status lines carry a time stamp and appear as the sensors become ready.
  EXPECT_TRUE(std::regex_search(run.Out, std::regex(R"(\n\d{4}/\d\d/\d\d \d\d:\d\d:\d\d SR-101 READY\n)")));
  EXPECT_TRUE(std::regex_search(run.Out, std::regex(R"(\n\d{4}/\d\d/\d\d \d\d:\d\d:\d\d SR-103 READY\n)")));
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("event log: " + LogPath(Dir + "krf/")), std::string::npos);
  EXPECT_EQ(LogMessages(Dir + "krf/"), CleanLog);

  // Header from the profile, both information records, one point stamped with the cycle's time.
  CKrfData day;
  ASSERT_EQ(LoadKrf(day, cycles[0].DayFile), 1);
  EXPECT_EQ(day.SiteName, "Roof");
  EXPECT_EQ(day.SiteLon, "000.000");
  EXPECT_EQ(Present(day, 0, true), "SR-101SR-103");
  EXPECT_EQ(Present(day, 0), "SR-101SR-103");
  EXPECT_EQ(day.Rad(0).MeasureTime, StampTime(cycles[0].Stamp));
  EXPECT_EQ(day.Rad(0).Memo, "Arvena Solmet");
  EXPECT_EQ(day.Rad(0).Block(SR101)->Light.size(), 1024u);
  EXPECT_EQ(day.Rad(0).Block(SR103)->Light.size(), 512u);
  EXPECT_GT(ReadBytes(cycles[0].CsvFile).size(), 0u);
}

TEST_F(RunnerMeasure, SimulatesTheModelsInUseAndLeavesTheirPortsInTheProfile) {
  const std::string profile = "[COM]\nSR102=/dev/ttyS77\nSR104=9\n[USE]\nSR102=1\nSR104=1\n[SAVE]\nCSV=0\n";
  WriteBytes(Dir + "p.ini", profile);
  // A zone five and a half hours east: the day file's zone text is "+5".
  const Finished run = RunCli(
      {Cli, "measure", "--simulate", "--unpaced", "--data", Dir + "data", "--profile", Dir + "p.ini"}, {"TZ=IST-5:30"});
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  EXPECT_EQ(ReadBytes(Dir + "p.ini"), profile);
  EXPECT_NE(run.Out.find("simulated SR-102 on /dev/"), std::string::npos);
  EXPECT_NE(run.Out.find("simulated SR-104 on /dev/"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-101"), std::string::npos);
  EXPECT_EQ(run.Out.find("simulated SR-103"), std::string::npos);
  EXPECT_NE(run.Out.find("CSV files: off"), std::string::npos);
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_EQ(cycles.size(), 1u) << run.Out;
  EXPECT_EQ(cycles[0].Sensors, "SR-102 SR-104");
  // --data without a final '/' still gives the year folder inside it; CSV is off.
  const std::string y = cycles[0].Stamp.substr(0, 4);
  EXPECT_EQ(cycles[0].DayFile.rfind(Dir + "data/" + y + "/" + y, 0), 0u) << cycles[0].DayFile;
  EXPECT_EQ(cycles[0].CsvFile, "not written");
  CKrfData day;
  ASSERT_EQ(LoadKrf(day, cycles[0].DayFile), 1);
  EXPECT_EQ(day.TimeZone, "+5");
  EXPECT_EQ(day.Rad(0).MeasureTime, StampTime(cycles[0].Stamp));   // both read in this process's zone
  EXPECT_EQ(Present(day, 0), "SR-102SR-104");
  EXPECT_EQ(day.Rad(0).Block(SR102)->Light.size(), 2048u);
  EXPECT_EQ(day.Rad(0).Block(SR104)->Light.size(), 256u);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir))
    EXPECT_NE(entry.path().extension(), ".CSV") << entry.path();
}

TEST_F(RunnerMeasure, PortThatCannotBeOpenedFailsWithItsStatusText) {
  WriteBytes(Dir + "p.ini",
             "[COM]\nSR101=" + Dir + "no-such-tty\n[USE]\nSR101=1\n[DIR]\nKRF=" + Dir + "\nCSV=" + Dir + "\n");
  const Finished run = RunCli({Cli, "measure", "--profile", Dir + "p.ini"});
  EXPECT_EQ(run.Exit, 1) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("SR-101 Error(Opening COM Port failed)"), std::string::npos) << run.Out;
  EXPECT_NE(run.Err.find("SR-101 Error(Opening COM Port failed)"), std::string::npos) << run.Err;
  EXPECT_TRUE(CycleReports(run.Out).empty());
  // The folders come from the profile: the log is there, no day file was begun.
  EXPECT_EQ(LogMessages(Dir), CleanLog);
  for (const auto& entry : std::filesystem::directory_iterator(Dir)) EXPECT_FALSE(entry.is_directory()) << entry.path();
}

TEST_F(RunnerMeasure, SensorOnAConfiguredPortIsMeasuredOrItsFailureReported) {
  struct Case {
    int Model;
    Fault FaultKind;
    int Exit;
    const char* Line;                  // a status line printed
    size_t Cycles;                     // cycle lines printed
    const char* Stored;                // models stored in the point
    std::vector<std::string> Log;      // event log messages
  };
  const Case cases[] = {
      {SR103, Fault::None, 0, "SR-103 Measurement OK", 1, "SR-103", CleanLog},
      {SR101, Fault::WrongModelName, 1, "SR-101 Error(Sensor Name)", 0, "", CleanLog},
      // Identification works; every "SS" status reply is short of values: all three attempts fail.
      {SR101, Fault::SsFewValues, 1, "SR-101 Measurement failed", 1, "",
       {"APP START", "INT.MEAS START", "ERROR SR101 MEAS", "INT.MEAS STOP", "APP CLOSE"}},
  };
  for (const Case& c : cases) {
    const std::string name(Models[static_cast<size_t>(c.Model)].Tag);
    SCOPED_TRACE(c.Line);
    const std::string data = Dir + std::to_string(&c - cases) + "/";
    std::filesystem::create_directories(data);
    const auto sensor = StationSensor(c.Model, c.FaultKind);
    const std::string profile =
        "[COM]\n" + name + "=" + sensor->DevicePath() + "\n[USE]\n" + name + "=1\n[MEAS]\nMEMO=Roof east\n";
    WriteBytes(data + "p.ini", profile);
    const Finished run = RunCli({Cli, "measure", "--data", data, "--profile", data + "p.ini"});
    EXPECT_EQ(run.Exit, c.Exit) << run.Out << run.Err;
    EXPECT_NE(run.Out.find(std::string(c.Line) + "\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find(std::string(Models[static_cast<size_t>(c.Model)].Name) + " on port " + sensor->DevicePath()),
              std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("simulated"), std::string::npos);
    EXPECT_EQ(ReadBytes(data + "p.ini"), profile);
    EXPECT_EQ(LogMessages(data), c.Log);
    const std::vector<CycleReport> cycles = CycleReports(run.Out);
    ASSERT_EQ(cycles.size(), c.Cycles) << run.Out;
    if (cycles.empty()) continue;
    EXPECT_EQ(cycles[0].Sensors, *c.Stored ? c.Stored : "no sensor");
    ExpectFilesNamedAfterCycle(cycles[0], data, data);
    CKrfData day;
    ASSERT_EQ(LoadKrf(day, cycles[0].DayFile), 1);
    EXPECT_EQ(Present(day, 0), c.Stored);
    EXPECT_EQ(day.Rad(0).Memo, "Roof east");
  }
}

TEST_F(RunnerMeasure, ProbeIdentifiesAndMeasuresOneSensorOrSaysWhyNot) {
  const auto sr103 = StationSensor(SR103);
  const std::string port = sr103->DevicePath();
  Finished run = RunCli({Cli, "probe", "--model", "SR-103", "--port", port});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  // Labels are padded to 19 columns.
  const std::string head = "Model:             SR-103\nPort:              " + port + "\nSerial number:     P103\n";
  EXPECT_EQ(run.Out.rfind(head, 0), 0u) << run.Out;
  EXPECT_NE(run.Out.find("\nResult:            Measurement OK\n"), std::string::npos) << run.Out;

  const auto wrong = StationSensor(SR101, Fault::WrongModelName);
  run = RunCli({Cli, "probe", "--model=SR101", "--port", wrong->DevicePath(), "--json"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Out.rfind("{\"model\":\"SR-101\",\"port\":\"" + wrong->DevicePath() +
                              "\",\"ok\":false,\"info_status\":4,"
                              "\"status\":\"Error(Sensor Name)\",\"info\":{\"serial\":",
                          0),
            0u) << run.Out;
  EXPECT_NE(run.Out.find(",\"measurement\":null}\n"), std::string::npos) << run.Out;

  run = RunCli({Cli, "probe", "--model", "SR-104", "--port", Dir + "no-such-tty"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Out, "Model:             SR-104\nPort:              " + Dir +
                         "no-such-tty\nResult:            Error(Opening COM Port failed)\n");

  using Args = std::vector<std::string>;
  for (const Args& bad : std::vector<Args>{{Cli, "probe", "--model", "SR-105", "--port", port},
                                           {Cli, "probe", "--model", "SR-103"}, {Cli, "probe", "--port"}}) {
    run = RunCli(bad);
    EXPECT_EQ(run.Exit, 2) << bad.back();
    EXPECT_NE(run.Err.find("usage: spectrel-cli probe"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
}

TEST_F(RunnerMeasure, SimulateAutoMeasuresTheStationsOwnSensorWhenItsPortExists) {
  const auto sensor = StationSensor(SR103, Fault::None);
  struct Case {
    std::string Port;     // the configured port of SR-103
    bool Simulated;       // whether the simulator stands in
  };
  const Case cases[] = {{sensor->DevicePath(), false}, {Dir + "no-such-port", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Port);
    const std::string data = Dir + (c.Simulated ? "sim/" : "real/");
    std::filesystem::create_directories(data);
    WriteBytes(data + "p.ini", "[COM]\nSR103=" + c.Port + "\n[USE]\nSR103=1\n");
    const Finished run = RunCli({Cli, "measure", "--simulate=auto", "--unpaced", "--data", data,
                                 "--profile", data + "p.ini"});
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_EQ(run.Out.find("simulated") != std::string::npos, c.Simulated) << run.Out;
    EXPECT_EQ(run.Out.find("SR-103 on port " + sensor->DevicePath()) != std::string::npos,
              !c.Simulated) << run.Out;
    const std::vector<CycleReport> cycles = CycleReports(run.Out);
    ASSERT_EQ(cycles.size(), 1u) << run.Out;
    EXPECT_EQ(cycles[0].Sensors, "SR-103");
  }
}

}  // namespace
}  // namespace spectrel::runner_test
