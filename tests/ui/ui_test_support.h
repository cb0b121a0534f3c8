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

// Pixels of that colour in the rectangle from left, top to right, bottom (both exclusive).
inline int Count(const QImage& image, QRgb color, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) n += image.pixel(x, y) == color;
  return n;
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

// Runs act on every modal dialog of that class that shows while it lives, polled every 10 ms;
// counts them.
template <typename Dialog>
class ModalAnswer {
 public:
  explicit ModalAnswer(const std::function<void(Dialog*)>& act) {
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [this, act] {
      auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      ++Asked;
      act(dialog);
    });
    Poll.start();
  }
  int Asked = 0;

 private:
  QTimer Poll;
};

// Runs act on the modal dialog that open() shows; false when none showed.
inline bool OnModal(const std::function<void()>& open, const std::function<void(QDialog*)>& act) {
  const ModalAnswer<QDialog> answer(act);
  open();
  return answer.Asked > 0;
}

// Answers every message box that shows with the given button; keeps the text of the last one.
struct MessageAnswer : ModalAnswer<QMessageBox> {
  explicit MessageAnswer(QMessageBox::StandardButton answer)
      : ModalAnswer([this, answer](QMessageBox* box) {
          Text = box->text();
          box->button(answer)->click();
        }) {}
  QString Text;
};

}  // namespace spectrel::uitest
