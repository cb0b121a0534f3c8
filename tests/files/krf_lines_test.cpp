// Line pieces and tokens of the day file reader.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "files/krf_lines.h"

namespace spectrel {
namespace {

TEST(KrfLines, LinesEndAtLineFeedsAndKeepCarriageReturns) {
  const std::string text = "HD_KRF,100\r\nSITE,x\n\nlast";
  KrfLineReader lines(text.data(), text.size());
  EXPECT_EQ(lines.NextLine(), 11);   // the carriage return counts
  EXPECT_EQ(lines.TokenCount(), 2);
  EXPECT_EQ(lines.Token(0), "HD_KRF");
  EXPECT_EQ(lines.Token(1), "100");
  EXPECT_EQ(lines.NextLine(), 6);
  EXPECT_EQ(lines.Token(1), "x");
  EXPECT_EQ(lines.NextLine(), 0);   // the empty line
  EXPECT_EQ(lines.TokenCount(), 0);
  EXPECT_FALSE(lines.AtEnd());
  EXPECT_EQ(lines.NextLine(), 4);   // no line feed at the end
  EXPECT_EQ(lines.Token(0), "last");
  EXPECT_TRUE(lines.AtEnd());
  EXPECT_EQ(lines.NextLine(), 0);
}

TEST(KrfLines, AtMostSixteenTokensCutTo31AndNoneAfterANul) {
  std::string text = ",," + std::string(40, 'z') + ",,";
  for (int i = 1; i < 20; ++i) text += std::to_string(i) + ",";
  text += "\n";
  text += std::string("A,B\0C,D\n", 8);
  text += "\r\n";
  KrfLineReader lines(text.data(), text.size());
  lines.NextLine();
  ASSERT_EQ(lines.TokenCount(), 16);
  EXPECT_EQ(lines.Token(0), std::string(31, 'z'));
  EXPECT_EQ(lines.Token(1), "1");
  EXPECT_EQ(lines.Token(15), "15");
  EXPECT_EQ(lines.Token(16), "");
  EXPECT_EQ(lines.NextLine(), 7);
  ASSERT_EQ(lines.TokenCount(), 2);
  EXPECT_EQ(lines.Token(1), "B");
  EXPECT_EQ(lines.NextLine(), 1);   // a lone carriage return: a line without tokens
  EXPECT_EQ(lines.TokenCount(), 0);
}

TEST(KrfLines, TakeBytesStopsAtTheEnd) {
  const std::string text("MD_BGN\n\x0A\x0D\x00\x01xy", 13);
  KrfLineReader lines(text.data(), text.size());
  lines.NextLine();
  char target[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(lines.TakeBytes(target, 4), 4u);
  EXPECT_EQ(std::string(target, 4), std::string("\x0A\x0D\x00\x01", 4));
  EXPECT_EQ(lines.TakeBytes(target, 8), 2u);
  EXPECT_EQ(target[0], 'x');
  EXPECT_EQ(target[1], 'y');
  EXPECT_EQ(target[3], 1);   // left from the first take
  EXPECT_TRUE(lines.AtEnd());
  EXPECT_EQ(lines.TakeBytes(target, 8), 0u);
}

}  // namespace
}  // namespace spectrel
