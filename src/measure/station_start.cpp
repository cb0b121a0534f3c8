#include "measure/station_start.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "measure/spectrel_doc.h"
#include "sensor/serial.h"
#include "sensor/serial_ports.h"

namespace spectrel {

PortProblem PortProblemOf(const std::string& port) {
  const std::string device = CSerial::DeviceName(port);
  if (device.empty()) return {"not a port", true};
  const SerialPortEntry entry = PortAccessOf(device);
  switch (entry.Access) {
    case PortAccess::Available: return {};
    case PortAccess::Missing: return {"no such device now (it is watched and used once it appears)", false};
    case PortAccess::NoPermission:
      return {AccessText(entry) + " for this user (add the user to the device's group and log in again)", true};
    case PortAccess::Busy: return {AccessText(entry), false};
  }
  return {};
}

ProfileCheck CheckStartProfile(const StartProfile& start) {
  ProfileCheckHost host;
  // A port absent or busy now is watched by the measurement, which says so in the sensor's status
  // and the event log; only a port that never works without the operator is the profile's mistake.
  if (!start.SimulatedSensors)
    host.CheckPort = [](const std::string& port) {
      const PortProblem problem = PortProblemOf(port);
      return problem.Fatal ? problem : PortProblem{};
    };
  ProfileCheck check = CheckProfile(start.Path, start.Named, start.AppFolder, host);
  // What the start replaces is no mistake of the profile's.
  const std::optional<ProfileFinding> window = WindowFinding(check.Settings);
  // What the start does by itself (a folder it makes) is no news at a start.
  const auto replaced = [&](const ProfileFinding& f) {
    const auto in = [&f](const char* section) { return f.Where.rfind(section, 0) == 0; };
    return f.Level == FindingLevel::Note || (start.SimulatedSensors && (in("[COM]") || in("[USE]"))) || (start.DataFolderGiven && in("[DIR]")) ||
           (!start.Interval && window && f.Where == window->Where && f.Text == window->Text);
  };
  check.Findings.erase(std::remove_if(check.Findings.begin(), check.Findings.end(), replaced), check.Findings.end());
  return check;
}

FolderClaim ClaimDataFolder(const std::string& folder, const std::string& program, FolderLock& lock) {
  const std::string shown = folder.empty() ? std::string("./") : folder;
  if (!folder.empty()) {
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (!failed && !std::filesystem::is_directory(folder, failed)) failed = std::make_error_code(std::errc::not_a_directory);
    if (failed)
      return {FolderClaim::Outcome::Unusable, "cannot make the data folder " + shown + ": " + failed.message() +
                                                  "; choose a folder this user can write"};
  }
  if (lock.Acquire(folder, program)) return {};
  if (lock.Holder().empty())
    return {FolderClaim::Outcome::Unusable, "cannot lock the data folder " + shown + ": " + lock.Error() +
                                                "; make the folder writable for this user"};
  return {FolderClaim::Outcome::Held, "the data folder " + shown + " is in use by another station (" + lock.Holder() +
                                          "): two stations would interleave their points; stop that one or "
                                          "measure into another folder"};
}

void LogStartFindings(CSpectrelDoc& doc, const FolderLock& lock, const ProfileCheck& check) {
  // The station before this one ended without a stop (killed, or the power failed).
  if (!lock.TakenOverFrom().empty()) doc.WriteLog("APP LOCK TAKEN OVER");
  for (const ProfileFinding& f : check.Findings)
    if (f.Level == FindingLevel::Warning) doc.WriteLog("PROFILE WARNING " + f.Where + ": " + f.Text);
}

}  // namespace spectrel
