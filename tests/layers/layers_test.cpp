// The layers of src/ as drawn: every `#include "folder/..."` of a source file must name its own
// folder or one below it. The table is the one place the layers are written down in code, and it
// lists only the edges the code uses, so a layer that stops needing another is seen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace spectrel {
namespace {

namespace fs = std::filesystem;

using Folders = std::set<std::string>;

const Folders Core = {"base", "spectrum", "files", "sensor", "settings", "measure"};

Folders With(Folders folders, const Folders& more) {
  folders.insert(more.begin(), more.end());
  return folders;
}

// What each folder of src/ may include besides itself.
const std::map<std::string, Folders> Allowed = {
    {"base", {}},
    {"spectrum", {"base"}},
    {"files", {"spectrum", "base"}},
    {"sensor", {"spectrum", "base"}},
    {"settings", {"base"}},
    {"measure", {"sensor", "files", "spectrum", "settings", "base"}},
    {"archive", {"base", "spectrum", "files"}},
    {"simulation", {"measure", "sensor", "spectrum", "settings"}},
    {"web", With(Core, {"archive"})},
    {"cli", With(Core, {"simulation", "archive", "web"})},
    {"ui", Core},
    {"app", {"base", "files", "measure", "sensor", "settings", "simulation", "ui"}},
};

TEST(Layers, EveryIncludeOfSrcStaysInsideItsLayer) {
  const fs::path src = fs::path(SPECTREL_SOURCE_DIR) / "src";
  const std::regex include(R"re(^\s*#\s*include\s*"([A-Za-z0-9_]+)/)re");
  int files = 0;
  std::map<std::string, Folders> used;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    ++files;
    const std::string folder = entry.path().lexically_relative(src).begin()->string();
    const auto rule = Allowed.find(folder);
    ASSERT_NE(rule, Allowed.end()) << "src/" << folder << " has no place in the layer table";
    std::ifstream in(entry.path());
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string target = m[1];
      if (target != folder && fs::is_directory(src / target)) used[folder].insert(target);
      if (target == folder || rule->second.count(target) != 0 || !fs::is_directory(src / target)) continue;
      ADD_FAILURE() << entry.path().lexically_relative(src.parent_path()).string() << ":" << number << ": "
                    << folder << " may not include " << target << " (" << line << ")";
    }
  }
  EXPECT_GT(files, 50);   // the walk found the sources
  for (const auto& [folder, allowed] : Allowed)
    EXPECT_EQ(used[folder], allowed) << "src/" << folder << ": the table allows only what the code includes";
}

}  // namespace
}  // namespace spectrel
