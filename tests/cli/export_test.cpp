// "spectrel-cli export" run as a child process on a day file written by the day file writer.
#include "cli/batch_progress.h"
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
    ASSERT_TRUE(SaveKrf(testing::MakeDay({SR101, SR103}, 8, kStart, 600), DayFile));
  }
  Finished Export(const Args& options) {
    return RunCli(Joined({Cli, "export", DayFile}, options));
  }
  // The hour file the in-process writer makes from the first points of the loaded day.
  std::string Expected(int points, const AppSettings& settings) {
    CKrfData day;
    EXPECT_EQ(LoadKrf(day, DayFile).Points, 8);
    CKrfData part = day.Header();
    for (int j = 0; j < points; ++j) part.AppendRad(day.Rad(j));
    std::vector<double> merged;
    BuildMergedWavelengths(part, merged);
    CCsvWriter writer;
    EXPECT_TRUE(writer.WriteCsvFile(Dir + "expected.csv", part, CsvOptionsFrom(settings), merged));
    return ReadBytes(Dir + "expected.csv");
  }

  testing::ScopedTz Zone{"JST-9"};
  std::string Out = Dir + "out/", DayFile = Dir + "20230615.KRF";
  std::string H09 = Out + "2023/2023061509.CSV", H10 = Out + "2023/2023061510.CSV";
};

// Every hour as the measuring program would have left it with the settings the options amount to.
TEST_F(ExportTest, EveryHourIsWrittenWithTheSettingsTheOptionsAmountTo) {
  WriteBytes(Dir + "station.ini", "[SAVE]\nPITCH=1\nLEFT=500\nRIGHT=504\nSR101=0\nMERGE=0\n");
  struct Case {
    Args Options;
    std::function<void(AppSettings&)> Amount;   // the settings they amount to
  };
  const Case cases[] = {
      {{"--out", Out}, [](AppSettings&) {}},   // the defaults
      {{"--out=" + Out, "--pitch=1NM", "--from", "400", "--to=410"},
       [](AppSettings& s) { s.CsvPitch = WavelengthPitch::OneNm; s.CsvFrom = 400; s.CsvTo = 410; }},
      {{"--out", Out, "--sensors", "sr-103", "--no-merge"}, [](AppSettings& s) { s.CsvSensor = {false, false, true, false}; s.CsvMerge = false; }},
      // A profile gives the settings and options override it.
      {{"--out", Out, "--profile", Dir + "station.ini", "--pitch", "raw", "--merge"},
       [](AppSettings& s) { s.CsvFrom = 500; s.CsvTo = 504; s.CsvSensor = {false, true, true, true}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options.back());
    const Finished run = Export(c.Options);
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, H09 + "\n" + H10 + "\n1 day: 1 written, 0 up to date, 0 failed\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Out + "2023"), {}), 2);
    AppSettings settings;
    c.Amount(settings);
    EXPECT_EQ(ReadBytes(H09), Expected(2, settings));
    EXPECT_EQ(ReadBytes(H10), Expected(8, settings));
  }
}

// An impossible time stamp on the 10:00 point: the hour before it is exported, the same file
// whatever else the run is asked, and the day counts as failed.
TEST_F(ExportTest, ADayStoppedByABadTimeStampGivesTheHoursBeforeItWhateverTheOptions) {
  const std::string before = Expected(2, AppSettings());
  std::string bytes = ReadBytes(DayFile);
  const std::size_t at = bytes.find("DT_KRF,100\nMT,20230615100000");
  ASSERT_NE(at, std::string::npos);
  WriteBytes(DayFile, bytes.replace(at + 14, 14, "20231399250000"));
  for (const Args& extra : {Args{}, Args{"--quiet"}, Args{"--force"}, Args{"--jobs", "1"}, Args{"--jobs", "2"}}) {
    SCOPED_TRACE(extra.empty() ? "no option" : extra.front());
    fs::remove_all(Out);
    Args options{"--out", Out};
    options.insert(options.end(), extra.begin(), extra.end());
    const Finished run = Export(options);
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(ReadBytes(H09), before);
    EXPECT_FALSE(fs::exists(H10));
    const std::string said = "spectrel-cli export: " + DayFile + ": damaged day file: invalid time stamp \"20231399250000\"";
    const std::string todo = "; exported the 2 points read before it; spectrel-cli repair writes a day file of every "
                             "readable point\n";
    EXPECT_EQ(run.Err.rfind(said, 0), 0u) << run.Err;
    EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << run.Err;
    EXPECT_EQ(run.Err.substr(run.Err.size() - std::min(run.Err.size(), todo.size())), todo);
    EXPECT_EQ(run.Out, extra.empty() || extra.front() != "--quiet" ? H09 + "\n1 day: 0 written, 0 up to date, 1 failed\n" : "");
  }
}

// Options that do not go together, and inputs or outputs that cannot be used, in export and info:
// one line that says why and what to do, the right exit code, and nothing written.
TEST_F(ExportTest, WhatCannotBeDoneIsRefusedInOneLine) {
  WriteBytes(Dir + "plain-file", "x");
  fs::create_directories(Dir + "empty");
  struct Row {
    const char* Name;
    Args Argv;   // after the program
    int Exit;
    std::string Said;
  };
  const Row rows[] = {
      {"from with raw pixels", {"export", DayFile, "--out", Out, "--from", "400"}, 2, "--from and --to shape the 1 nm grid"},
      {"range upside down", {"export", DayFile, "--out", Out, "--pitch", "1nm", "--from", "900", "--to", "400"}, 2,
       "the grid runs from 900 to 400 nm; give --from below --to"},
      {"zone of a CSV export", {"export", DayFile, "--out", Out, "--tz", "Asia/Tokyo"}, 2,
       "--tz applies to --format netcdf only"},
      {"columns of a NetCDF export", {"export", DayFile, "--out", Out, "--format", "netcdf", "--sensors", "SR101"}, 2,
       "--pitch and --sensors choose CSV columns"},
      {"unknown zone", {"export", DayFile, "--out", Out, "--format", "netcdf", "--tz", "Mars/Olympus"}, 2,
       "unknown time zone 'Mars/Olympus': not in the system's zone database"},
      {"missing profile", {"export", DayFile, "--out", Out, "--profile", Dir + "none.ini"}, 2,
       "no profile " + Dir + "none.ini: No such file or directory"},
      {"unknown format", {"export", DayFile, "--out", Out, "--format", "hdf"}, 2, "hdf"},
      {"missing input", {"export", Dir + "nowhere", "--out", Out}, 1, Dir + "nowhere: no such file or folder"},
      {"folder without day files", {"export", Dir + "empty", "--out", Out}, 1, "no day files (*.KRF) in this folder"},
      {"output below a plain file", {"export", DayFile, "--out", Dir + "plain-file/out"}, 1,
       "cannot create the output folder " + Dir + "plain-file/out: Not a directory; choose another --out"},
      {"info: zone and profile", {"info", DayFile, "--tz", "Asia/Tokyo", "--profile", DayFile}, 2,
       "--tz names the zone, and --profile only brings its zone"},
      {"info: missing profile", {"info", DayFile, "--profile", Dir + "none.ini"}, 2,
       "No such file or directory; name an existing one"},
      {"info: unknown zone", {"info", DayFile, "--tz", "Mars/Olympus"}, 2, "unknown time zone 'Mars/Olympus'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    const Finished run = RunCli(Joined({Cli}, row.Argv));
    EXPECT_EQ(run.Exit, row.Exit);
    EXPECT_EQ(run.Err.rfind("spectrel-cli " + row.Argv.front() + ": ", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find(row.Said), std::string::npos) << run.Err;
    if (row.Exit == 1) {
      EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    EXPECT_FALSE(fs::exists(Out));
  }
}

TEST(BatchProgress, TheBarShowsDaysDoneThenTheRateThenTheTimeLeft) {
  EXPECT_EQ(cli::BatchProgress::BarText(12, 30, 154.25, 185.0),
            "[#########               ] 12/30 days  154.2 MB/s  3:05 left");
  EXPECT_EQ(cli::BatchProgress::BarText(0, 4, 0.0, -1.0),
            "[                        ] 0/4 days  0.0 MB/s");
  EXPECT_EQ(cli::BatchProgress::BarText(4, 4, 80.0, 0.0),
            "[########################] 4/4 days  80.0 MB/s  0:00 left");
}

}  // namespace
}  // namespace spectrel::runner_test
