// The profile check on the mistakes operators make: each row a profile and what must be said of it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/profile_check.h"
#include "settings/profile_file.h"
#include "settings/settings_io.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// A profile and what must be said of it. The sound profile measures: SR-102 and SR-104 on ports
// the host calls fine, a folder that exists. A row may replace its sensor sections or its day-file
// folder, and appends its Extra lines (later keys of a section are placed by the check's own
// reading: a second section is ignored). No Says: nothing is said at all.
struct Row {
  const char* Name;
  std::string Extra;
  FindingLevel Level = FindingLevel::Warning;
  const char* Where = "";   // the start of the finding's place
  const char* Says = nullptr;
  const char* Sensors = "[COM]\nSR102=/dev/a\nSR104=/dev/b\n[USE]\nSR102=1\nSR104=1\n";
  std::string Krf = "";     // the sound profile's folder when empty
};

std::string Sound(const TempDir& dir, const Row& row = {}) {
  return row.Sensors + std::string("[DIR]\nKRF=") + (row.Krf.empty() ? dir.Path + "/" : row.Krf) + "\nCSV=" +
         dir.Path + "/\n" + row.Extra;
}

ProfileCheckHost FinePorts() {
  return {[](const std::string& port) { return port == "/dev/gone" ? PortProblem{"no such device now", false} : PortProblem{}; }};
}

TEST(ProfileCheck, EachMistakeIsSaidWithItsPlace) {
  TempDir dir;
  ::mkdir(dir.File("locked").c_str(), 0555);
  WriteBytes(dir.File("afile"), "x");
  using L = FindingLevel;
  const Row rows[] = {
      {"Sound", ""},
      {"SecondSection", "[USE]\nSR103=1\n", L::Warning, "[USE]", "appears again"},
      {"UnknownSection", "[SAV]\nCSV=1\n", L::Warning, "[SAV]", "did you mean SAVE?"},
      {"NotAKeyLine", "[SITE]\nNAME Roof\n", L::Warning, "line", "not a KEY=value line"},
      {"WordForAFlag", "[SAVE]\nCSV=yes\n", L::Error, "[SAVE] CSV", "'yes' is not 0 or 1"},
      {"NumberForAFlag", "[SAVE]\nMERGE=2\n", L::Warning, "[SAVE] MERGE", "reads as 1"},
      {"WordForANumber", "[INTEG]\nLEFT=3OO\n", L::Error, "[INTEG] LEFT", "not a whole number"},
      {"NightWindow", "[INT]\nSTART=72000\nEND=21600\n", L::Error, "[INT] START", "opens after it closes"},
      {"NegativeInterval", "[INT]\nINT=-1\n", L::Error, "[INT] INT", "1 s or more"},
      {"OversizedInterval", "[INT]\nINT=4000000000\n", L::Error, "[INT] INT", "1 s or more"},
      {"NoBoundaryInWindow", "[INT]\nSTART=36001\nEND=39599\nINT=3600\n", L::Error, "[INT] INT", "no multiple of 3600"},
      {"WindowPastMidnight", "[INT]\nSTART=90000\nEND=99999\n", L::Error, "[INT] START", "never opens"},
      {"UnknownZone", "[SITE]\nZONE=Asia/Tokio\n", L::Error, "[SITE] ZONE", "not a time zone"},
      {"NoPosition", "[SITE]\nLAT=north\n", L::Warning, "[SITE] LAT", "no sun angles"},
      {"IntegralBackwards", "[INTEG]\nLEFT=900\nRIGHT=400\n", L::Warning, "[INTEG] LEFT", "covers nothing"},
      {"ColourTooLarge", "[GRAPH]\nCOLOR0=16777216\n", L::Warning, "[GRAPH] COLOR0", "0x00BBGGRR"},
      {"NoSensor", "", L::Warning, "[USE]", "no sensor in use", "[USE]\nSR102=0\nSR104=0\n"},
      {"NoPort", "", L::Error, "[COM] SR101", "has no port", "[COM]\nSR101=0\n[USE]\nSR101=1\n"},
      {"PortGone", "", L::Warning, "[COM] SR103", "no such device", "[COM]\nSR103=/dev/gone\n[USE]\nSR103=1\n"},
      {"TwoShort", "", L::Warning, "[USE]", "one short-wavelength", "[COM]\nSR101=/dev/c\nSR102=/dev/a\n[USE]\nSR101=1\nSR102=1\n"},
      {"NoSeparator", "", L::Warning, "[DIR] KRF", "used as the folder", Row{}.Sensors, dir.Path},
      {"NotYetMade", "", L::Note, "[DIR] KRF", "made at start", Row{}.Sensors, dir.Path + "/new/"},
      {"AFile", "", L::Error, "[DIR] KRF", "is a file", Row{}.Sensors, dir.File("afile") + "/"},
      {"CannotBeMade", "", L::Error, "[DIR] KRF", "cannot be made", Row{}.Sensors, dir.File("locked") + "/sub/"},
  };
  const bool root = ::geteuid() == 0;   // root writes into a read-only folder all the same
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    if (root && std::string(row.Name) == "CannotBeMade") continue;
    WriteBytes(dir.File("p.ini"), Sound(dir, row));
    const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
    EXPECT_EQ(check.Settings.KrfFolder.back(), '/');
    if (!row.Says) {
      for (const ProfileFinding& f : check.Findings) ADD_FAILURE() << FindingLine(f);
      EXPECT_EQ(check.ExitCode(), 0);
      continue;
    }
    EXPECT_TRUE(std::any_of(check.Findings.begin(), check.Findings.end(), [&](const ProfileFinding& f) {
      return f.Level == row.Level && f.Where.rfind(row.Where, 0) == 0 && f.Text.find(row.Says) != std::string::npos;
    }));
    EXPECT_EQ(check.ExitCode(), static_cast<int>(row.Level));   // note 0, warning 1, error 2
  }
}

// A named profile that cannot be read is an error, said at once (a named pipe never blocks the
// check); a first start without one is none.
TEST(ProfileCheck, NamedProfileThatCannotBeReadIsAnError) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  for (const auto& [name, says] : {std::pair{"nosuch.ini", "no such profile"}, {"fifo.ini", "not a regular file"}}) {
    const ProfileCheck named = CheckProfile(dir.File(name), true, dir.Path + "/");
    ASSERT_FALSE(named.Findings.empty()) << name;
    EXPECT_EQ(named.Findings.front().Level, FindingLevel::Error) << name;
    EXPECT_NE(named.Findings.front().Text.find(says), std::string::npos) << name;
  }
  const ProfileCheck first = CheckProfile(dir.File("nosuch.ini"), false, dir.Path + "/");
  EXPECT_FALSE(first.HasErrors() || first.Exists);
}

TEST(ProfileCheck, EffectiveSettingsSayWhereEachCameFrom) {
  TempDir dir;
  WriteBytes(dir.File("p.ini"), Sound(dir) + "[INT]\nINT=300\n");
  const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
  const auto find = [&](const char* section, const char* key) {
    return *std::find_if(check.Effective.begin(), check.Effective.end(),
                         [&](const EffectiveSetting& s) { return s.Section == section && s.Key == key; });
  };
  EXPECT_EQ(find("INT", "INT").Value, "300");
  EXPECT_TRUE(find("INT", "INT").FromFile);
  EXPECT_EQ(find("INT", "START").Value, "21600");
  EXPECT_FALSE(find("INT", "START").FromFile);
}

}  // namespace
}  // namespace spectrel

namespace spectrel {
namespace {

using KeySet = std::set<std::pair<std::string, std::string>>;

KeySet ProgramKeys() {
  KeySet keys;
  for (const ProfileKey& k : ProfileKeys()) keys.emplace(k.Section, k.Key);
  return keys;
}

// The manual's table: "| `SEC` | `KEY` |" rows, "`SR101` … `SR104`" standing for the four models.
KeySet ManualKeys() {
  KeySet keys;
  std::istringstream table(testing::ReadBytes(SPECTREL_SOURCE_DIR "/docs/manual/settings.md"));
  const std::regex row(R"(^\| `([A-Z]+)` \| `([A-Z_0-9]+)`( … `SR104`)? \|)");
  std::smatch m;
  for (std::string line; std::getline(table, line);) {
    if (!std::regex_search(line, m, row)) continue;
    if (m[3].matched)
      for (const char* model : {"SR101", "SR102", "SR103", "SR104"}) keys.emplace(m[1], model);
    else
      keys.emplace(m[1], m[2]);
  }
  return keys;
}

TEST(ProfileDocuments, ManualTableListsEveryKeyTheProgramReads) { EXPECT_EQ(ManualKeys(), ProgramKeys()); }

TEST(ProfileDocuments, TheExampleProfileSetsEveryKeyWithoutAnError) {
  const std::string example = SPECTREL_SOURCE_DIR "/packaging/spectrel.ini.example";
  KeySet keys;
  for (const ProfileFile::Line& line : ProfileFile::Load(example).Lines())
    if (line.Type == ProfileFile::Line::Kind::Key) keys.emplace(line.Section, line.Key);
  EXPECT_EQ(keys, ProgramKeys());
  const ProfileCheck check = CheckProfile(example, true, "/tmp/");
  for (const ProfileFinding& f : check.Findings)   // the station's folders need not exist here
    if (f.Level == FindingLevel::Error && f.Where.rfind("[DIR]", 0) != 0) ADD_FAILURE() << FindingLine(f);
}

}  // namespace
}  // namespace spectrel
