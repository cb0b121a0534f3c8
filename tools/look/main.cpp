// spectrel-look: the desktop program's look rendered to files for inspection, kept apart from the
// shipped program.
//   spectrel-look window DIR    the main window, the graph, the clipboard picture, a printed page,
//                               the measurement dialog and the day overview, in DIR
//   spectrel-look dialogs DIR   both settings dialogs in English and Japanese, in DIR
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "look/render_dialogs.h"
#include "look/render_look.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "window") == 0) return spectrel::RenderLook(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "dialogs") == 0) return spectrel::RenderDialogs(argv[2]);
  std::fprintf(stderr, "usage: spectrel-look window|dialogs DIR\n");
  return 2;
}
