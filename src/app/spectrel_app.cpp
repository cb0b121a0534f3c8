#include "app/spectrel_app.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>

#include <ctime>
#include <filesystem>

#include "app/main_frame.h"
#include "app/overview_pane.h"
#include "app/settings_actions.h"
#include "app/signal_close.h"
#include "app/translations.h"
#include "simulation/simulated_station.h"
#include "measure/spectrel_doc.h"
#include "measure/station_start.h"
#include "sensor/status_report.h"
#include "settings/profile.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"

namespace spectrel {

std::string ProgramFilePath(const char* argv0) {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && !self.empty()) return self.string();
  return argv0 != nullptr ? std::filesystem::absolute(argv0, error).string() : std::string();
}

CSpectrelApp::CSpectrelApp(StartOptions options) : Options(std::move(options)) {}

CSpectrelApp::~CSpectrelApp() {
  ExitInstance();
  Signals.reset();
  // The view goes before the document it draws, the document before its host.
  Frame.reset();
  Doc.reset();
  DocHost.reset();
  Sim.reset();
  for (const auto& translator : Translators) QCoreApplication::removeTranslator(translator.get());
}

CSpectrelView* CSpectrelApp::View() { return Frame ? &Frame->View() : nullptr; }

bool CSpectrelApp::InitInstance() {
  tzset();
  // The window places are kept in the user's Qt settings under this name.
  QApplication::setOrganizationName(QStringLiteral("Spectrel"));
  QApplication::setApplicationName(QStringLiteral("Spectrel"));

  // Menus and dialogs in Japanese when the process locale is Japanese, as the status texts are.
  if (ProcessLanguage() == Language::Japanese) Translators = InstallTranslations(QLocale(QLocale::Japanese));

  const ProfileLocation location = LocateProfile(Options.ProgramPath);
  Profile = location.ProfilePath;
  SettingsRecord.AppFolder = location.AppFolder;
  LoadSettings(SettingsRecord, Profile);

  if (Options.SimulateAuto && SimulatedStation::RealSensorsConfigured(SettingsRecord)) {
    Options.Simulate = false;   // the station's own sensors are there: measure them
  }
  // The profile checked as a station's start checks it; simulated sensors stand in for its ports.
  const ProfileCheck check = CheckStartProfile({Profile, false, location.AppFolder, Options.Simulate, false, true});
  // One station per data folder: a folder another station measures into is said, not hidden.
  const FolderClaim claim = ClaimDataFolder(SettingsRecord.KrfFolder, "spectrel", DataLock);
  if (Options.Simulate) {
    Sim = std::make_unique<SimulatedStation>();
    std::string error;
    if (!Sim->Start(SettingsRecord, Options.SimulatePaced, error)) return false;
  }

  DocHost = std::make_unique<QtDocumentHost>();
  // Simulated sensors plug in where the real ports do; the settings stay the user's own.
  const PortSupply& ports = Sim ? static_cast<const PortSupply&>(*Sim) : ProfilePortSupply();
  Doc = std::make_unique<CSpectrelDoc>(SettingsRecord, *DocHost, SystemStationClock(), ports);
  if (!claim) Doc->RefuseMeasurement(claim.Text);   // never two stations' points in one folder
  auto* view = new CSpectrelView(*Doc);
  Settings_ = std::make_unique<SettingsActions>(
      SettingsRecord, [this] { SaveNow(); },
      [this] {
        if (DocHost) DocHost->UpdateAllViews();
      });
  FrameCommands commands;
  commands.MeasurementSettings = [this] { Settings_->RunMeasurementSettings(Frame.get()); };
  commands.GraphSettings = [this] { Settings_->ShowGraphSettings(Frame.get()); };
  Frame = std::make_unique<CMainFrame>(view, *DocHost, std::move(commands));
  DocHost->SetView(view);
  // The window closes as Exit closes it; the event loop ends even when a dialog of its own is
  // open, and the document's end logs the stop of a running measurement and the program's end.
  Signals = std::make_unique<SignalClose>([this](int) {
    if (Frame) Frame->CloseForSignal();
    QCoreApplication::exit(0);
  });

  if (claim) LogStartFindings(*Doc, DataLock, check);
  QStringList findings;
  if (!claim) findings << QString::fromStdString("error: " + claim.Text);
  for (const ProfileFinding& finding : check.Findings) findings << QString::fromStdString(FindingLine(finding));
  Frame->ShowProfileFindings(QString::fromStdString(Profile), findings, check.HasErrors() || !claim);

  // An automatic start begins before the window is shown.
  view->OnInitialUpdate();
  if (Options.Show) {
    Frame->show();
    Frame->activateWindow();
  }
  Settings_->CreateGraphDialog();
  // A day file named on the command line (a file manager's "Open With") is opened as
  // File > Open Day File opens it: read only, beside the running measurement.
  if (!Options.DayFile.empty()) Frame->Overview().OpenDayFile(QString::fromStdString(Options.DayFile));
  return true;
}

void CSpectrelApp::ExitInstance() {
  if (Exited || Profile.empty()) return;
  Exited = true;
  if (Settings_) Settings_->DestroyGraphDialog();
  SaveNow();
}

bool CSpectrelApp::SaveNow() { return SaveSettings(SettingsRecord, Profile); }

}  // namespace spectrel
