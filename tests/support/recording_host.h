// A document host that records every event and queues the posted tasks and the timers; the test
// plays the document's thread by running them on its own thread. Only the task queue is shared
// with the workers; the rest is the test thread's alone, so a call from the wrong thread shows up
// as a race under the thread sanitizer.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "measure/document_host.h"
#include "measure/host_timers.h"

namespace spectrel::testing {

class RecordingHost : public DocumentHost {
 public:
  using Ms = std::chrono::milliseconds;

  // ---- Any thread ----
  void Post(std::function<void()> task) override {
    {
      std::lock_guard<std::mutex> lock(Mutex);
      Queue.push_back(std::move(task));
    }
    Arrived.notify_all();
  }

  // ---- The document's thread ----
  void CallAfter(Ms delay, std::function<void()> task) override { Timers.Add(delay, std::move(task)); }
  void StateChanged(const StateEvent& event) override {
    States.push_back(event.State);
    Title = event.Title;
  }
  void SensorStatusChanged(const SensorEvent& event) override {
    Statuses.push_back(event.Block);
    Beeps += event.AttemptFailed ? 1 : 0;
  }
  void ClockTicked(const std::string& text) override {   // once a second: counted, not listed
    LastClock = text;
    ++Clocks;
  }
  void CycleCompleted(const CycleSummary& summary) override { Cycles.push_back(summary); }
  bool Ask(const std::string& question) override {
    Questions.push_back(question);
    return Answer;
  }

  // ---- The test's side ----
  // Runs the posted tasks until done() holds (checked at the start and after every task) or
  // timeout passes. Returns done().
  bool PumpUntil(const std::function<bool()>& done, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= end) return false;
      if (LiveTimers) Timers.FireDue(now);
      // Waits for a task, at most until the next timer is due (or 20 ms to look at done again).
      const auto until = LiveTimers ? Timers.NextDue(now + Ms(20)) : now + Ms(20);
      RunOne(std::max(Ms(0), std::chrono::ceil<Ms>(until - now)));
    }
    return true;
  }
  // Runs tasks until a cycle has been completed.
  bool PumpCycle(Ms timeout) {
    const size_t before = Cycles.size();
    return PumpUntil([&] { return Cycles.size() > before; }, timeout);
  }
  // Runs every task until none arrives for quiet.
  void PumpQuiet(Ms quiet) {
    while (RunOne(quiet)) {
    }
  }
  // Fires the timers asked for so far, once each (the document's rhythm by hand).
  void FireTimers() { Timers.FireDue(std::chrono::steady_clock::time_point::max()); }
  std::string Status() const { return Statuses.empty() ? "" : Statuses.back(); }

  bool LiveTimers = false;             // timers fire by themselves once due while pumping
  bool Answer = true;                  // the answer to the stop question
  std::vector<MeasureState> States;    // every state told, in order
  std::string Title;
  std::vector<std::string> Statuses;   // every status block shown, in order
  int Beeps = 0;                       // failed attempts told
  std::string LastClock;
  int Clocks = 0;                      // clock lines shown
  std::vector<CycleSummary> Cycles;    // every cycle completed
  std::vector<std::string> Questions;  // every question asked
  HostTimers Timers;                   // asked for, not fired yet

 private:
  // Runs the next posted task, waiting at most wait for one; false when none came.
  bool RunOne(Ms wait) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(Mutex);
      if (!Arrived.wait_for(lock, wait, [this] { return !Queue.empty(); })) return false;
      task = std::move(Queue.front());
      Queue.pop_front();
    }
    task();
    return true;
  }
  std::mutex Mutex;
  std::condition_variable Arrived;
  std::deque<std::function<void()>> Queue;   // posted, not yet run
};

}  // namespace spectrel::testing
