// The day file reader: files composed here byte by byte, and files written by the writer.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/krf_test_support.h"
#include "spectrum/records.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::FloatBytes;
using testing::FloatFromBits;
using testing::ScopedTz;
using testing::Section;
using testing::TempDir;

constexpr std::int64_t At090503 = 1555059903;   // 2019-04-12 09:05:03 UTC

const std::string Header =
    "HD_KRF,100\nSITE,Tsukuba\nLON,140.125\nLAT,36.050\nALT,25\nTZ,+9\nHD_KRF_END\n";

// Constant sections whose bytes hold no line feed (1.0f is 00 00 80 3F).
std::string Filled(int n, float value) { return Section(std::vector<float>(static_cast<size_t>(n), value)); }

std::string Sr104Header(const std::string& serial, const std::string& calib) {
  return "HD_SR104,100\nSN," + serial +
         "\nID,ID4\nST,SR-104\nFV,1.02\nFT,2019/04/01 12:00:00\n"
         "C0,898.6\nC1,3.5\nC2,0\nC3,0\nC4,0\nC5,0\nCAL_BGN\n" +
         calib + "CAL_END\nHD_SR104_END\n";
}

std::string Point(const std::string& time, const std::string& memo) {
  return "DT_KRF,100\nMT," + time + "\nMEMO," + memo + "\nDT_KRF_END\n";
}

std::string Sr104Data(const std::string& time, const std::string& light, const std::string& dark) {
  return "DT_SR104,100\nSN,D104\nMT," + time +
         "\nET,30\nSS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\n"
         "MD_BGN\n" + light + "MD_END\nDD_BGN\n" + dark + "DD_END\nDT_SR104_END\n";
}

// Writes bytes as a day file and loads it into set.
int Load(const std::string& bytes, CKrfData& set) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  testing::WriteBytes(path, bytes);
  return set.LoadKrf(path);
}

class KrfReader : public ::testing::Test {
 protected:
  ScopedTz Utc{"UTC0"};
};

TEST_F(KrfReader, HeaderAloneGivesNoPointsAndNoSensors) {
  CKrfData set;
  ASSERT_EQ(Load(Header, set), 0);
  EXPECT_EQ(set.SiteName, "Tsukuba");
  EXPECT_EQ(set.SiteLon, "140.125");
  EXPECT_EQ(set.SiteLat, "36.050");
  EXPECT_EQ(set.SiteAlt, "25");
  EXPECT_EQ(set.TimeZone, "+9");
  for (int m = 0; m < ModelCount; ++m) EXPECT_EQ(set.Info(m), nullptr);
}

TEST_F(KrfReader, SensorPointAndBlockFromComposedBytes) {
  const std::vector<float> light = {1.5f, -2.0f, 3.25f};
  std::string lightBytes = Section(light) + Filled(253, 7.0f);
  CKrfData set;
  ASSERT_EQ(Load(Header + Sr104Header("D104", Filled(256, 0.125f)) + Point("20190412090503", "x") +
                     Sr104Data("20190412090504", lightBytes, Filled(256, 1.0f)),
                 set),
            1);
  const SensorInfo* info = set.Info(SR104);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->SerialNo, "D104");
  EXPECT_EQ(info->SensorId, "ID4");
  EXPECT_EQ(info->SensorType, "SR-104");
  EXPECT_EQ(info->FirmwareVersion, "1.02");
  EXPECT_EQ(info->FirmwareTime, "2019/04/01 12:00:00");
  EXPECT_EQ(info->Coef[0], "898.6");
  EXPECT_EQ(info->Calib, std::vector<float>(256, 0.125f));
  // w(p) = 898.6 + 3.5 p for pixel p = 1..256.
  EXPECT_FLOAT_EQ(info->Wavelength[0], 902.1f);
  EXPECT_FLOAT_EQ(info->Wavelength[255], 1794.6f);

  const CRad& rad = set.Rad(0);
  EXPECT_EQ(rad.MeasureTime, At090503);
  EXPECT_EQ(rad.Memo, "x");
  const SensorMeasurement* block = rad.Block(SR104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->SerialNo, "D104");
  EXPECT_EQ(block->MeasureTime, At090503 + 1);
  EXPECT_EQ(block->ExposureMs, 30);
  EXPECT_EQ(block->StatusInt, (std::array<std::int32_t, 4>{0, 1, -1, 7}));
  EXPECT_EQ(block->StatusFloat,
            (std::array<float, 7>{25.0f, 25.0f, -5.2f, 3.5f, 1234.2f, 0.0f, -273.1f}));
  EXPECT_EQ(block->Light[0], 1.5f);
  EXPECT_EQ(block->Light[2], 3.25f);
  EXPECT_EQ(block->Light[255], 7.0f);
  EXPECT_EQ(block->Dark, std::vector<float>(256, 1.0f));
  for (int m : {SR101, SR102, SR103}) EXPECT_EQ(rad.Block(m), nullptr);
}

TEST_F(KrfReader, WrittenSetReadsBackEqual) {
  ScopedTz berlin("Europe/Berlin");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  // Three points ten minutes apart from 09:00 summer time, every model taking part.
  const CKrfData written = testing::MakeDay({SR101, SR102, SR103, SR104}, 3, 1555052400, 600);
  ASSERT_EQ(written.SaveKrf(path), 1);

  CKrfData read;
  ASSERT_EQ(read.LoadKrf(path), 3);
  EXPECT_EQ(read.SiteName, "Test Site");
  EXPECT_EQ(read.SiteLon, "139.750");
  EXPECT_EQ(read.SiteLat, "35.680");
  EXPECT_EQ(read.SiteAlt, "40.0");
  EXPECT_EQ(read.TimeZone, "+9");
  for (int m = 0; m < ModelCount; ++m) {
    ASSERT_NE(read.Info(m), nullptr);
    EXPECT_TRUE(*read.Info(m) == *written.Info(m)) << "model " << m;
  }
  // The synthetic axes run from 300.4 nm (SR-101/102) and 899.6 nm (SR-103/104).
  EXPECT_NEAR(read.Wavelength(SR101, 0), 300.4, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR102, 2047), 1100.2, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR103, 511), 1700.3, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR104, 0), 899.6, 1e-3);

  for (int j = 0; j < 3; ++j) {
    const CRad& a = written.Rad(j);
    const CRad& b = read.Rad(j);
    EXPECT_EQ(b.MeasureTime, 1555052400 + 600 * j);
    EXPECT_EQ(b.Memo, a.Memo);
    for (int m = 0; m < ModelCount; ++m) {
      const SensorMeasurement* x = a.Block(m);
      const SensorMeasurement* y = b.Block(m);
      ASSERT_NE(y, nullptr);
      EXPECT_EQ(y->SerialNo, x->SerialNo);
      EXPECT_EQ(y->MeasureTime, x->MeasureTime);
      EXPECT_EQ(y->ExposureMs, x->ExposureMs);
      EXPECT_EQ(y->StatusInt, x->StatusInt);
      EXPECT_TRUE(y->Light == x->Light);
      EXPECT_TRUE(y->Dark == x->Dark);
      for (int i = 0; i < Models[static_cast<size_t>(m)].StatusFloatCount; ++i) {
        const float r = y->StatusFloat[static_cast<size_t>(i)];
        EXPECT_NEAR(r, x->StatusFloat[static_cast<size_t>(i)], 0.0501) << m << "/" << i;
        EXPECT_NEAR(r * 10.0, std::round(r * 10.0), 1e-3) << "one decimal: " << r;
      }
    }
  }
  // The first point's reals are exact quarters: written halves round to the even digit.
  const auto& first = read.Rad(0).Block(SR104)->StatusFloat;
  EXPECT_EQ(first, (std::array<float, 7>{20.2f, 21.8f, 23.2f, 24.8f, 26.2f, 27.8f, -273.1f}));
}

TEST_F(KrfReader, SectionBytesComeBackUnchanged) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData written;
  SensorInfo info(SR101);
  for (size_t k = 0; k < info.Calib.size(); ++k)
    info.Calib[k] = FloatFromBits(k % 2 ? 0x0A0D0A0Du : 0x000A000Au);
  SensorMeasurement m(SR101);
  for (auto& v : m.Light) v = FloatFromBits(0x0A0A0A0Au);
  for (auto& v : m.Dark) v = FloatFromBits(0x0D0A0D0Au);
  CRad rad;
  rad.SetBlock(SR101, m);
  written.SetInfo(SR101, info);
  written.AppendRad(rad);
  ASSERT_EQ(written.SaveKrf(path), 1);

  CKrfData read;
  ASSERT_EQ(read.LoadKrf(path), 1);
  ASSERT_NE(read.Info(SR101), nullptr);
  EXPECT_EQ(std::memcmp(read.Info(SR101)->Calib.data(), info.Calib.data(), 4096), 0);
  const SensorMeasurement* back = read.Rad(0).Block(SR101);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::memcmp(back->Light.data(), m.Light.data(), 4096), 0);
  EXPECT_EQ(std::memcmp(back->Dark.data(), m.Dark.data(), 4096), 0);
}

TEST_F(KrfReader, FailureCodesLeaveTheSetAsItWas) {
  TempDir dir;
  CKrfData set;
  set.SiteName = "before";
  set.AppendRad(CRad());
  EXPECT_EQ(Load("HD_KRF;100\nSITE,x\nHD_KRF_END\n", set), -1);
  EXPECT_EQ(Load("", set), -1);
  EXPECT_EQ(Load("HD_KRF", set), -1);
  EXPECT_EQ(Load("hd_krf,100\n", set), -1);
  EXPECT_EQ(set.LoadKrf(dir.File("missing.KRF")), -3);
  EXPECT_EQ(set.LoadKrf(dir.File("no/folder/20190412.KRF")), -3);
  EXPECT_EQ(set.LoadKrf(dir.Path), -2);   // a folder
  const std::string fifo = dir.File("pipe.KRF");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(set.LoadKrf(fifo), -2);   // refused at once, never waiting for a writer
  EXPECT_EQ(set.SiteName, "before");
  EXPECT_EQ(set.RadCount(), 1);
}

TEST_F(KrfReader, FileBeyondTheReadersLengthIsOutOfMemory) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  testing::WriteBytes(path, Header);
  // A sparse file of 3 GB: more than the 32-bit length of the reading state.
  ASSERT_EQ(::truncate(path.c_str(), 3LL << 30), 0);
  CKrfData set;
  EXPECT_EQ(set.LoadKrf(path), -4);
  EXPECT_EQ(set.SiteName, "");
}

TEST_F(KrfReader, LoadAddsToWhatTheSetHolds) {
  CKrfData set;
  const std::string file = Header + Point("20190412090503", "a") + Point("20190412091003", "b");
  ASSERT_EQ(Load(file, set), 2);
  ASSERT_EQ(Load(file, set), 4);
  EXPECT_EQ(set.Rad(3).Memo, "b");
}

TEST_F(KrfReader, ValuesAreFirstTokensCutTo31Characters) {
  const std::string forty = "Meteorological-Research-Site-North-Field";   // 40 characters
  ASSERT_EQ(forty.size(), 40u);
  CKrfData set;
  ASSERT_EQ(Load("HD_KRF,100\nSITE," + forty + "\nLON,\nLAT\nALT,,,12.5,\nTZ,+9,extra\nHD_KRF_END\n" +
                     Point("20190412090503", "a,b") + "DT_KRF,100\nMEMO\nDT_KRF_END\n",
                 set),
            2);
  EXPECT_EQ(set.SiteName, forty.substr(0, 31));
  EXPECT_EQ(set.SiteLon, "");
  EXPECT_EQ(set.SiteLat, "");
  EXPECT_EQ(set.SiteAlt, "12.5");   // empty fields vanish
  EXPECT_EQ(set.TimeZone, "+9");
  EXPECT_EQ(set.Rad(0).Memo, "a");
  EXPECT_EQ(set.Rad(1).Memo, "");
  EXPECT_EQ(set.Rad(1).MeasureTime, 0);
}

TEST_F(KrfReader, LaterValuesAndBlocksWin) {
  const std::string secondHeader =
      "HD_SR104,100\nSN,second\nC0,900\nC1,2\nCAL_BGN\n" + Filled(256, 2.0f) + "CAL_END\nHD_SR104_END\n";
  const std::string block2 = "DT_SR104,100\nET,31\nDT_SR104_END\n";
  CKrfData set;
  ASSERT_EQ(Load("HD_KRF,100\nSITE,first\nSITE,second\nHD_KRF_END\n" +
                     Sr104Header("first", Filled(256, 1.0f)) + secondHeader +
                     Point("20190412090503", "m") +
                     Sr104Data("20190412090503", Filled(256, 1.0f), Filled(256, 1.0f)) + block2 +
                     "HD_KRF,100\nLON,8.5\nHD_KRF_END\n",
                 set),
            1);
  EXPECT_EQ(set.SiteName, "second");
  EXPECT_EQ(set.SiteLon, "8.5");
  const SensorInfo* info = set.Info(SR104);
  ASSERT_NE(info, nullptr);
  // The later header block replaces the earlier whole.
  EXPECT_EQ(info->SerialNo, "second");
  EXPECT_EQ(info->FirmwareVersion, "");
  EXPECT_EQ(info->Calib[0], 2.0f);
  EXPECT_FLOAT_EQ(info->Wavelength[0], 902.0f);
  const SensorMeasurement* block = set.Rad(0).Block(SR104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->ExposureMs, 31);
  EXPECT_EQ(block->SerialNo, "");
  EXPECT_EQ(block->Light[0], 0.0f);
}

TEST_F(KrfReader, EmptyLineAtTopLevelEndsTheParse) {
  CKrfData set;
  EXPECT_EQ(Load(Header + Point("20190412090503", "one") + "\n" + Point("20190412091003", "two"), set), 1);
  EXPECT_EQ(set.Rad(0).Memo, "one");
}

TEST_F(KrfReader, EmptyLineInsideABlockEndsOnlyThatBlock) {
  CKrfData set;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nSN,cut\nC0,900\nC1,2\n\n" + "DT_KRF,100\nMEMO,one\n\nMEMO,lost\n" +
                     Point("20190412091003", "two"),
                 set),
            2);
  const SensorInfo* info = set.Info(SR104);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->SerialNo, "cut");
  EXPECT_EQ(info->Coef[1], "2");
  EXPECT_EQ(info->Wavelength, std::vector<float>(256, 0.0f));   // never closed: no axis
  EXPECT_EQ(set.Rad(0).Memo, "one");
  EXPECT_EQ(set.Rad(1).Memo, "two");
}

TEST_F(KrfReader, LinesOfDelimitersOnlyEndNothing) {
  CKrfData set;
  ASSERT_EQ(Load(Header + "\r\n,,,\nDT_KRF,100\n\r\nMEMO,kept\n,\nDT_KRF_END\n", set), 1);
  EXPECT_EQ(set.Rad(0).Memo, "kept");
}

TEST_F(KrfReader, LongLinesComeInPiecesOf256Bytes) {
  // 300 bytes: the first 256 are one line, the remaining 44 another that is read as a memo line.
  const std::string first = "NOTE," + std::string(251, 'n');
  const std::string second = "MEMO,second-piece-of-a-long-line-abcdefghijk";
  ASSERT_EQ(first.size(), 256u);
  ASSERT_EQ(second.size(), 44u);
  CKrfData set;
  ASSERT_EQ(Load(Header + "DT_KRF,100\n" + first + second + "\nDT_KRF_END\n", set), 1);
  EXPECT_EQ(set.Rad(0).Memo, "second-piece-of-a-long-line-abc");

  // A line feed right after a 256-byte piece is an empty line: the point block ends there.
  CKrfData cut;
  ASSERT_EQ(Load(Header + "DT_KRF,100\n" + first + "\nMEMO,lost\nDT_KRF_END\n" +
                     Point("20190412091003", "next"),
                 cut),
            2);
  EXPECT_EQ(cut.Rad(0).Memo, "");
  EXPECT_EQ(cut.Rad(1).Memo, "next");

  // At the top level the same empty line ends the parse.
  CKrfData top;
  EXPECT_EQ(Load(Header + first + "\n" + Point("20190412091003", "never"), top), 0);
}

TEST_F(KrfReader, SensorBlockBeforeTheFirstPointIsNotStored) {
  const std::string early = "DT_SR103,100\nSN,early\nET,77\nMD_BGN\n" + Filled(512, 1.0f) +
                            "MD_END\nDD_BGN\n" + Filled(512, 1.0f) + "DD_END\nDT_SR103_END\n";
  CKrfData set;
  ASSERT_EQ(Load(Header + early + Point("20190412090503", "p"), set), 1);
  for (int m = 0; m < ModelCount; ++m) EXPECT_EQ(set.Rad(0).Block(m), nullptr);
}

TEST_F(KrfReader, CarriageReturnLineEndsReadLikeLineFeeds) {
  const std::string light = Filled(256, 1.0f);
  const std::string dark = Filled(256, 0.5f);
  const std::string lf = Header + Sr104Header("D104", Filled(256, 0.25f)) + Point("20190412090503", "crlf") +
                         Sr104Data("20190412090504", light, dark);
  const std::string crlf =
      "HD_KRF,100\r\nSITE,Tsukuba\r\nLON,140.125\r\nLAT,36.050\r\nALT,25\r\nTZ,+9\r\nHD_KRF_END\r\n"
      "HD_SR104,100\r\nSN,D104\r\nID,ID4\r\nST,SR-104\r\nFV,1.02\r\nFT,2019/04/01 12:00:00\r\n"
      "C0,898.6\r\nC1,3.5\r\nC2,0\r\nC3,0\r\nC4,0\r\nC5,0\r\nCAL_BGN\r\n" + Filled(256, 0.25f) +
      "CAL_END\r\nHD_SR104_END\r\n"
      "DT_KRF,100\r\nMT,20190412090503\r\nMEMO,crlf\r\nDT_KRF_END\r\n"
      "DT_SR104,100\r\nSN,D104\r\nMT,20190412090504\r\nET,30\r\n"
      "SS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\r\n"
      "MD_BGN\r\n" + light + "MD_END\r\nDD_BGN\r\n" + dark + "DD_END\r\nDT_SR104_END\r\n";
  CKrfData a;
  CKrfData b;
  ASSERT_EQ(Load(lf, a), 1);
  ASSERT_EQ(Load(crlf, b), 1);
  EXPECT_EQ(b.SiteName, "Tsukuba");
  EXPECT_EQ(b.TimeZone, "+9");
  ASSERT_NE(b.Info(SR104), nullptr);
  EXPECT_TRUE(*b.Info(SR104) == *a.Info(SR104));
  EXPECT_EQ(b.Info(SR104)->SerialNo, "D104");
  EXPECT_FLOAT_EQ(b.Info(SR104)->Wavelength[255], 1794.6f);
  EXPECT_EQ(b.Rad(0).Memo, "crlf");
  EXPECT_EQ(b.Rad(0).MeasureTime, At090503);
  ASSERT_NE(b.Rad(0).Block(SR104), nullptr);
  EXPECT_TRUE(*b.Rad(0).Block(SR104) == *a.Rad(0).Block(SR104));
  EXPECT_EQ(b.Rad(0).Block(SR104)->Dark[255], 0.5f);
}

TEST_F(KrfReader, FileCutInsideASectionKeepsTheRestZero) {
  const std::string light = Section({1.0f, 2.0f, 3.0f, 4.0f}) + Filled(21, 9.0f);   // 25 of 256 values
  const std::string file = Header + Sr104Header("D104", Filled(256, 0.25f)) + Point("20190412090503", "cut") +
                           "DT_SR104,100\nSN,D104\nET,30\nMD_BGN\n" + light;
  CKrfData set;
  ASSERT_EQ(Load(file, set), 1);
  const SensorMeasurement* block = set.Rad(0).Block(SR104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->ExposureMs, 30);
  EXPECT_EQ(block->Light[0], 1.0f);
  EXPECT_EQ(block->Light[3], 4.0f);
  EXPECT_EQ(block->Light[24], 9.0f);
  for (size_t k = 25; k < 256; ++k) ASSERT_EQ(block->Light[k], 0.0f) << k;
  EXPECT_EQ(block->Dark, std::vector<float>(256, 0.0f));

  // Cut inside the calibration: ten bytes are two values and half of a third.
  CKrfData info;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nSN,D104\nC0,900\nC1,2\nCAL_BGN\n" +
                     Section({5.0f, 6.0f}) + std::string("\x01\x02", 2),
                 info),
            0);
  const SensorInfo* cut = info.Info(SR104);
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->Calib[0], 5.0f);
  EXPECT_EQ(cut->Calib[1], 6.0f);
  EXPECT_EQ(cut->Calib[2], FloatFromBits(0x00000201u));
  EXPECT_EQ(cut->Calib[3], 0.0f);
  EXPECT_EQ(cut->Wavelength[0], 0.0f);
}

TEST_F(KrfReader, LineAfterASectionIsNeverTheClosingTag) {
  const std::string cal = Filled(256, 1.0f);
  CKrfData set;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nC0,900\nC1,2\nCAL_BGN\n" + cal +
                     "HD_SR104_END\nSN,late\nHD_SR104_END\n",
                 set),
            0);
  ASSERT_NE(set.Info(SR104), nullptr);
  EXPECT_EQ(set.Info(SR104)->SerialNo, "late");
  EXPECT_FLOAT_EQ(set.Info(SR104)->Wavelength[255], 1412.0f);   // 900 + 2 * 256

  // With a value, the line after the section is a key line.
  CKrfData keyed;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nCAL_BGN\n" + cal + "FV,3.1\nHD_SR104_END\n", keyed), 0);
  EXPECT_EQ(keyed.Info(SR104)->FirmwareVersion, "3.1");
}

TEST_F(KrfReader, DarkSectionMayFollowTheLightSectionDirectly) {
  CKrfData set;
  ASSERT_EQ(Load(Header + Point("20190412090503", "p") + "DT_SR104,100\nMD_BGN\n" + Filled(256, 4.0f) +
                     "DD_BGN\n" + Filled(256, 3.0f) + "DD_END\nET,12\nDT_SR104_END\n",
                 set),
            1);
  const SensorMeasurement* block = set.Rad(0).Block(SR104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Light, std::vector<float>(256, 4.0f));
  EXPECT_EQ(block->Dark, std::vector<float>(256, 3.0f));
  EXPECT_EQ(block->ExposureMs, 12);
}

TEST_F(KrfReader, StatusAndExposureReadLikeAtoiAndAtof) {
  CKrfData set;
  ASSERT_EQ(Load(Header + Point("20190412090503", "p") +
                     "DT_SR101,100\nSN\nET\nSS,,5,,1.5\nDT_SR101_END\n"
                     "DT_SR103,100\nSN,C103\nET,12ms\nSS,7x,-3,+2,1e1,2.5e-1,abc,-7.25\nDT_SR103_END\n",
                 set),
            1);
  const SensorMeasurement* a = set.Rad(0).Block(SR101);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->SerialNo, "");
  EXPECT_EQ(a->ExposureMs, 0);
  EXPECT_EQ(a->StatusInt[0], 5);
  EXPECT_EQ(a->StatusFloat, (std::array<float, 7>{1.5f, 0, 0, 0, 0, 0, 0}));
  const SensorMeasurement* c = set.Rad(0).Block(SR103);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->SerialNo, "C103");
  EXPECT_EQ(c->ExposureMs, 12);
  // As integers "7x" is 7 and "1e1" is 1; as reals "abc" is 0 and the three missing ones too.
  EXPECT_EQ(c->StatusInt, (std::array<std::int32_t, 4>{7, -3, 2, 1}));
  EXPECT_EQ(c->StatusFloat, (std::array<float, 7>{0.25f, 0.0f, -7.25f, 0, 0, 0, 0}));
}

TEST_F(KrfReader, InvalidTimeStampEndsTheLoadKeepingWhatCameBefore) {
  for (const char* bad : {"19691231235959", "20190012090503", "20191312090503", "20190400090503",
                          "20190432090503", "20190412240503", "20190412096003", "20190412090560",
                          "", "abcdefghijklmn"}) {
    CKrfData set;
    EXPECT_THROW(Load(Header + Sr104Header("D104", Filled(256, 1.0f)) + Point("20190412090503", "kept") +
                          Point(bad, "dropped") + Point("20190412091503", "unread"),
                      set),
                 KrfTimeError)
        << bad;
    EXPECT_EQ(set.SiteName, "Tsukuba");
    EXPECT_NE(set.Info(SR104), nullptr);
    ASSERT_EQ(set.RadCount(), 1) << bad;
    EXPECT_EQ(set.Rad(0).Memo, "kept");
  }
  // In a sensor block: the point stays, the block does not.
  CKrfData set;
  EXPECT_THROW(Load(Header + Point("20190412090503", "kept") +
                        Sr104Data("20190412250000", Filled(256, 1.0f), Filled(256, 1.0f)),
                    set),
               KrfTimeError);
  ASSERT_EQ(set.RadCount(), 1);
  EXPECT_EQ(set.Rad(0).Block(SR104), nullptr);
}

TEST_F(KrfReader, ReadsNumbersInCConventionsUnderACommaLocale) {
  testing::ScopedCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no way to build a German locale here";
  CKrfData set;
  ASSERT_EQ(Load(Header + Sr104Header("D104", Filled(256, 1.0f)) + Point("20190412090503", "p") +
                     "DT_SR102,100\nSS,3,1.5,-2.25,0.1,7\nDT_SR102_END\n",
                 set),
            1);
  // The axis from "898.6" and "3.5", not from 898 and 3.
  EXPECT_FLOAT_EQ(set.Info(SR104)->Wavelength[255], 1794.6f);
  const SensorMeasurement* b = set.Rad(0).Block(SR102);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->StatusInt[0], 3);
  EXPECT_EQ(b->StatusFloat, (std::array<float, 7>{1.5f, -2.25f, 0.1f, 7.0f, 0, 0, 0}));
}

}  // namespace
}  // namespace spectrel
