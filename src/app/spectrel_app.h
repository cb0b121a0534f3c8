// The application object: finds its profile, loads the settings, builds document, frame and view
// in that order, starts a measurement automatically when asked, and saves the settings at exit.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/folder_lock.h"
#include "settings/app_settings.h"

class QTranslator;

namespace spectrel {

class CMainFrame;
class CSpectrelDoc;
class CSpectrelView;
class QtDocumentHost;
class SettingsActions;
class SignalClose;
class SimulatedStation;

struct StartOptions {
  std::string ProgramPath;    // the program file; its folder decides where the profile lives
  bool Simulate = false;      // run against simulated sensors (--simulate)
  bool SimulateAuto = false;  // --simulate=auto: only when no sensor in use has an existing port
  bool SimulatePaced = true;  // simulated sensors keep real line speed and exposure times
  bool Show = true;           // show the main window (the look renderer and tests may not)
  std::string DayFile = {};   // a day file to show at start, read only (the command line's)
};

class CSpectrelApp {
 public:
  explicit CSpectrelApp(StartOptions options);
  ~CSpectrelApp();
  CSpectrelApp(const CSpectrelApp&) = delete;
  CSpectrelApp& operator=(const CSpectrelApp&) = delete;

  // Start-up; false when the program cannot start (it then quits, saving its settings).
  bool InitInstance();
  // Exit: the graph settings dialog goes, the settings are saved, then the document.
  void ExitInstance();

  // Writes the settings to the profile.
  bool SaveNow();

  AppSettings& Settings() { return SettingsRecord; }
  const std::string& ProfilePath() const { return Profile; }
  CSpectrelDoc* Document() { return Doc.get(); }
  CMainFrame* MainFrame() { return Frame.get(); }
  CSpectrelView* View();
  QtDocumentHost* Host() { return DocHost.get(); }
  SettingsActions* Actions() { return Settings_.get(); }

 private:
  StartOptions Options;
  AppSettings SettingsRecord;            // every configurable value
  std::string Profile;                   // the initialisation file
  std::vector<std::unique_ptr<QTranslator>> Translators;   // installed while the program runs
  std::unique_ptr<SimulatedStation> Sim;       // simulated sensors (--simulate)
  FolderLock DataLock;                   // the data folder's, held while the program runs
  std::unique_ptr<QtDocumentHost> DocHost;
  std::unique_ptr<CSpectrelDoc> Doc;
  std::unique_ptr<SettingsActions> Settings_;
  std::unique_ptr<CMainFrame> Frame;     // owns the view
  std::unique_ptr<SignalClose> Signals;  // SIGTERM and SIGINT close the window as Exit does
  bool Exited = false;
};

// The absolute path of the running program (the link /proc/self/exe), else argv0.
std::string ProgramFilePath(const char* argv0);

}  // namespace spectrel
