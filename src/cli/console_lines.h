// The runner's lines on its console, written by a thread of their own: a console nobody reads (a
// pager left open, a pipe gone full) must not hold the document's thread, which measures and
// takes the stop signals. Lines that do not fit the queue are dropped and counted, and the count
// is said once the console takes lines again.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace spectrel::cli {

class ConsoleLines {
 public:
  static constexpr std::size_t MaxQueued = 1000;   // about a quarter of an hour of 1-s cycles

  explicit ConsoleLines(std::FILE* out);
  // Writes what is queued, waiting at most two seconds for a console that does not read.
  ~ConsoleLines();
  ConsoleLines(const ConsoleLines&) = delete;
  ConsoleLines& operator=(const ConsoleLines&) = delete;

  // Queues line and its line feed; written at once where no thread could be made.
  void Write(const std::string& line);
  // Threads of its own: 1 while the writer runs.
  int Threads() const { return Writer.joinable() ? 1 : 0; }

 private:
  struct Shared;
  std::shared_ptr<Shared> State;   // shared with the writer, which may outlive this object
  std::thread Writer;
};

}  // namespace spectrel::cli
