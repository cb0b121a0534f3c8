// The 14-digit local time of the day file: written in the zone the program runs in, read as the
// clock reading it is.
#include <cstdint>

#include <gtest/gtest.h>

#include "base/station_zone.h"
#include "files/krf_time.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ScopedTz;

TEST(KrfTime, WrittenInTheProgramsZoneAndReadBackToTheSameInstant) {
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
    ScopedTz tz(c.Zone);
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
