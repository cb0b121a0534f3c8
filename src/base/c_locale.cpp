#include "base/c_locale.h"

#include <cstdlib>
#include <stdlib.h>

namespace spectrel {

locale_t CLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c != static_cast<locale_t>(nullptr) ? c : LC_GLOBAL_LOCALE;
}

double CAtof(const char* text) { return ::strtod_l(text, nullptr, CLocale()); }

}  // namespace spectrel
