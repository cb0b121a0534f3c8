// "spectrel-cli info" on day files composed here byte by byte.
#include "cli/runner_support.h"

namespace spectrel::runner_test {
namespace {

class InfoCommand : public CliTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteBytes(Dir + name, bytes);
    return Dir + name;
  }
};

// Runs "info" in UTC.
Finished Info(const std::vector<std::string>& args) {
  std::vector<std::string> argv{Cli, "info"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCli(argv, {"TZ=UTC0"});
}

// One SR-104 with w(p) = 898.6 + 3.5 p, so its axis runs from 902.1 to 1794.6 nm.
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
    "DT_KRF,100\nMT,20190412091003\nMEMO,q\"b\\s\t\xC2\xB5\xE9\x01\nDT_KRF_END\n";

TEST_F(InfoCommand, TextAndJsonReports) {
  const std::string path = Write("20190412.KRF", Day);
  Finished run = Info({path});
  EXPECT_EQ(run.Exit, 0);
  EXPECT_EQ(run.Out,
            "file: " + path + "\n"
            "result: 2\n"
            "site: Tsukuba \"East\"\nlongitude: 140.125\nlatitude: 36.050\naltitude: 25\ntime zone: +9\n"
            "sensor SR-104: serial D104, id ID4, type SR-104, firmware 1.02 (2019/04/01 12:00:00)\n"
            "  coefficients: 898.6 3.5 0 0 0 0\n"
            "  wavelength: 902.1 .. 1794.6 nm\n"
            "point 1: 20190412090503, memo x\n"
            "  SR-104: serial D104, time 20190412090504, exposure 30 ms, status 0 1 -1 7 / "
            "25.0 25.0 -5.2 3.5 1234.2 0.0 -273.1\n"
            "point 2: 20190412091003, memo q\"b\\s\t\xC2\xB5\xE9\x01\n");

  run = Info({"--json", path});
  EXPECT_EQ(run.Exit, 0);
  // Valid UTF-8 passes, a lone byte of another code page becomes the character of its number.
  EXPECT_EQ(run.Out,
            "{\"file\":\"" + path + "\",\"result\":2,\"error\":null,\n"
            "\"site\":{\"name\":\"Tsukuba \\\"East\\\"\",\"longitude\":\"140.125\",\"latitude\":\"36.050\","
            "\"altitude\":\"25\",\"time_zone\":\"+9\"},\n"
            "\"sensors\":[\n"
            "{\"model\":\"SR-104\",\"serial\":\"D104\",\"id\":\"ID4\",\"type\":\"SR-104\","
            "\"firmware_version\":\"1.02\",\"firmware_time\":\"2019/04/01 12:00:00\","
            "\"coefficients\":[\"898.6\",\"3.5\",\"0\",\"0\",\"0\",\"0\"],"
            "\"first_wavelength\":902.1,\"last_wavelength\":1794.6}],\n"
            "\"points\":[\n"
            "{\"time\":\"20190412090503\",\"memo\":\"x\",\"blocks\":[{\"model\":\"SR-104\",\"serial\":\"D104\","
            "\"time\":\"20190412090504\",\"exposure_ms\":30,\"status_int\":[0,1,-1,7],"
            "\"status_float\":[25,25,-5.2,3.5,1234.2,0,-273.1]}]},\n"
            "{\"time\":\"20190412091003\",\"memo\":\"q\\\"b\\\\s\\t\xC2\xB5\\u00e9\\u0001\",\"blocks\":[]}]}\n");
}

TEST_F(InfoCommand, InvalidTimeStampShowsWhatWasReadAndFails) {
  const std::string path =
      Write("bad.KRF", Day + "DT_KRF,100\nMT,20191301000000\nMEMO,never\nDT_KRF_END\n");
  const Finished json = Info({path, "--json"});
  EXPECT_EQ(json.Exit, 1);
  EXPECT_NE(json.Out.find("\"result\":null,\"error\":\"invalid time stamp \\\"20191301000000\\\""),
            std::string::npos)
      << json.Out;
  EXPECT_NE(json.Out.find("{\"time\":\"20190412091003\""), std::string::npos);
  EXPECT_EQ(json.Out.find("never"), std::string::npos);

  const Finished text = Info({path});
  EXPECT_EQ(text.Exit, 1);
  EXPECT_NE(text.Out.find("result: none, reading stopped\n"), std::string::npos);
  EXPECT_NE(text.Out.find("point 2: 20190412091003"), std::string::npos);
  EXPECT_NE(text.Out.find("\nerror: invalid time stamp \"20191301000000\""), std::string::npos);
}

TEST_F(InfoCommand, FilesThatCannotBeReadFail) {
  const std::string missing = Dir + "missing.KRF";
  const Finished json = Info({missing, "--json"});
  EXPECT_EQ(json.Exit, 1);
  EXPECT_EQ(json.Out, "{\"file\":\"" + missing + "\",\"result\":-3,\"error\":\"no such file\",\n"
                      "\"site\":{\"name\":\"\",\"longitude\":\"\",\"latitude\":\"\",\"altitude\":\"\","
                      "\"time_zone\":\"\"},\n\"sensors\":[],\n\"points\":[]}\n");
  const Finished wrong = Info({Write("semi.KRF", "HD_KRF;100\n")});
  EXPECT_EQ(wrong.Exit, 1);
  EXPECT_EQ(wrong.Out, "file: " + Dir + "semi.KRF\nresult: -1 (not a day file)\n");
  EXPECT_EQ(Info({Dir}).Exit, 1);

  // A header alone is a good file without points.
  const Finished empty = Info({Write("empty.KRF", "HD_KRF,100\nHD_KRF_END\n")});
  EXPECT_EQ(empty.Exit, 0);
  EXPECT_NE(empty.Out.find("result: 0\n"), std::string::npos);
}

TEST_F(InfoCommand, BadUsage) {
  using Args = std::vector<std::string>;
  for (const Args& args : std::vector<Args>{{}, {"a.KRF", "b.KRF"}, {"a.KRF", "--yaml"}}) {
    const Finished run = Info(args);
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("usage:"), std::string::npos) << run.Err;
  }
}

}  // namespace
}  // namespace spectrel::runner_test
