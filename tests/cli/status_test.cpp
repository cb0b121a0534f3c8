// The station's status read back and judged by "spectrel-cli status" with the monitoring-plugin
// exit codes, and the runner's error lines in the journal.
#include "cli/runner_support.h"
#include "measure/station_status.h"

namespace spectrel::runner_test {
namespace {

using StatusCommand = CliTest;

// A process id that no longer exists: a child that has exited and been waited for.
std::int64_t GonePid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// A healthy runner (this test process stands in for it); the verdicts themselves, and how a runner
// is known alive, are the status's own test.
StationStatus Healthy() {
  StationStatus s;
  s.Pid = ::getpid();
  s.State = StationState::Measuring;
  s.Updated = static_cast<std::int64_t>(std::time(nullptr));
  s.Zone = "Asia/Tokyo";
  return s;
}

TEST_F(StatusCommand, ExitCodeFollowsTheVerdictOnTheStatusFile) {
  struct Case {
    const char* Name;
    std::function<void(StationStatus&)> Change;
    int Exit;
    const char* FirstLine;
    const char* Shows;
  };
  const std::vector<Case> cases{
      {"healthy", [](StationStatus&) {}, 0, "OK: measuring", "\nstate measuring, pid "},
      {"disk nearly full", [](StationStatus& s) { s.DaysLeft = 2.5; }, 1, "WARNING: 2.5 days", "\nstate measuring, pid "},
      {"runner gone", [](StationStatus& s) { s.Pid = GonePid(); }, 2, "CRITICAL: runner (pid", "\nstate measuring, pid "},
      {"a sensor swapped",
       [](StationStatus& s) {
         s.LastCycle = CycleStatus{s.Updated, true, "", {{"SR-101", true, "Measured", 100, {}}}, {}};
         s.LastCycle->Sensors[0].UnitChanged = UnitChangeStatus{s.Updated, "A0001", "B0002"};
       },
       0, "OK: measuring", ": serial number A0001, now B0002; the day goes on in a new part of its file\n"},
  };
  for (const Case& c : cases) {
    StationStatus status = Healthy();
    c.Change(status);
    WriteBytes(StatusFilePath(Dir), StationStatusJson(status));
    const Finished human = RunCli({Cli, "status", "--data", Dir});
    EXPECT_EQ(human.Exit, c.Exit) << c.Name << "\n" << human.Out << human.Err;
    EXPECT_EQ(human.Out.rfind(c.FirstLine, 0), 0u) << c.Name << "\n" << human.Out;
    EXPECT_NE(human.Out.find("since start: 0 cycles"), std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find("\nstation zone Asia/Tokyo\n"), std::string::npos) << human.Out;
    EXPECT_NE(human.Out.find(c.Shows), std::string::npos) << c.Name << "\n" << human.Out;
    // --json prints the file itself, with the same verdict as exit code.
    const Finished json = RunCli({Cli, "status", "--data=" + Dir, "--json"});
    EXPECT_EQ(json.Exit, c.Exit) << c.Name;
    EXPECT_EQ(json.Out, StationStatusJson(status)) << c.Name;
  }
}

// A reader in another zone than the station's sees the times on the station's clock (Tokyo,
// +9 all year), as its day files and hour files are named.
TEST_F(StatusCommand, TimesAreOnTheStationsClock) {
  testing::ScopedTz reader("UTC");
  StationStatus status = Healthy();
  status.LastCycle = CycleStatus{status.Updated, true, "", {}, {}};
  WriteBytes(StatusFilePath(Dir), StationStatusJson(status));
  const std::time_t tokyo = static_cast<std::time_t>(status.Updated + 9 * 3600);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", std::gmtime(&tokyo));
  const Finished human = RunCli({Cli, "status", "--data", Dir});
  EXPECT_EQ(human.Out.rfind("OK: measuring, last cycle " + std::string(text) + " stored\n", 0), 0u) << human.Out;
  EXPECT_NE(human.Out.find("\nlast cycle " + std::string(text) + " stored\n"), std::string::npos) << human.Out;
}

TEST_F(StatusCommand, NoReadableStatusOrBadUsageIsUnknown) {
  const Finished missing = RunCli({Cli, "status", "--data", Dir});
  EXPECT_EQ(missing.Exit, 3);
  EXPECT_EQ(missing.Out.rfind("UNKNOWN: no station status at " + Dir + "status.json", 0), 0u) << missing.Out;
  // Read in bounded time and memory: a named pipe or a huge file in its place is no status.
  const std::pair<std::string, std::string> unreadable[] = {
      {"{\"program\": \"spectrel\", \"state\": \"dancing\"", "not a station status file"},
      {std::string(2 << 20, ' '), "larger than"},
      {"", "not a regular file"}};
  for (const auto& [content, says] : unreadable) {
    std::filesystem::remove(StatusFilePath(Dir));
    if (content.empty()) ASSERT_EQ(::mkfifo(StatusFilePath(Dir).c_str(), 0644), 0);
    else WriteBytes(StatusFilePath(Dir), content);
    const Finished broken = RunCli({Cli, "status", "--data", Dir});
    EXPECT_EQ(broken.Exit, 3) << says;
    EXPECT_EQ(broken.Out.rfind("UNKNOWN: " + Dir + "status.json: " + says, 0), 0u) << broken.Out;
  }
  std::filesystem::remove(StatusFilePath(Dir));
  EXPECT_EQ(RunCli({Cli, "status", "--profile", Dir + "none.ini"}).Out.rfind("UNKNOWN: the profile " + Dir + "none.ini", 0), 0u);
  // The profile names the data folder; a profile and a folder at once, or a stray option, is bad usage.
  WriteBytes(StatusFilePath(Dir), StationStatusJson(Healthy()));
  WriteBytes(Dir + "p.ini", "[DIR]\nKRF=" + Dir + "\n");
  EXPECT_EQ(RunCli({Cli, "status", "--profile", Dir + "p.ini"}).Exit, 0);
  for (const Args& args : {Args{"--data", Dir, "--profile", Dir + "p.ini"}, Args{"--verbose"}, Args{"extra"}}) {
    const Finished bad = RunCli(Joined({Cli, "status"}, args));
    EXPECT_EQ(bad.Exit, 3) << args[0];
    EXPECT_NE(bad.Err.find("Usage: spectrel-cli status"), std::string::npos) << bad.Err;
  }
}

TEST_F(StatusCommand, ErrorLinesCarryTheJournalPriorityOnlyInTheJournal) {
  WriteBytes(Dir + "file", "");
  const Args argv{Cli, "run", "--simulate", "--data", Dir + "file/data"};
  for (const std::string prefix : {"<3>", ""}) {
    const Finished run = RunCli(argv, {prefix.empty() ? "JOURNAL_STREAM=" : "JOURNAL_STREAM=stderr"});
    EXPECT_EQ(run.Err.rfind(prefix + "spectrel-cli run: not started: cannot make the data folder", 0), 0u) << run.Err;
  }
}

}  // namespace
}  // namespace spectrel::runner_test
