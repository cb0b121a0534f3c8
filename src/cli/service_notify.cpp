#include "cli/service_notify.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#ifdef SPECTREL_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace spectrel::cli {

ServiceNotifier::ServiceNotifier() {
#ifdef SPECTREL_HAVE_SYSTEMD
  const char* socket = std::getenv("NOTIFY_SOCKET");
  Listening = socket != nullptr && *socket != '\0';
  std::uint64_t usec = 0;
  if (Listening && sd_watchdog_enabled(0, &usec) > 0) Watchdog = std::chrono::microseconds(usec);
#endif
}

void ServiceNotifier::Send(const std::string& state) {
#ifdef SPECTREL_HAVE_SYSTEMD
  if (Listening) sd_notify(0, state.c_str());
#else
  (void)state;
#endif
}

void ServiceNotifier::Ready() { Send("READY=1"); }

void ServiceNotifier::Stopping() { Send("STOPPING=1"); }

void ServiceNotifier::Status(const std::string& line) {
  std::string one = line;
  for (char& c : one)
    if (c == '\n' || c == '\r') c = ' ';
  Send("STATUS=" + one);
}

void ServiceNotifier::Tick() {
  if (Watchdog.count() != 0) Send("WATCHDOG=1");
}

bool StreamIsJournal(int fd) {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (stream == nullptr) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0) return false;
  const std::string expected = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  return expected == stream;
}

std::string ErrorPrefix() { return StreamIsJournal(2) ? "<3>" : ""; }

}  // namespace spectrel::cli
