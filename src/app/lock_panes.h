// The KANA, CAP, NUM and SCRL panes of the status bar: the keyboard's lock indicators, shown
// only where the window system tells them (X11); elsewhere the panes are left out.
#pragma once

#include <QObject>

#include <array>

class QLabel;
class QStatusBar;
class QTimer;

namespace spectrel {

class LockPanes : public QObject {
  Q_OBJECT

 public:
  // Adds the panes to the bar when the indicators can be read; otherwise adds nothing.
  explicit LockPanes(QStatusBar& bar);
  ~LockPanes() override;

  bool Available() const { return Display != nullptr; }

 private:
  void Refresh();

  void* Display = nullptr;                // the X11 connection of the application, not owned
  std::array<QLabel*, 4> Panes{};         // KANA, CAP, NUM, SCRL
  std::array<unsigned long, 4> Atoms{};   // the indicator names as X11 atoms
  QTimer* Poll = nullptr;                 // the indicators change without an event to the window
};

}  // namespace spectrel
