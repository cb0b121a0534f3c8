#include "measure/event_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/local_time.h"
#include "base/unique_fd.h"
#include "files/station_names.h"

namespace spectrel {

bool EventLog::Write(const std::string& message) {
  // One clock reading gives both the file's year and the stamp, so a line written in the last
  // second of a year lands in that year's file.
  const std::int64_t now = ClockRef.Now();
  const std::string path = EventLogPath(Settings.KrfFolder, now);
  const std::string line = FormatLocal(now, "%Y/%m/%d,%H:%M:%S,") + message + "\r\n";

  // O_CREAT makes the file but never its folder: without the data folder the line is dropped.
  // O_NONBLOCK: a named pipe in the log's place is refused, never waited on.
  const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644));
  if (!fd) {
    // The line is not lost silently: the operator sees it with the reason.
    Complain("event log not written: " + path + ": " + std::strerror(errno) + ": " + message);
    return false;
  }
  ::flock(fd.Get(), LOCK_EX);  // other writers wait; readers are free
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd.Get(), line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  // The line reaches the disk before the cycle goes on, as the day file's points do: a power cut
  // never keeps a point and loses the record of what happened before it.
  const bool flushed = done == line.size() && ::fdatasync(fd.Get()) == 0;
  const int error = errno;
  ::flock(fd.Get(), LOCK_UN);
  if (!flushed) {
    Complain("event log not written: " + path + ": " + std::strerror(error) + ": " + message);
    return false;
  }
  return true;
}

std::string SkipMessage(std::int64_t boundaries) {
  return boundaries == 1 ? "ERROR MEAS SKIP" : "ERROR MEAS SKIP " + std::to_string(boundaries);
}

}  // namespace spectrel
