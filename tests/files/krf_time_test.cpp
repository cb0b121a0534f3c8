// The 14-digit local time of the day file under several time zones.
#include <cstdint>

#include <gtest/gtest.h>

#include "files/krf_time.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ScopedTz;

TEST(KrfTime, BothWaysInSeveralZonesAndAcrossDaylightSaving) {
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
    EXPECT_EQ(ParseKrfTime(c.Text), c.Time) << c.Zone << " " << c.Text;
  }
}

TEST(KrfTime, RangesOfEveryFieldReadLikeAtoi) {
  ScopedTz tz("UTC0");
  for (const char* bad : {"19691231235959", "20190012000000", "20191301000000", "20190100000000",
                          "20190132000000", "20190101240000", "20190101006000", "20190101000060",
                          "", "2019", "x0190101000000", "2019-1-1000000"})
    EXPECT_FALSE(ParseKrfTime(bad).has_value()) << bad;
  EXPECT_EQ(ParseKrfTime("201904120905"), 1555059900);       // missing fields count as 0
  EXPECT_EQ(ParseKrfTime("2019041209050399"), 1555059903);   // characters past 14 are not read
  EXPECT_EQ(ParseKrfTime("20190231000000"), ParseKrfTime("20190303000000"));   // only checked against 31
  EXPECT_EQ(ParseKrfTime("19700101000000"), 0);   // -1 and 0 around 1970 are real times, not errors
  ScopedTz east("JST-9");
  EXPECT_EQ(ParseKrfTime("19700101085959"), -1);
  EXPECT_EQ(FormatKrfTime(INT64_MAX), "");
}

}  // namespace
}  // namespace spectrel
