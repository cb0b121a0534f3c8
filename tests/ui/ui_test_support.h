// Helpers of the UI tests: fresh temporary folders, an event loop that runs until a condition
// holds, answers to modal dialogs and the stop question, and the text of a range row.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>

namespace spectrel::uitest {

// A fresh folder per test, removed afterwards.
struct TempFolder {
  TempFolder() {
    char pattern[] = "/tmp/spectrel-ui-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    Path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::string Slash() const { return Path + "/"; }   // as the folder settings hold it
  std::string Path;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
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

inline void ProcessFor(int milliseconds) { ProcessUntil([] { return false; }, milliseconds); }

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
class StopQuestionAnswer {
 public:
  explicit StopQuestionAnswer(QMessageBox::StandardButton answer) {
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

// The row of the group with the given title, left to right: label texts (marked "?" when the
// label names no field for its shortcut) and the two fields as [from] and [to].
inline QStringList RangeRow(const QWidget& dialog, const QString& title, const QWidget* from, const QWidget* to) {
  QStringList row;
  for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
    if (group->title() != title) continue;
    for (int i = 0; i < group->layout()->count(); ++i) {
      QWidget* w = group->layout()->itemAt(i)->widget();
      if (w == from) row << QStringLiteral("[from]");
      else if (w == to) row << QStringLiteral("[to]");
      else if (auto* label = qobject_cast<QLabel*>(w)) row << label->text() + (label->buddy() ? "" : "?");
    }
  }
  return row;
}

}  // namespace spectrel::uitest
