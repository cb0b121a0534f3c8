// A scripted far end on a pseudo-terminal: every CR-ended command line written by the program is
// handed to a function whose result bytes are written back. Used where exact hand-composed bytes
// matter more than a plausible instrument.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace spectrel::testing {

class PtyResponder {
 public:
  // Reply bytes for one command line (given without its CR); empty = stay silent.
  using Handler = std::function<std::string(const std::string& command)>;

  explicit PtyResponder(Handler handler) : Reply(std::move(handler)) {
    char name[256] = {};
    if (::openpty(&Master, &Slave, name, nullptr, nullptr) != 0) return;
    Path = name;
    termios tio{};
    ::tcgetattr(Slave, &tio);
    ::cfmakeraw(&tio);  // no echo before the program has set up the line itself
    ::tcsetattr(Slave, TCSANOW, &tio);
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
    Worker = std::thread([this] { Run(); });
  }
  ~PtyResponder() {
    Stopping = true;
    if (Worker.joinable()) Worker.join();
    HangUp();
    if (Slave >= 0) ::close(Slave);
  }
  PtyResponder(const PtyResponder&) = delete;
  PtyResponder& operator=(const PtyResponder&) = delete;

  const std::string& DevicePath() const { return Path; }
  std::vector<std::string> Commands() const {
    std::lock_guard<std::mutex> lock(Mutex);
    return Received;
  }
  // Closes the far end: the line is gone for whoever has the device open.
  void HangUp() {
    std::lock_guard<std::mutex> lock(Mutex);
    if (Master >= 0) ::close(Master);
    Master = -1;
  }
  // Writes bytes to the program unasked.
  void Send(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(Mutex);
    WriteAll(bytes);
  }

 private:
  void Run() {
    std::string pending;
    while (!Stopping) {
      pollfd p{-1, POLLIN, 0};
      {
        std::lock_guard<std::mutex> lock(Mutex);
        p.fd = Master;
      }
      if (p.fd < 0) return;
      if (::poll(&p, 1, 5) <= 0) continue;
      char buf[512];
      std::lock_guard<std::mutex> lock(Mutex);
      const ssize_t got = Master < 0 ? 0 : ::read(Master, buf, sizeof buf);
      if (got <= 0) continue;
      pending.append(buf, static_cast<size_t>(got));
      for (size_t cr; (cr = pending.find('\r')) != std::string::npos; pending.erase(0, cr + 1)) {
        Received.push_back(pending.substr(0, cr));
        WriteAll(Reply(Received.back()));
      }
    }
  }
  // Caller holds the mutex.
  void WriteAll(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size() && Master >= 0;) {
      const ssize_t put = ::write(Master, bytes.data() + done, bytes.size() - done);
      pollfd p{Master, POLLOUT, 0};
      if (put > 0) done += static_cast<size_t>(put);
      else if (::poll(&p, 1, 1000) <= 0) return;
    }
  }

  Handler Reply;
  int Master = -1;
  int Slave = -1;
  std::string Path;
  mutable std::mutex Mutex;
  std::vector<std::string> Received;
  std::atomic<bool> Stopping{false};
  std::thread Worker;
};

}  // namespace spectrel::testing
