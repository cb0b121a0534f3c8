// Which files a visitor may fetch: only the station's own names, only from inside their folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "web/file_access.h"

namespace spectrel::web {
namespace {

using testing::TempDir;
using testing::WriteBytes;
using namespace std::literals;

// Names that are no station file at all are the station names' own test; here what a visitor
// may not fetch of the rest.
TEST(StationFileName, AcceptsOnlyTheNamesTheStationMakes) {
  struct Row {
    std::string_view Name;
    const char* Path;   // "" when refused
  };
  const Row rows[] = {
      {"20240601.KRF", "2024/20240601.KRF"},
      {"2024060113.CSV", "2024/2024060113.CSV"},
      {"20240601.nc", "2024/20240601.nc"},
      {"2024060113_2.CSV", "2024/2024060113_2.CSV"},
      {"20240601.krf", ""},            // letter case differs from the station's
      {"../20240601.KRF", ""},
      {"20240601.KRF/..", ""},
      {"%2e%2e%2f20240601.KRF", ""},
      {"20240601.KRF\0x"sv, ""},
      {"status.json", ""},
      {"2024.LOG", ""},
  };
  for (const Row& row : rows) {
    const auto parsed = ParseStationFileName(row.Name);
    EXPECT_EQ(parsed ? parsed->RelativePath : std::string(), row.Path) << row.Name;
  }
}

// A data folder beside a folder of secrets, with files and links of every kind a visitor might
// try to reach through.
class StationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = Temp.Path + "/data/";
    std::filesystem::create_directories(Data + "2024");
    std::filesystem::create_directories(Temp.Path + "/secret/2024");
    WriteBytes(Data + "2024/20240601.KRF", "HD_KRF,day\n");
    WriteBytes(Temp.Path + "/secret/passwd", "SECRET\n");
    Folders = {Data, Data, Data};
  }
  TempDir Temp;
  std::string Data;
  StationFolders Folders;
};

TEST_F(StationFileTest, ServesOnlyRegularFilesInsideTheFolder) {
  ASSERT_EQ(::symlink("../../secret/passwd", (Data + "2024/20240603.KRF").c_str()), 0);
  ASSERT_EQ(::symlink("20240601.KRF", (Data + "2024/20240604.KRF").c_str()), 0);
  ASSERT_EQ(::symlink((Temp.Path + "/secret/2024").c_str(), (Data + "2025").c_str()), 0);
  WriteBytes(Temp.Path + "/secret/2024/20250101.KRF", "SECRET\n");
  ASSERT_EQ(::mkfifo((Data + "2024/20240605.KRF").c_str(), 0600), 0);
  std::filesystem::create_directories(Data + "2024/20240606.KRF");
  struct Row {
    const char* Name;
    int Status;
  };
  const Row rows[] = {
      {"20240601.KRF", 200},
      {"20240604.KRF", 200},   // a link that stays inside the folder
      {"20240603.KRF", 403},   // a link out of it
      {"20250101.KRF", 403},   // a year folder that is a link out of it
      {"20240605.KRF", 404},   // a pipe: never opened for reading, never waited on
      {"20240606.KRF", 404},   // a folder
      {"20240607.KRF", 404},
      {"../secret/passwd", 400},
  };
  for (const Row& row : rows) {
    const Response r = StationFileResponse(Folders, row.Name);
    EXPECT_EQ(r.Status, row.Status) << row.Name;
    EXPECT_EQ(r.File.Valid(), row.Status == 200) << row.Name;
    if (r.File) {
      char head[16] = {};
      ASSERT_GT(::read(r.File.Get(), head, sizeof head - 1), 0);
      EXPECT_EQ(std::string(head).rfind("HD_KRF", 0), 0u) << row.Name;
      EXPECT_EQ(r.FileBytes, 11) << row.Name;
    }
  }
}

TEST_F(StationFileTest, TakesEachKindFromItsOwnFolder) {
  StationFolders apart{Data, Temp.Path + "/csv/", Temp.Path + "/nc/"};
  std::filesystem::create_directories(apart.Csv + "2024");
  std::filesystem::create_directories(apart.NetCdf + "2024");
  WriteBytes(apart.Csv + "2024/2024060112.CSV", "Date,\n");
  WriteBytes(apart.NetCdf + "2024/20240601.nc", "CDF");
  WriteBytes(Data + "2024/2024060113.CSV", "Date,\n");   // beside the day files, not in the CSV folder
  EXPECT_EQ(StationFileResponse(apart, "2024060112.CSV").Status, 200);
  EXPECT_EQ(StationFileResponse(apart, "2024060112.CSV").ContentType, "text/csv");
  EXPECT_EQ(StationFileResponse(apart, "20240601.nc").Status, 200);
  EXPECT_EQ(StationFileResponse(apart, "2024060113.CSV").Status, 404);
  EXPECT_EQ(StationFileResponse(apart, "20240601.KRF").Status, 200);
}

}  // namespace
}  // namespace spectrel::web
