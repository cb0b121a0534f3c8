// What the measurement document needs from the program around it, and what it tells it. The host
// offers the document's thread (the user-interface thread): a task run on it, soon or after a
// delay. With these the document keeps its own rhythm and brings its workers' news home. The
// document reports events; each front end decides how to show them.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace spectrel {

enum class MeasureState {
  Idle,             // no measurement
  Interval,         // interval measurement
  ManualSettling,   // manual measurement: the sensors in use are being identified
  ManualRunning,    // manual measurement: its one run is under way; it stops by itself
  ManualFailed,     // manual measurement: a sensor failed to settle; no run, active until "Abort"
};

struct StateEvent {
  MeasureState State = MeasureState::Idle;
  std::string Title;   // "Interval Measurement" or "Manual Measurement", in the user's language
};

struct SensorEvent {
  int Model = 0;                // ModelIndex
  std::string Text;             // its new status text
  std::string Block;            // the status block: "SR-101 READY\n", one line per model in use
  bool AttemptFailed = false;   // an identification or measurement attempt failed (the error beep)
};

struct CycleSummary {
  std::int64_t Time = 0;         // the cycle time, s since 1970 UTC
  std::string Sensors;           // models with a spectrum in the point: "SR-101 SR-103", "" for none
  std::string IntegralText;      // as drawn with the graph; empty when none
  std::string DayFile;           // written, or empty when the point was not stored
  std::string CsvFile;           // written, or empty
};

class DocumentHost {
 public:
  virtual ~DocumentHost() = default;

  // ---- The document's thread ----
  // Any thread: runs task on the document's thread soon, after every task posted before it.
  // Never runs it at once, never blocks.
  virtual void Post(std::function<void()> task) = 0;
  // Document thread: runs task on the document's thread once, after delay.
  virtual void CallAfter(std::chrono::milliseconds delay, std::function<void()> task) = 0;

  // ---- Events, on the document's thread ----
  virtual void StateChanged(const StateEvent& event) = 0;
  virtual void SensorStatusChanged(const SensorEvent& event) = 0;
  // Every second of an interval measurement: the local date and time, "2026/12/07  10:03:00".
  virtual void ClockTicked(const std::string& clockText) = 0;
  virtual void CycleCompleted(const CycleSummary& summary) = 0;
  // A question to the user with OK and Cancel; true for OK. The document waits for the answer.
  virtual bool Ask(const std::string& question) = 0;
  // A line for the operator about data not stored or a log not written, e.g. "not stored: ...".
  virtual void ReportError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

  // ---- What the host shows ----
  // Any point of the running day, at any time (the desktop's overview): the document keeps the
  // whole day in memory. Otherwise it keeps the hour being measured, and its memory stays flat
  // over the day.
  virtual bool ShowsWholeDay() const { return false; }
};

}  // namespace spectrel
