// A document host that records every call and queues the workers' messages; the test plays the
// user-interface thread by pumping the queue into CSpectrelDoc::HandleMessage on its own thread.
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
    Record(visible ? "ShowIntervalDialog(true)" : "ShowIntervalDialog(false)");
    std::lock_guard<std::mutex> lock(Mutex);
    DialogVisible = visible;
  }
  void SetIntervalDialogTitle(const std::string& title) override {
    Record("SetIntervalDialogTitle(" + title + ")");
    std::lock_guard<std::mutex> lock(Mutex);
    Title = title;
  }
  void SetIntervalClock(const std::string& text) override {
    // Once a second: counted, not listed.
    std::lock_guard<std::mutex> lock(Mutex);
    ClockText = text;
    ++ClockCount;
  }
  void SetIntervalStatus(const std::string& text) override {
    std::lock_guard<std::mutex> lock(Mutex);
    StatusBlock = text;
    StatusHistory.push_back(text);
  }
  bool ConfirmStopInterval(const std::string& question) override {
    Record("ConfirmStopInterval(" + question + ")");
    return ConfirmAnswer;
  }
  void EnableClose(bool enabled) override { Record(enabled ? "EnableClose(true)" : "EnableClose(false)"); }
  void UpdateAllViews() override {
    std::lock_guard<std::mutex> lock(Mutex);
    ++ViewUpdates;
  }

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
      if (auto m = Next(std::min(left, Ms(20)))) Hand(doc, *m);
    }
    return true;
  }
  // Hands every message to the document until none arrives for quiet.
  void PumpQuiet(CSpectrelDoc& doc, Ms quiet) {
    while (auto m = Next(quiet)) Hand(doc, *m);
  }
  // Hands messages over until a CycleDone has been handled.
  bool PumpCycle(CSpectrelDoc& doc, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      const auto m = Next(Ms(20));
      if (m) Hand(doc, *m);
      if (m == WorkerMessage::CycleDone) return true;
    }
    return false;
  }

  int Count(WorkerMessage message) const {
    std::lock_guard<std::mutex> lock(Mutex);
    return static_cast<int>(std::count(Posted.begin(), Posted.end(), message));
  }
  std::vector<std::string> CallList() const { return Locked(Calls); }
  std::string Status() const { return Locked(StatusBlock); }
  std::vector<std::string> Statuses() const { return Locked(StatusHistory); }
  bool Visible() const { return Locked(DialogVisible); }
  std::string LastClock() const { return Locked(ClockText); }
  int Clocks() const { return Locked(ClockCount); }
  int Views() const { return Locked(ViewUpdates); }
  std::string DialogTitle() const { return Locked(Title); }

  bool ConfirmAnswer = true;       // the answer to the stop question
  std::atomic<int> Beeps{0};
  int StopsByMessage = 0;          // messages whose handling stopped measurement

 private:
  void Record(const std::string& call) {
    std::lock_guard<std::mutex> lock(Mutex);
    Calls.push_back(call);
  }
  void Hand(CSpectrelDoc& doc, WorkerMessage m) {
    if (doc.HandleMessage(m)) ++StopsByMessage;
  }
  // A copy of a field taken under the lock.
  template <typename T>
  T Locked(const T& field) const {
    std::lock_guard<std::mutex> lock(Mutex);
    return field;
  }

  mutable std::mutex Mutex;
  std::condition_variable Arrived;
  std::deque<WorkerMessage> Queue;      // posted, not yet handed over
  std::vector<WorkerMessage> Posted;    // everything ever posted
  std::vector<std::string> Calls;       // dialog, question and close calls in order
  std::vector<std::string> StatusHistory;
  std::string StatusBlock;
  std::string ClockText;
  std::string Title;
  int ClockCount = 0;
  int ViewUpdates = 0;
  bool DialogVisible = false;
};

}  // namespace spectrel::testing
