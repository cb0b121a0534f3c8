// SIGTERM and SIGINT end the desktop program as Exit does. The handler only writes the signal's
// number to a pipe; the event loop reads it and closes the program there, so the stop of a running
// measurement and the program's end are logged as usual.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace spectrel {

class SignalClose : public QObject {
  Q_OBJECT

 public:
  // onSignal runs on the event loop's thread, once for each signal received.
  explicit SignalClose(std::function<void(int)> onSignal, QObject* parent = nullptr);
  ~SignalClose() override;   // the signals' default actions again
  SignalClose(const SignalClose&) = delete;
  SignalClose& operator=(const SignalClose&) = delete;

 private:
  std::function<void(int)> OnSignal;
  int ReadEnd = -1;
  QSocketNotifier* Notifier = nullptr;
};

}  // namespace spectrel
