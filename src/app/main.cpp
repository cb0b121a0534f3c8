// spectrel: the desktop program.
//   spectrel [--simulate[=auto]] [DAY_FILE]
// The command line is read before the window system is touched, so --help and --version work
// without a display, and a missing display is said in one line.
#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/spectrel_app.h"
#include "base/build_info.h"

namespace {

constexpr const char* Help =
    "Usage: spectrel [--simulate[=auto]] [DAY_FILE]\n"
    "The desktop program: measures with the sensors of the profile and shows the spectrum and the day.\n"
    "\n"
    "  DAY_FILE          show that day file (YYYYMMDD.KRF) in the day overview, read only\n"
    "  --simulate        measure with simulated sensors (the profile's ports are kept)\n"
    "  --simulate=auto   the same, unless a sensor in use has a port that exists\n"
    "  --help            show this help and exit\n"
    "  --version         show the version, the build and the Qt version, and exit\n"
    "\n"
    "Exit codes: 0 done; 1 the program could not start (no display, no simulated sensors); 2 bad command line.\n";

bool Named(const char* arg, const char* name) { return std::strcmp(arg, name) == 0; }

// The window system is there when a platform is named or an X or Wayland display is set.
bool DisplayNamed(int argc, char** argv) {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  for (int i = 1; i < argc; ++i)
    if (Named(argv[i], "-platform")) return true;
  return false;
}

// While the window system starts, its complaints are held; a fatal one (a display that is named
// but cannot be reached) ends the program with one line and exit code 1, never an abort.
QString HeldWarnings;
void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    HeldWarnings += message + QLatin1Char('\n');
    return;
  }
  const QString first = HeldWarnings.isEmpty() ? message : HeldWarnings.section(QLatin1Char('\n'), 0, 0);
  std::fprintf(stderr, "spectrel: no display could be opened: %s\n", qPrintable(first.simplified()));
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (Named(argv[i], "--help") || Named(argv[i], "-h")) {
      std::fputs(Help, stdout);
      return 0;
    }
    if (Named(argv[i], "--version")) {
      std::printf("%s\nQt %s\n", spectrel::VersionLine("spectrel").c_str(), QT_VERSION_STR);
      return 0;
    }
  }
  if (!DisplayNamed(argc, argv)) {
    std::fputs("spectrel: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); spectrel-cli measures without one\n",
               stderr);
    return 1;
  }

  qInstallMessageHandler(StartupMessages);
  QApplication application(argc, argv);   // takes the window system's own options out of argv
  qInstallMessageHandler(nullptr);
  if (!HeldWarnings.isEmpty()) std::fputs(qPrintable(HeldWarnings), stderr);

  spectrel::StartOptions options;
  options.ProgramPath = spectrel::ProgramFilePath(argv[0]);
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--simulate")) {
      options.Simulate = true;
    } else if (args[i] == QLatin1String("--simulate=auto")) {
      options.Simulate = true;
      options.SimulateAuto = true;
    } else if (!args[i].startsWith(QLatin1Char('-')) && options.DayFile.empty()) {
      options.DayFile = QFileInfo(args[i]).absoluteFilePath().toStdString();
    } else {
      std::fprintf(stderr, "spectrel: unknown argument '%s'\n%s", qPrintable(args[i]), Help);
      return 2;
    }
  }

  spectrel::CSpectrelApp app(options);
  if (!app.InitInstance()) {
    app.ExitInstance();
    return 1;
  }
  const int code = application.exec();
  app.ExitInstance();
  return code;
}
