// Renders the program's look to PNG files for inspection: the main window after one simulated
// manual measurement at its first-start size, the graph alone, the clipboard picture, a printed
// page and the day overview of a generated day in English and Japanese.
#pragma once

#include <string>

namespace spectrel {

// Runs in a fresh temporary profile folder, never touching the user's profile. Returns the
// process exit code: 0 when every file was written.
int RenderLook(const std::string& outputFolder);

}  // namespace spectrel
