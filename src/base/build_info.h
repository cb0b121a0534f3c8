// What build of the programs this is, for --version and the About box: the release, the commit it
// was built from and how it was built.
#pragma once

#include <string>

namespace spectrel {

// "5.1"
const char* ReleaseVersion();
// "program 5.1 (commit 1a2b3c4 of 2026-12-06, Release build)"; the commit is "unknown" outside a
// git checkout.
std::string VersionLine(const std::string& program);

}  // namespace spectrel
