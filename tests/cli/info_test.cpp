// "spectrel-cli info" on day files composed here byte by byte.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct CliRun {
  int Exit = -1;        // exit code of the program
  std::string Out;      // what it printed on standard output
};

std::string ShellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the program in UTC with stderr discarded.
CliRun RunInfo(const std::vector<std::string>& args) {
  std::string command = "TZ=UTC0 " + ShellQuoted(SPECTREL_CLI) + " info";
  for (const auto& a : args) command += " " + ShellQuoted(a);
  command += " 2>/dev/null";
  CliRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.Out.append(buf, n);
  const int status = ::pclose(pipe);
  run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class InfoCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/spectrel_info.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = Dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string Dir;
};

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

TEST_F(InfoCommand, TextReport) {
  const std::string path = Write("20190412.KRF", Day);
  const CliRun run = RunInfo({path});
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
}

TEST_F(InfoCommand, JsonReport) {
  const std::string path = Write("20190412.KRF", Day);
  const CliRun run = RunInfo({"--json", path});
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
  const CliRun json = RunInfo({path, "--json"});
  EXPECT_EQ(json.Exit, 1);
  EXPECT_NE(json.Out.find("\"result\":null,\"error\":\"invalid time stamp \\\"20191301000000\\\""),
            std::string::npos)
      << json.Out;
  EXPECT_NE(json.Out.find("{\"time\":\"20190412091003\""), std::string::npos);
  EXPECT_EQ(json.Out.find("never"), std::string::npos);

  const CliRun text = RunInfo({path});
  EXPECT_EQ(text.Exit, 1);
  EXPECT_NE(text.Out.find("result: none, reading stopped\n"), std::string::npos);
  EXPECT_NE(text.Out.find("point 2: 20190412091003"), std::string::npos);
  EXPECT_NE(text.Out.find("\nerror: invalid time stamp \"20191301000000\""), std::string::npos);
}

TEST_F(InfoCommand, FilesThatCannotBeReadFail) {
  const std::string missing = Dir + "/missing.KRF";
  const CliRun json = RunInfo({missing, "--json"});
  EXPECT_EQ(json.Exit, 1);
  EXPECT_EQ(json.Out, "{\"file\":\"" + missing + "\",\"result\":-3,\"error\":\"no such file\",\n"
                      "\"site\":{\"name\":\"\",\"longitude\":\"\",\"latitude\":\"\",\"altitude\":\"\","
                      "\"time_zone\":\"\"},\n\"sensors\":[],\n\"points\":[]}\n");
  const CliRun wrong = RunInfo({Write("semi.KRF", "HD_KRF;100\n")});
  EXPECT_EQ(wrong.Exit, 1);
  EXPECT_EQ(wrong.Out, "file: " + Dir + "/semi.KRF\nresult: -1 (not a day file)\n");
  EXPECT_EQ(RunInfo({Dir}).Exit, 1);

  // A header alone is a good file without points.
  const CliRun empty = RunInfo({Write("empty.KRF", "HD_KRF,100\nHD_KRF_END\n")});
  EXPECT_EQ(empty.Exit, 0);
  EXPECT_NE(empty.Out.find("result: 0\n"), std::string::npos);
}

TEST_F(InfoCommand, BadUsage) {
  EXPECT_EQ(RunInfo({}).Exit, 2);
  EXPECT_EQ(RunInfo({"a.KRF", "b.KRF"}).Exit, 2);
  EXPECT_EQ(RunInfo({"a.KRF", "--yaml"}).Exit, 2);
}

}  // namespace
