#include "app/signal_close.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace spectrel {

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT};
volatile sig_atomic_t WriteEnd = -1;   // the pipe's end the handler writes to

extern "C" void WriteSignal(int number) {
  // Only async-signal-safe calls here; errno is the interrupted code's.
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(number);
  if (WriteEnd >= 0) (void)!write(WriteEnd, &byte, 1);
  errno = saved;
}

}  // namespace

SignalClose::SignalClose(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), OnSignal(std::move(onSignal)) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;   // the signals keep their default actions
  ReadEnd = ends[0];
  WriteEnd = ends[1];
  Notifier = new QSocketNotifier(ReadEnd, QSocketNotifier::Read, this);
  connect(Notifier, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    while (read(ReadEnd, &byte, 1) == 1) OnSignal(byte);
  });
  struct sigaction action {};
  action.sa_handler = WriteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : Signals) sigaction(number, &action, nullptr);
}

SignalClose::~SignalClose() {
  if (ReadEnd < 0) return;
  for (int number : Signals) std::signal(number, SIG_DFL);
  const int writeEnd = WriteEnd;
  WriteEnd = -1;
  close(writeEnd);
  delete Notifier;
  close(ReadEnd);
}

}  // namespace spectrel
