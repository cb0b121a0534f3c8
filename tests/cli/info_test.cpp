// "spectrel-cli info" on the golden day file and on damaged copies of it.
#include <nlohmann/json.hpp>

#include "cli/runner_support.h"
#include "support/golden_day.h"

namespace spectrel::runner_test {
namespace {

// Runs "info" in UTC.
Finished Info(const Args& args) {
  return RunCli(Joined({Cli, "info"}, args), {"TZ=UTC0"});
}

// SR-101 (whose last axis point the fifth-power coefficient pulls below zero) and SR-104; the
// second point's memo holds a valid UTF-8 letter, a byte that is not UTF-8 and a control byte.
const std::string Day = testing::MakeGoldenDay().Bytes;

using InfoCommand = CliTest;

TEST_F(InfoCommand, ReportsTheWholeDayAsTextOrJson) {
  WriteBytes(Dir + "20190412.KRF", Day);
  const std::string path = Dir + "20190412.KRF";
  Finished run = Info({path});
  EXPECT_EQ(run.Exit, 0);
  EXPECT_EQ(run.Out,
            "file: " + path + "\nresult: 2\n"
            "site: Tsukuba\nlongitude: 140.125\nlatitude: 36.050\naltitude: \ntime zone: +9\nUTC by: UTC+09:00\n"
            "sensor SR-101: serial A101, id ID1, type , firmware 1.80 (2019/04/01 12:00:00)\n"
            "  coefficients: 299.5 0.78125 0 0 0 -1e-12\n"
            "  wavelength: 300.28125 .. -26.399906 nm\n"
            "sensor SR-104: serial D104, id , type SR-104, firmware  ()\n"
            "  coefficients: 898.6 3.5 0 0 0 0\n"
            "  wavelength: 902.1 .. 1794.6 nm\n"
            "point 1: 20190412090503 (2019-04-12T00:05:03Z), memo clear sky\n"
            "  SR-101: serial A101, time 20190412090504, exposure 100 ms, status -3 / 20.5 11.5 0.5 -0.5\n"
            "  SR-104: serial D104, time 20190412090505, exposure 30 ms, status 0 1 -1 40000 / "
            "25.5 -0.5 1234.5 3.5 0.0 12.0 30.5\n"
            "point 2: 20190412091503 (2019-04-12T00:15:03Z), memo q\"b\xC2\xB5\xE9\x01\ntail: whole\n");

  run = Info({"--json", path});
  EXPECT_EQ(run.Exit, 0);
  // Valid UTF-8 passes as it is, control bytes are escaped, a stray byte becomes U+FFFD.
  EXPECT_NE(run.Out.find("\"memo\":\"q\\\"b\xC2\xB5\xEF\xBF\xBD\\u0001\""), std::string::npos) << run.Out;
  const nlohmann::json report = nlohmann::json::parse(run.Out);
  EXPECT_EQ(report["site"]["name"], "Tsukuba");
  EXPECT_EQ(report["sensors"][1]["first_wavelength"], 902.1);
  EXPECT_EQ(report["sensors"][1]["last_wavelength"], 1794.6);
  EXPECT_EQ(report["points"][0]["blocks"][1]["status_int"], nlohmann::json({0, 1, -1, 40000}));
  EXPECT_EQ(report["points"][0]["blocks"][1]["status_float"][2], 1234.5);
  EXPECT_EQ(report["points"][1]["blocks"].size(), 0u);
}

TEST_F(InfoCommand, AFileThatDoesNotLoadFailsSayingWhy) {
  WriteBytes(Dir + "bad.KRF", Day + "DT_KRF,100\nMT,20191301000000\nMEMO,never\nDT_KRF_END\n");
  WriteBytes(Dir + "semi.KRF", "HD_KRF;100\n");
  struct Case {
    std::string File;
    bool Json;
    std::string Shown;   // a part of the report
  };
  const Case cases[] = {
      {"bad.KRF", true, "\"result\":null,\"error\":\"damaged day file: invalid time stamp \\\"20191301000000\\\""},
      {"bad.KRF", false, "point 2: 20190412091503 (2019-04-12T00:15:03Z), memo q"},   // what was read before it
      {"missing.KRF", true, "\"result\":null,\"error\":\"no such file\""},
      {"semi.KRF", false, "result: none (not a day file)\n"},
      {"", false, "result: none (cannot be read: not a regular file)\n"}};   // a folder
  for (const Case& c : cases) {
    const Finished run = c.Json ? Info({Dir + c.File, "--json"}) : Info({Dir + c.File});
    EXPECT_EQ(run.Exit, 1) << c.File;
    EXPECT_NE(run.Out.find(c.Shown), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("never"), std::string::npos);
    EXPECT_EQ(run.Err.rfind("spectrel-cli info: " + Dir + c.File + ": ", 0), 0u) << run.Err;
  }
}

TEST_F(InfoCommand, ACutTailIsShownWhereItBegins) {
  const std::string cut = Day.substr(0, Day.rfind("MD_BGN\n") + 500);
  WriteBytes(Dir + "cut.KRF", cut);
  Finished run = Info({Dir + "cut.KRF"});
  const std::string end = std::to_string(Day.rfind("DT_SR104,100"));
  EXPECT_EQ(run.Exit, 0);
  EXPECT_NE(run.Out.find("tail: cut short after byte " + end + " of " + std::to_string(cut.size())), std::string::npos)
      << run.Out;
}

TEST_F(InfoCommand, RepairKeepsEveryPointThatCanBeRead) {
  const std::string cut = Day.substr(0, Day.rfind("MD_BGN\n") + 500);
  const std::string damaged = Day + "DT_KRF,100\nMT,20191301000000\nDT_KRF_END\nDT_KRF,100\nMT,20190412092003\n"
                                    "DT_KRF_END\n" + cut.substr(cut.find("DT_KRF,100\n"));
  WriteBytes(Dir + "damaged.KRF", damaged);
  Finished run = RunCli({Cli, "repair", Dir + "damaged.KRF", "--out", Dir + "new.KRF"}, {"TZ=UTC0"});
  EXPECT_EQ(run.Exit, 0) << run.Err;
  EXPECT_NE(run.Out.find("kept 4 points; dropped 1 points"), std::string::npos) << run.Out;
  EXPECT_EQ(ReadBytes(Dir + "damaged.KRF"), damaged);
  run = Info({Dir + "new.KRF", "--json"});
  EXPECT_EQ(nlohmann::json::parse(run.Out)["points"].size(), 4u);
  EXPECT_EQ(nlohmann::json::parse(run.Out)["tail"]["damaged"], false);
  // An existing --out, even the input itself, is never written over; a missing --out is bad usage.
  const std::string repaired = ReadBytes(Dir + "new.KRF");
  for (const char* out : {"new.KRF", "damaged.KRF"}) {
    run = RunCli({Cli, "repair", Dir + "damaged.KRF", "--out", Dir + out}, {"TZ=UTC0"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Err.find("is never overwritten"), std::string::npos) << run.Err;
  }
  EXPECT_EQ(ReadBytes(Dir + "new.KRF"), repaired);
  EXPECT_EQ(RunCli({Cli, "repair", Dir + "damaged.KRF"}, {}).Exit, 2);
}

}  // namespace
}  // namespace spectrel::runner_test
