// The event log in a window of its own: the year's log file as it stands, followed line by line
// as the program appends to it (read once a second from where it was left), kept at its end
// unless the user has scrolled back.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace spectrel {

class CEventLogWindow : public QDialog {
  Q_OBJECT

 public:
  // logPath gives the log file to follow now (it changes with the year).
  explicit CEventLogWindow(std::function<std::string()> logPath, QWidget* parent = nullptr);

  QString Text() const;
  // Notes above the log that are not in it (the profile check at start); hidden when empty.
  void SetNotes(const QString& notes);
  // Reads what was appended since the last look; the whole file when it is another or shorter.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::function<std::string()> LogPath;
  QPlainTextEdit* Lines = nullptr;
  QLabel* Notes = nullptr;
  QTimer Poll;             // once a second while shown
  std::string Shown;       // the file shown
  qint64 Offset = 0;       // bytes of it read, up to the last whole line
};

}  // namespace spectrel
