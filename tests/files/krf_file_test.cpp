// The day file both ways: the writer must produce the golden bytes, the reader must turn them
// back into the golden records; then the ways either side can fail; and its 14-digit local time,
// written in the zone the program runs in and read as the clock reading it is.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "base/station_zone.h"
#include "files/file_output.h"
#include "support/golden_day.h"
#include "files/krf_file.h"
#include "files/krf_numbers.h"
#include "files/krf_time.h"
#include "support/comma_locale.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::MakeGoldenDay;
using testing::ReadBytes;
using testing::TempDir;

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

class KrfFile : public ::testing::Test {
 protected:
  testing::ScopedTz Utc{"UTC0"};
  TempDir Dir;
  std::string Path = Dir.File("20190412.KRF");
};

TEST_F(KrfFile, AWholeWriteGivesTheGoldenBytesReplacingTheOldFileAtOnce) {
  const std::string old = "HD_KRF,100\n" + std::string(900000, 'x') + "\n";
  testing::WriteBytes(Path, old);
  const int reader = ::open(Path.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(SaveKrf(MakeGoldenDay().Set, Path));
  EXPECT_TRUE(ReadBytes(Path) == MakeGoldenDay().Bytes);
  CKrfData read;   // and the reader turns those bytes back into the records
  ASSERT_EQ(LoadKrf(read, Path).Points, 2);
  EXPECT_TRUE(read == MakeGoldenDay().Set);
  EXPECT_EQ(LoadKrf(read, Path).Points, 4);   // a second load adds its points
  // A reader that had the old file open keeps reading the old content whole.
  std::string seen(old.size(), '\0');
  EXPECT_EQ(::pread(reader, seen.data(), seen.size(), 0), static_cast<ssize_t>(old.size()));
  EXPECT_TRUE(seen == old);
  ::close(reader);
  EXPECT_EQ(Dir.Count(), 1);   // no temporary file stays behind
}

// A table shorter than the sensor's pixels (a record read from a damaged file) is written as
// the same section with zeros for the missing values, never shorter or longer.
TEST_F(KrfFile, AShortTableIsWrittenFilledWithZeros) {
  CKrfData cut = MakeGoldenDay().Set;
  CKrfData zeroed = cut;
  cut.Rad(0).Block(SR101)->Light.resize(500);
  std::vector<float>& full = zeroed.Rad(0).Block(SR101)->Light;
  std::fill(full.begin() + 500, full.end(), 0.0f);
  ASSERT_TRUE(SaveKrf(cut, Dir.File("cut.KRF")));
  ASSERT_TRUE(SaveKrf(zeroed, Dir.File("zeroed.KRF")));
  EXPECT_TRUE(ReadBytes(Dir.File("cut.KRF")) == ReadBytes(Dir.File("zeroed.KRF")));
}

// Loads that fail have their codes and leave the set as it was.
TEST_F(KrfFile, FailedLoadsSayWhyLeavingTheSetAsItWas) {
  CKrfData read = MakeGoldenDay().Set;
  const CKrfData before = read;
  for (const char* bad : {"HD_KRF;100\nSITE,x\n", "", "HD_KRF", "hd_krf,100\n"}) {
    testing::WriteBytes(Path, bad);
    EXPECT_EQ(LoadKrf(read, Path).Error, DayLoadError::NotDayFile) << bad;
  }
  EXPECT_EQ(LoadKrf(read, Dir.File("missing.KRF")).Error, DayLoadError::Missing);
  EXPECT_EQ(LoadKrf(read, Dir.File("no/folder/x.KRF")).Error, DayLoadError::Missing);
  EXPECT_EQ(LoadKrf(read, Dir.Path).Error, DayLoadError::Unreadable);   // a folder
  EXPECT_EQ(LoadKrf(read, Dir.File(std::string(300, 'n'))).Error, DayLoadError::Unreadable);   // a name too long to look up
  const std::string fifo = Dir.File("pipe.KRF");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadKrf(read, fifo).Error, DayLoadError::Unreadable);   // refused at once, never waiting for a writer
  const std::string locked = Dir.File("locked.KRF");
  testing::WriteBytes(locked, MakeGoldenDay().Bytes);
  ::chmod(locked.c_str(), 0);
  if (::access(locked.c_str(), R_OK) != 0) {   // not as root
    EXPECT_EQ(LoadKrf(read, locked).Error, DayLoadError::Unreadable);
  }
  // A sparse file of 3 GB: more than the reader's 32-bit length.
  ASSERT_EQ(::truncate(Path.c_str(), 3LL << 30), 0);
  EXPECT_EQ(LoadKrf(read, Path).Error, DayLoadError::OutOfMemory);
  EXPECT_TRUE(read == before);
}

// Built point by point on its header, or written as a new file, the day is the golden file too;
// a point is appended to an existing file only, a new file never replaces one and a file locked
// by another writer is left alone.
TEST_F(KrfFile, AppendedPointByPointOrWrittenNewItIsTheGoldenFile) {
  const testing::GoldenDay golden = MakeGoldenDay();
  EXPECT_FALSE(AppendKrf(golden.Set, Path, golden.Set.Rad(0)));
  EXPECT_EQ(Dir.Count(), 0);
  ASSERT_TRUE(SaveKrf(golden.Set.Header(), Path));
  ASSERT_TRUE(AppendKrf(golden.Set, Path, golden.Set.Rad(0)));
  ASSERT_TRUE(AppendKrf(golden.Set, Path, golden.Set.Rad(1)));
  EXPECT_TRUE(ReadBytes(Path) == golden.Bytes);
  EXPECT_FALSE(SaveNewKrf(CKrfData(), Path));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_TRUE(ReadBytes(Path) == golden.Bytes);
  ASSERT_TRUE(SaveNewKrf(golden.Set, Dir.File("new.KRF")));
  EXPECT_TRUE(ReadBytes(Dir.File("new.KRF")) == golden.Bytes);
  // A file held by another writer is refused both ways until it lets go.
  const int holder = ::open(Path.c_str(), O_RDWR);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  EXPECT_FALSE(AppendKrf(golden.Set, Path, CRad()));
  EXPECT_FALSE(SaveKrf(CKrfData(), Path));
  EXPECT_TRUE(ReadBytes(Path) == golden.Bytes);
  ::flock(holder, LOCK_UN);
  EXPECT_TRUE(AppendKrf(golden.Set, Path, CRad()));
  ::close(holder);
  EXPECT_EQ(Dir.Count(), 2);
}

TEST_F(KrfFile, OnlyAbandonedLeftoversOfOurTemporaryPatternAreRemoved) {
  const std::string abandoned = Dir.File(".20190412.KRF.spectrel-tmp-99999-3");
  const std::string live = Dir.File(".20190412.KRF.spectrel-tmp-1-1");
  const std::string otherDay = Dir.File(".20190413.KRF.spectrel-tmp-7-0");
  const char* lookAlikes[] = {"20190412.KRF.spectrel-tmp-1-2", ".20190412.KRF.spectrel-tmp-1-x",
                              ".20190412.KRF.spectrel-tmp-12", ".20190412.KRF.spectrel-tmp--1", ".20190412.KRF.spectrel-tmp-1-",
                              "20190412.KRF.~123.0", ".20190412.KRF"};
  for (const std::string& name : {abandoned, live, otherDay}) testing::WriteBytes(name, "x");
  for (const char* name : lookAlikes) testing::WriteBytes(Dir.File(name), "x");
  const int holder = ::open(live.c_str(), O_RDONLY);   // a writer still at work
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  ASSERT_TRUE(SaveKrf(MakeGoldenDay().Set, Path));
  EXPECT_NE(::access(abandoned.c_str(), F_OK), 0);
  EXPECT_EQ(::access(live.c_str(), F_OK), 0);
  EXPECT_EQ(::access(otherDay.c_str(), F_OK), 0);   // only the file being written is cleaned
  EXPECT_EQ(RemoveLeftoverTemporariesIn(Dir.Path), 1);
  ::close(holder);
  EXPECT_EQ(RemoveLeftoverTemporariesIn(Dir.Path), 1);
  for (const char* name : lookAlikes) EXPECT_EQ(::access(Dir.File(name).c_str(), F_OK), 0) << name;
  EXPECT_TRUE(IsTemporaryName(NameOf(TemporaryPathFor(Path, 42, 7)), "20190412.KRF"));
}

TEST(KrfNumbers, NumbersFollowTheCConventionsInEveryLocale) {
  const std::pair<float, const char*> cases[] = {
      {3.45f, "3.5"},   {-5.25f, "-5.2"},   {1234.25f, "1234.2"},        {0.75f, "0.8"},
      {-273.15f, "-273.1"}, {1e6f, "1000000.0"}, {-0.04f, "-0.0"}, {0.0f, "0.0"}};
  testing::CommaLocale comma;
  for (const auto& [value, text] : cases) {
    std::string out = "x";
    AppendKrfReal(out, value);
    EXPECT_EQ(out, std::string("x") + text);
  }
  std::string ints;
  AppendKrfInt(ints, -2147483648LL);
  EXPECT_EQ(ints, "-2147483648");
  EXPECT_EQ(KrfAtoi(" 12ms"), 12);
  EXPECT_EQ(KrfAtoi("abc"), 0);
  EXPECT_EQ(KrfToFloat(1e300), std::numeric_limits<float>::infinity());
  EXPECT_EQ(KrfToFloat(-1e300), -std::numeric_limits<float>::infinity());
}

TEST_F(KrfFile, FailedWritesLeaveTheFileAsItWas) {
  const CKrfData day = testing::MakeDay({SR102}, 1, testing::At090503, 60);   // about 20 KB
  ASSERT_TRUE(SaveKrf(day, Path));
  const std::string before = ReadBytes(Path);
  CKrfData bigger = day;
  bigger.AppendRad(day.Rad(0));
  // Room for a few more kilobytes only: the 16 KB block is cut, then taken back.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit limit = old;
  limit.rlim_cur = before.size() + 4000;
  const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const bool appended = AppendKrf(day, Path, day.Rad(0));
  const bool saved = SaveKrf(bigger, Path);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(appended);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(ReadBytes(Path) == before);
  EXPECT_EQ(Dir.Count(), 1);   // the temporary file of the failed whole write is gone
  EXPECT_FALSE(SaveKrf(CKrfData(), Dir.File("no/such/folder/x.KRF")));
  EXPECT_FALSE(SaveKrf(CKrfData(), Dir.Path));   // a folder in place of the file
}

TEST(KrfTime, AStampInTheProgramsZoneReadsBackAsTheSameInstant) {
  const struct {
    const char* Zone;
    const char* Text;
    std::int64_t Time;
  } cases[] = {
      {"UTC0", "20190412090503", 1555059903},          {"Europe/Berlin", "20190412090503", 1555052703},
      {"Asia/Kolkata", "20190412090503", 1555040103},  {"Europe/Berlin", "20190115120000", 1547550000},
      {"Europe/Berlin", "20190331015959", 1553993999},  {"Europe/Berlin", "20190331030000", 1553994000},
      {"UTC0", "19700101000000", 0},                   {"UTC0", "20191231235959", 1577836799},
  };
  for (const auto& c : cases) {
    testing::ScopedTz tz(c.Zone);
    EXPECT_EQ(FormatKrfTime(c.Time), c.Text) << c.Zone;
    const std::optional<ClockSeconds> clock = ParseKrfClock(c.Text);
    ASSERT_TRUE(clock.has_value()) << c.Text;
    EXPECT_EQ(StationZone::Process().Instants(*clock).Earlier, c.Time) << c.Zone << " " << c.Text;
  }
}

TEST(KrfTime, FieldsReadLikeAtoiWithinTheirRanges) {
  for (const char* bad : {"19691231235959", "20190012000000", "20191301000000", "20190100000000",
                          "20190132000000", "20190101240000", "20190101006000", "20190101000060",
                          "", "2019", "x0190101000000", "2019-1-1000000"})
    EXPECT_FALSE(ParseKrfClock(bad).has_value()) << bad;
  EXPECT_EQ(ParseKrfClock("201904120905"), 1555059900);       // missing fields count as 0
  EXPECT_EQ(ParseKrfClock("2019041209050399"), 1555059903);   // characters past 14 are not read
  EXPECT_EQ(ParseKrfClock("20190231000000"), ParseKrfClock("20190303000000"));   // only checked against 31
  EXPECT_EQ(FormatKrfTime(INT64_MAX), "");
}

}  // namespace
}  // namespace spectrel
