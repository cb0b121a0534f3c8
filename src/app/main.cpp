// spectrel: the desktop program.
//   spectrel                 measure with the sensors of the profile
//   spectrel --simulate      measure with simulated sensors (the profile's ports are kept)
//   spectrel --simulate=auto the same, unless a sensor in use has an existing port
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_frame.h"
#include "app/spectrel_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);

  spectrel::StartOptions options;
  options.ProgramPath = spectrel::ProgramFilePath(argv[0]);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--simulate") == 0) {
      options.Simulate = true;
    } else if (std::strcmp(argv[i], "--simulate=auto") == 0) {
      options.Simulate = true;
      options.SimulateAuto = true;
    } else {
      std::fprintf(stderr, "usage: spectrel [--simulate[=auto]]\n");
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
