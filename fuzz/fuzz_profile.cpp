// Arbitrary bytes as a hand-edited profile: reading, settings load and save in memory and through
// a real file must not crash, and saving what was loaded must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/profile.h"
#include "settings/settings_io.h"

namespace {

// A private folder for the file round trip, removed at exit. Kept in a plain buffer so that it
// outlives every other static when the exit handler runs.
char gScratch[4096];

std::string ScratchFolder() {
  if (gScratch[0] == '\0') {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "fuzz-profile-XXXXXX").string();
    if (pattern.size() + 2 > sizeof gScratch) std::abort();
    pattern.copy(gScratch, pattern.size());
    if (::mkdtemp(gScratch) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(gScratch, ec);
    });
  }
  return std::string(gScratch) + "/";
}

std::string SavedFrom(const std::string& text) {
  spectrel::ProfileFile profile = spectrel::ProfileFile::Parse(text);
  spectrel::AppSettings settings;
  settings.AppFolder = "/opt/spectrel/";
  spectrel::LoadSettingsFrom(settings, profile);
  spectrel::StoreSettingsTo(settings, profile);
  return profile.Serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // Memory: a second load and save of the saved text changes nothing.
  const std::string saved = SavedFrom(input);
  if (SavedFrom(saved) != saved) std::abort();

  // File: the same bytes on disk give the same saved profile. A save waits for the disk, so only
  // one input in sixteen (chosen by its length, to stay reproducible) takes this road.
  if (size % 16 != 0) return 0;
  const std::string path = ScratchFolder() + "spectrel.ini";
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(input.data(),
                                                                 static_cast<std::streamsize>(size));
  spectrel::AppSettings settings;
  settings.AppFolder = "/opt/spectrel/";
  spectrel::LoadSettings(settings, path);
  if (!spectrel::SaveSettings(settings, path)) std::abort();
  std::ifstream in(path, std::ios::binary);
  std::ostringstream onDisk;
  onDisk << in.rdbuf();
  if (onDisk.str() != saved) std::abort();
  return 0;
}
