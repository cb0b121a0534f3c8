// The sensor's reply format as pure functions: a reply line is comma-separated tokens ended by a
// CR, the last token "OK" when the command succeeded; binary blocks are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace spectrel {

inline constexpr int MaxReplyTokens = 16;   // tokens kept of one reply line
inline constexpr int ReplyLineSize = 256;   // reply line buffer, NUL included: 255 bytes kept

using ReplyTokens = std::array<std::string, MaxReplyTokens>;

// Splits a reply line at commas and CRs into at most 16 tokens; runs of separators count as one
// (an empty field yields no token). Returns the token count.
int TokeniseReply(std::string_view line, ReplyTokens& tokens);

// A reply succeeded when it has a token and its last token is exactly "OK".
bool ReplyIsOk(const ReplyTokens& tokens, int count);

// Signed 16-bit little-endian counts, pixel 1 first.
void DecodeCounts(const std::uint8_t* bytes, int pixels, std::int16_t* counts);

// 32-bit little-endian words taken unchanged as IEEE-754 single-precision bit patterns.
void DecodeFloats(const std::uint8_t* bytes, int count, float* values);

// A number token read with the C library's rules (leading blanks, sign, as many digits as form a
// number, 0 when none) in the C locale whatever the process locale is; integers saturate.
int IntegerValue(const std::string& token);
double RealValue(const std::string& token);

// Largest of the counts (signed comparison); INT16_MIN for an empty spectrum.
int PeakCount(const std::int16_t* counts, int pixels);

}  // namespace spectrel
