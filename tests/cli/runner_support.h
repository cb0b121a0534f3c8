// Running spectrel-cli as a child process from the runner's tests: arguments in, exit status and
// both output streams out, with a way to signal it while it runs. Plus small file helpers.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace spectrel::runner_test {

// What "threads left at exit" reads after a clean stop: none of the program's own; under the
// thread sanitizer its runtime keeps one background thread of its own.
#if defined(__SANITIZE_THREAD__)
inline const std::string CleanExitThreads = "threads left at exit: 1\n";
#else
inline const std::string CleanExitThreads = "threads left at exit: 0\n";
#endif

// A fresh folder per test, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "runner-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) Path = pattern + "/";
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!Path.empty()) std::filesystem::remove_all(Path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Path;   // ends with '/'
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

struct Finished {
  int ExitCode = -1;     // exit status, -1 when it did not exit normally
  int Signal = 0;        // the signal that ended it, 0 when it exited
  bool TimedOut = false; // killed because it ran past the allowed time
  std::string Out;       // everything it wrote to stdout
  std::string Err;       // everything it wrote to stderr
};

class ChildProcess {
 public:
  // Starts the program with the C locale (English status texts).
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    Pid = ::fork();
    if (Pid == 0) {
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      ::close(out[0]);
      ::close(out[1]);
      ::close(err[0]);
      ::close(err[1]);
      ::setenv("LC_ALL", "C", 1);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    OutFd = out[0];
    ErrFd = err[0];
  }
  ~ChildProcess() {
    if (Pid > 0 && !Reaped) {
      ::kill(Pid, SIGKILL);
      ::waitpid(Pid, nullptr, 0);
    }
    if (OutFd >= 0) ::close(OutFd);
    if (ErrFd >= 0) ::close(ErrFd);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return Pid > 0; }

  // Reads output until done(stdout so far) holds or the time is up; true when it held.
  bool WaitForOutput(const std::function<bool(const std::string&)>& done,
                     std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done(Result.Out)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      if (!ReadSome(static_cast<int>(std::min<long long>(left.count(), 200)))) {
        return done(Result.Out);   // both streams closed: the program has ended
      }
    }
    return true;
  }

  void SendSignal(int signal) const {
    if (Pid > 0) ::kill(Pid, signal);
  }

  // Reads both streams to their end and reaps the child; SIGKILL after the limit.
  Finished Finish(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (OutFd >= 0 || ErrFd >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        Result.TimedOut = true;
        ::kill(Pid, SIGKILL);
        break;
      }
      ReadSome(static_cast<int>(std::min<long long>(left.count(), 200)));
    }
    int status = 0;
    if (Pid > 0 && ::waitpid(Pid, &status, 0) == Pid) {
      Reaped = true;
      if (WIFEXITED(status)) Result.ExitCode = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) Result.Signal = WTERMSIG(status);
    }
    return Result;
  }

 private:
  // One poll over the open streams; false when both are closed.
  bool ReadSome(int timeoutMs) {
    pollfd fds[2];
    int count = 0;
    if (OutFd >= 0) fds[count++] = {OutFd, POLLIN, 0};
    if (ErrFd >= 0) fds[count++] = {ErrFd, POLLIN, 0};
    if (count == 0) return false;
    if (::poll(fds, static_cast<nfds_t>(count), timeoutMs) <= 0) return true;
    for (int i = 0; i < count; ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      const bool isOut = fds[i].fd == OutFd;
      if (n > 0) {
        (isOut ? Result.Out : Result.Err).append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        (isOut ? OutFd : ErrFd) = -1;
      }
    }
    return true;
  }

  pid_t Pid = -1;
  bool Reaped = false;
  int OutFd = -1;
  int ErrFd = -1;
  Finished Result;
};

// Runs the program to its end (at most limit).
inline Finished RunToEnd(const std::vector<std::string>& argv,
                         std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  ChildProcess child(argv);
  return child.Finish(limit);
}

// The lines of a text, split at "\n" (a trailing "\r" stays on its line).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// A cycle line of the runner: cycle time, sensors stored, integral, day file and CSV file.
struct CycleReport {
  std::string Stamp;     // "YYYY/MM/DD HH:MM:SS" local
  std::string Sensors;   // "SR-101 SR-103" or "no sensor"
  std::string DayFile;
  std::string CsvFile;
};

inline std::vector<CycleReport> CycleReports(const std::string& out) {
  static const std::regex line(
      R"(^(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d) stored (.+?)(  Integral : \S+W/m2\(\d+ - \d+nm\))?  day file (\S.*)  CSV (\S.*)$)");
  std::vector<CycleReport> reports;
  for (const std::string& text : Lines(out)) {
    std::smatch m;
    if (std::regex_match(text, m, line)) reports.push_back({m[1], m[2], m[4], m[5]});
  }
  return reports;
}

// Seconds since 1970 of a local "YYYY/MM/DD HH:MM:SS".
inline std::int64_t StampTime(const std::string& stamp) {
  std::tm local{};
  if (std::sscanf(stamp.c_str(), "%d/%d/%d %d:%d:%d", &local.tm_year, &local.tm_mon, &local.tm_mday,
                  &local.tm_hour, &local.tm_min, &local.tm_sec) != 6) {
    return -1;
  }
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

// The messages of the event log, in order, after checking that every line has the
// "YYYY/MM/DD,HH:MM:SS," stamp and ends with "\r\n". A malformed line is returned as "BAD:" + line.
inline std::vector<std::string> LogMessages(const std::string& bytes) {
  static const std::regex stamp(R"(^\d{4}/\d\d/\d\d,\d\d:\d\d:\d\d,)");
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      messages.push_back("BAD:" + bytes.substr(start));
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    std::smatch m;
    if (line.find('\n') != std::string::npos || !std::regex_search(line, m, stamp)) {
      messages.push_back("BAD:" + line);
    } else {
      messages.push_back(line.substr(20));   // "YYYY/MM/DD,HH:MM:SS," is 20 bytes
    }
    start = end + 2;
  }
  return messages;
}

// The event log of the current year in folder.
inline std::string CurrentLogPath(const std::string& folder) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char name[16];
  std::strftime(name, sizeof name, "%Y.LOG", &local);
  return folder + name;
}

}  // namespace spectrel::runner_test
