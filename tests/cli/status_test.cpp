// The station's status: written by the runner, told to the service manager, read back and judged
// by "spectrel-cli status" with the monitoring-plugin exit codes.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <nlohmann/json.hpp>

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

// A healthy runner (this test process stands in for it) that stored its last cycle just now.
StationStatus Healthy() {
  StationStatus s;
  s.Version = "5.0";
  s.Pid = ::getpid();
  s.State = StationState::Measuring;
  s.Updated = s.Started = static_cast<std::int64_t>(std::time(nullptr));
  s.IntervalMode = true;
  s.IntervalSeconds = 60;
  s.WindowEnd = 86399;
  s.LastCycle = CycleStatus{s.Updated, true, "", {{"SR-101", true, "Measurement OK", 100, 612.5}}};
  s.LastStored = s.Updated;
  s.FreeBytes = 50'000'000'000;
  s.DaysLeft = 900.0;
  return s;
}

TEST_F(StatusCommand, ExitCodeFollowsTheVerdictOnTheStatusFile) {
  struct Case {
    const char* Name;
    std::function<void(StationStatus&)> Change;
    int Exit;
    const char* FirstLine;
  };
  const std::vector<Case> cases{
      {"healthy", [](StationStatus&) {}, 0, "OK: measuring"},
      {"disk nearly full", [](StationStatus& s) { s.DaysLeft = 2.5; }, 1, "WARNING: 2.5 days"},
      {"runner gone", [](StationStatus& s) { s.Pid = GonePid(); }, 2, "CRITICAL: runner (pid"},
  };
  for (const Case& c : cases) {
    StationStatus status = Healthy();
    c.Change(status);
    WriteBytes(StationStatusPath(Dir), StationStatusJson(status));
    const Finished human = RunCli({Cli, "status", "--data", Dir});
    EXPECT_EQ(human.Exit, c.Exit) << c.Name << "\n" << human.Out << human.Err;
    EXPECT_EQ(human.Out.rfind(c.FirstLine, 0), 0u) << c.Name << "\n" << human.Out;
    EXPECT_NE(human.Out.find("since start: 0 cycles"), std::string::npos) << human.Out;
    // --json prints the file itself, with the same verdict as exit code.
    const Finished json = RunCli({Cli, "status", "--data=" + Dir, "--json"});
    EXPECT_EQ(json.Exit, c.Exit) << c.Name;
    EXPECT_EQ(json.Out, StationStatusJson(status)) << c.Name;
  }
}

TEST_F(StatusCommand, NoReadableStatusOrBadUsageIsUnknown) {
  const Finished missing = RunCli({Cli, "status", "--data", Dir});
  EXPECT_EQ(missing.Exit, 3);
  EXPECT_EQ(missing.Out.rfind("UNKNOWN: no station status at " + Dir + "status.json", 0), 0u) << missing.Out;
  WriteBytes(StationStatusPath(Dir), "{\"program\": \"spectrel\", \"state\": \"dancing\"");
  const Finished broken = RunCli({Cli, "status", "--data", Dir});
  EXPECT_EQ(broken.Exit, 3);
  EXPECT_EQ(broken.Out.rfind("UNKNOWN: " + Dir + "status.json: not a station status file", 0), 0u) << broken.Out;
  // The profile names the data folder; a profile and a folder at once, or a stray option, is bad usage.
  WriteBytes(StationStatusPath(Dir), StationStatusJson(Healthy()));
  WriteBytes(Dir + "p.ini", "[DIR]\nKRF=" + Dir + "\n");
  EXPECT_EQ(RunCli({Cli, "status", "--profile", Dir + "p.ini"}).Exit, 0);
  for (const Args& args : {Args{"--data", Dir, "--profile", Dir + "p.ini"}, Args{"--verbose"}, Args{"extra"}}) {
    Args argv{Cli, "status"};
    argv.insert(argv.end(), args.begin(), args.end());
    const Finished bad = RunCli(argv);
    EXPECT_EQ(bad.Exit, 3) << args[0];
    EXPECT_NE(bad.Err.find("Usage: spectrel-cli status"), std::string::npos) << bad.Err;
  }
}

// Datagrams sent to the socket, in order of arrival.
std::vector<std::string> Received(int socket) {
  std::vector<std::string> messages;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
    messages.emplace_back(buffer, static_cast<size_t>(n));
  return messages;
}

TEST_F(StatusCommand, RunnerLeavesItsStatusAndTellsTheServiceManager) {
  const std::string socketPath = Dir + "notify";
  const int listener = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  WriteBytes(Dir + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=1\n");
  const Finished run = RunCli({Cli, "run", "--data=" + Dir, "--profile", Dir + "p.ini", "--simulate", "--unpaced"},
                              {"NOTIFY_SOCKET=" + socketPath},
                              [](const std::string& out) { return !CycleReports(out).empty(); });
  ASSERT_EQ(run.Exit, 0) << run.Out << run.Err;
  const std::vector<std::string> messages = Received(listener);
  ::close(listener);

  // The status file after the stop: stopped by the runner, its last cycle with each real sensor.
  std::string error;
  const auto status = ParseStationStatus(ReadBytes(StationStatusPath(Dir)), error);
  ASSERT_TRUE(status) << error;
  EXPECT_EQ(status->State, StationState::Stopped);
  EXPECT_NE(status->Pid, ::getpid());
  const auto cycles = CycleReports(run.Out);
  ASSERT_TRUE(status->LastCycle);
  EXPECT_EQ(status->LastCycle->Stamp, StampTime(cycles.back().Stamp));
  ASSERT_EQ(status->LastCycle->Sensors.size(), 2u);
  EXPECT_GT(status->LastCycle->Sensors[1].Integral.value_or(0.0), 0.0);
  EXPECT_EQ(RunCli({Cli, "status", "--data", Dir}).Exit, 2);   // stopped: nobody measures

#ifdef SPECTREL_HAVE_SYSTEMD
  // Ready once started, the last cycle as status, and the stop, in that order.
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
#else
  EXPECT_TRUE(messages.empty());
  GTEST_SKIP() << "built without libsystemd: the runner does not notify a service manager";
#endif
}

// Runs argv with stderr into the file at errPath, announced as the journal's stream or not.
std::string ErrorOutput(const Args& argv, const std::string& errPath, bool journal) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    struct stat st{};
    ::fstat(err, &st);
    ::dup2(err, 2);
    if (journal) ::setenv("JOURNAL_STREAM", (std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)).c_str(), 1);
    else ::unsetenv("JOURNAL_STREAM");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::waitpid(pid, nullptr, 0);
  return ReadBytes(errPath);
}

TEST_F(StatusCommand, ErrorLinesCarryTheJournalPriorityOnlyInTheJournal) {
  WriteBytes(Dir + "file", "");
  const Args argv{Cli, "run", "--data", Dir + "file/data"};
  const std::string journal = ErrorOutput(argv, Dir + "err", true);
  EXPECT_EQ(journal.rfind("<3>spectrel-cli run: cannot create the data folder", 0), 0u) << journal;
  const std::string plain = ErrorOutput(argv, Dir + "err", false);
  EXPECT_EQ(plain.rfind("spectrel-cli run: cannot create the data folder", 0), 0u) << plain;
}

}  // namespace
}  // namespace spectrel::runner_test
