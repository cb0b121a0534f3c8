// "spectrel-cli info" on day files composed here byte by byte.
#include <nlohmann/json.hpp>

#include "cli/runner_support.h"

namespace spectrel::runner_test {
namespace {

// Runs "info" in UTC.
Finished Info(const Args& args) {
  Args argv{Cli, "info"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCli(argv, {"TZ=UTC0"});
}

// One SR-104 with w(p) = 898.6 + 3.5 p, so its axis runs from 902.1 to 1794.6 nm; the memo of the
// second point holds a valid UTF-8 letter (µ), a byte that is not UTF-8 and a control byte.
const std::string Day =
    "HD_KRF,100\nSITE,Tsukuba \"East\"\nLON,140.125\nLAT,36.050\nALT,25\nTZ,+9\nHD_KRF_END\n"
    "HD_SR104,100\nSN,D104\nID,ID4\nST,SR-104\nFV,1.02\nFT,2019/04/01 12:00:00\n"
    "C0,898.6\nC1,3.5\nC2,0\nC3,0\nC4,0\nC5,0\nCAL_BGN\n" + std::string(1024, '\0') +
    "CAL_END\nHD_SR104_END\n"
    "DT_KRF,100\nMT,20190412090503\nMEMO,x\nDT_KRF_END\n"
    "DT_SR104,100\nSN,D104\nMT,20190412090504\nET,30\n"
    "SS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\n"
    "MD_BGN\n" + std::string(1024, '\0') + "MD_END\nDD_BGN\n" + std::string(1024, '\0') +
    "DD_END\nDT_SR104_END\n"
    "DT_KRF,100\nMT,20190412091003\nMEMO,q\"b\xC2\xB5\xE9\x01\nDT_KRF_END\n";

using InfoCommand = CliTest;

TEST_F(InfoCommand, TextAndJsonReports) {
  WriteBytes(Dir + "20190412.KRF", Day);
  const std::string path = Dir + "20190412.KRF";
  Finished run = Info({path});
  EXPECT_EQ(run.Exit, 0);
  EXPECT_EQ(run.Out,
            "file: " + path + "\nresult: 2\n"
            "site: Tsukuba \"East\"\nlongitude: 140.125\nlatitude: 36.050\naltitude: 25\ntime zone: +9\n"
            "sensor SR-104: serial D104, id ID4, type SR-104, firmware 1.02 (2019/04/01 12:00:00)\n"
            "  coefficients: 898.6 3.5 0 0 0 0\n"
            "  wavelength: 902.1 .. 1794.6 nm\n"
            "point 1: 20190412090503, memo x\n"
            "  SR-104: serial D104, time 20190412090504, exposure 30 ms, status 0 1 -1 7 / "
            "25.0 25.0 -5.2 3.5 1234.2 0.0 -273.1\n"
            "point 2: 20190412091003, memo q\"b\xC2\xB5\xE9\x01\ntail: whole\n");

  run = Info({"--json", path});
  EXPECT_EQ(run.Exit, 0);
  // Valid UTF-8 passes as it is, control bytes are escaped, a stray byte becomes U+FFFD.
  EXPECT_NE(run.Out.find("\"memo\":\"q\\\"b\xC2\xB5\xEF\xBF\xBD\\u0001\""), std::string::npos) << run.Out;
  const nlohmann::json report = nlohmann::json::parse(run.Out);
  EXPECT_EQ(report["site"]["name"], "Tsukuba \"East\"");
  EXPECT_EQ(report["sensors"][0]["first_wavelength"], 902.1);
  EXPECT_EQ(report["sensors"][0]["last_wavelength"], 1794.6);
  EXPECT_EQ(report["points"][0]["blocks"][0]["status_int"], nlohmann::json({0, 1, -1, 7}));
  EXPECT_EQ(report["points"][0]["blocks"][0]["status_float"][2], -5.2);
  EXPECT_EQ(report["points"][1]["blocks"].size(), 0u);
}

TEST_F(InfoCommand, FilesThatDoNotLoadShowWhyAndFail) {
  WriteBytes(Dir + "bad.KRF", Day + "DT_KRF,100\nMT,20191301000000\nMEMO,never\nDT_KRF_END\n");
  WriteBytes(Dir + "semi.KRF", "HD_KRF;100\n");
  struct Case {
    std::string File;
    bool Json;
    std::string Shown;   // a part of the report
  };
  const Case cases[] = {
      {"bad.KRF", true, "\"result\":null,\"error\":\"invalid time stamp \\\"20191301000000\\\""},
      {"bad.KRF", false, "point 2: 20190412091003, memo q"},   // what was read before it
      {"missing.KRF", true, "\"result\":-3,\"error\":\"no such file\""},
      {"semi.KRF", false, "result: -1 (not a day file)\n"},
      {"", false, "result: -2 (cannot be read)\n"}};   // a folder
  for (const Case& c : cases) {
    const Finished run = c.Json ? Info({Dir + c.File, "--json"}) : Info({Dir + c.File});
    EXPECT_EQ(run.Exit, 1) << c.File;
    EXPECT_NE(run.Out.find(c.Shown), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("never"), std::string::npos);
    EXPECT_EQ(run.Err.rfind("spectrel-cli info: " + Dir + c.File + ": ", 0), 0u) << run.Err;
  }
}

TEST_F(InfoCommand, ACutTailIsShownAndRepairKeepsEveryPointThatCanBeRead) {
  const std::string cut = Day.substr(0, Day.rfind("MD_BGN\n") + 500);
  WriteBytes(Dir + "cut.KRF", cut);
  Finished run = Info({Dir + "cut.KRF"});
  const std::string end = std::to_string(Day.rfind("DT_SR104,100"));
  EXPECT_EQ(run.Exit, 0);
  EXPECT_NE(run.Out.find("tail: cut short after byte " + end + " of " + std::to_string(cut.size())), std::string::npos)
      << run.Out;
  const std::string damaged = Day + "DT_KRF,100\nMT,20191301000000\nDT_KRF_END\nDT_KRF,100\nMT,20190412092003\n"
                                    "DT_KRF_END\n" + cut.substr(cut.find("DT_KRF,100\n"));
  WriteBytes(Dir + "damaged.KRF", damaged);
  run = RunCli({Cli, "repair", Dir + "damaged.KRF", "--out", Dir + "new.KRF"}, {"TZ=UTC0"});
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
