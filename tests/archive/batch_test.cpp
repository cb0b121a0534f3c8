// Whole archives: a folder tree of real day files planned and converted on worker processes,
// incrementally, with damaged days reported and skipped and nothing half-written left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

#include "files/krf_file.h"
#include "archive_support.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t April12 = 1555023600;   // 2019-04-12 08:00 at +9

class BatchTest : public ::testing::Test {
 protected:
  // Day files of consecutive days below data/2019 (three points of SR-102 with SR-104 each).
  void WriteDays(int days) {
    fs::create_directories(Dir.File("data/2019"));
    for (int d = 0; d < days; ++d) {
      const CKrfData day = MakeDay({SR102, SR104}, 3, April12 + d * 86400, 600);
      ASSERT_TRUE(SaveKrf(day, DayFile(d)));
    }
  }
  std::string DayFile(int d) const { return Dir.File("data/2019/201904" + std::to_string(12 + d) + ".KRF"); }
  std::string Output(int d) const { return Dir.File("out/2019/201904" + std::to_string(12 + d) + ".nc"); }
  // Converts data into out; the lines of the days that failed.
  std::string Run(bool force = false) { return ConvertAll(Dir.File("data"), NetCdfConversion(Dir.File("out")), force); }
  ScopedTz Tz{"UTC-9"};
  TempDir Dir;
};

TEST_F(BatchTest, SkipsDaysWhoseOutputIsNewerUnlessForced) {
  WriteDays(2);
  ASSERT_EQ(Run(), "");
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (int d = 0; d < 2; ++d) fs::last_write_time(Output(d), past);
  fs::last_write_time(DayFile(0), past - std::chrono::hours(1));
  fs::last_write_time(DayFile(1), fs::file_time_type::clock::now());   // day 2 measured again

  ASSERT_EQ(Run(), "");
  EXPECT_EQ(fs::last_write_time(Output(0)), past);   // up to date: left alone
  EXPECT_GT(fs::last_write_time(Output(1)), past);   // older than its day file: rewritten

  fs::last_write_time(Output(1), past);
  ASSERT_EQ(Run(true), "");
  EXPECT_GT(fs::last_write_time(Output(0)), past);
  EXPECT_GT(fs::last_write_time(Output(1)), past);
}

// The part of a day that another sensor unit measured converts beside the day, never over it.
TEST_F(BatchTest, APartOfTheDayConvertsBesideTheDay) {
  WriteDays(1);
  ASSERT_TRUE(SaveKrf(MakeDay({SR102}, 2, April12 + 7200, 600), Dir.File("data/2019/20190412_2.KRF")));
  ASSERT_EQ(Run(), "");
  const std::string part = Dir.File("out/2019/20190412_2.nc");
  ASSERT_TRUE(fs::exists(Output(0)) && fs::exists(part));
  EXPECT_NE(ReadBytes(Output(0)), ReadBytes(part));
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir.File("out/2019")), fs::directory_iterator()), 2);
}

// A failed write leaves nothing under the final name or beside it.
TEST_F(BatchTest, EveryDayThatFailsIsReportedWithoutStoppingTheRest) {
  WriteDays(3);
  std::string bytes = ReadBytes(DayFile(1));
  const std::size_t mt = bytes.find("MT,2019");
  bytes.replace(mt + 3, 8, "20191340");   // month 13: not a date
  WriteBytes(DayFile(1), bytes);
  WriteBytes(Dir.File("data/2019/20190420.KRF"), "");
  fs::create_directories(Output(2));   // a folder where the third day's file would go: rename fails
  // The workers' own reporting, in process or not, is checked with the workers below.
  const std::string Errors = Run();
  EXPECT_TRUE(fs::exists(Output(0)));
  EXPECT_FALSE(fs::exists(Output(1)));
  EXPECT_TRUE(fs::is_directory(Output(2)));
  EXPECT_FALSE(fs::exists(Dir.File("out/2019/20190420.nc")));
  EXPECT_NE(Errors.find(DayFile(1) + ": damaged day file"), std::string::npos) << Errors;
  EXPECT_NE(Errors.find("20190420.KRF: not a day file"), std::string::npos) << Errors;
  EXPECT_NE(Errors.find("cannot rename"), std::string::npos) << Errors;
  EXPECT_EQ(std::count(Errors.begin(), Errors.end(), '\n'), 3) << Errors;
  for (const auto& e : fs::recursive_directory_iterator(Dir.File("out")))   // no half-written files
    EXPECT_TRUE(!e.is_regular_file() || e.path().extension() == ".nc") << e.path();
}

TEST(DayWorkers, EveryJobIsReportedOnceEvenWhenAWorkerDies) {
  for (int workers : {1, 2, 3}) {
    SCOPED_TRACE(workers);
    std::vector<int> reports(7, 0);
    std::vector<std::string> messages(7);
    archive::RunDayWorkers(
        7, workers,
        [workers](std::size_t i) -> archive::DayOutcome {
          if (i == 3 && workers > 1) ::_exit(70);   // the worker process dies mid-job
          if (i == 5) throw std::runtime_error("no room left");
          if (i != 4 && i != 6) return {true, i * 10, "day " + std::to_string(i), {}, {}};
          // Days 4 and 6 finish beside the next one; day 4's flush fails.
          return {true, i * 10, "computed", [i]() -> archive::DayOutcome {
                    if (i == 4) throw std::runtime_error("cannot flush");
                    return {true, i * 10, "day " + std::to_string(i) + " on disk", {}, "late " + std::to_string(i)};
                  },
                  {}};
        },
        [&](std::size_t i, const archive::DayOutcome& o) {
          ++reports[i];
          messages[i] = o.Message;
          EXPECT_EQ(o.Warnings, i == 6 ? "late 6" : "");   // a finished day's warnings come up the pipe
          EXPECT_EQ(o.Bytes, o.Ok ? i * 10 : 0);
        });
    EXPECT_EQ(reports, std::vector<int>(7, 1));
    EXPECT_EQ(messages[6], "day 6 on disk");
    EXPECT_EQ(messages[1], "day 1");
    EXPECT_EQ(messages[4], "cannot flush");
    EXPECT_EQ(messages[5], "no room left");
    EXPECT_EQ(messages[3], workers > 1 ? "the conversion ended abnormally" : "day 3");
  }
}

}  // namespace
}  // namespace spectrel::testing
