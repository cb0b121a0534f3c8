#include <cstdio>

#include "cli/commands.h"

namespace spectrel::cli {

int ProbeCommand(const Args&) {
  std::fputs("spectrel-cli: 'probe' is not available in this build\n", stderr);
  return 2;
}

}  // namespace spectrel::cli
