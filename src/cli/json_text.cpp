#include "cli/json_text.h"

#include <charconv>
#include <cmath>

namespace spectrel::cli {

std::string JsonText(const Json& document) {
  return document.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Json JsonReal(float value) {
  if (!std::isfinite(value)) return nullptr;
  // Through the float's own shortest text, so 902.1f is written 902.1 and not 902.0999755859375.
  char text[64];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  double widened = 0.0;
  std::from_chars(text, end, widened);
  return widened;
}

}  // namespace spectrel::cli
