// spectrel-cli run: interval measurement until a signal, and the options of both measuring
// commands.
#include <gtest/gtest.h>

#include "cli/runner_support.h"
#include "solmet_sim.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

using namespace std::chrono_literals;

const std::string Cli = SPECTREL_CLI;

// Seconds after local midnight of a time.
std::int64_t SecondOfDay(std::int64_t time) {
  const std::time_t t = static_cast<std::time_t>(time);
  std::tm local{};
  localtime_r(&t, &local);
  return (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
}

std::size_t CountOf(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(RunnerRun, MeasuresAtEveryBoundaryUntilSigtermThenStopsCleanly) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  const std::string profile = "[INT]\nSTART=0\nEND=86399\nINT=2\n";
  WriteBytes(tmp.Path + "p.ini", profile);
  ChildProcess child({Cli, "run", "--simulate", "--unpaced", "--verbose", "--data", tmp.Path,
                      "--profile", tmp.Path + "p.ini"});
  ASSERT_TRUE(child.Started());
  const bool twoCycles = child.WaitForOutput(
      [](const std::string& out) { return CycleReports(out).size() >= 2; }, 15s);
  child.SendSignal(SIGTERM);
  const Finished run = child.Finish(10s);
  ASSERT_TRUE(twoCycles) << run.Out << run.Err;
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.Signal, 0);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("stop requested by signal 15"), std::string::npos);
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
  EXPECT_EQ(ReadBytes(tmp.Path + "p.ini"), profile);

  // Every cycle is stamped with its boundary (a multiple of 2 s after midnight), in order, and
  // every printed cycle is in the day file; a run cut short by the stop is not stored.
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u);
  CKrfData day;
  ASSERT_EQ(day.LoadKrf(cycles.back().DayFile), static_cast<int>(cycles.size()));
  for (std::size_t i = 0; i < cycles.size(); ++i) {
    const std::int64_t t = StampTime(cycles[i].Stamp);
    EXPECT_EQ(cycles[i].Sensors, "SR-101 SR-103");
    EXPECT_EQ(SecondOfDay(t) % 2, 0) << cycles[i].Stamp;
    EXPECT_EQ(day.Rad(static_cast<int>(i)).MeasureTime, t);
    if (i > 0) {
      EXPECT_GT(t, StampTime(cycles[i - 1].Stamp));
    }
  }

  const std::vector<std::string> log = LogMessages(ReadBytes(CurrentLogPath(tmp.Path)));
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "APP START");
  EXPECT_EQ(log[1], "INT.MEAS START");
  EXPECT_EQ(log[log.size() - 2], "INT.MEAS STOP");
  EXPECT_EQ(log.back(), "APP CLOSE");
  EXPECT_EQ(log.size(), 4u) << "unexpected failures logged";
}

TEST(RunnerRun, WindowEndingBeforeItStartsNeverMeasuresButShowsTheClock) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  WriteBytes(tmp.Path + "p.ini", "[INT]\nSTART=86399\nEND=0\nINT=1\n");
  ChildProcess child({Cli, "run", "--simulate", "--unpaced", "--verbose", "--data", tmp.Path,
                      "--profile", tmp.Path + "p.ini"});
  ASSERT_TRUE(child.Started());
  const std::regex clock(R"(\nclock \d{4}/\d\d/\d\d  \d\d:\d\d:\d\d\n)");
  child.WaitForOutput(
      [&](const std::string& out) {
        return std::distance(std::sregex_iterator(out.begin(), out.end(), clock),
                             std::sregex_iterator()) >= 3;
      },
      10s);
  child.SendSignal(SIGINT);
  const Finished run = child.Finish(10s);
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("stop requested by signal 2"), std::string::npos);
  EXPECT_GE(std::distance(std::sregex_iterator(run.Out.begin(), run.Out.end(), clock),
                          std::sregex_iterator()),
            3);
  EXPECT_EQ(CountOf(run.Out, "SR-101 Measuring"), 0u);
  EXPECT_TRUE(CycleReports(run.Out).empty());
  // Nothing stored: no year folder; the log holds only the four lines.
  for (const auto& entry : std::filesystem::directory_iterator(tmp.Path)) {
    EXPECT_FALSE(entry.is_directory()) << entry.path();
  }
  EXPECT_EQ(LogMessages(ReadBytes(CurrentLogPath(tmp.Path))),
            (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP", "APP CLOSE"}));
}

TEST(RunnerRun, StopWhileASensorNeverAnswersEndsItsRetries) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  solmet_sim::SensorConfig config;
  config.Model = SR103;
  config.FaultKind = solmet_sim::Fault::NoAnswer;
  config.Paced = false;
  solmet_sim::SimulatedSensor silent(config);
  ASSERT_TRUE(silent.Start());
  WriteBytes(tmp.Path + "p.ini", "[COM]\nSR103=" + silent.DevicePath() +
                                     "\n[USE]\nSR103=1\n[INT]\nSTART=0\nEND=86399\nINT=1\n");
  ChildProcess child({Cli, "run", "--data", tmp.Path, "--profile", tmp.Path + "p.ini"});
  ASSERT_TRUE(child.Started());
  const bool failing = child.WaitForOutput(
      [](const std::string& out) {
        return out.find("SR-103 Error(Communication with the sensor failed)") != std::string::npos;
      },
      15s);
  child.SendSignal(SIGTERM);
  const auto stopAsked = std::chrono::steady_clock::now();
  const Finished run = child.Finish(10s);
  EXPECT_TRUE(failing) << run.Out;
  ASSERT_FALSE(run.TimedOut);
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  // Its thread ends after the current attempt and at most one more pause.
  EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 8s);
  EXPECT_TRUE(CycleReports(run.Out).empty());
  const std::vector<std::string> log = LogMessages(ReadBytes(CurrentLogPath(tmp.Path)));
  EXPECT_EQ(log, (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP",
                                           "APP CLOSE"}));
}

TEST(RunnerRun, IntervalBelowOneSecondMeasuresEverySecond) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  WriteBytes(tmp.Path + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=0\n");
  ChildProcess child({Cli, "run", "--simulate", "--unpaced", "--data", tmp.Path, "--profile",
                      tmp.Path + "p.ini"});
  ASSERT_TRUE(child.Started());
  const bool twoCycles = child.WaitForOutput(
      [](const std::string& out) { return CycleReports(out).size() >= 2; }, 15s);
  child.SendSignal(SIGTERM);
  const Finished run = child.Finish(10s);
  ASSERT_FALSE(run.TimedOut);
  EXPECT_TRUE(twoCycles) << run.Out;
  EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
  EXPECT_NE(run.Err.find("measuring every 1 s"), std::string::npos) << run.Err;
  // Boundaries of a 1 s interval: consecutive cycles one or more whole seconds apart.
  const auto cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u);
  EXPECT_GE(StampTime(cycles[1].Stamp) - StampTime(cycles[0].Stamp), 1);
}

TEST(RunnerOptions, BadUsageExitsTwoAndHelpExitsZero) {
  TempFolder tmp;
  ASSERT_FALSE(tmp.Path.empty());
  for (const std::string command : {"measure", "run"}) {
    const std::vector<std::vector<std::string>> bad = {
        {Cli, command, "--bogus"},
        {Cli, command, "--simulate", "--profile"},
        {Cli, command, "--data="},
        {Cli, command, "--unpaced", "--data", tmp.Path},
        {Cli, command, "extra-word"},
    };
    for (const std::vector<std::string>& argv : bad) {
      const Finished run = RunToEnd(argv);
      EXPECT_EQ(run.ExitCode, 2) << command << " " << argv.back();
      EXPECT_NE(run.Err.find("usage: spectrel-cli " + command), std::string::npos) << run.Err;
      EXPECT_TRUE(run.Out.empty()) << run.Out;
    }
    const Finished help = RunToEnd({Cli, command, "--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_EQ(help.Out.rfind("usage: spectrel-cli " + command, 0), 0u) << help.Out;
  }
  // Nothing was started, so nothing was logged or stored.
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path));
}

}  // namespace
}  // namespace spectrel::runner_test
