// The main window: menus, toolbar and status bar around the view. Its commands follow the
// measurement state: while measuring, the start commands, the measurement settings and exit are
// disabled, and closing the window asks whether to stop the measurement first.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

class QLabel;
class QMenu;

#include <functional>
#include <map>

namespace spectrel {

class CEventLogWindow;
class CSpectrelView;
class OverviewPane;
class QtDocumentHost;

// What the application does for the commands it owns.
struct FrameCommands {
  std::function<void()> MeasurementSettings;   // modal settings, saved on OK
  std::function<void()> GraphSettings;         // the modeless graph settings
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Takes the view as its central widget.
  CMainFrame(CSpectrelView* view, QtDocumentHost& host, FrameCommands commands, QWidget* parent = nullptr);

  CSpectrelView& View() { return *ViewWidget; }
  // The action of a command id (menu item and toolbar button alike); null for an unknown id.
  QAction* Action(int id) const;
  QToolBar* ToolBar() const { return Tools; }
  OverviewPane& Overview() const { return *Pane; }

  // Enables the commands for the current measurement state.
  void UpdateCommands();
  // The About box, modal.
  void OnAbout();
  // What the profile check at start found, one line each ("error: [USE] SR-102: ..."): said in
  // the status bar until the program ends and above the lines of the event log window.
  void ShowProfileFindings(const QString& profile, const QStringList& findings, bool errors);
  // Shows the event log window.
  void ShowEventLog();
  // Closes the window as a signal asks: no question; the document stops a running measurement
  // as it goes.
  void CloseForSignal();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* AddAction(int id, const QString& text, const QString& prompt, const QString& tip, const char* icon);
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateSpectrumMenu(QMenu& menu);
  void CreateSensorPanel(QMenu& viewMenu);
  // "measuring — next at HH:MM:SS" while measuring, nothing otherwise.
  void UpdateCountdown();

  CSpectrelView* ViewWidget;
  QtDocumentHost& Host;
  FrameCommands Commands;
  std::map<int, QAction*> Actions;
  QToolBar* Tools = nullptr;
  OverviewPane* Pane = nullptr;   // the day overview and the archive days; owned as a child
  CEventLogWindow* LogWindow = nullptr;   // made when first asked for; owned as a child
  QLabel* MeasuringLabel = nullptr;       // the status bar's countdown to the next cycle
  QLabel* ProblemLabel = nullptr;         // the document's last problem since the measurement began
  QTimer Countdown;                       // refreshes it once a second while measuring
  bool ClosingForSignal = false;          // a signal closes the window: nothing is asked
  QString ProfileNotes;                   // the profile check's findings, for the event log window
};

}  // namespace spectrel
