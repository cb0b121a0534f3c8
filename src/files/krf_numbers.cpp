#include "files/krf_numbers.h"

#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace spectrel {

void AppendKrfInt(std::string& out, long long value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

void AppendKrfReal(std::string& out, double value) {
  // to_chars with a precision rounds the exact binary value like printf in the C locale.
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  out.append(text, result.ptr);
}

int KrfAtoi(const char* text) {
  // atoi without its undefined behaviour on overflow: the C library's own long result, narrowed.
  return static_cast<int>(std::strtol(text, nullptr, 10));
}

float KrfToFloat(double value) {
  constexpr double most = std::numeric_limits<float>::max();
  if (value > most) return std::numeric_limits<float>::infinity();
  if (value < -most) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

}  // namespace spectrel
