// Helpers of the web tests: raw HTTP exchanges on the loopback (so that hostile bytes go out
// exactly as written) and programs run in the background until the test ends.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/unique_fd.h"

namespace spectrel::web_test {

using namespace std::chrono_literals;

// A socket connected to 127.0.0.1:port; invalid when the connection was refused. A non-blocking
// one is kept while its connection is still under way.
inline UniqueFd Connect(int port, int flags = 0) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && !(flags & SOCK_NONBLOCK)) fd.Reset();
  return fd;
}

// Everything the peer sends until it closes or wait passes; Closed tells which.
struct Received {
  std::string Bytes;
  bool Closed = false;
};
inline Received ReadUntilClosed(int fd, std::chrono::milliseconds wait) {
  Received r;
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return r;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[65536];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) {
      r.Closed = true;
      return r;
    }
    r.Bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

// The status code of an HTTP answer, 0 when there is none.
inline int StatusOf(const std::string& answer) {
  return answer.rfind("HTTP/1.", 0) == 0 && answer.size() >= 12 ? std::stoi(answer.substr(9, 3)) : 0;
}

// Sends request bytes as written (with "Connection: close" added by the caller when wanted) and
// returns what came back within wait.
inline std::string Exchange(int port, const std::string& request, std::chrono::milliseconds wait = 5000ms) {
  UniqueFd fd = Connect(port);
  if (!fd) return {};
  ::send(fd.Get(), request.data(), request.size(), MSG_NOSIGNAL);
  return ReadUntilClosed(fd.Get(), wait).Bytes;
}
inline std::string Get(int port, const std::string& path, const std::string& headers = "") {
  return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + headers + "\r\n");
}

// A program running in the background until Stop or the end of the scope; its stdout is read
// line by line.
class Background {
 public:
  explicit Background(const std::vector<std::string>& argv) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    Pid = ::fork();
    if (Pid == 0) {
      ::dup2(out[1], 1);
      ::setenv("LC_ALL", "C", 1);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    Out.Reset(out[0]);
  }
  ~Background() { Stop(); }
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  // Output so far, waiting up to wait for a line that holds text; "" when none came.
  std::string WaitFor(const std::string& text, std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (Seen.find(text) == std::string::npos || Seen.find('\n', Seen.find(text)) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p{Out.Get(), POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char buffer[4096];
      const ssize_t n = ::read(Out.Get(), buffer, sizeof buffer);
      if (n <= 0) return {};
      Seen.append(buffer, static_cast<std::size_t>(n));
    }
    return Seen;
  }
  // SIGTERM, then the exit status (-1 when it did not exit normally within 10 s).
  int Stop() {
    if (Pid <= 0) return Exit;
    ::kill(Pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && ::waitpid(Pid, &status, WNOHANG) == 0; ++i) ::usleep(100000);
    if (::waitpid(Pid, &status, WNOHANG) == 0) {
      ::kill(Pid, SIGKILL);
      ::waitpid(Pid, &status, 0);
    }
    Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Pid = -1;
    return Exit;
  }

 private:
  pid_t Pid = -1;
  UniqueFd Out;
  std::string Seen;
  int Exit = -1;
};

// The port in a "serving http://HOST:PORT/ ..." line; 0 when there is none.
inline int ServedPort(const std::string& out) {
  const std::size_t at = out.find("serving http://");
  if (at == std::string::npos) return 0;
  const std::size_t colon = out.find(':', at + 15);
  return colon == std::string::npos ? 0 : std::atoi(out.c_str() + colon + 1);
}

}  // namespace spectrel::web_test
