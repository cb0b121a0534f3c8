// Numbers in files, profiles and sensor replies always use the C locale's full stop, whatever
// locale the user runs the program in.
#pragma once

#include <clocale>
#include <locale.h>

namespace spectrel {

// The C locale, created once.
locale_t CLocale();

// atof with the C locale's decimal point (prefix rules of strtod; no number gives 0.0).
double CAtof(const char* text);

// Switches the calling thread to the C locale for as long as it lives (for snprintf/strftime).
class CLocaleScope {
 public:
  CLocaleScope() : Previous(::uselocale(CLocale())) {}
  ~CLocaleScope() { ::uselocale(Previous); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t Previous;
};

}  // namespace spectrel
