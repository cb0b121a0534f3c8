// The yearly event log "%Y.LOG" in the data folder: one line per event, appended, flushed to disk
// and closed at once, so the file can be read or copied at any time while the program runs.
#pragma once

#include <functional>
#include <string>

#include "base/clock.h"
#include "settings/app_settings.h"

namespace spectrel {

class EventLog {
 public:
  // complain gets the line for the operator when one cannot be written.
  EventLog(const AppSettings& settings, const Clock& clock, std::function<void(const std::string&)> complain)
      : Settings(settings), ClockRef(clock), Complain(std::move(complain)) {}
  // "YYYY/MM/DD,hh:mm:ss,MESSAGE\r\n"; false when the log file could not be written.
  bool Write(const std::string& message);

 private:
  const AppSettings& Settings;
  const Clock& ClockRef;
  std::function<void(const std::string&)> Complain;
};

// "ERROR MEAS SKIP" for one boundary left out, "ERROR MEAS SKIP n" for n of them.
std::string SkipMessage(std::int64_t boundaries);

}  // namespace spectrel
