// Helpers of the UI tests: fresh temporary folders, an event loop that runs until a condition
// holds, and an answer to the stop question when it appears.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace spectrel::uitest {

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/spectrel-ui-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("mkdtemp failed");
    Path = made;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  // The folder with a trailing '/', as the folder settings hold it.
  std::string Slash() const { return Path + "/"; }
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

inline void ProcessFor(int milliseconds) {
  ProcessUntil([] { return false; }, milliseconds);
}

// Answers the next stop question with the given button when it shows; counts the questions.
class StopQuestionAnswer {
 public:
  explicit StopQuestionAnswer(QMessageBox::StandardButton answer) : Answer(answer) {
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      Text = box->text();
      ++Asked;
      box->button(Answer)->click();
    });
    Poll.start();
  }
  int Asked = 0;
  QString Text;

 private:
  QMessageBox::StandardButton Answer;
  QTimer Poll;
};

}  // namespace spectrel::uitest
