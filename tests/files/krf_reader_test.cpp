// The reader's rules on small hand-made files: tokens, lines, sections, numbers and time stamps.
#include <gtest/gtest.h>

#include "support/golden_day.h"
#include "files/krf_file.h"
#include "support/comma_locale.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::Section;
using Floats7 = std::array<float, 7>;

const std::string Header = "HD_KRF,100\nSITE,Tsukuba\nHD_KRF_END\n";

std::string Filled(int n, float value) { return Section(std::vector<float>(static_cast<size_t>(n), value)); }

std::string Point(const std::string& time, const std::string& memo) {
  return "DT_KRF,100\nMT," + time + "\nMEMO," + memo + "\nDT_KRF_END\n";
}

std::string Sr104Header(const std::string& serial, float calib) {
  return "HD_SR104,100\nSN," + serial + "\nC0,898.6\nC1,3.5\nCAL_BGN\n" + Filled(256, calib) +
         "CAL_END\nHD_SR104_END\n";
}

class KrfReader : public ::testing::Test {
 protected:
  int Load(const std::string& bytes) { return LoadKrfFromBytes(Set, bytes).Points; }
  testing::ScopedTz Utc{"UTC0"};
  CKrfData Set;
};

TEST_F(KrfReader, ValuesAreFirstTokensCutTo31Characters) {
  const std::string forty(40, 'n');
  ASSERT_EQ(Load("HD_KRF,100\nSITE," + forty + "\nLON,\nLAT\nALT,,,12.5,\nTZ,+9,extra\nHD_KRF_END\n" +
                 Point("20190412090503", "a,b") + "DT_KRF,100\nMEMO\nDT_KRF_END\n"),
            2);
  EXPECT_EQ(Set.SiteName, forty.substr(0, 31));
  EXPECT_EQ(Set.SiteLon, "");
  EXPECT_EQ(Set.SiteAlt, "12.5");   // empty fields vanish
  EXPECT_EQ(Set.TimeZone, "+9");
  EXPECT_EQ(Set.Rad(0).Memo, "a");   // the comma ends the memo
  EXPECT_EQ(Set.Rad(1).MeasureTime, 0);
}

TEST_F(KrfReader, RepeatedHourOfAChangeBackKeepsThePointsInOrder) {
  // Berlin, 25 October 2026: 02:50 summer time, then 02:00 and 02:50 again in winter time.
  testing::ScopedTz berlin("Europe/Berlin");
  KrfReadReport report;
  ASSERT_EQ(LoadKrfFromBytes(Set, Header + Point("20261025025000", "a") + Point("20261025020000", "b") +
                                      Point("20261025025000", "c"), &report).Points,
            3);
  EXPECT_EQ(Set.Rad(0).MeasureTime, 1792889400);   // 00:50 UTC
  EXPECT_EQ(Set.Rad(1).MeasureTime, 1792890000);   // 01:00 UTC
  EXPECT_EQ(Set.Rad(2).MeasureTime, 1792893000);   // 01:50 UTC
  EXPECT_EQ(report.PointClocks, (std::vector<std::int64_t>{1792896600, 1792893600, 1792896600}));
  // A station keeping its hour reads only the last clock hour: the repeated one with both halves.
  const std::string day = Header + Point("20261025015000", "x") + Point("20261025025000", "a") +
                          Point("20261025020000", "b") + Point("20261025025000", "c");
  CKrfData hour;
  ASSERT_EQ(LoadKrfFromBytes(hour, day, &report, KrfReadMode::Strict, KrfKeep::LastHour).Points, 3);
  EXPECT_EQ(std::pair(hour.Rad(0).Memo, hour.Rad(0).MeasureTime), std::pair(std::string("a"), std::int64_t{1792889400}));
  EXPECT_EQ(std::pair(report.PointsNotKept, report.PointClocks.size()), std::pair(1, std::size_t{3}));
  CKrfData next;
  ASSERT_EQ(LoadKrfFromBytes(next, day + Point("20261025030000", "d"), &report, KrfReadMode::Strict, KrfKeep::LastHour).Points, 1);
  EXPECT_EQ(std::pair(next.Rad(0).Memo, report.PointsNotKept), std::pair(std::string("d"), 4));
}

TEST_F(KrfReader, LaterValuesWinEvenWithCarriageReturnsBeforeLineFeeds) {
  const std::string lf = "HD_KRF,100\nSITE,first\nSITE,second\nHD_KRF_END\n" + Sr104Header("first", 1.0f) +
                         "HD_SR104,100\nSN,second\nC0,900\nC1,2\nCAL_BGN\n" + Filled(256, 2.0f) +
                         "CAL_END\nHD_SR104_END\n" + Point("20190412090503", "m") +
                         "DT_SR104,100\nSN,x\nET,30\nDT_SR104_END\n" +
                         "DT_SR104,100\nET,31\nDT_SR104_END\nHD_KRF,100\nLON,8.5\nHD_KRF_END\n";
  std::string crlf;   // the sections hold no line feed byte
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_EQ(Load(crlf), 1);
  EXPECT_EQ(Set.Rad(0).Memo, "m");
  EXPECT_EQ(Set.SiteName, "second");
  EXPECT_EQ(Set.SiteLon, "8.5");
  EXPECT_EQ(Set.Info(SR104)->SerialNo, "second");   // the later header replaces the earlier whole
  EXPECT_EQ(Set.Info(SR104)->Calib[0], 2.0f);
  EXPECT_FLOAT_EQ(Set.Info(SR104)->Wavelength[0], 902.0f);
  EXPECT_EQ(Set.Rad(0).Block(SR104)->ExposureMs, 31);
  EXPECT_EQ(Set.Rad(0).Block(SR104)->SerialNo, "");
}

TEST_F(KrfReader, EmptyLinesEndTheParseOrTheBlockButDelimiterLinesDoNot) {
  EXPECT_EQ(Load(Header + Point("20190412090503", "one") + "\n" + Point("20190412091003", "two")), 1);
  CKrfData inner;
  ASSERT_EQ(LoadKrfFromBytes(inner, Header + "HD_SR104,100\nSN,cut\nC0,900\nC1,2\n\nDT_KRF,100\nMEMO,one\n\n"
                                             "MEMO,lost\n" + Point("20190412091003", "two")).Points,
            2);
  EXPECT_EQ(inner.Info(SR104)->SerialNo, "cut");
  EXPECT_EQ(inner.Info(SR104)->Wavelength, std::vector<float>(256, 0.0f));   // never closed: no axis
  EXPECT_EQ(inner.Rad(0).Memo, "one");
  EXPECT_EQ(inner.Rad(1).Memo, "two");
  CKrfData delimiters;
  ASSERT_EQ(LoadKrfFromBytes(delimiters, Header + "\r\n,,,\nDT_KRF,100\n\r\nMEMO,kept\n,\nDT_KRF_END\n").Points, 1);
  EXPECT_EQ(delimiters.Rad(0).Memo, "kept");
}

TEST_F(KrfReader, LongLinesComeInPiecesOf256Bytes) {
  const std::string first = "NOTE," + std::string(251, 'n');   // 256 bytes: one piece
  ASSERT_EQ(Load(Header + "DT_KRF,100\n" + first + "MEMO,second-piece-of-a-long-line-abcdefghijk\nDT_KRF_END\n" +
                 "DT_KRF,100\n" + first + "\nMEMO,lost\nDT_KRF_END\n" + Point("20190412091003", "next")),
            3);
  EXPECT_EQ(Set.Rad(0).Memo, "second-piece-of-a-long-line-abc");
  EXPECT_EQ(Set.Rad(1).Memo, "");   // the line feed after a full piece is an empty line
  EXPECT_EQ(Set.Rad(2).Memo, "next");
}

TEST_F(KrfReader, ANulEndsALine) {
  CKrfData nul;
  ASSERT_EQ(LoadKrfFromBytes(nul, Header + "DT_KRF,100\n" + std::string("MEMO,a\0b,c\n", 11) + "DT_KRF_END\n").Points, 1);
  EXPECT_EQ(nul.Rad(0).Memo, "a");
}

TEST_F(KrfReader, SectionsTakeTheirBytesWhateverTheyHold) {
  // A sensor block before any point has nowhere to go.
  ASSERT_EQ(Load(Header + "DT_SR103,100\nET,77\nDT_SR103_END\n" + Point("20190412090503", "p")), 1);
  EXPECT_FALSE(Set.Rad(0).HasAnyBlock());
  // The line after a section never closes the block; with a value it is a key line; the dark
  // section may follow the light one directly.
  const std::string direct = Header + "HD_SR104,100\nC0,900\nC1,2\nCAL_BGN\n" + Filled(256, 1.0f) +
                             "HD_SR104_END\nFV,3.1\nHD_SR104_END\n" + Point("20190412090503", "p") +
                             "DT_SR104,100\nMD_BGN\n" + Filled(256, 4.0f) + "DD_BGN\n" + Filled(256, 3.0f) +
                             "DD_END\nET,12\nDT_SR104_END\n";
  CKrfData cut;   // the file ends inside that dark section: the point stays, its block does not
  ASSERT_EQ(LoadKrfFromBytes(cut, std::string_view(direct).substr(0, direct.rfind("DD_BGN\n") + 100)).Points, 1);
  EXPECT_EQ(cut.Rad(0).Block(SR104), nullptr);
  CKrfData set;
  ASSERT_EQ(LoadKrfFromBytes(set, direct).Points, 1);
  EXPECT_EQ(set.Info(SR104)->FirmwareVersion, "3.1");
  EXPECT_FLOAT_EQ(set.Info(SR104)->Wavelength[255], 1412.0f);
  const SensorMeasurement* block = set.Rad(0).Block(SR104);
  EXPECT_EQ(block->Light, std::vector<float>(256, 4.0f));
  EXPECT_EQ(block->Dark, std::vector<float>(256, 3.0f));
  EXPECT_EQ(block->ExposureMs, 12);
}

TEST_F(KrfReader, NumbersInBlocksReadAsTheCLibraryReadsThemInEveryLocale) {
  const std::string file = Header + Point("20190412090503", "p") +
                           "DT_SR101,100\nSN\nET\nSS,,5,,1.5\nDT_SR101_END\n"
                           "DT_SR103,100\nSN,C103\nET,12ms\nSS,7x,-3,+2,1e1,2.5e-1,abc,-7.25\nDT_SR103_END\n";
  const auto check = [&file] {
    CKrfData set;
    ASSERT_EQ(LoadKrfFromBytes(set, file).Points, 1);
    const SensorMeasurement* a = set.Rad(0).Block(SR101);
    const SensorMeasurement* c = set.Rad(0).Block(SR103);
    EXPECT_EQ(a->ExposureMs, 0);
    EXPECT_EQ(a->StatusInt[0], 5);
    EXPECT_EQ(a->StatusFloat, (Floats7{1.5f, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(c->ExposureMs, 12);
    // As integers "7x" is 7 and "1e1" is 1; as reals "abc" is 0 and the three missing ones too.
    EXPECT_EQ(c->StatusInt, (std::array<std::int32_t, 4>{7, -3, 2, 1}));
    EXPECT_EQ(c->StatusFloat, (Floats7{0.25f, 0.0f, -7.25f, 0, 0, 0, 0}));
  };
  check();
  testing::CommaLocale comma;
  check();
}

TEST_F(KrfReader, ACutTailIsToldFromAWholeFileKeepingNoCutBlock) {
  const std::string whole = testing::MakeGoldenDay().Bytes;
  const size_t lastLight = whole.rfind("MD_BGN\n") + 7;
  const size_t lastPoint = whole.rfind("DT_KRF,100\n");
  const size_t lastBlock = whole.rfind("DT_SR104,100\n");
  struct Case {
    size_t Cut;              // bytes kept of the whole file
    bool Damaged;
    size_t CompleteEnd;      // where the last complete block ends
    int Points;
    bool Sr104Kept;          // the first point's block that the cut may reach
  };
  const Case cases[] = {
      {whole.size(), false, whole.size(), 2, true},
      {lastLight + 1000, true, lastBlock, 1, false},      // inside a section
      {whole.size() - 1, true, lastPoint, 2, true},       // the last end line without its feed
      {lastPoint + 15, true, lastPoint, 1, true},         // inside a text line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Cut);
    CKrfData set;
    KrfReadReport report;
    ASSERT_EQ(LoadKrfFromBytes(set, std::string_view(whole).substr(0, c.Cut), &report).Points, c.Points);
    EXPECT_EQ(report.TailDamaged, c.Damaged);
    EXPECT_EQ(report.CompleteEnd, c.CompleteEnd);
    EXPECT_EQ(set.Rad(0).Block(SR104) != nullptr, c.Sr104Kept);
    EXPECT_NE(set.Rad(0).Block(SR101), nullptr);
  }
}

// A file cut inside a sensor's information record, its calibration whole but its end line missing.
TEST_F(KrfReader, ACutSensorRecordIsNotKept) {
  const std::string record = Sr104Header("A1", 2.0f);
  const std::string cut = Header + record.substr(0, record.size() - std::string("HD_SR104_END\n").size());
  KrfReadReport report;
  EXPECT_EQ(LoadKrfFromBytes(Set, cut, &report).Error, DayLoadError::None);
  EXPECT_EQ(Set.Info(SR104), nullptr);
  EXPECT_TRUE(report.TailDamaged);
  EXPECT_EQ(report.CompleteEnd, Header.size());
  EXPECT_EQ(LoadKrfFromBytes(Set, Header + record, &report).Error, DayLoadError::None);
  EXPECT_NE(Set.Info(SR104), nullptr);
  EXPECT_FALSE(report.TailDamaged);
}

// Which stamps are not times is the time parser's own rule; here what a load does with one.
TEST_F(KrfReader, AnInvalidTimeStampEndsALoadWhereASalvageSkipsIt) {
  const std::string block = "DT_SR104,100\nMT,20190412090503\nET,5\nDT_SR104_END\n";
  const std::string badBlock = "DT_SR104,100\nMT,20190412250000\nDT_SR104_END\n";
  const std::string bytes = Header + Sr104Header("D104", 1.0f) + Point("20190412090503", "one") + block +
                            Point("20190012090503", "bad") + block + Point("20190412091003", "two") + badBlock +
                            Point("20190412091503", "three");
  EXPECT_THROW(Load(bytes), KrfTimeError);   // keeping what came before
  EXPECT_EQ(Set.SiteName, "Tsukuba");
  EXPECT_NE(Set.Info(SR104), nullptr);
  ASSERT_EQ(Set.RadCount(), 1);
  EXPECT_EQ(Set.Rad(0).Memo, "one");
  // In a sensor block: the point stays, the block does not.
  CKrfData inBlock;
  EXPECT_THROW(LoadKrfFromBytes(inBlock, Header + Point("20190412091003", "two") + badBlock), KrfTimeError);
  ASSERT_EQ(inBlock.RadCount(), 1);
  EXPECT_EQ(inBlock.Rad(0).Block(SR104), nullptr);
  // A salvage goes on past both.
  CKrfData set;
  KrfReadReport report;
  ASSERT_EQ(LoadKrfFromBytes(set, bytes, &report, KrfReadMode::Salvage).Points, 3);
  EXPECT_EQ(set.Rad(1).Memo, "two");
  EXPECT_NE(set.Rad(0).Block(SR104), nullptr);
  EXPECT_EQ(set.Rad(1).Block(SR104), nullptr);   // its own block was bad; the bad point's went with it
  EXPECT_EQ(report.DroppedPoints, 1);
  EXPECT_EQ(report.DroppedBlocks, 2);
  EXPECT_FALSE(report.TailDamaged);
}

}  // namespace
}  // namespace spectrel
