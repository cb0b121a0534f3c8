// Arbitrary bytes as a hand-edited profile, all in memory: reading and a settings load and save
// must not crash, and saving what was loaded must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/profile_file.h"
#include "settings/settings_io.h"

namespace {

std::string SavedFrom(std::string_view text) {
  spectrel::ProfileFile profile = spectrel::ProfileFile::Parse(text);
  spectrel::AppSettings settings;
  settings.AppFolder = "/opt/spectrel/";
  spectrel::LoadSettingsFrom(settings, profile);
  spectrel::StoreSettingsTo(settings, profile);
  return profile.Serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string saved = SavedFrom(std::string_view(reinterpret_cast<const char*>(data), size));
  // A second load and save of the saved text changes nothing.
  if (SavedFrom(saved) != saved) std::abort();
  return 0;
}
