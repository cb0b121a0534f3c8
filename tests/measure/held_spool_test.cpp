// The held points file read back at a start: whole records are kept, and the first record whose
// head or bytes are damaged ends them, with everything from it on cut away.
#include <gtest/gtest.h>

#include <filesystem>

#include "measure/held_spool.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

TEST(HeldSpool, ADamagedRecordEndsTheRecordsReadBack) {
  const struct {
    const char* Name;
    std::string From, To;   // in the second record's head; an empty From cuts the file's last byte
  } rows[] = {
      {"not a record", "HELD ", "HOLD "},
      {"no length", "HELD ", "HELD x"},
      {"no blank after the length", " /d/2026", "x/d/2026"},
      {"longer than the file", "HELD ", "HELD 9"},
      {"cut short", "", ""},
  };
  const TempDir dir;
  const std::string path = dir.Path + "/HELD.KRS";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    std::filesystem::remove(path);
    const CKrfData point = MakeDay({SR102}, 1, Utc(2026, 12, 7, 3), 600);
    HeldSpool::Entry first, second;
    {
      HeldSpool spool;
      std::vector<HeldSpool::Entry> found;
      ASSERT_TRUE(spool.Open(path, 0, found));
      ASSERT_TRUE(spool.Add("/d/2026/20261207.KRF", point, first));
      ASSERT_TRUE(spool.Add("/d/2026/20261208.KRF", point, second));
    }
    std::string bytes = ReadBytes(path);
    const std::size_t end = first.Offset + first.Length;
    if (row.From.empty())
      bytes.pop_back();
    else
      bytes.replace(bytes.find(row.From, end), row.From.size(), row.To);
    WriteBytes(path, bytes);
    HeldSpool spool;
    std::vector<HeldSpool::Entry> found;
    ASSERT_TRUE(spool.Open(path, 0, found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].DayPath, "/d/2026/20261207.KRF");
    EXPECT_EQ(std::filesystem::file_size(path), end);
  }
}

// Once every held point is in its day file the spool is emptied: the next point held is its first
// record, and a start finds that one alone.
TEST(HeldSpool, AfterAClearTheNextPointIsTheFirstRecord) {
  const TempDir dir;
  const std::string path = dir.Path + "/HELD.KRS";
  const CKrfData point = MakeDay({SR102}, 1, Utc(2026, 12, 7, 3), 600);
  HeldSpool::Entry first, next;
  {
    HeldSpool spool;
    std::vector<HeldSpool::Entry> found;
    ASSERT_TRUE(spool.Open(path, 0, found));
    ASSERT_TRUE(spool.Add("/d/2026/20261207.KRF", point, first));
    spool.Clear();
    ASSERT_TRUE(spool.Add("/d/2026/20261208.KRF", point, next));
  }
  EXPECT_EQ(next.Offset, first.Offset);
  EXPECT_EQ(std::filesystem::file_size(path), next.Offset + next.Length);
  HeldSpool spool;
  std::vector<HeldSpool::Entry> found;
  ASSERT_TRUE(spool.Open(path, 0, found));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].DayPath, "/d/2026/20261208.KRF");
}

}  // namespace
}  // namespace spectrel::testing
