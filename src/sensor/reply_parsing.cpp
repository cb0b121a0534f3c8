#include "sensor/reply_parsing.h"

#include "base/c_locale.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <locale.h>

namespace spectrel {

int TokeniseReply(std::string_view line, ReplyTokens& tokens) {
  int count = 0;
  size_t pos = 0;
  while (count < MaxReplyTokens) {
    pos = line.find_first_not_of(",\r", pos);
    if (pos == std::string_view::npos) break;
    size_t end = line.find_first_of(",\r", pos);
    if (end == std::string_view::npos) end = line.size();
    tokens[static_cast<size_t>(count++)] = std::string(line.substr(pos, end - pos));
    pos = end;
  }
  for (int t = count; t < MaxReplyTokens; ++t) tokens[static_cast<size_t>(t)].clear();
  return count;
}

bool ReplyIsOk(const ReplyTokens& tokens, int count) {
  return count >= 1 && count <= MaxReplyTokens && tokens[static_cast<size_t>(count - 1)] == "OK";
}

void DecodeCounts(const std::uint8_t* bytes, int pixels, std::int16_t* counts) {
  for (int k = 0; k < pixels; ++k) {
    const auto lo = static_cast<std::uint16_t>(bytes[2 * k]);
    const auto hi = static_cast<std::uint16_t>(bytes[2 * k + 1]);
    counts[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
  }
}

void DecodeFloats(const std::uint8_t* bytes, int count, float* values) {
  for (int k = 0; k < count; ++k) {
    const std::uint8_t* b = bytes + 4 * k;
    const std::uint32_t word = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                               static_cast<std::uint32_t>(b[2]) << 16 |
                               static_cast<std::uint32_t>(b[3]) << 24;
    values[k] = std::bit_cast<float>(word);
  }
}

int IntegerValue(const std::string& token) {
  const long v = std::strtol(token.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double RealValue(const std::string& token) {
  return CAtof(token.c_str());
}

int PeakCount(const std::int16_t* counts, int pixels) {
  int peak = std::numeric_limits<std::int16_t>::min();
  for (int k = 0; k < pixels; ++k)
    if (counts[k] > peak) peak = counts[k];
  return peak;
}

}  // namespace spectrel
