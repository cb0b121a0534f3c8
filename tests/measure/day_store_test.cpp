// The day store on real files: a day begun whole and then appended to, a day whose header grows
// written whole again, damaged files kept aside, points held while their file cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/krf_file.h"
#include "measure/day_store.h"
#include "support/fake_clock.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

std::int64_t Dec(int d, int h, int mi) { return Utc(2026, 12, d, h, mi) - 9 * 3600; }   // Tokyo

class DayStoreTest : public ::testing::Test {
 protected:
  std::string DayPath(int d) const { return Dir.Path + "/2026/2026120" + std::to_string(d) + ".KRF"; }
  static CKrfData Header(const std::vector<int>& models) {
    CKrfData header;
    header.SiteName = "Tsukuba";
    header.TimeZone = "+9";
    for (int model : models) header.SetInfo(model, MakeSensorInfo(model));
    return header;
  }
  static CRad Point(std::int64_t t) {
    CRad rad;
    rad.MeasureTime = t;
    rad.SetBlock(SR102, MakeMeasurement(SR102, t, 3));
    return rad;
  }
  // One cycle of the day d at t; what its save came to.
  StoreOutcome Cycle(int d, std::int64_t t, const std::vector<int>& models = {SR102}) {
    Reads.push_back(Store.Begin(DayPath(d), Header(models)));
    Store.Add(Point(t));
    return Store.Save();
  }
  static std::vector<std::int64_t> Times(const std::string& path) {
    CKrfData set;
    std::vector<std::int64_t> times;
    EXPECT_GT(LoadKrf(set, path), 0) << path;
    for (int j = 0; j < set.RadCount(); ++j) times.push_back(set.Rad(j).MeasureTime);
    return times;
  }
  // A line the reader skips, right after the file header: a whole write drops it.
  void Mark(int d) {
    std::string bytes = ReadBytes(DayPath(d));
    bytes.insert(bytes.find("HD_KRF_END\n") + 11, "NOTE,mark\n");
    WriteBytes(DayPath(d), bytes);
  }

  ScopedTz Zone{"Asia/Tokyo"};
  TempDir Dir;
  DayStore Store;
  std::vector<DayRead> Reads;
};

TEST_F(DayStoreTest, DayIsAppendedToUntilItsHeaderGrows) {
  ASSERT_TRUE(Cycle(7, Dec(7, 6, 0)).Cycle.Stored);
  EXPECT_EQ(Reads.back().What, DayRead::Found::Nothing);
  Mark(7);
  const std::string before = ReadBytes(DayPath(7));
  ASSERT_TRUE(Cycle(7, Dec(7, 6, 10)).Cycle.Stored);
  EXPECT_EQ(Reads.back().What, DayRead::Found::Whole);
  EXPECT_EQ(ReadBytes(DayPath(7)).substr(0, before.size()), before);   // appended
  // SR-104 joins: its record goes into the header, so the day is written whole.
  ASSERT_TRUE(Cycle(7, Dec(7, 6, 20), {SR102, SR104}).Cycle.Stored);
  EXPECT_EQ(ReadBytes(DayPath(7)).find("NOTE,mark"), std::string::npos);
  CKrfData day;
  ASSERT_EQ(LoadKrf(day, DayPath(7)), 3);
  EXPECT_EQ(day.SiteName, "Tsukuba");
  EXPECT_NE(day.Info(SR104), nullptr);
  EXPECT_EQ(day.Rad(2).Block(SR102)->Light, MakeMeasurement(SR102, Dec(7, 6, 20), 3).Light);
}

TEST_F(DayStoreTest, DamagedDayFileIsKeptAsideAndTheDayWrittenAgain) {
  std::filesystem::create_directories(Dir.Path + "/2026");
  ASSERT_EQ(SaveKrf(MakeDay({SR102}, 3, Dec(8, 6, 0), 600), DayPath(8)), 1);
  std::string cut = ReadBytes(DayPath(8));
  cut.resize(cut.rfind("MD_BGN\n") + 7 + 1000);   // a power cut inside the last spectrum
  struct Case {
    const char* Name;
    std::string Bytes;
    DayRead::Found What;
    std::vector<std::int64_t> Kept;   // points of the old file in the new one
  };
  const Case cases[] = {
      {"bad first line", "HD_KRF;100\nSITE,Old site\nHD_KRF_END\n", DayRead::Found::Unreadable, {}},
      {"a time that is no date", "HD_KRF,100\nHD_KRF_END\nDT_KRF,100\nMT,20261208060000\nDT_KRF_END\n"
                                 "DT_KRF,100\nMT,20261399060000\nDT_KRF_END\n", DayRead::Found::Unreadable, {}},
      {"cut inside a spectrum", cut, DayRead::Found::CutShort, {Dec(8, 6, 0), Dec(8, 6, 10), Dec(8, 6, 20)}},
  };
  int n = 0;
  for (const Case& c : cases) {
    WriteBytes(DayPath(8), c.Bytes);
    ASSERT_TRUE(Cycle(8, Dec(8, 7, 0)).Cycle.Stored) << c.Name;
    EXPECT_EQ(Reads.back().What, c.What) << c.Name;
    EXPECT_EQ(ReadBytes(DayPath(8) + ".unreadable-" + std::to_string(++n)), c.Bytes) << c.Name;
    std::vector<std::int64_t> expected = c.Kept;
    expected.push_back(Dec(8, 7, 0));
    EXPECT_EQ(Times(DayPath(8)), expected) << c.Name;
  }
  EXPECT_EQ(Reads.back().PointsRead, 3);   // the cut spectrum's point, without its block
}

TEST_F(DayStoreTest, PointsNotStoredAreHeldForTheNextSaveOfAnyDay) {
  ASSERT_TRUE(Cycle(7, Dec(7, 5, 0)).Cycle.Stored);
  const std::string year = Dir.Path + "/2026";
  std::filesystem::rename(year, year + "-away");
  WriteBytes(year, "a file where the year folder goes");
  const StoreOutcome first = Cycle(7, Dec(7, 23, 50));
  EXPECT_FALSE(first.Cycle.Stored);
  EXPECT_EQ(first.Cycle.Reason, DayPath(7) + ": Not a directory");
  EXPECT_EQ(Cycle(8, Dec(8, 0, 0)).Cycle.Held, 2u);
  std::filesystem::remove(year);
  std::filesystem::rename(year + "-away", year);
  // The next day's save takes its own held point, then the day before's, in time order.
  const StoreOutcome back = Cycle(8, Dec(8, 0, 10));
  ASSERT_TRUE(back.Cycle.Stored);
  ASSERT_EQ(back.HeldDays.size(), 1u);
  EXPECT_TRUE(back.HeldDays[0].Save.Stored);
  EXPECT_EQ(Times(DayPath(7)), (std::vector<std::int64_t>{Dec(7, 5, 0), Dec(7, 23, 50)}));
  EXPECT_EQ(Times(DayPath(8)), (std::vector<std::int64_t>{Dec(8, 0, 0), Dec(8, 0, 10)}));
  EXPECT_EQ(Store.HeldPoints(), 0u);
  EXPECT_EQ(Store.Day().RadCount(), 2);   // the day kept is the cycle's
}

}  // namespace
}  // namespace spectrel::testing
