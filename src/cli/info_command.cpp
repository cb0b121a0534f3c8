#include <cstdio>

#include "cli/commands.h"

namespace spectrel::cli {

int InfoCommand(const Args&) {
  std::fputs("spectrel-cli: 'info' is not available in this build\n", stderr);
  return 2;
}

}  // namespace spectrel::cli
