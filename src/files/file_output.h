// The durable whole-file writer and append live in base, where the profile writer reaches them
// too; the data files include them from here.
#pragma once

#include "base/file_output.h"
