#include "settings/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "settings/settings_test_support.h"

namespace spectrel {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

// A profile edited by hand: CRLF, odd spacing and case, comments, a key before any section,
// an unknown section, a line without '=', a doubled section and a doubled key.
const char* const kHandMade =
    "; station profile\r\n"
    "STRAY=1\r\n"
    "[ Com ]\r\n"
    "  sr101 =  3  \r\n"
    "# port of the long-wavelength sensor\r\n"
    "Sr103=/dev/ttyUSB0\r\n"
    "not a key line\r\n"
    "\r\n"
    "[Notes]\r\n"
    "memo = a=b =c\r\n"
    "sr101=99\r\n"
    "[COM]\r\n"
    "SR102=7\r\n"
    "[meas]\r\n"
    "MEMO=first\r\n"
    "memo=second\r\n"
    "EMPTY=\r\n"
    "\r\n";

TEST(ProfileFile, ReadsSectionsAndKeysWithoutRegardToCaseAndBlanks) {
  const ProfileFile p = ProfileFile::Parse(kHandMade);
  EXPECT_EQ(p.Find("COM", "SR101"), "3");
  EXPECT_EQ(p.Find("com", "SR103"), "/dev/ttyUSB0");
  EXPECT_EQ(p.Find("NOTES", "MEMO"), "a=b =c");   // everything after the first '='
  EXPECT_EQ(p.Find("MEAS", "memo"), "first");     // the first of two equal keys
  EXPECT_EQ(p.Find("COM", "SR102"), std::nullopt);   // only the first [COM] is read
  EXPECT_EQ(p.Find("COM", "STRAY"), std::nullopt);
  EXPECT_EQ(p.Find("COM", "not a key line"), std::nullopt);
  EXPECT_EQ(p.GetString("MEAS", "EMPTY", "fallback"), "");
  EXPECT_EQ(p.GetString("MEAS", "NONE", "fallback"), "fallback");
  EXPECT_EQ(p.GetUInt("COM", "SR101", 5), 3u);
  EXPECT_EQ(p.GetUInt("COM", "SR103", 5), 0u);   // not a number
  EXPECT_EQ(p.GetUInt("COM", "SR104", 5), 5u);   // missing
}

TEST(ProfileFile, WritesInPlaceAppendsToTheSectionAndKeepsEveryOtherLine) {
  ProfileFile p = ProfileFile::Parse(kHandMade);
  p.SetString("com", "SR101", "4");             // replaces "  sr101 =  3  "
  p.SetString("COM", "SR104", "/dev/pts/3");    // new key: after the last line of [ Com ]
  p.SetString("MEAS", "MEMO", "line\r\none ");  // line breaks cannot enter the file
  p.SetString("GRAPH", "LEFT", "300.0");        // new section at the end
  EXPECT_EQ(p.Serialize(),
            "; station profile\n"
            "STRAY=1\n"
            "[ Com ]\n"
            "SR101=4\n"
            "# port of the long-wavelength sensor\n"
            "Sr103=/dev/ttyUSB0\n"
            "not a key line\n"
            "SR104=/dev/pts/3\n"
            "\n"
            "[Notes]\n"
            "memo = a=b =c\n"
            "sr101=99\n"
            "[COM]\n"
            "SR102=7\n"
            "[meas]\n"
            "MEMO=line  one\n"
            "memo=second\n"
            "EMPTY=\n"
            "\n"
            "[GRAPH]\n"
            "LEFT=300.0\n");
}

TEST(ProfileFile, DropsCarriageReturnsOnlyAtLineEnds) {
  const ProfileFile p = ProfileFile::Parse("[A]\nK=x\ry\r\r\nL=z\r");
  ASSERT_EQ(p.Lines().size(), 3u);
  EXPECT_EQ(p.Lines()[1], "K=x\ry");
  EXPECT_EQ(p.Find("A", "L"), "z");
  EXPECT_TRUE(ProfileFile::Parse("").Lines().empty());
}

TEST(ProfileFile, ReadsNumbersLikeTheProfileFunctions) {
  EXPECT_EQ(ParseProfileUInt("42"), 42u);
  EXPECT_EQ(ParseProfileUInt(" \t+7"), 7u);
  EXPECT_EQ(ParseProfileUInt("-5"), 4294967291u);
  EXPECT_EQ(ParseProfileUInt("12abc"), 12u);
  EXPECT_EQ(ParseProfileUInt("abc"), 0u);
  EXPECT_EQ(ParseProfileUInt(""), 0u);
  EXPECT_EQ(ParseProfileUInt("- 5"), 0u);
  EXPECT_EQ(ParseProfileUInt("4294967297"), 1u);   // wraps at 2^32
  EXPECT_EQ(ParseProfileUInt("0x10"), 0u);         // decimal only
}

TEST(ProfileFile, SavesThroughATemporaryFileAndKeepsThePermissions) {
  TempFolder dir;
  const std::string path = dir.Path + "station.ini";
  WriteText(path, "old\n");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ProfileFile p = ProfileFile::Load(path);
  p.SetString("INT", "AUTO", "1");
  ASSERT_TRUE(p.Save(path));
  EXPECT_EQ(ReadText(path), "old\n[INT]\nAUTO=1\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path), {}), 1);
}

}  // namespace
}  // namespace spectrel
