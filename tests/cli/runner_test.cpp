// spectrel-cli measure, run and probe, run as the operator runs them: real program, simulated sensors on
// pseudo-terminals, real files in a fresh folder; and the usage rules every subcommand shares.
#include <nlohmann/json.hpp>

#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>

#include "base/folder_lock.h"
#include "cli/runner_support.h"
#include "files/station_names.h"
#include "measure/station_status.h"
#include "solmet_sim.h"
#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

using solmet_sim::Fault;

// A sensor of the station itself, on a pseudo-terminal this test owns.
std::unique_ptr<solmet_sim::SimulatedSensor> StationSensor(int model, Fault fault = Fault::None,
                                                           const std::string& serial = "P103") {
  solmet_sim::SensorConfig config;
  config.Model = model;
  config.FaultKind = fault;
  config.Paced = false;
  config.Serial = serial;
  auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
  EXPECT_TRUE(sensor->Start());
  return sensor;
}

using RunnerMeasure = CliTest;

TEST_F(RunnerMeasure, ASimulatedStationMeasuresAsItsProfileSaysWithoutChangingIt) {
  // A portable install: the program beside the station's "spectrel.ini", which names the data
  // folders. The simulated sensors plug in where the profile's ports are; the profile stays as it is.
  const std::string program = Dir + "spectrel-cli";
  std::filesystem::copy_file(Cli, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  struct Case {
    const char* Use;       // the profile's [USE] section
    const char* Sensors;   // stored
  };
  const Case cases[] = {{"", "SR-101 SR-103"},   // none in use: one of each kind
                        {"[USE]\r\nSR102=1\r\nSR104=1\r\n", "SR-102 SR-104"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Sensors);
    const std::string data = Dir + (*c.Use ? "b/" : "a/");
    const std::string profile = "; roof station\r\n[COM]\r\nSR101=3\r\n[SITE]\r\nNAME=Roof\r\n[DIR]\r\nKRF=" +
                                data + "krf/\r\nCSV=" + data + "csv/\r\n" + c.Use;
    WriteBytes(Dir + "spectrel.ini", profile);
    std::filesystem::create_directories(data + "krf");   // the station's folder; CSV's is made on the way
    const Finished run = RunCli({program, "measure", "--simulate", "--unpaced", "--verbose"});
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_EQ(ReadBytes(Dir + "spectrel.ini"), profile);
    const std::vector<CycleReport> cycles = CycleReports(run.Out);
    ASSERT_EQ(cycles.size(), 1u) << run.Out;
    EXPECT_EQ(cycles[0].Sensors, c.Sensors);
    EXPECT_EQ(cycles[0].DayFile, DayFilePath(data + "krf/", StampTime(cycles[0].Stamp)));   // the profile's folders
    EXPECT_EQ(cycles[0].CsvFile, HourCsvPath(data + "csv/", StampTime(cycles[0].Stamp)));
    EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
    EXPECT_EQ(LogMessages(data + "krf/"), CleanLog);
    CKrfData day;
    ASSERT_EQ(LoadKrf(day, cycles[0].DayFile).Points, 1);
    EXPECT_EQ(day.SiteName, "Roof");
  }
}

TEST_F(RunnerMeasure, StationSensorIsMeasuredOrItsFailureReported) {
  struct Case {
    Fault FaultKind;
    const char* Simulate;   // the --simulate option given, or nothing
    int Exit;
    const char* Line;       // a status line printed
    size_t Cycles;          // cycle lines printed
    const char* Logged;     // between the start and the stop of the measurement in the event log
  };
  // With --simulate=auto the station's sensor is measured, since its port exists.
  const Case cases[] = {{Fault::None, "--simulate=auto", 0, "SR-103 Measurement OK", 1, nullptr},
                        {Fault::WrongModelName, "", 1, "SR-103 Error(Sensor Name)", 0, "ERROR SR103 INFO"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    const std::string data = Dir + std::to_string(&c - cases) + "/";
    std::filesystem::create_directories(data);
    const auto sensor = StationSensor(SR103, c.FaultKind);
    WriteBytes(data + "p.ini", "[COM]\nSR103=" + sensor->DevicePath() + "\n[USE]\nSR103=1\n");
    Args argv{Cli, "measure", "--data", data, "--profile=" + data + "p.ini"};
    if (*c.Simulate) argv.insert(argv.end(), {c.Simulate, "--unpaced"});
    const Finished run = RunCli(argv);
    EXPECT_EQ(run.Exit, c.Exit) << run.Out << run.Err;
    EXPECT_NE(run.Out.find(std::string(c.Line) + "\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("SR-103 on port " + sensor->DevicePath()), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("simulated"), std::string::npos);
    std::vector<std::string> log = CleanLog;
    if (c.Logged) log.insert(log.begin() + 2, c.Logged);
    EXPECT_EQ(LogMessages(data), log);
    EXPECT_EQ(CycleReports(run.Out).size(), c.Cycles) << run.Out;
  }
}

TEST_F(RunnerMeasure, APointThatCannotBeStoredExitsOneSayingWhy) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  WriteBytes(Dir + std::to_string(local.tm_year + 1900), "a file where the year folder goes");
  const Finished run = RunCli({Cli, "measure", "--simulate", "--unpaced", "--data", Dir});
  EXPECT_EQ(run.Exit, 1) << run.Out << run.Err;
  EXPECT_NE(run.Err.find(".KRF: Not a directory (1 points held for the next save)\n"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("not stored: 1 points wait in " + Dir + "HELD.KRS for the next start"), std::string::npos) << run.Err;
  EXPECT_NE(run.Out.find(" not stored, measured SR-101 SR-103"), std::string::npos) << run.Out;
}

TEST_F(RunnerMeasure, ProbeReportsOneSensorAsTextOrValidJson) {
  // A serial number with a valid UTF-8 letter and a byte that is not UTF-8.
  const auto sr103 = StationSensor(SR103, Fault::None, "P\xC3\xA9\xE9");
  const std::string port = sr103->DevicePath();
  Finished run = RunCli({Cli, "probe", "--model", "SR-103", "--port", port});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  EXPECT_EQ(run.Out.rfind("Model:             SR-103\nPort:              " + port + "\n", 0), 0u) << run.Out;
  EXPECT_NE(run.Out.find("\nResult:            Measurement OK\n"), std::string::npos) << run.Out;

  run = RunCli({Cli, "probe", "--model=sr103", "--port=" + port, "--json"});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  ASSERT_EQ(run.Out.back(), '\n');
  const nlohmann::json report = nlohmann::json::parse(run.Out);   // throws when not valid JSON
  EXPECT_EQ(report["model"], "SR-103");
  EXPECT_EQ(report["ok"], true);
  EXPECT_EQ(report["info"]["serial"], "P\xC3\xA9\xEF\xBF\xBD");   // é kept, the stray byte as U+FFFD
  EXPECT_EQ(report["measurement"]["status_float"].size(), 6u);

  const auto wrong = StationSensor(SR101, Fault::WrongModelName);
  run = RunCli({Cli, "probe", "--model", "SR101", "--port", wrong->DevicePath(), "--json"});
  EXPECT_EQ(run.Exit, 1);
  const nlohmann::json failed = nlohmann::json::parse(run.Out);
  EXPECT_EQ(failed["status"], "Error(Sensor Name)");
  EXPECT_EQ(failed["info_status"], 4);
  EXPECT_TRUE(failed["measurement"].is_null());
}

TEST_F(RunnerMeasure, BadUsageExitsTwoSayingWhyWithTheCommandsUsage) {
  const std::string day = Dir + "a.KRF";
  const std::vector<Args> bad{
      {"probe", "--model", "SR-105", "--port", "x"}, {"probe", "--model", "SR-103"}, {"probe", "--port"},
      {"info"}, {"info", day, day}, {"info", day, "--yaml"},
      {"export", day}, {"export", day, "--out", Dir, "--pitch", "2nm"},
      {"export", day, "--out", Dir, "--sensors", "SR101,SR105"},
      {"export", day, "--out", Dir, "--from=abc"},
      {"measure", "--bogus"}, {"measure", "--data="}, {"measure", "--unpaced"}, {"measure", "--simulate=bogus"},
      {"run", "--simulate", "--profile"}, {"run", "extra-word"}};
  for (const Args& args : bad) {
    const Finished run = RunCli(Joined({Cli}, args));
    SCOPED_TRACE(args.back());
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Err.rfind("spectrel-cli " + args[0] + ": ", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find("Usage: spectrel-cli " + args[0]), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_EQ(RunCli({Cli}).Exit, 2);
  EXPECT_EQ(RunCli({Cli, "calibrate"}).Err.rfind("spectrel-cli: unknown command 'calibrate'", 0), 0u);
  // Nothing was started, so nothing was logged or stored.
  EXPECT_TRUE(std::filesystem::is_empty(Dir));
}

TEST_F(RunnerMeasure, EachCommandsHelpIsItsUsage) {
  for (const std::string command : {"probe", "info", "export", "measure", "run", "status"}) {
    const Finished help = RunCli({Cli, command, "--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("Usage: spectrel-cli " + command), std::string::npos) << help.Out;
  }
  EXPECT_TRUE(std::filesystem::is_empty(Dir));
}

using RunnerRun = CliTest;

TEST_F(RunnerRun, MeasuresAtEveryBoundaryUntilSigtermKeepingItsWatchersInformed) {
  const std::string socketPath = Dir + "notify";
  const int listener = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  WriteBytes(Dir + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=2\n");
  // Datagrams read as they come, as the service manager does: a full socket would hold the runner up.
  std::vector<std::string> messages;
  const auto take = [&] {
    char buffer[4096];
    for (ssize_t n; (n = ::recv(listener, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
      messages.emplace_back(buffer, static_cast<size_t>(n));
  };
  const Finished run = RunCli({Cli, "run", "--verbose", "--data=" + Dir, "--profile", Dir + "p.ini", "--simulate",
                               "--unpaced"},
                              {"NOTIFY_SOCKET=" + socketPath, "WATCHDOG_USEC=2000000"},
                              [&](const std::string& out) {
                                take();
                                return CycleReports(out).size() >= 2;
                              });
  take();
  ::close(listener);
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("stop requested by signal " + std::to_string(SIGTERM)), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
  // Every cycle is stamped with its boundary (a multiple of 2 s after midnight), in order, and
  // every printed cycle is in the day file; a run cut short by the stop is not stored.
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u) << run.Out;
  CKrfData day;
  ASSERT_EQ(LoadKrf(day, cycles.back().DayFile).Points, static_cast<int>(cycles.size()));
  for (size_t i = 0; i < cycles.size(); ++i) {
    const std::int64_t t = StampTime(cycles[i].Stamp);
    EXPECT_EQ(cycles[i].Sensors, "SR-101 SR-103");
    EXPECT_EQ(std::stoi(FormatLocal(t, "%S")) % 2, 0) << cycles[i].Stamp;   // minutes and hours are even
    EXPECT_EQ(day.Rad(static_cast<int>(i)).MeasureTime, t);
    EXPECT_GT(t, i > 0 ? StampTime(cycles[i - 1].Stamp) : 0);
  }
  EXPECT_EQ(LogMessages(Dir), CleanLog);

  // The status file after the stop: stopped, its last cycle with each real sensor.
  std::string error;
  const auto status = ParseStationStatus(ReadBytes(StatusFilePath(Dir)), error);
  ASSERT_TRUE(status) << error;
  EXPECT_EQ(status->State, StationState::Stopped);
  ASSERT_TRUE(status->LastCycle);
  EXPECT_EQ(status->LastCycle->Stamp, StampTime(cycles.back().Stamp));
  ASSERT_EQ(status->LastCycle->Sensors.size(), 2u);
  EXPECT_GT(status->LastCycle->Sensors[1].Integral.value_or(0.0), 0.0);
  // The last point's integral as printed with the graph (one decimal), in the status file and
  // from info --json.
  const std::string& text = cycles.back().Integral;
  ASSERT_EQ(text.rfind("Integral : ", 0), 0u) << text;
  const double printed = std::stod(text.substr(11));
  EXPECT_NEAR(status->LastCycle->Integral.value_or(1e9), printed, 0.05);
  const Finished info = RunCli({Cli, "info", "--json", cycles.back().DayFile});
  const nlohmann::json points = nlohmann::json::parse(info.Out, nullptr, false)["points"];
  ASSERT_EQ(points.size(), cycles.size()) << info.Out;
  EXPECT_NEAR(points.back()["integral_w_m2"].get<double>(), printed, 0.05);
  EXPECT_EQ(RunCli({Cli, "status", "--data", Dir}).Exit, 2);   // stopped: nobody measures

#ifdef SPECTREL_HAVE_SYSTEMD
  // Ready once started, the first cycle as status, and the stop, in that order.
  const auto at = [&](const std::string& prefix) {
    const auto it = std::find_if(messages.begin(), messages.end(),
                                 [&](const std::string& m) { return m.rfind(prefix, 0) == 0; });
    return it - messages.begin();
  };
  const auto count = static_cast<std::ptrdiff_t>(messages.size());
  ASSERT_LT(at("READY=1"), count);
  ASSERT_LT(at("STOPPING=1"), count);
  const auto cycle = at("STATUS=" + cycles.front().Stamp + " stored SR-101 SR-103");
  EXPECT_LT(at("READY=1"), cycle);
  EXPECT_LT(cycle, at("STOPPING=1"));
  // The watchdog hears from every tick of the measurement, one a second, from the start.
  EXPECT_GE(std::count(messages.begin(), messages.end(), "WATCHDOG=1"), 2) << ::testing::PrintToString(messages);
  EXPECT_LT(at("WATCHDOG=1"), cycle);
#else
  EXPECT_TRUE(messages.empty());
#endif
}

// What stops a start before anything is measured: each refusal with its exit code and reason on
// stderr, no cycle measured; named pipes in the place of files never hold the runner up. One
// profile error stands for all: which findings are errors is the profile check's own test.
TEST_F(RunnerRun, StartIsRefusedWithTheReasonBeforeMeasuring) {
  FolderLock station;   // a station measuring into held/, as this test process
  std::filesystem::create_directories(Dir + "held");
  ASSERT_TRUE(station.Acquire(Dir + "held/", "spectrel-cli run"));
  std::filesystem::create_directories(Dir + "pipe");
  ASSERT_EQ(::mkfifo((Dir + "fifo.ini").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(LogPath(Dir + "pipe/").c_str(), 0644), 0);
  WriteBytes(Dir + "p.ini", "[INT]\nINT=-1\n");
  struct Row {
    const char* Name;
    Args Options;          // after --data data/ unless they name the folder
    int Exit;
    std::string Says;      // on stderr
  };
  const std::string pid = std::to_string(::getpid());
  const Row rows[] = {
      {"interval below 1", {"--profile", Dir + "p.ini"}, 2,
       "spectrel-cli run: error: [INT] INT: the interval must be 1 s or more (it reads as 4294967295 s)"},
      {"named profile missing", {"--profile", Dir + "none.ini"}, 2, "error: " + Dir + "none.ini: no such profile"},
      {"profile is a named pipe", {"--profile", Dir + "fifo.ini"}, 2, "cannot be read: not a regular file"},
      {"folder held by a station", {"--data", Dir + "held"}, 2,
       "spectrel-cli run: not started: the data folder " + Dir + "held/ is in use by another station (pid " + pid +
           ", spectrel-cli run)"},
      {"event log is a named pipe", {"--data", Dir + "pipe"}, 1, "not started: the event log " + LogPath(Dir + "pipe/")},
  };
  for (const Row& row : rows) {
    const Args data = row.Options[0] == "--data" ? Args{} : Args{"--data", Dir + "data"};
    const Finished run = RunCli(Joined(Joined({Cli, "run", "--simulate", "--unpaced"}, data), row.Options));
    EXPECT_FALSE(run.TimedOut) << row.Name;
    EXPECT_EQ(run.Exit, row.Exit) << row.Name << "\n" << run.Out << run.Err;
    EXPECT_NE(run.Err.find(row.Says), std::string::npos) << row.Name << "\n" << run.Err;
    EXPECT_EQ(run.Out.find("Interval Measurement"), std::string::npos) << row.Name;   // never started
  }
  for (const std::string folder : {"data/", "held/"}) {
    const std::vector<std::string> log = LogMessages(Dir + folder);
    EXPECT_EQ(std::count(log.begin(), log.end(), "INT.MEAS START"), 0) << folder;
  }
}

// A lock left by a station that ended without a stop is taken over and said; the profile's
// warnings are said once on stderr and in the event log, and the measurement goes on.
TEST_F(RunnerMeasure, WarningsAtStartAreSaidOnceWithoutStoppingTheMeasurement) {
  WriteBytes(FolderLock::LockPath(Dir), "999999999 spectrel-cli run\n");
  WriteBytes(Dir + "p.ini", "[INT]\nINTERVAL=5\n");
  // The second start follows a clean stop: nothing is taken over.
  for (const bool stale : {true, false}) {
    std::filesystem::remove(LogPath(Dir));
    const Finished run = RunCli({Cli, "measure", "--simulate", "--unpaced", "--data", Dir, "--profile", Dir + "p.ini"});
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_NE(run.Err.find("spectrel-cli measure: warning: [INT] INTERVAL: unknown key, ignored"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("lock of pid 999999999, spectrel-cli run was left behind") != std::string::npos, stale) << run.Err;
    std::vector<std::string> log = LogMessages(Dir);
    ASSERT_GE(log.size(), 3u) << ::testing::PrintToString(log);
    EXPECT_EQ(log[1] == "APP LOCK TAKEN OVER", stale);
    if (stale) log.erase(log.begin() + 1);
    EXPECT_EQ(log[1].rfind("PROFILE WARNING [INT] INTERVAL: unknown key, ignored", 0), 0u) << log[1];
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& m) { return m.rfind("PROFILE", 0) == 0; }), 1);
    EXPECT_EQ(CycleReports(run.Out).size(), 1u) << run.Out;
  }
}

TEST_F(RunnerRun, SigtermDuringALongReadStopsAtOnceSayingWhatItWaitsFor) {
  // The sensor's spectrum block comes one byte short, so every attempt waits out a 10 s deadline.
  const auto sensor = StationSensor(SR103, Fault::RbShort);
  WriteBytes(Dir + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=5\n[COM]\nSR103=" + sensor->DevicePath() +
                                "\n[USE]\nSR103=1\n");
  std::chrono::steady_clock::time_point measuring{};   // when the run began; the signal 1 s later
  const Finished run = RunCli({Cli, "run", "--verbose", "--data=" + Dir, "--profile", Dir + "p.ini"}, {},
                              [&](const std::string& out) {
                                if (measuring == decltype(measuring){} && out.find("SR-103 Measuring\n") != std::string::npos)
                                  measuring = std::chrono::steady_clock::now();
                                return measuring != decltype(measuring){} &&
                                       std::chrono::steady_clock::now() - measuring > std::chrono::seconds(1);
                              });
  const auto took = std::chrono::steady_clock::now() - measuring;   // the signal came after 1 s
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  EXPECT_LT(took, std::chrono::seconds(6)) << run.Out;   // three attempts would take 30 s
  EXPECT_NE(run.Out.find("stopping: waiting for SR-103 (reading spectrum)\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
  EXPECT_TRUE(CycleReports(run.Out).empty()) << run.Out;   // the interrupted run stores nothing
  EXPECT_EQ(LogMessages(Dir), CleanLog);
}

TEST_F(RunnerRun, ASensorLostThenBackBehindItsLinkMeasuresAgain) {
  // The sensor behind a fixed link hangs up its line and is replaced while the runner goes on.
  const std::string link = Dir + "SR101";
  auto sensor = StationSensor(SR101);
  ASSERT_TRUE(sensor->LinkAs(link));
  WriteBytes(Dir + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=1\n[COM]\nSR101=" + link + "\n[USE]\nSR101=1\n");
  size_t backAt = 0;   // cycles printed when it came back
  bool back = false;
  const Finished run = RunCli({Cli, "run", "--verbose", "--data=" + Dir, "--profile", Dir + "p.ini"}, {},
                              [&](const std::string& out) {
                                const std::vector<CycleReport> cycles = CycleReports(out);
                                if (sensor && !back && !cycles.empty()) {
                                  sensor.reset();   // closes the line and removes the link
                                } else if (!back && out.find("SR-101 Reconnecting\n") != std::string::npos) {
                                  back = true;
                                  backAt = cycles.size();
                                  sensor = StationSensor(SR101);
                                  EXPECT_TRUE(sensor->LinkAs(link));
                                }
                                return back && cycles.size() > backAt && cycles.back().Sensors == "SR-101";
                              });
  EXPECT_FALSE(run.TimedOut) << run.Out;
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GT(cycles.size(), backAt) << run.Out;
  EXPECT_EQ(cycles.front().Sensors, "SR-101");
  const std::vector<std::string> log = LogMessages(Dir);
  const auto lost = std::find(log.begin(), log.end(), "ERROR SR101 PORT");
  EXPECT_NE(std::find(lost, log.end(), "SR101 RECONNECT"), log.end()) << ::testing::PrintToString(log);
  CKrfData day;   // the point measured after the return is in the day file
  ASSERT_GT(LoadKrf(day, cycles.back().DayFile).Points, 0);
  const CRad& last = day.Rad(day.RadCount() - 1);
  EXPECT_EQ(last.MeasureTime, StampTime(cycles.back().Stamp));
  EXPECT_NE(last.Block(SR101), nullptr);
}

}  // namespace
}  // namespace spectrel::runner_test
