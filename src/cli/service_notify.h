// The runner as a system service: readiness, a one-line status and watchdog pings for the service
// manager (when built with libsystemd and started by it), and error lines the journal files at
// error priority. Outside a service every call does nothing.
#pragma once

#include <chrono>
#include <string>

namespace spectrel::cli {

class ServiceNotifier {
 public:
  ServiceNotifier();
  // The service manager listens (a notification socket was handed to this process).
  bool Active() const { return Listening; }
  void Ready();
  void Stopping();
  // The status line the service manager shows ("systemctl status").
  void Status(const std::string& line);
  // Pings the watchdog. Called from every tick of the measurement's own rhythm (once a second),
  // so a measurement loop that stops ticking stops the pings and the service manager restarts
  // the station; a watchdog interval of 2 s or more keeps the pings within half of it.
  void Tick();
  // The watchdog interval asked for by the service manager; zero when none.
  std::chrono::microseconds WatchdogInterval() const { return Watchdog; }

 private:
  void Send(const std::string& state);

  bool Listening = false;
  std::chrono::microseconds Watchdog{0};
};

// Whether the stream (1 stdout, 2 stderr) is connected to the journal: JOURNAL_STREAM names its
// device and inode.
bool StreamIsJournal(int fd);
// "<3>" before an error line when stderr goes to the journal, so it is filed as an error.
std::string ErrorPrefix();

}  // namespace spectrel::cli
