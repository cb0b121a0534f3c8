#include "files/krf_lines.h"

#include <cstring>

namespace spectrel {

int KrfLineReader::NextLine() {
  int n = 0;
  while (Pos < Size && n < KrfLineMax) {
    const char c = Data[Pos++];
    if (c == '\n') break;
    LineText[static_cast<size_t>(n++)] = c;
  }
  LineText[static_cast<size_t>(n)] = '\0';
  Length = n;
  Tokenize();
  return n;
}

size_t KrfLineReader::TakeBytes(void* target, size_t count) {
  const size_t n = count < Size - Pos ? count : Size - Pos;
  if (n > 0) std::memcpy(target, Data + Pos, n);
  Pos += n;
  return n;
}

namespace {

bool IsDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }

}  // namespace

void KrfLineReader::Tokenize() {
  // The line ends at its first NUL, as for any C string; runs of delimiters separate tokens and
  // empty fields vanish.
  char* p = LineText.data();
  Count = 0;
  while (*p != '\0' && Count < KrfTokenMax) {
    while (*p != '\0' && IsDelimiter(*p)) ++p;
    if (*p == '\0') break;
    char* start = p;
    while (*p != '\0' && !IsDelimiter(*p)) ++p;
    const bool more = *p != '\0';
    *p = '\0';
    if (p - start > KrfTokenChars) start[KrfTokenChars] = '\0';
    Tokens[static_cast<size_t>(Count++)] = start;
    if (more) ++p;
  }
}

}  // namespace spectrel
