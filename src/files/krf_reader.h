// The day file reader on a buffer in memory, the part of LoadKrf after the file was read.
#pragma once

#include <cstddef>

#include "spectrum/records.h"

namespace spectrel {

// Parses a whole day file held in memory into set, adding to what it holds. Returns the number of
// CRad in the set, or -1 when the data does not begin with "HD_KRF,". Throws KrfTimeError for an
// invalid time stamp: what was stored before stays in the set, the point or sensor block whose
// time is invalid is dropped.
int LoadKrfBuffer(CKrfData& set, const char* data, size_t size);

}  // namespace spectrel
