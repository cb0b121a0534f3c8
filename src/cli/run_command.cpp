#include <cstdio>

#include "cli/commands.h"

namespace spectrel::cli {

int RunCommand(const Args&) {
  std::fputs("spectrel-cli: 'run' is not available in this build\n", stderr);
  return 2;
}

}  // namespace spectrel::cli
