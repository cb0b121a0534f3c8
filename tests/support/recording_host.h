// A document host that records every call and queues the workers' messages; the test plays the
// user-interface thread by pumping the queue into CSpectrelDoc::HandleMessage on its own thread.
// Only the queue and the beeps are shared with the workers; the rest is the test thread's alone,
// so a call from the wrong thread shows up as a race under the thread sanitizer.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "measure/document_host.h"
#include "measure/spectrel_doc.h"

namespace spectrel::testing {

class RecordingHost : public DocumentHost {
 public:
  using Ms = std::chrono::milliseconds;

  // ---- Any thread ----
  void PostWorkerMessage(WorkerMessage message) override {
    {
      std::lock_guard<std::mutex> lock(Mutex);
      Queue.push_back(message);
      Posted.push_back(message);
    }
    Arrived.notify_all();
  }
  void Beep() override { Beeps.fetch_add(1); }

  // ---- User-interface thread ----
  void ShowIntervalDialog(bool visible) override {
    Calls.push_back(visible ? "ShowIntervalDialog(true)" : "ShowIntervalDialog(false)");
    Visible = visible;
  }
  void SetIntervalDialogTitle(const std::string& title) override {
    Calls.push_back("SetIntervalDialogTitle(" + title + ")");
    DialogTitle = title;
  }
  void SetIntervalClock(const std::string& text) override {   // once a second: counted, not listed
    LastClock = text;
    ++Clocks;
  }
  void SetIntervalStatus(const std::string& text) override { Statuses.push_back(text); }
  bool ConfirmStopInterval(const std::string& question) override {
    Calls.push_back("ConfirmStopInterval(" + question + ")");
    return ConfirmAnswer;
  }
  void EnableClose(bool enabled) override { Calls.push_back(enabled ? "EnableClose(true)" : "EnableClose(false)"); }
  void UpdateAllViews() override { ++Views; }

  // ---- The test's side ----
  // Next queued message, waiting at most timeout for one.
  std::optional<WorkerMessage> Next(Ms timeout) {
    std::unique_lock<std::mutex> lock(Mutex);
    if (!Arrived.wait_for(lock, timeout, [this] { return !Queue.empty(); })) return std::nullopt;
    const WorkerMessage m = Queue.front();
    Queue.pop_front();
    return m;
  }
  // Hands messages to the document until done() holds (checked after every message and at the
  // start) or timeout passes. Returns done().
  bool PumpUntil(CSpectrelDoc& doc, const std::function<bool()>& done, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      const auto left = std::chrono::duration_cast<Ms>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return done();
      if (auto m = Next(std::min(left, Ms(20)))) doc.HandleMessage(*m);
    }
    return true;
  }
  // Hands every message to the document until none arrives for quiet.
  void PumpQuiet(CSpectrelDoc& doc, Ms quiet) {
    while (auto m = Next(quiet)) doc.HandleMessage(*m);
  }
  // Hands messages over until a CycleDone has been handled.
  bool PumpCycle(CSpectrelDoc& doc, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      const auto m = Next(Ms(20));
      if (m) doc.HandleMessage(*m);
      if (m == WorkerMessage::CycleDone) return true;
    }
    return false;
  }

  int Count(WorkerMessage message) const {
    std::lock_guard<std::mutex> lock(Mutex);
    return static_cast<int>(std::count(Posted.begin(), Posted.end(), message));
  }
  // The status block shown now.
  std::string Status() const { return Statuses.empty() ? "" : Statuses.back(); }

  bool ConfirmAnswer = true;           // the answer to the stop question
  std::atomic<int> Beeps{0};
  std::vector<std::string> Calls;      // dialog, question and close calls in order
  std::vector<std::string> Statuses;   // every status block shown, in order
  std::string DialogTitle;
  std::string LastClock;
  int Clocks = 0;                      // clock lines shown
  int Views = 0;                       // graph redraws
  bool Visible = false;                // the interval dialog

 private:
  mutable std::mutex Mutex;
  std::condition_variable Arrived;
  std::deque<WorkerMessage> Queue;      // posted, not yet handed over
  std::vector<WorkerMessage> Posted;    // everything ever posted
};

}  // namespace spectrel::testing
