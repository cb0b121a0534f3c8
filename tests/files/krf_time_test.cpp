// The 14-digit local time of the day file under several time zones.
#include <cstdint>

#include <gtest/gtest.h>

#include "files/krf_test_support.h"
#include "files/krf_time.h"

namespace spectrel {
namespace {

using testing::ScopedTz;

TEST(KrfTime, SameLocalTimeInThreeZones) {
  struct Case {
    const char* zone;
    std::int64_t time;   // 2019-04-12 09:05:03 local, worked out from the zone's offset
  };
  for (const Case& c : {Case{"UTC0", 1555059903}, Case{"Europe/Berlin", 1555052703},
                        Case{"Asia/Kolkata", 1555040103}}) {
    ScopedTz tz(c.zone);
    EXPECT_EQ(FormatKrfTime(c.time), "20190412090503") << c.zone;
    EXPECT_EQ(ParseKrfTime("20190412090503"), c.time) << c.zone;
  }
}

TEST(KrfTime, BerlinWinterAndSummerOffsets) {
  ScopedTz tz("Europe/Berlin");
  EXPECT_EQ(ParseKrfTime("20190115120000"), 1547550000);   // UTC+1
  // Clocks went forward at 02:00 on 31 March 2019: 01:59:59 CET, then 03:00:00 CEST.
  EXPECT_EQ(ParseKrfTime("20190331015959"), 1553993999);
  EXPECT_EQ(ParseKrfTime("20190331030000"), 1553994000);
  EXPECT_EQ(FormatKrfTime(1553993999), "20190331015959");
  EXPECT_EQ(FormatKrfTime(1553994000), "20190331030000");
}

TEST(KrfTime, RangesOfEveryField) {
  ScopedTz tz("UTC0");
  EXPECT_EQ(ParseKrfTime("19700101000000"), 0);
  EXPECT_EQ(ParseKrfTime("20191231235959"), 1577836799);
  for (const char* bad : {"19691231235959", "20190012000000", "20191301000000", "20190100000000",
                          "20190132000000", "20190101240000", "20190101006000", "20190101000060",
                          "", "2019", "x0190101000000", "2019-1-1000000"})
    EXPECT_FALSE(ParseKrfTime(bad).has_value()) << bad;
  // Each field is read like atoi: a short value lacks its last fields, which then count as 0.
  EXPECT_EQ(ParseKrfTime("201904120905"), 1555059900);
  EXPECT_EQ(ParseKrfTime("2019041209050399"), 1555059903);   // characters past 14 are not read
  // The day is only checked against 31; the calendar carries 31 February into March.
  EXPECT_EQ(ParseKrfTime("20190231000000"), ParseKrfTime("20190303000000"));
}

TEST(KrfTime, UnconvertibleTimeGivesNoText) {
  ScopedTz tz("UTC0");
  EXPECT_EQ(FormatKrfTime(INT64_MAX), "");
  EXPECT_EQ(FormatKrfTime(-1), "19691231235959");
}

}  // namespace
}  // namespace spectrel
