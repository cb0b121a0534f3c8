#include "cli/console_lines.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

namespace spectrel::cli {

struct ConsoleLines::Shared {
  explicit Shared(std::FILE* out) : Out(out) {}
  std::FILE* Out;
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<std::string> Lines;   // queued, not yet written
  std::size_t Dropped = 0;         // lines left out since the last that was written
  bool Closing = false;            // no more lines come: write the rest and end
  bool Done = false;               // the writer has written everything and ends

  // Straight to the descriptor, past the stream's buffer and its lock: a write held by a console
  // that reads nothing must not hold the flush of the streams when the program ends.
  void Put(std::string line) {
    line += '\n';
    const int fd = ::fileno(Out);
    for (std::size_t done = 0; done < line.size();) {
      const ssize_t put = ::write(fd, line.data() + done, line.size() - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return;   // a reader gone: the line is lost, as a line is
      done += static_cast<std::size_t>(put);
    }
  }

  void Run() {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
      Changed.wait(hold, [this] { return Closing || !Lines.empty() || Dropped > 0; });
      std::deque<std::string> lines;
      lines.swap(Lines);
      const std::size_t dropped = std::exchange(Dropped, 0);
      const bool last = Closing;
      hold.unlock();
      // A write that blocks holds only this thread.
      for (const std::string& line : lines) Put(line);
      if (dropped > 0) Put("(" + std::to_string(dropped) + " lines not shown: the output was not read)");
      hold.lock();
      if (last && Lines.empty() && Dropped == 0) break;
    }
    Done = true;
    Changed.notify_all();
  }
};

ConsoleLines::ConsoleLines(std::FILE* out) : State(std::make_shared<Shared>(out)) {
  try {
    Writer = std::thread([state = State] { state->Run(); });
  } catch (const std::system_error&) {
    // Without a thread the lines are written as they come.
  }
}

ConsoleLines::~ConsoleLines() {
  if (!Writer.joinable()) return;
  std::unique_lock<std::mutex> hold(State->Lock);
  State->Closing = true;
  State->Changed.notify_all();
  if (State->Changed.wait_for(hold, std::chrono::seconds(2), [this] { return State->Done; })) {
    hold.unlock();
    Writer.join();
  } else {
    // The console reads nothing: the writer stays blocked until the process ends.
    hold.unlock();
    Writer.detach();
  }
}

void ConsoleLines::Write(const std::string& line) {
  if (!Writer.joinable()) {
    State->Put(line);
    return;
  }
  {
    std::lock_guard<std::mutex> hold(State->Lock);
    if (State->Lines.size() >= MaxQueued) {
      ++State->Dropped;
      return;
    }
    State->Lines.push_back(line);
  }
  State->Changed.notify_one();
}

}  // namespace spectrel::cli
