// Running spectrel-cli as a child process: arguments and environment in, exit status and both
// output streams out, with SIGTERM sent once its output shows what the test waits for. Plus
// readers for the cycle lines and the event log.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/local_time.h"
#include "support/temp_dir.h"

namespace spectrel::runner_test {

const std::string Cli = SPECTREL_CLI;

// What "threads left at exit" reads after a clean stop: none of the program's own; under the
// thread sanitizer its runtime keeps one background thread of its own.
#if defined(__SANITIZE_THREAD__)
inline const std::string CleanExitThreads = "threads left at exit: 1\n";
#else
inline const std::string CleanExitThreads = "threads left at exit: 0\n";
#endif

using Args = std::vector<std::string>;

// A command line: head, then tail.
inline Args Joined(Args head, const Args& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}
using testing::ReadBytes;
using testing::WriteBytes;

// A fresh folder per test, removed with everything in it at the end.
class CliTest : public ::testing::Test {
 protected:
  testing::TempDir Temp;
  std::string Dir = Temp.Path + "/";   // ends with '/'
};

struct Finished {
  int Exit = -1;             // exit status, -1 when it did not exit normally
  bool TimedOut = false;     // killed because it ran past 20 s
  std::string Out, Err;      // everything it wrote to stdout and stderr
};

// Runs argv in the C locale with env ("NAME=value") added; sends SIGTERM once until(stdout so far)
// holds. "JOURNAL_STREAM=stderr" names the stderr file as the journal's stream.
inline Finished RunCli(const Args& argv, const Args& env = {},
                       const std::function<bool(const std::string&)>& until = nullptr) {
  Finished r;
  int out[2];
  char errName[] = "/tmp/cli-err-XXXXXX";   // stderr goes to a nameless file, read at the end
  const int err = ::mkstemp(errName);
  if (err < 0 || ::pipe(out) != 0) return r;
  ::unlink(errName);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err, 2);
    ::close(out[0]);
    ::setenv("LC_ALL", "C", 1);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    if (::getenv("JOURNAL_STREAM") && std::string(::getenv("JOURNAL_STREAM")) == "stderr") {
      struct stat st{};   // stderr announced as the journal's own stream, as the service manager does
      ::fstat(err, &st);
      ::setenv("JOURNAL_STREAM", (std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)).c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(out[1]);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (bool signalled = false;;) {
    if (until && !signalled && until(r.Out)) signalled = ::kill(pid, SIGTERM) == 0;
    if (std::chrono::steady_clock::now() >= end) {
      r.TimedOut = ::kill(pid, SIGKILL) == 0;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    r.Out.append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.Err = ReadBytes("/proc/self/fd/" + std::to_string(err));
  ::close(err);
  return r;
}

// A cycle line of the runner: cycle time, sensors stored, day file and CSV file.
struct CycleReport {
  std::string Stamp;     // "YYYY/MM/DD HH:MM:SS" local
  std::string Sensors;   // "SR-101 SR-103" or "no sensor"
  std::string Integral;  // "Integral : ...W/m2(300 - 1800nm)" as printed with the graph, or empty
  std::string DayFile;
  std::string CsvFile;
};

inline std::vector<CycleReport> CycleReports(const std::string& out) {
  static const std::regex line(R"(^(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d) stored (.+?))"
                               R"((?:  (Integral : \S+W/m2\(\d+ - \d+nm\)))?  day file (\S.*)  CSV (\S.*)$)");
  std::vector<CycleReport> reports;
  std::istringstream in(out);
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (std::regex_match(text, m, line)) reports.push_back({m[1], m[2], m[3], m[4], m[5]});
  }
  return reports;
}

// Seconds since 1970 of a local "YYYY/MM/DD HH:MM:SS".
inline std::int64_t StampTime(const std::string& stamp) {
  std::tm local{};
  std::istringstream(stamp) >> std::get_time(&local, "%Y/%m/%d %H:%M:%S");
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

// This year's event log in folder.
inline std::string LogPath(const std::string& folder) {
  return folder + FormatLocal(static_cast<std::int64_t>(std::time(nullptr)), "%Y.LOG");
}

// The messages of this year's event log in folder, in order: each line without its
// "YYYY/MM/DD,HH:MM:SS," stamp and its "\r\n" (the line's form is the event log's own test).
// What the machine's clock is like ("CLOCK UNSYNC") is left out: it belongs to the machine.
inline std::vector<std::string> LogMessages(const std::string& folder) {
  std::vector<std::string> messages;
  std::istringstream in(ReadBytes(LogPath(folder)));
  for (std::string line; std::getline(in, line);) {
    const std::string message = line.size() > 21 ? line.substr(20, line.size() - 21) : line;
    if (message.rfind("CLOCK ", 0) != 0) messages.push_back(message);
  }
  return messages;
}

// The lines of a clean measuring session in the event log.
inline const std::vector<std::string> CleanLog{"APP START", "INT.MEAS START", "INT.MEAS STOP", "APP CLOSE"};

}  // namespace spectrel::runner_test
