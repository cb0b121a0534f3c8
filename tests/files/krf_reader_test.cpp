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
#include "support/comma_locale.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::FloatFromBits;
using testing::ScopedTz;
using testing::Section;
using testing::TempDir;

constexpr std::int64_t At090503 = 1555059903;   // 2019-04-12 09:05:03 UTC
using Floats7 = std::array<float, 7>;

const std::string Header =
    "HD_KRF,100\nSITE,Tsukuba\nLON,140.125\nLAT,36.050\nALT,25\nTZ,+9\nHD_KRF_END\n";

// Constant sections whose bytes hold no line feed (1.0f is 00 00 80 3F).
std::string Filled(int n, float value) { return Section(std::vector<float>(static_cast<size_t>(n), value)); }

std::string Sr104Header(const std::string& serial, const std::string& calib) {
  return "HD_SR104,100\nSN," + serial + "\nID,ID4\nST,SR-104\nFV,1.02\nFT,2019/04/01 12:00:00\n"
         "C0,898.6\nC1,3.5\nC2,0\nC3,0\nC4,0\nC5,0\nCAL_BGN\n" + calib + "CAL_END\nHD_SR104_END\n";
}

std::string Point(const std::string& time, const std::string& memo) {
  return "DT_KRF,100\nMT," + time + "\nMEMO," + memo + "\nDT_KRF_END\n";
}

std::string Sr104Data(const std::string& time, const std::string& light, const std::string& dark) {
  return "DT_SR104,100\nSN,D104\nMT," + time + "\nET,30\nSS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\n"
         "MD_BGN\n" + light + "MD_END\nDD_BGN\n" + dark + "DD_END\nDT_SR104_END\n";
}

using Texts = std::vector<std::string>;
Texts Site(const CKrfData& set) { return {set.SiteName, set.SiteLon, set.SiteLat, set.SiteAlt, set.TimeZone}; }

// Writes bytes as a day file and loads it into set.
int Load(const std::string& bytes, CKrfData& set) {
  TempDir dir;
  testing::WriteBytes(dir.File("20190412.KRF"), bytes);
  return set.LoadKrf(dir.File("20190412.KRF"));
}

class KrfReader : public ::testing::Test {
 protected:
  ScopedTz Utc{"UTC0"};
};

TEST_F(KrfReader, SensorPointAndBlockFromComposedBytesWithEitherLineEnd) {
  CKrfData header;
  ASSERT_EQ(Load(Header, header), 0);
  for (int m = 0; m < ModelCount; ++m) EXPECT_EQ(header.Info(m), nullptr);

  const std::string lf = Header + Sr104Header("D104", Filled(256, 0.125f)) + Point("20190412090503", "x") +
                         Sr104Data("20190412090504", Section({1.5f, -2.0f, 3.25f}) + Filled(253, 7.0f),
                                   Filled(256, 1.0f));
  std::string crlf;   // the same file with every line ending in CR LF; no section holds a 0A byte
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& file : {lf, crlf}) {
    SCOPED_TRACE(file.size());
    CKrfData set;
    ASSERT_EQ(Load(file, set), 1);
    EXPECT_EQ(Site(set), (Texts{"Tsukuba", "140.125", "36.050", "25", "+9"}));
    const SensorInfo* info = set.Info(SR104);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ((Texts{info->SerialNo, info->SensorId, info->SensorType, info->FirmwareVersion, info->FirmwareTime,
                     info->Coef[0], info->Coef[1]}),
              (Texts{"D104", "ID4", "SR-104", "1.02", "2019/04/01 12:00:00", "898.6", "3.5"}));
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
    EXPECT_EQ(block->StatusFloat, (Floats7{25.0f, 25.0f, -5.2f, 3.5f, 1234.2f, 0.0f, -273.1f}));
    EXPECT_EQ(block->Light[0], 1.5f);
    EXPECT_EQ(block->Light[1], -2.0f);
    EXPECT_EQ(block->Light[2], 3.25f);
    EXPECT_EQ(block->Light[255], 7.0f);
    EXPECT_EQ(block->Dark, std::vector<float>(256, 1.0f));
    for (int m : {SR101, SR102, SR103}) EXPECT_EQ(rad.Block(m), nullptr);
  }
}

TEST_F(KrfReader, WrittenSetReadsBackEqual) {
  ScopedTz berlin("Europe/Berlin");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  // Three points ten minutes apart from 09:00 summer time, every model taking part; sections of
  // SR-101 full of line feed, carriage return and NUL bytes.
  CKrfData written = testing::MakeDay({SR101, SR102, SR103, SR104}, 3, 1555052400, 600);
  SensorInfo info = *written.Info(SR101);
  for (size_t k = 0; k < info.Calib.size(); ++k) info.Calib[k] = FloatFromBits(k % 2 ? 0x0A0D0A0Du : 0x000A000Au);
  written.SetInfo(SR101, info);
  for (auto& v : written.Rad(0).Block(SR101)->Light) v = FloatFromBits(0x0A0A0A0Au);
  for (auto& v : written.Rad(0).Block(SR101)->Dark) v = FloatFromBits(0x0D0A0D0Au);
  ASSERT_EQ(written.SaveKrf(path), 1);
  CKrfData read;
  ASSERT_EQ(read.LoadKrf(path), 3);
  EXPECT_EQ(Site(read), (Texts{"Test Site", "139.750", "35.680", "40.0", "+9"}));
  for (int m = 0; m < ModelCount; ++m) {
    ASSERT_NE(read.Info(m), nullptr);
    EXPECT_TRUE(*read.Info(m) == *written.Info(m)) << "model " << m;
  }
  EXPECT_EQ(std::memcmp(read.Info(SR101)->Calib.data(), info.Calib.data(), 4096), 0);
  // The synthetic axes run from 300.4 nm (SR-101/102) and 899.6 nm (SR-103/104).
  EXPECT_NEAR(read.Wavelength(SR101, 0), 300.4, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR102, 2047), 1100.2, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR103, 511), 1700.3, 1e-3);
  EXPECT_NEAR(read.Wavelength(SR104, 0), 899.6, 1e-3);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(read.Rad(j).MeasureTime, 1555052400 + 600 * j);
    EXPECT_EQ(read.Rad(j).Memo, written.Rad(j).Memo);
    for (int m = 0; m < ModelCount; ++m) {
      const SensorMeasurement* y = read.Rad(j).Block(m);
      ASSERT_NE(y, nullptr);
      SensorMeasurement x = *written.Rad(j).Block(m);
      for (int i = 0; i < Models[static_cast<size_t>(m)].StatusFloatCount; ++i) {
        const float r = y->StatusFloat[static_cast<size_t>(i)];
        EXPECT_NEAR(r, x.StatusFloat[static_cast<size_t>(i)], 0.0501) << m << "/" << i;
        EXPECT_NEAR(r * 10.0, std::round(r * 10.0), 1e-3) << "one decimal: " << r;
      }
      x.StatusFloat = y->StatusFloat;   // everything else comes back exactly
      EXPECT_TRUE(*y == x) << j << "/" << m;
    }
  }
  EXPECT_EQ(std::memcmp(read.Rad(0).Block(SR101)->Dark.data(), written.Rad(0).Block(SR101)->Dark.data(), 4096), 0);
  // The first point's reals are exact quarters: written halves round to the even digit.
  EXPECT_EQ(read.Rad(0).Block(SR104)->StatusFloat, (Floats7{20.2f, 21.8f, 23.2f, 24.8f, 26.2f, 27.8f, -273.1f}));
}

TEST_F(KrfReader, FailureCodesLeaveTheSetAsItWas) {
  TempDir dir;
  CKrfData set;
  set.SiteName = "before";
  set.AppendRad(CRad());
  for (const char* bad : {"HD_KRF;100\nSITE,x\nHD_KRF_END\n", "", "HD_KRF", "hd_krf,100\n"})
    EXPECT_EQ(Load(bad, set), -1) << bad;
  EXPECT_EQ(set.LoadKrf(dir.File("missing.KRF")), -3);
  EXPECT_EQ(set.LoadKrf(dir.File("no/folder/20190412.KRF")), -3);
  EXPECT_EQ(set.LoadKrf(dir.Path), -2);   // a folder
  const std::string fifo = dir.File("pipe.KRF");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(set.LoadKrf(fifo), -2);   // refused at once, never waiting for a writer
  // A sparse file of 3 GB: more than the 32-bit length of the reading state.
  const std::string huge = dir.File("20190412.KRF");
  testing::WriteBytes(huge, Header);
  ASSERT_EQ(::truncate(huge.c_str(), 3LL << 30), 0);
  EXPECT_EQ(set.LoadKrf(huge), -4);
  EXPECT_EQ(set.SiteName, "before");
  EXPECT_EQ(set.RadCount(), 1);
}

TEST_F(KrfReader, ValuesAreFirstTokensCutTo31CharactersAndLoadsAddUp) {
  const std::string forty = "Meteorological-Research-Site-North-Field";
  ASSERT_EQ(forty.size(), 40u);
  const std::string file = "HD_KRF,100\nSITE," + forty + "\nLON,\nLAT\nALT,,,12.5,\nTZ,+9,extra\nHD_KRF_END\n" +
                           Point("20190412090503", "a,b") + "DT_KRF,100\nMEMO\nDT_KRF_END\n";
  CKrfData set;
  ASSERT_EQ(Load(file, set), 2);
  // Empty fields vanish: the altitude is the first value that is not empty.
  EXPECT_EQ(Site(set), (Texts{forty.substr(0, 31), "", "", "12.5", "+9"}));
  EXPECT_EQ(set.Rad(0).Memo, "a");   // the comma ends the memo
  EXPECT_EQ(set.Rad(1).Memo, "");
  EXPECT_EQ(set.Rad(1).MeasureTime, 0);
  ASSERT_EQ(Load(file, set), 4);
  EXPECT_EQ(set.Rad(2).Memo, "a");
}

TEST_F(KrfReader, LaterValuesAndBlocksWin) {
  const std::string secondHeader =
      "HD_SR104,100\nSN,second\nC0,900\nC1,2\nCAL_BGN\n" + Filled(256, 2.0f) + "CAL_END\nHD_SR104_END\n";
  CKrfData set;
  ASSERT_EQ(Load("HD_KRF,100\nSITE,first\nSITE,second\nHD_KRF_END\n" + Sr104Header("first", Filled(256, 1.0f)) +
                     secondHeader + Point("20190412090503", "m") +
                     Sr104Data("20190412090503", Filled(256, 1.0f), Filled(256, 1.0f)) +
                     "DT_SR104,100\nET,31\nDT_SR104_END\nHD_KRF,100\nLON,8.5\nHD_KRF_END\n",
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

TEST_F(KrfReader, EmptyLinesEndTheParseOrTheBlockButDelimiterLinesDoNot) {
  CKrfData top;
  EXPECT_EQ(Load(Header + Point("20190412090503", "one") + "\n" + Point("20190412091003", "two"), top), 1);
  EXPECT_EQ(top.Rad(0).Memo, "one");

  CKrfData inner;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nSN,cut\nC0,900\nC1,2\n\nDT_KRF,100\nMEMO,one\n\nMEMO,lost\n" +
                     Point("20190412091003", "two"),
                 inner),
            2);
  const SensorInfo* info = inner.Info(SR104);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->SerialNo, "cut");
  EXPECT_EQ(info->Coef[1], "2");
  EXPECT_EQ(info->Wavelength, std::vector<float>(256, 0.0f));   // never closed: no axis
  EXPECT_EQ(inner.Rad(0).Memo, "one");
  EXPECT_EQ(inner.Rad(1).Memo, "two");

  CKrfData delimiters;
  ASSERT_EQ(Load(Header + "\r\n,,,\nDT_KRF,100\n\r\nMEMO,kept\n,\nDT_KRF_END\n", delimiters), 1);
  EXPECT_EQ(delimiters.Rad(0).Memo, "kept");
}

TEST_F(KrfReader, LongLinesComeInPiecesOf256Bytes) {
  // 300 bytes: the first 256 are one line, the remaining 44 another that is read as a memo line.
  const std::string first = "NOTE," + std::string(251, 'n');
  const std::string second = "MEMO,second-piece-of-a-long-line-abcdefghijk";
  ASSERT_EQ(first.size() + second.size(), 300u);
  CKrfData set;
  ASSERT_EQ(Load(Header + "DT_KRF,100\n" + first + second + "\nDT_KRF_END\n", set), 1);
  EXPECT_EQ(set.Rad(0).Memo, "second-piece-of-a-long-line-abc");
  // A line feed right after a 256-byte piece is an empty line: the point block ends there.
  CKrfData cut;
  ASSERT_EQ(Load(Header + "DT_KRF,100\n" + first + "\nMEMO,lost\nDT_KRF_END\n" + Point("20190412091003", "next"), cut),
            2);
  EXPECT_EQ(cut.Rad(0).Memo, "");
  EXPECT_EQ(cut.Rad(1).Memo, "next");
  // At the top level the same empty line ends the parse.
  CKrfData top;
  EXPECT_EQ(Load(Header + first + "\n" + Point("20190412091003", "never"), top), 0);
}

TEST_F(KrfReader, SensorBlockBeforeTheFirstPointIsNotStored) {
  const std::string early = "DT_SR103,100\nSN,early\nET,77\nMD_BGN\n" + Filled(512, 1.0f) + "MD_END\nDD_BGN\n" +
                            Filled(512, 1.0f) + "DD_END\nDT_SR103_END\n";
  CKrfData set;
  ASSERT_EQ(Load(Header + early + Point("20190412090503", "p"), set), 1);
  for (int m = 0; m < ModelCount; ++m) EXPECT_EQ(set.Rad(0).Block(m), nullptr);
}

TEST_F(KrfReader, FileCutInsideASectionKeepsTheRestZero) {
  const std::string light = Section({1.0f, 2.0f, 3.0f, 4.0f}) + Filled(21, 9.0f);   // 25 of 256 values
  CKrfData set;
  ASSERT_EQ(Load(Header + Sr104Header("D104", Filled(256, 0.25f)) + Point("20190412090503", "cut") +
                     "DT_SR104,100\nSN,D104\nET,30\nMD_BGN\n" + light,
                 set),
            1);
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
  ASSERT_EQ(Load(Header + "HD_SR104,100\nSN,D104\nC0,900\nC1,2\nCAL_BGN\n" + Section({5.0f, 6.0f}) +
                     std::string("\x01\x02", 2),
                 info),
            0);
  const SensorInfo* calib = info.Info(SR104);
  ASSERT_NE(calib, nullptr);
  EXPECT_EQ(calib->Calib[0], 5.0f);
  EXPECT_EQ(calib->Calib[1], 6.0f);
  EXPECT_EQ(calib->Calib[2], FloatFromBits(0x00000201u));
  EXPECT_EQ(calib->Calib[3], 0.0f);
  EXPECT_EQ(calib->Wavelength[0], 0.0f);
}

TEST_F(KrfReader, LineAfterASectionIsNeverTheClosingTag) {
  const std::string cal = Filled(256, 1.0f);
  CKrfData set;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nC0,900\nC1,2\nCAL_BGN\n" + cal + "HD_SR104_END\nSN,late\nHD_SR104_END\n", set),
            0);
  ASSERT_NE(set.Info(SR104), nullptr);
  EXPECT_EQ(set.Info(SR104)->SerialNo, "late");
  EXPECT_FLOAT_EQ(set.Info(SR104)->Wavelength[255], 1412.0f);   // 900 + 2 * 256
  // With a value, the line after the section is a key line.
  CKrfData keyed;
  ASSERT_EQ(Load(Header + "HD_SR104,100\nCAL_BGN\n" + cal + "FV,3.1\nHD_SR104_END\n", keyed), 0);
  EXPECT_EQ(keyed.Info(SR104)->FirmwareVersion, "3.1");
  // The dark section may follow the light section directly.
  CKrfData direct;
  ASSERT_EQ(Load(Header + Point("20190412090503", "p") + "DT_SR104,100\nMD_BGN\n" + Filled(256, 4.0f) + "DD_BGN\n" +
                     Filled(256, 3.0f) + "DD_END\nET,12\nDT_SR104_END\n",
                 direct),
            1);
  const SensorMeasurement* block = direct.Rad(0).Block(SR104);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Light, std::vector<float>(256, 4.0f));
  EXPECT_EQ(block->Dark, std::vector<float>(256, 3.0f));
  EXPECT_EQ(block->ExposureMs, 12);
}

TEST_F(KrfReader, StatusAndExposureReadLikeAtoiAndAtofInCConventions) {
  const std::string file = Header + Sr104Header("D104", Filled(256, 1.0f)) + Point("20190412090503", "p") +
                           "DT_SR101,100\nSN\nET\nSS,,5,,1.5\nDT_SR101_END\n"
                           "DT_SR102,100\nSS,3,1.5,-2.25,0.1,7\nDT_SR102_END\n"
                           "DT_SR103,100\nSN,C103\nET,12ms\nSS,7x,-3,+2,1e1,2.5e-1,abc,-7.25\nDT_SR103_END\n";
  const auto check = [&file] {
    CKrfData set;
    ASSERT_EQ(Load(file, set), 1);
    // The axis from "898.6" and "3.5", not from 898 and 3.
    EXPECT_FLOAT_EQ(set.Info(SR104)->Wavelength[255], 1794.6f);
    const SensorMeasurement* a = set.Rad(0).Block(SR101);
    const SensorMeasurement* b = set.Rad(0).Block(SR102);
    const SensorMeasurement* c = set.Rad(0).Block(SR103);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->SerialNo, "");
    EXPECT_EQ(a->ExposureMs, 0);
    EXPECT_EQ(a->StatusInt[0], 5);
    EXPECT_EQ(a->StatusFloat, (Floats7{1.5f, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(b->StatusInt[0], 3);
    EXPECT_EQ(b->StatusFloat, (Floats7{1.5f, -2.25f, 0.1f, 7.0f, 0, 0, 0}));
    EXPECT_EQ(c->SerialNo, "C103");
    EXPECT_EQ(c->ExposureMs, 12);
    // As integers "7x" is 7 and "1e1" is 1; as reals "abc" is 0 and the three missing ones too.
    EXPECT_EQ(c->StatusInt, (std::array<std::int32_t, 4>{7, -3, 2, 1}));
    EXPECT_EQ(c->StatusFloat, (Floats7{0.25f, 0.0f, -7.25f, 0, 0, 0, 0}));
  };
  check();
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no way to build a German locale here";
  check();
}

TEST_F(KrfReader, InvalidTimeStampEndsTheLoadKeepingWhatCameBefore) {
  for (const char* bad : {"19691231235959", "20190012090503", "20191312090503", "20190400090503", "20190432090503",
                          "20190412240503", "20190412096003", "20190412090560", "", "abcdefghijklmn"}) {
    SCOPED_TRACE(bad);
    CKrfData set;
    EXPECT_THROW(Load(Header + Sr104Header("D104", Filled(256, 1.0f)) + Point("20190412090503", "kept") +
                          Point(bad, "dropped") + Point("20190412091503", "unread"),
                      set),
                 KrfTimeError);
    EXPECT_EQ(set.SiteName, "Tsukuba");
    EXPECT_NE(set.Info(SR104), nullptr);
    ASSERT_EQ(set.RadCount(), 1);
    EXPECT_EQ(set.Rad(0).Memo, "kept");
  }
  // In a sensor block: the point stays, the block does not.
  CKrfData set;
  EXPECT_THROW(Load(Header + Point("20190412090503", "kept") +
                        Sr104Data("20190412250000", Filled(256, 1.0f), Filled(256, 1.0f)), set),
               KrfTimeError);
  ASSERT_EQ(set.RadCount(), 1);
  EXPECT_EQ(set.Rad(0).Block(SR104), nullptr);
}

}  // namespace
}  // namespace spectrel
