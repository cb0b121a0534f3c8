// The station's file names moved to files/station_names.h; this header stays only until the
// desktop and the parts of the document that still include it are switched.
#pragma once

#include "files/station_names.h"
