// Numbers of the day file in the C conventions whatever the process locale: a full stop as the
// decimal separator, integers as %d, status reals as %.1f, reading with atoi rules
// (reals are read with CAtof of base/c_locale.h).
#pragma once

#include <string>

namespace spectrel {

// Appends an integer as printf "%d" writes it.
void AppendKrfInt(std::string& out, long long value);
// Appends a real as printf "%.1f" writes it in the C locale (so -273.15f gives "-273.1").
void AppendKrfReal(std::string& out, double value);
// atoi: leading blanks, a sign and digits; 0 when there is no number.
int KrfAtoi(const char* text);
// A double narrowed to single precision; values past the single range become infinities.
float KrfToFloat(double value);

}  // namespace spectrel
