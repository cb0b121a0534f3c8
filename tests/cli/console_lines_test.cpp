// The runner's console writer against a console that reads nothing: the lines it cannot take wait
// in the writer, never in the thread that writes them, and what did not fit is counted.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "cli/console_lines.h"

namespace spectrel::cli {
namespace {

TEST(ConsoleLines, AConsoleThatReadsNothingHoldsOnlyTheWriter) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::fcntl(fds[1], F_SETPIPE_SZ, 4096);   // full after about 40 lines
  std::FILE* out = ::fdopen(fds[1], "w");
  ASSERT_NE(out, nullptr);
  const std::size_t total = 3 * ConsoleLines::MaxQueued;   // more than the writer and its queue hold
  std::string read;
  std::thread reader;
  {
    ConsoleLines console(out);
    for (std::size_t i = 0; i < total; ++i) console.Write(std::string(99, 'x'));   // returns though nobody reads
    reader = std::thread([&] {
      char buffer[4096];
      for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) read.append(buffer, static_cast<std::size_t>(n));
    });
  }   // the console reads again: everything queued is written before the writer ends
  std::fclose(out);
  reader.join();
  ::close(fds[0]);
  std::size_t lines = 0, dropped = 0;
  for (std::size_t at = 0, end; (end = read.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = read.substr(at, end - at);
    if (line == std::string(99, 'x'))
      ++lines;
    else
      EXPECT_EQ(std::sscanf(line.c_str(), "(%zu lines not shown: the output was not read)", &dropped), 1) << line;
  }
  EXPECT_GE(dropped, 1u);
  EXPECT_EQ(lines + dropped, total);
}

}  // namespace
}  // namespace spectrel::cli
