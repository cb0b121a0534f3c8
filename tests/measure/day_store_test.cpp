// The day store on real files: a day begun whole and then appended to, a day whose header grows
// written whole again, damaged files kept aside, points held while their file cannot be written.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <memory>

#include "files/day_part_name.h"
#include "files/krf_file.h"
#include "measure/day_load.h"
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
    EXPECT_GT(LoadKrf(set, path).Points, 0) << path;
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
  ASSERT_EQ(LoadKrf(day, DayPath(7)).Points, 3);
  EXPECT_EQ(day.SiteName, "Tsukuba");
  EXPECT_NE(day.Info(SR104), nullptr);
  EXPECT_EQ(day.Rad(2).Block(SR102)->Light, MakeMeasurement(SR102, Dec(7, 6, 20), 3).Light);
}

// Another unit of a model (its serial number, identification or calibration not the record's)
// never has its points under the day's record: the day file stays byte for byte as it was, the
// day goes on in a part beside it, which a restart appends to; the first unit back opens the next.
TEST_F(DayStoreTest, AnotherSensorUnitGoesOnInTheNextPartOfTheDay) {
  const struct {
    const char* Name;
    void (*Change)(SensorInfo&);
  } rows[] = {
      {"serial number", [](SensorInfo& info) { info.SerialNo = "B0002"; }},
      {"identification", [](SensorInfo& info) { info.SensorId = "IDB"; }},
      {"calibration", [](SensorInfo& info) { info.Calib[7] *= 1.01f; }},
  };
  int d = 1;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const CKrfData unitA = Header({SR102, SR104});
    CKrfData unitB = unitA;
    SensorInfo infoB = *unitA.Info(SR102);
    row.Change(infoB);
    unitB.SetInfo(SR102, infoB);
    std::vector<UnitChange> changes;
    const auto cycle = [&](DayStore& store, const CKrfData& header, std::int64_t t) {
      store.BeginCycle(DayPath(d), header, changes);
      store.Add(Point(t));
      return store.Save().Cycle;
    };
    ASSERT_TRUE(cycle(Store, unitA, Dec(d, 6, 0)).Stored);
    ASSERT_TRUE(cycle(Store, unitA, Dec(d, 6, 10)).Stored);
    const std::string dayOfA = ReadBytes(DayPath(d));
    const std::string part = DayPartPath(DayPath(d), 2);
    EXPECT_EQ(cycle(Store, unitB, Dec(d, 6, 20)).Path, part);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Model, SR102);
    EXPECT_EQ(changes[0].OldSerial, unitA.Info(SR102)->SerialNo);
    EXPECT_EQ(changes[0].NewSerial, infoB.SerialNo);
    const std::string partBefore = ReadBytes(part);
    DayStore restarted;
    EXPECT_EQ(cycle(restarted, unitB, Dec(d, 6, 30)).Path, part);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(ReadBytes(part).substr(0, partBefore.size()), partBefore);   // appended
    EXPECT_EQ(ReadBytes(DayPath(d)), dayOfA);
    CKrfData partDay;
    ASSERT_EQ(LoadKrf(partDay, part).Points, 2);
    EXPECT_EQ(*partDay.Info(SR102), infoB);
    EXPECT_EQ(*partDay.Info(SR104), *unitA.Info(SR104));
    EXPECT_EQ(Times(part), (std::vector<std::int64_t>{Dec(d, 6, 20), Dec(d, 6, 30)}));
    EXPECT_EQ(cycle(restarted, unitA, Dec(d, 6, 40)).Path, DayPartPath(DayPath(d), 3));
    EXPECT_EQ(Times(DayPath(d)), (std::vector<std::int64_t>{Dec(d, 6, 0), Dec(d, 6, 10)}));
    ++d;
  }
}

// A station that only stores keeps the hour being measured in memory, and writes the same day
// file, byte for byte, as one that keeps the whole day: also where the day must be written whole
// (a sensor joins, a point held in an earlier hour goes in), which reads the day back first, and
// after a start late in the day, which reads only the file's last hour.
TEST_F(DayStoreTest, StoreKeepingTheHourWritesTheSameDayAsOneKeepingTheWholeDay) {
  struct Step {
    const char* Name;
    int Hour, Minute;
    std::vector<int> Models;
    bool Unwritable;             // the year folder is a file: the point is held
    std::vector<int> HourKept;   // minutes of the points the hour store keeps in memory
    bool Restart = false;        // the hour store starts anew before the step
  };
  const Step steps[] = {
      {"first point", 5, 50, {SR102}, false, {50}},
      {"same hour", 5, 55, {SR102}, false, {50, 55}},
      {"next hour", 6, 0, {SR102}, false, {0}},
      {"a sensor joins", 6, 5, {SR102, SR104}, false, {0, 5}},
      {"not written", 7, 0, {SR102, SR104}, true, {}},
      {"held point goes in", 7, 5, {SR102, SR104}, false, {0, 5}},
      {"after the whole write", 7, 10, {SR102, SR104}, false, {0, 5, 10}},
      {"a late start", 7, 15, {SR102, SR104}, false, {0, 5, 10, 15}, true},
      {"a late start in the next hour", 8, 0, {SR102, SR104}, false, {0}, true},
      {"a sensor joins at a late start", 8, 5, {SR101, SR102, SR104}, false, {0, 5}, true},
  };
  DayStore whole;
  auto hour = std::make_unique<DayStore>(DayStore::Kept::Hour);
  const std::string wholePath = Dir.Path + "/whole/2026/20261207.KRF";
  const std::string hourPath = Dir.Path + "/hour/2026/20261207.KRF";
  int points = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.Name);
    for (const std::string& path : {wholePath, hourPath}) {
      const std::string year = std::filesystem::path(path).parent_path();
      if (step.Unwritable) {
        std::filesystem::rename(year, year + "-away");
        WriteBytes(year, "a file where the year folder goes");
      } else if (std::filesystem::exists(year + "-away")) {
        std::filesystem::remove(year);
        std::filesystem::rename(year + "-away", year);
      }
    }
    const std::int64_t t = Dec(7, step.Hour, step.Minute);
    if (step.Restart) hour = std::make_unique<DayStore>(DayStore::Kept::Hour);
    for (auto [store, path] : {std::pair{&whole, wholePath}, std::pair{hour.get(), hourPath}}) {
      store->Begin(path, Header(step.Models));
      CRad point = Point(t);
      if (step.Models.size() > 1) point.SetBlock(SR104, MakeMeasurement(SR104, t, 5));
      store->Add(point);
      EXPECT_EQ(store->Save().Cycle.Stored, !step.Unwritable);
    }
    if (step.Unwritable) continue;
    points = whole.Day().RadCount();
    EXPECT_EQ(hour->DayPoints(), points);
    std::vector<int> kept;
    for (int j = 0; j < hour->Day().RadCount(); ++j) kept.push_back(static_cast<int>((hour->Day().Rad(j).MeasureTime / 60) % 60));
    EXPECT_EQ(kept, step.HourKept);
    EXPECT_EQ(hour->Day().Header(), whole.Day().Header());
    EXPECT_TRUE(ReadBytes(hourPath) == ReadBytes(wholePath));
  }
  EXPECT_EQ(points, 10);   // the held point too
}

// Killed after any step of keeping a damaged file aside and writing the day again, the next start
// finds every whole point of the day in its file, byte for byte, and one copy of the old file aside.
TEST_F(DayStoreTest, AKillAtAnyStepOfSettingADamagedFileAsideLosesNoWholePoint) {
  std::filesystem::create_directories(Dir.Path + "/2026");
  ASSERT_TRUE(SaveKrf(MakeDay({SR102}, 3, Dec(8, 6, 0), 600), DayPath(8)));
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
  struct Killed {};
  const int written = static_cast<int>(DayStore::Step::Written);
  for (const Case& c : cases) {
    for (int stop = 0; stop <= written; ++stop) {   // 0: not killed
      const std::string name = c.Name + std::string(", killed after step ") + std::to_string(stop);
      std::filesystem::remove_all(Dir.Path + "/2026");
      std::filesystem::create_directories(Dir.Path + "/2026");
      WriteBytes(DayPath(8), c.Bytes);
      std::vector<std::int64_t> expected = c.Kept;
      if (stop > 0) {
        DayStore killed;
        killed.SetStepHook([stop](DayStore::Step step) {
          if (static_cast<int>(step) == stop) throw Killed();
        });
        EXPECT_THROW(killed.Begin(DayPath(8), Header({SR102})); killed.Add(Point(Dec(8, 6, 50))); killed.Save(), Killed)
            << name;
        if (stop == written) expected.push_back(Dec(8, 6, 50));
      }
      ASSERT_TRUE(Cycle(8, Dec(8, 7, 0)).Cycle.Stored) << name;   // the next start
      EXPECT_EQ(Reads.back().What, stop == written ? DayRead::Found::Whole : c.What) << name;
      const std::string aside = DayPath(8) + ".unreadable-";
      EXPECT_TRUE(ReadBytes(aside + "1") == c.Bytes) << name;
      EXPECT_FALSE(std::filesystem::exists(aside + "2")) << name;
      const std::size_t whole = c.Kept.empty() ? 0 : c.Bytes.rfind("DT_KRF_END\n") + 11;
      EXPECT_TRUE(ReadBytes(DayPath(8)).compare(0, whole, c.Bytes, 0, whole) == 0) << name;
      expected.push_back(Dec(8, 7, 0));
      EXPECT_EQ(Times(DayPath(8)), expected) << name;
    }
  }
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

// A real full disk: the points the day file cannot take go into the space the held points file
// reserved at start, survive a stop and a start on the still full disk, and reach their day file
// in time order once space is freed.
TEST_F(DayStoreTest, PointsHeldOnAFullDiskReachTheirDayFileAcrossAStop) {
  const std::string disk = Dir.Path + "/disk";
  std::filesystem::create_directories(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=2m") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::unique_ptr<const char, int (*)(const char*)> unmount(disk.c_str(), ::umount);
  const std::string day = disk + "/2026/20261207.KRF";
  const auto cycle = [&day](DayStore& store, std::int64_t t) {
    store.Begin(day, Header({SR102}));
    store.Add(Point(t));
    return store.Save().Cycle;
  };
  std::vector<std::int64_t> times;
  for (int m = 0; m < 7; ++m) times.push_back(Dec(7, 6, m));
  {
    DayStore first;
    ASSERT_EQ(first.OpenSpool(disk + "/HELD.KRS", 400 << 10), 0);
    ASSERT_TRUE(cycle(first, times[0]).Stored);
    WriteBytes(disk + "/filler", std::string(4 << 20, 'x'));   // cut short where the disk is full
    for (int j = 1; j <= 3; ++j) {
      const DaySave save = cycle(first, times[j]);
      EXPECT_FALSE(save.Stored);
      EXPECT_TRUE(save.Spooled) << j;
    }
  }   // stopped with three points held
  DayStore next;
  EXPECT_EQ(next.OpenSpool(disk + "/HELD.KRS", 400 << 10), 3);
  EXPECT_FALSE(next.StoreHeld().at(0).Save.Stored);   // the disk is still full
  EXPECT_TRUE(cycle(next, times[4]).Spooled);
  std::filesystem::remove(disk + "/filler");
  EXPECT_TRUE(cycle(next, times[5]).Stored);
  EXPECT_EQ(next.HeldPoints(), 0u);
  EXPECT_TRUE(cycle(next, times[6]).Stored);
  EXPECT_EQ(Times(day), times);
  EXPECT_EQ(std::filesystem::file_size(disk + "/HELD.KRS"), 0u);
}

// A day that cannot be carried is said: SR-102 and SR-104 at 10 s and at 1 s around the clock.
TEST(DayLoadTest, DayBeyondMemoryOrDiskIsSaid) {
  AppSettings settings;
  settings.StartTime = 0;
  settings.EndTime = 86399;
  const ModelSet used{false, true, false, true};
  const std::int64_t t = Dec(7, 12, 0);
  struct Case {
    const char* Name;
    int Interval;
    DayStore::Kept Kept;
    double Memory;
    std::optional<std::int64_t> Free;
    const char* Says;   // nullptr: nothing
  };
  constexpr auto Day = DayStore::Kept::WholeDay;
  constexpr auto Hour = DayStore::Kept::Hour;
  const Case cases[] = {
      {"10 s, 1 GB, disk unknown", 10, Day, 1e9, std::nullopt, nullptr},
      {"1 s, the whole day in 1 GB", 1, Day, 1e9, std::int64_t{1} << 40,
       "86400 points: about 1593 MB of day file and 1593 MB in memory, more than this machine can hold"},
      {"1 s, the hour in 1 GB", 1, Hour, 1e9, std::int64_t{1} << 40, nullptr},
      {"1 s, the hour in 100 MB", 1, Hour, 100e6, std::int64_t{1} << 40,
       "86400 points: about 1593 MB of day file and 66 MB in memory, more than this machine can hold"},
      {"10 s, the hour, 100 MB free", 10, Hour, 16e9, 100'000'000,
       "8640 points: about 159 MB of day file and 7 MB in memory, more than the data folder's disk has free"},
  };
  // Light and dark spectra, four bytes a pixel each, of 2048 + 256 pixels a point.
  settings.Interval = 1;
  const DayLoad whole = DayLoadOf(settings, used, t, DayStore::Kept::WholeDay);
  EXPECT_EQ(whole.Points, 86400);
  EXPECT_EQ(whole.FileBytes, 86400.0 * 8 * 2304);
  EXPECT_EQ(whole.MemoryBytes, whole.FileBytes);
  EXPECT_EQ(DayLoadOf(settings, used, t, DayStore::Kept::Hour).MemoryBytes, 3600.0 * 8 * 2304);
  for (const Case& c : cases) {
    settings.Interval = c.Interval;
    const auto said = DayLoadWarning(DayLoadOf(settings, used, t, c.Kept), c.Memory, c.Free);
    if (c.Says == nullptr)
      EXPECT_FALSE(said) << c.Name;
    else
      EXPECT_NE(said.value_or("").find(c.Says), std::string::npos) << c.Name << ": " << said.value_or("");
  }
}

}  // namespace
}  // namespace spectrel::testing
