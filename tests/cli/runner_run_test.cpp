// spectrel-cli run: interval measurement until a signal, then a clean stop.
#include "cli/runner_support.h"
#include "spectrum/records.h"

namespace spectrel::runner_test {
namespace {

using RunnerRun = CliTest;

TEST_F(RunnerRun, MeasuresAtEveryBoundaryUntilSigtermThenStopsCleanly) {
  const std::string profile = "[INT]\nSTART=0\nEND=86399\nINT=2\n";
  WriteBytes(Dir + "p.ini", profile);
  const Finished run = RunCli({Cli, "run", "--verbose", "--data=" + Dir, "--profile", Dir + "p.ini", "--simulate",
                               "--unpaced"},
                              {}, [](const std::string& out) { return CycleReports(out).size() >= 2; });
  EXPECT_FALSE(run.TimedOut);
  EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("stop requested by signal " + std::to_string(SIGTERM)), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find(CleanExitThreads), std::string::npos) << run.Out;
  EXPECT_EQ(ReadBytes(Dir + "p.ini"), profile);
  // Every cycle is stamped with its boundary (a multiple of 2 s after midnight), in order, and
  // every printed cycle is in the day file; a run cut short by the stop is not stored.
  const std::vector<CycleReport> cycles = CycleReports(run.Out);
  ASSERT_GE(cycles.size(), 2u) << run.Out;
  CKrfData day;
  ASSERT_EQ(day.LoadKrf(cycles.back().DayFile), static_cast<int>(cycles.size()));
  for (size_t i = 0; i < cycles.size(); ++i) {
    const std::int64_t t = StampTime(cycles[i].Stamp);
    EXPECT_EQ(cycles[i].Sensors, "SR-101 SR-103");
    EXPECT_EQ(std::stoi(FormatLocal(t, "%S")) % 2, 0) << cycles[i].Stamp;   // minutes and hours are even
    EXPECT_EQ(day.Rad(static_cast<int>(i)).MeasureTime, t);
    EXPECT_GT(t, i > 0 ? StampTime(cycles[i - 1].Stamp) : 0);
  }
  EXPECT_EQ(LogMessages(Dir), CleanLog);
}

}  // namespace
}  // namespace spectrel::runner_test
