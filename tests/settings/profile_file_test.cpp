#include "settings/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// A profile edited by hand: CRLF, odd spacing and case, comments, a key before any section,
// an unknown section, a line without '=', a doubled section and a doubled key.
const char* const kHandMade =
    "; station profile\r\nSTRAY=1\r\n[ Com ]\r\n  sr101 =  3  \r\n# port of the long-wavelength sensor\r\n"
    "Sr103=/dev/ttyUSB0\r\nnot a key line\r\n\r\n[Notes]\r\nmemo = a=b =c\r\nsr101=99\r\n[COM]\r\nSR102=7\r\n"
    "[meas]\r\nMEMO=first\r\nmemo=second\r\nEMPTY=\r\n\r\n";

TEST(ProfileFile, ReadsEntriesWithoutRegardToCaseOrBlanks) {
  const ProfileFile p = ProfileFile::Parse(kHandMade);
  EXPECT_EQ(p.Find("COM", "SR101"), "3");
  EXPECT_EQ(p.Find("com", "SR103"), "/dev/ttyUSB0");
  EXPECT_EQ(p.Find("NOTES", "MEMO"), "a=b =c");   // everything after the first '='
  EXPECT_EQ(p.Find("MEAS", "memo"), "first");     // the first of two equal keys
  EXPECT_EQ(p.Find("COM", "SR102"), std::nullopt);   // only the first [COM] is read
  EXPECT_EQ(p.Find("COM", "STRAY"), std::nullopt);
  EXPECT_EQ(p.Find("COM", "not a key line"), std::nullopt);
  EXPECT_EQ(p.Find("COM", ""), std::nullopt);   // the stray line is no entry, not even a nameless one
  EXPECT_EQ(p.GetString("MEAS", "EMPTY", "fallback"), "");
  EXPECT_EQ(p.GetString("MEAS", "NONE", "fallback"), "fallback");
  EXPECT_EQ(p.GetUInt("COM", "SR101", 5), 3u);
  EXPECT_EQ(p.GetUInt("COM", "SR103", 5), 0u);   // not a number
  EXPECT_EQ(p.GetUInt("COM", "SR104", 5), 5u);   // missing
}

// Names compare without case over their own bytes only.
TEST(ProfileFile, NamesCompareWithoutCaseOverTheirOwnBytes) {
  const std::string_view text = "COMx comy";   // two names cut from one line
  EXPECT_TRUE(EqualsNoCase(text.substr(0, 3), text.substr(5, 3)));
  EXPECT_FALSE(EqualsNoCase("COM", "CON"));
  EXPECT_FALSE(EqualsNoCase("COM", "COMX"));
}

// CRs go only at line ends; a last line without LF counts.
TEST(ProfileFile, CarriageReturnsCountOnlyAtLineEnds) {
  const ProfileFile cr = ProfileFile::Parse("[A]\nK=x\ry\r\r\nL=z\r");
  EXPECT_EQ(cr.Find("A", "L"), "z");
  EXPECT_EQ(cr.Serialize(), "[A]\nK=x\ry\nL=z\n");
  EXPECT_EQ(ProfileFile::Parse("").Serialize(), "");
}

TEST(ProfileFile, WritesEachEntryInPlaceTouchingNoOtherLine) {
  ProfileFile p = ProfileFile::Parse(kHandMade);
  p.SetString("com", "SR101", "4");             // replaces "  sr101 =  3  "
  p.SetString("COM", "SR104", "/dev/pts/3");    // new key: after the last line of [ Com ]
  p.SetString("MEAS", "MEMO", "line\r\none ");  // line breaks cannot enter the file
  p.SetString("GRAPH", "LEFT", "300.0");        // new section at the end
  EXPECT_EQ(p.Serialize(),
            "; station profile\nSTRAY=1\n[ Com ]\nSR101=4\n# port of the long-wavelength sensor\n"
            "Sr103=/dev/ttyUSB0\nnot a key line\nSR104=/dev/pts/3\n\n[Notes]\nmemo = a=b =c\nsr101=99\n[COM]\n"
            "SR102=7\n[meas]\nMEMO=line  one\nmemo=second\nEMPTY=\n\n[GRAPH]\nLEFT=300.0\n");
  p.SetString("GRAPH", "A=B", "1");   // reads back as key A
  EXPECT_EQ(p.Find("graph", "a"), "B=1");
  p.SetString("GRAPH", "[X]", "2");   // reads back as a section of its own
  EXPECT_EQ(p.Find("X", "LEFT"), std::nullopt);
  EXPECT_EQ(p.Find("GRAPH", "LEFT"), "300.0");
}

TEST(ProfileFile, ReadsNumbersLikeTheProfileFunctions) {
  const std::pair<const char*, unsigned> cases[] = {
      {"42", 42u}, {" \t+7", 7u}, {"-5", 4294967291u}, {"12abc", 12u}, {"abc", 0u}, {"", 0u}, {"- 5", 0u},
      {"4294967297", 1u}, {"0x10", 0u}};   // wraps at 2^32, decimal only
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseProfileUInt(text), value) << text;
}

TEST(ProfileFile, ASaveReplacesTheWholeFileKeepingItsPermissionsOrFailsCleanly) {
  TempDir dir;
  const std::string path = dir.Path + "/station.ini";
  WriteBytes(path, "old\n");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ProfileFile p = ProfileFile::Load(path);
  p.SetString("INT", "AUTO", "1");
  ASSERT_TRUE(p.Save(path));
  EXPECT_EQ(ReadBytes(path), "old\n[INT]\nAUTO=1\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::filesystem::create_directory(dir.Path + "/folder.ini");
  EXPECT_FALSE(p.Save(path + "/below-a-file.ini"));
  EXPECT_FALSE(p.Save(dir.Path + "/folder.ini"));   // a folder cannot be replaced
  EXPECT_EQ(dir.Count(), 2);   // no temporary file is left behind
}

}  // namespace
}  // namespace spectrel
