// Work of the day overview shared among the cores through Qt Concurrent: the items 0..count-1 cut
// into consecutive chunks that the application's pool and the calling thread take in turn.
#pragma once

#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <utility>
#include <vector>

namespace spectrel {

// Runs work(begin, end) over the chunks of at most chunk items and returns when all are done.
// work must be safe to run in parallel on distinct chunks.
template <typename Work>
void ShareWork(int count, int chunk, const Work& work) {
  chunk = std::max(1, chunk);
  std::vector<std::pair<int, int>> chunks;
  for (int begin = 0; begin < count; begin += chunk) chunks.emplace_back(begin, std::min(count, begin + chunk));
  QtConcurrent::blockingMap(chunks, [&work](const std::pair<int, int>& c) { work(c.first, c.second); });
}

}  // namespace spectrel
