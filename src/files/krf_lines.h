// Line and token reading over a day file held in memory: lines of at most 256 bytes, split into
// at most 16 tokens at commas, carriage returns and line feeds, each token cut to 31 characters.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace spectrel {

inline constexpr int KrfLineMax = 256;    // bytes of one line piece; longer lines come in pieces
inline constexpr int KrfTokenMax = 16;    // tokens kept of one line
inline constexpr int KrfTokenChars = 31;  // characters kept of one token

class KrfLineReader {
 public:
  KrfLineReader(const char* data, size_t size) : Data(data), Size(size) {}

  // Reads the next line (without its line feed; a carriage return stays) and splits it into
  // tokens. Returns its length: 0 for an empty line or the end of the buffer.
  int NextLine();

  // Copies up to count bytes of the buffer into target, moves past them and returns how many.
  size_t TakeBytes(void* target, size_t count);

  int TokenCount() const { return Count; }
  // Token i of the current line; empty for i at or past the token count.
  std::string_view Token(int i) const {
    return i >= 0 && i < Count ? std::string_view(Tokens[static_cast<size_t>(i)]) : std::string_view();
  }
  // The same as a NUL-terminated text; "" for i at or past the token count.
  const char* TokenText(int i) const { return i >= 0 && i < Count ? Tokens[static_cast<size_t>(i)] : ""; }
  // The line just read, without its line feed, with NULs where tokens end.
  std::string_view Line() const { return std::string_view(LineText.data(), static_cast<size_t>(Length)); }
  size_t Position() const { return Pos; }
  bool AtEnd() const { return Pos >= Size; }

 private:
  void Tokenize();

  const char* Data;                                       // the whole file
  size_t Size;                                            // bytes in Data
  size_t Pos = 0;                                         // next byte to read
  int Length = 0;                                         // length of the current line
  std::array<char, KrfLineMax + 1> LineText{};            // current line, NUL-terminated
  std::array<const char*, KrfTokenMax> Tokens{};          // start of each token in LineText
  int Count = 0;                                          // tokens of the current line
};

}  // namespace spectrel
