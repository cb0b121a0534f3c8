// The timers a host without an event loop of its own keeps for its document's CallAfter: the
// headless runner's loop and the tests' recording host fire them once due.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace spectrel {

class HostTimers {
 public:
  using Time = std::chrono::steady_clock::time_point;
  struct Timer {
    std::chrono::milliseconds Delay;   // as asked for
    Time Due;
    std::function<void()> Task;
  };

  void Add(std::chrono::milliseconds delay, std::function<void()> task) {
    Pending.push_back({delay, std::chrono::steady_clock::now() + delay, std::move(task)});
  }
  // The earliest due time, or later when no timer is due before it.
  Time NextDue(Time later) const {
    for (const Timer& timer : Pending) later = std::min(later, timer.Due);
    return later;
  }
  // Runs every timer due at now, once; the tasks may ask for new timers.
  void FireDue(Time now = std::chrono::steady_clock::now()) {
    const auto firstLater = std::stable_partition(Pending.begin(), Pending.end(), [now](const Timer& t) { return t.Due <= now; });
    std::vector<Timer> due(std::make_move_iterator(Pending.begin()), std::make_move_iterator(firstLater));
    Pending.erase(Pending.begin(), firstLater);
    for (Timer& timer : due) timer.Task();
  }
  const std::vector<Timer>& List() const { return Pending; }

 private:
  std::vector<Timer> Pending;   // asked for, not fired yet
};

}  // namespace spectrel
