#include "base/build_info.h"

namespace spectrel {

const char* ReleaseVersion() { return SPECTREL_VERSION; }

std::string VersionLine(const std::string& program) {
  return program + " " + SPECTREL_VERSION + " (commit " + SPECTREL_COMMIT + ", " + SPECTREL_BUILD_TYPE + " build)";
}

}  // namespace spectrel
