// Arbitrary bytes as a sensor's reply: the text line (up to its first CR, at most 255 bytes) is
// split and its numbers read, the rest decoded as a binary block. No crash, no undefined
// behaviour, and the tokens obey the reply format.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sensor/reply_parsing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnd = bytes.find('\r');
  if (lineEnd == std::string_view::npos || lineEnd > spectrel::ReplyLineSize - 1)
    lineEnd = bytes.size() < spectrel::ReplyLineSize - 1 ? bytes.size() : spectrel::ReplyLineSize - 1;
  spectrel::ReplyTokens tokens;
  const int count = spectrel::TokeniseReply(bytes.substr(0, lineEnd), tokens);
  if (count < 0 || count > spectrel::MaxReplyTokens) __builtin_trap();
  for (int i = 0; i < spectrel::MaxReplyTokens; ++i) {
    const auto& token = tokens[static_cast<std::size_t>(i)];
    if (i < count && (token.empty() || token.find_first_of(",\r") != std::string::npos)) __builtin_trap();
    if (i >= count && !token.empty()) __builtin_trap();
    (void)spectrel::IntegerValue(token);
    (void)spectrel::RealValue(token);
  }
  if (spectrel::ReplyIsOk(tokens, count) != (count > 0 && tokens[static_cast<std::size_t>(count - 1)] == "OK"))
    __builtin_trap();

  const std::size_t rest = size - (lineEnd < size ? lineEnd + 1 : size);
  const std::uint8_t* block = data + (size - rest);
  const int pixels = static_cast<int>(rest / 2);
  std::vector<std::int16_t> counts(static_cast<std::size_t>(pixels));
  spectrel::DecodeCounts(block, pixels, counts.data());
  const int peak = spectrel::PeakCount(counts.data(), pixels);
  for (std::int16_t c : counts)
    if (c > peak) __builtin_trap();
  std::vector<float> reals(rest / 4);
  spectrel::DecodeFloats(block, static_cast<int>(reals.size()), reals.data());
  return 0;
}
