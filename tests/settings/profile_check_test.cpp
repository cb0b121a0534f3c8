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

// A profile that measures: SR-102 and SR-104 on ports the host calls fine, a folder that exists.
std::string Sound(const TempDir& dir) {
  return "[COM]\nSR102=/dev/a\nSR104=/dev/b\n[USE]\nSR102=1\nSR104=1\n[DIR]\nKRF=" + dir.Path + "/\nCSV=" + dir.Path + "/\n";
}

struct Row {
  const char* Name;
  std::string Extra;        // lines appended to the sound profile (later keys of a section are
                            // placed by the check's own reading: a second section is ignored)
  FindingLevel Level;
  const char* Where;        // expected in the finding's place
  const char* Says;         // expected in its text
};

ProfileCheckHost FinePorts() {
  return {[](const std::string& port) { return port == "/dev/gone" ? PortProblem{"no such device now", false} : PortProblem{}; }};
}

TEST(ProfileCheck, SoundProfileIsClean) {
  TempDir dir;
  WriteBytes(dir.File("p.ini"), Sound(dir));
  const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
  for (const ProfileFinding& f : check.Findings) ADD_FAILURE() << FindingLine(f);
  EXPECT_EQ(check.ExitCode(), 0);
}

TEST(ProfileCheck, EachMistakeIsSaidWithItsPlace) {
  TempDir dir;
  const Row rows[] = {
      {"SecondSection", "[USE]\nSR103=1\n", FindingLevel::Warning, "[USE]", "appears again"},
      {"UnknownSection", "[SAV]\nCSV=1\n", FindingLevel::Warning, "[SAV]", "did you mean SAVE?"},
      {"NotAKeyLine", "[SITE]\nNAME Roof\n", FindingLevel::Warning, "line", "not a KEY=value line"},
      {"WordForAFlag", "[SAVE]\nCSV=yes\n", FindingLevel::Error, "[SAVE] CSV", "'yes' is not 0 or 1"},
      {"NumberForAFlag", "[SAVE]\nMERGE=2\n", FindingLevel::Warning, "[SAVE] MERGE", "reads as 1"},
      {"WordForANumber", "[INTEG]\nLEFT=3OO\n", FindingLevel::Error, "[INTEG] LEFT", "not a whole number"},
      {"NightWindow", "[INT]\nSTART=72000\nEND=21600\n", FindingLevel::Error, "[INT] START", "opens after it closes"},
      {"NegativeInterval", "[INT]\nINT=-1\n", FindingLevel::Error, "[INT] INT", "1 s or more"},
      {"OversizedInterval", "[INT]\nINT=4000000000\n", FindingLevel::Error, "[INT] INT", "1 s or more"},
      {"NoBoundaryInWindow", "[INT]\nSTART=36001\nEND=39599\nINT=3600\n", FindingLevel::Error, "[INT] INT", "no multiple of 3600"},
      {"WindowPastMidnight", "[INT]\nSTART=90000\nEND=99999\n", FindingLevel::Error, "[INT] START", "never opens"},
      {"UnknownZone", "[SITE]\nZONE=Asia/Tokio\n", FindingLevel::Error, "[SITE] ZONE", "not a time zone"},
      {"NoPosition", "[SITE]\nLAT=north\n", FindingLevel::Warning, "[SITE] LAT", "no sun angles"},
      {"IntegralBackwards", "[INTEG]\nLEFT=900\nRIGHT=400\n", FindingLevel::Warning, "[INTEG] LEFT", "covers nothing"},
      {"ColourTooLarge", "[GRAPH]\nCOLOR0=16777216\n", FindingLevel::Warning, "[GRAPH] COLOR0", "0x00BBGGRR"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    WriteBytes(dir.File("p.ini"), Sound(dir) + row.Extra);
    const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
    const bool found = std::any_of(check.Findings.begin(), check.Findings.end(), [&](const ProfileFinding& f) {
      return f.Level == row.Level && f.Where.find(row.Where) != std::string::npos &&
             f.Text.find(row.Says) != std::string::npos;
    });
    EXPECT_TRUE(found);
    EXPECT_EQ(check.ExitCode(), row.Level == FindingLevel::Error ? 2 : 1);
  }
}

TEST(ProfileCheck, SensorsAndTheirPortsAreLookedAt) {
  TempDir dir;
  const Row rows[] = {
      {"NoSensor", "[USE]\nSR102=0\nSR104=0\n", FindingLevel::Warning, "[USE]", "no sensor in use"},
      {"NoPort", "[COM]\nSR101=0\n[USE]\nSR101=1\n", FindingLevel::Error, "[COM] SR101", "has no port"},
      {"PortGone", "[COM]\nSR103=/dev/gone\n[USE]\nSR103=1\n", FindingLevel::Warning, "[COM] SR103", "no such device"},
      {"TwoShort", "[COM]\nSR101=/dev/c\nSR102=/dev/a\n[USE]\nSR101=1\nSR102=1\n", FindingLevel::Warning, "[USE]", "one short-wavelength"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    // These rows replace the sensor sections, so they are written whole.
    std::string text = Sound(dir);
    text.replace(0, text.find("[DIR]"), row.Extra);
    WriteBytes(dir.File("p.ini"), text);
    const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
    EXPECT_TRUE(std::any_of(check.Findings.begin(), check.Findings.end(), [&](const ProfileFinding& f) {
      return f.Level == row.Level && f.Where == row.Where && f.Text.find(row.Says) != std::string::npos;
    }));
  }
}

TEST(ProfileCheck, FoldersAreUsedAsMeantAndCheckedForWriting) {
  TempDir dir;
  ::mkdir(dir.File("locked").c_str(), 0555);
  WriteBytes(dir.File("afile"), "x");
  const struct {
    const char* Name;
    std::string Folder;
    FindingLevel Level;
    const char* Says;
  } rows[] = {
      {"NoSeparator", dir.Path, FindingLevel::Warning, "used as the folder"},
      {"NotYetMade", dir.Path + "/new/", FindingLevel::Warning, "made at start"},
      {"AFile", dir.File("afile") + "/", FindingLevel::Error, "is a file"},
      {"CannotBeMade", dir.File("locked") + "/sub/", FindingLevel::Error, "cannot be made"},
  };
  const bool root = ::geteuid() == 0;   // root writes into a read-only folder all the same
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    if (root && std::string(row.Name) == "CannotBeMade") continue;
    std::string text = Sound(dir);
    text.replace(text.find("KRF="), text.find("\nCSV=") - text.find("KRF="), "KRF=" + row.Folder);
    WriteBytes(dir.File("p.ini"), text);
    const ProfileCheck check = CheckProfile(dir.File("p.ini"), true, dir.Path + "/", FinePorts());
    EXPECT_TRUE(std::any_of(check.Findings.begin(), check.Findings.end(), [&](const ProfileFinding& f) {
      return f.Level == row.Level && f.Where == "[DIR] KRF" && f.Text.find(row.Says) != std::string::npos;
    }));
    EXPECT_EQ(check.Settings.KrfFolder.back(), '/');
  }
}

TEST(ProfileCheck, MissingProfileIsAnErrorOnlyWhenNamed) {
  TempDir dir;
  const ProfileCheck named = CheckProfile(dir.File("nosuch.ini"), true, dir.Path + "/");
  ASSERT_FALSE(named.Findings.empty());
  EXPECT_EQ(named.Findings.front().Level, FindingLevel::Error);
  EXPECT_NE(named.Findings.front().Text.find("no such profile"), std::string::npos);
  const ProfileCheck first = CheckProfile(dir.File("nosuch.ini"), false, dir.Path + "/");
  EXPECT_FALSE(first.HasErrors());
  EXPECT_FALSE(first.Exists);
}

TEST(ProfileCheck, NamedPipeIsRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  const ProfileCheck check = CheckProfile(dir.File("fifo.ini"), true, dir.Path + "/");   // must not block
  ASSERT_FALSE(check.Findings.empty());
  EXPECT_NE(check.Findings.front().Text.find("not a regular file"), std::string::npos);
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

TEST(ProfileDocuments, ExampleProfileHoldsEveryKeyAndChecksWithoutError) {
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
