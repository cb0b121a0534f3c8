// Where the profile lives, and the settings read from and written to it: defaults, number formats
// and hand-made files.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "settings/profile.h"
#include "settings/settings_io.h"
#include "support/temp_dir.h"
#include "support/comma_locale.h"

namespace spectrel {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const char* const kFreshProfile =
    "[COM]\nSR101=0\nSR102=0\nSR103=0\nSR104=0\n"
    "[INT]\nMEAS_TYPE=1\nSTART=21600\nEND=72000\nINT=600\nAUTO=0\n"
    "[DIR]\nKRF=/opt/spectrel/\nCSV=/opt/spectrel/\n"
    "[USE]\nSR101=0\nSR102=0\nSR103=0\nSR104=0\n"
    "[SAVE]\nCSV=1\nLEFT=300\nRIGHT=1800\nPITCH=0\nSR101=1\nSR102=1\nSR103=1\nSR104=1\nMERGE=1\n"
    "[SITE]\nNAME=\nLON=000.000\nLAT=00.000\nALT=00.0\nZONE=\n"
    "[MEAS]\nMEMO=Arvena Solmet\n"
    "[INTEG]\nLEFT=300\nRIGHT=1800\n"
    "[GRAPH]\nLEFT=300.0\nRIGHT=1800.0\nTOP=100.000000\nBOTTOM=0.000000\nASCALE=1\nGRID=1\nCOLOR0=255\nCOLOR1=32768\n"
    "[MODE]\nDISP=1\n";

TEST(Settings, AFirstStartWithoutProfileSavesTheDefaultsInSectionOrder) {
  TempDir dir;
  AppSettings s;
  s.ComPort = {"9", "9", "9", "9"};   // whatever was there before is replaced
  s.UseSensor = {true, true, true, true};
  s.CsvSensor = {false, false, false, false};
  s.Graph.GraphTop = 5.0;
  s.AppFolder = "/opt/spectrel/";
  LoadSettings(s, dir.Path + "/spectrel.ini");
  ASSERT_TRUE(SaveSettings(s, dir.Path + "/spectrel.ini"));
  EXPECT_EQ(ReadBytes(dir.Path + "/spectrel.ini"), kFreshProfile);
  s.AutoStart = true;
  s.MeasType = MeasureMode::Interval;
  ASSERT_TRUE(SaveSettings(s, dir.Path + "/spectrel.ini"));
  const ProfileFile saved = ProfileFile::Load(dir.Path + "/spectrel.ini");
  EXPECT_EQ(std::tuple(saved.Find("INT", "AUTO"), saved.Find("INT", "MEAS_TYPE")), std::tuple("1", "0"));
  EXPECT_FALSE(SaveSettings(s, dir.Path + "/spectrel.ini/below-a-file.ini"));   // a failed save is told
}

// One key as read from a hand-made profile and written back: the saved text shows how it was read.
struct RoundTrip {
  const char *Section, *Key, *Typed, *Saved;
};

const RoundTrip kRoundTrips[] = {
    // Graph axis numbers are read with atof and written "%.1f" or "%f", whatever the locale.
    {"GRAPH", "LEFT", "abc", "0.0"}, {"GRAPH", "LEFT", "412.345", "412.3"}, {"GRAPH", "RIGHT", "1799.96", "1800.0"},
    {"GRAPH", "TOP", " 950.75nm", "950.750000"}, {"GRAPH", "TOP", "1e2", "100.000000"},
    {"GRAPH", "BOTTOM", "-2,5", "-2.000000"},   // the comma ends the number
    {"GRAPH", "BOTTOM", "-0.0000004", "-0.000000"},
    // Flags hold 0 or 1.
    {"INT", "AUTO", "7", "1"}, {"USE", "SR102", "-1", "1"}, {"SAVE", "CSV", "abc", "0"}, {"SAVE", "MERGE", "0", "0"},
    {"GRAPH", "GRID", "2x", "1"},
    // Modes hold 0 or 1; another number reads as manual measurement, raw pixels, the normal display.
    {"INT", "MEAS_TYPE", "0", "0"}, {"INT", "MEAS_TYPE", "-1", "1"}, {"SAVE", "PITCH", "2", "0"},
    {"MODE", "DISP", "2", "1"}, {"MODE", "DISP", " 0x", "0"},
    // Times pass through 32 bits: the high half stays zero, a save writes the low half signed.
    {"INT", "START", "90000", "90000"}, {"INT", "END", "-60", "-60"}, {"INT", "INT", "4294967896", "600"},
    {"INT", "START", "2147483648", "-2147483648"},
    // Whole numbers, colours 0x00BBGGRR, texts trimmed, folders with their separator.
    {"SAVE", "LEFT", " 350 ", "350"}, {"SAVE", "PITCH", "1", "1"}, {"MODE", "DISP", "0", "0"},
    {"GRAPH", "COLOR0", "-1", "-1"}, {"GRAPH", "COLOR1", "16744512", "16744512"},
    {"SITE", "NAME", "  Mt. Fuji  ", "Mt. Fuji"}, {"MEAS", "MEMO", "", ""}, {"DIR", "CSV", "/data/csv", "/data/csv/"},
    {"DIR", "KRF", "./krf/", "./krf/"}, {"DIR", "KRF", "", ""},
    // A port is a number or a device path.
    {"COM", "SR101", " 3 ", "3"}, {"COM", "SR102", "+04", "4"}, {"COM", "SR103", "/dev/ttyUSB0", "/dev/ttyUSB0"},
    {"COM", "SR104", "", "0"}, {"COM", "SR104", "COM3", "COM3"}, {"COM", "SR101", "3 4", "3 4"}, {"COM", "SR101", "+", "+"},
    // A line break inside the line becomes a blank, so the first load reads what every later one will.
    {"COM", "SR102", " +04 \r ", "4"}, {"COM", "SR102", "/dev/tty\rUSB0", "/dev/tty USB0"},
};

TEST(Settings, EveryKindOfFieldRoundTripsLikeTheProfileFunctionsWhateverTheLocale) {
  const auto check = [] {
    for (const RoundTrip& r : kRoundTrips) {
      AppSettings s;
      LoadSettingsFrom(s, ProfileFile::Parse("[" + std::string(r.Section) + "]\n" + r.Key + "=" + r.Typed + "\n"));
      ProfileFile saved;
      StoreSettingsTo(s, saved);
      EXPECT_EQ(saved.Find(r.Section, r.Key), r.Saved) << r.Section << " " << r.Key << "=" << r.Typed;
    }
  };
  check();
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be set up here";
  check();
}

TEST(ProfileLocation, BesideTheProgramWhenItsFolderIsWritableElseInTheConfigurationFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path + "/bin");
  ProfileLocation at = LocateProfile(dir.Path + "/bin/spectrel");
  EXPECT_EQ(at.ProfilePath, dir.Path + "/bin/spectrel.ini");
  EXPECT_EQ(at.AppFolder, dir.Path + "/bin/");
  at = LocateProfile(dir.Path + "/bin/spectrel.run");   // the extension is replaced
  EXPECT_EQ(at.ProfilePath, dir.Path + "/bin/spectrel.ini");
  // The configuration folder when the program's folder is not writable.
  WriteBytes(dir.Path + "/file", "x");   // a folder below a plain file cannot be written
  testing::ScopedEnv home("HOME", (dir.Path + "/home").c_str());
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", (dir.Path + "/cfg").c_str());
    const ProfileLocation at = LocateProfile(dir.Path + "/file/spectrel");
    EXPECT_EQ(at.ProfilePath, dir.Path + "/cfg/spectrel/spectrel.ini");
    EXPECT_EQ(at.AppFolder, dir.Path + "/home/Spectrel/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "/cfg/spectrel"));
  }
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const ProfileLocation at = LocateProfile(dir.Path + "/file/spectrel");
    EXPECT_EQ(at.ProfilePath, dir.Path + "/home/.config/spectrel/spectrel.ini");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "/home/.config/spectrel"));
  }
  // Started without HOME (as a service may be): the account's home folder from the user database.
  testing::ScopedEnv noHome("HOME", nullptr), config("XDG_CONFIG_HOME", (dir.Path + "/cfg").c_str());
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(LocateProfile(dir.Path + "/file/spectrel").AppFolder, std::string(account->pw_dir) + "/Spectrel/");
}

}  // namespace
}  // namespace spectrel
