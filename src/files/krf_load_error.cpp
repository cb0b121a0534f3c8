#include "files/krf_load_error.h"

#include "files/day_load.h"

namespace spectrel {

std::string KrfLoadErrorText(int result) { return DayLoadErrorText(DayLoadErrorOf(result)); }

std::string KrfLoadErrorText(const KrfTimeError& error) { return error.what(); }

}  // namespace spectrel
