#include "files/krf_load_error.h"

namespace spectrel {

std::string KrfLoadErrorText(int result) {
  switch (result) {
    case -1: return "not a day file";
    case -2: return "cannot be read";
    case -3: return "no such file";
    case -4: return "out of memory";
    default: return "cannot be loaded";
  }
}

std::string KrfLoadErrorText(const KrfTimeError& error) { return error.what(); }

}  // namespace spectrel
