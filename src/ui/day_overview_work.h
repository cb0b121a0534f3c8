// Work of the day overview shared among the cores: items 0..count-1 taken in chunks from a common
// counter by the calling thread and by the application's pool threads, so a thread that the
// system holds back leaves its share to the others.
#pragma once

#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace spectrel {

// Runs work(begin, end) over consecutive chunks of at most chunk items and returns when all are
// done. work must be safe to run in parallel on distinct chunks. The caller never waits for a
// pool thread that has not yet begun: once the caller has run out of chunks, late helpers leave.
template <typename Work>
void ShareWork(int count, int chunk, const Work& work) {
  struct State {
    std::atomic<int> next{0};         // first item not yet taken
    std::mutex lock;
    std::condition_variable idle;
    int active = 0;                   // helpers taking chunks
    bool closed = false;              // the caller has finished: no helper may begin
  };
  chunk = std::max(1, chunk);
  const auto state = std::make_shared<State>();
  auto run = [state, count, chunk, &work] {
    for (int begin = state->next.fetch_add(chunk); begin < count; begin = state->next.fetch_add(chunk))
      work(begin, std::min(count, begin + chunk));
  };
  const int helpers = std::min(QThread::idealThreadCount(), (count + chunk - 1) / chunk) - 1;
  for (int i = 0; i < helpers; ++i) {
    QThreadPool::globalInstance()->start([state, run] {
      {
        const std::lock_guard<std::mutex> hold(state->lock);
        if (state->closed) return;
        ++state->active;
      }
      run();
      const std::lock_guard<std::mutex> hold(state->lock);
      --state->active;
      state->idle.notify_all();
    });
  }
  run();
  std::unique_lock<std::mutex> hold(state->lock);
  state->closed = true;
  state->idle.wait(hold, [&state] { return state->active == 0; });
}

}  // namespace spectrel
