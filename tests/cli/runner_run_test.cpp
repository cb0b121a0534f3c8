// spectrel-cli run: interval measurement until a signal, and the options of both measuring
// commands.
#include "cli/runner_support.h"
#include "solmet_sim.h"
#include "files/krf_file.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

// Seconds after local midnight of a time.
std::int64_t SecondOfDay(std::int64_t time) {
  const std::time_t t = static_cast<std::time_t>(time);
  std::tm local{};
  localtime_r(&t, &local);
  return (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec;
}

bool TwoCycles(const std::string& out) { return CycleReports(out).size() >= 2; }

class RunnerRun : public CliTest {
 protected:
  // "run" with the profile text, stopped by signal once until holds.
  Finished RunUntil(const std::string& profile, const std::function<bool(const std::string&)>& until,
                    int signal = SIGTERM, bool simulate = true) {
    WriteBytes(Dir + "p.ini", profile);
    std::vector<std::string> argv{Cli, "run", "--verbose", "--data", Dir, "--profile", Dir + "p.ini"};
    if (simulate) argv.insert(argv.end(), {"--simulate", "--unpaced"});
    Finished run = RunCli(argv, {}, until, signal);
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.Signal, 0);
    EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("stop requested by signal " + std::to_string(signal)), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
    EXPECT_EQ(ReadBytes(Dir + "p.ini"), profile);
    return run;
  }
};

TEST_F(RunnerRun, MeasuresAtEveryBoundaryUntilSigtermThenStopsCleanly) {
  const Finished run = RunUntil("[INT]\nSTART=0\nEND=86399\nINT=2\n", TwoCycles);
  // Every cycle is stamped with its boundary (a multiple of 2 s after midnight), in order, and
  // every printed cycle is in the day file; a run cut short by the stop is not stored.
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u) << run.Out;
  CKrfData day;
  ASSERT_EQ(LoadKrf(day, cycles.back().DayFile), static_cast<int>(cycles.size()));
  for (size_t i = 0; i < cycles.size(); ++i) {
    const std::int64_t t = StampTime(cycles[i].Stamp);
    EXPECT_EQ(cycles[i].Sensors, "SR-101 SR-103");
    EXPECT_EQ(SecondOfDay(t) % 2, 0) << cycles[i].Stamp;
    EXPECT_EQ(day.Rad(static_cast<int>(i)).MeasureTime, t);
    EXPECT_GT(t, i > 0 ? StampTime(cycles[i - 1].Stamp) : 0);
  }
  EXPECT_EQ(LogMessages(Dir), CleanLog);
}

TEST_F(RunnerRun, WindowEndingBeforeItStartsNeverMeasuresButShowsTheClock) {
  const std::regex clock(R"(\nclock \d{4}/\d\d/\d\d  \d\d:\d\d:\d\d\n)");
  const auto clocks = [&](const std::string& out) {
    return std::distance(std::sregex_iterator(out.begin(), out.end(), clock), std::sregex_iterator());
  };
  const Finished run =
      RunUntil("[INT]\nSTART=86399\nEND=0\nINT=1\n", [&](const std::string& out) { return clocks(out) >= 3; }, SIGINT);
  EXPECT_GE(clocks(run.Out), 3);
  EXPECT_EQ(run.Out.find("SR-101 Measuring"), std::string::npos);
  EXPECT_TRUE(CycleReports(run.Out).empty());
  // Nothing stored: no year folder; the log holds only the four lines.
  for (const auto& entry : std::filesystem::directory_iterator(Dir)) EXPECT_FALSE(entry.is_directory()) << entry.path();
  EXPECT_EQ(LogMessages(Dir), CleanLog);
}

TEST_F(RunnerRun, StopWhileASensorNeverAnswersEndsItsRetries) {
  solmet_sim::SensorConfig config;
  config.Model = SR103;
  config.FaultKind = solmet_sim::Fault::NoAnswer;
  config.Paced = false;
  solmet_sim::SimulatedSensor silent(config);
  ASSERT_TRUE(silent.Start());
  const std::string failed = "SR-103 Error(Communication with the sensor failed)";
  const std::string profile =
      "[COM]\nSR103=" + silent.DevicePath() + "\n[USE]\nSR103=1\n[INT]\nSTART=0\nEND=86399\nINT=1\n";
  const Finished run = RunUntil(profile, [&](const std::string& out) { return out.find(failed) != std::string::npos; },
                                SIGTERM, false);
  EXPECT_NE(run.Out.find(failed), std::string::npos) << run.Out;
  // Its thread ends after the current attempt and at most one more pause.
  EXPECT_LT(run.StopTook, 8s);
  EXPECT_TRUE(CycleReports(run.Out).empty());
  EXPECT_EQ(LogMessages(Dir), CleanLog);
}

TEST_F(RunnerRun, IntervalBelowOneSecondMeasuresEverySecond) {
  const Finished run = RunUntil("[INT]\nSTART=0\nEND=86399\nINT=0\n", TwoCycles);
  EXPECT_NE(run.Err.find("measuring every 1 s"), std::string::npos) << run.Err;
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u) << run.Out;
  EXPECT_GE(StampTime(cycles[1].Stamp) - StampTime(cycles[0].Stamp), 1);
}

TEST_F(RunnerRun, BadUsageExitsTwoAndHelpExitsZero) {
  for (const std::string command : {"measure", "run"}) {
    for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
             {Cli, command, "--bogus"},
             {Cli, command, "--simulate", "--profile"},
             {Cli, command, "--data="},
             {Cli, command, "--unpaced", "--data", Dir},
             {Cli, command, "extra-word"}}) {
      const Finished run = RunCli(argv);
      EXPECT_EQ(run.Exit, 2) << command << " " << argv.back();
      EXPECT_NE(run.Err.find("usage: spectrel-cli " + command), std::string::npos) << run.Err;
      EXPECT_EQ(run.Out, "");
    }
    const Finished help = RunCli({Cli, command, "--help"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_EQ(help.Out.rfind("usage: spectrel-cli " + command, 0), 0u) << help.Out;
  }
  EXPECT_EQ(RunCli({Cli}).Exit, 2);
  EXPECT_EQ(RunCli({Cli, "calibrate"}).Exit, 2);
  // Nothing was started, so nothing was logged or stored.
  EXPECT_TRUE(std::filesystem::is_empty(Dir));
}

}  // namespace
}  // namespace spectrel::runner_test
