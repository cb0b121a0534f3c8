// Settings read from and written to the profile: defaults, number formats and hand-made files.
#include <gtest/gtest.h>

#include <initializer_list>

#include "settings/profile.h"
#include "settings/settings_io.h"
#include "support/temp_dir.h"
#include "support/comma_locale.h"

namespace spectrel {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Settings loaded from the given profile text, the program folder being /opt/spectrel/.
AppSettings LoadFromText(const std::string& text) {
  AppSettings s;
  s.AppFolder = "/opt/spectrel/";
  LoadSettingsFrom(s, ProfileFile::Parse(text));
  return s;
}

// Checks that s, saved into an empty profile, gives each of the lines.
void ExpectSaved(const AppSettings& s, std::initializer_list<const char*> lines) {
  ProfileFile p;
  StoreSettingsTo(s, p);
  const std::string text = p.Serialize();
  for (const char* line : lines) EXPECT_NE(text.find("\n" + std::string(line) + "\n"), std::string::npos) << line;
}

const char* const kFreshProfile =
    "[COM]\nSR101=0\nSR102=0\nSR103=0\nSR104=0\n"
    "[INT]\nMEAS_TYPE=1\nSTART=21600\nEND=72000\nINT=600\nAUTO=0\n"
    "[DIR]\nKRF=/opt/spectrel/\nCSV=/opt/spectrel/\n"
    "[USE]\nSR101=0\nSR102=0\nSR103=0\nSR104=0\n"
    "[SAVE]\nCSV=1\nLEFT=300\nRIGHT=1800\nPITCH=0\nSR101=1\nSR102=1\nSR103=1\nSR104=1\nMERGE=1\n"
    "[SITE]\nNAME=\nLON=000.000\nLAT=00.000\nALT=00.0\n"
    "[MEAS]\nMEMO=Arvena Solmet\n"
    "[INTEG]\nLEFT=300\nRIGHT=1800\n"
    "[GRAPH]\nLEFT=300.0\nRIGHT=1800.0\nTOP=100.000000\nBOTTOM=0.000000\nASCALE=1\nGRID=1\nCOLOR0=255\nCOLOR1=32768\n"
    "[MODE]\nDISP=1\n";

TEST(Settings, FirstStartWithoutProfileRunsOnDefaultsAndSavesEverySectionInOrder) {
  TempDir dir;
  AppSettings s;
  s.ComPort = {"9", "9", "9", "9"};   // whatever was there before is replaced
  s.UseSensor = {1, 1, 1, 1};
  s.CsvSensor = {0, 0, 0, 0};
  s.Graph.GraphTop = 5.0;
  s.AppFolder = "/opt/spectrel/";
  LoadSettings(s, dir.Path + "/spectrel.ini");
  EXPECT_EQ(s.ComPort[0], "0");
  EXPECT_EQ(s.StartTime, 6 * 3600);
  EXPECT_EQ(s.EndTime, 20 * 3600);
  EXPECT_EQ(s.Interval, 10 * 60);
  EXPECT_EQ(s.Graph.GraphTop, 100.0);
  EXPECT_EQ(s.Graph.GraphColor, 0x0000FFu);   // red
  EXPECT_EQ(s.Graph.FrameColor, 0x008000u);   // green 128
  EXPECT_EQ(s.UserMemo, "Arvena Solmet");
  ASSERT_TRUE(SaveSettings(s, dir.Path + "/spectrel.ini"));
  EXPECT_EQ(ReadBytes(dir.Path + "/spectrel.ini"), kFreshProfile);
}

TEST(Settings, GraphNumbersAreReadWithAtofAndWrittenWithTheirFormatsWhateverTheLocale) {
  const auto check = [] {
    AppSettings s = LoadFromText("[GRAPH]\nLEFT=abc\nRIGHT= 950.75nm\nTOP=1e2\nBOTTOM=-2,5\n");
    EXPECT_EQ(s.Graph.GraphLeft, 0.0);
    EXPECT_EQ(s.Graph.GraphRight, 950.75);
    EXPECT_EQ(s.Graph.GraphTop, 100.0);
    EXPECT_EQ(s.Graph.GraphBottom, -2.0);   // the comma ends the number
    s.Graph.GraphLeft = 412.345;
    s.Graph.GraphRight = 1799.96;
    s.Graph.GraphTop = 2.5;
    s.Graph.GraphBottom = -0.0000004;
    ExpectSaved(s, {"LEFT=412.3", "RIGHT=1800.0", "TOP=2.500000", "BOTTOM=-0.000000"});
  };
  check();
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be set up here";
  check();
}

TEST(Settings, FlagsHoldZeroOrOne) {
  AppSettings s = LoadFromText("[INT]\nAUTO=7\n[USE]\nSR102=-1\n[SAVE]\nCSV=abc\nMERGE=0\n[GRAPH]\nGRID=2x\n");
  EXPECT_EQ(s.AutoStart, 1);
  EXPECT_EQ(s.UseSensor[1], 1);
  EXPECT_EQ(s.SaveCsv, 0);   // present but no number
  EXPECT_EQ(s.CsvMerge, 0);
  EXPECT_EQ(s.Graph.GridLine, 1);
  ExpectSaved(s, {"AUTO=1"});
  s.AutoStart = 7;   // only a field holding 1 is written as 1
  s.Graph.AutoScale = -1;
  ExpectSaved(s, {"AUTO=0", "ASCALE=0"});
}

TEST(Settings, TimesPassThirtyTwoBits) {
  AppSettings s = LoadFromText("[INT]\nSTART=90000\nEND=-60\nINT=4294967896\n");
  EXPECT_EQ(s.StartTime, 90000);
  EXPECT_EQ(s.EndTime, 4294967236);   // the high half stays zero
  EXPECT_EQ(s.Interval, 600);         // 2^32 + 600 wraps
  ExpectSaved(s, {"START=90000", "END=-60"});
  s.StartTime = 2147483648;   // low 32 bits, signed
  s.Interval = 0x100000000 + 5;
  ExpectSaved(s, {"START=-2147483648", "INT=5"});
}

TEST(Settings, NumbersColoursTextsAndPorts) {
  AppSettings s = LoadFromText(
      "[SAVE]\nLEFT= 350 \nPITCH=1\n[GRAPH]\nCOLOR0=-1\nCOLOR1=16744512\n[SITE]\nNAME=  Mt. Fuji  \n[MEAS]\nMEMO=\n"
      "[DIR]\nCSV=/data/csv\n[MODE]\nDISP=0\n[COM]\nSR101= 3 \nSR102=+04\nSR103=/dev/ttyUSB0\nSR104=\n");
  EXPECT_EQ(s.CsvFrom, 350);
  EXPECT_EQ(s.CsvPitch, 1);
  EXPECT_EQ(s.Graph.GraphColor, 0xFFFFFFFFu);
  EXPECT_EQ(s.Graph.FrameColor, 0x00FF8040u);
  EXPECT_EQ(s.SiteName, "Mt. Fuji");
  EXPECT_EQ(s.UserMemo, "");   // present and empty is not the default
  EXPECT_EQ(s.KrfFolder, "/opt/spectrel/");
  EXPECT_EQ(s.CsvFolder, "/data/csv");   // as typed, no slash added
  EXPECT_EQ(s.DispMode, 0);
  // A port is a number or a device path.
  EXPECT_EQ(s.ComPort, (std::array<std::string, 4>{"3", "4", "/dev/ttyUSB0", "0"}));
  ExpectSaved(s, {"COLOR0=-1", "COLOR1=16744512", "NAME=Mt. Fuji", "MEMO=", "SR103=/dev/ttyUSB0"});
  s.ComPort = {"12", "/dev/pts/7", " 2", "COM3"};
  ExpectSaved(s, {"SR101=12", "SR102=/dev/pts/7", "SR103=2", "SR104=COM3"});
  ProfileFile p;
  StoreSettingsTo(s, p);
  EXPECT_EQ(LoadFromText(p.Serialize()).ComPort, (std::array<std::string, 4>{"12", "/dev/pts/7", "2", "COM3"}));
}

TEST(Settings, UnwritableProfileIsReportedAndNothingChanges) {
  TempDir dir;
  WriteBytes(dir.Path + "/file", "x");
  std::filesystem::create_directory(dir.Path + "/folder.ini");
  AppSettings s;
  s.UserMemo = "kept";
  EXPECT_FALSE(SaveSettings(s, dir.Path + "/file/spectrel.ini"));   // below a plain file
  EXPECT_FALSE(SaveSettings(s, dir.Path + "/no/such/spectrel.ini"));
  EXPECT_FALSE(SaveSettings(s, dir.Path + "/folder.ini"));   // a folder cannot be replaced
  EXPECT_EQ(s.UserMemo, "kept");
  EXPECT_EQ(ReadBytes(dir.Path + "/file"), "x");
  EXPECT_EQ(dir.Count(), 2);   // no temporary file is left behind
}

TEST(SettingsIo, APortWithALineBreakInsideReadsBackAsItWasSaved) {
  // "+04" followed by a carriage return inside the line is saved as "+04": the first load already
  // takes it as port 4, as every later one will.
  for (const std::string text : {"[COM]\nSR102 = +04 \r \n", "[COM]\nSR102=/dev/tty\rUSB0\n"}) {
    const AppSettings first = LoadFromText(text);
    ProfileFile saved = ProfileFile::Parse(text);
    StoreSettingsTo(first, saved);
    EXPECT_EQ(LoadFromText(saved.Serialize()).ComPort[1], first.ComPort[1]) << text;
  }
  EXPECT_EQ(LoadFromText("[COM]\nSR102 = +04 \r \n").ComPort[1], "4");
}

}  // namespace
}  // namespace spectrel
