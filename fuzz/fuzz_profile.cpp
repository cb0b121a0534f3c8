// Arbitrary bytes as a hand-edited profile, all in memory: reading, the check of its text and a
// settings load and save must not crash, and saving what was loaded must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/profile_check.h"
#include "settings/profile_file.h"
#include "settings/settings_io.h"

namespace {

std::string SavedFrom(spectrel::ProfileFile profile) {
  spectrel::AppSettings settings;
  settings.AppFolder = "/opt/spectrel/";
  spectrel::LoadSettingsFrom(settings, profile);
  spectrel::StoreSettingsTo(settings, profile);
  return profile.Serialize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const spectrel::ProfileFile profile = spectrel::ProfileFile::Parse(text);
  for (const spectrel::ProfileFinding& finding : spectrel::CheckProfileText(profile))
    if (finding.Where.empty() || finding.Text.empty()) std::abort();   // every finding says where and what
  const std::string saved = SavedFrom(profile);
  // A second load and save of the saved text changes nothing.
  if (SavedFrom(spectrel::ProfileFile::Parse(saved)) != saved) std::abort();
  return 0;
}
