// The profile checked before a station relies on it: every key it holds, where each effective
// setting came from, and each mistake an operator makes (a key misspelt, a value that reads as
// something else, a window that never measures, a folder that cannot be written), said out loud.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace spectrel {

// Note: no mistake, something a start does by itself (a folder it makes), said by the check only.
enum class FindingLevel { Note, Warning, Error };

struct ProfileFinding {
  FindingLevel Level = FindingLevel::Warning;
  std::string Where;   // "[USE] SR-102", "line 12", or the profile itself
  std::string Text;    // what is wrong and what to do, in one line
};

// One effective setting: the value the program uses and where it came from.
struct EffectiveSetting {
  std::string Section;
  std::string Key;
  std::string Value;      // as a save would write it
  bool FromFile = false;  // false: the default
};

struct ProfileCheck {
  std::string Path;                        // the profile checked
  bool Exists = false;                     // the file could be read
  AppSettings Settings;                    // as the program loads them
  std::vector<EffectiveSetting> Effective; // every persisted key, in profile order
  std::vector<ProfileFinding> Findings;    // errors and warnings, in the order found
  bool HasErrors() const;
  bool HasWarnings() const;
  // 0 clean, 1 warnings only, 2 errors.
  int ExitCode() const;
};

// What the checker asks of the machine beyond the file: whether a port can be opened by this
// user (an empty answer: yes; otherwise the reason, e.g. "no such device"). The profile layer
// does not know the serial devices; the caller does.
struct PortProblem {
  std::string Text;     // why the port cannot be used now; empty when it can
  bool Fatal = false;   // it never will without the operator (no permission), not just absent now
};
struct ProfileCheckHost {
  std::function<PortProblem(const std::string& port)> CheckPort;   // none: ports are not checked
};

// Checks the profile at path. named: the operator named the file (--profile), so a missing file
// is an error; otherwise a missing profile is a first start on defaults. appFolder: the folder
// the data folders default to (ends with '/').
ProfileCheck CheckProfile(const std::string& path, bool named, const std::string& appFolder,
                          const ProfileCheckHost& host = {});

class ProfileFile;
// What the profile's text alone tells, without looking at the machine: unknown sections and keys,
// repeated ones, lines that are no KEY=value, values that do not read as what they stand for.
std::vector<ProfileFinding> CheckProfileText(const ProfileFile& profile);

// Why interval measurement with these settings could never measure: an interval below 1 s (the
// profile keeps it as a signed 32-bit number, so INT=-1 reads as 4294967295), a window that never
// opens, opens after it closes or holds no multiple of the interval; empty when it can. The
// profile check says it, and every start of interval measurement refuses with it.
std::optional<ProfileFinding> WindowFinding(const AppSettings& settings);

// "error", "warning" or "note".
const char* LevelName(FindingLevel level);
// "error: [USE] SR-102: unknown key; did you mean SR102?"
std::string FindingLine(const ProfileFinding& finding);

}  // namespace spectrel
