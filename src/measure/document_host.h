// What the measurement document needs from its user interface. The Qt program implements it with
// queued calls into the GUI thread, spectrel-cli with a small event loop, tests with a recorder.
#pragma once

#include <cstdio>
#include <string>

namespace spectrel {

// The three messages of the worker threads; values as the window messages they stand for.
enum class WorkerMessage : int {
  CycleDone = 1125,      // a run has ended: complete the cycle
  StopRequest = 1126,    // stop measurement (manual run done, or "Abort")
  StatusChanged = 1127,  // a sensor's status text changed
};

class DocumentHost {
 public:
  virtual ~DocumentHost() = default;

  // Any thread: queue the message for the user-interface thread, which hands it back to the
  // document (CSpectrelDoc::HandleMessage). Must not block and must not call back synchronously.
  virtual void PostWorkerMessage(WorkerMessage message) = 0;
  // Any thread: the error beep.
  virtual void Beep() = 0;

  // User-interface thread only.
  virtual void ShowIntervalDialog(bool visible) = 0;          // shown centred and topmost
  virtual void SetIntervalDialogTitle(const std::string& title) = 0;
  virtual void SetIntervalClock(const std::string& text) = 0;   // the clock line
  virtual void SetIntervalStatus(const std::string& text) = 0;  // the status block
  virtual bool ConfirmStopInterval(const std::string& question) = 0;  // true for OK
  virtual void EnableClose(bool enabled) = 0;                 // the window's close box and exit
  virtual void UpdateAllViews() = 0;                          // redraw the graph
  // Any thread: a line for the operator about data not stored or a log not written, e.g.
  // "not stored: ...". Standard error unless the host shows it otherwise.
  virtual void ReportError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }
};

}  // namespace spectrel
