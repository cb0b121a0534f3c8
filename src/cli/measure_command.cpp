#include <cstdio>

#include "cli/commands.h"

namespace spectrel::cli {

int MeasureCommand(const Args&) {
  std::fputs("spectrel-cli: 'measure' is not available in this build\n", stderr);
  return 2;
}

}  // namespace spectrel::cli
