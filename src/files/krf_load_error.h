// Why a day file did not load completely, in the words of files/day_load.h: kept for the desktop
// until it reads its days with archive::LoadDayFile.
#pragma once

#include <string>

#include "spectrum/records.h"

namespace spectrel {

// The text of a negative reader result: -1 "not a day file", -2 "cannot be read",
// -3 "no such file", -4 "out of memory"; "cannot be loaded" for any other code.
std::string KrfLoadErrorText(int result);

// The text of a time stamp that stopped the reading: what the reader says of it.
std::string KrfLoadErrorText(const KrfTimeError& error);

}  // namespace spectrel
