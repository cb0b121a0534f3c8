// The program's command identifiers: menu items, toolbar buttons and accelerators share them.
#pragma once

namespace spectrel {

enum CommandId : int {
  IdMeasSettings = 32771,     // Measure > Measurement Settings
  IdMeasInterval = 32773,     // Measure > Start Interval Measurement
  IdMeasManual = 32777,       // Measure > Manual Measurement
  IdGraphSettings = 32784,    // View > Graph Settings
  IdFilePrintSetup = 57606,   // File > Printer Setup...
  IdFilePrint = 57607,        // File > Print...
  IdFilePrintPreview = 57609, // File > Print Preview
  IdEditCopy = 57634,         // View > Copy
  IdAppAbout = 57664,         // Help > About Spectrel...
  IdAppExit = 57665,          // File > Exit
  IdViewToolbar = 59392,      // View > Toolbar
  IdViewStatusBar = 59393,    // View > Status Bar
};

}  // namespace spectrel
