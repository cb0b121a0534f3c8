#include <cstdio>

#include "cli/commands.h"

namespace spectrel::cli {

int ExportCommand(const Args&) {
  std::fputs("spectrel-cli: 'export' is not available in this build\n", stderr);
  return 2;
}

}  // namespace spectrel::cli
