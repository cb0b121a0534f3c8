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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ExportTest : public CliTest {
 protected:
  void SetUp() override {
    if (const char* tz = ::getenv("TZ")) OldTz = tz;
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    CliTest::SetUp();
    Out = Dir + "out/";
    DayFile = Dir + "20230615.KRF";
    // Two points at 09:40 and 09:50, six from 10:00 to 10:50; SR-101 and SR-103.
    ASSERT_EQ(SaveKrf(testing::MakeDay({SR101, SR103}, 8, kStart, 600), DayFile), 1);
  }
  void TearDown() override {
    CliTest::TearDown();
    OldTz ? ::setenv("TZ", OldTz->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
  }
  // "export" with options separated by single spaces.
  Finished Export(const std::string& options) {
    std::vector<std::string> argv{Cli, "export"};
    std::istringstream in(options);
    for (std::string word; in >> word;) argv.push_back(word);
    return RunCli(argv);
  }
  // The hour file the in-process writer makes from the first points of the loaded day.
  std::string Expected(int points, const AppSettings& settings) {
    CKrfData day;
    EXPECT_EQ(LoadKrf(day, DayFile), 8);
    CKrfData part;
    for (int m = SR101; m <= SR104; ++m)
      if (day.Info(m)) part.SetInfo(m, *day.Info(m));
    for (int j = 0; j < points; ++j) part.AppendRad(day.Rad(j));
    std::vector<double> merged;
    BuildMergedWavelengths(part, merged);
    CCsvWriter writer;
    EXPECT_EQ(writer.WriteCsvFile(Dir + "expected.csv", part, CsvOptionsFrom(settings), merged), 1);
    return ReadBytes(Dir + "expected.csv");
  }

  std::optional<std::string> OldTz;
  std::string Out, DayFile;
};

TEST_F(ExportTest, WritesEveryHourAsTheMeasuringProgramLeftIt) {
  const Finished run = Export(DayFile + " --out " + Out);
  ASSERT_EQ(run.Exit, 0) << run.Err;
  const std::string h09 = Out + "2023/2023061509.CSV", h10 = Out + "2023/2023061510.CSV";
  EXPECT_EQ(run.Out, h09 + "\n" + h10 + "\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(Out + "2023"), {}), 2);

  const std::vector<std::string> lines = Lines(ReadBytes(h09));
  ASSERT_GT(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Date,2023/06/15,,,2023/06/15,,,");
  EXPECT_EQ(lines[1], "Time,09:40:00,,,09:50:00,,,");
  EXPECT_EQ(lines[3], "Sensor,SR-101,SR-103,Merge,SR-101,SR-103,Merge,");
  // First pixel of SR-101: (1000 - 500) * 0.05 at the first point, (1000 - 501) * 0.05 next.
  EXPECT_EQ(lines[8].substr(0, 20), "300.40,25.00,,25.00,");
  EXPECT_EQ(lines[8].substr(20, 14), "24.95,,24.95,");
  EXPECT_EQ(Lines(ReadBytes(h10))[1],
            "Time,10:00:00,,,10:10:00,,,10:20:00,,,10:30:00,,,10:40:00,,,10:50:00,,,");

  const AppSettings defaults;
  EXPECT_EQ(ReadBytes(h09), Expected(2, defaults));
  EXPECT_EQ(ReadBytes(h10), Expected(8, defaults));
}

TEST_F(ExportTest, OptionsAndProfileChooseGridRangeAndColumns) {
  Finished run = Export(DayFile + " --out " + Out + " --pitch 1nm --from 400 --to 410");
  ASSERT_EQ(run.Exit, 0) << run.Err;
  std::vector<std::string> lines = Lines(ReadBytes(Out + "2023/2023061510.CSV"));
  ASSERT_EQ(lines.size(), 8u + 11u);
  EXPECT_EQ(lines[8].substr(0, 7), "400.00,");
  EXPECT_EQ(lines[18].substr(0, 7), "410.00,");

  run = Export(DayFile + " --out " + Out + " --sensors SR103 --no-merge");
  ASSERT_EQ(run.Exit, 0) << run.Err;
  lines = Lines(ReadBytes(Out + "2023/2023061509.CSV"));
  ASSERT_EQ(lines.size(), 8u + 512u);   // the SR-103 pixels alone
  EXPECT_EQ(lines[3], "Sensor,SR-103,SR-103,");
  AppSettings chosen;
  chosen.CsvSensor = {0, 0, 1, 0};
  chosen.CsvMerge = 0;
  EXPECT_EQ(ReadBytes(Out + "2023/2023061509.CSV"), Expected(2, chosen));

  // A profile gives the settings and options override it.
  WriteBytes(Dir + "station.ini", "[SAVE]\nPITCH=1\nLEFT=500\nRIGHT=504\nSR101=0\nMERGE=0\n");
  run = Export(DayFile + " --out " + Out + " --profile " + Dir + "station.ini");
  ASSERT_EQ(run.Exit, 0) << run.Err;
  lines = Lines(ReadBytes(Out + "2023/2023061509.CSV"));
  ASSERT_EQ(lines.size(), 8u + 5u);
  EXPECT_EQ(lines[3], "Sensor,SR-103,SR-103,");
  EXPECT_EQ(lines[12].substr(0, 7), "504.00,");

  run = Export(DayFile + " --out " + Out + " --profile " + Dir + "station.ini --pitch raw");
  ASSERT_EQ(run.Exit, 0) << run.Err;
  EXPECT_EQ(Lines(ReadBytes(Out + "2023/2023061509.CSV")).size(), 8u + 512u);
}

TEST_F(ExportTest, BadUsageWritesNothingAndADamagedOrMissingDayFileFails) {
  for (const std::string& options :
       {std::string(""), DayFile, DayFile + " --out " + Out + " --pitch 2nm",
        DayFile + " --out " + Out + " --sensors SR101,SR105",
        DayFile + " --out " + Out + " --from 500 --to 400",
        DayFile + " --out " + Out + " --from abc", DayFile + " --out " + Out + " --bogus"}) {
    const Finished run = Export(options);
    EXPECT_EQ(run.Exit, 2) << options;
    EXPECT_NE(run.Err.find("usage:"), std::string::npos) << options;
  }
  EXPECT_FALSE(fs::exists(Out));

  // An impossible time stamp on the 10:00 point: the two points before it are still exported.
  std::string bytes = ReadBytes(DayFile);
  const std::size_t at = bytes.find("DT_KRF,100\nMT,20230615100000");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at + 14, 14, "20231399250000");
  std::ofstream(DayFile, std::ios::binary | std::ios::trunc) << bytes;
  Finished run = Export(DayFile + " --out " + Out);
  EXPECT_EQ(run.Exit, 1);
  EXPECT_NE(run.Err.find("invalid time stamp"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out, Out + "2023/2023061509.CSV\n");
  EXPECT_FALSE(fs::exists(Out + "2023/2023061510.CSV"));

  run = Export(Dir + "20230616.KRF --out " + Out + "none");
  EXPECT_EQ(run.Exit, 1);
  EXPECT_NE(run.Err.find("no such file"), std::string::npos) << run.Err;
  EXPECT_FALSE(fs::exists(Out + "none"));
}

}  // namespace
}  // namespace spectrel::runner_test
