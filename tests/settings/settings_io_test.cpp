#include <gtest/gtest.h>

#include <filesystem>

#include "settings/profile.h"
#include "settings/settings_io.h"
#include "settings/settings_test_support.h"

namespace spectrel {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

// Settings loaded from the given profile text, the program folder being /opt/spectrel/.
AppSettings LoadFromText(const std::string& text) {
  AppSettings s;
  s.AppFolder = "/opt/spectrel/";
  LoadSettingsFrom(s, ProfileFile::Parse(text));
  return s;
}

// The profile text s gives when saved into an empty profile.
std::string SavedText(const AppSettings& s) {
  ProfileFile p;
  StoreSettingsTo(s, p);
  return p.Serialize();
}

bool Holds(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos;
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
    "[GRAPH]\nLEFT=300.0\nRIGHT=1800.0\nTOP=100.000000\nBOTTOM=0.000000\nASCALE=1\nGRID=1\n"
    "COLOR0=255\nCOLOR1=32768\n"
    "[MODE]\nDISP=1\n";

TEST(Settings, FirstStartWithoutProfileRunsOnDefaults) {
  TempFolder dir;
  AppSettings s;
  s.ComPort = {"9", "9", "9", "9"};   // whatever was there before is replaced
  s.UseSensor = {1, 1, 1, 1};
  s.AppFolder = "/opt/spectrel/";
  LoadSettings(s, dir.Path + "spectrel.ini");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.ComPort[i], "0");
    EXPECT_EQ(s.UseSensor[i], 0);
    EXPECT_EQ(s.CsvSensor[i], 1);
  }
  EXPECT_EQ(s.MeasType, 1);
  EXPECT_EQ(s.StartTime, 6 * 3600);
  EXPECT_EQ(s.EndTime, 20 * 3600);
  EXPECT_EQ(s.Interval, 10 * 60);
  EXPECT_EQ(s.AutoStart, 0);
  EXPECT_EQ(s.KrfFolder, "/opt/spectrel/");
  EXPECT_EQ(s.CsvFolder, "/opt/spectrel/");
  EXPECT_EQ(s.SaveCsv, 1);
  EXPECT_EQ(s.CsvFrom, 300);
  EXPECT_EQ(s.CsvTo, 1800);
  EXPECT_EQ(s.CsvPitch, 0);
  EXPECT_EQ(s.CsvMerge, 1);
  EXPECT_EQ(s.SiteName, "");
  EXPECT_EQ(s.SiteLon, "000.000");
  EXPECT_EQ(s.SiteLat, "00.000");
  EXPECT_EQ(s.SiteAlt, "00.0");
  EXPECT_EQ(s.UserMemo, "Arvena Solmet");
  EXPECT_EQ(s.IntegFrom, 300);
  EXPECT_EQ(s.IntegTo, 1800);
  EXPECT_EQ(s.Graph.GraphLeft, 300.0);
  EXPECT_EQ(s.Graph.GraphRight, 1800.0);
  EXPECT_EQ(s.Graph.GraphTop, 100.0);
  EXPECT_EQ(s.Graph.GraphBottom, 0.0);
  EXPECT_EQ(s.Graph.AutoScale, 1);
  EXPECT_EQ(s.Graph.GridLine, 1);
  EXPECT_EQ(s.Graph.GraphColor, 0x0000FFu);     // red
  EXPECT_EQ(s.Graph.FrameColor, 0x008000u);     // green 128
  EXPECT_EQ(s.DispMode, 1);

  // Saved into a new profile: every section in order, every key in order.
  ASSERT_TRUE(SaveSettings(s, dir.Path + "spectrel.ini"));
  EXPECT_EQ(ReadText(dir.Path + "spectrel.ini"), kFreshProfile);
}

TEST(Settings, GraphNumbersAreReadWithAtofAndWrittenWithTheirFormats) {
  AppSettings s = LoadFromText("[GRAPH]\nLEFT=abc\nRIGHT= 950.75nm\nTOP=1e2\nBOTTOM=-0.5\n");
  EXPECT_EQ(s.Graph.GraphLeft, 0.0);
  EXPECT_EQ(s.Graph.GraphRight, 950.75);
  EXPECT_EQ(s.Graph.GraphTop, 100.0);
  EXPECT_EQ(s.Graph.GraphBottom, -0.5);

  s.Graph.GraphLeft = 412.345;
  s.Graph.GraphRight = 1799.96;
  s.Graph.GraphTop = 2.5;
  s.Graph.GraphBottom = -0.0000004;
  const std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "LEFT=412.3"));
  EXPECT_TRUE(Holds(text, "RIGHT=1800.0"));
  EXPECT_TRUE(Holds(text, "TOP=2.500000"));
  EXPECT_TRUE(Holds(text, "BOTTOM=-0.000000"));
}

TEST(Settings, NumbersIgnoreTheUsersDecimalComma) {
  testing::CommaLocale comma;
  if (!comma.Active) GTEST_SKIP() << "no locale with a decimal comma can be set up here";
  AppSettings s = LoadFromText("[GRAPH]\nLEFT=412.5\nTOP=2,5\n");
  EXPECT_EQ(s.Graph.GraphLeft, 412.5);
  EXPECT_EQ(s.Graph.GraphTop, 2.0);   // the comma ends the number
  s.Graph.GraphLeft = 412.345;
  s.Graph.GraphTop = 2.5;
  const std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "LEFT=412.3"));
  EXPECT_TRUE(Holds(text, "TOP=2.500000"));
}

TEST(Settings, FlagsHoldZeroOrOne) {
  AppSettings s = LoadFromText("[INT]\nAUTO=7\n[USE]\nSR102=-1\n[SAVE]\nCSV=abc\nMERGE=0\n"
                               "[GRAPH]\nGRID=2x\n");
  EXPECT_EQ(s.AutoStart, 1);
  EXPECT_EQ(s.UseSensor[1], 1);
  EXPECT_EQ(s.SaveCsv, 0);   // present but no number
  EXPECT_EQ(s.CsvMerge, 0);
  EXPECT_EQ(s.Graph.GridLine, 1);
  EXPECT_TRUE(Holds(SavedText(s), "AUTO=1"));

  s.AutoStart = 7;   // only a field holding 1 is written as 1
  s.Graph.AutoScale = -1;
  const std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "AUTO=0"));
  EXPECT_TRUE(Holds(text, "ASCALE=0"));
}

TEST(Settings, TimesPassThirtyTwoBits) {
  AppSettings s = LoadFromText("[INT]\nSTART=90000\nEND=-60\nINT=4294967896\n");
  EXPECT_EQ(s.StartTime, 90000);
  EXPECT_EQ(s.EndTime, 4294967236);   // the high half stays zero
  EXPECT_EQ(s.Interval, 600);         // 2^32 + 600 wraps
  std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "START=90000"));
  EXPECT_TRUE(Holds(text, "END=-60"));
  s.StartTime = 2147483648;         // low 32 bits, signed
  s.Interval = 0x100000000 + 5;
  text = SavedText(s);
  EXPECT_TRUE(Holds(text, "START=-2147483648"));
  EXPECT_TRUE(Holds(text, "INT=5"));
}

TEST(Settings, NumbersColoursAndTexts) {
  AppSettings s = LoadFromText(
      "[SAVE]\nLEFT= 350 \nPITCH=1\n[GRAPH]\nCOLOR0=-1\nCOLOR1=16744512\n"
      "[SITE]\nNAME=  Mt. Fuji  \n[MEAS]\nMEMO=\n[DIR]\nCSV=/data/csv\n[MODE]\nDISP=0\n");
  EXPECT_EQ(s.CsvFrom, 350);
  EXPECT_EQ(s.CsvPitch, 1);
  EXPECT_EQ(s.Graph.GraphColor, 0xFFFFFFFFu);
  EXPECT_EQ(s.Graph.FrameColor, 0x00FF8040u);
  EXPECT_EQ(s.SiteName, "Mt. Fuji");
  EXPECT_EQ(s.UserMemo, "");   // present and empty is not the default
  EXPECT_EQ(s.KrfFolder, "/opt/spectrel/");
  EXPECT_EQ(s.CsvFolder, "/data/csv");   // as typed, no slash added
  EXPECT_EQ(s.DispMode, 0);
  const std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "COLOR0=-1"));
  EXPECT_TRUE(Holds(text, "COLOR1=16744512"));
  EXPECT_TRUE(Holds(text, "NAME=Mt. Fuji"));
  EXPECT_TRUE(Holds(text, "MEMO="));
}

TEST(Settings, PortsAreNumbersOrDevicePaths) {
  AppSettings s = LoadFromText("[COM]\nSR101= 3 \nSR102=+04\nSR103=/dev/ttyUSB0\nSR104=\n");
  EXPECT_EQ(s.ComPort[0], "3");
  EXPECT_EQ(s.ComPort[1], "4");
  EXPECT_EQ(s.ComPort[2], "/dev/ttyUSB0");
  EXPECT_EQ(s.ComPort[3], "0");
  s.ComPort = {"12", "/dev/pts/7", " 2", "COM3"};
  const std::string text = SavedText(s);
  EXPECT_TRUE(Holds(text, "SR101=12"));
  EXPECT_TRUE(Holds(text, "SR102=/dev/pts/7"));
  EXPECT_TRUE(Holds(text, "SR103=2"));
  EXPECT_TRUE(Holds(text, "SR104=COM3"));
  const AppSettings back = LoadFromText(text);
  EXPECT_EQ(back.ComPort, (std::array<std::string, 4>{"12", "/dev/pts/7", "2", "COM3"}));
}

TEST(Settings, HandEditedProfileSurvivesASave) {
  TempFolder dir;
  const std::string path = dir.Path + "spectrel.ini";
  WriteText(path,
            "; Spectrel station 4\r\n"
            "[com]\r\n"
            "  Sr101 = 2\r\n"
            "[Station]\r\n"
            "OWNER=met office\r\n"
            "[ int ]\r\n"
            "# every ten minutes\r\n"
            "int=600\r\n"
            "auto = 7\r\n"
            "LEGACY=yes\r\n"
            "\r\n"
            "[Graph]\r\n"
            "left = 412.345\r\n");
  AppSettings s;
  s.AppFolder = "/srv/spectrel/";
  LoadSettings(s, path);
  EXPECT_EQ(s.ComPort[0], "2");
  EXPECT_EQ(s.AutoStart, 1);
  EXPECT_EQ(s.Graph.GraphLeft, 412.345);
  s.Interval = 300;
  ASSERT_TRUE(SaveSettings(s, path));
  EXPECT_EQ(ReadText(path),
            "; Spectrel station 4\n"
            "[com]\n"
            "SR101=2\n"
            "SR102=0\nSR103=0\nSR104=0\n"
            "[Station]\n"
            "OWNER=met office\n"
            "[ int ]\n"
            "# every ten minutes\n"
            "INT=300\n"
            "AUTO=1\n"
            "LEGACY=yes\n"
            "MEAS_TYPE=1\nSTART=21600\nEND=72000\n"
            "\n"
            "[Graph]\n"
            "LEFT=412.3\n"
            "RIGHT=1800.0\nTOP=100.000000\nBOTTOM=0.000000\nASCALE=1\nGRID=1\n"
            "COLOR0=255\nCOLOR1=32768\n"
            "[DIR]\nKRF=/srv/spectrel/\nCSV=/srv/spectrel/\n"
            "[USE]\nSR101=0\nSR102=0\nSR103=0\nSR104=0\n"
            "[SAVE]\nCSV=1\nLEFT=300\nRIGHT=1800\nPITCH=0\nSR101=1\nSR102=1\nSR103=1\nSR104=1\n"
            "MERGE=1\n"
            "[SITE]\nNAME=\nLON=000.000\nLAT=00.000\nALT=00.0\n"
            "[MEAS]\nMEMO=Arvena Solmet\n"
            "[INTEG]\nLEFT=300\nRIGHT=1800\n"
            "[MODE]\nDISP=1\n");
}

TEST(Settings, UnwritableProfileIsReportedAndNothingChanges) {
  TempFolder dir;
  WriteText(dir.Path + "file", "x");
  AppSettings s;
  s.UserMemo = "kept";
  EXPECT_FALSE(SaveSettings(s, dir.Path + "file/spectrel.ini"));   // below a plain file
  EXPECT_FALSE(SaveSettings(s, dir.Path + "no/such/spectrel.ini"));
  std::filesystem::create_directory(dir.Path + "folder.ini");
  EXPECT_FALSE(SaveSettings(s, dir.Path + "folder.ini"));   // a folder cannot be replaced
  EXPECT_EQ(s.UserMemo, "kept");
  EXPECT_EQ(ReadText(dir.Path + "file"), "x");
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 2);
}

}  // namespace
}  // namespace spectrel
