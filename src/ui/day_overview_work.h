// Work of the day overview shared among the cores: items 0..count-1 taken in chunks from a common
// counter, so a thread that the system holds back leaves its share to the others.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace spectrel {

// Runs work(begin, end) over consecutive chunks of at most chunk items on the calling thread and
// up to one helper per further core; returns when all are done. work must be safe to run in
// parallel on distinct chunks.
template <typename Work>
void ShareWork(int count, int chunk, const Work& work) {
  chunk = std::max(1, chunk);
  std::atomic<int> next{0};
  auto run = [&] {
    for (int begin = next.fetch_add(chunk); begin < count; begin = next.fetch_add(chunk))
      work(begin, std::min(count, begin + chunk));
  };
  const int chunks = (count + chunk - 1) / chunk;
  const int helpers = std::min(static_cast<int>(std::thread::hardware_concurrency()), chunks) - 1;
  std::vector<std::thread> threads;
  for (int i = 0; i < helpers; ++i) threads.emplace_back(run);
  run();
  for (std::thread& thread : threads) thread.join();
}

}  // namespace spectrel
