// Helpers of the UI tests: widgets by object name, an event loop that runs until a condition
// holds, and answers to modal dialogs and message boxes.
#pragma once

#include <QTest>
#include <QtPrintSupport>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support/temp_dir.h"

namespace spectrel::uitest {

using spectrel::testing::ReadBytes;
using spectrel::testing::TempDir;

// The child widget of that class and object name; a missing one fails the test.
template <typename T>
T& Child(const QObject& parent, const QString& name) {
  T* child = parent.findChild<T*>(name);
  if (child == nullptr) throw std::runtime_error("no widget " + name.toStdString());
  return *child;
}

// Runs the event loop until done() holds; false when the time ran out.
template <typename Done>
bool ProcessUntil(Done done, int milliseconds = 30000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// Runs act on the modal dialog that open() shows (looked for delay ms on); false when none showed.
inline bool OnModal(const std::function<void()>& open, const std::function<void(QDialog*)>& act, int delay = 0) {
  bool shown = false;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    shown = dialog != nullptr;
    if (shown) act(dialog);
  });
  timer.start(delay);
  open();
  return shown;
}

// Answers every message box that shows with the given button; counts them and keeps the text
// of the last one and of its Cancel button.
class MessageAnswer {
 public:
  explicit MessageAnswer(QMessageBox::StandardButton answer) {
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      Text = box->text();
      if (QAbstractButton* cancel = box->button(QMessageBox::Cancel)) CancelText = cancel->text();
      ++Asked;
      box->button(answer)->click();
    });
    Poll.start();
  }
  int Asked = 0;
  QString Text;
  QString CancelText;

 private:
  QTimer Poll;
};

}  // namespace spectrel::uitest
