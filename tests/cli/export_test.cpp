// "spectrel-cli export" run as a child process on a day file written by the day file writer.
#include "cli/runner_support.h"
#include "files/csv_writer.h"
#include "files/krf_file.h"
#include "measure/settings_options.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace spectrel::runner_test {
namespace {

namespace fs = std::filesystem;

// 2023-06-15 09:40:00 in a zone nine hours east of UTC, which the child inherits through TZ.
constexpr std::int64_t kStart = 1686789600;

class ExportTest : public CliTest {
 protected:
  void SetUp() override {
    // Two points at 09:40 and 09:50, six from 10:00 to 10:50; SR-101 and SR-103.
    ASSERT_EQ(SaveKrf(testing::MakeDay({SR101, SR103}, 8, kStart, 600), DayFile), 1);
  }
  Finished Export(const Args& options) {
    Args argv{Cli, "export", DayFile};
    argv.insert(argv.end(), options.begin(), options.end());
    return RunCli(argv);
  }
  // The hour file the in-process writer makes from the first points of the loaded day.
  std::string Expected(int points, const AppSettings& settings) {
    CKrfData day;
    EXPECT_EQ(LoadKrf(day, DayFile), 8);
    CKrfData part = day.Header();
    for (int j = 0; j < points; ++j) part.AppendRad(day.Rad(j));
    std::vector<double> merged;
    BuildMergedWavelengths(part, merged);
    CCsvWriter writer;
    EXPECT_EQ(writer.WriteCsvFile(Dir + "expected.csv", part, CsvOptionsFrom(settings), merged), 1);
    return ReadBytes(Dir + "expected.csv");
  }

  testing::ScopedTz Zone{"JST-9"};
  std::string Out = Dir + "out/", DayFile = Dir + "20230615.KRF";
  std::string H09 = Out + "2023/2023061509.CSV", H10 = Out + "2023/2023061510.CSV";
};

// Every hour as the measuring program would have left it with the settings the options amount to.
TEST_F(ExportTest, OptionsAndProfileChooseGridRangeAndColumns) {
  WriteBytes(Dir + "station.ini", "[SAVE]\nPITCH=1\nLEFT=500\nRIGHT=504\nSR101=0\nMERGE=0\n");
  struct Case {
    Args Options;
    std::function<void(AppSettings&)> Amount;   // the settings they amount to
  };
  const Case cases[] = {
      {{"--out", Out}, [](AppSettings&) {}},   // the defaults
      {{"--out=" + Out, "--pitch=1NM", "--from", "400", "--to=410"},
       [](AppSettings& s) { s.CsvPitch = 1; s.CsvFrom = 400; s.CsvTo = 410; }},
      {{"--out", Out, "--sensors", "sr-103", "--no-merge"}, [](AppSettings& s) { s.CsvSensor = {0, 0, 1, 0}; s.CsvMerge = 0; }},
      // A profile gives the settings and options override it.
      {{"--out", Out, "--profile", Dir + "station.ini", "--pitch", "raw", "--merge"},
       [](AppSettings& s) { s.CsvFrom = 500; s.CsvTo = 504; s.CsvSensor = {0, 1, 1, 1}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options.back());
    const Finished run = Export(c.Options);
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, H09 + "\n" + H10 + "\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Out + "2023"), {}), 2);
    AppSettings settings;
    c.Amount(settings);
    EXPECT_EQ(ReadBytes(H09), Expected(2, settings));
    EXPECT_EQ(ReadBytes(H10), Expected(8, settings));
  }
}

TEST_F(ExportTest, DamagedOrMissingDayFileFails) {
  // An impossible time stamp on the 10:00 point: the two points before it are still exported.
  std::string bytes = ReadBytes(DayFile);
  const std::size_t at = bytes.find("DT_KRF,100\nMT,20230615100000");
  ASSERT_NE(at, std::string::npos);
  WriteBytes(DayFile, bytes.replace(at + 14, 14, "20231399250000"));
  Finished run = Export({"--out", Out});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_NE(run.Err.find("invalid time stamp"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out, H09 + "\n");
  EXPECT_FALSE(fs::exists(H10));

  DayFile = Dir + "20230616.KRF";
  run = Export({"--out", Out + "none"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_EQ(run.Err, "spectrel-cli export: " + DayFile + ": no such file\n");
  EXPECT_FALSE(fs::exists(Out + "none"));
}

}  // namespace
}  // namespace spectrel::runner_test
