// Kept for the tests of other folders that include it from here.
#pragma once
#include "support/comma_locale.h"
