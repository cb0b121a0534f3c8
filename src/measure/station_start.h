// What a measuring front end makes sure of before it measures into a data folder: the profile
// checked as the station will use it, the data folder made (so that the first "APP START" is in
// its event log) and the folder's lock taken (so that no second station interleaves its points
// with this one's). The desktop program and spectrel-cli call the same functions.
#pragma once

#include <string>

#include "base/folder_lock.h"
#include "settings/profile_check.h"

namespace spectrel {

class CSpectrelDoc;

// Whether this user can open the port now: empty when it can, otherwise why not.
PortProblem PortProblemOf(const std::string& port);

// How a front end starts on its profile.
struct StartProfile {
  std::string Path;               // the profile read (it may not exist)
  bool Named = false;             // the operator named it (--profile): a missing file is an error
  std::string AppFolder;          // where the data folders default to, ending with '/'
  bool SimulatedSensors = false;  // simulated sensors take the ports' place: the profile's choice
                                  // of sensors and its ports are not judged
  bool DataFolderGiven = false;   // the data folder is given apart from the profile (--data): the
                                  // profile's folders are not judged
  bool Interval = true;           // interval measurement: a window that never measures refuses it
                                  // (a manual measurement keeps to no window)
};

// The profile check of a start. Errors refuse the start (FindingLine says each); warnings are
// said once, by the front end and in the event log (LogStartFindings).
ProfileCheck CheckStartProfile(const StartProfile& start);

// Whether a station may measure into a data folder.
struct FolderClaim {
  enum class Outcome { Taken, Unusable, Held };
  Outcome Result = Outcome::Taken;
  // Unusable or Held: one line, "what happened: why; what to do", with the holder's process id
  // and program or the system's reason. Empty when taken.
  std::string Text;
  explicit operator bool() const { return Result == Outcome::Taken; }
};

// Makes the data folder (ending with '/', or empty for the current folder) with its parents and
// takes its lock for program ("spectrel-cli run", "spectrel"). The lock is held until lock is
// released or destroyed; a lock left by a process that is gone is taken over (see
// lock.TakenOverFrom()).
FolderClaim ClaimDataFolder(const std::string& folder, const std::string& program, FolderLock& lock);

// Logs what the start found that the event log keeps: a stale lock taken over ("APP LOCK TAKEN
// OVER") and each warning of the profile ("PROFILE WARNING ...").
void LogStartFindings(CSpectrelDoc& doc, const FolderLock& lock, const ProfileCheck& check);

}  // namespace spectrel
